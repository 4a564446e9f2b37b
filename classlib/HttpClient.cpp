// The real HTTP client of the seam, over WinINet: one synchronous GET per call, on the calling
// thread, never longer than its timeouts allow and never reading more than its bound.
#include "classlib/Seams.h"

#include "classlib/TextConv.h"

#include <wininet.h>

#include <algorithm>
#include <memory>

namespace seams {

namespace {

struct InternetHandleCloser {
  void operator()(void* h) const {
    if (h) InternetCloseHandle(h);
  }
};
using InternetHandle = std::unique_ptr<void, InternetHandleCloser>;

struct TUrlParts {
  String Host;
  INTERNET_PORT Port = 0;
  String Object;  // path and query, as they stand (a doubled slash stays doubled)
  bool Secure = false;
};

bool CrackUrl(const String& url, TUrlParts& parts) {
  URL_COMPONENTSW c{};
  c.dwStructSize = sizeof c;
  // Non-zero lengths without buffers: the parts come back as pointers into the address.
  c.dwHostNameLength = c.dwUrlPathLength = c.dwExtraInfoLength = 1;
  if (!InternetCrackUrlW(url.c_str(), 0, 0, &c)) return false;
  if (c.nScheme != INTERNET_SCHEME_HTTP && c.nScheme != INTERNET_SCHEME_HTTPS) return false;
  parts.Host.assign(c.lpszHostName, c.dwHostNameLength);
  parts.Port = c.nPort;
  parts.Secure = c.nScheme == INTERNET_SCHEME_HTTPS;
  parts.Object.assign(c.lpszUrlPath, c.dwUrlPathLength);
  if (c.lpszExtraInfo) parts.Object.append(c.lpszExtraInfo, c.dwExtraInfoLength);
  if (parts.Object.empty()) parts.Object = L"/";
  return true;
}

// The client's name from a "User-Agent" line; the other lines as one block of headers.
void SplitHeaders(const std::vector<String>& headers, String& agent, String& others) {
  const String key = L"User-Agent:";
  for (const String& h : headers) {
    if (h.compare(0, key.size(), key) != 0) {
      others += h + L"\r\n";
      continue;
    }
    agent = h.substr(key.size());
    agent.erase(0, agent.find_first_not_of(L' '));
  }
}

// Set on the request itself: under this Wine the root handle's timeouts are not used. Closing the
// handles from another thread does not end a blocked request, so these are what bound it.
void SetTimeouts(HINTERNET handle, DWORD ms) {
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
    InternetSetOptionW(handle, option, &ms, sizeof ms);
}

String HeaderText(HINTERNET request, DWORD info) {
  wchar_t buffer[256] = {};
  DWORD size = sizeof(buffer) - sizeof(wchar_t);
  if (!HttpQueryInfoW(request, info, buffer, &size, nullptr)) return {};
  return String(buffer, size / sizeof(wchar_t));
}

int StatusOf(HINTERNET request) {
  DWORD status = 0;
  DWORD size = sizeof(status);
  if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr)) return 0;
  return static_cast<int>(status);
}

// Reads the body, but never more than one byte past the bound; false when the read failed.
bool ReadBounded(HINTERNET request, size_t bound, std::string& bytes) {
  char chunk[1024];
  while (bytes.size() <= bound) {
    const DWORD want = static_cast<DWORD>(std::min(sizeof chunk, bound + 1 - bytes.size()));
    DWORD read = 0;
    if (!InternetReadFile(request, chunk, want, &read)) return false;
    if (read == 0) return true;
    bytes.append(chunk, read);
  }
  return true;
}

String DecodeBody(const std::string& bytes, const String& contentType) {
  String type = contentType;
  for (auto& c : type) c = static_cast<wchar_t>(towlower(c));
  size_t at = type.find(L"charset=");
  if (at != String::npos) {
    String charset = type.substr(at + 8);
    size_t end = charset.find_first_of(L"; \"");
    if (end != String::npos) charset.resize(end);
    if (charset == L"iso-8859-1" || charset == L"latin1" || charset == L"us-ascii" ||
        charset == L"windows-1252")
      return AnsiToWide(bytes, 1252);
  }
  return Utf8ToWide(bytes);
}

}  // namespace

THttpReply THttp::Get(const String& url, const std::vector<String>& headers, const THttpLimits& limits) {
  THttpReply reply;
  TUrlParts parts;
  if (!CrackUrl(url, parts)) return reply;
  String agent, others;
  SplitHeaders(headers, agent, others);
  InternetHandle session(InternetOpenW(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session) return reply;
  InternetHandle connection(InternetConnectW(session.get(), parts.Host.c_str(), parts.Port, nullptr, nullptr,
                                             INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) return reply;
  const DWORD flags = INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                      INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTH |
                      (parts.Secure ? INTERNET_FLAG_SECURE : 0);
  InternetHandle request(HttpOpenRequestW(connection.get(), L"GET", parts.Object.c_str(), L"HTTP/1.1", nullptr,
                                          nullptr, flags, 0));
  if (!request) return reply;
  SetTimeouts(request.get(), limits.Timeout);
  if (!HttpSendRequestW(request.get(), others.c_str(), static_cast<DWORD>(others.size()), nullptr, 0)) return reply;
  reply.Status = StatusOf(request.get());
  if (reply.Status != 200) return reply;
  std::string bytes;
  if (!ReadBounded(request.get(), limits.MaxBody, bytes)) return reply;
  reply.TooLong = bytes.size() > limits.MaxBody;
  if (reply.TooLong) return reply;
  reply.Body = DecodeBody(bytes, HeaderText(request.get(), HTTP_QUERY_CONTENT_TYPE));
  reply.Ok = true;
  return reply;
}

}  // namespace seams
