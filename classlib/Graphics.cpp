#include "classlib/Graphics.h"

#include "classlib/Seams.h"

#include <algorithm>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Colours

TColor ColorToRGB(TColor color) {
  if (IsSystemColor(color))
    return static_cast<TColor>(seams::SystemSettings().SysColor(color & 0xFF) & 0xFFFFFF);
  return color;
}

COLORREF ColorToGdi(TColor color, COLORREF fallback) {
  if (color == clNone || color == clDefault) return fallback;
  return static_cast<COLORREF>(ColorToRGB(color)) & 0xFFFFFF;
}

// ---------------------------------------------------------------------------------------------
// Font

namespace {

int ScreenPixelsPerInch() {
  static const int ppi = [] {
    gdi::WindowDC screen;
    int value = screen ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return value > 0 ? value : 96;
  }();
  return ppi;
}

}  // namespace

TFont::TFont() : pixelsPerInch_(ScreenPixelsPerInch()) {
  height_ = -MulDiv(8, pixelsPerInch_, 72);
}

TFont::~TFont() = default;

void TFont::Changed() {
  // The old handle may still be selected into a canvas that listens: let the listeners
  // deselect it before the reference (perhaps the last) goes.
  gdi::SharedFont old = std::move(handle_);
  OnChange(this);
}

void TFont::SetName(const String& name) {
  if (!name.empty()) Set(name_, name.substr(0, LF_FACESIZE - 1));
}
int TFont::Size() const { return -MulDiv(height_, 72, pixelsPerInch_); }
void TFont::SetSize(int points) { SetHeight(-MulDiv(points, pixelsPerInch_, 72)); }
void TFont::SetHeight(int pixels) { Set(height_, pixels); }
void TFont::SetStyle(TFontStyles style) {
  Set(style_, style & (fsBold | fsItalic | fsUnderline | fsStrikeOut));
}
void TFont::SetColor(TColor color) { Set(color_, color); }
void TFont::SetCharset(TFontCharset charset) { Set(charset_, charset); }
void TFont::SetOrientation(int tenthsOfDegree) { Set(orientation_, tenthsOfDegree); }

void TFont::GetLogFont(LOGFONTW& lf) const {
  lf = LOGFONTW{};
  lf.lfHeight = height_;
  lf.lfEscapement = orientation_;
  lf.lfOrientation = orientation_;
  lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = (style_ & fsItalic) ? TRUE : FALSE;
  lf.lfUnderline = (style_ & fsUnderline) ? TRUE : FALSE;
  lf.lfStrikeOut = (style_ & fsStrikeOut) ? TRUE : FALSE;
  lf.lfCharSet = charset_;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = DEFAULT_PITCH;
  name_.copy(lf.lfFaceName, LF_FACESIZE - 1);
}

HFONT TFont::Handle() const {
  if (!handle_) {
    LOGFONTW lf;
    GetLogFont(lf);
    handle_ = gdi::ShareFont(lf);
  }
  return handle_.Get();
}

void TFont::SetLogFont(const LOGFONTW& lf) {
  TFontStyles style = 0;
  if (lf.lfWeight >= FW_BOLD) style |= fsBold;
  if (lf.lfItalic) style |= fsItalic;
  if (lf.lfUnderline) style |= fsUnderline;
  if (lf.lfStrikeOut) style |= fsStrikeOut;
  String name(lf.lfFaceName, wcsnlen(lf.lfFaceName, LF_FACESIZE));
  if (name.empty()) name = name_;
  if (name == name_ && lf.lfHeight == height_ && style == style_ &&
      lf.lfCharSet == charset_ && lf.lfEscapement == orientation_)
    return;
  name_ = name;
  height_ = lf.lfHeight;
  style_ = style;
  charset_ = lf.lfCharSet;
  orientation_ = lf.lfEscapement;
  Changed();
}

