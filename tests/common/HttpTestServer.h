#pragma once
// An HTTP server inside the test process: it listens on 127.0.0.1 at a port the system picks,
// serves each connection on a thread of its own with the next answer of its script, and keeps the
// text of every request it got. Tests point the program's addresses at it, so that nothing they
// do reaches the network.
#include "classlib/Types.h"

#include <memory>
#include <string>
#include <vector>

namespace testing_support {

// One scripted answer.
struct THttpAnswer {
  int Status = 200;
  std::string Reason = "OK";
  // "Name: value" lines sent besides Content-Length and Connection.
  std::vector<std::string> Headers;
  std::string Body;
  // Waits this long before answering.
  DWORD DelayMs = 0;
  // Never answers: the connection stays open until the client or the server ends it.
  bool Silent = false;
  // Answers without end: one byte at a time with a pause between them, from the status line on
  // (a header line that never ends) or from the body on (a body without a length), or an
  // endless chunked body as fast as the client takes it. The server ends it after EndlessForMs,
  // or when the client closes.
  enum class TEndless { No, TrickleHead, TrickleBody, Chunks };
  TEndless Endless = TEndless::No;
  DWORD TrickleMs = 100;
  DWORD EndlessForMs = 10000;
};

// A 200 with the body, or another status with its reason.
THttpAnswer TextAnswer(const std::string& Body, int Status = 200, const std::string& Reason = "OK");
THttpAnswer SilentAnswer();
THttpAnswer EndlessAnswer(THttpAnswer::TEndless Kind);

// Each way an answer may never end: a head or a body that trickles, an endless chunked body, and
// no answer at all.
struct TNamedAnswer {
  const char* Name;
  THttpAnswer Answer;
};
std::vector<TNamedAnswer> AnswersThatNeverEnd();

class THttpTestServer {
 public:
  // Throws std::runtime_error when no listening socket can be made.
  THttpTestServer();
  // Ends every connection, silent ones too, and joins the server's threads.
  ~THttpTestServer();
  THttpTestServer(const THttpTestServer&) = delete;
  THttpTestServer& operator=(const THttpTestServer&) = delete;

  int Port() const;
  // "http://127.0.0.1:<port>", without a trailing slash.
  String Site() const;

  // The n-th request gets the n-th answer; requests past the end get the last one.
  void Script(std::vector<THttpAnswer> Answers);
  // No request is answered before this many have come in, so that they are answered together.
  void HoldUntil(size_t Requests);

  // Each request's text: the request line and the header lines, up to the blank line.
  std::vector<std::string> Requests() const;
  bool WaitForRequests(size_t Count, DWORD TimeoutMs) const;
  // Answers sent whole, or cut off by the client.
  size_t Answered() const;
  bool WaitForAnswers(size_t Count, DWORD TimeoutMs) const;

  // A local port on which nothing listens: a connection there is refused.
  static int RefusedPort();

 private:
  struct TState;
  std::unique_ptr<TState> state_;
};

}  // namespace testing_support
