// The theme manager: its hidden top-level window and what it hears, the system facts it keeps,
// its two options, and the frame geometry of floating windows and toolbars.
#include "ThemeTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using tbx_test::ThemeLayerTest;
using tbx_test::TRecordingListener;

class ThemeManager : public ThemeLayerTest {};

TEST_F(ThemeManager, ItsWindowIsAHiddenTopLevelWindow) {
  const HWND window = ThemeManagerInstance->HiddenWindow();
  ASSERT_TRUE(IsWindow(window));
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_EQ(GetAncestor(window, GA_PARENT), GetDesktopWindow());
  EXPECT_EQ(GetWindowThreadProcessId(window, nullptr), GetCurrentThreadId());
}

TEST_F(ThemeManager, ColourDisplayAndStyleChangesRecomputeThenReachEveryListenerThrice) {
  for (UINT message : {WM_SYSCOLORCHANGE, WM_DISPLAYCHANGE, WM_THEMECHANGED}) {
    SCOPED_TRACE(message);
    TRecordingListener first, second;
    settings.Depth = 8;
    SendToManager(message);
    EXPECT_TRUE(LowColorMode);
    EXPECT_EQ(first.Heard, (tbx_test::THeardList{{1, 0}, {2, 0}, {3, 0}}));
    EXPECT_EQ(second.Heard, first.Heard);
    settings.Depth = 24;
    ThemeManagerInstance->RecomputeSystemState();
  }
}

