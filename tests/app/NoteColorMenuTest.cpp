// The note menu's "Color" submenu: a colour palette on the note's 8 x 3 colour set, which the
// main form answers; opening it shows the note's colour without running the change handler,
// and choosing a colour recolours the note inside the menu's loop before the menu closes.
#include "AppFixture.h"
#include "PaletteProbes.h"

#include "classlib/Messages.h"

#include <functional>
#include <string>

using namespace app_testing;
using testing_support::PumpMessages;

namespace {

struct TNoteColor {
  const wchar_t* Name;
  TColor Color;
};

// The note colours, row by row, as colour values (red in the low byte).
const TNoteColor kNoteColors[3][8] = {
    {{L"Red", 0x0000FF}, {L"Light Orange", 0x0099FF}, {L"Lime", 0x00CC99}, {L"Sea Green", 0x669933},
     {L"Aqua", 0xCCCC33}, {L"Light Blue", 0xFF6633}, {L"Violet", 0x800080}, {L"Dark Gray", 0x969696}},
    {{L"Pink", 0xFF00FF}, {L"Gold", 0x00CCFF}, {L"Yellow", 0x00FFFF}, {L"Bright Green", 0x00FF00},
     {L"Turquoise", 0xFFFF00}, {L"Sky Blue", 0xFFCC00}, {L"Plum", 0x663399}, {L"Light Gray", 0xC0C0C0}},
    {{L"Rose", 0xCC99FF}, {L"Tan", 0x99CCFF}, {L"Light Yellow", 0x99FFFF}, {L"Light Green", 0xCCFFCC},
     {L"Light Turquoise", 0xFFFFCC}, {L"Pale Blue", 0xFFCC99}, {L"Lavender", 0xFF99CC}, {L"White", 0xFFFFFF}},
};

// Runs the note's change handler and notes what the note looked like when it returned.
struct TAfterChange : TObject {
  TFR_NOTE* Note = nullptr;
  HWND Submenu = nullptr;
  int Runs = 0;
  TColor Editor = clNone, Bar = clNone;
  bool SubmenuUp = false;
  void Change(TObject* Sender) {
    Note->cpColorPaletteChange(Sender);
    ++Runs;
    Editor = Note->reEdit->Color();
    Bar = Note->pnBar->Color();
    SubmenuUp = IsWindow(Submenu) && IsWindowVisible(Submenu);
  }
};

class NoteColorMenu : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    SetCursorPos(1, 1);
    CreateMainForm();
    main_->EnsureNotesFolder();
    note = NewNote(L"Colours");
    note->SetBounds(300, 200, 200, 200);
    PumpMessages(0);
    whileOpen_.SetWatchdog(10000);
  }
  void TearDown() override {
    EXPECT_FALSE(whileOpen_.WatchdogFired()) << "the menu did not end by itself";
    AppTest::TearDown();
  }
  TTBXToolViewer* PaletteViewer(TTBPopupWindow* Submenu) { return app_testing::PaletteViewer(Submenu, note->cpColorPalette); }
  POINT CellOnScreen(TTBPopupWindow* Submenu, int Col, int Row) {
    return app_testing::CellOnScreen(Submenu, note->cpColorPalette, Col, Row);
  }
  static void Mouse(UINT Msg, POINT P, WPARAM Keys = 0) {
    SetCursorPos(P.x, P.y);
    PostMessageW(GetCapture(), Msg, Keys, MAKELPARAM(P.x, P.y));
  }
  // Opens the note menu and its "Color" submenu with the keys; Steps run once it shows.
  TTBCustomItem* RunColorMenu(std::function<void(TTBPopupWindow*)> Steps) {
    whileOpen_.PostKeys({VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT});
    whileOpen_.Post([this, Steps] {
      TTBPopupWindow* submenu = ShownPopupOf(note->tbColor);
      ASSERT_NE(submenu, nullptr);
      Steps(submenu);
    });
    return note->pmSettings->PopupEx(200, 200, false);
  }
  TFR_NOTE* note = nullptr;
  testing_support::TMenuDriver whileOpen_;
};

}  // namespace

