// The keyboard in a form: the tab order, Tab and Shift+Tab through the controls that can take the
// focus (into and out of panels and pages), Ctrl+Tab through the pages, the arrows, Enter and Esc
// for the default, cancel and focused buttons, Alt and Alt+letter offered to the controls, keys
// that the focused control keeps, a modal form's first focus, and the focus cues. Keys are real
// (SendInput) wherever the road through the window procedure matters.
#include "classlib/ComCtrls.h"
#include "classlib/Forms.h"
#include "classlib/Panels.h"
#include "classlib/RichEdit.h"
#include "classlib/ScopeGuard.h"
#include "classlib/StdCtrls.h"

#include "classlib/StdCtrlsTestSupport.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <functional>

using testing_support::FocusedControlName;
using testing_support::FocusWalk;
using testing_support::PointerInto;
using testing_support::PressKeys;
using testing_support::PumpMessages;

namespace {

struct TClicks : TObject {
  std::vector<String> Clicked;
  void Click(TObject* Sender) { Clicked.push_back(static_cast<TComponent*>(Sender)->Name()); }
  int Changes = 0;
  void Change(TObject*) { ++Changes; }
  std::vector<wchar_t> Chars;
  void KeyPress(TObject*, wchar_t& Key) { Chars.push_back(Key); }
};

// A control that keeps one key for itself, and answers one character given as a dialog char;
// it notes the dialog keys and characters it is offered and the keys it gets.
class TKeySpy : public TCustomControl {
 public:
  explicit TKeySpy(TComponent* AOwner) : TCustomControl(AOwner) { SetTabStop(true); }
  WORD Kept = 0;
  wchar_t Accel = 0;
  std::vector<WPARAM> DialogKeys, DialogChars;
  std::vector<WORD> KeysDown;

 protected:
  void Dispatch(TMessage& m) override {
    switch (m.Msg) {
      case CM_WANTSPECIALKEY: m.Result = m.WParam == Kept; return;
      case CM_DIALOGKEY: DialogKeys.push_back(m.WParam); break;
      case CM_DIALOGCHAR:
        DialogChars.push_back(m.WParam);
        if (static_cast<wchar_t>(std::towlower(static_cast<wint_t>(m.WParam))) == Accel) {
          m.Result = 1;
          return;
        }
        break;
    }
    TCustomControl::Dispatch(m);
  }
  void KeyDown(WORD& key, TShiftState shift) override {
    KeysDown.push_back(key);
    TCustomControl::KeyDown(key, shift);
  }
};

// A panel answering the window's keyboard cue state as the system would where it hides them.
class TCueProbePanel : public TPanel {
 public:
  using TPanel::TPanel;
  bool HideFocus = false;

 protected:
  void Dispatch(TMessage& m) override {
    if (m.Msg == WM_QUERYUISTATE && HideFocus) {
      m.Result = UISF_HIDEFOCUS;
      return;
    }
    TPanel::Dispatch(m);
  }
};

// A form noting the changes of keyboard cue state asked of it.
class TDialogForm : public TForm {
 public:
  using TForm::TForm;
  std::vector<WPARAM> UiStateChanges;

