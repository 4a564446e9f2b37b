// Drop-shadow strips: their pictures, their windows and their layout around a popup.
#include "tbx/TBXShadows.h"

#include "classlib/Forms.h"
#include "classlib/ScopeGuard.h"
#include "classlib/SysUtils.h"
#include "items/TB2Common.h"
#include "tbx/TBXUtils.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {

constexpr wchar_t kUnit[] = L"TBXUtils";
constexpr int kRenderAssertionLine = 1720;
constexpr int kBlendAssertionLine = 1776;

uint32_t AlphaPixel(int Alpha) { return static_cast<uint32_t>(Alpha) << 24; }

// The alpha of step I of N away from the popup: 255 next to it, fading in equal steps.
int FadeAlpha(int I, int N) { return 255 - I * 256 / N; }

TShadowMode ModeFor(bool LoColor) {
  const tbx::TLateBoundFunctions& bound = tbx::LateBound();
  if (LoColor || !bound.AlphaBlend) return smOpaque;
  return bound.UpdateLayeredWindow ? smLayered : smAlphaBlended;
}

// A rounded corner piece at (X, Y) of the picture, W x H, whose alpha is 255 at the reference
// pixel (RefX, RefY in piece coordinates) and falls off with the distance from it.
void FillCorner(TBitmap& Picture, int X, int Y, int W, int H, int RefX, int RefY) {
  const int side = std::max(W, H);
  for (int y = 0; y < H; ++y) {
    uint32_t* row = Picture.ScanLine(Y + y);
    for (int x = 0; x < W; ++x) {
      const int d1 = std::abs(y - RefY), d2 = std::abs(x - RefX);
      const int e = (std::max(d1, d2) + d1 + d2) * 128 / side;
      row[X + x] = AlphaPixel(e > 254 ? 0 : 255 - e);
    }
  }
}

// The lengths of the two corner pieces of a strip Length long whose pieces are Thickness long.
struct TPieces {
  int Start, End;
};
TPieces CornerPieces(TShadowEdges Edges, int Length, int Thickness) {
  TPieces pieces{(Edges & seStart) ? Thickness : 0, (Edges & seEnd) ? Thickness : 0};
  if (Length < pieces.Start + pieces.End) {
    if (pieces.Start && pieces.End)
      pieces = {Length / 2, Length / 2};
    else
      pieces = {pieces.Start ? Length : 0, pieces.End ? Length : 0};
  }
  return pieces;
}

// The parameters of the blend of a strip's picture.
BLENDFUNCTION PictureBlend(int Opacity) {
  return BLENDFUNCTION{AC_SRC_OVER, 0, static_cast<BYTE>(Opacity), AC_SRC_ALPHA};
}

}  // namespace

// --- one strip --------------------------------------------------------------------------------

TShadow::TShadow(const RECT& BoundsRect, int Opacity, bool LoColor, TShadowEdges Edges)
    : TCustomControl(nullptr), opacity_(std::clamp(Opacity, 0, 255)), edges_(Edges), mode_(ModeFor(LoColor)) {
  SetVisible(false);
  SetParentWindow(Application && Application->Handle() ? Application->Handle() : GetDesktopWindow());
  SetBounds(BoundsRect.left, BoundsRect.top, BoundsRect.right - BoundsRect.left, BoundsRect.bottom - BoundsRect.top);
  SetColor(clBtnShadow);
}

void TShadow::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style = (Params.Style & ~(WS_CHILD | WS_TABSTOP | WS_GROUP)) | WS_POPUP;
  Params.ExStyle |= WS_EX_TOOLWINDOW;
  // The class style belongs to the window class: strips that save the bits under them have
  // a class of their own.
  Params.WinClassName = L"Quillnote.TBXShadow";
  if (saveBits_) {
    Params.WindowClassStyle |= CS_SAVEBITS;
    Params.WinClassName += L"S";
  }
}

void TShadow::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCHITTEST:
      Message.Result = HTTRANSPARENT;  // the mouse passes through to what lies below
      return;
    case WM_ERASEBKGND:
      if (mode_ == smAlphaBlended) return WMEraseBkgnd(Message);
      break;
  }
  TCustomControl::Dispatch(Message);
}

std::unique_ptr<TBitmap> TShadow::MakePicture() {
  auto picture = std::make_unique<TBitmap>();
  picture->SetSize(Width(), Height());
  if (!picture->Empty()) FillBuffer(*picture);
  return picture;
}

