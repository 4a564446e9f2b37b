// The "Default" theme's measures and colours, with visual styles off and (stood in for) on.
#include "ThemeTestSupport.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using tbx_test::TFakeVisualStyles;
using tbx_test::ThemeLayerTest;

class DefaultTheme : public ThemeLayerTest {
 protected:
  void SetUp() override {
    settings.Colors[COLOR_BTNFACE] = RGB(200, 200, 200);
    settings.Colors[COLOR_WINDOW] = RGB(255, 255, 255);
    ThemeLayerTest::SetUp();
    SetThemeManagerOption(tmoVisualStyles, 2);
    theme = static_cast<TTBXDefaultTheme*>(ActiveTheme);
  }
  // Visual styles from here on, and the colours read again with them.
  void UseVisualStyles() {
    styles.emplace();
    theme->ReloadColors();
  }
  TTBXDefaultTheme* theme = nullptr;
  std::optional<TFakeVisualStyles> styles;
};

TEST_F(DefaultTheme, IsTheActiveThemeAfterStartUp) {
  ASSERT_NE(dynamic_cast<TTBXDefaultTheme*>(ActiveTheme), nullptr);
  EXPECT_EQ(ActiveTheme->Name(), L"Default");
  EXPECT_EQ(theme->GetPopupShadowType(), pstSystem);
}

TEST_F(DefaultTheme, IntegerMetrics) {
  struct TCase {
    int Id, Value;
  } cases[] = {{10, 11}, {20, 8}, {21, 3}, {32, 1}, {62, 1}, {33, 2}, {34, 2}, {36, 2}, {60, 2}, {61, 2},
               {37, 4},  {50, 6}, {65, 13}, {66, 0}, {35, -1}, {0, -1}, {1, -1}, {99, -1}};
  for (const auto& c : cases) EXPECT_EQ(theme->GetIntegerMetrics(c.Id), c.Value) << c.Id;
}

TEST_F(DefaultTheme, TheSplitArrowIsTheStylesPartWidthPlusTwo) {
  UseVisualStyles();
  EXPECT_EQ(theme->GetIntegerMetrics(tmSplitArrowWidth), TFakeVisualStyles::Values.SplitArrow.cx + 2);
  TFakeVisualStyles::Values.PartSizeFails = true;
  EXPECT_EQ(theme->GetIntegerMetrics(tmSplitArrowWidth), 11);
  EXPECT_EQ(theme->GetIntegerMetrics(tmDropDownArrowWidth), 8);
}

TEST_F(DefaultTheme, BooleanMetricFiveTellsWhetherVisualStylesPaint) {
  for (int id : {1, 3, 4, 5, 6, 7}) EXPECT_FALSE(theme->GetBooleanMetrics(id)) << id;
  UseVisualStyles();
  EXPECT_TRUE(theme->GetBooleanMetrics(5));
  for (int id : {1, 3, 4, 6, 7}) EXPECT_FALSE(theme->GetBooleanMetrics(id)) << id;
}

TEST_F(DefaultTheme, ViewBorders) {
  struct TCase {
    int Kind;
    POINT Border;
  } cases[] = {
      {vkToolbar, {2, 2}},
      {vkNormalToolbar, {2, 2}},
      {vkToolbar | vkFloating, {GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYDLGFRAME)}},
      {vkToolbar | vkFloating | vkSizable, {GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME)}},
      {vkDockPanel, {2, 2}},
      {vkDockPanel | vkFloating | vkSizable, {GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME)}},
      {vkPopupMenu, {3, 3}},
      {vkListPopup, {1, 1}},
      {vkToolBoxPopup, {3, 3}},
      {vkChevronPopup, {3, 3}},
      {vkStatusBar, {0, 0}},
      {vkNone, {0, 0}},
  };
  for (const auto& c : cases) {
    POINT border{-1, -1};
    theme->GetViewBorder(c.Kind, border);
    EXPECT_EQ(border.x, c.Border.x) << std::hex << c.Kind;
    EXPECT_EQ(border.y, c.Border.y) << std::hex << c.Kind;
  }
}

void ExpectMargins(const TTBXMargins& M, int L, int R, int T, int B, const std::string& What) {
  EXPECT_EQ(M.Left, L) << What;
  EXPECT_EQ(M.Right, R) << What;
  EXPECT_EQ(M.Top, T) << What;
  EXPECT_EQ(M.Bottom, B) << What;
}

TEST_F(DefaultTheme, MarginsWithoutVisualStyles) {
  TTBXMargins m{};
  theme->GetMargins(mkToolbarItem, m);
  ExpectMargins(m, 2, 2, 2, 2, "toolbar item");
  theme->GetMargins(mkMenuItem, m);
  ExpectMargins(m, 0, 0, 2, 2, "menu item");
  theme->GetMargins(mkStatusPane, m);
  ExpectMargins(m, 1, 3, 1, 1, "status pane");
  theme->GetMargins(4, m);
  ExpectMargins(m, 0, 0, 0, 0, "other");
  theme->GetViewMargins(vkToolbar | vkFloating, m);
  ExpectMargins(m, 4, 4, 2, 1, "floating toolbar");
  for (int kind : {int(vkToolbar), int(vkFloating), int(vkPopupMenu), vkDockPanel | vkFloating}) {
    theme->GetViewMargins(kind, m);
    ExpectMargins(m, 0, 0, 0, 0, std::to_string(kind));
  }
}

