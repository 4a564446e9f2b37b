// The "Ide" theme's painting of what the notes application does not show: toolbar, dock and
// floating-window frames with their grips, captions and close buttons, MDI buttons, chevrons,
// page-scroll buttons, edit items, small check boxes and radio buttons, and status bars.
#include "tbx/TBXIdeTheme.h"

#include "tbx/TBXIdeDrawing.h"

#include <vsstyle.h>

#include <algorithm>

using namespace tbx::ide;

namespace {

// The chevron of a horizontal toolbar (8 x 6, pointing right) and of a vertical one (6 x 8,
// pointing down).
constexpr uint8_t kChevronHorizontal[8] = {0xD8, 0x6C, 0x36, 0x6C, 0xD8, 0x00, 0x00, 0x00};
constexpr uint8_t kChevronVertical[8] = {0x84, 0xCC, 0x78, 0x30, 0x84, 0xCC, 0x78, 0x30};

// Where a grip's dots sit apart.
constexpr int kGripDotSpacing = 4;

// The button state of a close button from its state bits.
TBtnItemState CloseButtonState(int State) {
  if ((State & cbsPressed) != 0) return bisPressed;
  return (State & cbsHot) != 0 ? bisHot : bisNormal;
}

// The soft edge of edit boxes outside raised toolbars.
TColor SoftEditEdgeColor() {
  return BlendPercent(IdeBaseColors().GradientDarkColor, IdeBaseColors().GradientLightColor, 90);
}

// A rectangle or an ellipse: its outline in a colour, its inside with the brush given.
void DrawControlShape(HDC DC, const RECT& R, bool Ellipse, TColor LineColor, HBRUSH Fill) {
  gdi::PenHandle pen = MakeColorPen(LineColor);
  gdi::SelectionGuard selectPen(DC, pen.Get());
  gdi::SelectionGuard selectBrush(DC, Fill);
  if (Ellipse) ::Ellipse(DC, R.left, R.top, R.right, R.bottom);
  else ::Rectangle(DC, R.left, R.top, R.right, R.bottom);
}

}  // namespace

// --- glyphs and close buttons ------------------------------------------------------------------

void TTBXIdeTheme::PaintGlyph(TCanvas& Canvas, const RECT& ARect, int GlyphIndex, TColor Color) {
  HIMAGELIST glyphs = tbx::IdeGlyphs();
  if (!glyphs || Color == clNone || GlyphIndex >= ImageList_GetImageCount(glyphs)) return;
  int w = 0, h = 0;
  ImageList_GetIconSize(glyphs, &w, &h);
  HDC dc = Canvas.Handle();
  gdi::BitmapHandle mask(::CreateBitmap(w, h, 1, 1, nullptr));
  gdi::MemoryDC maskDC = gdi::NewMemoryDC(dc);
  gdi::SelectionGuard selectMask(maskDC.Get(), mask.Get());
  // The list sets only the glyph's own bits of a mask: the rest starts clear (white).
  ::PatBlt(maskDC.Get(), 0, 0, w, h, WHITENESS);
  ImageList_Draw(glyphs, GlyphIndex, maskDC.Get(), 0, 0, ILD_MASK);
  TColorBrush brush(Color);
  gdi::SelectionGuard selectBrush(dc, brush.Get());
  // The mask is clear where the glyph is: there the brush shows, elsewhere what was painted.
  tbx::TMonoSourceColors colors(dc, RGB(255, 255, 255), RGB(0, 0, 0));
  ::BitBlt(dc, (ARect.left + ARect.right - w + 1) / 2, (ARect.top + ARect.bottom - h + 1) / 2, w, h, maskDC.Get(),
           0, 0, ROP_BrushWhereSourceSet);
}

TColor TTBXIdeTheme::PaintCloseButtonFace(TCanvas& Canvas, const RECT& ARect, int State) {
  const TItemPartColors& c = colors_.BtnItemColors[CloseButtonState(State)];
  HDC dc = Canvas.Handle();
  RECT inside = ARect;
  FrameRectColor(dc, inside, c[ipFrame], true);
  FillRectColor(dc, inside, c[ipBody]);
  return c[ipText];
}

void TTBXIdeTheme::PaintCloseButton(TCanvas& Canvas, const RECT& ARect, int State) {
  const TColor cross = PaintCloseButtonFace(Canvas, ARect, State);
  DrawMonoPattern(Canvas.Handle(), ARect, 8, 7, kClosePattern, cross);
}

