// Floating frames: their styles and owner, hit codes, activation that stays with the form,
// closing, and showing with the form and the program.
#include "DockTestSupport.h"

#include <thread>

using dock_tests::DockHost;
using testing_support::PumpUntil;

namespace {

class FloatingFrames : public DockHost {
 protected:
  void SetUp() override {
    DockHost::SetUp();
    w = form->Notes;
    w->SetFloatingPosition({500, 300});
    w->SetFloating(true);
    frame = w->FloatingParent()->Handle();
    testing_support::PumpMessages();
  }
  LONG_PTR Style() const { return GetWindowLongPtrW(frame, GWL_STYLE); }
  LONG_PTR ExStyle() const { return GetWindowLongPtrW(frame, GWL_EXSTYLE); }
  bool Topmost() const { return (ExStyle() & WS_EX_TOPMOST) != 0; }
  LRESULT HitAt(int X, int Y) {
    const RECT r = dock_tests::WindowRect(frame);
    return SendMessageW(frame, WM_NCHITTEST, 0, MAKELPARAM(r.left + X, r.top + Y));
  }
  void Click(POINT P) {
    dock_tests::AwaitSinglePress(P);
    SetCursorPos(P.x, P.y);
    testing_support::PumpMessages();
    dock_tests::MouseButton(true);
    dock_tests::MouseButton(false);
    testing_support::PumpMessages(100);
  }
  TTBToolWindow* w = nullptr;
  HWND frame = nullptr;
};

// Another thread's window, brought in front of ours.
class TForeignWindow {
 public:
  TForeignWindow() {
    thread_ = std::thread([this] {
      id_ = GetCurrentThreadId();
      wnd_ = CreateWindowExW(0, L"STATIC", L"foreign", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                             nullptr);
      ready_ = true;
      MSG msg;
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
      DestroyWindow(wnd_);
    });
    while (!ready_) Sleep(1);
  }
  ~TForeignWindow() {
    PostThreadMessageW(id_, WM_QUIT, 0, 0);
    thread_.join();
  }
  HWND Handle() const { return wnd_; }

 private:
  std::thread thread_;
  HWND wnd_ = nullptr;
  volatile DWORD id_ = 0;
  volatile bool ready_ = false;
};

// The last WM_NCACTIVATE the watched window got: 1 active, 0 inactive.
HWND NCActivateWatched = nullptr;
int NCActivateLast = -1;
LRESULT CALLBACK NCActivateSpy(int Code, WPARAM WParam, LPARAM LParam) {
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(LParam);
  if (Code == HC_ACTION && call->message == WM_NCACTIVATE && call->hwnd == NCActivateWatched)
    NCActivateLast = call->wParam != 0 ? 1 : 0;
  return CallNextHookEx(nullptr, Code, WParam, LParam);
}

}  // namespace

TEST_F(FloatingFrames, StylesAndOwnerFollowResizableAndTheFloatingMode) {
  const LONG_PTR kShown = WS_VISIBLE | WS_CLIPSIBLINGS;
  EXPECT_EQ(WS_POPUP | WS_BORDER | WS_THICKFRAME, Style() & ~kShown);
  EXPECT_EQ(WS_EX_TOOLWINDOW, ExStyle() & ~static_cast<LONG_PTR>(WS_EX_WINDOWEDGE));
  EXPECT_EQ(form->Handle(), GetWindow(frame, GW_OWNER));
  EXPECT_FALSE(Topmost());
  const HWND wnd = w->Handle();
  w->SetResizable(false);
  EXPECT_EQ(WS_POPUP | WS_BORDER, Style() & ~kShown);
  EXPECT_EQ(frame, w->FloatingParent()->Handle());
  EXPECT_EQ(wnd, w->Handle());
  // On top of all forms: owned by the application window and topmost while enabled.
  w->SetFloatingMode(fmOnTopOfAllForms);
  EXPECT_EQ(Application->Handle(), GetWindow(frame, GW_OWNER));
  EXPECT_TRUE(Topmost());
  EnableWindow(frame, FALSE);
  EXPECT_FALSE(Topmost());
  EnableWindow(frame, TRUE);
  EXPECT_TRUE(Topmost());
  w->SetFloatingMode(fmOnTopOfParentForm);
  EXPECT_EQ(form->Handle(), GetWindow(frame, GW_OWNER));
  EXPECT_FALSE(Topmost());
}

