#include "FreedMemoryGuard.h"
#include "ItemTestSupport.h"

#include "classlib/Forms.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

using namespace item_tests;
using testing_support::PumpMessages;

namespace {

class ClickQueue : public ::testing::Test {
 protected:
  void SetUp() override { PumpMessages(); }
  int Clicks(const char* name) {
    std::string wanted = std::string("click ") + name;
    return static_cast<int>(std::count(f.Events.Log.begin(), f.Events.Log.end(), wanted));
  }
  static size_t Slots() {
    auto* list = tb2item_detail::ClickList();
    return list ? list->size() : 0;
  }
  TItemFactory f;
  TTBItem* item = f.Make<TTBItem>(L"item");
  TTBItem* other = f.Make<TTBItem>(L"other");
};

// A viewer that logs its accessible selections.
class TSpyViewer : public TTBItemViewer {
 public:
  using TTBItemViewer::TTBItemViewer;
  void AccSelect(bool Execute) override { Calls.push_back(Execute); }
  static inline std::vector<bool> Calls;
};

int g_handled = 0;
void CountingHandler(const Exception*, const char*) noexcept { ++g_handled; }

}  // namespace

TEST_F(ClickQueue, AChosenItemRunsFromTheMessageLoopOnce) {
  TTBDoneActionData done;
  done.DoneAction = tbdaClickItem;
  done.ClickItem = item;
  EXPECT_EQ(item, ProcessDoneAction(done, false));
  EXPECT_EQ(0, Clicks("item"));  // not while the caller still runs
  PumpMessages();
  EXPECT_EQ(1, Clicks("item"));
  PumpMessages(20);
  EXPECT_EQ(1, Clicks("item"));
  EXPECT_EQ(0u, Slots());
}

TEST_F(ClickQueue, OnlyTheItemIsAnsweredWhenAsked) {
  TTBDoneActionData done;
  done.DoneAction = tbdaClickItem;
  done.ClickItem = item;
  EXPECT_EQ(item, ProcessDoneAction(done, true));
  PumpMessages();
  EXPECT_EQ(0, Clicks("item"));
  for (TTBDoneAction nothing : {tbdaNone, tbdaCancel}) {
    done.DoneAction = nothing;
    EXPECT_EQ(nullptr, ProcessDoneAction(done, false));
  }
  PumpMessages();
  EXPECT_EQ(0, Clicks("item"));
}

TEST_F(ClickQueue, TwoClicksTakeTwoSlotsAndLeaveAnEmptyQueue) {
  item->PostClick();
  other->PostClick();
  ASSERT_NE(nullptr, tb2item_detail::ClickList());
  EXPECT_EQ((std::vector<TObject*>{item, other}), *tb2item_detail::ClickList());
  PumpMessages();
  EXPECT_EQ(1, Clicks("item"));
  EXPECT_EQ(1, Clicks("other"));
  EXPECT_EQ(0u, Slots());
}

TEST_F(ClickQueue, AnItemFreedBeforeItsClickRunsIsNotCalled) {
  item->PostClick();
  item->Free();
  EXPECT_EQ((std::vector<TObject*>{tb2item_detail::FreedClickMarker()}), *tb2item_detail::ClickList());
  other->PostClick();  // the marked slot stays taken
  EXPECT_EQ((std::vector<TObject*>{tb2item_detail::FreedClickMarker(), other}), *tb2item_detail::ClickList());
  PumpMessages();
  EXPECT_EQ(0, Clicks("item"));
  EXPECT_EQ(1, Clicks("other"));
  EXPECT_EQ(0u, Slots());
}

TEST_F(ClickQueue, ADisabledItemIsNotClicked) {
  item->SetEnabled(false);
  item->PostClick();
  PumpMessages();
  EXPECT_EQ(0, Clicks("item"));
}

TEST_F(ClickQueue, AClickThatCannotBePostedGivesItsSlotBack) {
  item->PostClick();
  PumpMessages();
  // Without its window the post fails.
  DestroyWindow(tb2item_detail::ClickWnd());
  item->PostClick();
  EXPECT_EQ(0u, Slots());
  FreeClickQueue();
  item->PostClick();
  PumpMessages();
  EXPECT_EQ(2, Clicks("item"));
}

