// Loading and unloading uxtheme.dll and binding its entry points.
#include "tbx/TBXUxThemes.h"

#include "tbx/TBXSystemLibraries.h"

namespace {

TVisualStylesApi Slots;
tbx::TLibraryHandle UxTheme;

template <class F>
void BindSlot(F& Slot, const char* Name) {
  Slot = tbx::BindFunction<F>(UxTheme.Get(), Name);
}

}  // namespace

TVisualStylesApi& VisualStyles() { return Slots; }

bool LoadVisualStylesApi() {
  if (UxTheme) return true;
  UxTheme = tbx::LoadSystemLibrary(L"uxtheme.dll");
  if (!UxTheme) return false;
#define QN_BIND_VISUAL_STYLES_SLOT(Name) BindSlot(Slots.Name, #Name);
  QN_VISUAL_STYLES_FUNCTIONS(QN_BIND_VISUAL_STYLES_SLOT)
#undef QN_BIND_VISUAL_STYLES_SLOT
  return true;
}

void UnloadVisualStylesApi() {
  if (!UxTheme) return;
  Slots = TVisualStylesApi();
  UxTheme.Reset();
}

bool VisualStylesActive() {
  return UxTheme && Slots.IsAppThemed && Slots.IsThemeActive && Slots.IsAppThemed() &&
         Slots.IsThemeActive();
}

namespace tbx {

size_t VisualStylesSlotCount() {
  size_t count = 0;
#define QN_COUNT_VISUAL_STYLES_SLOT(Name) ++count;
  QN_VISUAL_STYLES_FUNCTIONS(QN_COUNT_VISUAL_STYLES_SLOT)
#undef QN_COUNT_VISUAL_STYLES_SLOT
  return count;
}

size_t BoundVisualStylesSlots() {
  size_t count = 0;
#define QN_COUNT_BOUND_VISUAL_STYLES_SLOT(Name) count += Slots.Name != nullptr;
  QN_VISUAL_STYLES_FUNCTIONS(QN_COUNT_BOUND_VISUAL_STYLES_SLOT)
#undef QN_COUNT_BOUND_VISUAL_STYLES_SLOT
  return count;
}

}  // namespace tbx
