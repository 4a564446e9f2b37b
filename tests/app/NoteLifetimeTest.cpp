// A note closed from outside while one of its own loops runs: the delete question, the print and
// font dialogs, its two menus and the title bar's move loop, each with Hide All Notes, Exit, the
// end of the session and the note's fade run inside it. The note is saved as any closed note, the
// question's answer deletes nothing, and nothing of the note is used once it has gone (freed
// memory is poisoned in this test program, so such a use fails every time).
#include "AppFixture.h"

#include "app/NotePrinting.h"

#include <functional>
#include <memory>

using namespace app_testing;
using testing_support::PumpMessages;

namespace {

// Boxes and dialogs that run something while they are up, handle what it left in the queue as
// the system's own loop would, and then answer.
class TBusyBoxesAndDialogs : public seams::TMessageBoxes, public seams::TCommonDialogs {
 public:
  std::function<void()> Inside;
  int Shown = 0;
  int Show(HWND, const String&, const String&, UINT) override {
    RunInside();
    return IDYES;
  }
  bool ShowFontDialog(CHOOSEFONTW& data) override {
    RunInside();
    data.lpLogFont->lfWeight = FW_BOLD;
    return true;
  }
  bool ShowPrintDialog(PRINTDLGW& data) override {
    RunInside();
    data.hDC = CreateCompatibleDC(nullptr);
    return true;
  }

 private:
  void RunInside() {
    ++Shown;
    if (std::function<void()> inside = std::move(Inside)) inside();
    PumpMessages(0);
  }
};

// Counts the print jobs asked for; each prints nothing.
class TCountingPrinter : public TNotePrinter {
 public:
  int Jobs = 0;
  std::unique_ptr<TPrintJob> MakeJob(HDC) override {
    ++Jobs;
    return std::make_unique<TNoJob>();
  }
  std::unique_ptr<TPageFormatter> MakeFormatter(HWND, HDC) override { return std::make_unique<TNoPages>(); }

 private:
  struct TNoJob : TPrintJob {
    bool Start(const String&) override { return true; }
    bool StartPage() override { return true; }
    bool EndPage() override { return true; }
    void End() override {}
    void Abort() override {}
  };
  struct TNoPages : TPageFormatter {
    int TextLength() override { return 0; }
    int FormatPage(int) override { return 0; }
  };
};

int NoteObjects() {
  int n = 0;
  for (TCustomForm* form : Screen->FormsSnapshot()) n += dynamic_cast<TFR_NOTE*>(form) != nullptr;
  return n;
}

}  // namespace

class NoteLifetimeTest : public AppTest {
 public:
  void SetUp() override {
    AppTest::SetUp();
    SetCursorPos(1, 1);  // no menu shows under the cursor
    StartMain();
  }
  void StartMain() {
    CreateMainForm();
    main_->EnsureNotesFolder();
    main_->DeleteConfirm = true;
  }
  // Ends a loop that a step could not end: the menus lose their capture, the move loop a key.
  void Watch() { whileOpen_.SetWatchdog(5000); }
  // Runs the step inside the menu that the call opens, then closes the menu if it is still up.
  void InsideMenu(const std::function<void()>& step, const std::function<void()>& open) {
    Watch();
    whileOpen_.Post(step);
    whileOpen_.PostKeys({VK_ESCAPE});
    open();
  }

  TBusyBoxesAndDialogs busy_;
  TCountingPrinter printer_;
  seams::Scoped<seams::TMessageBoxes> useBoxes_{busy_};
  seams::Scoped<seams::TCommonDialogs> useDialogs_{busy_};
  seams::Scoped<TNotePrinter> usePrinter_{printer_};
  testing_support::TMenuDriver whileOpen_;
};

