#include "tbx/TBXMenuAnimation.h"

#include "classlib/Seams.h"
#include "classlib/SysUtils.h"

TTBXMenuAnimation* MenuAnimationInstance = nullptr;

namespace {
constexpr uint8_t kHighestKind = 7;
constexpr int kFadeCapability = 1 << makFade;
}  // namespace

TTBXMenuAnimation::TTBXMenuAnimation(uint8_t AKind) : TTBXMenuAnimation(AKind, SystemCapabilities()) {}

TTBXMenuAnimation::TTBXMenuAnimation(uint8_t AKind, int ACapabilities) : capabilities_(ACapabilities) {
  SetAnimationKind(AKind);
}

void TTBXMenuAnimation::SetAnimationKind(uint8_t Kind) {
  while (Kind > 0 && (Kind > kHighestKind || (capabilities_ & (1 << Kind)) == 0)) --Kind;
  if (Kind == makSystem && !seams::SystemSettings().MenuAnimation()) Kind = makNone;
  kind_ = Kind;
}

int TTBXMenuAnimation::PickStyle() const {
  switch (kind_) {
    case makSystem:
      if (!seams::SystemSettings().MenuAnimation()) return masNone;
      return seams::SystemSettings().MenuFade() ? masFade : masSlide;
    case makRandom: return masUnfold + Random((capabilities_ & kFadeCapability) != 0 ? 3 : 2);
    case makUnfold: return masUnfold;
    case makSlide: return masSlide;
    case makFade: return masFade;
    default: return masNone;
  }
}

int TTBXMenuAnimation::CapabilitiesOf(DWORD PlatformId, DWORD MajorVersion, DWORD MinorVersion) {
  const bool nt5 = PlatformId == VER_PLATFORM_WIN32_NT && MajorVersion >= 5;
  const bool win98 = PlatformId == VER_PLATFORM_WIN32_WINDOWS &&
                     (MajorVersion > 4 || (MajorVersion == 4 && MinorVersion >= 10));
  int capabilities = 1;
  if (nt5 || win98) capabilities |= 0x1E;
  if (nt5) capabilities |= 0x20;
  return capabilities;
}

int TTBXMenuAnimation::SystemCapabilities() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!GetVersionExW(&info)) return 1;
  return CapabilitiesOf(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}
