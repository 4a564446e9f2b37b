#pragma once
// The system's visual-styles library (uxtheme.dll), loaded on demand from the system folder,
// with its entry points bound by name into process-wide slots. A system without it leaves
// every slot null: callers test VisualStylesActive (or the theme manager's flag made from it)
// before they call a slot. User-interface thread only.
#include <windows.h>
#include <uxtheme.h>

#include <cstddef>

// The entry points, in the order the slots are kept.
#define QN_VISUAL_STYLES_FUNCTIONS(X)                                                        \
  X(OpenThemeData) X(CloseThemeData) X(DrawThemeBackground) X(DrawThemeText)                 \
  X(GetThemeBackgroundContentRect) X(GetThemePartSize) X(GetThemeTextExtent)                 \
  X(GetThemeTextMetrics) X(GetThemeBackgroundRegion) X(HitTestThemeBackground)               \
  X(DrawThemeEdge) X(DrawThemeIcon) X(IsThemePartDefined)                                    \
  X(IsThemeBackgroundPartiallyTransparent) X(GetThemeColor) X(GetThemeMetric)                \
  X(GetThemeString) X(GetThemeBool) X(GetThemeInt) X(GetThemeEnumValue) X(GetThemePosition)  \
  X(GetThemeFont) X(GetThemeRect) X(GetThemeMargins) X(GetThemeIntList)                      \
  X(GetThemePropertyOrigin) X(SetWindowTheme) X(GetThemeFilename) X(GetThemeSysColor)        \
  X(GetThemeSysColorBrush) X(GetThemeSysBool) X(GetThemeSysSize) X(GetThemeSysFont)          \
  X(GetThemeSysString) X(GetThemeSysInt) X(IsThemeActive) X(IsAppThemed) X(GetWindowTheme)   \
  X(EnableThemeDialogTexture) X(IsThemeDialogTextureEnabled) X(GetThemeAppProperties)        \
  X(SetThemeAppProperties) X(GetCurrentThemeName) X(GetThemeDocumentationProperty)           \
  X(DrawThemeParentBackground) X(EnableTheming)

// One slot per entry point, named after it; null while unbound.
struct TVisualStylesApi {
#define QN_VISUAL_STYLES_SLOT(Name) decltype(&::Name) Name = nullptr;
  QN_VISUAL_STYLES_FUNCTIONS(QN_VISUAL_STYLES_SLOT)
#undef QN_VISUAL_STYLES_SLOT
};

// The slots (writable, so that tests can stand in for the library).
TVisualStylesApi& VisualStyles();

// Loads uxtheme.dll when it is not loaded yet and binds every entry point it exports (a missing
// one stays null). Answers whether the library is loaded; again while loaded, changes nothing.
bool LoadVisualStylesApi();
// Frees the library and clears every slot.
void UnloadVisualStylesApi();
// The library is loaded, and both IsAppThemed and IsThemeActive answer non-zero.
bool VisualStylesActive();

namespace tbx {
// How many slots there are, and how many hold a function now.
size_t VisualStylesSlotCount();
size_t BoundVisualStylesSlots();
}  // namespace tbx
