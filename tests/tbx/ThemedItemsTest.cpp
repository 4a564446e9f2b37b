// Themed items: their font settings, their own properties, the viewers they answer, and how
// their viewers and the themed separator measure through the theme's metrics.
#include "ThemedItemsTestSupport.h"

#include "classlib/SysUtils.h"
#include "common/GdiCensus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using namespace tbx_test;

namespace {

// Counts the change notifications of font settings.
struct TChangeCounter : TObject {
  int Changes = 0;
  void Changed(TObject*) { ++Changes; }
  TNotifyEvent Event() { return TNotifyEvent(this, &TChangeCounter::Changed); }
};

// Records the change notifications of an item.
struct TItemListener : TObject {
  std::vector<TTBItemChangedAction> Actions;
  void Changed(TTBCustomItem*, bool, TTBItemChangedAction Action, int, TTBCustomItem*) {
    if (Action != tbicSubitemsBeginUpdate && Action != tbicSubitemsEndUpdate) Actions.push_back(Action);
  }
  TTBItemChangedProc Proc() { return TTBItemChangedProc(this, &TItemListener::Changed); }
};

void MakeEightPointTahoma(TFont& Font) {
  Font.SetName(L"Tahoma");
  Font.SetSize(8);
}

}  // namespace

// --- font settings --------------------------------------------------------------------------

TEST(FontSettings, ApplyToFontScalesTheSizeAndSetsWhatIsNotDefault) {
  struct TCase {
    const char* what;
    uint16_t size;
    TColor color;
    const wchar_t* name;
    TTriState bold, italic;
    TFontStyles startStyle;
    int expectedSize;
    TColor expectedColor;
    const wchar_t* expectedName;
    TFontStyles expectedStyle;
  } cases[] = {
      {"all default", 100, clNone, L"", tsDefault, tsDefault, fsBold, 8, clWindowText, L"Tahoma", fsBold},
      {"150 % of 8 points", 150, clNone, L"", tsDefault, tsDefault, 0, 12, clWindowText, L"Tahoma", 0},
      {"0 %", 0, clNone, L"", tsDefault, tsDefault, 0, 0, clWindowText, L"Tahoma", 0},
      {"rounded: 8 * 131 % = 10.48", 131, clNone, L"", tsDefault, tsDefault, 0, 10, clWindowText, L"Tahoma", 0},
      {"rounded: 8 * 132 % = 10.56", 132, clNone, L"", tsDefault, tsDefault, 0, 11, clWindowText, L"Tahoma", 0},
      {"colour and name", 100, clRed, L"Arial", tsDefault, tsDefault, 0, 8, clRed, L"Arial", 0},
      {"bold on", 100, clNone, L"", tsTrue, tsDefault, fsItalic, 8, clWindowText, L"Tahoma", fsItalic | fsBold},
      {"bold off, italic on", 100, clNone, L"", tsFalse, tsTrue, fsBold, 8, clWindowText, L"Tahoma", fsItalic},
  };
  for (const TCase& c : cases) {
    TFontSettings settings;
    settings.SetSize(c.size);
    settings.SetColor(c.color);
    settings.SetName(c.name);
    settings.SetBold(c.bold);
    settings.SetItalic(c.italic);
    TFont font;
    MakeEightPointTahoma(font);
    font.SetStyle(c.startStyle);
    settings.ApplyToFont(font);
    EXPECT_EQ(font.Size(), c.expectedSize) << c.what;
    EXPECT_EQ(font.Color(), c.expectedColor) << c.what;
    EXPECT_EQ(font.Name(), String(c.expectedName)) << c.what;
    EXPECT_EQ(font.Style(), c.expectedStyle) << c.what;
  }
}

TEST(FontSettings, UnderlineAndStrikeOutFollowTheirTriStates) {
  TFontSettings settings;
  settings.SetUnderline(tsTrue);
  settings.SetStrikeOut(tsFalse);
  TFont font;
  MakeEightPointTahoma(font);
  font.SetStyle(fsStrikeOut);
  settings.ApplyToFont(font);
  EXPECT_EQ(font.Style(), TFontStyles{fsUnderline});
}

