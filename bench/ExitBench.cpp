// Exit while an update check is pending: the time from Exit to the end of the program's process,
// with the check's site answering at once, never answering, trickling its head or its body one
// byte a second, or sending an endless chunked body; and, beside it, with no check at all.
//
// Each run is a process of its own (this program started again with "--child"): the program's
// own entry runs there, with five saved notes and the check at start against a server in this
// process. This process tells the child when to choose Exit and times it to the child's end. The
// figures are printed, never judged.
#include "BenchApp.h"
#include "BenchTiming.h"
#include "app/QuillnoteMain.h"
#include "app/TFR_MAIN.h"
#include "app/WebLinks.h"
#include "classlib/Seams.h"
#include "classlib/Streams.h"
#include "common/HttpTestServer.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using testing_support::THttpAnswer;
using testing_support::THttpTestServer;

constexpr int kNotes = 5;
constexpr int kRuns = 3;
constexpr UINT kExitNow = WM_APP + 50;

// ---- the child: the program itself ----

class TSiteAddresses : public TAddresses {
 public:
  explicit TSiteAddresses(String site) : site_(std::move(site)) {}
  String ProductSite() override { return site_; }

 private:
  String site_;
};

LRESULT CALLBACK ExitProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kExitNow && FR_QNT_MAIN) {
    FR_QNT_MAIN->mnCLOSEClick(FR_QNT_MAIN->mnCLOSE);
    return 0;
  }
  return DefWindowProcW(wnd, msg, wp, lp);
}

struct TExitWatch {
  HANDLE Event;
  HWND Window;
};

DWORD WINAPI WatchExit(void* parameter) {
  auto* watch = static_cast<TExitWatch*>(parameter);
  WaitForSingleObject(watch->Event, INFINITE);
  PostMessageW(watch->Window, kExitNow, 0, 0);
  return 0;
}

// A window of the program's thread that chooses Exit when the parent sets the event.
void WatchForExit(HANDLE exitEvent, TExitWatch& watch) {
  WNDCLASSW cls{};
  cls.lpfnWndProc = ExitProc;
  cls.hInstance = GetModuleHandleW(nullptr);
  cls.lpszClassName = L"QuillnoteBenchExit";
  RegisterClassW(&cls);
  watch.Event = exitEvent;
  watch.Window = CreateWindowExW(0, cls.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, cls.hInstance, nullptr);
  CloseHandle(CreateThread(nullptr, 0, WatchExit, &watch, 0, nullptr));
}

int RunChild(const String& folder, const String& site, const String& eventName) {
  bench::TFolder programFolder;
  programFolder.Exe = folder + L"Quillnote.exe";
  seams::Scoped<seams::TProgramFolder> useFolder(programFolder);
  TSiteAddresses addresses(site);
  seams::Scoped<TAddresses> useSite(addresses);
  bench::TSilentBoxes boxes;
  seams::Scoped<seams::TMessageBoxes> useBoxes(boxes);
  HANDLE exitEvent = OpenEventW(SYNCHRONIZE, FALSE, eventName.c_str());
  if (!exitEvent) return 2;
  static TExitWatch watch;
  WatchForExit(exitEvent, watch);
  return QuillnoteMain();
}

// ---- the parent: the server, the runs and the figures ----

void WriteFile(const String& path, const std::string& bytes) {
  TFileStream file(path, fmCreate);
  file.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

std::string ReadFile(const String& path) {
  try {
    return ReadFileBytes(path);
  } catch (...) {
    return {};
  }
}

String NoteName(int i) { return L"10" + std::to_wstring(i) + L".qwn"; }

// The words of note i (built by appending: GCC 12 warns falsely on a literal plus a number's text).
std::string NoteWords(int i) {
  std::string words = "Saved words ";
  words += std::to_string(i);
  return words;
}

String MakeFolder(bool check) {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  const String folder = String(base) + L"qn-exit-bench-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  CreateDirectoryW((folder + L"Notes").c_str(), nullptr);
  WriteFile(folder + L"settings.ini", std::string("CheckForUpdates=") + (check ? "1" : "0") + "\r\nDeleteConfirm=0\r\n");
  for (int i = 0; i < kNotes; ++i)
    WriteFile(folder + L"\\Notes\\" + NoteName(i),
              "\xEF\xBB\xBF" "00012C0000C80000C80000C800006499FFFF00\r\nNote\r\n{\\rtf1\\ansi " + NoteWords(i) + "}\r\n");
  return folder;
}

bool NotesKept(const String& folder) {
  for (int i = 0; i < kNotes; ++i)
    if (ReadFile(folder + L"\\Notes\\" + NoteName(i)).find(NoteWords(i)) == std::string::npos)
      return false;
  return true;
}

void RemoveFolder(const String& folder) {
  for (int i = 0; i < kNotes; ++i) DeleteFileW((folder + L"\\Notes\\" + NoteName(i)).c_str());
  RemoveDirectoryW((folder + L"Notes").c_str());
  DeleteFileW((folder + L"settings.ini").c_str());
  RemoveDirectoryW(folder.c_str());
}

struct TRun {
  double ExitMs = -1;  // Exit to the process's end; -1 when the run failed
  bool Kept = false;
};

BOOL CALLBACK FindMainForm(HWND wnd, LPARAM data) {
  auto* found = reinterpret_cast<std::pair<DWORD, HWND>*>(data);
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  wchar_t name[64] = {};
  GetClassNameW(wnd, name, 64);
  if (pid == found->first && String(name) == L"TFR_QNT_MAIN") found->second = wnd;
  return found->second == nullptr;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD ms) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > ms) return false;
    Sleep(10);
  }
  return true;
}

