#include "items/TB2Common.h"

#include "classlib/Classes.h"
#include "classlib/Seams.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

namespace {

const wchar_t kTestKey[] = L"Software\\QuillnoteTests\\TB2Common";

// A registry key of the tests' own, removed afterwards.
class TTestKey {
 public:
  TTestKey() { RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr); }
  ~TTestKey() {
    RegCloseKey(key_);
    RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
  }
  void SetBytes(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    RegSetValueExW(key_, name, 0, type, static_cast<const BYTE*>(data), size);
  }
  void SetText(const wchar_t* name, const String& text, bool terminated = true) {
    SetBytes(name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + (terminated ? 1 : 0)) * sizeof(wchar_t)));
  }
  void Delete(const wchar_t* name) { RegDeleteValueW(key_, name); }

 private:
  HKEY key_ = nullptr;
};

class TFakeSettings : public seams::TSystemSettings {
 public:
  UINT MenuShowDelay() override { return Delay; }
  bool FlatMenus() override { return Flat; }
  bool KeyboardCues() override { return Cues; }
  UINT Delay = 123;
  bool Flat = false;
  bool Cues = true;
};

// A 32-bit top-down DIB section to draw on and read back.
class TDib {
 public:
  TDib(int w, int h) : w_(w), h_(h) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    for (int i = 0; i < w * h; ++i) bits_[i] = 0x00FFFFFF;
  }
  ~TDib() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC DC() const { return dc_; }
  std::vector<uint32_t> Pixels() const {
    GdiFlush();
    return std::vector<uint32_t>(bits_, bits_ + w_ * h_);
  }
  uint32_t At(int x, int y) const {
    GdiFlush();
    return bits_[y * w_ + x] & 0x00FFFFFF;
  }

 private:
  int w_, h_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
  uint32_t* bits_ = nullptr;
};

}  // namespace

TEST(CommonSettings, MenuShowDelayRegistryReadsATableOfValues) {
  TTestKey key;
  const DWORD number = 250;
  struct Case {
    const char* what;
    std::function<void()> set;
    int expected;
  } cases[] = {
      {"a number", [&] { key.SetText(L"MenuShowDelay", L"250"); }, 250},
      {"not a number", [&] { key.SetText(L"MenuShowDelay", L"abc"); }, 0},
      {"negative", [&] { key.SetText(L"MenuShowDelay", L"-5"); }, -5},
      {"empty", [&] { key.SetText(L"MenuShowDelay", L""); }, 0},
      {"missing", [&] { key.Delete(L"MenuShowDelay"); }, 400},
      {"a DWORD", [&] { key.SetBytes(L"MenuShowDelay", REG_DWORD, &number, sizeof(number)); }, 0},
      {"unterminated", [&] { key.SetText(L"MenuShowDelay", L"77", false); }, 77},
      // 32 digits fill the whole buffer without a terminator: still read safely.
      {"fills the buffer", [&] { key.SetText(L"MenuShowDelay", String(32, L'1'), false); }, 0},
      {"too long", [&] { key.SetText(L"MenuShowDelay", String(40, L'1')); }, 0},
  };
  for (const Case& k : cases) {
    k.set();
    EXPECT_EQ(k.expected, tb2common_detail::ReadMenuShowDelayFrom(HKEY_CURRENT_USER, kTestKey, L"MenuShowDelay"))
        << k.what;
  }
  EXPECT_EQ(400, tb2common_detail::ReadMenuShowDelayFrom(HKEY_CURRENT_USER, L"Software\\QuillnoteTests\\Absent", L"X"));
}

TEST(CommonSettings, MenuShowDelayTextIsParsedWithinTheBytesRead) {
  struct Case {
    const char* what;
    String data;
    DWORD size;  // bytes, as the registry answered
    int expected;
  } cases[] = {
      {"with its terminator", String(L"250\0", 4), 8, 250},
      {"unterminated", L"77", 4, 77},
      {"an odd size drops the half unit", L"778", 5, 77},
      {"64 bytes, unterminated", String(30, L'0') + L"12", 64, 12},
      {"more than 64 bytes counts as 64", String(30, L'0') + L"12", 70, 12},
      {"a NUL ends the text", String(L"12\0" L"34", 5), 10, 12},
      {"nothing read", L"5", 0, 0},
      {"not a number", L"abc", 6, 0},
      {"negative", L"-5", 4, -5},
  };
  for (const Case& k : cases) {
    // Digits follow the data in memory: a parse that reads past the data sees them.
    std::vector<wchar_t> memory(k.data.begin(), k.data.end());
    memory.resize(48, L'9');
    EXPECT_EQ(k.expected, tb2common_detail::ParseMenuShowDelay(reinterpret_cast<const BYTE*>(memory.data()), k.size))
        << k.what;
  }
}

