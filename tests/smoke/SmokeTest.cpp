// Starts the built program as a user would, sees its tray icon come up and ends it cleanly.
#include "classlib/TextConv.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <richedit.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace {

String g_exe;
// The stand-in for the mail program (tests/smoke/UrlRecorder.cpp), when given.
String g_recorder;

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

// The screen's pixels within a rectangle, read at once.
class TScreenPixels {
 public:
  explicit TScreenPixels(const RECT& area) : area_(area) {
    const int w = area.right - area.left, h = area.bottom - area.top;
    pixels_.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    const auto* row = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < pixels_.size(); ++i) pixels_[i] = row[i] & 0xFFFFFF;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
  }
  // The pixel at a screen point as RGB(r, g, b); black outside the rectangle.
  COLORREF At(POINT p) const {
    if (p.x < area_.left || p.y < area_.top || p.x >= area_.right || p.y >= area_.bottom) return 0;
    const uint32_t v = pixels_[static_cast<size_t>(p.y - area_.top) * (area_.right - area_.left) + (p.x - area_.left)];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }
  // The first point (row by row) of the colour, or {-1, -1}.
  POINT Find(COLORREF color) const {
    for (LONG y = area_.top; y < area_.bottom; ++y)
      for (LONG x = area_.left; x < area_.right; ++x)
        if (At({x, y}) == color) return {x, y};
    return {-1, -1};
  }

 private:
  RECT area_;
  std::vector<uint32_t> pixels_;
};

void PressKey(WORD key) {
  INPUT in[2]{};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = key;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
  Sleep(50);
}

// The program's shown popup windows, in no particular order.
std::vector<HWND> ShownMenus(DWORD pid) { return WindowsOf(pid, L"Quillnote.TBXPopupWindow", true, true); }

String WindowText(HWND wnd) {
  wchar_t text[64] = {};
  GetWindowTextW(wnd, text, 64);
  return text;
}

// Clicks the note's menu button, the title bar's first button (18 x 18, 39 pixels from the right
// inside the one-pixel frame), and waits for the menu.
testing::AssertionResult OpenNoteMenu(DWORD pid, HWND note) {
  RECT client;
  GetClientRect(note, &client);
  POINT button{client.right - 1 - 39 + 9, 1 + 3 + 9};
  ClientToScreen(note, &button);
  ClickAt(button);
  if (!WaitFor([&] { return ShownMenu(pid) != nullptr; }, 5000)) return testing::AssertionFailure() << "no note menu";
  return testing::AssertionSuccess();
}

// The pixels of a text as the program's labels draw it in the form's font (Tahoma 8 pt), in the
// window-text colour on white.
class TTextPixels {
 public:
  explicit TTextPixels(const String& text) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HFONT font = CreateFontW(-MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                             FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH, L"Tahoma");
    HGDIOBJ oldFont = SelectObject(memory, font);
    SIZE size{};
    GetTextExtentPoint32W(memory, text.c_str(), static_cast<int>(text.size()), &size);
    width_ = size.cx;
    height_ = size.cy;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    RECT all{0, 0, width_, height_};
    FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(memory, TRANSPARENT);
    SetTextColor(memory, GetSysColor(COLOR_WINDOWTEXT));
    TextOutW(memory, 0, 0, text.c_str(), static_cast<int>(text.size()));
    GdiFlush();
    const auto* p = static_cast<const uint32_t*>(bits);
    for (int i = 0; i < width_ * height_; ++i) {
      const uint32_t v = p[i];
      pixels_.push_back(RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF));
    }
    SelectObject(memory, oldBitmap);
    SelectObject(memory, oldFont);
    DeleteObject(bitmap);
    DeleteObject(font);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
  }
  int Width() const { return width_; }
  int Height() const { return height_; }
  COLORREF At(int x, int y) const { return pixels_[static_cast<size_t>(y * width_ + x)]; }

 private:
  int width_ = 0, height_ = 0;
  std::vector<COLORREF> pixels_;
};

