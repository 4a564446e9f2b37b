// What a note costs: start-up to the last note shown, CPU, memory, windows and GDI objects per
// note, and closing them all through Exit, for 0, 100 and 1,000 saved notes. Beside it, in the
// same run, the same figures for two references (one plain window for 0): bare rich-edit windows,
// which is what the system itself charges for a window with an editor in it, and a plain
// program's note-shaped windows (NoteShapedWindows.h), which is what the system charges for a
// note's windows. The summary sets the notes against the note-shaped windows.
//
// Each case runs in a process of its own (this program started again with "--case"), so every
// figure starts from a fresh process. The figures are printed, never judged.
#include "BenchApp.h"
#include "NoteShapedWindows.h"
#include "app/NoteFile.h"
#include "app/TFR_MAIN.h"
#include "app/TFR_NOTE.h"
#include "classlib/FileUtils.h"
#include "classlib/Forms.h"
#include "classlib/GdiHandles.h"
#include "classlib/Seams.h"
#include "classlib/Streams.h"
#include "tbx/TBXStartup.h"

#include <psapi.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using bench::PumpIdle;
using bench::TFolder;
using bench::TSilentBoxes;

struct TFigures {
  double ShownMs = 0;     // from the process's creation to every window shown and painted
  double ShownCpuMs = 0;  // CPU of the process until then
  double CloseMs = 0;     // closing every window (Exit for the notes)
  long OwnGdi = 0;        // GDI objects held by the project's wrappers
  long SysGdi = 0;        // the system's count (0 where it is not kept)
  long UserObjects = 0;
  long Windows = 0;
  double PrivateKb = 0;
};

double NowMs() {
  FILETIME ft;
  GetSystemTimePreciseAsFileTime(&ft);
  return (static_cast<double>(ft.dwHighDateTime) * 4294967296.0 + ft.dwLowDateTime) / 10000.0;
}

double FileTimeMs(const FILETIME& ft) {
  return (static_cast<double>(ft.dwHighDateTime) * 4294967296.0 + ft.dwLowDateTime) / 10000.0;
}

double ProcessStartMs() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  return FileTimeMs(created);
}

double CpuMs() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  return FileTimeMs(kernel) + FileTimeMs(user);
}

// The process's committed memory (Wine leaves PrivateUsage at 0; the page-file figure is the same
// commit charge).
double PrivateKb() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return static_cast<double>(counters.PagefileUsage) / 1024.0;
}

BOOL CALLBACK CountChild(HWND, LPARAM data) {
  ++*reinterpret_cast<long*>(data);
  return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND wnd, LPARAM data) {
  ++*reinterpret_cast<long*>(data);
  EnumChildWindows(wnd, CountChild, data);
  return TRUE;
}

long ThreadWindows() {
  long n = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountTopLevel, reinterpret_cast<LPARAM>(&n));
  return n;
}

void TakeCounts(TFigures& f) {
  f.OwnGdi = gdi::LiveObjects();
  f.SysGdi = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
  f.UserObjects = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
  f.Windows = ThreadWindows();
  f.PrivateKb = PrivateKb();
}

// ---- the notes ----

std::string Utf8(const String& s) {
  int n = WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, s.c_str(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
  return out;
}

// A note's text as users leave it: a few formatted lines.
std::string NoteRtf(int i) {
  return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Tahoma;}}\\f0\\fs20 Shopping list " + std::to_string(i) +
         "\\par {\\b milk}, bread, {\\i apples}\\par call the garage about the car\\par}";
}

// Notes cascading over the screen.
void WriteNotes(const String& folder, int count) {
  CreateDirectoryW(folder.c_str(), nullptr);
  for (int i = 0; i < count; ++i) {
    TNoteHeader h;
    h.Left = 40 + (i * 7) % 900;
    h.Top = 40 + (i * 5) % 600;
    h.Width = 260;
    h.Height = 220;
    h.Opacity = 100;
    h.Color = 0x99FFFF;
    std::string rtf = NoteRtf(i);
    std::string bytes = "\xEF\xBB\xBF" + Utf8(EncodeNoteHeader(h)) + "\r\nNote " + std::to_string(i) + "\r\n" + rtf;
    wchar_t name[32];
    swprintf(name, 32, L"%08d.qwn", i);
    TFileStream file(folder + name, fmCreate);
    file.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  }
}

