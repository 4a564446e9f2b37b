#include "classlib/TrayIcon.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using testing_support::PumpMessages;

namespace {

// Records every request to the notification area instead of making it.
class TRecordingTrayArea : public seams::TTrayArea {
 public:
  struct Call {
    DWORD Message;
    UINT Flags, Id, Callback;
    HWND Wnd;
    HICON Icon;
    String Tip, Info, InfoTitle;
    DWORD InfoFlags;
    UINT Timeout;
  };
  bool Notify(DWORD message, NOTIFYICONDATAW& d) override {
    EXPECT_EQ(sizeof(NOTIFYICONDATAW), d.cbSize);
    Calls.push_back({message, d.uFlags, d.uID, d.uCallbackMessage, d.hWnd, d.hIcon, d.szTip,
                     d.szInfo, d.szInfoTitle, d.dwInfoFlags, d.uTimeout});
    return true;
  }
  std::vector<Call> Calls;
};

// The menu framework's part: remembers where it was asked to show and what was in front.
class TPopupDouble : public TPopupMenu {
 public:
  using TPopupMenu::TPopupMenu;
  void Popup(int X, int Y) override {
    Points.push_back({X, Y});
    Foreground = GetForegroundWindow();
  }
  std::vector<POINT> Points;
  HWND Foreground = nullptr;
};

class TClickSpy : public TObject {
 public:
  int Clicks = 0, DoubleClicks = 0;
  void OnClick(TObject*) { ++Clicks; }
  void OnDblClick(TObject*) { ++DoubleClicks; }
  // As the new-note command does: it processes pending messages while it runs.
  void OnDblClickPumping(TObject*) {
    ++DoubleClicks;
    PumpMessages();
  }
};

constexpr UINT kIconFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;

class TrayIconTest : public testing::Test {
 protected:
  void SetUp() override {
    owner_ = new TComponent(nullptr);
    tray_ = new TTrayIcon(owner_);
  }
  void TearDown() override { owner_->Free(); }

  // The shell's report of a mouse message on the icon.
  void SendMouse(UINT mouseMessage) {
    SendMessageW(tray_->Handle(), TTrayIcon::CallbackMessage, TTrayIcon::IconId, mouseMessage);
  }
  const TRecordingTrayArea::Call& Last() { return area_.Calls.back(); }

  TRecordingTrayArea area_;
  seams::Scoped<seams::TTrayArea> scoped_{area_};
  TComponent* owner_ = nullptr;
  TTrayIcon* tray_ = nullptr;
};

}  // namespace

TEST_F(TrayIconTest, VisibleAddsChangesModifyAndHidingOrFreeingDeletes) {
  tray_->SetHint(L"Quillnote\r\nDouble click for new note!");
  EXPECT_TRUE(area_.Calls.empty());  // nothing is shown yet

  tray_->SetVisible(true);
  ASSERT_EQ(1u, area_.Calls.size());
  EXPECT_EQ(static_cast<DWORD>(NIM_ADD), Last().Message);
  EXPECT_EQ(kIconFlags, Last().Flags);
  EXPECT_EQ(tray_->Handle(), Last().Wnd);
  EXPECT_EQ(TTrayIcon::IconId, Last().Id);
  EXPECT_EQ(TTrayIcon::CallbackMessage, Last().Callback);
  EXPECT_EQ(L"Quillnote\r\nDouble click for new note!", Last().Tip);

  tray_->SetHint(L"Other");
  ASSERT_EQ(2u, area_.Calls.size());
  EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), Last().Message);
  EXPECT_EQ(kIconFlags, Last().Flags);
  EXPECT_EQ(L"Other", Last().Tip);
  tray_->SetHint(L"Other");
  EXPECT_EQ(2u, area_.Calls.size());  // no change, no request

  tray_->SetVisible(false);
  ASSERT_EQ(3u, area_.Calls.size());
  EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), Last().Message);
  EXPECT_EQ(tray_->Handle(), Last().Wnd);
  tray_->SetHint(L"Hidden");
  EXPECT_EQ(3u, area_.Calls.size());

  tray_->SetVisible(true);
  HWND wnd = tray_->Handle();
  TComponent::FreeAndNil(tray_);
  ASSERT_EQ(5u, area_.Calls.size());
  EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), Last().Message);
  EXPECT_EQ(wnd, Last().Wnd);
  EXPECT_FALSE(IsWindow(wnd));
}

TEST_F(TrayIconTest, TextsAreCutToTheirFields) {
  struct Case {
    size_t length, tip, info, title;
  };
  const Case cases[] = {{10, 10, 10, 10}, {63, 63, 63, 63}, {64, 64, 64, 63},
                        {127, 127, 127, 63}, {300, 127, 255, 63}};
  tray_->SetVisible(true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    String text(c.length, L'x');
    tray_->SetHint(text);
    EXPECT_EQ(String(c.tip, L'x'), Last().Tip);
    tray_->SetBalloonHint(text);
    tray_->SetBalloonTitle(text);
    tray_->ShowBalloonHint();
    EXPECT_EQ(String(c.info, L'x'), Last().Info);
    EXPECT_EQ(String(c.title, L'x'), Last().InfoTitle);
  }
}

