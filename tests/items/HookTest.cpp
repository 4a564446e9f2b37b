// The shared thread hooks, with real hooks on the test thread: counting, routing of each event
// to the procedures that want it, and procedures that change the registrations while they run.
#include "classlib/Classes.h"
#include "common/TestSupport.h"
#include "items/TB2Hook.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

using tb2hook::HookHandle;
using tb2hook::HookUseCount;
using tb2hook::RegisteredProcCount;

namespace {

// One call as a procedure saw it; the records behind the addresses are read during the call.
struct TCall {
  int Proc;
  THookProcCode Code;
  UINT Message = 0;   // hpGetMessage: the message record's message
  WPARAM Param = 0;   // hpGetMessage: its wParam; hpSendWindowPosChanged: the WINDOWPOS flags
  LPARAM Value = 0;   // hpSendActivate, hpSendActivateApp: the message's lParam
  bool operator==(const TCall&) const = default;
};

// Only the calls for this window count (the thread has other windows).
thread_local HWND Watched = nullptr;
thread_local std::vector<TCall>* Calls = nullptr;
std::function<void()> Actions[8];

template <int N>
void Proc(THookProcCode Code, HWND Wnd, WPARAM WParam, LPARAM LParam) {
  TCall call{N, Code};
  if (Code == hpGetMessage) {
    const auto* msg = reinterpret_cast<const MSG*>(LParam);
    if (msg->hwnd != Watched || WParam != PM_REMOVE) return;
    call.Message = msg->message;
    call.Param = msg->wParam;
  } else {
    if (Wnd != Watched) return;
    if (Code == hpSendWindowPosChanged) {
      const auto* pos = reinterpret_cast<const WINDOWPOS*>(LParam);
      if (pos->hwnd != Wnd) return;
      call.Param = pos->flags & (SWP_NOSIZE | SWP_NOMOVE);
    } else if (Code != hpPreDestroy) {
      call.Value = LParam;
    }
  }
  if (Calls) Calls->push_back(call);
  if (Actions[N]) Actions[N]();
}

constexpr THookProcedure kProcs[] = {Proc<0>, Proc<1>, Proc<2>, Proc<3>, Proc<4>, Proc<5>};
constexpr THookProcCodes kAllCodes{hpSendActivate, hpSendActivateApp, hpSendWindowPosChanged, hpPreDestroy,
                                   hpGetMessage};

// A plain hook installed before ours: ours are called first and must pass every message on.
thread_local int ChainedActivates = 0;
LRESULT CALLBACK ChainedHook(int Code, WPARAM WParam, LPARAM LParam) {
  if (Code == HC_ACTION && reinterpret_cast<const CWPSTRUCT*>(LParam)->message == WM_ACTIVATE &&
      reinterpret_cast<const CWPSTRUCT*>(LParam)->hwnd == Watched)
    ++ChainedActivates;
  return CallNextHookEx(nullptr, Code, WParam, LParam);
}

int g_reported = 0;
void CountingHandler(const Exception*, const char*) noexcept { ++g_reported; }

class Hooks : public ::testing::Test {
 protected:
  void SetUp() override {
    wnd = NewWindow();
    Watched = wnd;
    Calls = &calls;
    for (auto& a : Actions) a = nullptr;
  }
  void TearDown() override {
    for (auto& a : Actions) a = nullptr;
    for (THookProcedure p : kProcs)
      for (const void* u : {static_cast<const void*>(&users[0]), static_cast<const void*>(&users[1])})
        UninstallHookProc(u, p);
    if (IsWindow(wnd)) DestroyWindow(wnd);
    Calls = nullptr;
    Watched = nullptr;
    // Nothing stays behind for the next test.
    EXPECT_EQ(0, RegisteredProcCount());
    for (auto k : {tb2hook::hkCallWndProc, tb2hook::hkCBT, tb2hook::hkGetMessage}) {
      EXPECT_EQ(nullptr, HookHandle(k)) << k;
      EXPECT_EQ(0, HookUseCount(k)) << k;
    }
  }
  static HWND NewWindow() {
    return CreateWindowExW(0, L"STATIC", L"hooked", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  }
  const void* User(int i) const { return &users[i]; }
  // Each event of the table, made to happen to the watched window. The parameters need every
  // bit of a pointer-sized parameter, and the message record lies where a 32-bit address cannot
  // reach it on a 64-bit system.
  static constexpr LPARAM kWide = static_cast<LPARAM>(sizeof(LPARAM) > 4 ? 0x1234567800000042LL : 0x42);
  void SendActivate() { SendMessageW(wnd, WM_ACTIVATE, WA_INACTIVE, kWide); }
  void SendActivateApp() { SendMessageW(wnd, WM_ACTIVATEAPP, 0, kWide); }
  void MoveWindow() { SetWindowPos(wnd, nullptr, 5, 6, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE); }
  void Retrieve(WPARAM value) {
    PostMessageW(wnd, WM_APP + 3, value, 0);
    MSG* msg = static_cast<MSG*>(VirtualAlloc(nullptr, sizeof(MSG), MEM_COMMIT | MEM_RESERVE | MEM_TOP_DOWN, PAGE_READWRITE));
    ASSERT_NE(nullptr, msg);
    while (PeekMessageW(msg, wnd, WM_APP + 3, WM_APP + 3, PM_REMOVE)) {
    }
    VirtualFree(msg, 0, MEM_RELEASE);
  }
  std::vector<THookProcCode> CodesSeen(int proc) const {
    std::vector<THookProcCode> codes;
    for (const TCall& c : calls)
      if (c.Proc == proc) codes.push_back(c.Code);
    return codes;
  }

  HWND wnd = nullptr;
  std::vector<TCall> calls;
  int users[2] = {};
};

}  // namespace

TEST_F(Hooks, AUserRegisteredTwiceCountsOnceAndOneUninstallRemovesIt) {
  InstallHookProc(User(0), Proc<0>, {hpGetMessage});
  InstallHookProc(User(0), Proc<0>, {hpGetMessage});
  EXPECT_EQ(1, HookUseCount(tb2hook::hkGetMessage));
  EXPECT_NE(nullptr, HookHandle(tb2hook::hkGetMessage));
  EXPECT_EQ(nullptr, HookHandle(tb2hook::hkCallWndProc));
  EXPECT_EQ(nullptr, HookHandle(tb2hook::hkCBT));
  UninstallHookProc(User(0), Proc<0>);
  EXPECT_EQ(0, HookUseCount(tb2hook::hkGetMessage));
  EXPECT_EQ(nullptr, HookHandle(tb2hook::hkGetMessage));
  EXPECT_EQ(0, RegisteredProcCount());
}

TEST_F(Hooks, TwoUsersShareOneHookThatGoesWithTheSecond) {
  InstallHookProc(User(0), Proc<0>, {hpGetMessage});
  HHOOK hook = HookHandle(tb2hook::hkGetMessage);
  InstallHookProc(User(1), Proc<0>, {hpGetMessage});
  EXPECT_EQ(hook, HookHandle(tb2hook::hkGetMessage));
  EXPECT_EQ(2, HookUseCount(tb2hook::hkGetMessage));
  EXPECT_EQ(1, RegisteredProcCount());
  UninstallHookProc(User(0), Proc<0>);
  EXPECT_EQ(hook, HookHandle(tb2hook::hkGetMessage));
  Retrieve(1);
  EXPECT_EQ(std::vector<THookProcCode>{hpGetMessage}, CodesSeen(0));
  UninstallHookProc(User(1), Proc<0>);
  EXPECT_EQ(nullptr, HookHandle(tb2hook::hkGetMessage));
  // An unknown pair is ignored.
  UninstallHookProc(User(1), Proc<0>);
  UninstallHookProc(User(0), Proc<1>);
  EXPECT_EQ(0, RegisteredProcCount());
}

TEST_F(Hooks, EachEventReachesOnlyTheProceduresThatWantIt) {
  // One procedure per code, and one that wants them all.
  const THookProcCode codes[] = {hpSendActivate, hpSendActivateApp, hpSendWindowPosChanged, hpPreDestroy,
                                 hpGetMessage};
  for (int i = 0; i < 5; ++i) InstallHookProc(User(0), kProcs[i], {codes[i]});
  InstallHookProc(User(0), Proc<5>, kAllCodes);
  // Counted per user and procedure that needs the hook.
  EXPECT_EQ(4, HookUseCount(tb2hook::hkCallWndProc));
  EXPECT_EQ(2, HookUseCount(tb2hook::hkCBT));
  EXPECT_EQ(2, HookUseCount(tb2hook::hkGetMessage));

  struct Case {
    const char* what;
    std::function<void()> act;
    int proc;
    TCall expected;
  };
  const Case cases[] = {
      {"activate", [&] { SendActivate(); }, 0, {0, hpSendActivate, 0, 0, kWide}},
      {"activate app", [&] { SendActivateApp(); }, 1, {1, hpSendActivateApp, 0, 0, kWide}},
      // The position record is read through the pointer-sized parameter, intact.
      {"position", [&] { MoveWindow(); }, 2, {2, hpSendWindowPosChanged, 0, SWP_NOSIZE}},
      // The message record too: a wParam that needs every bit of a pointer-sized parameter.
      {"retrieve", [&] { Retrieve(static_cast<WPARAM>(~static_cast<WPARAM>(0) - 6)); }, 4,
       {4, hpGetMessage, WM_APP + 3, ~static_cast<WPARAM>(0) - 6}},
      {"destroy", [&] { DestroyWindow(wnd); }, 3, {3, hpPreDestroy}},
  };
  for (const Case& c : cases) {
    calls.clear();
    c.act();
    TCall all = c.expected;
    all.Proc = 5;
    EXPECT_EQ((std::vector<TCall>{c.expected, all}), calls) << c.what;
  }
}

TEST_F(Hooks, ActivationWithOnlyPositionProceduresCallsNoneAndGoesDownTheChain) {
  HHOOK chained = SetWindowsHookExW(WH_CALLWNDPROC, ChainedHook, nullptr, GetCurrentThreadId());
  ASSERT_NE(nullptr, chained);
  InstallHookProc(User(0), Proc<0>, {hpSendWindowPosChanged});
  ChainedActivates = 0;
  SendActivate();
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(1, ChainedActivates);
  UninstallHookProc(User(0), Proc<0>);
  UnhookWindowsHookEx(chained);
}

TEST_F(Hooks, AProcedureKeepsTheCodesOfItsFirstRegistration) {
  InstallHookProc(User(0), Proc<0>, {hpGetMessage});
  InstallHookProc(User(1), Proc<0>, {hpPreDestroy});
  // The destruction hook is installed and counted for the second user...
  EXPECT_NE(nullptr, HookHandle(tb2hook::hkCBT));
  EXPECT_EQ(1, HookUseCount(tb2hook::hkCBT));
  // ...but the procedure still hears only what it first asked for.
  Retrieve(1);
  DestroyWindow(wnd);
  EXPECT_EQ(std::vector<THookProcCode>{hpGetMessage}, CodesSeen(0));
  UninstallHookProc(User(1), Proc<0>);
  EXPECT_EQ(nullptr, HookHandle(tb2hook::hkCBT));
  EXPECT_NE(nullptr, HookHandle(tb2hook::hkGetMessage));
}

TEST_F(Hooks, ProceduresThatChangeTheRegistrationsWhileCalledLeaveTheOthersRunningOnce) {
  struct Case {
    const char* what;
    std::function<void()> action;  // what procedure 1 does when called
    std::vector<int> ran;          // the procedures called by one activation
    int left;                      // procedures registered afterwards
    int reported;                  // exceptions handed to the application's handler
  };
  const Case cases[] = {
      {"removes itself", [&] { UninstallHookProc(User(0), Proc<1>); }, {0, 1, 2, 3}, 3, 0},
      {"removes an earlier entry", [&] { UninstallHookProc(User(0), Proc<0>); }, {0, 1, 2, 3}, 3, 0},
      {"removes a later entry", [&] { UninstallHookProc(User(0), Proc<2>); }, {0, 1, 3}, 3, 0},
      {"removes the last entry", [&] { UninstallHookProc(User(0), Proc<3>); }, {0, 1, 2}, 3, 0},
      // The list is freed under the walk (freed memory is poisoned in this program).
      {"removes every entry",
       [&] {
         for (THookProcedure p : kProcs) UninstallHookProc(User(0), p);
       },
       {0, 1},
       0,
       0},
      {"registers another", [&] { InstallHookProc(User(0), Proc<4>, {hpSendActivate}); }, {0, 1, 2, 3}, 5, 0},
      {"throws", [] { throw Exception(L"hook failed"); }, {0, 1, 2, 3}, 4, 1},
  };
  HHOOK chained = SetWindowsHookExW(WH_CALLWNDPROC, ChainedHook, nullptr, GetCurrentThreadId());
  ASSERT_NE(nullptr, chained);
  const TBoundaryHandler saved = SetBoundaryHandler(CountingHandler);
  for (const Case& c : cases) {
    for (int i = 0; i < 4; ++i) InstallHookProc(User(0), kProcs[i], {hpSendActivate});
    calls.clear();
    g_reported = 0;
    ChainedActivates = 0;
    Actions[1] = c.action;
    SendActivate();
    Actions[1] = nullptr;
    std::vector<int> ran;
    for (const TCall& call : calls) ran.push_back(call.Proc);
    EXPECT_EQ(c.ran, ran) << c.what;
    EXPECT_EQ(c.left, RegisteredProcCount()) << c.what;
    EXPECT_EQ(c.reported, g_reported) << c.what;
    EXPECT_EQ(1, ChainedActivates) << c.what << ": the message went down the chain";
    // What was registered during the walk runs from the next event on.
    if (c.left == 5) {
      calls.clear();
      SendActivate();
      EXPECT_EQ(5u, calls.size()) << c.what;
    }
    for (THookProcedure p : kProcs) UninstallHookProc(User(0), p);
    EXPECT_EQ(nullptr, HookHandle(tb2hook::hkCallWndProc)) << c.what;
  }
  SetBoundaryHandler(saved);
  UnhookWindowsHookEx(chained);
}

TEST_F(Hooks, ASecondThreadHasItsOwnHooks) {
  InstallHookProc(User(0), Proc<0>, {hpGetMessage});
  const HHOOK mine = HookHandle(tb2hook::hkGetMessage);
  struct TOther {
    HHOOK handleBefore = nullptr, handleDuring = nullptr;
    int countDuring = 0;
    std::vector<TCall> calls;
  } other;
  std::thread worker([&] {
    other.handleBefore = HookHandle(tb2hook::hkGetMessage);
    HWND own = NewWindow();
    Watched = own;
    Calls = &other.calls;
    InstallHookProc(User(1), Proc<1>, {hpGetMessage});
    other.handleDuring = HookHandle(tb2hook::hkGetMessage);
    other.countDuring = HookUseCount(tb2hook::hkGetMessage);
    PostMessageW(own, WM_APP + 3, 9, 0);
    MSG msg;
    while (PeekMessageW(&msg, own, 0, 0, PM_REMOVE)) {
    }
    UninstallHookProc(User(1), Proc<1>);
    DestroyWindow(own);
    Calls = nullptr;
  });
  worker.join();
  EXPECT_EQ(nullptr, other.handleBefore);
  EXPECT_NE(nullptr, other.handleDuring);
  EXPECT_NE(mine, other.handleDuring);
  EXPECT_EQ(1, other.countDuring);
  // The other thread's procedure heard its own message, and only its own procedure heard it.
  EXPECT_EQ((std::vector<TCall>{{1, hpGetMessage, WM_APP + 3, 9}}), other.calls);
  EXPECT_EQ(mine, HookHandle(tb2hook::hkGetMessage));
  EXPECT_EQ(1, HookUseCount(tb2hook::hkGetMessage));
  Retrieve(4);
  EXPECT_EQ((std::vector<TCall>{{0, hpGetMessage, WM_APP + 3, 4}}), calls);
}

TEST_F(Hooks, FinalisationRemovesTheThreadsHooksWhateverTheirCounts) {
  InstallHookProc(User(0), Proc<0>, {hpGetMessage, hpPreDestroy});
  ASSERT_NE(nullptr, HookHandle(tb2hook::hkCBT));
  FinalizeTB2Hook();
  EXPECT_EQ(nullptr, HookHandle(tb2hook::hkCBT));
  EXPECT_EQ(nullptr, HookHandle(tb2hook::hkGetMessage));
  Retrieve(1);
  EXPECT_TRUE(calls.empty());
  // Registering again installs them again.
  InstallHookProc(User(0), Proc<0>, {hpGetMessage});
  EXPECT_NE(nullptr, HookHandle(tb2hook::hkGetMessage));
  Retrieve(2);
  EXPECT_EQ(1u, calls.size());
  UninstallHookProc(User(0), Proc<0>);
  // The counts went on as they were: the user's node is gone with its counts.
  EXPECT_EQ(0, HookUseCount(tb2hook::hkGetMessage));
}
