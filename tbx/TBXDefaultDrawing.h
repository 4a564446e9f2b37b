#pragma once
// What the "Default" theme's files share: the kinds of item it tells apart and the classic way of
// drawing a disabled glyph (embossed).
#include "tbx/TBXThemes.h"
#include "tbx/TBXUtils.h"

namespace tbx::classic {

// An ordinary item of a popup menu (not toolbar-styled).
inline bool IsMenuItem(const TTBXItemInfo& Info) {
  return IsViewKind(Info.ViewKind, vkPopupMenu) && (Info.Flags & iifToolbarStyle) == 0;
}

inline bool IsMenuBarItem(const TTBXItemInfo& Info) { return IsViewKind(Info.ViewKind, vkMenuBar); }

// A menu-bar item while the application is inactive.
inline bool IsInactiveMenuBarItem(const TTBXItemInfo& Info) {
  return IsMenuBarItem(Info) && (Info.Flags & iifAppActive) == 0;
}

// Shown selected: enabled under the mouse or the keys, or disabled and chosen by the keys.
inline bool IsHighlighted(const TTBXItemInfo& Info) { return Info.ItemEnabled ? Info.Hover != 0 : Info.Hover == 1; }

// An item of a toolbar whose items always show their button face.
inline bool IsRaisedToolbarItem(const TTBXItemInfo& Info) { return IsViewKind(Info.ViewKind, vkToolbar | vkRaisedItems); }

// Draws a glyph once in Color, or embossed: in the highlight colour one pixel right and down,
// then in the shadow colour in place. Draw(Offset, Color).
template <class TDraw>
void DrawEmbossable(bool Embossed, TColor Color, TDraw&& Draw) {
  if (!Embossed) {
    Draw(0, Color);
    return;
  }
  Draw(1, clBtnHighlight);
  Draw(0, clBtnShadow);
}

// DrawEdge on a copy of R.
inline void DrawEdgeAt(HDC DC, RECT R, UINT Edge, UINT Flags) { ::DrawEdge(DC, &R, Edge, Flags); }

inline void DrawFrameControlAt(HDC DC, RECT R, UINT Type, UINT State) { ::DrawFrameControl(DC, &R, Type, State); }

}  // namespace tbx::classic
