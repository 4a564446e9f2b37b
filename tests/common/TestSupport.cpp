#include "common/TestSupport.h"

#include "classlib/Controls.h"
#include "classlib/Clipboard.h"
#include "classlib/TextConv.h"

#include <shellapi.h>

#include <iterator>
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

bool IsExtendedKey(WORD key) {
  switch (key) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_HOME: case VK_END:
    case VK_PRIOR: case VK_NEXT: case VK_INSERT: case VK_DELETE: return true;
    default: return false;
  }
}

}  // namespace

namespace {

// Counts the presses of one key that the thread reads from its queue.
thread_local WORD g_watchedKey = 0;
thread_local int g_pressesRead = 0;

LRESULT CALLBACK CountPressesRead(int code, WPARAM key, LPARAM keyData) {
  const bool released = (static_cast<DWORD>(keyData) & 0x80000000u) != 0;
  if (code == HC_ACTION && key == g_watchedKey && !released) ++g_pressesRead;
  return CallNextHookEx(nullptr, code, key, keyData);
}

class TPressWatch {
 public:
  explicit TPressWatch(WORD key) : hook_(SetWindowsHookExW(WH_KEYBOARD, CountPressesRead, nullptr, GetCurrentThreadId())) {
    g_watchedKey = key;
    g_pressesRead = 0;
  }
  ~TPressWatch() {
    if (hook_) UnhookWindowsHookEx(hook_);
  }
  TPressWatch(const TPressWatch&) = delete;
  TPressWatch& operator=(const TPressWatch&) = delete;
  bool Read() const { return g_pressesRead > 0; }

 private:
  HHOOK hook_;
};

// A key whose window went away while it was down (a dialog closed by it) is released where the
// focus went, often another program's window: this thread would go on seeing it down, Ctrl and
// Shift too. Keys up for the system are up for the thread again.
void ForgetReleasesReadElsewhere() {
  BYTE state[256];
  if (!GetKeyboardState(state)) return;
  bool changed = false;
  for (int key = 1; key < 256; ++key)
    if ((state[key] & 0x80) && !(GetAsyncKeyState(key) & 0x8000)) {
      state[key] &= 0x7F;
      changed = true;
    }
  if (changed) SetKeyboardState(state);
}

bool AllUp(const std::vector<WORD>& keys, SHORT(WINAPI* state)(int)) {
  for (WORD key : keys)
    if (state(key) & 0x8000) return false;
  return true;
}

}  // namespace

bool PressKeys(const std::vector<WORD>& Keys) {
  ForgetReleasesReadElsewhere();
  std::vector<INPUT> input;
  auto add = [&](WORD key, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = key;
    in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(key) ? KEYEVENTF_EXTENDEDKEY : 0);
    input.push_back(in);
  };
  for (WORD key : Keys) add(key, false);
  for (auto it = std::rbegin(Keys); it != std::rend(Keys); ++it) add(*it, true);
  // The last key pressed is the one that acts, the others being held with it.
  TPressWatch watch(Keys.back());
  SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
  const bool read = PumpUntil([&] { return watch.Read(); }, 2000);
  // Then the releases, where they come here: read, or none waiting while the system has them up.
  PumpUntil([&] { return AllUp(Keys, GetKeyState) || (HIWORD(GetQueueStatus(QS_KEY)) == 0 && AllUp(Keys, GetAsyncKeyState)); },
            500);
  return read;
}

void PointerInto(HWND Wnd) {
  RECT r;
  GetWindowRect(Wnd, &r);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

String FocusedControlName() {
  TWinControl* control = TWinControl::FindControl(GetFocus());
  return control ? control->Name() : String(L"(none of ours)");
}

std::vector<String> FocusWalk(const std::vector<WORD>& Keys, size_t Presses) {
  std::vector<String> walked;
  for (size_t i = 0; i < Presses; ++i) {
    if (!PressKeys(Keys)) walked.push_back(L"(keys not read)");
    walked.push_back(FocusedControlName());
  }
  return walked;
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

bool THookedFileReplacement::MoveOver(const String& tempFileName, const String& fileName) {
  if (before_ && !before_(tempFileName)) {
    SetLastError(ERROR_CANCELLED);
    return false;
  }
  return TFileReplacement::MoveOver(tempFileName, fileName);
}

}  // namespace testing_support
