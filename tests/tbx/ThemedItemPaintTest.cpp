// Themed viewers paint through the theme: which calls they make, in which rectangles, with
// which item state, in both looks; and the themed separator.
#include "ThemedItemsTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tbx_test;
using testing_support::PumpMessages;

namespace {

using TOps = std::vector<std::string>;

// The item state every viewer of a view of this kind starts from.
TTBXItemInfo BaseInfo(int ViewKind, int Flags) {
  TTBXItemInfo info{};
  info.ViewKind = ViewKind;
  info.Flags = Flags | (ApplicationIsActive() ? iifAppActive : 0);
  info.ItemEnabled = true;
  return info;
}

// Records what an item's events are handed.
struct TEventSpy : TObject {
  std::vector<int> AdjustFlags;
  struct TImage {
    RECT Rect;
    POINT Offset;
    int StateFlags;
  };
  std::vector<TImage> Images;
  void Adjust(TTBCustomItem*, TTBItemViewer*, TFont& Font, int StateFlags) {
    AdjustFlags.push_back(StateFlags);
    Font.SetStyle(Font.Style() | fsUnderline);
  }
  void Draw(TTBCustomItem*, TTBItemViewer*, TCanvas&, RECT ImageRect, POINT ImageOffset, int StateFlags) {
    Images.push_back({ImageRect, ImageOffset, StateFlags});
  }
};

class ThemedItemPaint : public ThemedItemsTest {
 protected:
  // Paints the viewer into a bitmap of its size with the theme's record emptied first.
  RECT Paint(TTBItemViewer* Viewer, bool Selected, bool Pushed = false) {
    Viewer->View()->ValidatePositions();
    const RECT& b = Viewer->BoundsRect;
    const RECT client{0, 0, b.right - b.left, b.bottom - b.top};
    TPixels pixels(client.right, client.bottom);
    TDCCanvas canvas(pixels.DC());
    theme->Calls.clear();
    Viewer->Paint(*canvas, client, Selected, Pushed, false);
    return client;
  }
  // R inside the theme's menu-item margins.
  RECT InsideMenuMargins(const RECT& R) const {
    const TTBXMargins& m = theme->MenuMargins;
    return {R.left + m.Left, R.top + m.Top, R.right - m.Right, R.bottom - m.Bottom};
  }
};

// Where a popup line's text goes: after the image column, one pixel shorter when the line is
// exactly the text plus the bottom margin high, below the external leading.
RECT PopupTextRect(RECT R, int Left, int Width, const TEXTMETRICW& TM, int BottomMargin) {
  if ((R.bottom - R.top) - (TM.tmHeight + TM.tmExternalLeading) == BottomMargin) --R.bottom;
  R.top += TM.tmExternalLeading;
  R.left = Left;
  R.right = Left + Width;
  return R;
}

RECT Centered(const RECT& R, int W, int H) {
  const int left = R.left + (R.right - R.left - W) / 2, top = R.top + (R.bottom - R.top - H) / 2;
  return {left, top, left + W, top + H};
}

}  // namespace

TEST_F(ThemedItemPaint, APopupItemPaintsItsLineCaptionShortcutAndImageThroughTheTheme) {
  TTBXItem* item = Make(L"&Open");
  item->SetShortCut(ShortCut('O', ssCtrl));
  item->SetImages(Images(16, 16));
  item->SetImageIndex(0);
  TTBXPopupWindow* window = HiddenPopup();
  auto* viewer = static_cast<TTBXItemViewer*>(window->View()->Find(item));
  const RECT client = Paint(viewer, true);

  ASSERT_EQ(theme->Ops(), (TOps{"PaintMenuItem", "PaintCaption", "PaintCaption", "PaintImage"}));
  TTBXItemInfo info = BaseInfo(vkPopupMenu, 0);
  info.Hover = 2;
  info.HasImage = true;
  info.GlyphWidth = info.GlyphHeight = 16;
  info.ImageColumnWidth = viewer->GetImageColumnWidth();
  const TThemeCall line = theme->Calls[0];
  EXPECT_EQ(line.Rect, client);
  EXPECT_EQ(line.Info, info);

  const TFont& font = window->View()->GetFont();
  const TEXTMETRICW tm = MetricsOf(font);
  const RECT r = InsideMenuMargins(client);
  const TThemeCall caption = theme->Calls[1];
  EXPECT_EQ(caption.Text, String(L"&Open"));
  EXPECT_EQ(caption.Format, UINT(DT_SINGLELINE | DT_VCENTER));
  EXPECT_FALSE(caption.Rotated);
  const int textLeft = r.left + M(tmMenuImageMargin) + info.ImageColumnWidth + M(tmMenuImageTextSpace);
  EXPECT_EQ(caption.Rect, PopupTextRect(r, textLeft, TextSizeIn(font, L"&Open", DT_SINGLELINE).cx, tm,
                                        theme->MenuMargins.Bottom));
  EXPECT_EQ(caption.FontSize, 8);
  EXPECT_EQ(caption.FontColor, theme->TextColor);
  EXPECT_EQ(caption.Info, info);

  const TThemeCall shortcut = theme->Calls[2];
  EXPECT_EQ(shortcut.Text, String(L"Ctrl+O"));
  const int shortcutWidth = TextSizeIn(font, L"Ctrl+O", DT_SINGLELINE).cx;
  RECT expected = PopupTextRect(r, r.right - (r.bottom - r.top) - shortcutWidth, 0, tm, theme->MenuMargins.Bottom);
  expected.right = r.right;
  EXPECT_EQ(shortcut.Rect, expected);
  EXPECT_EQ(shortcut.FontColor, theme->TextColor);

  // The image, centred in a square column as wide as the line is high.
  const TThemeCall image = theme->Calls[3];
  EXPECT_EQ(image.Rect, Centered({r.left, r.top, r.left + client.bottom, r.bottom}, 16, 16));
  EXPECT_EQ(image.ImageIndex, 0);
  EXPECT_EQ(image.Info, info);
}

