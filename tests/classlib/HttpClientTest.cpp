// The real HTTP client against the test server: what it sends, which replies count, the bound
// on the body and on the time a request may take.
#include "classlib/Seams.h"
#include "common/AllocationWatch.h"
#include "common/HttpTestServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using testing_support::EndlessAnswer;
using testing_support::SilentAnswer;
using testing_support::TextAnswer;
using testing_support::THttpAnswer;
using testing_support::THttpTestServer;

// The largest block the watched thread asks for (the server's threads build large bodies too):
// a body read whole would show.
namespace {
std::atomic<DWORD> g_watched{0};
std::atomic<size_t> g_largest{0};

void WatchAllocation(size_t size) {
  if (g_watched == GetCurrentThreadId() && size > g_largest) g_largest = size;
}
}  // namespace

namespace {

const std::vector<String> kHeaders = {L"Accept: text/html, */*", L"User-Agent: Quillnote-test/1.0"};

class HttpClient : public testing::Test {
 protected:
  seams::THttpReply Get(const String& path, seams::THttpLimits limits = {}) {
    return seams::THttp().Get(server_.Site() + path, kHeaders, limits);
  }
  THttpTestServer server_;
};

TEST_F(HttpClient, SendsTheAddressAsItStandsWithTheHeadersGiven) {
  server_.Script({TextAnswer("1.6.0.0")});
  Get(L"//version.php?version=1.5.0.0");
  const auto requests = server_.Requests();
  ASSERT_EQ(1u, requests.size());
  const std::string& text = requests[0];
  EXPECT_EQ(0u, text.find("GET //version.php?version=1.5.0.0 HTTP/1.1\r\n")) << text;
  EXPECT_NE(std::string::npos, text.find("\r\nAccept: text/html, */*\r\n")) << text;
  EXPECT_NE(std::string::npos, text.find("\r\nUser-Agent: Quillnote-test/1.0\r\n")) << text;
  EXPECT_NE(std::string::npos, text.find("\r\nHost: 127.0.0.1:" + std::to_string(server_.Port()) + "\r\n")) << text;
  EXPECT_EQ(std::string::npos, text.find("Cookie")) << text;
}

TEST_F(HttpClient, OnlyAStatusOf200IsAReplyAndRedirectsAreNotFollowed) {
  struct {
    THttpAnswer answer;
    bool ok;
    const wchar_t* body;
  } cases[] = {
      {TextAnswer("1.6.0.0"), true, L"1.6.0.0"},
      {TextAnswer(""), true, L""},
      {TextAnswer("Not Found", 404, "Not Found"), false, L""},
      {TextAnswer("Internal Server Error", 500, "Internal Server Error"), false, L""},
      {TextAnswer("", 302, "Found"), false, L""},
      {TextAnswer("", 304, "Not Modified"), false, L""},
  };
  cases[4].answer.Headers = {"Location: /elsewhere"};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer.Status);
    THttpTestServer server;
    // Were the redirect followed, the second request would get this.
    server.Script({c.answer, TextAnswer("9.9.9.9")});
    const seams::THttpReply reply = seams::THttp().Get(server.Site() + L"/v", kHeaders, {});
    EXPECT_EQ(c.ok, reply.Ok);
    EXPECT_EQ(c.answer.Status, reply.Status);
    EXPECT_EQ(c.body, reply.Body);
    EXPECT_EQ(1u, server.Requests().size());
  }
}

TEST_F(HttpClient, TheBodyIsDecodedByTheCharsetItNames) {
  const struct {
    const char* type;  // the Content-Type header, or none
    std::string body;
  } cases[] = {
      {nullptr, "caf\xC3\xA9"},
      {"text/plain; charset=UTF-8", "caf\xC3\xA9"},
      {"text/plain; charset=ISO-8859-1", "caf\xE9"},
      {"text/plain; charset=utf-16", std::string("\xFF\xFE" "c\0a\0f\0\xE9\0", 10)},
      {"text/plain; charset=utf-16", std::string("\xFE\xFF" "\0c\0a\0f\0\xE9", 10)},
      {"text/plain; charset=\"UTF-16LE\"", std::string("c\0a\0f\0\xE9\0", 8)},
      {"text/plain;charset=utf-16be", std::string("\0c\0a\0f\0\xE9", 8)},
      {"text/plain; charset=windows-1250", "caf\xE9"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type ? c.type : "no type");
    THttpAnswer answer = TextAnswer(c.body);
    if (c.type) answer.Headers = {std::string("Content-Type: ") + c.type};
    server_.Script({answer});
    EXPECT_EQ(L"caf\u00E9", Get(L"/v").Body);
  }
  THttpAnswer cyrillic = TextAnswer("\xCF\xF0\xE8");
  cyrillic.Headers = {"Content-Type: text/plain; charset=windows-1251"};
  server_.Script({cyrillic});
  EXPECT_EQ(L"\u041F\u0440\u0438", Get(L"/v").Body);
}

