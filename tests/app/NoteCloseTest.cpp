// What closing a note does with its file, and what the user sees when the file cannot be written.
#include "AppFixture.h"

#include "classlib/TextConv.h"

#include <richedit.h>

#include <map>

using namespace app_testing;
using testing_support::MessageBoxes;
using testing_support::PumpMessages;

namespace {

// Every replace of a file fails while one of these lives.
struct FailingReplace : testing_support::THookedFileReplacement {
  FailingReplace() : THookedFileReplacement([](const String&) { return false; }) {}
};

}  // namespace

class NoteCloseTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    CreateMainForm();
    main_->EnsureNotesFolder();
  }
  String PathOf(const TFR_NOTE* note) const { return NotesFolder() + note->FileName; }
  // Writes a note file and opens it as the program's start does.
  TFR_NOTE* LoadFile(const String& name, const std::string& bytes) {
    WriteBytes(NotesFolder() + name, bytes);
    main_->ShowAllNotes(false);
    for (TFR_NOTE* note : OpenNotes())
      if (note->FileName == name) return note;
    return nullptr;
  }
  static std::string File(const std::string& header, const std::string& body) {
    return "\xEF\xBB\xBF" + header + "\r\nTitle\r\n" + body + "\r\n";
  }
};

TEST_F(NoteCloseTest, AlwaysOnTopHoldsWheneverTheNoteIsShown) {
  main_->DefAlwaysOnTop = true;
  TFR_NOTE* fresh = NewNote(L"New and on top");
  EXPECT_TRUE(Topmost(fresh->Handle()));
  TFR_NOTE* loaded = LoadFile(L"1000.qwn", File("00012C0000C80000C80000C800006499FFFF01",
                                                "{\\rtf1\\ansi On top}"));
  ASSERT_NE(nullptr, loaded);
  EXPECT_TRUE(loaded->OnTop);
  EXPECT_TRUE(Topmost(loaded->Handle()));
  for (TFR_NOTE* note : {fresh, loaded}) {
    note->Hide();
    note->Show();
    EXPECT_TRUE(Topmost(note->Handle()));
  }
  // And off again when the note is told so.
  loaded->OnTop = false;
  loaded->ApplyAlwaysOnTop();
  loaded->Hide();
  loaded->Show();
  EXPECT_FALSE(Topmost(loaded->Handle()));
}

TEST_F(NoteCloseTest, ClosingWritesFormattingAndMovesThatRaisedNoChange) {
  const std::string header = "00012C0000C80000C80000C800006499FFFF00";
  TFR_NOTE* note = LoadFile(L"1000.qwn", File(header, "{\\rtf1\\ansi Plain words}"));
  ASSERT_NE(nullptr, note);
  String path = PathOf(note);
  // Bold through the control itself, and a move made in code: neither raises a change event.
  SendMessageW(note->reEdit->Handle(), EM_SETSEL, 0, 5);
  CHARFORMAT2W bold{};
  bold.cbSize = sizeof bold;
  bold.dwMask = CFM_BOLD;
  bold.dwEffects = CFE_BOLD;
  SendMessageW(note->reEdit->Handle(), EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&bold));
  note->SetBounds(40, 50, note->Width(), note->Height());
  EXPECT_FALSE(note->tmSave->Enabled());
  note->Close();
  PumpMessages(0);
  EXPECT_TRUE(OpenNotes().empty());
  const std::string bytes = ReadBytes(path);
  EXPECT_EQ("000028000032", bytes.substr(3, 12));
  EXPECT_NE(std::string::npos, bytes.find("\\b")) << bytes;

  main_->ShowAllNotes(false);
  ASSERT_EQ(1u, OpenNotes().size());
  TRichEdit& back = *OpenNotes()[0]->reEdit;
  back.SetSelStart(0);
  back.SetSelLength(5);
  EXPECT_EQ(fsBold, back.SelAttributes().Style());
}

TEST_F(NoteCloseTest, AnOddButReadableFileStaysByteForByteWhenNothingChanged) {
  // Lower-case digits, no BOM and a body the control would write otherwise.
  const std::string odd = "00012c0000c80000c80000c800006499ffff00\r\nTitle\r\n{\\rtf1 Odd  file}\r\n";
  TFR_NOTE* note = LoadFile(L"1000.qwn", odd);
  ASSERT_NE(nullptr, note);
  main_->mnCLOSEClick(main_);
  PumpMessages(0);
  EXPECT_EQ(odd, ReadBytes(NotesFolder() + L"1000.qwn"));
}

