// The modal menu loop, driven from inside: a driver window posts each step (an input, a view
// timer, a look at the live state) while the loop pumps the thread's messages. The menu delay
// is a minute through the settings seam, so submenus open only when a test fires their timer.
#include "ItemTestSupport.h"

#include "classlib/Forms.h"
#include "common/MenuTestSupport.h"
#include "common/TestSupport.h"
#include "items/TB2PopupMenu.h"
#include "items/TB2View.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <stdexcept>

using namespace item_tests;
using testing_support::PumpMessages;

namespace {

class TLoopSettings : public seams::TSystemSettings {
 public:
  UINT MenuShowDelay() override { return 60000; }
  bool MenuAnimation() override { return false; }
  UINT WheelScrollLines() override { return 3; }
};

class THelpLog : public seams::THelp {
 public:
  bool WinHelp(HWND, const String&, UINT Command, ULONG_PTR Data) override {
    Calls.push_back({Command, Data});
    return true;
  }
  std::vector<std::pair<UINT, ULONG_PTR>> Calls;
};

// A viewer that fails on a press, as a broken item's code would.
class TThrowingViewer : public TTBItemViewer {
 public:
  using TTBItemViewer::TTBItemViewer;
  void MouseDown(TShiftState, int, int, bool&) override { throw std::runtime_error("viewer failed"); }
};

class TThrowingItem : public TTBItem {
 public:
  using TTBItem::TTBItem;
  TTBItemViewerClass GetItemViewerClass(TTBView*) override { return CreateItemViewerOf<TThrowingViewer>; }
};

// The thread's windows besides the click queue's, which lives as long as items do.
int MenuWindows() { return testing_support::ThreadWindowCount() - (tb2item_detail::ClickWnd() ? 1 : 0); }

POINT CentreOnScreen(TTBItemViewer* V) {
  POINT p{(V->BoundsRect.left + V->BoundsRect.right) / 2, (V->BoundsRect.top + V->BoundsRect.bottom) / 2};
  ClientToScreen(V->View()->Window()->Handle(), &p);
  return p;
}

// Sets the thread's idea of the mouse buttons held.
void HoldLeftButton(bool Down) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_LBUTTON] = Down ? 0x80 : 0;
  SetKeyboardState(keys);
}

class ModalLoop : public testing::Test {
 public:
  void SetUp() override {
    SetCursorPos(1, 1);
    menu = new TTBPopupMenu(items.Owner());
    TTBCustomItem* root = menu->Items();
    open = Add(L"open", L"&Open", root);
    save = Add(L"save", L"&Save", root);
    recent = Add<TTBSubmenuItem>(L"recent", L"&Recent", root);
    one = Add(L"one", L"One", recent);
    two = Add(L"two", L"Two", recent);
    items.Make<TTBSeparatorItem>(L"sep", root);
    quit = Add(L"quit", L"E&xit", root);
    windows = MenuWindows();
    // A stuck loop ends here instead of at the test run's time limit.
    driver.SetWatchdog(10000);
  }
  void TearDown() override {
    EXPECT_FALSE(driver.WatchdogFired()) << "the menu did not end by itself";
    HoldLeftButton(false);
    PumpMessages();
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(MenuWindows(), windows) << "no menu window is left";
  }
  template <class T = TTBItem>
  T* Add(const wchar_t* Name, const wchar_t* Caption, TTBCustomItem* Parent) {
    T* item = items.Make<T>(Name, Parent);
    item->SetCaption(Caption);
    return item;
  }
  static HWND Loop() { return testing_support::MenuLoop(); }
  static void Key(WPARAM K) { testing_support::PostMenuKey(K); }
  static void Char(wchar_t C) { PostMessageW(Loop(), WM_CHAR, C, 1); }
  static void Mouse(UINT Msg, POINT P, WPARAM Keys = 0) { testing_support::PostMenuMouse(Msg, P, Keys); }
  static void MoveTo(TTBItemViewer* V) { Mouse(WM_MOUSEMOVE, CentreOnScreen(V)); }
  static void Click(TTBItemViewer* V) {
    Mouse(WM_LBUTTONDOWN, CentreOnScreen(V), MK_LBUTTON);
    Mouse(WM_LBUTTONUP, CentreOnScreen(V));
  }
  static void FireTimer(TTBView* View, TTBViewTimerID ID) {
    PostMessageW(View->Window()->Handle(), WM_TIMER, ViewTimerId(ID), 0);
  }
  TTBView* RootView() const { return rootView; }
  TTBItemViewer* RootViewer(TTBCustomItem* Item) const { return rootView->Find(Item); }
  TTBView* Child() const { return rootView->OpenViewerView(); }
  // Opens the menu at (200, 150); Steps run once it shows. Answers the chosen item.
  TTBCustomItem* Run(std::function<void()> Steps, bool ItemOnly = true) {
    return runner.Run(menu, POINT{200, 150}, ItemOnly, [this, Steps = std::move(Steps)](TTBPopupWindow* Popup) {
      rootView = Popup->View();
      Steps();
    });
  }
  TLoopSettings settings;
  seams::Scoped<seams::TSystemSettings> useSettings{settings};
  TItemFactory items;
  testing_support::TMenuDriver driver;
  testing_support::TMenuRunner<> runner{driver};
  TTBPopupMenu* menu = nullptr;
  TTBCustomItem *open = nullptr, *save = nullptr, *recent = nullptr, *one = nullptr, *two = nullptr,
                *quit = nullptr;
  TTBView* rootView = nullptr;
  int windows = 0;
};

