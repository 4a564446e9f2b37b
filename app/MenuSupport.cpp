#include "app/MenuSupport.h"

#include "classlib/Graphics.h"
#include "classlib/ScopeGuard.h"

void AddImageStrip(TCustomImageList& List, const wchar_t* ResourceName) {
  HINSTANCE module = GetModuleHandleW(nullptr);
  if (!FindResourceW(module, ResourceName, RT_BITMAP)) return;
  TBitmap strip;
  strip.LoadFromResourceName(module, ResourceName);
  List.AddMasked(strip, RGB(255, 0, 255));
}

void PresetPaletteColor(TTBXColorPalette& Palette, TColor Color) {
  const TNotifyEvent onChange = Palette.OnChange;
  Palette.OnChange.Clear();
  TScopeGuard bindAgain([&] { Palette.OnChange = onChange; });
  Palette.WriteColor(Color);
}
