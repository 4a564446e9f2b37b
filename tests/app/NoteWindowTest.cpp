#include "AppFixture.h"

#include "classlib/TextConv.h"

#include <tuple>

using namespace app_testing;
using testing_support::MessageBoxes;
using testing_support::PumpMessages;
using testing_support::PumpUntil;

namespace {

// Runs a window timer's tick at once.
void Tick(TTimer* timer) { SendMessageW(timer->Handle(), WM_TIMER, timer->TimerId(), 0); }

}  // namespace

class NoteWindowTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    CreateMainForm();
  }
  String PathOf(const TFR_NOTE* note) const { return NotesFolder() + note->FileName; }
};

TEST(NoteColors, ShiftColorKeepsEveryChannelInRange) {
  struct Case {
    TColor color;
    int delta;
    TColor expected;
  } cases[] = {
      {0x000000, -5, 0x000000}, {0xFFFFFF, -5, 0xFAFAFA}, {0x99FFFF, -5, 0x94FAFA},
      {0x99FFFF, -80, 0x49AFAF}, {0x102030, 40, 0x384858}, {0xF0F0F0, 40, 0xFFFFFF},
      {0x01000000 | 0x808080, -5, 0x7B7B7B},  // the top byte is dropped
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, TFR_NOTE::ShiftColor(c.color, c.delta));
}

