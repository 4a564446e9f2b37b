// What the editor's menu costs on a long note: a note of 1 MB of text, all selected, then
// (the length and the runs can be given as arguments)
//  - opening its context menu until the menu has painted, 5 times, beside the system's own menu
//    with the same captions (TrackPopupMenu until idle);
//  - Ctrl+B as the editor gets it (the menu's state is made again for every shortcut key, then the
//    command bolds or unbolds the selection), 5 times, beside the same 1 MB selected in a bare
//    rich-edit window and bolded or unbolded there with one EM_SETCHARFORMAT.
// The figures are printed, never judged.
#include "BenchApp.h"
#include "BenchTiming.h"
#include "SystemMenu.h"
#include "app/TFR_MAIN.h"
#include "app/TFR_NOTE.h"
#include "classlib/Streams.h"
#include "tbx/TBXStartup.h"

#include <richedit.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Runs of each case: a bold over 1 MB costs this Wine's control seconds; or the second argument.
int g_runs = 5;
// The text's length: 1 MB, or the first argument.
size_t g_noteChars = 1000000;

using bench::Ticks;
using bench::TSpread;

void Print(const char* What, TSpread S) { std::printf("%-48s %10.2f %10.2f\n", What, S.Median, S.P95); }

// About a million characters of lines of ordinary text.
String LongText() {
  const String line = L"Call the garage about the car, then buy milk, bread and apples.\r\n";
  String text;
  text.reserve(g_noteChars + line.size());
  while (text.size() < g_noteChars) text += line;
  return text;
}

// Notes the moment the menu's first paint is over and ends the menu. The message after a popup
// window's WM_PAINT is fetched only once that paint has run.
HHOOK g_hook = nullptr;
double g_paintedAt = 0;
bool g_paintSeen = false;

LRESULT CALLBACK AfterPaint(int Code, WPARAM WParam, LPARAM LParam) {
  auto* msg = reinterpret_cast<MSG*>(LParam);
  if (Code == HC_ACTION && WParam == PM_REMOVE && g_paintedAt == 0) {
    if (g_paintSeen) {
      g_paintedAt = Ticks();
      PostMessageW(GetCapture(), WM_KEYDOWN, VK_ESCAPE, 1);
    } else if (msg->message == WM_PAINT && dynamic_cast<TTBPopupWindow*>(TWinControl::FindControl(msg->hwnd))) {
      g_paintSeen = true;
      PostMessageW(msg->hwnd, WM_NULL, 0, 0);
    }
  }
  return CallNextHookEx(g_hook, Code, WParam, LParam);
}

TSpread TimeOpening(TFR_NOTE* Note) {
  g_hook = SetWindowsHookExW(WH_GETMESSAGE, AfterPaint, nullptr, GetCurrentThreadId());
  std::vector<double> ms;
  for (int i = 0; i < g_runs; ++i) {
    g_paintedAt = 0;
    g_paintSeen = false;
    const double start = Ticks();
    Note->pmRichTextEditor->PopupEx(300, 200, true);
    if (g_paintedAt > 0) ms.push_back(g_paintedAt - start);
    bench::PumpIdle();
  }
  UnhookWindowsHookEx(g_hook);
  if (ms.empty()) return {-1, -1};
  return bench::Spread(ms);
}

std::vector<String> Captions(TTBCustomItem* Root) {
  std::vector<String> captions;
  for (int i = 0; i < Root->Count(); ++i)
    if (Root->Items(i)->Visible() && !Root->Items(i)->Caption().empty()) captions.push_back(Root->Items(i)->Caption());
  return captions;
}

// Ctrl held while the key comes, as the thread's key state tells it.
void HoldCtrl(bool Down) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_CONTROL] = Down ? 0x80 : 0;
  SetKeyboardState(keys);
}

// What every shortcut key of the menu starts with: the menu's state made for the selection.
TSpread TimeMenuState(TFR_NOTE* Note) {
  return bench::Time(g_runs, [Note] { Note->pmRichTextEditorPopup(Note->pmRichTextEditor); });
}

TSpread TimeCtrlB(TFR_NOTE* Note) {
  HoldCtrl(true);
  HWND editor = Note->reEdit->Handle();
  const TSpread spread = bench::Time(g_runs, [editor] { SendMessageW(editor, WM_KEYDOWN, 'B', 0x00300001); });
  HoldCtrl(false);
  return spread;
}

TSpread TimeBareBold(const String& Text) {
  LoadLibraryExW(L"msftedit.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  HWND edit = CreateWindowExW(0, L"RICHEDIT50W", L"", WS_POPUP | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL, 500, 100,
                              260, 220, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(edit, EM_EXLIMITTEXT, 0, 4 * g_noteChars);
  SetWindowTextW(edit, Text.c_str());
  SendMessageW(edit, EM_SETSEL, 0, -1);
  bool bold = false;
  const TSpread spread = bench::Time(g_runs, [&] {
    bold = !bold;
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_BOLD;
    format.dwEffects = bold ? CFE_BOLD : 0;
    SendMessageW(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  });
  DestroyWindow(edit);
  return spread;
}

String TempFolder() {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  String folder = String(base) + L"qn-editor-bench-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc > 1) g_noteChars = static_cast<size_t>(_wtoi(argv[1]));
  if (argc > 2) g_runs = _wtoi(argv[2]);
  const String folder = TempFolder();
  bench::TFolder programFolder;
  programFolder.Exe = folder + L"Quillnote.exe";
  seams::Scoped<seams::TProgramFolder> useFolder(programFolder);
  bench::TSilentBoxes boxes;
  seams::Scoped<seams::TMessageBoxes> useBoxes(boxes);
  {
    TFileStream settings(folder + L"settings.ini", fmCreate);
    const std::string text = "CheckForUpdates=0\r\n";
    settings.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
  }
  InitializeClassLibrary();
  InitializeThemeLayer();
  Application->Initialize();
  Application->SetShowMainForm(false);
  Application->CreateForm(FR_QNT_MAIN);
  SetCursorPos(0, 0);

  const String text = LongText();
  auto* note = new TFR_NOTE(Application);
  note->InitNewNote();
  note->Show();
  note->reEdit->SetText(text);
  note->reEdit->SelectAll();
  bench::PumpIdle();
  const int selected = note->reEdit->SelLength();

  const TSpread opening = TimeOpening(note);
  const TSpread system = bench::TimeSystemMenu(Captions(note->pmRichTextEditor->Items()), g_runs);
  const TSpread state = TimeMenuState(note);
  const TSpread ctrlB = TimeCtrlB(note);
  const TSpread bare = TimeBareBold(text);

  std::printf("Editor menu on a note of %d characters, all selected, %d runs each (ms)\n", selected, g_runs);
  std::printf("%-48s %10s %10s\n", "case", "median", "95th");
  Print("opening the editor menu until painted", opening);
  Print("reference: TrackPopupMenu with its captions", system);
  Print("the menu's state, made for every shortcut key", state);
  Print("Ctrl+B in the note's editor", ctrlB);
  Print("reference: EM_SETCHARFORMAT bold, bare rich edit", bare);

  // The note is dropped unsaved, and the program ends as it would.
  note->Free();
  bench::PumpIdle();
  Application->DestroyComponents();
  FinalizeThemeLayer();
  FinalizeClassLibrary();
  DeleteFileW((folder + L"settings.ini").c_str());
  RemoveDirectoryW((folder + L"Notes").c_str());
  RemoveDirectoryW(folder.c_str());
  return 0;
}
