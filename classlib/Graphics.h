#pragma once
// Colours, fonts, brushes, pens, the canvas over a device context and 32-bit bitmaps.
#include "classlib/Classes.h"
#include "classlib/GdiCache.h"
#include "classlib/GdiHandles.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>

// ---------------------------------------------------------------------------------------------
// Colours

// A colour value: an RGB value (red in the low byte), or, with the top bit set, a system colour
// whose index is in the low byte (0xFF000000 + index, 0x80000000 + index, ...).
using TColor = int32_t;

constexpr TColor SystemColor(int index) {
  return static_cast<TColor>(0xFF000000u | static_cast<unsigned>(index));
}
constexpr bool IsSystemColor(TColor c) { return c < 0; }

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
// No colour: drawing with it draws nothing (a hollow brush, a null pen).
constexpr TColor clNone = 0x1FFFFFFF;
// The owner's default colour.
constexpr TColor clDefault = 0x20000000;

constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR);
constexpr TColor clBackground = SystemColor(COLOR_BACKGROUND);
constexpr TColor clActiveCaption = SystemColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION);
constexpr TColor clMenu = SystemColor(COLOR_MENU);
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = SystemColor(COLOR_WINDOWFRAME);
constexpr TColor clMenuText = SystemColor(COLOR_MENUTEXT);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = SystemColor(COLOR_CAPTIONTEXT);
constexpr TColor clActiveBorder = SystemColor(COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = SystemColor(COLOR_INACTIVEBORDER);
constexpr TColor clAppWorkSpace = SystemColor(COLOR_APPWORKSPACE);
constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = SystemColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SystemColor(COLOR_3DLIGHT);
constexpr TColor clInfoText = SystemColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);
constexpr TColor clHotLight = SystemColor(COLOR_HOTLIGHT);
constexpr TColor clGradientActiveCaption = SystemColor(COLOR_GRADIENTACTIVECAPTION);
constexpr TColor clGradientInactiveCaption = SystemColor(COLOR_GRADIENTINACTIVECAPTION);
constexpr TColor clMenuHighlight = SystemColor(COLOR_MENUHILIGHT);
constexpr TColor clMenuBar = SystemColor(COLOR_MENUBAR);

// A system colour becomes the current value of the colour with its low-byte index (through
// seams::SystemSettings().SysColor); every other value, clNone and clDefault included, is
// returned as it is.
TColor ColorToRGB(TColor color);
// The value GDI calls take: ColorToRGB, with clNone and clDefault giving `fallback`.
COLORREF ColorToGdi(TColor color, COLORREF fallback = 0);

// ---------------------------------------------------------------------------------------------
// Font, brush, pen

// The base of fonts, brushes and pens. The GDI object is the one shared by every user of the
// same description (GdiCache.h), taken on first use. Every real change lets go of it (the one
// for the new description is taken on next use) and fires OnChange; setting a property to its
// current value fires nothing.
class TGraphicsObject : public TObject {
 public:
  TNotifyEvent OnChange;

 protected:
  virtual void Changed() = 0;
  template <class T>
  void Set(T& field, const T& value) {
    if (field == value) return;
    field = value;
    Changed();
  }
};

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;
using TFontCharset = BYTE;

// A logical font. Its handle is the shared one of its LOGFONT, valid while the font keeps that
// description. The default font is "Tahoma" 8 pt in clWindowText, so that drawing never depends on the
// host's settings.
class TFont : public TGraphicsObject {
 public:
  TFont();
  ~TFont() override;

  const String& Name() const { return name_; }
  void SetName(const String& name);
  // Points; derived from Height and PixelsPerInch.
  int Size() const;
  void SetSize(int points);
  // Pixels; negative = character height (as in LOGFONT).
  int Height() const { return height_; }
  void SetHeight(int pixels);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles style);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TFontCharset Charset() const { return charset_; }
  void SetCharset(TFontCharset charset);
  // Tenths of a degree, counter-clockwise (escapement and orientation).
  int Orientation() const { return orientation_; }
  void SetOrientation(int tenthsOfDegree);
  // The resolution Size converts with: the screen's vertical pixels per inch.
  int PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(int ppi) { pixelsPerInch_ = ppi; }

  HFONT Handle() const;
  bool HandleAllocated() const { return static_cast<bool>(handle_); }
  // Takes the logical font of `font` (the handle itself stays the caller's).
  void SetHandle(HFONT font);
  void GetLogFont(LOGFONTW& lf) const;
  void SetLogFont(const LOGFONTW& lf);
  // Copies every property (colour included); one OnChange when anything differed.
  void Assign(const TFont& source);

 protected:
  void Changed() override;

 private:

  String name_ = L"Tahoma";
  int height_;
  TFontStyles style_ = 0;
  TColor color_ = clWindowText;
  TFontCharset charset_ = DEFAULT_CHARSET;
  int orientation_ = 0;
  int pixelsPerInch_;
  mutable gdi::SharedFont handle_;
};