TEST(FontSettings, SettersAndAssignTellOnlyOfRealChanges) {
  TChangeCounter counter;
  TFontSettings settings;
  settings.OnChange = counter.Event();
  settings.SetSize(100);
  settings.SetName(L"");
  settings.SetBold(tsDefault);
  EXPECT_EQ(counter.Changes, 0) << "the values it has already";
  settings.SetName(L"Arial");
  settings.SetName(L"Arial");
  settings.SetColor(clBlue);
  EXPECT_EQ(counter.Changes, 2);

  TFontSettings other;
  other.SetSize(150);
  other.SetItalic(tsTrue);
  other.SetUnderline(tsFalse);
  counter.Changes = 0;
  settings.Assign(&other);
  EXPECT_EQ(counter.Changes, 1) << "all seven copied, told once";
  EXPECT_EQ(settings.Size(), 150);
  EXPECT_EQ(settings.Italic(), tsTrue);
  EXPECT_EQ(settings.Underline(), tsFalse);
  EXPECT_EQ(settings.Color(), clNone);
  EXPECT_EQ(settings.Name(), String());
  settings.Assign(&other);
  EXPECT_EQ(counter.Changes, 1) << "nothing differs";
  EXPECT_THROW(settings.Assign(nullptr), EConvertError);
  EXPECT_EQ(counter.Changes, 1);
}

TEST(FontSettings, AFontMadeWithSettingsScalesItsHeightAndSetsItsStyles) {
  TFont base;
  MakeEightPointTahoma(base);
  TFontSettings settings;
  settings.SetSize(200);
  settings.SetBold(tsTrue);
  settings.SetItalic(tsTrue);
  settings.SetStrikeOut(tsTrue);
  settings.SetName(String(40, L'N'));  // longer than a face name holds
  settings.SetColor(clGreen);
  TColor color = clNone;
  const HFONT baseHandle = base.Handle();
  const long before = gdi::LiveObjects();
  const gdi_census::TMark census;
  {
    gdi::FontHandle made = MakeFontWithSettings(settings, baseHandle, color);
    ASSERT_TRUE(made);
    LOGFONTW original{}, lf{};
    GetObjectW(baseHandle, sizeof(original), &original);
    GetObjectW(made.Get(), sizeof(lf), &lf);
    EXPECT_EQ(lf.lfHeight, (original.lfHeight * 200 + 50) / 100);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_TRUE(lf.lfItalic);
    EXPECT_FALSE(lf.lfUnderline);
    EXPECT_TRUE(lf.lfStrikeOut);
    EXPECT_EQ(String(lf.lfFaceName), String(LF_FACESIZE - 1, L'N'));
    EXPECT_EQ(color, clGreen);
  }
  EXPECT_EQ(gdi::LiveObjects(), before) << "the caller's handle goes with its holder";
  EXPECT_TRUE(census.NothingLeft());

  settings.SetBold(tsFalse);
  settings.SetColor(clNone);
  color = clRed;
  gdi::FontHandle plain = MakeFontWithSettings(settings, base.Handle(), color);
  LOGFONTW lf{};
  GetObjectW(plain.Get(), sizeof(lf), &lf);
  EXPECT_EQ(lf.lfWeight, FW_NORMAL);
  EXPECT_EQ(color, clRed) << "clNone leaves the colour alone";
}

// --- items ------------------------------------------------------------------------------------

