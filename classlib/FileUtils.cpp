#include "classlib/FileUtils.h"


#include <algorithm>
#include <memory>

// ---------------------------------------------------------------------------------------------
// Names and paths

namespace {

bool IsDelimiter(wchar_t c) { return c == L'\\' || c == L'/'; }

// The index just past the folder part (0 when there is none).
size_t NameStart(const String& fileName) {
  size_t i = fileName.find_last_of(L"\\/:");
  return i == String::npos ? 0 : i + 1;
}

struct FindCloser {
  void operator()(HANDLE h) const {
    if (h && h != INVALID_HANDLE_VALUE) FindClose(h);
  }
};
using FindHandle = std::unique_ptr<void, FindCloser>;

DWORD Attributes(const String& path) { return GetFileAttributesW(path.c_str()); }

}  // namespace

String ExtractFilePath(const String& fileName) { return fileName.substr(0, NameStart(fileName)); }

String ExtractFileName(const String& fileName) { return fileName.substr(NameStart(fileName)); }

String IncludeTrailingPathDelimiter(const String& path) {
  if (!path.empty() && IsDelimiter(path.back())) return path;
  return path + L"\\";
}

String ExcludeTrailingPathDelimiter(const String& path) {
  String out = path;
  if (!out.empty() && IsDelimiter(out.back())) out.pop_back();
  return out;
}

String ExpandFileName(const String& fileName) {
  if (fileName.empty()) return fileName;
  DWORD n = GetFullPathNameW(fileName.c_str(), 0, nullptr, nullptr);
  if (n == 0) return fileName;
  String out(n, L'\0');
  n = GetFullPathNameW(fileName.c_str(), n, out.data(), nullptr);
  out.resize(n);
  return out;
}

int AnsiCompareFileName(const String& a, const String& b) {
  int r = CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                               static_cast<int>(b.size()), TRUE);
  return r == 0 ? CompareStr(a, b) : r - CSTR_EQUAL;
}

namespace {
wchar_t FoldCase(wchar_t c) {
  return static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(CharUpperW(
      reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(static_cast<unsigned short>(c))))));
}

bool Match(const wchar_t* name, const wchar_t* mask) {
  // '*' backtracks to the latest star only: enough for masks, linear in practice.
  const wchar_t* star = nullptr;
  const wchar_t* resume = nullptr;
  while (*name) {
    if (*mask == L'*') {
      star = mask++;
      resume = name;
    } else if (*mask == L'?' || (*mask && FoldCase(*mask) == FoldCase(*name))) {
      ++mask;
      ++name;
    } else if (star) {
      mask = star + 1;
      name = ++resume;
    } else {
      return false;
    }
  }
  while (*mask == L'*') ++mask;
  return *mask == 0;
}
}  // namespace

bool MatchesMask(const String& name, const String& mask) {
  return Match(name.c_str(), mask.c_str());
}

// ---------------------------------------------------------------------------------------------
// Files and folders

bool FileExists(const String& fileName) {
  DWORD a = Attributes(fileName);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const String& path) {
  DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool CreateDir(const String& path) { return CreateDirectoryW(path.c_str(), nullptr) != FALSE; }

bool RemoveDir(const String& path) { return RemoveDirectoryW(path.c_str()) != FALSE; }

bool DeleteFileW(const String& fileName) { return ::DeleteFileW(fileName.c_str()) != FALSE; }

String GetCurrentDir() {
  DWORD n = GetCurrentDirectoryW(0, nullptr);
  String out(n, L'\0');
  n = GetCurrentDirectoryW(n, out.data());
  out.resize(n);
  return out;
}

bool SetCurrentDir(const String& path) { return SetCurrentDirectoryW(path.c_str()) != FALSE; }

std::vector<String> ListFiles(const String& folder, const String& mask) {
  std::vector<String> names;
  WIN32_FIND_DATAW data;
  const String pattern = IncludeTrailingPathDelimiter(folder) + mask;
  FindHandle find(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, 0));
  if (find.get() == INVALID_HANDLE_VALUE) return names;
  do {
    // The system also matches short 8.3 names ("~x.qwn~" is "~X~1.QWN"): test the long one.
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && MatchesMask(data.cFileName, mask))
      names.emplace_back(data.cFileName);
  } while (FindNextFileW(find.get(), &data));
  std::sort(names.begin(), names.end(),
            [](const String& a, const String& b) { return AnsiCompareFileName(a, b) < 0; });
  return names;
}

String FileErrorMessage(const String& what, const String& fileName, DWORD code) {
  String text = what + L" \"" + fileName + L"\".";
  String reason = SysErrorMessage(code);
  if (!reason.empty()) text += L" " + reason;
  return text;
}