void TFont::SetHandle(HFONT font) {
  LOGFONTW lf{};
  if (!font || GetObjectW(font, sizeof lf, &lf) == 0)
    throw EInvalidOperation(L"Not a font handle");
  SetLogFont(lf);
}

void TFont::Assign(const TFont& source) {
  if (&source == this) return;
  if (name_ == source.name_ && height_ == source.height_ && style_ == source.style_ &&
      color_ == source.color_ && charset_ == source.charset_ &&
      orientation_ == source.orientation_ && pixelsPerInch_ == source.pixelsPerInch_)
    return;
  name_ = source.name_;
  height_ = source.height_;
  style_ = source.style_;
  color_ = source.color_;
  charset_ = source.charset_;
  orientation_ = source.orientation_;
  pixelsPerInch_ = source.pixelsPerInch_;
  Changed();
}

// ---------------------------------------------------------------------------------------------
// Brush

void TBrush::Changed() {
  gdi::SharedBrush old = std::move(handle_);
  gdi::BrushHandle oldPattern = std::move(pattern_);
  OnChange(this);
}

void TBrush::SetColor(TColor color) {
  // Giving a clear brush a colour makes it solid, as code that sets a colour and fills expects.
  TBrushStyle style = (style_ == bsClear && color != clNone) ? bsSolid : style_;
  if (color == color_ && style == style_) return;
  color_ = color;
  style_ = style;
  Changed();
}

HBRUSH TBrush::Handle() const {
  if (handle_) return handle_.Get();
  if (pattern_) return pattern_.Get();
  if (bitmap_ && !bitmap_->Empty()) {
    pattern_.Reset(CreatePatternBrush(bitmap_->Handle()));
    if (!pattern_) RaiseLastOSError();
    return pattern_.Get();
  }
  LOGBRUSH lb{BS_NULL, 0, 0};
  if (style_ == bsSolid && color_ != clNone) {
    lb = {BS_SOLID, ColorToGdi(color_), 0};
  } else if (style_ != bsClear && color_ != clNone) {
    static const int hatches[] = {HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL,
                                  HS_CROSS, HS_DIAGCROSS};
    lb = {BS_HATCHED, ColorToGdi(color_), static_cast<ULONG_PTR>(hatches[style_ - bsHorizontal])};
  }
  handle_ = gdi::ShareBrush(lb);
  return handle_.Get();
}

void TBrush::Assign(const TBrush& source) {
  if (&source == this) return;
  if (color_ == source.color_ && style_ == source.style_ && bitmap_ == source.bitmap_) return;
  color_ = source.color_;
  style_ = source.style_;
  bitmap_ = source.bitmap_;
  Changed();
}

// ---------------------------------------------------------------------------------------------
// Pen

void TPen::Changed() {
  gdi::SharedPen old = std::move(handle_);
  OnChange(this);
}

HPEN TPen::Handle() const {
  if (handle_) return handle_.Get();
  static const UINT styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL,
                                PS_INSIDEFRAME};
  LOGPEN lp{color_ == clNone ? PS_NULL : styles[style_], {width_, 0}, ColorToGdi(color_)};
  handle_ = gdi::SharePen(lp);
  return handle_.Get();
}

void TPen::Assign(const TPen& source) {
  if (&source == this) return;
  if (color_ == source.color_ && width_ == source.width_ && style_ == source.style_ &&
      mode_ == source.mode_)
    return;
  color_ = source.color_;
  width_ = source.width_;
  style_ = source.style_;
  mode_ = source.mode_;
  Changed();
}

// ---------------------------------------------------------------------------------------------
// Canvas

TCanvas::TCanvas() {
  InitializeCriticalSection(&lock_);
  font_.OnChange = TNotifyEvent(this, &TCanvas::FontChanged);
  brush_.OnChange = TNotifyEvent(this, &TCanvas::BrushChanged);
  pen_.OnChange = TNotifyEvent(this, &TCanvas::PenChanged);
}

