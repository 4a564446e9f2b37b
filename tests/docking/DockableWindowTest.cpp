// Dockable windows: the docked frame, the moves between dock, frame and form with their
// windows kept, double clicks, closing, and windows freed from their own handlers.
#include "DockTestSupport.h"

#include "items/TB2Common.h"

using dock_tests::DockHost;
using dock_tests::Render;
using dock_tests::TEventLog;

namespace {

constexpr COLORREF kText = RGB(1, 2, 3), kFace = RGB(200, 201, 202);

class TFixedColors : public seams::TSystemSettings {
 public:
  COLORREF SysColor(int Index) override {
    if (Index == COLOR_BTNTEXT) return kText;
    if (Index == COLOR_BTNFACE) return kFace;
    return seams::TSystemSettings::SysColor(Index);
  }
};

class DockableWindows : public DockHost {
 protected:
  TFixedColors colors;
  seams::Scoped<seams::TSystemSettings> useColors{colors};

  HWND FrameOf(TTBCustomDockableWindow* W) {
    return W->FloatingParent() && W->FloatingParent()->HandleAllocated() ? W->FloatingParent()->Handle() : nullptr;
  }
};

// The close glyph's rows, the high bit leftmost.
constexpr BYTE kGlyph[8] = {0x00, 0xCC, 0x78, 0x30, 0x78, 0xCC, 0x00, 0x00};

}  // namespace

TEST_F(DockableWindows, TheDockedFrameFollowsHandleStyleCloseButtonOrientationAndDragging) {
  for (TTBDock* dock : {form->TopDock, form->LeftDock}) {
    TTBToolWindow* w = dock == form->TopDock ? form->Tools : form->Notes;
    const bool leftRight = dock->Vertical();
    for (bool allowDrag : {true, false})
      for (TTBDragHandleStyle style : {dhDouble, dhNone, dhSingle})
        for (bool close : {false, true}) {
          dock->SetAllowDrag(allowDrag);
          w->SetDragHandleStyle(style);
          w->SetCloseButtonWhenDocked(close);
          const std::string what = std::string(leftRight ? "left" : "top") + " drag " + (allowDrag ? "on" : "off") +
                                   " style " + std::to_string(style) + " close " + (close ? "on" : "off");
          const int handle = !allowDrag ? 0 : close ? 14 : style == dhDouble ? 9 : style == dhSingle ? 6 : 0;
          const RECT window = dock_tests::WindowRect(w->Handle());
          const RECT client = dock_tests::ClientRectOnScreen(w->Handle());
          EXPECT_EQ(window.left + 2 + (leftRight ? 0 : handle), client.left) << what;
          EXPECT_EQ(window.top + 2 + (leftRight ? handle : 0), client.top) << what;
          EXPECT_EQ(window.right - 2, client.right) << what;
          EXPECT_EQ(window.bottom - 2, client.bottom) << what;
          auto hit = [&](int x, int y) {
            return SendMessageW(w->Handle(), WM_NCHITTEST, 0, MAKELPARAM(window.left + x, window.top + y));
          };
          EXPECT_EQ(HTCLIENT, hit(client.left - window.left + 3, client.top - window.top + 3)) << what;
          EXPECT_EQ(HT_TB2k_Border, hit(1, 1)) << what;
          if (!allowDrag || handle == 0) continue;
          const RECT button = w->GetDockedCloseButtonRect(leftRight);
          const LRESULT onButton = hit((button.left + button.right) / 2, (button.top + button.bottom) / 2);
          EXPECT_EQ(close ? HT_TB2k_Close : HT_TB2k_Border, onButton) << what;
          if (!close) continue;
          auto pixels = Render(w->Handle(), PRF_NONCLIENT);
          for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 7; ++x) {
              const bool set = (kGlyph[y] >> (7 - x)) & 1;
              const COLORREF c = pixels->At(button.left + 2 + x, button.top + 2 + y);
              EXPECT_EQ(set, c == kText) << what << " glyph at " << x << "," << y;
            }
        }
    dock->SetAllowDrag(true);
  }
}

