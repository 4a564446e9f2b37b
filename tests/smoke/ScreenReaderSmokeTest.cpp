// The program as a screen reader hears it: this process hooks the running program's WinEvents
// out of context and asks the accessible object behind each event for its name, role and state,
// across the process boundary, as assistive tools do.
#include "SmokeSupport.h"

#include "classlib/ComApartment.h"

#include <oleacc.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace smoke {
namespace {

// One event and what the object behind it said (a role of -1: it said nothing).
struct THeard {
  DWORD Event;
  HWND Wnd;
  LONG ChildID;
  String Name;
  LONG Role = -1;
  LONG State = -1;
};

using TAccessibleObjectFromEventProc = HRESULT(WINAPI*)(HWND, DWORD, DWORD, IAccessible**, VARIANT*);

TAccessibleObjectFromEventProc AccessibleObjectFromEventProc() {
  static const TAccessibleObjectFromEventProc proc = reinterpret_cast<TAccessibleObjectFromEventProc>(
      reinterpret_cast<void (*)()>(GetProcAddress(LoadLibraryExW(L"oleacc.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32),
                                                  "AccessibleObjectFromEvent")));
  return proc;
}

// Hears one process's WinEvents; each event is read outside the hook, while its window is up.
class TScreenReader {
 public:
  explicit TScreenReader(DWORD Pid) {
    current_ = this;
    hook_ = SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, &Proc, Pid, 0, WINEVENT_OUTOFCONTEXT);
  }
  ~TScreenReader() {
    if (hook_) UnhookWinEvent(hook_);
    current_ = nullptr;
  }
  TScreenReader(const TScreenReader&) = delete;
  TScreenReader& operator=(const TScreenReader&) = delete;

  bool Hooked() const { return hook_ != nullptr; }
  // Listens (pumping this thread's messages) until the heard events satisfy Done.
  bool ListenUntil(const std::function<bool(const std::vector<THeard>&)>& Done, DWORD Milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      ReadPending();
      if (Done(heard_)) return true;
      if (GetTickCount() - start > Milliseconds) return false;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
  }
  const std::vector<THeard>& Heard() const { return heard_; }

 private:
  static void CALLBACK Proc(HWINEVENTHOOK, DWORD Event, HWND Wnd, LONG ObjectID, LONG ChildID, DWORD, DWORD) {
    if (current_ && ObjectID == OBJID_CLIENT) current_->pending_.push_back({Event, Wnd, ChildID, L""});
  }
  void ReadPending() {
    std::vector<THeard> pending;
    pending.swap(pending_);
    for (THeard& e : pending) {
      Ask(e);
      heard_.push_back(e);
    }
  }
  static void Ask(THeard& E) {
    TAccessibleObjectFromEventProc fromEvent = AccessibleObjectFromEventProc();
    IAccessible* acc = nullptr;
    VARIANT child;
    VariantInit(&child);
    if (!fromEvent || FAILED(fromEvent(E.Wnd, static_cast<DWORD>(OBJID_CLIENT), static_cast<DWORD>(E.ChildID), &acc, &child)) ||
        !acc)
      return;
    BSTR name = nullptr;
    if (acc->get_accName(child, &name) == S_OK && name) E.Name.assign(name, SysStringLen(name));
    SysFreeString(name);
    VARIANT value;
    VariantInit(&value);
    if (acc->get_accRole(child, &value) == S_OK && value.vt == VT_I4) E.Role = value.lVal;
    VariantClear(&value);
    if (acc->get_accState(child, &value) == S_OK && value.vt == VT_I4) E.State = value.lVal;
    VariantClear(&value);
    VariantClear(&child);
    acc->Release();
  }

  static inline TScreenReader* current_ = nullptr;
  HWINEVENTHOOK hook_ = nullptr;
  std::vector<THeard> pending_;
  std::vector<THeard> heard_;
};

// The position of the first event that matches, or -1.
int Find(const std::vector<THeard>& Heard, const std::function<bool(const THeard&)>& Match, int From = 0) {
  for (int i = From; i < static_cast<int>(Heard.size()); ++i)
    if (Match(Heard[static_cast<size_t>(i)])) return i;
  return -1;
}

std::function<bool(const THeard&)> FocusOn(const String& Name) {
  return [Name](const THeard& e) { return e.Event == EVENT_OBJECT_FOCUS && e.Name == Name; };
}

std::function<bool(const THeard&)> EventIs(DWORD Event) {
  return [Event](const THeard& e) { return e.Event == Event; };
}

}  // namespace

