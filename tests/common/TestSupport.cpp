#include "common/TestSupport.h"

#include "classlib/Clipboard.h"
#include "classlib/TextConv.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace testing_support {

int TRecordingMessageBoxes::Show(HWND, const String& text, const String& caption, UINT flags) {
  Boxes.push_back({text, caption, flags});
  return Answer;
}

HINSTANCE TRecordingShell::Execute(HWND, const wchar_t* verb, const String& file,
                                   const wchar_t* parameters, int show) {
  Requests.push_back({verb ? verb : L"", file, parameters ? parameters : L"", show, false});
  return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(33));
}

HINSTANCE TRecordingShell::ExecuteAnsi(HWND, const char* verb, const std::string& file, int show) {
  Requests.push_back({verb ? AnsiToWide(verb) : L"", AnsiToWide(file), L"", show, true});
  return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(33));
}

TRecordingMessageBoxes& MessageBoxes() {
  static TRecordingMessageBoxes boxes;
  return boxes;
}

TRecordingShell& Shell() {
  static TRecordingShell shell;
  return shell;
}

void PumpMessages(DWORD milliseconds) {
  DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (milliseconds) MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  } while (GetTickCount() - start < milliseconds);
}

namespace {
BOOL CALLBACK CountWindow(HWND, LPARAM Count) {
  ++*reinterpret_cast<int*>(Count);
  return TRUE;
}
}  // namespace

BYTE LayeredAlpha(HWND wnd) {
  BYTE alpha = 0;
  DWORD flags = 0;
  COLORREF key = 0;
  GetLayeredWindowAttributes(wnd, &key, &alpha, &flags);
  return alpha;
}

int ThreadWindowCount() {
  int count = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeoutMs) return condition();
    PumpMessages(0);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(20);
  }
  return true;
}

String MakeTempFolder(const String& hint) {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  static unsigned counter = 0;
  for (;;) {
    String path = String(base) + L"qn-" + hint + L"-" + std::to_wstring(GetCurrentProcessId()) +
                  L"-" + std::to_wstring(++counter);
    if (CreateDirectoryW(path.c_str(), nullptr)) return path + L"\\";
    // Only a name taken already is worth another try; anything else would loop for ever.
    if (GetLastError() != ERROR_ALREADY_EXISTS)
      throw std::runtime_error("cannot create a temporary folder");
  }
}

void RemoveFolderTree(const String& folder) {
  String from = folder;
  while (!from.empty() && from.back() == L'\\') from.pop_back();
  from.push_back(L'\0');  // double terminated
  SHFILEOPSTRUCTW op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NO_UI;
  SHFileOperationW(&op);
}

void SetClipboardFormats(const std::vector<std::pair<UINT, std::string>>& formats) {
  if (!OpenClipboard(nullptr)) throw std::runtime_error("the clipboard is held by another program");
  EmptyClipboard();
  for (const auto& [format, bytes] : formats) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, std::max<size_t>(bytes.size(), 1));
    memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    SetClipboardData(format, block);
  }
  CloseClipboard();
}

std::string UnicodeTextBytes(const String& text) {
  return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t));
}

void SetClipboardRichText(const std::string& rtf, const String& text) {
  std::vector<std::pair<UINT, std::string>> formats{{RichTextClipFormat(), rtf + '\0'}};
  if (!text.empty()) formats.emplace_back(CF_UNICODETEXT, UnicodeTextBytes(text));
  SetClipboardFormats(formats);
}

void PressKeys(std::initializer_list<WORD> keys) {
  std::vector<INPUT> input;
  auto add = [&](WORD key, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = key;
    const bool extended = key == VK_DELETE || key == VK_INSERT;
    in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
    input.push_back(in);
  };
  for (WORD key : keys) add(key, false);
  for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) add(*it, true);
  SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
  // Each key reaches the window through the display server: wait until the last one was read.
  const auto released = [] {
    for (WORD modifier : {VK_CONTROL, VK_SHIFT})
      if ((GetKeyState(modifier) & 0x8000) || (GetAsyncKeyState(modifier) & 0x8000)) return false;
    return true;
  };
  PumpUntil(released, 2000);
  PumpMessages(150);
}

bool THookedFileReplacement::MoveOver(const String& tempFileName, const String& fileName) {
  if (before_ && !before_(tempFileName)) {
    SetLastError(ERROR_CANCELLED);
    return false;
  }
  return TFileReplacement::MoveOver(tempFileName, fileName);
}

}  // namespace testing_support
