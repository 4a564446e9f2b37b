// What the "Ide" look costs: full paints of a 20-item menu (images, check marks, shortcuts,
// submenus) painted by the theme, beside the same items in the framework's plain look, in one
// run; and the colour-ramp cache when gradients are painted without the system's GradientFill:
// how many ramps 16 gradients, painted over and over, build and find. Printed, never judged.
#include "BenchTiming.h"
#include "classlib/Forms.h"
#include "classlib/GdiHandles.h"
#include "tbx/Rmkthemes.h"
#include "tbx/TBX.h"
#include "tbx/TBXStartup.h"
#include "tbx/TBXThemes.h"
#include "tbx/TBXUtils.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kItems = 20;
constexpr int kPaints = 1000;

using bench::Time;
using bench::TSpread;

// 16-pixel images of one colour each.
TCustomImageList* MakeImages(TComponent* Owner) {
  auto* images = new TCustomImageList(Owner);
  images->SetSize(16, 16);
  TBitmap strip;
  strip.SetSize(16 * 4, 16);
  const uint32_t colours[] = {0x2060A0, 0xA02020, 0x20A040, 0x806020};
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 64; ++x) strip.ScanLine(y)[x] = (x % 16 < 2 || y < 2) ? 0xFF00FF : colours[x / 16];
  images->AddMasked(strip, RGB(255, 0, 255));
  return images;
}

// The same 20 lines in either look: every fourth a submenu, every third checked, every second
// with an image, every fifth with a shortcut.
template <class TItem, class TSubmenu, class TSeparator>
void FillMenu(TComponent* Owner, TTBCustomItem* Root) {
  for (int i = 0; i < kItems; ++i) {
    TTBCustomItem* item;
    if (i % 7 == 6) {
      item = new TSeparator(Owner);
    } else if (i % 4 == 3) {
      item = new TSubmenu(Owner);
      auto* child = new TItem(Owner);
      child->SetCaption(L"Inside");
      item->Add(child);
    } else {
      item = new TItem(Owner);
      item->SetChecked(i % 3 == 0);
    }
    item->SetCaption(L"Menu line &" + std::to_wstring(i + 1));
    if (i % 2 == 0) item->SetImageIndex(i % 4);
    if (i % 5 == 0) item->SetShortCut(static_cast<TShortCut>(scCtrl | ('A' + i)));
    Root->Add(item);
  }
}

TSpread PaintTimes(TTBPopupWindow* Window) {
  Window->View()->UpdatePositions();
  Window->SetBounds(100, 100, Window->Width(), Window->Height());
  Window->SetVisible(true);
  Application->ProcessMessages();
  HWND wnd = Window->Handle();
  return Time(kPaints, [wnd] {
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  });
}

void Menus() {
  auto* owner = new TComponent(nullptr);
  TCustomImageList* images = MakeImages(owner);
  auto* themedRoot = new TTBXRootItem(owner);
  themedRoot->SetSubMenuImages(images);
  FillMenu<TTBXItem, TTBXSubmenuItem, TTBXSeparatorItem>(owner, themedRoot);
  auto* plainRoot = new TTBRootItem(owner);
  plainRoot->SetSubMenuImages(images);
  FillMenu<TTBItem, TTBSubmenuItem, TTBSeparatorItem>(owner, plainRoot);

  NexusSelectTheme(L"Ide");
  auto* themed = new TTBXPopupWindow(nullptr, nullptr, themedRoot, false);
  const TSpread ide = PaintTimes(themed);
  themed->Free();
  auto* plain = new TTBPopupWindow(nullptr, nullptr, plainRoot, false);
  const TSpread unthemed = PaintTimes(plain);
  plain->Free();
  owner->Free();

  std::printf("Themes: full paints of a %d-line menu, %d each (ms)\n", kItems, kPaints);
  std::printf("%-44s %10s %10s\n", "case", "median", "95th");
  std::printf("%-44s %10.3f %10.3f\n", "the \"Ide\" theme", ide.Median, ide.P95);
  std::printf("%-44s %10.3f %10.3f\n", "the framework's plain look", unthemed.Median, unthemed.P95);
  std::printf("%-44s %10.2f\n", "ratio of the medians", ide.Median / unthemed.Median);
}

// 16 gradients of other lengths and colours, painted 100 times each without the system's
// function: the cache builds each ramp once and finds it every other time.
void Ramps() {
  tbx::TGradientFillFunc saved = tbx::LateBound().GradientFill;
  tbx::LateBound().GradientFill = nullptr;
  ClearGradientRamps();
  gdi::WindowDC screen;
  gdi::MemoryDC dc = gdi::NewMemoryDC(screen.Get());
  gdi::BitmapHandle bitmap(CreateCompatibleBitmap(screen.Get(), 64, 64));
  gdi::SelectionGuard select(dc.Get(), bitmap.Get());
  int builds = 0, hits = 0;
  const TSpread spread = Time(100, [&] {
    for (int g = 0; g < 16; ++g) {
      const RECT r{0, 0, 20 + g, 16};
      const TColor c1 = static_cast<TColor>(0x101010 * (g % 8)), c2 = static_cast<TColor>(0xF0E0D0 - g);
      (FindGradientRamp(r.right, c1, c2) ? hits : builds)++;
      PaintGradientRect(dc.Get(), r, c1, c2, gdHorizontal);
    }
  });
  tbx::LateBound().GradientFill = saved;
  std::printf("\nThemes: 16 gradients painted 100 times without GradientFill\n");
  std::printf("%-44s %10d %10d\n", "ramps built, found", builds, hits);
  std::printf("%-44s %10.3f %10.3f\n", "all 16 (ms, median, 95th)", spread.Median, spread.P95);
}

}  // namespace

int wmain() {
  InitializeClassLibrary();
  Application->Initialize();
  InitializeThemeLayer();
  SetCursorPos(0, 0);
  Menus();
  Ramps();
  FinalizeThemeLayer();
  FinalizeClassLibrary();
  return 0;
}