TEST_F(TrayIconTest, BalloonHintCarriesTextTitleAndKind) {
  const std::pair<TBalloonFlags, DWORD> kinds[] = {
      {bfNone, NIIF_NONE}, {bfInfo, NIIF_INFO}, {bfWarning, NIIF_WARNING}, {bfError, NIIF_ERROR}};
  tray_->SetBalloonHint(L"Double click for new note!");
  tray_->SetBalloonTitle(L"Quillnote");
  tray_->ShowBalloonHint();
  EXPECT_TRUE(area_.Calls.empty());  // no balloon without an icon

  tray_->SetVisible(true);
  for (auto [kind, expected] : kinds) {
    SCOPED_TRACE(expected);
    tray_->SetBalloonFlags(kind);
    tray_->ShowBalloonHint();
    EXPECT_EQ(static_cast<DWORD>(NIM_MODIFY), Last().Message);
    EXPECT_EQ(static_cast<UINT>(NIF_INFO), Last().Flags);
    EXPECT_EQ(L"Double click for new note!", Last().Info);
    EXPECT_EQ(L"Quillnote", Last().InfoTitle);
    EXPECT_EQ(expected, Last().InfoFlags);
    EXPECT_EQ(tray_->BalloonTimeout(), Last().Timeout);
  }
}

TEST_F(TrayIconTest, IconIsACopyOrTheChosenImageOfTheList) {
  HICON system = LoadIconW(nullptr, IDI_APPLICATION);
  tray_->SetVisible(true);
  tray_->SetIcon(system);
  ASSERT_NE(nullptr, tray_->Icon());
  EXPECT_NE(system, tray_->Icon());  // a copy of its own
  EXPECT_EQ(tray_->Icon(), Last().Icon);

  auto* images = new TImageList(owner_);
  images->AddIcon(system);
  images->AddIcon(LoadIconW(nullptr, IDI_WARNING));
  tray_->SetIcons(images);
  tray_->SetIconIndex(1);
  HICON fromList = Last().Icon;
  EXPECT_NE(nullptr, fromList);
  EXPECT_NE(tray_->Icon(), fromList);

  tray_->SetIconIndex(5);  // no such image: the icon of its own
  EXPECT_EQ(tray_->Icon(), Last().Icon);
  images->AddIcon(system);  // the list changed, still no image 5
  EXPECT_EQ(tray_->Icon(), Last().Icon);

  tray_->SetIconIndex(0);
  EXPECT_NE(tray_->Icon(), Last().Icon);
  images->Free();  // freed first: the tray icon forgets it
  EXPECT_EQ(nullptr, tray_->Icons());
  EXPECT_EQ(tray_->Icon(), Last().Icon);
}

TEST_F(TrayIconTest, LoadingDefersTheIconUntilLoaded) {
  auto* form = new TComponent(nullptr);
  form->BeginLoading();
  auto* tray = new TTrayIcon(form);
  tray->SetHint(L"Loaded");
  tray->SetVisible(true);
  EXPECT_TRUE(area_.Calls.empty());
  form->EndLoading();
  ASSERT_EQ(1u, area_.Calls.size());
  EXPECT_EQ(static_cast<DWORD>(NIM_ADD), Last().Message);
  EXPECT_EQ(L"Loaded", Last().Tip);
  form->Free();
  EXPECT_EQ(static_cast<DWORD>(NIM_DELETE), Last().Message);
}

TEST_F(TrayIconTest, RecreatedTaskbarGetsAVisibleIconBack) {
  const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
  SendMessageW(tray_->Handle(), taskbarCreated, 0, 0);
  EXPECT_TRUE(area_.Calls.empty());
  tray_->SetVisible(true);
  SendMessageW(tray_->Handle(), taskbarCreated, 0, 0);
  ASSERT_EQ(2u, area_.Calls.size());
  EXPECT_EQ(static_cast<DWORD>(NIM_ADD), Last().Message);
  EXPECT_EQ(kIconFlags, Last().Flags);
}