void TTBXIdeTheme::PaintMDIButton(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo,
                                  UINT ButtonKind) {
  PaintButton(Canvas, ARect, ItemInfo);
  int glyph;
  switch (ButtonKind) {
    case DFCS_CAPTIONCLOSE: glyph = 0; break;
    case DFCS_CAPTIONMIN: glyph = 2; break;
    case DFCS_CAPTIONRESTORE: glyph = 3; break;
    default: return;
  }
  PaintGlyph(Canvas, ARect, glyph, GetPartColor(ItemInfo, ipText));
}

void TTBXIdeTheme::PaintChevron(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) {
  PaintButton(Canvas, ARect, ItemInfo);
  const TColor color = GetPartColor(ItemInfo, ipText);
  if (ItemInfo.Vertical)
    DrawMonoPattern(Canvas.Handle(), RECT{ARect.right - 9, ARect.top + 2, ARect.right - 3, ARect.top + 10}, 6, 8,
                    kChevronVertical, color);
  else
    DrawMonoPattern(Canvas.Handle(), RECT{ARect.left + 2, ARect.top + 4, ARect.left + 10, ARect.top + 10}, 8, 6,
                    kChevronHorizontal, color);
}

// --- toolbars and docks ------------------------------------------------------------------------

void TTBXIdeTheme::PaintGrip(HDC DC, const RECT& ARect, bool Vertical, bool Double) {
  // Each dot: four pixels shading towards the shadow, three lighting towards the light.
  const TIdeBaseColors& base = IdeBaseColors();
  auto shade = [&](TColor Towards, int Weight) {
    return ColorToGdi(WeightColorsNearest(Towards, base.NCBaseColor, Weight));
  };
  const COLORREF dark[4] = {shade(base.NCShadowColor, 64), shade(base.NCShadowColor, 48),
                            shade(base.NCShadowColor, 32), shade(base.NCShadowColor, 16)};
  const COLORREF light[3] = {shade(base.NCLightColor, 128), shade(base.NCLightColor, 96),
                             shade(base.NCLightColor, 72)};
  auto dot = [&](int X, int Y) {
    ::SetPixelV(DC, X, Y, dark[0]);
    ::SetPixelV(DC, X + 1, Y, dark[1]);
    ::SetPixelV(DC, X, Y + 1, dark[2]);
    ::SetPixelV(DC, X + 1, Y + 1, dark[3]);
    ::SetPixelV(DC, X + 2, Y + 1, light[0]);
    ::SetPixelV(DC, X + 1, Y + 2, light[1]);
    ::SetPixelV(DC, X + 2, Y + 2, light[2]);
  };
  const int lines = Double ? 2 : 1;
  for (int line = 0; line < lines; ++line) {
    if (Vertical) {
      for (int x = ARect.left + 2; x + 3 <= ARect.right; x += kGripDotSpacing) dot(x, ARect.top + 1 + line * 4);
    } else {
      for (int y = ARect.top + 2; y + 3 <= ARect.bottom; y += kGripDotSpacing) dot(ARect.left + 1 + line * 4, y);
    }
  }
}

void TTBXIdeTheme::PaintToolbarNCArea(TCanvas& Canvas, const RECT& R, const TTBXToolbarInfo& ToolbarInfo) {
  const TIdeBaseColors& base = IdeBaseColors();
  const int kind = ToolbarInfo.ViewKind;
  HDC dc = Canvas.Handle();
  if (!IsViewKind(kind, vkNormalToolbar) && !IsViewKind(kind, vkToolWindow) && kind != vkToolbar)
    GradientLeftToRight(Canvas, R, clBtnFace, base.GradientLightColor);
  else if (!ToolbarInfo.IsVertical)
    GradientTopToBottom(Canvas, R, base.GradientLightColor, base.GradientDarkColor);
  else
    GradientLeftToRight(Canvas, R, base.GradientLightColor, base.GradientDarkColor);

  if ((kind & vkFloating) == 0) {
    // A docked toolbar sits on its dock with a darker edge at the bottom and right, its
    // corners blended into what lies around them.
    DrawColorLine(dc, R.left + 1, R.bottom - 1, R.right - 1, R.bottom - 1, base.NCBorderColor);
    DrawColorLine(dc, R.right - 1, R.top + 1, R.right - 1, R.bottom - 1, base.NCBorderColor);
    const COLORREF corner = ColorToGdi(BlendPercent(base.NCBorderColor, colors_.ToolbarViewColor, 50));
    ::SetPixelV(dc, R.right - 1, R.top, corner);
    ::SetPixelV(dc, R.left, R.bottom - 1, corner);
    ::SetPixelV(dc, R.right - 1, R.bottom - 1, corner);
  }

  const RECT grip = GetToolbarGripRect(ToolbarInfo, R);
  if (!IsRectEmpty(&grip)) PaintGrip(dc, grip, ToolbarInfo.IsVertical, ToolbarInfo.DragHandleStyle == dhDouble);
  if (GetToolbarCloseButtonSize(ToolbarInfo) > 0) {
    RECT closeButton{};
    GetToolbarCloseButtonRect(ToolbarInfo, closeButton);
    PaintCloseButton(Canvas, closeButton, ToolbarInfo.CloseButtonState);
  }
}

