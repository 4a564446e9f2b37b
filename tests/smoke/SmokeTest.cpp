// Starts the built program as a user would, sees its tray icon come up and ends it cleanly.
#include "common/TestSupport.h"

#include <gtest/gtest.h>

namespace {

String g_exe;

struct FoundWindow {
  DWORD Process;
  HWND Window = nullptr;
};

BOOL CALLBACK FindMainForm(HWND wnd, LPARAM data) {
  auto* f = reinterpret_cast<FoundWindow*>(data);
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  wchar_t cls[64] = {};
  GetClassNameW(wnd, cls, 64);
  if (pid == f->Process && String(cls) == L"TFR_QNT_MAIN") {
    f->Window = wnd;
    return FALSE;
  }
  return TRUE;
}

HWND MainFormOf(DWORD pid) {
  FoundWindow f{pid};
  EnumWindows(FindMainForm, reinterpret_cast<LPARAM>(&f));
  return f.Window;
}

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

int wmain(int argc, wchar_t** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc < 2) {
    fprintf(stderr, "usage: test_smoke <Quillnote.exe>\n");
    return 2;
  }
  g_exe = argv[1];
  return RUN_ALL_TESTS();
}
