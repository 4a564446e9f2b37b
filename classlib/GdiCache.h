#pragma once
// Fonts, brushes and pens shared by their description: everyone who asks for the same LOGFONT,
// the same brush or the same pen holds a reference to one GDI object, made on the first request
// and deleted with the last reference. Dozens of windows then cost one object per distinct
// look instead of one per control. The objects are never changed after they are made, so a
// handle read on another thread stays valid as long as its reference is held.
#include "classlib/GdiHandles.h"

#include <cstddef>
#include <utility>

namespace gdi {

namespace detail {
struct SharedEntry;
void ReleaseShared(SharedEntry* entry);
}  // namespace detail

// One reference to a shared object. Move-only, like every owning wrapper: a second reference
// is asked for by description.
template <class H>
class SharedHandle {
 public:
  SharedHandle() = default;
  // Made by the Share functions below with a reference they have counted.
  SharedHandle(detail::SharedEntry* entry, H handle) : entry_(entry), h_(handle) {}
  SharedHandle(const SharedHandle&) = delete;
  SharedHandle& operator=(const SharedHandle&) = delete;
  SharedHandle(SharedHandle&& other) noexcept
      : entry_(std::exchange(other.entry_, nullptr)), h_(std::exchange(other.h_, nullptr)) {}
  SharedHandle& operator=(SharedHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      entry_ = std::exchange(other.entry_, nullptr);
      h_ = std::exchange(other.h_, nullptr);
    }
    return *this;
  }
  ~SharedHandle() { Reset(); }

  H Get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

  // Lets go of the reference; the object goes with its last one.
  void Reset() {
    h_ = nullptr;
    if (entry_) detail::ReleaseShared(std::exchange(entry_, nullptr));
  }

 private:
  detail::SharedEntry* entry_ = nullptr;
  H h_ = nullptr;
};

using SharedFont = SharedHandle<HFONT>;
using SharedBrush = SharedHandle<HBRUSH>;
using SharedPen = SharedHandle<HPEN>;

// The shared object of a description, made on first request; each raises the system's error
// when the object cannot be made. Parts a description leaves unused (the face name after its
// terminator, the colour of a hollow brush or a null pen) do not tell objects apart.
SharedFont ShareFont(const LOGFONTW& font);
// Solid, hollow (BS_NULL) and hatched brushes; a pattern brush belongs to its bitmap's user.
SharedBrush ShareBrush(const LOGBRUSH& brush);
SharedPen SharePen(const LOGPEN& pen);

// Distinct objects shared at the moment.
size_t SharedObjects();

}  // namespace gdi
