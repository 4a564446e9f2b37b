// The "Default" theme's painting. Classic, pixel by pixel in 32-bit bitmaps with colours of the
// test's own (3D edges and frame controls against the system's own pictures); with visual styles,
// the parts and states it asks of the styles, recorded (the test machines draw styles their own
// way, so no pixels are compared there).
#include "ThemedItemsTestSupport.h"
#include "items/TB2Common.h"
#include "items/TB2ImageList.h"
#include "common/GdiCensus.h"

#include <gtest/gtest.h>
#include <vsstyle.h>

#include <functional>
#include <optional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using tbx_test::kSentinel;
using tbx_test::MakeItemInfo;
using tbx_test::TDCCanvas;
using tbx_test::TFakeVisualStyles;
using tbx_test::TPixels;

constexpr COLORREF kHighlight = RGB(0x10, 0x20, 0xC0);
constexpr COLORREF kHighlightText = RGB(0xF0, 0xE1, 0xD2);
constexpr COLORREF kFace = RGB(0xD0, 0xC1, 0xB2);
constexpr COLORREF kBtnHighlight = RGB(0xFA, 0xFB, 0xFC);
constexpr COLORREF kShadow = RGB(0x80, 0x71, 0x62);
constexpr COLORREF kBtnText = RGB(0x01, 0x02, 0x03);
constexpr COLORREF kGrayText = RGB(0x90, 0x91, 0x92);
constexpr COLORREF kMenu = RGB(0xE0, 0xE1, 0xE2);
constexpr COLORREF kMenuText = RGB(0x05, 0x06, 0x07);
constexpr COLORREF kWindow = RGB(0xFE, 0xFD, 0xFC);
constexpr COLORREF kWindowFrame = RGB(0x30, 0x31, 0x32);

using TPainter = std::function<void(TCanvas& Canvas, HDC DC)>;

std::unique_ptr<TPixels> Painted(int W, int H, const TPainter& Paint) {
  auto pixels = std::make_unique<TPixels>(W, H);
  TDCCanvas canvas(pixels->DC());
  Paint(*canvas, pixels->DC());
  return pixels;
}

// Where the pixels are of one colour.
std::set<std::pair<int, int>> PixelsOf(const TPixels& P, COLORREF Color) {
  std::set<std::pair<int, int>> found;
  for (int y = 0; y < P.Height(); ++y)
    for (int x = 0; x < P.Width(); ++x)
      if (P.At(x, y) == Color) found.insert({x, y});
  return found;
}

void Edge(HDC DC, RECT R, UINT EdgeKind, UINT Flags) { DrawEdge(DC, &R, EdgeKind, Flags); }

void FrameControl(HDC DC, RECT R, UINT Type, UINT State) { DrawFrameControl(DC, &R, Type, State); }

class DefaultPainting : public tbx_test::ThemeLayerTest {
 protected:
  void SetUp() override {
    settings.Colors = {{COLOR_HIGHLIGHT, kHighlight},         {COLOR_HIGHLIGHTTEXT, kHighlightText},
                       {COLOR_BTNFACE, kFace},                {COLOR_BTNHIGHLIGHT, kBtnHighlight},
                       {COLOR_BTNSHADOW, kShadow},            {COLOR_BTNTEXT, kBtnText},
                       {COLOR_GRAYTEXT, kGrayText},           {COLOR_MENU, kMenu},
                       {COLOR_MENUTEXT, kMenuText},           {COLOR_WINDOW, kWindow},
                       {COLOR_WINDOWFRAME, kWindowFrame}};
    ThemeLayerTest::SetUp();
    SetThemeManagerOption(tmoVisualStyles, 2);
    FlatMenus(false);
    theme = static_cast<TTBXDefaultTheme*>(ActiveTheme);
    font.SetName(L"Tahoma");
    font.SetSize(8);
  }
  // The system has flat menus: the theme uses them or not as its mode says.
  void FlatMenus(bool On) {
    SetThemeManagerOption(tmoFlatMenuMode, On ? 2 : 1);
    ASSERT_EQ(FlatMenusInUse, On);
  }
  // Text as GDI draws it in the test's font, clear behind.
  void ReferenceText(HDC DC, const String& Text, RECT R, COLORREF Color, UINT Format) {
    gdi::SelectionGuard select(DC, font.Handle());
    SetBkMode(DC, TRANSPARENT);
    SetTextColor(DC, Color);
    DrawTextW(DC, Text.c_str(), static_cast<int>(Text.size()), &R, Format);
  }
  void Caption(TCanvas& Canvas, const RECT& R, const TTBXItemInfo& Info, const String& Text) {
    Canvas.SetFont(font);
    Canvas.Font().SetColor(theme->GetItemTextColor(Info));
    theme->PaintCaption(Canvas, R, Info, Text, DT_SINGLELINE, Info.Vertical);
  }
  TTBXDefaultTheme* theme = nullptr;
  TFont font;
};

TTBXItemInfo MenuItem(uint8_t Hover = 0, bool Enabled = true, int Flags = 0) {
  return MakeItemInfo(vkPopupMenu, Flags, Enabled, Hover);
}

TTBXItemInfo ToolbarItem(int Kind, uint8_t Hover, bool Pushed = false, bool Checked = false, bool Enabled = true) {
  return MakeItemInfo(Kind, iifToolbarStyle, Enabled, Hover, Pushed, Checked);
}

// --- popup items ---------------------------------------------------------------------------------

TEST_F(DefaultPainting, AHighlightedMenuItemIsFilledWithTheSelectionColour) {
  struct TCase {
    const char* What;
    TTBXItemInfo Info;
    int GlyphWidth;
    bool Highlighted;
  } cases[] = {
      {"hot", MenuItem(2), 0, true},
      {"normal", MenuItem(0), 0, false},
      {"disabled, chosen by the keys", MenuItem(1, false), 0, true},
      {"disabled under the mouse", MenuItem(0, false), 0, false},
      {"hot, with an image", MenuItem(2), 16, true},
  };
  for (TCase c : cases) {
    SCOPED_TRACE(c.What);
    c.Info.ImageColumnWidth = 20;
    c.Info.GlyphWidth = c.GlyphWidth;
    auto pixels = Painted(100, 20, [&](TCanvas& Canvas, HDC) { theme->PaintMenuItem(Canvas, {0, 0, 100, 20}, c.Info); });
    // An image keeps its column and the space before it: the highlight starts after them.
    const RECT highlight{c.GlyphWidth > 0 ? 21 : 0, 0, 100, 20};
    if (!c.Highlighted) {
      EXPECT_TRUE(pixels->UntouchedOutside({0, 0, 0, 0}));
      continue;
    }
    EXPECT_EQ(PixelsOf(*pixels, kHighlight).size(), size_t((highlight.right - highlight.left) * 20));
    EXPECT_TRUE(pixels->UntouchedOutside(highlight));
  }
}

