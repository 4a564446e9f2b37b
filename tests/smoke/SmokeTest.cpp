// Starts the built program as a user would, sees its tray icon come up and ends it cleanly.
#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <richedit.h>

#include <string>
#include <vector>

namespace {

String g_exe;

struct ClassSearch {
  DWORD Process;
  const wchar_t* Class;
  bool VisibleOnly;
  bool All;  // every match, or the first one
  std::vector<HWND> Windows;
};

BOOL CALLBACK FindByClass(HWND wnd, LPARAM data) {
  auto* f = reinterpret_cast<ClassSearch*>(data);
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  wchar_t cls[64] = {};
  GetClassNameW(wnd, cls, 64);
  if (pid == f->Process && String(cls) == f->Class && (!f->VisibleOnly || IsWindowVisible(wnd))) {
    f->Windows.push_back(wnd);
    return f->All;
  }
  return TRUE;
}

// The top-level windows of the process with this window class.
std::vector<HWND> WindowsOf(DWORD pid, const wchar_t* cls, bool visibleOnly, bool all) {
  ClassSearch f{pid, cls, visibleOnly, all, {}};
  EnumWindows(FindByClass, reinterpret_cast<LPARAM>(&f));
  return f.Windows;
}

HWND WindowOf(DWORD pid, const wchar_t* cls, bool visibleOnly = false) {
  std::vector<HWND> found = WindowsOf(pid, cls, visibleOnly, false);
  return found.empty() ? nullptr : found[0];
}

HWND MainFormOf(DWORD pid) { return WindowOf(pid, L"TFR_QNT_MAIN"); }

BOOL CALLBACK FindEditor(HWND wnd, LPARAM data) {
  wchar_t cls[64] = {};
  GetClassNameW(wnd, cls, 64);
  if (wcsstr(cls, L"RICHEDIT") || wcsstr(cls, L"RichEdit")) {
    *reinterpret_cast<HWND*>(data) = wnd;
    return FALSE;
  }
  return TRUE;
}

String EditorText(HWND note) {
  HWND editor = nullptr;
  EnumChildWindows(note, FindEditor, reinterpret_cast<LPARAM>(&editor));
  if (!editor) return L"";
  wchar_t text[256] = {};
  SendMessageTimeoutW(editor, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
  return text;
}

void MouseButton(DWORD flags) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  SendInput(1, &in, sizeof(INPUT));
}

void ClickAt(POINT p) {
  SetCursorPos(p.x, p.y);
  Sleep(100);
  MouseButton(MOUSEEVENTF_LEFTDOWN);
  MouseButton(MOUSEEVENTF_LEFTUP);
}

void RightClickAt(POINT p) {
  SetCursorPos(p.x, p.y);
  Sleep(100);
  MouseButton(MOUSEEVENTF_RIGHTDOWN);
  MouseButton(MOUSEEVENTF_RIGHTUP);
}

void DoubleClickAt(POINT p) {
  SetCursorPos(p.x, p.y);
  Sleep(100);
  for (int i = 0; i < 2; ++i) {
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);
    Sleep(30);
  }
}

