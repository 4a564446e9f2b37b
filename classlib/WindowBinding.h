#pragma once
// Binding a window to the object that handles its messages. Every window of ours (controls and
// forms, the application window, utility windows, popups) is made here and bound once, as its
// WM_NCCREATE arrives, to the object named in its creation parameters; from then on the one
// window procedure of this unit hands each message to that object, inside the boundary guard,
// up to WM_NCDESTROY, after which the window is unbound. So the object also sees what the
// system sends while the window is being created (WM_NCCREATE, WM_NCCALCSIZE, WM_CREATE,
// WM_SIZE, ...).
//
// System controls (EDIT, BUTTON, rich edit, ...) are built on by superclassing: a class of ours
// copies the system class with our procedure in front and the system's procedure as the
// unbound one, so they are bound the same way. The system classes we build on do not read
// lpCreateParams, which therefore stays ours.
#include "classlib/Types.h"

// What a window of ours is bound to.
class TWindowTarget {
 public:
  // The window is bound to this object: told as its WM_NCCREATE arrives, before that message.
  virtual void WindowBound(HWND wnd) noexcept = 0;
  // Each message of the bound window, from WM_NCCREATE to WM_NCDESTROY.
  virtual void WindowMessage(TMessage& message) = 0;
  // The binding is gone: the window has handled WM_NCDESTROY (and lookups answer nullptr
  // already), or CreateBoundWindow made no window (wnd is then nullptr when it never got as
  // far as WM_NCCREATE). Told exactly once for each CreateBoundWindow.
  virtual void WindowUnbound(HWND wnd) noexcept = 0;

 protected:
  ~TWindowTarget() = default;
};

// Registers a class whose windows are bound. Messages that a window of the class gets while it
// is not bound (a top-level window's first WM_GETMINMAXINFO comes before WM_NCCREATE) go to
// `unboundProc`: DefWindowProcW, or the procedure of the system class that the class copies.
// A name registered before keeps its first registration. Answers the class's unbound
// procedure; raises EOSError when the system refuses the class.
WNDPROC RegisterBoundWindowClass(WNDCLASSEXW wc, WNDPROC unboundProc);

// CreateWindowExW for a class registered above, with the window bound to `target`. Answers
// nullptr when no window was made.
HWND CreateBoundWindow(TWindowTarget& target, DWORD exStyle, LPCWSTR className, LPCWSTR caption,
                       DWORD style, int x, int y, int width, int height, HWND parent);

// The object that a window of this process is bound to, or nullptr.
TWindowTarget* BoundWindowTarget(HWND wnd);

// Unbinds a window that could not be destroyed (DestroyWindow fails for another thread's
// window): its messages go to its class's unbound procedure from now on.
void UnbindWindow(HWND wnd);