TEST_F(ThemedItemPaint, HoverTellsSelectionEnabledStateAndTheMouse) {
  TTBXItem* item = Make(L"Item");
  Make(L"Other");
  TPopupHolder popup = ShowPopup();
  TTBView* view = popup->View();
  TTBItemViewer* viewer = view->Find(item);
  POINT centre{(viewer->BoundsRect.left + viewer->BoundsRect.right) / 2,
               (viewer->BoundsRect.top + viewer->BoundsRect.bottom) / 2};
  ClientToScreen(popup->Handle(), &centre);
  struct TCase {
    const char* what;
    bool selected, enabled, mouseOver;
    uint8_t hover;
  } cases[] = {
      {"not selected", false, true, false, 0},
      {"selected with the keyboard", true, true, false, 2},
      {"selected under the mouse", true, true, true, 2},
      {"disabled, selected with the keyboard", true, false, false, 1},
      {"disabled, selected under the mouse", true, false, true, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    item->SetEnabled(c.enabled);
    view->SetSelected(nullptr);
    if (c.mouseOver)
      SetCursorPos(centre.x, centre.y);
    else
      SetCursorPos(1, 1);
    PumpMessages();
    view->Select(viewer, c.mouseOver);
    ASSERT_EQ(view->MouseOverSelected(), c.mouseOver);
    Paint(viewer, c.selected);
    const TThemeCall line = theme->CallsOf("PaintMenuItem").at(0);
    EXPECT_EQ(line.Info.Hover, c.hover);
    EXPECT_EQ(line.Info.ItemEnabled, c.enabled);
  }
  SetCursorPos(1, 1);
}

TEST_F(ThemedItemPaint, ACheckedPopupItemWithoutImageGetsACheckOrRadioMarkInASquareColumn) {
  TTBXItem* check = Make(L"Check");
  check->SetChecked(true);
  TTBXItem* radio = Make(L"Radio");
  radio->SetRadioItem(true);
  radio->SetChecked(true);
  TTBXItem* plain = Make(L"Plain");
  TTBView* view = HiddenPopup()->View();
  struct TCase {
    TTBXItem* item;
    bool marked;
    int flags;
  } cases[] = {{check, true, 0}, {radio, true, iifRadio}, {plain, false, 0}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.item->Caption().begin(), c.item->Caption().end()));
    auto* viewer = static_cast<TTBXItemViewer*>(view->Find(c.item));
    const RECT client = Paint(viewer, false);
    const std::vector<TThemeCall> marks = theme->CallsOf("PaintCheckMark");
    ASSERT_EQ(marks.size(), c.marked ? 1u : 0u);
    EXPECT_EQ(theme->CallsOf("PaintImage").size(), 0u);
    if (!c.marked) continue;
    const RECT r = InsideMenuMargins(client);
    EXPECT_EQ(marks[0].Rect, (RECT{r.left, r.top, r.left + client.bottom, r.bottom}));
    TTBXItemInfo info = BaseInfo(vkPopupMenu, c.flags);
    info.ItemChecked = true;
    info.ImageColumnWidth = viewer->GetImageColumnWidth();
    EXPECT_EQ(marks[0].Info, info);
    // Only the mark is told it is a radio item.
    EXPECT_EQ(theme->CallsOf("PaintMenuItem").at(0).Info.Flags & iifRadio, 0);
  }
}

