#include "classlib/StdCtrls.h"

#include "classlib/ScopeGuard.h"

#include "StdCtrlsTestSupport.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using control_tests::ControlTest;
using control_tests::CountPixels;
using control_tests::Pixel;
using control_tests::Render;

namespace {

// Counts and records what the controls' events report.
struct TSpy : TObject {
  int Changes = 0, Clicks = 0, Exits = 0;
  std::vector<WORD> KeysDown;
  std::vector<wchar_t> KeysPressed;
  void Change(TObject*) { ++Changes; }
  void Click(TObject*) { ++Clicks; }
  void Exit(TObject*) { ++Exits; }
  void KeyDown(TObject*, WORD& key, TShiftState) { KeysDown.push_back(key); }
  void KeyPress(TObject*, wchar_t& key) { KeysPressed.push_back(key); }
};

void Type(HWND wnd, const String& text) {
  for (wchar_t ch : text) SendMessageW(wnd, WM_CHAR, ch, 1);
}

class StdCtrls : public ControlTest {
 protected:
  template <class T>
  T* Make(int left, int top, int width, int height) {
    auto* c = new T(form_);
    c->SetBounds(left, top, width, height);
    c->SetParent(form_);
    return c;
  }
  TSpy spy_;
};

}  // namespace

TEST_F(StdCtrls, EditReportsTypedAndProgrammaticChanges) {
  auto* edit = Make<TEdit>(10, 10, 100, 20);
  edit->OnChange = TNotifyEvent(&spy_, &TSpy::Change);
  Type(edit->Handle(), L"abc");
  EXPECT_EQ(L"abc", edit->Text());
  EXPECT_EQ(3, spy_.Changes);
  edit->SetText(L"Notes");
  EXPECT_EQ(4, spy_.Changes);
  wchar_t shown[16] = {};
  GetWindowTextW(edit->Handle(), shown, 16);
  EXPECT_STREQ(L"Notes", shown);
  edit->SetText(L"Notes");  // no change, no event
  EXPECT_EQ(4, spy_.Changes);

  // Without a window the setter reports the change itself; making the window later does not.
  auto* early = new TEdit(form_);
  early->OnChange = TNotifyEvent(&spy_, &TSpy::Change);
  early->SetText(L"first");
  EXPECT_EQ(5, spy_.Changes);
  early->SetParent(form_);
  ASSERT_TRUE(early->HandleAllocated());
  EXPECT_EQ(5, spy_.Changes);
  EXPECT_EQ(L"first", early->Text());
}

