#pragma once
// Window hooks shared by the objects of one thread: an object registers a plain procedure with
// the events it wants, and the thread's activation, destruction and message-retrieval hooks are
// installed only while some registered object needs them. Everything is per thread: each thread
// has its own hooks and its own registrations, and a procedure is called only on the thread
// that registered it.
#include "classlib/Types.h"

#include <cstdint>
#include <initializer_list>

enum THookProcCode : uint8_t {
  hpSendActivate,          // WM_ACTIVATE sent to a window procedure of the thread
  hpSendActivateApp,       // WM_ACTIVATEAPP sent
  hpSendWindowPosChanged,  // WM_WINDOWPOSCHANGED sent (LParam: the WINDOWPOS)
  hpPreDestroy,            // a window of the thread is about to be destroyed
  hpGetMessage,            // a message retrieved from the queue (LParam: the MSG)
};

// A set of codes.
class THookProcCodes {
 public:
  constexpr THookProcCodes() = default;
  constexpr THookProcCodes(std::initializer_list<THookProcCode> Codes) {
    for (THookProcCode c : Codes) bits_ |= Bit(c);
  }
  constexpr bool Contains(THookProcCode Code) const { return (bits_ & Bit(Code)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }

 private:
  static constexpr uint8_t Bit(THookProcCode Code) { return static_cast<uint8_t>(1u << Code); }
  uint8_t bits_ = 0;
};

// What a procedure receives: the receiving or dying window (0 for hpGetMessage), and the
// message's parameters (for hpGetMessage the hook's: whether the message is being removed and
// the address of the message record; 0 and 0 for hpPreDestroy). The parameters are pointer
// sized: they carry addresses.
using THookProcedure = void (*)(THookProcCode Code, HWND Wnd, WPARAM WParam, LPARAM LParam);

// Registers User (an identity only) with Proc and installs the hooks its codes need. A procedure
// keeps the codes of its first registration; a user registered again with the same procedure
// counts once.
void InstallHookProc(const void* User, THookProcedure Proc, THookProcCodes Codes);
// Unregisters the pair and removes the hooks no one needs any more; an unknown pair is ignored.
void UninstallHookProc(const void* User, THookProcedure Proc);

// The unit's finalisation: removes the calling thread's hooks whatever their counts.
void FinalizeTB2Hook();

namespace tb2hook {
// The three hook kinds: WH_CALLWNDPROC, WH_CBT and WH_GETMESSAGE.
enum THookKind { hkCallWndProc, hkCBT, hkGetMessage, hkCount };
// What tests look at, for the calling thread.
HHOOK HookHandle(THookKind Kind);
int HookUseCount(THookKind Kind);
int RegisteredProcCount();
}  // namespace tb2hook
