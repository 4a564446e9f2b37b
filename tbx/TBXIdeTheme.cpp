// The "Ide" theme's lifetime: the glyph list its objects share, its place among the theme
// manager's listeners, and the unit's registration of the class.
#include "tbx/TBXIdeTheme.h"

namespace {

// One glyph list for every Ide theme, made by the first and freed with the last.
struct TSharedGlyphs {
  gdi::ImageListHandle List;
  int Users = 0;
};
TSharedGlyphs Glyphs;

int InitCount = 0;

constexpr int kGlyphWidth = 16;
constexpr COLORREF kGlyphMask = RGB(255, 255, 255);

void AcquireGlyphs() {
  if (Glyphs.Users++ > 0) return;
  // A missing resource leaves no list: the glyphs then draw nothing.
  Glyphs.List.Reset(ImageList_LoadImageW(GetModuleHandleW(nullptr), L"TBXGLYPHS", kGlyphWidth, 0, kGlyphMask,
                                         IMAGE_BITMAP, LR_CREATEDIBSECTION));
}

void ReleaseGlyphs() {
  if (--Glyphs.Users == 0) Glyphs.List.Reset();
}

}  // namespace

TTBXIdeTheme::TTBXIdeTheme(const String& AName) : TTBXTheme(AName) {
  AcquireGlyphs();
  AddThemeChangeListener(this);
  try {
    SetupColorCache();
  } catch (...) {
    RemoveThemeChangeListener(this);
    ReleaseGlyphs();
    throw;
  }
}

TTBXIdeTheme::~TTBXIdeTheme() {
  RemoveThemeChangeListener(this);
  ReleaseGlyphs();
}

void TTBXIdeTheme::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_TBX_SYSTEM_CHANGED) {
    // The colours, the display or the visual style changed: phase 2 is when themes rebuild.
    if (Message.WParam == 2) SetupColorCache();
    return;
  }
  TTBXTheme::Dispatch(Message);
}

void InitTbxidetheme() {
  if (InitCount == 0) RegisterThemeClass(L"Ide", CreateThemeOf<TTBXIdeTheme>);
  ++InitCount;
}

void FinalizeTbxidetheme() {
  if (InitCount > 0) --InitCount;
}

namespace tbx {
HIMAGELIST IdeGlyphs() { return Glyphs.List.Get(); }
}  // namespace tbx