void TTBXIdeTheme::PaintDock(TCanvas& Canvas, const RECT& ClientRect, const RECT&, int) {
  GradientLeftToRight(Canvas, ClientRect, kDockLeft, kDockRight);
}

void TTBXIdeTheme::PaintDockPanelNCArea(TCanvas& Canvas, const RECT& R, const TTBXDockPanelInfo& DockPanelInfo) {
  HDC dc = Canvas.Handle();
  RECT inside = R;
  FrameRectColor(dc, inside, clBtnFace, true);
  FrameRectColor(dc, inside, IdeBaseColors().FrameBaseColor, true);
  if (!DockPanelInfo.ShowCaption) return;
  RECT caption{}, close{};
  GetDockPanelCaptionRects(DockPanelInfo, R, caption, close);
  const bool vertical = DockPanelInfo.IsVertical;
  if (vertical)
    GradientTopToBottom(Canvas, caption, clBtnFace, IdeBaseColors().GradientLightColor);
  else
    GradientTopToBottom(Canvas, caption, kDockCaptionTop, kDockCaptionBottom);
  RECT text = caption;
  if ((DockPanelInfo.CloseButtonState & cbsVisible) != 0) {
    PaintCloseButton(Canvas, close, DockPanelInfo.CloseButtonState);
    if (vertical) text.bottom = close.top;
    else text.right = close.left;
  }
  if (vertical) InflateRect(&text, 0, -4);
  else InflateRect(&text, -4, 0);
  DrawSmallCaption(Canvas, text, DockPanelInfo.Caption, clBtnText, vertical);
}

void TTBXIdeTheme::PaintFloatingBorder(TCanvas& Canvas, const RECT& ARect, const TTBXWindowInfo& WindowInfo) {
  const bool dockPanel = (WindowInfo.ViewKind & vkDockPanel) != 0;
  const auto& colors =
      (dockPanel ? colors_.DockPanelFrameColors : colors_.WinFrameColors)[WindowInfo.Active ? wfsActive : wfsInactive];
  const TColor outline = Canvas.Brush().Color();
  HDC dc = Canvas.Handle();
  RECT inner = ARect;
  InflateRect(&inner, -WindowInfo.BorderSize.x, -WindowInfo.BorderSize.y);
  FillRectBand(dc, ARect, inner, colors[wfpBorder]);
  ButtonFrame(Canvas, ARect, 1, 1, outline, clNone, clNone);
  if (WindowInfo.ShowCaption) {
    const bool hasClose = (WindowInfo.CloseButtonState & cbsVisible) != 0;
    RECT caption{};
    GetFloatingCaptionRect(WindowInfo, true, hasClose, caption);
    FillRectColor(dc, caption, colors[wfpCaption]);
    InflateRect(&caption, -2, 0);
    DrawSmallCaption(Canvas, caption, WindowInfo.Caption, colors[wfpCaptionText], false);
    if (hasClose) {
      RECT button{};
      GetFloatingCloseButtonRect(WindowInfo, true, button);
      FillRectColor(dc, button, colors[wfpCaption]);
      PaintGlyph(Canvas, button, 0, PaintCloseButtonFace(Canvas, button, WindowInfo.CloseButtonState));
    }
  }
}

// --- page-scroll buttons, small controls and status bars ---------------------------------------

