#include "classlib/Graphics.h"
#include "classlib/Seams.h"
#include "common/GdiCensus.h"

#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <thread>
#include <type_traits>
#include <vector>

namespace {

// System colours the tests choose, so that nothing depends on the prefix's colour scheme.
class TFakeColours : public seams::TSystemSettings {
 public:
  COLORREF SysColor(int index) override { return RGB(index, 0x40, 0x80); }
};

class TChangeSpy : public TObject {
 public:
  void Changed(TObject* sender) {
    ++Count;
    Last = sender;
  }
  int Count = 0;
  TObject* Last = nullptr;
};

// Pixel words are 0x00RRGGBB.
uint32_t Pixel(TBitmap& b, int x, int y) { return b.ScanLine(y)[x]; }

class GraphicsTest : public ::testing::Test {
 protected:
  TFakeColours colours;
  seams::Scoped<seams::TSystemSettings> useColours{colours};
};

}  // namespace

// The handle wrappers must not be copyable (a copy would delete the handle twice).
static_assert(!std::is_copy_constructible_v<gdi::FontHandle>);
static_assert(!std::is_copy_assignable_v<gdi::BrushHandle>);
static_assert(!std::is_copy_constructible_v<gdi::PenHandle>);
static_assert(!std::is_copy_constructible_v<gdi::BitmapHandle>);
static_assert(!std::is_copy_constructible_v<gdi::RegionHandle>);
static_assert(!std::is_copy_constructible_v<gdi::MemoryDC>);
static_assert(!std::is_copy_constructible_v<gdi::IconHandle>);
static_assert(!std::is_copy_constructible_v<gdi::WindowDC>);
static_assert(std::is_nothrow_move_constructible_v<gdi::FontHandle>);
static_assert(std::is_nothrow_move_assignable_v<gdi::BitmapHandle>);
static_assert(std::is_nothrow_move_constructible_v<gdi::WindowDC>);

TEST(GdiHandles, MovingHandsOverOwnershipAndTheCountFollows) {
  long before = gdi::LiveObjects();
  {
    gdi::BrushHandle a(CreateSolidBrush(RGB(1, 2, 3)));
    HBRUSH raw = a.Get();
    EXPECT_EQ(before + 1, gdi::LiveObjects());
    gdi::BrushHandle b(std::move(a));
    EXPECT_EQ(nullptr, a.Get());
    EXPECT_EQ(raw, b.Get());
    EXPECT_EQ(before + 1, gdi::LiveObjects());
    b = gdi::BrushHandle(CreateSolidBrush(RGB(4, 5, 6)));  // the first brush is deleted
    EXPECT_EQ(before + 1, gdi::LiveObjects());
    EXPECT_EQ(0, GetObjectType(raw));
  }
  EXPECT_EQ(before, gdi::LiveObjects());
}

TEST(GdiHandles, ReleaseHandsTheHandleOutAndALentDCIsNotCounted) {
  long before = gdi::LiveObjects();
  gdi::RegionHandle region(CreateRectRgn(0, 0, 1, 1));
  EXPECT_EQ(before + 1, gdi::LiveObjects());
  HRGN raw = region.Release();
  EXPECT_FALSE(region);
  EXPECT_EQ(before, gdi::LiveObjects());
  EXPECT_EQ(OBJ_REGION, static_cast<int>(GetObjectType(raw)));  // not deleted: the caller's now
  region.Reset(raw);
  EXPECT_EQ(before + 1, gdi::LiveObjects());
  {
    gdi::WindowDC screen;
    ASSERT_TRUE(screen);
    gdi::WindowDC moved(std::move(screen));
    EXPECT_FALSE(screen);
    EXPECT_TRUE(moved);
    EXPECT_EQ(before + 1, gdi::LiveObjects());
  }
  region.Reset();
  EXPECT_EQ(0u, GetObjectType(raw));
  EXPECT_EQ(before, gdi::LiveObjects());
}

