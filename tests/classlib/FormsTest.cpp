#include "classlib/Forms.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>

using testing_support::MessageBoxes;
using testing_support::PumpMessages;
using testing_support::PumpUntil;

namespace {

class FormsTest : public testing::Test {
 protected:
  void SetUp() override { MessageBoxes().Boxes.clear(); }
};

// A form whose handlers record what happens to it.
class TProbeForm : public TForm {
 public:
  explicit TProbeForm(TComponent* owner, bool* destroyed = nullptr) : TForm(owner), destroyed_(destroyed) {
    SetBounds(100, 100, 200, 150);
  }
  ~TProbeForm() override {
    if (destroyed_) *destroyed_ = true;
  }
  TCloseAction Action = TCloseAction::caHide;
  bool DestroyedWhileInHandler = false;
  bool InHandler = false;
  void FormClose(TObject*, TCloseAction& action) {
    InHandler = true;
    action = Action;
    // Anything after the close action was chosen still runs on a whole form.
    PumpMessages(0);
    DestroyedWhileInHandler = destroyed_ && *destroyed_;
    InHandler = false;
  }
  void Throw(TObject*) { throw EInvalidOperation(L"Handler failed"); }
  using TCustomForm::DoCreate;

 private:
  bool* destroyed_;
};

}  // namespace

