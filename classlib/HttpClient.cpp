// The real HTTP client of the seam: one GET over a socket of its own, on the calling thread. The
// whole request has one deadline, whatever the server sends (a head or body that trickles, an
// endless chunked body, nothing at all), and an abort event ends it at once from any thread.
// (The system's own HTTP client waits per read only, and cannot be cut short from outside.)
#include <winsock2.h>
#include <ws2tcpip.h>

#include "classlib/Seams.h"

#include "classlib/TextConv.h"

#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace seams {

namespace {

// The longest status line, header line or chunk-size line taken, and the whole head.
constexpr size_t kMaxLine = 8 * 1024;
constexpr size_t kMaxHead = 32 * 1024;

struct TUrlParts {
  String Host;
  INTERNET_PORT Port = 0;
  String Object;  // path and query, as they stand (a doubled slash stays doubled)
};

bool CrackUrl(const String& url, TUrlParts& parts) {
  URL_COMPONENTSW c{};
  c.dwStructSize = sizeof c;
  // Non-zero lengths without buffers: the parts come back as pointers into the address.
  c.dwHostNameLength = c.dwUrlPathLength = c.dwExtraInfoLength = 1;
  if (!InternetCrackUrlW(url.c_str(), 0, 0, &c)) return false;
  if (c.nScheme != INTERNET_SCHEME_HTTP || !c.lpszHostName || c.dwHostNameLength == 0) return false;
  parts.Host.assign(c.lpszHostName, c.dwHostNameLength);
  parts.Port = c.nPort;
  if (c.lpszUrlPath) parts.Object.assign(c.lpszUrlPath, c.dwUrlPathLength);
  if (c.lpszExtraInfo) parts.Object.append(c.lpszExtraInfo, c.dwExtraInfoLength);
  if (parts.Object.empty()) parts.Object = L"/";
  return true;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

class TWinsockUse {
 public:
  TWinsockUse() {
    WSADATA data;
    ok_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }
  ~TWinsockUse() {
    if (ok_) WSACleanup();
  }
  TWinsockUse(const TWinsockUse&) = delete;
  TWinsockUse& operator=(const TWinsockUse&) = delete;
  bool Ok() const { return ok_; }

 private:
  bool ok_ = false;
};

class TDeadline {
 public:
  explicit TDeadline(DWORD ms) : end_(GetTickCount64() + ms) {}
  DWORD Left() const {
    const ULONGLONG now = GetTickCount64();
    return now >= end_ ? 0 : static_cast<DWORD>(end_ - now);
  }

 private:
  ULONGLONG end_;
};

// A socket whose every wait ends at the deadline, or at once when the abort event is set.
class TConnection {
 public:
  TConnection(const TDeadline& deadline, HANDLE abort) : deadline_(deadline), abort_(abort) {}
  ~TConnection() { Drop(); }
  TConnection(const TConnection&) = delete;
  TConnection& operator=(const TConnection&) = delete;

  // Connects to the first of the host's addresses that takes the connection.
  bool Open(const String& host, INTERNET_PORT port) {
    ADDRINFOW hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    ADDRINFOW* found = nullptr;
    // Name resolution is the system's, bounded by its own waits.
    if (GetAddrInfoW(host.c_str(), std::to_wstring(port).c_str(), &hints, &found) != 0) return false;
    bool connected = false;
    for (ADDRINFOW* a = found; a && !connected && !Stopped(); a = a->ai_next) connected = Connect(*a);
    FreeAddrInfoW(found);
    return connected;
  }

  bool SendAll(const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
      const int n = send(socket_, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
      if (n > 0) {
        sent += static_cast<size_t>(n);
        continue;
      }
      if (WSAGetLastError() != WSAEWOULDBLOCK || !Wait()) return false;
    }
    return true;
  }

  // Some bytes (at most size); 0 once the server has closed; -1 on a failure, at the deadline or
  // on abort.
  int Receive(char* buffer, int size) {
    for (;;) {
      const int n = recv(socket_, buffer, size, 0);
      if (n >= 0) return n;
      if (WSAGetLastError() != WSAEWOULDBLOCK || !Wait()) return -1;
    }
  }

 private:
  bool Connect(const ADDRINFOW& address) {
    Drop();
    if ((event_ = WSACreateEvent()) == WSA_INVALID_EVENT) return false;
    socket_ = socket(address.ai_family, address.ai_socktype, address.ai_protocol);
    if (socket_ == INVALID_SOCKET) return false;
    // Non-blocking from here on: every wait goes through Wait.
    if (WSAEventSelect(socket_, event_, FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE) != 0) return false;
    if (connect(socket_, address.ai_addr, static_cast<int>(address.ai_addrlen)) == 0) return true;
    if (WSAGetLastError() != WSAEWOULDBLOCK) return false;
    for (;;) {
      WSANETWORKEVENTS events{};
      if (!Wait(&events)) return false;
      if (events.lNetworkEvents & FD_CONNECT) return events.iErrorCode[FD_CONNECT_BIT] == 0;
    }
  }

  // Waits for the socket's next event; false at the deadline or on abort.
  bool Wait(WSANETWORKEVENTS* events = nullptr) {
    const WSAEVENT handles[2] = {event_, abort_};
    const DWORD count = abort_ ? 2 : 1;
    if (WSAWaitForMultipleEvents(count, handles, FALSE, deadline_.Left(), FALSE) != WSA_WAIT_EVENT_0) return false;
    WSANETWORKEVENTS seen{};
    if (WSAEnumNetworkEvents(socket_, event_, &seen) != 0) return false;
    if (events) *events = seen;
    return true;
  }

  bool Stopped() const { return deadline_.Left() == 0 || (abort_ && WaitForSingleObject(abort_, 0) == WAIT_OBJECT_0); }

  void Drop() {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
    socket_ = INVALID_SOCKET;
    if (event_ != WSA_INVALID_EVENT) WSACloseEvent(event_);
    event_ = WSA_INVALID_EVENT;
  }

  const TDeadline& deadline_;
  HANDLE abort_;
  SOCKET socket_ = INVALID_SOCKET;
  WSAEVENT event_ = WSA_INVALID_EVENT;
};

// The reply as lines and blocks of bytes.
class TReader {
 public:
  explicit TReader(TConnection& connection) : connection_(connection) {}

  // A line without its CR LF (a bare LF ends one too); false when it is longer than the bound or
  // the bytes stop first.
  bool Line(std::string& line, size_t bound = kMaxLine) {
    line.clear();
    for (;;) {
      const size_t end = buffer_.find('\n', at_);
      if (end != std::string::npos) {
        line.append(buffer_, at_, end - at_);
        at_ = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return true;
      }
      line.append(buffer_, at_, std::string::npos);
      at_ = buffer_.size();
      if (line.size() > bound || !Fill()) return false;
    }
  }

  // Appends exactly count bytes; false when the bytes stop first.
  bool Bytes(size_t count, std::string& out) {
    while (count > 0) {
      if (at_ == buffer_.size() && !Fill()) return false;
      const size_t take = std::min(count, buffer_.size() - at_);
      out.append(buffer_, at_, take);
      at_ += take;
      count -= take;
    }
    return true;
  }

  // Appends what comes until the server closes, but no more than bound bytes in all; false on a
  // failure.
  bool Rest(size_t bound, std::string& out) {
    for (;;) {
      const size_t take = std::min(bound - std::min(bound, out.size()), buffer_.size() - at_);
      out.append(buffer_, at_, take);
      at_ += take;
      if (out.size() >= bound) return true;
      const int n = Read();
      if (n <= 0) return n == 0;
    }
  }

 private:
  // Replaces what was taken with the next bytes; false when none come.
  bool Fill() { return Read() > 0; }
  int Read() {
    char chunk[4096];
    const int n = connection_.Receive(chunk, sizeof chunk);
    if (n > 0) {
      buffer_.erase(0, at_);
      at_ = 0;
      buffer_.append(chunk, static_cast<size_t>(n));
    }
    return n;
  }

  TConnection& connection_;
  std::string buffer_;
  size_t at_ = 0;
};

struct THead {
  int Status = 0;
  std::string ContentType;
  bool Chunked = false;
  bool HasLength = false;
  unsigned long long Length = 0;
};

bool ReadHead(TReader& reader, THead& head) {
  std::string line;
  if (!reader.Line(line) || line.compare(0, 5, "HTTP/") != 0) return false;
  const size_t space = line.find(' ');
  if (space == std::string::npos) return false;
  head.Status = std::atoi(line.c_str() + space + 1);
  size_t total = line.size();
  for (;;) {
    if (!reader.Line(line) || (total += line.size() + 2) > kMaxHead) return false;
    if (line.empty()) return true;
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    const std::string name = Lower(Trimmed(line.substr(0, colon)));
    const std::string value = Trimmed(line.substr(colon + 1));
    if (name == "content-type") head.ContentType = value;
    if (name == "transfer-encoding") head.Chunked = Lower(value).find("chunked") != std::string::npos;
    if (name == "content-length") {
      char* end = nullptr;
      head.Length = std::strtoull(value.c_str(), &end, 10);
      head.HasLength = end != value.c_str();
    }
  }
}

enum class TBody { Whole, TooLong, Failed };

TBody ReadChunked(TReader& reader, size_t bound, std::string& body) {
  std::string line;
  for (;;) {
    if (!reader.Line(line)) return TBody::Failed;
    char* end = nullptr;
    const unsigned long long size = std::strtoull(line.c_str(), &end, 16);
    if (end == line.c_str()) return TBody::Failed;
    if (size == 0) break;
    if (size > bound - body.size()) return TBody::TooLong;
    if (!reader.Bytes(static_cast<size_t>(size), body) || !reader.Line(line) || !line.empty()) return TBody::Failed;
  }
  // Trailer lines, up to the blank one.
  size_t total = 0;
  do {
    if (!reader.Line(line) || (total += line.size() + 2) > kMaxHead) return TBody::Failed;
  } while (!line.empty());
  return TBody::Whole;
}

TBody ReadBody(TReader& reader, const THead& head, size_t bound, std::string& body) {
  if (head.Chunked) return ReadChunked(reader, bound, body);
  if (head.HasLength) {
    if (head.Length > bound) return TBody::TooLong;
    return reader.Bytes(static_cast<size_t>(head.Length), body) ? TBody::Whole : TBody::Failed;
  }
  // No length: the body ends with the connection. One byte past the bound tells a longer one.
  if (!reader.Rest(bound + 1, body)) return TBody::Failed;
  return body.size() > bound ? TBody::TooLong : TBody::Whole;
}

// The charset a content type names, lower-cased and unquoted; empty when it names none.
std::string CharsetOf(const std::string& contentType) {
  const std::string type = Lower(contentType);
  const size_t at = type.find("charset=");
  if (at == std::string::npos) return {};
  std::string charset = type.substr(at + 8);
  if (!charset.empty() && charset[0] == '"') charset.erase(0, 1);
  charset.resize(std::min(charset.size(), charset.find_first_of("; \"")));
  return charset;
}

// The system's code page for a charset's name; 0 when it is none that the program knows.
UINT CodePageOf(const std::string& charset) {
  static const struct {
    const char* Name;
    UINT CodePage;
  } kNames[] = {
      {"utf-8", CP_UTF8},      {"utf8", CP_UTF8},          {"iso-8859-1", 1252}, {"latin1", 1252},
      {"us-ascii", 1252},      {"ascii", 1252},            {"koi8-r", 20866},    {"koi8-u", 21866},
      {"shift_jis", 932},      {"sjis", 932},              {"euc-jp", 20932},    {"gb2312", 936},
      {"gbk", 936},            {"gb18030", 54936},         {"big5", 950},        {"euc-kr", 949},
      {"ibm866", 866},         {"iso-8859-15", 28605},     {"iso-8859-13", 28603},
  };
  for (const auto& n : kNames)
    if (charset == n.Name) return n.CodePage;
  int number = 0;
  if (std::sscanf(charset.c_str(), "windows-%d", &number) == 1 && number >= 1250 && number <= 1258)
    return static_cast<UINT>(number);
  if (std::sscanf(charset.c_str(), "iso-8859-%d", &number) == 1 && number >= 2 && number <= 9)
    return static_cast<UINT>(28590 + number);
  return 0;
}

// UTF-16 in the byte order named, unless a byte-order mark says otherwise (the mark is not text).
String Utf16ToWide(const std::string& bytes, bool bigEndian) {
  size_t at = 0;
  if (bytes.size() >= 2) {
    const auto first = static_cast<unsigned char>(bytes[0]), second = static_cast<unsigned char>(bytes[1]);
    if (first == 0xFF && second == 0xFE) bigEndian = false, at = 2;
    else if (first == 0xFE && second == 0xFF) bigEndian = true, at = 2;
  }
  String text;
  for (; at + 1 < bytes.size(); at += 2) {
    const auto a = static_cast<unsigned char>(bytes[at]), b = static_cast<unsigned char>(bytes[at + 1]);
    text.push_back(static_cast<wchar_t>(bigEndian ? (a << 8 | b) : (b << 8 | a)));
  }
  return text;
}

String DecodeBody(const std::string& bytes, const std::string& contentType) {
  const std::string charset = CharsetOf(contentType);
  if (charset == "utf-16" || charset == "utf-16le" || charset == "ucs-2") return Utf16ToWide(bytes, false);
  if (charset == "utf-16be") return Utf16ToWide(bytes, true);
  const UINT codePage = CodePageOf(charset);
  if (codePage == 0 || codePage == CP_UTF8) return Utf8ToWide(bytes);
  return AnsiToWide(bytes, codePage);
}

std::string RequestText(const TUrlParts& parts, const std::vector<String>& headers) {
  std::string host = WideToUtf8(parts.Host);
  if (parts.Port != INTERNET_DEFAULT_HTTP_PORT) {
    host += ':';
    host += std::to_string(parts.Port);
  }
  std::string text = "GET " + WideToUtf8(parts.Object) + " HTTP/1.1\r\nHost: " + host + "\r\n";
  for (const String& h : headers) text += WideToUtf8(h) + "\r\n";
  return text + "Connection: close\r\n\r\n";
}

}  // namespace

THttpReply THttp::Get(const String& url, const std::vector<String>& headers, const THttpLimits& limits) {
  const TDeadline deadline(limits.Timeout);
  THttpReply reply;
  TUrlParts parts;
  if (!CrackUrl(url, parts)) return reply;
  TWinsockUse winsock;
  if (!winsock.Ok()) return reply;
  TConnection connection(deadline, limits.Abort);
  if (!connection.Open(parts.Host, parts.Port) || !connection.SendAll(RequestText(parts, headers))) return reply;
  TReader reader(connection);
  THead head;
  if (!ReadHead(reader, head)) return reply;
  reply.Status = head.Status;
  if (reply.Status != 200) return reply;
  std::string bytes;
  const TBody body = ReadBody(reader, head, limits.MaxBody, bytes);
  reply.TooLong = body == TBody::TooLong;
  if (body != TBody::Whole) return reply;
  reply.Body = DecodeBody(bytes, head.ContentType);
  reply.Ok = true;
  return reply;
}

}  // namespace seams