TCanvas::~TCanvas() {
  DeselectObjects();
  dc_ = nullptr;
  DeleteCriticalSection(&lock_);
}

HDC TCanvas::Handle() {
  if (!dc_) CreateHandle();
  if (!dc_) throw EInvalidOperation(L"Canvas does not allow drawing");
  Require(kFont | kBrush | kPen);
  return dc_;
}

void TCanvas::SetHandle(HDC dc) {
  if (dc == dc_) return;
  InstallHandle(dc);
}

void TCanvas::InstallHandle(HDC dc) {
  DeselectObjects();
  dc_ = dc;
}

void TCanvas::Require(unsigned what) {
  if (!dc_) CreateHandle();
  if (!dc_) throw EInvalidOperation(L"Canvas does not allow drawing");
  unsigned missing = what & ~selected_;
  if (missing & kFont) {
    oldFont_ = SelectObject(dc_, font_.Handle());
    SetTextColor(dc_, ColorToGdi(font_.Color(), ColorToGdi(clWindowText)));
  }
  if (missing & kBrush) {
    HBRUSH brush = brush_.Handle();
    UnrealizeObject(brush);
    oldBrush_ = SelectObject(dc_, brush);
    bool opaque = brush_.Style() == bsSolid && brush_.Color() != clNone && !brush_.Bitmap();
    SetBkColor(dc_, ColorToGdi(brush_.Color(), 0xFFFFFF));
    SetBkMode(dc_, opaque ? OPAQUE : TRANSPARENT);
  }
  if (missing & kPen) {
    oldPen_ = SelectObject(dc_, pen_.Handle());
    static const int rops[] = {R2_BLACK, R2_WHITE, R2_NOP, R2_NOT, R2_COPYPEN, R2_NOTCOPYPEN,
                               R2_MERGEPENNOT, R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN,
                               R2_MERGEPEN, R2_NOTMERGEPEN, R2_MASKPEN, R2_NOTMASKPEN,
                               R2_XORPEN, R2_NOTXORPEN};
    SetROP2(dc_, rops[pen_.Mode()]);
  }
  selected_ |= missing;
}

void TCanvas::Deselect(unsigned what) {
  unsigned present = what & selected_;
  if (!dc_ || !present) return;
  if (present & kFont) SelectObject(dc_, oldFont_);
  if (present & kBrush) SelectObject(dc_, oldBrush_);
  if (present & kPen) SelectObject(dc_, oldPen_);
  selected_ &= ~present;
}

void TCanvas::DeselectObjects() { Deselect(kFont | kBrush | kPen); }
void TCanvas::FontChanged(TObject*) { Deselect(kFont); }
void TCanvas::BrushChanged(TObject*) { Deselect(kBrush); }
void TCanvas::PenChanged(TObject*) { Deselect(kPen); }

POINT TCanvas::PenPos() {
  Require(0);
  POINT p{};
  GetCurrentPositionEx(dc_, &p);
  return p;
}

void TCanvas::MoveTo(int x, int y) {
  Require(0);
  MoveToEx(dc_, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  Require(kPen | kBrush);
  ::LineTo(dc_, x, y);
}

void TCanvas::Polyline(std::span<const POINT> points) {
  Require(kPen | kBrush);
  ::Polyline(dc_, points.data(), static_cast<int>(points.size()));
}

void TCanvas::Polygon(std::span<const POINT> points) {
  Require(kPen | kBrush);
  ::Polygon(dc_, points.data(), static_cast<int>(points.size()));
}

void TCanvas::FillRect(const RECT& r) {
  Require(kBrush);
  ::FillRect(dc_, &r, brush_.Handle());
}

void TCanvas::FrameRect(const RECT& r) {
  Require(kBrush);
  ::FrameRect(dc_, &r, brush_.Handle());
}

void TCanvas::DrawFocusRect(const RECT& r) { ::DrawFocusRect(Handle(), &r); }

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
  Require(kPen | kBrush);
  ::Rectangle(dc_, left, top, right, bottom);
}

