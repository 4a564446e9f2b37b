// The "Default" theme's painting of what the notes application does not show: chevrons, MDI
// buttons, page-scroll buttons, small check boxes and radio buttons, status bars, edit items, and
// toolbar, dock and floating-window frames with their grips, captions and close buttons; classic,
// or through the visual styles.
#include "tbx/TBXDefaultTheme.h"

#include "tbx/TBXDefaultDrawing.h"

#include <vsstyle.h>

using namespace tbx::classic;

namespace {

// The chevron of a horizontal toolbar (6 x 5, pointing right) and of a vertical one (5 x 6,
// pointing down): two thin arrows each.
constexpr uint8_t kChevronRight[8] = {0x90, 0x48, 0x24, 0x48, 0x90, 0x00, 0x00, 0x00};
constexpr uint8_t kChevronDown[8] = {0x88, 0x50, 0x20, 0x88, 0x50, 0x20, 0x00, 0x00};

// The state of a button part of a control's style: disabled, pressed, hot or normal (1 to 4 in
// the order the styles number them: normal, hot, pressed, disabled).
int ControlPartState(bool Disabled, bool Pressed, bool Hot) {
  if (Disabled) return 4;
  if (Pressed) return 3;
  return Hot ? 2 : 1;
}

UINT ClassicPushState(bool Disabled, bool Pressed) {
  return (Disabled ? DFCS_INACTIVE : 0) | (Pressed ? DFCS_PUSHED | DFCS_FLAT : 0);
}

// Bits of PaintFrameControl's state.
enum : int { fcsChecked = 0x01, fcsGrayed = 0x02, fcsDisabled = 0x04, fcsHot = 0x08, fcsPushed = 0x10 };
// Kinds of PaintFrameControl.
enum : int { fckCheckBox = 1, fckRadioButton = 2 };

// Classic grips: one or two bevelled bars across the grip's length.
void PaintClassicGrip(HDC DC, const RECT& Grip, bool Vertical, bool Double) {
  const int bars = Double ? 2 : 1;
  for (int i = 0; i < bars; ++i) {
    RECT bar = Vertical ? RECT{Grip.left + 2, Grip.top + 2 + 4 * i, Grip.right - 2, Grip.top + 5 + 4 * i}
                        : RECT{Grip.left + 2 + 4 * i, Grip.top + 2, Grip.left + 5 + 4 * i, Grip.bottom - 2};
    DrawBevelEdges(DC, bar, clBtnHighlight, clBtnShadow, true);
  }
}

}  // namespace

// --- glyph buttons ---------------------------------------------------------------------------

void TTBXDefaultTheme::PaintChevron(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) {
  PaintButton(Canvas, ARect, ItemInfo);
  HDC dc = Canvas.Handle();
  const bool vertical = ItemInfo.Vertical;
  const RECT at = vertical ? RECT{ARect.right - 9, ARect.top, ARect.right - 3, ARect.bottom}
                           : RECT{ARect.left, ARect.top + 3, ARect.right, ARect.top + 9};
  DrawEmbossable(!ItemInfo.ItemEnabled, GetItemTextColor(ItemInfo), [&](int D, TColor Color) {
    RECT r = at;
    OffsetRect(&r, D, D);
    if (vertical) DrawMonoPattern(dc, r, 5, 6, kChevronDown, Color);
    else DrawMonoPattern(dc, r, 6, 5, kChevronRight, Color);
  });
}

void TTBXDefaultTheme::PaintMDIButton(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo,
                                      UINT ButtonKind) {
  HDC dc = Canvas.Handle();
  int part = 0;
  switch (ButtonKind) {
    case DFCS_CAPTIONCLOSE: part = WP_MDICLOSEBUTTON; break;
    case DFCS_CAPTIONMIN: part = WP_MDIMINBUTTON; break;
    case DFCS_CAPTIONRESTORE: part = WP_MDIRESTOREBUTTON; break;
    default: break;
  }
  const int state = ItemInfo.ItemPushed ? 3 : ItemInfo.Hover != 0 ? 2 : 1;
  if (part != 0 && DrawVisualStylePart(vscWindow, dc, part, state, ARect)) return;
  DrawFrameControlAt(dc, ARect, DFC_CAPTION, ButtonKind | (ItemInfo.ItemPushed ? DFCS_PUSHED : 0));
}