TEST_F(StdCtrls, EditStylesFollowBorderAlignmentAndReadOnly) {
  struct Case {
    TBorderStyle Border;
    TAlignment Alignment;
    bool ClientEdge;
    DWORD AlignStyle;
  };
  const Case cases[] = {
      {TBorderStyle::bsNone, taCenter, false, ES_CENTER},
      {TBorderStyle::bsSingle, taLeftJustify, true, ES_LEFT},
      {TBorderStyle::bsNone, taRightJustify, false, ES_RIGHT},
  };
  for (const Case& c : cases) {
    auto* edit = Make<TEdit>(10, 10, 100, 20);
    edit->SetText(L"kept");
    edit->SetBorderStyle(c.Border);
    edit->SetAlignment(c.Alignment);
    HWND wnd = edit->Handle();
    LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
    EXPECT_EQ(c.ClientEdge, (GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0);
    EXPECT_EQ(c.AlignStyle, static_cast<DWORD>(style & (ES_CENTER | ES_RIGHT)));
    EXPECT_EQ(L"kept", edit->Text());  // recreating the window kept the text
    edit->SetReadOnly(true);
    EXPECT_NE(0, GetWindowLongPtrW(wnd, GWL_STYLE) & ES_READONLY);
    edit->Free();
  }
}

TEST_F(StdCtrls, EditLimitsSelectsAndAnswersItsColours) {
  auto* edit = Make<TEdit>(10, 10, 100, 20);
  edit->SetMaxLength(4);
  Type(edit->Handle(), L"abcdef");
  EXPECT_EQ(L"abcd", edit->Text());
  edit->SelectAll();
  EXPECT_EQ(0, edit->SelStart());
  EXPECT_EQ(4, edit->SelLength());
  EXPECT_EQ(L"abcd", edit->SelText());
  edit->SetSelStart(1);
  edit->SetSelLength(2);
  EXPECT_EQ(L"bc", edit->SelText());
  edit->ClearSelection();
  EXPECT_EQ(L"ad", edit->Text());

  // The parent hands the colour request back to the edit, which answers with its own colours.
  edit->SetColor(0x99FFFF);
  edit->Font().SetColor(0x3F3F3F);
  HDC dc = CreateCompatibleDC(nullptr);
  for (UINT msg : {WM_CTLCOLOREDIT, WM_CTLCOLORSTATIC}) {
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(form_->Handle(), msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit->Handle())));
    LOGBRUSH lb{};
    ASSERT_TRUE(GetObjectW(brush, sizeof(lb), &lb));
    EXPECT_EQ(static_cast<COLORREF>(0x99FFFF), lb.lbColor);
    EXPECT_EQ(static_cast<COLORREF>(0x3F3F3F), GetTextColor(dc));
    EXPECT_EQ(static_cast<COLORREF>(0x99FFFF), GetBkColor(dc));
  }
  DeleteDC(dc);
}

TEST_F(StdCtrls, EditKeysReachTheEventsAndExitFollowsTheFocus) {
  auto* edit = Make<TEdit>(10, 10, 100, 20);
  auto* other = Make<TEdit>(10, 40, 100, 20);
  edit->OnKeyDown = TKeyEvent(&spy_, &TSpy::KeyDown);
  edit->OnKeyPress = TKeyPressEvent(&spy_, &TSpy::KeyPress);
  edit->OnExit = TNotifyEvent(&spy_, &TSpy::Exit);
  edit->SetText(L"title");
  SendMessageW(edit->Handle(), WM_KEYDOWN, VK_RETURN, 1);
  SendMessageW(edit->Handle(), WM_CHAR, L'\r', 1);
  SendMessageW(edit->Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
  SendMessageW(edit->Handle(), WM_CHAR, 27, 1);
  EXPECT_EQ((std::vector<WORD>{VK_RETURN, VK_ESCAPE}), spy_.KeysDown);
  EXPECT_EQ((std::vector<wchar_t>{L'\r', 27}), spy_.KeysPressed);
  EXPECT_EQ(L"title", edit->Text());

  SetForegroundWindow(form_->Handle());
  edit->SetFocus();
  EXPECT_TRUE(edit->Focused());
  EXPECT_EQ(5, edit->SelLength());  // focusing by the program selects the whole text
  EXPECT_EQ(0, spy_.Exits);
  other->SetFocus();
  EXPECT_EQ(1, spy_.Exits);
}

TEST_F(StdCtrls, LabelSizesItselfToItsCaptionAndPaintsIt) {
  auto* label = Make<TLabel>(20, 20, 10, 10);
  label->SetCaption(L"Quillnote");
  int width = label->Width();
  EXPECT_GT(width, 20);
  EXPECT_GT(label->Height(), 8);
  label->Font().SetSize(16);
  EXPECT_GT(label->Width(), width);

  // A right-aligned label grows to the left.
  auto* right = Make<TLabel>(100, 100, 10, 10);
  right->SetAlignment(taRightJustify);
  right->SetCaption(L"a");
  int rightEdge = right->Left() + right->Width();
  right->SetCaption(L"a longer text");
  EXPECT_EQ(rightEdge, right->Left() + right->Width());

  label->SetColor(RGB(255, 255, 0));
  label->Font().SetColor(RGB(0, 0, 255));
  label->Font().SetStyle(fsBold);
  auto bitmap = Render(*form_);
  RECT r = label->BoundsRect();
  EXPECT_EQ(RGB(255, 255, 0), Pixel(*bitmap, r.right - 1, r.bottom - 1));
  EXPECT_GT(CountPixels(*bitmap, r, RGB(0, 0, 255)), 10);
  label->SetTransparent(true);
  bitmap = Render(*form_);
  EXPECT_EQ(RGB(0, 255, 0), Pixel(*bitmap, r.right - 1, r.bottom - 1));
  EXPECT_EQ(0, CountPixels(*bitmap, r, RGB(255, 255, 0)));
  EXPECT_GT(CountPixels(*bitmap, r, RGB(0, 0, 255)), 10);
}

TEST_F(StdCtrls, LinkLabelClicksAndShowsTheHandCursor) {
  auto* link = Make<TLabel>(20, 20, 10, 10);
  link->SetCaption(L"www.example.com");
  link->Font().SetStyle(fsUnderline);
  link->SetCursor(crHandPoint);
  link->OnClick = TNotifyEvent(&spy_, &TSpy::Click);
  HWND wnd = form_->Handle();
  LPARAM at = MAKELPARAM(25, 25);
  SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(wnd, WM_LBUTTONUP, 0, at);
  EXPECT_EQ(1, spy_.Clicks);
  SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));  // beside the label
  SendMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(1, spy_.Clicks);

  POINT p = form_->ClientToScreen(POINT{25, 25});
  SetCursorPos(p.x, p.y);
  SendMessageW(wnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(wnd), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(LoadCursorW(nullptr, IDC_HAND), GetCursor());
}