// --- choosing ---------------------------------------------------------------------------------

TEST_F(ModalLoop, AChoiceByClickEnterOrAcceleratorRunsOnceAfterTheMenuHasClosed) {
  struct Case {
    const char* what;
    std::function<void(ModalLoop&)> input;
  };
  const Case cases[] = {
      {"a click", [](ModalLoop& t) { Click(t.RootViewer(t.save)); }},
      {"Down, Down and Enter",
       [](ModalLoop&) {
         Key(VK_DOWN);
         Key(VK_DOWN);
         Key(VK_RETURN);
       }},
      {"the accelerator", [](ModalLoop&) { Char(L's'); }},
  };
  for (const Case& c : cases) {
    items.Events.Log.clear();
    EXPECT_EQ(Run([&] { c.input(*this); }, false), save) << c.what;
    EXPECT_TRUE(items.Events.Log.empty()) << c.what << ": the click waits for the message loop";
    EXPECT_EQ(GetCapture(), nullptr) << c.what;
    EXPECT_EQ(MenuWindows(), windows) << c.what;
    PumpMessages();
    EXPECT_EQ(items.Events.Log, std::vector<std::string>{"click save"}) << c.what;
    SetCursorPos(1, 1);
  }
}

TEST_F(ModalLoop, KeysMoveWrapAndTheAcceleratorsMayRepeat) {
  std::vector<TTBCustomItem*> seen;
  auto look = [&] { driver.Post([&] { seen.push_back(RootView()->Selected() ? RootView()->Selected()->Item() : nullptr); }); };
  Run([&] {
    for (WPARAM k : {VK_DOWN, VK_UP, VK_UP, VK_END, VK_HOME, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN}) {
      driver.Post([k] { Key(k); });
      look();
    }
    // Two captions start with R and neither has an accelerator: the letter only selects.
    driver.Post([&] {
      recent->SetCaption(L"Recent");
      save->SetCaption(L"Rescue");
      Char(L'r');
    });
    look();
    driver.Post([] { Key(VK_ESCAPE); });
  });
  const std::vector<TTBCustomItem*> expected = {open, quit, recent, quit, open, save, recent, quit, open, save};
  EXPECT_EQ(seen, expected);
}

// Every character message that the thread's queue hands out while the probe lives.
class TCharacterProbe {
 public:
  TCharacterProbe() : hook_(SetWindowsHookExW(WH_GETMESSAGE, &Hook, nullptr, GetCurrentThreadId())) { current_ = this; }
  ~TCharacterProbe() {
    UnhookWindowsHookEx(hook_);
    current_ = nullptr;
  }
  TCharacterProbe(const TCharacterProbe&) = delete;
  TCharacterProbe& operator=(const TCharacterProbe&) = delete;
  std::vector<WPARAM> Chars;