void TTBXIdeTheme::PaintPageScrollButton(TCanvas& Canvas, const RECT& ARect, int ButtonType, bool Hot) {
  const TItemPartColors& hot = colors_.BtnItemColors[bisHot];
  HDC dc = Canvas.Handle();
  RECT inside = ARect;
  FrameRectColor(dc, inside, Hot ? hot[ipFrame] : clBtnShadow, true);
  FillRectColor(dc, inside, Hot ? hot[ipBody] : clBtnFace);
  const int s = 3 * std::min((ARect.right - ARect.left) / 2, (ARect.bottom - ARect.top) / 2) / 4;
  const int x = (ARect.left + ARect.right) / 2, y = (ARect.top + ARect.bottom) / 2, h = s / 2;
  POINT arrow[3];
  switch (ButtonType) {
    case 1: arrow[0] = {x - s, y + h}, arrow[1] = {x + s, y + h}, arrow[2] = {x, y + h - s}; break;
    case 2: arrow[0] = {x - s, y - h}, arrow[1] = {x + s, y - h}, arrow[2] = {x, y - h + s}; break;
    case 3: arrow[0] = {x + h, y - s}, arrow[1] = {x + h, y + s}, arrow[2] = {x + h - s, y}; break;
    case 4: arrow[0] = {x - h, y - s}, arrow[1] = {x - h, y + s}, arrow[2] = {x - h + s, y}; break;
    default: return;
  }
  const TColor color = Hot ? hot[ipText] : colors_.BtnItemColors[bisNormal][ipText];
  DrawColorPolygon(dc, arrow, color, color);
}

void TTBXIdeTheme::PaintFrameControl(TCanvas& Canvas, const RECT& R, int Kind, int State, void*) {
  if (Kind != 1 && Kind != 2) return;
  const bool checked = State & 0x01, grayed = State & 0x02, disabled = State & 0x04, hot = State & 0x08,
             pushed = State & 0x10;
  const auto& b = colors_.BtnItemColors;
  const TColor line = disabled ? clBtnShadow
                      : pushed ? b[bisPressed][ipFrame]
                      : hot    ? b[bisHot][ipFrame]
                               : clBtnShadow;
  gdi::BrushHandle fill = disabled ? MakeColorBrush(clNone)
                          : pushed ? MakeColorBrush(b[bisPressed][ipBody])
                          : hot    ? MakeColorBrush(b[bisHot][ipBody])
                          : grayed ? MakeDitherBrush(clWindow, clBtnFace)
                                   : MakeColorBrush(clNone);
  const TColor mark = disabled ? b[bisDisabled][ipText]
                      : pushed ? b[bisPressed][ipText]
                      : grayed ? clBtnShadow
                      : hot    ? b[bisHot][ipText]
                               : b[bisNormal][ipText];
  HDC dc = Canvas.Handle();
  RECT box = R;
  InflateRect(&box, -1, -1);
  DrawControlShape(dc, box, Kind == 2, line, fill.Get());
  if (Kind == 1 && (checked || grayed)) {
    const int x = (R.left + R.right) / 2 - 1, y = (R.top + R.bottom) / 2;
    const POINT tick[] = {{x - 2, y + 1}, {x, y + 3}, {x + 4, y - 1}, {x + 4, y - 3}, {x, y + 1}, {x - 2, y - 1}};
    DrawColorPolygon(dc, tick, mark, mark);
  } else if (Kind == 2 && checked) {
    InflateRect(&box, -3, -3);
    gdi::BrushHandle dot = MakeColorBrush(mark);
    DrawControlShape(dc, box, true, mark, dot.Get());
  }
}

void TTBXIdeTheme::PaintStatusBar(TCanvas& Canvas, const RECT& R, int Part) {
  HDC dc = Canvas.Handle();
  if (Part == SP_PANE) {
    RECT pane = R;
    FrameRectColor(dc, pane, colors_.StatusPanelFrameColor, false);
  } else if (Part == SP_GRIPPER) {
    // Dots in a triangle towards the corner the size grip drags.
    for (int row = 0; row < 3; ++row)
      for (int column = 2 - row; column < 3; ++column)
        PaintGrip(dc, RECT{R.right - 4 * (3 - column) - 1, R.bottom - 4 * (3 - row) - 1, R.right - 4 * (2 - column),
                           R.bottom - 4 * (2 - row)},
                  false, false);
  } else {
    FillRectColor(dc, R, clBtnFace);
  }
}

