// The "Ide" theme's colours: the shared base colours, the colour cache worked out from the
// system's colours, the colour of each item part by state, and the theme's metrics.
#include "tbx/TBXIdeTheme.h"

#include "tbx/TBXIdeDrawing.h"

using tbx::ide::IsRaisedToolbar;

namespace {

// The base colours as the theme starts with them; the blend of the non-client border follows
// the system's shadow colour at each rebuild.
constexpr TIdeBaseColors kInitialBaseColors = {
    0x00DBCBC4,     // gradient dark: C4 CB DB
    0x00FDFAFA,     // gradient light: FA FA FD
    0x00F9D996,     // highlight: 96 D9 F9
    0x00B4A0A0,     // frame: A0 A0 B4
    0x00DBCBC4,     // non-client base: the gradient's dark end
    clBtnShadow, clBtnHighlight,
    clNone,         // non-client border: worked out by the first rebuild
};
TIdeBaseColors Base = kInitialBaseColors;

// The background of popups and dock panels: F0 F0 F0.
constexpr TColor kPopupBackground = 0x00F0F0F0;

// C, moved away from Reference until the two are Threshold apart (as the reference's brightness
// scales it).
TColor Contrasting(TColor C, TColor Reference, float Threshold) {
  EnsureContrast(C, Reference, Threshold);
  return C;
}

// What the screen shows of C; clNone stays.
void Snap(TColor& C) {
  if (C != clNone) C = NearestColor(C);
}

void Snap(TWinFrameColors& Colors) {
  for (auto& state : Colors)
    for (TColor& c : state) Snap(c);
}

template <size_t N>
void Snap(std::array<TItemPartColors, N>& Colors) {
  for (TItemPartColors& state : Colors)
    for (TColor& c : state) Snap(c);
}

// Every entry of the cache, snapped to the screen; the base colours stay as they are.
void SnapToScreen(TIdeColorCache& C) {
  for (TColor* c : {&C.MenuBarViewColor, &C.ToolbarViewColor, &C.PopupViewColor, &C.DockPanelViewColor,
                    &C.PopupFrameColor, &C.MenuSeparatorColor, &C.ToolbarSeparatorColor, &C.StatusPanelFrameColor})
    Snap(*c);
  Snap(C.WinFrameColors);
  Snap(C.DockPanelFrameColors);
  Snap(C.MenuItemColors);
  Snap(C.BtnItemColors);
}

void SetupFrameColors(TIdeColorCache& C, TColor Gray) {
  const TColor border = Contrasting(BlendPercent(clBtnText, clBtnShadow, 15), C.ToolbarViewColor, 120);
  const TColor inactiveText = Contrasting(Gray, clBtnFace, 120);
  C.WinFrameColors[wfsActive] = {border, clBtnShadow, Contrasting(clBtnHighlight, clBtnShadow, 180)};
  C.WinFrameColors[wfsInactive] = {border, clBtnFace, inactiveText};
  C.DockPanelFrameColors[wfsActive] = {clBtnShadow, clBtnFace, clBtnText};
  C.DockPanelFrameColors[wfsInactive] = {clBtnShadow, clBtnFace, inactiveText};
}

void SetupButtonColors(TIdeColorCache& C, TColor Hot, TColor Gray) {
  const TColor highlight = Base.HighlightBaseColor;
  const TColor normalText = Contrasting(clBtnText, C.ToolbarViewColor, 180);
  const TColor selectedHotBody = Contrasting(BlendPercent(highlight, clWindow, 40), C.ToolbarViewColor, 30);
  auto& b = C.BtnItemColors;
  b[bisNormal] = {clNone, normalText, clNone};
  b[bisDisabled] = {clNone, Gray, clNone};
  b[bisSelected] = {
      Contrasting(BlendPercent(highlight, BlendPercent(clBtnFace, clWindow, 50), 10), C.ToolbarViewColor, 5),
      normalText, highlight};
  b[bisPressed] = {BlendPercent(highlight, clWindow, 50), clHighlightText, highlight};
  b[bisHot] = {Hot, Contrasting(clMenuText, Hot, 180), Contrasting(highlight, C.ToolbarViewColor, 100)};
  b[bisDisabledHot] = {Hot, Gray, highlight};
  b[bisSelectedHot] = {selectedHotBody, Contrasting(clHighlightText, selectedHotBody, 180), highlight};
  // 183 is 18.3 % of the button face.
  b[bisPopupParent] = {BlendPercent(clBtnFace, clWindow, 183), normalText, C.PopupFrameColor};
}

void SetupMenuColors(TIdeColorCache& C, TColor Gray) {
  auto& m = C.MenuItemColors;
  m[misNormal] = {clNone, Contrasting(clWindowText, C.PopupViewColor, 180), clNone};
  m[misDisabled] = {clNone, Gray, clNone};
  m[misHot] = C.BtnItemColors[bisHot];
  m[misDisabledHot] = {C.PopupViewColor, BlendPercent(clGrayText, clWindow, 70), Base.HighlightBaseColor};
}

bool IsMenuItem(const TTBXItemInfo& Info) {
  return IsViewKind(Info.ViewKind, vkPopupMenu) && (Info.Flags & iifToolbarStyle) == 0;
}

}  // namespace

const TIdeBaseColors& IdeBaseColors() { return Base; }