void TCanvas::RoundRect(int left, int top, int right, int bottom, int cornerWidth,
                        int cornerHeight) {
  Require(kPen | kBrush);
  ::RoundRect(dc_, left, top, right, bottom, cornerWidth, cornerHeight);
}

void TCanvas::Ellipse(int left, int top, int right, int bottom) {
  Require(kPen | kBrush);
  ::Ellipse(dc_, left, top, right, bottom);
}

void TCanvas::TextOut(int x, int y, const String& text) {
  Require(kFont | kBrush);
  ExtTextOutW(dc_, x, y, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr);
  MoveToEx(dc_, x + TextWidth(text), y, nullptr);
}

void TCanvas::TextRect(const RECT& r, int x, int y, const String& text) {
  Require(kFont | kBrush);
  UINT options = ETO_CLIPPED;
  if (brush_.Style() != bsClear && brush_.Color() != clNone) options |= ETO_OPAQUE;
  ExtTextOutW(dc_, x, y, options, &r, text.c_str(), static_cast<UINT>(text.size()), nullptr);
}

int TCanvas::DrawText(const String& text, RECT& r, UINT format) {
  Require(kFont | kBrush);
  return ::DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &r, format);
}

SIZE TCanvas::TextExtent(const String& text) {
  Require(kFont);
  SIZE size{};
  GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

TEXTMETRICW TCanvas::TextMetrics() {
  Require(kFont);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc_, &tm);
  return tm;
}

namespace {

// Copies a part of `source` to a part of the DC, leaving out the pixels of one colour: a mask
// of those pixels is made, and the XOR / AND / XOR sequence keeps the destination under them.
void CopyTransparent(HDC dest, const RECT& to, HDC src, const RECT& from, COLORREF transparent) {
  int w = from.right - from.left, h = from.bottom - from.top;
  int dw = to.right - to.left, dh = to.bottom - to.top;
  if (w <= 0 || h <= 0 || dw <= 0 || dh <= 0) return;
  gdi::MemoryDC maskDC(CreateCompatibleDC(dest));
  gdi::BitmapHandle mask(CreateBitmap(w, h, 1, 1, nullptr));
  gdi::SelectionGuard selectMask(maskDC.Get(), mask.Get());
  COLORREF oldBk = SetBkColor(src, transparent);
  BitBlt(maskDC.Get(), 0, 0, w, h, src, from.left, from.top, SRCCOPY);  // transparent -> 1
  SetBkColor(src, oldBk);
  COLORREF oldText = SetTextColor(dest, RGB(0, 0, 0));
  COLORREF oldDestBk = SetBkColor(dest, RGB(255, 255, 255));
  int oldMode = SetStretchBltMode(dest, COLORONCOLOR);
  StretchBlt(dest, to.left, to.top, dw, dh, src, from.left, from.top, w, h, SRCINVERT);
  StretchBlt(dest, to.left, to.top, dw, dh, maskDC.Get(), 0, 0, w, h, SRCAND);
  StretchBlt(dest, to.left, to.top, dw, dh, src, from.left, from.top, w, h, SRCINVERT);
  SetStretchBltMode(dest, oldMode);
  SetTextColor(dest, oldText);
  SetBkColor(dest, oldDestBk);
}

}  // namespace

void TCanvas::Draw(int x, int y, const TBitmap& bitmap) {
  if (bitmap.Empty()) return;
  Require(0);
  if (bitmap.Transparent() && bitmap.PixelFormat() != pf1bit) {
    // The pixels under the transparent colour must not change: draw it with a mask.
    TColor t = bitmap.TransparentColor();
    if (t != clNone) {
      RECT all{0, 0, bitmap.Width(), bitmap.Height()};
      RECT to{x, y, x + bitmap.Width(), y + bitmap.Height()};
      CopyTransparent(dc_, to, TBitmapDC(bitmap).Get(), all, ColorToGdi(t));
      return;
    }
  }
  BitBlt(dc_, x, y, bitmap.Width(), bitmap.Height(), TBitmapDC(bitmap).Get(), 0, 0, copyMode_);
}