TEST_F(DockableWindows, GripLinesEndInALightCornerPixel) {
  TTBToolWindow* w = form->Tools;
  form->TopDock->SetBackgroundOnToolbars(false);
  w->SetDragHandleStyle(dhDouble);
  auto pixels = Render(w->Handle(), PRF_NONCLIENT);
  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);
  const int bottom = w->ClientHeight() + 2 - 1;
  for (int line = 0; line < 2; ++line) {
    const int x = 2 + 2 + 3 * line;
    EXPECT_EQ(light, pixels->At(x, bottom)) << line;    // the far corner
    EXPECT_EQ(shadow, pixels->At(x + 1, bottom)) << line;  // the rest of the lower edge
    EXPECT_EQ(light, pixels->At(x, 4)) << line;
  }
  EXPECT_EQ(kFace, pixels->At(10, 1));  // the inner ring, where the dock's background is not wanted
}

TEST_F(DockableWindows, AWindowGoesFromDockToFrameToAnotherDockToTheFormKeepingItsWindows) {
  TTBToolWindow* w = form->Tools;
  // Without a last dock, a window that leaves its dock is in no dock's list: it has no place.
  w->SetUseLastDock(false);
  TEventLog log;
  log.Bind(w);
  const HWND wnd = w->Handle(), edit = form->ToolsEdit->Handle();
  struct Step {
    const char* what;
    std::function<void()> move;
    std::function<HWND()> parent;
    std::vector<std::string> events;
  };
  const Step steps[] = {
      {"float", [&] { w->SetFloating(true); }, [&] { return FrameOf(w); },
       {"changing floating", "recreating", "hidden floating", "recreated", "changed"}},
      {"dock left", [&] { w->SetCurrentDock(form->LeftDock); }, [&] { return form->LeftDock->Handle(); },
       {"changing LeftDock", "recreating", "hidden LeftDock", "recreated", "changed"}},
      {"form", [&] { w->SetCurrentDock(nullptr); }, [&] { return form->Handle(); },
       {"changing form", "recreating", "hidden form", "recreated", "changed"}},
      {"dock top", [&] { w->SetCurrentDock(form->TopDock); }, [&] { return form->TopDock->Handle(); },
       {"changing TopDock", "recreating", "hidden TopDock", "recreated", "changed"}},
  };
  for (const Step& s : steps) {
    log.Events.clear();
    s.move();
    EXPECT_EQ(wnd, w->Handle()) << s.what;
    EXPECT_EQ(edit, form->ToolsEdit->Handle()) << s.what;
    EXPECT_EQ(wnd, GetParent(edit)) << s.what;
    EXPECT_EQ(s.parent(), GetParent(wnd)) << s.what;
    EXPECT_EQ(s.events, log.Events) << s.what;
    EXPECT_TRUE(IsWindowVisible(edit)) << s.what;
    if (w->Docked()) EXPECT_EQ(0, w->PlacedRow()) << s.what;
    else EXPECT_EQ(-1, w->PlacedRow()) << s.what;
  }
  // Floating again reuses the frame kept from before only on the same form.
  EXPECT_EQ(nullptr, w->FloatingParent());
}

TEST_F(DockableWindows, ADoubleClickFloatsThenDocksBackIntoTheLastDockOrTheDefaultDockFirst) {
  TTBToolWindow* w = form->Output;
  const RECT window = dock_tests::WindowRect(w->Handle());
  SendMessageW(w->Handle(), WM_NCLBUTTONDBLCLK, HT_TB2k_Border, MAKELPARAM(window.left + 3, window.top + 3));
  ASSERT_TRUE(w->Floating());
  EXPECT_EQ(form->BottomDock, w->LastDock());
  SendMessageW(FrameOf(w), WM_NCLBUTTONDBLCLK, HT_TB2k_Caption, 0);
  EXPECT_EQ(form->BottomDock, w->CurrentDock());
  // Without a last dock it goes to the front of the default dock's first row.
  w->SetFloating(true);
  w->SetUseLastDock(false);
  EXPECT_EQ(nullptr, w->LastDock());
  w->DoubleClick();
  EXPECT_EQ(form->TopDock, w->CurrentDock());
  EXPECT_EQ(0, w->DockRow());
  EXPECT_LT(w->Left(), form->Tools->Left());
  EXPECT_EQ(0, w->Left());
}

