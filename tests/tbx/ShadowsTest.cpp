#include "tbx/TBXShadows.h"

#include "TbxTestSupport.h"
#include "classlib/Forms.h"
#include "classlib/SysUtils.h"
#include "common/GdiCensus.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

namespace {

using tbx_test::TbxTest;
using tbx_test::TLateBoundScope;
using tbx_test::TPixels;

const RECT kPopup{10, 10, 110, 60};

class Shadows : public TbxTest {
 protected:
  void SetUp() override {
    TbxTest::SetUp();
    system = tbx::LateBound();
    lateBound.emplace();
  }
  void TearDown() override {
    lateBound.reset();
    TbxTest::TearDown();
  }
  // The functions as this system has them.
  tbx::TLateBoundFunctions system;
  std::optional<TLateBoundScope> lateBound;
};

struct TFreeStrip {
  void operator()(TShadow* Strip) const { Strip->Free(); }
};
using TStrip = std::unique_ptr<TShadow, TFreeStrip>;

// The alpha of each pixel of a row of a strip's picture (the colour must be black).
std::vector<int> AlphaRow(TBitmap& Picture, int Y) {
  std::vector<int> alpha;
  const uint32_t* row = Picture.ScanLine(Y);
  for (int x = 0; x < Picture.Width(); ++x) {
    EXPECT_EQ(row[x] & 0xFFFFFF, 0u) << x;
    alpha.push_back(static_cast<int>(row[x] >> 24));
  }
  return alpha;
}

std::vector<std::vector<int>> Alpha(TShadow& Strip) {
  std::unique_ptr<TBitmap> picture = Strip.MakePicture();
  std::vector<std::vector<int>> rows;
  for (int y = 0; y < picture->Height(); ++y) rows.push_back(AlphaRow(*picture, y));
  return rows;
}

using TRows = std::vector<std::vector<int>>;

TEST_F(Shadows, APopupGetsARightAndABottomStrip) {
  TShadows shadows(kPopup, RECT{}, false, 61, 4);
  ASSERT_NE(shadows.Strip(TShadows::Right1), nullptr);
  ASSERT_NE(shadows.Strip(TShadows::Bottom1), nullptr);
  EXPECT_EQ(shadows.Strip(TShadows::Right1)->BoundsRect(), (RECT{110, 14, 114, 60}));
  EXPECT_EQ(shadows.Strip(TShadows::Bottom1)->BoundsRect(), (RECT{14, 60, 114, 64}));
  EXPECT_EQ(shadows.Strip(TShadows::Right1)->Edges(), seStart);
  EXPECT_EQ(shadows.Strip(TShadows::Bottom1)->Edges(), seStart | seEnd);
  for (TShadows::TStrip absent : {TShadows::Right2, TShadows::Bottom2, TShadows::Right3, TShadows::Bottom3})
    EXPECT_EQ(shadows.Strip(absent), nullptr);
  EXPECT_TRUE(shadows.SaveBits());
  EXPECT_TRUE(shadows.Strip(TShadows::Right1)->SaveBits());
  // Given only as the second rectangle, the popup gets the same strips.
  TShadows second(RECT{}, kPopup, false, 61, 4);
  EXPECT_EQ(second.Strip(TShadows::Bottom1)->BoundsRect(), (RECT{14, 60, 114, 64}));
  TShadows none(RECT{}, RECT{}, false, 61, 4);
  EXPECT_EQ(none.Strip(TShadows::Right1), nullptr);
}

TEST_F(Shadows, TheModeAndSizeFollowTheScreenAndTheBoundFunctions) {
  struct TCase {
    bool LoColor, Layered, Blend;
    TShadowMode Mode;
    int Size;
  } cases[] = {
      {false, true, true, smLayered, 4},   {true, true, true, smOpaque, 2},
      {false, false, true, smAlphaBlended, 4}, {false, true, false, smOpaque, 4},
      {false, false, false, smOpaque, 2},
  };
  for (const TCase& c : cases) {
    tbx::LateBound().UpdateLayeredWindow = c.Layered ? system.UpdateLayeredWindow : nullptr;
    tbx::LateBound().AlphaBlend = c.Blend ? system.AlphaBlend : nullptr;
    TShadows shadows(kPopup, RECT{}, c.LoColor, 61, 4);
    for (TShadows::TStrip strip : {TShadows::Right1, TShadows::Bottom1})
      EXPECT_EQ(shadows.Strip(strip)->Mode(), c.Mode) << c.LoColor << c.Layered << c.Blend;
    EXPECT_EQ(shadows.Strip(TShadows::Right1)->Width(), c.Size);
    EXPECT_EQ(shadows.Strip(TShadows::Bottom1)->Height(), c.Size);
  }
}

TEST_F(Shadows, StraightPiecesFadeAwayFromThePopup) {
  TStrip bottom(new THorzShadow({0, 0, 6, 4}, 61, false, 0));
  EXPECT_EQ(Alpha(*bottom), (TRows{{255, 255, 255, 255, 255, 255},
                                   {191, 191, 191, 191, 191, 191},
                                   {127, 127, 127, 127, 127, 127},
                                   {63, 63, 63, 63, 63, 63}}));
  TStrip right(new TVertShadow({0, 0, 4, 2}, 61, false, 0));
  EXPECT_EQ(Alpha(*right), (TRows{{255, 191, 127, 63}, {255, 191, 127, 63}}));
}

TEST_F(Shadows, CornersFadeFromTheirReferencePixel) {
  // Start piece: full alpha at its top-right pixel; end piece: at its top-left one.
  TStrip bottom(new THorzShadow({0, 0, 9, 4}, 61, false, seStart | seEnd));
  EXPECT_EQ(Alpha(*bottom), (TRows{{63, 127, 191, 255, 255, 255, 191, 127, 63},
                                   {31, 95, 159, 191, 191, 191, 159, 95, 31},
                                   {0, 63, 95, 127, 127, 127, 95, 63, 0},
                                   {0, 0, 31, 63, 63, 63, 31, 0, 0}}));
  // A vertical strip's start piece (on top): full alpha at its bottom-left pixel.
  TStrip right(new TVertShadow({0, 0, 4, 5}, 61, false, seStart));
  EXPECT_EQ(Alpha(*right), (TRows{{63, 31, 0, 0},
                                  {127, 95, 63, 0},
                                  {191, 159, 95, 31},
                                  {255, 191, 127, 63},
                                  {255, 191, 127, 63}}));
}

TEST_F(Shadows, AShortStripSplitsItsLengthBetweenTheCorners) {
  // Five pixels with both ends rounded: two 2-pixel corners and one straight pixel.
  TStrip bottom(new THorzShadow({0, 0, 5, 4}, 61, false, seStart | seEnd));
  const TRows alpha = Alpha(*bottom);
  EXPECT_EQ(alpha[0], (std::vector<int>{63, 127, 255, 127, 63}));
  EXPECT_EQ(alpha[1], (std::vector<int>{31, 95, 191, 95, 31}));
  // One rounded end takes the whole of a strip shorter than its corner.
  TStrip shortRight(new TVertShadow({0, 0, 4, 3}, 61, false, seStart));
  EXPECT_EQ(Alpha(*shortRight).back(), (std::vector<int>{191, 159, 95, 31}));
}

// A visible popup of the test's own, owned by the application window.
class TPopup {
 public:
  TPopup()
      : wnd_(CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, kPopup.left, kPopup.top,
                             kPopup.right - kPopup.left, kPopup.bottom - kPopup.top, Application->Handle(),
                             nullptr, nullptr, nullptr)) {
    SetWindowPos(wnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  }
  ~TPopup() { DestroyWindow(wnd_); }
  HWND Get() const { return wnd_; }

 private:
  HWND wnd_;
};

TEST_F(Shadows, StripsShowJustBelowThePopupWithoutActivationAndLetTheMousePass) {
  TPopup popup;
  const HWND foreground = GetForegroundWindow();
  HWND right = nullptr, bottom = nullptr;
  {
    TShadows shadows(kPopup, RECT{}, false, 61, 4);
    shadows.ShowBehind(popup.Get());
    right = shadows.Strip(TShadows::Right1)->Handle();
    bottom = shadows.Strip(TShadows::Bottom1)->Handle();
    EXPECT_EQ(GetWindow(popup.Get(), GW_HWNDNEXT), bottom);
    EXPECT_EQ(GetWindow(bottom, GW_HWNDNEXT), right);
    EXPECT_EQ(GetForegroundWindow(), foreground);
    for (HWND strip : {right, bottom}) {
      EXPECT_TRUE(IsWindowVisible(strip));
      const LONG_PTR style = GetWindowLongPtrW(strip, GWL_STYLE), exStyle = GetWindowLongPtrW(strip, GWL_EXSTYLE);
      EXPECT_TRUE(style & WS_POPUP);
      EXPECT_FALSE(style & WS_CHILD);
      EXPECT_EQ(exStyle & (WS_EX_TOOLWINDOW | WS_EX_LAYERED), WS_EX_TOOLWINDOW | WS_EX_LAYERED);
      EXPECT_EQ(GetWindow(strip, GW_OWNER), Application->Handle());
      EXPECT_EQ(SendMessageW(strip, WM_NCHITTEST, 0, MAKELPARAM(111, 20)), HTTRANSPARENT);
    }
  }
  EXPECT_FALSE(IsWindow(right));
  EXPECT_FALSE(IsWindow(bottom));
}

TEST_F(Shadows, OpaqueStripsAreShadowColouredBarsThatSaveTheBitsBelow) {
  tbx::LateBound().AlphaBlend = nullptr;
  colors.Colors[COLOR_BTNSHADOW] = RGB(1, 2, 3);
  TPopup popup;
  TShadows shadows(kPopup, RECT{}, false, 61, 4);
  shadows.ShowBehind(popup.Get());
  HWND strip = shadows.Strip(TShadows::Right1)->Handle();
  EXPECT_TRUE(GetClassLongPtrW(strip, GCL_STYLE) & CS_SAVEBITS);
  EXPECT_FALSE(GetWindowLongPtrW(strip, GWL_EXSTYLE) & WS_EX_LAYERED);
  TPixels pixels(2, 50);
  SendMessageW(strip, WM_ERASEBKGND, reinterpret_cast<WPARAM>(pixels.DC()), 0);
  EXPECT_EQ(pixels.At(1, 10), RGB(1, 2, 3));
}

struct TBlendCall {
  HDC Dest = nullptr;
  int Width = 0, Height = 0;
  BLENDFUNCTION Blend{};
  std::vector<uint32_t> FirstRow;
};
TBlendCall LastBlend;

BOOL WINAPI RecordingAlphaBlend(HDC Dest, int, int, int W, int H, HDC Source, int, int, int, int, BLENDFUNCTION Blend) {
  LastBlend = {Dest, W, H, Blend, {}};
  DIBSECTION dib{};
  GetObjectW(GetCurrentObject(Source, OBJ_BITMAP), sizeof dib, &dib);
  const auto* bits = static_cast<const uint32_t*>(dib.dsBm.bmBits);
  if (bits) LastBlend.FirstRow.assign(bits, bits + W);
  return TRUE;
}

TEST_F(Shadows, AlphaBlendedStripsBlendTheirPictureAtEveryErase) {
  tbx::LateBound().UpdateLayeredWindow = nullptr;
  tbx::LateBound().AlphaBlend = RecordingAlphaBlend;
  TShadows shadows(kPopup, RECT{}, false, 61, 4);
  TShadow* right = shadows.Strip(TShadows::Right1);
  ASSERT_EQ(right->Mode(), smAlphaBlended);
  TPixels pixels(4, 46);
  LastBlend = {};
  EXPECT_EQ(SendMessageW(right->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(pixels.DC()), 0), 1);
  EXPECT_EQ(LastBlend.Dest, pixels.DC());
  EXPECT_EQ(LastBlend.Width, 4);
  EXPECT_EQ(LastBlend.Height, 46);
  EXPECT_EQ(LastBlend.Blend.BlendOp, AC_SRC_OVER);
  EXPECT_EQ(LastBlend.Blend.SourceConstantAlpha, 61);
  EXPECT_EQ(LastBlend.Blend.AlphaFormat, AC_SRC_ALPHA);
  // The top of the rounded start piece.
  EXPECT_EQ(LastBlend.FirstRow, (std::vector<uint32_t>{63u << 24, 31u << 24, 0, 0}));
}

TEST_F(Shadows, ShadowsGiveBackWhatTheyMake) {
  TPopup popup;
  auto round = [&] {
    TShadows shadows(kPopup, RECT{}, false, 61, 4);
    shadows.ShowBehind(popup.Get());
  };
  round();
  const long objects = gdi::LiveObjects();
  const gdi_census::TMark census;
  for (int i = 0; i < 20; ++i) round();
  EXPECT_EQ(gdi::LiveObjects(), objects);
  EXPECT_TRUE(census.NothingLeft());
  // Alpha-blended strips make their picture at every erase.
  tbx::LateBound().UpdateLayeredWindow = nullptr;
  tbx::LateBound().AlphaBlend = RecordingAlphaBlend;
  TShadows blended(kPopup, RECT{}, false, 61, 4);
  TPixels pixels(4, 46);
  HWND strip = blended.Strip(TShadows::Right1)->Handle();
  SendMessageW(strip, WM_ERASEBKGND, reinterpret_cast<WPARAM>(pixels.DC()), 0);
  const long blending = gdi::LiveObjects();
  const gdi_census::TMark blendingCensus;
  for (int i = 0; i < 1000; ++i) SendMessageW(strip, WM_ERASEBKGND, reinterpret_cast<WPARAM>(pixels.DC()), 0);
  EXPECT_EQ(gdi::LiveObjects(), blending);
  EXPECT_TRUE(blendingCensus.NothingLeft());
}

TEST_F(Shadows, RenderingWithoutLayeredWindowsIsAnAssertion) {
  TShadows shadows(kPopup, RECT{}, false, 61, 4);
  ASSERT_EQ(shadows.Strip(TShadows::Right1)->Mode(), smLayered);
  tbx::LateBound().UpdateLayeredWindow = nullptr;
  try {
    shadows.Strip(TShadows::Right1)->Render();
    ADD_FAILURE();
  } catch (const EAssertionFailed& e) {
    EXPECT_NE(e.Message().find(L"1720"), String::npos);
  }
}

}  // namespace