 private:
  static LRESULT CALLBACK Hook(int Code, WPARAM WParam, LPARAM LParam) {
    const auto* msg = reinterpret_cast<const MSG*>(LParam);
    if (Code == HC_ACTION && WParam == PM_REMOVE && current_ && (msg->message == WM_CHAR || msg->message == WM_SYSCHAR))
      current_->Chars.push_back(msg->wParam);
    return CallNextHookEx(nullptr, Code, WParam, LParam);
  }
  static inline TCharacterProbe* current_ = nullptr;
  HHOOK hook_;
};

TEST_F(ModalLoop, AKeyAViewUsedBecomesNoCharacterAndOnlyAnUnusedOneMayBeep) {
  struct Case {
    const char* what;
    std::vector<WPARAM> before;  // keys that bring the menu to the state the key is pressed in
    WPARAM key;
    std::vector<WPARAM> chars;  // what the thread reads after the key
    int beeps;
    bool childOpen;  // the submenu, after the key
  };
  const Case cases[] = {
      {"Tab", {}, VK_TAB, {}, 0, false},
      {"Enter on the submenu's item", {VK_DOWN, VK_DOWN, VK_DOWN}, VK_RETURN, {}, 0, true},
      {"Escape in the submenu", {VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT}, VK_ESCAPE, {}, 0, false},
      // No view uses a letter: its character follows, and beeps when no item has it.
      {"a letter of no item", {}, 'Q', {L'q'}, 1, false},
  };
  for (const Case& c : cases) {
    TRecordingSounds sounds;
    seams::Scoped<seams::TSounds> useSounds(sounds);
    std::vector<WPARAM> chars;
    int beeps = -1;
    bool childOpen = false;
    std::unique_ptr<TCharacterProbe> probe;
    Run([&] {
      for (WPARAM k : c.before) driver.Post([k] { Key(k); });
      driver.Post([&] {
        probe = std::make_unique<TCharacterProbe>();
        Key(c.key);
      });
      driver.Post([] {});  // the key's character, if any, is queued behind this step
      driver.Post([&] {
        chars = probe->Chars;
        beeps = sounds.Beeps;
        childOpen = Child() != nullptr;
        probe.reset();
        RootView()->EndModal();
      });
    });
    EXPECT_EQ(chars, c.chars) << c.what;
    EXPECT_EQ(beeps, c.beeps) << c.what;
    EXPECT_EQ(childOpen, c.childOpen) << c.what;
  }
}

// --- submenus ---------------------------------------------------------------------------------

TEST_F(ModalLoop, EscapeClosesOneLevelAndLeftAndRightMoveBetweenLevels) {
  bool childOpened = false, childClosedByLeft = false, childClosedByEscape = false, rootStillOpen = false;
  const TTBCustomItem* chosen = Run([&] {
    driver.Post([] { Char(L'r'); });  // the only item with R: selecting runs it, which opens it
    driver.Post([&] {
      childOpened = Child() && Child()->Selected() && Child()->Selected()->Item() == one;
      Key(VK_LEFT);  // closes the submenu from inside it: its view is gone afterwards
    });
    driver.Post([&] {
      childClosedByLeft = Child() == nullptr;
      Key(VK_RIGHT);
    });
    driver.Post([&] { Key(VK_ESCAPE); });
    driver.Post([&] {
      childClosedByEscape = Child() == nullptr;
      rootStillOpen = IsWindowVisible(RootView()->Window()->Handle()) != FALSE;
      Key(VK_ESCAPE);
    });
  });
  EXPECT_EQ(chosen, nullptr);
  EXPECT_TRUE(childOpened);
  EXPECT_TRUE(childClosedByLeft);
  EXPECT_TRUE(childClosedByEscape);
  EXPECT_TRUE(rootStillOpen);
}

