// Item viewers: measuring against the canvas's real font metrics, painting both looks into 32-bit
// bitmaps, the queries, the hints, the mouse rules; and control items owning their control.
#include "ItemTestSupport.h"

#include "classlib/Forms.h"
#include "classlib/Graphics.h"
#include "classlib/ScopeGuard.h"
#include "common/TestSupport.h"
#include "items/TB2ImageList.h"
#include "items/TB2View.h"

#include <gtest/gtest.h>
#include <oleacc.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

using namespace item_tests;

namespace {

// System colours no host uses, so that each pixel tells which colour painted it, and the keyboard
// cues as the test sets them. DrawEdge and the system's glyphs keep the host's real colours.
class TPaintSettings : public seams::TSystemSettings {
 public:
  bool KeyboardCues() override { return Cues; }
  COLORREF SysColor(int index) override {
    switch (index) {
      case COLOR_BTNTEXT: return RGB(0x10, 0x20, 0x30);
      case COLOR_BTNHIGHLIGHT: return RGB(0xF0, 0xE8, 0x01);
      case COLOR_BTNSHADOW: return RGB(0x70, 0x02, 0x50);
      case COLOR_BTNFACE: return RGB(0xC8, 0x03, 0xB8);
      case COLOR_HIGHLIGHT: return RGB(0x20, 0x40, 0xA4);
      case COLOR_HIGHLIGHTTEXT: return RGB(0xFE, 0xFD, 0x15);
      case COLOR_WINDOWTEXT: return RGB(0x33, 0x11, 0x66);
      default: return seams::TSystemSettings::SysColor(index);
    }
  }
  bool Cues = true;
};

// The pixel word a colour paints in a 32-bit bitmap: system colours through the settings seam,
// or, for what the system draws itself (edges, glyphs), its own colours.
uint32_t Px(TColor c) { return RGBToPixel(ColorToGdi(c)); }
uint32_t SystemPx(int index) { return RGBToPixel(GetSysColor(index)); }

constexpr uint32_t kBackground = 0x00FF00;  // a pure green no paint here uses

// A picture of one viewer: a 32-bit bitmap filled with the background.
class TPicture {
 public:
  TPicture(int w, int h) {
    bmp.SetSize(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) bmp.ScanLine(y)[x] = kBackground;
  }
  uint32_t At(int x, int y) { return bmp.ScanLine(y)[x]; }
  int Count(uint32_t pixel, RECT area) {
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x) n += At(x, y) == pixel;
    return n;
  }
  int Count(uint32_t pixel) { return Count(pixel, Whole()); }
  RECT Whole() const { return {0, 0, bmp.Width(), bmp.Height()}; }
  bool SameAs(TPicture& other) {
    for (int y = 0; y < bmp.Height(); ++y)
      for (int x = 0; x < bmp.Width(); ++x)
        if (At(x, y) != other.At(x, y)) return false;
    return true;
  }
  TBitmap bmp;
};

// A control that counts its own end.
class TSpyControl : public TControl {
 public:
  TSpyControl(TComponent* AOwner, int* Destroyed) : TControl(AOwner), destroyed_(Destroyed) {}
  ~TSpyControl() override { ++*destroyed_; }
  void MarkInherited() { SetState(csAncestor); }

 private:
  int* destroyed_;
};

// Lets a hint through with a mark, or suppresses it.
class THintAction : public TAction {
 public:
  using TAction::TAction;
  bool DoHint(String& HintStr) override {
    HintStr += Mark;
    return Allow;
  }
  bool Allow = true;
  String Mark;
};

class ViewerTest : public ::testing::Test {
 protected:
  TPaintSettings settings;
  seams::Scoped<seams::TSystemSettings> useSettings{settings};
  int controlsDestroyed = 0;  // outlives the controls the items free
  TItemFactory f;
  TTBRootItem* root = f.Make<TTBRootItem>(L"root");
  // Views go before the items they show.
  std::unique_ptr<TComponent, void (*)(TComponent*)> views{new TComponent(nullptr), [](TComponent* c) { c->Free(); }};
  TBitmap measureBitmap;

  ViewerTest() { measureBitmap.SetSize(1, 1); }

  TCanvas& MeasureCanvas() { return measureBitmap.Canvas(); }

  TTBView* MakeView(bool toolbar, TTBCustomItem* parentItem = nullptr, TTBView* parentView = nullptr) {
    return new TTBView(views.get(), parentView, parentItem ? parentItem : root, nullptr, toolbar, false, false);
  }
  // The item's viewer in a new view of its parent.
  TTBItemViewer* ViewerIn(bool toolbar, TTBCustomItem* item, TTBViewOrientation orientation = tbvoHorizontal) {
    TTBView* view = MakeView(toolbar, item->Parent());
    view->SetOrientation(orientation);
    return view->Find(item);
  }
  template <class T = TTBItem>
  T* Item(const wchar_t* caption, TTBCustomItem* parent = nullptr) {
    T* item = f.Make<T>(L"", parent ? parent : root);
    item->SetCaption(caption);
    return item;
  }
  // A plain item, a submenu item or a split button.
  TTBCustomItem* ItemOfKind(bool submenu, bool combo, const wchar_t* caption) {
    if (!submenu) return Item(caption);
    auto* item = Item<TTBSubmenuItem>(caption);
    item->SetDropdownCombo(combo);
    return item;
  }
  // A list of solid images, one per colour.
  TTBImageList* SolidList(int w, int h, std::initializer_list<uint32_t> colours) {
    auto* list = new TTBImageList(f.Owner());
    list->SetSize(w, h);
    TBitmap strip;
    strip.SetSize(w * static_cast<int>(colours.size()), h);
    int i = 0;
    for (uint32_t c : colours) {
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) strip.ScanLine(y)[i * w + x] = c;
      ++i;
    }
    list->AddMasked(strip, RGB(255, 0, 255));
    return list;
  }
  SIZE Measure(TTBItemViewer* v, int w = 0, int h = 0) {
    v->CalcSize(MeasureCanvas(), w, h);
    return {w, h};
  }
  // Paints as the view does: a selected menu line on the highlight brush, anything else on a
  // clear brush; the text in FontColor.
  void PaintAsView(TTBItemViewer* v, TPicture& p, bool selected, bool pushed = false, bool shadow = false,
                   TColor fontColor = clWindowText) {
    TCanvas& c = p.bmp.Canvas();
    const bool menuLine = !v->IsToolbarStyle();
    if (selected && menuLine) {
      c.Brush().SetStyle(bsSolid);
      c.Brush().SetColor(clHighlight);
    } else {
      c.Brush().SetStyle(bsClear);
    }
    c.Font().SetColor(fontColor);
    v->Paint(c, p.Whole(), selected, pushed, shadow);
  }
  int MenuLineHeight(TTBItemViewer* v) { return Measure(v).cy; }
};

std::string Narrow(const String& s) {
  std::string out;
  for (wchar_t c : s) out += static_cast<char>(c);
  return out;
}

}  // namespace

// --- measuring ------------------------------------------------------------------------------