TEST_F(ThemedItemsTest, ItemsMeasureAgainAfterEveryRealChangeOfTheirOwnProperties) {
  TTBXSubmenuItem* item = Make<TTBXSubmenuItem>(L"Item");
  auto* separator = new TTBXSeparatorItem(owner);
  root->Add(separator);
  // An item tells its parent, whose views measure it again.
  TItemListener listener;
  root->RegisterNotification(listener.Proc());
  struct TStep {
    const char* what;
    std::function<void()> change;
    bool tells;
  } steps[] = {
      {"layout", [&] { item->SetLayout(tbxlGlyphTop); }, true},
      {"same layout", [&] { item->SetLayout(tbxlGlyphTop); }, false},
      {"minimum width", [&] { item->SetMinWidth(40); }, true},
      {"minimum height", [&] { item->SetMinHeight(30); }, true},
      {"same minimum height", [&] { item->SetMinHeight(30); }, false},
      {"stretch", [&] { item->SetStretch(true); }, true},
      {"same stretch", [&] { item->SetStretch(true); }, false},
      {"split", [&] { item->SetDropdownCombo(true); }, true},
      {"font size", [&] { item->FontSettings().SetSize(120); }, true},
      {"same font size", [&] { item->FontSettings().SetSize(120); }, false},
      {"separator size", [&] { separator->SetSize(3); }, true},
      {"same separator size", [&] { separator->SetSize(3); }, false},
  };
  for (const TStep& step : steps) {
    listener.Actions.clear();
    step.change();
    EXPECT_EQ(listener.Actions, step.tells ? std::vector<TTBItemChangedAction>{tbicInvalidateAndResize}
                                           : std::vector<TTBItemChangedAction>{})
        << step.what;
  }
  EXPECT_TRUE(item->Stretch());
  EXPECT_TRUE(item->ItemStyle() & tbisStretch);
  EXPECT_TRUE(item->DropdownCombo());
  EXPECT_TRUE(item->ItemStyle() & (tbisSubmenu | tbisSubitemsEditable | tbisCombo));
  root->UnregisterNotification(listener.Proc());
}

TEST_F(ThemedItemsTest, ASeparatorSizeBelowMinusOneIsStoredAsMinusOne) {
  auto* separator = new TTBXSeparatorItem(owner);
  EXPECT_EQ(separator->Size(), -1);
  for (int size : {-5, -1, 0, 4}) {
    separator->SetSize(size);
    EXPECT_EQ(separator->Size(), size < -1 ? -1 : size) << size;
  }
}

TEST_F(ThemedItemsTest, ThemedItemsAnswerThemedViewersAndPopupWindows) {
  TTBXItem* item = Make(L"Item");
  auto* separator = new TTBXSeparatorItem(owner);
  root->Add(separator);
  TTBXPopupWindow* window = HiddenPopup();
  TTBView* view = window->View();
  EXPECT_NE(dynamic_cast<TTBXItemViewer*>(view->Find(item)), nullptr);
  EXPECT_NE(dynamic_cast<TTBXSeparatorItemViewer*>(view->Find(separator)), nullptr);
  EXPECT_NE(dynamic_cast<TTBXPopupView*>(view), nullptr);
  EXPECT_EQ(item->GetPopupWindowClass(), &CreatePopupWindowOf<TTBXPopupWindow>);
  EXPECT_EQ(root->GetPopupWindowClass(), &CreatePopupWindowOf<TTBXPopupWindow>);
  EXPECT_EQ(window->GetViewClass(), &CreateViewOf<TTBXPopupView>);
}

TEST_F(ThemedItemsTest, AlwaysSelectFirstSelectsTheFirstItemOfItsPopup) {
  auto* submenu = Make<TTBXSubmenuItem>(L"Sub");
  TTBXItem* first = Make(L"First", submenu);
  for (bool always : {false, true}) {
    submenu->SetAlwaysSelectFirst(always);
    TPopupHolder popup = ShowPopup({300, 200}, submenu);
    TTBItemViewer* selected = popup->View()->Selected();
    EXPECT_EQ(selected ? selected->Item() : nullptr, always ? first : nullptr) << always;
  }
}

