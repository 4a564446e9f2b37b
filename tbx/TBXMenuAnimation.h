#pragma once
// How themed popups come up: not animated, unfolding, sliding or fading. One process-wide
// instance (MenuAnimationInstance, kind "system") is asked for a style each time a popup shows.
// User-interface thread only.
#include "classlib/Types.h"

#include <cstdint>

// Kinds of animation a TTBXMenuAnimation is set to.
enum : uint8_t {
  makNone = 0,
  makSystem = 1,  // slide or fade as the system's menu animation settings say; never unfold
  makRandom = 2,  // a style chosen at random for each popup
  makUnfold = 3,
  makSlide = 4,
  makFade = 5,
};

// Styles picked for one popup.
enum : int {
  masNone = 0,
  masUnfold = 1,  // slide along two directions at once
  masSlide = 2,
  masFade = 3,
};

class TTBXMenuAnimation : public TObject {
 public:
  // The system's capabilities.
  explicit TTBXMenuAnimation(uint8_t AKind);
  // Capabilities given: bit n allows kind n.
  TTBXMenuAnimation(uint8_t AKind, int ACapabilities);

  uint8_t AnimationKind() const { return kind_; }
  // From the requested kind down to the first the capabilities allow (kind 0 always is); kind
  // 1 becomes 0 when the system's menu animation is off at that moment.
  void SetAnimationKind(uint8_t Kind);
  int GetCapabilities() const { return capabilities_; }
  // masNone .. masFade for one popup.
  int PickStyle() const;

  // Bit 0 always; bits 1 to 4 on Windows NT 5.0 or later and on Windows 98 or later of the 9x
  // platform; bit 5 on Windows NT 5.0 or later (63, 31 or 1).
  static int CapabilitiesOf(DWORD PlatformId, DWORD MajorVersion, DWORD MinorVersion);
  static int SystemCapabilities();

 private:
  int capabilities_;
  uint8_t kind_ = makNone;
};

extern TTBXMenuAnimation* MenuAnimationInstance;
