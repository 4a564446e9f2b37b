#include "classlib/GdiCache.h"
#include "classlib/Graphics.h"
#include "classlib/Seams.h"
#include "common/GdiCensus.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <thread>
#include <type_traits>

namespace {

// A font, brush or pen of a description no other object of the test process uses, and a change
// that gives it another such description.
struct SharingCase {
  const char* what;
  std::function<std::unique_ptr<TGraphicsObject>()> make;
  std::function<void(TGraphicsObject&)> change;
  std::function<HGDIOBJ(TGraphicsObject&)> handle;
};

template <class T>
SharingCase Sharing(const char* what, std::function<void(T&)> describe,
                    std::function<void(T&)> change) {
  return {what,
          [describe] {
            auto made = std::make_unique<T>();
            describe(*made);
            return std::unique_ptr<TGraphicsObject>(std::move(made));
          },
          [change](TGraphicsObject& o) { change(static_cast<T&>(o)); },
          [](TGraphicsObject& o) -> HGDIOBJ { return static_cast<T&>(o).Handle(); }};
}

const SharingCase kSharingCases[] = {
    Sharing<TFont>(
        "font", [](TFont& f) { f.SetName(L"Arial"); f.SetHeight(-37); },
        [](TFont& f) { f.SetStyle(fsItalic); }),
    Sharing<TBrush>("solid brush", [](TBrush& b) { b.SetColor(0x123457); },
                    [](TBrush& b) { b.SetColor(0x123458); }),
    Sharing<TBrush>(
        "hatched brush", [](TBrush& b) { b.SetColor(0x123457); b.SetStyle(bsCross); },
        [](TBrush& b) { b.SetStyle(bsDiagCross); }),
    Sharing<TPen>(
        "pen", [](TPen& p) { p.SetColor(0x123457); p.SetWidth(3); },
        [](TPen& p) { p.SetWidth(4); }),
    Sharing<TPen>(
        "dashed pen", [](TPen& p) { p.SetColor(0x123457); p.SetStyle(psDash); },
        [](TPen& p) { p.SetStyle(psDot); }),
};

class TFakeColours : public seams::TSystemSettings {
 public:
  COLORREF SysColor(int index) override { return RGB(index, 0x41, 0x82); }
};

}  // namespace

static_assert(!std::is_copy_constructible_v<gdi::SharedFont>);
static_assert(!std::is_copy_assignable_v<gdi::SharedBrush>);
static_assert(std::is_nothrow_move_constructible_v<gdi::SharedPen>);
static_assert(std::is_nothrow_move_assignable_v<gdi::SharedPen>);

TEST(GdiCache, EqualDescriptionsShareOneObjectThatGoesWithItsLastUser) {
  for (const SharingCase& c : kSharingCases) {
    const long before = gdi::LiveObjects();
    const gdi_census::TMark census;
    auto a = c.make(), b = c.make();
    HGDIOBJ shared = c.handle(*a);
    EXPECT_EQ(shared, c.handle(*b)) << c.what;
    EXPECT_EQ(before + 1, gdi::LiveObjects()) << c.what;

    c.change(*b);  // b lets go and takes a handle of its own
    HGDIOBJ separate = c.handle(*b);
    EXPECT_NE(shared, separate) << c.what;
    EXPECT_EQ(shared, c.handle(*a)) << c.what;
    EXPECT_EQ(before + 2, gdi::LiveObjects()) << c.what;

    a.reset();  // the last user of the first description
    EXPECT_EQ(0u, GetObjectType(shared)) << c.what;
    EXPECT_EQ(before + 1, gdi::LiveObjects()) << c.what;
    b.reset();
    EXPECT_EQ(0u, GetObjectType(separate)) << c.what;
    EXPECT_EQ(before, gdi::LiveObjects()) << c.what;
    EXPECT_TRUE(census.NothingLeft()) << c.what;
  }
}

TEST(GdiCache, WhatGdiDoesNotDrawWithDoesNotSplitAFont) {
  TFont a, b;
  a.SetHeight(-41);
  b.SetHeight(-41);
  b.SetColor(clRed);  // drawn with SetTextColor, not part of the font
  b.SetPixelsPerInch(a.PixelsPerInch() + 24);
  EXPECT_EQ(a.Handle(), b.Handle());
}

TEST(GdiCache, ASystemColourSharesWithItsCurrentValue) {
  TFakeColours colours;
  seams::Scoped<seams::TSystemSettings> useColours(colours);
  TBrush system, plain;
  system.SetColor(clBtnFace);
  plain.SetColor(static_cast<TColor>(RGB(COLOR_BTNFACE, 0x41, 0x82)));
  EXPECT_EQ(system.Handle(), plain.Handle());
  TPen hollow1, hollow2;  // a null pen draws nothing: its colour and width do not matter
  hollow1.SetColor(clNone);
  hollow2.SetColor(clNone);
  hollow2.SetWidth(7);
  EXPECT_EQ(hollow1.Handle(), hollow2.Handle());
}

TEST(GdiCache, ASharedHandleMovesAndCountsItsReferenceOnce) {
  LOGFONTW lf{};
  lf.lfHeight = -43;
  wcscpy(lf.lfFaceName, L"Arial");
  const long before = gdi::LiveObjects();
  const gdi_census::TMark census;
  const size_t sharedBefore = gdi::SharedObjects();
  gdi::SharedFont a = gdi::ShareFont(lf);
  HFONT font = a.Get();
  gdi::SharedFont b(std::move(a));
  EXPECT_FALSE(a);
  EXPECT_EQ(font, b.Get());
  gdi::SharedFont c = gdi::ShareFont(lf);
  EXPECT_EQ(font, c.Get());
  EXPECT_EQ(before + 1, gdi::LiveObjects());
  EXPECT_EQ(sharedBefore + 1, gdi::SharedObjects());
  c = std::move(b);  // c's own reference goes, b's moves in: one left
  EXPECT_EQ(OBJ_FONT, static_cast<int>(GetObjectType(font)));
  c.Reset();
  EXPECT_EQ(0u, GetObjectType(font));
  EXPECT_EQ(before, gdi::LiveObjects());
  EXPECT_TRUE(census.NothingLeft());
  EXPECT_EQ(sharedBefore, gdi::SharedObjects());
}

TEST(GdiCache, AWorkerThreadMayTakeAndDropReferences) {
  const long before = gdi::LiveObjects();
  const gdi_census::TMark census;
  auto churn = [] {
    for (int i = 0; i < 2000; ++i) {
      TFont f;
      f.SetHeight(-45 - i % 3);
      f.Handle();
    }
  };
  std::thread worker(churn);
  churn();
  worker.join();
  EXPECT_EQ(before, gdi::LiveObjects());
  EXPECT_TRUE(census.NothingLeft());
}
