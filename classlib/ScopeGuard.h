#pragma once
// Putting state back however a scope ends: TScopeGuard runs its callable when it goes out of
// scope, by a normal exit or by an exception passing, unless it was dismissed.
//
//   canvas.SetHandle(dc);
//   TScopeGuard release([&] { canvas.SetHandle(nullptr); });
//   Paint();
#include <exception>
#include <type_traits>
#include <utility>

template <class Fn>
class TScopeGuard {
 public:
  explicit TScopeGuard(Fn fn) noexcept(std::is_nothrow_move_constructible_v<Fn>)
      : fn_(std::move(fn)) {}
  // The moved-from guard runs nothing: the restore happens once, where the guard ends up.
  TScopeGuard(TScopeGuard&& other) noexcept(std::is_nothrow_move_constructible_v<Fn>)
      : fn_(std::move(other.fn_)), active_(std::exchange(other.active_, false)),
        unwinding_(other.unwinding_) {}
  TScopeGuard(const TScopeGuard&) = delete;
  TScopeGuard& operator=(const TScopeGuard&) = delete;
  TScopeGuard& operator=(TScopeGuard&&) = delete;

  // A restore that raises on a normal exit reaches the caller like any other exception; one
  // that raises while an exception leaves the scope is dropped, as that exception tells what
  // went wrong first.
  ~TScopeGuard() noexcept(false) {
    if (!active_) return;
    if (std::uncaught_exceptions() == unwinding_) {
      fn_();
      return;
    }
    try {
      fn_();
    } catch (...) {
    }
  }

  // Nothing to restore after all.
  void Dismiss() noexcept { active_ = false; }

 private:
  Fn fn_;
  bool active_ = true;
  // Exceptions already in flight where the guard was made: more at its end means unwinding.
  int unwinding_ = std::uncaught_exceptions();
};