class TBitmap;

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal,
                   bsCross, bsDiagCross };

// A brush: a colour and a style, or a pattern bitmap (not owned) that wins over both.
// clNone as the colour makes the brush hollow. A pattern brush is the brush's own (it copies
// the bitmap as it is when the handle is made); the others are shared by colour and style.
class TBrush : public TGraphicsObject {
 public:
  TBrush() = default;
  ~TBrush() override = default;

  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle style) { Set(style_, style); }
  TBitmap* Bitmap() const { return bitmap_; }
  void SetBitmap(TBitmap* pattern) { Set(bitmap_, pattern); }

  HBRUSH Handle() const;
  bool HandleAllocated() const { return handle_ || pattern_; }
  void Assign(const TBrush& source);

 protected:
  void Changed() override;

 private:

  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
  TBitmap* bitmap_ = nullptr;
  mutable gdi::SharedBrush handle_;
  mutable gdi::BrushHandle pattern_;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
// Raster operations of lines (SetROP2).
enum TPenMode { pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot,
                pmMaskPenNot, pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask,
                pmNotMask, pmXor, pmNotXor };

// A pen: colour, width, style and the line raster operation. clNone draws nothing.
class TPen : public TGraphicsObject {
 public:
  TPen() = default;
  ~TPen() override = default;

  TColor Color() const { return color_; }
  void SetColor(TColor color) { Set(color_, color); }
  int Width() const { return width_; }
  void SetWidth(int width) { Set(width_, width < 0 ? 0 : width); }
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle style) { Set(style_, style); }
  TPenMode Mode() const { return mode_; }
  // A DC setting, applied when the pen is selected.
  void SetMode(TPenMode mode) { Set(mode_, mode); }

  HPEN Handle() const;
  bool HandleAllocated() const { return static_cast<bool>(handle_); }
  void Assign(const TPen& source);

 protected:
  void Changed() override;

 private:

  TColor color_ = clBlack;
  int width_ = 1;
  TPenStyle style_ = psSolid;
  TPenMode mode_ = pmCopy;
  mutable gdi::SharedPen handle_;
};

// ---------------------------------------------------------------------------------------------
// Canvas

// Drawing on a device context. The DC is borrowed (SetHandle: never deleted) or made on demand
// by a descendant (CreateHandle) and given back when its drawing ends (EndDrawing). The font,
// brush and pen are selected lazily before each drawing call and deselected (the DC's own
// objects selected back) before the DC is given back or replaced, and whenever one of them
// changes.
class TCanvas : public TObject {
 public:
  TCanvas();
  ~TCanvas() override;

  // The DC, made by CreateHandle when there is none; raises EInvalidOperation without one.
  HDC Handle();
  bool HandleAllocated() const { return dc_ != nullptr; }
  // Borrows dc (null: let go of the current one).
  void SetHandle(HDC dc);

  // The canvas listens to its own objects' OnChange (to deselect them): do not rebind it.
  TFont& Font() { return font_; }
  TBrush& Brush() { return brush_; }
  TPen& Pen() { return pen_; }
  void SetFont(const TFont& font) { font_.Assign(font); }

  // Raster operation of CopyRect (SRCCOPY by default).
  DWORD CopyMode() const { return copyMode_; }
  void SetCopyMode(DWORD rop) { copyMode_ = rop; }

  POINT PenPos();
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void Polyline(std::span<const POINT> points);
  void Polyline(std::initializer_list<POINT> points) { Polyline(std::span(points.begin(), points.size())); }
  void Polygon(std::span<const POINT> points);
  void Polygon(std::initializer_list<POINT> points) { Polygon(std::span(points.begin(), points.size())); }

