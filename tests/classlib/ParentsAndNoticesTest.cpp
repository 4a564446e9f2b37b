// Re-parenting that keeps windows, anchors, a control's own layout of its children, control
// styles, and the library's notices of visibility, text and colour changes.
#include "classlib/StdCtrls.h"

#include "StdCtrlsTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using control_tests::ControlTest;

namespace {

// Logs the library's notices it receives.
class TNoticeSpy : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  std::vector<UINT> Notices;
  int Layouts = 0;
  void AlignControls() override {
    ++Layouts;
    TCustomControl::AlignControls();
  }

 protected:
  void Dispatch(TMessage& m) override {
    if (m.Msg == CM_VISIBLECHANGED || m.Msg == CM_TEXTCHANGED || m.Msg == CM_COLORCHANGED ||
        m.Msg == CM_SYSCOLORCHANGE)
      Notices.push_back(m.Msg);
    TCustomControl::Dispatch(m);
  }
};

class ParentsAndNotices : public ControlTest {
 protected:
  template <class T>
  T* Make(TWinControl* parent, int left, int top, int width, int height) {
    auto* c = new T(form_);
    c->SetBounds(left, top, width, height);
    c->SetParent(parent);
    return c;
  }
};

}  // namespace

TEST_F(ParentsAndNotices, AControlMovesToAnotherParentWithItsWindowAndItsChildrensWindows) {
  auto* from = Make<TNoticeSpy>(form_, 0, 0, 100, 100);
  auto* to = Make<TNoticeSpy>(form_, 120, 0, 100, 100);
  auto* moved = Make<TNoticeSpy>(from, 5, 6, 50, 40);
  auto* edit = Make<TEdit>(moved, 2, 2, 30, 20);
  edit->SetText(L"kept");
  const HWND movedWnd = moved->Handle(), editWnd = edit->Handle();
  moved->ChangeParentKeepingHandle(to);
  EXPECT_EQ(movedWnd, moved->Handle());
  EXPECT_EQ(editWnd, edit->Handle());
  EXPECT_EQ(to->Handle(), GetParent(movedWnd));
  EXPECT_EQ(to, moved->Parent());
  EXPECT_EQ(0, from->ControlCount());
  ASSERT_EQ(1, to->ControlCount());
  EXPECT_EQ(L"kept", edit->Text());
  RECT r;
  GetWindowRect(movedWnd, &r);
  EXPECT_EQ(to->ClientToScreen(POINT{5, 6}).x, r.left);
  // A window that stood alone becomes a child window of its new parent.
  auto* alone = new TNoticeSpy(form_);
  alone->SetBounds(0, 0, 20, 20);
  const HWND aloneWnd = alone->Handle();
  ASSERT_FALSE(GetWindowLongPtrW(aloneWnd, GWL_STYLE) & WS_CHILD);
  alone->ChangeParentKeepingHandle(to);
  EXPECT_EQ(aloneWnd, alone->Handle());
  EXPECT_TRUE(GetWindowLongPtrW(aloneWnd, GWL_STYLE) & WS_CHILD);
  EXPECT_EQ(to->Handle(), GetParent(aloneWnd));
  // To no parent, the window goes as with SetParent.
  moved->ChangeParentKeepingHandle(nullptr);
  EXPECT_FALSE(IsWindow(movedWnd));
  EXPECT_FALSE(IsWindow(editWnd));
  EXPECT_FALSE(moved->HandleAllocated());
  moved->Free();
}

