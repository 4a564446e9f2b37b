// The census that the leak tests rely on: it must see raw calls, and forget only what is truly
// given back.
#include "classlib/Forms.h"
#include "common/GdiCensus.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

DWORD WINAPI MakeABrush(void* Out) {
  *static_cast<HBRUSH*>(Out) = CreateSolidBrush(RGB(4, 5, 6));
  return 0;
}

TEST(GdiCensus, IsInstalledInTheTestProgram) { EXPECT_TRUE(gdi_census::Installed()); }

TEST(GdiCensus, CountsWhatRawCallsMakeUntilTheyGiveItBack) {
  struct TCase {
    const char* what;
    std::function<std::function<void()>()> make;  // answers how to give it back
  };
  const TCase cases[] = {
      {"a brush",
       [] {
         HBRUSH b = CreateSolidBrush(RGB(1, 2, 3));
         return [b] { DeleteObject(b); };
       }},
      {"a font",
       [] {
         LOGFONTW lf{};
         lf.lfHeight = 12;
         HFONT f = CreateFontIndirectW(&lf);
         return [f] { DeleteObject(f); };
       }},
      {"a bitmap",
       [] {
         HBITMAP b = CreateBitmap(4, 4, 1, 32, nullptr);
         return [b] { DeleteObject(b); };
       }},
      {"a region",
       [] {
         HRGN r = CreateRectRgn(0, 0, 5, 5);
         return [r] { DeleteObject(r); };
       }},
      {"a memory DC",
       [] {
         HDC dc = CreateCompatibleDC(nullptr);
         return [dc] { DeleteDC(dc); };
       }},
      {"a window's DC",
       [] {
         HDC dc = GetDC(nullptr);
         return [dc] { ReleaseDC(nullptr, dc); };
       }},
      {"an icon",
       [] {
         HICON i = CopyIcon(LoadIconW(nullptr, IDI_APPLICATION));
         return [i] { DestroyIcon(i); };
       }},
      {"an icon's bitmaps",
       [] {
         ICONINFO info{};
         GetIconInfo(LoadIconW(nullptr, IDI_APPLICATION), &info);
         return [info] {
           DeleteObject(info.hbmMask);
           DeleteObject(info.hbmColor);
         };
       }},
      {"an image list",
       [] {
         HIMAGELIST l = ImageList_Create(16, 16, ILC_COLOR32, 1, 1);
         return [l] { ImageList_Destroy(l); };
       }},
  };
  for (const TCase& c : cases) {
    const gdi_census::TMark mark;
    const std::function<void()> giveBack = c.make();
    EXPECT_GE(mark.Added(), 1) << c.what;
    EXPECT_FALSE(mark.NothingLeft()) << c.what;
    giveBack();
    EXPECT_TRUE(mark.NothingLeft()) << c.what;
  }
}

TEST(GdiCensus, AnObjectDeletedWhileSelectedStaysCounted) {
  const gdi_census::TMark mark;
  HDC dc = CreateCompatibleDC(nullptr);
  HBRUSH brush = CreateSolidBrush(RGB(9, 9, 9));
  HGDIOBJ old = SelectObject(dc, brush);
  DeleteObject(brush);  // Windows refuses this: the brush would leak there
  SelectObject(dc, old);
  DeleteDC(dc);
  EXPECT_EQ(mark.Added(), 1);
  EXPECT_NE(mark.Describe().find("selected"), std::string::npos) << mark.Describe();
}

TEST(GdiCensus, AHollowBrushIsTheStockOneAndCountsForNothing) {
  const gdi_census::TMark mark;
  LOGBRUSH lb{BS_NULL, 0, 0};
  HBRUSH hollow = CreateBrushIndirect(&lb);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, hollow);
  DeleteObject(hollow);  // nothing happens to a stock object
  SelectObject(dc, old);
  DeleteDC(dc);
  EXPECT_TRUE(mark.NothingLeft());
}

// A window takes its region: the system frees it (under Wine at once, on Windows with the window).
TEST(GdiCensus, ForgetsARegionGivenToAWindow) {
  const gdi_census::TMark mark;
  HWND wnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(wnd, nullptr);
  ASSERT_TRUE(SetWindowRgn(wnd, CreateRectRgn(0, 0, 20, 20), FALSE));
  DestroyWindow(wnd);
  EXPECT_TRUE(mark.NothingLeft());
}

TEST(GdiCensus, SeesObjectsMadeOnOtherThreads) {
  const gdi_census::TMark mark;
  HBRUSH made = nullptr;
  HANDLE thread = CreateThread(nullptr, 0, MakeABrush, &made, 0, nullptr);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  EXPECT_EQ(mark.Added(), 1);
  DeleteObject(made);
  EXPECT_TRUE(mark.NothingLeft());
}

}  // namespace