TEST(CommonSettings, SoundSchemeEntriesCountOnlyWithASound) {
  const std::wstring sub = String(kTestKey) + L"\\Alias\\.Current";
  HKEY k;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, sub.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr));
  auto set = [&](const String& text, bool terminated) {
    RegSetValueExW(k, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + (terminated ? 1 : 0)) * sizeof(wchar_t)));
  };
  struct Case {
    const char* what;
    std::function<void()> set;
    bool expected;
  } cases[] = {
      {"no default value", [&] { RegDeleteValueW(k, nullptr); }, false},
      {"empty", [&] { set(L"", true); }, false},
      {"empty without terminator", [&] { set(L"", false); }, false},
      {"a short name", [&] { set(L"a", true); }, true},
      {"a long name", [&] { set(L"C:\\Windows\\Media\\ding.wav", true); }, true},
  };
  for (const Case& c : cases) {
    c.set();
    EXPECT_EQ(c.expected, tb2common_detail::SchemeHasSound(HKEY_CURRENT_USER, sub)) << c.what;
  }
  RegCloseKey(k);
  EXPECT_FALSE(tb2common_detail::SchemeHasSound(HKEY_CURRENT_USER, String(kTestKey) + L"\\Missing\\.Current"));
  RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
}

TEST(CommonSettings, MenuSettingsComeThroughTheSettingsSeam) {
  TFakeSettings fake;
  seams::Scoped<seams::TSystemSettings> scoped(fake);
  EXPECT_EQ(123, GetMenuShowDelay());
  fake.Delay = static_cast<UINT>(-20);  // a negative delay counts as none
  EXPECT_EQ(0, GetMenuShowDelay());
  for (bool on : {false, true}) {
    fake.Cues = on;
    fake.Flat = on;
    EXPECT_EQ(on, AreKeyboardCuesEnabled());
    EXPECT_EQ(on && IsWindowsXP(), AreFlatMenusEnabled());
  }
}

TEST(CommonMonitors, OneScreenAnswersThePrimaryMonitor) {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  auto same = [](const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; };
  EXPECT_TRUE(same(work, GetRectOfPrimaryMonitor(true)));
  EXPECT_TRUE(same(screen, GetRectOfPrimaryMonitor(false)));
  EXPECT_TRUE(same(work, GetRectOfMonitorContainingPoint(POINT{10, 10}, true)));
  EXPECT_TRUE(same(screen, GetRectOfMonitorContainingRect(RECT{5, 5, 50, 50}, false)));
  EXPECT_TRUE(same(work, GetRectOfMonitorContainingWindow(GetDesktopWindow(), true)));
}

TEST(CommonMouse, LeaveTrackingWorksOnThisBuild) {
  InitTrackMouseEvent();
  HWND wnd = AllocateHWnd(nullptr);
  // The record is larger on x86_64: a fixed 32-bit size would fail here.
  EXPECT_TRUE(CallTrackMouseEvent(wnd, TME_LEAVE));
  testing_support::PumpMessages();
  DeallocateHWnd(wnd);
}

TEST(CommonMessages, RemovedMessagesLeaveAQuitInTheQueue) {
  HWND wnd = AllocateHWnd(nullptr);
  PostMessageW(wnd, WM_CHAR, 'a', 0);
  PostMessageW(wnd, WM_CHAR, 'b', 0);
  PostMessageW(wnd, WM_USER + 5, 0, 0);
  PostQuitMessage(7);
  RemoveMessages(WM_CHAR, WM_CHAR);
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_CHAR, WM_CHAR, PM_NOREMOVE | PM_NOYIELD) && msg.message == WM_CHAR);
  ProcessPaintMessages();
  std::vector<UINT> left;
  int exitCode = -1;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    left.push_back(msg.message);
    if (msg.message == WM_QUIT) exitCode = static_cast<int>(msg.wParam);
  }
  EXPECT_NE(left.end(), std::find(left.begin(), left.end(), static_cast<UINT>(WM_USER + 5)));
  EXPECT_EQ(std::count(left.begin(), left.end(), static_cast<UINT>(WM_CHAR)), 0);
  EXPECT_EQ(7, exitCode);
  DeallocateHWnd(wnd);
}