void TShadow::Render() {
  const tbx::TUpdateLayeredWindowFunc updateLayeredWindow = tbx::LateBound().UpdateLayeredWindow;
  if (!updateLayeredWindow) AssertionFailed(kUnit, kRenderAssertionLine, L"No layered windows");
  HWND wnd = Handle();
  SetWindowLongPtrW(wnd, GWL_EXSTYLE, GetWindowLongPtrW(wnd, GWL_EXSTYLE) | WS_EX_LAYERED);
  gdi::WindowDC screen;
  std::unique_ptr<TBitmap> picture = MakePicture();
  POINT position{Left(), Top()}, source{0, 0};
  SIZE size{Width(), Height()};
  BLENDFUNCTION blend = PictureBlend(opacity_);
  updateLayeredWindow(wnd, screen.Get(), &position, &size, TBitmapDC(*picture).Get(), &source, 0, &blend,
                      ULW_ALPHA);
}

void TShadow::WMEraseBkgnd(TMessage& Message) {
  const tbx::TAlphaBlendFunc alphaBlend = tbx::LateBound().AlphaBlend;
  if (!alphaBlend) AssertionFailed(kUnit, kBlendAssertionLine, L"No alpha blending");
  // What lies below must have painted before it is blended with.
  ProcessPaintMessages();
  std::unique_ptr<TBitmap> picture = MakePicture();
  const int w = Width(), h = Height();
  alphaBlend(reinterpret_cast<HDC>(Message.WParam), 0, 0, w, h, TBitmapDC(*picture).Get(), 0, 0, w, h,
             PictureBlend(opacity_));
  Message.Result = 1;
}

void THorzShadow::FillBuffer(TBitmap& Picture) {
  const int w = Picture.Width(), h = Picture.Height();
  const TPieces pieces = CornerPieces(Edges(), w, h);
  for (int y = 0; y < h; ++y) {
    uint32_t* row = Picture.ScanLine(y);
    for (int x = pieces.Start; x < w - pieces.End; ++x) row[x] = AlphaPixel(FadeAlpha(y, h));
  }
  if (pieces.Start) {
    const int side = std::max(pieces.Start, h);
    FillCorner(Picture, 0, 0, pieces.Start, h, side - 1, h - side);
  }
  if (pieces.End) {
    const int side = std::max(pieces.End, h);
    FillCorner(Picture, w - pieces.End, 0, pieces.End, h, pieces.End - side, h - side);
  }
}

void TVertShadow::FillBuffer(TBitmap& Picture) {
  const int w = Picture.Width(), h = Picture.Height();
  const TPieces pieces = CornerPieces(Edges(), h, w);
  for (int y = pieces.Start; y < h - pieces.End; ++y) {
    uint32_t* row = Picture.ScanLine(y);
    for (int x = 0; x < w; ++x) row[x] = AlphaPixel(FadeAlpha(x, w));
  }
  if (pieces.Start) {
    const int side = std::max(w, pieces.Start);
    FillCorner(Picture, 0, 0, w, pieces.Start, w - side, side - 1);
  }
  if (pieces.End) {
    const int side = std::max(w, pieces.End);
    FillCorner(Picture, 0, h - pieces.End, w, pieces.End, w - side, pieces.End - side);
  }
}

// --- the strips of a popup --------------------------------------------------------------------

TShadows::TShadows(const RECT& Rect1, const RECT& Rect2, bool LoColor, int Opacity, int Size) {
  const tbx::TLateBoundFunctions& bound = tbx::LateBound();
  if (LoColor || (!bound.UpdateLayeredWindow && !bound.AlphaBlend)) Size /= 2;
  // Only the one-rectangle layout is drawn; it goes round whichever rectangle is given.
  const RECT& r = !IsRectEmpty(&Rect1) ? Rect1 : Rect2;
  if (IsRectEmpty(&r)) return;
  TScopeGuard freeOnFailure([this] { FreeStrips(); });
  strips_[Right1] = new TVertShadow({r.right, r.top + Size, r.right + Size, r.bottom}, Opacity, LoColor, seStart);
  strips_[Bottom1] =
      new THorzShadow({r.left + Size, r.bottom, r.right + Size, r.bottom + Size}, Opacity, LoColor, seStart | seEnd);
  for (TShadow* strip : strips_)
    if (strip && strip->Mode() == smLayered) strip->Render();
  freeOnFailure.Dismiss();
  saveBits_ = true;
  for (TShadow* strip : strips_)
    if (strip) strip->SetSaveBits(true);
}

TShadows::~TShadows() { FreeStrips(); }

void TShadows::FreeStrips() {
  for (auto strip = strips_.rbegin(); strip != strips_.rend(); ++strip)
    if (TShadow* freed = std::exchange(*strip, nullptr)) freed->Free();
}

void TShadows::ShowBehind(HWND Popup) {
  constexpr UINT kFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER |
                          SWP_NOSENDCHANGING;
  for (TShadow* strip : strips_)
    if (strip) SetWindowPos(strip->Handle(), Popup, 0, 0, 0, 0, kFlags);
}
