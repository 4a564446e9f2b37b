#include "tbx/TBXStartup.h"

#include "items/TB2Acc.h"
#include "items/TB2Anim.h"
#include "items/TB2Item.h"
#include "tbx/Rmkthemes.h"
#include "tbx/TBXDefaultTheme.h"
#include "tbx/TBXIdeTheme.h"
#include "tbx/TBXMenuAnimation.h"
#include "tbx/TBXThemes.h"
#include "tbx/TBXToolPals.h"
#include "tbx/TBXUtils.h"

#include <iterator>
#include <utility>

namespace {

// The themed-items unit: the "Default" theme, the holder of the active theme starting with it,
// and the menu animation following the system's settings.
void InitThemedItems() {
  RegisterThemeClass(L"Default", CreateThemeOf<TTBXDefaultTheme>);
  NexusInstance = new TTBXNexus(L"Default");
  MenuAnimationInstance = new TTBXMenuAnimation(makSystem);
}

void FinalizeThemedItems() {
  delete std::exchange(MenuAnimationInstance, nullptr);
  delete std::exchange(NexusInstance, nullptr);
}

// The item framework's state of the thread ends here, in its place in the order, and not in
// a static destructor that may run after the window bindings' users are gone: the animation
// (its worker joined) and the click queue (its hidden window).
void EndThreadAnimation() { TBEndAnimation(nullptr); }

constexpr tbx::TStartupStep kSteps[] = {
    {L"TBXUtils", InitTBXUtils, FinalizeTBXUtils},
    {L"Rmkthemes", InitRmkthemes, FinalizeRmkthemes},
    {L"TB2Acc", InitTB2Acc, FinalizeTB2Acc},
    // Its layered-window function is bound at the first animation.
    {L"TB2Anim", nullptr, EndThreadAnimation},
    {L"TB2Item", TBInitToolbarSystemFont, FreeClickQueue},
    {L"TBXThemes", InitTBXThemes, FinalizeTBXThemes},
    {L"Tbxidetheme", InitTbxidetheme, FinalizeTbxidetheme},
    {L"TBXDefaultTheme", InitTBXDefaultTheme, FinalizeTBXDefaultTheme},
    {L"TBX", InitThemedItems, FinalizeThemedItems},
    {L"TBXToolPals", InitTBXToolPals, FinalizeTBXToolPals},
};
constexpr int kStepCount = static_cast<int>(std::size(kSteps));

int InitCount = 0;

void FinalizeFirst(int Count) {
  for (int i = Count; i-- > 0;)
    if (kSteps[i].Finalize) kSteps[i].Finalize();
}

}  // namespace

void InitializeThemeLayer() {
  if (InitCount > 0) {
    ++InitCount;
    return;
  }
  int done = 0;
  try {
    for (; done < kStepCount; ++done)
      if (kSteps[done].Initialize) kSteps[done].Initialize();
  } catch (...) {
    // The failing step's own finalisation undoes whatever part of it was done.
    FinalizeFirst(done + 1);
    throw;
  }
  InitCount = 1;
}

void FinalizeThemeLayer() {
  if (InitCount == 0 || --InitCount > 0) return;
  FinalizeFirst(kStepCount);
}

namespace tbx {
const TStartupStep* StartupSteps(int& Count) {
  Count = kStepCount;
  return kSteps;
}
}  // namespace tbx
