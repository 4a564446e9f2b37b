#include "classlib/GdiHandles.h"
#include "docking/TB2Dock.h"
#include "items/TB2Common.h"

#include <algorithm>

namespace {
[[noreturn]] void Abstract() { throw EAbstractError(L"Abstract Error"); }
}  // namespace

void TTBBasicBackground::Draw(HDC, const RECT&) { Abstract(); }
HPALETTE TTBBasicBackground::GetPalette() { Abstract(); }
void TTBBasicBackground::RegisterChanges(const TNotifyEvent&) { Abstract(); }
void TTBBasicBackground::UnregisterChanges(const TNotifyEvent&) { Abstract(); }
void TTBBasicBackground::SysColorChanged() { Abstract(); }
bool TTBBasicBackground::UsingBackground() { Abstract(); }

TTBBackground::TTBBackground(TComponent* AOwner)
    : TTBBasicBackground(AOwner), bitmap_(std::make_unique<TBitmap>()) {
  bitmap_->OnChange = TNotifyEvent(this, &TTBBackground::BitmapChanged);
}

TTBBackground::~TTBBackground() { bitmap_->OnChange.Clear(); }

void TTBBackground::SetBkColor(TColor Value) {
  if (Value == bkColor_) return;
  bkColor_ = Value;
  if (transparent_) BitmapChanged(nullptr);
}

void TTBBackground::SetTransparent(bool Value) {
  if (Value == transparent_) return;
  transparent_ = Value;
  BitmapChanged(nullptr);
}

void TTBBackground::SysColorChanged() {
  if (transparent_ && IsSystemColor(bkColor_)) BitmapChanged(nullptr);
}

bool TTBBackground::UsingBackground() { return bitmap_->Width() != 0 && bitmap_->Height() != 0; }

HPALETTE TTBBackground::GetPalette() { return bitmap_->Palette(); }

void TTBBackground::RegisterChanges(const TNotifyEvent& Proc) {
  if (std::find(changeList_.begin(), changeList_.end(), Proc) == changeList_.end()) changeList_.push_back(Proc);
}

void TTBBackground::UnregisterChanges(const TNotifyEvent& Proc) {
  auto it = std::find(changeList_.begin(), changeList_.end(), Proc);
  if (it != changeList_.end()) changeList_.erase(it);
}

void TTBBackground::BitmapChanged(TObject*) {
  cache_.reset();
  // From a snapshot: a handler may unregister itself or others (or free its dock); one that was
  // removed meanwhile is not called.
  const std::vector<TNotifyEvent> handlers = changeList_;
  for (const TNotifyEvent& handler : handlers)
    if (std::find(changeList_.begin(), changeList_.end(), handler) != changeList_.end()) handler(this);
}

void TTBBackground::BuildCache() {
  cache_ = std::make_unique<TBitmap>();
  if (!transparent_) {
    cache_->Assign(*bitmap_);
  } else {
    const int w = bitmap_->Width(), h = bitmap_->Height();
    cache_->SetSize(w, h);
    TCanvas& canvas = cache_->Canvas();
    canvas.Brush().SetColor(bkColor_);
    const RECT r{0, 0, w, h};
    // The bottom-left pixel's colour shows the background colour.
    const TColor key = static_cast<TColor>(PixelToRGB(bitmap_->ScanLine(h - 1)[0]));
    canvas.BrushCopy(r, *bitmap_, r, key);
    cache_->Changed();
  }
  bitmap_->Dormant();
  EnlargeSmallCache();
}

void TTBBackground::EnlargeSmallCache() {
  // A small picture is kept as a tile of several copies, at least kMinTile pixels each way:
  // painting a large area then takes as few copies as for a large picture. An 8 x 8 picture
  // stays as it is: it paints as a pattern brush.
  const int w = cache_->Width(), h = cache_->Height();
  if ((w == 8 && h == 8) || (w >= kMinTile && h >= kMinTile)) return;
  const int tw = w * DivRoundUp(kMinTile, w), th = h * DivRoundUp(kMinTile, h);
  auto tile = std::make_unique<TBitmap>();
  tile->SetSize(std::max(tw, w), std::max(th, h));
  {
    TBitmapDC source(*cache_);
    TBitmapDC target(*tile);
    for (int y = 0; y < tile->Height(); y += h)
      for (int x = 0; x < tile->Width(); x += w) BitBlt(target.Get(), x, y, w, h, source.Get(), 0, 0, SRCCOPY);
  }
  tile->Changed();
  cache_ = std::move(tile);
}

void TTBBackground::Draw(HDC DC, const RECT& DrawRect) {
  if (!UsingBackground()) return;
  if (!cache_) BuildCache();
  const int w = cache_->Width(), h = cache_->Height();
  gdi::SavedDCState saved(DC);
  if (w == 8 && h == 8) {
    // A pattern brush whose origin is DrawRect's top-left on the device.
    POINT origin{DrawRect.left, DrawRect.top};
    LPtoDP(DC, &origin, 1);
    gdi::BrushHandle brush(CreatePatternBrush(cache_->Handle()));
    SetBrushOrgEx(DC, ((origin.x % 8) + 8) % 8, ((origin.y % 8) + 8) % 8, nullptr);
    FillRect(DC, &DrawRect, brush.Get());
    return;
  }
  // Only the tiles that meet the area being painted: the same pixels as tiling all of DrawRect,
  // without copying a small picture millions of times behind a large form.
  RECT clip{};
  if (GetClipBox(DC, &clip) == NULLREGION) return;
  RECT area{};
  if (!IntersectRect(&area, &clip, &DrawRect)) return;
  auto firstTile = [](int from, int start, int step) { return from + (start - from) / step * step; };
  const int x0 = firstTile(DrawRect.left, area.left, w), y0 = firstTile(DrawRect.top, area.top, h);
  TBitmapDC source(*cache_);
  for (int y = y0; y < area.bottom; y += h)
    for (int x = x0; x < area.right; x += w) BitBlt(DC, x, y, w, h, source.Get(), 0, 0, SRCCOPY);
}