TEST(CommonPainting, AnInvertedFrameTouchesOnlyTheFrameAndUndoesItself) {
  TDib dib(40, 30);
  const auto before = dib.Pixels();
  const RECT r{5, 5, 25, 20};
  HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  // Inverting with a white pattern turns white pixels black.
  DrawInvertRect(dib.DC(), &r, nullptr, SIZE{2, 3}, SIZE{0, 0}, white, nullptr);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      bool inRect = x >= 5 && x < 25 && y >= 5 && y < 20;
      bool inInner = x >= 7 && x < 23 && y >= 8 && y < 17;
      EXPECT_EQ(inRect && !inInner ? 0x000000u : 0xFFFFFFu, dib.At(x, y)) << x << "," << y;
    }
  // Moving it: the old frame goes, the new one comes.
  const RECT moved{10, 8, 30, 25};
  DrawInvertRect(dib.DC(), &moved, &r, SIZE{2, 3}, SIZE{2, 3}, white, nullptr);
  EXPECT_EQ(0xFFFFFFu, dib.At(5, 5));
  EXPECT_EQ(0x000000u, dib.At(10, 8));
  DrawInvertRect(dib.DC(), nullptr, &moved, SIZE{0, 0}, SIZE{2, 3}, white, nullptr);
  EXPECT_EQ(before, dib.Pixels());
  // The halftone version twice leaves everything as it was, and alternates pixels.
  DrawHalftoneInvertRect(dib.DC(), &r, nullptr, SIZE{3, 3}, SIZE{0, 0});
  EXPECT_NE(dib.At(5, 5), dib.At(6, 5));
  EXPECT_EQ(dib.At(5, 5), dib.At(6, 6));
  DrawHalftoneInvertRect(dib.DC(), &r, nullptr, SIZE{3, 3}, SIZE{0, 0});
  EXPECT_EQ(before, dib.Pixels());
}

TEST(CommonPainting, RotatedFontsRunDownwardsAndKeepTheirFaceNameInBounds) {
  TDib dib(10, 10);
  struct Case {
    String face;
    bool sansSerif;
  } cases[] = {
      {L"Arial", false},
      {L"MS Sans Serif", true},
      {String(31, L'Q'), false},  // "@" + 31 characters would not fit the field
  };
  for (const Case& k : cases) {
    LOGFONTW lf{};
    lf.lfHeight = -13;
    wcsncpy(lf.lfFaceName, k.face.c_str(), LF_FACESIZE - 1);
    HFONT font = CreateFontIndirectW(&lf);
    HGDIOBJ old = SelectObject(dib.DC(), font);
    gdi::FontHandle rotated = CreateRotatedFont(dib.DC());
    ASSERT_TRUE(rotated);
    LOGFONTW got{};
    GetObjectW(rotated.Get(), sizeof(got), &got);
    EXPECT_EQ(2700, got.lfEscapement);
    EXPECT_EQ(2700, got.lfOrientation);
    EXPECT_LT(wcsnlen(got.lfFaceName, LF_FACESIZE), static_cast<size_t>(LF_FACESIZE));
    if (k.sansSerif) {
      EXPECT_STREQ(L"Arial", got.lfFaceName);
    }
    SelectObject(dib.DC(), old);
    DeleteObject(font);
  }
}

TEST(CommonPainting, TheVerticalFaceIsLookedForOnlyWhenItFitsAFaceName) {
  // LF_FACESIZE is 32 units with the terminator: "@" + 30 characters is the longest that fits.
  struct Case {
    size_t length;
    bool fits;
  } cases[] = {{1, true}, {30, true}, {31, false}, {32, false}};
  for (const Case& k : cases) {
    const String face(k.length, L'Q');
    EXPECT_EQ(k.fits ? L"@" + face : String(), VerticalFaceName(face)) << k.length;
  }
}

