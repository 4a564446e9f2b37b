#pragma once
// Registry access: one open key at a time under a chosen root, with text and integer values.
#include "classlib/SysUtils.h"
#include "classlib/Types.h"

#include <utility>

// An owned registry key handle: closed once, movable, never copied. The predefined root keys
// are never closed.
class TRegKey {
 public:
  TRegKey() = default;
  explicit TRegKey(HKEY key) : key_(key) {}
  TRegKey(TRegKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
  TRegKey& operator=(TRegKey&& other) noexcept;
  TRegKey(const TRegKey&) = delete;
  TRegKey& operator=(const TRegKey&) = delete;
  ~TRegKey() { Reset(); }

  HKEY Get() const { return key_; }
  explicit operator bool() const { return key_ != nullptr; }
  void Reset(HKEY key = nullptr);

 private:
  HKEY key_ = nullptr;
};

class TRegistry : public TObject {
 public:
  // `access` is the access asked for when keys are opened or created; add KEY_WOW64_32KEY to
  // see the 32-bit view (as a 32-bit program does) or KEY_WOW64_64KEY for the 64-bit one.
  explicit TRegistry(REGSAM access = KEY_ALL_ACCESS);
  ~TRegistry() override;

  // The root: HKEY_CURRENT_USER at first. Changing it closes the open key.
  HKEY RootKey() const { return rootKey_; }
  void SetRootKey(HKEY root);
  REGSAM Access() const { return access_; }
  HKEY CurrentKey() const { return current_.Get(); }
  // The path of the open key below the root, without a leading '\'.
  const String& CurrentPath() const { return currentPath_; }

  // A key starting with '\' is relative to the root, any other to the open key (or to the root
  // when none is open). The key opened replaces the open one; false leaves the open key alone.
  bool OpenKey(const String& key, bool canCreate);
  // Opens with KEY_READ and the view flags of Access.
  bool OpenKeyReadOnly(const String& key);
  void CloseKey();
  bool KeyExists(const String& key);
  // Removes the key with every key below it.
  bool DeleteKey(const String& key);

  bool ValueExists(const String& name);
  bool DeleteValue(const String& name);

  // The system's answer to the last OpenKey, OpenKeyReadOnly, DeleteValue or write
  // (ERROR_SUCCESS, ERROR_FILE_NOT_FOUND for a missing key or value, ...): it tells a missing
  // key or value from one that could not be reached.
  LONG LastError() const { return lastError_; }

  // A missing value, no open key or a value of another kind read as the empty text; REG_SZ and
  // REG_EXPAND_SZ are read as stored (not expanded), stopping at the first NUL.
  String ReadString(const String& name);
  // Raises ERegistryException when the value cannot be written.
  void WriteString(const String& name, const String& value);
  // REG_DWORD; a REG_SZ holding an integer text is read too. Raises ERegistryException when
  // the value is missing or holds no integer.
  int ReadInteger(const String& name);
  void WriteInteger(const String& name, int value);

 private:
  // Opens `key` (resolved as OpenKey does) with `access`, creating it when asked.
  TRegKey Open(const String& key, REGSAM access, bool create, String& path, LONG* result = nullptr) const;
  // Opens the key as OpenKey does, with `access`, and remembers the system's answer.
  bool OpenWith(const String& key, REGSAM access, bool canCreate);
  HKEY BaseFor(const String& key) const;
  String Resolve(const String& key) const;
  void Write(const String& name, DWORD type, const void* data, DWORD size);
  REGSAM ViewFlags() const { return access_ & (KEY_WOW64_32KEY | KEY_WOW64_64KEY); }

  HKEY rootKey_ = HKEY_CURRENT_USER;
  REGSAM access_;
  TRegKey current_;
  String currentPath_;
  LONG lastError_ = ERROR_SUCCESS;
};