TEST_F(DockableWindows, CloseAsksOnCloseQueryFirst) {
  struct TGate : TObject {
    bool allow = false;
    void Query(TObject*, bool& CanClose) { CanClose = allow; }
  } gate;
  TTBToolWindow* w = form->Find;
  TEventLog log;
  log.Bind(w);
  w->OnCloseQuery = TCloseQueryEvent(&gate, &TGate::Query);
  w->Close();
  EXPECT_TRUE(w->Visible());
  EXPECT_TRUE(log.Events.empty());
  gate.allow = true;
  w->Close();
  EXPECT_FALSE(w->Visible());
  EXPECT_EQ(std::vector<std::string>{"close"}, log.Events);
  EXPECT_FALSE(IsWindowVisible(w->Handle()));
}

TEST_F(DockableWindows, AFormFreedWhileItsWindowFloatsLeavesNoFrame) {
  for (TTBFloatingMode mode : {fmOnTopOfParentForm, fmOnTopOfAllForms}) {
    TDockDemoForm::TOptions options;
    auto* other = new TDockDemoForm(Application, options);
    other->Show();
    other->Notes->SetFloatingMode(mode);
    other->Notes->SetFloating(true);
    const HWND frame = FrameOf(other->Notes);
    ASSERT_TRUE(IsWindow(frame));
    other->Free();
    testing_support::PumpMessages();
    EXPECT_FALSE(IsWindow(frame)) << mode;
  }
}

TEST_F(DockableWindows, AWindowFreedByItsOnCloseFromTheCloseButtonsGoesCleanly) {
  // The frame's close button (the frame goes with the window) and the docked one.
  for (bool floating : {true, false}) {
    struct TFreer : TObject {
      TTBToolWindow* window = nullptr;
      bool freed = false;
      void Close(TObject*) {
        window->Free();
        freed = true;
      }
    } freer;
    TTBToolWindow* w = form->Find;
    freer.window = w;
    w->OnClose = TNotifyEvent(&freer, &TFreer::Close);
    w->SetCloseButtonWhenDocked(true);
    RECT button;
    HWND target;
    if (floating) {
      w->SetFloating(true);
      target = FrameOf(w);
      button = w->FloatingParent()->FloatingCloseButtonRect(true);
    } else {
      target = w->Handle();
      button = w->GetDockedCloseButtonRect(false);
    }
    const RECT window = dock_tests::WindowRect(target);
    const POINT at{window.left + (button.left + button.right) / 2, window.top + (button.top + button.bottom) / 2};
    SetCursorPos(at.x, at.y);
    testing_support::PumpMessages();
    dock_tests::MouseButton(true);
    dock_tests::MouseButton(false);
    EXPECT_TRUE(testing_support::PumpUntil([&] { return freer.freed; }, 3000)) << floating;
    EXPECT_FALSE(IsWindow(target)) << floating;
    EXPECT_EQ(nullptr, GetCapture());
    if (!freer.freed) return;
    // The demo form's fields no longer name it.
    form->Find = nullptr;
    // Another one for the second round.
    form->Find = new TTBToolWindow(form);
    form->Find->SetClientAreaSize(100, 22);
    form->Find->SetParent(form->TopDock);
  }
}

TEST_F(DockableWindows, AFrameOffTheScreenIsBroughtBackWholeOrOnlyWhenItIsAllOff) {
  TTBToolWindow* w = form->Notes;
  w->SetFloating(true);
  TTBFloatingWindowParent* frame = w->FloatingParent();
  const RECT area = GetRectOfMonitorContainingRect(dock_tests::WindowRect(frame->Handle()), true);
  const int fw = frame->Width(), fh = frame->Height();
  struct Place {
    POINT at;
    bool onlyIfAllOff;
    POINT expected;
  };
  const Place cases[] = {
      {{area.right - fw / 2, 100}, false, {area.right - fw, 100}},
      {{area.right - fw / 2, 100}, true, {area.right - fw / 2, 100}},
      {{area.right + 50, area.bottom + 50}, true, {area.right - fw, area.bottom - fh}},
      {{area.left - 30, area.top - 40}, false, {area.left, area.top}},
  };
  for (const Place& c : cases) {
    w->SetFloatingPosition(c.at);
    w->MoveOnScreen(c.onlyIfAllOff);
    const RECT r = dock_tests::WindowRect(frame->Handle());
    EXPECT_EQ(c.expected.x, r.left) << c.at.x << "," << c.at.y << " " << c.onlyIfAllOff;
    EXPECT_EQ(c.expected.y, r.top) << c.at.x << "," << c.at.y << " " << c.onlyIfAllOff;
  }
}

