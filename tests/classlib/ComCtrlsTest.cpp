#include "classlib/ComCtrls.h"

#include "StdCtrlsTestSupport.h"
#include "classlib/StdCtrls.h"

#include <commctrl.h>
#include <gtest/gtest.h>

using control_tests::ControlTest;

namespace {

struct TChangeCounter : TObject {
  int Changes = 0;
  void Change(TObject*) { ++Changes; }
};

class PageControl : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    pages_ = new TPageControl(form_);
    pages_->SetBounds(10, 10, 260, 160);
    pages_->SetParent(form_);
    for (const wchar_t* caption : {L"General", L"Default Note"}) {
      auto* sheet = new TTabSheet(form_);
      sheet->SetCaption(caption);
      sheet->SetPageControl(pages_);
    }
    pages_->OnChange = TNotifyEvent(&counter_, &TChangeCounter::Change);
  }

  bool WindowShown(TTabSheet* sheet) { return IsWindowVisible(sheet->Handle()) != FALSE; }

  // Only the page at `index` is visible, as a control and as a window.
  void ExpectOnlyShown(int index) {
    for (int i = 0; i < pages_->PageCount(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(i == index, pages_->Pages(i)->Visible());
      EXPECT_EQ(i == index, WindowShown(pages_->Pages(i)));
    }
    EXPECT_EQ(index, pages_->ActivePageIndex());
    EXPECT_EQ(index, SendMessageW(pages_->Handle(), TCM_GETCURSEL, 0, 0));
  }

  // What the tab control sends its parent when the user picks a tab.
  void UserSelects(int index) {
    SendMessageW(pages_->Handle(), TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    NMHDR header{pages_->Handle(), 0, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(form_->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
  }

  TPageControl* pages_ = nullptr;
  TChangeCounter counter_;
};

}  // namespace

TEST_F(PageControl, TabsCarryTheSheetsCaptions) {
  ASSERT_EQ(2, pages_->PageCount());
  ASSERT_EQ(2, SendMessageW(pages_->Handle(), TCM_GETITEMCOUNT, 0, 0));
  pages_->Pages(1)->SetCaption(L"Note");
  const wchar_t* expected[] = {L"General", L"Note"};
  for (int i = 0; i < 2; ++i) {
    wchar_t text[32] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 32;
    SendMessageW(pages_->Handle(), TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(expected[i], text);
    EXPECT_EQ(i, pages_->Pages(i)->PageIndex());
  }
}

TEST_F(PageControl, FirstPageIsActiveAndPagesFillTheDisplayArea) {
  ExpectOnlyShown(0);
  RECT display;
  GetClientRect(pages_->Handle(), &display);
  SendMessageW(pages_->Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  EXPECT_GT(display.top, 0) << "the tabs lie above the pages";
  for (int i = 0; i < pages_->PageCount(); ++i) {
    SCOPED_TRACE(i);
    pages_->SetActivePageIndex(i);
    RECT r = pages_->Pages(i)->BoundsRect();
    EXPECT_EQ(display.left, r.left);
    EXPECT_EQ(display.top, r.top);
    EXPECT_EQ(display.right, r.right);
    EXPECT_EQ(display.bottom, r.bottom);
  }
  pages_->SetBounds(10, 10, 200, 120);
  RECT r = pages_->ActivePage()->BoundsRect();
  EXPECT_LE(r.right, 200);
  EXPECT_LE(r.bottom, 120);
  EXPECT_EQ(display.top, r.top);
}

TEST_F(PageControl, ActivePageShowsThatPageOnlyWithoutAnEvent) {
  pages_->SetActivePage(pages_->Pages(1));
  ExpectOnlyShown(1);
  pages_->SetActivePageIndex(0);
  ExpectOnlyShown(0);
  EXPECT_EQ(0, counter_.Changes);
  auto* stranger = new TTabSheet(form_);
  EXPECT_THROW(pages_->SetActivePage(stranger), EInvalidOperation);
  ExpectOnlyShown(0);
}

TEST_F(PageControl, UsersTabChangeShowsThePageAndFiresOnChange) {
  UserSelects(1);
  ExpectOnlyShown(1);
  EXPECT_EQ(1, counter_.Changes);
  UserSelects(0);
  ExpectOnlyShown(0);
  EXPECT_EQ(2, counter_.Changes);
}

TEST_F(PageControl, ClickOnATabSwitchesPages) {
  RECT tab{};
  ASSERT_TRUE(SendMessageW(pages_->Handle(), TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&tab)));
  LPARAM at = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
  SendMessageW(pages_->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(pages_->Handle(), WM_LBUTTONUP, 0, at);
  ExpectOnlyShown(1);
  EXPECT_EQ(1, counter_.Changes);
}

TEST_F(PageControl, ControlsLieOnTheirSheet) {
  auto* box = new TCheckBox(form_);
  box->SetBounds(8, 8, 150, 17);
  box->SetParent(pages_->Pages(1));
  EXPECT_FALSE(IsWindowVisible(box->Handle()));
  pages_->SetActivePageIndex(1);
  EXPECT_TRUE(IsWindowVisible(box->Handle()));
  EXPECT_EQ(pages_->Pages(1)->Handle(), GetParent(box->Handle()));
}

TEST_F(PageControl, FreedPageLeavesItsTabAndTheNextOneTakesOver) {
  pages_->Pages(0)->Free();
  ASSERT_EQ(1, pages_->PageCount());
  EXPECT_EQ(1, SendMessageW(pages_->Handle(), TCM_GETITEMCOUNT, 0, 0));
  ExpectOnlyShown(0);
  EXPECT_EQ(L"Default Note", pages_->ActivePage()->Caption());
  // Freeing the control with its page must not reach back into it.
  pages_->Free();
  EXPECT_EQ(0, form_->ControlCount());
}

TEST_F(PageControl, RecreatedWindowGetsItsTabsAndActivePageBack) {
  pages_->SetActivePageIndex(1);
  HWND before = pages_->Handle();
  pages_->RecreateWnd();
  ASSERT_NE(before, pages_->Handle());
  EXPECT_EQ(2, SendMessageW(pages_->Handle(), TCM_GETITEMCOUNT, 0, 0));
  ExpectOnlyShown(1);
  EXPECT_EQ(L"Default Note", pages_->Pages(1)->Caption());
}

TEST_F(PageControl, BackgroundBesideTheTabsIsThePageControlsColour) {
  pages_->SetColor(RGB(10, 200, 30));
  TBitmap bitmap;
  bitmap.SetSize(pages_->Width(), pages_->Height());
  SendMessageW(pages_->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(bitmap.CanvasDC()), 0);
  GdiFlush();
  EXPECT_EQ(RGB(10, 200, 30), control_tests::Pixel(bitmap, pages_->Width() - 3, 3));
}
