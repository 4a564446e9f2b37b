// DockDemo.exe as a user runs it: a tool window dragged off its dock with real input floats,
// the program saves where it is when it closes, and the next start puts it back there.
#include "DockTestSupport.h"

#include "classlib/FileUtils.h"
#include "classlib/Seams.h"

#include <fstream>
#include <sstream>

namespace {

struct TSearch {
  DWORD Process;
  const wchar_t* Class;
  const wchar_t* Text;
  HWND Found = nullptr;
};

bool Matches(HWND Wnd, const TSearch& S) {
  DWORD pid = 0;
  GetWindowThreadProcessId(Wnd, &pid);
  wchar_t cls[64] = {}, text[64] = {};
  GetClassNameW(Wnd, cls, 64);
  GetWindowTextW(Wnd, text, 64);
  return pid == S.Process && (!S.Class || String(cls) == S.Class) && (!S.Text || String(text) == S.Text);
}

BOOL CALLBACK FindWindowOf(HWND Wnd, LPARAM Data) {
  auto* s = reinterpret_cast<TSearch*>(Data);
  if (!Matches(Wnd, *s)) return TRUE;
  s->Found = Wnd;
  return FALSE;
}

HWND TopWindow(DWORD Process, const wchar_t* Class, const wchar_t* Text) {
  TSearch s{Process, Class, Text};
  EnumWindows(FindWindowOf, reinterpret_cast<LPARAM>(&s));
  return s.Found && IsWindowVisible(s.Found) ? s.Found : nullptr;
}

HWND ChildWindow(HWND Parent, DWORD Process, const wchar_t* Text) {
  TSearch s{Process, nullptr, Text};
  EnumChildWindows(Parent, FindWindowOf, reinterpret_cast<LPARAM>(&s));
  return s.Found;
}

// The demo program, started with an INI file of the test's own.
class TDemoProcess {
 public:
  explicit TDemoProcess(const String& Ini) {
    const String exe = ExtractFilePath(seams::ProgramFolder().ExeName()) + L"DockDemo.exe";
    String command = L"\"" + exe + L"\" \"" + Ini + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    started_ = CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_) != FALSE;
  }
  ~TDemoProcess() {
    if (!started_) return;
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 1);
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
  }
  bool Started() const { return started_; }
  DWORD Id() const { return pi_.dwProcessId; }
  HWND Form() const { return TopWindow(Id(), L"QuillnoteForm", L"Dock demo"); }
  HWND Frame(const wchar_t* Caption) const { return TopWindow(Id(), L"QuillnoteFloatingWindow", Caption); }
  // The window of the program that holds the mouse capture.
  HWND Capture() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(pi_.dwThreadId, &info) ? info.hwndCapture : nullptr;
  }
  // Closes the form as a user would and waits for the program to end.
  bool Close() {
    PostMessageW(Form(), WM_CLOSE, 0, 0);
    return WaitForSingleObject(pi_.hProcess, 10000) == WAIT_OBJECT_0;
  }

 private:
  PROCESS_INFORMATION pi_{};
  bool started_ = false;
};

bool CursorAt(POINT P) {
  POINT c;
  GetCursorPos(&c);
  return c.x == P.x && c.y == P.y;
}

}  // namespace

TEST(DemoProgram, AToolWindowDraggedOffItsDockFloatsThereAgainAfterARestart) {
  const String folder = testing_support::MakeTempFolder(L"dockdemo");
  const String ini = folder + L"\\DockDemo.ini";
  RECT floated{};
  {
    TDemoProcess demo(ini);
    ASSERT_TRUE(demo.Started());
    ASSERT_TRUE(testing_support::WaitFor([&] { return demo.Form() != nullptr; }, 15000));
    // In front, as a user sees it (floating windows hide while their program is inactive).
    SetForegroundWindow(demo.Form());
    ASSERT_TRUE(testing_support::WaitFor([&] { return GetForegroundWindow() == demo.Form(); }, 5000));
    HWND tools = nullptr;
    ASSERT_TRUE(testing_support::WaitFor([&] { return (tools = ChildWindow(demo.Form(), demo.Id(), L"Tools")); }, 5000));
    const RECT r = dock_tests::WindowRect(tools);
    const POINT from{r.left + 4, (r.top + r.bottom) / 2};
    dock_tests::AwaitSinglePress(from);
    SetCursorPos(from.x, from.y);
    ASSERT_TRUE(testing_support::WaitFor([&] { return CursorAt(from); }, 2000));
    // Each step once the program has taken the one before: its drag loop holds the capture
    // from the press to the release.
    dock_tests::MouseButton(true);
    ASSERT_TRUE(testing_support::WaitFor([&] { return demo.Capture() != nullptr; }, 5000));
    for (int i = 1; i <= 6; ++i) {
      // To the right of the form, far from every dock.
      const POINT p{from.x + (1000 - from.x) * i / 6, from.y + (400 - from.y) * i / 6};
      dock_tests::MoveMouse(p);
      ASSERT_TRUE(testing_support::WaitFor([&] { return CursorAt(p); }, 2000));
    }
    ASSERT_TRUE(testing_support::WaitFor([&] { return demo.Frame(L"Tools") != nullptr; }, 5000));
    dock_tests::MouseButton(false);
    ASSERT_TRUE(testing_support::WaitFor([&] { return demo.Capture() == nullptr; }, 5000));
    HWND frame = nullptr;
    ASSERT_TRUE(testing_support::WaitFor([&] { return (frame = demo.Frame(L"Tools")); }, 5000));
    // Where the frame comes to rest once the program has taken the last move.
    ASSERT_TRUE(testing_support::WaitFor(
        [&] {
          const RECT now = dock_tests::WindowRect(frame);
          const bool still = EqualRect(&now, &floated);
          floated = now;
          return still && now.left > from.x + 100;
        },
        5000));
    EXPECT_EQ(tools, ChildWindow(frame, demo.Id(), L"Tools"));
    ASSERT_TRUE(demo.Close());
  }
  std::ifstream in(ini.c_str(), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(std::string::npos, text.str().find("[Tools]\r\nRev=2000\r\nVisible=1\r\nDockedTo=+\r\n")) << text.str();
  {
    TDemoProcess demo(ini);
    ASSERT_TRUE(demo.Started());
    ASSERT_TRUE(testing_support::WaitFor([&] { return demo.Form() != nullptr; }, 15000));
    SetForegroundWindow(demo.Form());
    HWND frame = nullptr;
    ASSERT_TRUE(testing_support::WaitFor([&] { return (frame = demo.Frame(L"Tools")); }, 5000));
    EXPECT_EQ(floated, dock_tests::WindowRect(frame));
    EXPECT_TRUE(demo.Close());
  }
  testing_support::RemoveFolderTree(folder);
}