void TCanvas::StretchDraw(const RECT& r, const TBitmap& bitmap) {
  if (bitmap.Empty()) return;
  Require(0);
  int oldMode = SetStretchBltMode(dc_, COLORONCOLOR);
  StretchBlt(dc_, r.left, r.top, r.right - r.left, r.bottom - r.top, TBitmapDC(bitmap).Get(), 0,
             0, bitmap.Width(), bitmap.Height(), copyMode_);
  SetStretchBltMode(dc_, oldMode);
}

void TCanvas::CopyRect(const RECT& dest, TCanvas& source, const RECT& sourceRect) {
  Require(kBrush);
  TCanvasLock reading(source);  // a bitmap's canvas ends its drawing afterwards
  source.Require(0);  // its font, brush and pen play no part in a copy
  HDC src = source.dc_;
  int oldMode = SetStretchBltMode(dc_, COLORONCOLOR);
  StretchBlt(dc_, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, src,
             sourceRect.left, sourceRect.top, sourceRect.right - sourceRect.left,
             sourceRect.bottom - sourceRect.top, copyMode_);
  SetStretchBltMode(dc_, oldMode);
}

void TCanvas::BrushCopy(const RECT& dest, const TBitmap& bitmap, const RECT& source,
                        TColor color) {
  if (bitmap.Empty()) return;
  FillRect(dest);
  CopyTransparent(dc_, dest, TBitmapDC(bitmap).Get(), source, ColorToGdi(color));
}

TColor TCanvas::Pixels(int x, int y) {
  Require(0);
  return static_cast<TColor>(GetPixel(dc_, x, y));
}

void TCanvas::SetPixels(int x, int y, TColor color) {
  Require(0);
  SetPixelV(dc_, x, y, ColorToGdi(color));
}

RECT TCanvas::ClipRect() {
  Require(0);
  RECT r{};
  GetClipBox(dc_, &r);
  return r;
}

void TCanvas::Lock() {
  EnterCriticalSection(&lock_);
  ++lockCount_;
}

bool TCanvas::TryLock() {
  if (!TryEnterCriticalSection(&lock_)) return false;
  ++lockCount_;
  return true;
}

void TCanvas::Unlock() {
  if (--lockCount_ == 0) EndDrawing();
  LeaveCriticalSection(&lock_);
}

// ---------------------------------------------------------------------------------------------
// Bitmap

// The canvas of a bitmap: a memory DC with the bitmap selected, made when a drawing starts and
// deleted when it ends (see TBitmap).
class TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(const TBitmap& owner) : owner_(owner) {}
  ~TBitmapCanvas() override { FreeContext(); }

  HDC Context() {
    CreateHandle();
    return memDC_.Get();
  }

  // Selects back what the DC came with and deletes it; the pen position waits for the next DC.
  void FreeContext() {
    if (!memDC_) return;
    GetCurrentPositionEx(memDC_.Get(), &penPos_);
    InstallHandle(nullptr);
    if (oldBitmap_) SelectObject(memDC_.Get(), oldBitmap_);
    oldBitmap_ = nullptr;
    memDC_.Reset();
  }

 protected:
  void CreateHandle() override {
    if (memDC_) return;
    gdi::MemoryDC dc = gdi::NewMemoryDC();
    if (!dc) RaiseLastOSError();
    oldBitmap_ = owner_.Handle() ? SelectObject(dc.Get(), owner_.Handle()) : nullptr;
    MoveToEx(dc.Get(), penPos_.x, penPos_.y, nullptr);
    memDC_ = std::move(dc);
    InstallHandle(memDC_.Get());
  }

  void EndDrawing() override { FreeContext(); }

 private:
  const TBitmap& owner_;
  gdi::MemoryDC memDC_;
  HGDIOBJ oldBitmap_ = nullptr;
  POINT penPos_{0, 0};
};