void TTBXDefaultTheme::PaintPageScrollButton(TCanvas& Canvas, const RECT& ARect, int ButtonType, bool Hot) {
  if (ButtonType < 1 || ButtonType > 4) return;
  // Types 1 to 4: up, down, left, right.
  const auto arrow = static_cast<TScrollArrow>(ButtonType - 1);
  HDC dc = Canvas.Handle();
  if (DrawVisualStylePart(vscScrollBar, dc, SBP_ARROWBTN, StyledScrollArrowState(arrow) + (Hot ? 1 : 0), ARect))
    return;
  DrawFrameControlAt(dc, ARect, DFC_SCROLL, ClassicScrollArrowKind(arrow) | (Hot ? 0 : DFCS_FLAT));
}

void TTBXDefaultTheme::PaintFrameControl(TCanvas& Canvas, const RECT& R, int Kind, int State, void*) {
  if (Kind != fckCheckBox && Kind != fckRadioButton) return;
  HDC dc = Canvas.Handle();
  const bool checked = State & fcsChecked, grayed = Kind == fckCheckBox && (State & fcsGrayed);
  const int base = ControlPartState(State & fcsDisabled, State & fcsPushed, State & fcsHot);
  const int part = Kind == fckCheckBox ? BP_CHECKBOX : BP_RADIOBUTTON;
  // The checked states follow the four unchecked ones, a check box's mixed ones the checked.
  const int state = base + (checked ? 4 : grayed ? 8 : 0);
  if (DrawVisualStylePart(vscButton, dc, part, state, R)) return;
  UINT kind = Kind == fckRadioButton ? DFCS_BUTTONRADIO : grayed ? DFCS_BUTTON3STATE : DFCS_BUTTONCHECK;
  if (checked || grayed) kind |= DFCS_CHECKED;
  if (State & fcsDisabled) kind |= DFCS_INACTIVE;
  if (State & fcsPushed) kind |= DFCS_PUSHED;
  if (State & fcsHot) kind |= DFCS_HOT;
  DrawFrameControlAt(dc, R, DFC_BUTTON, kind);
}