TEST_F(FloatingFrames, TheFrameAnswersItsOwnHitCodesForCaptionCloseButtonAndSizingZones) {
  const RECT r = dock_tests::WindowRect(frame);
  const int width = r.right - r.left, height = r.bottom - r.top;
  POINT b;
  w->GetFloatingBorderSize(b);
  const int caption = GetSystemMetrics(SM_CYSMCAPTION);
  const int k = caption + b.x - 1;
  struct Hit {
    POINT at;
    LRESULT eight, four;
  };
  const Hit cases[] = {
      {{width / 2, b.y + 2}, HT_TB2k_Caption, HT_TB2k_Caption},
      {{width - b.x - caption / 2, b.y + caption / 2}, HT_TB2k_Close, HT_TB2k_Close},
      {{width / 2, height / 2}, HTCLIENT, HTCLIENT},
      {{0, height / 2}, HTLEFT, HTLEFT},
      {{width - 1, height / 2}, HTRIGHT, HTRIGHT},
      // The band's inner pixel lies in the client area, which wins.
      {{width - b.x - 1, height / 2}, HTCLIENT, HTCLIENT},
      {{width / 2, 0}, HTTOP, HTTOP},
      {{width / 2, height - 1}, HTBOTTOM, HTBOTTOM},
      {{0, k - 1}, HTTOPLEFT, HTLEFT},
      {{0, k}, HTLEFT, HTLEFT},
      {{k - 1, 0}, HTTOPLEFT, HTTOP},
      {{width - 1, height - k}, HTBOTTOMRIGHT, HTRIGHT},
      {{width - k, height - 1}, HTBOTTOMRIGHT, HTBOTTOM},
      {{width - k - 1, height - 1}, HTBOTTOM, HTBOTTOM},
  };
  for (bool eight : {true, false}) {
    w->SetDockableWindowStyles(eight ? tbdsResizeEightCorner : 0);
    for (const Hit& h : cases)
      EXPECT_EQ(eight ? h.eight : h.four, HitAt(h.at.x, h.at.y)) << eight << " at " << h.at.x << "," << h.at.y;
  }
  // Without a close button the whole caption drags; without a sizing border nothing sizes.
  w->SetCloseButton(false);
  EXPECT_EQ(HT_TB2k_Caption, HitAt(width - b.x - caption / 2, b.y + caption / 2));
  w->SetResizable(false);
  w->GetFloatingBorderSize(b);
  EXPECT_EQ(HTNOWHERE, HitAt(0, height / 2));
}

TEST_F(FloatingFrames, TheClientAreaIsTheWindowLessBorderAndCaption) {
  const RECT r = dock_tests::WindowRect(frame), c = dock_tests::ClientRectOnScreen(frame);
  POINT b;
  w->GetFloatingBorderSize(b);
  EXPECT_EQ(r.left + b.x, c.left);
  EXPECT_EQ(r.top + b.y + GetSystemMetrics(SM_CYSMCAPTION), c.top);
  EXPECT_EQ(r.right - b.x, c.right);
  EXPECT_EQ(r.bottom - b.y, c.bottom);
  EXPECT_EQ(c.right - c.left, w->Width());
  w->SetShowCaption(false);
  EXPECT_EQ(r.top + b.y, dock_tests::ClientRectOnScreen(frame).top);
}

TEST_F(FloatingFrames, AClickOnTheFrameLeavesTheFormActive) {
  ASSERT_EQ(form->Handle(), GetActiveWindow());
  const RECT r = dock_tests::WindowRect(frame);
  Click({(r.left + r.right) / 2, r.top + 6});
  EXPECT_EQ(form->Handle(), GetActiveWindow());
  EXPECT_EQ(form->Handle(), GetForegroundWindow());
  EXPECT_TRUE(IsWindowVisible(frame));
}