 protected:
  void Dispatch(TMessage& m) override {
    if (m.Msg == WM_CHANGEUISTATE) UiStateChanges.push_back(m.WParam);
    TForm::Dispatch(m);
  }
};

template <class T>
T* Add(TWinControl* parent, const wchar_t* name, int left, int top, int width = 0, int height = 0) {
  auto* control = new T(parent);
  control->SetName(name);
  control->SetParent(parent);
  control->SetBounds(left, top, width ? width : control->Width(), height ? height : control->Height());
  return control;
}

// A dialog: an edit; a panel holding an edit and a check box; a page control with an edit on its
// first page and a check box on its second; OK (default) and Cancel (cancel) with their modal
// results; and three edits that cannot take the focus from Tab: hidden, disabled, no tab stop.
class DialogKeys : public testing::Test {
 protected:
  void SetUp() override {
    form_ = new TDialogForm(Application);
    form_->SetName(L"form");
    form_->SetBorderStyle(TFormBorderStyle::bsDialog);
    form_->SetBounds(100, 100, 420, 330);
    form_->SetCaption(L"Dialog keys");
    edit_ = Add<TEdit>(form_, L"edit", 8, 8);
    panel_ = Add<TPanel>(form_, L"panel", 8, 36, 200, 64);
    panelEdit_ = Add<TEdit>(panel_, L"panelEdit", 4, 4);
    box_ = Add<TCheckBox>(panel_, L"box", 4, 36);
    pages_ = Add<TPageControl>(form_, L"pages", 8, 108, 300, 120);
    sheet1_ = AddPage(L"sheet1");
    sheet2_ = AddPage(L"sheet2");
    pageEdit_ = Add<TEdit>(sheet1_, L"pageEdit", 8, 8);
    pageBox_ = Add<TCheckBox>(sheet2_, L"pageBox", 8, 8);
    ok_ = Add<TButton>(form_, L"ok", 230, 240);
    ok_->SetDefault(true);
    ok_->SetModalResult(mrOk);
    ok_->OnClick = TNotifyEvent(&events_, &TClicks::Click);
    cancel_ = Add<TButton>(form_, L"cancel", 320, 240);
    cancel_->SetCancel(true);
    cancel_->SetModalResult(mrCancel);
    cancel_->OnClick = TNotifyEvent(&events_, &TClicks::Click);
    hidden_ = Add<TEdit>(form_, L"hidden", 230, 8);
    hidden_->SetVisible(false);
    disabled_ = Add<TEdit>(form_, L"disabled", 230, 36);
    disabled_->SetEnabled(false);
    noStop_ = Add<TEdit>(form_, L"noStop", 230, 64);
    noStop_->SetTabStop(false);
  }
  void TearDown() override {
    form_->Free();
    PumpMessages(0);
  }
  TTabSheet* AddPage(const wchar_t* name) {
    auto* sheet = new TTabSheet(form_);
    sheet->SetName(name);
    sheet->SetCaption(name);
    sheet->SetPageControl(pages_);
    return sheet;
  }
  // Shown in front with the pointer over it, so that the keys reach it, and the focus on `control`.
  void ShowWithFocusOn(TWinControl* control) {
    form_->Show();
    PointerInto(form_->Handle());
    SetForegroundWindow(form_->Handle());
    PumpMessages(0);
    control->SetFocus();
    PumpMessages(0);
    ASSERT_EQ(control->Name(), FocusedControlName());
  }

  TDialogForm* form_ = nullptr;
  TEdit *edit_, *panelEdit_, *pageEdit_, *hidden_, *disabled_, *noStop_;
  TPanel* panel_;
  TCheckBox *box_, *pageBox_;
  TPageControl* pages_;
  TTabSheet *sheet1_, *sheet2_;
  TButton *ok_, *cancel_;
  TClicks events_;
};

std::vector<String> Names(const std::vector<TWinControl*>& controls) {
  std::vector<String> names;
  for (TWinControl* c : controls) names.push_back(c->Name());
  return names;
}

}  // namespace

TEST_F(DialogKeys, TheTabOrderIsTheOrderOfCreationUnlessSet) {
  std::vector<TWinControl*> list;
  form_->GetTabOrderList(list);
  EXPECT_EQ((std::vector<String>{L"edit", L"panel", L"panelEdit", L"box", L"pages", L"sheet1", L"pageEdit", L"sheet2",
                                 L"pageBox", L"ok", L"cancel", L"hidden", L"disabled", L"noStop"}),
            Names(list));
  EXPECT_EQ(0, edit_->TabOrder());
  EXPECT_EQ(4, cancel_->TabOrder());
  EXPECT_EQ(1, box_->TabOrder());
  EXPECT_EQ(-1, (new TEdit(form_))->TabOrder()) << "without a parent";
  // A label takes no place in it.
  Add<TLabel>(form_, L"label", 8, 300);
  // Moved first, moved past the end (last), and set before the control had a parent.
  cancel_->SetTabOrder(0);
  ok_->SetTabOrder(99);
  auto* late = new TEdit(form_);
  late->SetName(L"late");
  late->SetTabOrder(1);
  late->SetParent(form_);
  EXPECT_EQ(1, late->TabOrder());
  // A control that goes takes its place with it.
  panel_->Free();
  list.clear();
  form_->GetTabOrderList(list);
  EXPECT_EQ((std::vector<String>{L"cancel", L"late", L"edit", L"pages", L"sheet1", L"pageEdit", L"sheet2", L"pageBox",
                                 L"hidden", L"disabled", L"noStop", L"ok"}),
            Names(list));
  EXPECT_EQ(5, disabled_->TabOrder());
}