TEST_F(GraphicsTest, ColorToRGBResolvesSystemColoursByTheirLowByte) {
  struct Case {
    TColor in;
    TColor out;
  };
  const Case cases[] = {
      {clBtnFace, 0x80400F},
      {static_cast<TColor>(0x8000000F), 0x80400F},  // any top-bit value is a system colour
      {clHighlight, 0x80400D},
      {cl3DDkShadow, 0x804015},
      {clMenuBar, 0x80401E},
      {clNone, clNone},
      {clDefault, clDefault},
      {0x123456, 0x123456},
      {clBlack, clBlack},
  };
  for (const Case& c : cases) EXPECT_EQ(c.out, ColorToRGB(c.in)) << std::hex << c.in;
  EXPECT_EQ(0x00ABCDEFu, ColorToGdi(clNone, 0xABCDEF));
  EXPECT_EQ(0x80400Fu, ColorToGdi(clBtnFace));
}

TEST(Font, DefaultsAndSizeFollowsHeight) {
  TFont f;
  EXPECT_EQ(L"Tahoma", f.Name());
  EXPECT_EQ(8, f.Size());
  EXPECT_EQ(-MulDiv(8, f.PixelsPerInch(), 72), f.Height());
  EXPECT_EQ(clWindowText, f.Color());
  f.SetPixelsPerInch(96);
  f.SetSize(12);
  EXPECT_EQ(-16, f.Height());
  EXPECT_EQ(12, f.Size());
}

TEST(Font, ChangeEventFiresOnlyOnARealChange) {
  struct Case {
    const char* what;
    std::function<void(TFont&)> set;
  };
  const Case cases[] = {
      {"name", [](TFont& f) { f.SetName(L"Arial"); }},
      {"height", [](TFont& f) { f.SetHeight(-20); }},
      {"size", [](TFont& f) { f.SetSize(14); }},
      {"style", [](TFont& f) { f.SetStyle(fsBold | fsUnderline); }},
      {"colour", [](TFont& f) { f.SetColor(clRed); }},
      {"charset", [](TFont& f) { f.SetCharset(SYMBOL_CHARSET); }},
      {"orientation", [](TFont& f) { f.SetOrientation(900); }},
  };
  for (const Case& c : cases) {
    TFont font;
    TChangeSpy spy;
    font.OnChange = TNotifyEvent(&spy, &TChangeSpy::Changed);
    c.set(font);
    EXPECT_EQ(1, spy.Count) << c.what;
    EXPECT_EQ(&font, spy.Last) << c.what;
    c.set(font);  // the same value again
    EXPECT_EQ(1, spy.Count) << c.what << " repeated";
  }
}

TEST(BrushAndPen, ChangeEventsAndTheClearBrushRule) {
  TBrush brush;
  TChangeSpy spy;
  brush.OnChange = TNotifyEvent(&spy, &TChangeSpy::Changed);
  brush.SetColor(clWhite);  // the default
  EXPECT_EQ(0, spy.Count);
  brush.SetStyle(bsClear);
  EXPECT_EQ(1, spy.Count);
  brush.SetColor(clNone);  // no colour keeps it clear
  EXPECT_EQ(bsClear, brush.Style());
  EXPECT_EQ(2, spy.Count);
  brush.SetColor(clNone);
  EXPECT_EQ(2, spy.Count);
  brush.SetColor(clRed);  // a colour makes it solid
  EXPECT_EQ(bsSolid, brush.Style());
  EXPECT_EQ(3, spy.Count);

  TPen pen;
  pen.OnChange = TNotifyEvent(&spy, &TChangeSpy::Changed);
  pen.SetWidth(1);
  pen.SetMode(pmCopy);
  EXPECT_EQ(3, spy.Count);
  pen.SetWidth(-2);
  EXPECT_EQ(0, pen.Width());
  pen.SetStyle(psDot);
  EXPECT_EQ(5, spy.Count);
  EXPECT_EQ(&pen, spy.Last);
  TPen copy;
  copy.Assign(pen);
  EXPECT_EQ(psDot, copy.Style());
  EXPECT_EQ(0, copy.Width());
}