TEST_F(TrayIconTest, LeftButtonReportsClicksAndDoubleClicks) {
  struct Case {
    const char* name;
    std::vector<UINT> messages;
    int clicks, doubleClicks;
  };
  const Case cases[] = {
      {"single", {WM_LBUTTONDOWN, WM_LBUTTONUP}, 1, 0},
      {"double", {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}, 1, 1},
      {"double then single",
       {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP},
       2, 1},
      {"double released elsewhere, then single",
       {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN, WM_LBUTTONUP}, 2, 1},
      {"moves and right button", {WM_MOUSEMOVE, WM_RBUTTONDOWN, WM_RBUTTONUP}, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TClickSpy spy;
    auto* tray = new TTrayIcon(owner_);
    tray->OnClick = TNotifyEvent(&spy, &TClickSpy::OnClick);
    tray->OnDblClick = TNotifyEvent(&spy, &TClickSpy::OnDblClick);
    for (UINT m : c.messages)
      SendMessageW(tray->Handle(), TTrayIcon::CallbackMessage, TTrayIcon::IconId, m);
    EXPECT_EQ(c.clicks, spy.Clicks);
    EXPECT_EQ(c.doubleClicks, spy.DoubleClicks);
    tray->Free();
  }
}

TEST_F(TrayIconTest, ReleaseEndingADoubleClickIsNoClickWhileTheHandlerPumps) {
  TClickSpy spy;
  tray_->OnClick = TNotifyEvent(&spy, &TClickSpy::OnClick);
  tray_->OnDblClick = TNotifyEvent(&spy, &TClickSpy::OnDblClickPumping);
  for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
    PostMessageW(tray_->Handle(), TTrayIcon::CallbackMessage, TTrayIcon::IconId, m);
  PumpMessages();
  EXPECT_EQ(1, spy.Clicks);
  EXPECT_EQ(1, spy.DoubleClicks);
}

namespace {

// Hidden windows: under Wine without a window manager, taking the foreground from a visible
// window costs two seconds.
HWND HiddenWindow() {
  return CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr,
                         nullptr, nullptr, nullptr);
}
HWND g_applicationWindow = nullptr;
HWND ApplicationWindow() { return g_applicationWindow; }

}  // namespace

TEST_F(TrayIconTest, RightButtonReleaseShowsThePopupMenuAtTheCursorInFront) {
  auto* menu = new TPopupDouble(owner_);
  tray_->SetPopupMenu(menu);
  HWND other = HiddenWindow();
  g_applicationWindow = HiddenWindow();
  auto* previousProvider = TTrayIcon::ForegroundWindowProvider;
  TTrayIcon::ForegroundWindowProvider = ApplicationWindow;
  SetForegroundWindow(other);
  ASSERT_EQ(other, GetForegroundWindow());
  SetCursorPos(321, 123);
  // The shell posts its reports; a posted message carries the cursor of its time.
  PostMessageW(tray_->Handle(), TTrayIcon::CallbackMessage, TTrayIcon::IconId, WM_RBUTTONDOWN);
  PostMessageW(tray_->Handle(), TTrayIcon::CallbackMessage, TTrayIcon::IconId, WM_RBUTTONUP);
  PumpMessages();
  TTrayIcon::ForegroundWindowProvider = previousProvider;
  ASSERT_EQ(1u, menu->Points.size());
  EXPECT_EQ(321, menu->Points[0].x);
  EXPECT_EQ(123, menu->Points[0].y);
  EXPECT_EQ(g_applicationWindow, menu->Foreground);
  EXPECT_EQ(tray_, menu->PopupComponent());
  DestroyWindow(other);
  DestroyWindow(g_applicationWindow);

  menu->Free();  // freed first: the tray icon forgets it and shows nothing
  EXPECT_EQ(nullptr, tray_->PopupMenu());
  SendMouse(WM_RBUTTONUP);
}

namespace {

// Records the mouse events as "down left 200,100".
class TMouseSpy : public TObject {
 public:
  std::vector<std::string> Events;
  void OnDown(TObject*, TMouseButton b, TShiftState, int x, int y) { Add("down", b, x, y); }
  void OnUp(TObject*, TMouseButton b, TShiftState, int x, int y) { Add("up", b, x, y); }
  void OnMove(TObject*, TShiftState, int x, int y) {
    Events.push_back("move " + std::to_string(x) + "," + std::to_string(y));
  }

 private:
  void Add(const char* what, TMouseButton b, int x, int y) {
    const char* names[] = {"left", "right", "middle"};
    Events.push_back(std::string(what) + " " + names[static_cast<int>(b)] + " " +
                     std::to_string(x) + "," + std::to_string(y));
  }
};

}  // namespace

TEST_F(TrayIconTest, MouseEventsReportButtonAndCursor) {
  const std::pair<UINT, const char*> cases[] = {
      {WM_LBUTTONDOWN, "down left 200,100"},  {WM_LBUTTONUP, "up left 200,100"},
      {WM_RBUTTONDOWN, "down right 200,100"}, {WM_RBUTTONUP, "up right 200,100"},
      {WM_MBUTTONDOWN, "down middle 200,100"}, {WM_MBUTTONUP, "up middle 200,100"},
      {WM_MOUSEMOVE, "move 200,100"},
  };
  TMouseSpy spy;
  tray_->OnMouseDown = TMouseEvent(&spy, &TMouseSpy::OnDown);
  tray_->OnMouseUp = TMouseEvent(&spy, &TMouseSpy::OnUp);
  tray_->OnMouseMove = TMouseMoveEvent(&spy, &TMouseSpy::OnMove);
  SetCursorPos(200, 100);
  PumpMessages();
  for (auto [message, expected] : cases) {
    SCOPED_TRACE(expected);
    spy.Events.clear();
    SendMouse(message);
    ASSERT_EQ(1u, spy.Events.size());
    EXPECT_EQ(expected, spy.Events[0]);
  }
}