TEST_F(DefaultPainting, AHotMenuItemShowsItsCaptionInTheSelectionTextColour) {
  auto* owner = new TComponent(nullptr);
  auto* root = new TTBXRootItem(owner);
  auto* item = new TTBXItem(owner);
  item->SetCaption(L"Hot item");
  root->Add(item);
  auto* window = new TTBXPopupWindow(owner, nullptr, root, false);
  window->Font().SetName(L"Tahoma");
  window->Font().SetSize(8);
  window->View()->UpdatePositions();
  TTBItemViewer* viewer = window->View()->Find(item);
  const RECT& b = viewer->BoundsRect;
  const int w = b.right - b.left, h = b.bottom - b.top;
  for (bool selected : {true, false}) {
    auto pixels = Painted(w, h, [&](TCanvas& Canvas, HDC) { viewer->Paint(Canvas, {0, 0, w, h}, selected, false, false); });
    if (selected) {
      EXPECT_FALSE(PixelsOf(*pixels, kHighlightText).empty());
      EXPECT_TRUE(PixelsOf(*pixels, kMenuText).empty());
      EXPECT_TRUE(PixelsOf(*pixels, kSentinel).empty()) << "the whole line is highlighted";
    } else {
      EXPECT_FALSE(PixelsOf(*pixels, kBtnText).empty()) << "the menu text colour (the button text here)";
      EXPECT_TRUE(PixelsOf(*pixels, kHighlight).empty());
    }
  }
  window->Free();
  owner->Free();
}

