#include "classlib/SysUtils.h"

#include "classlib/TextConv.h"

Exception::Exception(String message) : message_(std::move(message)), utf8_(WideToUtf8(message_)) {}

void Exception::SetMessage(const String& message) {
  message_ = message;
  utf8_ = WideToUtf8(message_);
}

String SysErrorMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  String text;
  if (n && buffer) {
    text.assign(buffer, n);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
      text.pop_back();
  }
  if (buffer) LocalFree(buffer);
  return text;
}

void RaiseLastOSError() { RaiseLastOSError(GetLastError()); }

void RaiseLastOSError(DWORD code) {
  String text = L"System Error.  Code: " + std::to_wstring(code) + L".";
  String sys = SysErrorMessage(code);
  if (!sys.empty()) text += L"\r\n" + sys;
  throw EOSError(text, code);
}

void AssertionFailed(const String& unit, int line, const String& message) {
  String text = message.empty() ? L"Assertion failed" : message;
  text += L" (" + unit + L", line " + std::to_wstring(line) + L")";
  throw EAssertionFailed(text);
}
