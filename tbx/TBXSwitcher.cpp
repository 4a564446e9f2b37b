#include "tbx/TBXSwitcher.h"

#include "tbx/TBXThemes.h"

namespace {

int LiveSwitchers = 0;

constexpr int kDefaultFlatMenuMode = 0, kNeverFlatMode = 1, kAlwaysFlatMode = 2;

}  // namespace

int SwitcherCount() { return LiveSwitchers; }

TTBXSwitcher::TTBXSwitcher(TComponent* AOwner) : TComponent(AOwner) {
  AttachSwitcher(this);
  ++LiveSwitchers;
}

TTBXSwitcher::~TTBXSwitcher() {
  --LiveSwitchers;
  DetachSwitcher(this);
  if ((ComponentState() & csDesigning) != 0 && LiveSwitchers == 0) NexusSelectTheme(L"Default");
}

String TTBXSwitcher::Theme() const { return NexusThemeName(); }

void TTBXSwitcher::SetTheme(const String& Value) { NexusSelectTheme(Value); }

bool TTBXSwitcher::EnableXPStyles() const { return GetThemeManagerOption(tmoVisualStyles) == 0; }

void TTBXSwitcher::SetEnableXPStyles(bool Value) { SetThemeManagerOption(tmoVisualStyles, Value ? 0 : 2); }

TFlatMenuStyle TTBXSwitcher::FlatMenuStyle() const {
  switch (GetThemeManagerOption(tmoFlatMenuMode)) {
    case kNeverFlatMode: return fmsDisable;
    case kAlwaysFlatMode: return fmsEnable;
    default: return fmsAuto;
  }
}

void TTBXSwitcher::SetFlatMenuStyle(TFlatMenuStyle Value) {
  const int mode = Value == fmsEnable ? kAlwaysFlatMode : Value == fmsDisable ? kNeverFlatMode : kDefaultFlatMenuMode;
  SetThemeManagerOption(tmoFlatMenuMode, mode);
}

void TTBXSwitcher::Dispatch(TMessage& Message) {
  // The handler may free this switcher: nothing of it is touched afterwards.
  if (Message.Msg == WM_TBX_THEME_CHANGED) return OnThemeChange(this);
  TComponent::Dispatch(Message);
}