TEST(Font, AssignCopiesEverythingWithOneChange) {
  TFont a, b;
  a.SetName(L"Courier New");
  a.SetHeight(-17);
  a.SetStyle(fsItalic | fsStrikeOut);
  a.SetColor(clBlue);
  TChangeSpy spy;
  b.OnChange = TNotifyEvent(&spy, &TChangeSpy::Changed);
  b.Assign(a);
  EXPECT_EQ(1, spy.Count);
  EXPECT_EQ(L"Courier New", b.Name());
  EXPECT_EQ(-17, b.Height());
  EXPECT_EQ(TFontStyles(fsItalic | fsStrikeOut), b.Style());
  EXPECT_EQ(clBlue, b.Color());
  b.Assign(a);
  EXPECT_EQ(1, spy.Count);
}

TEST(Font, SetHandleAdoptsTheLogicalFontAndLeavesTheHandleToTheCaller) {
  LOGFONTW lf{};
  lf.lfHeight = -19;
  lf.lfWeight = FW_BOLD;
  lf.lfItalic = TRUE;
  lf.lfCharSet = ANSI_CHARSET;
  wcscpy(lf.lfFaceName, L"Arial");
  HFONT theirs = CreateFontIndirectW(&lf);
  {
    TFont f;
    f.SetHandle(theirs);
    EXPECT_EQ(L"Arial", f.Name());
    EXPECT_EQ(-19, f.Height());
    EXPECT_EQ(TFontStyles(fsBold | fsItalic), f.Style());
    EXPECT_EQ(ANSI_CHARSET, f.Charset());
    EXPECT_NE(theirs, f.Handle());
    LOGFONTW made{};
    ASSERT_NE(0, GetObjectW(f.Handle(), sizeof made, &made));
    EXPECT_EQ(-19, made.lfHeight);
    EXPECT_EQ(FW_BOLD, made.lfWeight);
  }
  EXPECT_EQ(OBJ_FONT, static_cast<int>(GetObjectType(theirs)));
  DeleteObject(theirs);
}

TEST_F(GraphicsTest, ShapesPaintTheExpectedPixels) {
  TBitmap b;
  b.SetSize(20, 20);
  TCanvas& c = b.Canvas();
  c.Brush().SetColor(clBlack);
  c.FillRect({0, 0, 20, 20});
  c.Brush().SetColor(0x0000FF);  // red
  c.FillRect({2, 2, 5, 5});
  EXPECT_EQ(0xFF0000u, Pixel(b, 2, 2));
  EXPECT_EQ(0xFF0000u, Pixel(b, 4, 4));
  EXPECT_EQ(0u, Pixel(b, 5, 5));

  c.Pen().SetColor(clWhite);
  c.Brush().SetColor(clBtnFace);  // through the fake: 0x80400F (B=0x80 G=0x40 R=0x0F)
  c.Rectangle(6, 6, 12, 12);
  EXPECT_EQ(0xFFFFFFu, Pixel(b, 6, 6));      // outline
  EXPECT_EQ(0xFFFFFFu, Pixel(b, 11, 11));    // last pixel of the outline
  EXPECT_EQ(0x0F4080u, Pixel(b, 8, 8));      // interior
  EXPECT_EQ(0u, Pixel(b, 12, 12));

  c.Pen().SetColor(0x00FF00);
  c.MoveTo(0, 15);
  c.LineTo(10, 15);
  EXPECT_EQ(0x00FF00u, Pixel(b, 0, 15));
  EXPECT_EQ(0x00FF00u, Pixel(b, 9, 15));
  EXPECT_EQ(0u, Pixel(b, 10, 15));  // the end point is not painted
  POINT at = c.PenPos();
  EXPECT_EQ(10, at.x);

  c.Polyline({{0, 18}, {5, 18}, {5, 13}});
  EXPECT_EQ(0x00FF00u, Pixel(b, 3, 18));
  EXPECT_EQ(0x00FF00u, Pixel(b, 5, 14));
  EXPECT_EQ(0u, Pixel(b, 5, 13));

  c.SetPixels(19, 0, 0x112233);
  EXPECT_EQ(0x332211u, Pixel(b, 19, 0));
  EXPECT_EQ(0x112233, c.Pixels(19, 0));
}

