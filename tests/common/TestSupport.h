#pragma once
// Test doubles of the seams and helpers for driving windows under Wine.
#include "classlib/Classes.h"
#include "classlib/Seams.h"

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

// Records every message box and answers with a chosen button.
class TRecordingMessageBoxes : public seams::TMessageBoxes {
 public:
  struct Box {
    String Text, Caption;
    UINT Flags;
  };
  int Show(HWND owner, const String& text, const String& caption, UINT flags) override;
  std::vector<Box> Boxes;
  int Answer = IDOK;
};

// Records shell requests instead of starting host programs.
class TRecordingShell : public seams::TShell {
 public:
  struct Request {
    String Verb, File, Parameters;
    int Show;
    bool Ansi;
  };
  HINSTANCE Execute(HWND owner, const wchar_t* verb, const String& file, const wchar_t* parameters,
                    int show) override;
  HINSTANCE ExecuteAnsi(HWND owner, const char* verb, const std::string& file, int show) override;
  std::vector<Request> Requests;
};

// Runs a check between writing a replaced file's temporary file and moving it over the file;
// a check that answers false makes the replace fail there, as a full disk would.
class THookedFileReplacement : public seams::TFileReplacement {
 public:
  explicit THookedFileReplacement(std::function<bool(const String& tempFileName)> before)
      : before_(std::move(before)), use_(*this) {}
  bool MoveOver(const String& tempFileName, const String& fileName) override;

 private:
  std::function<bool(const String&)> before_;
  seams::Scoped<seams::TFileReplacement> use_;
};

// Every test runs with these installed, so that nothing modal or external can happen by accident.
TRecordingMessageBoxes& MessageBoxes();
TRecordingShell& Shell();

// Dispatches the thread's messages for about this long.
void PumpMessages(DWORD milliseconds = 0);
// Pumps messages until the condition holds or the time runs out; returns the condition.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);
// Polls the condition, handling no messages, until it holds or the time runs out (for what other
// threads and processes do); returns the condition.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs);
// Real key input (SendInput): the keys go down in order and come up in the reverse order, and the
// thread's messages are handled until it has read the last key's press (the one the others are
// held with), so that everything the keys did has happened, and then their releases where they
// come to this thread; false when the press did not come within two seconds (the keys went to
// another window). Under Wine without a window manager the keys reach the window under the
// pointer: move it there first (PointerInto).
bool PressKeys(const std::vector<WORD>& Keys);
inline bool PressKeys(std::initializer_list<WORD> Keys) { return PressKeys(std::vector<WORD>(Keys)); }
// The pointer on the middle of the window.
void PointerInto(HWND Wnd);
// The name of the control of ours with the focus.
String FocusedControlName();
// The names of the controls the focus is on after each of so many presses of the keys.
std::vector<String> FocusWalk(const std::vector<WORD>& Keys, size_t Presses);
// The top-level windows of the calling thread.
int ThreadWindowCount();
// The alpha of a layered window, of this process or another (0 when it has none).
BYTE LayeredAlpha(HWND wnd);
// A fresh empty folder under the temporary folder, removed again by the caller's fixture;
// throws std::runtime_error when the temporary folder takes none.
String MakeTempFolder(const String& hint);
void RemoveFolderTree(const String& folder);

// Puts a clip on the clipboard, format by format, each with its bytes as they are (a text format
// brings its own terminating zero); no formats leave it empty.
void SetClipboardFormats(const std::vector<std::pair<UINT, std::string>>& formats);
// The bytes of a text for CF_UNICODETEXT, with its terminating zero.
std::string UnicodeTextBytes(const String& text);
// A clip as a program copies formatted text: "Rich Text Format" and, unless empty, the plain text.
void SetClipboardRichText(const std::string& rtf, const String& text);

// A hidden window that runs a script of steps while a menu loop pumps the thread's messages:
// each step is posted behind what the one before it posted, so it runs once the loop has
// handled those messages.
class TMenuDriver : public TObject {
 public:
  TMenuDriver() : wnd_(AllocateHWnd(TWndMethod(this, &TMenuDriver::WndProc), TUtilWindowKind::MessagesOnly)) {}
  ~TMenuDriver() override { DeallocateHWnd(wnd_); }
  void Post(std::function<void()> Step) {
    steps_.push_back(std::move(Step));
    if (steps_.size() == 1) PostMessageW(wnd_, kStep, 0, 0);
  }
  HWND Handle() const { return wnd_; }
  // Presses these keys in the open menu (its loop holds the capture).
  void PostKeys(std::vector<WPARAM> Keys) {
    Post([Keys] {
      for (WPARAM key : Keys) PostMessageW(GetCapture(), WM_KEYDOWN, key, 1);
    });
  }
  // A loop still running after this long is ended by taking its capture away.
  void SetWatchdog(UINT Milliseconds) { SetTimer(wnd_, kWatchdog, Milliseconds, nullptr); }
  bool WatchdogFired() const { return fired_; }

 private:
  static constexpr UINT kStep = WM_APP + 7;
  static constexpr UINT_PTR kWatchdog = 1;
  void WndProc(TMessage& Message) {
    if (Message.Msg == WM_TIMER && Message.WParam == kWatchdog) {
      KillTimer(wnd_, kWatchdog);
      fired_ = true;
      ReleaseCapture();
      return;
    }
    if (Message.Msg != kStep) {
      Message.Result = DefWindowProcW(wnd_, Message.Msg, Message.WParam, Message.LParam);
      return;
    }
    if (steps_.empty()) return;
    std::function<void()> step = std::move(steps_.front());
    step();
    steps_.erase(steps_.begin());
    if (!steps_.empty()) PostMessageW(wnd_, kStep, 0, 0);
  }
  HWND wnd_;
  std::vector<std::function<void()>> steps_;
  bool fired_ = false;
};

}  // namespace testing_support

// Rectangles compare and print in test assertions.
inline bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
#include <ostream>
inline std::ostream& operator<<(std::ostream& os, const RECT& r) {
  return os << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
}
