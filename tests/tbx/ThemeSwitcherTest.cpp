// The theme switcher: what it hears and when its event runs, and its properties, which every
// switcher shares through the theme holder and the theme manager.
#include "ThemeTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using tbx_test::ThemeLayerTest;
using tbx_test::THeardList;
using tbx_test::TRecordingSwitcher;

// Counts the switcher events it is bound to.
class TEventCounter : public TObject {
 public:
  void ThemeChanged(TObject* Sender) {
    ++Count;
    LastSender = Sender;
  }
  int Count = 0;
  TObject* LastSender = nullptr;
};

class ThemeSwitcher : public ThemeLayerTest {
 protected:
  void SetUp() override {
    ThemeLayerTest::SetUp();
    RegisterThemeClass(L"Other", CreateThemeOf<TTBXDefaultTheme>);
    switcher = std::make_unique<TRecordingSwitcher>(nullptr);
    switcher->OnThemeChange = TNotifyEvent(&counter, &TEventCounter::ThemeChanged);
  }
  void TearDown() override {
    switcher.reset();
    ThemeLayerTest::TearDown();
  }
  TEventCounter counter;
  std::unique_ptr<TRecordingSwitcher> switcher;
};

TEST_F(ThemeSwitcher, HearsThreePhasesPerSelectionAndPerSystemChangeAndOneMessagePerActivation) {
  struct TStep {
    const char* What;
    void (*Do)();
    THeardList Heard;
  } steps[] = {
      {"selection", [] { NexusSelectTheme(L"Other"); }, {{1, 1}, {2, 1}, {3, 1}}},
      {"colours", [] { SendToManager(WM_SYSCOLORCHANGE); }, {{1, 0}, {2, 0}, {3, 0}}},
      {"display", [] { SendToManager(WM_DISPLAYCHANGE, 24); }, {{1, 0}, {2, 0}, {3, 0}}},
      {"visual style", [] { SendToManager(WM_THEMECHANGED); }, {{1, 0}, {2, 0}, {3, 0}}},
      {"deactivation", [] { SendToManager(WM_ACTIVATEAPP, FALSE); }, {{5, 0}}},
      {"activation", [] { SendToManager(WM_ACTIVATEAPP, TRUE); }, {{4, 0}}},
      {"selecting the active theme", [] { NexusSelectTheme(L"Other"); }, {{1, 1}, {2, 1}, {3, 1}}},
  };
  for (const TStep& step : steps) {
    switcher->Heard.clear();
    counter.Count = 0;
    step.Do();
    EXPECT_EQ(switcher->Heard, step.Heard) << step.What;
    EXPECT_EQ(counter.Count, static_cast<int>(step.Heard.size())) << step.What;
    EXPECT_EQ(counter.LastSender, switcher.get()) << step.What;
  }
}

TEST_F(ThemeSwitcher, AnUnregisteredNameIsIgnored) {
  switcher->SetTheme(L"Other");
  switcher->Heard.clear();
  EXPECT_NO_THROW(switcher->SetTheme(L"Unheard of"));
  EXPECT_EQ(switcher->Theme(), L"Other");
  EXPECT_TRUE(switcher->Heard.empty());
}

TEST_F(ThemeSwitcher, EverySwitcherShowsTheSameValues) {
  TTBXSwitcher other(nullptr);
  switcher->SetTheme(L"Other");
  other.SetFlatMenuStyle(fmsDisable);
  switcher->SetEnableXPStyles(false);
  EXPECT_EQ(other.Theme(), L"Other");
  EXPECT_EQ(switcher->FlatMenuStyle(), fmsDisable);
  EXPECT_FALSE(other.EnableXPStyles());
  other.SetTheme(L"Default");
  EXPECT_EQ(switcher->Theme(), L"Default");
}

TEST_F(ThemeSwitcher, FlatMenuStylesAreTheManagersModes) {
  struct TCase {
    TFlatMenuStyle Style;
    int Mode;
  } cases[] = {{fmsDisable, 1}, {fmsEnable, 2}, {fmsAuto, 0}};
  for (const auto& c : cases) {
    switcher->SetFlatMenuStyle(c.Style);
    EXPECT_EQ(GetThemeManagerOption(tmoFlatMenuMode), c.Mode);
    EXPECT_EQ(switcher->FlatMenuStyle(), c.Style);
  }
  // A mode no style sets reads as automatic.
  SetThemeManagerOption(tmoFlatMenuMode, 7);
  EXPECT_EQ(switcher->FlatMenuStyle(), fmsAuto);
}

TEST_F(ThemeSwitcher, DisablingVisualStylesGivesTheToolbarTheButtonColours) {
  EXPECT_TRUE(switcher->EnableXPStyles());
  switcher->SetEnableXPStyles(false);
  EXPECT_EQ(GetThemeManagerOption(tmoVisualStyles), 2);
  EXPECT_FALSE(VisualStylesInUse);
  EXPECT_EQ(ToolbarFaceColor, clBtnFace);
  switcher->SetEnableXPStyles(true);
  EXPECT_EQ(GetThemeManagerOption(tmoVisualStyles), 0);
  EXPECT_EQ(VisualStylesInUse, VisualStylesActive());
}

TEST_F(ThemeSwitcher, IsAttachedForItsLifetimeAndCounted) {
  const int count = SwitcherCount();
  auto* owner = new TComponent(nullptr);
  auto* owned = new TRecordingSwitcher(owner);
  EXPECT_EQ(SwitcherCount(), count + 1);
  EXPECT_EQ(NexusInstance->Switchers().back(), owned);
  owner->Free();  // frees the switcher it owns
  EXPECT_EQ(SwitcherCount(), count);
  for (TObject* attached : NexusInstance->Switchers()) EXPECT_NE(attached, owned);
  NexusSelectTheme(L"Other");  // reaches only the switchers alive
  EXPECT_EQ(switcher->Heard.size(), 3u);
}

}  // namespace