TEST_F(DialogKeys, FindNextControlSkipsWhatCannotTakeTheFocusAndGoesRound) {
  form_->Show();
  struct Case {
    TWinControl* within;
    TWinControl* from;
    bool forward, tabStop, parent;
    TWinControl* expected;
  } cases[] = {
      {form_, nullptr, true, true, false, edit_},
      {form_, nullptr, false, true, false, cancel_},
      {form_, edit_, true, true, false, panelEdit_},     // into the panel; the panel has no tab stop
      {form_, box_, true, true, false, pages_},          // out of it
      {form_, pages_, true, true, false, pageEdit_},     // into the page shown
      {form_, pageEdit_, true, true, false, ok_},        // past the page out of sight
      {form_, cancel_, true, true, false, edit_},        // round, past hidden, disabled, no tab stop
      {form_, edit_, false, true, false, cancel_},
      {form_, cancel_, true, false, false, noStop_},     // without tab stops: still neither hidden nor disabled
      {form_, edit_, true, false, false, panel_},
      {form_, ok_, true, true, true, cancel_},           // the form's own children only
      {form_, cancel_, true, true, true, edit_},
      {panel_, box_, true, true, false, panelEdit_},     // within the panel, round
      {panel_, panelEdit_, false, true, false, box_},
      {sheet2_, nullptr, true, true, false, nullptr},    // nothing on a page out of sight
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.within->Name() + L" from " + (c.from ? c.from->Name() : L"-")));
    EXPECT_EQ(c.expected, c.within->FindNextControl(c.from, c.forward, c.tabStop, c.parent));
  }
  // With the other page shown, its control is the one after the tabs.
  pages_->SetActivePage(sheet2_);
  EXPECT_EQ(pageBox_, form_->FindNextControl(pages_, true, true, false));
  EXPECT_EQ(pageBox_, form_->FindNextControl(ok_, false, true, false));
}

TEST_F(DialogKeys, TabWalksEveryControlThatCanTakeTheFocusOnceInOrderAndShiftTabWalksBack) {
  ShowWithFocusOn(edit_);
  EXPECT_EQ((std::vector<String>{L"panelEdit", L"box", L"pages", L"pageEdit", L"ok", L"cancel", L"edit"}),
            FocusWalk({VK_TAB}, 7));
  EXPECT_EQ((std::vector<String>{L"cancel", L"ok", L"pageEdit", L"pages", L"box", L"panelEdit", L"edit"}),
            FocusWalk({VK_SHIFT, VK_TAB}, 7));
  // The order as set, and the other page's control once that page shows.
  ok_->SetTabOrder(0);
  pages_->SetActivePage(sheet2_);
  EXPECT_EQ((std::vector<String>{L"panelEdit", L"box", L"pages", L"pageBox", L"cancel", L"ok", L"edit"}),
            FocusWalk({VK_TAB}, 7));
}

TEST_F(DialogKeys, CtrlTabShowsTheNextPageAndTheFocusLeavesAPageOutOfSight) {
  pages_->OnChange = TNotifyEvent(&events_, &TClicks::Change);
  ShowWithFocusOn(pageEdit_);
  struct Step {
    std::initializer_list<WORD> keys;
    TTabSheet* shown;
    const wchar_t* focused;
  } steps[] = {
      {{VK_CONTROL, VK_TAB}, sheet2_, L"pages"},
      {{VK_CONTROL, VK_TAB}, sheet1_, L"pages"},             // round
      {{VK_CONTROL, VK_SHIFT, VK_TAB}, sheet2_, L"pages"},   // back, round
      {{VK_TAB}, sheet2_, L"pageBox"},
      {{VK_CONTROL, VK_SHIFT, VK_TAB}, sheet1_, L"pages"},
  };
  int changes = 0;
  for (const Step& s : steps) {
    SCOPED_TRACE(changes);
    ASSERT_TRUE(PressKeys(s.keys));
    EXPECT_EQ(s.shown, pages_->ActivePage());
    EXPECT_EQ(s.focused, FocusedControlName());
    EXPECT_TRUE(IsWindowVisible(s.shown->Handle()));
    if (s.keys.size() > 1) ++changes;
    EXPECT_EQ(changes, events_.Changes) << "the user's change";
  }
  // From outside any page control the pages change and the focus stays.
  ok_->SetFocus();
  ASSERT_TRUE(PressKeys({VK_CONTROL, VK_TAB}));
  EXPECT_EQ(sheet2_, pages_->ActivePage());
  EXPECT_EQ(L"ok", FocusedControlName());
  // Without Ctrl, Tab stays what it is.
  ASSERT_TRUE(PressKeys({VK_TAB}));
  EXPECT_EQ(sheet2_, pages_->ActivePage());
  EXPECT_EQ(L"cancel", FocusedControlName());
}

