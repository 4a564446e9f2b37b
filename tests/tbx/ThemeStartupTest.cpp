// The theme layer's start-up and shutdown, and what theme switches leave behind.
#include "ThemeTestSupport.h"
#include "common/GdiCensus.h"
#include "items/TB2Anim.h"
#include "items/TB2Item.h"
#include "tbx/TBXMenuAnimation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testing_support::ThreadWindowCount;
using tbx_test::TFakeSystemSettings;

class ThemeStartup : public testing::Test {
 protected:
  TFakeSystemSettings settings;
  seams::Scoped<seams::TSystemSettings> useSettings{settings};
};

TEST_F(ThemeStartup, UnitsStartInTheirOrder) {
  int count = 0;
  const tbx::TStartupStep* steps = tbx::StartupSteps(count);
  std::vector<std::wstring> units;
  for (int i = 0; i < count; ++i) units.push_back(steps[i].Unit);
  EXPECT_EQ(units, (std::vector<std::wstring>{L"TBXUtils", L"Rmkthemes", L"TB2Acc", L"TB2Anim", L"TB2Item",
                                               L"TBXThemes", L"Tbxidetheme", L"TBXDefaultTheme", L"TBX",
                                               L"TBXToolPals"}));
}

TEST_F(ThemeStartup, StartingAndFinishingLeavesNothingBehindAndRunsAgain) {
  const long objects = gdi::LiveObjects();
  const gdi_census::TMark census;
  const int windows = ThreadWindowCount();
  for (int run = 1; run <= 2; ++run) {
    SCOPED_TRACE(run);
    InitializeThemeLayer();
    ASSERT_NE(ActiveTheme, nullptr);
    EXPECT_EQ(ActiveTheme->Name(), L"Default");
    EXPECT_NE(NexusInstance, nullptr);
    EXPECT_NE(ThemeManagerInstance, nullptr);
    EXPECT_NE(MenuAnimationInstance, nullptr);
    EXPECT_NE(DefaultThemeFont(), nullptr);
    EXPECT_NE(SmCaptionFont(), nullptr);
    EXPECT_TRUE(IsThemeRegistered(L"Default"));
    EXPECT_EQ(ThemeManagerInstance->Listeners(), (std::vector<TObject*>{ActiveTheme, NexusInstance}));
    EXPECT_EQ(ThreadWindowCount(), windows + 1);  // the manager's window

    FinalizeThemeLayer();
    EXPECT_EQ(ActiveTheme, nullptr);
    EXPECT_EQ(NexusInstance, nullptr);
    EXPECT_EQ(ThemeManagerInstance, nullptr);
    EXPECT_EQ(MenuAnimationInstance, nullptr);
    EXPECT_EQ(DefaultThemeFont(), nullptr);
    EXPECT_EQ(SmCaptionFont(), nullptr);
    EXPECT_TRUE(tbx::ThemeEntries().empty());
    EXPECT_EQ(tbx::BoundVisualStylesSlots(), 0u);
    EXPECT_EQ(ThreadWindowCount(), windows);
    EXPECT_EQ(gdi::LiveObjects(), objects);
    EXPECT_TRUE(census.NothingLeft());
  }
}

// The item framework's state of the thread ends in the layer's finishing, in its units' place,
// and not in static destructors that may run after the window bindings are gone.
TEST_F(ThemeStartup, FinishingEndsTheThreadsAnimationAndFreesItsClickQueue) {
  InitializeThemeLayer();
  HWND popup = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 10, 10, 60, 40, nullptr, nullptr,
                               nullptr, nullptr);
  ASSERT_NE(popup, nullptr);
  TBStartAnimation(popup, true, 0);
  auto* item = new TTBItem(nullptr);
  item->PostClick();
  ASSERT_TRUE(tb2anim::Running());
  ASSERT_NE(tb2item_detail::ClickWnd(), nullptr);

  FinalizeThemeLayer();
  EXPECT_FALSE(tb2anim::Running());
  EXPECT_EQ(tb2item_detail::ClickWnd(), nullptr);
  item->Free();
  DestroyWindow(popup);
}

TEST_F(ThemeStartup, IsCounted) {
  InitializeThemeLayer();
  TTBXTheme* active = ActiveTheme;
  InitializeThemeLayer();
  EXPECT_EQ(ActiveTheme, active);
  FinalizeThemeLayer();
  EXPECT_EQ(ActiveTheme, active);
  FinalizeThemeLayer();
  EXPECT_EQ(ActiveTheme, nullptr);
  FinalizeThemeLayer();  // one too many: nothing happens
  EXPECT_EQ(ThemeManagerInstance, nullptr);
}

class ThemeSwitches : public tbx_test::ThemeLayerTest {};

TEST_F(ThemeSwitches, AHundredSwitchesLeaveNoGdiObjectBehind) {
  RegisterThemeClass(L"Classic", CreateThemeOf<TTBXDefaultTheme>);
  TTBXSwitcher switcher(nullptr);
  // Once round first, so that whatever is made once per process already exists.
  NexusSelectTheme(L"Classic");
  NexusSelectTheme(L"Default");
  const long objects = gdi::LiveObjects();
  const gdi_census::TMark census;
  for (int i = 0; i < 100; ++i) {
    switcher.SetTheme(i % 3 == 2 ? L"Default" : (i % 2 ? L"Classic" : L"Default"));
    ActiveTheme->GetIntegerMetrics(tmSplitArrowWidth);
  }
  EXPECT_EQ(gdi::LiveObjects(), objects);
  EXPECT_TRUE(census.NothingLeft());
}

}  // namespace