TEST_F(ModalLoop, HoveringOpensASubmenuAfterItsTimerAndASiblingClosesIt) {
  bool openTimer = false, opened = false, closeTimer = false, reselected = false, closed = false;
  const TTBCustomItem* chosen = Run([&] {
    driver.Post([&] { MoveTo(RootViewer(recent)); });
    driver.Post([&] {
      openTimer = (RootView()->ActiveTimers() & (1u << tiOpen)) != 0;
      FireTimer(RootView(), tiOpen);
    });
    driver.Post([&] {
      opened = Child() != nullptr;
      MoveTo(RootViewer(save));
    });
    driver.Post([&] {
      closeTimer = (RootView()->ActiveTimers() & (1u << tiClose)) != 0;
      // Into the open submenu: its parent selects its item again and the close timer stops.
      MoveTo(Child()->Find(two));
    });
    driver.Post([&] {
      reselected = RootView()->Selected() == RootViewer(recent) && !(RootView()->ActiveTimers() & (1u << tiClose));
      MoveTo(RootViewer(save));
    });
    driver.Post([&] { FireTimer(RootView(), tiClose); });
    driver.Post([&] {
      closed = Child() == nullptr;
      Key(VK_ESCAPE);
    });
  });
  EXPECT_EQ(chosen, nullptr);
  EXPECT_TRUE(openTimer);
  EXPECT_TRUE(opened);
  EXPECT_TRUE(closeTimer);
  EXPECT_TRUE(reselected);
  EXPECT_TRUE(closed);
}

TEST_F(ModalLoop, ALongMenuScrollsByItsTimerAndByTheWheel) {
  for (int i = 0; i < 80; ++i) Add((L"l" + std::to_wstring(i)).c_str(), L"Line", menu->Items());
  int afterTimer = 0, afterWheel = 0;
  bool downArrow = false;
  Run([&] {
    driver.Post([&] {
      downArrow = RootView()->ShowDownArrow();
      FireTimer(RootView(), tiScrollDown);
    });
    driver.Post([&] {
      afterTimer = RootView()->ScrollOffset();
      RECT r;
      GetWindowRect(RootView()->Window()->Handle(), &r);
      const POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
      Mouse(WM_MOUSEMOVE, p);  // the wheel turns over the menu
      PostMessageW(Loop(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), MAKELPARAM(p.x, p.y));
    });
    driver.Post([&] {
      afterWheel = RootView()->ScrollOffset();
      Key(VK_ESCAPE);
    });
  });
  EXPECT_TRUE(downArrow);
  EXPECT_GT(afterTimer, 0);
  EXPECT_GT(afterWheel, afterTimer);
}

TEST_F(ModalLoop, WheelTurnsBelowANotchAddUpToWholeNotches) {
  for (int i = 0; i < 80; ++i) Add((L"l" + std::to_wstring(i)).c_str(), L"Line", menu->Items());
  struct Case {
    const char* what;
    std::vector<int> deltas;
    bool scrolls;
  };
  const Case cases[] = {
      {"a third of a notch", {-40}, false},
      {"three thirds", {-40, -40, -40}, true},
      {"two halves", {-60, -60}, true},
      {"a notch and back", {-60, 60, -60}, false},
  };
  for (const Case& c : cases) {
    int offset = -1;
    Run([&] {
      driver.Post([&] {
        RECT r;
        GetWindowRect(RootView()->Window()->Handle(), &r);
        const POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        // The wheel turns over the menu (the loop acts on a move to a point it has not seen).
        Mouse(WM_MOUSEMOVE, POINT{p.x - 1, p.y});
        Mouse(WM_MOUSEMOVE, p);
        for (int delta : c.deltas)
          PostMessageW(Loop(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)), MAKELPARAM(p.x, p.y));
      });
      driver.Post([&] {
        offset = RootView()->ScrollOffset();
        Key(VK_ESCAPE);
      });
    });
    EXPECT_EQ(offset > 0, c.scrolls) << c.what << ": offset " << offset;
    SetCursorPos(1, 1);
  }
}

// --- the mouse --------------------------------------------------------------------------------