TEST_F(ThemedItemsTest, ToolBoxPopupsMakeTheirItemsToolbarStyledAndTheOpenerADropDownGrid) {
  auto* submenu = Make<TTBXSubmenuItem>(L"Colours");
  TTBXItem* inside = Make(L"Red", submenu);
  TTBView* bar = ToolbarView();
  TTBView* menu = HiddenPopup()->View();
  for (bool toolBox : {false, true}) {
    submenu->SetToolBoxPopup(toolBox);
    TTBXPopupWindow* popup = HiddenPopup(submenu);
    EXPECT_EQ(QueryPopupViewKind(popup), toolBox ? vkToolBoxPopup : vkPopupMenu);
    TTBItemViewer* v = popup->View()->Find(inside);
    EXPECT_EQ(v->IsToolbarStyle(), toolBox);
    EXPECT_EQ(v->IsToolbarSize(), toolBox);
    EXPECT_EQ(bar->Find(submenu)->GetAccRole(), toolBox ? 58 : 57);
    EXPECT_EQ(menu->Find(submenu)->GetAccRole(), toolBox ? 58 : 12);
  }
}

// --- measuring --------------------------------------------------------------------------------

TEST_F(ThemedItemsTest, PopupItemsMeasureTheirTextImageColumnShortcutAndArrowRoom) {
  struct TCase {
    const char* what;
    const wchar_t* caption;
    int imageW, imageH;  // 0: no image list
    TShortCut shortCut;
    uint16_t fontPercent;
    int minWidth, minHeight;
  } cases[] = {
      {"caption only", L"&Open", 0, 0, 0, 100, 0, 0},
      {"no caption: a 16 x 16 column and at least 16 high", L"", 0, 0, 0, 100, 0, 0},
      {"20 x 24 images", L"&Open", 20, 24, 0, 100, 0, 0},
      {"shortcut", L"&Open", 0, 0, ShortCut('O', ssCtrl), 100, 0, 0},
      {"150 % font", L"&Open", 0, 0, 0, 150, 0, 0},
      {"minimum size", L"&Open", 0, 0, 0, 100, 400, 60},
  };
  const TTBXMargins& mm = theme->MenuMargins;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    TTBXItem* item = Make(c.caption);
    if (c.imageW) {
      item->SetImages(Images(c.imageW, c.imageH));
      item->SetImageIndex(0);
    }
    item->SetShortCut(c.shortCut);
    item->FontSettings().SetSize(c.fontPercent);
    item->SetMinWidth(c.minWidth);
    item->SetMinHeight(c.minHeight);
    TTBXPopupWindow* window = HiddenPopup();
    const TFont& viewFont = window->View()->GetFont();
    TFont itemFont;
    itemFont.Assign(viewFont);
    item->FontSettings().ApplyToFont(itemFont);

    // The image column: the image (16 x 16 without one) scaled to a text line within the margins.
    const int m = mm.Top + mm.Bottom;
    const TEXTMETRICW viewTm = MetricsOf(viewFont);
    const int imageW = c.imageW ? c.imageW : 16, imageH = c.imageH ? c.imageH : 16;
    const int column = (imageW + m) * std::max<int>(viewTm.tmHeight + viewTm.tmExternalLeading + m, imageH + m) /
                       (imageH + m);
    const SIZE text = *c.caption ? TextSizeIn(itemFont, c.caption, DT_SINGLELINE) : SIZE{0, 0};
    const int leading = MetricsOf(itemFont).tmExternalLeading;
    int height = std::max<int>(text.cy + leading, imageH) + mm.Top + mm.Bottom;
    int width = text.cx + mm.Left + mm.Right + M(tmMenuImageMargin) + column + M(tmMenuImageTextSpace) +
                M(tmMenuTextMargin);
    if (c.shortCut) width += TextSizeIn(itemFont, item->GetShortCutText(), DT_SINGLELINE).cx + height - 6;
    width += height;
    width = std::max(width, c.minWidth);
    height = std::max(height, c.minHeight);

    auto* viewer = static_cast<TTBXItemViewer*>(window->View()->Find(item));
    EXPECT_EQ(viewer->GetImageColumnWidth(), column);
    TBitmap bitmap;
    bitmap.SetSize(1, 1);
    TCanvas& canvas = bitmap.Canvas();
    canvas.SetFont(viewFont);
    int w = 0, h = 0;
    viewer->CalcSize(canvas, w, h);
    EXPECT_EQ(w, width);
    EXPECT_EQ(h, height);
    EXPECT_EQ(canvas.Font().Size(), 8) << "the next viewer measures in the view's font";
    EXPECT_EQ(viewer->BoundsRect.bottom - viewer->BoundsRect.top, height) << "as the view lays it out";
    window->Free();
    root->Clear();
  }
}

