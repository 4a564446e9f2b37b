#pragma once
// A registry key of the test prefix as it was, put back when the object goes; while it lives,
// the key is missing (its values are kept, subkeys are not expected).
#include "classlib/Types.h"

#include <vector>

namespace testing_support {

class TKeyBackup {
 public:
  TKeyBackup(HKEY Root, const wchar_t* Path) : root_(Root), path_(Path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root_, path_.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
      existed_ = true;
      for (DWORD i = 0;; ++i) {
        wchar_t name[512];
        DWORD chars = 512, type = 0, bytes = 0;
        if (RegEnumValueW(key, i, name, &chars, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) break;
        TValue value{String(name, chars), type, std::vector<BYTE>(bytes)};
        chars = 512;
        RegEnumValueW(key, i, name, &chars, nullptr, &type, value.Data.data(), &bytes);
        values_.push_back(std::move(value));
      }
      RegCloseKey(key);
    }
    RegDeleteTreeW(root_, path_.c_str());
  }
  ~TKeyBackup() {
    RegDeleteTreeW(root_, path_.c_str());
    HKEY key = nullptr;
    if (!existed_ ||
        RegCreateKeyExW(root_, path_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
      return;
    for (const TValue& v : values_)
      RegSetValueExW(key, v.Name.c_str(), 0, v.Type, v.Data.data(), static_cast<DWORD>(v.Data.size()));
    RegCloseKey(key);
  }
  TKeyBackup(const TKeyBackup&) = delete;
  TKeyBackup& operator=(const TKeyBackup&) = delete;

 private:
  struct TValue {
    String Name;
    DWORD Type;
    std::vector<BYTE> Data;
  };
  HKEY root_;
  String path_;
  bool existed_ = false;
  std::vector<TValue> values_;
};

}  // namespace testing_support