TEST_F(NoteColorMenu, TheColorSubmenuHoldsAPaletteOnTheNotesSetWhichTheMainFormAnswers) {
  ASSERT_EQ(note->tbColor->Count(), 1);
  EXPECT_EQ(note->tbColor->Items(0), note->cpColorPalette);
  EXPECT_EQ(note->cpColorPalette, note->FindComponent(L"cpColorPalette"));
  EXPECT_EQ(note->csColorSet, note->FindComponent(L"csColorSet"));
  EXPECT_TRUE(note->tbColor->OnPopup == TTBPopupEvent(note, &TFR_NOTE::tbColorPopup));
  EXPECT_TRUE(note->cpColorPalette->OnChange == TNotifyEvent(note, &TFR_NOTE::cpColorPaletteChange));
  EXPECT_EQ(note->cpColorPalette->ColorSet(), note->csColorSet);
  EXPECT_EQ(note->cpColorPalette->PaletteOptions(), tpoCustomImages);
  EXPECT_EQ(note->cpColorPalette->ColCount(), 8);
  EXPECT_EQ(note->cpColorPalette->RowCount(), 3);
  EXPECT_TRUE(note->csColorSet->OnGetColorInfo ==
              TCSGetColorInfo(main_, &TFR_QNT_MAIN::csColorSetGetColorInfo));

  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 8; ++col) {
      String name;
      TColor color = clNone;
      note->csColorSet->GetColorInfo(col, row, name, color);
      EXPECT_EQ(name, kNoteColors[row][col].Name) << col << "," << row;
      EXPECT_EQ(color, kNoteColors[row][col].Color) << col << "," << row;
    }
  for (POINT outside : {POINT{8, 0}, POINT{0, 3}, POINT{-1, 0}, POINT{0, -1}}) {
    String name;
    TColor color = clNone;
    note->csColorSet->GetColorInfo(outside.x, outside.y, name, color);
    EXPECT_EQ(name, L"") << outside.x << "," << outside.y;
    EXPECT_EQ(color, clNone) << outside.x << "," << outside.y;
  }
}

TEST_F(NoteColorMenu, OpeningShowsTheNotesColourAndChoosingRoseRecoloursTheNoteBeforeTheMenuCloses) {
  // The editor alone in "Light Green": the bar would follow if the change handler ran.
  const TColor bar = note->pnBar->Color();
  note->reEdit->SetColor(0xCCFFCC);
  TAfterChange after;
  after.Note = note;
  TTBXCell shown;
  TColor shownColor = clNone;
  bool handlerBoundAgain = false;
  std::vector<String> hints;
  TTBCustomItem* chosen = RunColorMenu([&](TTBPopupWindow* submenu) {
    shown = note->cpColorPalette->SelectedCell();
    shownColor = note->cpColorPalette->Color();
    handlerBoundAgain = note->cpColorPalette->OnChange == TNotifyEvent(note, &TFR_NOTE::cpColorPaletteChange);
    // Every cell's hint is its name.
    submenu->View()->SetSelected(PaletteViewer(submenu));
    for (int row = 0; row < 3; ++row)
      for (int col = 0; col < 8; ++col) {
        THintInfo info;
        info.HintControl = submenu;
        POINT p = CellOnScreen(submenu, col, row);
        ScreenToClient(submenu->Handle(), &p);
        info.CursorPos = p;
        submenu->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
        hints.push_back(info.HintStr);
      }
    after.Submenu = submenu->Handle();
    note->cpColorPalette->OnChange = TNotifyEvent(&after, &TAfterChange::Change);
    const POINT rose = CellOnScreen(submenu, 0, 2);
    Mouse(WM_MOUSEMOVE, rose);
    Mouse(WM_LBUTTONDOWN, rose, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, rose);
  });

  EXPECT_EQ(shown.Col, 3);
  EXPECT_EQ(shown.Row, 2);
  EXPECT_EQ(shownColor, 0xCCFFCC);
  EXPECT_TRUE(handlerBoundAgain);
  for (int i = 0; i < 24; ++i) EXPECT_EQ(hints[static_cast<size_t>(i)], kNoteColors[i / 8][i % 8].Name) << i;

  EXPECT_EQ(chosen, note->cpColorPalette);
  EXPECT_EQ(after.Runs, 1);
  EXPECT_EQ(after.Editor, 0xCC99FF) << "RGB FF 99 CC";
  EXPECT_EQ(after.Bar, 0xC794FA) << "RGB FA 94 C7";
  EXPECT_TRUE(after.SubmenuUp) << "the note changes while the menu is still open";
  EXPECT_NE(after.Bar, bar);
  EXPECT_EQ(ShownPopupOf(note->tbColor), nullptr);
  EXPECT_EQ(ShownPopupOf(note->pmSettings->Items()), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
  PumpMessages(0);
  EXPECT_TRUE(IsWindowVisible(note->Handle()));
  EXPECT_EQ(note->NoteColor(), 0xCC99FF);
  EXPECT_EQ(note->Color(), 0xC794FA) << "the frame";
  EXPECT_EQ(after.Runs, 1);
}

TEST_F(NoteColorMenu, OpeningDoesNotRunTheChangeHandler) {
  const TColor bar = note->pnBar->Color();
  note->reEdit->SetColor(0xCCFFCC);
  bool barKept = false;
  EXPECT_EQ(RunColorMenu([&](TTBPopupWindow*) {
              barKept = note->pnBar->Color() == bar;
              whileOpen_.PostKeys({VK_ESCAPE, VK_ESCAPE, VK_ESCAPE});
            }),
            nullptr);
  EXPECT_TRUE(barKept);
  EXPECT_EQ(note->pnBar->Color(), bar);
  EXPECT_EQ(note->NoteColor(), 0xCCFFCC);
}