TBtnItemState GetBtnItemState(const TTBXItemInfo& ItemInfo) {
  if (!ItemInfo.ItemEnabled) return ItemInfo.Hover == 1 ? bisDisabledHot : bisDisabled;
  if (ItemInfo.OpensPopup) return bisPopupParent;
  if (ItemInfo.ItemPushed) return bisPressed;
  if (ItemInfo.ItemChecked) return ItemInfo.Hover != 0 ? bisSelectedHot : bisSelected;
  return ItemInfo.Hover != 0 ? bisHot : bisNormal;
}

TMenuItemState GetMenuItemState(const TTBXItemInfo& ItemInfo) {
  if (ItemInfo.ItemEnabled) return ItemInfo.Hover != 0 ? misHot : misNormal;
  return ItemInfo.Hover == 1 ? misDisabledHot : misDisabled;
}

void TTBXIdeTheme::SetupColorCache() {
  Base = kInitialBaseColors;
  Base.NCBorderColor = BlendPercent(clBtnShadow, Base.GradientDarkColor, 95);

  TIdeColorCache c;
  c.ToolbarViewColor = c.MenuBarViewColor = BlendPercent(Base.GradientDarkColor, Base.GradientLightColor, 50);
  c.PopupViewColor = c.DockPanelViewColor = kPopupBackground;
  c.PopupFrameColor = Base.FrameBaseColor;
  const TColor hot = BlendPercent(Base.HighlightBaseColor, clWindow, 20);
  const TColor gray = BlendPercent(clBtnText, Base.GradientLightColor, 50);
  SetupFrameColors(c, gray);
  SetupButtonColors(c, hot, gray);
  SetupMenuColors(c, gray);
  c.MenuSeparatorColor = Contrasting(Base.FrameBaseColor, c.PopupViewColor, 50);
  c.ToolbarSeparatorColor = Base.FrameBaseColor;
  c.StatusPanelFrameColor = Contrasting(BlendPercent(clWindow, clBtnFace, 30), clBtnFace, 30);
  SnapToScreen(c);
  colors_ = c;
}

// --- colours by state ------------------------------------------------------------------------

TColor TTBXIdeTheme::GetBtnColor(const TTBXItemInfo& ItemInfo, TItemPart ItemPart) const {
  const TColor c = colors_.BtnItemColors[GetBtnItemState(ItemInfo)][ItemPart];
  if (!IsRaisedToolbar(ItemInfo.ViewKind)) return c;
  if (ItemPart == ipBody && c == clNone) return colors_.ToolbarViewColor;
  if (ItemPart == ipFrame) {
    if (ItemInfo.ItemChecked) return clWindowFrame;
    if (c == clNone) return clBtnShadow;
  }
  return c;
}

TColor TTBXIdeTheme::GetPartColor(const TTBXItemInfo& ItemInfo, TItemPart ItemPart) const {
  if (IsMenuItem(ItemInfo)) return colors_.MenuItemColors[GetMenuItemState(ItemInfo)][ItemPart];
  const TColor c = colors_.BtnItemColors[GetBtnItemState(ItemInfo)][ItemPart];
  if (c != clNone || !IsRaisedToolbar(ItemInfo.ViewKind)) return c;
  if (ItemPart == ipBody) return colors_.ToolbarViewColor;
  if (ItemPart == ipFrame) return clBtnShadow;
  return c;
}

TColor TTBXIdeTheme::GetViewColor(int ViewKind) {
  if ((ViewKind & vkToolbar) != 0)
    return IsViewKind(ViewKind, vkMenuBar) ? colors_.MenuBarViewColor : colors_.ToolbarViewColor;
  if ((ViewKind & vkPopup) != 0) return IsViewKind(ViewKind, vkListPopup) ? clWindow : colors_.PopupViewColor;
  if ((ViewKind & vkDockPanel) != 0) return colors_.DockPanelViewColor;
  return clBtnFace;
}

TColor TTBXIdeTheme::GetItemColor(const TTBXItemInfo& ItemInfo) {
  const TColor c = GetPartColor(ItemInfo, ipBody);
  return c != clNone ? c : GetViewColor(ItemInfo.ViewKind);
}

TColor TTBXIdeTheme::GetItemTextColor(const TTBXItemInfo& ItemInfo) { return GetPartColor(ItemInfo, ipText); }

TColor TTBXIdeTheme::GetItemImageBackground(const TTBXItemInfo& ItemInfo) {
  const TColor c = GetBtnColor(ItemInfo, ipBody);
  return c != clNone ? c : GetViewColor(ItemInfo.ViewKind);
}

int TTBXIdeTheme::GetPopupShadowType() { return pstOwnWhole; }

// --- metrics ---------------------------------------------------------------------------------

int TTBXIdeTheme::GetIntegerMetrics(int Index) {
  switch (Index) {
    case tmSplitArrowWidth: return 12;
    case tmDropDownArrowWidth:
    case tmMenuImageTextSpace: return 8;
    case tmDropDownArrowMargin:
    case tmMenuImageMargin:
    case tmMenuTextMargin:
    case tmMenuSeparatorSize: return 3;
    case 36:
    case 37:
    case tmEditTextMarginHorz:
    case tmEditTextMarginVert: return 2;
    case tmEditFrameWidth:
    case tmEditMenuRightMargin: return 1;
    case tmEditButtonWidth: return 14;
    default: return -1;
  }
}

bool TTBXIdeTheme::GetBooleanMetrics(int Index) {
  return Index == tmPopupsOverlapParent || Index == 5 || Index == 6 || Index == 7;
}