void TypeText(const String& text) {
  for (wchar_t c : text) {
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wScan = in[1].ki.wScan = c;
    in[0].ki.dwFlags = KEYEVENTF_UNICODE;
    in[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
    Sleep(20);
  }
}

HWND EditorOf(HWND note) {
  HWND editor = nullptr;
  EnumChildWindows(note, FindEditor, reinterpret_cast<LPARAM>(&editor));
  return editor;
}

// The character format of the editor's selection in another process, set or read through the
// control's own messages (the record lives in that process's memory).
bool RemoteCharFormat(HANDLE process, HWND editor, CHARFORMAT2W& format, bool set) {
  void* remote = VirtualAllocEx(process, nullptr, sizeof format, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (!remote) return false;
  format.cbSize = sizeof format;
  bool ok = WriteProcessMemory(process, remote, &format, sizeof format, nullptr) != FALSE;
  DWORD_PTR result = 0;
  ok = ok && SendMessageTimeoutW(editor, set ? EM_SETCHARFORMAT : EM_GETCHARFORMAT, SCF_SELECTION,
                                 reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 5000, &result);
  ok = ok && ReadProcessMemory(process, remote, &format, sizeof format, nullptr);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return ok;
}

std::string FileBytes(const String& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "";
  std::string bytes(1 << 16, '\0');
  DWORD read = 0;
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

void PutFile(const String& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::vector<HWND> VisibleNotes(DWORD pid) { return WindowsOf(pid, L"TFR_NOTE", true, true); }

// With no tray host, Wine shows the notification area as a small window of its own while at
// least one icon is in it.
bool TrayShowsIcons() {
  HWND tray = FindWindowW(nullptr, L"Wine System Tray");
  return tray && IsWindowVisible(tray);
}

bool WaitFor(const std::function<bool()>& condition, DWORD ms) {
  DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > ms) return false;
    Sleep(50);
  }
  return true;
}

// The program's shown popup menu (a top-level window of the menu framework's class).
HWND ShownMenu(DWORD pid) { return WindowOf(pid, L"Quillnote.TBXPopupWindow", true); }

// The first icon of the tray window, near its top left corner.
POINT TrayIconPoint() {
  HWND tray = FindWindowW(nullptr, L"Wine System Tray");
  POINT icon{10, 10};
  ClientToScreen(tray, &icon);
  return icon;
}

// Right-clicks the tray icon until the program's menu shows (the icon may not answer at once
// after it came up); the menu's window or nil.
HWND OpenTrayMenu(DWORD pid) {
  HWND menu = nullptr;
  for (int attempt = 0; attempt < 5 && !menu; ++attempt) {
    RightClickAt(TrayIconPoint());
    WaitFor([&] { return (menu = ShownMenu(pid)) != nullptr; }, 3000);
  }
  return menu;
}

// Clicks a line of a shown menu: the first or the last one.
void ClickMenuLine(HWND menu, bool last) {
  RECT r;
  GetWindowRect(menu, &r);
  ClickAt(POINT{(r.left + r.right) / 2, last ? r.bottom - 10 : r.top + 10});
}

// As a user would: click into the note's text, then type.
testing::AssertionResult TypeIntoNote(HWND note, const String& text) {
  RECT r;
  GetWindowRect(note, &r);
  const POINT inside{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  if (!WaitFor([&] {
        ClickAt(inside);
        return GetForegroundWindow() == note;
      }, 5000))
    return testing::AssertionFailure() << "the note did not become the active window";
  Sleep(200);
  TypeText(text);
  if (!WaitFor([&] { return EditorText(note) == text; }, 5000))
    return testing::AssertionFailure() << "the note holds " << testing::PrintToString(EditorText(note));
  return testing::AssertionSuccess();
}

class Smoke : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = testing_support::MakeTempFolder(L"smoke");
    exe_ = folder_ + L"Quillnote.exe";
    ASSERT_TRUE(CopyFileW(g_exe.c_str(), exe_.c_str(), FALSE)) << "cannot copy " << testing::PrintToString(g_exe);
  }
  void TearDown() override {
    for (PROCESS_INFORMATION& pi : started_) {
      if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 1);
      CloseHandle(pi.hThread);
      CloseHandle(pi.hProcess);
    }
    testing_support::RemoveFolderTree(folder_);
  }
  PROCESS_INFORMATION Start() {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    String command = L"\"" + exe_ + L"\"";
    EXPECT_TRUE(CreateProcessW(exe_.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               folder_.c_str(), &si, &pi));
    started_.push_back(pi);
    return pi;
  }
  // Settings as a first run writes them, but with the update check off: the program never
  // reaches the network from a test.
  void WriteOfflineSettings() {
    PutFile(folder_ + L"settings.ini",
            "Color=10092543\r\nOpacity=100\r\nTitle=0\r\nCheckForUpdates=0\r\nDeleteConfirm=0\r\n"
            "FontName=Tahoma\r\nFontSize=10\r\nFontColor=0\r\nFontStyle=0\r\nAlwaysOnTop=0\r\n");
  }
  // Ends the program through its main form, as Exit does, and waits for it.
  void EndCleanly(const PROCESS_INFORMATION& pi) {
    if (HWND main = MainFormOf(pi.dwProcessId)) PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 15000));
  }
  String folder_, exe_;
  std::vector<PROCESS_INFORMATION> started_;
};

}  // namespace

TEST_F(Smoke, StartsInTheTrayAndEndsCleanly) {
  ASSERT_TRUE(WaitFor([] { return !TrayShowsIcons(); }, 10000)) << "a tray icon is up before the start";
  PROCESS_INFORMATION pi = Start();
  HWND main = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (main = MainFormOf(pi.dwProcessId)) != nullptr; }, 20000));
  EXPECT_TRUE(WaitFor(TrayShowsIcons, 10000));
  wchar_t caption[64] = {};
  EXPECT_TRUE(WaitFor([&] { return GetWindowTextW(main, caption, 64) > 0; }, 5000));
  EXPECT_STREQ(L"Quillnote1.5.0.0", caption);
  EXPECT_FALSE(IsWindowVisible(main));

  // Closing the main form ends the message loop; the icon goes and the mutex is released.
  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 15000));
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(0u, code);
  EXPECT_TRUE(WaitFor([] { return !TrayShowsIcons(); }, 10000));
  HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, L"quillnote");
  EXPECT_EQ(nullptr, mutex);
  if (mutex) CloseHandle(mutex);
}

