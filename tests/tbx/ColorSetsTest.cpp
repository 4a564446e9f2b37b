// Colour sets and colour palettes: the built-in 8 x 5 set, naming colours, a palette's colour
// and selection, and the link between palettes and sets, which either may end by going first.
#include "ToolPaletteTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tbx_test;

namespace {

// A colour value as the system keeps it: red in the low byte.
constexpr TColor FromRgb(uint32_t Rgb) {
  return static_cast<TColor>(((Rgb >> 16) & 0xFF) | (Rgb & 0xFF00) | ((Rgb & 0xFF) << 16));
}

struct TBuiltIn {
  const wchar_t* Name;
  uint32_t Rgb;
};

// The built-in cells, row by row, as the colours are usually written (red first).
const TBuiltIn kBuiltIn[5][8] = {
    {{L"Black", 0x000000}, {L"Brown", 0x993300}, {L"Olive Green", 0x333300}, {L"Dark Green", 0x003300},
     {L"Dark Teal", 0x003366}, {L"Dark blue", 0x000080}, {L"Indigo", 0x333399}, {L"Gray-80%", 0x333333}},
    {{L"Dark Red", 0x800000}, {L"Orange", 0xFF6600}, {L"Dark Yellow", 0x808000}, {L"Green", 0x008000},
     {L"Teal", 0x008080}, {L"Blue", 0x0000FF}, {L"Blue-Gray", 0x666699}, {L"Gray-50%", 0x808080}},
    {{L"Red", 0xFF0000}, {L"Light Orange", 0xFF9900}, {L"Lime", 0x99CC00}, {L"Sea Green", 0x339966},
     {L"Aqua", 0x33CCCC}, {L"Light Blue", 0x3366FF}, {L"Violet", 0x800080}, {L"Gray-40%", 0x969696}},
    {{L"Pink", 0xFF00FF}, {L"Gold", 0xFFCC00}, {L"Yellow", 0xFFFF00}, {L"Bright Green", 0x00FF00},
     {L"Turquoise", 0x00FFFF}, {L"Sky Blue", 0x00CCFF}, {L"Plum", 0x993366}, {L"Gray-25%", 0xC0C0C0}},
    {{L"Rose", 0xFF99CC}, {L"Tan", 0xFFCC99}, {L"Light Yellow", 0xFFFF99}, {L"Light Green", 0xCCFFCC},
     {L"Light Turquoise", 0xCCFFFF}, {L"Pale Blue", 0x99CCFF}, {L"Lavender", 0xCC99FF}, {L"White", 0xFFFFFF}},
};

// A form's handler for its own set: a colour per cell below the row, named "cell c,r", except
// the cells it leaves without a colour or without a name.
struct TCellAnswers : TObject {
  int Rows = 2;
  TColor Unnamed = clNone;  // the colour of cell (0, 1), which has no name
  void Info(TObject*, int Col, int Row, TColor& Color, String& Name) {
    if (Col < 0 || Row < 0 || Row >= Rows || (Col == 1 && Row == 0)) return;  // (1, 0) has none
    if (Col == 0 && Row == 1) {
      Color = Unnamed;
      return;
    }
    Color = Row * 0x10 + Col;
    Name = L"cell " + std::to_wstring(Col) + L"," + std::to_wstring(Row);
  }
  TCSGetColorInfo Event() { return TCSGetColorInfo(this, &TCellAnswers::Info); }
};

class ColorSets : public ThemedItemsTest {
 protected:
  void SetUp() override {
    settings.Colors[COLOR_BTNFACE] = RGB(0xFF, 0x99, 0xCC);  // the same as "Rose"
    settings.Colors[COLOR_WINDOW] = RGB(0x01, 0x02, 0x03);   // no cell's colour
    ThemedItemsTest::SetUp();
  }
  // A set of the form's own, answered by `answers`.
  TTBXColorSet* MakeSet(int Cols, int Rows) {
    auto* set = new TTBXColorSet(owner);
    set->SetColCount(Cols);
    set->SetRowCount(Rows);
    set->OnGetColorInfo = answers.Event();
    return set;
  }
  TTBXColorPalette* MakePalette() { return Make<TTBXColorPalette>(L""); }
  TCellAnswers answers;
  TPaletteSpy spy;
};

}  // namespace

// --- the sets ---------------------------------------------------------------------------------