TEST_F(DefaultPainting, DisabledCaptionsAreEmbossedUnlessChosenByTheKeysOrStyled) {
  const RECT r{2, 2, 98, 20};
  struct TCase {
    const char* What;
    TTBXItemInfo Info;
    bool Styles;
    bool Embossed;
  } cases[] = {
      {"disabled", MenuItem(0, false), false, true},
      {"disabled toolbar item", ToolbarItem(vkNormalToolbar, 0, false, false, false), false, true},
      {"disabled menu item chosen by the keys", MenuItem(1, false), false, false},
      {"disabled, with visual styles", MenuItem(0, false), true, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    std::optional<TFakeVisualStyles> styles;
    if (c.Styles) styles.emplace();
    auto pixels = Painted(100, 24, [&](TCanvas& Canvas, HDC) { Caption(Canvas, r, c.Info, L"Embossed"); });
    auto expected = Painted(100, 24, [&](TCanvas&, HDC DC) {
      if (c.Embossed) {
        ReferenceText(DC, L"Embossed", {r.left + 1, r.top + 1, r.right + 1, r.bottom + 1}, kBtnHighlight, DT_SINGLELINE);
        ReferenceText(DC, L"Embossed", r, kShadow, DT_SINGLELINE);
      } else {
        ReferenceText(DC, L"Embossed", r, kGrayText, DT_SINGLELINE);
      }
    });
    EXPECT_SAME_PIXELS(*pixels, *expected);
  }
}

TEST_F(DefaultPainting, RotatedCaptionsTakeTheCanvasFontAndColour) {
  const RECT r{2, 2, 22, 98};
  for (bool enabled : {true, false}) {
    SCOPED_TRACE(enabled ? "enabled" : "disabled");
    TTBXItemInfo info = ToolbarItem(vkNormalToolbar, 0, false, false, enabled);
    info.Vertical = true;
    auto pixels = Painted(24, 100, [&](TCanvas& Canvas, HDC) { Caption(Canvas, r, info, L"Vertical"); });
    auto expected = Painted(24, 100, [&](TCanvas&, HDC DC) {
      gdi::SelectionGuard select(DC, font.Handle());
      SetBkMode(DC, TRANSPARENT);
      auto text = [&](int D, COLORREF Color) {
        SetTextColor(DC, Color);
        DrawRotatedText(DC, L"Vertical", {r.left + D, r.top + D, r.right + D, r.bottom + D}, DT_SINGLELINE);
      };
      if (enabled) {
        text(0, kBtnText);
      } else {
        text(1, kBtnHighlight);
        text(0, kShadow);
      }
    });
    EXPECT_SAME_PIXELS(*pixels, *expected);
    EXPECT_FALSE(PixelsOf(*pixels, enabled ? kBtnText : kShadow).empty());
  }
}

TEST_F(DefaultPainting, APushedOrCheckedToolbarButtonShowsItsTextPressedIn) {
  const RECT r{2, 2, 98, 20};
  struct TCase {
    const char* What;
    TTBXItemInfo Info;
    bool Flat;
    int Shift;
  } cases[] = {
      {"pushed", ToolbarItem(vkNormalToolbar, 2, true), false, 1},
      {"checked", ToolbarItem(vkNormalToolbar, 0, false, true), false, 1},
      {"hot", ToolbarItem(vkNormalToolbar, 2), false, 0},
      {"pushed on a flat menu bar", ToolbarItem(vkMenuBar, 2, true), true, 0},
      {"a pushed menu item", MakeItemInfo(vkPopupMenu, 0, true, 2, true), false, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    FlatMenus(c.Flat);
    auto pixels = Painted(100, 24, [&](TCanvas& Canvas, HDC) {
      Canvas.SetFont(font);
      Canvas.Font().SetColor(clBtnText);
      theme->PaintCaption(Canvas, r, c.Info, L"Text", DT_SINGLELINE, false);
    });
    auto expected = Painted(100, 24, [&](TCanvas&, HDC DC) {
      ReferenceText(DC, L"Text", {r.left + c.Shift, r.top + c.Shift, r.right + c.Shift, r.bottom + c.Shift}, kBtnText,
                    DT_SINGLELINE);
    });
    EXPECT_SAME_PIXELS(*pixels, *expected);
  }
}

TEST_F(DefaultPainting, PopupBorders) {
  const RECT r{0, 0, 30, 20};
  auto ring = [](const TPixels& P, int I) {
    std::set<COLORREF> colours;
    for (int x = I; x < 30 - I; ++x) colours.insert(P.At(x, I)), colours.insert(P.At(x, 19 - I));
    for (int y = I; y < 20 - I; ++y) colours.insert(P.At(I, y)), colours.insert(P.At(29 - I, y));
    return colours;
  };
  using TColours = std::set<COLORREF>;
  // Flat menus: the shadow, then the menu colour twice (the face, then the view's own).
  FlatMenus(true);
  TTBXPopupInfo info{};
  info.ViewKind = vkPopupMenu;
  auto flat = Painted(30, 20, [&](TCanvas& Canvas, HDC) { theme->PaintPopupNCArea(Canvas, r, info); });
  EXPECT_EQ(ring(*flat, 0), TColours{kShadow});
  EXPECT_EQ(ring(*flat, 1), TColours{kMenu});
  EXPECT_EQ(ring(*flat, 2), TColours{kMenu});
  EXPECT_EQ(flat->At(15, 10), kSentinel);
  // A list: the window frame, then the window colour twice.
  info.ViewKind = vkListPopup;
  auto list = Painted(30, 20, [&](TCanvas& Canvas, HDC) { theme->PaintPopupNCArea(Canvas, r, info); });
  EXPECT_EQ(ring(*list, 0), TColours{kWindowFrame});
  EXPECT_EQ(ring(*list, 1), TColours{kWindow});
  EXPECT_EQ(ring(*list, 2), TColours{kWindow});
  // Classic menus and edit popups: the system's raised edge, then the view's colour.
  for (int kind : {int(vkPopupMenu), int(vkToolBoxPopup)}) {
    FlatMenus(kind == vkToolBoxPopup);
    info.ViewKind = kind;
    auto classic = Painted(30, 20, [&](TCanvas& Canvas, HDC) { theme->PaintPopupNCArea(Canvas, r, info); });
    const COLORREF view = tbx_test::Resolved(theme->GetViewColor(kind));
    auto expected = Painted(30, 20, [&](TCanvas&, HDC DC) {
      Edge(DC, r, EDGE_RAISED, BF_RECT);
      RECT inside{2, 2, 28, 18};
      tbx::FillSolidRect(DC, inside, view);
      inside = {3, 3, 27, 17};
      tbx::FillSolidRect(DC, inside, kSentinel);
    });
    EXPECT_SAME_PIXELS(*classic, *expected);
  }
}

TEST_F(DefaultPainting, SeparatorsAreEtchedLinesInsetByTheirKind) {
  struct TCase {
    const char* What;
    TTBXItemInfo Info;
    bool Horizontal, LineSeparator;
    RECT Line;  // the etched line's two pixels
  } cases[] = {
      {"in a menu", MenuItem(), true, false, {12, 9, 88, 11}},
      {"on a toolbar", ToolbarItem(vkNormalToolbar, 0), false, false, {49, 0, 51, 20}},
      {"ending a toolbar's row", ToolbarItem(vkNormalToolbar, 0), true, true, {1, 9, 99, 11}},
      {"ending a floating toolbar's row", ToolbarItem(vkNormalToolbar | vkFloating, 0), true, true, {4, 9, 96, 11}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    auto pixels = Painted(100, 20, [&](TCanvas& Canvas, HDC) {
      theme->PaintSeparator(Canvas, {0, 0, 100, 20}, c.Info, c.Horizontal, c.LineSeparator);
    });
    auto expected = Painted(100, 20, [&](TCanvas&, HDC DC) { Edge(DC, c.Line, EDGE_ETCHED, c.Horizontal ? BF_TOP : BF_LEFT); });
    EXPECT_SAME_PIXELS(*pixels, *expected);
    EXPECT_FALSE(pixels->UntouchedOutside({0, 0, 0, 0}));
    TTBXItemInfo disabled = c.Info;
    disabled.ItemEnabled = false;
    auto none = Painted(100, 20, [&](TCanvas& Canvas, HDC) {
      theme->PaintSeparator(Canvas, {0, 0, 100, 20}, disabled, c.Horizontal, c.LineSeparator);
    });
    EXPECT_TRUE(none->UntouchedOutside({0, 0, 0, 0})) << "a blank separator shows nothing";
  }
}

// --- marks and arrows ---------------------------------------------------------------------------

TEST_F(DefaultPainting, CheckAndRadioMarks) {
  // The tick centred at (10, 10): two pixels down, five up, three pixels thick.
  std::set<std::pair<int, int>> tick;
  for (int i = 0; i < 3; ++i)
    for (auto [x, y] : {std::pair{7, 9}, {8, 10}, {9, 11}, {10, 10}, {11, 9}, {12, 8}, {13, 7}}) tick.insert({x, y + i});
  auto enabled = Painted(20, 20, [&](TCanvas& Canvas, HDC) { theme->PaintCheckMark(Canvas, {0, 0, 20, 20}, MenuItem()); });
  EXPECT_EQ(PixelsOf(*enabled, kBtnText), tick);
  EXPECT_EQ(PixelsOf(*enabled, kSentinel).size(), size_t(400 - 21));
  // Disabled: grey, over a soft highlight one pixel right and down.
  auto disabled = Painted(20, 20, [&](TCanvas& Canvas, HDC) { theme->PaintCheckMark(Canvas, {0, 0, 20, 20}, MenuItem(0, false)); });
  EXPECT_EQ(PixelsOf(*disabled, kGrayText), tick);
  const COLORREF relief = tbx_test::Resolved(WeightColors(clBtnHighlight, clBtnFace, 128));
  EXPECT_EQ(disabled->At(14, 8), relief);
  EXPECT_EQ(disabled->At(10, 14), relief);
  // Radio: a round dot of 6 x 6.
  auto radio = Painted(20, 20, [&](TCanvas& Canvas, HDC) { theme->PaintCheckMark(Canvas, {0, 0, 20, 20}, MenuItem(0, true, iifRadio)); });
  EXPECT_EQ(radio->At(10, 10), kBtnText);
  EXPECT_EQ(radio->At(7, 10), kBtnText);
  EXPECT_EQ(radio->At(10, 7), kBtnText);
  EXPECT_EQ(radio->At(7, 7), kSentinel);
  EXPECT_EQ(radio->At(13, 10), kSentinel);
  EXPECT_TRUE(radio->UntouchedOutside({7, 7, 13, 13}));
}

TEST_F(DefaultPainting, TheSubmenuArrow) {
  const int x = 100 - GetSystemMetrics(SM_CXMENUCHECK) * 2 / 3 - 2, y = 10;
  struct TCase {
    const char* What;
    TTBXItemInfo Info;
    COLORREF Arrow;
  } cases[] = {
      {"normal", MenuItem(0, true, iifHasSubitems), kBtnText},  // the menu text colour without flat menus
      {"hot", MenuItem(2, true, iifHasSubitems), kHighlightText},
      {"hot split item", MenuItem(2, true, iifHasSubitems | iifSplit), kBtnText},
      {"disabled", MenuItem(0, false, iifHasSubitems), kShadow},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    auto pixels = Painted(100, 20, [&](TCanvas& Canvas, HDC) { theme->PaintMenuItem(Canvas, {0, 0, 100, 20}, c.Info); });
    EXPECT_EQ(pixels->At(x, y), c.Arrow);
    EXPECT_EQ(pixels->At(x + 2, y), c.Arrow);
    EXPECT_EQ(pixels->At(x, y - 3), c.Arrow);
    EXPECT_EQ(pixels->At(x, y + 3), c.Arrow);
    EXPECT_NE(pixels->At(x + 4, y), c.Arrow);
    EXPECT_NE(pixels->At(x - 1, y), c.Arrow);
    // Embossed: its highlight shows below and right of it.
    EXPECT_EQ(pixels->At(x + 4, y + 1) == kBtnHighlight, !c.Info.ItemEnabled);
  }
}

TEST_F(DefaultPainting, AChecksBoxAreaIsAButtonOverTheImageColumn) {
  // Checked and not hot: sunken, with the checker of the face and the highlight.
  TTBXItemInfo info = MenuItem();
  info.ItemChecked = true;
  info.ImageColumnWidth = 20;
  auto pixels = Painted(100, 20, [&](TCanvas& Canvas, HDC) { theme->PaintMenuItem(Canvas, {0, 0, 100, 20}, info); });
  auto expected = Painted(100, 20, [&](TCanvas&, HDC DC) {
    RECT box{0, 0, 20, 20};
    DrawEdge(DC, &box, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    FillRectDither(DC, box, clBtnFace, clBtnHighlight);
  });
  EXPECT_SAME_PIXELS(*pixels, *expected);
  EXPECT_EQ(pixels->At(5, 5) == kFace ? pixels->At(6, 5) : pixels->At(5, 5), kBtnHighlight);
}

TEST_F(DefaultPainting, TheDropDownArrowAndChevron) {
  auto arrow = Painted(20, 20, [&](TCanvas& Canvas, HDC) {
    theme->PaintDropDownArrow(Canvas, {0, 0, 20, 20}, ToolbarItem(vkNormalToolbar, 0));
  });
  // A small triangle under the middle, pointing down.
  EXPECT_EQ(arrow->At(8, 9), kBtnText);
  EXPECT_EQ(arrow->At(12, 9), kBtnText);
  EXPECT_EQ(arrow->At(10, 11), kBtnText);
  EXPECT_TRUE(arrow->UntouchedOutside({8, 9, 13, 12}));
  auto disabled = Painted(20, 20, [&](TCanvas& Canvas, HDC) {
    theme->PaintDropDownArrow(Canvas, {0, 0, 20, 20}, ToolbarItem(vkNormalToolbar, 0, false, false, false));
  });
  EXPECT_EQ(disabled->At(8, 9), kShadow);
  EXPECT_EQ(disabled->At(11, 12), kBtnHighlight);
  auto chevron = Painted(14, 30, [&](TCanvas& Canvas, HDC) {
    theme->PaintChevron(Canvas, {0, 0, 14, 30}, ToolbarItem(vkNormalToolbar, 0));
  });
  EXPECT_FALSE(PixelsOf(*chevron, kBtnText).empty());
  EXPECT_TRUE(chevron->UntouchedOutside({0, 3, 14, 9})) << "near the top of the button";
}

// --- button faces --------------------------------------------------------------------------------

TEST_F(DefaultPainting, ToolbarButtonsAreRaisedSunkenOrDithered) {
  constexpr int kRaised = vkNormalToolbar | vkRaisedItems;
  const RECT r{0, 0, 24, 22};
  auto dither = [](HDC DC, RECT Inside) { FillRectDither(DC, Inside, clBtnFace, clBtnHighlight); };
  struct TCase {
    const char* What;
    TTBXItemInfo Info;
    std::function<void(HDC)> Expected;
  } cases[] = {
      {"plain toolbar, normal", ToolbarItem(vkNormalToolbar, 0), [](HDC) {}},
      {"plain toolbar, hot", ToolbarItem(vkNormalToolbar, 2), [&](HDC DC) { Edge(DC, r, BDR_RAISEDINNER, BF_RECT); }},
      {"plain toolbar, pushed", ToolbarItem(vkNormalToolbar, 2, true),
       [&](HDC DC) { Edge(DC, r, BDR_SUNKENOUTER, BF_RECT); }},
      {"plain toolbar, checked", ToolbarItem(vkNormalToolbar, 0, false, true),
       [&](HDC DC) {
         Edge(DC, r, BDR_SUNKENOUTER, BF_RECT);
         dither(DC, {1, 1, 23, 21});
       }},
      {"plain toolbar, checked and hot", ToolbarItem(vkNormalToolbar, 2, false, true),
       [&](HDC DC) { Edge(DC, r, BDR_SUNKENOUTER, BF_RECT); }},
      {"plain toolbar, disabled and chosen", ToolbarItem(vkNormalToolbar, 1, false, false, false),
       [&](HDC DC) { Edge(DC, r, BDR_RAISEDINNER, BF_RECT); }},
      {"raised toolbar, normal", ToolbarItem(kRaised, 0), [&](HDC DC) { Edge(DC, r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_FLAT); }},
      {"raised toolbar, hot", ToolbarItem(kRaised, 2), [&](HDC DC) { Edge(DC, r, EDGE_RAISED, BF_RECT | BF_MIDDLE); }},
      {"raised toolbar, checked", ToolbarItem(kRaised, 0, false, true),
       [&](HDC DC) {
         RECT inside = r;
         DrawEdge(DC, &inside, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_FLAT | BF_ADJUST);
         dither(DC, inside);
       }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    auto pixels = Painted(24, 22, [&](TCanvas& Canvas, HDC) { theme->PaintButton(Canvas, r, c.Info); });
    auto expected = Painted(24, 22, [&](TCanvas&, HDC DC) { c.Expected(DC); });
    EXPECT_SAME_PIXELS(*pixels, *expected);
  }
}

TEST_F(DefaultPainting, UnderFlatMenusAHotButtonSitsOnTheToolbarColour) {
  FlatMenus(true);
  const RECT r{0, 0, 24, 22};
  auto pixels = Painted(24, 22, [&](TCanvas& Canvas, HDC) { theme->PaintButton(Canvas, r, ToolbarItem(vkNormalToolbar, 2)); });
  auto expected = Painted(24, 22, [&](TCanvas&, HDC DC) {
    tbx::FillSolidRect(DC, r, kFace);
    Edge(DC, r, BDR_RAISEDINNER, BF_RECT);
  });
  EXPECT_SAME_PIXELS(*pixels, *expected);
  // A flat menu bar: the selection colour.
  auto bar = Painted(24, 22, [&](TCanvas& Canvas, HDC) { theme->PaintButton(Canvas, r, ToolbarItem(vkMenuBar, 2)); });
  EXPECT_EQ(PixelsOf(*bar, kHighlight).size(), size_t(24 * 22));
}

TEST_F(DefaultPainting, TheArrowHalfOfASplitButton) {
  TTBXItemInfo info = ToolbarItem(vkNormalToolbar, 2);
  info.ButtonPart = 3;
  const RECT r{0, 0, 13, 22};
  auto pixels = Painted(13, 22, [&](TCanvas& Canvas, HDC) { theme->PaintButton(Canvas, r, info); });
  auto expected = Painted(13, 22, [&](TCanvas& Canvas, HDC DC) {
    Edge(DC, {0, 0, 11, 22}, BDR_RAISEDINNER, BF_RECT);
    theme->PaintDropDownArrow(Canvas, {0, 0, 11, 22}, info);
  });
  EXPECT_SAME_PIXELS(*pixels, *expected);
  EXPECT_EQ(pixels->At(12, 10), kSentinel) << "two pixels short of the right edge";
}

// --- images --------------------------------------------------------------------------------------

class DefaultImages : public DefaultPainting {
 protected:
  void SetUp() override {
    DefaultPainting::SetUp();
    images = tbx_test::OneRowImage({RGB(0, 0, 0), RGB(255, 255, 255), RGB(200, 20, 20), RGB(20, 200, 20)});
  }
  std::unique_ptr<TPixels> Image(const TTBXItemInfo& Info, TCustomImageList* List) {
    return Painted(8, 4, [&](TCanvas& Canvas, HDC) { theme->PaintImage(Canvas, {2, 1, 6, 2}, Info, List, 0); });
  }
  std::unique_ptr<TCustomImageList> images;
};

TEST_F(DefaultImages, EachStateHasItsRoutine) {
  const RECT at{2, 1, 6, 2};
  TTBXItemInfo checked = MenuItem();
  checked.ItemChecked = true;
  struct TCase {
    const char* What;
    bool Flat;
    TTBXItemInfo Info;
    std::function<void(TCanvas&)> Expected;
  } cases[] = {
      {"classic", false, MenuItem(), [&](TCanvas& C) { images->Draw(C, 2, 1, 0, true); }},
      {"classic, disabled", false, MenuItem(0, false), [&](TCanvas& C) { images->Draw(C, 2, 1, 0, false); }},
      {"flat, normal", true, MenuItem(), [&](TCanvas& C) { DrawImageTinted(C, at, *images, 0, clWindow, 178); }},
      {"flat, hot", true, MenuItem(2), [&](TCanvas& C) { DrawImageBlended(C, at, *images, 0, false); }},
      {"flat, checked", true, checked, [&](TCanvas& C) { DrawImageBlended(C, at, *images, 0, false); }},
      {"flat, disabled", true, MenuItem(0, false), [&](TCanvas& C) { DrawImageEffect(C, at, *images, 0, 0); }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    FlatMenus(c.Flat);
    auto pixels = Image(c.Info, images.get());
    auto expected = Painted(8, 4, [&](TCanvas& Canvas, HDC) { c.Expected(Canvas); });
    EXPECT_SAME_PIXELS(*pixels, *expected);
    EXPECT_FALSE(pixels->UntouchedOutside({0, 0, 0, 0}));
  }
}

TEST_F(DefaultImages, PlainColoursAndDarkBackgrounds) {
  FlatMenus(true);
  const RECT at{2, 1, 6, 2};
  const bool plain = PlainColorMode;
  PlainColorMode = true;
  auto pixels = Image(MenuItem(), images.get());
  PlainColorMode = plain;
  auto expected = Painted(8, 4, [&](TCanvas& Canvas, HDC) { DrawImageBlended(Canvas, at, *images, 0, false); });
  EXPECT_SAME_PIXELS(*pixels, *expected);
  // A hot item's image sits on the toolbar colour: a dark one makes it light.
  settings.Colors[COLOR_BTNFACE] = RGB(20, 20, 30);
  SendToManager(WM_SYSCOLORCHANGE);
  FlatMenus(true);
  auto dark = Image(MenuItem(2), images.get());
  auto expectedDark = Painted(8, 4, [&](TCanvas& Canvas, HDC) { DrawImageBlended(Canvas, at, *images, 0, true); });
  EXPECT_SAME_PIXELS(*dark, *expectedDark);
}

TEST_F(DefaultImages, ListsWithTheirOwnStatesDrawThemselvesPressedIn) {
  auto* own = new TTBImageList(nullptr);
  own->SetSize(4, 1);
  TBitmap strip;
  strip.SetSize(4, 1);
  for (int x = 0; x < 4; ++x) strip.ScanLine(0)[x] = RGBToPixel(RGB(10 * x, 100, 200));
  own->AddMasked(strip, RGB(255, 0, 255));
  TTBXItemInfo pushed = MenuItem(2);
  pushed.ItemPushed = true;
  for (const TTBXItemInfo& info : {MenuItem(2), pushed}) {
    const int d = info.ItemPushed ? 1 : 0;
    auto pixels = Image(info, own);
    auto expected = Painted(8, 4, [&](TCanvas& Canvas, HDC) { own->DrawState(Canvas, 2 + d, 1 + d, 0, true, true, false); });
    EXPECT_SAME_PIXELS(*pixels, *expected);
  }
  own->Free();
  auto none = Image(MenuItem(2), nullptr);
  EXPECT_TRUE(none->UntouchedOutside({0, 0, 0, 0})) << "no image list, no image";
}

// --- the system's glyphs -------------------------------------------------------------------------

TEST_F(DefaultPainting, GlyphsAreTheSystemsFrameControls) {
  const RECT r{1, 1, 17, 15};
  TTBXItemInfo pushed = ToolbarItem(vkNormalToolbar, 2, true);
  struct TCase {
    const char* What;
    TPainter Paint;
    UINT Type, State;
  } cases[] = {
      {"MDI close", [&](TCanvas& C, HDC) { theme->PaintMDIButton(C, r, ToolbarItem(vkNormalToolbar, 0), DFCS_CAPTIONCLOSE); },
       DFC_CAPTION, DFCS_CAPTIONCLOSE},
      {"MDI minimise, pushed", [&](TCanvas& C, HDC) { theme->PaintMDIButton(C, r, pushed, DFCS_CAPTIONMIN); },
       DFC_CAPTION, DFCS_CAPTIONMIN | DFCS_PUSHED},
      {"MDI restore", [&](TCanvas& C, HDC) { theme->PaintMDIButton(C, r, ToolbarItem(vkNormalToolbar, 0), DFCS_CAPTIONRESTORE); },
       DFC_CAPTION, DFCS_CAPTIONRESTORE},
      {"check box, checked", [&](TCanvas& C, HDC) { theme->PaintFrameControl(C, r, 1, 0x01, nullptr); }, DFC_BUTTON,
       DFCS_BUTTONCHECK | DFCS_CHECKED},
      {"check box, grayed", [&](TCanvas& C, HDC) { theme->PaintFrameControl(C, r, 1, 0x02, nullptr); }, DFC_BUTTON,
       DFCS_BUTTON3STATE | DFCS_CHECKED},
      {"check box, disabled and pushed", [&](TCanvas& C, HDC) { theme->PaintFrameControl(C, r, 1, 0x14, nullptr); },
       DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_INACTIVE | DFCS_PUSHED},
      {"radio button, checked", [&](TCanvas& C, HDC) { theme->PaintFrameControl(C, r, 2, 0x01, nullptr); }, DFC_BUTTON,
       DFCS_BUTTONRADIO | DFCS_CHECKED},
      {"page scroll up, hot", [&](TCanvas& C, HDC) { theme->PaintPageScrollButton(C, r, 1, true); }, DFC_SCROLL,
       DFCS_SCROLLUP},
      {"page scroll right", [&](TCanvas& C, HDC) { theme->PaintPageScrollButton(C, r, 4, false); }, DFC_SCROLL,
       DFCS_SCROLLRIGHT | DFCS_FLAT},
      {"drop-down button, pressed",
       [&](TCanvas& C, HDC) { theme->PaintEditButton(C, r, MenuItem(), TTBXEditBtnInfo{ebtDropDown, ebsPressed}); },
       DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_PUSHED | DFCS_FLAT},
      {"status bar gripper", [&](TCanvas& C, HDC) { theme->PaintStatusBar(C, r, SP_GRIPPER); }, DFC_SCROLL,
       DFCS_SCROLLSIZEGRIP},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    auto pixels = Painted(18, 16, c.Paint);
    auto expected = Painted(18, 16, [&](TCanvas&, HDC DC) { FrameControl(DC, r, c.Type, c.State); });
    EXPECT_SAME_PIXELS(*pixels, *expected);
    EXPECT_FALSE(pixels->UntouchedOutside({0, 0, 0, 0}));
  }
  // Other frame-control kinds paint nothing.
  auto other = Painted(18, 16, [&](TCanvas& C, HDC) { theme->PaintFrameControl(C, r, 3, 0x01, nullptr); });
  EXPECT_TRUE(other->UntouchedOutside({0, 0, 0, 0}));
}

TEST_F(DefaultPainting, FramesOfToolbarsDocksAndFloatingWindowsStayInTheirRectangle) {
  TTBXToolbarInfo toolbar{};
  toolbar.ViewKind = vkNormalToolbar;
  toolbar.AllowDrag = true;
  toolbar.DragHandleStyle = dhDouble;
  toolbar.ClientWidth = 60;
  toolbar.ClientHeight = 20;
  toolbar.BorderSize = {2, 2};
  toolbar.CloseButtonState = cbsVisible;
  TTBXWindowInfo window{};
  window.ClientWidth = 60;
  window.ClientHeight = 20;
  window.BorderSize = {3, 3};
  window.ShowCaption = true;
  window.Active = true;
  window.CloseButtonState = cbsVisible;
  window.Caption = L"Tools";
  TTBXDockPanelInfo panel{};
  panel.BorderSize = {2, 2, 2, 2};
  panel.ShowCaption = true;
  panel.CloseButtonState = cbsVisible;
  panel.Caption = L"Panel";
  const TTBXEditInfo edit{0, 13, {}, {ebtSpin, 0}};
  const RECT r{2, 2, 78, 38};
  const TPainter painters[] = {
      [&](TCanvas& C, HDC) { theme->PaintToolbarNCArea(C, r, toolbar); },
      [&](TCanvas& C, HDC) { theme->PaintFloatingBorder(C, r, window); },
      [&](TCanvas& C, HDC) { theme->PaintDockPanelNCArea(C, r, panel); },
      [&](TCanvas& C, HDC) { theme->PaintDock(C, r, r, 0); },
      [&](TCanvas& C, HDC) { theme->PaintEditFrame(C, r, MenuItem(), edit); },
      [&](TCanvas& C, HDC) { theme->PaintStatusBar(C, r, SP_PANE); },
      [&](TCanvas& C, HDC) { theme->PaintStatusBar(C, r, 0); },
      [&](TCanvas& C, HDC) { theme->PaintFrame(C, r, ToolbarItem(vkNormalToolbar, 2)); },
  };
  int index = 0;
  for (const TPainter& paint : painters) {
    auto pixels = Painted(80, 40, paint);
    EXPECT_TRUE(pixels->UntouchedOutside(r)) << index;
    EXPECT_FALSE(pixels->UntouchedOutside({0, 0, 0, 0})) << index;
    ++index;
  }
  // The toolbar's close button is the system's.
  RECT close{};
  GetToolbarCloseButtonRect(toolbar, close);
  auto pixels = Painted(80, 40, painters[0]);
  auto button = Painted(80, 40, [&](TCanvas&, HDC DC) { FrameControl(DC, close, DFC_CAPTION, DFCS_CAPTIONCLOSE); });
  for (int y = close.top; y < close.bottom; ++y)
    for (int x = close.left; x < close.right; ++x) ASSERT_EQ(pixels->At(x, y), button->At(x, y)) << x << "," << y;
}

// --- with visual styles ---------------------------------------------------------------------------

class DefaultStyles : public DefaultPainting {
 protected:
  void SetUp() override {
    DefaultPainting::SetUp();
    styles.emplace();
    theme->ReloadColors();
  }
  void TearDown() override {
    styles.reset();
    DefaultPainting::TearDown();
  }
  // What was asked of the styles since the last call, each "op class part/state".
  static std::vector<std::string> Asked() {
    std::vector<std::string> asked;
    for (const tbx_test::TStyleDraw& d : TFakeVisualStyles::Drawn) {
      std::string of = "?";
      for (int c = 0; c < kVisualStyleClassCount; ++c)
        if (TFakeVisualStyles::DataOf(static_cast<TVisualStyleClass>(c)) == d.Theme) of = std::to_string(c);
      asked.push_back(std::string(d.Op) + " " + of + " " + std::to_string(d.Part) + "/" + std::to_string(d.State));
    }
    TFakeVisualStyles::Drawn.clear();
    return asked;
  }
  std::optional<TFakeVisualStyles> styles;
};

using TAsked = std::vector<std::string>;

std::string Draw(TVisualStyleClass Class, int Part, int State) {
  return "draw " + std::to_string(Class) + " " + std::to_string(Part) + "/" + std::to_string(State);
}
std::string Region(TVisualStyleClass Class, int Part, int State) {
  return "region " + std::to_string(Class) + " " + std::to_string(Part) + "/" + std::to_string(State);
}

TEST_F(DefaultStyles, ButtonsAreTheToolbarsPartsInTheirStates) {
  constexpr int kRaised = vkNormalToolbar | vkRaisedItems;
  auto with = [](TTBXItemInfo Info, uint8_t Part, int Flags = 0) {
    Info.ButtonPart = Part;
    Info.Flags |= Flags;
    return Info;
  };
  struct TCase {
    const char* What;
    TTBXItemInfo Info;
    TAsked Asked;
  } cases[] = {
      {"plain, normal", with(ToolbarItem(vkNormalToolbar, 0), 0), {Draw(vscToolbar, 1, 1)}},
      {"plain, hot", with(ToolbarItem(vkNormalToolbar, 2), 0), {Draw(vscToolbar, 1, 2)}},
      {"drop-down, pushed", with(ToolbarItem(vkNormalToolbar, 2, true), 1), {Draw(vscToolbar, 2, 3)}},
      {"split, checked", with(ToolbarItem(vkNormalToolbar, 0, false, true), 2), {Draw(vscToolbar, 3, 5)}},
      {"split arrow, checked and hot", with(ToolbarItem(vkNormalToolbar, 2, false, true), 3), {Draw(vscToolbar, 4, 6)}},
      {"disabled", with(ToolbarItem(vkNormalToolbar, 0, false, false, false), 0), {Draw(vscToolbar, 1, 4)}},
      {"disabled, chosen by the keys", with(ToolbarItem(vkNormalToolbar, 1, false, false, false), 0),
       {Draw(vscToolbar, 1, 2)}},
      {"raised toolbar", with(ToolbarItem(kRaised, 0), 0), {Region(vscToolbar, 1, 1), Draw(vscToolbar, 1, 1)}},
      {"in design", with(ToolbarItem(vkNormalToolbar, 2), 0, iifDesigning),
       {Region(vscToolbar, 1, 2), Draw(vscToolbar, 1, 2)}},
      {"a menu-bar item is never styled", with(ToolbarItem(vkMenuBar, 2), 0), {}},
      {"a checked popup item's box", with(MenuItem(0), 0), {Draw(vscToolbar, 1, 5)}},
  };
  for (TCase c : cases) {
    SCOPED_TRACE(c.What);
    Asked();
    if (std::string(c.What) == "a checked popup item's box") {
      c.Info.ItemChecked = true;
      c.Info.ImageColumnWidth = 20;
      Painted(40, 20, [&](TCanvas& Canvas, HDC) { theme->PaintMenuItem(Canvas, {0, 0, 40, 20}, c.Info); });
    } else {
      Painted(24, 22, [&](TCanvas& Canvas, HDC) { theme->PaintButton(Canvas, {0, 0, 24, 22}, c.Info); });
    }
    EXPECT_EQ(Asked(), c.Asked);
  }
}

TEST_F(DefaultStyles, ARaisedToolbarButtonSitsOnTheToolbarColourInAShadowFrame) {
  const COLORREF toolbar = TFakeVisualStyles::Values.ToolbarFill;
  auto raised = Painted(24, 22, [&](TCanvas& Canvas, HDC) {
    theme->PaintButton(Canvas, {0, 0, 24, 22}, ToolbarItem(vkNormalToolbar | vkRaisedItems, 0));
  });
  EXPECT_EQ(raised->At(0, 0), kShadow);
  EXPECT_EQ(raised->At(23, 21), kShadow);
  EXPECT_EQ(raised->At(12, 11), toolbar);
  TTBXItemInfo designing = ToolbarItem(vkNormalToolbar, 0);
  designing.Flags |= iifDesigning;
  auto framed = Painted(24, 22, [&](TCanvas& Canvas, HDC) { theme->PaintButton(Canvas, {0, 0, 24, 22}, designing); });
  EXPECT_EQ(framed->At(0, 0), kShadow);
  EXPECT_EQ(framed->At(12, 11), kSentinel) << "in design only the frame";
}

TEST_F(DefaultStyles, SeparatorsMdiButtonsAndControls) {
  const RECT r{0, 0, 20, 20};
  TTBXItemInfo hot = ToolbarItem(vkNormalToolbar, 2), pushed = ToolbarItem(vkNormalToolbar, 2, true);
  struct TCase {
    const char* What;
    TPainter Paint;
    TAsked Asked;
  } cases[] = {
      {"toolbar separator, vertical",
       [&](TCanvas& C, HDC) { theme->PaintSeparator(C, r, ToolbarItem(vkNormalToolbar, 0), false, false); },
       {Draw(vscToolbar, 5, 1)}},
      {"toolbar separator, horizontal",
       [&](TCanvas& C, HDC) { theme->PaintSeparator(C, r, ToolbarItem(vkNormalToolbar, 0), true, true); },
       {Draw(vscToolbar, 6, 1)}},
      {"menu separator: classic", [&](TCanvas& C, HDC) { theme->PaintSeparator(C, r, MenuItem(), true, false); }, {}},
      {"MDI close", [&](TCanvas& C, HDC) { theme->PaintMDIButton(C, r, ToolbarItem(vkNormalToolbar, 0), DFCS_CAPTIONCLOSE); },
       {Draw(vscWindow, 20, 1)}},
      {"MDI minimise, hot", [&](TCanvas& C, HDC) { theme->PaintMDIButton(C, r, hot, DFCS_CAPTIONMIN); },
       {Draw(vscWindow, 16, 2)}},
      {"MDI restore, pushed", [&](TCanvas& C, HDC) { theme->PaintMDIButton(C, r, pushed, DFCS_CAPTIONRESTORE); },
       {Draw(vscWindow, 22, 3)}},
      {"MDI maximise: classic", [&](TCanvas& C, HDC) { theme->PaintMDIButton(C, r, hot, DFCS_CAPTIONMAX); }, {}},
      {"check box, checked and hot", [&](TCanvas& C, HDC) { theme->PaintFrameControl(C, r, 1, 0x09, nullptr); },
       {Draw(vscButton, 3, 6)}},
      {"check box, mixed", [&](TCanvas& C, HDC) { theme->PaintFrameControl(C, r, 1, 0x02, nullptr); },
       {Draw(vscButton, 3, 9)}},
      {"radio button, disabled", [&](TCanvas& C, HDC) { theme->PaintFrameControl(C, r, 2, 0x04, nullptr); },
       {Draw(vscButton, 2, 4)}},
      {"page scroll down, hot", [&](TCanvas& C, HDC) { theme->PaintPageScrollButton(C, r, 2, true); },
       {Draw(vscScrollBar, 1, 6)}},
      {"spin buttons, the lower pressed",
       [&](TCanvas& C, HDC) { theme->PaintEditButton(C, r, MenuItem(), TTBXEditBtnInfo{ebtSpin, ebsDownPressed}); },
       {Draw(vscSpin, 1, 1), Draw(vscSpin, 2, 3)}},
      {"status pane", [&](TCanvas& C, HDC) { theme->PaintStatusBar(C, r, SP_PANE); }, {Draw(vscStatus, 1, 0)}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    Asked();
    Painted(20, 20, c.Paint);
    EXPECT_EQ(Asked(), c.Asked);
  }
}

TEST_F(DefaultStyles, AClassWithoutDataInTheStyleIsPaintedClassic) {
  const RECT r{0, 0, 24, 22};
  const TTBXItemInfo hot = ToolbarItem(vkNormalToolbar, 2);
  VisualStyleHandles[vscToolbar] = nullptr;
  VisualStyleHandles[vscWindow] = nullptr;
  auto button = Painted(24, 22, [&](TCanvas& Canvas, HDC) { theme->PaintButton(Canvas, r, hot); });
  auto mdi = Painted(24, 22, [&](TCanvas& Canvas, HDC) { theme->PaintMDIButton(Canvas, r, hot, DFCS_CAPTIONCLOSE); });
  EXPECT_EQ(Asked(), TAsked{});
  auto expectedButton = Painted(24, 22, [&](TCanvas&, HDC DC) { Edge(DC, r, BDR_RAISEDINNER, BF_RECT); });
  auto expectedMdi = Painted(24, 22, [&](TCanvas&, HDC DC) { FrameControl(DC, r, DFC_CAPTION, DFCS_CAPTIONCLOSE); });
  EXPECT_SAME_PIXELS(*button, *expectedButton);
  EXPECT_SAME_PIXELS(*mdi, *expectedMdi);
}

// --- what painting costs --------------------------------------------------------------------------

TEST_F(DefaultPainting, PaintingAThousandTimesLeavesTheObjectsAsTheyWere) {
  auto images = tbx_test::OneRowImage({RGB(0, 0, 0), RGB(255, 255, 255)});
  TTBXItemInfo checked = MenuItem(2, true, iifHasSubitems | iifSplit);
  checked.ItemChecked = true;
  checked.ImageColumnWidth = 20;
  TTBXPopupInfo popup{};
  popup.ViewKind = vkPopupMenu;
  const RECT r{0, 0, 60, 20};
  const TPainter everything = [&](TCanvas& C, HDC) {
    theme->PaintMenuItem(C, r, checked);
    theme->PaintCaption(C, r, MenuItem(0, false), L"Item", DT_SINGLELINE, false);
    theme->PaintPopupNCArea(C, r, popup);
    theme->PaintButton(C, r, ToolbarItem(vkNormalToolbar | vkRaisedItems, 0, false, true));
    theme->PaintSeparator(C, r, MenuItem(), true, false);
    theme->PaintCheckMark(C, r, MenuItem(0, false, iifRadio));
    theme->PaintImage(C, r, MenuItem(2), images.get(), 0);
    theme->PaintChevron(C, r, ToolbarItem(vkNormalToolbar, 0, false, false, false));
  };
  for (bool flat : {false, true}) {
    FlatMenus(flat);
    TPixels pixels(60, 20);
    TDCCanvas canvas(pixels.DC());
    canvas->SetFont(font);
    everything(*canvas, pixels.DC());
    const long objects = gdi::LiveObjects();
    const gdi_census::TMark census;
    for (int i = 0; i < 1000; ++i) everything(*canvas, pixels.DC());
    EXPECT_EQ(gdi::LiveObjects(), objects) << flat;
    EXPECT_TRUE(census.NothingLeft()) << flat;
  }
  // The same through the visual styles (their regions too).
  TFakeVisualStyles styles;
  TPixels pixels(60, 20);
  TDCCanvas canvas(pixels.DC());
  everything(*canvas, pixels.DC());
  const long objects = gdi::LiveObjects();
  const gdi_census::TMark census;
  for (int i = 0; i < 1000; ++i) everything(*canvas, pixels.DC());
  EXPECT_EQ(gdi::LiveObjects(), objects);
  EXPECT_TRUE(census.NothingLeft());
}

}  // namespace