TEST(CommonPainting, RotatedTextDrawsInsideItsRectangle) {
  TDib dib(40, 120);
  const RECT r{5, 5, 35, 115};
  DrawRotatedText(dib.DC(), L"&Rotated", r, DT_CENTER);
  int inked = 0;
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 40; ++x)
      if (dib.At(x, y) != 0xFFFFFFu) {
        ++inked;
        EXPECT_TRUE(x >= 5 && x < 35 && y >= 5 && y < 115) << x << "," << y;
      }
  EXPECT_GT(inked, 0);
}

namespace {

// A window with a red client area and a blue child, printed through HandleWMPrint.
class TPrintable : public TObject {
 public:
  TPrintable() {
    Wnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_BORDER, 100, 100, 60, 40, nullptr, nullptr, nullptr, nullptr);
    Child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 10, 10, 8, 8, Wnd, nullptr, nullptr, nullptr);
  }
  ~TPrintable() override { DestroyWindow(Wnd); }
  HWND Wnd, Child;
};

void PaintNonClientGreen(HWND, HDC dc, void* calls) {
  ++*static_cast<int*>(calls);
  RECT r{0, 0, 1, 1};
  HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
  FillRect(dc, &r, green);
  DeleteObject(green);
}

}  // namespace

TEST(CommonPainting, WMPrintOnAHiddenWindowWithCheckVisibleDrawsNothing) {
  TPrintable w;
  TDib dib(80, 60);
  int calls = 0;
  TMessage m{WM_PRINT, reinterpret_cast<WPARAM>(dib.DC()), PRF_CHECKVISIBLE | PRF_NONCLIENT | PRF_CLIENT, 0};
  HandleWMPrint(w.Wnd, m, PaintNonClientGreen, &calls);
  EXPECT_EQ(1, m.Result);
  EXPECT_EQ(0, calls);
  m = TMessage{WM_PRINT, reinterpret_cast<WPARAM>(dib.DC()), PRF_NONCLIENT | PRF_CLIENT | PRF_CHILDREN, 0};
  HandleWMPrint(w.Wnd, m, PaintNonClientGreen, &calls);
  EXPECT_EQ(1, m.Result);
  EXPECT_EQ(1, calls);
  EXPECT_EQ(0x00FF00u, dib.At(0, 0));
}

TEST(CommonPainting, WMPrintClientRunsThePaintHandlerOnTheGivenDC) {
  struct TPainter : TObject {
    void Paint(TMessage& m) { Got = reinterpret_cast<HDC>(m.WParam), Msg = m.Msg; }
    HDC Got = nullptr;
    UINT Msg = 0;
  } painter;
  TDib dib(4, 4);
  TMessage m{WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dib.DC()), 0, 0};
  HandleWMPrintClient(TWndMethod(&painter, &TPainter::Paint), m);
  EXPECT_EQ(dib.DC(), painter.Got);
  EXPECT_EQ(static_cast<UINT>(WM_PAINT), painter.Msg);
}

namespace {

// Windows that fill their client area with the colour kept in their user data and answer
// WM_PRINT through HandleWMPrint.
LRESULT CALLBACK ColouredProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_PRINTCLIENT || m == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = m == WM_PAINT ? BeginPaint(w, &ps) : reinterpret_cast<HDC>(wp);
    RECT r;
    GetClientRect(w, &r);
    HBRUSH b = CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrW(w, GWLP_USERDATA)));
    FillRect(dc, &r, b);
    DeleteObject(b);
    if (m == WM_PAINT) EndPaint(w, &ps);
    return 0;
  }
  if (m == WM_PRINT) {
    TMessage msg{m, wp, lp, 0};
    HandleWMPrint(w, msg, nullptr, nullptr);
    return msg.Result;
  }
  if (m == WM_ERASEBKGND) return 1;
  return DefWindowProcW(w, m, wp, lp);
}

HWND CreateColoured(DWORD style, int x, int y, int w, int h, HWND parent, COLORREF colour) {
  static ATOM atom = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ColouredProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QuillnoteTestColoured";
    return RegisterClassW(&wc);
  }();
  HWND wnd = CreateWindowExW(0, MAKEINTATOM(atom), L"", style, x, y, w, h, parent, nullptr, nullptr, nullptr);
  SetWindowLongPtrW(wnd, GWLP_USERDATA, static_cast<LONG_PTR>(colour));
  return wnd;
}

}  // namespace