TEST_F(GraphicsTest, ClearBrushAndNonePenDrawNothing) {
  TBitmap b;
  b.SetSize(10, 10);  // white
  TCanvas& c = b.Canvas();
  c.Brush().SetStyle(bsClear);
  c.FillRect({0, 0, 10, 10});
  EXPECT_EQ(0xFFFFFFu, Pixel(b, 5, 5));

  c.Brush().SetColor(clBlack);  // a colour makes the brush solid again
  EXPECT_EQ(bsSolid, c.Brush().Style());
  c.Pen().SetColor(clNone);
  c.Rectangle(0, 0, 10, 10);
  EXPECT_EQ(0u, Pixel(b, 5, 5));

  c.Brush().SetColor(clWhite);
  c.FillRect({0, 0, 10, 10});
  c.Brush().SetColor(clNone);  // no colour: hollow
  c.Pen().SetColor(clRed);
  c.Pen().SetStyle(psClear);
  c.Polygon({{0, 0}, {9, 0}, {9, 9}});
  EXPECT_EQ(0xFFFFFFu, Pixel(b, 8, 2));
  EXPECT_EQ(0xFFFFFFu, Pixel(b, 0, 0));
}

TEST_F(GraphicsTest, PenModeXorUndoesItself) {
  TBitmap b;
  b.SetSize(8, 8);
  TCanvas& c = b.Canvas();
  c.Brush().SetColor(0x336699);
  c.FillRect({0, 0, 8, 8});
  c.Pen().SetColor(clWhite);
  c.Pen().SetMode(pmXor);
  c.MoveTo(0, 3);
  c.LineTo(8, 3);
  EXPECT_EQ(0x336699u ^ 0xFFFFFFu, PixelToRGB(Pixel(b, 4, 3)));
  c.MoveTo(0, 3);
  c.LineTo(8, 3);
  EXPECT_EQ(RGBToPixel(0x336699), Pixel(b, 4, 3));
}

TEST_F(GraphicsTest, TextIsDrawnInTheFontColourAndMeasured) {
  TBitmap b;
  b.SetSize(80, 30);
  TCanvas& c = b.Canvas();
  c.Font().SetColor(clRed);
  c.Font().SetHeight(-20);
  c.Brush().SetStyle(bsClear);
  c.TextOut(2, 2, L"WM");
  int red = 0, other = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 80; ++x) {
      uint32_t p = Pixel(b, x, y);
      if (p == 0xFF0000u) ++red;
      else if (p != 0xFFFFFFu) ++other;
    }
  EXPECT_GT(red, 10);
  SIZE wm = c.TextExtent(L"WM");
  EXPECT_GT(wm.cx, c.TextWidth(L"W"));
  EXPECT_GE(c.TextHeight(L"W"), 18);
  EXPECT_EQ(c.TextHeight(L"W"), c.TextMetrics().tmHeight);

  // The DrawText helper wraps the system's DrawText and measures with DT_CALCRECT.
  RECT r{0, 0, 0, 0};
  int h = c.DrawText(L"WM", r, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(wm.cx, r.right);
  EXPECT_EQ(h, r.bottom);
}

TEST_F(GraphicsTest, TextRectClipsAndFillsWithTheBrush) {
  TBitmap b;
  b.SetSize(60, 20);
  TCanvas& c = b.Canvas();
  c.Font().SetColor(clBlack);
  c.Brush().SetColor(clLime);
  c.TextRect({0, 0, 10, 20}, 0, 0, L"WWWWWW");
  EXPECT_EQ(0x00FF00u, Pixel(b, 9, 19));     // filled inside the rectangle
  for (int y = 0; y < 20; ++y)
    for (int x = 10; x < 60; ++x) ASSERT_EQ(0xFFFFFFu, Pixel(b, x, y)) << x << "," << y;
}