// The click frees the queue and its window from inside the window's own message: nothing of the
// window's binding is read afterwards (freed memory is unreadable here, so a read crashes).
TEST_F(ClickQueue, AClickThatFreesTheQueueReadsNothingOfItsWindowAfterwards) {
  FreeClickQueue();  // made anew under the guard
  f.Events.OnClickHook = [](TObject*) { FreeClickQueue(); };
  const int guardedBefore = TFreedMemoryGuard::Guarded();
  {
    TFreedMemoryGuard guard;
    item->PostClick();
    PumpMessages();
  }
  EXPECT_GT(TFreedMemoryGuard::Guarded(), guardedBefore) << "the queue's window was made under the guard";
  EXPECT_EQ(1, Clicks("item"));
  EXPECT_EQ(nullptr, tb2item_detail::ClickWnd());
}

TEST_F(ClickQueue, AnExceptionInAQueuedClickGoesToTheApplicationAndTheQueueGoesOn) {
  f.Events.OnClickHook = [this](TObject* s) {
    if (s == item) throw Exception(L"command failed");
  };
  g_handled = 0;
  SetBoundaryHandler(CountingHandler);
  item->PostClick();
  other->PostClick();
  PumpMessages();
  SetBoundaryHandler(nullptr);
  EXPECT_EQ(1, g_handled);
  EXPECT_EQ(1, Clicks("other"));
  EXPECT_EQ(0u, Slots());
}

TEST_F(ClickQueue, AccessibleSelectionsReachLiveViewersOnly) {
  TSpyViewer::Calls.clear();
  auto live = std::make_unique<TSpyViewer>(nullptr, item, 0);
  auto dying = std::make_unique<TSpyViewer>(nullptr, other, 0);
  live->PostAccSelect(true);
  dying->PostAccSelect(false);
  dying.reset();
  live->PostAccSelect(false);
  PumpMessages();
  EXPECT_EQ((std::vector<bool>{true, false}), TSpyViewer::Calls);
  EXPECT_EQ(0u, Slots());
}

// The thread's items and viewers end with its test: a thread of its own starts with none,
// whatever the other tests of this executable leave on theirs.
namespace {
void OnFreshThread(const std::function<void()>& body) { std::thread(body).join(); }
}  // namespace

TEST(ClickQueueLife, TheQueueEndsWithTheLastItemOfTheThread) {
  int atStart = -1, withItems = -1, atEnd = -1, clicks = -1;
  HWND wnd = nullptr, wndAtEnd = nullptr;
  bool windowAlive = false, listAtEnd = true;
  OnFreshThread([&] {
    atStart = tb2item_detail::ItemViewerCount();
    TItemFactory f;
    auto* item = f.Make(L"item");
    auto* other = f.Make(L"other");
    withItems = tb2item_detail::ItemViewerCount();
    item->PostClick();
    wnd = tb2item_detail::ClickWnd();
    windowAlive = IsWindow(wnd);
    item->Free();
    other->Free();
    atEnd = tb2item_detail::ItemViewerCount();
    wndAtEnd = tb2item_detail::ClickWnd();
    listAtEnd = tb2item_detail::ClickList() != nullptr;
    PumpMessages();  // the dead item's message went with its window
    clicks = static_cast<int>(f.Events.Log.size());
  });
  EXPECT_EQ(atStart + 2, withItems);
  EXPECT_EQ(atStart, atEnd);
  EXPECT_TRUE(windowAlive);
  EXPECT_EQ(nullptr, wndAtEnd);
  EXPECT_FALSE(listAtEnd);
  EXPECT_FALSE(IsWindow(wnd));
  EXPECT_EQ(0, clicks);
}

TEST_F(ClickQueue, TheMenuCommandSoundPlaysForPopupClicksWhenTheSchemeHasOne) {
  TRecordingSounds sounds;
  seams::Scoped<seams::TSounds> scoped(sounds);
  TTBDoneActionData done;
  done.DoneAction = tbdaClickItem;
  done.ClickItem = item;
  struct Case {
    const char* what;
    const wchar_t* scheme;
    bool popup;
    size_t played;
  } cases[] = {
      {"popup click, scheme has a sound", L"ding.wav", true, 1},
      {"toolbar click", L"ding.wav", false, 0},
      {"popup click, empty scheme entry", L"", true, 0},
  };
  for (const Case& k : cases) {
    TSchemeSound scheme(L"MenuCommand", k.scheme);
    sounds.Played.clear();
    done.Sound = k.popup;
    ProcessDoneAction(done, true);
    EXPECT_EQ(k.played, sounds.Played.size()) << k.what;
    if (!sounds.Played.empty()) {
      EXPECT_EQ(L"MenuCommand", sounds.Played[0].first);
      // SND_ALIAS | SND_ASYNC | SND_NODEFAULT | SND_NOSTOP: a sound already playing is not cut off.
      EXPECT_EQ(0x10013u, sounds.Played[0].second);
    }
  }
}