TEST_F(ModalLoop, TheReleaseOfThePressThatOpenedTheMenuIsForgivenOnce) {
  bool openAfterFirst = false;
  const TTBCustomItem* chosen = Run([&] {
    driver.Post([] { Mouse(WM_LBUTTONUP, POINT{5, 5}); });
    driver.Post([&] {
      openAfterFirst = Loop() != nullptr;
      Mouse(WM_LBUTTONUP, POINT{5, 5});
    });
  });
  EXPECT_TRUE(openAfterFirst);
  EXPECT_EQ(chosen, nullptr);
}

TEST_F(ModalLoop, WhileAButtonIsHeldLettersDoNothingButF1StillWorks) {
  THelpLog help;
  seams::Scoped<seams::THelp> useHelp(help);
  const String helpFile = Application->HelpFile();
  Application->SetHelpFile(L"Quillnote.hlp");
  save->SetHelpContext(42);
  bool letterIgnored = false;
  const TTBCustomItem* chosen = Run([&] {
    driver.Post([] {
      HoldLeftButton(true);
      Key(VK_DOWN);  // dropped too: nothing but F1 gets through
      Char(L'x');
    });
    driver.Post([&] {
      letterIgnored = RootView()->Selected() == nullptr;
      HoldLeftButton(false);
      Key(VK_DOWN);
      Key(VK_DOWN);
    });
    driver.Post([&] {
      HoldLeftButton(true);
      Key(VK_F1);
    });
  });
  HoldLeftButton(false);
  EXPECT_TRUE(letterIgnored);
  EXPECT_EQ(chosen, nullptr);
  PumpMessages();
  Application->SetHelpFile(helpFile);
  ASSERT_EQ(help.Calls.size(), 1u);
  EXPECT_EQ(help.Calls[0].second, 42u);
}

TEST_F(ModalLoop, APressOnAnotherWindowEndsTheMenuAndReachesThatWindow) {
  struct THost : TCustomControl {
    using TCustomControl::TCustomControl;
    int Presses = 0;
    void MouseDown(TMouseButton, TShiftState, int, int) override { ++Presses; }
  };
  auto* host = new THost(nullptr);
  host->SetBounds(600, 500, 100, 100);
  host->SetVisible(false);  // made visible, its window is made and shown
  host->SetVisible(true);
  // Real input goes to the foreground window's thread: the program is in front, as when a user
  // opens its menu.
  SetForegroundWindow(host->Handle());
  ASSERT_TRUE(testing_support::PumpUntil([&] { return GetForegroundWindow() == host->Handle(); }, 2000));
  const TTBCustomItem* chosen = Run([&] {
    SetCursorPos(650, 550);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof(INPUT));
  });
  EXPECT_EQ(chosen, nullptr);
  EXPECT_TRUE(testing_support::PumpUntil([&] { return host->Presses == 1; }, 2000));
  host->Free();
}

// --- what else ends a menu --------------------------------------------------------------------

TEST_F(ModalLoop, TheCaptureTakenCancelModeOrAQuitEndTheMenuWithNoChoice) {
  struct Case {
    const char* what;
    std::function<void()> end;
  };
  HWND other = AllocateHWnd(TWndMethod());
  const Case cases[] = {
      {"the capture taken", [&] { SetCapture(other); }},
      {"WM_CANCELMODE", [&] { SendMessageW(Loop(), WM_CANCELMODE, 0, 0); }},
      {"a quit", [] { PostQuitMessage(7); }},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Run([&] { c.end(); }), nullptr) << c.what;
    ReleaseCapture();
  }
  // The quit is still there for the application's own loop.
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
  DeallocateHWnd(other);
}

