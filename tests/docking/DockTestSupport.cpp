#include "DockTestSupport.h"

#include "classlib/FileUtils.h"

#include <cstdlib>
#include <map>

namespace dock_tests {

namespace {
std::map<UINT_PTR, TInputScript*>& Scripts() {
  static std::map<UINT_PTR, TInputScript*> scripts;
  return scripts;
}
constexpr DWORD kWatchdogMs = 6000;
}  // namespace

void MoveMouse(POINT P) {
  // Absolute coordinates on the primary screen, 0..65535.
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = static_cast<LONG>((P.x * 65536 + GetSystemMetrics(SM_CXSCREEN) - 1) / GetSystemMetrics(SM_CXSCREEN));
  in.mi.dy = static_cast<LONG>((P.y * 65536 + GetSystemMetrics(SM_CYSCREEN) - 1) / GetSystemMetrics(SM_CYSCREEN));
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof(INPUT));
}

void MouseButton(bool Down) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = Down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  SendInput(1, &in, sizeof(INPUT));
}

void Key(WORD VirtualKey, bool Down) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = VirtualKey;
  in.ki.dwFlags = Down ? 0 : KEYEVENTF_KEYUP;
  SendInput(1, &in, sizeof(INPUT));
}

void AwaitSinglePress(POINT P) {
  static POINT last{-1000, -1000};
  static DWORD lastTime = 0;
  const bool close = std::abs(P.x - last.x) <= GetSystemMetrics(SM_CXDOUBLECLK) &&
                    std::abs(P.y - last.y) <= GetSystemMetrics(SM_CYDOUBLECLK);
  const DWORD elapsed = GetTickCount() - lastTime;
  // The system's own double-click rule: nothing to post or replace makes it forget a press.
  if (close && elapsed <= GetDoubleClickTime()) Sleep(GetDoubleClickTime() - elapsed + 50);
  last = P;
  lastTime = GetTickCount();
}

TInputScript::TInputScript() = default;

TInputScript::~TInputScript() {
  if (timer_) {
    KillTimer(nullptr, timer_);
    Scripts().erase(timer_);
  }
}

void TInputScript::Add(std::function<void()> Step, std::function<bool()> Until) {
  steps_.push_back({std::move(Step), std::move(Until)});
}

void TInputScript::AddMove(POINT P) {
  Add([P] { MoveMouse(P); },
      [P] {
        POINT c;
        GetCursorPos(&c);
        return c.x == P.x && c.y == P.y;
      });
}

void TInputScript::Start() {
  started_ = GetTickCount();
  timer_ = SetTimer(nullptr, 0, 20, &TInputScript::Tick);
  Scripts()[timer_] = this;
}

void CALLBACK TInputScript::Tick(HWND, UINT, UINT_PTR Id, DWORD) {
  auto it = Scripts().find(Id);
  if (it != Scripts().end()) it->second->Step();
}

void TInputScript::Step() {
  if (GetTickCount() - started_ > kWatchdogMs) {
    timedOut_ = true;
    next_ = steps_.size();
    waiting_ = false;
    ReleaseCapture();
  }
  if (waiting_) {
    const TStep& current = steps_[next_ - 1];
    if (current.Until && !current.Until()) return;
    waiting_ = false;
  }
  if (next_ >= steps_.size()) {
    KillTimer(nullptr, timer_);
    Scripts().erase(timer_);
    timer_ = 0;
    return;
  }
  TStep& step = steps_[next_++];
  waiting_ = true;
  step.Run();
}

bool RunScript(TInputScript& Script, DWORD TimeoutMs) {
  Script.Start();
  const bool done = testing_support::PumpUntil([&] { return Script.Done() && GetCapture() == nullptr; }, TimeoutMs);
  return done && !Script.TimedOut();
}

// ---------------------------------------------------------------------------------------------

void DockHost::SetUp() {
  folder_ = testing_support::MakeTempFolder(L"dock");
  TDockDemoForm::TOptions options;
  options.IniFile = TempFile(L"positions.ini");
  form = new TDockDemoForm(Application, options);
  form->Show();
  Activate();
}

void DockHost::TearDown() {
  if (form) form->Free();
  form = nullptr;
  testing_support::PumpMessages();
  testing_support::RemoveFolderTree(folder_);
}

void DockHost::Activate() {
  SetCursorPos(5, GetSystemMetrics(SM_CYSCREEN) - 5);
  SetForegroundWindow(form->Handle());
  testing_support::PumpUntil([&] { return GetForegroundWindow() == form->Handle(); }, 2000);
  testing_support::PumpMessages();
}

// ---------------------------------------------------------------------------------------------

std::string Narrow(const String& S) {
  std::string out;
  for (wchar_t c : S) out += static_cast<char>(c);
  return out;
}

std::string TEventLog::Describe(bool Floating, TTBDock* To) {
  if (Floating) return "floating";
  return To ? Narrow(To->Name()) : "form";
}

void TEventLog::Bind(TTBCustomDockableWindow* W) {
  W->OnDockChanging = TTBDockChangingEvent(this, &TEventLog::DockChanging);
  W->OnDockChangingHidden = TTBDockChangingEvent(this, &TEventLog::DockChangingHidden);
  W->OnRecreating = TNotifyEvent(this, &TEventLog::Recreating);
  W->OnRecreated = TNotifyEvent(this, &TEventLog::Recreated);
  W->OnDockChanged = TNotifyEvent(this, &TEventLog::DockChanged);
  W->OnClose = TNotifyEvent(this, &TEventLog::Closed);
}

}  // namespace dock_tests