void TTBXDefaultTheme::PaintStatusBar(TCanvas& Canvas, const RECT& R, int Part) {
  HDC dc = Canvas.Handle();
  if (DrawVisualStylePart(vscStatus, dc, Part, 0, R)) return;
  if (Part == SP_PANE) DrawEdgeAt(dc, R, BDR_SUNKENOUTER, BF_RECT);
  else if (Part == SP_GRIPPER) DrawFrameControlAt(dc, R, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
  else FillRectColor(dc, R, statusBarColor_);
}

// --- edit items ------------------------------------------------------------------------------

void TTBXDefaultTheme::PaintEditFrame(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo,
                                      const TTBXEditInfo& EditInfo) {
  HDC dc = Canvas.Handle();
  RECT r = ARect;
  ::DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  FillRectColor(dc, r, ItemInfo.ItemEnabled ? clWindow : clBtnFace);
  if (EditInfo.LeftButtonWidth > 0)
    PaintEditButton(Canvas, RECT{r.left, r.top, r.left + EditInfo.LeftButtonWidth, r.bottom}, ItemInfo,
                    EditInfo.LeftButton);
  if (EditInfo.RightButtonWidth > 0)
    PaintEditButton(Canvas, RECT{r.right - EditInfo.RightButtonWidth, r.top, r.right, r.bottom}, ItemInfo,
                    EditInfo.RightButton);
}

void TTBXDefaultTheme::PaintEditButton(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo&,
                                       const TTBXEditBtnInfo& ButtonInfo) {
  HDC dc = Canvas.Handle();
  const int s = ButtonInfo.ButtonState;
  const bool disabled = s & ebsDisabled, hot = s & ebsHot;
  if (ButtonInfo.ButtonType == ebtDropDown) {
    const bool pressed = s & ebsPressed;
    if (DrawVisualStylePart(vscComboBox, dc, CP_DROPDOWNBUTTON, ControlPartState(disabled, pressed, hot), ARect)) return;
    DrawFrameControlAt(dc, ARect, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | ClassicPushState(disabled, pressed));
  } else if (ButtonInfo.ButtonType == ebtSpin) {
    const RECT up{ARect.left, ARect.top, ARect.right, (ARect.top + ARect.bottom) / 2};
    const RECT down{ARect.left, up.bottom, ARect.right, ARect.bottom};
    const bool upPressed = s & ebsPressed, downPressed = s & ebsDownPressed;
    if (DrawVisualStylePart(vscSpin, dc, SPNP_UP, ControlPartState(disabled, upPressed, hot), up)) {
      DrawVisualStylePart(vscSpin, dc, SPNP_DOWN, ControlPartState(disabled, downPressed, hot), down);
      return;
    }
    DrawFrameControlAt(dc, up, DFC_SCROLL, DFCS_SCROLLUP | ClassicPushState(disabled, upPressed));
    DrawFrameControlAt(dc, down, DFC_SCROLL, DFCS_SCROLLDOWN | ClassicPushState(disabled, downPressed));
  }
}

// --- toolbars, docks and floating windows ------------------------------------------------------

void TTBXDefaultTheme::PaintCloseButton(HDC DC, const RECT& ARect, int State) {
  const bool pressed = State & cbsPressed;
  if (DrawVisualStylePart(vscWindow, DC, WP_SMALLCLOSEBUTTON, ControlPartState(false, pressed, State & cbsHot), ARect))
    return;
  DrawFrameControlAt(DC, ARect, DFC_CAPTION, DFCS_CAPTIONCLOSE | (pressed ? DFCS_PUSHED : 0));
}

void TTBXDefaultTheme::PaintCaptionBar(TCanvas& Canvas, const RECT& Caption, const RECT& CloseButton,
                                       const wchar_t* Text, bool Active, int CloseButtonState, bool Vertical) {
  HDC dc = Canvas.Handle();
  PaintGradientRect(dc, Caption, Active ? clActiveCaption : clInactiveCaption,
                    Active ? clGradientActiveCaption : clGradientInactiveCaption, Vertical ? gdVertical : gdHorizontal);
  RECT text = Caption;
  if ((CloseButtonState & cbsVisible) != 0) {
    PaintCloseButton(dc, CloseButton, CloseButtonState);
    if (Vertical) text.bottom = CloseButton.top;
    else text.right = CloseButton.left;
  }
  if (Vertical) InflateRect(&text, 0, -2);
  else InflateRect(&text, -2, 0);
  DrawSmallCaption(Canvas, text, Text, Active ? clCaptionText : clInactiveCaptionText, Vertical);
}

void TTBXDefaultTheme::PaintToolbarNCArea(TCanvas& Canvas, const RECT& R, const TTBXToolbarInfo& ToolbarInfo) {
  HDC dc = Canvas.Handle();
  FillRectColor(dc, R, toolbarColor_);
  if ((ToolbarInfo.ViewKind & vkFloating) == 0) DrawEdgeAt(dc, R, BDR_RAISEDINNER, BF_RECT);
  const RECT grip = GetToolbarGripRect(ToolbarInfo, R);
  if (!IsRectEmpty(&grip)) PaintClassicGrip(dc, grip, ToolbarInfo.IsVertical, ToolbarInfo.DragHandleStyle == dhDouble);
  if (GetToolbarCloseButtonSize(ToolbarInfo) > 0) {
    RECT closeButton{};
    GetToolbarCloseButtonRect(ToolbarInfo, closeButton);
    PaintCloseButton(dc, closeButton, ToolbarInfo.CloseButtonState);
  }
}

void TTBXDefaultTheme::PaintDock(TCanvas& Canvas, const RECT& ClientRect, const RECT&, int) {
  FillRectColor(Canvas.Handle(), ClientRect, toolbarColor_);
}

void TTBXDefaultTheme::PaintDockPanelNCArea(TCanvas& Canvas, const RECT& R, const TTBXDockPanelInfo& DockPanelInfo) {
  HDC dc = Canvas.Handle();
  FillRectColor(dc, R, dockPanelColor_);
  DrawEdgeAt(dc, R, EDGE_RAISED, BF_RECT);
  if (!DockPanelInfo.ShowCaption) return;
  RECT caption{}, closeButton{};
  GetDockPanelCaptionRects(DockPanelInfo, R, caption, closeButton);
  PaintCaptionBar(Canvas, caption, closeButton, DockPanelInfo.Caption, true, DockPanelInfo.CloseButtonState,
                  DockPanelInfo.IsVertical);
}

void TTBXDefaultTheme::PaintFloatingBorder(TCanvas& Canvas, const RECT& ARect, const TTBXWindowInfo& WindowInfo) {
  HDC dc = Canvas.Handle();
  RECT inner = ARect;
  InflateRect(&inner, -WindowInfo.BorderSize.x, -WindowInfo.BorderSize.y);
  FillRectBand(dc, ARect, inner, toolbarColor_);
  DrawEdgeAt(dc, ARect, EDGE_RAISED, BF_RECT);
  if (!WindowInfo.ShowCaption) return;
  RECT caption{}, closeButton{};
  GetFloatingCaptionRect(WindowInfo, true, false, caption);
  GetFloatingCloseButtonRect(WindowInfo, true, closeButton);
  PaintCaptionBar(Canvas, caption, closeButton, WindowInfo.Caption, WindowInfo.Active, WindowInfo.CloseButtonState,
                  false);
}