TBitmapDC::TBitmapDC(const TBitmap& bitmap) : canvas_(bitmap.CanvasObject()) {
  canvas_.Lock();
  try {
    dc_ = canvas_.Context();
  } catch (...) {
    canvas_.Unlock();
    throw;
  }
}

TBitmapDC::~TBitmapDC() { canvas_.Unlock(); }

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() { canvas_.reset(); }

TBitmapCanvas& TBitmap::CanvasObject() const {
  if (!canvas_) canvas_ = std::make_unique<TBitmapCanvas>(*this);
  return *canvas_;
}

TCanvas& TBitmap::Canvas() { return CanvasObject(); }

HDC TBitmap::CanvasDC() const { return CanvasObject().Context(); }

// Taking and dropping the lock ends the drawing, unless someone holds the lock.
void TBitmap::EndDrawing() const {
  if (canvas_ && canvas_->HandleAllocated() && canvas_->TryLock()) canvas_->Unlock();
}

void TBitmap::Changed() {
  EndDrawing();
  OnChange(this);
}

void TBitmap::Dormant() { EndDrawing(); }

namespace {

gdi::BitmapHandle MakeBitmap(int width, int height, TPixelFormat format, uint32_t** bits) {
  *bits = nullptr;
  HBITMAP made = nullptr;
  if (format == pf32bit) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down: row 0 is the top row
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* memory = nullptr;
    made = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &memory, nullptr, 0);
    *bits = static_cast<uint32_t*>(memory);
  } else if (format == pf1bit) {
    made = CreateBitmap(width, height, 1, 1, nullptr);
  } else {
    gdi::WindowDC screen;
    made = CreateCompatibleBitmap(screen.Get(), width, height);
  }
  if (!made) RaiseLastOSError();
  return gdi::BitmapHandle(made);
}

}  // namespace

void TBitmap::Recreate(int width, int height, TPixelFormat format, bool keepPixels) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  gdi::BitmapHandle made;
  uint32_t* bits = nullptr;
  if (width > 0 && height > 0) {
    made = MakeBitmap(width, height, format, &bits);
    gdi::MemoryDC dc = gdi::NewMemoryDC();
    if (!dc) RaiseLastOSError();
    gdi::SelectionGuard select(dc.Get(), made.Get());
    PatBlt(dc.Get(), 0, 0, width, height, WHITENESS);
    if (keepPixels && bitmap_)
      BitBlt(dc.Get(), 0, 0, std::min(width, width_), std::min(height, height_),
             TBitmapDC(*this).Get(), 0, 0, SRCCOPY);
  }
  if (canvas_) canvas_->FreeContext();
  bitmap_ = std::move(made);
  bits_ = bits;
  width_ = width;
  height_ = height;
  format_ = format;
  if (bits_) {
    // GDI leaves the top byte alone or sets it; pixel words keep it 0.
    GdiFlush();
    for (size_t i = 0, n = size_t(width) * size_t(height); i < n; ++i) bits_[i] &= 0x00FFFFFF;
  }
}

void TBitmap::SetSize(int width, int height) {
  if (width == width_ && height == height_) return;
  Recreate(width, height, format_, true);
  Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
  if (format == format_) return;
  Recreate(width_, height_, format, true);
  Changed();
}

void TBitmap::CheckRow(int y) const {
  if (format_ != pf32bit || !bits_) throw EInvalidOperation(L"Scan lines need a 32-bit bitmap");
  if (y < 0 || y >= height_) throw EInvalidOperation(L"Scan line index out of range");
}

uint32_t* TBitmap::ScanLine(int y) {
  CheckRow(y);
  EndDrawing();
  GdiFlush();
  return bits_ + size_t(y) * size_t(width_);
}

