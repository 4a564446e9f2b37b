// Printing a note: the print dialog first, then the editor's text page after page as one job
// named after the note; a layout that makes no progress ends in an aborted job and one message.
#include "AppFixture.h"

#include "app/NotePrinting.h"
#include "classlib/GdiHandles.h"

#include <richedit.h>

#include <algorithm>
#include <memory>

using namespace app_testing;

namespace {

// What a job was asked, in order: "start <title>", "page", "end page", "end", "abort".
class TRecordingJob : public TPrintJob {
 public:
  explicit TRecordingJob(std::vector<String>& log, bool starts = true, bool cancelled = false)
      : log_(log), starts_(starts), cancelled_(cancelled) {}
  bool Start(const String& title) override {
    log_.push_back(L"start " + title);
    return starts_;
  }
  bool Cancelled() override { return cancelled_; }
  bool StartPage() override {
    log_.push_back(L"page");
    return true;
  }
  bool EndPage() override {
    log_.push_back(L"end page");
    return true;
  }
  void End() override { log_.push_back(L"end"); }
  void Abort() override { log_.push_back(L"abort"); }

 private:
  std::vector<String>& log_;
  bool starts_;
  bool cancelled_;
};

// Lays out PerPage characters a page (0: none, as a layout that cannot place anything).
class TFixedPages : public TPageFormatter {
 public:
  TFixedPages(int length, int perPage) : length_(length), perPage_(perPage) {}
  int TextLength() override { return length_; }
  int FormatPage(int first) override {
    Firsts.push_back(first);
    return std::min(length_, first + perPage_);
  }
  std::vector<int> Firsts;

 private:
  int length_;
  int perPage_;
};

int Count(const std::vector<String>& log, const String& entry) {
  return static_cast<int>(std::count(log.begin(), log.end(), entry));
}

// Answers the print dialog with OK (handing back a DC, as a chosen printer gives) or Cancel.
class TAnsweredDialogs : public seams::TCommonDialogs {
 public:
  bool Ok = true;
  int Shown = 0;
  HDC Given = nullptr;
  bool ShowPrintDialog(PRINTDLGW& data) override {
    ++Shown;
    data.hDC = Given = CreateCompatibleDC(nullptr);
    return Ok;
  }
};

// Hands out recording jobs and fixed layouts, and notes what they were made for.
class TStandInPrinter : public TNotePrinter {
 public:
  std::vector<String> Log;
  int PerPage = 10;
  HWND Editor = nullptr;
  HDC JobDC = nullptr, FormatterDC = nullptr;
  TFixedPages* Pages = nullptr;
  bool Refuses = false;
  bool Cancels = false;
  std::unique_ptr<TPrintJob> MakeJob(HDC printer) override {
    JobDC = printer;
    return std::make_unique<TRecordingJob>(Log, !Refuses, Cancels);
  }
  std::unique_ptr<TPageFormatter> MakeFormatter(HWND editor, HDC printer) override {
    Editor = editor;
    FormatterDC = printer;
    GETTEXTLENGTHEX query{GTL_NUMCHARS | GTL_PRECISE, 1200};
    const int length = static_cast<int>(SendMessageW(editor, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0));
    auto pages = std::make_unique<TFixedPages>(length, PerPage);
    Pages = pages.get();
    return pages;
  }
};

}  // namespace

TEST(PrintPages, PrintsEveryPageOfTheTextAsOneJobNamedByTheTitle) {
  struct {
    int length, perPage, pages;
  } cases[] = {{0, 10, 1}, {1, 10, 1}, {10, 10, 1}, {11, 10, 2}, {95, 10, 10}, {250, 7, 36}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.length << " characters, " << c.perPage << " a page");
    std::vector<String> log;
    TRecordingJob job(log);
    TFixedPages pages(c.length, c.perPage);
    EXPECT_EQ(TPrintOutcome::Printed, PrintPages(job, pages, L"Shopping"));
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(L"start Shopping", log.front());
    EXPECT_EQ(L"end", log.back());
    EXPECT_EQ(c.pages, Count(log, L"page"));
    EXPECT_EQ(c.pages, Count(log, L"end page"));
    EXPECT_EQ(0, Count(log, L"abort"));
    ASSERT_EQ(static_cast<size_t>(c.pages), pages.Firsts.size());
    for (int i = 0; i < c.pages; ++i) EXPECT_EQ(i * c.perPage, pages.Firsts[static_cast<size_t>(i)]);
  }
}

TEST(PrintPages, ALayoutThatMakesNoProgressAbortsTheJobAndAJobThatDoesNotStartPrintsNothing) {
  std::vector<String> log;
  TRecordingJob job(log);
  TFixedPages stuck(40, 0);
  EXPECT_EQ(TPrintOutcome::Aborted, PrintPages(job, stuck, L"Stuck"));
  EXPECT_EQ((std::vector<String>{L"start Stuck", L"page", L"end page", L"abort"}), log);

  log.clear();
  TRecordingJob refused(log, false);
  TFixedPages pages(40, 10);
  EXPECT_EQ(TPrintOutcome::NotStarted, PrintPages(refused, pages, L"Refused"));
  EXPECT_EQ((std::vector<String>{L"start Refused"}), log);
  EXPECT_TRUE(pages.Firsts.empty());
}

class NotePrintingTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    CreateMainForm();
  }
  TAnsweredDialogs dialogs_;
  seams::Scoped<seams::TCommonDialogs> useDialogs_{dialogs_};
  TStandInPrinter printer_;
};

TEST_F(NotePrintingTest, PrintFromTheNoteMenuPrintsTheEditorsTextOnTheChosenPrinterNamedByTheTitle) {
  seams::Scoped<TNotePrinter> usePrinter(printer_);
  TFR_NOTE* note = NewNote(String(95, L'x'));
  note->pnTitlePanel->SetCaption(L"Shopping list");
  note->tbPrint->Click();
  EXPECT_EQ(1, dialogs_.Shown);
  ASSERT_NE(nullptr, printer_.Pages);
  EXPECT_EQ(note->reEdit->Handle(), printer_.Editor);
  EXPECT_EQ(dialogs_.Given, printer_.JobDC);
  EXPECT_EQ(dialogs_.Given, printer_.FormatterDC);
  ASSERT_FALSE(printer_.Log.empty());
  EXPECT_EQ(L"start Shopping list", printer_.Log.front());
  EXPECT_EQ(L"end", printer_.Log.back());
  EXPECT_EQ(10, Count(printer_.Log, L"page"));
  EXPECT_TRUE(testing_support::MessageBoxes().Boxes.empty());
}

TEST_F(NotePrintingTest, CancellingThePrintDialogPrintsNothing) {
  seams::Scoped<TNotePrinter> usePrinter(printer_);
  dialogs_.Ok = false;
  TFR_NOTE* note = NewNote(L"Not to be printed");
  note->tbPrint->Click();
  EXPECT_EQ(1, dialogs_.Shown);
  EXPECT_TRUE(printer_.Log.empty());
  EXPECT_EQ(nullptr, printer_.Pages);
  EXPECT_TRUE(testing_support::MessageBoxes().Boxes.empty());
}

TEST_F(NotePrintingTest, ALayoutThatMakesNoProgressEndsInAnAbortedJobAndOneMessage) {
  seams::Scoped<TNotePrinter> usePrinter(printer_);
  printer_.PerPage = 0;
  TFR_NOTE* note = NewNote(L"Text the printer cannot place");
  note->pnTitlePanel->SetCaption(L"Stuck");
  note->tbPrint->Click();
  EXPECT_EQ((std::vector<String>{L"start Stuck", L"page", L"end page", L"abort"}), printer_.Log);
  ASSERT_EQ(1u, testing_support::MessageBoxes().Boxes.size());
  const auto& box = testing_support::MessageBoxes().Boxes[0];
  EXPECT_NE(String::npos, box.Text.find(L"\"Stuck\""));
  EXPECT_EQ(L"Quillnote", box.Caption);
  EXPECT_EQ(UINT(MB_OK | MB_ICONWARNING), box.Flags);
}

TEST_F(NotePrintingTest, TheEditorsOwnLayoutOnADeviceWithoutPagesEndsTheJobOneWayAndNeverHangs) {
  // The system's layout on a memory DC (no printer here): whatever it places, the job either
  // prints or is aborted with one message.
  TFR_NOTE* note = NewNote(L"A few words\r\nand a second line");
  gdi::MemoryDC device(CreateCompatibleDC(nullptr));
  std::vector<String> log;
  TRecordingJob job(log);
  std::unique_ptr<TPageFormatter> pages = TNotePrinter().MakeFormatter(note->reEdit->Handle(), device.Get());
  EXPECT_EQ(note->reEdit->Text().size() - 1, static_cast<size_t>(pages->TextLength())) << "CR LF counts as one";
  const TPrintOutcome outcome = PrintPages(job, *pages, L"Device");
  EXPECT_EQ(1, Count(log, L"end") + Count(log, L"abort"));
  EXPECT_EQ(outcome == TPrintOutcome::Printed, Count(log, L"end") == 1);
}

TEST_F(NotePrintingTest, AJobThatDoesNotStartPrintsNothingAndSaysSoUnlessTheUserCalledItOff) {
  seams::Scoped<TNotePrinter> usePrinter(printer_);
  TFR_NOTE* note = NewNote(L"Nowhere to go");
  printer_.Refuses = true;
  for (bool cancels : {true, false}) {
    printer_.Cancels = cancels;
    printer_.Log.clear();
    testing_support::MessageBoxes().Boxes.clear();
    note->tbPrint->Click();
    EXPECT_EQ((std::vector<String>{L"start New Note"}), printer_.Log) << cancels;
    EXPECT_EQ(cancels ? 0u : 1u, testing_support::MessageBoxes().Boxes.size()) << cancels;
  }
}

TEST_F(NotePrintingTest, APrinterThatRefusesTheJobPrintsNothingAndSaysSoOnce) {
  // The real job on the dialog's memory DC: the system does not start a document there.
  TFR_NOTE* note = NewNote(L"Nowhere to go");
  note->tbPrint->Click();
  EXPECT_EQ(1, dialogs_.Shown);
  EXPECT_EQ(1u, testing_support::MessageBoxes().Boxes.size());
}