// --- edit items --------------------------------------------------------------------------------

void TTBXIdeTheme::PaintEditFrame(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo,
                                  const TTBXEditInfo& EditInfo) {
  HDC dc = Canvas.Handle();
  const bool raised = IsRaisedToolbar(ItemInfo.ViewKind);
  if (ItemInfo.Hover != 0) {
    RECT hot = ARect;
    FrameRectColor(dc, hot, colors_.BtnItemColors[bisHot][ipFrame], false);
  }
  const int frameWidth = GetIntegerMetrics(tmEditFrameWidth);
  RECT r = ARect;
  InflateRect(&r, -frameWidth, -frameWidth);
  if (!raised && !ItemInfo.ItemEnabled) FrameRectColor(dc, r, colors_.BtnItemColors[bisDisabled][ipText], true);
  const int buttonWidth = EditInfo.RightButtonWidth;
  if (buttonWidth > 0) r.right += 2 - buttonWidth;
  if (ItemInfo.ItemEnabled) {
    const TColor edge = raised ? SoftEditEdgeColor() : clWindow;
    FrameRectColor(dc, r, edge, ItemInfo.Hover == 0);
    FillRectColor(dc, r, clWindow);
    if ((ItemInfo.ViewKind & vkToolbar) == 0 && GetPartColor(ItemInfo, ipFrame) == clNone) {
      RECT soft = ARect;
      InflateRect(&soft, -1, -1);
      FrameRectColor(dc, soft, SoftEditEdgeColor(), false);
    }
  }
  if (buttonWidth >= 1) {
    RECT button = ARect;
    InflateRect(&button, -frameWidth, -frameWidth);
    button.left = button.right - buttonWidth;
    PaintEditButton(Canvas, button, ItemInfo, EditInfo.RightButton);
  }
}

void TTBXIdeTheme::PaintEditButton(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo,
                                   const TTBXEditBtnInfo& ButtonInfo) {
  HDC dc = Canvas.Handle();
  RECT r = ARect;
  r.left += 1;
  const bool disabled = ButtonInfo.ButtonState & ebsDisabled, hot = ButtonInfo.ButtonState & ebsHot;
  auto face = [&](const RECT& Part, bool Pressed) {
    if (disabled) return;
    TTBXItemInfo partInfo = ItemInfo;
    partInfo.ItemPushed = Pressed;
    if (hot || Pressed) {
      RECT grown = Part;
      InflateRect(&grown, 1, 1);
      PaintButton(Canvas, grown, partInfo);
    }
    const TColor frame = IsRaisedToolbar(ItemInfo.ViewKind) ? GetBtnColor(partInfo, ipFrame)
                         : hot || Pressed                    ? colors_.BtnItemColors[bisHot][ipFrame]
                         : (ItemInfo.ViewKind & vkToolbar) != 0 ? clWindow
                                                                : SoftEditEdgeColor();
    RECT edge = Part;
    FrameRectColor(dc, edge, frame, true);
  };
  if (ButtonInfo.ButtonType == ebtDropDown) {
    face(r, ButtonInfo.ButtonState & ebsPressed);
    PaintDropDownArrow(Canvas, r, ItemInfo);
  } else if (ButtonInfo.ButtonType == ebtSpin) {
    const RECT up{r.left, r.top, r.right, (r.top + r.bottom + 1) / 2};
    const RECT down{r.left, (r.top + r.bottom) / 2, r.right, r.bottom};
    face(up, ButtonInfo.ButtonState & ebsPressed);
    face(down, ButtonInfo.ButtonState & ebsDownPressed);
    const TColor text = GetPartColor(ItemInfo, ipText);
    const int x = (r.left + r.right) / 2;
    const int upMiddle = (up.top + up.bottom - 1) / 2, downMiddle = (down.top + down.bottom) / 2;
    const POINT upArrow[] = {{x - 2, upMiddle + 1}, {x + 2, upMiddle + 1}, {x, upMiddle - 1}};
    const POINT downArrow[] = {{x - 2, downMiddle - 1}, {x + 2, downMiddle - 1}, {x, downMiddle + 1}};
    DrawColorPolygon(dc, upArrow, text, text);
    DrawColorPolygon(dc, downArrow, text, text);
  }
}
