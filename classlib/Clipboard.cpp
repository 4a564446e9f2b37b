#include "classlib/Clipboard.h"

#include <objidl.h>
#include <richedit.h>

#include <cstring>

namespace {

std::string GlobalBytes(HGLOBAL memory) {
  if (!memory) return std::string();
  const void* bytes = GlobalLock(memory);
  if (!bytes) return std::string();
  std::string copy(static_cast<const char*>(bytes), GlobalSize(memory));
  GlobalUnlock(memory);
  return copy;
}

}  // namespace

TClipboardReader::TClipboardReader(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}

TClipboardReader::~TClipboardReader() {
  if (open_) CloseClipboard();
}

std::optional<std::string> TClipboardReader::Read(UINT format) {
  if (!open_ || !IsClipboardFormatAvailable(format)) return std::nullopt;
  HANDLE data = GetClipboardData(format);
  if (!data) return std::nullopt;
  return GlobalBytes(data);
}

std::optional<std::string> TDataObjectReader::Read(UINT format) {
  FORMATETC wanted{static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (!data_ || data_->GetData(&wanted, &medium) != S_OK) return std::nullopt;
  std::optional<std::string> bytes;
  if (medium.tymed == TYMED_HGLOBAL) bytes = GlobalBytes(medium.hGlobal);
  ReleaseStgMedium(&medium);
  return bytes;
}

UINT RichTextClipFormat() {
  static const UINT format = RegisterClipboardFormatW(CF_RTF);
  return format;
}

std::string BytesBeforeZero(const std::string& bytes) { return bytes.substr(0, bytes.find('\0')); }

String WideBeforeZero(const std::string& bytes) {
  String text(bytes.size() / sizeof(wchar_t), L'\0');
  std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
  return text.substr(0, text.find(L'\0'));
}
