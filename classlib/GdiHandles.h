#pragma once
// Owning wrappers for GDI and user handles: one family, UniqueHandle<H, Free>, where Free says
// how the handle is given back. Each wrapper frees its handle once: copying is deleted, moving
// hands the handle over. The wrappers count the GDI objects they own, so that tests can check
// for leaks and costs (Wine's GetGuiResources always answers 0). Fonts, brushes and pens that
// many objects use alike are shared instead (GdiCache.h); a shared one counts once.
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <utility>

namespace gdi {

// GDI objects currently owned by the wrappers of this family (fonts, brushes, pens, bitmaps,
// regions, memory DCs, icons, image lists).
long LiveObjects();

namespace detail {
extern std::atomic<long> liveObjects;

// How each kind is freed. kCounted: whether LiveObjects counts it (a window's DC is the
// system's, only lent to us).
struct DeleteGdiObject {
  static constexpr bool kCounted = true;
  void operator()(HGDIOBJ h) const { ::DeleteObject(h); }
};
struct DeleteDCHandle {
  static constexpr bool kCounted = true;
  void operator()(HDC h) const { ::DeleteDC(h); }
};
struct DestroyIconHandle {
  static constexpr bool kCounted = true;
  void operator()(HICON h) const { ::DestroyIcon(h); }
};
struct DestroyImageList {
  static constexpr bool kCounted = true;
  void operator()(HIMAGELIST h) const { ::ImageList_Destroy(h); }
};
struct ReleaseWindowDC {
  static constexpr bool kCounted = false;
  HWND wnd = nullptr;
  void operator()(HDC h) const { ::ReleaseDC(wnd, h); }
};
}  // namespace detail

template <class H, class Free>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(H h, Free free = Free()) : h_(h), free_(free) { Count(h_, +1); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept
      : h_(std::exchange(other.h_, nullptr)), free_(other.free_) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      h_ = std::exchange(other.h_, nullptr);
      free_ = other.free_;
    }
    return *this;
  }
  ~UniqueHandle() { Reset(); }

  H Get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

  // Frees the current handle and owns h (which may be null).
  void Reset(H h = nullptr) {
    if (h == h_) return;
    if (h_) {
      free_(h_);
      Count(h_, -1);
    }
    h_ = h;
    Count(h_, +1);
  }
  // Gives up ownership without freeing.
  H Release() {
    Count(h_, -1);
    return std::exchange(h_, nullptr);
  }

 private:
  static void Count(H h, long delta) {
    if constexpr (Free::kCounted) {
      if (h) detail::liveObjects += delta;
    }
  }

  H h_ = nullptr;
  [[no_unique_address]] Free free_{};
};

using FontHandle = UniqueHandle<HFONT, detail::DeleteGdiObject>;
using BrushHandle = UniqueHandle<HBRUSH, detail::DeleteGdiObject>;
using PenHandle = UniqueHandle<HPEN, detail::DeleteGdiObject>;
using BitmapHandle = UniqueHandle<HBITMAP, detail::DeleteGdiObject>;
using RegionHandle = UniqueHandle<HRGN, detail::DeleteGdiObject>;
// A DC of our own (CreateCompatibleDC, a printer's CreateDC), freed with DeleteDC.
using MemoryDC = UniqueHandle<HDC, detail::DeleteDCHandle>;
using IconHandle = UniqueHandle<HICON, detail::DestroyIconHandle>;
using ImageListHandle = UniqueHandle<HIMAGELIST, detail::DestroyImageList>;

// A DC from GetDC / GetWindowDC, given back with ReleaseDC. Null window = the screen.
class WindowDC : public UniqueHandle<HDC, detail::ReleaseWindowDC> {
 public:
  explicit WindowDC(HWND wnd = nullptr, bool wholeWindow = false)
      : UniqueHandle(wholeWindow ? ::GetWindowDC(wnd) : ::GetDC(wnd),
                     detail::ReleaseWindowDC{wnd}) {}
};

// A memory DC compatible with `dc` (null: the screen); empty when the system refuses.
inline MemoryDC NewMemoryDC(HDC dc = nullptr) { return MemoryDC(::CreateCompatibleDC(dc)); }

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