TEST_F(Smoke, ANoteTypedByAUserIsBackAfterTheProgramWasKilled) {
  ASSERT_TRUE(WaitFor([] { return !TrayShowsIcons(); }, 10000));
  PROCESS_INFORMATION pi = Start();
  ASSERT_TRUE(WaitFor(TrayShowsIcons, 20000));
  const POINT icon = TrayIconPoint();
  HWND note = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    if (!note) DoubleClickAt(icon);
    return (note = WindowOf(pi.dwProcessId, L"TFR_NOTE", true)) != nullptr;
  }, 15000)) << "no note after double clicks on the tray icon";
  RECT placed;
  GetWindowRect(note, &placed);
  ASSERT_TRUE(TypeIntoNote(note, L"Milk and bread"));
  // Past the two seconds of the autosave, the file holds the text.
  String notes = folder_ + L"Notes\\";
  auto savedText = [&] {
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((notes + L"*.qwn").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    HANDLE file = CreateFileW((notes + fd.cFileName).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char buffer[8192] = {};
    DWORD read = 0;
    ReadFile(file, buffer, sizeof(buffer) - 1, &read, nullptr);
    CloseHandle(file);
    return strstr(buffer, "Milk and bread") != nullptr;
  };
  ASSERT_TRUE(WaitFor(savedText, 8000));

  TerminateProcess(pi.hProcess, 9);  // the program ends abruptly
  WaitForSingleObject(pi.hProcess, 10000);
  ASSERT_TRUE(WaitFor([] { return !TrayShowsIcons(); }, 10000));

  PROCESS_INFORMATION again = Start();
  HWND back = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (back = WindowOf(again.dwProcessId, L"TFR_NOTE", true)) != nullptr; }, 20000));
  RECT where;
  GetWindowRect(back, &where);
  EXPECT_EQ(placed.left, where.left);
  EXPECT_EQ(placed.top, where.top);
  EXPECT_EQ(placed.right, where.right);
  EXPECT_EQ(placed.bottom, where.bottom);
  EXPECT_EQ(L"Milk and bread", EditorText(back));
  EndCleanly(again);
}

TEST_F(Smoke, TwoCopiesStartedTogetherDoNotBothRun) {
  ASSERT_TRUE(WaitFor([] { return !TrayShowsIcons(); }, 10000));
  PROCESS_INFORMATION a = Start();
  PROCESS_INFORMATION b = Start();
  // One of them warns and waits for its box to be closed; the other runs.
  HWND box = nullptr;
  DWORD warned = 0;
  ASSERT_TRUE(WaitFor([&] {
    for (const PROCESS_INFORMATION* p : {&a, &b})
      if ((box = WindowOf(p->dwProcessId, L"#32770", true)) != nullptr) {
        warned = p->dwProcessId;
        return true;
      }
    return false;
  }, 20000));
  wchar_t caption[64] = {};
  GetWindowTextW(box, caption, 64);
  EXPECT_STREQ(L"Warning", caption);
  const PROCESS_INFORMATION& second = warned == a.dwProcessId ? a : b;
  const PROCESS_INFORMATION& first = warned == a.dwProcessId ? b : a;
  EXPECT_EQ(nullptr, MainFormOf(second.dwProcessId));
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(second.hProcess, 10000));
  DWORD code = 1;
  GetExitCodeProcess(second.hProcess, &code);
  EXPECT_EQ(0u, code);
  EXPECT_TRUE(WaitFor([&] { return MainFormOf(first.dwProcessId) != nullptr; }, 20000));
  EndCleanly(first);
}