TEST_F(DialogKeys, EnterClicksTheFocusedOrElseTheDefaultButtonAndEscTheCancelButton) {
  auto* typed = Add<TEdit>(form_, L"typed", 8, 240);
  typed->OnKeyPress = TKeyPressEvent(&events_, &TClicks::KeyPress);
  ShowWithFocusOn(edit_);
  struct Case {
    TWinControl* focus;
    WORD key;
    bool okEnabled;
    std::vector<String> clicked;
    TModalResult result;
  } cases[] = {
      {typed, VK_RETURN, true, {L"ok"}, mrOk},
      {box_, VK_RETURN, true, {L"ok"}, mrOk},
      {ok_, VK_RETURN, true, {L"ok"}, mrOk},
      {cancel_, VK_RETURN, true, {L"cancel"}, mrCancel},  // the focused button, not the default one
      {typed, VK_ESCAPE, true, {L"cancel"}, mrCancel},
      {ok_, VK_ESCAPE, true, {L"cancel"}, mrCancel},
      {typed, VK_RETURN, false, {}, mrNone},               // a disabled default button does nothing
      {pageEdit_, VK_RETURN, true, {L"ok"}, mrOk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.focus->Name()) + (c.key == VK_RETURN ? " Enter" : " Esc") +
                 (c.okEnabled ? "" : ", OK disabled"));
    ok_->SetEnabled(c.okEnabled);
    form_->SetModalResult(mrNone);
    events_.Clicked.clear();
    events_.Chars.clear();
    c.focus->SetFocus();
    ASSERT_TRUE(PressKeys({c.key}));
    EXPECT_EQ(c.clicked, events_.Clicked);
    EXPECT_EQ(c.result, form_->ModalResult());
    // A key a button took makes no character; one that nobody took reaches the control.
    if (c.focus == typed) {
      EXPECT_EQ(c.clicked.empty() ? 1u : 0u, events_.Chars.size());
    }
  }
}

TEST_F(DialogKeys, TheButtonThatEnterWouldClickIsDrawnAsTheDefaultOne) {
  ShowWithFocusOn(edit_);
  auto looksDefault = [](TButton* b) {
    return (GetWindowLongPtrW(b->Handle(), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  };
  struct Case {
    TWinControl* focus;
    bool ok, cancel;
  } cases[] = {{edit_, true, false}, {cancel_, false, true}, {box_, true, false}, {ok_, true, false}, {cancel_, false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.focus->Name()));
    c.focus->SetFocus();
    EXPECT_EQ(c.ok, looksDefault(ok_));
    EXPECT_EQ(c.cancel, looksDefault(cancel_));
  }
  // A default button set while another has the focus waits for the focus to leave it.
  ok_->SetDefault(false);
  EXPECT_FALSE(looksDefault(ok_));
  cancel_->SetDefault(true);
  edit_->SetFocus();
  EXPECT_TRUE(looksDefault(cancel_));
  EXPECT_FALSE(looksDefault(ok_));
}

TEST_F(DialogKeys, ArrowsMoveTheFocusAmongTheFocusedControlsNeighbours) {
  ShowWithFocusOn(ok_);
  struct Step {
    TWinControl* from;
    WORD key;
    const wchar_t* focused;
  } steps[] = {
      {ok_, VK_RIGHT, L"cancel"},  {cancel_, VK_LEFT, L"ok"},   {ok_, VK_DOWN, L"cancel"},
      {cancel_, VK_UP, L"ok"},     {ok_, VK_UP, L"pages"},       // the form's own children with tab stops
      {cancel_, VK_RIGHT, L"edit"},                              // round
      {box_, VK_DOWN, L"panelEdit"}, {box_, VK_UP, L"panelEdit"},  // within the panel, round
      {panelEdit_, VK_DOWN, L"panelEdit"},                       // an edit keeps the arrows
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::PrintToString(s.from->Name()));
    s.from->SetFocus();
    ASSERT_TRUE(PressKeys({s.key}));
    EXPECT_EQ(s.focused, FocusedControlName());
  }
  // On the tabs, the arrows are the tab control's: they change the page.
  pages_->SetFocus();
  ASSERT_TRUE(PressKeys({VK_RIGHT}));
  EXPECT_EQ(sheet2_, pages_->ActivePage());
  EXPECT_EQ(L"pages", FocusedControlName());
}