TEST_F(GraphicsTest, ABorrowedDCGetsItsOwnObjectsBackAndIsNotDeleted) {
  gdi::MemoryDC dc(CreateCompatibleDC(nullptr));
  HGDIOBJ font = GetCurrentObject(dc.Get(), OBJ_FONT);
  HGDIOBJ brush = GetCurrentObject(dc.Get(), OBJ_BRUSH);
  HGDIOBJ pen = GetCurrentObject(dc.Get(), OBJ_PEN);
  long before = gdi::LiveObjects();
  const gdi_census::TMark census;
  {
    TCanvas c;
    c.SetHandle(dc.Get());
    EXPECT_EQ(dc.Get(), c.Handle());
    EXPECT_EQ(c.Font().Handle(), GetCurrentObject(dc.Get(), OBJ_FONT));
    c.Font().SetStyle(fsBold);  // deselected at once, the new font selected on next use
    EXPECT_EQ(font, GetCurrentObject(dc.Get(), OBJ_FONT));
    c.TextWidth(L"x");
    EXPECT_EQ(c.Font().Handle(), GetCurrentObject(dc.Get(), OBJ_FONT));
    c.SetHandle(nullptr);
    EXPECT_EQ(font, GetCurrentObject(dc.Get(), OBJ_FONT));
    EXPECT_EQ(brush, GetCurrentObject(dc.Get(), OBJ_BRUSH));
    EXPECT_EQ(pen, GetCurrentObject(dc.Get(), OBJ_PEN));
    c.SetHandle(dc.Get());
    c.Rectangle(0, 0, 1, 1);
  }
  EXPECT_EQ(font, GetCurrentObject(dc.Get(), OBJ_FONT));
  EXPECT_EQ(OBJ_MEMDC, static_cast<int>(GetObjectType(dc.Get())));
  EXPECT_EQ(before, gdi::LiveObjects());  // every font, brush and pen made was deleted
  EXPECT_TRUE(census.NothingLeft());
}

TEST(Canvas, WithoutADCDrawingRaises) {
  TCanvas c;
  EXPECT_FALSE(c.HandleAllocated());
  EXPECT_THROW(c.FillRect({0, 0, 1, 1}), EInvalidOperation);
}

TEST(Canvas, LockExcludesOtherThreads) {
  TCanvas c;
  c.Lock();
  EXPECT_EQ(1, c.LockCount());
  bool otherGotIt = true;
  std::thread([&] { otherGotIt = c.TryLock(); }).join();
  EXPECT_FALSE(otherGotIt);
  c.Unlock();
  std::thread([&] {
    otherGotIt = c.TryLock();
    if (otherGotIt) c.Unlock();
  }).join();
  EXPECT_TRUE(otherGotIt);
  EXPECT_EQ(0, c.LockCount());
}

TEST_F(GraphicsTest, DrawCopiesAndTransparentDrawKeepsTheBackground) {
  TBitmap src;
  src.SetSize(2, 2);
  src.ScanLine(0)[0] = 0xFF0000;  // red
  src.ScanLine(0)[1] = 0x00FF00;  // green
  src.ScanLine(1)[0] = 0x0000FF;  // blue: the bottom-left pixel
  src.ScanLine(1)[1] = 0x0000FF;
  TBitmap dst;
  dst.SetSize(6, 6);
  dst.Canvas().Draw(1, 1, src);
  EXPECT_EQ(0xFF0000u, Pixel(dst, 1, 1));
  EXPECT_EQ(0x0000FFu, Pixel(dst, 2, 2));
  EXPECT_EQ(0xFFFFFFu, Pixel(dst, 3, 3));

  src.SetTransparent(true);  // transparent colour: the bottom-left pixel
  EXPECT_EQ(static_cast<TColor>(0xFF0000), src.TransparentColor());  // as a colour: blue
  dst.Canvas().Brush().SetColor(clBlack);
  dst.Canvas().FillRect({0, 0, 6, 6});
  dst.Canvas().Draw(3, 3, src);
  EXPECT_EQ(0xFF0000u, Pixel(dst, 3, 3));
  EXPECT_EQ(0x00FF00u, Pixel(dst, 4, 3));
  EXPECT_EQ(0u, Pixel(dst, 3, 4));
  EXPECT_EQ(0u, Pixel(dst, 4, 4));

  dst.Canvas().StretchDraw({0, 0, 4, 4}, src);
  EXPECT_EQ(0xFF0000u, Pixel(dst, 1, 1));
  EXPECT_EQ(0x00FF00u, Pixel(dst, 3, 0));
  EXPECT_EQ(0x0000FFu, Pixel(dst, 3, 3));
}