TEST_F(HttpClient, ABodyPastTheBoundFailsWithoutBeingReadWhole) {
  seams::THttpLimits limits;
  limits.MaxBody = 256;
  server_.Script({TextAnswer(std::string(256, '7')), TextAnswer(std::string(257, '7')),
                  TextAnswer(std::string(5 << 20, '7'))});
  const seams::THttpReply exact = Get(L"/exact", limits);
  EXPECT_TRUE(exact.Ok);
  EXPECT_EQ(256u, exact.Body.size());
  const seams::THttpReply over = Get(L"/over", limits);
  EXPECT_FALSE(over.Ok);
  EXPECT_TRUE(over.TooLong);
  EXPECT_EQ(L"", over.Body);

  g_largest = 0;
  g_watched = GetCurrentThreadId();
  testing_support::AllocationWatch = WatchAllocation;
  const seams::THttpReply huge = Get(L"/huge", limits);
  testing_support::AllocationWatch = nullptr;
  g_watched = 0;
  EXPECT_FALSE(huge.Ok);
  EXPECT_TRUE(huge.TooLong);
  EXPECT_LT(g_largest.load(), 64u * 1024) << "a block as large as the body was asked for";
}

TEST_F(HttpClient, ARefusedConnectionIsNoReply) {
  const seams::THttpReply reply =
      seams::THttp().Get(L"http://127.0.0.1:" + std::to_wstring(THttpTestServer::RefusedPort()) + L"/v", kHeaders, {});
  EXPECT_FALSE(reply.Ok);
  EXPECT_EQ(0, reply.Status);
}

TEST_F(HttpClient, AServerThatNeverAnswersEndsTheRequestWithinTheTimeout) {
  seams::THttpLimits limits;
  limits.Timeout = 1500;
  THttpAnswer late = TextAnswer("1.6.0.0");
  late.DelayMs = 500;
  server_.Script({SilentAnswer(), late});
  const DWORD start = GetTickCount();
  const seams::THttpReply silent = Get(L"/silent", limits);
  const DWORD took = GetTickCount() - start;
  EXPECT_FALSE(silent.Ok);
  EXPECT_LE(took, limits.Timeout + 1000);
  // A reply that comes within the timeout still counts.
  EXPECT_EQ(L"1.6.0.0", Get(L"/late", limits).Body);
}

TEST_F(HttpClient, AServerThatTricklesOrNeverEndsIsCutOffAtTheRequestsDeadline) {
  seams::THttpLimits limits;
  limits.Timeout = 1500;
  limits.MaxBody = 256;
  for (const auto& c : testing_support::AnswersThatNeverEnd()) {
    SCOPED_TRACE(c.Name);
    THttpTestServer server;
    server.Script({c.Answer});
    const DWORD start = GetTickCount();
    const seams::THttpReply reply = seams::THttp().Get(server.Site() + L"/v", kHeaders, limits);
    const DWORD took = GetTickCount() - start;
    EXPECT_FALSE(reply.Ok);
    // The server goes on for 10 s; the request ends at its deadline (the bound here is generous).
    EXPECT_LE(took, limits.Timeout + 3000);
  }
}

TEST_F(HttpClient, AnAbortEndsTheRequestAtOnceFromAnotherThread) {
  using E = THttpAnswer::TEndless;
  for (const THttpAnswer& answer : {SilentAnswer(), EndlessAnswer(E::TrickleHead)}) {
    THttpTestServer server;
    server.Script({answer});
    HANDLE abort = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(nullptr, abort);
    seams::THttpLimits limits;  // the whole deadline of 20 s
    limits.Abort = abort;
    std::thread aborter([&] {
      server.WaitForRequests(1, 10000);
      Sleep(200);
      SetEvent(abort);
    });
    const DWORD start = GetTickCount();
    const seams::THttpReply reply = seams::THttp().Get(server.Site() + L"/v", kHeaders, limits);
    const DWORD took = GetTickCount() - start;
    aborter.join();
    CloseHandle(abort);
    EXPECT_FALSE(reply.Ok);
    EXPECT_LT(took, 5000u);
  }
}

TEST_F(HttpClient, AnAddressThatIsNotHttpIsNoRequest) {
  EXPECT_FALSE(seams::THttp().Get(L"ftp://127.0.0.1/v", kHeaders, {}).Ok);
  EXPECT_FALSE(seams::THttp().Get(L"not an address", kHeaders, {}).Ok);
  EXPECT_TRUE(server_.Requests().empty());
}

}  // namespace