// Points HKLM\Software\Classes\<scheme>\shell\open\command at a program for the life of the
// object, and puts back what was there (Wine reads these, not the user's own classes).
class TSchemeHandler {
 public:
  TSchemeHandler(const String& scheme, const String& command)
      : key_(L"Software\\Classes\\" + scheme + L"\\shell\\open\\command") {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key_.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
      wchar_t value[1024] = {};
      DWORD bytes = sizeof(value) - sizeof(wchar_t);
      DWORD type = 0;
      if (RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes) == ERROR_SUCCESS) {
        had_ = true;
        type_ = type;
        previous_ = value;
      }
      RegCloseKey(key);
    }
    Set(command, REG_SZ);
  }
  ~TSchemeHandler() {
    if (had_) {
      Set(previous_, type_);
    } else {
      RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, key_.c_str(), nullptr);
    }
  }
  bool Ok() const { return ok_; }

 private:
  void Set(const String& command, DWORD type) {
    HKEY key = nullptr;
    ok_ = RegCreateKeyExW(HKEY_LOCAL_MACHINE, key_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
          ERROR_SUCCESS;
    if (!ok_) return;
    ok_ = RegSetValueExW(key, nullptr, 0, type, reinterpret_cast<const BYTE*>(command.c_str()),
                         static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    RegCloseKey(key);
  }
  String key_;
  String previous_;
  DWORD type_ = REG_SZ;
  bool had_ = false;
  bool ok_ = false;
};

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
  // Opens the tray menu and chooses the line this many lines up from its last one.
  testing::AssertionResult ChooseFromTheTrayMenusEnd(DWORD pid, int linesUp) {
    HWND menu = OpenTrayMenu(pid);
    if (!menu) return testing::AssertionFailure() << "no menu after right clicks on the tray icon";
    // The menu opens under the pointer: the pointer goes elsewhere, so that only keys choose.
    RECT r;
    GetWindowRect(menu, &r);
    SetCursorPos(r.right + 200, r.bottom + 100);
    Sleep(200);
    PressKey(VK_END);
    for (int i = 0; i < linesUp; ++i) PressKey(VK_UP);
    PressKey(VK_RETURN);
    return testing::AssertionSuccess();
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

TEST_F(Smoke, TheNoteColorSubmenuShowsTheNotesColourAndRoseRecoloursTheNoteAsTheMenuCloses) {
  ASSERT_TRUE(WaitFor([] { return !TrayShowsIcons(); }, 10000));
  WriteOfflineSettings();
  const String notes = folder_ + L"Notes\\";
  ASSERT_TRUE(CreateDirectoryW(notes.c_str(), nullptr));
  // A note in "Light Yellow" at (400, 200), 200 x 200.
  PutFile(notes + L"1000.qwn", "\xEF\xBB\xBF" "0001900000C80000C80000C800006499FFFF00\r\nShopping\r\n"
                               "{\\rtf1\\ansi Milk and bread}\r\n");
  PROCESS_INFORMATION pi = Start();
  HWND note = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (note = WindowOf(pi.dwProcessId, L"TFR_NOTE", true)) != nullptr; }, 20000));
  Sleep(300);

  ASSERT_TRUE(OpenNoteMenu(pi.dwProcessId, note));
  // New Note, Always On Top, then Color; Right opens it. Were the change handler run as it
  // opens, the note would hide and the menu end with it.
  for (WORD key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT}) PressKey(key);
  std::vector<HWND> menus;
  ASSERT_TRUE(WaitFor([&] { return (menus = ShownMenus(pi.dwProcessId)).size() == 2; }, 5000))
      << "no Color submenu";
  Sleep(300);
  ASSERT_EQ(ShownMenus(pi.dwProcessId).size(), 2u) << "the submenu did not stay";
  RECT a, b;
  GetWindowRect(menus[0], &a);
  GetWindowRect(menus[1], &b);
  const RECT submenu = a.left > b.left ? a : b;  // it opens to the right of the menu

  // The note colours, 8 x 3, each an 18 x 18 cell with a framed 12 x 12 swatch; the swatch of the
  // note's colour is found on the screen and the others lie at their places from it.
  struct TCell {
    const wchar_t* name;
    COLORREF rgb;
  };
  const TCell cells[3][8] = {
      {{L"Red", RGB(0xFF, 0, 0)}, {L"Light Orange", RGB(0xFF, 0x99, 0)}, {L"Lime", RGB(0x99, 0xCC, 0)},
       {L"Sea Green", RGB(0x33, 0x99, 0x66)}, {L"Aqua", RGB(0x33, 0xCC, 0xCC)},
       {L"Light Blue", RGB(0x33, 0x66, 0xFF)}, {L"Violet", RGB(0x80, 0, 0x80)}, {L"Dark Gray", RGB(0x96, 0x96, 0x96)}},
      {{L"Pink", RGB(0xFF, 0, 0xFF)}, {L"Gold", RGB(0xFF, 0xCC, 0)}, {L"Yellow", RGB(0xFF, 0xFF, 0)},
       {L"Bright Green", RGB(0, 0xFF, 0)}, {L"Turquoise", RGB(0, 0xFF, 0xFF)}, {L"Sky Blue", RGB(0, 0xCC, 0xFF)},
       {L"Plum", RGB(0x99, 0x33, 0x66)}, {L"Light Gray", RGB(0xC0, 0xC0, 0xC0)}},
      {{L"Rose", RGB(0xFF, 0x99, 0xCC)}, {L"Tan", RGB(0xFF, 0xCC, 0x99)}, {L"Light Yellow", RGB(0xFF, 0xFF, 0x99)},
       {L"Light Green", RGB(0xCC, 0xFF, 0xCC)}, {L"Light Turquoise", RGB(0xCC, 0xFF, 0xFF)},
       {L"Pale Blue", RGB(0x99, 0xCC, 0xFF)}, {L"Lavender", RGB(0xCC, 0x99, 0xFF)}, {L"White", RGB(0xFF, 0xFF, 0xFF)}},
  };
  const TScreenPixels shown(submenu);
  const POINT lightYellow = shown.Find(cells[2][2].rgb);  // the top left of its swatch
  ASSERT_GE(lightYellow.x, 0) << "no Light Yellow swatch";
  auto swatch = [&](int col, int row) { return POINT{lightYellow.x + (col - 2) * 18, lightYellow.y + (row - 2) * 18}; };
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 8; ++col) {
      const POINT p = swatch(col, row);
      EXPECT_EQ(shown.At(p), cells[row][col].rgb) << col << "," << row;
      EXPECT_EQ(shown.At({p.x + 9, p.y + 9}), cells[row][col].rgb) << col << "," << row;
      EXPECT_NE(shown.At({p.x - 1, p.y}), cells[row][col].rgb) << col << "," << row << ": framed";
    }
  // The note's colour is the selected cell: its button differs from the others around the swatch.
  const POINT selectedEdge{lightYellow.x - 4, lightYellow.y - 4};
  for (int col : {1, 3}) EXPECT_NE(shown.At(selectedEdge), shown.At({swatch(col, 2).x - 4, selectedEdge.y})) << col;
  // Opening ran no change: the note keeps its colours.
  RECT noteRect;
  GetWindowRect(note, &noteRect);
  const POINT editorPoint{noteRect.left + 100, noteRect.top + 150};
  const POINT barPoint{noteRect.left + 3, noteRect.top + 10};
  {
    const TScreenPixels noteNow(noteRect);
    EXPECT_EQ(noteNow.At(editorPoint), RGB(0xFF, 0xFF, 0x99));
    EXPECT_EQ(noteNow.At(barPoint), RGB(0xFA, 0xFA, 0x94));
  }

  // Each cell's hint is its name.
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 8; ++col) {
      const POINT p = swatch(col, row);
      SetCursorPos(p.x + 5, p.y + 5);
      HWND hint = nullptr;
      EXPECT_TRUE(WaitFor([&] {
        hint = WindowOf(pi.dwProcessId, L"QuillnoteHint", true);
        return hint && WindowText(hint) == cells[row][col].name;
      }, 3000)) << col << "," << row << ": " << testing::PrintToString(hint ? WindowText(hint) : String());
    }

  // "Rose": the note takes it and the menu closes.
  const POINT rose = swatch(0, 2);
  ClickAt({rose.x + 5, rose.y + 5});
  EXPECT_TRUE(WaitFor([&] { return ShownMenus(pi.dwProcessId).empty(); }, 5000)) << "the menu stays";
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(note) != FALSE; }, 5000));
  Sleep(300);
  const TScreenPixels recoloured(noteRect);
  EXPECT_EQ(recoloured.At(editorPoint), RGB(0xFF, 0x99, 0xCC));
  EXPECT_EQ(recoloured.At(barPoint), RGB(0xFA, 0x94, 0xC7));
  EndCleanly(pi);
}