TEST_F(Smoke, AScreenReaderHearsTheTrayMenuOpenMoveAndClose) {
  // COM for this thread: the objects of the other process reach it through the system's marshalling.
  TComApartment com;
  ASSERT_TRUE(com.Initialized());
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(StartOffline(pi));
  TScreenReader reader(pi.dwProcessId);
  ASSERT_TRUE(reader.Hooked());

  HWND menu = OpenTrayMenu(pi.dwProcessId);
  ASSERT_NE(menu, nullptr) << "no menu after right clicks on the tray icon";
  // The pointer goes onto the menu's first line, as a user points at it.
  RECT r;
  GetWindowRect(menu, &r);
  SetCursorPos(r.left + 40, r.top + 12);
  EXPECT_TRUE(reader.ListenUntil([](const auto& heard) { return Find(heard, FocusOn(L"New Note")) >= 0; }, 10000))
      << "no focus on the first line";
  PressKey(VK_DOWN);
  EXPECT_TRUE(
      reader.ListenUntil([](const auto& heard) { return Find(heard, FocusOn(L"Show All Notes")) >= 0; }, 10000))
      << "no focus on the next line";
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(reader.ListenUntil([](const auto& heard) { return Find(heard, EventIs(EVENT_SYSTEM_MENUEND)) >= 0; },
                                 10000))
      << "the menu's end was not heard";

  const std::vector<THeard>& heard = reader.Heard();
  const int popupStart = Find(heard, [menu](const THeard& e) {
    return e.Event == EVENT_SYSTEM_MENUPOPUPSTART && e.Wnd == menu;
  });
  ASSERT_GE(popupStart, 0) << "the popup's start was not heard";
  EXPECT_EQ(heard[static_cast<size_t>(popupStart)].Role, ROLE_SYSTEM_MENUPOPUP);
  EXPECT_GE(Find(heard, EventIs(EVENT_SYSTEM_MENUSTART)), 0) << "the menu's start was not heard";
  const int first = Find(heard, FocusOn(L"New Note"));
  const int next = Find(heard, FocusOn(L"Show All Notes"));
  ASSERT_GE(first, 0);
  ASSERT_GE(next, 0);
  EXPECT_LT(popupStart, first);
  EXPECT_LT(first, next);
  for (int i : {first, next}) {
    const THeard& e = heard[static_cast<size_t>(i)];
    EXPECT_EQ(e.Wnd, menu);
    EXPECT_EQ(e.Role, ROLE_SYSTEM_MENUITEM);
    EXPECT_TRUE(e.State & STATE_SYSTEM_FOCUSED) << e.State;
  }
  EXPECT_EQ(heard[static_cast<size_t>(first)].ChildID, 1);
  EXPECT_EQ(heard[static_cast<size_t>(next)].ChildID, 3) << "numbered past the separator";
  const int popupEnd = Find(heard, EventIs(EVENT_SYSTEM_MENUPOPUPEND), next);
  const int menuEnd = Find(heard, EventIs(EVENT_SYSTEM_MENUEND), next);
  EXPECT_GT(popupEnd, next) << "the popup's end was not heard after the move";
  EXPECT_GT(menuEnd, next);
  EndCleanly(pi);
}

}  // namespace smoke
