#pragma once
// What the end-to-end tests share: starting the built program, finding its windows, real
// mouse and key input, reading its files and pixels, and the stand-in for the browser.
#include "classlib/TextConv.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <richedit.h>
#include <shellapi.h>

#include <functional>

#include <string>
#include <vector>

namespace smoke {

inline String g_exe;
// The stand-in for the mail program and the browser (tests/smoke/UrlRecorder.cpp), when given.
inline String g_recorder;
// The program with its product site taken from its command line (tests/smoke/QuillnoteAtSite.cpp),
// when given.
inline String g_atSite;

struct ClassSearch {
  DWORD Process;
  const wchar_t* Class;
  bool VisibleOnly;
  bool All;  // every match, or the first one
  std::vector<HWND> Windows;
};

inline BOOL CALLBACK FindByClass(HWND wnd, LPARAM data) {
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
inline std::vector<HWND> WindowsOf(DWORD pid, const wchar_t* cls, bool visibleOnly, bool all) {
  ClassSearch f{pid, cls, visibleOnly, all, {}};
  EnumWindows(FindByClass, reinterpret_cast<LPARAM>(&f));
  return f.Windows;
}

inline HWND WindowOf(DWORD pid, const wchar_t* cls, bool visibleOnly = false) {
  std::vector<HWND> found = WindowsOf(pid, cls, visibleOnly, false);
  return found.empty() ? nullptr : found[0];
}

inline HWND MainFormOf(DWORD pid) { return WindowOf(pid, L"TFR_QNT_MAIN"); }

inline BOOL CALLBACK FindEditor(HWND wnd, LPARAM data) {
  wchar_t cls[64] = {};
  GetClassNameW(wnd, cls, 64);
  if (wcsstr(cls, L"RICHEDIT") || wcsstr(cls, L"RichEdit")) {
    *reinterpret_cast<HWND*>(data) = wnd;
    return FALSE;
  }
  return TRUE;
}

inline String EditorText(HWND note) {
  HWND editor = nullptr;
  EnumChildWindows(note, FindEditor, reinterpret_cast<LPARAM>(&editor));
  if (!editor) return L"";
  wchar_t text[256] = {};
  SendMessageTimeoutW(editor, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
  return text;
}

inline void MouseButton(DWORD flags) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  SendInput(1, &in, sizeof(INPUT));
}

inline void ClickAt(POINT p) {
  SetCursorPos(p.x, p.y);
  Sleep(100);
  MouseButton(MOUSEEVENTF_LEFTDOWN);
  MouseButton(MOUSEEVENTF_LEFTUP);
}

inline void RightClickAt(POINT p) {
  SetCursorPos(p.x, p.y);
  Sleep(100);
  MouseButton(MOUSEEVENTF_RIGHTDOWN);
  MouseButton(MOUSEEVENTF_RIGHTUP);
}

inline void DoubleClickAt(POINT p) {
  SetCursorPos(p.x, p.y);
  Sleep(100);
  for (int i = 0; i < 2; ++i) {
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);
    Sleep(30);
  }
}

inline void TypeText(const String& text) {
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

inline HWND EditorOf(HWND note) {
  HWND editor = nullptr;
  EnumChildWindows(note, FindEditor, reinterpret_cast<LPARAM>(&editor));
  return editor;
}

// A format record of the editor in another process, sent with the control's own message (the
// record lives in that process's memory while the message runs).
template <class TRecord>
bool RemoteFormat(HANDLE process, HWND editor, UINT message, WPARAM which, TRecord& record) {
  void* remote = VirtualAllocEx(process, nullptr, sizeof record, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (!remote) return false;
  record.cbSize = sizeof record;
  bool ok = WriteProcessMemory(process, remote, &record, sizeof record, nullptr) != FALSE;
  DWORD_PTR result = 0;
  ok = ok && SendMessageTimeoutW(editor, message, which, reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 5000,
                                 &result);
  ok = ok && ReadProcessMemory(process, remote, &record, sizeof record, nullptr);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return ok;
}

// The character format of the editor's selection in another process, set or read.
inline bool RemoteCharFormat(HANDLE process, HWND editor, CHARFORMAT2W& format, bool set) {
  return RemoteFormat(process, editor, set ? EM_SETCHARFORMAT : EM_GETCHARFORMAT, SCF_SELECTION, format);
}

// The paragraph format of the selection's first paragraph in another process.
inline bool RemoteParaFormat(HANDLE process, HWND editor, PARAFORMAT2& format) {
  return RemoteFormat(process, editor, EM_GETPARAFORMAT, 0, format);
}

inline std::string FileBytes(const String& path) {
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

inline void PutFile(const String& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

inline std::vector<HWND> VisibleNotes(DWORD pid) { return WindowsOf(pid, L"TFR_NOTE", true, true); }

// With no tray host, Wine shows the notification area as a small window of its own while at
// least one icon is in it.
inline bool TrayShowsIcons() {
  HWND tray = FindWindowW(nullptr, L"Wine System Tray");
  return tray && IsWindowVisible(tray);
}

using testing_support::WaitFor;

// The program's shown popup menu (a top-level window of the menu framework's class).
inline HWND ShownMenu(DWORD pid) { return WindowOf(pid, L"Quillnote.TBXPopupWindow", true); }

// The first icon of the tray window, near its top left corner.
inline POINT TrayIconPoint() {
  HWND tray = FindWindowW(nullptr, L"Wine System Tray");
  POINT icon{10, 10};
  ClientToScreen(tray, &icon);
  return icon;
}

// Right-clicks the tray icon until the program's menu shows (the icon may not answer at once
// after it came up); the menu's window or nil.
inline HWND OpenTrayMenu(DWORD pid) {
  HWND menu = nullptr;
  for (int attempt = 0; attempt < 5 && !menu; ++attempt) {
    RightClickAt(TrayIconPoint());
    WaitFor([&] { return (menu = ShownMenu(pid)) != nullptr; }, 3000);
  }
  return menu;
}

// Clicks a line of a shown menu: the first or the last one.
inline void ClickMenuLine(HWND menu, bool last) {
  RECT r;
  GetWindowRect(menu, &r);
  ClickAt(POINT{(r.left + r.right) / 2, last ? r.bottom - 10 : r.top + 10});
}

// As a user would: click into the note's text, so that the note becomes the active window.
inline testing::AssertionResult ActivateNote(HWND note) {
  RECT r;
  GetWindowRect(note, &r);
  const POINT inside{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  if (!WaitFor([&] {
        ClickAt(inside);
        return GetForegroundWindow() == note;
      }, 5000))
    return testing::AssertionFailure() << "the note did not become the active window";
  Sleep(200);
  return testing::AssertionSuccess();
}

// Then types into it.
inline testing::AssertionResult TypeIntoNote(HWND note, const String& text) {
  if (testing::AssertionResult active = ActivateNote(note); !active) return active;
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

// Keys held together: down in order, up in the reverse order.
inline void PressChord(std::initializer_list<WORD> keys) {
  std::vector<INPUT> input;
  auto add = [&](WORD key, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = key;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    input.push_back(in);
  };
  for (WORD key : keys) add(key, false);
  for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) add(*it, true);
  SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
  Sleep(50);
}

inline void PressKey(WORD key) { PressChord({key}); }

// The program's shown popup windows, in no particular order.
inline std::vector<HWND> ShownMenus(DWORD pid) { return WindowsOf(pid, L"Quillnote.TBXPopupWindow", true, true); }

inline String WindowText(HWND wnd) {
  wchar_t text[64] = {};
  GetWindowTextW(wnd, text, 64);
  return text;
}

// A shown message box of the process with this caption, or null.
inline HWND MessageBoxOf(DWORD pid, const String& caption) {
  for (HWND box : WindowsOf(pid, L"#32770", true, true))
    if (WindowText(box) == caption) return box;
  return nullptr;
}

inline BOOL CALLBACK KeepLongestStatic(HWND wnd, LPARAM data) {
  wchar_t cls[16] = {};
  GetClassNameW(wnd, cls, 16);
  if (_wcsicmp(cls, L"Static") != 0) return TRUE;
  wchar_t text[1024] = {};
  SendMessageTimeoutW(wnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
  auto* longest = reinterpret_cast<String*>(data);
  if (wcslen(text) > longest->size()) *longest = text;
  return TRUE;
}

// The message a box shows: the longest text of its static controls.
inline String MessageBoxText(HWND box) {
  String text;
  EnumChildWindows(box, KeepLongestStatic, reinterpret_cast<LPARAM>(&text));
  return text;
}

// Clicks the middle of a window's button (or other child), found by its caption.
inline testing::AssertionResult ClickButton(HWND box, const wchar_t* caption) {
  HWND button = FindWindowExW(box, nullptr, nullptr, caption);
  if (!button) return testing::AssertionFailure() << "no button " << testing::PrintToString(String(caption));
  RECT r;
  GetWindowRect(button, &r);
  ClickAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  return testing::AssertionSuccess();
}

// Clicks the note's menu button, the title bar's first button (18 x 18, 39 pixels from the right
// inside the one-pixel frame), and waits for the menu.
inline testing::AssertionResult OpenNoteMenu(DWORD pid, HWND note) {
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
    exe_ = CopyIntoFolder(g_exe);
    ASSERT_FALSE(HasFailure());
  }
  void TearDown() override {
    for (PROCESS_INFORMATION& pi : started_) {
      if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 1);
      CloseHandle(pi.hThread);
      CloseHandle(pi.hProcess);
    }
    testing_support::RemoveFolderTree(folder_);
  }
  // Starts the shipped program. Its settings must turn the update check off first: no test
  // reaches the network.
  PROCESS_INFORMATION Start() {
    EXPECT_NE(std::string::npos, FileBytes(folder_ + L"settings.ini").find("CheckForUpdates=0"))
        << "the program would check for updates on the network: write the offline settings first";
    return StartProgram(exe_, L"");
  }
  // Starts a program in the test's folder, with these arguments after its name.
  PROCESS_INFORMATION StartProgram(const String& exe, const String& arguments) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    String command = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    EXPECT_TRUE(CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               folder_.c_str(), &si, &pi));
    started_.push_back(pi);
    return pi;
  }
  // Copies a program into the test's folder under its own name; the copy's path.
  String CopyIntoFolder(const String& program) {
    const String copy = folder_ + program.substr(program.find_last_of(L"\\/") + 1);
    EXPECT_TRUE(CopyFileW(program.c_str(), copy.c_str(), FALSE)) << "cannot copy " << testing::PrintToString(program);
    return copy;
  }
  // The command line the recorder program (copied into the folder) was started with, split into
  // its arguments; false when it was not started within 20 s.
  bool RecordedArguments(std::vector<String>& args) {
    const String recorded = folder_ + L"UrlRecorder.txt";
    if (!WaitFor([&] { return GetFileAttributesW(recorded.c_str()) != INVALID_FILE_ATTRIBUTES; }, 20000)) return false;
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(Utf8ToWide(FileBytes(recorded)).c_str(), &argc);
    if (!argv) return false;
    args.assign(argv, argv + argc);
    LocalFree(argv);
    return true;
  }
  // Settings as a first run writes them, the update check on or off.
  void WriteSettings(bool checkForUpdates) {
    PutFile(folder_ + L"settings.ini",
            std::string("Color=10092543\r\nOpacity=100\r\nTitle=0\r\nCheckForUpdates=") +
                (checkForUpdates ? "1" : "0") +
                "\r\nDeleteConfirm=0\r\nFontName=Tahoma\r\nFontSize=10\r\nFontColor=0\r\nFontStyle=0\r\n"
                "AlwaysOnTop=0\r\n");
  }
  // Settings as a first run writes them, but with the update check off: the program never
  // reaches the network from a test.
  void WriteOfflineSettings() { WriteSettings(false); }
  // Starts the program with the update check off (after any tray icon of an earlier run has
  // gone), and waits for its tray icon.
  testing::AssertionResult StartOffline(PROCESS_INFORMATION& pi) {
    if (!WaitFor([] { return !TrayShowsIcons(); }, 10000)) return testing::AssertionFailure() << "a tray icon is up";
    WriteOfflineSettings();
    pi = Start();
    if (!WaitFor(TrayShowsIcons, 20000)) return testing::AssertionFailure() << "no tray icon";
    return testing::AssertionSuccess();
  }
  // Waits for the process's shown window of this class; nil when none shows in time.
  static HWND AwaitShown(DWORD pid, const wchar_t* cls, DWORD ms = 10000) {
    HWND found = nullptr;
    WaitFor([&] { return (found = WindowOf(pid, cls, true)) != nullptr; }, ms);
    return found;
  }
  // Ends the program through its main form, as Exit does, and waits for it.
  void EndCleanly(const PROCESS_INFORMATION& pi) {
    if (HWND main = MainFormOf(pi.dwProcessId)) PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(pi.hProcess, 15000));
  }
  // Opens the tray menu and chooses the line this many lines up from its last one.
  testing::AssertionResult ChooseFromTheTrayMenusEnd(DWORD pid, int linesUp) {
    return ChooseFromTheTrayMenu(pid, VK_END, VK_UP, linesUp);
  }
  // Opens the tray menu and chooses the line this many lines down from its first one.
  testing::AssertionResult ChooseFromTheTrayMenusTop(DWORD pid, int linesDown) {
    return ChooseFromTheTrayMenu(pid, VK_HOME, VK_DOWN, linesDown);
  }
  // Opens the tray menu, goes to one of its ends and moves from there with the keys.
  testing::AssertionResult ChooseFromTheTrayMenu(DWORD pid, WORD end, WORD move, int lines) {
    HWND menu = OpenTrayMenu(pid);
    if (!menu) return testing::AssertionFailure() << "no menu after right clicks on the tray icon";
    // The menu opens under the pointer: the pointer goes elsewhere, so that only keys choose.
    RECT r;
    GetWindowRect(menu, &r);
    SetCursorPos(r.right + 200, r.bottom + 100);
    Sleep(200);
    PressKey(end);
    for (int i = 0; i < lines; ++i) PressKey(move);
    PressKey(VK_RETURN);
    return testing::AssertionSuccess();
  }
  String folder_, exe_;
  std::vector<PROCESS_INFORMATION> started_;
};

}  // namespace smoke