TEST_F(NoteCloseTest, AFailedSaveOnCloseIsReportedAndTheNoteStaysOpen) {
  TFR_NOTE* note = NewNote(L"Words that must not vanish");
  const String path = PathOf(note);
  {
    FailingReplace failing;
    note->FadeOnClose = false;
    note->Close();
    PumpMessages(0);
  }
  auto& boxes = MessageBoxes().Boxes;
  ASSERT_EQ(1u, boxes.size());
  EXPECT_NE(String::npos, boxes[0].Text.find(path)) << WideToUtf8(boxes[0].Text);
  ASSERT_EQ(1u, OpenNotes().size());
  EXPECT_TRUE(note->Visible());
  EXPECT_EQ(L"Words that must not vanish", note->reEdit->Text());
  // Once the file can be written, closing works as always.
  note->Close();
  PumpMessages(0);
  EXPECT_TRUE(OpenNotes().empty());
  EXPECT_NE(std::string::npos, ReadBytes(path).find("must not vanish"));
  EXPECT_EQ(1u, boxes.size());
}

TEST_F(NoteCloseTest, ExitReportsEveryUnsavedNoteOnceAndStillEnds) {
  TFR_NOTE* a = NewNote(L"First");
  TFR_NOTE* b = NewNote(L"Second");
  const String pathA = PathOf(a), pathB = PathOf(b);
  {
    FailingReplace failing;
    main_->mnCLOSEClick(main_);
    PumpMessages(0);
  }
  EXPECT_TRUE(OpenNotes().empty());
  auto& boxes = MessageBoxes().Boxes;
  ASSERT_EQ(1u, boxes.size());
  EXPECT_NE(String::npos, boxes[0].Text.find(pathA));
  EXPECT_NE(String::npos, boxes[0].Text.find(pathB));
}

TEST_F(NoteCloseTest, LeftoversOfCutOffSavesGoAtTheNextStart) {
  const std::vector<std::pair<const wchar_t*, bool>> files = {
      {L"~1000.qwn.1A2B.tmp", false},  // a save's leftover: removed
      {L"~1000.qwn.ff.tmp", false},
      {L"~1000.qwn..tmp", true},       // no number: not a save's
      {L"~notes.txt.12.tmp", true},    // not a note's
      {L"1000.qwn.12.tmp", true},      // no tilde
      {L"~1000.qwn.12G.tmp", true},    // not hexadecimal
  };
  for (const auto& [name, kept] : files) WriteBytes(NotesFolder() + name, File("00012C0000C80000C80000C800006499FFFF00", "{\\rtf1 Leftover}"));
  main_->Free();
  main_ = nullptr;
  CreateMainForm();
  for (const auto& [name, kept] : files) EXPECT_EQ(kept, FileExists(NotesFolder() + name)) << WideToUtf8(name);
  main_->ShowAllNotes(false);
  EXPECT_TRUE(OpenNotes().empty());
}

TEST_F(NoteCloseTest, DoubleClickingTheTitleSelectsItForTyping) {
  TFR_NOTE* note = NewNote(L"Body");
  note->pnTitlePanel->SetCaption(L"Old title");
  // Inside a real double-click the button is still down.
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_LBUTTON] = 0x80;
  SetKeyboardState(keys);
  note->pnTitlePanelDblClick(note->pnTitlePanel);
  keys[VK_LBUTTON] = 0;
  SetKeyboardState(keys);
  EXPECT_TRUE(note->edTitle->Visible());
  EXPECT_EQ(0, note->edTitle->SelStart());
  EXPECT_EQ(9, note->edTitle->SelLength());
  // Closing in the middle of the edit keeps the typed title.
  const String path = PathOf(note);
  note->edTitle->SetText(L"Typed title");
  note->Close();
  PumpMessages(0);
  EXPECT_TRUE(OpenNotes().empty());
  EXPECT_NE(std::string::npos, ReadBytes(path).find("\r\nTyped title\r\n"));
}