TEST_F(FormsTest, ExceptionInAHandlerReachesTheApplicationAndTheLoopGoesOn) {
  auto* form = new TProbeForm(Application);
  auto* panel = new TCustomControl(form);
  panel->SetParent(form);
  panel->SetBounds(0, 0, 50, 50);
  panel->OnClick = TNotifyEvent(form, &TProbeForm::Throw);
  form->Show();
  // A window that notes how many errors had been reported when its message arrived.
  struct TSpy : TObject {
    void WndProc(TMessage& m) {
      if (m.Msg == WM_APP) BoxesSeen.push_back(MessageBoxes().Boxes.size());
      else m.Result = DefWindowProcW(Wnd, m.Msg, m.WParam, m.LParam);
    }
    HWND Wnd = nullptr;
    std::vector<size_t> BoxesSeen;
  } spy;
  spy.Wnd = AllocateHWnd(TWndMethod(&spy, &TSpy::WndProc));
  // A click made of real mouse messages reaches the handler through the window procedure; the
  // spy's message waits behind it.
  PostMessageW(panel->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageW(panel->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  PostMessageW(spy.Wnd, WM_APP, 0, 0);
  // The application's own loop runs them.
  for (DWORD start = GetTickCount(); spy.BoxesSeen.empty() && GetTickCount() - start < 5000;) {
    Application->ProcessMessages();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  DeallocateHWnd(spy.Wnd);
  ASSERT_EQ(1u, MessageBoxes().Boxes.size());
  EXPECT_EQ(L"Handler failed.", MessageBoxes().Boxes[0].Text);
  EXPECT_EQ(L"Quillnote tests", MessageBoxes().Boxes[0].Caption);
  EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONSTOP), MessageBoxes().Boxes[0].Flags);
  // The loop went on after the exception: the spy's message came, after the error was shown.
  EXPECT_EQ((std::vector<size_t>{1}), spy.BoxesSeen);
  form->Free();
}

TEST_F(FormsTest, OnExceptionReplacesTheStandardDialog) {
  struct TSink : TObject {
    String Seen;
    void Handle(TObject*, const Exception& e) { Seen = e.Message(); }
  } sink;
  Application->OnException = TExceptionEvent(&sink, &TSink::Handle);
  GuardBoundary([] { throw EConvertError(L"bad number"); });
  GuardBoundary([] { throw std::runtime_error("foreign"); });
  Application->OnException.Clear();
  EXPECT_EQ(L"foreign", sink.Seen);
  EXPECT_TRUE(MessageBoxes().Boxes.empty());
}

TEST_F(FormsTest, FreeActionFreesTheFormOnlyAfterItsHandlersReturned) {
  bool destroyed = false;
  auto* form = new TProbeForm(Application, &destroyed);
  form->Action = TCloseAction::caFree;
  form->OnClose = TCloseEvent(form, &TProbeForm::FormClose);
  form->Show();
  form->Close();
  EXPECT_FALSE(destroyed);  // still whole after Close returned
  PumpUntil([&] { return destroyed; });
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(nullptr, Application->FindComponent(L"never named"));
}

TEST_F(FormsTest, AFormFreedWhileALoopRunsForItGoesOnlyOnceTheLoopHasReturned) {
  // Freed directly, released by its close, and freed inside a guard within a guard.
  enum class TWay { Free, Close, Nested };
  for (TWay way : {TWay::Free, TWay::Close, TWay::Nested}) {
    SCOPED_TRACE(static_cast<int>(way));
    bool destroyed = false;
    auto* form = new TProbeForm(Application, &destroyed);
    form->Action = TCloseAction::caFree;
    form->OnClose = TCloseEvent(form, &TProbeForm::FormClose);
    form->Show();
    auto* owned = new TComponent(form);  // a component of the form guards the form too
    {
      TFormLoopGuard outer(owned);
      EXPECT_EQ(form, outer.Form());
      EXPECT_FALSE(outer.Gone());
      {
        TFormLoopGuard inner(form);
        if (way == TWay::Close) form->Close();
        else form->Free();
        // What the loop dispatches: the release, and everything else.
        PumpMessages(0);
        EXPECT_FALSE(destroyed);
        EXPECT_TRUE(inner.Gone());
        if (way != TWay::Nested) {
          EXPECT_FALSE(IsWindowVisible(form->Handle()));
        }
      }
      PumpMessages(0);
      EXPECT_FALSE(destroyed) << "freed while the outer loop still runs";
      EXPECT_TRUE(outer.Gone());
    }
    EXPECT_FALSE(destroyed) << "freed before the code after the loop returned";
    PumpUntil([&] { return destroyed; });
    EXPECT_TRUE(destroyed);
  }
  TFormLoopGuard none(nullptr);
  EXPECT_EQ(nullptr, none.Form());
  EXPECT_FALSE(none.Gone());
}

TEST_F(FormsTest, CloseActionsAndCloseQuery) {
  struct TRefuse : TObject {
    void Query(TObject*, bool& canClose) { canClose = false; }
  } refuse;
  for (TCloseAction action : {TCloseAction::caHide, TCloseAction::caNone}) {
    auto* form = new TProbeForm(Application);
    form->Action = action;
    form->OnClose = TCloseEvent(form, &TProbeForm::FormClose);
    form->Show();
    form->Close();
    EXPECT_EQ(action == TCloseAction::caNone, form->Visible());
    form->Show();
    form->OnCloseQuery = TCloseQueryEvent(&refuse, &TRefuse::Query);
    form->Close();
    EXPECT_TRUE(form->Visible());
    form->Free();
  }
}

TEST_F(FormsTest, ScreenListsOpenFormsAndForgetsFreedOnes) {
  int before = Screen->FormCount();
  auto* a = new TProbeForm(Application);
  auto* b = new TProbeForm(Application);
  ASSERT_EQ(before + 2, Screen->FormCount());
  auto forms = Screen->FormsSnapshot();
  EXPECT_NE(forms.end(), std::find(forms.begin(), forms.end(), a));
  a->Free();
  EXPECT_EQ(before + 1, Screen->FormCount());
  b->Free();
  EXPECT_EQ(before, Screen->FormCount());
}

TEST_F(FormsTest, ShowModalEndsWithTheModalResultAndReenablesOtherWindows) {
  auto* owner = new TProbeForm(Application);
  owner->Show();
  auto* dialog = new TProbeForm(Application);
  struct TCloser : TObject {
    TProbeForm* Dialog = nullptr;
    bool OwnerWasDisabled = false;
    HWND Owner = nullptr;
    void Shown(TObject*) {
      OwnerWasDisabled = !IsWindowEnabled(Owner);
      Dialog->SetModalResult(mrOk);
    }
  } closer;
  closer.Dialog = dialog;
  closer.Owner = owner->Handle();
  dialog->OnActivate = TNotifyEvent(&closer, &TCloser::Shown);
  dialog->OnShow = TNotifyEvent(&closer, &TCloser::Shown);
  EXPECT_EQ(mrOk, dialog->ShowModal());
  EXPECT_TRUE(closer.OwnerWasDisabled);
  EXPECT_TRUE(IsWindowEnabled(owner->Handle()));
  EXPECT_FALSE(dialog->Visible());
  dialog->Free();
  owner->Free();
}

TEST_F(FormsTest, AlignmentFillsTheClientAreaInOrder) {
  auto* form = new TProbeForm(Application);
  form->SetBorderStyle(TFormBorderStyle::bsNone);
  form->SetBounds(0, 0, 200, 100);
  auto make = [&](TAlign align, int size) {
    auto* c = new TCustomControl(form);
    c->SetBounds(0, 0, size, size);
    c->SetParent(form);
    c->SetAlign(align);
    return c;
  };
  auto* top = make(TAlign::alTop, 20);
  auto* bottom = make(TAlign::alBottom, 10);
  auto* left = make(TAlign::alLeft, 30);
  auto* client = make(TAlign::alClient, 5);
  form->SetBorderWidth(2);
  EXPECT_EQ((RECT{2, 2, 198, 22}), top->BoundsRect());
  EXPECT_EQ((RECT{2, 88, 198, 98}), bottom->BoundsRect());
  EXPECT_EQ((RECT{2, 22, 32, 88}), left->BoundsRect());
  EXPECT_EQ((RECT{32, 22, 198, 88}), client->BoundsRect());
  form->SetBounds(0, 0, 300, 100);  // a resize aligns again
  EXPECT_EQ(298, client->BoundsRect().right);
  form->Free();
}

TEST_F(FormsTest, RecreatingTheWindowKeepsTextBoundsAndChildren) {
  auto* form = new TProbeForm(Application);
  auto* child = new TCustomControl(form);
  child->SetParent(form);
  child->SetBounds(10, 10, 40, 40);
  form->SetCaption(L"Before");
  form->Show();
  HWND old = form->Handle();
  form->SetBorderStyle(TFormBorderStyle::bsToolWindow);  // recreates the window
  EXPECT_NE(old, form->Handle());
  wchar_t text[32] = {};
  GetWindowTextW(form->Handle(), text, 32);
  EXPECT_STREQ(L"Before", text);
  EXPECT_TRUE(IsWindow(child->Handle()));
  EXPECT_EQ(form->Handle(), GetParent(child->Handle()));
  EXPECT_EQ((RECT{10, 10, 50, 50}), child->BoundsRect());
  EXPECT_TRUE(GetWindowLongPtrW(form->Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  form->Free();
}

TEST_F(FormsTest, KeyPreviewLetsTheFormSeeAndSwallowKeys) {
  auto* form = new TProbeForm(Application);
  auto* child = new TCustomControl(form);
  child->SetParent(form);
  child->SetBounds(0, 0, 50, 50);
  struct TKeys : TObject {
    int FormKeys = 0, ChildKeys = 0;
    void FormKey(TObject*, WORD& key, TShiftState) {
      ++FormKeys;
      if (key == VK_ESCAPE) key = 0;
    }
    void ChildKey(TObject*, WORD&, TShiftState) { ++ChildKeys; }
  } keys;
  form->OnKeyDown = TKeyEvent(&keys, &TKeys::FormKey);
  child->OnKeyDown = TKeyEvent(&keys, &TKeys::ChildKey);
  form->Show();
  SendMessageW(child->Handle(), WM_KEYDOWN, 'A', 0);
  EXPECT_EQ(0, keys.FormKeys);
  EXPECT_EQ(1, keys.ChildKeys);
  form->SetKeyPreview(true);
  SendMessageW(child->Handle(), WM_KEYDOWN, 'A', 0);
  SendMessageW(child->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(2, keys.FormKeys);
  EXPECT_EQ(2, keys.ChildKeys);  // the swallowed Esc never reached the child
  form->Free();
}

TEST_F(FormsTest, PaintingIntoAHandedInDC) {
  struct TPainted : TCustomControl {
    using TCustomControl::TCustomControl;
    void Paint() override {
      Canvas().Brush().SetColor(clRed);
      Canvas().FillRect(RECT{0, 0, 4, 4});
    }
  };
  auto* form = new TProbeForm(Application);
  auto* c = new TPainted(form);
  c->SetParent(form);
  c->SetBounds(0, 0, 10, 10);
  c->SetColor(clWhite);
  form->Show();
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 10, 10);
  HGDIOBJ old = SelectObject(mem, bmp);
  PatBlt(mem, 0, 0, 10, 10, BLACKNESS);
  SendMessageW(c->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(mem), 0);
  EXPECT_EQ(RGB(255, 0, 0), GetPixel(mem, 1, 1));
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  form->Free();
}

TEST_F(FormsTest, HintShowsAfterThePauseAndGoesOnAButton) {
  auto* form = new TProbeForm(Application);
  form->SetBounds(200, 200, 200, 150);
  auto* c = new TCustomControl(form);
  c->SetParent(form);
  c->SetBounds(10, 10, 60, 30);
  c->SetHint(L"Close the note|Closes the note and saves it");
  c->SetShowHint(true);
  struct TRewrite : TCustomControl {
    using TCustomControl::TCustomControl;
    void Dispatch(TMessage& m) override {
      if (m.Msg == CM_HINTSHOW) reinterpret_cast<THintInfo*>(m.LParam)->HintStr += L"!";
      TCustomControl::Dispatch(m);
    }
  };
  auto* quiet = new TRewrite(form);
  quiet->SetParent(form);
  quiet->SetBounds(100, 10, 60, 30);
  quiet->SetHint(L"Other");  // ShowHint follows the form, which has it off
  form->Show();
  Application->SetHintPause(50);
  POINT inside = c->ClientToScreen(POINT{5, 5});
  SetCursorPos(inside.x, inside.y);
  SendMessageW(c->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  ASSERT_TRUE(PumpUntil([] { return Application->HintWindow() != nullptr; }, 3000));
  EXPECT_EQ(L"Close the note", Application->HintWindow()->Caption());
  EXPECT_TRUE(IsWindowVisible(Application->HintWindow()->Handle()));
  SendMessageW(c->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(c->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(nullptr, Application->HintWindow());

  POINT other = quiet->ClientToScreen(POINT{5, 5});
  SetCursorPos(other.x, other.y);
  SendMessageW(quiet->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  PumpMessages(200);
  EXPECT_EQ(nullptr, Application->HintWindow());
  form->SetShowHint(true);
  SendMessageW(quiet->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(6, 6));
  ASSERT_TRUE(PumpUntil([] { return Application->HintWindow() != nullptr; }, 3000));
  EXPECT_EQ(L"Other!", Application->HintWindow()->Caption());
  form->Free();
  EXPECT_EQ(nullptr, Application->HintWindow());
  Application->SetHintPause(500);
}

namespace {

// A popup menu that records where it was asked to show.
class TSpyPopupMenu : public TPopupMenu {
 public:
  using TPopupMenu::TPopupMenu;
  void Popup(int X, int Y) override { Shown.push_back(POINT{X, Y}); }
  std::vector<POINT> Shown;
};

// Records the senders of enter and exit events and checks that each was still whole.
struct TFocusRecorder : TObject {
  std::vector<TObject*> Senders;
  void Record(TObject* sender) {
    Senders.push_back(sender);
    EXPECT_NE(nullptr, dynamic_cast<TCustomControl*>(sender));
  }
};

}  // namespace

TEST_F(FormsTest, ContextMenuShowsAtTheMouseOrAtTheControlsCentreFromTheKeyboard) {
  auto* form = new TProbeForm(Application);
  auto* panel = new TCustomControl(form);
  panel->SetParent(form);
  panel->SetBounds(10, 20, 60, 40);
  auto* menu = new TSpyPopupMenu(form);
  panel->SetPopupMenu(menu);
  form->Show();
  const POINT centre = panel->ClientToScreen(POINT{30, 20});
  // Shift+F10 and the menu key give x = y = -1; a 64-bit lParam may carry them sign-extended
  // or in its low 32 bits only. A point left of or above the primary screen is negative too.
  struct Case {
    LPARAM lParam;
    POINT expected;
  } cases[] = {
      {LPARAM(-1), centre},
      {LPARAM(MAKELPARAM(-1, -1)), centre},
      {LPARAM(MAKELPARAM(300, 200)), POINT{300, 200}},
      {LPARAM(MAKELPARAM(-5, 7)), POINT{-5, 7}},
  };
  for (const Case& c : cases) {
    menu->Shown.clear();
    SendMessageW(panel->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(panel->Handle()), c.lParam);
    ASSERT_EQ(1u, menu->Shown.size()) << c.lParam;
    EXPECT_EQ(c.expected.x, menu->Shown[0].x) << c.lParam;
    EXPECT_EQ(c.expected.y, menu->Shown[0].y) << c.lParam;
  }
  form->Free();
}

TEST_F(FormsTest, FreeingTheActiveControlOrWhatHoldsItLeavesNoTraceInTheForm) {
  // The focus leaves the dying windows through their parents; no dying control may be handed
  // to an enter or exit handler half destroyed, or stay the form's active control.
  struct Case {
    bool freePanel;  // else the inner control alone
    bool shown;      // else the form never had the focus
  } cases[] = {{false, true}, {true, true}, {true, false}};
  for (const Case& c : cases) {
    TFocusRecorder recorder;
    auto* form = new TProbeForm(Application);
    auto* panel = new TCustomControl(form);
    panel->SetParent(form);
    panel->SetBounds(0, 0, 150, 100);
    auto* inner = new TCustomControl(form);  // owned by the form, lying on the panel
    inner->SetParent(panel);
    inner->SetBounds(10, 10, 50, 30);
    for (TWinControl* w : {static_cast<TWinControl*>(panel), static_cast<TWinControl*>(inner)}) {
      w->OnEnter = TNotifyEvent(&recorder, &TFocusRecorder::Record);
      w->OnExit = TNotifyEvent(&recorder, &TFocusRecorder::Record);
    }
    if (c.shown) {
      form->Show();
      inner->SetFocus();
    } else {
      form->SetActiveControl(inner);
    }
    ASSERT_EQ(inner, form->ActiveControl()) << c.freePanel << c.shown;
    recorder.Senders.clear();
    TWinControl* freed = c.freePanel ? static_cast<TWinControl*>(panel) : inner;
    freed->Free();
    // Only the panel, when it stays, may hear of the focus coming to it.
    for (TObject* sender : recorder.Senders) EXPECT_TRUE(!c.freePanel && sender == panel);
    EXPECT_NE(freed, form->ActiveControl()) << c.freePanel << c.shown;
    if (c.freePanel) {
      EXPECT_EQ(nullptr, form->ActiveControl()) << c.shown;
    }
    form->Free();
  }
}

TEST_F(FormsTest, BoundsFollowWhatTheWindowAccepted) {
  // A captioned window is kept at least as large as the system's smallest tracking size.
  for (TFormBorderStyle style : {TFormBorderStyle::bsSizeable, TFormBorderStyle::bsToolWindow}) {
    auto* form = new TProbeForm(Application);
    form->SetBorderStyle(style);
    form->HandleNeeded();
    form->SetBounds(120, 110, 4, 3);
    RECT r;
    GetWindowRect(form->Handle(), &r);
    EXPECT_GT(r.right - r.left, 4);
    EXPECT_EQ(r, form->BoundsRect());
    form->Free();
  }
}

TEST_F(FormsTest, ExceptionsReachTheDialogAlikeFromACatchBlockAndFromASystemBoundary) {
  struct Case {
    std::function<void()> raise;
    const wchar_t* shown;  // null: no dialog
  } cases[] = {
      {[] { throw EAbort(L"quiet"); }, nullptr},
      {[] { throw EConvertError(L"bad number"); }, L"bad number."},
      {[] { throw std::runtime_error("foreign"); }, L"foreign."},
      {[] { throw 42; }, L""},
  };
  for (const Case& c : cases) {
    for (bool boundary : {false, true}) {
      MessageBoxes().Boxes.clear();
      if (boundary) {
        GuardBoundary(c.raise);
      } else {
        try {
          c.raise();
        } catch (...) {
          Application->HandleException(Application);
        }
      }
      if (!c.shown) {
        EXPECT_TRUE(MessageBoxes().Boxes.empty()) << boundary;
        continue;
      }
      ASSERT_EQ(1u, MessageBoxes().Boxes.size()) << boundary;
      EXPECT_EQ(c.shown, MessageBoxes().Boxes[0].Text) << boundary;
    }
  }
}

TEST_F(FormsTest, AControlTakenOffTheFormIsNoLongerItsActiveControl) {
  auto* form = new TProbeForm(Application);
  auto* panel = new TCustomControl(form);
  panel->SetParent(form);
  auto* inner = new TCustomControl(form);
  inner->SetParent(panel);
  form->SetActiveControl(inner);  // the form is not shown: nothing has the focus
  ASSERT_EQ(inner, form->ActiveControl());
  panel->SetParent(nullptr);
  EXPECT_EQ(nullptr, form->ActiveControl());
  panel->Free();  // with the inner control: the form must not be left pointing at it
  form->Free();
}

TEST_F(FormsTest, ChildWindowsChangedWhileTheirFormIsHiddenShowWithIt) {
  auto* form = new TProbeForm(Application);
  auto* toggled = new TCustomControl(form);
  toggled->SetParent(form);
  auto* recreated = new TCustomControl(form);
  recreated->SetParent(form);
  auto* hidden = new TCustomControl(form);
  hidden->SetParent(form);
  form->HandleNeeded();
  toggled->Hide();
  toggled->Show();
  recreated->RecreateWnd();
  hidden->Hide();
  form->Show();
  EXPECT_TRUE(IsWindowVisible(toggled->Handle()));
  EXPECT_TRUE(IsWindowVisible(recreated->Handle()));
  EXPECT_FALSE(IsWindowVisible(hidden->Handle()));
  form->Free();
}

TEST_F(FormsTest, AGraphicControlsClickRunsWithTheCaptureReleasedAndMayFreeTheForm) {
  struct TClickProbe : TObject {
    TCustomForm* Form = nullptr;
    TControl* Control = nullptr;
    bool CapturedInClick = true;
    int Clicks = 0;
    void Click(TObject*) {
      ++Clicks;
      CapturedInClick = Control->MouseCapture();
      Form->Free();  // nothing of the form or the control is touched after this returns
    }
  } probe;
  auto* form = new TProbeForm(Application);
  auto* button = new TGraphicControl(form);
  button->SetParent(form);
  button->SetBounds(10, 10, 40, 20);
  button->OnClick = TNotifyEvent(&probe, &TClickProbe::Click);
  probe.Form = form;
  probe.Control = button;
  form->Show();
  HWND wnd = form->Handle();
  SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 15));
  ASSERT_TRUE(button->MouseCapture());
  SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(15, 15));
  EXPECT_EQ(1, probe.Clicks);
  EXPECT_FALSE(probe.CapturedInClick);
  EXPECT_FALSE(IsWindow(wnd));
}

TEST_F(FormsTest, AMinimisedFormKeepsItsNormalBounds) {
  auto* form = new TProbeForm(Application);
  form->SetBounds(150, 140, 300, 200);
  auto* client = new TCustomControl(form);
  client->SetParent(form);
  client->SetAlign(TAlign::alClient);
  form->Show();
  const RECT normal = form->BoundsRect();
  const RECT aligned = client->BoundsRect();
  ShowWindow(form->Handle(), SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(form->Handle()));
  // Neither the form nor what is aligned in it takes the icon's size.
  EXPECT_EQ(normal, form->BoundsRect());
  EXPECT_EQ(aligned, client->BoundsRect());
  ShowWindow(form->Handle(), SW_RESTORE);
  EXPECT_EQ(normal, form->BoundsRect());
  EXPECT_EQ(aligned, client->BoundsRect());
  form->Free();
}

TEST_F(FormsTest, MainWindowHooksSeeKeysAndKeyboardMenuCommandsFirst) {
  auto* form = new TProbeForm(Application);
  auto* child = new TCustomControl(form);
  child->SetParent(form);
  child->SetBounds(0, 0, 50, 50);
  struct THook : TObject {
    std::vector<UINT> Seen;
    WPARAM Taken = 'Q';
    bool Hook(TMessage& m) {
      if (m.Msg != CM_APPKEYDOWN && m.Msg != CM_APPSYSCOMMAND) return false;
      Seen.push_back(m.Msg);
      if (m.Msg == CM_APPSYSCOMMAND || m.WParam == Taken) {
        m.Result = 1;
        return true;
      }
      return false;
    }
    int ChildKeys = 0;
    void ChildKey(TObject*, WORD&, TShiftState) { ++ChildKeys; }
  } hook;
  child->OnKeyDown = TKeyEvent(&hook, &THook::ChildKey);
  form->Show();
  TWindowHook bound(&hook, &THook::Hook);
  Application->HookMainWindow(bound);
  Application->HookMainWindow(bound);  // once only
  // The application's own loop relays the keys.
  auto runLoop = [] {
    for (int i = 0; i < 20; ++i) {
      Application->ProcessMessages();
      Sleep(5);
    }
  };
  PostMessageW(child->Handle(), WM_KEYDOWN, 'Q', 0);  // taken by the hook
  PostMessageW(child->Handle(), WM_KEYDOWN, 'A', 0);  // passed on
  runLoop();
  EXPECT_EQ((std::vector<UINT>{CM_APPKEYDOWN, CM_APPKEYDOWN}), hook.Seen);
  EXPECT_EQ(1, hook.ChildKeys);
  SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_KEYMENU, 'f');
  ASSERT_EQ(3u, hook.Seen.size());
  EXPECT_EQ(static_cast<UINT>(CM_APPSYSCOMMAND), hook.Seen[2]);
  Application->UnhookMainWindow(bound);
  PostMessageW(child->Handle(), WM_KEYDOWN, 'Q', 0);
  runLoop();
  EXPECT_EQ(2, hook.ChildKeys);
  EXPECT_EQ(3u, hook.Seen.size());
  form->Free();
}

TEST_F(FormsTest, HelpGoesThroughTheHelpSeamWithTheHelpFile) {
  struct THelpSpy : seams::THelp {
    std::vector<std::pair<UINT, ULONG_PTR>> Calls;
    String File;
    bool WinHelp(HWND, const String& file, UINT command, ULONG_PTR data) override {
      File = file;
      Calls.push_back({command, data});
      return true;
    }
  } spy;
  seams::Scoped<seams::THelp> useSpy(spy);
  EXPECT_FALSE(Application->HelpContext(42));  // no help file: nothing to ask
  Application->SetHelpFile(L"quill.hlp");
  EXPECT_TRUE(Application->HelpContext(42));
  EXPECT_TRUE(Application->HelpCommand(HELP_CONTEXTPOPUP, 7));
  Application->SetHelpFile(L"");
  ASSERT_EQ(2u, spy.Calls.size());
  EXPECT_EQ(L"quill.hlp", spy.File);
  EXPECT_EQ((std::pair<UINT, ULONG_PTR>{HELP_CONTEXT, 42}), spy.Calls[0]);
  EXPECT_EQ((std::pair<UINT, ULONG_PTR>{HELP_CONTEXTPOPUP, 7}), spy.Calls[1]);
}

namespace {

// Whether upper lies above lower in the z-order of top-level windows.
bool Above(HWND upper, HWND lower) {
  for (HWND w = GetWindow(upper, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT))
    if (w == lower) return true;
  return false;
}

bool Topmost(HWND wnd) { return (GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

}  // namespace

TEST_F(FormsTest, ShowingPutsTheFormActiveAtTheTopOfItsBand) {
  struct TCase {
    const char* Name;
    TFormStyle Style;
    std::function<void(TProbeForm& form)> Before;  // runs on the shown form, which is then hidden
    bool WasVisible;                                // shown once more while visible and covered
  };
  const TCase cases[] = {
      {"a normal form", TFormStyle::fsNormal, nullptr, false},
      {"a stay-on-top form", TFormStyle::fsStayOnTop, nullptr, false},
      {"a normal form left in the topmost band",
       TFormStyle::fsNormal,
       [](TProbeForm& form) {
         SetWindowPos(form.Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
       },
       false},
      {"a minimised form", TFormStyle::fsNormal, [](TProbeForm& form) { ShowWindow(form.Handle(), SW_MINIMIZE); },
       false},
      {"a visible form under another", TFormStyle::fsNormal, nullptr, true},
  };
  for (const TCase& c : cases) {
    auto* form = new TProbeForm(Application);
    auto* other = new TProbeForm(Application);
    form->SetFormStyle(c.Style);
    form->Show();
    if (c.Before) c.Before(*form);
    if (!c.WasVisible) form->Hide();
    other->Show();
    ASSERT_TRUE(Above(other->Handle(), form->Handle()) || !c.WasVisible) << c.Name;
    form->Show();
    EXPECT_TRUE(IsWindowVisible(form->Handle())) << c.Name;
    EXPECT_FALSE(IsIconic(form->Handle())) << c.Name;
    EXPECT_EQ(form->Handle(), GetActiveWindow()) << c.Name;
    EXPECT_EQ(c.Style == TFormStyle::fsStayOnTop, Topmost(form->Handle())) << c.Name;
    EXPECT_TRUE(Above(form->Handle(), other->Handle())) << c.Name;
    other->Free();
    form->Free();
  }
}

TEST_F(FormsTest, CloseAtOnceFreesAFormClosingToBeFreedBeforeItReturns) {
  struct TCase {
    TCloseAction Action;
    bool Freed;
    bool Visible;
  };
  for (const TCase& c : {TCase{TCloseAction::caFree, true, false}, TCase{TCloseAction::caHide, false, false},
                         TCase{TCloseAction::caNone, false, true}}) {
    bool destroyed = false;
    auto* form = new TProbeForm(Application, &destroyed);
    form->Action = c.Action;
    form->OnClose = TCloseEvent(form, &TProbeForm::FormClose);
    form->Show();
    const int forms = Screen->FormCount();
    form->CloseAtOnce();
    EXPECT_EQ(c.Freed, destroyed) << static_cast<int>(c.Action);  // without a message handled
    if (destroyed) {
      EXPECT_EQ(forms - 1, Screen->FormCount());
      continue;
    }
    EXPECT_EQ(c.Visible, form->Visible());
    form->Free();
  }
}

TEST_F(FormsTest, CloseAtOnceUnderALoopRunningForTheFormFreesItOnlyAfterTheLoop) {
  bool destroyed = false;
  auto* form = new TProbeForm(Application, &destroyed);
  form->Action = TCloseAction::caFree;
  form->OnClose = TCloseEvent(form, &TProbeForm::FormClose);
  form->Show();
  {
    TFormLoopGuard loop(form);  // a box of the form's, say, whose loop chose Exit
    form->CloseAtOnce();
    EXPECT_FALSE(destroyed);
    EXPECT_TRUE(loop.Gone());
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
  }
  PumpUntil([&] { return destroyed; });
  EXPECT_TRUE(destroyed);
}