TEST(CommonPainting, WMPrintPaintsTheChildrenAtTheirPlaces) {
  HWND parent = CreateColoured(WS_POPUP, 0, 0, 40, 30, nullptr, RGB(255, 0, 0));
  CreateColoured(WS_CHILD | WS_VISIBLE, 10, 5, 8, 6, parent, RGB(0, 0, 255));
  TDib dib(40, 30);
  SendMessageW(parent, WM_PRINT, reinterpret_cast<WPARAM>(dib.DC()), PRF_NONCLIENT | PRF_CLIENT | PRF_CHILDREN);
  EXPECT_EQ(0xFF0000u, dib.At(2, 2));    // red, as the DIB stores it
  EXPECT_EQ(0x0000FFu, dib.At(12, 7));   // the blue child
  EXPECT_EQ(0x0000FFu, dib.At(17, 10));  // its last pixel
  EXPECT_EQ(0xFF0000u, dib.At(18, 11));  // just beyond it
  DestroyWindow(parent);
}

TEST(CommonPainting, WMPrintPaintsVisibleOwnedWindowsWithTheSameFlags) {
  HWND owner = CreateColoured(WS_POPUP | WS_VISIBLE, 300, 300, 40, 30, nullptr, RGB(255, 0, 0));
  HWND owned = CreateColoured(WS_POPUP | WS_VISIBLE, 320, 310, 6, 6, owner, RGB(0, 255, 0));
  HWND hidden = CreateColoured(WS_POPUP, 302, 302, 6, 6, owner, RGB(0, 0, 255));
  TDib dib(40, 30);
  SendMessageW(owner, WM_PRINT, reinterpret_cast<WPARAM>(dib.DC()), PRF_NONCLIENT | PRF_CLIENT | PRF_OWNED);
  EXPECT_EQ(0x00FF00u, dib.At(22, 12));  // the owned window at its place relative to the owner
  EXPECT_EQ(0xFF0000u, dib.At(3, 3));    // not the hidden one
  DestroyWindow(hidden);
  DestroyWindow(owned);
  DestroyWindow(owner);
}

TEST(CommonMessages, PendingPaintsAreDispatchedAndAQuitSurvives) {
  static int paints = 0;
  paints = 0;
  WNDCLASSW wc{};
  // A window procedure needs the system's calling convention, which a lambda lacks on i686.
  struct Proc {
    static LRESULT CALLBACK Handle(HWND w, UINT m, WPARAM wp, LPARAM lp) {
      if (m == WM_PAINT) {
        ++paints;
        PAINTSTRUCT ps;
        BeginPaint(w, &ps);
        EndPaint(w, &ps);
        return 0;
      }
      return DefWindowProcW(w, m, wp, lp);
    }
  };
  wc.lpfnWndProc = Proc::Handle;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"QuillnoteTestPainted";
  RegisterClassW(&wc);
  HWND wnd = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 20, 20, nullptr, nullptr, nullptr, nullptr);
  testing_support::PumpMessages();
  paints = 0;
  InvalidateRect(wnd, nullptr, FALSE);
  ProcessPaintMessages();
  EXPECT_EQ(1, paints);
  // A quit met on the way ends the pumping and stays queued.
  InvalidateRect(wnd, nullptr, FALSE);
  PostQuitMessage(3);
  ProcessPaintMessages();
  MSG msg;
  int exitCode = -1;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) exitCode = static_cast<int>(msg.wParam);
    DispatchMessageW(&msg);  // a paint left behind must be validated, or it comes back for ever
  }
  EXPECT_EQ(3, exitCode);
  DestroyWindow(wnd);
}

TEST(CommonSettings, TheInputLocaleCodePageIsAValidCodePage) {
  int page = GetInputLocaleCodePage();
  EXPECT_TRUE(page == 0 || IsValidCodePage(static_cast<UINT>(page)));
  EXPECT_EQ(1252, page);  // the test run's US English keyboard layout
}

TEST(CommonPainting, RotatedTextWithEllipsisStaysInAShortRectangle) {
  TDib dib(40, 120);
  const RECT r{5, 5, 35, 40};
  DrawRotatedText(dib.DC(), L"A rather long caption that cannot fit", r, DT_END_ELLIPSIS | DT_NOCLIP);
  int inked = 0;
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 40; ++x)
      if (dib.At(x, y) != 0xFFFFFFu) {
        ++inked;
        EXPECT_LT(y, 42) << x << "," << y;  // shortened to the height, even unclipped
      }
  EXPECT_GT(inked, 0);
}