TEST_F(Smoke, AboutFromTheTrayMenuShowsTheVersion) {
  ASSERT_TRUE(WaitFor([] { return !TrayShowsIcons(); }, 10000));
  WriteOfflineSettings();
  PROCESS_INFORMATION pi = Start();
  ASSERT_TRUE(WaitFor(TrayShowsIcons, 20000));
  // From the end: Exit, the two Visit lines, then About.
  ASSERT_TRUE(ChooseFromTheTrayMenusEnd(pi.dwProcessId, 3));
  HWND about = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (about = WindowOf(pi.dwProcessId, L"TFR_ABOUT", true)) != nullptr; }, 10000))
      << "no About box";
  EXPECT_EQ(L"About", WindowText(about));
  Sleep(500);
  RECT area;
  GetWindowRect(about, &area);
  const TScreenPixels shown(area);
  // The version's text is drawn in the box; another version's is not.
  auto shows = [&](const String& text) {
    const TTextPixels pattern(text);
    for (LONG y = area.top; y + pattern.Height() <= area.bottom; ++y)
      for (LONG x = area.left; x + pattern.Width() <= area.right; ++x) {
        bool same = true;
        for (int py = 0; same && py < pattern.Height(); ++py)
          for (int px = 0; same && px < pattern.Width(); ++px)
            same = shown.At({x + px, y + py}) == pattern.At(px, py);
        if (same) return true;
      }
    return false;
  };
  EXPECT_TRUE(shows(L"Version 1.5.0.0"));
  EXPECT_FALSE(shows(L"Version 1.4.0.0"));
  // OK closes it, and the program goes on.
  HWND ok = FindWindowExW(about, nullptr, nullptr, L"OK");
  ASSERT_NE(nullptr, ok);
  RECT button;
  GetWindowRect(ok, &button);
  ClickAt({(button.left + button.right) / 2, (button.top + button.bottom) / 2});
  EXPECT_TRUE(WaitFor([&] { return WindowOf(pi.dwProcessId, L"TFR_ABOUT") == nullptr; }, 10000)) << "the box stays";
  EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(pi.hProcess, 0));
  EndCleanly(pi);
}

