#pragma once
// The start-up and shutdown of the process-wide objects of the item framework and the theme
// layer, one step per unit in a fixed order, undone in the reverse order. The program calls
// InitializeThemeLayer after the class library and FinalizeThemeLayer once every form is gone,
// before the class library goes; nothing here runs from a static constructor.

// Counted: the first call runs every step (a step that fails undoes those before it and the
// exception goes on), the matching last FinalizeThemeLayer undoes them all.
void InitializeThemeLayer();
void FinalizeThemeLayer();

namespace tbx {
// The units in start-up order, each with its step (for tests).
struct TStartupStep {
  const wchar_t* Unit;
  void (*Initialize)();  // null: nothing to do
  void (*Finalize)();
};
const TStartupStep* StartupSteps(int& Count);
}  // namespace tbx