TEST_F(DialogKeys, TheFocusedControlKeepsTheKeysItWants) {
  auto* spy = Add<TKeySpy>(form_, L"spy", 8, 270, 60, 20);
  spy->Kept = VK_TAB;
  auto* rich = Add<TRichEdit>(form_, L"rich", 100, 260, 120, 40);
  auto* list = Add<TComboBox>(form_, L"list", 230, 270);
  list->SetStyle(TComboBoxStyle::csDropDownList);
  for (const wchar_t* item : {L"one", L"two", L"three"}) list->Items().Add(item);
  list->SetItemIndex(0);
  ShowWithFocusOn(spy);
  // A control of ours that says so.
  ASSERT_TRUE(PressKeys({VK_TAB}));
  EXPECT_EQ(L"spy", FocusedControlName());
  EXPECT_EQ((std::vector<WORD>{VK_TAB}), spy->KeysDown);
  ASSERT_TRUE(PressKeys({VK_RETURN}));
  EXPECT_EQ((std::vector<String>{L"ok"}), events_.Clicked) << "Enter it does not keep";
  events_.Clicked.clear();
  // The system's rich edit keeps Tab, Enter and the arrows: they edit the text.
  rich->SetFocus();
  for (WORD key : {VK_TAB, VK_RETURN, VK_LEFT}) ASSERT_TRUE(PressKeys({key}));
  EXPECT_EQ(L"rich", FocusedControlName());
  EXPECT_NE(String::npos, rich->Text().find(L'\t')) << testing::PrintToString(rich->Text());
  EXPECT_TRUE(events_.Clicked.empty());
  // An open drop-down list closes on Esc and on Enter; closed, the form has them.
  list->SetFocus();
  for (WORD key : {VK_ESCAPE, VK_RETURN}) {
    SCOPED_TRACE(key);
    SendMessageW(list->Handle(), CB_SHOWDROPDOWN, TRUE, 0);
    ASSERT_TRUE(SendMessageW(list->Handle(), CB_GETDROPPEDSTATE, 0, 0));
    ASSERT_TRUE(PressKeys({key}));
    EXPECT_FALSE(SendMessageW(list->Handle(), CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_TRUE(events_.Clicked.empty());
  }
  ASSERT_TRUE(PressKeys({VK_ESCAPE}));
  EXPECT_EQ((std::vector<String>{L"cancel"}), events_.Clicked);
}

TEST_F(DialogKeys, AltAndAltLetterAreOfferedToTheControlsBeforeTheSystemsMenuKey) {
  auto* spy = Add<TKeySpy>(panel_, L"spy", 100, 4, 60, 20);
  spy->Accel = L'q';
  // The keyboard's menu command, which an unanswered Alt+letter becomes, is taken here so that
  // no menu mode starts.
  struct THook : TObject {
    std::vector<LPARAM> MenuKeys;
    bool Hook(TMessage& m) {
      if (m.Msg != CM_APPSYSCOMMAND) return false;
      MenuKeys.push_back(m.LParam);
      m.Result = 1;
      return true;
    }
  } hook;
  TWindowHook bound(&hook, &THook::Hook);
  Application->HookMainWindow(bound);
  TScopeGuard unhook([&] { Application->UnhookMainWindow(bound); });
  ShowWithFocusOn(edit_);
  ASSERT_TRUE(PressKeys({VK_MENU, 'Q'}));
  ASSERT_TRUE(PressKeys({VK_MENU, 'W'}));
  EXPECT_EQ((std::vector<WPARAM>{L'q', L'w'}), spy->DialogChars) << "through the panel it lies on";
  EXPECT_EQ((std::vector<LPARAM>{L'w'}), hook.MenuKeys) << "the answered one goes no further";
  // Alt itself is a dialog key, each time it goes down.
  EXPECT_EQ((std::vector<WPARAM>{VK_MENU, VK_MENU}), spy->DialogKeys);
  EXPECT_EQ(L"edit", FocusedControlName());
}

TEST_F(DialogKeys, AKeyboardMenuCommandHandedBackToAControlDoesNotGoRoundAgain) {
  // A hook that offers the command to a control of the form, as menu bars are searched for one.
  struct THook : TObject {
    TWinControl* Offered = nullptr;
    int Seen = 0;
    bool Hook(TMessage& m) {
      if (m.Msg != CM_APPSYSCOMMAND || ++Seen > 5) return false;
      Offered->Perform(WM_SYSCOMMAND, m.WParam, m.LParam);
      m.Result = 1;
      return true;
    }
  } hook;
  hook.Offered = panel_;
  TWindowHook bound(&hook, &THook::Hook);
  Application->HookMainWindow(bound);
  TScopeGuard unhook([&] { Application->UnhookMainWindow(bound); });
  form_->Show();
  SendMessageW(edit_->Handle(), WM_SYSCOMMAND, SC_KEYMENU, L'w');
  EXPECT_EQ(1, hook.Seen);
}

TEST_F(DialogKeys, APanelThatTakesTheFocusShowsTheSystemsFocusRectangleWhileItHasIt) {
  auto* swatch = Add<TCueProbePanel>(form_, L"swatch", 320, 8, 40, 30);
  swatch->SetBevelOuter(bvLowered);
  swatch->SetCaption(L"");
  swatch->SetColor(RGB(255, 255, 255));
  swatch->SetTabStop(true);
  ShowWithFocusOn(edit_);
  // The cue lies just inside the bevel: on its top line every other pixel is inverted.
  auto cuePixels = [&] {
    std::unique_ptr<TBitmap> shot = control_tests::Render(*swatch);
    return 36 - control_tests::CountPixels(*shot, RECT{2, 2, 38, 3}, RGB(255, 255, 255));
  };
  EXPECT_EQ(0, cuePixels());
  ASSERT_TRUE(PressKeys({VK_SHIFT, VK_TAB}));
  ASSERT_EQ(L"swatch", FocusedControlName()) << "last in the order, before the first";
  EXPECT_EQ(18, cuePixels());
  // Moving the focus from the keyboard asks the window to show focus cues from now on.
  EXPECT_EQ((std::vector<WPARAM>{MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS)}), form_->UiStateChanges);
  // Where the window hides them, there is none.
  swatch->HideFocus = true;
  EXPECT_EQ(0, cuePixels());
  swatch->HideFocus = false;
  edit_->SetFocus();
  EXPECT_EQ(0, cuePixels());
}

TEST_F(DialogKeys, ACheckBoxWithoutACaptionShowsTheFocusAroundItsBox) {
  // The system draws the cue around the caption; without one, the frame of the control shows it.
  struct Case {
    const wchar_t* caption;
    bool framed;
  } cases[] = {{L"", true}, {L"Box", false}};
  ShowWithFocusOn(edit_);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(String(c.caption)));
    auto* box = Add<TCheckBox>(form_, L"bare", 320, 8, 40, 17);
    box->SetCaption(c.caption);
    PumpMessages(0);
    std::unique_ptr<TBitmap> before = control_tests::Render(*box);
    box->SetFocus();
    std::unique_ptr<TBitmap> focused = control_tests::Render(*box);
    int changed = 0;
    for (int x = 0; x < box->Width(); ++x)
      for (int y : {0, box->Height() - 1}) changed += control_tests::Pixel(*before, x, y) != control_tests::Pixel(*focused, x, y);
    EXPECT_EQ(c.framed, changed >= 20) << changed << " pixels of the top and bottom rows changed";
    edit_->SetFocus();
    std::unique_ptr<TBitmap> after = control_tests::Render(*box);
    EXPECT_EQ(control_tests::Pixel(*before, 0, 0), control_tests::Pixel(*after, 0, 0));
    box->Free();
  }
}

