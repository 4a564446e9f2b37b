// WinEvents for assistive tools.
#include "items/TB2Acc.h"

#include <atomic>

namespace {

using TNotifyWinEventProc = void(WINAPI*)(DWORD Event, HWND Wnd, LONG ObjectID, LONG ChildID);

// Bound on first use: the function is looked up in the already loaded user32, never loaded.
std::atomic<TNotifyWinEventProc> NotifyWinEventProc{nullptr};
std::atomic<bool> NotifyWinEventTried{false};

TNotifyWinEventProc BoundNotifyWinEvent() {
  if (!NotifyWinEventTried.load()) {
    TNotifyWinEventProc proc = nullptr;
    if (HMODULE user32 = GetModuleHandleW(L"user32.dll"))
      proc = reinterpret_cast<TNotifyWinEventProc>(
          reinterpret_cast<void*>(GetProcAddress(user32, "NotifyWinEvent")));
    NotifyWinEventProc.store(proc);
    NotifyWinEventTried.exchange(true);
  }
  return NotifyWinEventProc.load();
}

}  // namespace

void CallNotifyWinEvent(DWORD Event, HWND Wnd, LONG ObjectID, LONG ChildID) {
  if (TNotifyWinEventProc proc = BoundNotifyWinEvent()) proc(Event, Wnd, ObjectID, ChildID);
}