TEST_F(ColorSets, TheBuiltInSetNamesItsFortyColoursAndNothingOutside) {
  ASSERT_NE(DefaultColorSetInstance, nullptr);
  TTBXDefaultColorSet& set = *DefaultColorSetInstance;
  EXPECT_EQ(set.ColCount(), 8);
  EXPECT_EQ(set.RowCount(), 5);
  for (int row = 0; row < 5; ++row)
    for (int col = 0; col < 8; ++col) {
      String name = L"stale";
      TColor color = 0;
      set.GetColorInfo(col, row, name, color);
      EXPECT_EQ(name, kBuiltIn[row][col].Name) << col << "," << row;
      EXPECT_EQ(color, FromRgb(kBuiltIn[row][col].Rgb)) << col << "," << row;
    }
  for (POINT outside : {POINT{-1, 0}, POINT{8, 0}, POINT{0, 5}, POINT{0, -1}}) {
    String name = L"stale";
    TColor color = 0;
    set.GetColorInfo(outside.x, outside.y, name, color);
    EXPECT_EQ(name, L"") << outside.x << "," << outside.y;
    EXPECT_EQ(color, clNone) << outside.x << "," << outside.y;
  }
}

TEST_F(ColorSets, TheBuiltInSetLivesFromTheThemeLayersStartToItsEnd) {
  EXPECT_NE(DefaultColorSetInstance, nullptr);
  InitializeThemeLayer();  // counted: the same set
  TTBXDefaultColorSet* set = DefaultColorSetInstance;
  FinalizeThemeLayer();
  EXPECT_EQ(DefaultColorSetInstance, set);
}

TEST_F(ColorSets, ColoursAreNamedByTheFirstCellOfTheSameColourElseByTheirHexDigits) {
  answers.Unnamed = 0x000011;  // cell (0, 1) has no name
  TTBXColorSet* own = MakeSet(3, 2);
  struct TCase {
    const char* what;
    TTBXCustomColorSet* set;
    TColor color;
    String name;
  } cases[] = {
      {"no colour", DefaultColorSetInstance, clNone, L"None"},
      {"a colour of the set", DefaultColorSetInstance, 0x0000FF, L"Red"},
      {"a colour of no cell", DefaultColorSetInstance, 0x123456, L"#563412"},
      {"a system colour of a cell's value", DefaultColorSetInstance, clBtnFace, L"Rose"},
      {"a system colour of no cell", DefaultColorSetInstance, clWindow, L"#010203"},
      {"a form's set", own, 0x000012, L"cell 2,1"},
      {"the first cell of the colour has no name (the next has)", own, 0x000011, L"#110000"},
      {"no cell of a form's set", own, 0x0000FF, L"#FF0000"},
  };
  for (const TCase& c : cases) EXPECT_EQ(c.set->ColorToName(c.color), c.name) << c.what;
}

// --- a palette's colour -------------------------------------------------------------------------

TEST_F(ColorSets, WritingAColourSelectsItsFirstCellAndFiresTheChangeOnce) {
  TTBXColorPalette* palette = MakePalette();
  spy.Watch(palette);
  struct TCase {
    const char* what;
    TColor written;
    TTBXCell selected;
    TColor color;  // afterwards
  } cases[] = {
      {"a colour of the set", 0x0000FF, {0, 2}, 0x0000FF},
      {"another", FromRgb(0xFFFF99), {2, 4}, FromRgb(0xFFFF99)},
      {"a colour of no cell", 0x123456, {-1, 0}, 0x123456},
      {"a system colour by its value", clBtnFace, {0, 4}, FromRgb(0xFF99CC)},
      {"a system colour of no cell", clWindow, {-1, 0}, clWindow},
      {"no colour", clNone, {-1, 0}, clNone},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    spy.Log.clear();
    palette->WriteColor(c.written);
    EXPECT_EQ(palette->SelectedCell(), c.selected);
    EXPECT_EQ(palette->Color(), c.color);
    EXPECT_EQ(spy.Log, std::vector<std::string>{"change selected " + CellText(c.selected)});
  }
  // Unbound around the write, as callers preset a palette.
  spy.Log.clear();
  palette->OnChange.Clear();
  palette->WriteColor(0x0000FF);
  EXPECT_EQ(palette->SelectedCell(), (TTBXCell{0, 2}));
  EXPECT_TRUE(spy.Log.empty());
}

