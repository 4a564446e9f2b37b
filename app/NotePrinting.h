#pragma once
// Printing a note: the editor's text laid out page after page on the printer chosen in the
// print dialog. The print job and the page layout sit behind small interfaces, so that the
// page loop can be run against stand-ins (no printer is needed to test it).
#include "classlib/Seams.h"
#include "classlib/Types.h"

#include <memory>

// A print job on a printer: the pages between its start and its end. Abort drops what the job
// holds so far; a job that started is either ended or aborted.
class TPrintJob {
 public:
  virtual ~TPrintJob() = default;
  virtual bool Start(const String& Title) = 0;
  // After a Start that failed: whether the user called the job off (a printer that asks for a
  // file name, say, and was given none).
  virtual bool Cancelled() { return false; }
  virtual bool StartPage() = 0;
  virtual bool EndPage() = 0;
  virtual void End() = 0;
  virtual void Abort() = 0;
};

// Lays the text out one page at a time.
class TPageFormatter {
 public:
  virtual ~TPageFormatter() = default;
  // The characters there are to print.
  virtual int TextLength() = 0;
  // Draws the page that begins at character First; answers the first character that did not
  // fit on it.
  virtual int FormatPage(int First) = 0;
};

// Where the job and the layout of a real printout come from; tests install stand-ins.
class TNotePrinter {
 public:
  virtual ~TNotePrinter() = default;
  // A job on the printer's DC (StartDoc, StartPage, ...).
  virtual std::unique_ptr<TPrintJob> MakeJob(HDC Printer);
  // The rich-edit control's own layout (EM_FORMATRANGE) over the printer's printable area.
  virtual std::unique_ptr<TPageFormatter> MakeFormatter(HWND Editor, HDC Printer);
};

inline TNotePrinter& NotePrinter() { return seams::Get<TNotePrinter>(); }

enum class TPrintOutcome { Printed, Cancelled, NotStarted, Aborted };

// Prints every page as the job's Title: the pages follow each other until the text is all
// laid out. A page that fails, or a layout that does not move on, aborts the job.
TPrintOutcome PrintPages(TPrintJob& Job, TPageFormatter& Pages, const String& Title);

// Prints the editor's text on the printer (a DC the caller keeps), as a job named Title; tells
// the user once when nothing could be printed (unless the user called it off).
TPrintOutcome PrintRichText(HWND Editor, HDC Printer, const String& Title);