namespace {

// A window that takes part in menu keys, as a menu bar does: it logs the commands and dialog
// keys it is offered and answers them.
class TMenuWindow : public TTBToolWindow {
 public:
  explicit TMenuWindow(TComponent* AOwner) : TTBToolWindow(AOwner) { SetControlStyle(ControlStyle() | csMenuEvents); }
  std::vector<WPARAM> Commands;
  std::vector<std::pair<UINT, WPARAM>> Keys;
  LRESULT Answer = 1;

 protected:
  void Dispatch(TMessage& m) override {
    if (m.Msg == WM_SYSCOMMAND) {
      Commands.push_back(m.WParam);
      m.Result = Answer;
      return;
    }
    if (m.Msg == CM_DIALOGKEY || m.Msg == CM_DIALOGCHAR) {
      Keys.emplace_back(m.Msg, m.WParam);
      m.Result = Answer;
      return;
    }
    TTBToolWindow::Dispatch(m);
  }
};

}  // namespace

TEST_F(DockableWindows, ADockHandsSystemCommandsToItsFloatingMenuBars) {
  auto* bar = new TMenuWindow(form);
  bar->SetParent(form->TopDock);
  EXPECT_EQ(0, form->TopDock->Perform(WM_SYSCOMMAND, SC_KEYMENU, 'f'));
  EXPECT_TRUE(bar->Commands.empty()) << "docked: not a floating bar";
  bar->SetFloating(true);
  EXPECT_EQ(1, form->TopDock->Perform(WM_SYSCOMMAND, SC_KEYMENU, 'f'));
  EXPECT_EQ(std::vector<WPARAM>{SC_KEYMENU}, bar->Commands);
  bar->SetEnabled(false);
  EXPECT_EQ(0, form->TopDock->Perform(WM_SYSCOMMAND, SC_KEYMENU, 'f'));
  EXPECT_EQ(1u, bar->Commands.size());
}

TEST_F(DockableWindows, TheFormsDialogKeysReachFloatingMenuBarsThroughTheirDockFirst) {
  auto* bar = new TMenuWindow(form);
  bar->SetParent(form->TopDock);
  bar->SetFloating(true);
  // The form offers its dialog keys and characters to its controls: the dock hands them to
  // its floating bar, whose answer ends the round.
  EXPECT_EQ(1, form->Perform(CM_DIALOGCHAR, 'f', 0));
  EXPECT_EQ(1, form->Perform(CM_DIALOGKEY, VK_RETURN, 0));
  const std::vector<std::pair<UINT, WPARAM>> both{{CM_DIALOGCHAR, 'f'}, {CM_DIALOGKEY, VK_RETURN}};
  EXPECT_EQ(both, bar->Keys);
  // Unanswered, they go on to the dock's own controls and further.
  bar->Answer = 0;
  EXPECT_EQ(0, form->TopDock->Perform(CM_DIALOGCHAR, 'q', 0));
  EXPECT_EQ(3u, bar->Keys.size());
  // A real key: Alt pressed in the form's docked edit box reaches the floating bar.
  bar->Answer = 1;
  bar->Keys.clear();
  Activate();
  form->ToolsEdit->SetFocus();
  testing_support::PumpMessages();
  dock_tests::Key(VK_MENU, true);
  dock_tests::Key(VK_MENU, false);
  EXPECT_TRUE(testing_support::PumpUntil([&] { return !bar->Keys.empty(); }, 2000));
  ASSERT_FALSE(bar->Keys.empty());
  EXPECT_EQ((std::pair<UINT, WPARAM>{CM_DIALOGKEY, VK_MENU}), bar->Keys.front());
}