TEST_F(DefaultTheme, MarginsWithVisualStyles) {
  UseVisualStyles();
  TTBXMargins m{};
  const MARGINS& content = TFakeVisualStyles::Values.ButtonContent;
  theme->GetMargins(mkToolbarItem, m);
  ExpectMargins(m, content.cxLeftWidth, content.cxRightWidth, content.cyTopHeight, content.cyBottomHeight,
                "toolbar item");
  const RECT& pane = TFakeVisualStyles::Values.PaneContent;
  theme->GetMargins(mkStatusPane, m);
  ExpectMargins(m, pane.left, 100 - pane.right, pane.top, 100 - pane.bottom, "status pane");
  theme->GetMargins(mkMenuItem, m);
  ExpectMargins(m, 0, 0, 2, 2, "menu item");

  TFakeVisualStyles::Values.MarginsFail = true;
  TFakeVisualStyles::Values.ContentRectFails = true;
  theme->GetMargins(mkToolbarItem, m);
  ExpectMargins(m, 2, 2, 2, 2, "toolbar item, no style margins");
  theme->GetMargins(mkStatusPane, m);
  ExpectMargins(m, 1, 3, 1, 1, "status pane, no style rectangle");
}

TEST_F(DefaultTheme, ColoursWithoutVisualStylesAreTheButtonColours) {
  EXPECT_EQ(theme->ToolbarColor(), clBtnFace);
  EXPECT_EQ(theme->ToolbarTextColor(), clBtnText);
  EXPECT_EQ(theme->StatusBarColor(), clBtnFace);
  // A quarter of the button face (200) and three quarters of the window colour (255).
  EXPECT_EQ(theme->DockPanelColor(), tbx_test::Gray((200 * 64 + 255 * 191) / 256));
}

TEST_F(DefaultTheme, ColoursWithVisualStylesAreTheStyles) {
  UseVisualStyles();
  const TFakeVisualStyles::TValues& v = TFakeVisualStyles::Values;
  EXPECT_EQ(theme->ToolbarColor(), static_cast<TColor>(v.ToolbarFill));
  EXPECT_EQ(theme->ToolbarTextColor(), static_cast<TColor>(v.ToolbarText));
  EXPECT_EQ(theme->StatusBarColor(), static_cast<TColor>(v.StatusFill));
  EXPECT_EQ(theme->DockPanelColor(), WeightColors(static_cast<TColor>(v.ToolbarFill), clWindow, 64));

  // A style that does not define them leaves the button colours.
  TFakeVisualStyles::Values.ColorsDefined = false;
  theme->ReloadColors();
  EXPECT_EQ(theme->ToolbarColor(), clBtnFace);
  EXPECT_EQ(theme->StatusBarColor(), clBtnFace);
}

TEST_F(DefaultTheme, ColoursAreReloadedOnlyInTheSecondPhase) {
  UseVisualStyles();
  TFakeVisualStyles::Values.ToolbarFill = RGB(1, 2, 3);
  for (WPARAM phase : {1, 3, 4, 5}) {
    TMessage message{WM_TBX_SYSTEM_CHANGED, phase, 0, 0};
    theme->Dispatch(message);
    EXPECT_NE(theme->ToolbarColor(), tbx_test::Rgb(1, 2, 3)) << phase;
  }
  TMessage second{WM_TBX_SYSTEM_CHANGED, 2, 0, 0};
  theme->Dispatch(second);
  EXPECT_EQ(theme->ToolbarColor(), tbx_test::Rgb(1, 2, 3));
}

TEST_F(DefaultTheme, AColourChangeOfTheSystemReachesTheDockPanelColour) {
  settings.Colors[COLOR_BTNFACE] = RGB(100, 100, 100);
  SendToManager(WM_SYSCOLORCHANGE);
  EXPECT_EQ(theme->DockPanelColor(), tbx_test::Gray((100 * 64 + 255 * 191) / 256));
}

TEST_F(DefaultTheme, ViewColours) {
  for (bool withStyles : {false, true}) {
    if (withStyles) UseVisualStyles();
    struct TCase {
      int Kind;
      TColor Color;
    } cases[] = {
        {vkToolbar, theme->ToolbarColor()},      {vkMenuBar, theme->ToolbarColor()},
        {vkPopupMenu, MenuFaceColor},            {vkListPopup, clWindow},
        {vkChevronPopup, MenuFaceColor},         {vkToolBoxPopup, theme->ToolbarColor()},
        {vkDockPanel, theme->DockPanelColor()},  {vkStatusBar, theme->StatusBarColor()},
        {vkNone, clBtnFace},
    };
    for (const auto& c : cases) EXPECT_EQ(theme->GetViewColor(c.Kind), c.Color) << std::hex << c.Kind << withStyles;
  }
}

