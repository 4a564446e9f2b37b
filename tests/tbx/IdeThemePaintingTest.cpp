// The "Ide" theme's painting, pixel by pixel in 32-bit bitmaps: popup borders and backgrounds,
// popup items with their image column, hot frame, check box, marks and arrows, separators,
// captions and images, button faces; gradients through the system and line by line.
#include "IdeThemeTestSupport.h"
#include "items/TB2Common.h"
#include "items/TB2ImageList.h"
#include "common/GdiCensus.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using tbx_test::HotMenuItem;
using tbx_test::IdeThemeTest;
using tbx_test::kSentinel;
using tbx_test::MakeItemInfo;
using tbx_test::MenuItem;
using tbx_test::Rgb;
using tbx_test::TDCCanvas;
using tbx_test::TPixels;

constexpr COLORREF kFrame = RGB(0xA0, 0xA0, 0xB4);
constexpr COLORREF kPopupBackground = RGB(0xF0, 0xF0, 0xF0);
constexpr COLORREF kHighlight = RGB(0x96, 0xD9, 0xF9);
constexpr COLORREF kGradientLight = RGB(0xFA, 0xFA, 0xFD);
constexpr COLORREF kGradientDark = RGB(0xC4, 0xCB, 0xDB);
constexpr COLORREF kHotTop = RGB(0xFC, 0xFD, 0xFE);
constexpr COLORREF kHotBottom = RGB(0xBA, 0xE4, 0xF6);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// A popup item as the tests paint it: 100 x 20 with an image column of 20.
constexpr int kW = 100, kH = 20, kColumn = 20;
constexpr RECT kItem{0, 0, kW, kH};

using tbx_test::FirstDifference;
using tbx_test::Hex;
using tbx_test::Resolved;

// A filled polygon or a polyline as GDI draws it in one colour, for comparison.
void ReferenceShape(HDC DC, std::initializer_list<POINT> Points, COLORREF Color, bool Filled) {
  gdi::PenHandle pen(CreatePen(PS_SOLID, 1, Color));
  gdi::BrushHandle brush(CreateSolidBrush(Color));
  gdi::SelectionGuard selectPen(DC, pen.Get());
  gdi::SelectionGuard selectBrush(DC, brush.Get());
  if (Filled) Polygon(DC, Points.begin(), static_cast<int>(Points.size()));
  else Polyline(DC, Points.begin(), static_cast<int>(Points.size()));
}

// How the theme's gradients reach the screen.
enum class TGradients { System, LineByLine };

class IdePainting : public IdeThemeTest {
 protected:
  // Every gradient line by line, and no late-bound GradientFill for the utilities either.
  void PaintLineByLine() {
    lateBound.emplace();
    tbx::LateBound().GradientFill = nullptr;
    tbx::BindGradients(nullptr);
    lineByLine = true;
  }
  // Checks Line (the pixels of one gradient, first to last) against its edge colours: line by
  // line exactly, its first line one step in and its last the end colour; through the system
  // the first pixel is the start colour and the last within a step of the end.
  void ExpectGradient(const std::vector<COLORREF>& Line, COLORREF Start, COLORREF End, const std::string& What) {
    const int n = static_cast<int>(Line.size());
    ASSERT_GT(n, 1) << What;
    for (int shift : {0, 8, 16}) {
      const int a = static_cast<int>((Start >> shift) & 0xFF), b = static_cast<int>((End >> shift) & 0xFF);
      auto at = [&](int I) { return static_cast<int>((Line[static_cast<size_t>(I)] >> shift) & 0xFF); };
      if (lineByLine) {
        for (int i = 0; i < n; ++i) EXPECT_EQ(at(i), a + (b - a) * (i + 1) / n) << What << " line " << i;
        continue;
      }
      EXPECT_NEAR(at(0), a, 1) << What;
      EXPECT_NEAR(at(n - 1), b, (std::abs(b - a) + n - 1) / n + 1) << What;
      // Every step goes towards the end colour.
      const int towards = b > a ? 1 : b < a ? -1 : 0;
      for (int i = 1; i < n; ++i) {
        if (towards == 0) EXPECT_EQ(at(i), a) << What << " pixel " << i;
        else EXPECT_GE((at(i) - at(i - 1)) * towards, 0) << What << " pixel " << i;
      }
    }
  }
  std::vector<COLORREF> Span(const TPixels& P, int Y, int X0, int X1) const {
    std::vector<COLORREF> line;
    for (int x = X0; x < X1; ++x) line.push_back(P.At(x, Y));
    return line;
  }
  std::vector<COLORREF> ColumnSpan(const TPixels& P, int X, int Y0, int Y1) const {
    std::vector<COLORREF> line;
    for (int y = Y0; y < Y1; ++y) line.push_back(P.At(X, y));
    return line;
  }
  // The item painted by PaintMenuItem into a fresh bitmap.
  struct TItemPixels : TPixels {
    TItemPixels(TTBXTheme& Theme, const TTBXItemInfo& Info) : TPixels(kW, kH) {
      TDCCanvas canvas(DC());
      Theme.PaintMenuItem(*canvas, kItem, Info);
    }
  };
  TItemPixels MenuItemPixels(const TTBXItemInfo& Info) { return TItemPixels(*theme, Info); }
  bool lineByLine = false;
  std::optional<tbx_test::TLateBoundScope> lateBound;
};

// --- the popup's border and background ------------------------------------------------------------