TEST_F(ViewerTest, MenuLinesFollowTheFontMetricsAndTheImageList) {
  struct Case {
    const char* what;
    const wchar_t* caption;
    TShortCut shortCut;
    int imageW, imageH;  // 0: no image list
    bool isDefault;
    const wchar_t* captionText;   // the caption before any tab
    const wchar_t* shownCaption;  // what is measured: without the markers
    const wchar_t* shortCutText;
  } cases[] = {
      {"no image list", L"&Open", 0, 0, 0, false, L"&Open", L"Open", L""},
      {"16x16 list", L"&Open", 0, 16, 16, false, L"&Open", L"Open", L""},
      {"wide list", L"&Open", 0, 24, 16, false, L"&Open", L"Open", L""},
      {"tall list", L"&Open", 0, 16, 32, false, L"&Open", L"Open", L""},
      {"shortcut", L"&Open", ShortCut('O', ssCtrl), 0, 0, false, L"&Open", L"Open", L"Ctrl+O"},
      {"caption with a tab", L"Save &As\tCtrl+Shift+S", 0, 16, 16, false, L"Save &As", L"Save As", L"Ctrl+Shift+S"},
      {"default item, bold", L"&Open", 0, 0, 0, true, L"&Open", L"Open", L""},
  };
  TTBView* view = MakeView(false);
  TCanvas& canvas = MeasureCanvas();
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    TTBItem* item = Item(k.caption);
    item->SetShortCut(k.shortCut);
    if (k.isDefault) item->SetOptions(tboDefault);
    if (k.imageW) item->SetImages(SolidList(k.imageW, k.imageH, {0x0000FF}));
    view->RecreateAllViewers();
    canvas.Font().SetStyle(k.isDefault ? TFontStyles(fsBold) : TFontStyles(0));
    TScopeGuard plain([&] { canvas.Font().SetStyle(0); });

    const TEXTMETRICW tm = canvas.TextMetrics();
    int h = tm.tmHeight + tm.tmExternalLeading + 4;
    int column = h;
    if (k.imageW) {
      h = std::max(h, k.imageH + 3);
      column = MulDiv(k.imageW + 3, h, k.imageH + 3);
    }
    int w = canvas.TextWidth(k.shownCaption) + column + 6 + h;
    if (*k.shortCutText) w += canvas.TextWidth(k.shortCutText) + h - 6;

    TTBItemViewer* v = view->Find(item);
    EXPECT_EQ(Narrow(k.captionText), Narrow(v->GetCaptionText()));
    int measuredW = 0, measuredH = 0;
    v->CalcSize(canvas, measuredW, measuredH);
    EXPECT_EQ(w, measuredW);
    EXPECT_EQ(h, measuredH);
  }
}

TEST_F(ViewerTest, ToolbarButtonsMeasureImageArrowAndComboParts) {
  root->SetSubMenuImages(SolidList(16, 16, {0x0000FF}));
  TEXTMETRICW tm = MeasureCanvas().TextMetrics();
  const int text = MeasureCanvas().TextWidth(L"Open");
  struct Case {
    const char* what;
    bool submenu, combo, withImage;
    TTBItemDisplayMode mode;
    TTBItemOptions options;
    TTBViewOrientation orientation;
    SIZE expected;
  } cases[] = {
      {"image only", false, false, true, nbdmDefault, 0, tbvoHorizontal, {23, 22}},
      {"drop-down arrow", true, false, true, nbdmDefault, tboDropdownArrow, tbvoHorizontal, {31, 22}},
      {"drop-down arrow, vertical bar", true, false, true, nbdmDefault, tboDropdownArrow | tboNoRotation,
       tbvoVertical, {23, 30}},
      {"split button", true, true, true, nbdmDefault, 0, tbvoHorizontal, {34, 22}},
      {"submenu without arrow", true, false, true, nbdmDefault, 0, tbvoHorizontal, {23, 22}},
      {"caption only", false, false, false, nbdmDefault, 0, tbvoHorizontal,
       {6 + text + 6, 6 + tm.tmHeight}},
      {"image and caption", false, false, true, nbdmImageAndText, 0, tbvoHorizontal,
       {6 + text + 6 + 17, std::max(6 + tm.tmHeight, 22L)}},
      {"image above caption", false, false, true, nbdmDefault, tboImageAboveCaption, tbvoHorizontal,
       {std::max(6 + text + 6, 23), 6 + tm.tmHeight + 16}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    TTBCustomItem* item = ItemOfKind(k.submenu, k.combo, L"&Open");
    item->SetOptions(k.options);
    item->SetDisplayMode(k.mode);
    item->SetImageIndex(k.withImage ? 0 : -1);
    SIZE size = Measure(ViewerIn(true, item, k.orientation));
    EXPECT_EQ(k.expected.cx, size.cx);
    EXPECT_EQ(k.expected.cy, size.cy);
  }
}

TEST_F(ViewerTest, RotatedCaptionsSwapWidthAndHeight) {
  TTBItem* item = Item(L"&Options");
  SIZE across = Measure(ViewerIn(true, item, tbvoHorizontal));
  SIZE down = Measure(ViewerIn(true, item, tbvoVertical));
  EXPECT_EQ(across.cx, down.cy);
  EXPECT_EQ(across.cy, down.cx);
  item->SetOptions(tboNoRotation);
  SIZE unrotated = Measure(ViewerIn(true, item, tbvoVertical));
  EXPECT_EQ(across.cx, unrotated.cx);
  EXPECT_EQ(across.cy, unrotated.cy);
}

TEST_F(ViewerTest, SeparatorsAreAThirdOfTwoLinesInMenusAndSixSquareOnToolbars) {
  auto* separator = Item<TTBSeparatorItem>(L"");
  const int tmHeight = MeasureCanvas().TextMetrics().tmHeight;
  SIZE menu = Measure(ViewerIn(false, separator), 50, 0);
  EXPECT_EQ(50, menu.cx);  // the caller's width stays
  EXPECT_EQ((2 * tmHeight + 2) / 3, menu.cy);
  SIZE toolbar = Measure(ViewerIn(true, separator), 50, 40);
  EXPECT_EQ(6, toolbar.cx);
  EXPECT_EQ(6, toolbar.cy);
  EXPECT_FALSE(ViewerIn(true, separator)->UsesSameWidth());
}

// --- queries --------------------------------------------------------------------------------

TEST_F(ViewerTest, StyleSizeAndRotationFollowTheViewAndTheOptions) {
  struct Case {
    bool toolbarView;
    TTBItemOptions options;
    TTBViewOrientation orientation;
    bool style, size, rotated;
  } cases[] = {
      {true, 0, tbvoHorizontal, true, true, false},
      {false, 0, tbvoHorizontal, false, false, false},
      {false, tboToolbarStyle, tbvoHorizontal, true, false, false},
      {false, tboToolbarStyle | tboToolbarSize, tbvoHorizontal, true, true, false},
      {false, tboToolbarSize, tbvoHorizontal, false, false, false},  // size needs the style
      {true, 0, tbvoVertical, true, true, true},
      {true, tboNoRotation, tbvoVertical, true, true, false},
      {true, tboImageAboveCaption, tbvoVertical, true, true, false},
      {true, 0, tbvoFloating, true, true, false},
  };
  TTBItem* item = Item(L"&Open");
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << "toolbar " << k.toolbarView << " options " << k.options << " orientation "
                                    << int(k.orientation));
    item->SetOptions(k.options);
    TTBItemViewer* v = ViewerIn(k.toolbarView, item, k.orientation);
    EXPECT_EQ(k.style, v->IsToolbarStyle());
    EXPECT_EQ(k.size, v->IsToolbarSize());
    EXPECT_EQ(k.rotated, v->IsRotated());
  }
}

