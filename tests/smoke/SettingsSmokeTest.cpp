// The Settings dialog through real input: opened from the tray menu, "Load on startup" ticked
// and "30 %" chosen, then OK; the settings file, the logon value and the next note follow.
#include "SmokeSupport.h"

#include "common/KeyBackup.h"

#include <commctrl.h>

using namespace smoke;

namespace {

constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// A control's text as the control itself answers it (a drop-down list answers its chosen line).
String ControlText(HWND wnd) {
  wchar_t text[64] = {};
  SendMessageTimeoutW(wnd, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, nullptr);
  return text;
}

struct ChildSearch {
  const wchar_t* Class;
  const wchar_t* Text;
  HWND Found;
};

// The program's controls are of window classes named after the system's ("Quillnote.BUTTON").
bool OfClass(HWND wnd, const wchar_t* systemClass) {
  wchar_t cls[64] = {};
  GetClassNameW(wnd, cls, 64);
  const size_t length = wcslen(cls), wanted = wcslen(systemClass);
  return length >= wanted && _wcsicmp(cls + length - wanted, systemClass) == 0;
}

BOOL CALLBACK FindChild(HWND wnd, LPARAM data) {
  auto* f = reinterpret_cast<ChildSearch*>(data);
  if (!OfClass(wnd, f->Class)) return TRUE;
  if (f->Text && ControlText(wnd) != f->Text) return TRUE;
  f->Found = wnd;
  return FALSE;
}

// The first child window of this system class (showing this text, when given), at any depth.
HWND ChildOf(HWND parent, const wchar_t* systemClass, const wchar_t* text = nullptr) {
  ChildSearch f{systemClass, text, nullptr};
  EnumChildWindows(parent, FindChild, reinterpret_cast<LPARAM>(&f));
  return f.Found;
}

POINT Middle(HWND wnd) {
  RECT r;
  GetWindowRect(wnd, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The screen rectangle of a tab of another process's tab control (the record lives there).
bool TabRect(HANDLE process, HWND tabs, int index, RECT& r) {
  void* remote = VirtualAllocEx(process, nullptr, sizeof r, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (!remote) return false;
  DWORD_PTR ok = 0;
  bool done = SendMessageTimeoutW(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remote),
                                  SMTO_ABORTIFHUNG, 5000, &ok) &&
              ok && ReadProcessMemory(process, remote, &r, sizeof r, nullptr);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  MapWindowPoints(tabs, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return done;
}

String RunValue() {
  wchar_t text[1024] = {};
  DWORD bytes = sizeof(text) - sizeof(wchar_t);
  RegGetValueW(HKEY_CURRENT_USER, kRunKey, L"Quillnote", RRF_RT_REG_SZ, nullptr, text, &bytes);
  return text;
}

}  // namespace

TEST_F(Smoke, SettingsFromTheTrayStartAtLogonAndGiveNewNotesThirtyPercent) {
  // The test prefix's Run key as it was comes back at the end; the test starts without it.
  testing_support::TKeyBackup runKey(HKEY_CURRENT_USER, kRunKey);
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(StartOffline(pi));
  // New Note, Show All Notes, Hide All Notes, then Settings.
  ASSERT_TRUE(ChooseFromTheTrayMenusTop(pi.dwProcessId, 3));
  HWND dialog = AwaitShown(pi.dwProcessId, L"TFR_SETTINGS");
  ASSERT_NE(nullptr, dialog) << "no Settings dialog";
  EXPECT_EQ(L"Settings", WindowText(dialog));
  Sleep(300);

  HWND autoStart = ChildOf(dialog, L"Button", L"Load on startup");
  ASSERT_NE(nullptr, autoStart);
  ClickAt(Middle(autoStart));
  ASSERT_TRUE(WaitFor([&] { return SendMessageW(autoStart, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 5000))
      << "the box is not ticked";

  // The "Default Note" page, then its opacity list: opened with a click, "30 %" chosen with the keys.
  HWND tabs = ChildOf(dialog, WC_TABCONTROLW);
  ASSERT_NE(nullptr, tabs);
  RECT second{};
  ASSERT_TRUE(TabRect(pi.hProcess, tabs, 1, second));
  ClickAt({(second.left + second.right) / 2, (second.top + second.bottom) / 2});
  HWND opacity = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    opacity = ChildOf(dialog, L"ComboBox", L"100 %");
    return opacity && IsWindowVisible(opacity);
  }, 5000)) << "no opacity list on the shown page";
  ClickAt(Middle(opacity));
  Sleep(300);
  for (WORD key : {VK_HOME, VK_DOWN, VK_DOWN, VK_RETURN}) PressKey(key);
  ASSERT_TRUE(WaitFor([&] { return ControlText(opacity) == L"30 %"; }, 5000))
      << testing::PrintToString(ControlText(opacity));

  HWND ok = FindWindowExW(dialog, nullptr, nullptr, L"OK");
  ASSERT_NE(nullptr, ok);
  ASSERT_TRUE(IsWindowEnabled(ok));
  ClickAt(Middle(ok));
  ASSERT_TRUE(WaitFor([&] { return WindowOf(pi.dwProcessId, L"TFR_SETTINGS") == nullptr; }, 10000))
      << "the dialog stays";

  EXPECT_EQ(
      "Color=10092543\r\nOpacity=30\r\nTitle=0\r\nCheckForUpdates=0\r\nDeleteConfirm=0\r\n"
      "FontName=Tahoma\r\nFontSize=10\r\nFontColor=0\r\nFontStyle=0\r\nAlwaysOnTop=0\r\n",
      FileBytes(folder_ + L"settings.ini"));
  // The program's own path, under this test's folder, in quotes.
  const String command = RunValue();
  ASSERT_GE(command.size(), 2u) << testing::PrintToString(command);
  EXPECT_EQ(L'"', command.front());
  EXPECT_EQ(L'"', command.back());
  EXPECT_EQ(0, _wcsicmp(exe_.c_str(), command.substr(1, command.size() - 2).c_str()))
      << testing::PrintToString(command);

  // A new note from the tray takes the new default.
  ASSERT_TRUE(ChooseFromTheTrayMenusTop(pi.dwProcessId, 0));
  HWND note = AwaitShown(pi.dwProcessId, L"TFR_NOTE");
  ASSERT_NE(nullptr, note) << "no note from the tray menu";
  EXPECT_TRUE(GetWindowLongPtrW(note, GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_EQ(30 * 255 / 100, testing_support::LayeredAlpha(note));
  EndCleanly(pi);
}

namespace {

// The text of the window that has the focus in the program's thread.
String FocusedText(DWORD thread) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(thread, &info) || !info.hwndFocus) return L"(no focus)";
  return OfClass(info.hwndFocus, WC_TABCONTROLW) ? String(L"(the tabs)") : ControlText(info.hwndFocus);
}

}  // namespace

TEST_F(Smoke, ANewUserTabsThroughSettingsLeavesItWithEscAndClosesAboutWithEnter) {
  testing_support::TKeyBackup runKey(HKEY_CURRENT_USER, kRunKey);
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(StartOffline(pi));
  const std::string settings = FileBytes(folder_ + L"settings.ini");
  // The window once shown, with the pointer over it: the keys go to the window under the pointer.
  auto shownForKeys = [&](const wchar_t* cls) {
    HWND wnd = AwaitShown(pi.dwProcessId, cls);
    if (wnd) SetCursorPos(Middle(wnd).x, Middle(wnd).y);
    return wnd;
  };
  auto focusComesTo = [&](const String& text) -> testing::AssertionResult {
    if (WaitFor([&] { return FocusedText(pi.dwThreadId) == text; }, 5000)) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "expected the focus on " << testing::PrintToString(text) << ", it is on "
                                       << testing::PrintToString(FocusedText(pi.dwThreadId));
  };
  ASSERT_TRUE(ChooseFromTheTrayMenusTop(pi.dwProcessId, 3));
  ASSERT_NE(nullptr, shownForKeys(L"TFR_SETTINGS")) << "no Settings dialog";
  ASSERT_TRUE(focusComesTo(L"(the tabs)"));
  for (const wchar_t* next : {L"Load on startup", L"Check updates automatically", L"Ask before deleting", L"Close",
                              L"(the tabs)"}) {
    PressKey(VK_TAB);
    EXPECT_TRUE(focusComesTo(next));
  }
  PressKey(VK_ESCAPE);
  ASSERT_TRUE(WaitFor([&] { return WindowOf(pi.dwProcessId, L"TFR_SETTINGS") == nullptr; }, 10000))
      << "Esc left the dialog open";
  EXPECT_EQ(settings, FileBytes(folder_ + L"settings.ini"));
  EXPECT_EQ(L"", RunValue());

  // From the end of the tray menu: Exit, the two Visit lines, then About.
  ASSERT_TRUE(ChooseFromTheTrayMenusEnd(pi.dwProcessId, 3));
  ASSERT_NE(nullptr, shownForKeys(L"TFR_ABOUT")) << "no About box";
  EXPECT_TRUE(focusComesTo(L"OK"));
  PressKey(VK_RETURN);
  EXPECT_TRUE(WaitFor([&] { return WindowOf(pi.dwProcessId, L"TFR_ABOUT") == nullptr; }, 10000))
      << "Enter left the box open";
  EndCleanly(pi);
}
