// Stands in for the browser and the mail program in the end-to-end tests: the shell starts it
// for an address, and it writes its whole command line (UTF-8) beside itself, to the file of its
// own name with the extension ".txt".
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t self[MAX_PATH] = {};
  DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  std::wstring out(self, length);
  const size_t dot = out.rfind(L'.');
  out = (dot == std::wstring::npos ? out : out.substr(0, dot)) + L".txt";

  const wchar_t* line = GetCommandLineW();
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, line, -1, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(bytes > 0 ? bytes - 1 : 0), '\0');
  if (bytes > 1) WideCharToMultiByte(CP_UTF8, 0, line, -1, text.data(), bytes, nullptr, nullptr);

  // Written whole under another name first, so that a reader never sees half of it.
  const std::wstring partial = out + L".part";
  HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
  if (!ok || !MoveFileExW(partial.c_str(), out.c_str(), MOVEFILE_REPLACE_EXISTING)) return 1;
  return 0;
}
