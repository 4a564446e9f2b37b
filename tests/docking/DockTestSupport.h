#pragma once
// What the docking tests share: the demo's form as the host, painting a window through
// WM_PRINT, real mouse and key input, and event logs.
#include "classlib/Forms.h"
#include "common/Pixels.h"
#include "common/TestSupport.h"
#include "docking/TB2Dock.h"
#include "docking/TB2ToolWindow.h"
#include "docking/demo/DockDemoHost.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace dock_tests {

using testing_support::TPixels;

// A window painted whole (frame, background, content and child windows) through WM_PRINT.
inline std::unique_ptr<TPixels> Render(HWND Wnd, UINT Flags = PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN) {
  RECT r;
  GetWindowRect(Wnd, &r);
  auto pixels = std::make_unique<TPixels>(std::max<int>(1, r.right - r.left), std::max<int>(1, r.bottom - r.top));
  SendMessageW(Wnd, WM_PRINT, reinterpret_cast<WPARAM>(pixels->DC()), Flags);
  GdiFlush();
  return pixels;
}

inline RECT WindowRect(HWND Wnd) {
  RECT r;
  GetWindowRect(Wnd, &r);
  return r;
}

inline RECT ClientRectOnScreen(HWND Wnd) {
  RECT r;
  GetClientRect(Wnd, &r);
  MapWindowPoints(Wnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// Real input, as the system's input queue takes it: the window under the cursor (or holding
// the capture) gets it.
void MoveMouse(POINT P);
void MouseButton(bool Down);
void Key(WORD VirtualKey, bool Down);
// A press where the last one was, within the double-click time, would make a double click:
// waits out what is left of that time first. Remembers this press.
void AwaitSinglePress(POINT P);

// Steps run one after another from a timer while the thread pumps messages (a drag loop's
// own pump included). A step may wait for a condition before the next one runs; a script
// that does not finish within the watchdog's time takes the capture away, so that a loop that
// never ends fails instead of hanging the tests.
class TInputScript {
 public:
  TInputScript();
  ~TInputScript();
  TInputScript(const TInputScript&) = delete;
  TInputScript& operator=(const TInputScript&) = delete;
  void Add(std::function<void()> Step, std::function<bool()> Until = nullptr);
  // Moves the cursor with real input and waits until the drag loop has seen it there.
  void AddMove(POINT P);
  void Start();
  bool Done() const { return next_ >= steps_.size() && !waiting_; }
  bool TimedOut() const { return timedOut_; }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  void Step();
  struct TStep {
    std::function<void()> Run;
    std::function<bool()> Until;
  };
  std::vector<TStep> steps_;
  size_t next_ = 0;
  bool waiting_ = false;
  bool timedOut_ = false;
  DWORD started_ = 0;
  UINT_PTR timer_ = 0;
};

// Pumps messages until the script has run and no window holds the capture.
bool RunScript(TInputScript& Script, DWORD TimeoutMs = 8000);

// The demo form, shown in front at a fixed place, with positions kept in a temporary folder.
class DockHost : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Brings the form to the front and the cursor to a neutral place.
  void Activate();
  String TempFile(const String& Name) const { return folder_ + L"\\" + Name; }
  // A form that still exists (a test may free it).
  TDockDemoForm* form = nullptr;
  String folder_;
};

// Logs the events of a dockable window under short names.
class TEventLog : public TObject {
 public:
  void Bind(TTBCustomDockableWindow* W);
  std::vector<std::string> Events;
  std::function<void(const std::string&)> Hook;

 private:
  void Add(const std::string& Name) {
    Events.push_back(Name);
    if (Hook) Hook(Name);
  }
  void DockChanging(TObject*, bool Floating, TTBDock* To) { Add(std::string("changing ") + Describe(Floating, To)); }
  void DockChangingHidden(TObject*, bool Floating, TTBDock* To) { Add(std::string("hidden ") + Describe(Floating, To)); }
  void Recreating(TObject*) { Add("recreating"); }
  void Recreated(TObject*) { Add("recreated"); }
  void DockChanged(TObject*) { Add("changed"); }
  void Closed(TObject*) { Add("close"); }
  static std::string Describe(bool Floating, TTBDock* To);
};

std::string Narrow(const String& S);

}  // namespace dock_tests