TEST_F(IdePainting, APopupMenusBorderIsOnePixelWideAndTwoHigh) {
  TPixels pixels(30, 20);
  TDCCanvas canvas(pixels.DC());
  TTBXPopupInfo info{};
  info.ViewKind = vkPopupMenu;
  theme->GetViewBorder(vkPopupMenu, info.BorderSize);
  // As the popup window paints it: the client area is left out.
  ExcludeClipRect(pixels.DC(), info.BorderSize.x, info.BorderSize.y, 30 - info.BorderSize.x, 20 - info.BorderSize.y);
  theme->PaintPopupNCArea(*canvas, {0, 0, 30, 20}, info);
  for (int x = 0; x < 30; ++x) {
    EXPECT_EQ(Hex(pixels.At(x, 0)), Hex(kFrame)) << x;
    EXPECT_EQ(Hex(pixels.At(x, 19)), Hex(kFrame)) << x;
  }
  for (int y = 0; y < 20; ++y) {
    EXPECT_EQ(Hex(pixels.At(0, y)), Hex(kFrame)) << y;
    EXPECT_EQ(Hex(pixels.At(29, y)), Hex(kFrame)) << y;
  }
  for (int x = 1; x < 29; ++x) {
    EXPECT_EQ(Hex(pixels.At(x, 1)), Hex(kPopupBackground)) << x;
    EXPECT_EQ(Hex(pixels.At(x, 18)), Hex(kPopupBackground)) << x;
  }
  // The sides are one pixel wide: the client area starts next to them.
  for (int y = 2; y < 18; ++y) {
    EXPECT_EQ(pixels.At(1, y), kSentinel) << y;
    EXPECT_EQ(pixels.At(28, y), kSentinel) << y;
  }
  for (int x = 1; x < 29; ++x) EXPECT_EQ(pixels.At(x, 2), kSentinel) << x;
}