TEST_F(Smoke, SavedNotesComeBackOnTopBoldAndSafeFromAHostileFile) {
  ASSERT_TRUE(WaitFor([] { return !TrayShowsIcons(); }, 10000));
  const String notes = folder_ + L"Notes\\";
  ASSERT_TRUE(CreateDirectoryW(notes.c_str(), nullptr));
  const std::string bom = "\xEF\xBB\xBF";
  PutFile(notes + L"1000.qwn", bom + "0000640000640000C80000C800006499FFFF01\r\nOn top\r\n{\\rtf1\\ansi Above all}\r\n");
  // Nested deeper than the system's editor survives: the program must not hand it over.
  const std::string hostile = bom + "0001900000640000C80000C800006499FFFF00\r\nDeep\r\n{\\rtf1 " +
                              std::string(40, '{') + "Deep" + std::string(40, '}') + "}\r\n";
  PutFile(notes + L"2000.qwn", hostile);
  PutFile(notes + L"3000.qwn", bom + "0002BC0000640000C80000C800006499FFFF00\r\nPlain\r\n{\\rtf1\\ansi Make this bold}\r\n");

  PROCESS_INFORMATION pi = Start();
  std::vector<HWND> shown;
  ASSERT_TRUE(WaitFor([&] { return (shown = VisibleNotes(pi.dwProcessId)).size() == 2; }, 20000))
      << shown.size() << " notes shown";
  Sleep(500);
  EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(pi.hProcess, 0)) << "the program ended";
  ASSERT_EQ(2u, VisibleNotes(pi.dwProcessId).size());
  HWND onTop = nullptr, plain = nullptr;
  for (HWND note : shown) (EditorText(note) == L"Above all" ? onTop : plain) = note;
  ASSERT_NE(nullptr, onTop);
  ASSERT_NE(nullptr, plain);
  EXPECT_EQ(L"Make this bold", EditorText(plain));
  EXPECT_TRUE(GetWindowLongPtrW(onTop, GWL_EXSTYLE) & WS_EX_TOPMOST);

  // A word made bold through the editor, then the note closed.
  HWND editor = EditorOf(plain);
  SendMessageTimeoutW(editor, EM_SETSEL, 0, 4, SMTO_ABORTIFHUNG, 5000, nullptr);
  CHARFORMAT2W bold{};
  bold.dwMask = CFM_BOLD;
  bold.dwEffects = CFE_BOLD;
  ASSERT_TRUE(RemoteCharFormat(pi.hProcess, editor, bold, true));
  PostMessageW(plain, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return VisibleNotes(pi.dwProcessId).size() == 1; }, 10000));
  EndCleanly(pi);
  EXPECT_EQ(hostile, FileBytes(notes + L"2000.qwn"));

  PROCESS_INFORMATION again = Start();
  ASSERT_TRUE(WaitFor([&] { return (shown = VisibleNotes(again.dwProcessId)).size() == 2; }, 20000));
  HWND back = nullptr;
  for (HWND note : shown)
    if (EditorText(note) == L"Make this bold") back = note;
  ASSERT_NE(nullptr, back);
  for (HWND note : shown) {
    if (note == back) continue;
    EXPECT_TRUE(GetWindowLongPtrW(note, GWL_EXSTYLE) & WS_EX_TOPMOST);
  }
  editor = EditorOf(back);
  for (auto [start, isBold] : {std::pair{0, true}, {5, false}}) {
    SendMessageTimeoutW(editor, EM_SETSEL, start, start + 4, SMTO_ABORTIFHUNG, 5000, nullptr);
    CHARFORMAT2W read{};
    ASSERT_TRUE(RemoteCharFormat(again.hProcess, editor, read, false));
    EXPECT_EQ(isBold, (read.dwEffects & CFE_BOLD) != 0) << start;
  }
  EndCleanly(again);
  EXPECT_EQ(hostile, FileBytes(notes + L"2000.qwn"));
}

TEST_F(Smoke, ANewUserMakesANoteFromTheTrayMenuAndEndsTheProgramThroughIt) {
  ASSERT_TRUE(WaitFor([] { return !TrayShowsIcons(); }, 10000));
  WriteOfflineSettings();
  PROCESS_INFORMATION pi = Start();
  ASSERT_TRUE(WaitFor(TrayShowsIcons, 20000));
  ASSERT_EQ(nullptr, ShownMenu(pi.dwProcessId));
  HWND menu = OpenTrayMenu(pi.dwProcessId);
  ASSERT_NE(nullptr, menu) << "no menu after right clicks on the tray icon";
  ClickMenuLine(menu, false);  // "New Note"
  HWND note = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (note = WindowOf(pi.dwProcessId, L"TFR_NOTE", true)) != nullptr; }, 10000))
      << "no note after choosing the menu's first line";
  EXPECT_TRUE(WaitFor([&] { return ShownMenu(pi.dwProcessId) == nullptr; }, 5000)) << "the menu stays";

  RECT placed;
  GetWindowRect(note, &placed);
  ASSERT_TRUE(TypeIntoNote(note, L"Buy stamps"));

  menu = OpenTrayMenu(pi.dwProcessId);
  ASSERT_NE(nullptr, menu) << "no menu the second time";
  ClickMenuLine(menu, true);  // "Exit"
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 15000)) << "Exit did not end the program";
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(0u, code);
  ASSERT_TRUE(WaitFor([] { return !TrayShowsIcons(); }, 10000));

  PROCESS_INFORMATION again = Start();
  HWND back = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (back = WindowOf(again.dwProcessId, L"TFR_NOTE", true)) != nullptr; }, 20000))
      << "the note is not back at the next start";
  EXPECT_EQ(L"Buy stamps", EditorText(back));
  RECT where;
  GetWindowRect(back, &where);
  EXPECT_EQ(placed.left, where.left);
  EXPECT_EQ(placed.top, where.top);
  EndCleanly(again);
}

int wmain(int argc, wchar_t** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc < 2) {
    fprintf(stderr, "usage: test_smoke <Quillnote.exe>\n");
    return 2;
  }
  g_exe = argv[1];
  return RUN_ALL_TESTS();
}