TEST_F(ThemedItemsTest, ToolbarItemsMeasureCaptionImageAndArrow) {
  enum TKind { kPlain, kDropDown, kSplit };
  struct TCase {
    const char* what;
    const wchar_t* caption;
    bool image;
    TTBItemDisplayMode mode;  // nbdmDefault hides the caption of a toolbar item with an image
    TTBXItemLayout layout;
    TKind kind;
    TTBViewOrientation orientation;
    int minWidth;
  } cases[] = {
      {"caption", L"Bold", false, nbdmDefault, tbxlAuto, kPlain, tbvoHorizontal, 0},
      {"image only", L"Bold", true, nbdmDefault, tbxlAuto, kPlain, tbvoHorizontal, 0},
      {"glyph left", L"Bold", true, nbdmImageAndText, tbxlGlyphLeft, kPlain, tbvoHorizontal, 0},
      {"glyph top", L"Bold", true, nbdmImageAndText, tbxlGlyphTop, kPlain, tbvoHorizontal, 0},
      {"split", L"Bold", false, nbdmDefault, tbxlAuto, kSplit, tbvoHorizontal, 0},
      {"drop-down arrow", L"Bold", false, nbdmDefault, tbxlAuto, kDropDown, tbvoHorizontal, 0},
      {"drop-down arrow on a vertical bar", L"Bold", false, nbdmDefault, tbxlGlyphLeft, kDropDown, tbvoVertical, 0},
      {"arrow beside a wide caption's image", L"Justify", true, nbdmImageAndText, tbxlGlyphTop, kDropDown,
       tbvoHorizontal, 0},
      {"arrow beside a narrow caption's image", L"J", true, nbdmImageAndText, tbxlGlyphTop, kDropDown,
       tbvoHorizontal, 0},
      {"minimum width", L"Bold", false, nbdmDefault, tbxlAuto, kPlain, tbvoHorizontal, 90},
  };
  const int arrow = M(tmDropDownArrowWidth);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    TTBXCustomItem* item = c.kind == kPlain ? static_cast<TTBXCustomItem*>(Make(c.caption))
                                            : Make<TTBXSubmenuItem>(c.caption);
    if (c.kind == kSplit) static_cast<TTBXSubmenuItem*>(item)->SetDropdownCombo(true);
    if (c.kind == kDropDown) item->SetOptions(tboDropdownArrow);
    if (c.image) {
      item->SetImages(Images(16, 16));
      item->SetImageIndex(0);
    }
    item->SetDisplayMode(c.mode);
    item->SetLayout(c.layout);
    item->SetMinWidth(c.minWidth);
    TTBView* view = ToolbarView(0, c.orientation);
    auto* viewer = static_cast<TTBXItemViewer*>(view->Find(item));
    const bool captionShown = viewer->CaptionShown();
    EXPECT_EQ(captionShown, !c.image || c.mode != nbdmDefault);
    const SIZE text = captionShown ? TextSizeIn(view->GetFont(), c.caption, 0) : SIZE{0, 0};
    int w = 6, h = 6;
    if (captionShown) {
      w += text.cx + 4;
      h += text.cy;
    }
    const TTBXItemLayout layout = viewer->EffectiveLayout();
    if (c.image && layout == tbxlGlyphLeft) {
      w += 16 + 1;  // a wide image
      h = std::max(h, 16 + 6);
    } else if (c.image) {
      h += 16;
      w = std::max(w, 16 + 7);
    }
    if (c.kind == kSplit) w += M(tmSplitArrowWidth);
    if (c.kind == kDropDown && c.image && layout == tbxlGlyphTop) {
      if (arrow + 16 + 2 > w - 7) w = arrow + 16 + 9;
    } else if (c.kind == kDropDown) {
      (c.orientation == tbvoVertical ? h : w) += arrow;
    }
    w = std::max(w, c.minWidth);

    TBitmap bitmap;
    bitmap.SetSize(1, 1);
    bitmap.Canvas().SetFont(view->GetFont());
    int width = 0, height = 0;
    viewer->CalcSize(bitmap.Canvas(), width, height);
    EXPECT_EQ(width, w);
    EXPECT_EQ(height, h);
    root->Clear();
  }
}