TEST_F(NoteLifetimeTest, ANoteClosedInsideItsOwnLoopIsSavedAndUntouchedOnceItHasGone) {
  struct TCloser {
    const char* Name;
    std::function<void(TFR_QNT_MAIN*, TFR_NOTE*)> Run;
  };
  const TCloser closers[] = {
      {"Hide All Notes", [](TFR_QNT_MAIN* main, TFR_NOTE*) { main->mnHideAllNotesClick(main->mnHideAllNotes); }},
      {"Exit", [](TFR_QNT_MAIN* main, TFR_NOTE*) { main->mnCLOSEClick(main->mnCLOSE); }},
      {"the end of the session",
       [](TFR_QNT_MAIN* main, TFR_NOTE*) { SendMessageW(main->Handle(), WM_ENDSESSION, TRUE, 0); }},
      {"its fade",
       [](TFR_QNT_MAIN*, TFR_NOTE* note) {
         note->FadeAndClose();
         // Its fade timer runs here, inside the loop.
         testing_support::PumpUntil([] { return OpenNotes().empty(); }, 5000);
       }},
  };
  using TInside = std::function<void()>;
  struct TLoop {
    const char* Name;
    std::function<void(NoteLifetimeTest&, TFR_NOTE*, const TInside&)> Run;
  };
  const TLoop loops[] = {
      {"the delete question",
       [](NoteLifetimeTest& t, TFR_NOTE* note, const TInside& inside) {
         t.busy_.Inside = inside;
         note->mnDeleteNoteClick(note->tbDelete);
       }},
      {"the print dialog",
       [](NoteLifetimeTest& t, TFR_NOTE* note, const TInside& inside) {
         t.busy_.Inside = inside;
         note->mnPrintClick(note->tbPrint);
       }},
      {"the font dialog",
       [](NoteLifetimeTest& t, TFR_NOTE* note, const TInside& inside) {
         t.busy_.Inside = inside;
         note->reEdit->SelectAll();
         note->mnFontClick(note->mnFont);
       }},
      {"the note menu",
       [](NoteLifetimeTest& t, TFR_NOTE* note, const TInside& inside) {
         t.InsideMenu(inside, [note] { note->sbPopupClick(note->sbPopup); });
       }},
      {"the editor menu",
       [](NoteLifetimeTest& t, TFR_NOTE* note, const TInside& inside) {
         HWND editor = note->reEdit->Handle();
         t.InsideMenu(inside, [editor] {
           SendMessageW(editor, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(editor), MAKELPARAM(320, 220));
         });
       }},
      {"the title bar's move loop",
       [](NoteLifetimeTest& t, TFR_NOTE* note, const TInside& inside) {
         t.Watch();
         t.whileOpen_.Post(inside);
         // The system's move loop ends at a button release, whichever window it is posted to.
         t.whileOpen_.Post([] { PostThreadMessageW(GetCurrentThreadId(), WM_LBUTTONUP, 0, 0); });
         note->pnBarMouseDown(note->pnBar, TMouseButton::mbLeft, ssLeft, 20, 10);
       }},
  };
  for (const TLoop& loop : loops)
    for (const TCloser& closer : closers) {
      SCOPED_TRACE(testing::Message() << closer.Name << " inside " << loop.Name);
      TFR_NOTE* note = NewNote(L"Words that stay");
      note->SetBounds(300, 200, 200, 200);
      PumpMessages(0);
      const String path = NotesFolder() + note->FileName;
      const int shownBefore = busy_.Shown;
      bool looping = true, ranInside = false;
      loop.Run(*this, note, [&, note] {
        ranInside = looping;
        closer.Run(main_, note);
      });
      looping = false;
      PumpMessages(0);
      EXPECT_TRUE(ranInside) << "the closing did not run inside the loop";
      EXPECT_FALSE(whileOpen_.WatchdogFired());
      EXPECT_TRUE(OpenNotes().empty());
      EXPECT_EQ(0, NoteObjects()) << "the note was not freed once its loop had returned";
      EXPECT_TRUE(FileExists(path) && ReadBytes(path).find("Words that stay") != std::string::npos)
          << "the note was not saved";
      EXPECT_EQ(0, printer_.Jobs) << "a note that had gone was printed";
      EXPECT_LE(busy_.Shown - shownBefore, 1);
      // Exit leaves the main form closed: each case starts with a fresh one.
      main_->Free();
      main_ = nullptr;
      StartMain();
      testing_support::RemoveFolderTree(NotesFolder());
      main_->EnsureNotesFolder();
    }
}
