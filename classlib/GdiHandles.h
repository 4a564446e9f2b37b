#pragma once
// Owning wrappers for GDI and user handles. Each deletes its handle once: copying is deleted,
// moving hands the handle over. The wrappers count the objects they own, so that tests can
// check for leaks (Wine's GetGuiResources always answers 0).
#include <windows.h>

#include <atomic>
#include <utility>

namespace gdi {

// Objects currently owned by any wrapper of this header (fonts, brushes, pens, bitmaps,
// regions, memory DCs, icons).
long LiveObjects();

namespace detail {
extern std::atomic<long> liveObjects;

struct DeleteGdiObject {
  static void Free(HGDIOBJ h) { ::DeleteObject(h); }
};
struct DeleteMemoryDC {
  static void Free(HDC h) { ::DeleteDC(h); }
};
struct DestroyIconHandle {
  static void Free(HICON h) { ::DestroyIcon(h); }
};
}  // namespace detail

template <class H, class Deleter>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(H h) : h_(h) {
    if (h_) ++detail::liveObjects;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ~UniqueHandle() { Reset(); }

  H Get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

  // Deletes the current handle and owns h (which may be null).
  void Reset(H h = nullptr) {
    if (h == h_) return;
    if (h_) {
      Deleter::Free(h_);
      --detail::liveObjects;
    }
    h_ = h;
    if (h_) ++detail::liveObjects;
  }
  // Gives up ownership without deleting.
  H Release() {
    if (h_) --detail::liveObjects;
    return std::exchange(h_, nullptr);
  }

 private:
  H h_ = nullptr;
};

using FontHandle = UniqueHandle<HFONT, detail::DeleteGdiObject>;
using BrushHandle = UniqueHandle<HBRUSH, detail::DeleteGdiObject>;
using PenHandle = UniqueHandle<HPEN, detail::DeleteGdiObject>;
using BitmapHandle = UniqueHandle<HBITMAP, detail::DeleteGdiObject>;
using RegionHandle = UniqueHandle<HRGN, detail::DeleteGdiObject>;
using MemoryDC = UniqueHandle<HDC, detail::DeleteMemoryDC>;
using IconHandle = UniqueHandle<HICON, detail::DestroyIconHandle>;

// A DC from GetDC / GetWindowDC, given back with ReleaseDC. Null window = the screen.
class WindowDC {
 public:
  explicit WindowDC(HWND wnd = nullptr, bool wholeWindow = false)
      : wnd_(wnd), dc_(wholeWindow ? ::GetWindowDC(wnd) : ::GetDC(wnd)) {}
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  WindowDC(WindowDC&& other) noexcept
      : wnd_(other.wnd_), dc_(std::exchange(other.dc_, nullptr)) {}
  WindowDC& operator=(WindowDC&& other) noexcept {
    if (this != &other) {
      ReleaseNow();
      wnd_ = other.wnd_;
      dc_ = std::exchange(other.dc_, nullptr);
    }
    return *this;
  }
  ~WindowDC() { ReleaseNow(); }
  HDC Get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  void ReleaseNow() {
    if (dc_) ::ReleaseDC(wnd_, dc_);
    dc_ = nullptr;
  }
  HWND wnd_;
  HDC dc_;
};

// Selects an object into a DC for a scope and selects the previous one back.
class SelectionGuard {
 public:
  SelectionGuard(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  SelectionGuard(const SelectionGuard&) = delete;
  SelectionGuard& operator=(const SelectionGuard&) = delete;
  ~SelectionGuard() {
    if (previous_ && previous_ != HGDI_ERROR) ::SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// SaveDC / RestoreDC for a scope.
class SavedDCState {
 public:
  explicit SavedDCState(HDC dc) : dc_(dc), saved_(::SaveDC(dc)) {}
  SavedDCState(const SavedDCState&) = delete;
  SavedDCState& operator=(const SavedDCState&) = delete;
  ~SavedDCState() {
    if (saved_) ::RestoreDC(dc_, saved_);
  }

 private:
  HDC dc_;
  int saved_;
};

}  // namespace gdi
