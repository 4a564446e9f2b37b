#include "app/NotePrinting.h"

#include "app/TFR_NOTE.h"

#include <richedit.h>

namespace {

class TPrinterJob : public TPrintJob {
 public:
  explicit TPrinterJob(HDC printer) : dc_(printer) {}
  bool Start(const String& title) override {
    DOCINFOW info{};
    info.cbSize = sizeof(info);
    info.lpszDocName = title.c_str();
    if (StartDocW(dc_, &info) > 0) return true;
    cancelled_ = GetLastError() == ERROR_CANCELLED;
    return false;
  }
  bool Cancelled() override { return cancelled_; }
  bool StartPage() override { return ::StartPage(dc_) > 0; }
  bool EndPage() override { return ::EndPage(dc_) > 0; }
  void End() override { EndDoc(dc_); }
  void Abort() override { AbortDoc(dc_); }

 private:
  HDC dc_;
  bool cancelled_ = false;
};

constexpr int kTwipsPerInch = 1440;

class TRichEditFormatter : public TPageFormatter {
 public:
  TRichEditFormatter(HWND editor, HDC printer) : editor_(editor), printer_(printer) {
    // The printable area, in twips, from the printer's own origin (the area's top left).
    const int width = MulDiv(GetDeviceCaps(printer, HORZRES), kTwipsPerInch, GetDeviceCaps(printer, LOGPIXELSX));
    const int height = MulDiv(GetDeviceCaps(printer, VERTRES), kTwipsPerInch, GetDeviceCaps(printer, LOGPIXELSY));
    area_ = RECT{0, 0, width, height};
  }
  ~TRichEditFormatter() override {
    // The control keeps what it measured for the printer until told that the printing ended.
    SendMessageW(editor_, EM_FORMATRANGE, FALSE, 0);
  }
  int TextLength() override {
    GETTEXTLENGTHEX query{GTL_NUMCHARS | GTL_PRECISE, 1200};
    return static_cast<int>(SendMessageW(editor_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0));
  }
  int FormatPage(int first) override {
    FORMATRANGE range{};
    range.hdc = printer_;
    range.hdcTarget = printer_;
    range.rc = area_;
    range.rcPage = area_;
    range.chrg.cpMin = first;
    range.chrg.cpMax = -1;
    return static_cast<int>(SendMessageW(editor_, EM_FORMATRANGE, TRUE, reinterpret_cast<LPARAM>(&range)));
  }

 private:
  HWND editor_;
  HDC printer_;
  RECT area_{};
};

}  // namespace

std::unique_ptr<TPrintJob> TNotePrinter::MakeJob(HDC Printer) { return std::make_unique<TPrinterJob>(Printer); }

std::unique_ptr<TPageFormatter> TNotePrinter::MakeFormatter(HWND Editor, HDC Printer) {
  return std::make_unique<TRichEditFormatter>(Editor, Printer);
}

TPrintOutcome PrintPages(TPrintJob& Job, TPageFormatter& Pages, const String& Title) {
  if (!Job.Start(Title)) return Job.Cancelled() ? TPrintOutcome::Cancelled : TPrintOutcome::NotStarted;
  const int length = Pages.TextLength();
  // An empty note still prints its one (empty) page.
  for (int first = 0;;) {
    if (!Job.StartPage()) break;
    const int next = Pages.FormatPage(first);
    if (!Job.EndPage()) break;
    if (next >= length) {
      Job.End();
      return TPrintOutcome::Printed;
    }
    // A layout that does not move on would print the same page for ever.
    if (next <= first) break;
    first = next;
  }
  Job.Abort();
  return TPrintOutcome::Aborted;
}

TPrintOutcome PrintRichText(HWND Editor, HDC Printer, const String& Title) {
  TPrintOutcome outcome;
  {
    std::unique_ptr<TPrintJob> job = NotePrinter().MakeJob(Printer);
    std::unique_ptr<TPageFormatter> pages = NotePrinter().MakeFormatter(Editor, Printer);
    outcome = PrintPages(*job, *pages, Title);
  }
  if (outcome == TPrintOutcome::NotStarted || outcome == TPrintOutcome::Aborted)
    seams::MessageBoxes().Show(nullptr, L"Quillnote could not print the note \"" + Title + L"\".\r\n" +
                                            (outcome == TPrintOutcome::NotStarted
                                                 ? L"The printer did not take the job."
                                                 : L"The printer could not lay out its pages; nothing was printed."),
                               L"Quillnote", MB_OK | MB_ICONWARNING);
  return outcome;
}

void TFR_NOTE::mnPrintClick(TObject*) {
  if (!pdPrintDialog->Execute(Handle())) return;
  PrintRichText(reEdit->Handle(), pdPrintDialog->PrinterDC(), pnTitlePanel->Caption());
}
