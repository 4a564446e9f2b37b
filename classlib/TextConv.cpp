#include "classlib/TextConv.h"

namespace {

std::string ToBytes(const String& text, UINT codePage) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

String FromBytes(const std::string& bytes, UINT codePage) {
  if (bytes.empty()) return {};
  int n = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  String out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(), n);
  return out;
}

}  // namespace

std::string WideToUtf8(const String& text) { return ToBytes(text, CP_UTF8); }
String Utf8ToWide(const std::string& bytes) { return FromBytes(bytes, CP_UTF8); }
std::string WideToAnsi(const String& text, UINT codePage) { return ToBytes(text, codePage); }
String AnsiToWide(const std::string& bytes, UINT codePage) { return FromBytes(bytes, codePage); }