TEST_F(IdePainting, Backgrounds) {
  const RECT whole{0, 0, 40, 20};
  const RECT part{10, 0, 30, 20};
  struct TCase {
    const char* What;
    int Kind;
    RECT First;
    bool Transparent;
  } cases[] = {
      {"popup erasing its client area", vkPopupMenu, whole, false},
      {"transparent", vkPopupMenu, whole, true},
      {"plain toolbar", vkNormalToolbar, part, false},
      {"vertical plain toolbar", vkNormalToolbar, {0, 0, 0, 0}, false},
      {"other view, part of it", vkPopupMenu, part, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    const bool vertical = c.First.right == 0;
    const RECT clip = vertical ? RECT{0, 0, 10, 40} : whole;
    TPixels pixels(40, 40);
    TDCCanvas canvas(pixels.DC());
    const TColor color = theme->GetViewColor(c.Kind);
    theme->PaintBackgnd(*canvas, c.First, clip, whole, color, c.Transparent, c.Kind);
    TPixels expected(40, 40);
    if (c.Transparent) {
    } else if (c.Kind == vkNormalToolbar && !vertical) {
      // Across, grown by a pixel above and below.
      GradientFill(expected.DC(), {0, -1, 40, 21}, kGradientLight, kGradientDark, tgTopBottom);
    } else if (c.Kind == vkNormalToolbar) {
      GradientFill(expected.DC(), {-1, 0, 11, 20}, RGB(0xE9, 0xEC, 0xFA), RGB(0xF4, 0xF7, 0xFC), tgLeftRight);
    } else if (EqualRect(&c.First, &clip)) {
      tbx::FillSolidRect(expected.DC(), whole, Resolved(color));
    } else {
      GradientFill(expected.DC(), whole, RGB(0xE9, 0xEC, 0xFA), RGB(0xF4, 0xF7, 0xFC), tgLeftRight);
    }
    EXPECT_SAME_PIXELS(pixels, expected);
  }
}

TEST_F(IdePainting, SystemColoursAndTheirBrushesComeThroughTheSettings) {
  // Colours no host has: a system brush would paint the host's.
  settings.Colors[COLOR_WINDOW] = RGB(1, 2, 3);
  settings.Colors[COLOR_BTNFACE] = RGB(4, 5, 6);
  settings.Colors[COLOR_BTNSHADOW] = RGB(7, 8, 9);
  SendToManager(WM_SYSCOLORCHANGE);
  TPixels pixels(20, 20);
  TDCCanvas canvas(pixels.DC());
  const RECT r{0, 0, 20, 20};
  theme->PaintBackgnd(*canvas, r, r, r, theme->GetViewColor(vkListPopup), false, vkListPopup);
  EXPECT_EQ(Hex(pixels.At(10, 10)), Hex(RGB(1, 2, 3)));
  theme->PaintPageScrollButton(*canvas, r, 2, false);
  EXPECT_EQ(Hex(pixels.At(0, 0)), Hex(RGB(7, 8, 9)));
  EXPECT_EQ(Hex(pixels.At(2, 2)), Hex(RGB(4, 5, 6)));
}

// --- popup items ---------------------------------------------------------------------------------

class IdeGradients : public IdePainting, public testing::WithParamInterface<TGradients> {
 protected:
  void SetUp() override {
    IdePainting::SetUp();
    if (GetParam() == TGradients::LineByLine) PaintLineByLine();
  }
};

TEST_P(IdeGradients, TheImageColumnAndItsEdgeLines) {
  const TItemPixels pixels = MenuItemPixels(MenuItem(kColumn));
  for (int y = 0; y < kH; ++y) {
    SCOPED_TRACE(y);
    ExpectGradient(Span(pixels, y, 0, kColumn + 2), kGradientLight, kGradientDark, "the image column");
    EXPECT_EQ(Hex(pixels.At(kColumn + 2, y)), Hex(kFrame)) << y;
    EXPECT_EQ(Hex(pixels.At(kColumn + 3, y)), Hex(kWhite)) << y;
  }
  // The rest shows the popup's own background.
  EXPECT_TRUE(pixels.UntouchedOutside({0, 0, kColumn + 4, kH}));
}

TEST_P(IdeGradients, TheHotFrameWithItsCornersAndGradient) {
  const TItemPixels pixels = MenuItemPixels(HotMenuItem(kColumn));
  const int left = 2, right = kW - 3, bottom = kH - 1;
  for (int x = left; x <= right; ++x)
    for (int y : {0, bottom}) {
      const bool corner = x == left || x == right;
      EXPECT_EQ(Hex(pixels.At(x, y)), Hex(corner ? kPopupBackground : kHighlight)) << x << ", " << y;
    }
  for (int y = 1; y < bottom; ++y) {
    EXPECT_EQ(Hex(pixels.At(left, y)), Hex(kHighlight)) << y;
    EXPECT_EQ(Hex(pixels.At(right, y)), Hex(kHighlight)) << y;
  }
  // Inside the frame, the gradient over the frame's rect from top to bottom.
  TPixels gradient(kW, kH);
  GradientFill(gradient.DC(), {left, 0, right + 1, kH}, kHotTop, kHotBottom, tgTopBottom);
  for (int x = left + 1; x < right; ++x)
    EXPECT_EQ(ColumnSpan(pixels, x, 1, bottom), ColumnSpan(gradient, x, 1, bottom)) << x;
  if (lineByLine) {
    std::vector<COLORREF> whole = ColumnSpan(gradient, kW / 2, 0, kH);
    ExpectGradient(whole, kHotTop, kHotBottom, "hot gradient");
    EXPECT_EQ(ColumnSpan(pixels, kW / 2, 1, bottom), std::vector<COLORREF>(whole.begin() + 1, whole.end() - 1));
  }
  // The image column's first two pixels stay; nothing right of the frame.
  const TItemPixels plain = MenuItemPixels(MenuItem(kColumn));
  for (int y = 0; y < kH; ++y) EXPECT_EQ(Span(pixels, y, 0, 2), Span(plain, y, 0, 2)) << y;
  EXPECT_TRUE(pixels.UntouchedOutside({0, 0, right + 1, kH}));
}

INSTANTIATE_TEST_SUITE_P(Painters, IdeGradients, testing::Values(TGradients::System, TGradients::LineByLine),
                         [](const auto& info) {
                           return std::string(info.param == TGradients::System ? "System" : "LineByLine");
                         });

TEST_F(IdePainting, OnlyEnabledSelectedItemsAreHighlighted) {
  const TItemPixels plain = MenuItemPixels(MenuItem(kColumn));
  struct TCase {
    bool Enabled;
    uint8_t Hover;
    bool Highlighted;
  } cases[] = {{true, 2, true}, {true, 1, true}, {false, 1, false}, {false, 0, false}, {true, 0, false}};
  for (const TCase& c : cases) {
    TTBXItemInfo info = MenuItem(kColumn);
    info.ItemEnabled = c.Enabled;
    info.Hover = c.Hover;
    const TItemPixels pixels = MenuItemPixels(info);
    EXPECT_EQ(!FirstDifference(pixels, plain), !c.Highlighted) << c.Enabled << " " << int(c.Hover);
    EXPECT_EQ(pixels.At(kW / 2, 0) == kHighlight, c.Highlighted) << c.Enabled << " " << int(c.Hover);
  }
}

TEST_F(IdePainting, ACheckedItemHasItsBoxBehindTheImage) {
  for (uint8_t hover : {0, 2}) {
    TTBXItemInfo info = MenuItem(kColumn);
    info.ItemChecked = true;
    info.Hover = hover;
    const TItemPixels pixels = MenuItemPixels(info);
    const COLORREF frame = Resolved(theme->GetBtnColor(info, ipFrame));
    const COLORREF body = Resolved(theme->GetBtnColor(info, ipBody));
    const RECT box{2, 1, kColumn, kH - 1};
    for (int y = box.top; y < box.bottom; ++y)
      for (int x = box.left; x < box.right; ++x) {
        const bool edge = x == box.left || x == box.right - 1 || y == box.top || y == box.bottom - 1;
        EXPECT_EQ(Hex(pixels.At(x, y)), Hex(edge ? frame : body)) << x << ", " << y << " hover " << int(hover);
      }
  }
  // A disabled checked item shows no box.
  TTBXItemInfo disabled = MenuItem(kColumn);
  disabled.ItemChecked = true;
  disabled.ItemEnabled = false;
  TTBXItemInfo unchecked = disabled;
  unchecked.ItemChecked = false;
  EXPECT_FALSE(FirstDifference(MenuItemPixels(disabled), MenuItemPixels(unchecked)));
}

TEST_F(IdePainting, TheSubmenuTriangleAndTheSplitDivider) {
  const int check = GetSystemMetrics(SM_CXMENUCHECK);
  struct TCase {
    const char* What;
    bool Enabled;
    uint8_t Hover;
  } cases[] = {{"normal", true, 0}, {"hot", true, 2}, {"disabled", false, 0}, {"disabled, keyboard", false, 1}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TTBXItemInfo info = MenuItem(kColumn);
    info.ItemEnabled = c.Enabled;
    info.Hover = c.Hover;
    const COLORREF text = Resolved(theme->GetPartColor(info, ipText));

    TTBXItemInfo submenu = info;
    submenu.Flags = iifHasSubitems;
    TItemPixels expected = MenuItemPixels(info);
    const int x = kW - check * 2 / 3 - 1, y = kH / 2;
    ReferenceShape(expected.DC(), {{x, y - 3}, {x, y + 3}, {x + 3, y}}, text, true);
    EXPECT_SAME_PIXELS(MenuItemPixels(submenu), expected);

    TTBXItemInfo split = info;
    split.Flags = iifSplit;
    const COLORREF divider = !c.Enabled     ? text
                             : c.Hover == 2 ? Resolved(theme->GetPartColor(info, ipFrame))
                                            : Resolved(theme->Colors().MenuSeparatorColor);
    TItemPixels expectedSplit = MenuItemPixels(info);
    for (int row = 1; row < kH - 1; ++row) expectedSplit.Set(kW - check - 1, row, divider);
    EXPECT_SAME_PIXELS(MenuItemPixels(split), expectedSplit);
  }
}

// --- marks, arrows and separators ------------------------------------------------------------------

TEST_F(IdePainting, TheTickIsOnePolylineInTheButtonTextColour) {
  for (uint8_t hover : {0, 2}) {
    TTBXItemInfo info = MenuItem(kColumn);
    info.ItemChecked = true;
    info.Hover = hover;
    TPixels pixels(16, 16);
    TDCCanvas canvas(pixels.DC());
    theme->PaintCheckMark(*canvas, {0, 0, 16, 16}, info);
    const int x = 8, y = 8;
    TPixels expected(16, 16);
    ReferenceShape(expected.DC(),
                   {{x - 4, y - 1}, {x - 2, y + 1}, {x + 2, y - 3}, {x + 2, y - 2}, {x - 2, y + 2}, {x - 4, y}, {x - 4, y - 1}},
                   Resolved(theme->GetBtnColor(info, ipText)), false);
    EXPECT_SAME_PIXELS(pixels, expected);
    EXPECT_TRUE(pixels.UntouchedOutside({x - 4, y - 3, x + 3, y + 3}));
    EXPECT_FALSE(pixels.UntouchedOutside({0, 0, 0, 0}));
  }
}

TEST_F(IdePainting, TheRadioMarkIsARoundDotInTheMiddle) {
  TTBXItemInfo info = MenuItem(kColumn, iifRadio);
  info.ItemChecked = true;
  TPixels pixels(16, 16);
  TDCCanvas canvas(pixels.DC());
  theme->PaintCheckMark(*canvas, {0, 0, 16, 16}, info);
  const COLORREF color = Resolved(theme->GetBtnColor(info, ipText));
  // Six pixels across and down, the middle ones of the 16: 5 .. 10.
  EXPECT_TRUE(pixels.UntouchedOutside({5, 5, 11, 11}));
  for (int i = 5; i <= 10; ++i) {
    EXPECT_EQ(pixels.At(i, 7), color) << i;
    EXPECT_EQ(pixels.At(7, i), color) << i;
  }
  for (int y = 5; y <= 10; ++y)
    for (int x = 5; x <= 10; ++x) {
      EXPECT_EQ(pixels.At(x, y), pixels.At(15 - x, y)) << x << ", " << y;
      EXPECT_EQ(pixels.At(x, y), pixels.At(x, 15 - y)) << x << ", " << y;
    }
  EXPECT_EQ(pixels.At(5, 5), kSentinel);  // round: no corners
}

TEST_F(IdePainting, TheDropDownArrowPointsDownOrAside) {
  for (bool vertical : {false, true}) {
    TTBXItemInfo info = MakeItemInfo(vkToolbar, iifToolbarStyle, true, 0);
    info.Vertical = vertical;
    TPixels pixels(12, 12);
    TDCCanvas canvas(pixels.DC());
    theme->PaintDropDownArrow(*canvas, {0, 0, 12, 12}, info);
    const int x = 6, y = 6, d = vertical ? 0 : 2;
    TPixels expected(12, 12);
    ReferenceShape(expected.DC(), {{x - d, y - d + 1}, {x + d, y + d - 3}, {x + d - 2, y + d - 1}},
                   Resolved(theme->GetPartColor(info, ipText)), true);
    EXPECT_SAME_PIXELS(pixels, expected);
  }
}

TEST_F(IdePainting, Separators) {
  const COLORREF menu = Resolved(theme->Colors().MenuSeparatorColor);
  const COLORREF toolbar = Resolved(theme->Colors().ToolbarSeparatorColor);
  struct TLine {
    int X0, Y0, X1, Y1;  // the last pixel included
    COLORREF Color;
  };
  struct TCase {
    const char* What;
    int Kind, Flags;
    bool Enabled, Horizontal, Column;
    std::vector<TLine> Lines;
  } cases[] = {
      {"popup", vkPopupMenu, 0, true, true, true, {{kColumn + 9, 5, kW - 1, 5, menu}}},
      {"blank popup", vkPopupMenu, 0, false, true, true, {}},
      {"toolbar", vkToolbar, iifToolbarStyle, true, true, false, {{3, 4, kW - 4, 4, toolbar}}},
      {"edit popup", vkToolBoxPopup, 0, true, true, false, {{4, 5, kW - 3, 5, kFrame}, {4, 6, kW - 3, 6, kWhite}}},
      {"vertical", vkToolbar, iifToolbarStyle, true, false, false, {{kW / 2 - 1, 1, kW / 2 - 1, 8, toolbar}}},
      {"disabled toolbar", vkToolbar, iifToolbarStyle, false, true, false, {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TTBXItemInfo info = MakeItemInfo(c.Kind, c.Flags, c.Enabled, 0);
    info.ImageColumnWidth = kColumn;
    TPixels pixels(kW, 11);
    TDCCanvas canvas(pixels.DC());
    theme->PaintSeparator(*canvas, {0, 0, kW, 11}, info, c.Horizontal, false);
    TPixels expected(kW, 11);
    if (c.Column) {
      TPixels item(kW, 11);
      TDCCanvas itemCanvas(item.DC());
      theme->PaintMenuItemFrame(*itemCanvas, {0, 0, kW, 11}, MenuItem(kColumn));
      BitBlt(expected.DC(), 0, 0, kColumn + 4, 11, item.DC(), 0, 0, SRCCOPY);
    }
    for (const TLine& l : c.Lines)
      for (int y = l.Y0; y <= l.Y1; ++y)
        for (int x = l.X0; x <= l.X1; ++x) expected.Set(x, y, l.Color);
    EXPECT_SAME_PIXELS(pixels, expected);
  }
}

// --- captions and images -----------------------------------------------------------------------------

TEST_F(IdePainting, CaptionsStandOnePixelHigherInTheirStatesTextColour) {
  struct TCase {
    const char* What;
    TTBXItemInfo Info;
    bool Rotated;
  } cases[] = {
      {"disabled", MakeItemInfo(vkPopupMenu, 0, false, 0), false},
      {"disabled, selected by the keyboard", MakeItemInfo(vkPopupMenu, 0, false, 1), false},
      {"hot", MakeItemInfo(vkPopupMenu, 0, true, 2), false},
      {"rotated toolbar item", MakeItemInfo(vkToolbar, iifToolbarStyle, true, 0), true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    const RECT r{0, 10, 80, 90};
    const UINT format = DT_SINGLELINE | DT_VCENTER;
    TPixels pixels(80, 100);
    TDCCanvas canvas(pixels.DC());
    canvas->Font().SetColor(clNone);
    theme->PaintCaption(*canvas, r, c.Info, L"Xylophone", format, c.Rotated);
    EXPECT_EQ(canvas->Brush().Style(), bsSolid);
    const TColor text = theme->GetPartColor(c.Info, ipText);
    EXPECT_EQ(canvas->Font().Color(), text);

    TPixels expected(80, 100);
    TDCCanvas expectedCanvas(expected.DC());
    expectedCanvas->Font().SetColor(text);
    expectedCanvas->Brush().SetStyle(bsClear);
    RECT higher{0, 9, 80, 89};
    if (c.Rotated) DrawRotatedText(expectedCanvas->Handle(), L"Xylophone", higher, format);
    else expectedCanvas->DrawText(L"Xylophone", higher, format);
    EXPECT_SAME_PIXELS(pixels, expected);
    bool colourPresent = false;
    for (int y = 0; y < 100 && !colourPresent; ++y)
      for (int x = 0; x < 80 && !colourPresent; ++x) colourPresent = pixels.At(x, y) == Resolved(text);
    EXPECT_TRUE(colourPresent);
  }
}

// An image list of the item framework that records how it was asked to draw.
class TRecordingImageList : public TTBCustomImageList {
 public:
  using TTBCustomImageList::TTBCustomImageList;
  void DrawState(TCanvas&, int X, int Y, int Index, bool Enabled, bool Selected, bool Checked) override {
    Calls.push_back({X, Y, Index, Enabled, Selected, Checked});
  }
  struct TCall {
    int X, Y, Index;
    bool Enabled, Selected, Checked;
    bool operator==(const TCall&) const = default;
  };
  std::vector<TCall> Calls;
};

TEST_F(IdePainting, ImageListsOfTheFrameworkDrawTheirOwnStates) {
  TRecordingImageList images(nullptr);
  TPixels pixels(20, 20);
  TDCCanvas canvas(pixels.DC());
  TTBXItemInfo info = MakeItemInfo(vkPopupMenu, 0, true, 2, false, true);
  theme->PaintImage(*canvas, {3, 4, 19, 20}, info, &images, 5);
  info = MakeItemInfo(vkPopupMenu, 0, false, 0);
  theme->PaintImage(*canvas, {3, 4, 19, 20}, info, &images, 6);
  EXPECT_EQ(images.Calls, (std::vector<TRecordingImageList::TCall>{{3, 4, 5, true, true, true},
                                                                  {3, 4, 6, false, false, false}}));
  EXPECT_TRUE(pixels.UntouchedOutside({0, 0, 0, 0}));
}

enum class TImageRoutine { Tinted, Plain, LightOnDark, Effect, Silhouette };

struct TImageCase {
  const char* What;
  int Kind;
  bool Enabled;
  uint8_t Hover;
  bool Pushed, Checked;
  bool HighContrast;  // a black window: hot bodies and list popups are dark
  int Depth;
  TImageRoutine Routine;
  POINT Offset;
};

class IdeImages : public IdePainting, public testing::WithParamInterface<TImageCase> {
 protected:
  void SetUp() override {
    if (GetParam().HighContrast) settings.Colors = tbx_test::HighContrastScheme().Colors;
    settings.Depth = GetParam().Depth;
    IdePainting::SetUp();
  }
};

TEST_P(IdeImages, EachStateHasItsRoutine) {
  const TImageCase& c = GetParam();
  EXPECT_EQ(PlainColorMode, c.Depth < 12);
  auto images = tbx_test::OneRowImage({RGB(0x20, 0x40, 0x80), RGB(0xF0, 0xF0, 0xF0), tbx_test::kMask, RGB(200, 30, 30)});
  TTBXItemInfo info = MakeItemInfo(c.Kind, 0, c.Enabled, c.Hover, c.Pushed, c.Checked);
  const RECT r{4, 4, 8, 5};
  TPixels pixels(12, 8);
  pixels.Fill(RGB(0x80, 0x90, 0xA0));
  TDCCanvas canvas(pixels.DC());
  theme->PaintImage(*canvas, r, info, images.get(), 0);

  TPixels expected(12, 8);
  expected.Fill(RGB(0x80, 0x90, 0xA0));
  TDCCanvas expectedCanvas(expected.DC());
  RECT at = r;
  OffsetRect(&at, c.Offset.x, c.Offset.y);
  switch (c.Routine) {
    case TImageRoutine::Tinted: DrawImageTinted(*expectedCanvas, at, *images, 0, clWindow, 255); break;
    case TImageRoutine::Plain: DrawImageBlended(*expectedCanvas, at, *images, 0, false); break;
    case TImageRoutine::LightOnDark: DrawImageBlended(*expectedCanvas, at, *images, 0, true); break;
    case TImageRoutine::Effect: DrawImageEffect(*expectedCanvas, at, *images, 0, 0); break;
    case TImageRoutine::Silhouette: DrawImageSilhouette(*expectedCanvas, at, *images, 0, clBtnShadow); break;
  }
  EXPECT_SAME_PIXELS(pixels, expected);
  TPixels background(12, 8);
  background.Fill(RGB(0x80, 0x90, 0xA0));
  EXPECT_TRUE(FirstDifference(pixels, background));
}

const TImageCase kImageCases[] = {
    {"normal", vkPopupMenu, true, 0, false, false, false, 24, TImageRoutine::Tinted, {0, 0}},
    {"normal_plain_colours", vkPopupMenu, true, 0, false, false, false, 8, TImageRoutine::Plain, {0, 0}},
    {"hot", vkPopupMenu, true, 2, false, false, false, 24, TImageRoutine::Plain, {-1, -1}},
    {"checked", vkPopupMenu, true, 0, false, true, false, 24, TImageRoutine::Plain, {0, 0}},
    {"pushed", vkToolbar, true, 2, true, false, false, 24, TImageRoutine::Plain, {0, 0}},
    {"disabled", vkPopupMenu, false, 0, false, false, false, 24, TImageRoutine::Effect, {0, 0}},
    {"hot_on_dark", vkPopupMenu, true, 2, false, false, true, 24, TImageRoutine::LightOnDark, {-1, -1}},
    {"normal_on_dark", vkListPopup, true, 0, false, false, true, 24, TImageRoutine::LightOnDark, {0, 0}},
    {"disabled_selected_on_dark", vkPopupMenu, false, 1, false, false, true, 24, TImageRoutine::Silhouette, {0, 0}},
    {"disabled_on_light", vkPopupMenu, false, 0, false, false, true, 24, TImageRoutine::Effect, {0, 0}},
};

INSTANTIATE_TEST_SUITE_P(States, IdeImages, testing::ValuesIn(kImageCases),
                         [](const auto& info) { return std::string(info.param.What); });

// --- button faces ------------------------------------------------------------------------------------

TEST_F(IdePainting, ButtonFacesOfToolbarStyleItems) {
  const RECT r{0, 0, 24, 22};
  struct TFacePixels : TPixels {
    TFacePixels(TTBXTheme& Theme, const RECT& R, const TTBXItemInfo& Info) : TPixels(24, 22) {
      TDCCanvas canvas(DC());
      Theme.PaintButton(*canvas, R, Info);
    }
  };
  auto facePixels = [&](const TTBXItemInfo& Info) { return TFacePixels(*theme, r, Info); };
  // A hot toolbar-style item of an edit item's popup: frame and body, its last row left alone.
  const TTBXItemInfo hot = MakeItemInfo(vkToolBoxPopup, iifToolbarStyle, true, 2);
  TPixels expected(24, 22);
  tbx::FillSolidRect(expected.DC(), {0, 0, 24, 21}, Resolved(theme->GetBtnColor(hot, ipFrame)));
  tbx::FillSolidRect(expected.DC(), {1, 1, 23, 20}, Resolved(theme->GetBtnColor(hot, ipBody)));
  EXPECT_SAME_PIXELS(facePixels(hot), expected);

  // An item in design mode is outlined in red and not filled.
  const TTBXItemInfo designing = MakeItemInfo(vkToolbar, iifToolbarStyle | iifDesigning, true, 0);
  const TFacePixels design = facePixels(designing);
  EXPECT_EQ(Hex(design.At(0, 0)), Hex(RGB(255, 0, 0)));
  EXPECT_EQ(Hex(design.At(23, 20)), Hex(RGB(255, 0, 0)));
  EXPECT_EQ(design.At(5, 21), kSentinel);
  EXPECT_EQ(design.At(5, 5), kSentinel);

  // The arrow half of a split item carries the drop-down arrow.
  TTBXItemInfo arrow = MakeItemInfo(vkToolbar, iifToolbarStyle, true, 2);
  arrow.ButtonPart = 3;
  TFacePixels withArrow = facePixels(arrow);
  TPixels arrowAlone(24, 22);
  {
    TDCCanvas canvas(arrowAlone.DC());
    theme->PaintDropDownArrow(*canvas, {0, 1, 23, 20}, arrow);
  }
  const COLORREF text = Resolved(theme->GetPartColor(arrow, ipText));
  for (int y = 0; y < 22; ++y)
    for (int x = 0; x < 24; ++x)
      if (arrowAlone.At(x, y) != kSentinel) {
        EXPECT_EQ(withArrow.At(x, y), text) << x << ", " << y;
      }
  // Its left border is the button half's.
  EXPECT_EQ(Hex(withArrow.At(0, 10)), Hex(Resolved(theme->GetBtnColor(arrow, ipBody))));
}

TEST_F(IdePainting, AHotMenuBarItemHasItsOwnGradientAndOutlines) {
  const TTBXItemInfo info = MakeItemInfo(vkMenuBar, iifToolbarStyle, true, 2);
  TPixels pixels(30, 21);
  TDCCanvas canvas(pixels.DC());
  theme->PaintButton(*canvas, {0, 0, 30, 21}, info);
  EXPECT_EQ(Hex(pixels.At(0, 0)), Hex(kWhite));
  EXPECT_EQ(Hex(pixels.At(29, 19)), Hex(kWhite));
  EXPECT_EQ(Hex(pixels.At(1, 1)), Hex(RGB(0x29, 0x99, 0xFF)));
  EXPECT_EQ(Hex(pixels.At(28, 18)), Hex(RGB(0x29, 0x99, 0xFF)));
  TPixels gradient(30, 21);
  GradientFill(gradient.DC(), {1, 1, 29, 19}, RGB(0xEA, 0xF7, 0xFC), RGB(0x92, 0xCA, 0xE6), tgTopBottom);
  EXPECT_EQ(ColumnSpan(pixels, 15, 2, 18), ColumnSpan(gradient, 15, 2, 18));
  EXPECT_TRUE(pixels.UntouchedOutside({0, 0, 30, 20}));
}

// --- glyphs -------------------------------------------------------------------------------------------

TEST_F(IdePainting, MDIButtonsShowTheGlyphsOfTheResource) {
  TBitmap strip;
  strip.LoadFromResourceName(GetModuleHandleW(nullptr), L"TBXGLYPHS");
  ASSERT_EQ(strip.Height(), 16);
  const TTBXItemInfo info = MakeItemInfo(vkMenuBar, iifToolbarStyle, true, 0);
  const COLORREF text = Resolved(theme->GetPartColor(info, ipText));
  struct TCase {
    UINT Kind;
    int Glyph;  // -1: none
  } cases[] = {{DFCS_CAPTIONCLOSE, 0}, {DFCS_CAPTIONMIN, 2}, {DFCS_CAPTIONRESTORE, 3}, {DFCS_CAPTIONMAX, -1}};
  for (const TCase& c : cases) {
    TPixels button(20, 20), pixels(20, 20);
    {
      TDCCanvas canvas(button.DC());
      theme->PaintButton(*canvas, {0, 0, 20, 20}, info);
    }
    TDCCanvas canvas(pixels.DC());
    theme->PaintMDIButton(*canvas, {0, 0, 20, 20}, info, c.Kind);
    int ink = 0;
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x) {
        // The 16-pixel cell is centred: it starts at 2, 2.
        const int gx = x - 2, gy = y - 2;
        const bool glyph = c.Glyph >= 0 && gx >= 0 && gx < 16 && gy >= 0 && gy < 16 &&
                           (strip.ScanLine(gy)[c.Glyph * 16 + gx] & 0xFFFFFF) != 0xFFFFFF;
        ink += glyph;
        EXPECT_EQ(Hex(pixels.At(x, y)), Hex(glyph ? text : button.At(x, y))) << c.Kind << ": " << x << ", " << y;
      }
    EXPECT_EQ(ink > 0, c.Glyph >= 0) << c.Kind;
  }
}

// --- settings and lasting effects ---------------------------------------------------------------------

// A popup of every kind of item the menus show, painted as the popup paints it.
void PaintPopup(TTBXTheme& Theme, TPixels& Pixels) {
  TDCCanvas canvas(Pixels.DC());
  TTBXItemInfo items[] = {MenuItem(kColumn), HotMenuItem(kColumn), MenuItem(kColumn, iifHasSubitems),
                          MenuItem(kColumn, iifSplit), MenuItem(kColumn), MakeItemInfo(vkPopupMenu, 0, false, 1),
                          MenuItem(kColumn, iifRadio), MenuItem(kColumn)};
  items[4].ItemChecked = items[6].ItemChecked = true;
  items[5].ImageColumnWidth = kColumn;
  const RECT all{0, 0, kW, 8 * kH};
  Theme.PaintBackgnd(*canvas, all, all, all, Theme.GetViewColor(vkPopupMenu), false, vkPopupMenu);
  for (int i = 0; i < 8; ++i) {
    const RECT r{0, i * kH, kW, (i + 1) * kH};
    if (i == 7) {
      Theme.PaintSeparator(*canvas, r, items[i], true, false);
      continue;
    }
    Theme.PaintMenuItem(*canvas, r, items[i]);
    if (items[i].ItemChecked) Theme.PaintCheckMark(*canvas, {2, r.top, 2 + kColumn, r.bottom}, items[i]);
    canvas->Font().SetColor(Theme.GetItemTextColor(items[i]));
    Theme.PaintCaption(*canvas, {kColumn + 10, r.top, kW, r.bottom}, items[i], L"&Item", DT_SINGLELINE | DT_VCENTER,
                       false);
  }
}

struct TPopupPixels : TPixels {
  explicit TPopupPixels(TTBXTheme& Theme) : TPixels(kW, 8 * kH) { PaintPopup(Theme, *this); }
};

TEST_F(IdePainting, MenusLookTheSameWithAndWithoutFlatMenus) {
  settings.Flat = true;
  SendToManager(WM_SYSCOLORCHANGE);
  ASSERT_TRUE(FlatMenusInUse);
  const TPopupPixels flat(*theme);
  settings.Flat = false;
  SendToManager(WM_SYSCOLORCHANGE);
  ASSERT_FALSE(FlatMenusInUse);
  const TPopupPixels classic(*theme);
  EXPECT_SAME_PIXELS(flat, classic);
}

TEST_F(IdePainting, SwitchesAndPaintsLeaveNoGdiObjectBehind) {
  ASSERT_NE(NexusInstance, nullptr);
  // The holder alone makes and frees the Ide theme from here on.
  TTBXTheme* held = std::exchange(theme, nullptr);
  ReleaseThemeInstance(held);
  // Once round first, so that whatever is made once per process already exists.
  NexusSelectTheme(L"Ide");
  TPopupPixels warmUp(*ActiveTheme);
  NexusSelectTheme(L"Default");
  const long objects = gdi::LiveObjects();
  const gdi_census::TMark census;
  for (int i = 0; i < 100; ++i) NexusSelectTheme(i % 2 ? L"Default" : L"Ide");
  EXPECT_EQ(NexusThemeName(), L"Default");
  EXPECT_EQ(gdi::LiveObjects(), objects);
  EXPECT_TRUE(census.NothingLeft());

  NexusSelectTheme(L"Ide");
  {
    TPixels pixels(kW, kH);
    TDCCanvas canvas(pixels.DC());
    const TTBXItemInfo items[] = {MenuItem(kColumn), HotMenuItem(kColumn, iifHasSubitems),
                                  MenuItem(kColumn, iifSplit), MakeItemInfo(vkPopupMenu, 0, false, 1)};
    auto paint = [&](int I) {
      const TTBXItemInfo& item = items[I % 4];
      ActiveTheme->PaintMenuItem(*canvas, kItem, item);
      ActiveTheme->PaintCaption(*canvas, kItem, item, L"Item", DT_SINGLELINE, false);
    };
    // The canvas makes its font and brush at its first text.
    paint(0);
    const long painting = gdi::LiveObjects();
    const gdi_census::TMark paintingCensus;
    for (int i = 0; i < 1000; ++i) paint(i);
    EXPECT_EQ(gdi::LiveObjects(), painting);
    EXPECT_TRUE(paintingCensus.NothingLeft());
  }
  NexusSelectTheme(L"Default");
  EXPECT_EQ(gdi::LiveObjects(), objects);
  EXPECT_TRUE(census.NothingLeft());
}

}  // namespace

namespace {

// --- every operation -------------------------------------------------------------------------------

TEST_F(IdePainting, EveryOperationPaintsAndLeavesNoGdiObjectBehind) {
  TPixels pixels(120, 80);
  TDCCanvas canvas(pixels.DC());
  auto images = tbx_test::OneRowImage({RGB(0x20, 0x40, 0x80), RGB(200, 30, 30)});
  const RECT r{0, 0, 120, 80};
  const TTBXItemInfo hot = HotMenuItem(kColumn, iifHasSubitems | iifSplit);
  TTBXItemInfo toolbar = MakeItemInfo(vkToolbar | vkRaisedItems, iifToolbarStyle, true, 2, false, true);
  toolbar.ButtonPart = 3;
  TTBXToolbarInfo bar{};
  bar.ViewKind = vkNormalToolbar;
  bar.AllowDrag = true;
  bar.DragHandleStyle = dhDouble;
  bar.ClientWidth = 100;
  bar.ClientHeight = 24;
  bar.BorderSize = {2, 2};
  bar.CloseButtonState = cbsVisible | cbsHot;
  bar.CloseButtonWhenDocked = true;
  TTBXDockPanelInfo panel{};
  panel.ViewKind = vkDockPanel;
  panel.BorderSize = {2, 2, 2, 2};
  panel.ShowCaption = true;
  panel.CloseButtonState = cbsVisible;
  panel.Caption = L"Panel";
  TTBXWindowInfo window{};
  window.ViewKind = vkToolbar | vkFloating;
  window.ClientWidth = 100;
  window.ClientHeight = 50;
  window.BorderSize = {3, 3};
  window.ShowCaption = true;
  window.Active = true;
  window.CloseButtonState = cbsVisible | cbsPressed;
  window.Caption = L"Tools";
  TTBXEditInfo edit{};
  edit.RightButtonWidth = 14;
  edit.RightButton = {ebtSpin, ebsHot | ebsDownPressed};
  TTBXPopupInfo popup{};
  popup.ViewKind = vkPopupMenu;
  struct TOperation {
    const char* Name;
    std::function<void()> Paint;
  } operations[] = {
      {"PaintBackgnd", [&] { theme->PaintBackgnd(*canvas, r, r, r, clWindow, false, vkNormalToolbar); }},
      {"PaintButton", [&] { theme->PaintButton(*canvas, r, toolbar); }},
      {"PaintCaption", [&] { theme->PaintCaption(*canvas, r, hot, L"&Caption", DT_SINGLELINE, true); }},
      {"PaintCheckMark", [&] { theme->PaintCheckMark(*canvas, r, hot); }},
      {"PaintChevron", [&] { theme->PaintChevron(*canvas, r, toolbar); }},
      {"PaintEditFrame", [&] { theme->PaintEditFrame(*canvas, r, hot, edit); }},
      {"PaintEditButton", [&] { theme->PaintEditButton(*canvas, r, hot, {ebtDropDown, ebsPressed}); }},
      {"PaintDock", [&] { theme->PaintDock(*canvas, r, r, 0); }},
      {"PaintDockPanelNCArea", [&] { theme->PaintDockPanelNCArea(*canvas, r, panel); }},
      {"PaintDropDownArrow", [&] { theme->PaintDropDownArrow(*canvas, r, toolbar); }},
      {"PaintFloatingBorder", [&] { theme->PaintFloatingBorder(*canvas, r, window); }},
      {"PaintFrame", [&] { theme->PaintFrame(*canvas, r, hot); }},
      {"PaintImage", [&] { theme->PaintImage(*canvas, {4, 4, 20, 20}, hot, images.get(), 0); }},
      {"PaintMDIButton", [&] { theme->PaintMDIButton(*canvas, r, toolbar, DFCS_CAPTIONRESTORE); }},
      {"PaintMenuItem", [&] { theme->PaintMenuItem(*canvas, r, hot); }},
      {"PaintMenuItemFrame", [&] { theme->PaintMenuItemFrame(*canvas, r, hot); }},
      {"PaintPageScrollButton", [&] { theme->PaintPageScrollButton(*canvas, r, 4, true); }},
      {"PaintPopupNCArea", [&] { theme->PaintPopupNCArea(*canvas, r, popup); }},
      {"PaintSeparator", [&] { theme->PaintSeparator(*canvas, r, hot, true, false); }},
      {"PaintToolbarNCArea", [&] { theme->PaintToolbarNCArea(*canvas, r, bar); }},
      {"PaintFrameControl", [&] { theme->PaintFrameControl(*canvas, {0, 0, 13, 13}, 2, 0x01 | 0x08, nullptr); }},
      {"PaintStatusBar", [&] { theme->PaintStatusBar(*canvas, r, 3); }},
  };
  // Every operation once first: the canvas makes its font and brush at its first text.
  for (const TOperation& op : operations) op.Paint();
  for (const TOperation& op : operations) {
    // Counted with the canvas's own font, brush and pen in the DC, before and after.
    canvas->Handle();
    const COLORREF text = GetTextColor(pixels.DC()), back = GetBkColor(pixels.DC());
    const HGDIOBJ bitmap = GetCurrentObject(pixels.DC(), OBJ_BITMAP);
    const long objects = gdi::LiveObjects();
    const gdi_census::TMark census;
    pixels.Fill(kSentinel);
    op.Paint();
    canvas->Handle();
    EXPECT_EQ(gdi::LiveObjects(), objects) << op.Name;
    EXPECT_TRUE(census.NothingLeft()) << op.Name;
    EXPECT_FALSE(pixels.UntouchedOutside({0, 0, 0, 0})) << op.Name;  // it painted something
    // The DC keeps its bitmap and the canvas's colours (the canvas may make its font, brush and
    // pen anew where an operation changed and restored them).
    EXPECT_EQ(GetCurrentObject(pixels.DC(), OBJ_BITMAP), bitmap) << op.Name;
    EXPECT_EQ(GetTextColor(pixels.DC()), text) << op.Name;
    EXPECT_EQ(GetBkColor(pixels.DC()), back) << op.Name;
  }
}

}  // namespace