TEST_F(StdCtrls, ButtonClicksSetsTheModalResultAndAnswersDialogKeys) {
  auto* ok = Make<TButton>(10, 10, 75, 25);
  ok->SetCaption(L"OK");
  ok->OnClick = TNotifyEvent(&spy_, &TSpy::Click);
  SendMessageW(ok->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(1, spy_.Clicks);
  EXPECT_EQ(mrNone, form_->ModalResult());

  ok->SetModalResult(mrOk);
  SendMessageW(ok->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(2, spy_.Clicks);
  EXPECT_EQ(mrOk, form_->ModalResult());
  form_->SetModalResult(mrNone);

  // The clicks gave it the focus, and a focused button takes Enter: the form takes it back.
  SetFocus(form_->Handle());
  EXPECT_EQ(0, ok->Perform(CM_DIALOGKEY, VK_RETURN));
  ok->SetDefault(true);
  EXPECT_EQ(static_cast<LONG_PTR>(BS_DEFPUSHBUTTON), GetWindowLongPtrW(ok->Handle(), GWL_STYLE) & 0xF);
  EXPECT_EQ(1, ok->Perform(CM_DIALOGKEY, VK_RETURN));
  EXPECT_EQ(0, ok->Perform(CM_DIALOGKEY, VK_ESCAPE));
  EXPECT_EQ(3, spy_.Clicks);

  ok->SetEnabled(false);
  SendMessageW(ok->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(3, spy_.Clicks);
}

TEST_F(StdCtrls, CheckBoxSetterAndUserClickBothFireOnClickOncePerChange) {
  auto* box = new TCheckBox(form_);
  box->OnClick = TNotifyEvent(&spy_, &TSpy::Click);
  box->SetChecked(true);  // before the window exists, as a dialog's constructor does
  EXPECT_EQ(1, spy_.Clicks);
  box->SetParent(form_);
  EXPECT_EQ(BST_CHECKED, SendMessageW(box->Handle(), BM_GETCHECK, 0, 0));
  box->SetChecked(true);
  EXPECT_EQ(1, spy_.Clicks);
  SendMessageW(box->Handle(), BM_CLICK, 0, 0);
  EXPECT_FALSE(box->Checked());
  EXPECT_EQ(BST_UNCHECKED, SendMessageW(box->Handle(), BM_GETCHECK, 0, 0));
  EXPECT_EQ(2, spy_.Clicks);
  box->SetChecked(true);
  EXPECT_EQ(BST_CHECKED, SendMessageW(box->Handle(), BM_GETCHECK, 0, 0));
  EXPECT_EQ(3, spy_.Clicks);
}

TEST_F(StdCtrls, ComboBoxItemIndexOutOfRangeSelectsNothing) {
  auto* combo = Make<TComboBox>(10, 10, 120, 21);
  combo->SetStyle(TComboBoxStyle::csDropDownList);
  for (const wchar_t* s : {L"New Note", L"Date", L"Date Time", L"Time", L"To Do", L"To Do (Date)"})
    combo->Items().Add(s);
  combo->OnClick = TNotifyEvent(&spy_, &TSpy::Click);
  combo->OnChange = TNotifyEvent(&spy_, &TSpy::Change);
  const std::pair<int, int> cases[] = {{0, 0}, {5, 5}, {6, -1}, {100, -1}, {3, 3}, {-1, -1}, {-7, -1}};
  for (auto [set, expected] : cases) {
    combo->SetItemIndex(set);
    EXPECT_EQ(expected, combo->ItemIndex()) << set;
    EXPECT_EQ(expected, SendMessageW(combo->Handle(), CB_GETCURSEL, 0, 0)) << set;
    EXPECT_EQ(expected < 0 ? String() : combo->Items().Strings(expected), combo->Text());
  }
  EXPECT_EQ(0, spy_.Clicks + spy_.Changes);  // the program's changes fire nothing

  // Before the window exists the index is kept, and clamped alike.
  auto* early = new TComboBox(form_);
  early->Items().Add(L"10 %");
  early->Items().Add(L"20 %");
  early->SetItemIndex(1);
  early->SetParent(form_);
  EXPECT_EQ(1, SendMessageW(early->Handle(), CB_GETCURSEL, 0, 0));
  early->SetItemIndex(2);
  EXPECT_EQ(-1, early->ItemIndex());
}

TEST_F(StdCtrls, ComboBoxUserChoiceFiresClickAndChangeAndSurvivesRecreation) {
  auto* combo = Make<TComboBox>(10, 10, 120, 21);
  combo->SetStyle(TComboBoxStyle::csDropDownList);
  for (const wchar_t* s : {L"10 %", L"20 %", L"30 %"}) combo->Items().Add(s);
  combo->OnClick = TNotifyEvent(&spy_, &TSpy::Click);
  combo->OnChange = TNotifyEvent(&spy_, &TSpy::Change);
  combo->SetItemIndex(0);
  // The down arrow on a closed drop-down list chooses the next item, as a user would.
  SendMessageW(combo->Handle(), WM_KEYDOWN, VK_DOWN, 1);
  EXPECT_EQ(1, combo->ItemIndex());
  EXPECT_EQ(1, spy_.Clicks);
  EXPECT_EQ(1, spy_.Changes);

  combo->RecreateWnd();
  EXPECT_EQ(1, SendMessageW(combo->Handle(), CB_GETCURSEL, 0, 0));
  EXPECT_EQ(3, SendMessageW(combo->Handle(), CB_GETCOUNT, 0, 0));
  combo->Items().Add(L"40 %");
  EXPECT_EQ(4, SendMessageW(combo->Handle(), CB_GETCOUNT, 0, 0));
  EXPECT_EQ(1, combo->ItemIndex());
  combo->Items().Delete(3);
  combo->Items().Delete(2);
  combo->Items().Delete(1);
  EXPECT_EQ(-1, combo->ItemIndex());
}

TEST_F(StdCtrls, EditCharCaseTurnsTypedAndSetTextIntoItsCase) {
  struct Case {
    TEditCharCase charCase;
    DWORD style;
    const wchar_t* typed;
  };
  const Case cases[] = {{ecNormal, 0, L"Mixed aB"}, {ecUpperCase, ES_UPPERCASE, L"MIXED AB"}, {ecLowerCase, ES_LOWERCASE, L"mixed ab"}};
  for (const Case& c : cases) {
    auto* edit = Make<TEdit>(10, 10, 100, 20);
    edit->SetCharCase(c.charCase);
    EXPECT_EQ(c.charCase, edit->CharCase());
    EXPECT_EQ(c.style, static_cast<DWORD>(GetWindowLongPtrW(edit->Handle(), GWL_STYLE) & (ES_UPPERCASE | ES_LOWERCASE)));
    Type(edit->Handle(), L"Mixed aB");
    EXPECT_EQ(c.typed, edit->Text()) << c.charCase;
    edit->Free();
  }
}

namespace {

// A replacement window procedure that records what passes and hands it on to the one it replaced.
struct TChainLink : TObject {
  TChainLink(TControl* Control, std::vector<std::string>& Log, const char* Name)
      : control(Control), log(Log), name(Name), previous(Control->WindowProc) {
    Control->WindowProc = TWndMethod(this, &TChainLink::Proc);
  }
  void Proc(TMessage& Message) {
    if (Message.Msg == WM_CHAR) log.push_back(name + static_cast<char>(Message.WParam));
    if (Message.Msg == WM_CHAR && Message.WParam == L'x') return;  // swallowed here
    previous(Message);
  }
  void Unchain() { control->WindowProc = previous; }
  TControl* control;
  std::vector<std::string>& log;
  std::string name;
  TWndMethod previous;
};

}  // namespace

TEST_F(StdCtrls, ReplacedWindowProceduresChainAndComeOffAgain) {
  auto* edit = Make<TEdit>(10, 10, 100, 20);
  EXPECT_EQ(edit->WindowProc, TWndMethod(static_cast<TControl*>(edit), &TControl::WndProc)) << "the control's own at first";
  std::vector<std::string> log;
  TChainLink first(edit, log, "first:"), second(edit, log, "second:");
  Type(edit->Handle(), L"ax");
  // The newest link sees each message first and swallows the x: it reaches nothing further.
  EXPECT_EQ(log, (std::vector<std::string>{"second:a", "first:a", "second:x"}));
  EXPECT_EQ(L"a", edit->Text());
  EXPECT_EQ(edit->Perform(WM_GETTEXTLENGTH), 1) << "Perform goes through the chain too";
  second.Unchain();
  first.Unchain();
  log.clear();
  Type(edit->Handle(), L"x");
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(L"ax", edit->Text());
}

TEST_F(StdCtrls, AControlPlacedOnAForeignWindowIsItsChildShownOnlyWhenAskedTo) {
  auto* edit = new TEdit(nullptr);
  TScopeGuard freeEdit([edit] { edit->Free(); });
  edit->SetVisible(true);
  edit->SetBounds(12, 7, 80, 20);
  edit->SetParentWindow(form_->Handle());
  HWND wnd = edit->Handle();
  EXPECT_EQ(GetAncestor(wnd, GA_PARENT), form_->Handle());
  EXPECT_NE(GetWindowLongPtrW(wnd, GWL_STYLE) & WS_CHILD, 0);
  EXPECT_FALSE(IsWindowVisible(wnd)) << "made hidden: a top-level one would be activated";
  edit->SetVisible(false);
  edit->SetVisible(true);
  EXPECT_TRUE(IsWindowVisible(wnd));
  RECT placed;
  GetWindowRect(wnd, &placed);
  MapWindowPoints(nullptr, form_->Handle(), reinterpret_cast<POINT*>(&placed), 2);
  EXPECT_EQ(placed, (RECT{12, 7, 92, 27})) << "in the window's client coordinates";
}