TEST_F(GraphicsTest, BrushCopyShowsTheBrushUnderOneColour) {
  TBitmap picture;
  picture.SetSize(3, 1);
  picture.ScanLine(0)[0] = 0xFF0000;
  picture.ScanLine(0)[1] = 0x123456;  // the colour to replace
  picture.ScanLine(0)[2] = 0x00FF00;
  TBitmap dst;
  dst.SetSize(5, 2);
  dst.Canvas().Brush().SetColor(clBtnFace);
  dst.Canvas().BrushCopy({1, 1, 4, 2}, picture, {0, 0, 3, 1}, static_cast<TColor>(0x563412));
  EXPECT_EQ(0xFF0000u, Pixel(dst, 1, 1));
  EXPECT_EQ(RGBToPixel(0x80400F), Pixel(dst, 2, 1));
  EXPECT_EQ(0x00FF00u, Pixel(dst, 3, 1));
  EXPECT_EQ(0xFFFFFFu, Pixel(dst, 0, 0));
  picture.Dormant();
  dst.Canvas().Draw(0, 0, picture);  // the DC comes back on demand
  EXPECT_EQ(0x123456u, Pixel(dst, 1, 0));
}

TEST_F(GraphicsTest, CopyRectCopiesBetweenCanvases) {
  TBitmap a, b;
  a.SetSize(4, 4);
  a.Canvas().Brush().SetColor(clBtnShadow);
  a.Canvas().FillRect({0, 0, 4, 4});
  b.SetSize(4, 4);
  b.Canvas().CopyRect({2, 2, 4, 4}, a.Canvas(), {0, 0, 2, 2});
  EXPECT_EQ(RGBToPixel(0x804010), Pixel(b, 3, 3));
  EXPECT_EQ(0xFFFFFFu, Pixel(b, 1, 1));
  RECT clip = b.Canvas().ClipRect();
  EXPECT_EQ(4, clip.right);
  EXPECT_EQ(4, clip.bottom);
}

namespace {

// The bitmap is in no DC: only then can another DC select it.
bool SelectableElsewhere(const TBitmap& b) {
  gdi::MemoryDC dc = gdi::NewMemoryDC();
  HGDIOBJ old = SelectObject(dc.Get(), b.Handle());
  if (!old) return false;
  SelectObject(dc.Get(), old);
  return true;
}

}  // namespace

TEST_F(GraphicsTest, ABitmapsDrawingEndsAndGivesItsDCBack) {
  struct Case {
    const char* what;
    std::function<void(TBitmap&)> end;
  };
  const Case cases[] = {
      {"Changed", [](TBitmap& b) { b.Changed(); }},
      {"ScanLine", [](TBitmap& b) { b.ScanLine(0); }},
      {"Dormant", [](TBitmap& b) { b.Dormant(); }},
      {"drawn elsewhere", [](TBitmap& b) { TBitmap other; other.SetSize(1, 1); other.Canvas().Draw(0, 0, b); }},
      {"copied from", [](TBitmap& b) { TBitmap other; other.SetSize(1, 1); other.Canvas().CopyRect({0, 0, 1, 1}, b.Canvas(), {0, 0, 1, 1}); }},
      {"a lock's end", [](TBitmap& b) { TCanvasLock lock(b.Canvas()); b.Changed(); }},
  };
  for (const Case& c : cases) {
    TBitmap b;
    b.SetSize(6, 4);
    b.Canvas().Brush().SetColor(0x0000FF);
    b.Canvas().FillRect({0, 0, 3, 4});
    ASSERT_TRUE(b.Canvas().HandleAllocated()) << c.what;
    EXPECT_FALSE(SelectableElsewhere(b)) << c.what;
    const long drawing = gdi::LiveObjects();
    const gdi_census::TMark census;
    c.end(b);
    EXPECT_FALSE(b.Canvas().HandleAllocated()) << c.what;
    EXPECT_EQ(drawing - 1, gdi::LiveObjects()) << c.what;  // the memory DC went, nothing else
    EXPECT_EQ(census.Added(), -1) << c.what << census.Describe();
    EXPECT_TRUE(SelectableElsewhere(b)) << c.what;
    EXPECT_EQ(0xFF0000u, Pixel(b, 2, 3)) << c.what;
    EXPECT_EQ(0xFFFFFFu, Pixel(b, 3, 0)) << c.what;
  }
}