TEST_F(ThemeManager, ABroadcastColourChangeReachesIt) {
  TRecordingListener listener;
  settings.Depth = 8;
  DWORD_PTR result = 0;
  SendMessageTimeoutW(HWND_BROADCAST, WM_SYSCOLORCHANGE, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
  EXPECT_EQ(listener.Phases(), (std::vector<WPARAM>{1, 2, 3}));
  EXPECT_TRUE(LowColorMode);
}

TEST_F(ThemeManager, DeactivationAndActivationAreToldWithoutRecomputing) {
  TRecordingListener listener;
  settings.Depth = 8;  // would be seen by a recomputation
  SendToManager(WM_ACTIVATEAPP, FALSE);
  SendToManager(WM_ACTIVATEAPP, TRUE);
  EXPECT_EQ(listener.Phases(), (std::vector<WPARAM>{5, 4}));
  EXPECT_FALSE(LowColorMode);
}

TEST_F(ThemeManager, FewerThanTwelveBitsOrAWhiteButtonFaceMakePlainColours) {
  struct TCase {
    int Depth;
    COLORREF ButtonFace;
    bool Low, White;
  } cases[] = {
      {4, RGB(192, 192, 192), true, false},   {8, RGB(192, 192, 192), true, false},
      {11, RGB(192, 192, 192), true, false},  {12, RGB(192, 192, 192), false, false},
      {16, RGB(192, 192, 192), false, false}, {24, RGB(192, 192, 192), false, false},
      {32, RGB(255, 255, 254), false, false}, {32, RGB(255, 255, 255), false, true},
      {8, RGB(255, 255, 255), true, true},
  };
  for (const auto& c : cases) {
    settings.Depth = c.Depth;
    settings.Colors[COLOR_BTNFACE] = c.ButtonFace;
    ThemeManagerInstance->RecomputeSystemState();
    SCOPED_TRACE(c.Depth);
    EXPECT_EQ(LowColorMode, c.Low);
    EXPECT_EQ(WhiteButtonFace, c.White);
    EXPECT_EQ(PlainColorMode, c.Low || c.White);
  }
}

TEST_F(ThemeManager, MenuColoursFollowTheFlatMenuModeAndTheSystemsFlatMenus) {
  SetThemeManagerOption(tmoVisualStyles, 2);  // toolbar colours are the button colours then
  struct TCase {
    bool SystemFlat;
    int Mode;
    bool Flat;
    TColor Face, Text;
  } cases[] = {
      {true, 1, false, clBtnFace, clBtnText}, {true, 0, true, clMenu, clMenuText},
      {true, 2, true, clMenu, clMenuText},    {false, 2, true, clWindow, clWindowText},
      {false, 0, false, clMenu, clMenuText},  {false, 1, false, clMenu, clMenuText},
  };
  for (const auto& c : cases) {
    settings.Flat = c.SystemFlat;
    SetThemeManagerOption(tmoFlatMenuMode, c.Mode);
    ThemeManagerInstance->RecomputeSystemState();
    SCOPED_TRACE(testing::Message() << c.SystemFlat << " " << c.Mode);
    EXPECT_EQ(GetThemeManagerOption(tmoFlatMenuMode), c.Mode);
    EXPECT_EQ(FlatMenusInUse, c.Flat);
    EXPECT_EQ(MenuFaceColor, c.Face);
    EXPECT_EQ(MenuTextColor, c.Text);
  }
}

TEST_F(ThemeManager, AnOptionSetToItsValueDoesNothingAnotherValueRecomputesAndBroadcasts) {
  TRecordingListener listener;
  settings.Depth = 8;
  SetThemeManagerOption(tmoFlatMenuMode, 0);
  SetThemeManagerOption(tmoVisualStyles, 0);
  SetThemeManagerOption(3, 1);
  EXPECT_TRUE(listener.Heard.empty());
  EXPECT_FALSE(LowColorMode);

  SetThemeManagerOption(tmoFlatMenuMode, 1);
  EXPECT_EQ(listener.Phases(), (std::vector<WPARAM>{1, 2, 3}));
  EXPECT_TRUE(LowColorMode);
  listener.Heard.clear();
  SetThemeManagerOption(tmoVisualStyles, 2);
  EXPECT_EQ(listener.Phases(), (std::vector<WPARAM>{1, 2, 3}));
  EXPECT_EQ(GetThemeManagerOption(tmoVisualStyles), 2);
  EXPECT_EQ(GetThemeManagerOption(3), -1);
}

TEST_F(ThemeManager, WithoutVisualStylesTheToolbarTakesTheButtonColours) {
  SetThemeManagerOption(tmoVisualStyles, 2);
  EXPECT_FALSE(VisualStylesInUse);
  EXPECT_EQ(ToolbarFaceColor, clBtnFace);
  EXPECT_EQ(ToolbarTextColor, clBtnText);
  for (HTHEME handle : VisualStyleHandles) EXPECT_EQ(handle, nullptr);
  EXPECT_EQ(tbx::BoundVisualStylesSlots(), 0u);
}

TEST_F(ThemeManager, WithVisualStylesTheToolbarTakesTheStylesColours) {
  SetThemeManagerOption(tmoVisualStyles, 0);
  if (!VisualStylesActive()) GTEST_SKIP() << "this system shows no visual style";
  EXPECT_TRUE(VisualStylesInUse);
  ASSERT_NE(VisualStyleHandles[vscToolbar], nullptr);
  COLORREF fill = 0, text = 0;
  const bool hasFill = SUCCEEDED(VisualStyles().GetThemeColor(VisualStyleHandles[vscToolbar], 0, 0, 3802, &fill));
  const bool hasText = SUCCEEDED(VisualStyles().GetThemeColor(VisualStyleHandles[vscToolbar], 0, 0, 3803, &text));
  EXPECT_EQ(ToolbarFaceColor, hasFill ? static_cast<TColor>(fill) : clBtnFace);
  EXPECT_EQ(ToolbarTextColor, hasText ? static_cast<TColor>(text) : clBtnText);
}

TEST_F(ThemeManager, TheHotLightColourIsTheSystemsWhenItHasABrushForIt) {
  EXPECT_EQ(HotLightColor, static_cast<TColor>(0x8000001Au));
  FinalizeThemeLayer();
  settings.HotLightBrush = false;
  InitializeThemeLayer();
  EXPECT_EQ(HotLightColor, clHighlight);
}

TEST(ThemeManagerOptions, AskingWithoutAManagerIsAnInternalError) {
  ASSERT_EQ(ThemeManagerInstance, nullptr);
  EXPECT_THROW(GetThemeManagerOption(tmoFlatMenuMode), EAssertionFailed);
  EXPECT_THROW(SetThemeManagerOption(tmoFlatMenuMode, 1), EAssertionFailed);
}

// --- frame geometry --------------------------------------------------------------------------

TEST(FrameGeometry, FloatingCaptionAndCloseButton) {
  TTBXWindowInfo info{};
  info.ClientWidth = 120;
  info.BorderSize = POINT{4, 3};
  const int caption = GetSystemMetrics(SM_CYSMCAPTION) - 1;
  RECT r;
  GetFloatingCaptionRect(info, false, false, r);
  EXPECT_EQ(r, (RECT{0, 0, 120, caption}));
  GetFloatingCaptionRect(info, true, true, r);
  EXPECT_EQ(r, (RECT{4, 3, 124 - caption, 3 + caption}));
  GetFloatingCloseButtonRect(info, true, r);
  EXPECT_EQ(r, (RECT{124 - caption, 3, 124, 3 + caption}));
}

TEST(FrameGeometry, ToolbarCloseButtonBySizeTable) {
  struct TCase {
    int State;
    bool WhenDocked;
    TTBDragHandleStyle Style;
    int Size;
  } cases[] = {
      {0, false, dhDouble, 0},         {0, true, dhSingle, 0},          {cbsVisible, false, dhDouble, 9},
      {cbsVisible, false, dhNone, 0},  {cbsVisible, false, dhSingle, 6}, {cbsVisible, true, dhDouble, 14},
      {cbsVisible, true, dhNone, 14},  {cbsVisible | cbsHot, true, dhSingle, 14},
  };
  for (const auto& c : cases) {
    TTBXToolbarInfo info{};
    info.CloseButtonState = c.State;
    info.CloseButtonWhenDocked = c.WhenDocked;
    info.DragHandleStyle = c.Style;
    EXPECT_EQ(GetToolbarCloseButtonSize(info), c.Size) << c.State << c.WhenDocked << c.Style;
  }
  TTBXToolbarInfo bar{};
  bar.CloseButtonState = cbsVisible;
  bar.CloseButtonWhenDocked = true;
  bar.ClientWidth = 200;
  bar.BorderSize = POINT{2, 3};
  RECT r;
  GetToolbarCloseButtonRect(bar, r);
  EXPECT_EQ(r, (RECT{200, 3, 213, 16}));
  bar.IsVertical = true;
  GetToolbarCloseButtonRect(bar, r);
  EXPECT_EQ(r, (RECT{189, 3, 202, 16}));
}

}  // namespace