TEST_F(ViewerTest, CaptionAndImageShownFollowTheDisplayMode) {
  struct Case {
    bool toolbarView;
    TTBItemOptions options;
    const wchar_t* caption;
    int imageIndex;
    TTBItemDisplayMode mode;
    bool captionShown, imageShown;
  } cases[] = {
      {false, 0, L"Open", 0, nbdmDefault, true, true},
      {false, 0, L"", 0, nbdmDefault, false, true},
      {false, 0, L"Open", -1, nbdmDefault, true, false},
      {false, 0, L"Open", 0, nbdmTextOnly, true, false},
      {false, 0, L"Open", 0, nbdmTextOnlyInMenus, true, false},
      {false, tboToolbarStyle, L"Open", 0, nbdmTextOnlyInMenus, true, true},
      {true, 0, L"Open", 0, nbdmDefault, false, true},
      {true, 0, L"Open", -1, nbdmDefault, true, false},
      {true, 0, L"Open", 0, nbdmTextOnly, true, false},
      {true, 0, L"Open", 0, nbdmImageAndText, true, true},
      {true, 0, L"Open", 0, nbdmTextOnlyInMenus, false, true},
      {true, tboImageAboveCaption, L"", 0, nbdmDefault, true, true},
      {true, 0, L"\tCtrl+O", -1, nbdmDefault, false, false},
  };
  TTBItem* item = Item(L"");
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << "toolbar " << k.toolbarView << " options " << k.options << " caption \""
                                    << Narrow(k.caption) << "\" image " << k.imageIndex << " mode " << int(k.mode));
    item->SetOptions(k.options);
    item->SetCaption(k.caption);
    item->SetImageIndex(k.imageIndex);
    item->SetDisplayMode(k.mode);
    TTBItemViewer* v = ViewerIn(k.toolbarView, item);
    EXPECT_EQ(k.captionShown, v->CaptionShown());
    EXPECT_EQ(k.imageShown, v->ImageShown());
  }
}

TEST_F(ViewerTest, ImageListComesFromTheItemElseFromSubmenuImagesUpTheViews) {
  auto* sub = Item<TTBSubmenuItem>(L"&File");
  TTBItem* leaf = Item(L"&Open", sub);
  auto* holder = f.Make<TTBItem>(L"holder");
  TTBItem* linkedLeaf = Item(L"&Save", holder);
  TTBImageList* own = SolidList(16, 16, {1});
  TTBImageList* ofSub = SolidList(16, 16, {2});
  TTBImageList* ofRoot = SolidList(16, 16, {3});
  TTBImageList* ofHolder = SolidList(16, 16, {4});

  TTBView* rootView = MakeView(true);
  TTBView* popup = MakeView(false, sub, rootView);
  TTBItemViewer* v = popup->Find(leaf);
  EXPECT_EQ(nullptr, v->GetImageList());
  root->SetSubMenuImages(ofRoot);
  EXPECT_EQ(ofRoot, v->GetImageList());  // from the parent view's item
  sub->SetSubMenuImages(ofSub);
  EXPECT_EQ(ofSub, v->GetImageList());
  leaf->SetImages(own);
  EXPECT_EQ(own, v->GetImageList());

  // A linked submenu's view shows the holder's children: the holder's images come first.
  sub->SetLinkSubitems(holder);
  TTBView* linked = MakeView(false, sub, rootView);
  ASSERT_EQ(holder, linked->CurParentItem());
  TTBItemViewer* lv = linked->Find(linkedLeaf);
  EXPECT_EQ(ofSub, lv->GetImageList());
  holder->SetSubMenuImages(ofHolder);
  EXPECT_EQ(ofHolder, lv->GetImageList());
}

TEST_F(ViewerTest, SameWidthNeedsImageAboveCaptionSameWidthAndToolbarSize) {
  struct Case {
    bool toolbarView;
    TTBItemOptions options;
    bool expected;
  } cases[] = {
      {true, tboImageAboveCaption | tboSameWidth, true},
      {true, tboSameWidth, false},
      {true, tboImageAboveCaption, false},
      {false, tboImageAboveCaption | tboSameWidth, false},
      {false, tboImageAboveCaption | tboSameWidth | tboToolbarStyle | tboToolbarSize, true},
  };
  TTBItem* item = Item(L"&Open");
  for (const Case& k : cases) {
    item->SetOptions(k.options);
    EXPECT_EQ(k.expected, ViewerIn(k.toolbarView, item)->UsesSameWidth())
        << "toolbar " << k.toolbarView << " options " << k.options;
  }
}

TEST_F(ViewerTest, ButtonPartLeavesOutTheSplitButtonsArrow) {
  const int check = GetSystemMetrics(SM_CXMENUCHECK);
  struct Case {
    const char* what;
    bool toolbarView, submenu, combo;
    int x;
    bool expected;
  } cases[] = {
      {"plain item", true, false, false, 39, true},
      {"submenu", true, true, false, 0, false},
      {"toolbar combo, button", true, true, true, 40 - 11 - 1, true},
      {"toolbar combo, arrow", true, true, true, 40 - 11, false},
      {"menu combo, button", false, true, true, 40 - check - 1, true},
      {"menu combo, arrow", false, true, true, 40 - check, false},
  };
  for (const Case& k : cases) {
    TTBCustomItem* item = ItemOfKind(k.submenu, k.combo, L"&Open");
    TTBItemViewer* v = ViewerIn(k.toolbarView, item);
    v->BoundsRect = {100, 5, 140, 27};  // 40 wide
    EXPECT_EQ(k.expected, v->IsPtInButtonPart(k.x, 3)) << k.what;
  }
}

TEST_F(ViewerTest, AccessibleRolesByKindAndView) {
  auto* control = new TTBControlItem(f.Owner(), new TSpyControl(f.Owner(), &controlsDestroyed));
  root->Add(control);
  auto* separator = Item<TTBSeparatorItem>(L"");
  TTBItem* button = Item(L"&Open");
  auto* sub = Item<TTBSubmenuItem>(L"&File");
  TTBView* popup = MakeView(false);
  TTBView* toolbar = MakeView(true);
  TTBView* menuBar = MakeView(true);
  menuBar->SetStyle(vsMenuBar);
  struct Case {
    TTBView* view;
    TTBCustomItem* item;
    int role;
  } cases[] = {
      {toolbar, control, ROLE_SYSTEM_CLIENT},       {popup, control, ROLE_SYSTEM_CLIENT},
      {toolbar, separator, ROLE_SYSTEM_SEPARATOR}, {popup, separator, ROLE_SYSTEM_SEPARATOR},
      {popup, button, ROLE_SYSTEM_MENUITEM},        {menuBar, sub, ROLE_SYSTEM_MENUITEM},
      {menuBar, button, ROLE_SYSTEM_MENUITEM},      {toolbar, sub, ROLE_SYSTEM_BUTTONMENU},
      {toolbar, button, ROLE_SYSTEM_PUSHBUTTON},
  };
  for (const Case& k : cases)
    EXPECT_EQ(k.role, k.view->Find(k.item)->GetAccRole()) << Narrow(k.item->Caption()) << " in view " << k.view;
}

