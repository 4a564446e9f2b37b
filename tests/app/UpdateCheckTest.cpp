// The update check against the test server, at start and from the tray menu: the request it
// makes, which replies are told and how, the download page on Yes, and that every check is handed
// back and freed, two at once too, and none outlives Exit.
#include "AppFixture.h"

#include "app/QuillnoteMain.h"
#include "app/UpdateChecker.h"
#include "app/WebLinks.h"
#include "common/HttpTestServer.h"

#include <tlhelp32.h>

#include <algorithm>
#include <mutex>
#include <optional>

using namespace app_testing;
using testing_support::SilentAnswer;
using testing_support::TextAnswer;
using testing_support::THttpAnswer;
using testing_support::THttpTestServer;

namespace {

const String kUpToDate = L"You are already using the most recent version of Quillnote.\r\nPlease check in future!";

String Question(const String& latest) {
  return L"Your version is:         1.5.0.0\r\nCurrent version is:    " + latest +
         L"\r\n\r\nA newer version is available.\r\nDo you want to download new version?";
}

class TLocalSite : public TAddresses {
 public:
  String Site;
  String ProductSite() override { return Site; }
};

// The real client, with a short wait so that silent servers end the tests soon; it keeps what
// the checker asked for.
class TShortWaitHttp : public seams::THttp {
 public:
  static constexpr DWORD kTimeout = 1500;
  seams::THttpReply Get(const String& url, const std::vector<String>& headers,
                        const seams::THttpLimits& limits) override {
    {
      std::lock_guard<std::mutex> held(lock_);
      asked_ = limits;
    }
    seams::THttpLimits shorter = limits;
    shorter.Timeout = kTimeout;
    return THttp::Get(url, headers, shorter);
  }
  seams::THttpLimits Asked() {
    std::lock_guard<std::mutex> held(lock_);
    return asked_;
  }

 private:
  std::mutex lock_;
  seams::THttpLimits asked_;
};

int ThreadsOfThisProcess() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int n = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    n += entry.th32OwnerProcessID == GetCurrentProcessId();
  CloseHandle(snapshot);
  return n;
}

enum class TFrom { Start, Menu };

class UpdateCheckTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    site_.Site = server_.Site();
    testing_support::Shell().Requests.clear();
    testing_support::MessageBoxes().Answer = IDNO;
    CreateMainForm();
    main_->Version = app::kVersion;
    main_->Referrer = L"qnt-abc";
  }
  void TearDown() override {
    AppTest::TearDown();
    EXPECT_EQ(0, TUpdateChecker::LiveCount());
  }
  // Starts a check as the entry or the tray menu does.
  void Check(TFrom from) {
    if (from == TFrom::Start) {
      main_->CheckForUpdates = true;
      StartMainForm(*main_);
    } else {
      main_->tbCheckForUpdates->OnClick(main_->tbCheckForUpdates);
    }
  }
  // Waits until every check is back and freed.
  testing::AssertionResult Settled() {
    if (testing_support::PumpUntil(
            [this] { return main_->PendingUpdateChecks() == 0 && TUpdateChecker::LiveCount() == 0; }, 10000))
      return testing::AssertionSuccess();
    return testing::AssertionFailure() << main_->PendingUpdateChecks() << " checks pending, "
                                       << TUpdateChecker::LiveCount() << " alive";
  }
  std::vector<testing_support::TRecordingMessageBoxes::Box>& Boxes() { return testing_support::MessageBoxes().Boxes; }

  THttpTestServer server_;
  TLocalSite site_;
  TShortWaitHttp http_;
  seams::Scoped<TAddresses> useSite_{site_};
  seams::Scoped<seams::THttp> useHttp_{http_};
};

TEST_F(UpdateCheckTest, TheRequestAsksForTheVersionPageWithTheRunningVersion) {
  server_.Script({TextAnswer("1.5.0.0")});
  Check(TFrom::Menu);
  ASSERT_TRUE(Settled());
  const auto requests = server_.Requests();
  ASSERT_EQ(1u, requests.size());
  const std::string& text = requests[0];
  EXPECT_EQ("GET //version.php?version=1.5.0.0 HTTP/1.1", text.substr(0, text.find("\r\n")));
  EXPECT_NE(std::string::npos, text.find("\r\nAccept: text/html, */*\r\n")) << text;
  EXPECT_NE(std::string::npos, text.find("\r\nUser-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n")) << text;
  EXPECT_EQ(TUpdateChecker::RequestTimeout, http_.Asked().Timeout);
  EXPECT_EQ(256u, http_.Asked().MaxBody);
  EXPECT_NE(nullptr, http_.Asked().Abort) << "a check that Exit cannot cut short";
}