TEST_F(ModalLoop, OtherTimersRunAndCharactersTypedMeanwhileAreGoneAfterwards) {
  // A window of the program's own whose timer goes on while the menu is open; its third tick
  // types a character for itself and closes the menu.
  struct TTicks : TObject {
    int Count = 0;
    HWND Wnd = nullptr;
    void Tick(TMessage& M) {
      if (M.Msg != WM_TIMER || ++Count != 3) return;
      PostMessageW(Wnd, WM_CHAR, L'q', 1);
      Key(VK_ESCAPE);
    }
  } ticks;
  ticks.Wnd = AllocateHWnd(TWndMethod(&ticks, &TTicks::Tick), TUtilWindowKind::MessagesOnly);
  SetTimer(ticks.Wnd, 1, 10, nullptr);
  EXPECT_EQ(Run([] {}), nullptr);
  KillTimer(ticks.Wnd, 1);
  EXPECT_GE(ticks.Count, 3);
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_CHAR, WM_CHAR, PM_NOREMOVE));
  DeallocateHWnd(ticks.Wnd);
}

TEST_F(ModalLoop, AFailingViewerLeavesNoCaptureWindowOrHintBehind) {
  TTBCustomItem* broken = items.Make<TThrowingItem>(L"broken", menu->Items());
  broken->SetCaption(L"Broken");
  TWinEventLog events;
  EXPECT_THROW(Run([&] { Mouse(WM_LBUTTONDOWN, CentreOnScreen(RootViewer(broken)), MK_LBUTTON); }),
               std::runtime_error);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(MenuWindows(), windows);
  EXPECT_FALSE(events.WindowsOf(EVENT_SYSTEM_MENUEND).empty());
  EXPECT_TRUE(Application->Hint().empty());
  EXPECT_EQ(Application->HintWindow(), nullptr);
}

TEST_F(ModalLoop, AssistiveToolsHearTheMenuStartFocusPopupsAndEnd) {
  TWinEventLog events;
  Run([&] {
    driver.Post([] { Key(VK_DOWN); });   // open, child 1
    driver.Post([] { Key(VK_END); });    // exit: the separator before it counts too
    driver.Post([] { Key(VK_ESCAPE); });
  });
  std::vector<DWORD> kinds;
  std::vector<LONG> focus;
  for (const auto& e : events.Events()) {
    if (e.Event == EVENT_OBJECT_FOCUS) focus.push_back(e.ChildID);
    if (kinds.empty() || kinds.back() != e.Event) kinds.push_back(e.Event);
  }
  const std::vector<DWORD> expected = {EVENT_SYSTEM_MENUSTART, EVENT_SYSTEM_MENUPOPUPSTART, EVENT_OBJECT_FOCUS,
                                       EVENT_SYSTEM_MENUPOPUPEND, EVENT_SYSTEM_MENUEND};
  // Other events of the system's own may come in between: only ours, in this order.
  std::vector<DWORD> ours;
  std::copy_if(kinds.begin(), kinds.end(), std::back_inserter(ours),
               [&](DWORD k) { return std::find(expected.begin(), expected.end(), k) != expected.end(); });
  EXPECT_EQ(ours, expected);
  EXPECT_EQ(focus, (std::vector<LONG>{1, 5}));
}

}  // namespace

namespace {

// A toolbar in menu mode entered with the mouse while nothing is selected: the press goes to no
// viewer, and the loop runs until Escape.
TEST(ToolbarLoop, EnteredWithTheMouseAndNothingSelected) {
  TItemFactory items;
  auto* root = items.Make<TTBRootItem>(L"root");
  items.Make(L"a", root)->SetCaption(L"&A");
  auto* bar = new TCustomControl(nullptr);
  bar->SetBounds(300, 300, 200, 30);
  bar->SetVisible(false);
  bar->SetVisible(true);
  TTBView view(nullptr, nullptr, root, bar, true, false, false);
  view.UpdatePositions();
  testing_support::TMenuDriver driver;
  driver.SetWatchdog(10000);
  driver.Post([] { PostMessageW(GetCapture(), WM_KEYDOWN, VK_ESCAPE, 1); });
  view.EnterToolbarLoop(tbetMouseDown);
  EXPECT_FALSE(driver.WatchdogFired());
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_FALSE(view.State() & vsModal);
  EXPECT_EQ(view.DoneActionData().DoneAction, tbdaCancel);
  bar->Free();
}

}  // namespace