TEST_F(ThemedItemsTest, SeparatorsTakeTheirSizeTheThemesOrTheFrameworks) {
  struct TCase {
    const char* what;
    bool toolbar;
    int size;
    int themeSize;  // the theme's metric 35 (popups) or 50 (toolbars)
    SIZE expected;  // {-1, -1}: as the framework's separator
  } cases[] = {
      {"popup, the theme's", false, -1, 7, {7, 7}},
      {"popup, -5 counts as -1", false, -5, 7, {7, 7}},
      {"popup, the framework's", false, -1, -1, {-1, -1}},
      {"popup, no size", false, 0, 7, {0, 0}},
      {"popup, 4", false, 4, 7, {0, 4}},
      {"toolbar, the theme's", true, -1, 5, {5, 5}},
      {"toolbar, the framework's", true, -1, -1, {-1, -1}},
      {"toolbar, 4", true, 4, 5, {4, 4}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    theme->IntegerMetrics[c.toolbar ? tmToolbarSeparatorSize : tmMenuSeparatorSize] = c.themeSize;
    auto* separator = new TTBXSeparatorItem(owner);
    root->Add(separator);
    separator->SetSize(c.size);
    TTBView* view = c.toolbar ? ToolbarView() : HiddenPopup()->View();
    TTBItemViewer* viewer = view->Find(separator);
    TBitmap bitmap;
    bitmap.SetSize(1, 1);
    bitmap.Canvas().SetFont(view->GetFont());
    int expectedW = c.expected.cx, expectedH = c.expected.cy;
    if (expectedW < 0) {
      // The framework's own: 6 x 6 on toolbars, two thirds of a text line in popups.
      TTBSeparatorItemViewer framework(view, separator, 0);
      expectedW = expectedH = 0;
      framework.CalcSize(bitmap.Canvas(), expectedW, expectedH);
    }
    int w = 0, h = 0;
    viewer->CalcSize(bitmap.Canvas(), w, h);
    EXPECT_EQ(w, expectedW);
    EXPECT_EQ(h, expectedH);
    root->Clear();
  }
}

TEST_F(ThemedItemsTest, AViewerListIsMadeForItsFirstViewerAndGoesWithItsLast) {
  TTBXItem* item = Make(L"Item");
  TTBView* view = ToolbarView();
  TTBView* other = ToolbarView();
  TTBItemViewer *a = view->Find(item), *b = other->Find(item);
  std::unique_ptr<std::vector<TTBItemViewer*>> list;
  ListRemoveViewer(list, a);
  EXPECT_EQ(list, nullptr);
  ListAddViewer(list, a);
  ListAddViewer(list, b);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(*list, (std::vector<TTBItemViewer*>{a, b}));
  ListRemoveViewer(list, a);
  EXPECT_EQ(*list, std::vector<TTBItemViewer*>{b});
  ListRemoveViewer(list, b);
  EXPECT_EQ(list, nullptr);
}