TEST_F(NoteWindowTest, ANewNoteTakesTheDefaultsAndLandsNearTheCentre) {
  main_->DefColor = 0xCCFFCC;
  main_->DefOpacity = 60;
  main_->DefFontName = L"Courier New";
  main_->DefFontSize = 12;
  main_->DefFontStyle = fsBold | fsUnderline;
  main_->DefFontColor = 0x0000FF;
  random_.Values = {5, 7};
  TFR_NOTE* note = NewNote();
  int top = GetSystemMetrics(SM_CYSCREEN) / 2 - 165 / 2 - 5 + 10;
  int left = GetSystemMetrics(SM_CXSCREEN) / 2 - 180 / 2 - 7 + 10;
  EXPECT_EQ((RECT{left, top, left + 200, top + 200}), note->BoundsRect());
  EXPECT_EQ(0xCCFFCC, note->NoteColor());
  EXPECT_EQ(TFR_NOTE::ShiftColor(0xCCFFCC, -5), note->pnBar->Color());
  EXPECT_EQ(note->pnBar->Color(), note->Color());
  EXPECT_EQ(0xCCFFCC, note->pnBottom->Color());
  EXPECT_EQ(60, note->NoteOpacity);
  EXPECT_EQ(60 * 255 / 100, LayeredAlpha(note->Handle()));
  EXPECT_EQ(L"Courier New", note->reEdit->Font().Name());
  EXPECT_EQ(12, note->reEdit->Font().Size());
  EXPECT_EQ(static_cast<TFontStyles>(fsBold | fsUnderline), note->reEdit->Font().Style());
  EXPECT_EQ(0x0000FF, note->reEdit->Font().Color());
  EXPECT_EQ(L"New Note", note->pnTitlePanel->Caption());
  EXPECT_TRUE(GetWindowLongPtrW(note->Handle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(GetWindowLongPtrW(note->Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_FALSE(GetWindowLongPtrW(note->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(NoteWindowTest, TheTitleFollowsTheTitleKind) {
  clock_.Value = 46365.0 + 0.75;  // 12/9/2026 6:00:00 PM
  struct Case {
    int kind;
    const wchar_t* title;
    bool bullets;
  } cases[] = {
      {0, L"New Note", false},           {1, L"12/9/2026", false},
      {2, L"12/9/2026 6:00:00 PM", false}, {3, L"6:00:00 PM", false},
      {4, L"To Do", true},               {5, L"To Do (12/9/2026)", true},
      {6, L"Notes", false},              {-1, L"Notes", false},
  };
  for (const Case& c : cases) {
    main_->DefTitle = c.kind;
    TFR_NOTE* note = NewNote();
    EXPECT_EQ(c.title, note->pnTitlePanel->Caption()) << c.kind;
    EXPECT_EQ(c.bullets, note->reEdit->Paragraph().Numbering() == TNumberingStyle::nsBullet) << c.kind;
    note->Free();
  }
}

TEST_F(NoteWindowTest, OpacityIsKeptInRangeAndSetsTheLayeredAlpha) {
  TFR_NOTE* note = NewNote();
  for (auto [percent, kept, alpha] : {std::tuple{25, 25, 63}, {75, 75, 191}, {100, 100, 255},
                                      {10, 10, 25}, {5, 10, 25}, {0, 10, 25}, {150, 100, 255}}) {
    note->SetOpacity(percent);
    EXPECT_EQ(kept, note->NoteOpacity) << percent;
    EXPECT_EQ(alpha, LayeredAlpha(note->Handle())) << percent;
  }
}

TEST_F(NoteWindowTest, AutosaveWritesTwoSecondsAfterTheLastChange) {
  TFR_NOTE* note = NewNote();
  EXPECT_FALSE(note->tmSave->Enabled());
  note->reEdit->SetText(L"Typed");  // the editor's change restarts the countdown
  EXPECT_TRUE(note->tmSave->Enabled());
  EXPECT_EQ(2000u, note->tmSave->Interval());
  EXPECT_FALSE(FileExists(PathOf(note)));
  Tick(note->tmSave);
  EXPECT_FALSE(note->tmSave->Enabled());
  ASSERT_TRUE(FileExists(PathOf(note)));
  EXPECT_NE(std::string::npos, ReadBytes(PathOf(note)).find("Typed"));
  // Blank text is not written.
  TFR_NOTE* blank = NewNote();
  blank->reEdit->SetText(L"  \r\n ");
  Tick(blank->tmSave);
  EXPECT_FALSE(FileExists(PathOf(blank)));
}

TEST_F(NoteWindowTest, ClosingEmptyRemovesTheFileAndClosingWithTextSavesIt) {
  TFR_NOTE* note = NewNote(L"Keep me");
  SaveNote(*note, NotesFolder());
  String path = PathOf(note);
  note->pnTitlePanel->SetCaption(L"Changed title");
  note->reEdit->SetText(L" \r\n  ");
  note->Close();
  PumpMessages(0);
  EXPECT_FALSE(FileExists(path));
  EXPECT_TRUE(OpenNotes().empty());

  TFR_NOTE* kept = NewNote(L"Saved on close");
  String keptPath = PathOf(kept);
  kept->Close();
  PumpMessages(0);
  EXPECT_NE(std::string::npos, ReadBytes(keptPath).find("Saved on close"));
}

TEST_F(NoteWindowTest, DeleteAsksOnlyWhenTheSettingSaysSo) {
  struct Case {
    bool confirm;
    int answer;
    bool removed;
    size_t boxes;
  } cases[] = {{false, IDYES, true, 0}, {true, IDNO, false, 1}, {true, IDYES, true, 1}};
  for (const Case& c : cases) {
    main_->DeleteConfirm = c.confirm;
    MessageBoxes().Boxes.clear();
    MessageBoxes().Answer = c.answer;
    TFR_NOTE* note = NewNote(L"To delete");
    SaveNote(*note, NotesFolder());
    std::string before = ReadBytes(PathOf(note));
    String path = PathOf(note);
    note->mnDeleteNoteClick(note);
    PumpMessages(0);
    EXPECT_EQ(c.boxes, MessageBoxes().Boxes.size());
    if (c.boxes) {
      EXPECT_EQ(L"Are you sure want to delete the note?", MessageBoxes().Boxes[0].Text);
      EXPECT_EQ(L"Delete Confirmation", MessageBoxes().Boxes[0].Caption);
      EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION), MessageBoxes().Boxes[0].Flags);
    }
    EXPECT_EQ(c.removed, !FileExists(path));
    EXPECT_EQ(c.removed, OpenNotes().empty());
    if (!c.removed) {
      EXPECT_EQ(before, ReadBytes(path));
    }
    DropNotes();
  }
}

TEST_F(NoteWindowTest, EditingTheTitleToBlanksGivesNoName) {
  TFR_NOTE* note = NewNote(L"Text");
  note->pnTitlePanelDblClick(note->pnTitlePanel);
  EXPECT_TRUE(note->edTitle->Visible());
  EXPECT_EQ(L"New Note", note->edTitle->Text());
  EXPECT_FALSE(note->pnTitlePanel->ShowHint());
  note->edTitle->SetText(L"   ");
  EXPECT_TRUE(note->tmSave->Enabled());  // typing in the box restarts the countdown
  EXPECT_EQ(L"New Note", note->pnTitlePanel->Caption());  // the title waits for the end
  note->edTitleExit(note->edTitle);
  EXPECT_EQ(L"No Name", note->pnTitlePanel->Caption());
  EXPECT_FALSE(note->edTitle->Visible());
  EXPECT_TRUE(note->pnTitlePanel->ShowHint());
  // Enter ends the editing the same way, keeping the text as typed.
  note->pnTitlePanelDblClick(note->pnTitlePanel);
  note->edTitle->SetText(L" Groceries ");
  WORD key = VK_RETURN;
  note->edTitleKeyDown(note->edTitle, key, 0);
  EXPECT_EQ(L" Groceries ", note->pnTitlePanel->Caption());
}

TEST_F(NoteWindowTest, EscClosesAtOnceAndTheCloseButtonFades) {
  TFR_NOTE* note = NewNote(L"Esc");
  SendMessageW(note->reEdit->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
  PumpMessages(0);
  EXPECT_TRUE(OpenNotes().empty());

  for (auto [opacity, step, ticks] : {std::tuple{100, 5, 20}, {15, 1, 15}, {10, 1, 10}}) {
    TFR_NOTE* fading = NewNote(L"Fade");
    fading->SetOpacity(opacity);
    fading->sbCloseClick(fading->sbClose);
    EXPECT_EQ(step, fading->FadeStep);
    EXPECT_TRUE(fading->tmCloseTimer->Enabled());
    EXPECT_EQ(10u, fading->tmCloseTimer->Interval());
    for (int i = 1; i < ticks; ++i) {
      Tick(fading->tmCloseTimer);
      EXPECT_EQ((opacity - i * step) * 255 / 100, LayeredAlpha(fading->Handle()));
    }
    EXPECT_EQ(1u, OpenNotes().size());
    Tick(fading->tmCloseTimer);  // the last step closes it
    PumpMessages(0);
    EXPECT_TRUE(OpenNotes().empty()) << opacity;
  }
}

TEST_F(NoteWindowTest, ANoteOffTheScreenComesBackOntoIt) {
  main_->EnsureNotesFolder();
  int vw = GetSystemMetrics(SM_CXVIRTUALSCREEN), vh = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  String header = IntToHex(vw + 500, 6) + IntToHex(vh, 6) + L"0000C8" L"0000C8" L"000064" L"99FFFF" L"00";
  WriteBytes(NotesFolder() + L"1.qwn", "\xEF\xBB\xBF" + WideToUtf8(header) + "\r\nT\r\n{\\rtf1 Away}\r\n");
  main_->ShowAllNotes(false);
  ASSERT_EQ(1u, OpenNotes().size());
  EXPECT_EQ((RECT{vw - 200, vh - 200, vw, vh}), OpenNotes()[0]->BoundsRect());
}

TEST_F(NoteWindowTest, ANoteDraggedPastTheTopLeftIsSavedAtZero) {
  TFR_NOTE* note = NewNote(L"Edge");
  note->SetBounds(-30, -10, 200, 200);
  SaveNote(*note, NotesFolder());
  EXPECT_EQ(0, note->Left());
  EXPECT_EQ(0, note->Top());
  EXPECT_EQ("000000000000", ReadBytes(PathOf(note)).substr(3, 12));
}

TEST_F(NoteWindowTest, AlwaysOnTopKeepsTheFormattedTextColourAndOpacity) {
  TFR_NOTE* note = NewNote(L"Bold words here");
  note->reEdit->SetSelStart(0);
  note->reEdit->SetSelLength(4);
  note->reEdit->SelAttributes().SetStyle(fsBold);
  note->SetNoteColor(0xFFCC99);
  note->SetOpacity(80);
  for (bool onTop : {true, false}) {
    note->OnTop = onTop;
    note->ApplyAlwaysOnTop();
    EXPECT_EQ(onTop, (GetWindowLongPtrW(note->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0);
    EXPECT_EQ(L"Bold words here", note->reEdit->Text());
    note->reEdit->SetSelStart(0);
    note->reEdit->SetSelLength(4);
    EXPECT_EQ(fsBold, note->reEdit->SelAttributes().Style());
    EXPECT_EQ(0xFFCC99, note->NoteColor());
    EXPECT_EQ(80 * 255 / 100, LayeredAlpha(note->Handle()));
    EXPECT_TRUE(note->reEdit->PlainText());
  }
}

TEST_F(NoteWindowTest, MovingByTheTitleBarRestartsTheAutosave) {
  TFR_NOTE* note = NewNote(L"Move");
  note->tmSave->SetEnabled(false);
  // The system's move loop runs until the button is released; the countdown starts after it.
  PostMessageW(note->Handle(), WM_LBUTTONUP, 0, 0);
  note->pnTitlePanel->OnMouseDown(note->pnTitlePanel, TMouseButton::mbLeft, 0, 5, 5);
  EXPECT_TRUE(note->tmSave->Enabled());
  EXPECT_EQ(note->ActiveControl(), note->reEdit);
}

TEST_F(NoteWindowTest, TheGripResizesButNeverBelowTheMinimum) {
  TFR_NOTE* note = NewNote(L"Grip");
  note->SetBounds(100, 100, 200, 200);
  SetCursorPos(300, 300);
  note->imSizeMouseDown(note->imSize, TMouseButton::mbLeft, 0, 0, 0);
  EXPECT_TRUE(note->Resizing);
  SetCursorPos(350, 320);
  note->imSizeMouseMove(note->imSize, 0, 0, 0);
  EXPECT_EQ(250, note->Width());
  EXPECT_EQ(220, note->Height());
  SetCursorPos(120, 120);
  note->imSizeMouseMove(note->imSize, 0, 0, 0);
  EXPECT_EQ(100, note->Width());
  EXPECT_EQ(40, note->Height());
  note->imSizeMouseUp(note->imSize, TMouseButton::mbLeft, 0, 0, 0);
  EXPECT_FALSE(note->Resizing);
  EXPECT_TRUE(note->tmSave->Enabled());
  // The grip stays two pixels from the bottom bar's right end.
  EXPECT_EQ(note->pnBottom->Width() - note->imSize->Width() - 2, note->imSize->Left());
}