TEST_F(ClickQueue, TheSystemMenuOutcomeAsksTheWindowForItsMenu) {
  struct TSpy : TObject {
    void WndProc(TMessage& m) {
      if (m.Msg == WM_SYSCOMMAND) Got.push_back(m);
      else m.Result = DefWindowProcW(Wnd, m.Msg, m.WParam, m.LParam);
    }
    HWND Wnd = nullptr;
    std::vector<TMessage> Got;
  } spy;
  spy.Wnd = AllocateHWnd(TWndMethod(&spy, &TSpy::WndProc));
  TTBDoneActionData done;
  done.DoneAction = tbdaOpenSystemMenu;
  done.SystemMenuWnd = spy.Wnd;
  done.SystemMenuKey = 'x';
  EXPECT_EQ(nullptr, ProcessDoneAction(done, false));
  DeallocateHWnd(spy.Wnd);
  ASSERT_EQ(1u, spy.Got.size());
  EXPECT_EQ(static_cast<WPARAM>(SC_KEYMENU), spy.Got[0].WParam);
  EXPECT_EQ(static_cast<LPARAM>('x'), spy.Got[0].LParam);
}

TEST_F(ClickQueue, TheHelpOutcomeGoesToTheInstalledHandler) {
  static std::vector<int> contexts;
  contexts.clear();
  SetTBHelpContextHandler([](int id) { contexts.push_back(id); });
  TTBDoneActionData done;
  done.DoneAction = tbdaHelpContext;
  done.ContextID = 42;
  EXPECT_EQ(nullptr, ProcessDoneAction(done, false));
  SetTBHelpContextHandler(nullptr);
  EXPECT_EQ((std::vector<int>{42}), contexts);
}

TEST_F(ClickQueue, WithoutAHandlerTheHelpOutcomeAsksTheApplicationsHelp) {
  struct THelpSpy : seams::THelp {
    std::vector<std::pair<UINT, ULONG_PTR>> Calls;
    bool WinHelp(HWND, const String&, UINT command, ULONG_PTR data) override {
      Calls.push_back({command, data});
      return true;
    }
  } spy;
  seams::Scoped<seams::THelp> useSpy(spy);
  Application->SetHelpFile(L"quill.hlp");
  TTBDoneActionData done;
  done.DoneAction = tbdaHelpContext;
  done.ContextID = 42;
  // No form with a help button is active here: the topic itself.
  EXPECT_EQ(nullptr, ProcessDoneAction(done, false));
  Application->SetHelpFile(L"");
  ASSERT_EQ(1u, spy.Calls.size());
  EXPECT_EQ(static_cast<UINT>(HELP_CONTEXT), spy.Calls[0].first);
  EXPECT_EQ(42u, spy.Calls[0].second);
}

TEST(ClickQueueLife, AClickThatFreesTheLastItemsEndsTheQueueFromInsideIt) {
  int atStart = -1, atEnd = -1;
  HWND wndAtEnd = nullptr;
  std::vector<std::string> clicks, laterClicks;
  OnFreshThread([&] {
    atStart = tb2item_detail::ItemViewerCount();
    TItemFactory f;
    TTBCustomItem* item = f.Make(L"item");
    TTBCustomItem* other = f.Make(L"other");
    other->PostClick();
    item->PostClick();
    f.Events.OnClickHook = [&](TObject* s) {
      if (s != other) return;
      other->Free();  // the queue's window goes while its own message runs
      item->Free();
      other = item = nullptr;
    };
    PumpMessages();
    clicks = f.Events.Log;
    atEnd = tb2item_detail::ItemViewerCount();
    wndAtEnd = tb2item_detail::ClickWnd();
    // The next click starts a new queue.
    TItemFactory g;
    auto* fresh = g.Make(L"fresh");
    fresh->PostClick();
    PumpMessages();
    laterClicks = g.Events.Log;
  });
  EXPECT_EQ((std::vector<std::string>{"click other"}), clicks);
  EXPECT_EQ(atStart, atEnd);
  EXPECT_EQ(nullptr, wndAtEnd);
  EXPECT_EQ((std::vector<std::string>{"click fresh"}), laterClicks);
}