TEST_F(FloatingFrames, TheFormsCaptionIsActiveExactlyWhileTheFrameIs) {
  NCActivateWatched = form->Handle();
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, NCActivateSpy, nullptr, GetCurrentThreadId());
  // Into the floating edit box: the frame takes the activation (the edit needs the keys).
  const RECT edit = dock_tests::WindowRect(form->NotesEdit->Handle());
  Click({(edit.left + edit.right) / 2, (edit.top + edit.bottom) / 2});
  EXPECT_EQ(frame, GetActiveWindow());
  EXPECT_EQ(form->NotesEdit->Handle(), GetFocus());
  EXPECT_EQ(1, NCActivateLast);
  // Back to the form: the frame gives the caption back.
  SetActiveWindow(form->Handle());
  testing_support::PumpMessages();
  EXPECT_EQ(form->Handle(), GetActiveWindow());
  UnhookWindowsHookEx(hook);
}

TEST_F(FloatingFrames, AltF4OnTheFrameClosesTheFormNotTheWindow) {
  struct TCounter : TObject {
    int closes = 0;
    void Close(TObject*, TCloseAction& Action) {
      ++closes;
      Action = TCloseAction::caNone;
    }
  } counter;
  form->OnClose = TCloseEvent(&counter, &TCounter::Close);
  const RECT edit = dock_tests::WindowRect(form->NotesEdit->Handle());
  Click({(edit.left + edit.right) / 2, (edit.top + edit.bottom) / 2});
  ASSERT_EQ(frame, GetActiveWindow());
  dock_tests::Key(VK_MENU, true);
  dock_tests::Key(VK_F4, true);
  dock_tests::Key(VK_F4, false);
  dock_tests::Key(VK_MENU, false);
  EXPECT_TRUE(PumpUntil([&] { return counter.closes == 1; }, 2000));
  EXPECT_TRUE(IsWindowVisible(frame));
  EXPECT_TRUE(w->Visible());
  // WM_CLOSE itself, however it comes.
  SendMessageW(frame, WM_CLOSE, 0, 0);
  EXPECT_EQ(2, counter.closes);
  EXPECT_TRUE(IsWindow(frame));
}

TEST_F(FloatingFrames, AFrameHidesWhileItsFormIsMinimised) {
  ASSERT_TRUE(IsWindowVisible(frame));
  ShowWindow(form->Handle(), SW_MINIMIZE);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(frame); }, 2000));
  ShowWindow(form->Handle(), SW_RESTORE);
  EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(frame); }, 2000));
}

TEST_F(FloatingFrames, AFrameHidesWhileAnotherProgramIsInFrontUnlessAskedNotTo) {
  for (bool hide : {true, false}) {
    w->SetHideWhenInactive(hide);
    ASSERT_TRUE(IsWindowVisible(frame)) << hide;
    {
      TForeignWindow other;
      SetForegroundWindow(other.Handle());
      EXPECT_TRUE(PumpUntil([&] { return GetActiveWindow() == nullptr; }, 2000)) << hide;
      EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(frame) != hide; }, 2000)) << hide;
      EXPECT_EQ(!hide, IsWindowVisible(frame) != FALSE) << hide;
    }
    Activate();
    EXPECT_TRUE(PumpUntil([&] { return IsWindowVisible(frame) != FALSE; }, 2000)) << hide;
  }
}

TEST_F(FloatingFrames, EscInAFloatingWindowGivesTheFocusBackToTheForm) {
  const RECT edit = dock_tests::WindowRect(form->NotesEdit->Handle());
  Click({(edit.left + edit.right) / 2, (edit.top + edit.bottom) / 2});
  ASSERT_EQ(form->NotesEdit->Handle(), GetFocus());
  dock_tests::Key(VK_ESCAPE, true);
  dock_tests::Key(VK_ESCAPE, false);
  EXPECT_TRUE(PumpUntil([&] { return GetActiveWindow() == form->Handle(); }, 2000));
  const HWND focus = GetFocus();
  EXPECT_TRUE(focus == form->Handle() || IsChild(form->Handle(), focus));
  EXPECT_TRUE(IsWindowVisible(frame));
  // With Shift (or without a form to go back to) the key is the form's own business.
  EXPECT_EQ(0, w->FloatingParent()->Perform(CM_DIALOGKEY, 'A', 0));
}