TEST_F(UpdateCheckTest, EachReplyIsToldOrIgnoredAtStartAndFromTheMenu) {
  struct TCase {
    const char* name;
    THttpAnswer answer;
    std::optional<String> fromMenu;  // the box's text, or none
    std::optional<String> atStart;
  };
  THttpAnswer moved = TextAnswer("", 302, "Found");
  moved.Headers = {"Location: /version.php?version=1.5.0.0"};
  std::vector<TCase> cases = {
      {"the same version", TextAnswer("1.5.0.0"), kUpToDate, std::nullopt},
      {"a newer version", TextAnswer("1.6.0.0"), Question(L"1.6.0.0"), Question(L"1.6.0.0")},
      {"the same version and a line break", TextAnswer("1.5.0.0\r\n"), Question(L"1.5.0.0\r\n"),
       Question(L"1.5.0.0\r\n")},
      {"an older version", TextAnswer("1.4.0.0"), Question(L"1.4.0.0"), Question(L"1.4.0.0")},
      {"a page", TextAnswer("<html>"), std::nullopt, std::nullopt},
      {"an empty 200", TextAnswer(""), std::nullopt, std::nullopt},
      {"a redirect", moved, std::nullopt, std::nullopt},
      {"not found", TextAnswer("Not Found", 404, "Not Found"), std::nullopt, std::nullopt},
      {"a server error", TextAnswer("1.6.0.0", 500, "Internal Server Error"), std::nullopt, std::nullopt},
      {"a body of 5 MB", TextAnswer(std::string(5 << 20, '1')), std::nullopt, std::nullopt},
      {"a body of 257 bytes", TextAnswer(std::string(257, '1')), std::nullopt, std::nullopt},
      {"no answer", SilentAnswer(), std::nullopt, std::nullopt},
  };
  for (const TCase& c : cases)
    for (TFrom from : {TFrom::Menu, TFrom::Start}) {
      SCOPED_TRACE(testing::Message() << c.name << (from == TFrom::Menu ? ", from the menu" : ", at start"));
      THttpTestServer server;
      // A followed redirect would get this.
      server.Script({c.answer, TextAnswer("1.7.0.0")});
      site_.Site = server.Site();
      Boxes().clear();
      Check(from);
      ASSERT_TRUE(Settled());
      EXPECT_EQ(1u, server.Requests().size());
      const std::optional<String>& expected = from == TFrom::Menu ? c.fromMenu : c.atStart;
      if (!expected) {
        EXPECT_TRUE(Boxes().empty()) << testing::PrintToString(Boxes().empty() ? String() : Boxes()[0].Text);
        continue;
      }
      ASSERT_EQ(1u, Boxes().size());
      EXPECT_EQ(*expected, Boxes()[0].Text);
      EXPECT_EQ(L"Quillnote", Boxes()[0].Caption);
      EXPECT_EQ(static_cast<UINT>(*expected == kUpToDate ? MB_OK : MB_YESNO | MB_ICONQUESTION), Boxes()[0].Flags);
    }
  EXPECT_TRUE(testing_support::Shell().Requests.empty()) << "No opened a page";
}

