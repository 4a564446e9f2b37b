#pragma once
// What the "Ide" theme's painting files share: its fixed colours, its gradients named by their
// edge colours, and the one-colour patterns of its small glyphs.
#include "tbx/Rmkthemes.h"
#include "tbx/TBXThemes.h"
#include "tbx/TBXUtils.h"

#include <cstdint>

namespace tbx::ide {

// Fixed colours of the look, as stored (red in the low byte).
constexpr TColor kDockLeft = 0x00FAECE9;           // E9 EC FA: docks and dock-like backgrounds
constexpr TColor kDockRight = 0x00FCF7F4;          // F4 F7 FC
constexpr TColor kHotItemTop = 0x00FEFDFC;         // FC FD FE: a hot popup item
constexpr TColor kHotItemBottom = 0x00F6E4BA;      // BA E4 F6
constexpr TColor kHotMenuBarTop = 0x00FCF7EA;      // EA F7 FC: a hot menu-bar item
constexpr TColor kHotMenuBarBottom = 0x00E6CA92;   // 92 CA E6
constexpr TColor kHotMenuBarFrame = 0x00FF9929;    // 29 99 FF
constexpr TColor kDockCaptionTop = 0x00E0CAB7;     // B7 CA E0: a dock panel's caption
constexpr TColor kDockCaptionBottom = 0x00FFF0E8;  // E8 F0 FF

// A toolbar whose items always show their button face.
constexpr bool IsRaisedToolbar(int ViewKind) { return IsViewKind(ViewKind, vkToolbar | vkRaisedItems); }

// The painters' canvas form takes its colours the other way round; these name the edges.
inline void GradientLeftToRight(TCanvas& Canvas, const RECT& R, TColor Left, TColor Right) {
  GradientFill(Canvas, R, Right, Left, tgLeftRight);
}
inline void GradientTopToBottom(TCanvas& Canvas, const RECT& R, TColor Top, TColor Bottom) {
  GradientFill(Canvas, R, Bottom, Top, tgTopBottom);
}

// The close cross of toolbars and dock panels: 8 x 7.
constexpr uint8_t kClosePattern[8] = {0xC3, 0x66, 0x3C, 0x18, 0x3C, 0x66, 0xC3, 0x00};

}  // namespace tbx::ide