// --- hints ----------------------------------------------------------------------------------

TEST_F(ViewerTest, HintsComeFromTheShortHintOrTheCaption) {
  const bool hintShortCuts = Application->HintShortCuts();
  TScopeGuard restore([&] { Application->SetHintShortCuts(hintShortCuts); });
  auto* action = new THintAction(f.Owner());
  struct Case {
    const char* what;
    bool toolbarView, submenu, combo;
    const wchar_t* caption;
    const wchar_t* hint;
    TTBItemOptions options;
    int imageIndex;
    TShortCut shortCut;
    bool hintShortCuts;
    bool withAction, actionAllows;
    const wchar_t* expected;
  } cases[] = {
      {"short hint", false, false, false, L"&Open", L"Open a file|Opens a file from disk", 0, -1, 0, false, false,
       false, L"Open a file"},
      {"from the caption", false, false, false, L"&Open...", L"", 0, -1, 0, false, false, false, L"Open"},
      {"caption up to the tab", false, false, false, L"Save &As:\tF12", L"", 0, -1, 0, false, false, false,
       L"Save As"},
      {"submenu with a caption", false, true, false, L"&File", L"", 0, -1, 0, false, false, false, L""},
      {"submenu showing only its image", true, true, false, L"&File", L"", 0, 0, 0, false, false, false, L"File"},
      {"split button", false, true, true, L"&File", L"", 0, -1, 0, false, false, false, L"File"},
      {"no auto hint", false, false, false, L"&Open", L"", tboNoAutoHint, -1, 0, false, false, false, L""},
      {"no auto hint keeps the hint", false, false, false, L"&Open", L"Open it", tboNoAutoHint, -1, 0, false, false,
       false, L"Open it"},
      {"shortcut in the hint", false, false, false, L"Cu&t", L"", 0, -1, ShortCut('X', ssCtrl), true, false, false,
       L"Cut (Ctrl+X)"},
      {"shortcut after a tab", false, false, false, L"Cu&t\tCtrl+X", L"", 0, -1, 0, true, false, false,
       L"Cut (Ctrl+X)"},
      {"shortcuts not wanted", false, false, false, L"Cu&t", L"", 0, -1, ShortCut('X', ssCtrl), false, false, false,
       L"Cut"},
      {"no hint, no shortcut", false, false, false, L"&Open", L"", tboNoAutoHint, -1, ShortCut('O', ssCtrl), true,
       false, false, L""},
      {"action adjusts", false, false, false, L"&Open", L"", 0, -1, 0, false, true, true, L"Open!"},
      {"action suppresses", false, false, false, L"&Open", L"", 0, -1, ShortCut('O', ssCtrl), true, true, false,
       L""},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    TTBCustomItem* item = ItemOfKind(k.submenu, k.combo, L"");
    if (k.withAction) {
      action->Allow = k.actionAllows;
      action->Mark = L"!";
      item->SetAction(action);
    }
    item->SetCaption(k.caption);
    item->SetHint(k.hint);
    item->SetOptions(k.options);
    item->SetImageIndex(k.imageIndex);
    item->SetShortCut(k.shortCut);
    Application->SetHintShortCuts(k.hintShortCuts);
    EXPECT_EQ(Narrow(k.expected), Narrow(ViewerIn(k.toolbarView, item)->GetHintText()));
  }
}

// --- painting -------------------------------------------------------------------------------

TEST_F(ViewerTest, CheckedMenuLineDrawsTheCheckMarkOrTheRadioDot) {
  // The mark's points relative to its origin: six in the text colour (the seventh closes the
  // line on the first), four in the highlight colour (a polyline leaves out its last point).
  constexpr std::array<POINT, 6> kDark = {{{-2, -2}, {0, 0}, {4, -4}, {4, -3}, {0, 1}, {-2, -1}}};
  constexpr std::array<POINT, 4> kLight = {{{-3, -2}, {-3, -1}, {0, 2}, {5, -3}}};
  for (bool radio : {false, true}) {
    SCOPED_TRACE(radio ? "radio item" : "check item");
    TTBItem* item = Item(L"&Word wrap");
    item->SetChecked(true);
    item->SetRadioItem(radio);
    TTBItemViewer* v = ViewerIn(false, item);
    const int h = MenuLineHeight(v);
    TPicture p(120, h);
    PaintAsView(v, p, false);
    // The box is the image column (as wide as the line is high), pushed in by one pixel.
    const int x = (1 + h + 1) / 2, y = (1 + h + 1) / 2;
    if (radio) {
      EXPECT_EQ(Px(clBtnText), p.At(x - 1, y - 1));  // the dot
      EXPECT_EQ(Px(clBtnText), p.At(x - 3, y - 1));
      EXPECT_EQ(Px(clBtnHighlight), p.At(x - 4, y - 1));  // its ring
      EXPECT_EQ(Px(clBtnHighlight), p.At(x + 2, y - 1));
      EXPECT_EQ(Px(clBtnHighlight), p.At(x - 1, y - 4));
    } else {
      for (POINT d : kDark) EXPECT_EQ(Px(clBtnText), p.At(x - 2 + d.x, y + 1 + d.y)) << d.x << "," << d.y;
      for (POINT d : kLight) EXPECT_EQ(Px(clBtnHighlight), p.At(x - 2 + d.x, y + 1 + d.y)) << d.x << "," << d.y;
    }
    // Unselected, the box's inside is the face and highlight dither.
    const uint32_t face = Px(clBtnFace), light = Px(clBtnHighlight);
    EXPECT_TRUE((p.At(2, 2) == face && p.At(3, 2) == light) || (p.At(2, 2) == light && p.At(3, 2) == face))
        << std::hex << p.At(2, 2) << " " << p.At(3, 2);
    EXPECT_EQ(kBackground, p.At(h + 1, 1));  // nothing beside the box
  }
}

