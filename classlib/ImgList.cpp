#include "classlib/ImgList.h"

#include "classlib/Graphics.h"

#include <algorithm>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Change links

TChangeLink::~TChangeLink() {
  if (Sender) Sender->UnRegisterChanges(this);
}

void TChangeLink::Change() { OnChange(Sender); }

// ---------------------------------------------------------------------------------------------
// Image list

namespace {

gdi::ImageListHandle CreateList(int width, int height) {
  gdi::ImageListHandle list(ImageList_Create(width, height, ILC_COLOR32 | ILC_MASK, 0, 4));
  if (!list) throw EOutOfResources(L"Cannot create an image list");
  return list;
}

// The mask and colour bitmaps of `count` images cut from `source`: a mask bit is set (the
// pixel is transparent) where the source has the mask colour, and such pixels are black in
// the colour bitmap, as the image list's transparent drawing requires.
struct MaskedImages {
  gdi::BitmapHandle image;
  gdi::BitmapHandle mask;
};

MaskedImages CutImages(const TBitmap& source, int width, int height, int count,
                       COLORREF maskColor) {
  TBitmap converted;
  const TBitmap* pixels = &source;
  if (source.PixelFormat() != pf32bit) {
    converted.SetSize(source.Width(), source.Height());
    BitBlt(TBitmapDC(converted).Get(), 0, 0, source.Width(), source.Height(),
           TBitmapDC(source).Get(), 0, 0, SRCCOPY);
    pixels = &converted;
  }
  const int total = width * count;
  TBitmap image;
  image.SetSize(total, height);
  const int stride = ((total + 15) / 16) * 2;  // monochrome rows are WORD-aligned
  std::vector<BYTE> maskBits(size_t(stride) * size_t(height), 0);
  const uint32_t maskPixel = RGBToPixel(maskColor & 0xFFFFFF);
  const int rows = std::min(height, pixels->Height());
  const int columns = std::min(total, pixels->Width());
  for (int y = 0; y < height; ++y) {
    uint32_t* out = image.ScanLine(y);
    const uint32_t* in = y < rows ? pixels->ScanLine(y) : nullptr;
    for (int x = 0; x < total; ++x) {
      uint32_t p = (in && x < columns) ? (in[x] & 0xFFFFFF) : maskPixel;
      bool transparent = p == maskPixel;
      out[x] = transparent ? 0 : p;
      if (transparent) maskBits[size_t(y) * stride + x / 8] |= BYTE(0x80 >> (x % 8));
    }
  }
  MaskedImages result;
  result.image.Reset(static_cast<HBITMAP>(CopyImage(image.Handle(), IMAGE_BITMAP, 0, 0,
                                                    LR_CREATEDIBSECTION)));
  result.mask.Reset(CreateBitmap(total, height, 1, 1, maskBits.data()));
  if (!result.image || !result.mask) RaiseLastOSError();
  return result;
}

// A monochrome picture of an image: 0 where the image paints a colour other than white,
// 1 elsewhere (transparent parts and white).
gdi::BitmapHandle Silhouette(HIMAGELIST list, int index, int width, int height) {
  TBitmap colour;
  colour.SetSize(width, height);  // white
  TBitmapDC colourDC(colour);
  HDC src = colourDC.Get();
  ImageList_Draw(list, index, src, 0, 0, ILD_TRANSPARENT);
  gdi::BitmapHandle mono(CreateBitmap(width, height, 1, 1, nullptr));
  gdi::MemoryDC dc = gdi::NewMemoryDC();
  gdi::SelectionGuard select(dc.Get(), mono.Get());
  COLORREF oldBk = SetBkColor(src, RGB(255, 255, 255));
  BitBlt(dc.Get(), 0, 0, width, height, src, 0, 0, SRCCOPY);
  SetBkColor(src, oldBk);
  return mono;
}

// Paints the brush colour where the monochrome source is 0 and keeps the destination where
// it is 1 ((D xor P) and S xor P).
constexpr DWORD kPaintBrushWhereBlack = 0x00B8074A;

void PaintSilhouette(HDC dest, int x, int y, int width, int height, HDC mono, COLORREF colour) {
  gdi::BrushHandle brush(CreateSolidBrush(colour));
  gdi::SelectionGuard select(dest, brush.Get());
  COLORREF oldText = SetTextColor(dest, RGB(0, 0, 0));
  COLORREF oldBk = SetBkColor(dest, RGB(255, 255, 255));
  BitBlt(dest, x, y, width, height, mono, 0, 0, kPaintBrushWhereBlack);
  SetTextColor(dest, oldText);
  SetBkColor(dest, oldBk);
}

}  // namespace

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {
  // Made here, not in the initialiser list: the size members are declared after the handle.
  handle_ = CreateList(width_, height_);
}