TEST_F(GraphicsTest, TheCanvasLockKeepsADrawingGoingAndThePenPositionOutlivesIt) {
  TBitmap b;
  b.SetSize(10, 4);
  TCanvas& c = b.Canvas();
  c.Pen().SetColor(clBlack);
  c.Lock();
  c.MoveTo(1, 1);
  HDC dc = c.Handle();
  SetROP2(dc, R2_NOT);  // DC state set through the handle lasts while the lock is held
  b.Changed();
  b.ScanLine(0);
  EXPECT_EQ(dc, c.Handle());
  EXPECT_EQ(R2_NOT, GetROP2(dc));
  c.Unlock();
  EXPECT_FALSE(c.HandleAllocated());
  c.LineTo(5, 1);  // from the position of the ended drawing
  b.Changed();
  EXPECT_EQ(0xFFFFFFu, Pixel(b, 0, 1));
  EXPECT_EQ(0u, Pixel(b, 1, 1));
  EXPECT_EQ(0u, Pixel(b, 4, 1));
  EXPECT_EQ(0xFFFFFFu, Pixel(b, 5, 1));
  EXPECT_EQ(5, c.PenPos().x);
}

TEST_F(GraphicsTest, ADrawingLockedOnAnotherThreadIsNotEndedUnderIt) {
  TBitmap b;
  b.SetSize(4, 4);
  std::promise<void> drawn, go;
  std::thread worker([&] {
    TCanvasLock lock(b.Canvas());
    b.Canvas().Brush().SetColor(clBlack);
    b.Canvas().FillRect({0, 0, 2, 2});
    drawn.set_value();
    go.get_future().wait();
  });
  drawn.get_future().wait();
  b.Changed();  // the worker still draws: its DC stays
  EXPECT_TRUE(b.Canvas().HandleAllocated());
  go.set_value();
  worker.join();
  EXPECT_FALSE(b.Canvas().HandleAllocated());
  EXPECT_EQ(0u, Pixel(b, 1, 1));
}

TEST(Bitmap, NewPixelsAreWhiteAndResizingKeepsTheRest) {
  TBitmap b;
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(nullptr, b.Handle());
  TChangeSpy spy;
  b.OnChange = TNotifyEvent(&spy, &TChangeSpy::Changed);
  b.SetSize(3, 2);
  EXPECT_EQ(1, spy.Count);
  EXPECT_EQ(0xFFFFFFu, Pixel(b, 2, 1));
  b.ScanLine(1)[2] = 0x123456;
  b.Canvas().Pixels(0, 0);  // the canvas holds the old bitmap while it is replaced
  b.SetSize(5, 5);
  EXPECT_EQ(2, spy.Count);
  EXPECT_EQ(0x123456u, Pixel(b, 2, 1));
  EXPECT_EQ(0xFFFFFFu, Pixel(b, 4, 4));
  EXPECT_EQ(static_cast<TColor>(0x563412), b.Canvas().Pixels(2, 1));
  b.SetSize(5, 5);
  EXPECT_EQ(2, spy.Count);
  EXPECT_THROW(b.ScanLine(5), EInvalidOperation);
}

TEST(Bitmap, AssignCopiesPixelsAndFormats) {
  TBitmap a;
  a.SetSize(4, 3);
  a.ScanLine(2)[3] = 0xABCDEF;
  a.SetTransparent(true);
  TBitmap b;
  TChangeSpy spy;
  b.OnChange = TNotifyEvent(&spy, &TChangeSpy::Changed);
  b.Assign(a);
  EXPECT_EQ(1, spy.Count);
  EXPECT_EQ(4, b.Width());
  EXPECT_EQ(3, b.Height());
  EXPECT_EQ(0xABCDEFu, Pixel(b, 3, 2));
  EXPECT_TRUE(b.Transparent());

  TBitmap mono;
  mono.SetMonochrome(true);
  mono.SetSize(8, 8);
  mono.Canvas().Brush().SetColor(clBlack);
  mono.Canvas().FillRect({0, 0, 4, 8});
  EXPECT_THROW(mono.ScanLine(0), EInvalidOperation);
  TBitmap copy;
  copy.Assign(mono);
  EXPECT_TRUE(copy.Monochrome());
  EXPECT_EQ(0, copy.Canvas().Pixels(1, 1));
  EXPECT_EQ(0xFFFFFF, copy.Canvas().Pixels(6, 1));
}