TEST_F(ViewerTest, HighlightBarLeavesTheImageColumnAndTheSplitButtonsArrow) {
  TTBImageList* wide = SolidList(24, 16, {0x0000FF});
  const int check = GetSystemMetrics(SM_CXMENUCHECK);
  struct Case {
    const char* what;
    bool image, checked, combo, enabled;
    bool leavesColumn, leavesArrow;
  } cases[] = {
      {"plain", false, false, false, true, false, false},
      {"with an image", true, false, false, true, true, false},
      {"checked", false, true, false, true, true, false},
      {"split button", false, false, true, true, false, true},
      {"disabled split button", false, false, true, false, false, false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    TTBCustomItem* item = ItemOfKind(k.combo, k.combo, L"&Open");
    item->SetImages(wide);
    item->SetImageIndex(k.image ? 0 : -1);
    item->SetChecked(k.checked);
    item->SetEnabled(k.enabled);
    TTBItemViewer* v = ViewerIn(false, item);
    const int h = MenuLineHeight(v);
    const int column = MulDiv(24 + 3, h, 16 + 3);
    const int w = 160;
    TPicture p(w, h);
    PaintAsView(v, p, true);
    const uint32_t bar = Px(clHighlight);
    if (k.leavesColumn) {
      EXPECT_NE(bar, p.At(column, 1));
      EXPECT_EQ(bar, p.At(column + 1, 1));
    } else {
      EXPECT_EQ(bar, p.At(0, 1));
    }
    if (k.leavesArrow) {
      EXPECT_EQ(bar, p.At(w - check - 1, 1));
      EXPECT_NE(bar, p.At(w - check, 1));
    } else {
      EXPECT_EQ(bar, p.At(w - 1, 1));
    }
  }
}

TEST_F(ViewerTest, MenuImagesSitCentredInTheColumnAndChecksPushThemIn) {
  TTBImageList* images = SolidList(16, 16, {0x0000FF});
  TTBImageList* hot = SolidList(16, 16, {0xFFFF00});
  images->SetHotImages(hot);
  struct Case {
    bool checked, selected;
    int offset;
    uint32_t colour;
  } cases[] = {
      {false, false, 0, 0x0000FF},
      {false, true, 0, 0xFFFF00},
      {true, false, 1, 0x0000FF},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << "checked " << k.checked << " selected " << k.selected);
    TTBItem* item = Item(L"&Open");
    item->SetImages(images);
    item->SetImageIndex(0);
    item->SetChecked(k.checked);
    TTBItemViewer* v = ViewerIn(false, item);
    const int h = MenuLineHeight(v);
    TPicture p(120, h);
    PaintAsView(v, p, k.selected);
    const int left = (h - 16) / 2 + k.offset, top = (h - 16) / 2 + k.offset;
    EXPECT_EQ(k.colour, p.At(left, top));
    EXPECT_EQ(k.colour, p.At(left + 15, top + 15));
    EXPECT_NE(k.colour, p.At(left - 1, top));
    EXPECT_NE(k.colour, p.At(left + 16, top + 15));
  }
}

TEST_F(ViewerTest, DisabledShadowIsEmbossedHighlightBelowShadow) {
  for (bool toolbar : {false, true}) {
    SCOPED_TRACE(toolbar ? "toolbar button" : "menu line");
    TTBItem* item = Item(L"&Mill");
    item->SetEnabled(false);
    TTBItemViewer* v = ViewerIn(toolbar, item);
    SIZE size = Measure(v);
    TPicture plain(size.cx + 40, size.cy), embossed(size.cx + 40, size.cy);
    PaintAsView(v, plain, false, false, false);
    PaintAsView(v, embossed, false, false, true);
    const uint32_t ink = Px(clWindowText), shadow = Px(clBtnShadow), light = Px(clBtnHighlight);
    int inked = 0, lit = 0;
    for (int y = 1; y < size.cy; ++y)
      for (int x = 1; x < size.cx + 40; ++x) {
        // Where the plain text covers a pixel fully, the shadow copy does; where it covers the
        // pixel up and left but not this one, the highlight copy shows.
        if (plain.At(x, y) == ink) {
          ++inked;
          EXPECT_EQ(shadow, embossed.At(x, y)) << x << "," << y;
        } else if (plain.At(x, y) == kBackground && plain.At(x - 1, y - 1) == ink) {
          ++lit;
          EXPECT_EQ(light, embossed.At(x, y)) << x << "," << y;
        }
      }
    EXPECT_GT(inked, 10);
    EXPECT_GT(lit, 3);
    EXPECT_EQ(0, embossed.Count(ink));
  }
}

TEST_F(ViewerTest, HiddenAcceleratorsDrawNoUnderline) {
  struct Case {
    bool cues;
    TTBViewStyle style;
    TTBViewState state;
    bool hidden;
  } cases[] = {
      {false, vsUseHiddenAccels, 0, true},
      {true, vsUseHiddenAccels, 0, false},
      {false, 0, 0, false},
      {false, vsUseHiddenAccels, vsShowAccels, false},
  };
  TTBItem* marked = Item(L"&File");
  TTBItem* unmarked = Item(L"File");
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << "cues " << k.cues << " style " << int(k.style) << " state " << k.state);
    settings.Cues = k.cues;
    TTBView* view = MakeView(false);
    view->SetStyle(k.style);
    view->SetState(k.state);
    TPicture withMarker(80, 20), without(80, 20);
    PaintAsView(view->Find(marked), withMarker, false);
    PaintAsView(view->Find(unmarked), without, false);
    EXPECT_EQ(k.hidden, withMarker.SameAs(without));
    EXPECT_GT(without.Count(Px(clWindowText)), 10);
  }
}

