#include "classlib/WindowBinding.h"

#include "classlib/Classes.h"

#include <map>
#include <mutex>
#include <unordered_map>

namespace {

// What CreateBoundWindow hands its window through lpCreateParams.
struct TBindRequest {
  TWindowTarget* Target;
  bool Bound;
};

// The unbound procedures by class; windows may be made on more than one thread.
struct TBoundClasses {
  std::mutex Lock;
  std::map<ATOM, WNDPROC> UnboundProcs;

  WNDPROC UnboundProc(ATOM atom) const {
    auto it = UnboundProcs.find(atom);
    return it != UnboundProcs.end() ? it->second : DefWindowProcW;
  }
};

// Never destroyed, as the bindings below.
TBoundClasses& BoundClasses() { return ProcessWide<TBoundClasses>(); }

// noexcept: a lock that fails here ends the program rather than unwinding through the system.
WNDPROC UnboundProc(HWND wnd) noexcept {
  TBoundClasses& classes = BoundClasses();
  std::lock_guard<std::mutex> lock(classes.Lock);
  return classes.UnboundProc(static_cast<ATOM>(GetClassWord(wnd, GCW_ATOM)));
}

// The bound windows of the process and their objects. Kept here rather than with the window (a
// window property): every message looks its object up, and the system answers a property only
// through its window server, a round trip each time.
class TBindings {
 public:
  TWindowTarget* Find(HWND wnd) noexcept {
    std::lock_guard<std::mutex> lock(lock_);
    auto it = targets_.find(wnd);
    return it != targets_.end() ? it->second : nullptr;
  }
  void Bind(HWND wnd, TWindowTarget* target) noexcept {
    std::lock_guard<std::mutex> lock(lock_);
    targets_[wnd] = target;
  }
  void Unbind(HWND wnd) noexcept {
    std::lock_guard<std::mutex> lock(lock_);
    targets_.erase(wnd);
  }

 private:
  std::mutex lock_;
  std::unordered_map<HWND, TWindowTarget*> targets_;
};

// noexcept throughout: a failed lock or allocation ends the program rather than unwinding
// through the system. Never destroyed: a window may get a message (its destruction's, say) up
// to the process's very end.
TBindings& Bindings() noexcept { return ProcessWide<TBindings>(); }

TWindowTarget* BindFromCreateParams(HWND wnd, LPARAM lp) noexcept {
  auto* request = static_cast<TBindRequest*>(reinterpret_cast<const CREATESTRUCTW*>(lp)->lpCreateParams);
  // A window of a bound class made by CreateWindowExW directly stays unbound.
  if (!request) return nullptr;
  Bindings().Bind(wnd, request->Target);
  request->Bound = true;
  request->Target->WindowBound(wnd);
  return request->Target;
}

void Unbind(HWND wnd, TWindowTarget* target) noexcept {
  Bindings().Unbind(wnd);
  target->WindowUnbound(wnd);
}

// The window procedure of every bound class.
LRESULT CALLBACK BoundWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  TWindowTarget* target = Bindings().Find(wnd);
  if (!target && msg == WM_NCCREATE) target = BindFromCreateParams(wnd, lp);
  if (!target) return CallWindowProcW(UnboundProc(wnd), wnd, msg, wp, lp);
  TMessage m{msg, wp, lp, 0};
  try {
    target->WindowMessage(m);
  } catch (...) {
    HandleBoundaryException();
  }
  if (msg == WM_NCDESTROY) Unbind(wnd, target);
  return m.Result;
}

}  // namespace

WNDPROC RegisterBoundWindowClass(WNDCLASSEXW wc, WNDPROC unboundProc) {
  TBoundClasses& classes = BoundClasses();
  std::lock_guard<std::mutex> lock(classes.Lock);
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  // GetClassInfoExW answers the class's atom.
  if (ATOM atom = static_cast<ATOM>(GetClassInfoExW(wc.hInstance, wc.lpszClassName, &existing)))
    return classes.UnboundProc(atom);
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = BoundWindowProc;
  ATOM atom = RegisterClassExW(&wc);
  if (!atom) RaiseLastOSError();
  classes.UnboundProcs[atom] = unboundProc;
  return unboundProc;
}

HWND CreateBoundWindow(TWindowTarget& target, DWORD exStyle, LPCWSTR className, LPCWSTR caption,
                       DWORD style, int x, int y, int width, int height, HWND parent) {
  TBindRequest request{&target, false};
  HWND wnd = CreateWindowExW(exStyle, className, caption, style, x, y, width, height, parent, nullptr,
                             GetModuleHandleW(nullptr), &request);
  if (wnd && !request.Bound) {  // not a bound class, or no room for the binding
    DestroyWindow(wnd);
    wnd = nullptr;
  }
  // A window that failed after WM_NCCREATE got its WM_NCDESTROY, which unbound it.
  if (!request.Bound) target.WindowUnbound(nullptr);
  return wnd;
}

TWindowTarget* BoundWindowTarget(HWND wnd) {
  // Only windows of this process are bound; another's handle is never in the list.
  return wnd ? Bindings().Find(wnd) : nullptr;
}

void UnbindWindow(HWND wnd) {
  if (TWindowTarget* target = BoundWindowTarget(wnd)) Unbind(wnd, target);
}