TEST_F(NoteCloseTest, ANotesFolderThatCannotBeMadeIsReportedWithItsOwnReason) {
  main_->Free();
  main_ = nullptr;
  RemoveDir(NotesFolder().substr(0, NotesFolder().size() - 1));
  WriteBytes(folder_ + L"\\Notes", "a file in the folder's place");
  CreateMainForm();
  auto& boxes = MessageBoxes().Boxes;
  ASSERT_EQ(1u, boxes.size());
  EXPECT_NE(String::npos, boxes[0].Text.find(SysErrorMessage(ERROR_ALREADY_EXISTS)))
      << WideToUtf8(boxes[0].Text);
  EXPECT_EQ(String::npos, boxes[0].Text.find(SysErrorMessage(ERROR_PATH_NOT_FOUND)));
}

TEST_F(NoteCloseTest, ExitWithFiftyNotesSavesEveryChangedOneReportsAFailedSaveOnceAndFreesThemAll) {
  constexpr int kLoaded = 25;
  constexpr int kNew = 25;
  const std::string header = "00012C0000C80000C80000C800006499FFFF00";
  for (int i = 0; i < kLoaded; ++i)
    WriteBytes(NotesFolder() + std::to_wstring(1000 + i) + L".qwn",
               File(header, "{\\rtf1\\ansi Kept " + std::to_string(i) + "}"));
  main_->ShowAllNotes(false);
  ASSERT_EQ(static_cast<size_t>(kLoaded), OpenNotes().size());
  // What each file must hold after Exit: a new note's text, a changed note's new text, and an
  // unchanged note's file byte for byte as it was.
  std::map<String, std::string> expected;
  for (TFR_NOTE* note : OpenNotes()) {
    const int i = std::stoi(note->FileName) - 1000;
    if (i % 5 == 0) {
      note->reEdit->SetText(L"Changed " + std::to_wstring(i));
      expected[PathOf(note)] = "Changed " + std::to_string(i);
    } else {
      expected[PathOf(note)] = ReadBytes(PathOf(note));
    }
  }
  for (int i = 0; i < kNew; ++i) {
    TFR_NOTE* note = NewNote(L"Typed " + std::to_wstring(i));
    expected[PathOf(note)] = "Typed " + std::to_string(i);
  }
  // One changed note cannot be written: its file keeps what it held.
  const String failing = NotesFolder() + L"1005.qwn";
  const std::string failingBefore = ReadBytes(failing);
  {
    testing_support::THookedFileReplacement failOne(
        [](const String& temp) { return temp.find(L"~1005.qwn.") == String::npos; });
    main_->mnCLOSEClick(main_);
  }
  // Every note is gone without a message handled: freed in the pass, not released to the queue.
  int notesLeft = 0;
  for (int i = 0; i < Screen->FormCount(); ++i) notesLeft += dynamic_cast<TFR_NOTE*>(Screen->Forms(i)) ? 1 : 0;
  EXPECT_EQ(0, notesLeft);
  EXPECT_EQ(static_cast<size_t>(kLoaded + kNew), expected.size());
  for (const auto& [path, content] : expected) {
    const std::string bytes = ReadBytes(path);
    if (path == failing) {
      EXPECT_EQ(failingBefore, bytes);
    } else if (content.rfind("\xEF\xBB\xBF", 0) == 0) {
      EXPECT_EQ(content, bytes) << WideToUtf8(path);
    } else {
      EXPECT_NE(std::string::npos, bytes.find(content)) << WideToUtf8(path);
    }
  }
  auto& boxes = MessageBoxes().Boxes;
  ASSERT_EQ(1u, boxes.size());
  EXPECT_NE(String::npos, boxes[0].Text.find(failing)) << WideToUtf8(boxes[0].Text);
  EXPECT_EQ(String::npos, boxes[0].Text.find(L"1010.qwn"));
  PumpMessages(0);
  EXPECT_EQ(1u, boxes.size());
}

TEST_F(NoteCloseTest, ANoteFreedByAnotherNotesCloseDuringExitIsPassedOver) {
  TFR_NOTE* freedMeanwhile = NewNote(L"Freed by the other");
  TFR_NOTE* closer = NewNote(L"Frees the other");  // activated last: closed first
  const String closerPath = PathOf(closer);
  TCloseAfter freeOther;
  freeOther.First = [freedMeanwhile] { freedMeanwhile->Free(); };
  freeOther.Note = closer;
  closer->OnClose = TCloseEvent(&freeOther, &TCloseAfter::Close);
  main_->mnCLOSEClick(main_);
  EXPECT_FALSE(freeOther.First);  // the handler ran, before the pass reached the other note
  EXPECT_TRUE(OpenNotes().empty());
  EXPECT_NE(std::string::npos, ReadBytes(closerPath).find("Frees the other"));
}
