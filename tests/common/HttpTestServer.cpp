#include <winsock2.h>
#include <ws2tcpip.h>

#include "common/HttpTestServer.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace testing_support {

namespace {

constexpr int kPollMs = 20;

class TWinsock {
 public:
  TWinsock() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) throw std::runtime_error("no Winsock");
  }
  ~TWinsock() { WSACleanup(); }
  TWinsock(const TWinsock&) = delete;
  TWinsock& operator=(const TWinsock&) = delete;
};

class TSocket {
 public:
  explicit TSocket(SOCKET s = INVALID_SOCKET) : s_(s) {}
  ~TSocket() {
    if (s_ != INVALID_SOCKET) closesocket(s_);
  }
  TSocket(TSocket&& other) noexcept : s_(other.s_) { other.s_ = INVALID_SOCKET; }
  TSocket(const TSocket&) = delete;
  TSocket& operator=(const TSocket&) = delete;
  TSocket& operator=(TSocket&&) = delete;
  SOCKET Get() const { return s_; }

 private:
  SOCKET s_;
};

// A socket bound to 127.0.0.1 at a port the system picks.
TSocket BoundSocket(int& port) {
  TSocket s(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (s.Get() == INVALID_SOCKET) throw std::runtime_error("no socket");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  if (bind(s.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
    throw std::runtime_error("cannot bind");
  int size = sizeof address;
  getsockname(s.Get(), reinterpret_cast<sockaddr*>(&address), &size);
  port = ntohs(address.sin_port);
  return s;
}

// Whether the socket has something to read (or was closed) within the poll interval.
bool Readable(SOCKET s) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval wait{0, kPollMs * 1000};
  return select(0, &set, nullptr, nullptr, &wait) > 0;
}

bool SendAll(SOCKET s, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    const int chunk = static_cast<int>(std::min<size_t>(bytes.size() - sent, 64 * 1024));
    const int n = send(s, bytes.data() + sent, chunk, 0);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

std::string ReplyText(const THttpAnswer& a) {
  std::string text = "HTTP/1.1 " + std::to_string(a.Status) + " " + a.Reason + "\r\n";
  text += "Content-Length: " + std::to_string(a.Body.size()) + "\r\nConnection: close\r\n";
  for (const std::string& h : a.Headers) text += h + "\r\n";
  return text + "\r\n" + a.Body;
}

}  // namespace

THttpAnswer TextAnswer(const std::string& Body, int Status, const std::string& Reason) {
  THttpAnswer a;
  a.Status = Status;
  a.Reason = Reason;
  a.Body = Body;
  return a;
}

THttpAnswer SilentAnswer() {
  THttpAnswer a;
  a.Silent = true;
  return a;
}

THttpAnswer EndlessAnswer(THttpAnswer::TEndless Kind) {
  THttpAnswer a;
  a.Endless = Kind;
  return a;
}

std::vector<TNamedAnswer> AnswersThatNeverEnd() {
  using E = THttpAnswer::TEndless;
  return {{"a head that trickles", EndlessAnswer(E::TrickleHead)},
          {"a body that trickles", EndlessAnswer(E::TrickleBody)},
          {"an endless chunked body", EndlessAnswer(E::Chunks)},
          {"no answer", SilentAnswer()}};
}

struct THttpTestServer::TState {
  TWinsock winsock;
  int port = 0;
  TSocket listener;
  std::atomic<bool> stopping{false};
  mutable std::mutex lock;
  mutable std::condition_variable changed;
  std::vector<THttpAnswer> script{TextAnswer("")};
  size_t holdUntil = 0;
  std::vector<std::string> requests;
  size_t answered = 0;
  std::vector<std::thread> connections;
  std::thread acceptor;

  TState() : listener(BoundSocket(port)) {
    if (listen(listener.Get(), SOMAXCONN) != 0) throw std::runtime_error("cannot listen");
    acceptor = std::thread([this] { Accept(); });
  }

  void Accept() {
    while (!stopping) {
      if (!Readable(listener.Get())) continue;
      SOCKET s = accept(listener.Get(), nullptr, nullptr);
      if (s == INVALID_SOCKET) continue;
      std::lock_guard<std::mutex> hold(lock);
      connections.emplace_back([this, s] { Serve(TSocket(s)); });
    }
  }

  // Waits while the condition is false, at most the time given; false when the server ends.
  bool WaitWhile(const std::function<bool()>& busy, std::unique_lock<std::mutex>& held,
                 std::chrono::milliseconds limit = std::chrono::hours(1)) {
    changed.wait_for(held, limit, [&] { return stopping || !busy(); });
    return !stopping;
  }

  // The request's text up to its blank line; empty when the client or the server ended first.
  std::string ReadRequest(SOCKET s) {
    std::string text;
    while (!stopping && text.find("\r\n\r\n") == std::string::npos) {
      if (!Readable(s)) continue;
      char chunk[1024];
      const int n = recv(s, chunk, sizeof chunk, 0);
      if (n <= 0) return {};
      text.append(chunk, static_cast<size_t>(n));
    }
    return stopping ? std::string() : text.substr(0, text.find("\r\n\r\n") + 4);
  }

  // Holds the connection until the client closes it or the server ends.
  void StaySilent(SOCKET s) {
    while (!stopping) {
      if (!Readable(s)) continue;
      char chunk[256];
      if (recv(s, chunk, sizeof chunk, 0) <= 0) return;
    }
  }

  // Waits this long unless the server ends first; false when it ends.
  bool Pause(DWORD ms) {
    std::unique_lock<std::mutex> held(lock);
    return WaitWhile([] { return true; }, held, std::chrono::milliseconds(ms));
  }

  // Sends the start at once (or trickled), then the unit again and again, until the time is up,
  // the client has closed or the server ends.
  void SendEndless(SOCKET s, const THttpAnswer& a) {
    using E = THttpAnswer::TEndless;
    const bool trickle = a.Endless != E::Chunks;
    const std::string start = a.Endless == E::TrickleHead ? "HTTP/1.1 200 OK\r\nX-Padding: "
                              : a.Endless == E::TrickleBody ? "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n"
                                                            : "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    const std::string unit = a.Endless == E::TrickleHead ? "a"
                             : a.Endless == E::TrickleBody ? "1"
                                                           : "10\r\n0123456789abcdef\r\n";
    if (a.Endless == E::TrickleBody && !SendAll(s, start)) return;
    std::string pending = a.Endless == E::TrickleBody ? std::string() : start;
    const DWORD began = GetTickCount();
    while (!stopping && GetTickCount() - began < a.EndlessForMs) {
      if (pending.empty()) pending = unit;
      const size_t n = trickle ? 1 : pending.size();
      if (!SendAll(s, pending.substr(0, n))) return;
      pending.erase(0, n);
      if (trickle && !Pause(a.TrickleMs)) return;
    }
  }

  void Serve(TSocket s) {
    const std::string request = ReadRequest(s.Get());
    if (request.empty()) return;
    THttpAnswer answer;
    {
      std::unique_lock<std::mutex> held(lock);
      const size_t index = requests.size();
      requests.push_back(request);
      answer = script[std::min(index, script.size() - 1)];
      changed.notify_all();
      if (!WaitWhile([&] { return requests.size() < holdUntil; }, held)) return;
      if (answer.DelayMs && !WaitWhile([] { return true; }, held, std::chrono::milliseconds(answer.DelayMs)))
        return;
    }
    if (answer.Silent) return StaySilent(s.Get());
    if (answer.Endless != THttpAnswer::TEndless::No) return SendEndless(s.Get(), answer);
    SendAll(s.Get(), ReplyText(answer));
    shutdown(s.Get(), SD_SEND);
    std::lock_guard<std::mutex> held(lock);
    ++answered;
    changed.notify_all();
  }

  void Stop() {
    {
      std::lock_guard<std::mutex> held(lock);
      stopping = true;
      changed.notify_all();
    }
    acceptor.join();
    // No connection is added once the acceptor has ended.
    for (std::thread& t : connections) t.join();
  }
};

THttpTestServer::THttpTestServer() : state_(std::make_unique<TState>()) {}

THttpTestServer::~THttpTestServer() { state_->Stop(); }

int THttpTestServer::Port() const { return state_->port; }

String THttpTestServer::Site() const { return L"http://127.0.0.1:" + std::to_wstring(state_->port); }

void THttpTestServer::Script(std::vector<THttpAnswer> Answers) {
  if (Answers.empty()) throw std::invalid_argument("a script needs an answer");
  std::lock_guard<std::mutex> held(state_->lock);
  state_->script = std::move(Answers);
}

void THttpTestServer::HoldUntil(size_t Requests) {
  std::lock_guard<std::mutex> held(state_->lock);
  state_->holdUntil = Requests;
  state_->changed.notify_all();
}

std::vector<std::string> THttpTestServer::Requests() const {
  std::lock_guard<std::mutex> held(state_->lock);
  return state_->requests;
}

bool THttpTestServer::WaitForRequests(size_t Count, DWORD TimeoutMs) const {
  std::unique_lock<std::mutex> held(state_->lock);
  return state_->changed.wait_for(held, std::chrono::milliseconds(TimeoutMs),
                                  [&] { return state_->requests.size() >= Count; });
}

size_t THttpTestServer::Answered() const {
  std::lock_guard<std::mutex> held(state_->lock);
  return state_->answered;
}

bool THttpTestServer::WaitForAnswers(size_t Count, DWORD TimeoutMs) const {
  std::unique_lock<std::mutex> held(state_->lock);
  return state_->changed.wait_for(held, std::chrono::milliseconds(TimeoutMs),
                                  [&] { return state_->answered >= Count; });
}

int THttpTestServer::RefusedPort() {
  TWinsock winsock;
  int port = 0;
  // Bound but never listening, and closed at once: nothing answers there.
  BoundSocket(port);
  return port;
}

}  // namespace testing_support
