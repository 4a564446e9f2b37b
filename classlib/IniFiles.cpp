#include "classlib/IniFiles.h"

#include "classlib/Strings.h"

// ---------------------------------------------------------------------------------------------
// TCustomIniFile

int TCustomIniFile::ReadInteger(const String& section, const String& ident, int fallback) {
  return StrToIntDef(ReadString(section, ident, String()), fallback);
}

void TCustomIniFile::WriteInteger(const String& section, const String& ident, int value) {
  WriteString(section, ident, IntToStr(value));
}

bool TCustomIniFile::ReadBool(const String& section, const String& ident, bool fallback) {
  return ReadInteger(section, ident, fallback ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const String& section, const String& ident, bool value) {
  WriteString(section, ident, value ? L"1" : L"0");
}

void TCustomIniFile::ReadSectionValues(const String& section, TStrings& values) {
  TStringList idents;
  ReadSection(section, idents);
  values.BeginUpdate();
  values.Clear();
  for (int i = 0; i < idents.Count(); ++i) {
    const String ident = idents.Strings(i);
    values.Add(ident + L"=" + ReadString(section, ident, String()));
  }
  values.EndUpdate();
}

bool TCustomIniFile::SectionExists(const String& section) {
  TStringList idents;
  ReadSection(section, idents);
  return idents.Count() > 0;
}

bool TCustomIniFile::ValueExists(const String& section, const String& ident) {
  TStringList idents;
  ReadSection(section, idents);
  return idents.IndexOf(ident) >= 0;
}

// ---------------------------------------------------------------------------------------------
// TIniFile

namespace {

// Calls a profile reader with a growing buffer until the text fits; `slack` is what the reader
// reports when it had to cut the text short (1 for one string, 2 for a list of them).
template <class Fn>
String ReadProfile(Fn&& read, DWORD slack) {
  String buffer(2048, L'\0');
  for (;;) {
    const DWORD n = read(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n + slack < buffer.size() || buffer.size() >= (1u << 24)) {
      buffer.resize(n);
      return buffer;
    }
    buffer.assign(buffer.size() * 4, L'\0');
  }
}

// A double-NUL-terminated list of names into a string list.
void SplitNames(const String& names, TStrings& into) {
  into.BeginUpdate();
  into.Clear();
  size_t start = 0;
  while (start < names.size()) {
    size_t end = names.find(L'\0', start);
    if (end == String::npos) end = names.size();
    if (end > start) into.Add(names.substr(start, end - start));
    start = end + 1;
  }
  into.EndUpdate();
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
      },
      1);
}

void TIniFile::WriteString(const String& section, const String& ident, const String& value) {
  if (!WritePrivateProfileStringW(section.c_str(), ident.c_str(), value.c_str(),
                                  FileName().c_str()))
    throw EIniFileException(L"Unable to write to " + FileName());
}

void TIniFile::ReadSection(const String& section, TStrings& idents) {
  SplitNames(ReadProfile(
                 [&](wchar_t* buffer, DWORD size) {
                   return GetPrivateProfileStringW(section.c_str(), nullptr, L"", buffer, size,
                                                   FileName().c_str());
                 },
                 2),
             idents);
}

void TIniFile::ReadSections(TStrings& sections) {
  SplitNames(ReadProfile(
                 [&](wchar_t* buffer, DWORD size) {
                   return GetPrivateProfileSectionNamesW(buffer, size, FileName().c_str());
                 },
                 2),
             sections);
}

void TIniFile::EraseSection(const String& section) {
  if (!WritePrivateProfileStringW(section.c_str(), nullptr, nullptr, FileName().c_str()))
    throw EIniFileException(L"Unable to write to " + FileName());
}

void TIniFile::DeleteKey(const String& section, const String& ident) {
  WritePrivateProfileStringW(section.c_str(), ident.c_str(), nullptr, FileName().c_str());
}

void TIniFile::UpdateFile() {
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, FileName().c_str());
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

void TRegIniFile::ReadSection(const String& section, TStrings& idents) {
  TRegistry reg(registry_.Access());
  idents.BeginUpdate();
  idents.Clear();
  if (OpenSection(reg, section, TSectionUse::Read))
    for (const String& name : reg.GetValueNames()) idents.Add(name);
  idents.EndUpdate();
}

void TRegIniFile::ReadSections(TStrings& sections) {
  sections.BeginUpdate();
  sections.Clear();
  for (const String& name : registry_.GetKeyNames()) sections.Add(name);
  sections.EndUpdate();
}

void TRegIniFile::EraseSection(const String& section) {
  if (registry_.CurrentKey() && !section.empty()) registry_.DeleteKey(section);
}

void TRegIniFile::DeleteKey(const String& section, const String& ident) {
  TRegistry reg(registry_.Access());
  if (OpenSection(reg, section, TSectionUse::Change)) reg.DeleteValue(ident);
}

bool TRegIniFile::ValueExists(const String& section, const String& ident) {
  TRegistry reg(registry_.Access());
  return OpenSection(reg, section, TSectionUse::Read) && reg.ValueExists(ident);
}