TEST_F(ParentsAndNotices, AnchoredControlsFollowTheirParentsEdges) {
  struct Case {
    TAnchors anchors;
    RECT expected;  // after the parent grew by 30 x 20
  };
  const Case cases[] = {
      {akLeft | akTop, {10, 10, 40, 30}},
      {akLeft | akTop | akRight, {10, 10, 70, 30}},
      {akTop | akRight, {40, 10, 70, 30}},
      {akLeft | akBottom, {10, 30, 40, 50}},
      {akLeft | akTop | akBottom, {10, 10, 40, 50}},
      {akLeft | akTop | akRight | akBottom, {10, 10, 70, 50}},
  };
  for (const Case& c : cases) {
    auto* parent = Make<TNoticeSpy>(form_, 0, 0, 100, 80);
    auto* child = Make<TNoticeSpy>(parent, 10, 10, 30, 20);
    child->SetAnchors(c.anchors);
    parent->SetBounds(0, 0, 130, 100);
    EXPECT_EQ(c.expected, child->BoundsRect()) << c.anchors;
    parent->Free();
  }
  // A parent that had no size yet moves nothing.
  auto* parent = new TNoticeSpy(form_);
  auto* child = Make<TNoticeSpy>(parent, 10, 10, 30, 20);
  child->SetAnchors(akRight | akBottom);
  parent->SetBounds(0, 0, 100, 80);
  EXPECT_EQ((RECT{10, 10, 40, 30}), child->BoundsRect());
  parent->Free();
}

TEST_F(ParentsAndNotices, AControlLaysOutItsChildrenThroughItsOwnAlignControls) {
  auto* parent = Make<TNoticeSpy>(form_, 0, 0, 100, 80);
  const int before = parent->Layouts;
  auto* child = Make<TNoticeSpy>(parent, 0, 0, 10, 10);
  EXPECT_GT(parent->Layouts, before);
  const int inserted = parent->Layouts;
  child->SetAlign(TAlign::alTop);
  EXPECT_GT(parent->Layouts, inserted);
  EXPECT_EQ(100, child->Width());
}

TEST_F(ParentsAndNotices, ClicksAndDoubleClicksFollowTheControlStyle) {
  struct Case {
    TControlStyle style;
    int clicks, doubleClicks;
  };
  const TControlStyle all = csClickEvents | csDoubleClicks;
  const Case cases[] = {{all, 1, 1}, {csDoubleClicks, 0, 1}, {csClickEvents, 2, 0}};
  for (const Case& c : cases) {
    auto* control = Make<TNoticeSpy>(form_, 0, 0, 50, 50);
    control->SetControlStyle(c.style);
    control_tests::TClickCounter counter;
    control->OnClick = TNotifyEvent(&counter, &control_tests::TClickCounter::Click);
    control->OnDblClick = TNotifyEvent(&counter, &control_tests::TClickCounter::DblClick);
    const LPARAM at = MAKELPARAM(5, 5);
    HWND wnd = control->Handle();
    SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(wnd, WM_LBUTTONUP, 0, at);
    SendMessageW(wnd, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    SendMessageW(wnd, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(c.clicks, counter.Clicks) << c.style;
    EXPECT_EQ(c.doubleClicks, counter.DoubleClicks) << c.style;
    control->Free();
  }
}

TEST_F(ParentsAndNotices, ChangesReachTheControlAsNoticesAndSystemColoursReachEveryControl) {
  auto* outer = Make<TNoticeSpy>(form_, 0, 0, 100, 80);
  auto* inner = Make<TNoticeSpy>(outer, 0, 0, 50, 40);
  inner->SetVisible(false);
  inner->SetText(L"new");
  inner->SetColor(clRed);
  inner->SetColor(clRed);  // no change, no notice
  inner->SetVisible(true);
  EXPECT_EQ((std::vector<UINT>{CM_VISIBLECHANGED, CM_TEXTCHANGED, CM_COLORCHANGED, CM_VISIBLECHANGED}),
            inner->Notices);
  // The library's own reactions still run: the window hid and showed, the text reached it.
  EXPECT_TRUE(IsWindowVisible(inner->Handle()));
  wchar_t text[8] = {};
  GetWindowTextW(inner->Handle(), text, 8);
  EXPECT_STREQ(L"new", text);
  inner->Notices.clear();
  SendMessageW(form_->Handle(), WM_SYSCOLORCHANGE, 0, 0);
  EXPECT_EQ(std::vector<UINT>{CM_SYSCOLORCHANGE}, outer->Notices);
  EXPECT_EQ(std::vector<UINT>{CM_SYSCOLORCHANGE}, inner->Notices);
}
