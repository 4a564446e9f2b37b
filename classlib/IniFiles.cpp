#include "classlib/IniFiles.h"

// ---------------------------------------------------------------------------------------------
// TCustomIniFile

int TCustomIniFile::ReadInteger(const String& section, const String& ident, int fallback) {
  return StrToIntDef(ReadString(section, ident, String()), fallback);
}

void TCustomIniFile::WriteInteger(const String& section, const String& ident, int value) {
  WriteString(section, ident, IntToStr(value));
}

// ---------------------------------------------------------------------------------------------
// TIniFile

namespace {

// Calls a profile reader with a growing buffer until the text fits; a reader that had to cut
// the text short reports one less than the buffer's size.
template <class Fn>
String ReadProfile(Fn&& read) {
  String buffer(2048, L'\0');
  for (;;) {
    const DWORD n = read(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n + 1 < buffer.size() || buffer.size() >= (1u << 24)) {
      buffer.resize(n);
      return buffer;
    }
    buffer.assign(buffer.size() * 4, L'\0');
  }
}

}  // namespace

TIniFile::~TIniFile() {
  // Let a cached profile reach the disk.
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, FileName().c_str());
}

String TIniFile::ReadString(const String& section, const String& ident, const String& fallback) {
  return ReadProfile(
      [&](wchar_t* buffer, DWORD size) {
        return GetPrivateProfileStringW(section.c_str(), ident.c_str(), fallback.c_str(), buffer,
                                        size, FileName().c_str());
      });
}

void TIniFile::WriteString(const String& section, const String& ident, const String& value) {
  if (!WritePrivateProfileStringW(section.c_str(), ident.c_str(), value.c_str(),
                                  FileName().c_str()))
    throw EIniFileException(L"Unable to write to " + FileName());
}

void TIniFile::DeleteKey(const String& section, const String& ident) {
  WritePrivateProfileStringW(section.c_str(), ident.c_str(), nullptr, FileName().c_str());
}

// ---------------------------------------------------------------------------------------------
// TRegIniFile

TRegIniFile::TRegIniFile(const String& fileName, REGSAM access)
    : TCustomIniFile(fileName), registry_(access) {
  if (!fileName.empty()) registry_.OpenKey(fileName, true);
}

bool TRegIniFile::OpenSection(TRegistry& reg, const String& section, TSectionUse use) const {
  if (!registry_.CurrentKey()) return false;
  reg.SetRootKey(registry_.RootKey());
  String path = L"\\" + registry_.CurrentPath();
  if (!section.empty()) path += L"\\" + section;
  switch (use) {
    case TSectionUse::Read: return reg.OpenKeyReadOnly(path);
    case TSectionUse::Change: return reg.OpenKey(path, false);
    case TSectionUse::Create: break;
  }
  return reg.OpenKey(path, true);
}

String TRegIniFile::ReadString(const String& section, const String& ident,
                               const String& fallback) {
  TRegistry reg(registry_.Access());
  if (!OpenSection(reg, section, TSectionUse::Read) || !reg.ValueExists(ident)) return fallback;
  return reg.ReadString(ident);
}

void TRegIniFile::WriteString(const String& section, const String& ident, const String& value) {
  TRegistry reg(registry_.Access());
  if (!OpenSection(reg, section, TSectionUse::Create))
    throw ERegistryException(L"Failed to set data for '" + ident + L"'");
  reg.WriteString(ident, value);
}

int TRegIniFile::ReadInteger(const String& section, const String& ident, int fallback) {
  TRegistry reg(registry_.Access());
  if (!OpenSection(reg, section, TSectionUse::Read) || !reg.ValueExists(ident)) return fallback;
  try {
    return reg.ReadInteger(ident);
  } catch (const ERegistryException&) {
    return fallback;
  }
}

void TRegIniFile::DeleteKey(const String& section, const String& ident) {
  TRegistry reg(registry_.Access());
  if (OpenSection(reg, section, TSectionUse::Change)) reg.DeleteValue(ident);
}
