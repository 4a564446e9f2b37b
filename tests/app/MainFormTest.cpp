#include "AppFixture.h"

#include "classlib/Registry.h"
#include "classlib/TextConv.h"

#include <algorithm>
#include <map>

using namespace app_testing;
using testing_support::PumpMessages;

class MainFormTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    CreateMainForm();
  }
  void WriteNote(const String& name, const String& title, int left) {
    main_->EnsureNotesFolder();
    TNoteHeader h{left, 100, 200, 150, 100, 0x99FFFF, false};
    WriteBytes(NotesFolder() + name, "\xEF\xBB\xBF" + WideToUtf8(EncodeNoteHeader(h) + L"\r\n" + title) +
                                         "\r\n{\\rtf1\\ansi " + WideToUtf8(title) + "}\r\n");
  }
};

TEST_F(MainFormTest, TheTrayDoubleClickMakesOneNotePerGuardPeriod) {
  main_->tiTray->OnDblClick(main_->tiTray);
  main_->tiTray->OnDblClick(main_->tiTray);  // unbound while the guard runs
  EXPECT_EQ(1u, OpenNotes().size());
  EXPECT_TRUE(main_->tmDblClick->Enabled());
  EXPECT_EQ(1500u, main_->tmDblClick->Interval());
  SendMessageW(main_->tmDblClick->Handle(), WM_TIMER, main_->tmDblClick->TimerId(), 0);
  EXPECT_FALSE(main_->tmDblClick->Enabled());
  main_->tiTray->OnDblClick(main_->tiTray);
  EXPECT_EQ(2u, OpenNotes().size());
  // The tray callback itself drives the same handler.
  SendMessageW(main_->tmDblClick->Handle(), WM_TIMER, main_->tmDblClick->TimerId(), 0);
  SendMessageW(main_->tiTray->Handle(), TTrayIcon::CallbackMessage, 0, WM_LBUTTONDBLCLK);
  EXPECT_EQ(3u, OpenNotes().size());
}

TEST_F(MainFormTest, ShowAllNotesOpensEachFileOnceInNameOrder) {
  WriteNote(L"300.qwn", L"Third", 300);
  WriteNote(L"100.qwn", L"First", 100);
  WriteNote(L"200.qwn", L"Second", 200);
  WriteNote(L"notes.txt", L"Not a note", 0);
  main_->ShowAllNotes(false);
  main_->ShowAllNotes(false);  // the open ones are only shown again
  ASSERT_EQ(3u, OpenNotes().size());
  // In the order they were opened: the application owns each note from its start on.
  std::vector<String> opened;
  for (int i = 0; i < Application->ComponentCount(); ++i)
    if (auto* note = dynamic_cast<TFR_NOTE*>(Application->Components(i))) opened.push_back(note->FileName);
  EXPECT_EQ((std::vector<String>{L"100.qwn", L"200.qwn", L"300.qwn"}), opened);
  EXPECT_EQ(0, tray_.Balloons());
}

TEST_F(MainFormTest, TheBalloonShowsOnlyWhenAskedAndThereAreNoNotes) {
  main_->tiTray->SetVisible(true);
  main_->ShowAllNotes(false);
  EXPECT_EQ(0, tray_.Balloons());
  main_->mnShowAllNotesClick(main_);
  ASSERT_EQ(1, tray_.Balloons());
  EXPECT_EQ(L"Double click for new note!", tray_.Calls.back().Info);
  EXPECT_EQ(L"Quillnote", tray_.Calls.back().InfoTitle);
  WriteNote(L"1.qwn", L"One", 10);
  main_->ShowAllNotes(true);
  EXPECT_EQ(1, tray_.Balloons());
}

TEST_F(MainFormTest, HideAllThenATrayClickBringsTheSameNotesBack) {
  TFR_NOTE* a = NewNote(L"Alpha");
  a->SetBounds(40, 50, 210, 220);
  TFR_NOTE* b = NewNote(L"Beta");
  b->SetBounds(400, 300, 150, 160);
  a->SetOpacity(50);  // a change with no timer: written as the note closes
  main_->mnHideAllNotesClick(main_);
  PumpMessages(0);
  EXPECT_TRUE(OpenNotes().empty());
  main_->tiTray->OnClick(main_->tiTray);
  auto notes = OpenNotes();
  ASSERT_EQ(2u, notes.size());
  std::map<String, RECT> bounds;
  for (TFR_NOTE* n : notes) bounds[n->reEdit->Text()] = n->BoundsRect();
  EXPECT_EQ((RECT{40, 50, 250, 270}), bounds[L"Alpha"]);
  EXPECT_EQ((RECT{400, 300, 550, 460}), bounds[L"Beta"]);
  for (TFR_NOTE* n : notes)
    if (n->reEdit->Text() == L"Alpha") {
      EXPECT_EQ(50, n->NoteOpacity);
    }
}

TEST_F(MainFormTest, ExitClosesEveryNoteEvenWhileOneFades) {
  TFR_NOTE* fading = NewNote(L"Fading");
  TFR_NOTE* two = NewNote(L"Two");
  NewNote(L"Three");
  fading->sbCloseClick(fading->sbClose);
  // A note whose close is under way when Exit comes is not closed a second time.
  TCloseAfter endOther;
  endOther.First = [fading] {
    // Closing one note ends another meanwhile, when that one is still open.
    auto open = OpenNotes();
    if (std::find(open.begin(), open.end(), fading) != open.end()) fading->Close();
  };
  endOther.Note = two;
  two->OnClose = TCloseEvent(&endOther, &TCloseAfter::Close);
  main_->mnCLOSEClick(main_);
  PumpMessages(0);
  EXPECT_TRUE(OpenNotes().empty());
  EXPECT_EQ(3u, ListFiles(NotesFolder(), L"*.qwn").size());
  EXPECT_FALSE(main_->Visible());
}

TEST_F(MainFormTest, NotesAreWrittenHoweverTheProgramEnds) {
  for (UINT how : {UINT(WM_CLOSE), UINT(WM_ENDSESSION)}) {
    TFR_NOTE* note = NewNote(L"Typed just now");  // within the autosave's two seconds
    String path = NotesFolder() + note->FileName;
    EXPECT_FALSE(FileExists(path));
    SendMessageW(main_->Handle(), how, TRUE, 0);
    PumpMessages(0);
    EXPECT_TRUE(OpenNotes().empty()) << how;
    ASSERT_TRUE(FileExists(path)) << how;
    EXPECT_NE(std::string::npos, ReadBytes(path).find("Typed just now"));
  }
}

TEST_F(MainFormTest, TheLinkTagComesFromTheMachineKeyInThe32BitView) {
  const wchar_t* key = L"SOFTWARE\\Orvane\\Quillnote";
  auto setTag = [&](const wchar_t* value) {
    TRegistry reg(KEY_ALL_ACCESS | KEY_WOW64_32KEY);
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!value) {
      if (reg.OpenKey(key, false)) reg.DeleteValue(L"dwnsrc");
      return;
    }
    ASSERT_TRUE(reg.OpenKey(key, true));
    reg.WriteString(L"dwnsrc", value);
  };
  setTag(nullptr);
  main_->Free();
  CreateMainForm();
  EXPECT_EQ(L"qnt", main_->Referrer);
  setTag(L"abc");
  main_->Free();
  CreateMainForm();
  EXPECT_EQ(L"qnt-abc", main_->Referrer);
  setTag(nullptr);
}