const uint32_t* TBitmap::ScanLine(int y) const {
  CheckRow(y);
  EndDrawing();
  GdiFlush();
  return bits_ + size_t(y) * size_t(width_);
}

void TBitmap::LoadFromHandle(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || GetObjectW(bitmap, sizeof info, &info) == 0)
    throw EInvalidOperation(L"Not a bitmap handle");
  Recreate(info.bmWidth, std::abs(info.bmHeight), pf32bit, false);
  if (!Empty()) {
    gdi::MemoryDC dc = gdi::NewMemoryDC();
    if (!dc) RaiseLastOSError();
    gdi::SelectionGuard select(dc.Get(), bitmap);
    TBitmapDC drawing(*this);
    HDC target = drawing.Get();
    // A monochrome source takes black and white from the target's text and background.
    COLORREF oldText = SetTextColor(target, RGB(0, 0, 0));
    COLORREF oldBk = SetBkColor(target, RGB(255, 255, 255));
    BitBlt(target, 0, 0, width_, height_, dc.Get(), 0, 0, SRCCOPY);
    SetTextColor(target, oldText);
    SetBkColor(target, oldBk);
    GdiFlush();
    for (size_t i = 0, n = size_t(width_) * size_t(height_); i < n; ++i) bits_[i] &= 0x00FFFFFF;
  }
  Changed();
}

void TBitmap::LoadFromResourceName(HINSTANCE module, const String& name) {
  gdi::BitmapHandle loaded(static_cast<HBITMAP>(
      LoadImageW(module, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!loaded) throw EInvalidOperation(L"Bitmap resource not found: " + name);
  LoadFromHandle(loaded.Get());
}

void TBitmap::LoadFromResourceID(HINSTANCE module, int id) {
  gdi::BitmapHandle loaded(static_cast<HBITMAP>(
      LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!loaded) throw EInvalidOperation(L"Bitmap resource not found: " + std::to_wstring(id));
  LoadFromHandle(loaded.Get());
}

void TBitmap::Assign(const TBitmap& source) {
  if (&source == this) return;
  Recreate(source.width_, source.height_, source.format_, false);
  if (!Empty()) {
    if (bits_ && source.bits_) {
      GdiFlush();
      std::copy_n(source.bits_, size_t(width_) * size_t(height_), bits_);
    } else {
      BitBlt(TBitmapDC(*this).Get(), 0, 0, width_, height_, TBitmapDC(source).Get(), 0, 0,
             SRCCOPY);
    }
  }
  transparent_ = source.transparent_;
  transparentColor_ = source.transparentColor_;
  Changed();
}

void TBitmap::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  Changed();
}

TColor TBitmap::TransparentColor() const {
  if (transparentColor_ != clDefault) return transparentColor_;
  if (Empty()) return clNone;
  if (bits_) {
    GdiFlush();
    return static_cast<TColor>(PixelToRGB(bits_[size_t(height_ - 1) * size_t(width_)]));
  }
  return static_cast<TColor>(GetPixel(TBitmapDC(*this).Get(), 0, height_ - 1));
}

void TBitmap::SetTransparentColor(TColor color) {
  if (color == transparentColor_) return;
  transparentColor_ = color;
  Changed();
}

TBitmap* AllocPatternBitmap(TColor colour1, TColor colour2) {
  static std::unique_ptr<TBitmap> pattern;
  static COLORREF made1 = 0, made2 = 0;
  COLORREF c1 = ColorToGdi(colour1), c2 = ColorToGdi(colour2);
  if (!pattern || c1 != made1 || c2 != made2) {
    if (!pattern) pattern = std::make_unique<TBitmap>();
    pattern->SetSize(8, 8);
    for (int y = 0; y < 8; ++y) {
      uint32_t* row = pattern->ScanLine(y);
      for (int x = 0; x < 8; ++x) row[x] = RGBToPixel((x + y) % 2 == 0 ? c1 : c2);
    }
    made1 = c1;
    made2 = c2;
  }
  return pattern.get();
}