TTBXItemInfo Item(int Kind, int Flags, bool Enabled, uint8_t Hover) {
  return tbx_test::MakeItemInfo(Kind, Flags, Enabled, Hover);
}

TEST_F(DefaultTheme, ItemColours) {
  const TTBXItemInfo hotMenuItem = Item(vkPopupMenu, 0, true, 2);
  const TTBXItemInfo menuItem = Item(vkPopupMenu, 0, true, 0);
  const TTBXItemInfo hotToolbarStyled = Item(vkPopupMenu, iifToolbarStyle, true, 2);
  EXPECT_EQ(theme->GetItemColor(hotMenuItem), clHighlight);
  EXPECT_EQ(theme->GetItemColor(Item(vkPopupMenu, 0, false, 1)), clHighlight);
  EXPECT_EQ(theme->GetItemColor(menuItem), MenuFaceColor);
  EXPECT_EQ(theme->GetItemColor(hotToolbarStyled), MenuFaceColor);
  EXPECT_EQ(theme->GetItemColor(Item(vkToolbar, iifToolbarStyle, true, 2)), theme->ToolbarColor());
  UseVisualStyles();
  EXPECT_EQ(theme->GetItemColor(hotMenuItem), MenuFaceColor);
}

TEST_F(DefaultTheme, ItemTextColours) {
  // Stands for the manager's menu text colour of the moment.
  constexpr TColor kMenuText = clNone;
  struct TCase {
    const char* What;
    TTBXItemInfo Info;
    bool FlatMenus;
    TColor Color;
  } cases[] = {
      {"disabled", Item(vkPopupMenu, 0, false, 1), false, clGrayText},
      {"hot menu item", Item(vkPopupMenu, 0, true, 2), false, clHighlightText},
      {"menu item", Item(vkPopupMenu, 0, true, 0), false, kMenuText},
      {"toolbar item", Item(vkToolbar, iifToolbarStyle, true, 2), false, clBtnText},
      {"toolbar-styled popup item", Item(vkToolBoxPopup, iifToolbarStyle, true, 0), false, clBtnText},
      {"menu bar, inactive", Item(vkMenuBar, iifToolbarStyle, true, 0), false, clGrayText},
      {"menu bar, active", Item(vkMenuBar, iifToolbarStyle | iifAppActive, true, 2), false, clBtnText},
      {"flat menu bar, hot", Item(vkMenuBar, iifToolbarStyle | iifAppActive, true, 2), true, clHighlightText},
      {"flat menu bar", Item(vkMenuBar, iifToolbarStyle | iifAppActive, true, 0), true, kMenuText},
      {"flat menu bar, inactive", Item(vkMenuBar, iifToolbarStyle, true, 0), true, clGrayText},
  };
  for (const auto& c : cases) {
    SetThemeManagerOption(tmoFlatMenuMode, c.FlatMenus ? 2 : 1);
    ASSERT_EQ(FlatMenusInUse, c.FlatMenus);
    EXPECT_EQ(theme->GetItemTextColor(c.Info), c.Color == kMenuText ? MenuTextColor : c.Color) << c.What;
  }
}

TEST_F(DefaultTheme, ImageBackgrounds) {
  SetThemeManagerOption(tmoFlatMenuMode, 2);
  const TTBXItemInfo hotMenuBarItem = Item(vkMenuBar, iifToolbarStyle | iifAppActive, true, 2);
  EXPECT_EQ(theme->GetItemImageBackground(hotMenuBarItem), clHighlight);
  EXPECT_EQ(theme->GetItemImageBackground(Item(vkChevronPopup, iifToolbarStyle, true, 0)), theme->ToolbarColor());
  EXPECT_EQ(theme->GetItemImageBackground(Item(vkPopupMenu, 0, true, 2)), theme->ToolbarColor());
  EXPECT_EQ(theme->GetItemImageBackground(Item(vkPopupMenu, 0, true, 0)), MenuFaceColor);
  SetThemeManagerOption(tmoFlatMenuMode, 1);
  EXPECT_EQ(theme->GetItemImageBackground(hotMenuBarItem), theme->ToolbarColor());
}

TEST_F(DefaultTheme, TheBackgroundIsFilledWhereRectAndClipMeet) {
  tbx_test::TPixels pixels(10, 10);
  tbx_test::TDCCanvas canvas(pixels.DC());
  const RECT all{0, 0, 10, 10};
  theme->PaintBackgnd(*canvas, RECT{0, 0, 6, 6}, RECT{3, 3, 10, 10}, all, tbx_test::Rgb(9, 8, 7), true, vkPopupMenu);
  EXPECT_TRUE(pixels.UntouchedOutside(RECT{0, 0, 0, 0}));
  theme->PaintBackgnd(*canvas, RECT{0, 0, 6, 6}, RECT{3, 3, 10, 10}, all, tbx_test::Rgb(9, 8, 7), false, vkPopupMenu);
  EXPECT_EQ(pixels.At(3, 3), RGB(9, 8, 7));
  EXPECT_EQ(pixels.At(5, 5), RGB(9, 8, 7));
  EXPECT_TRUE(pixels.UntouchedOutside(RECT{3, 3, 6, 6}));
}

}  // namespace