  void FillRect(const RECT& r);
  void FrameRect(const RECT& r);
  // The system's dotted focus rectangle, drawn by inverting: drawing it again takes it away.
  void DrawFocusRect(const RECT& r);
  void Rectangle(int left, int top, int right, int bottom);
  void Rectangle(const RECT& r) { Rectangle(r.left, r.top, r.right, r.bottom); }
  void RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight);
  void Ellipse(int left, int top, int right, int bottom);
  void Ellipse(const RECT& r) { Ellipse(r.left, r.top, r.right, r.bottom); }

  // Text in the font's colour; the background is filled with the brush unless it is clear.
  // (<windows.h> renames TextOut and DrawText to their W forms, consistently for callers.)
  void TextOut(int x, int y, const String& text);
  // Text at (x, y) clipped to r; a brush that is not clear fills r first.
  void TextRect(const RECT& r, int x, int y, const String& text);
  // The system's DrawText with the canvas font and colour; answers the text height.
  int DrawText(const String& text, RECT& r, UINT format);
  SIZE TextExtent(const String& text);
  int TextWidth(const String& text) { return TextExtent(text).cx; }
  int TextHeight(const String& text) { return TextExtent(text).cy; }
  TEXTMETRICW TextMetrics();

  void Draw(int x, int y, const TBitmap& bitmap);
  void StretchDraw(const RECT& r, const TBitmap& bitmap);
  void CopyRect(const RECT& dest, TCanvas& source, const RECT& sourceRect);
  // Copies the source part of the bitmap to dest; its pixels of `color` show the brush.
  void BrushCopy(const RECT& dest, const TBitmap& bitmap, const RECT& source, TColor color);

  TColor Pixels(int x, int y);
  void SetPixels(int x, int y, TColor color);

  RECT ClipRect();

  // Serialises drawing between threads (the menu animation thread draws on its own canvas).
  // A lock also keeps a drawing going: the last Unlock ends it (EndDrawing).
  void Lock();
  bool TryLock();
  void Unlock();
  int LockCount() const { return lockCount_; }

  // Deselects the font, brush and pen, so that the next call selects them again.
  void Refresh() { DeselectObjects(); }

 protected:
  // Makes a DC for a canvas that owns one (a bitmap's memory DC); the base has none.
  virtual void CreateHandle() {}
  // Called by the last Unlock, under the lock: a canvas that owns its DC gives it back.
  virtual void EndDrawing() {}
  // Called before the DC is dropped; descendants free what CreateHandle made after calling it.
  void DeselectObjects();
  // Installs the DC; owned DCs are freed by the descendant after SetHandle(nullptr).
  void InstallHandle(HDC dc);

 private:
  enum : unsigned { kFont = 1, kBrush = 2, kPen = 4 };
  void Require(unsigned what);
  void FontChanged(TObject*);
  void BrushChanged(TObject*);
  void PenChanged(TObject*);
  void Deselect(unsigned what);

  HDC dc_ = nullptr;
  unsigned selected_ = 0;
  HGDIOBJ oldFont_ = nullptr;
  HGDIOBJ oldBrush_ = nullptr;
  HGDIOBJ oldPen_ = nullptr;
  TFont font_;
  TBrush brush_;
  TPen pen_;
  DWORD copyMode_ = SRCCOPY;
  CRITICAL_SECTION lock_;
  int lockCount_ = 0;
};

// ---------------------------------------------------------------------------------------------
// Bitmap

enum TPixelFormat {
  pfDevice,  // the screen's format (CreateCompatibleBitmap)
  pf1bit,    // monochrome: set bits take the DC's background colour when copied to colour
  pf32bit,   // a top-down 32-bit DIB section: ScanLine gives its rows
};

class TBitmapCanvas;

// A bitmap with a canvas on a memory DC. The default format is pf32bit; its pixels are 32-bit
// words 0x00RRGGBB (blue in the low byte), as the DIB stores them. New pixels are white.
//
// The memory DC exists only while a drawing goes on: the first canvas call (or CanvasDC) makes
// it, and the drawing ends, selecting the old objects back and deleting the DC, at Changed,
// ScanLine, a new image (size, format, Assign, Load...), Dormant, the end of a TBitmapDC that
// reads the bitmap (drawing it elsewhere does), and the canvas's last Unlock. While the canvas
// is locked, on this thread or another, none of these ends it. The pen position survives; other
// DC state set through the canvas's Handle lasts until the drawing ends (hold Lock to keep it).
class TBitmap : public TObject {
 public:
  TBitmap();
  ~TBitmap() override;

  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetWidth(int width) { SetSize(width, height_); }
  void SetHeight(int height) { SetSize(width_, height); }
  // Keeps the pixels that stay inside; fires OnChange when the size changed.
  void SetSize(int width, int height);
  bool Empty() const { return width_ <= 0 || height_ <= 0; }

