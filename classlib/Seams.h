#pragma once
// Every place where the program reaches outside itself goes through one of these classes. Each
// class is the real implementation; a test installs a descendant with seams::Scoped, and no
// test shows a modal box, opens a browser or depends on the host's settings.
#include "classlib/Types.h"

#include <commdlg.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace seams {

class TMessageBoxes {
 public:
  virtual ~TMessageBoxes() = default;
  virtual int Show(HWND owner, const String& text, const String& caption, UINT flags);
};

class TShell {
 public:
  virtual ~TShell() = default;
  // ShellExecuteW; verb and parameters may be null.
  virtual HINSTANCE Execute(HWND owner, const wchar_t* verb, const String& file,
                            const wchar_t* parameters, int show);
  // ShellExecuteA with the text in the ANSI code page (the mail request uses it).
  virtual HINSTANCE ExecuteAnsi(HWND owner, const char* verb, const std::string& file, int show);
};

class TTrayArea {
 public:
  virtual ~TTrayArea() = default;
  virtual bool Notify(DWORD message, NOTIFYICONDATAW& data);
};

// How long a request may take and how much of a body it takes.
struct THttpLimits {
  // Milliseconds for the whole request, from its start to the body's last byte, whatever the
  // server sends meanwhile (slowly, endlessly or nothing at all).
  DWORD Timeout = 20000;
  // A longer body fails the request; no more than one byte past it is read.
  size_t MaxBody = 64 * 1024;
  // An event that, once set (from any thread), ends the request at once as failed; none when null.
  HANDLE Abort = nullptr;
};

struct THttpReply {
  bool Ok = false;      // status 200, the body read whole within the bound
  int Status = 0;       // the HTTP status, 0 when none came
  bool TooLong = false;  // the body went past the bound
  String Body;          // when Ok: decoded by the reply's charset (UTF-8 when it names none)
};

class THttp {
 public:
  virtual ~THttp() = default;
  // One GET of an http address; redirects are not followed, and a status other than 200 fails.
  // Headers are "Name: value" lines, sent after the host's and before "Connection: close".
  virtual THttpReply Get(const String& url, const std::vector<String>& headers, const THttpLimits& limits);
};

class TClock {
 public:
  virtual ~TClock() = default;
  virtual TDateTime Now();
  // The locale whose date and time formats texts follow.
  virtual LCID Locale();
};

class TRandom {
 public:
  virtual ~TRandom() = default;
  // A number in 0 .. range-1 (0 when range <= 0).
  virtual int Next(int range);

 private:
  unsigned state_ = 1;
};

class TProgramFolder {
 public:
  virtual ~TProgramFolder() = default;
  // The full path of the running program.
  virtual String ExeName();
};

class TSounds {
 public:
  virtual ~TSounds() = default;
  // Plays a system sound alias with PlaySound's flags (SND_ALIAS and the caller's others).
  virtual void PlayAlias(const String& alias, DWORD flags);
  // The system's warning beep (MessageBeep), for input that nothing could use.
  virtual void Beep(UINT type);
};

class THelp {
 public:
  virtual ~THelp() = default;
  virtual bool WinHelp(HWND owner, const String& file, UINT command, ULONG_PTR data);
};

// Moving a file's new contents, written to a temporary file beside it, over the file
// (ReplaceFileContents); a test makes it fail as a full disk or a locked target would.
class TFileReplacement {
 public:
  virtual ~TFileReplacement() = default;
  // False with the system's last error set when the file could not be replaced.
  virtual bool MoveOver(const String& tempFileName, const String& fileName);
};

// The system's modal common dialogs (font, print); a test answers them without showing them.
class TCommonDialogs {
 public:
  virtual ~TCommonDialogs() = default;
  virtual bool ShowFontDialog(CHOOSEFONTW& data);
  virtual bool ShowPrintDialog(PRINTDLGW& data);
};

// The system settings that menus and themes read.
class TSystemSettings {
 public:
  virtual ~TSystemSettings() = default;
  virtual UINT MenuShowDelay();
  virtual bool MenuAnimation();
  virtual bool MenuFade();
  virtual bool FlatMenus();
  virtual bool KeyboardCues();
  virtual UINT WheelScrollLines();
  virtual COLORREF SysColor(int index);
  // The system's brush of a colour (never to be deleted); null where the system has none.
  virtual HBRUSH SysColorBrush(int index);
  virtual int ColorDepth();  // bits per pixel of the screen
  virtual bool MenuDropAlignmentRight();
};

template <class I>
struct Slot {
  static inline I* current = nullptr;
};

template <class I>
I& Get() {
  if (I* p = Slot<I>::current) return *p;
  static I real;
  return real;
}

// Installs a replacement for the lifetime of the guard.
template <class I>
class Scoped {
 public:
  explicit Scoped(I& replacement) : previous_(Slot<I>::current) { Slot<I>::current = &replacement; }
  ~Scoped() { Slot<I>::current = previous_; }
  Scoped(const Scoped&) = delete;
  Scoped& operator=(const Scoped&) = delete;

 private:
  I* previous_;
};

inline TMessageBoxes& MessageBoxes() { return Get<TMessageBoxes>(); }
inline TShell& Shell() { return Get<TShell>(); }
inline TTrayArea& TrayArea() { return Get<TTrayArea>(); }
inline THttp& Http() { return Get<THttp>(); }
inline TClock& Clock() { return Get<TClock>(); }
inline TRandom& Random() { return Get<TRandom>(); }
inline TProgramFolder& ProgramFolder() { return Get<TProgramFolder>(); }
inline TSounds& Sounds() { return Get<TSounds>(); }
inline THelp& Help() { return Get<THelp>(); }
inline TFileReplacement& FileReplacement() { return Get<TFileReplacement>(); }
inline TCommonDialogs& CommonDialogs() { return Get<TCommonDialogs>(); }
inline TSystemSettings& SystemSettings() { return Get<TSystemSettings>(); }

}  // namespace seams
