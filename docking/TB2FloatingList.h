#pragma once
// The floating dockable windows of each thread, and the thread hook that shows, hides and
// re-owns their frames as the windows around them change.
#include "docking/TB2Dock.h"
#include "items/TB2Hook.h"

#include <vector>

struct TTBFloatingList {
  static void Add(TTBCustomDockableWindow* Window);
  static void Remove(TTBCustomDockableWindow* Window);
  // The calling thread's floating windows (a copy).
  static std::vector<TTBCustomDockableWindow*> Snapshot();
  static bool Contains(TTBCustomDockableWindow* Window);
};

// Registered by every dockable window for activation, position changes and destruction.
void DockableWindowHookProc(THookProcCode Code, HWND Wnd, WPARAM WParam, LPARAM LParam);
