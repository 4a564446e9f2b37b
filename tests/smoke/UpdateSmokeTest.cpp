// The update check end to end: the program with its site given on the command line, against a
// server in this process; the question at start and its Yes reaching the browser's stand-in, and
// "Check for updates" from the tray telling that the program is up to date. Real input throughout.
#include "SmokeSupport.h"

#include "classlib/Registry.h"
#include "common/HttpTestServer.h"

using namespace smoke;
using testing_support::TextAnswer;
using testing_support::THttpTestServer;

namespace {

// The link tag the program makes of the machine's download source.
String LinkTag() {
  TRegistry registry(KEY_READ | KEY_WOW64_32KEY);
  registry.SetRootKey(HKEY_LOCAL_MACHINE);
  String source;
  if (registry.OpenKeyReadOnly(L"SOFTWARE\\Orvane\\Quillnote")) source = registry.ReadString(L"dwnsrc");
  return source.empty() ? L"qnt" : L"qnt-" + source;
}

const char kRequestLine[] = "GET //version.php?version=1.5.0.0 HTTP/1.1\r\n";

class UpdateSmoke : public Smoke {
 protected:
  void SetUp() override {
    Smoke::SetUp();
    ASSERT_FALSE(g_atSite.empty()) << "the test needs the program that takes its site from its command line";
    ASSERT_TRUE(WaitFor([] { return !TrayShowsIcons(); }, 10000)) << "a tray icon is up before the start";
  }
  PROCESS_INFORMATION StartAtSite() { return StartProgram(CopyIntoFolder(g_atSite), server_.Site()); }
  // Waits for the program's box under the caption "Quillnote" and sees that it shows the text,
  // after one version request; the box, or null.
  HWND ExpectBox(DWORD pid, const String& text) {
    HWND box = nullptr;
    WaitFor([&] { return (box = MessageBoxOf(pid, L"Quillnote")) != nullptr; }, 20000);
    EXPECT_NE(nullptr, box) << "no box";
    if (!box) return nullptr;
    EXPECT_EQ(text, MessageBoxText(box));
    const auto requests = server_.Requests();
    EXPECT_EQ(1u, requests.size());
    if (!requests.empty()) {
      EXPECT_EQ(0u, requests[0].find(kRequestLine)) << requests[0];
    }
    Sleep(300);  // the box settles before it is clicked
    return box;
  }
  // Clicks the box's button as a user would, and sees the box go.
  testing::AssertionResult Answer(DWORD pid, HWND box, const wchar_t* button) {
    if (testing::AssertionResult clicked = ClickButton(box, button); !clicked) return clicked;
    if (!WaitFor([&] { return MessageBoxOf(pid, L"Quillnote") == nullptr; }, 10000))
      return testing::AssertionFailure() << "the box stays";
    return testing::AssertionSuccess();
  }
  THttpTestServer server_;
};

TEST_F(UpdateSmoke, ANewerVersionAtStartIsOfferedAndYesOpensTheDownloadPage) {
  ASSERT_FALSE(g_recorder.empty()) << "the test needs the recorder program";
  TSchemeHandler http(L"http", L"\"" + CopyIntoFolder(g_recorder) + L"\" %1");
  ASSERT_TRUE(http.Ok());
  server_.Script({TextAnswer("1.6.0.0")});
  WriteSettings(true);
  PROCESS_INFORMATION pi = StartAtSite();
  HWND box = ExpectBox(pi.dwProcessId, L"Your version is:         1.5.0.0\r\nCurrent version is:    1.6.0.0\r\n\r\n"
                                       L"A newer version is available.\r\nDo you want to download new version?");
  ASSERT_NE(nullptr, box);
  ASSERT_TRUE(Answer(pi.dwProcessId, box, L"&Yes"));
  std::vector<String> args;
  ASSERT_TRUE(RecordedArguments(args)) << "the browser was not started";
  ASSERT_EQ(2u, args.size());
  EXPECT_EQ(server_.Site() + L"/download.html?referrer=" + LinkTag(), args[1]);
  EndCleanly(pi);
}

TEST_F(UpdateSmoke, CheckForUpdatesFromTheTrayTellsThatTheProgramIsUpToDate) {
  server_.Script({TextAnswer("1.5.0.0")});
  WriteOfflineSettings();
  PROCESS_INFORMATION pi = StartAtSite();
  ASSERT_TRUE(WaitFor(TrayShowsIcons, 20000));
  EXPECT_TRUE(server_.Requests().empty()) << "a check at start with the check off";
  // From the end: Exit, the two Visit lines, About, Help, then Check for updates.
  ASSERT_TRUE(ChooseFromTheTrayMenusEnd(pi.dwProcessId, 5));
  HWND box =
      ExpectBox(pi.dwProcessId, L"You are already using the most recent version of Quillnote.\r\nPlease check in future!");
  ASSERT_NE(nullptr, box);
  ASSERT_TRUE(Answer(pi.dwProcessId, box, L"OK"));
  EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(pi.hProcess, 0));
  EndCleanly(pi);
}

}  // namespace
