#pragma once
// Sectioned name=value storage: the abstract INI interface, INI files through the system's
// profile functions, and the same interface over a registry key (a section is a subkey).
#include "classlib/Registry.h"
#include "classlib/SysUtils.h"
#include "classlib/Types.h"

class TStrings;

QN_DECLARE_EXCEPTION(EIniFileException, Exception)

class TCustomIniFile : public TObject {
 public:
  explicit TCustomIniFile(const String& fileName) : fileName_(fileName) {}
  const String& FileName() const { return fileName_; }

  virtual String ReadString(const String& section, const String& ident, const String& fallback) = 0;
  virtual void WriteString(const String& section, const String& ident, const String& value) = 0;
  // Integers are texts in the integer syntax of StrToInt; a missing or invalid one gives the
  // fallback.
  virtual int ReadInteger(const String& section, const String& ident, int fallback);
  virtual void WriteInteger(const String& section, const String& ident, int value);
  // Booleans are the integers 1 and 0.
  virtual bool ReadBool(const String& section, const String& ident, bool fallback);
  virtual void WriteBool(const String& section, const String& ident, bool value);

  // The names of the values of a section / the sections; the lists are cleared first.
  virtual void ReadSection(const String& section, TStrings& idents) = 0;
  virtual void ReadSections(TStrings& sections) = 0;
  // name=value lines of a section.
  virtual void ReadSectionValues(const String& section, TStrings& values);
  virtual void EraseSection(const String& section) = 0;
  virtual void DeleteKey(const String& section, const String& ident) = 0;
  // Writes what is cached to the storage.
  virtual void UpdateFile() = 0;

  bool SectionExists(const String& section);
  virtual bool ValueExists(const String& section, const String& ident);

 private:
  String fileName_;
};

// An INI file through GetPrivateProfileString and WritePrivateProfileString: a name without a
// folder lies in the Windows folder, as the system has it. Writes raise EIniFileException.
class TIniFile : public TCustomIniFile {
 public:
  using TCustomIniFile::TCustomIniFile;
  ~TIniFile() override;

  String ReadString(const String& section, const String& ident, const String& fallback) override;
  void WriteString(const String& section, const String& ident, const String& value) override;
  void ReadSection(const String& section, TStrings& idents) override;
  void ReadSections(TStrings& sections) override;
  void EraseSection(const String& section) override;
  void DeleteKey(const String& section, const String& ident) override;
  void UpdateFile() override;
};

// The INI interface over a registry key: the key `fileName` below HKEY_CURRENT_USER is opened
// (created when missing) at construction, unless the name is empty; OpenKey and SetRootKey
// choose another. A section is a subkey of the open key (an empty section: the key itself).
// Integers are written as texts and read from texts or REG_DWORD values. Writes raise
// ERegistryException.
class TRegIniFile : public TCustomIniFile {
 public:
  explicit TRegIniFile(const String& fileName, REGSAM access = KEY_ALL_ACCESS);

  TRegistry& Registry() { return registry_; }
  HKEY RootKey() const { return registry_.RootKey(); }
  void SetRootKey(HKEY root) { registry_.SetRootKey(root); }
  bool OpenKey(const String& key, bool canCreate) { return registry_.OpenKey(key, canCreate); }
  void CloseKey() { registry_.CloseKey(); }

  String ReadString(const String& section, const String& ident, const String& fallback) override;
  void WriteString(const String& section, const String& ident, const String& value) override;
  int ReadInteger(const String& section, const String& ident, int fallback) override;
  void ReadSection(const String& section, TStrings& idents) override;
  void ReadSections(TStrings& sections) override;
  void EraseSection(const String& section) override;
  void DeleteKey(const String& section, const String& ident) override;
  void UpdateFile() override {}
  bool ValueExists(const String& section, const String& ident) override;

 private:
  enum class TSectionUse { Read, Change, Create };
  // A second registry object on the section's key; false when it cannot be opened.
  bool OpenSection(TRegistry& reg, const String& section, TSectionUse use) const;

  TRegistry registry_;
};