TFigures RunNotes(const String& folder, int count) {
  TFolder programFolder;
  programFolder.Exe = folder + L"Quillnote.exe";
  seams::Scoped<seams::TProgramFolder> useFolder(programFolder);
  TSilentBoxes boxes;
  seams::Scoped<seams::TMessageBoxes> useBoxes(boxes);
  {
    TFileStream settings(folder + L"settings.ini", fmCreate);
    std::string text = "CheckForUpdates=0\r\n";
    settings.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
  }
  WriteNotes(folder + L"Notes\\", count);

  TFigures f;
  InitializeClassLibrary();
  InitializeThemeLayer();
  Application->Initialize();
  Application->SetShowMainForm(false);
  Application->SetTitle(L"Quillnote");
  Application->CreateForm(FR_QNT_MAIN);
  FR_QNT_MAIN->tiTray->SetVisible(true);
  FR_QNT_MAIN->ShowAllNotes(true);
  PumpIdle();
  f.ShownMs = NowMs() - ProcessStartMs();
  f.ShownCpuMs = CpuMs();
  TakeCounts(f);
  if (static_cast<int>(OpenNotes().size()) != count)
    std::fprintf(stderr, "only %d of %d notes opened\n", static_cast<int>(OpenNotes().size()), count);

  double start = NowMs();
  FR_QNT_MAIN->mnCLOSEClick(nullptr);
  while (!OpenNotes().empty()) {
    PumpIdle();
    if (!OpenNotes().empty()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  PumpIdle();  // the released notes are freed
  f.CloseMs = NowMs() - start;
  // As the program ends: its forms go before the theme layer, and that before the class library.
  Application->DestroyComponents();
  FinalizeThemeLayer();
  FinalizeClassLibrary();
  return f;
}

// ---- the references: windows of a plain program ----

// A reference's figures once its windows are made: every one shown and painted, then all closed.
TFigures ShownAndClosed(const std::vector<HWND>& windows) {
  TFigures f;
  PumpIdle();
  f.ShownMs = NowMs() - ProcessStartMs();
  f.ShownCpuMs = CpuMs();
  TakeCounts(f);
  double start = NowMs();
  for (HWND w : windows) DestroyWindow(w);
  PumpIdle();
  f.CloseMs = NowMs() - start;
  return f;
}

// Bare rich-edit windows.
LRESULT CALLBACK BareProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(wnd, msg, wp, lp);
}

TFigures RunRichEdits(int count) {
  WNDCLASSW cls{};
  cls.lpfnWndProc = BareProc;
  cls.hInstance = GetModuleHandleW(nullptr);
  cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  cls.lpszClassName = L"QuillnoteBenchBare";
  RegisterClassW(&cls);
  LoadLibraryExW(L"msftedit.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  std::vector<HWND> windows;
  windows.push_back(CreateWindowExW(0, cls.lpszClassName, L"bare", WS_POPUP | WS_VISIBLE, 0, 0, 200,
                                    100, nullptr, nullptr, cls.hInstance, nullptr));
  for (int i = 0; i < count; ++i) {
    HWND top = CreateWindowExW(WS_EX_TOOLWINDOW, cls.lpszClassName, L"note", WS_POPUP | WS_VISIBLE,
                               40 + (i * 7) % 900, 40 + (i * 5) % 600, 260, 220, nullptr, nullptr,
                               cls.hInstance, nullptr);
    HWND edit = CreateWindowExW(0, L"RICHEDIT50W", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 24,
                                260, 196, top, nullptr, cls.hInstance, nullptr);
    SETTEXTEX st{ST_DEFAULT, CP_ACP};
    const char* rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Tahoma;}}\\f0\\fs20 Shopping list"
                      "\\par {\\b milk}, bread, {\\i apples}\\par call the garage about the car\\par}";
    SendMessageW(edit, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&st), reinterpret_cast<LPARAM>(rtf));
    windows.push_back(top);
  }
  return ShownAndClosed(windows);
}

