#include "classlib/GdiCache.h"

#include "classlib/SysUtils.h"

#include <algorithm>
#include <cwchar>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>

namespace gdi {
namespace detail {

struct SharedEntry {
  std::string key;
  UniqueHandle<HGDIOBJ, DeleteGdiObject> object;
  long references = 0;
};

}  // namespace detail

namespace {

using detail::SharedEntry;

// The shared objects by description. A worker thread may take or drop a reference (a canvas
// it draws on selects its font), so every change happens under the lock.
class SharedPool {
 public:
  template <class Make>
  SharedEntry* Acquire(std::string key, Make make) {
    std::lock_guard<std::mutex> hold(lock_);
    auto found = entries_.find(key);
    if (found == entries_.end()) {
      auto entry = std::make_unique<SharedEntry>();
      entry->object.Reset(make());
      if (!entry->object) RaiseLastOSError();
      entry->key = key;
      found = entries_.emplace(std::move(key), std::move(entry)).first;
    }
    ++found->second->references;
    return found->second.get();
  }

  void Release(SharedEntry* entry) {
    std::lock_guard<std::mutex> hold(lock_);
    if (--entry->references == 0) entries_.erase(entry->key);
  }

  size_t Size() {
    std::lock_guard<std::mutex> hold(lock_);
    return entries_.size();
  }

 private:
  std::mutex lock_;
  std::map<std::string, std::unique_ptr<SharedEntry>, std::less<>> entries_;
};

// Never destroyed: fonts of static objects may let go of their handles after the pool's own
// static lifetime would have ended.
SharedPool& Pool() { return ProcessWide<SharedPool>(); }

// A key is the kind's letter followed by the bytes of the normalised description (built from
// a zeroed record, so padding never differs).
template <class Description>
std::string KeyOf(char kind, const Description& d) {
  std::string key(1, kind);
  key.append(reinterpret_cast<const char*>(&d), sizeof d);
  return key;
}

template <class H, class Description, class Make>
SharedHandle<H> Share(char kind, const Description& d, Make make) {
  SharedEntry* entry = Pool().Acquire(KeyOf(kind, d), make);
  return SharedHandle<H>(entry, static_cast<H>(entry->object.Get()));
}

}  // namespace

namespace detail {
void ReleaseShared(SharedEntry* entry) { Pool().Release(entry); }
}  // namespace detail

SharedFont ShareFont(const LOGFONTW& font) {
  LOGFONTW d = font;
  size_t length = wcsnlen(font.lfFaceName, LF_FACESIZE - 1);
  std::fill(d.lfFaceName + length, d.lfFaceName + LF_FACESIZE, L'\0');
  return Share<HFONT>('F', d, [&d] { return CreateFontIndirectW(&d); });
}

SharedBrush ShareBrush(const LOGBRUSH& brush) {
  LOGBRUSH d{};
  d.lbStyle = brush.lbStyle;
  if (brush.lbStyle != BS_NULL) d.lbColor = brush.lbColor;
  if (brush.lbStyle == BS_HATCHED) d.lbHatch = brush.lbHatch;
  if (d.lbStyle != BS_SOLID && d.lbStyle != BS_NULL && d.lbStyle != BS_HATCHED)
    throw EInvalidOperation(L"Only solid, hollow and hatched brushes are shared");
  return Share<HBRUSH>('B', d, [&d] { return CreateBrushIndirect(&d); });
}

SharedPen SharePen(const LOGPEN& pen) {
  LOGPEN d{};
  d.lopnStyle = pen.lopnStyle;
  if (pen.lopnStyle != PS_NULL) {
    d.lopnWidth.x = pen.lopnWidth.x;
    d.lopnColor = pen.lopnColor;
  }
  return Share<HPEN>('P', d, [&d] { return CreatePenIndirect(&d); });
}

size_t SharedObjects() { return Pool().Size(); }

}  // namespace gdi
