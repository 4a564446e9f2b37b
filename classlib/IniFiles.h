#pragma once
// Sectioned name=value storage: the abstract INI interface, INI files through the system's
// profile functions, and the same interface over a registry key (a section is a subkey).
#include "classlib/Registry.h"
#include "classlib/SysUtils.h"
#include "classlib/Types.h"

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
  virtual void DeleteKey(const String& section, const String& ident) = 0;

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
  void DeleteKey(const String& section, const String& ident) override;
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
  void DeleteKey(const String& section, const String& ident) override;

 private:
  enum class TSectionUse { Read, Change, Create };
  // A second registry object on the section's key; false when it cannot be opened.
  bool OpenSection(TRegistry& reg, const String& section, TSectionUse use) const;

  TRegistry registry_;
};
