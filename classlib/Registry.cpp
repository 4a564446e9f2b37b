#include "classlib/Registry.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

bool IsPredefined(HKEY key) {
  // The predefined roots are small constants with the top bit set (0x80000000 and up).
  const auto value = static_cast<uint32_t>(reinterpret_cast<ULONG_PTR>(key));
  return (value & 0x80000000u) != 0 && value <= 0x800000FFu;
}

String TrimSeparators(String path) {
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  size_t i = 0;
  while (i < path.size() && path[i] == L'\\') ++i;
  return path.substr(i);
}

[[noreturn]] void RaiseRegistry(const wchar_t* what, const String& name) {
  throw ERegistryException(String(what) + L" '" + name + L"'");
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TRegKey

TRegKey& TRegKey::operator=(TRegKey&& other) noexcept {
  if (this != &other) Reset(std::exchange(other.key_, nullptr));
  return *this;
}

void TRegKey::Reset(HKEY key) {
  if (key_ && !IsPredefined(key_)) RegCloseKey(key_);
  key_ = key;
}

// ---------------------------------------------------------------------------------------------
// TRegistry: keys

TRegistry::TRegistry(REGSAM access) : access_(access) {}

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKEY root) {
  if (root == rootKey_) return;
  CloseKey();
  rootKey_ = root;
}

String TRegistry::Resolve(const String& key) const {
  if (!key.empty() && key.front() == L'\\') return TrimSeparators(key);
  if (!current_ || currentPath_.empty()) return TrimSeparators(key);
  const String rest = TrimSeparators(key);
  return rest.empty() ? currentPath_ : currentPath_ + L"\\" + rest;
}

TRegKey TRegistry::Open(const String& key, REGSAM access, bool create, String& path, LONG* result) const {
  path = Resolve(key);
  HKEY handle = nullptr;
  LONG rc = create ? RegCreateKeyExW(rootKey_, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     access, nullptr, &handle, nullptr)
                   : RegOpenKeyExW(rootKey_, path.c_str(), 0, access, &handle);
  if (result) *result = rc;
  return TRegKey(rc == ERROR_SUCCESS ? handle : nullptr);
}

bool TRegistry::OpenWith(const String& key, REGSAM access, bool canCreate) {
  String path;
  TRegKey opened = Open(key, access, canCreate, path, &lastError_);
  if (!opened) return false;
  current_ = std::move(opened);
  currentPath_ = path;
  return true;
}

bool TRegistry::OpenKey(const String& key, bool canCreate) { return OpenWith(key, access_, canCreate); }

bool TRegistry::OpenKeyReadOnly(const String& key) { return OpenWith(key, KEY_READ | ViewFlags(), false); }

void TRegistry::CloseKey() {
  current_.Reset();
  currentPath_.clear();
}

bool TRegistry::KeyExists(const String& key) {
  String path;
  return static_cast<bool>(Open(key, KEY_READ | ViewFlags(), false, path));
}

bool TRegistry::DeleteKey(const String& key) {
  // An empty name would resolve to the open key or the root: never delete those by accident.
  if (TrimSeparators(key).empty()) return false;
  const String path = Resolve(key);
  // Closing the open key first when it is the one going (or lies below it).
  if (current_ && (CompareText(currentPath_, path) == 0 ||
                   CompareText(currentPath_.substr(0, path.size() + 1), path + L"\\") == 0))
    CloseKey();
  const size_t cut = path.find_last_of(L'\\');
  const String parentPath = cut == String::npos ? String() : path.substr(0, cut);
  const String name = cut == String::npos ? path : path.substr(cut + 1);
  HKEY parent = nullptr;
  if (RegOpenKeyExW(rootKey_, parentPath.c_str(), 0, KEY_ALL_ACCESS | ViewFlags(), &parent) !=
      ERROR_SUCCESS)
    return false;
  TRegKey owner(parent);
  return RegDeleteTreeW(parent, name.c_str()) == ERROR_SUCCESS;
}

// ---------------------------------------------------------------------------------------------
// TRegistry: values

bool TRegistry::ValueExists(const String& name) {
  return current_ && RegQueryValueExW(current_.Get(), name.c_str(), nullptr, nullptr, nullptr,
                                       nullptr) == ERROR_SUCCESS;
}

bool TRegistry::DeleteValue(const String& name) {
  lastError_ = current_ ? RegDeleteValueW(current_.Get(), name.c_str()) : ERROR_INVALID_HANDLE;
  return lastError_ == ERROR_SUCCESS;
}

String TRegistry::ReadString(const String& name) {
  if (!current_) return String();
  // The value may grow between asking its size and reading it: ask again then.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(current_.Get(), name.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
      return String();
    // Zeroed, with room for a terminator the stored data may lack.
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 2, L'\0');
    DWORD got = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
    LONG rc = RegQueryValueExW(current_.Get(), name.c_str(), nullptr, &type,
                               reinterpret_cast<BYTE*>(buffer.data()), &got);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return String();
    const size_t chars = std::min<size_t>(got / sizeof(wchar_t), buffer.size() - 1);
    String text(buffer.data(), chars);
    const size_t nul = text.find(L'\0');
    if (nul != String::npos) text.resize(nul);
    return text;
  }
  return String();
}

void TRegistry::Write(const String& name, DWORD type, const void* data, DWORD size) {
  lastError_ = current_ ? RegSetValueExW(current_.Get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size)
                        : ERROR_INVALID_HANDLE;
  if (lastError_ != ERROR_SUCCESS) RaiseRegistry(L"Failed to set data for", name);
}

void TRegistry::WriteString(const String& name, const String& value) {
  Write(name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

int TRegistry::ReadInteger(const String& name) {
  DWORD type = 0, size = 0;
  if (!current_ || RegQueryValueExW(current_.Get(), name.c_str(), nullptr, &type, nullptr,
                                    &size) != ERROR_SUCCESS)
    RaiseRegistry(L"Failed to get data for", name);
  if (type == REG_DWORD && size == sizeof(DWORD)) {
    DWORD value = 0;
    if (RegQueryValueExW(current_.Get(), name.c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
      RaiseRegistry(L"Failed to get data for", name);
    return static_cast<int>(value);
  }
  int value = 0;
  if ((type == REG_SZ || type == REG_EXPAND_SZ) && TryStrToInt(ReadString(name), value))
    return value;
  RaiseRegistry(L"Invalid data type for", name);
}

void TRegistry::WriteInteger(const String& name, int value) {
  const DWORD data = static_cast<DWORD>(value);
  Write(name, REG_DWORD, &data, sizeof(data));
}
