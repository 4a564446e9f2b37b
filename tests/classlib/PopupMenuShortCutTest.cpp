// The popup-menu base: its popup event and placement properties, and the key path that lets a
// control's popup menu answer its shortcuts before the control sees the key.
#include "StdCtrlsTestSupport.h"

#include "classlib/Menus.h"
#include "classlib/ScopeGuard.h"
#include "classlib/StdCtrls.h"

#include <gtest/gtest.h>

#include <vector>

using namespace control_tests;

namespace {

// A popup menu with one shortcut; it logs what it was asked.
class TShortCutMenu : public TPopupMenu {
 public:
  using TPopupMenu::DoPopup;
  using TPopupMenu::TPopupMenu;
  void Popup(int, int) override {}
  bool IsShortCut(TWMKey& Message) override {
    Asked.push_back(Message.CharCode);
    return ShortCut(Message.CharCode, KeyDataToShiftState(Message.KeyData)) == Wanted;
  }
  TShortCut Wanted = 0;
  std::vector<WORD> Asked;
};

struct TSenderLog : TObject {
  std::vector<TObject*> Senders;
  void Event(TObject* Sender) { Senders.push_back(Sender); }
};

TEST(PopupMenuBase, ThePopupEventNamesItsSenderAndThePlacementIsKept) {
  TShortCutMenu menu(nullptr);
  EXPECT_EQ(menu.Alignment(), paLeft);
  EXPECT_EQ(menu.TrackButton(), tbRightButton);
  TSenderLog log;
  menu.OnPopup = TNotifyEvent(&log, &TSenderLog::Event);
  menu.DoPopup(&menu);
  menu.DoPopup(&log);
  EXPECT_EQ(log.Senders, (std::vector<TObject*>{&menu, &log}));
  menu.SetAlignment(paCenter);
  menu.SetTrackButton(tbLeftButton);
  menu.SetPopupPoint(POINT{-20, 30});
  EXPECT_EQ(menu.Alignment(), paCenter);
  EXPECT_EQ(menu.TrackButton(), tbLeftButton);
  EXPECT_EQ(menu.PopupPoint().x, -20);
  EXPECT_EQ(menu.PopupPoint().y, 30);
  TWMKey key{WM_KEYDOWN, 'A', 0, 0};
  EXPECT_FALSE(menu.TPopupMenu::IsShortCut(key)) << "a menu without items has no shortcuts";
}

// Holds Ctrl (or nothing) in the thread's key state, as a real key press would.
class THeldCtrl {
 public:
  explicit THeldCtrl(bool Held) {
    GetKeyboardState(saved_);
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = keys[VK_LCONTROL] = Held ? 0x80 : 0;
    SetKeyboardState(keys);
  }
  ~THeldCtrl() { SetKeyboardState(saved_); }

 private:
  BYTE saved_[256];
};

class PopupMenuKeys : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    edit = new TEdit(form_);
    edit->SetParent(form_);
    edit->SetBounds(10, 10, 200, 24);
    menu = new TShortCutMenu(form_);
    menu->Wanted = ShortCut('I', ssCtrl);
    edit->OnKeyDown = TKeyEvent(&spy, &TSpy::KeyDown);
    edit->OnKeyPress = TKeyPressEvent(&spy, &TSpy::KeyPress);
    edit->SetFocus();
    testing_support::PumpMessages();
  }
  // Presses a key in the focused window the way the keyboard does: the key down goes through
  // the application's loop, which translates it into its character.
  void Press(WORD Key, bool Ctrl) {
    THeldCtrl held(Ctrl);
    const UINT scan = MapVirtualKeyW(Key, MAPVK_VK_TO_VSC);
    PostMessageW(GetFocus(), WM_KEYDOWN, Key, static_cast<LPARAM>(1 | (scan << 16)));
    Application->ProcessMessages();
  }
  struct TSpy : TObject {
    std::vector<WORD> Keys;
    std::vector<wchar_t> Chars;
    void KeyDown(TObject*, WORD& Key, TShiftState) { Keys.push_back(Key); }
    void KeyPress(TObject*, wchar_t& Key) { Chars.push_back(Key); }
  } spy;
  TEdit* edit = nullptr;
  TShortCutMenu* menu = nullptr;
};

TEST_F(PopupMenuKeys, TheFocusedControlsMenuAnswersItsShortCutBeforeTheControl) {
  ASSERT_EQ(GetFocus(), edit->Handle());
  edit->SetPopupMenu(menu);
  struct Case {
    const char* what;
    WORD key;
    bool ctrl;
    bool consumed;
    const wchar_t* text;  // the edit's text afterwards
  } cases[] = {
      // Ctrl+I also makes a tab character: it goes with the key.
      {"the menu's shortcut", 'I', true, true, L""},
      {"another Ctrl key", 'J', true, false, L""},
      {"a letter", 'X', false, false, L"x"},
  };
  for (const Case& c : cases) {
    menu->Asked.clear();
    spy.Keys.clear();
    spy.Chars.clear();
    edit->SetText(L"");
    Press(c.key, c.ctrl);
    EXPECT_EQ(menu->Asked, std::vector<WORD>{c.key}) << c.what;
    EXPECT_EQ(spy.Keys.empty(), c.consumed) << c.what << ": the control's key handling";
    EXPECT_EQ(spy.Chars.empty(), c.consumed) << c.what << ": the character made from the key";
    EXPECT_EQ(edit->Text(), String(c.text)) << c.what;
  }
}

TEST_F(PopupMenuKeys, AControlWithoutAMenuKeepsItsKeys) {
  Press('I', true);
  EXPECT_TRUE(menu->Asked.empty());
  EXPECT_EQ(spy.Keys, std::vector<WORD>{'I'});
  EXPECT_EQ(spy.Chars, std::vector<wchar_t>{L'\t'});
}

}  // namespace