// A modal form: its first control in tab order has the focus, and a key that sets the modal
// result through a button ends it; without a default or cancel button Enter and Esc stay with the
// focused control and the form stays.
TEST(ModalDialogKeys, AModalFormFocusesItsFirstControlAndEnterOrEscEndItOnlyThroughItsButtons) {
  struct Case {
    const char* what;
    bool buttons;
    WORD key;
    TModalResult result;
  } cases[] = {
      {"Enter, default button", true, VK_RETURN, mrOk},
      {"Esc, cancel button", true, VK_ESCAPE, mrCancel},
      {"Enter, no default button", false, VK_RETURN, mrNone},
      {"Esc, no cancel button", false, VK_ESCAPE, mrNone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto* form = new TForm(Application);
    form->SetBorderStyle(TFormBorderStyle::bsDialog);
    form->SetBounds(150, 150, 300, 200);
    auto* off = Add<TEdit>(form, L"off", 8, 8);
    off->SetEnabled(false);
    Add<TEdit>(form, L"unstopped", 8, 36)->SetTabStop(false);
    auto* first = Add<TEdit>(form, L"first", 8, 64);
    TClicks keys;
    first->OnKeyPress = TKeyPressEvent(&keys, &TClicks::KeyPress);
    auto* ok = Add<TButton>(form, L"ok", 100, 140);
    auto* cancel = Add<TButton>(form, L"cancel", 190, 140);
    ok->SetDefault(c.buttons);
    ok->SetModalResult(mrOk);
    cancel->SetCancel(c.buttons);
    cancel->SetModalResult(mrCancel);
    String focusedFirst;
    bool stayed = false, pressed = false;
    testing_support::TMenuDriver whileOpen;
    whileOpen.Post([&] {
      focusedFirst = FocusedControlName();
      PointerInto(form->Handle());
      pressed = PressKeys({c.key});
      stayed = form->Modal() && form->ModalResult() == mrNone;
      if (stayed) form->SetModalResult(mrAbort);
    });
    const TModalResult result = form->ShowModal();
    EXPECT_TRUE(pressed);
    EXPECT_EQ(L"first", focusedFirst);
    EXPECT_EQ(c.result == mrNone ? mrAbort : c.result, result);
    EXPECT_EQ(c.result == mrNone, stayed);
    // The key the form did not take went on to the edit as a character.
    EXPECT_EQ(c.result == mrNone ? 1u : 0u, keys.Chars.size());
    form->Free();
  }
  PumpMessages(0);
}

// What a dialog key or character runs may free the whole form; nothing of it is touched after
// (freed memory is poisoned in this test program).
TEST(FreeingDialogKeys, AFormFreedByWhatAKeyRanLeavesTheKeysRoadUntouched) {
  struct TFreer : TObject {
    TForm* Form = nullptr;
    void Free(TObject*) {
      Form->Free();
      Form = nullptr;
    }
  };
  class TFreeingSpy : public TKeySpy {
   public:
    using TKeySpy::TKeySpy;
    TFreer* Freer = nullptr;

   protected:
    void Dispatch(TMessage& m) override {
      if (m.Msg == CM_DIALOGCHAR && m.WParam == L'q') {
        Freer->Free(this);
        m.Result = 1;
        return;
      }
      TKeySpy::Dispatch(m);
    }
  };
  struct Case {
    const char* what;
    std::initializer_list<WORD> keys;
  } cases[] = {{"Enter, the default button", {VK_RETURN}},
               {"Esc, the cancel button", {VK_ESCAPE}},
               {"Ctrl+Tab, the page control's change", {VK_CONTROL, VK_TAB}},
               {"Alt+Q, a control's answer", {VK_MENU, 'Q'}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TFreer freer;
    auto* form = new TForm(Application);
    freer.Form = form;
    form->SetBorderStyle(TFormBorderStyle::bsDialog);
    form->SetBounds(150, 150, 300, 200);
    auto* pages = Add<TPageControl>(form, L"pages", 8, 8, 200, 100);
    for (const wchar_t* name : {L"one", L"two"}) {
      auto* sheet = new TTabSheet(form);
      sheet->SetPageControl(pages);
      sheet->SetName(name);
    }
    pages->OnChange = TNotifyEvent(&freer, &TFreer::Free);
    auto* edit = Add<TEdit>(pages->Pages(0), L"edit", 8, 8);
    Add<TFreeingSpy>(form, L"spy", 8, 120, 40, 20)->Freer = &freer;
    for (const wchar_t* name : {L"ok", L"cancel"}) {
      auto* button = Add<TButton>(form, name, name[0] == L'o' ? 100 : 190, 140);
      button->SetDefault(name[0] == L'o');
      button->SetCancel(name[0] == L'c');
      button->OnClick = TNotifyEvent(&freer, &TFreer::Free);
    }
    form->Show();
    PointerInto(form->Handle());
    SetForegroundWindow(form->Handle());
    edit->SetFocus();
    PumpMessages(0);
    EXPECT_TRUE(PressKeys(c.keys));
    EXPECT_EQ(nullptr, freer.Form) << "the key did not reach what frees the form";
    if (freer.Form) form->Free();
    PumpMessages(0);
  }
}
