#include "items/TB2Hook.h"

#include "classlib/Classes.h"

#include <vector>

using tb2hook::THookKind;

namespace {

using TKinds = uint8_t;  // a set of THookKind

constexpr TKinds KindBit(int Kind) { return static_cast<TKinds>(1u << Kind); }

struct THookUserNode {
  const void* User;
  TKinds Kinds;  // the kinds this node has been counted for
};

struct THookProcEntry {
  THookProcedure Proc;
  THookProcCodes Codes;  // those of the first registration
  std::vector<THookUserNode> Users;  // the newest first
};

// Per thread. Plain data only: the list exists while something is registered.
thread_local HHOOK HookHandles[tb2hook::hkCount] = {};
thread_local int HookUseCounts[tb2hook::hkCount] = {};
thread_local std::vector<THookProcEntry>* HookProcList = nullptr;

TKinds KindsOf(THookProcCodes Codes) {
  TKinds kinds = 0;
  for (THookProcCode c : {hpSendActivate, hpSendActivateApp, hpSendWindowPosChanged})
    if (Codes.Contains(c)) kinds |= KindBit(tb2hook::hkCallWndProc);
  if (Codes.Contains(hpPreDestroy)) kinds |= KindBit(tb2hook::hkCBT);
  if (Codes.Contains(hpGetMessage)) kinds |= KindBit(tb2hook::hkGetMessage);
  return kinds;
}

LRESULT CALLBACK CallWndProcHook(int Code, WPARAM WParam, LPARAM LParam);
LRESULT CALLBACK CBTHook(int Code, WPARAM WParam, LPARAM LParam);
LRESULT CALLBACK GetMessageHook(int Code, WPARAM WParam, LPARAM LParam);

struct THookKindInfo {
  int HookId;
  HOOKPROC Proc;
};
constexpr THookKindInfo kKindInfo[tb2hook::hkCount] = {
    {WH_CALLWNDPROC, CallWndProcHook},
    {WH_CBT, CBTHook},
    {WH_GETMESSAGE, GetMessageHook},
};

void InstallHooks(TKinds Needed, THookUserNode& Node) {
  for (int k = 0; k < tb2hook::hkCount; ++k)
    if ((Needed & KindBit(k)) && !(Node.Kinds & KindBit(k))) {
      ++HookUseCounts[k];
      Node.Kinds |= KindBit(k);
    }
  // A hook that could not be installed before is tried again here.
  for (int k = 0; k < tb2hook::hkCount; ++k)
    if ((Node.Kinds & KindBit(k)) && !HookHandles[k])
      HookHandles[k] = SetWindowsHookExW(kKindInfo[k].HookId, kKindInfo[k].Proc, nullptr, GetCurrentThreadId());
}

void UninstallHooks(TKinds Kinds, bool Force) {
  for (int k = 0; k < tb2hook::hkCount; ++k) {
    if (!(Kinds & KindBit(k))) continue;
    if (!Force) --HookUseCounts[k];
    if (HookHandles[k] && (Force || HookUseCounts[k] == 0)) {
      UnhookWindowsHookEx(HookHandles[k]);
      HookHandles[k] = nullptr;
    }
  }
}

THookProcEntry* FindEntry(THookProcedure Proc) {
  if (!HookProcList) return nullptr;
  for (THookProcEntry& e : *HookProcList)
    if (e.Proc == Proc) return &e;
  return nullptr;
}

// Calls every procedure that wants the code. The walk works on the procedures registered when
// it starts and looks each one up again at its turn: a procedure may unregister itself or any
// other (the list may even be freed), or register more, without the walk touching what went or
// calling what came; each one still registered runs once.
void DispatchCode(THookProcCode Code, HWND Wnd, WPARAM WParam, LPARAM LParam) {
  if (!HookProcList) return;
  std::vector<THookProcedure> procs;
  try {
    procs.reserve(HookProcList->size());
    for (const THookProcEntry& e : *HookProcList)
      if (e.Codes.Contains(Code)) procs.push_back(e.Proc);
  } catch (...) {
    HandleBoundaryException();
    return;
  }
  for (THookProcedure proc : procs) {
    const THookProcEntry* entry = FindEntry(proc);
    if (!entry || !entry->Codes.Contains(Code)) continue;
    // Nothing unwinds through the system's hook frames; one failing procedure stops no other.
    GuardBoundary([&] { proc(Code, Wnd, WParam, LParam); });
  }
}

LRESULT CALLBACK CallWndProcHook(int Code, WPARAM WParam, LPARAM LParam) {
  if (Code == HC_ACTION && HookProcList) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(LParam);
    static constexpr UINT kMessages[] = {WM_ACTIVATE, WM_ACTIVATEAPP, WM_WINDOWPOSCHANGED};
    static constexpr THookProcCode kCodes[] = {hpSendActivate, hpSendActivateApp, hpSendWindowPosChanged};
    for (int i = 0; i < 3; ++i)
      if (call->message == kMessages[i]) {
        DispatchCode(kCodes[i], call->hwnd, call->wParam, call->lParam);
        break;
      }
  }
  return CallNextHookEx(HookHandles[tb2hook::hkCallWndProc], Code, WParam, LParam);
}

