// Broadcasts of the theme manager and of the holder of the active theme stay safe while their
// handlers switch the theme, add or free switchers and listeners. Freed memory is poisoned in
// this executable: a broadcast that reached a freed object would crash or spoil it.
#include "ThemeTestSupport.h"
#include "items/TB2Common.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using tbx_test::ThemeLayerTest;
using tbx_test::THeardList;
using tbx_test::TRecordingListener;
using tbx_test::TRecordingSwitcher;

// One line per event of the themes below: which theme object (by its serial number) heard what,
// or was freed.
struct TThemeEvent {
  int Serial;
  int What;  // the wParam heard, or -1 when freed
  bool operator==(const TThemeEvent&) const = default;
};
std::vector<TThemeEvent> ThemeLog;

class TLoggingTheme : public TTBXDefaultTheme {
 public:
  explicit TLoggingTheme(const String& AName) : TTBXDefaultTheme(AName), Serial(++Made) {}
  ~TLoggingTheme() override { ThemeLog.push_back({Serial, -1}); }
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == WM_TBX_SYSTEM_CHANGED) ThemeLog.push_back({Serial, static_cast<int>(Message.WParam)});
    TTBXDefaultTheme::Dispatch(Message);
  }
  const int Serial;
  static inline int Made = 0;
};

// What a switcher does on the first message it hears.
class TActingSwitcher : public TRecordingSwitcher {
 public:
  using TRecordingSwitcher::TRecordingSwitcher;
  std::function<void()> OnFirst;
  void Dispatch(TMessage& Message) override {
    TRecordingSwitcher::Dispatch(Message);
    if (auto act = std::exchange(OnFirst, nullptr)) act();
  }
};

class ThemeBroadcasts : public ThemeLayerTest {
 protected:
  void SetUp() override {
    ThemeLayerTest::SetUp();
    ThemeLog.clear();
    RegisterThemeClass(L"A", CreateThemeOf<TLoggingTheme>);
    RegisterThemeClass(L"B", CreateThemeOf<TLoggingTheme>);
  }
  // What the theme with this serial heard (or -1 for its end), in order.
  static std::vector<int> EventsOf(int Serial) {
    std::vector<int> events;
    for (const TThemeEvent& e : ThemeLog)
      if (e.Serial == Serial) events.push_back(e.What);
    return events;
  }
};

TEST_F(ThemeBroadcasts, ASwitcherFreedByAnEarlierOneIsNotTold) {
  auto* first = new TActingSwitcher(nullptr);
  auto* second = new TRecordingSwitcher(nullptr);
  TRecordingSwitcher third(nullptr);
  first->OnFirst = [&] { second->Free(); };
  NexusSelectTheme(L"A");
  EXPECT_EQ(third.Heard, (THeardList{{1, 1}, {2, 1}, {3, 1}}));
  EXPECT_EQ(first->Heard, (THeardList{{1, 1}, {2, 1}, {3, 1}}));
  EXPECT_EQ(NexusInstance->Switchers(), (std::vector<TObject*>{first, &third}));
  first->Free();
}

TEST_F(ThemeBroadcasts, ASwitcherMayFreeItself) {
  auto* self = new TActingSwitcher(nullptr);
  TRecordingSwitcher after(nullptr);
  self->OnFirst = [&] { self->Free(); };
  SendToManager(WM_SYSCOLORCHANGE);
  EXPECT_EQ(after.Heard, (THeardList{{1, 0}, {2, 0}, {3, 0}}));
  EXPECT_EQ(NexusInstance->Switchers(), std::vector<TObject*>{&after});
}

TEST_F(ThemeBroadcasts, ASwitcherAddedMeanwhileHearsTheLaterPhases) {
  TActingSwitcher first(nullptr);
  std::unique_ptr<TRecordingSwitcher> added;
  first.OnFirst = [&] { added = std::make_unique<TRecordingSwitcher>(nullptr); };
  NexusSelectTheme(L"A");
  ASSERT_TRUE(added);
  EXPECT_EQ(added->Heard, (THeardList{{2, 1}, {3, 1}}));
}

TEST_F(ThemeBroadcasts, ASwitchInsideASelectionRunsItsOwnPhasesFirst) {
  TActingSwitcher first(nullptr);
  TRecordingSwitcher second(nullptr);
  first.OnFirst = [&] { NexusSelectTheme(L"B"); };
  NexusSelectTheme(L"A");
  EXPECT_EQ(second.Heard, (THeardList{{1, 1}, {2, 1}, {3, 1}, {1, 1}, {2, 1}, {3, 1}}));
  EXPECT_EQ(NexusThemeName(), L"B");
  const int a = FindThemeEntry(L"A");
  ASSERT_GE(a, 0);
  EXPECT_EQ(tbx::ThemeEntries()[static_cast<size_t>(a)].Instance, nullptr);  // A came and went
}

// The manager's listeners are the themes and the holder: a switch made while the manager tells
// them of a system change frees a theme that is still to be told, and adds the new one.
TEST_F(ThemeBroadcasts, AThemeFreedDuringASystemChangeIsNotToldAndItsSuccessorHearsTheRest) {
  NexusSelectTheme(L"A");  // listeners now: the holder, then theme A
  const int a = TLoggingTheme::Made;
  TActingSwitcher switcher(nullptr);
  switcher.OnFirst = [&] { NexusSelectTheme(L"B"); };
  ThemeLog.clear();
  TRecordingListener last;
  SendToManager(WM_SYSCOLORCHANGE);

  const int b = TLoggingTheme::Made;
  ASSERT_EQ(b, a + 1);
  // A was freed before it was told anything; B, made during phase 1 (and told then whether the
  // application is active), heard phases 2 and 3.
  EXPECT_EQ(EventsOf(a), std::vector<int>{-1});
  EXPECT_EQ(EventsOf(b), (std::vector<int>{ApplicationIsActive() ? 1 : 0, 2, 3}));
  EXPECT_EQ(last.Phases(), (std::vector<WPARAM>{1, 2, 3}));
}

TEST_F(ThemeBroadcasts, AListenerRemovedMeanwhileIsSkippedAndOneAddedHearsLater) {
  struct TActingListener : TRecordingListener {
    std::function<void()> OnFirst;
    void Dispatch(TMessage& Message) override {
      TRecordingListener::Dispatch(Message);
      if (auto act = std::exchange(OnFirst, nullptr)) act();
    }
  };
  TActingListener first;
  auto* second = new TRecordingListener();
  std::unique_ptr<TRecordingListener> added;
  first.OnFirst = [&] {
    delete second;
    added = std::make_unique<TRecordingListener>();
  };
  SendToManager(WM_DISPLAYCHANGE, 24);
  ASSERT_TRUE(added);
  EXPECT_EQ(first.Phases(), (std::vector<WPARAM>{1, 2, 3}));
  EXPECT_EQ(added->Phases(), (std::vector<WPARAM>{2, 3}));
}

}  // namespace