TCustomImageList::~TCustomImageList() {
  for (TChangeLink* link : links_) link->Sender = nullptr;
  links_.clear();
}

int TCustomImageList::Width() const { return width_; }
int TCustomImageList::Height() const { return height_; }
HIMAGELIST TCustomImageList::Handle() const { return handle_.Get(); }
int TCustomImageList::Count() const { return ImageList_GetImageCount(handle_.Get()); }

void TCustomImageList::SetSize(int width, int height) {
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (width == width_ && height == height_) return;
  handle_ = CreateList(width, height);
  width_ = width;
  height_ = height;
  Change();
}

int TCustomImageList::AddMasked(const TBitmap& bitmap, COLORREF maskColor) {
  if (bitmap.Empty()) return -1;
  int count = std::max(bitmap.Width() / width_, 1);
  MaskedImages images = CutImages(bitmap, width_, height_, count, maskColor);
  int first = ImageList_Add(handle_.Get(), images.image.Get(), images.mask.Get());
  if (first < 0) throw EInvalidOperation(L"Cannot add the images to the image list");
  Change();
  return first;
}

int TCustomImageList::AddIcon(HICON icon) {
  int index = ImageList_ReplaceIcon(handle_.Get(), -1, icon);
  if (index < 0) throw EInvalidOperation(L"Cannot add the icon to the image list");
  Change();
  return index;
}

void TCustomImageList::Clear() {
  if (Count() == 0) return;
  ImageList_Remove(handle_.Get(), -1);
  Change();
}

void TCustomImageList::Draw(TCanvas& canvas, int x, int y, int index, bool enabled) const {
  if (index < 0 || index >= Count()) return;
  TCanvasLock drawing(canvas);  // one drawing: a bitmap's canvas gives its DC back afterwards
  HDC dc = canvas.Handle();
  if (enabled) {
    ImageList_DrawEx(handle_.Get(), index, dc, x, y, 0, 0, CLR_NONE, CLR_DEFAULT, ILD_NORMAL);
    return;
  }
  // Disabled: the image's shape embossed, a highlight copy one pixel down and right under a
  // shadow copy in place.
  gdi::BitmapHandle mono = Silhouette(handle_.Get(), index, width_, height_);
  gdi::MemoryDC monoDC = gdi::NewMemoryDC(dc);
  gdi::SelectionGuard select(monoDC.Get(), mono.Get());
  PaintSilhouette(dc, x + 1, y + 1, width_, height_, monoDC.Get(), ColorToGdi(clBtnHighlight));
  PaintSilhouette(dc, x, y, width_, height_, monoDC.Get(), ColorToGdi(clBtnShadow));
}

gdi::IconHandle TCustomImageList::GetIcon(int index) const {
  if (index < 0 || index >= Count()) return {};
  return gdi::IconHandle(ImageList_GetIcon(handle_.Get(), index, ILD_NORMAL));
}

void TCustomImageList::RegisterChanges(TChangeLink* link) {
  if (!link) return;
  if (link->Sender && link->Sender != this) link->Sender->UnRegisterChanges(link);
  link->Sender = this;
  if (std::find(links_.begin(), links_.end(), link) == links_.end()) links_.push_back(link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link) {
  if (!link) return;
  auto it = std::find(links_.begin(), links_.end(), link);
  if (it == links_.end()) return;
  links_.erase(it);
  link->Sender = nullptr;
}

void TCustomImageList::Change() {
  // A handler may unregister links (its own or others'): walk a copy and skip the gone ones.
  std::vector<TChangeLink*> links = links_;
  for (TChangeLink* link : links)
    if (std::find(links_.begin(), links_.end(), link) != links_.end()) link->Change();
  OnChange(this);
}