LRESULT CALLBACK CBTHook(int Code, WPARAM WParam, LPARAM LParam) {
  if (Code == HCBT_DESTROYWND && HookProcList)
    DispatchCode(hpPreDestroy, reinterpret_cast<HWND>(WParam), 0, 0);
  return CallNextHookEx(HookHandles[tb2hook::hkCBT], Code, WParam, LParam);
}

LRESULT CALLBACK GetMessageHook(int Code, WPARAM WParam, LPARAM LParam) {
  if (Code == HC_ACTION && HookProcList) DispatchCode(hpGetMessage, nullptr, WParam, LParam);
  return CallNextHookEx(HookHandles[tb2hook::hkGetMessage], Code, WParam, LParam);
}

}  // namespace

void InstallHookProc(const void* User, THookProcedure Proc, THookProcCodes Codes) {
  if (!HookProcList) HookProcList = new std::vector<THookProcEntry>();
  const TKinds needed = KindsOf(Codes);
  if (THookProcEntry* entry = FindEntry(Proc)) {
    for (THookUserNode& node : entry->Users)
      if (node.User == User) {
        InstallHooks(needed, node);
        return;
      }
    entry->Users.insert(entry->Users.begin(), THookUserNode{User, 0});
    InstallHooks(needed, entry->Users.front());
    return;
  }
  // Made whole before it joins the list: a failure leaves nothing half made behind.
  THookProcEntry entry{Proc, Codes, {THookUserNode{User, 0}}};
  HookProcList->push_back(std::move(entry));
  InstallHooks(needed, HookProcList->back().Users.front());
}

void UninstallHookProc(const void* User, THookProcedure Proc) {
  if (!HookProcList) return;
  for (size_t i = 0; i < HookProcList->size(); ++i) {
    THookProcEntry& entry = (*HookProcList)[i];
    if (entry.Proc != Proc) continue;
    auto& users = entry.Users;
    for (size_t j = 0; j < users.size(); ++j) {
      if (users[j].User != User) continue;
      const TKinds kinds = users[j].Kinds;
      users.erase(users.begin() + static_cast<std::ptrdiff_t>(j));
      if (users.empty()) HookProcList->erase(HookProcList->begin() + static_cast<std::ptrdiff_t>(i));
      UninstallHooks(kinds, false);
      break;
    }
    break;
  }
  if (HookProcList->empty()) {
    delete HookProcList;
    HookProcList = nullptr;
  }
}

void FinalizeTB2Hook() { UninstallHooks(KindBit(0) | KindBit(1) | KindBit(2), true); }

namespace tb2hook {
HHOOK HookHandle(THookKind Kind) { return HookHandles[Kind]; }
int HookUseCount(THookKind Kind) { return HookUseCounts[Kind]; }
int RegisteredProcCount() { return HookProcList ? static_cast<int>(HookProcList->size()) : 0; }
}  // namespace tb2hook