TEST_F(Smoke, SendMailFromTheNoteMenuReachesTheMailProgramWithTheEncodedAddress) {
  ASSERT_FALSE(g_recorder.empty()) << "the test needs the recorder program";
  ASSERT_TRUE(WaitFor([] { return !TrayShowsIcons(); }, 10000));
  WriteOfflineSettings();
  const String recorder = folder_ + L"UrlRecorder.exe";
  const String recorded = folder_ + L"UrlRecorder.txt";
  ASSERT_TRUE(CopyFileW(g_recorder.c_str(), recorder.c_str(), FALSE));
  TSchemeHandler mailto(L"mailto", L"\"" + recorder + L"\" %1");
  ASSERT_TRUE(mailto.Ok());
  const String notes = folder_ + L"Notes\\";
  ASSERT_TRUE(CreateDirectoryW(notes.c_str(), nullptr));
  PutFile(notes + L"1000.qwn", "\xEF\xBB\xBF" "0001900000C80000C80000C800006499FFFF00\r\nShopping\r\n"
                               "{\\rtf1\\ansi milk\\par eggs}\r\n");
  PROCESS_INFORMATION pi = Start();
  HWND note = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (note = WindowOf(pi.dwProcessId, L"TFR_NOTE", true)) != nullptr; }, 20000));
  ASSERT_EQ(L"milk\r\neggs", EditorText(note));
  Sleep(300);
  // From the menu's last line (Close): Tweet This!, then Send Mail.
  ASSERT_TRUE(OpenNoteMenu(pi.dwProcessId, note));
  for (WORD key : {VK_END, VK_UP, VK_UP, VK_RETURN}) PressKey(key);
  ASSERT_TRUE(WaitFor([&] { return GetFileAttributesW(recorded.c_str()) != INVALID_FILE_ATTRIBUTES; }, 20000))
      << "the mail program was not started";
  const std::string line = FileBytes(recorded);
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(Utf8ToWide(line).c_str(), &argc);
  ASSERT_NE(nullptr, argv);
  std::vector<String> args(argv, argv + argc);
  LocalFree(argv);
  ASSERT_EQ(2u, args.size()) << line;
  EXPECT_EQ(L"mailto:?subject=Shopping&body=milk%0D%0Aeggs", args[1]) << line;
  EndCleanly(pi);
}

int wmain(int argc, wchar_t** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc < 2) {
    fprintf(stderr, "usage: test_smoke <Quillnote.exe>\n");
    return 2;
  }
  g_exe = argv[1];
  if (argc >= 3) g_recorder = argv[2];
  return RUN_ALL_TESTS();
}