TEST(Bitmap, LoadFromHandleConvertsTo32Bits) {
  gdi::WindowDC screen;
  gdi::BitmapHandle ddb(CreateCompatibleBitmap(screen.Get(), 3, 2));
  {
    gdi::MemoryDC dc(CreateCompatibleDC(screen.Get()));
    gdi::SelectionGuard select(dc.Get(), ddb.Get());
    PatBlt(dc.Get(), 0, 0, 3, 2, BLACKNESS);
    SetPixelV(dc.Get(), 2, 1, RGB(255, 0, 0));
  }
  TBitmap b;
  b.LoadFromHandle(ddb.Get());
  EXPECT_EQ(pf32bit, b.PixelFormat());
  EXPECT_EQ(3, b.Width());
  EXPECT_EQ(0xFF0000u, Pixel(b, 2, 1));
  EXPECT_EQ(0u, Pixel(b, 0, 0));
  EXPECT_THROW(b.LoadFromResourceName(GetModuleHandleW(nullptr), L"NO_SUCH_BITMAP"),
               EInvalidOperation);
}

TEST(Bitmap, LoadsABitmapResource) {
  // The common controls carry their toolbar bitmaps as resources; 120 holds the 15 standard
  // 16 x 16 images.
  constexpr int kStandardSmallImages = 120;
  HMODULE controls = GetModuleHandleW(L"comctl32.dll");
  ASSERT_NE(nullptr, controls);
  TBitmap b;
  TChangeSpy spy;
  b.OnChange = TNotifyEvent(&spy, &TChangeSpy::Changed);
  b.LoadFromResourceID(controls, kStandardSmallImages);
  EXPECT_EQ(1, spy.Count);
  EXPECT_EQ(pf32bit, b.PixelFormat());
  EXPECT_EQ(16, b.Height());
  EXPECT_EQ(0, b.Width() % 16);
  EXPECT_GE(b.Width(), 15 * 16);
  uint32_t any = 0;
  for (int x = 0; x < b.Width(); ++x) any |= b.ScanLine(8)[x];
  EXPECT_NE(0u, any);
  EXPECT_EQ(0u, any & 0xFF000000u);
}

TEST_F(GraphicsTest, PatternBitmapIsAnEightByEightChecker) {
  TBitmap* p = AllocPatternBitmap(clWhite, clBtnFace);
  ASSERT_NE(nullptr, p);
  EXPECT_EQ(8, p->Width());
  EXPECT_EQ(8, p->Height());
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      ASSERT_EQ((x + y) % 2 == 0 ? 0xFFFFFFu : RGBToPixel(0x80400F), Pixel(*p, x, y));
  TBitmap* q = AllocPatternBitmap(clBlack, clWhite);
  EXPECT_EQ(0u, Pixel(*q, 0, 0));
  EXPECT_EQ(0xFFFFFFu, Pixel(*q, 1, 0));

  // As a brush pattern it tiles the fill.
  TBitmap b;
  b.SetSize(4, 4);
  b.Canvas().Brush().SetBitmap(q);
  b.Canvas().FillRect({0, 0, 4, 4});
  EXPECT_NE(Pixel(b, 0, 0), Pixel(b, 1, 0));
  EXPECT_EQ(Pixel(b, 0, 0), Pixel(b, 1, 1));
  b.Canvas().Brush().SetBitmap(nullptr);
}

TEST_F(GraphicsTest, CanvasWorkLeaksNoObjects) {
  long before = gdi::LiveObjects();
  const gdi_census::TMark census;
  {
    TBitmap b;
    b.SetSize(16, 16);
    TCanvas& c = b.Canvas();
    for (int i = 0; i < 5; ++i) {
      c.Font().SetHeight(-10 - i);
      c.Brush().SetColor(RGB(i, 0, 0));
      c.Pen().SetWidth(1 + i);
      c.Rectangle(0, 0, 10, 10);
      c.TextOut(0, 0, L"a");
    }
    b.SetSize(20, 20);
    b.SetPixelFormat(pfDevice);
    c.FillRect({0, 0, 5, 5});
  }
  EXPECT_EQ(before, gdi::LiveObjects());
  EXPECT_TRUE(census.NothingLeft());
}