  TPixelFormat PixelFormat() const { return format_; }
  void SetPixelFormat(TPixelFormat format);
  bool Monochrome() const { return format_ == pf1bit; }
  void SetMonochrome(bool mono) { SetPixelFormat(mono ? pf1bit : pf32bit); }

  // Null while empty. Owned: never delete it.
  HBITMAP Handle() const { return bitmap_.Get(); }
  // Row y of a pf32bit bitmap (GDI's pending drawing is flushed first). Raises
  // EInvalidOperation for another format or a row outside the bitmap.
  uint32_t* ScanLine(int y);
  const uint32_t* ScanLine(int y) const;

  TCanvas& Canvas();
  // The canvas's DC, made on demand and valid until the drawing ends (prefer TBitmapDC).
  HDC CanvasDC() const;
  // Ends the drawing (the pixels stay); the next drawing makes the DC again.
  void Dormant();
  // Our formats have no palette: always null.
  HPALETTE Palette() const { return nullptr; }

  // Loads a BMP resource of the module and converts it to pf32bit. Raises EInvalidOperation
  // when the resource is missing.
  void LoadFromResourceName(HINSTANCE module, const String& name);
  void LoadFromResourceID(HINSTANCE module, int id);
  // Takes a copy of the image of `bitmap` (the handle stays the caller's), as pf32bit.
  void LoadFromHandle(HBITMAP bitmap);
  // Copies size, format, pixels and transparency settings; one OnChange.
  void Assign(const TBitmap& source);

  // Drawn by TCanvas::Draw with TransparentColor left out.
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  // clDefault: the bottom-left pixel's colour.
  TColor TransparentColor() const;
  void SetTransparentColor(TColor color);

  // Ends the drawing and tells OnChange; call it after changing pixels through ScanLine or the
  // canvas when the users of the bitmap must know.
  void Changed();
  TNotifyEvent OnChange;

 private:
  friend class TBitmapCanvas;
  friend class TBitmapDC;
  TBitmapCanvas& CanvasObject() const;
  void EndDrawing() const;
  void Recreate(int width, int height, TPixelFormat format, bool keepPixels);
  void CheckRow(int y) const;

  int width_ = 0;
  int height_ = 0;
  TPixelFormat format_ = pf32bit;
  gdi::BitmapHandle bitmap_;
  uint32_t* bits_ = nullptr;
  bool transparent_ = false;
  TColor transparentColor_ = clDefault;
  mutable std::unique_ptr<TBitmapCanvas> canvas_;
};

// Holds a canvas's lock for a scope (and so keeps its drawing going until the scope ends).
class TCanvasLock {
 public:
  explicit TCanvasLock(TCanvas& canvas) : canvas_(canvas) { canvas_.Lock(); }
  ~TCanvasLock() { canvas_.Unlock(); }
  TCanvasLock(const TCanvasLock&) = delete;
  TCanvasLock& operator=(const TCanvasLock&) = delete;

 private:
  TCanvas& canvas_;
};

// A bitmap's memory DC for a scope, with its canvas locked: made when there is none, and given
// back when the outermost lock ends. For reading a bitmap with GDI (BitBlt from it).
class TBitmapDC {
 public:
  explicit TBitmapDC(const TBitmap& bitmap);
  ~TBitmapDC();
  TBitmapDC(const TBitmapDC&) = delete;
  TBitmapDC& operator=(const TBitmapDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  TBitmapCanvas& canvas_;
  HDC dc_;
};

// The 8 x 8 bitmap of a two-colour checker pattern (colour1 where x + y is even), shared by
// every caller until the next call with other colours; owned by the library, never freed by
// the caller.
TBitmap* AllocPatternBitmap(TColor colour1, TColor colour2);

// Pixel words of 32-bit bitmaps: 0x00RRGGBB from a resolved colour and back.
constexpr uint32_t RGBToPixel(COLORREF c) {
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
constexpr COLORREF PixelToRGB(uint32_t p) {
  return ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
}