TEST_F(ViewerTest, SubmenuArrowTakesTheColourOfItsState) {
  const int cx = GetSystemMetrics(SM_CXMENUCHECK), cy = GetSystemMetrics(SM_CYMENUCHECK);
  struct Case {
    const char* what;
    bool combo, selected, shadow;
    std::vector<TColor> present;
    std::vector<TColor> absent;
  } cases[] = {
      {"plain", false, false, false, {clWindowText}, {clBtnText, clBtnShadow}},
      {"selected", false, true, false, {clHighlightText}, {clWindowText, clBtnText}},
      {"disabled", false, false, true, {clBtnHighlight, clBtnShadow}, {clWindowText}},
      {"split button", true, false, false, {clWindowText}, {clBtnText}},
      {"selected split button", true, true, false, {clBtnText}, {clWindowText, clHighlightText}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    auto* sub = Item<TTBSubmenuItem>(L"");  // no caption: only the arrow paints in the text colour
    sub->SetDropdownCombo(k.combo);
    TTBItemViewer* v = ViewerIn(false, sub);
    const int w = 80, h = 24;
    TPicture p(w, h);
    PaintAsView(v, p, k.selected, false, k.shadow, k.selected ? clHighlightText : clWindowText);
    // The glyph sits in the check-mark-sized square at the right, centred vertically; the
    // pressed look moves it one pixel down and right.
    const RECT square{w - cx, (h - cy) / 2, w, (h - cy) / 2 + cy + 1};
    for (TColor c : k.present) EXPECT_GT(p.Count(Px(c), square), 2) << std::hex << Px(c);
    for (TColor c : k.absent) EXPECT_EQ(0, p.Count(Px(c))) << std::hex << Px(c);
    const RECT left{0, 0, w - cx - 2, h};
    for (TColor c : k.present) EXPECT_EQ(0, p.Count(Px(c), left)) << std::hex << Px(c);
    if (k.combo && !k.selected) {
      // The arrow part is set off by an etched line.
      EXPECT_EQ(SystemPx(COLOR_BTNSHADOW), p.At(w - cx - 1, h / 2));
      EXPECT_EQ(SystemPx(COLOR_BTNHIGHLIGHT), p.At(w - cx, h / 2));
    }
  }
}

TEST_F(ViewerTest, ToolbarDropDownArrowPointsDownOrLeft) {
  struct Case {
    const char* what;
    TTBViewOrientation orientation;
    bool pushed, shadow;
    int w, h;
    std::vector<POINT> tip;  // three corners of the triangle
  } cases[] = {
      // Horizontal: the arrow part is 8 wide, 3 from the right edge; centre (24, 11).
      {"horizontal", tbvoHorizontal, false, false, 31, 22, {{22, 10}, {26, 10}, {24, 12}}},
      {"horizontal, pushed", tbvoHorizontal, true, false, 31, 22, {{23, 11}, {27, 11}, {25, 13}}},
      {"vertical", tbvoVertical, false, false, 23, 30, {{10, 25}, {10, 21}, {8, 23}}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    auto* sub = Item<TTBSubmenuItem>(L"");
    sub->SetOptions(tboDropdownArrow);
    TTBItemViewer* v = ViewerIn(true, sub, k.orientation);
    TPicture p(k.w, k.h);
    PaintAsView(v, p, true, k.pushed, false);
    for (POINT t : k.tip) EXPECT_EQ(Px(clWindowText), p.At(t.x, t.y)) << t.x << "," << t.y;
    EXPECT_EQ(9, p.Count(Px(clWindowText)));
  }
  // Disabled: a highlight copy one pixel down and right under the shadow copy.
  auto* sub = Item<TTBSubmenuItem>(L"");
  sub->SetOptions(tboDropdownArrow);
  TPicture p(31, 22);
  PaintAsView(ViewerIn(true, sub), p, false, false, true);
  EXPECT_EQ(9, p.Count(Px(clBtnShadow)));
  EXPECT_EQ(Px(clBtnShadow), p.At(22, 10));
  EXPECT_EQ(Px(clBtnHighlight), p.At(25, 13));
  EXPECT_EQ(0, p.Count(Px(clWindowText)));
}

TEST_F(ViewerTest, ToolbarFrameIsRaisedWhenHotAndSunkWhenPushedOrChecked) {
  struct Case {
    const char* what;
    bool selected, pushed, checked, enabled;
    uint32_t topLeft;
    bool dithered;
  } cases[] = {
      {"idle", false, false, false, true, kBackground, false},
      {"hot", true, false, false, true, SystemPx(COLOR_BTNHIGHLIGHT), false},
      {"pushed", true, true, false, true, SystemPx(COLOR_BTNSHADOW), false},
      {"checked", false, false, true, true, SystemPx(COLOR_BTNSHADOW), true},
      {"checked and hot", true, false, true, true, SystemPx(COLOR_BTNSHADOW), false},
      {"checked, hot but disabled", true, false, true, false, SystemPx(COLOR_BTNSHADOW), true},
      {"hot but disabled", true, false, false, false, kBackground, false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    TTBItem* item = Item(L"");
    item->SetChecked(k.checked);
    item->SetEnabled(k.enabled);
    TPicture p(23, 22);
    PaintAsView(ViewerIn(true, item), p, k.selected, k.pushed, false);
    EXPECT_EQ(k.topLeft, p.At(0, 0));
    // A checked button that is not hot shows the dither inside its frame.
    const uint32_t face = Px(clBtnFace), light = Px(clBtnHighlight);
    const bool dithered = (p.At(1, 1) == face && p.At(2, 1) == light) || (p.At(1, 1) == light && p.At(2, 1) == face);
    EXPECT_EQ(k.dithered, dithered);
  }
}

TEST_F(ViewerTest, SeparatorsAreEtchedLinesOrBlank) {
  const uint32_t dark = SystemPx(COLOR_BTNSHADOW), light = SystemPx(COLOR_BTNHIGHLIGHT);
  struct Case {
    const char* what;
    bool toolbarView;
    TTBViewOrientation orientation;
    bool lineSeparator;
    int w, h;
    bool across;      // a horizontal line (else vertical)
    int at;           // its row or column
    int first, last;  // its extent along the line, inclusive
  } cases[] = {
      {"menu", false, tbvoHorizontal, false, 100, 9, true, 3, 12, 87},
      {"horizontal toolbar", true, tbvoHorizontal, false, 6, 22, false, 2, 0, 21},
      {"vertical toolbar", true, tbvoVertical, false, 22, 6, true, 2, 0, 21},
      {"end of a wrapped line", true, tbvoHorizontal, true, 22, 6, true, 2, 4, 17},
      {"end of a wrapped floating line", true, tbvoFloating, true, 22, 6, true, 2, 1, 20},
      {"end of a wrapped vertical line", true, tbvoVertical, true, 6, 22, false, 2, 4, 17},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    auto* separator = Item<TTBSeparatorItem>(L"");
    TTBItemViewer* v = ViewerIn(k.toolbarView, separator, k.orientation);
    v->LineSeparator = k.lineSeparator;
    TPicture p(k.w, k.h);
    PaintAsView(v, p, false);
    auto at = [&](int along, int across) { return k.across ? p.At(along, across) : p.At(across, along); };
    EXPECT_EQ(dark, at(k.first, k.at));
    EXPECT_EQ(dark, at(k.last, k.at));
    EXPECT_EQ(light, at(k.first, k.at + 1));
    EXPECT_EQ(light, at(k.last, k.at + 1));
    EXPECT_EQ(k.last - k.first + 1, p.Count(dark));
    EXPECT_EQ(kBackground, at(k.first, k.at - 1));

    separator->SetBlank(true);
    TPicture blank(k.w, k.h);
    PaintAsView(v, blank, false);
    EXPECT_EQ(k.w * k.h, blank.Count(kBackground));
  }
}

// --- control items --------------------------------------------------------------------------

TEST_F(ViewerTest, ControlItemFreesItsControlUnlessToldToKeepIt) {
  struct Case {
    const char* what;
    bool keep, inherited;
    int destroyedWithItem;
  } cases[] = {
      {"owned", false, false, 1},
      {"kept", true, false, 0},
      {"inherited", false, true, 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    int destroyed = 0;
    auto* control = new TSpyControl(nullptr, &destroyed);
    auto* item = new TTBControlItem(f.Owner(), control);
    root->Add(item);
    EXPECT_EQ(control, item->Control());
    EXPECT_EQ(0, item->ItemStyle() & tbisSelectable);
    EXPECT_NE(0, item->ItemStyle() & tbisClicksTransparent);
    item->SetKeepControlOnDestroy(k.keep);
    if (k.inherited) control->MarkInherited();
    item->Free();
    EXPECT_EQ(k.destroyedWithItem, destroyed);
    if (!destroyed) control->Free();
    EXPECT_EQ(1, destroyed);
  }
}

TEST_F(ViewerTest, ControlFreedFirstClearsTheItemsReference) {
  int destroyed = 0, other = 0;
  auto* control = new TSpyControl(f.Owner(), &destroyed);
  auto* item = new TTBControlItem(f.Owner());
  root->Add(item);
  TListener listener;
  root->RegisterNotification(listener.Proc());
  item->SetControl(control);
  EXPECT_EQ(control, item->Control());
  EXPECT_EQ((std::vector<TNote>{{root, false, tbicInvalidateAndResize, -1, item}}), listener.Changes());
  control->Free();
  EXPECT_EQ(nullptr, item->Control());

  // A control replaced is neither watched nor freed with the item any more.
  auto* first = new TSpyControl(nullptr, &other);
  auto* second = new TSpyControl(nullptr, &destroyed);
  item->SetControl(first);
  item->SetControl(second);
  first->Free();
  EXPECT_EQ(1, other);
  EXPECT_EQ(second, item->Control());
  root->UnregisterNotification(listener.Proc());
  item->Free();
  EXPECT_EQ(2, destroyed);
}

// --- selecting, executing and the mouse rules -----------------------------------------------

TEST_F(ViewerTest, EnteringAndLeavingTellTheItemsSelectHandler) {
  struct TSelectLog : TObject {
    void Selected(TTBCustomItem* Sender, TTBItemViewer* Viewer, bool Selecting) {
      Log.push_back({Sender, Viewer, Selecting});
    }
    struct Entry {
      TTBCustomItem* Item;
      TTBItemViewer* Viewer;
      bool Selecting;
      bool operator==(const Entry&) const = default;
    };
    std::vector<Entry> Log;
  } log;
  TTBItem* item = Item(L"&Open");
  item->OnSelect = TTBSelectEvent(&log, &TSelectLog::Selected);
  TTBItemViewer* v = ViewerIn(false, item);
  v->Entering(nullptr);
  v->Leaving();
  EXPECT_EQ((std::vector<TSelectLog::Entry>{{item, v, true}, {item, v, false}}), log.Log);
  item->OnSelect = nullptr;
  v->Entering(nullptr);  // unassigned: nothing
  EXPECT_EQ(2u, log.Log.size());
}

namespace {

// A bar on the screen: a top-level control whose view lays its viewers out in a row.
class TBarWindow : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
};

// Menus of one root item, shown as a toolbar in a bar window or as popup windows, for the
// mouse rules: a press and a release on a viewer, with the pointer really over it.
class MouseRules : public testing::Test {
 protected:
  void SetUp() override {
    SetCursorPos(1, 1);  // no window of ours under the pointer
    root = f.Make<TTBRootItem>(L"root");
    open = f.Make(L"open", root);
    open->SetCaption(L"&Open");
    separator = f.Make<TTBSeparatorItem>(L"separator", root);  // between items: shown
    off = f.Make(L"off", root);
    off->SetCaption(L"O&ff");
    off->SetEnabled(false);
    sub = f.Make<TTBSubmenuItem>(L"sub", root);
    sub->SetCaption(L"&File");
    f.Make(L"first", sub)->SetCaption(L"&First");
    f.Make(L"byDefault", sub)->SetCaption(L"&Default");
    sub->Items(1)->SetOptions(tboDefault);
    combo = f.Make<TTBSubmenuItem>(L"combo", root);
    combo->SetCaption(L"&Split");
    combo->SetDropdownCombo(true);
    f.Make(L"inside", combo)->SetCaption(L"&Inside");
  }
  void TearDown() override {
    CloseAll();
    SetCursorPos(1, 1);
  }
  // Popups opened from a view go before the view's window.
  void CloseAll() {
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) (*it)->Free();
    windows.clear();
  }
  // The root view of a toolbar at (200, 200).
  TTBView* Toolbar(bool usePriorityList = false) {
    auto* bar = new TBarWindow(nullptr);
    windows.push_back(bar);
    bar->SetVisible(false);
    bar->SetBounds(200, 200, 600, 40);
    auto* view = new TTBView(bar, nullptr, root, bar, true, false, usePriorityList);
    view->UpdatePositions();
    bar->SetVisible(true);
    testing_support::PumpMessages();
    return view;
  }
  // A popup view of Item at (300, 300), the root one or one opened from ParentView.
  TTBView* Popup(TTBCustomItem* item, TTBView* parentView = nullptr) {
    auto* window = new TTBPopupWindow(nullptr, parentView, item, false);
    windows.push_back(window);
    window->View()->UpdatePositions();
    window->SetBounds(300, 300, window->Width(), window->Height());
    window->SetVisible(true);
    testing_support::PumpMessages();
    return window->View();
  }
  // Puts the pointer on the viewer, X pixels from its left (its middle when X < 0), as the last
  // message's position, and selects the viewer by the mouse as the menu loop would.
  POINT Hover(TTBItemViewer* v, int x = -1) {
    const RECT& r = v->BoundsRect;
    POINT p{x < 0 ? (r.left + r.right) / 2 : r.left + x, (r.top + r.bottom) / 2};
    ClientToScreen(v->View()->Window()->Handle(), &p);
    SetCursorPos(p.x, p.y);
    // A posted message carries the pointer's position: the view reads it as the last one.
    PostMessageW(v->View()->Window()->Handle(), WM_NULL, 0, 0);
    testing_support::PumpMessages();
    v->View()->UpdateSelection(&p, true);
    return {p.x, p.y};
  }
  // Moves the pointer off every window of ours; the viewer stays selected, the pointer no
  // longer over it.
  static void LeaveWindow(TTBItemViewer* v) {
    SetCursorPos(1, 1);
    PostMessageW(v->View()->Window()->Handle(), WM_NULL, 0, 0);
    testing_support::PumpMessages();
    v->View()->Select(v, true);
  }
  static POINT Middle(TTBItemViewer* v) {
    return {(v->BoundsRect.right - v->BoundsRect.left) / 2, (v->BoundsRect.bottom - v->BoundsRect.top) / 2};
  }
  // Press and release in the middle of the viewer.
  static bool Press(TTBItemViewer* v, TShiftState shift = 0) {
    bool onMenu = false;
    const POINT m = Middle(v);
    v->MouseDown(shift, m.x, m.y, onMenu);
    return onMenu;
  }
  static void Release(TTBItemViewer* v, bool wasDownOnMenu = false) {
    const POINT m = Middle(v);
    v->MouseUp(m.x, m.y, wasDownOnMenu);
  }

  TItemFactory f;
  TTBRootItem* root = nullptr;
  TTBCustomItem* open = nullptr;
  TTBCustomItem* off = nullptr;
  TTBSubmenuItem* sub = nullptr;
  TTBSubmenuItem* combo = nullptr;
  TTBSeparatorItem* separator = nullptr;
  std::vector<TWinControl*> windows;  // freed last first
};

}  // namespace

TEST_F(MouseRules, PressOnADisabledItemEndsAToolbarsLoopOnly) {
  TTBView* bar = Toolbar();
  Hover(bar->Find(off));
  Press(bar->Find(off));
  EXPECT_EQ(tbdaCancel, bar->DoneActionData().DoneAction);
  EXPECT_FALSE(bar->Capture());

  TTBView* popup = Popup(root);
  Hover(popup->Find(off));
  Press(popup->Find(off));
  EXPECT_EQ(tbdaNone, popup->DoneActionData().DoneAction);
  EXPECT_FALSE(popup->Capture());

  // A toolbar's popup is not a root: the press does nothing there either.
  TTBView* fresh = Toolbar();
  TTBView* child = Popup(root, fresh);
  Hover(child->Find(off));
  Press(child->Find(off));
  EXPECT_EQ(tbdaNone, fresh->DoneActionData().DoneAction);
}

TEST_F(MouseRules, PressOnAToolbarButtonTakesTheCaptureAndAMenuLineWaits) {
  TTBView* bar = Toolbar();
  TTBItemViewer* v = bar->Find(open);
  Hover(v);
  Press(v);
  EXPECT_TRUE(bar->Capture());
  EXPECT_TRUE(v->RepaintPending);  // drawn pressed
  EXPECT_EQ(tbdaNone, bar->DoneActionData().DoneAction);

  TTBView* popup = Popup(root);
  Hover(popup->Find(open));
  Press(popup->Find(open));
  EXPECT_FALSE(popup->Capture());
  EXPECT_EQ(tbdaNone, popup->DoneActionData().DoneAction);
}

TEST_F(MouseRules, ReleaseExecutesOrEndsTheLoopByViewAndState) {
  enum TKind { kToolbar, kPopup, kToolbarsPopup };
  struct Case {
    const char* what;
    TKind kind;
    const char* item;
    bool pressed, overIt;
    TTBDoneAction outcome;
    bool sound;
  } cases[] = {
      {"toolbar button pressed and released on it", kToolbar, "open", true, true, tbdaClickItem, false},
      {"toolbar button released without the press", kToolbar, "open", false, true, tbdaNone, false},
      {"toolbar button released off it", kToolbar, "open", true, false, tbdaCancel, false},
      {"toolbar separator", kToolbar, "separator", false, true, tbdaCancel, false},
      {"toolbar disabled item", kToolbar, "off", false, true, tbdaCancel, false},
      {"menu line released on it", kPopup, "open", false, true, tbdaClickItem, true},
      {"menu line pressed and released on it", kPopup, "open", true, true, tbdaClickItem, true},
      {"menu line released off it", kPopup, "open", false, false, tbdaNone, false},
      {"menu separator", kPopup, "separator", false, true, tbdaNone, false},
      {"menu disabled item", kPopup, "off", false, true, tbdaNone, false},
      {"menu line of a toolbar's popup", kToolbarsPopup, "open", false, true, tbdaClickItem, true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    TTBView* rootView = k.kind == kPopup ? Popup(root) : Toolbar();
    TTBView* view = k.kind == kToolbarsPopup ? Popup(root, rootView) : rootView;
    auto* item = static_cast<TTBCustomItem*>(f.Owner()->FindComponent(String(k.item, k.item + strlen(k.item))));
    TTBItemViewer* v = view->Find(item);
    Hover(v);
    ASSERT_EQ(v, view->Selected());
    ASSERT_TRUE(view->MouseOverSelected());
    if (k.pressed) Press(v);
    if (!k.overIt) LeaveWindow(v);
    Release(v);
    const TTBDoneActionData& done = rootView->DoneActionData();
    EXPECT_EQ(k.outcome, done.DoneAction);
    EXPECT_FALSE(view->Capture());
    if (k.outcome == tbdaClickItem) {
      EXPECT_EQ(item, done.ClickItem);
      EXPECT_EQ(k.sound, done.Sound);
    }
    CloseAll();
  }
}

TEST_F(MouseRules, SplitButtonArrowOpensItsMenuAndThePressedMenuClosesOnRelease) {
  TTBView* bar = Toolbar();
  TTBItemViewer* v = bar->Find(combo);
  const int width = v->BoundsRect.right - v->BoundsRect.left, arrowX = width - 5;
  const int y = (v->BoundsRect.bottom - v->BoundsRect.top) / 2;
  Hover(v, arrowX);
  bool onMenu = false;
  v->MouseDown(0, arrowX, y, onMenu);
  EXPECT_EQ(v, bar->OpenViewer());
  EXPECT_FALSE(onMenu);  // it was not open before
  EXPECT_FALSE(bar->Capture());
  v->MouseUp(arrowX, y, onMenu);
  EXPECT_EQ(tbdaNone, bar->DoneActionData().DoneAction);  // the menu stays open
  EXPECT_EQ(v, bar->OpenViewer());

  // A press on the open menu's arrow again: its release ends the menu.
  Hover(v, arrowX);
  v->MouseDown(0, arrowX, y, onMenu);
  EXPECT_TRUE(onMenu);
  v->MouseUp(arrowX, y, onMenu);
  EXPECT_EQ(tbdaCancel, bar->DoneActionData().DoneAction);
}

TEST_F(MouseRules, SplitButtonsButtonPartClicksLikeAButton) {
  TTBView* bar = Toolbar();
  TTBItemViewer* v = bar->Find(combo);
  const int y = (v->BoundsRect.bottom - v->BoundsRect.top) / 2;
  Hover(v, 3);
  bool onMenu = false;
  v->MouseDown(0, 3, y, onMenu);
  EXPECT_EQ(nullptr, bar->OpenViewer());
  EXPECT_TRUE(bar->Capture());
  v->MouseUp(3, y, onMenu);
  EXPECT_EQ(tbdaClickItem, bar->DoneActionData().DoneAction);
  EXPECT_EQ(combo, bar->DoneActionData().ClickItem);
}

TEST_F(MouseRules, DoubleClickOnASubmenuRunsItsDefaultItem) {
  TTBView* bar = Toolbar();
  TTBItemViewer* v = bar->Find(sub);
  Hover(v);
  Press(v, ssDouble);
  ASSERT_EQ(v, bar->OpenViewer());
  EXPECT_EQ(tbdaClickItem, bar->DoneActionData().DoneAction);
  EXPECT_EQ(sub->Items(1), bar->DoneActionData().ClickItem);

  // A single press only opens the menu.
  TTBView* other = Toolbar();
  TTBItemViewer* w = other->Find(sub);
  Hover(w);
  Press(w);
  EXPECT_EQ(w, other->OpenViewer());
  EXPECT_EQ(tbdaNone, other->DoneActionData().DoneAction);
}

TEST_F(MouseRules, ExecutingTwiceInOneRunQueuesOneClick) {
  TTBView* popup = Popup(root);
  TTBItemViewer* v = popup->Find(open);
  v->Execute(true);
  v->Execute(true);
  const TTBDoneActionData& done = popup->DoneActionData();
  ASSERT_EQ(tbdaClickItem, done.DoneAction);
  EXPECT_EQ(open, done.ClickItem);
  f.Events.Log.clear();
  EXPECT_EQ(open, ProcessDoneAction(done, false));
  testing_support::PumpMessages();
  EXPECT_EQ((std::vector<std::string>{"click open"}), f.Events.Log);
}

TEST_F(MouseRules, ExecutingGivesTheViewerPriorityWhenAsked) {
  TTBView* bar = Toolbar(true);
  ASSERT_NE(nullptr, bar->PriorityList());
  TTBItemViewer* first = bar->PriorityList()->front();
  TTBItemViewer* last = bar->Find(combo);
  ASSERT_NE(first, last);
  last->Execute(false);
  EXPECT_EQ(first, bar->PriorityList()->front());
  last->Execute(true);
  EXPECT_EQ(last, bar->PriorityList()->front());
}