TEST_F(UpdateCheckTest, ARefusedConnectionTellsNothing) {
  site_.Site = L"http://127.0.0.1:" + std::to_wstring(THttpTestServer::RefusedPort());
  for (TFrom from : {TFrom::Menu, TFrom::Start}) {
    Check(from);
    ASSERT_TRUE(Settled());
  }
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(UpdateCheckTest, YesOpensTheDownloadPageWithTheLinkTag) {
  server_.Script({TextAnswer("1.6.0.0")});
  testing_support::MessageBoxes().Answer = IDYES;
  Check(TFrom::Menu);
  ASSERT_TRUE(Settled());
  ASSERT_EQ(1u, Boxes().size());
  const auto& requests = testing_support::Shell().Requests;
  ASSERT_EQ(1u, requests.size());
  EXPECT_EQ(L"\"" + server_.Site() + L"/download.html?referrer=qnt-abc\"", requests[0].File);
  EXPECT_EQ(L"open", requests[0].Verb);
  EXPECT_EQ(SW_SHOWNORMAL, requests[0].Show);
}

TEST_F(UpdateCheckTest, WithTheCheckOffInTheSettingsTheStartMakesNoRequest) {
  main_->CheckForUpdates = false;
  StartMainForm(*main_);
  EXPECT_EQ(0u, main_->PendingUpdateChecks());
  EXPECT_EQ(0, TUpdateChecker::LiveCount());
  EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(UpdateCheckTest, TwoChecksAnsweredTogetherAreBothToldAndFreed) {
  server_.HoldUntil(2);
  server_.Script({TextAnswer("1.6.0.0"), TextAnswer("1.5.0.0")});
  Check(TFrom::Menu);
  Check(TFrom::Menu);
  ASSERT_TRUE(server_.WaitForAnswers(2, 10000));
  // Both answers are out before the form handles anything: both checkers come back in one go.
  ASSERT_TRUE(Settled());
  std::vector<String> texts;
  for (const auto& box : Boxes()) texts.push_back(box.Text);
  std::sort(texts.begin(), texts.end());
  EXPECT_EQ((std::vector<String>{kUpToDate, Question(L"1.6.0.0")}), texts);
}

TEST_F(UpdateCheckTest, ExitWhileAServerIsSilentEndsWithinTheTimeoutTellsNothingAndLeavesNoThread) {
  const int threadsBefore = ThreadsOfThisProcess();
  {
    THttpTestServer server;
    THttpAnswer late = TextAnswer("1.6.0.0");
    late.DelayMs = 300;
    server.Script({SilentAnswer(), late});
    site_.Site = server.Site();
    Check(TFrom::Menu);
    ASSERT_TRUE(server.WaitForRequests(1, 10000));
    Check(TFrom::Menu);
    ASSERT_TRUE(server.WaitForRequests(2, 10000));
    const DWORD start = GetTickCount();
    main_->mnCLOSEClick(main_->mnCLOSE);
    main_->Free();
    main_ = nullptr;
    const DWORD took = GetTickCount() - start;
    EXPECT_LE(took, TShortWaitHttp::kTimeout + 1000);
    EXPECT_EQ(0, TUpdateChecker::LiveCount());
    // The late answer came while the form was ending: nothing of it is told, now or later.
    testing_support::PumpMessages(200);
    EXPECT_TRUE(Boxes().empty());
  }
  EXPECT_EQ(threadsBefore, ThreadsOfThisProcess());
}

TEST_F(UpdateCheckTest, ExitEndsAtOnceWhateverAPendingCheckIsGettingAndTellsNothing) {
  // The real client with the check's own deadline of the whole request.
  seams::THttp real;
  seams::Scoped<seams::THttp> useReal(real);
  const int threadsBefore = ThreadsOfThisProcess();
  for (const auto& c : testing_support::AnswersThatNeverEnd()) {
    SCOPED_TRACE(c.Name);
    {
      THttpTestServer server;
      server.Script({c.Answer});
      site_.Site = server.Site();
      if (!main_) CreateMainForm();
      Check(TFrom::Menu);
      ASSERT_TRUE(server.WaitForRequests(1, 10000));
      testing_support::PumpMessages(300);  // the answer has begun
      const DWORD start = GetTickCount();
      main_->mnCLOSEClick(main_->mnCLOSE);
      main_->Free();
      main_ = nullptr;
      const DWORD took = GetTickCount() - start;
      // The server goes on for 10 s and the request's deadline is 20 s away (a generous bound).
      EXPECT_LT(took, 5000u);
      EXPECT_EQ(0, TUpdateChecker::LiveCount());
      testing_support::PumpMessages(100);
      EXPECT_TRUE(Boxes().empty());
    }
    EXPECT_EQ(threadsBefore, ThreadsOfThisProcess());
  }
}

TEST_F(UpdateCheckTest, AReplyInAnotherCharacterSetIsReadByIt) {
  THttpAnswer utf16 = TextAnswer(std::string("\xFF\xFE" "1\0.\0" "6\0.\0" "0\0.\0" "0\0", 16));
  utf16.Headers = {"Content-Type: text/plain; charset=utf-16"};
  server_.Script({utf16});
  Check(TFrom::Menu);
  ASSERT_TRUE(Settled());
  ASSERT_EQ(1u, Boxes().size());
  EXPECT_EQ(Question(L"1.6.0.0"), Boxes()[0].Text);
}

TEST_F(UpdateCheckTest, AnAnswerThatComesAsTheProgramEndsIsNotTold) {
  server_.Script({TextAnswer("1.6.0.0")});
  Check(TFrom::Menu);
  // The checker is back in the form's queue, not yet handled, when Exit is chosen.
  ASSERT_TRUE(testing_support::WaitFor([this] {
    MSG msg;
    return PeekMessageW(&msg, main_->Handle(), WM_APP, 0xBFFF, PM_NOREMOVE) != FALSE;
  }, 10000));
  main_->mnCLOSEClick(main_->mnCLOSE);
  ASSERT_TRUE(Settled());
  EXPECT_TRUE(Boxes().empty());
}

}  // namespace
