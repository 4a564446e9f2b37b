// The "Ide" theme's colours and measures: its registration, the colour cache in three schemes
// against the formulas of the look, the colours of item parts by state, the view colours,
// metrics and geometry, rebuilding at system changes and lower colour depths.
#include "IdeThemeTestSupport.h"
#include "classlib/ScopeGuard.h"
#include "items/TB2ImageList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <optional>
#include <sstream>
#include <string>

namespace {

using tbx_test::ColorSchemes;
using tbx_test::Gray;
using tbx_test::IdeThemeTest;
using tbx_test::MakeItemInfo;
using tbx_test::Rgb;
using tbx_test::TColorScheme;

std::string Hex(TColor C) {
  std::ostringstream s;
  s << std::hex << static_cast<uint32_t>(C);
  return s.str();
}

// --- registration and lifetime ------------------------------------------------------------------

TEST_F(IdeThemeTest, IsRegisteredAsIdeAndListensToTheManager) {
  EXPECT_TRUE(IsThemeRegistered(L"ide"));
  EXPECT_EQ(theme->Name(), L"Ide");
  EXPECT_EQ(theme->GetPopupShadowType(), pstOwnWhole);
  const auto& listeners = ThemeManagerInstance->Listeners();
  EXPECT_NE(std::find(listeners.begin(), listeners.end(), theme), listeners.end());
}

TEST_F(IdeThemeTest, ItsObjectsShareOneGlyphListFreedWithTheLast) {
  HIMAGELIST glyphs = tbx::IdeGlyphs();
  ASSERT_NE(glyphs, nullptr);
  int w = 0, h = 0;
  ImageList_GetIconSize(glyphs, &w, &h);
  EXPECT_EQ(w, 16);
  EXPECT_GE(ImageList_GetImageCount(glyphs), 4);  // close, maximise, minimise, restore
  {
    TTBXIdeTheme second(L"Second");
    EXPECT_EQ(tbx::IdeGlyphs(), glyphs);
  }
  EXPECT_EQ(tbx::IdeGlyphs(), glyphs);
  TTBXTheme* held = std::exchange(theme, nullptr);
  ReleaseThemeInstance(held);
  EXPECT_EQ(tbx::IdeGlyphs(), nullptr);
}

// --- the colour cache -----------------------------------------------------------------------------

// The look's own colours (red in the low byte).
constexpr TColor kGradientDark = Rgb(0xC4, 0xCB, 0xDB);
constexpr TColor kGradientLight = Rgb(0xFA, 0xFA, 0xFD);
constexpr TColor kHighlight = Rgb(0x96, 0xD9, 0xF9);
constexpr TColor kFrame = Rgb(0xA0, 0xA0, 0xB4);
constexpr TColor kPopupBackground = Rgb(0xF0, 0xF0, 0xF0);

TColor B(TColor A, TColor C, int Weight) { return BlendPercent(A, C, Weight); }

// One entry of the cache: where the theme keeps it, what the look makes it of, and, for an
// entry pushed away from another colour, that colour and the distance.
struct TCacheEntry {
  std::string Name;
  std::function<TColor(const TIdeColorCache&)> Actual;
  std::function<TColor(const TColorScheme&, const TIdeColorCache&)> Formula;
  std::function<TColor(const TColorScheme&, const TIdeColorCache&)> Reference = nullptr;
  float Threshold = 0;
};

// The intermediate colours of the look.
TColor Hot(const TColorScheme& S) { return B(kHighlight, S.Get(COLOR_WINDOW), 20); }
TColor GrayOf(const TColorScheme& S) { return B(S.Get(COLOR_BTNTEXT), kGradientLight, 50); }

std::vector<TCacheEntry> CacheEntries() {
  using S = const TColorScheme&;
  using C = const TIdeColorCache&;
  auto btn = [](int State, int Part) {
    return [=](C c) { return c.BtnItemColors[static_cast<size_t>(State)][static_cast<size_t>(Part)]; };
  };
  auto menu = [](int State, int Part) {
    return [=](C c) { return c.MenuItemColors[static_cast<size_t>(State)][static_cast<size_t>(Part)]; };
  };
  auto frame = [](bool Dock, int State, int Part) {
    return [=](C c) {
      return (Dock ? c.DockPanelFrameColors : c.WinFrameColors)[static_cast<size_t>(State)][static_cast<size_t>(Part)];
    };
  };
  auto sys = [](int Index) { return [=](S s, C) { return static_cast<TColor>(s.Get(Index)); }; };
  auto toolbarView = [](S, C c) { return c.ToolbarViewColor; };
  auto popupView = [](S, C c) { return c.PopupViewColor; };
  auto face = sys(COLOR_BTNFACE);
  return {
      {"menu bar view", [](C c) { return c.MenuBarViewColor; }, [](S, C) { return B(kGradientDark, kGradientLight, 50); }},
      {"toolbar view", [](C c) { return c.ToolbarViewColor; }, [](S, C) { return B(kGradientDark, kGradientLight, 50); }},
      {"popup view", [](C c) { return c.PopupViewColor; }, [](S, C) { return kPopupBackground; }},
      {"dock panel view", [](C c) { return c.DockPanelViewColor; }, [](S, C) { return kPopupBackground; }},
      {"popup frame", [](C c) { return c.PopupFrameColor; }, [](S, C) { return kFrame; }},
      {"window border", frame(false, wfsActive, wfpBorder),
       [](S s, C) { return B(s.Get(COLOR_BTNTEXT), s.Get(COLOR_BTNSHADOW), 15); }, toolbarView, 120},
      {"window caption", frame(false, wfsActive, wfpCaption), sys(COLOR_BTNSHADOW)},
      {"window caption text", frame(false, wfsActive, wfpCaptionText), sys(COLOR_BTNHIGHLIGHT),
       sys(COLOR_BTNSHADOW), 180},
      {"inactive window border", frame(false, wfsInactive, wfpBorder),
       [](S s, C) { return B(s.Get(COLOR_BTNTEXT), s.Get(COLOR_BTNSHADOW), 15); }, toolbarView, 120},
      {"inactive window caption", frame(false, wfsInactive, wfpCaption), face},
      {"inactive window caption text", frame(false, wfsInactive, wfpCaptionText),
       [](S s, C) { return GrayOf(s); }, face, 120},
      {"dock panel border", frame(true, wfsActive, wfpBorder), sys(COLOR_BTNSHADOW)},
      {"dock panel caption", frame(true, wfsActive, wfpCaption), face},
      {"dock panel caption text", frame(true, wfsActive, wfpCaptionText), sys(COLOR_BTNTEXT)},
      {"inactive dock panel border", frame(true, wfsInactive, wfpBorder), sys(COLOR_BTNSHADOW)},
      {"inactive dock panel caption", frame(true, wfsInactive, wfpCaption), face},
      {"inactive dock panel caption text", frame(true, wfsInactive, wfpCaptionText),
       [](S s, C) { return GrayOf(s); }, face, 120},
      {"normal body", btn(bisNormal, ipBody), [](S, C) { return clNone; }},
      {"normal text", btn(bisNormal, ipText), sys(COLOR_BTNTEXT), toolbarView, 180},
      {"normal frame", btn(bisNormal, ipFrame), [](S, C) { return clNone; }},
      {"disabled body", btn(bisDisabled, ipBody), [](S, C) { return clNone; }},
      {"disabled text", btn(bisDisabled, ipText), [](S s, C) { return GrayOf(s); }},
      {"disabled frame", btn(bisDisabled, ipFrame), [](S, C) { return clNone; }},
      {"selected body", btn(bisSelected, ipBody),
       [](S s, C) { return B(kHighlight, B(s.Get(COLOR_BTNFACE), s.Get(COLOR_WINDOW), 50), 10); }, toolbarView, 5},
      {"selected text", btn(bisSelected, ipText), sys(COLOR_BTNTEXT), toolbarView, 180},
      {"selected frame", btn(bisSelected, ipFrame), [](S, C) { return kHighlight; }},
      {"pressed body", btn(bisPressed, ipBody), [](S s, C) { return B(kHighlight, s.Get(COLOR_WINDOW), 50); }},
      {"pressed text", btn(bisPressed, ipText), sys(COLOR_HIGHLIGHTTEXT)},
      {"pressed frame", btn(bisPressed, ipFrame), [](S, C) { return kHighlight; }},
      {"hot body", btn(bisHot, ipBody), [](S s, C) { return Hot(s); }},
      {"hot text", btn(bisHot, ipText), sys(COLOR_MENUTEXT), [](S s, C) { return Hot(s); }, 180},
      {"hot frame", btn(bisHot, ipFrame), [](S, C) { return kHighlight; }, toolbarView, 100},
      {"disabled hot body", btn(bisDisabledHot, ipBody), [](S s, C) { return Hot(s); }},
      {"disabled hot text", btn(bisDisabledHot, ipText), [](S s, C) { return GrayOf(s); }},
      {"disabled hot frame", btn(bisDisabledHot, ipFrame), [](S, C) { return kHighlight; }},
      {"selected hot body", btn(bisSelectedHot, ipBody), [](S s, C) { return B(kHighlight, s.Get(COLOR_WINDOW), 40); },
       toolbarView, 30},
      {"selected hot text", btn(bisSelectedHot, ipText), sys(COLOR_HIGHLIGHTTEXT),
       [](S, C c) { return c.BtnItemColors[bisSelectedHot][ipBody]; }, 180},
      {"selected hot frame", btn(bisSelectedHot, ipFrame), [](S, C) { return kHighlight; }},
      {"popup parent body", btn(bisPopupParent, ipBody),
       [](S s, C) { return B(s.Get(COLOR_BTNFACE), s.Get(COLOR_WINDOW), 183); }},
      {"popup parent text", btn(bisPopupParent, ipText), sys(COLOR_BTNTEXT), toolbarView, 180},
      {"popup parent frame", btn(bisPopupParent, ipFrame), [](S, C) { return kFrame; }},
      {"menu normal body", menu(misNormal, ipBody), [](S, C) { return clNone; }},
      {"menu normal text", menu(misNormal, ipText), sys(COLOR_WINDOWTEXT), popupView, 180},
      {"menu normal frame", menu(misNormal, ipFrame), [](S, C) { return clNone; }},
      {"menu disabled body", menu(misDisabled, ipBody), [](S, C) { return clNone; }},
      {"menu disabled text", menu(misDisabled, ipText), [](S s, C) { return GrayOf(s); }},
      {"menu disabled frame", menu(misDisabled, ipFrame), [](S, C) { return clNone; }},
      {"menu hot body", menu(misHot, ipBody), [](S s, C) { return Hot(s); }},
      {"menu hot text", menu(misHot, ipText), sys(COLOR_MENUTEXT), [](S s, C) { return Hot(s); }, 180},
      {"menu hot frame", menu(misHot, ipFrame), [](S, C) { return kHighlight; }, toolbarView, 100},
      {"menu disabled hot body", menu(misDisabledHot, ipBody), [](S, C) { return kPopupBackground; }},
      {"menu disabled hot text", menu(misDisabledHot, ipText),
       [](S s, C) { return B(s.Get(COLOR_GRAYTEXT), s.Get(COLOR_WINDOW), 70); }},
      {"menu disabled hot frame", menu(misDisabledHot, ipFrame), [](S, C) { return kHighlight; }},
      {"menu separator", [](C c) { return c.MenuSeparatorColor; }, [](S, C) { return kFrame; }, popupView, 50},
      {"toolbar separator", [](C c) { return c.ToolbarSeparatorColor; }, [](S, C) { return kFrame; }},
      {"status panel frame", [](C c) { return c.StatusPanelFrameColor; },
       [](S s, C) { return B(s.Get(COLOR_WINDOW), s.Get(COLOR_BTNFACE), 30); }, face, 30},
  };
}

class IdeColorCache : public IdeThemeTest, public testing::WithParamInterface<int> {
 protected:
  const TColorScheme& Scheme() const { return ColorSchemes()[static_cast<size_t>(GetParam())]; }
  void SetUp() override {
    settings.Colors = Scheme().Colors;
    IdeThemeTest::SetUp();
  }
};

TEST_P(IdeColorCache, EveryEntryIsWhatTheLookMakesOfTheSchemesColours) {
  const TIdeColorCache& cache = theme->Colors();
  for (const TCacheEntry& e : CacheEntries()) {
    TColor expected = e.Formula(Scheme(), cache);
    if (e.Reference) EnsureContrast(expected, e.Reference(Scheme(), cache), e.Threshold);
    if (expected != clNone) expected = ColorToRGB(expected);
    EXPECT_EQ(Hex(e.Actual(cache)), Hex(expected)) << e.Name;
  }
}

TEST_P(IdeColorCache, EntriesKeptApartEndAtLeastTheirDistanceFromTheirReference) {
  const TIdeColorCache& cache = theme->Colors();
  for (const TCacheEntry& e : CacheEntries()) {
    if (!e.Reference) continue;
    const TColor reference = ColorToRGB(e.Reference(Scheme(), cache));
    const float needed = ScaleContrastThreshold(e.Threshold, ColorDistance(reference, clBlack));
    EXPECT_GE(ColorDistance(e.Actual(cache), reference), needed - 1.5f) << e.Name;
  }
}

TEST_P(IdeColorCache, TheBaseColoursFollowTheSystemsShadow) {
  const TIdeBaseColors& base = IdeBaseColors();
  EXPECT_EQ(base.GradientDarkColor, kGradientDark);
  EXPECT_EQ(base.GradientLightColor, kGradientLight);
  EXPECT_EQ(base.HighlightBaseColor, kHighlight);
  EXPECT_EQ(base.FrameBaseColor, kFrame);
  EXPECT_EQ(base.NCBaseColor, kGradientDark);
  EXPECT_EQ(ColorToRGB(base.NCShadowColor), static_cast<TColor>(Scheme().Get(COLOR_BTNSHADOW)));
  EXPECT_EQ(ColorToRGB(base.NCLightColor), static_cast<TColor>(Scheme().Get(COLOR_BTNHIGHLIGHT)));
  EXPECT_EQ(base.NCBorderColor, B(Scheme().Get(COLOR_BTNSHADOW), kGradientDark, 95));
}

INSTANTIATE_TEST_SUITE_P(Schemes, IdeColorCache, testing::Range(0, 3), [](const auto& info) {
  std::string name = ColorSchemes()[static_cast<size_t>(info.param)].Name;
  for (char& c : name)
    if (!isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
});

TEST_F(IdeThemeTest, AnchorsOfTheLook) {
  // Classic colours: a white window and black button text.
  const TIdeColorCache& c = theme->Colors();
  EXPECT_EQ(Hex(c.ToolbarViewColor), Hex(Rgb(0xDF, 0xE3, 0xEC)));
  EXPECT_EQ(Hex(c.BtnItemColors[bisHot][ipBody]), Hex(Rgb(0xEA, 0xF7, 0xFE)));
  EXPECT_EQ(Hex(c.BtnItemColors[bisPressed][ipBody]), Hex(Rgb(0xCB, 0xEC, 0xFC)));
  EXPECT_EQ(Hex(c.BtnItemColors[bisDisabled][ipText]), Hex(Rgb(0x7D, 0x7D, 0x7F)));
  EXPECT_EQ(Hex(c.MenuItemColors[misDisabled][ipText]), Hex(Rgb(0x7D, 0x7D, 0x7F)));
  // 18.3 % of the button face, not 183 %.
  EXPECT_EQ(Hex(c.BtnItemColors[bisPopupParent][ipBody]), Hex(B(Gray(192), Gray(255), 183)));
  EXPECT_EQ(Hex(c.BtnItemColors[bisPopupParent][ipBody]), Hex(Gray(243)));
}

// --- colours of item parts by state --------------------------------------------------------------

TTBXItemInfo State(bool Enabled, uint8_t Hover, bool Pushed = false, bool Checked = false, bool Opens = false) {
  TTBXItemInfo info = MakeItemInfo(vkToolbar, iifToolbarStyle, Enabled, Hover, Pushed, Checked);
  info.OpensPopup = Opens;
  return info;
}

TEST(IdeItemStates, FirstMatchWins) {
  struct TCase {
    TTBXItemInfo Info;
    TBtnItemState Button;
    TMenuItemState Menu;
  } cases[] = {
      {State(false, 0), bisDisabled, misDisabled},
      {State(false, 1), bisDisabledHot, misDisabledHot},
      {State(false, 2), bisDisabled, misDisabled},
      {State(false, 1, true, true, true), bisDisabledHot, misDisabledHot},
      {State(true, 0, true, true, true), bisPopupParent, misNormal},
      {State(true, 2, true, true), bisPressed, misHot},
      {State(true, 0, false, true), bisSelected, misNormal},
      {State(true, 1, false, true), bisSelectedHot, misHot},
      {State(true, 2, false, true), bisSelectedHot, misHot},
      {State(true, 2), bisHot, misHot},
      {State(true, 0), bisNormal, misNormal},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(GetBtnItemState(c.Info), c.Button) << &c - cases;
    EXPECT_EQ(GetMenuItemState(c.Info), c.Menu) << &c - cases;
  }
}

TEST_F(IdeThemeTest, MenuItemsTakeMenuColoursAndShareThemWhetherCheckedOrNot) {
  const TIdeColorCache& c = theme->Colors();
  for (bool checked : {false, true}) {
    const TTBXItemInfo normal = MakeItemInfo(vkPopupMenu, 0, true, 0, false, checked);
    EXPECT_EQ(theme->GetItemTextColor(normal), c.MenuItemColors[misNormal][ipText]) << checked;
    EXPECT_EQ(theme->GetItemColor(normal), c.PopupViewColor) << checked;
    const TTBXItemInfo hot = MakeItemInfo(vkPopupMenu, 0, true, 2, false, checked);
    EXPECT_EQ(theme->GetItemColor(hot), c.MenuItemColors[misHot][ipBody]) << checked;
  }
  // A disabled item selected by the keyboard, and one under the mouse.
  EXPECT_EQ(theme->GetItemTextColor(MakeItemInfo(vkPopupMenu, 0, false, 1)), c.MenuItemColors[misDisabledHot][ipText]);
  EXPECT_EQ(theme->GetItemTextColor(MakeItemInfo(vkPopupMenu, 0, false, 0)), c.MenuItemColors[misDisabled][ipText]);
  // A toolbar-style item in a popup menu is coloured as a button.
  const TTBXItemInfo toolbarStyle = MakeItemInfo(vkPopupMenu, iifToolbarStyle, true, 2);
  EXPECT_EQ(theme->GetItemTextColor(toolbarStyle), c.BtnItemColors[bisHot][ipText]);
}

TEST_F(IdeThemeTest, RaisedToolbarsGiveTheirItemsFacesAndFrames) {
  const TIdeColorCache& c = theme->Colors();
  const int raised = vkToolbar | vkRaisedItems;
  struct TCase {
    const char* What;
    TTBXItemInfo Info;
    TItemPart Part;
    TColor Button, AnyItem;
  } cases[] = {
      {"normal body", MakeItemInfo(raised, 1, true, 0), ipBody, c.ToolbarViewColor, c.ToolbarViewColor},
      {"normal frame", MakeItemInfo(raised, 1, true, 0), ipFrame, clBtnShadow, clBtnShadow},
      {"normal text", MakeItemInfo(raised, 1, true, 0), ipText, c.BtnItemColors[bisNormal][ipText],
       c.BtnItemColors[bisNormal][ipText]},
      {"checked frame", MakeItemInfo(raised, 1, true, 0, false, true), ipFrame, clWindowFrame,
       c.BtnItemColors[bisSelected][ipFrame]},
      {"hot frame", MakeItemInfo(raised, 1, true, 2), ipFrame, c.BtnItemColors[bisHot][ipFrame],
       c.BtnItemColors[bisHot][ipFrame]},
      {"plain toolbar body", MakeItemInfo(vkToolbar, 1, true, 0), ipBody, clNone, clNone},
      {"plain toolbar frame", MakeItemInfo(vkToolbar, 1, true, 0, false, true), ipFrame,
       c.BtnItemColors[bisSelected][ipFrame], c.BtnItemColors[bisSelected][ipFrame]},
  };
  for (const TCase& k : cases) {
    EXPECT_EQ(Hex(theme->GetBtnColor(k.Info, k.Part)), Hex(k.Button)) << k.What;
    EXPECT_EQ(Hex(theme->GetPartColor(k.Info, k.Part)), Hex(k.AnyItem)) << k.What;
  }
  // A normal toolbar item has no body of its own: it shows its view.
  EXPECT_EQ(theme->GetItemColor(MakeItemInfo(vkToolbar, 1, true, 0)), c.ToolbarViewColor);
  EXPECT_EQ(theme->GetItemImageBackground(MakeItemInfo(vkPopupMenu, 0, true, 0)), c.PopupViewColor);
  EXPECT_EQ(theme->GetItemImageBackground(MakeItemInfo(vkPopupMenu, 0, true, 2)), c.BtnItemColors[bisHot][ipBody]);
}

TEST_F(IdeThemeTest, ViewColours) {
  const TIdeColorCache& c = theme->Colors();
  struct TCase {
    int Kind;
    TColor Color;
  } cases[] = {
      {vkMenuBar, c.MenuBarViewColor},  {vkToolbar, c.ToolbarViewColor},   {vkNormalToolbar, c.ToolbarViewColor},
      {vkListPopup, clWindow},          {vkPopupMenu, c.PopupViewColor},   {vkToolBoxPopup, c.PopupViewColor},
      {vkChevronPopup, c.PopupViewColor}, {vkDockPanel, c.DockPanelViewColor}, {vkStatusBar, clBtnFace},
      {vkNone, clBtnFace},
  };
  for (const TCase& k : cases) EXPECT_EQ(Hex(theme->GetViewColor(k.Kind)), Hex(k.Color)) << std::hex << k.Kind;
}

// --- metrics and geometry ---------------------------------------------------------------------------

TEST_F(IdeThemeTest, Metrics) {
  const std::pair<int, int> integers[] = {{10, 12}, {20, 8}, {33, 8}, {21, 3}, {32, 3}, {34, 3}, {35, 3},
                                          {36, 2},  {37, 2}, {61, 2}, {62, 2}, {60, 1}, {66, 1}, {65, 14},
                                          {50, -1}, {0, -1}, {11, -1}, {99, -1}};
  for (const auto& [id, value] : integers) EXPECT_EQ(theme->GetIntegerMetrics(id), value) << id;
  for (int id = 0; id <= 10; ++id)
    EXPECT_EQ(theme->GetBooleanMetrics(id), id == 1 || id == 5 || id == 6 || id == 7) << id;
}

TEST_F(IdeThemeTest, ViewBordersAndMargins) {
  struct TCase {
    int Kind;
    POINT Border;
  } borders[] = {
      {vkToolbar, {2, 2}},
      {vkDockPanel, {2, 2}},
      {vkToolbar | vkFloating, {GetSystemMetrics(SM_CXDLGFRAME) - 1, GetSystemMetrics(SM_CYDLGFRAME) - 1}},
      {vkDockPanel | vkFloating | vkSizable, {GetSystemMetrics(SM_CXFRAME) - 1, GetSystemMetrics(SM_CYFRAME) - 1}},
      {vkPopupMenu, {1, 2}},
      {vkListPopup, {2, 2}},
      {vkToolBoxPopup, {2, 2}},
      {vkStatusBar, {0, 0}},
      {vkNone, {0, 0}},
  };
  for (const TCase& c : borders) {
    POINT border{-9, -9};
    theme->GetViewBorder(c.Kind, border);
    EXPECT_EQ(border.x, c.Border.x) << std::hex << c.Kind;
    EXPECT_EQ(border.y, c.Border.y) << std::hex << c.Kind;
  }
  struct TMarginCase {
    int Id;
    TTBXMargins Margins;
  } margins[] = {{mkToolbarItem, {2, 2, 2, 2}}, {mkMenuItem, {1, 1, 3, 3}}, {mkStatusPane, {3, 3, 1, 1}}, {4, {0, 0, 0, 0}}};
  for (const TMarginCase& c : margins) {
    TTBXMargins m{-9, -9, -9, -9};
    theme->GetMargins(c.Id, m);
    EXPECT_EQ(std::vector<int>({m.Left, m.Right, m.Top, m.Bottom}),
              std::vector<int>({c.Margins.Left, c.Margins.Right, c.Margins.Top, c.Margins.Bottom}))
        << c.Id;
  }
  TTBXMargins view{-9, -9, -9, -9};
  theme->GetViewMargins(vkToolbar | vkFloating, view);
  EXPECT_EQ(std::vector<int>({view.Left, view.Right, view.Top, view.Bottom}), std::vector<int>({0, 0, 0, 0}));
}

TEST_F(IdeThemeTest, HotImagesStandOnePixelUpAndLeft) {
  TCustomImageList plain(nullptr);
  TTBCustomImageList ownStates(nullptr);
  tbx_test::TPixels pixels(4, 4);
  tbx_test::TDCCanvas canvas(pixels.DC());
  auto info = [](bool Enabled, uint8_t Hover, bool Pushed, bool Checked, bool Opens) {
    TTBXItemInfo i = MakeItemInfo(vkPopupMenu, 0, Enabled, Hover, Pushed, Checked);
    i.OpensPopup = Opens;
    return i;
  };
  struct TCase {
    TTBXItemInfo Info;
    TCustomImageList* Images;
    POINT Offset;
  } cases[] = {
      {info(true, 2, false, false, false), &plain, {-1, -1}},
      {info(true, 1, false, false, false), &plain, {-1, -1}},
      {info(true, 2, true, false, true), &plain, {-1, -1}},
      {info(true, 2, true, false, false), &plain, {0, 0}},
      {info(true, 2, false, true, false), &plain, {0, 0}},
      {info(true, 0, false, false, false), &plain, {0, 0}},
      {info(false, 1, false, false, false), &plain, {0, 0}},
      {info(true, 2, false, false, false), &ownStates, {0, 0}},
  };
  for (const TCase& c : cases) {
    const POINT offset = theme->GetImageOffset(*canvas, c.Info, c.Images);
    EXPECT_EQ(offset.x, c.Offset.x) << &c - cases;
    EXPECT_EQ(offset.y, c.Offset.y) << &c - cases;
  }
}

// --- system changes -----------------------------------------------------------------------------------

// An Ide theme that counts its rebuilds after it came up.
class TCountingIdeTheme : public TTBXIdeTheme {
 public:
  using TTBXIdeTheme::TTBXIdeTheme;
  void SetupColorCache() override {
    ++Rebuilds;
    TTBXIdeTheme::SetupColorCache();
  }
  int Rebuilds = 0;
};

TEST_F(IdeThemeTest, OneRebuildPerSystemChangeSeenByTheNextPaint) {
  RegisterThemeClass(L"CountingIde", CreateThemeOf<TCountingIdeTheme>);
  TTBXTheme* acquired = AcquireTheme(L"CountingIde");
  auto* counting = static_cast<TCountingIdeTheme*>(acquired);
  TScopeGuard release([&] { ReleaseThemeInstance(acquired); });
  EXPECT_EQ(counting->Rebuilds, 0);  // built by its constructor; the registry's first message is phase 0 or 1

  // A checked item's box shows the button face and the window in its body.
  tbx_test::TPixels pixels(40, 20);
  tbx_test::TDCCanvas canvas(pixels.DC());
  TTBXItemInfo item = MakeItemInfo(vkPopupMenu, 0, true, 0, false, true);
  item.ImageColumnWidth = 18;
  counting->PaintMenuItem(*canvas, {0, 0, 40, 20}, item);
  const COLORREF before = pixels.At(8, 10);

  settings.Colors[COLOR_BTNFACE] = RGB(0x40, 0x80, 0x40);
  SendToManager(WM_SYSCOLORCHANGE);
  EXPECT_EQ(counting->Rebuilds, 1);
  SendToManager(WM_ACTIVATEAPP, FALSE);
  SendToManager(WM_ACTIVATEAPP, TRUE);
  EXPECT_EQ(counting->Rebuilds, 1);

  counting->PaintMenuItem(*canvas, {0, 0, 40, 20}, item);
  const TColor body = counting->Colors().BtnItemColors[bisSelected][ipBody];
  EXPECT_EQ(Hex(static_cast<TColor>(pixels.At(8, 10))), Hex(body));
  EXPECT_NE(pixels.At(8, 10), before);
}

class IdeColorDepth : public IdeThemeTest, public testing::WithParamInterface<int> {};

TEST_P(IdeColorDepth, TheCacheIsSnappedToWhatTheScreenShows) {
  const int depth = GetParam();
  const TIdeColorCache trueColour = theme->Colors();
  settings.Depth = depth;
  SendToManager(WM_DISPLAYCHANGE);
  EXPECT_EQ(LowColorMode, depth < 12);
  EXPECT_EQ(PlainColorMode, depth < 12);  // the classic button face is not white
  const TIdeColorCache& snapped = theme->Colors();
  bool anyMoved = false;
  for (const TCacheEntry& e : CacheEntries()) {
    const TColor unsnapped = e.Actual(trueColour);
    const TColor expected = unsnapped == clNone ? clNone : NearestColor(unsnapped);
    EXPECT_EQ(Hex(e.Actual(snapped)), Hex(expected)) << e.Name;
    anyMoved = anyMoved || e.Actual(snapped) != unsnapped;
  }
  // F0 F0 F0 is none of the colours a screen of fewer than 24 bits shows.
  EXPECT_EQ(anyMoved, depth < 24);
  EXPECT_EQ(snapped.PopupViewColor != kPopupBackground, depth < 24);

  settings.Depth = 24;
  SendToManager(WM_DISPLAYCHANGE);
  for (const TCacheEntry& e : CacheEntries()) EXPECT_EQ(e.Actual(theme->Colors()), e.Actual(trueColour)) << e.Name;
}

INSTANTIATE_TEST_SUITE_P(Depths, IdeColorDepth, testing::Values(32, 24, 16, 15, 8, 4));

}  // namespace