TEST_F(ThemedItemPaint, ASplitItemPaintsItsButtonAndArrowHalvesPushedWhereThePressWas) {
  auto* item = Make<TTBXSubmenuItem>(L"Split");
  item->SetDropdownCombo(true);
  Make(L"Inside", item);
  TTBView* view = ToolbarView();
  TTBItemViewer* viewer = view->Find(item);
  struct TCase {
    const char* what;
    bool pushed, capture, checked;
    bool buttonPushed, arrowPushed;
  } cases[] = {
      {"pressed on the arrow", true, false, false, false, true},
      {"pressed on the button", true, true, false, true, false},
      {"checked, not pressed", false, false, true, false, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    item->SetChecked(c.checked);
    if (c.capture) view->SetCapture();
    const RECT client = Paint(viewer, true, c.pushed);
    view->CancelCapture();
    const std::vector<TThemeCall> buttons = theme->CallsOf("PaintButton");
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_TRUE(theme->CallsOf("PaintDropDownArrow").empty());
    const int arrow = M(tmSplitArrowWidth);
    TTBXItemInfo info = BaseInfo(0, iifToolbarStyle | iifSplit | iifHasSubitems);
    info.Hover = 2;
    info.OpensPopup = c.arrowPushed;
    info.ButtonPart = 2;
    info.ItemPushed = c.buttonPushed;
    info.ItemChecked = c.checked;
    info.ImageColumnWidth = static_cast<TTBXItemViewer*>(viewer)->GetImageColumnWidth();
    EXPECT_EQ(buttons[0].Rect, (RECT{0, 0, client.right - arrow, client.bottom}));
    EXPECT_EQ(buttons[0].Info, info);
    info.ButtonPart = 3;
    info.ItemPushed = c.arrowPushed;
    info.ItemChecked = false;
    EXPECT_EQ(buttons[1].Rect, (RECT{client.right - arrow, 0, client.right, client.bottom}));
    EXPECT_EQ(buttons[1].Info, info);
    // The caption is told the item's own state again.
    const TThemeCall caption = theme->CallsOf("PaintCaption").at(0);
    EXPECT_EQ(caption.Info.ButtonPart, 2);
    EXPECT_EQ(caption.Info.ItemChecked, c.checked);
  }
}

TEST_F(ThemedItemPaint, ADropDownToolbarItemPaintsItsArrowAtTheFarEndAndCentresItsCaptionBeforeIt) {
  auto* item = Make<TTBXSubmenuItem>(L"Colour");
  item->SetOptions(tboDropdownArrow);
  Make(L"Red", item);
  TTBView* view = ToolbarView();
  TTBItemViewer* viewer = view->Find(item);
  const RECT client = Paint(viewer, false);
  ASSERT_EQ(theme->Ops(), (TOps{"PaintButton", "PaintDropDownArrow", "PaintCaption"}));
  const int width = M(tmDropDownArrowWidth), margin = M(tmDropDownArrowMargin);
  EXPECT_EQ(theme->Calls[0].Rect, client);
  EXPECT_EQ(theme->Calls[0].Info.ButtonPart, 1);
  EXPECT_EQ(theme->Calls[1].Rect, (RECT{client.right - width - margin, 0, client.right - margin, client.bottom}));
  const SIZE text = TextSizeIn(view->GetFont(), L"Colour", 0);
  EXPECT_EQ(theme->Calls[2].Rect, Centered({2, 2, client.right - width - 2, client.bottom - 2}, text.cx, text.cy));
  EXPECT_EQ(theme->Calls[2].Format, UINT(DT_CENTER | DT_VCENTER));
}

TEST_F(ThemedItemPaint, TextOnlyInMenusShowsTheImageOnToolbarsOnly) {
  TTBXItem* item = Make(L"Print");
  item->SetImages(Images(16, 16));
  item->SetImageIndex(0);
  item->SetDisplayMode(nbdmTextOnlyInMenus);
  for (bool toolbar : {false, true}) {
    SCOPED_TRACE(toolbar ? "toolbar" : "popup");
    TTBView* view = toolbar ? ToolbarView() : HiddenPopup()->View();
    Paint(view->Find(item), false);
    const std::vector<TThemeCall> images = theme->CallsOf("PaintImage");
    EXPECT_EQ(images.size(), toolbar ? 1u : 0u);
    const TThemeCall first = theme->Calls.at(0);
    EXPECT_EQ(first.Info.HasImage, toolbar);
    EXPECT_EQ(first.Info.GlyphWidth, toolbar ? 16 : 0);
  }
}

TEST_F(ThemedItemPaint, FontSettingsAndTheAdjustEventShapeTheCaptionFont) {
  TEventSpy spy;
  TTBXItem* item = Make(L"Big");
  item->FontSettings().SetSize(150);
  item->FontSettings().SetBold(tsTrue);
  item->FontSettings().SetColor(clRed);
  item->OnAdjustFont = TAdjustFontEvent(&spy, &TEventSpy::Adjust);
  item->SetEnabled(false);
  item->SetChecked(true);
  TTBView* view = HiddenPopup()->View();
  ASSERT_EQ(view->GetFont().Size(), 8);
  spy.AdjustFlags.clear();  // measuring adjusts with no state
  Paint(view->Find(item), false);
  const TThemeCall caption = theme->CallsOf("PaintCaption").at(0);
  EXPECT_EQ(caption.FontSize, 12) << "(8 * 150 + 50) div 100";
  EXPECT_EQ(caption.FontStyle, TFontStyles{fsBold | fsUnderline});
  EXPECT_EQ(caption.FontColor, clRed) << "the settings' colour wins over the theme's";
  ASSERT_FALSE(spy.AdjustFlags.empty());
  for (int flags : spy.AdjustFlags) EXPECT_EQ(flags, isfDisabled | isfChecked);
  EXPECT_FALSE(caption.Info.ItemEnabled);
}

TEST_F(ThemedItemPaint, TheDrawImageEventFollowsTheThemesImageAndAnIndexOutsideTheListPaintsNothing) {
  TEventSpy spy;
  TTBXItem* item = Make(L"Picture");
  item->SetImages(Images(16, 16));
  item->OnDrawImage = TDrawImageEvent(&spy, &TEventSpy::Draw);
  TTBView* view = HiddenPopup()->View();
  item->SetImageIndex(0);
  Paint(view->Find(item), true);
  const std::vector<TThemeCall> images = theme->CallsOf("PaintImage");
  ASSERT_EQ(images.size(), 1u);
  ASSERT_EQ(spy.Images.size(), 1u);
  EXPECT_EQ(spy.Images[0].Rect, images[0].Rect);
  EXPECT_EQ(spy.Images[0].Offset.x, theme->ImageOffset.x);
  EXPECT_EQ(spy.Images[0].Offset.y, theme->ImageOffset.y);
  EXPECT_EQ(spy.Images[0].StateFlags, isfHot);

  item->SetImageIndex(5);
  Paint(view->Find(item), true);
  EXPECT_TRUE(theme->CallsOf("PaintImage").empty());
  EXPECT_EQ(spy.Images.size(), 1u);
}

TEST_F(ThemedItemPaint, SeparatorsPaintTheirLineAcrossOrAlongAsTheirViewRuns) {
  enum TWhere { kPopup, kBar, kVerticalBar, kChevron };
  struct TCase {
    const char* what;
    TWhere where;
    int size;
    bool blank, rowEnd;
    bool painted, horizontal;
  } cases[] = {
      {"popup", kPopup, -1, false, false, true, true},
      {"popup, no size", kPopup, 0, false, false, false, false},
      {"popup, blank", kPopup, -1, true, false, true, true},
      {"toolbar", kBar, -1, false, false, true, false},
      {"toolbar, a row's end", kBar, -1, false, true, true, true},
      {"vertical toolbar", kVerticalBar, 3, false, false, true, true},
      {"chevron popup", kChevron, -1, false, false, true, false},
      {"chevron popup, a row's end", kChevron, -1, false, true, true, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    root->Clear();
    auto* separator = new TTBXSeparatorItem(owner);
    root->Add(separator);
    separator->SetSize(c.size);
    separator->SetBlank(c.blank);
    TTBView* view = nullptr;
    switch (c.where) {
      case kPopup: view = HiddenPopup()->View(); break;
      case kBar: view = ToolbarView(); break;
      case kVerticalBar: view = ToolbarView(0, tbvoVertical); break;
      case kChevron: view = (new TTBXChevronPopupWindow(views, nullptr, root, false))->View(); break;
    }
    TTBItemViewer* viewer = view->Find(separator);
    viewer->View()->ValidatePositions();
    viewer->LineSeparator = c.rowEnd;
    viewer->BoundsRect = {0, 0, 40, 10};
    const RECT client = Paint(viewer, false);
    const std::vector<TThemeCall> lines = theme->CallsOf("PaintSeparator");
    ASSERT_EQ(lines.size(), c.painted ? 1u : 0u);
    if (!c.painted) continue;
    const bool toolbar = c.where == kBar || c.where == kVerticalBar;
    TTBXItemInfo info{};
    info.ViewKind = QueryViewKind(view);
    info.Flags = toolbar ? iifToolbarStyle : 0;
    info.ItemEnabled = !c.blank;
    info.Vertical = c.where == kVerticalBar;
    info.ImageColumnWidth = toolbar ? 0 : GetPopupImageColumnWidth(viewer);
    EXPECT_EQ(lines[0].Rect, client);
    EXPECT_EQ(lines[0].Info, info);
    EXPECT_EQ(lines[0].Horizontal, c.horizontal);
    EXPECT_EQ(lines[0].LineSeparator, c.rowEnd);
  }
}