// The rich-edit class the program's editor uses, its library loaded.
const wchar_t* RichEditClass() {
  if (LoadLibraryExW(L"msftedit.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return MSFTEDIT_CLASS;
  LoadLibraryExW(L"riched20.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  return RICHEDIT_CLASSW;
}

// Note-shaped windows.
TFigures RunNoteShaped(int count) {
  return ShownAndClosed(bench::MakeNoteShapedWindows(count, NoteRtf, RichEditClass()));
}

// ---- the driver ----

String TempFolder(int count) {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  String folder = String(base) + L"qn-bench-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                  std::to_wstring(count) + L"\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

void RemoveTree(const String& folder) {
  String notes = folder + L"Notes\\";
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW((notes + L"*").c_str(), &fd);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((notes + fd.cFileName).c_str());
    } while (FindNextFileW(find, &fd));
    FindClose(find);
  }
  RemoveDirectoryW(notes.c_str());
  DeleteFileW((folder + L"settings.ini").c_str());
  RemoveDirectoryW(folder.c_str());
}

int RunCase(const std::wstring& kind, int count) {
  TFigures f;
  if (kind == L"notes") {
    String folder = TempFolder(count);
    f = RunNotes(folder, count);
    RemoveTree(folder);
  } else if (kind == L"shaped") {
    f = RunNoteShaped(count);
  } else {
    f = RunRichEdits(count);
  }
  std::printf("%.1f %.1f %.1f %ld %ld %ld %ld %.0f\n", f.ShownMs, f.ShownCpuMs, f.CloseMs, f.OwnGdi,
              f.SysGdi, f.UserObjects, f.Windows, f.PrivateKb);
  std::fflush(stdout);
  return 0;
}

// Runs one case in a child process and reads its figures back.
bool Measure(const std::wstring& kind, int count, TFigures& f) {
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring command = L"\"" + std::wstring(exe) + L"\" --case " + kind + L" " + std::to_wstring(count);
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE readEnd, writeEnd;
  if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return false;
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = writeEnd;
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi{};
  bool started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  CloseHandle(writeEnd);
  std::string out;
  char buffer[256];
  DWORD got = 0;
  while (started && ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got) out.append(buffer, got);
  CloseHandle(readEnd);
  if (!started) return false;
  WaitForSingleObject(pi.hProcess, INFINITE);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return std::sscanf(out.c_str(), "%lf %lf %lf %ld %ld %ld %ld %lf", &f.ShownMs, &f.ShownCpuMs, &f.CloseMs,
                     &f.OwnGdi, &f.SysGdi, &f.UserObjects, &f.Windows, &f.PrivateKb) == 8;
}

double CpuPerNote(const TFigures& f, const TFigures& none, int count) {
  return (f.ShownCpuMs - none.ShownCpuMs) / count;
}

void PrintRow(const char* what, int count, const TFigures& f, const TFigures& none) {
  std::printf("%-22s %6d %10.0f %10.0f %10.0f", what, count, f.ShownMs, f.ShownCpuMs, f.CloseMs);
  if (count == 0) {
    std::printf("       -        -        -        -        -\n");
    return;
  }
  double n = count;
  std::printf(" %8.2f %8.2f %8.2f %8.2f %8.1f\n", CpuPerNote(f, none, count),
              (f.OwnGdi - none.OwnGdi) / n, (f.SysGdi - none.SysGdi) / n, (f.Windows - none.Windows) / n,
              (f.PrivateKb - none.PrivateKb) / n);
}

constexpr int kRuns = 3;

// Each figure's median over the runs.
TFigures Median(std::vector<TFigures> runs) {
  auto median = [&runs](auto field) {
    std::sort(runs.begin(), runs.end(), [&](const TFigures& a, const TFigures& b) { return a.*field < b.*field; });
    return runs[runs.size() / 2].*field;
  };
  TFigures m;
  m.ShownMs = median(&TFigures::ShownMs);
  m.ShownCpuMs = median(&TFigures::ShownCpuMs);
  m.CloseMs = median(&TFigures::CloseMs);
  m.OwnGdi = median(&TFigures::OwnGdi);
  m.SysGdi = median(&TFigures::SysGdi);
  m.UserObjects = median(&TFigures::UserObjects);
  m.Windows = median(&TFigures::Windows);
  m.PrivateKb = median(&TFigures::PrivateKb);
  return m;
}

struct TCase {
  const wchar_t* Kind;
  const char* Title;
};

constexpr TCase kCases[] = {
    {L"richedit", "bare rich-edit windows"},
    {L"shaped", "note-shaped windows"},
    {L"notes", "Quillnote notes"},
};
constexpr int kCounts[] = {0, 100, 1000};

// The notes set against the note-shaped windows, from the same run.
void PrintSummary(const TFigures (&shaped)[3], const TFigures (&notes)[3]) {
  const double at100 = CpuPerNote(notes[1], notes[0], 100);
  const double at1000 = CpuPerNote(notes[2], notes[0], 1000);
  std::printf("\nQuillnote's CPU per note: %.2f ms with 100 notes, %.2f ms with 1,000: %.2f times "
              "(goal: at most 1.10)\n",
              at100, at1000, at1000 / at100);
  std::printf("Note-shaped windows' CPU per window: %.2f ms with 100, %.2f ms with 1,000\n",
              CpuPerNote(shaped[1], shaped[0], 100), CpuPerNote(shaped[2], shaped[0], 1000));
  std::printf("100 notes shown in %.2f times the note-shaped windows' time (goal: at most 1.15)\n",
              notes[1].ShownMs / shaped[1].ShownMs);
  std::printf("1,000 notes shown in %.2f times the note-shaped windows' time (goal: at most 1.20)\n",
              notes[2].ShownMs / shaped[2].ShownMs);
  std::printf("Exit with 1,000 notes in %.2f times the note-shaped windows' close (goal: at most 1.50)\n",
              notes[2].CloseMs / shaped[2].CloseMs);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 4 && std::wstring(argv[1]) == L"--case") return RunCase(argv[2], _wtoi(argv[3]));
  std::printf("Notes: start-up to every note shown, and closing through Exit (ms); per note beyond\n"
              "the empty start: CPU (ms), GDI objects (our wrappers' count, the system's count),\n"
              "windows, private memory (KB). The system's GDI count is 0 where it keeps none.\n"
              "Each figure is the median of %d runs; the cases take turns within each run, so that\n"
              "a busy machine weighs on all of them alike.\n\n",
              kRuns);
  std::printf("%-22s %6s %10s %10s %10s %8s %8s %8s %8s %8s\n", "case", "notes", "shown", "cpu", "close",
              "cpu/n", "gdi/n", "sysgdi/n", "wnd/n", "KB/n");
  std::vector<TFigures> runs[3][3];
  for (int r = 0; r < kRuns; ++r)
    for (int c = 0; c < 3; ++c)
      for (int n = 0; n < 3; ++n) {
        TFigures f;
        if (Measure(kCases[c].Kind, kCounts[n], f)) runs[c][n].push_back(f);
      }
  TFigures figures[3][3];
  bool complete = true;
  for (int c = 0; c < 3; ++c) {
    for (int n = 0; n < 3; ++n) {
      if (runs[c][n].empty()) {
        std::printf("%-22s %6d   (the case failed)\n", kCases[c].Title, kCounts[n]);
        complete = false;
        continue;
      }
      figures[c][n] = Median(runs[c][n]);
      PrintRow(kCases[c].Title, kCounts[n], figures[c][n], figures[c][0]);
    }
  }
  if (complete) PrintSummary(figures[1], figures[2]);
  return 0;
}