TEST_F(ColorSets, APalettesCellsAreItsSetsColoursWithHintsOfTheirNamesAndCellsWithoutAColourAreHoles) {
  TTBXColorPalette* palette = MakePalette();
  EXPECT_EQ(palette->ColCount(), 8);
  EXPECT_EQ(palette->RowCount(), 5);
  EXPECT_TRUE(palette->EffectiveOptions() & tboShowHint);
  EXPECT_TRUE(palette->PaletteOptions() & tpoCustomImages);
  EXPECT_EQ(palette->Color(), clNone);
  EXPECT_EQ(palette->GetCellColor(4, 2), FromRgb(0x33CCCC));
  String hint;
  palette->DoGetCellHint(4, 2, hint);
  EXPECT_EQ(hint, L"Aqua");

  palette->SetColorSet(MakeSet(3, 2));
  TTBXToolViewer* viewer = static_cast<TTBXToolViewer*>(HiddenPopup()->View()->Find(palette));
  EXPECT_TRUE(viewer->IsCellVisible(0, 0));
  EXPECT_FALSE(viewer->IsCellVisible(1, 0)) << "the set gives it no colour";
  EXPECT_FALSE(viewer->IsCellVisible(0, 1)) << "the set gives it no colour";
  palette->DoGetCellHint(2, 1, hint);
  EXPECT_EQ(hint, L"cell 2,1");
  palette->WriteColor(clNone);
  EXPECT_TRUE(palette->SelectedCell().IsNone()) << "a cell without a colour is never chosen";
  // The keys pass over it.
  viewer->HotCell = {0, 0};
  WORD key = VK_RIGHT;
  viewer->KeyDown(key, 0);
  EXPECT_EQ(viewer->HotCell, (TTBXCell{0, 0}));
}

// --- palettes and sets --------------------------------------------------------------------------

TEST_F(ColorSets, APaletteFollowsItsSetsCountsAndFallsBackToTheBuiltInSetWhenItGoes) {
  TTBXColorSet* set = MakeSet(4, 2);
  TTBXColorPalette* a = MakePalette();
  TTBXColorPalette* b = MakePalette();
  a->SetColorSet(set);
  b->SetColorSet(set);
  EXPECT_EQ(set->Palettes(), (std::vector<TTBXColorPalette*>{a, b}));
  EXPECT_EQ(a->ColCount(), 4);
  EXPECT_EQ(a->RowCount(), 2);
  set->SetColCount(6);
  set->SetRowCount(3);
  for (TTBXColorPalette* p : {a, b}) {
    EXPECT_EQ(p->ColCount(), 6);
    EXPECT_EQ(p->RowCount(), 3);
  }
  // Counts beyond what a palette holds stay within 0..255.
  set->UpdateSize(300, -4);
  EXPECT_EQ(a->ColCount(), 255);
  EXPECT_EQ(a->RowCount(), 0);
  set->UpdateSize(6, 3);

  b->SetColorSet(nullptr);
  EXPECT_EQ(set->Palettes(), std::vector<TTBXColorPalette*>{a});
  EXPECT_EQ(b->ColCount(), 8);
  EXPECT_EQ(b->RowCount(), 5);
  set->SetColCount(2);
  EXPECT_EQ(b->ColCount(), 8) << "a palette that left the set";

  set->Free();
  EXPECT_EQ(a->ColorSet(), nullptr);
  EXPECT_EQ(a->ColCount(), 8);
  EXPECT_EQ(a->RowCount(), 5);
  EXPECT_EQ(a->GetCellColor(0, 2), 0x0000FF);
}

TEST_F(ColorSets, WhicheverGoesFirstTheOtherKeepsNoPointerToIt) {
  // Freed memory is poisoned in this test program: a use of a freed palette or set fails.
  struct TCase {
    const char* what;
    bool paletteFirst;
    bool deleted;  // gone without Free
  } cases[] = {
      {"the palette freed first", true, false},
      {"the palette deleted first", true, true},
      {"the set freed first", false, false},
      {"the set deleted first", false, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    TTBXColorSet* set = MakeSet(3, 2);
    TTBXColorPalette* palette = MakePalette();
    TTBXColorPalette* stays = MakePalette();
    palette->SetColorSet(set);
    stays->SetColorSet(set);
    if (c.paletteFirst) {
      if (c.deleted) delete palette;
      else palette->Free();
      EXPECT_EQ(set->Palettes(), std::vector<TTBXColorPalette*>{stays});
      set->SetColCount(5);
      EXPECT_EQ(stays->ColCount(), 5);
      set->Free();
    } else {
      if (c.deleted) delete set;
      else set->Free();
      for (TTBXColorPalette* p : {palette, stays}) {
        EXPECT_EQ(p->ColorSet(), nullptr);
        EXPECT_EQ(p->ColCount(), 8);
      }
      palette->Free();
    }
    EXPECT_EQ(stays->ColorSet(), nullptr);
    stays->Free();
  }
  // A form freeing both, in the order it owns them.
  auto* form = new TComponent(nullptr);
  auto* palette = new TTBXColorPalette(form);
  auto* set = new TTBXColorSet(form);
  set->SetColCount(2);
  palette->SetColorSet(set);
  form->Free();
}