TRun RunOnce(const wchar_t* exe, THttpTestServer* server, const String& site) {
  TRun run;
  const String folder = MakeFolder(server != nullptr);
  const String eventName = L"qn-exit-bench-" + std::to_wstring(GetCurrentProcessId());
  HANDLE exitEvent = CreateEventW(nullptr, TRUE, FALSE, eventName.c_str());
  // The folder without its last backslash: a backslash before a closing quote would escape it.
  std::wstring command = L"\"" + std::wstring(exe) + L"\" --child \"" + folder.substr(0, folder.size() - 1) +
                         L"\" \"" + site + L"\" " + eventName;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::pair<DWORD, HWND> main{pi.dwProcessId, nullptr};
    const bool up = WaitUntil([&] {
      main.second = nullptr;
      EnumWindows(FindMainForm, reinterpret_cast<LPARAM>(&main));
      return main.second != nullptr;
    }, 30000);
    // The check has asked, and its answer has begun to come.
    const bool asked = !server || server->WaitForRequests(1, 30000);
    Sleep(1500);
    if (up && asked) {
      const double start = bench::Ticks();
      SetEvent(exitEvent);
      if (WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0) run.ExitMs = bench::Ticks() - start;
    }
    if (run.ExitMs < 0) TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  CloseHandle(exitEvent);
  run.Kept = NotesKept(folder);
  RemoveFolder(folder);
  return run;
}

void Case(const wchar_t* exe, const char* name, const THttpAnswer* answer) {
  std::vector<double> times;
  bool kept = true;
  for (int i = 0; i < kRuns; ++i) {
    TRun run;
    if (answer) {
      THttpTestServer server;
      server.Script({*answer});
      run = RunOnce(exe, &server, server.Site());
    } else {
      run = RunOnce(exe, nullptr, L"http://127.0.0.1:9");
    }
    if (run.ExitMs < 0) {
      std::printf("%-34s (the run failed)\n", name);
      return;
    }
    times.push_back(run.ExitMs);
    kept = kept && run.Kept;
  }
  const bench::TSpread spread = bench::Spread(times);
  std::printf("%-34s %10.0f %10.0f   %s\n", name, spread.Median, *std::max_element(times.begin(), times.end()),
              kept ? "yes" : "NO");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc >= 2 && String(argv[1]) == L"--child") return argc == 5 ? RunChild(String(argv[2]) + L"\\", argv[3], argv[4]) : 2;
  using E = THttpAnswer::TEndless;
  auto endless = [](E kind) {
    THttpAnswer a = testing_support::EndlessAnswer(kind);
    a.TrickleMs = 1000;  // one byte a second
    a.EndlessForMs = 60000;
    return a;
  };
  const THttpAnswer answered = testing_support::TextAnswer("1.5.0.0");
  const THttpAnswer silent = testing_support::SilentAnswer();
  const THttpAnswer head = endless(E::TrickleHead), body = endless(E::TrickleBody), chunks = endless(E::Chunks);
  std::printf("Exit with an update check pending: from Exit to the end of the process (ms), %d runs each,\n"
              "with %d saved notes that Exit writes again\n",
              kRuns, kNotes);
  std::printf("%-34s %10s %10s   %s\n", "the check's site", "median", "max", "notes kept");
  Case(argv[0], "no check", nullptr);
  Case(argv[0], "answered at once", &answered);
  Case(argv[0], "never answers", &silent);
  Case(argv[0], "head trickles a byte a second", &head);
  Case(argv[0], "body trickles a byte a second", &body);
  Case(argv[0], "endless chunked body", &chunks);
  return 0;
}
