// The "Ide" theme's geometry and the painting of what menus show: popup borders and
// backgrounds, popup items with their image column, hot frame, check box, marks and arrows,
// captions, images, separators, and the button faces of toolbar-style items.
#include "tbx/TBXIdeTheme.h"

#include "classlib/ScopeGuard.h"
#include "items/TB2Common.h"
#include "items/TB2ImageList.h"
#include "tbx/TBXIdeDrawing.h"

using namespace tbx::ide;

namespace {

// The mark of a checked radio item: a round dot of 6 x 6, drawn like every small glyph.
constexpr uint8_t kRadioDot[8] = {0x30, 0x78, 0xFC, 0xFC, 0x78, 0x30, 0x00, 0x00};

bool IsZeroRect(const RECT& R) { return R.left == 0 && R.top == 0 && R.right == 0 && R.bottom == 0; }

// A plain toolbar (not one whose items always show their face) or a tool window.
bool HasToolbarGradient(int ViewKind) {
  return (IsViewKind(ViewKind, vkNormalToolbar) && (ViewKind & vkRaisedItems) == 0) ||
         IsViewKind(ViewKind, vkToolWindow);
}

void SetCornerPixels(HDC DC, const RECT& R, TColor Color) {
  const COLORREF c = ColorToGdi(Color);
  for (const POINT p : {POINT{R.left, R.top}, POINT{R.right - 1, R.top}, POINT{R.left, R.bottom - 1},
                        POINT{R.right - 1, R.bottom - 1}})
    ::SetPixelV(DC, p.x, p.y, c);
}

void DrawFilledTriangle(HDC DC, const POINT (&Points)[3], TColor Color) { DrawColorPolygon(DC, Points, Color, Color); }

}  // namespace

// --- geometry --------------------------------------------------------------------------------

POINT TTBXIdeTheme::GetImageOffset(TCanvas&, const TTBXItemInfo& ItemInfo, TCustomImageList* ImageList) {
  // Image lists of the item framework draw their own hot images.
  const bool ownStates = dynamic_cast<TTBCustomImageList*>(ImageList) != nullptr;
  if (!ownStates && ItemInfo.ItemEnabled && ItemInfo.Hover != 0 && !ItemInfo.ItemChecked &&
      (!ItemInfo.ItemPushed || ItemInfo.OpensPopup))
    return POINT{-1, -1};
  return POINT{0, 0};
}

void TTBXIdeTheme::GetViewBorder(int ViewKind, POINT& Border) {
  if ((ViewKind & (vkToolbar | vkDockPanel)) != 0) {
    if ((ViewKind & vkFloating) == 0) Border = POINT{2, 2};
    else if ((ViewKind & vkSizable) != 0)
      Border = POINT{GetSystemMetrics(SM_CXFRAME) - 1, GetSystemMetrics(SM_CYFRAME) - 1};
    else Border = POINT{GetSystemMetrics(SM_CXDLGFRAME) - 1, GetSystemMetrics(SM_CYDLGFRAME) - 1};
  } else if ((ViewKind & vkPopup) != 0) {
    Border = IsViewKind(ViewKind, vkPopupMenu) ? POINT{1, 2} : POINT{2, 2};
  } else {
    Border = POINT{0, 0};
  }
}

void TTBXIdeTheme::GetMargins(int MarginID, TTBXMargins& Margins) {
  switch (MarginID) {
    case mkToolbarItem: Margins = {2, 2, 2, 2}; break;
    case mkMenuItem: Margins = {1, 1, 3, 3}; break;
    case mkStatusPane: Margins = {3, 3, 1, 1}; break;
    default: Margins = {0, 0, 0, 0}; break;
  }
}

void TTBXIdeTheme::GetViewMargins(int, TTBXMargins& Margins) { Margins = {0, 0, 0, 0}; }

// --- backgrounds and borders -----------------------------------------------------------------

void TTBXIdeTheme::PaintBackgnd(TCanvas& Canvas, const RECT& ARect, const RECT& AClipRect, const RECT& AFullRect,
                                TColor AColor, bool Transparent, int ViewKind) {
  RECT r;
  if (Transparent || !IntersectRect(&r, &AClipRect, &AFullRect)) return;
  if (HasToolbarGradient(ViewKind)) {
    const bool horizontal =
        IsZeroRect(ARect) ? AClipRect.right > AClipRect.bottom : r.right - r.left > r.bottom - r.top;
    if (horizontal) {
      InflateRect(&r, 0, 1);
      GradientTopToBottom(Canvas, r, IdeBaseColors().GradientLightColor, IdeBaseColors().GradientDarkColor);
    } else {
      InflateRect(&r, 1, 0);
      GradientLeftToRight(Canvas, r, kDockLeft, kDockRight);
    }
  } else if (EqualRect(&ARect, &AClipRect)) {
    // A popup erases its background with its client rect three times: the view colour fills it.
    FillRectColor(Canvas.Handle(), r, AColor);
  } else {
    GradientLeftToRight(Canvas, r, kDockLeft, kDockRight);
  }
}

void TTBXIdeTheme::PaintPopupNCArea(TCanvas& Canvas, const RECT& R, const TTBXPopupInfo&) {
  HDC dc = Canvas.Handle();
  RECT inside = R;
  FrameRectColor(dc, inside, colors_.PopupFrameColor, true);
  FillRectColor(dc, inside, colors_.PopupViewColor);
}

// --- popup items ------------------------------------------------------------------------------

void TTBXIdeTheme::PaintImageColumn(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) {
  const TIdeBaseColors& base = IdeBaseColors();
  const int edge = ARect.left + ItemInfo.ImageColumnWidth + 2;
  GradientLeftToRight(Canvas, RECT{ARect.left, ARect.top, edge, ARect.bottom}, base.GradientLightColor,
                      base.GradientDarkColor);
  HDC dc = Canvas.Handle();
  DrawColorLine(dc, edge, ARect.top, edge, ARect.bottom, base.FrameBaseColor);
  DrawColorLine(dc, edge + 1, ARect.top, edge + 1, ARect.bottom, clWhite);
}

void TTBXIdeTheme::PaintMenuItemFrame(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) {
  RECT frame = ARect;
  // The items of an edit item's popup are toolbar-like: no image column.
  if (!IsViewKind(ItemInfo.ViewKind, vkToolBoxPopup)) {
    PaintImageColumn(Canvas, ARect, ItemInfo);
    frame.left += 1;
    frame.right -= 1;
  }
  PaintFrame(Canvas, frame, ItemInfo);
}

void TTBXIdeTheme::PaintFrame(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) {
  if (!ItemInfo.ItemEnabled || ItemInfo.Hover == 0) return;
  const RECT r{ARect.left + 1, ARect.top, ARect.right - 1, ARect.bottom};
  GradientTopToBottom(Canvas, r, kHotItemTop, kHotItemBottom);
  HDC dc = Canvas.Handle();
  RECT frame = r;
  FrameRectColor(dc, frame, IdeBaseColors().HighlightBaseColor, true);
  // The frame's own corners take the popup's colour, so that the highlight looks rounded.
  SetCornerPixels(dc, r, colors_.PopupViewColor);
}

void TTBXIdeTheme::PaintMenuItem(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) {
  const int checkWidth = GetSystemMetrics(SM_CXMENUCHECK);
  const TColor text = GetPartColor(ItemInfo, ipText);
  PaintMenuItemFrame(Canvas, ARect, ItemInfo);
  HDC dc = Canvas.Handle();
  if ((ItemInfo.Flags & iifSplit) != 0) {
    const int x = ARect.right - checkWidth - 1;
    const TColor divider = !ItemInfo.ItemEnabled ? text
                           : ItemInfo.Hover == 2 ? GetPartColor(ItemInfo, ipFrame)
                                                 : colors_.MenuSeparatorColor;
    DrawColorLine(dc, x, ARect.top + 1, x, ARect.bottom - 1, divider);
  }
  if ((ItemInfo.Flags & iifHasSubitems) != 0) {
    // Viewers paint items in their own coordinates: bottom div 2 is the middle.
    const int x = ARect.right - checkWidth * 2 / 3 - 1, y = ARect.bottom / 2;
    DrawFilledTriangle(dc, {{x, y - 3}, {x, y + 3}, {x + 3, y}}, text);
  }
  if (ItemInfo.ItemChecked && ItemInfo.ItemEnabled) {
    // The check box behind the image (or the tick the viewer asks for).
    RECT box{ARect.left + 2, ARect.top + 1, ARect.left + ItemInfo.ImageColumnWidth, ARect.bottom - 1};
    FrameRectColor(dc, box, GetBtnColor(ItemInfo, ipFrame), true);
    FillRectColor(dc, box, GetBtnColor(ItemInfo, ipBody));
  }
}

void TTBXIdeTheme::PaintSeparator(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo, bool Horizontal,
                                  bool) {
  HDC dc = Canvas.Handle();
  const bool popupStyle =
      (ItemInfo.Flags & iifToolbarStyle) == 0 && !IsViewKind(ItemInfo.ViewKind, vkToolBoxPopup);
  if (Horizontal && popupStyle) {
    // A blank separator keeps the image column going down the popup.
    PaintImageColumn(Canvas, ARect, ItemInfo);
    if (!ItemInfo.ItemEnabled) return;
    // The line runs through the middle from just right of the column to the item's right edge,
    // in the menu's separator colour.
    const int y = (ARect.top + ARect.bottom) / 2;
    DrawColorLine(dc, ARect.left + ItemInfo.ImageColumnWidth + 9, y, ARect.right, y, colors_.MenuSeparatorColor);
    return;
  }
  if (!ItemInfo.ItemEnabled) return;
  if (Horizontal && (ItemInfo.ViewKind & vkToolbar) != 0) {
    const int y = ARect.bottom / 2 - 1;
    DrawColorLine(dc, ARect.left + 3, y, ARect.right - 3, y, colors_.ToolbarSeparatorColor);
  } else if (Horizontal) {
    const int y = ARect.bottom / 2;
    DrawColorLine(dc, ARect.left + 4, y, ARect.right - 2, y, IdeBaseColors().FrameBaseColor);
    DrawColorLine(dc, ARect.left + 4, y + 1, ARect.right - 2, y + 1, clWhite);
  } else {
    const int x = ARect.right / 2 - 1;
    DrawColorLine(dc, x, ARect.top + 1, x, ARect.bottom - 2, colors_.ToolbarSeparatorColor);
  }
}

// --- marks, arrows, captions and images ------------------------------------------------------

void TTBXIdeTheme::PaintCheckMark(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) {
  HDC dc = Canvas.Handle();
  const TColor color = GetBtnColor(ItemInfo, ipText);
  if ((ItemInfo.Flags & iifRadio) != 0) {
    DrawMonoPattern(dc, ARect, 6, 6, kRadioDot, color);
    return;
  }
  const int x = (ARect.left + ARect.right) / 2, y = (ARect.top + ARect.bottom) / 2;
  const POINT tick[] = {{x - 4, y - 1}, {x - 2, y + 1}, {x + 2, y - 3}, {x + 2, y - 2},
                        {x - 2, y + 2}, {x - 4, y},     {x - 4, y - 1}};
  DrawColorPolyline(dc, tick, color);
}

void TTBXIdeTheme::PaintDropDownArrow(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) {
  const int x = (ARect.left + ARect.right) / 2, y = (ARect.top + ARect.bottom) / 2;
  const int d = ItemInfo.Vertical ? 0 : 2;
  DrawFilledTriangle(Canvas.Handle(), {{x - d, y - d + 1}, {x + d, y + d - 3}, {x + d - 2, y + d - 1}},
                     GetPartColor(ItemInfo, ipText));
}

void TTBXIdeTheme::PaintCaption(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo,
                                const String& ACaption, UINT AFormat, bool Rotated) {
  RECT r = ARect;
  OffsetRect(&r, 0, -1);
  Canvas.Brush().SetStyle(bsClear);
  TScopeGuard solidAgain([&] { Canvas.Brush().SetStyle(bsSolid); });
  if (Canvas.Font().Color() == clNone) Canvas.Font().SetColor(GetPartColor(ItemInfo, ipText));
  if (Rotated) DrawRotatedText(Canvas.Handle(), ACaption, r, AFormat);
  else Canvas.DrawText(ACaption, r, AFormat);
}

void TTBXIdeTheme::PaintImage(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo,
                              TCustomImageList* ImageList, int ImageIndex) {
  if (!ImageList) return;
  if (auto* ownStates = dynamic_cast<TTBCustomImageList*>(ImageList)) {
    ownStates->DrawState(Canvas, ARect.left, ARect.top, ImageIndex, ItemInfo.ItemEnabled, ItemInfo.Hover != 0,
                         ItemInfo.ItemChecked);
    return;
  }
  // A hot image stands one pixel up and to the left of its place, as GetImageOffset tells an
  // item's own image painter.
  RECT r = ARect;
  const POINT offset = GetImageOffset(Canvas, ItemInfo, ImageList);
  OffsetRect(&r, offset.x, offset.y);
  TCustomImageList& images = *ImageList;
  const bool dark = ColorLuma(GetItemImageBackground(ItemInfo)) < 80;
  if (!ItemInfo.ItemEnabled) {
    if (dark) DrawImageSilhouette(Canvas, r, images, ImageIndex, clBtnShadow);
    else DrawImageEffect(Canvas, r, images, ImageIndex, 0);
  } else if (ItemInfo.ItemChecked || ItemInfo.ItemPushed || ItemInfo.Hover != 0 || dark) {
    DrawImageBlended(Canvas, r, images, ImageIndex, dark);
  } else if (PlainColorMode) {
    DrawImageBlended(Canvas, r, images, ImageIndex, false);
  } else {
    DrawImageTinted(Canvas, r, images, ImageIndex, clWindow, 255);
  }
}

// --- button faces ------------------------------------------------------------------------------

void TTBXIdeTheme::PaintButton(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) {
  HDC dc = Canvas.Handle();
  RECT r = ARect;
  r.bottom -= 1;
  if ((ItemInfo.Flags & iifDesigning) != 0 && !ItemInfo.ItemChecked) {
    FrameRectColor(dc, r, clRed, false);
  } else {
    FrameRectColor(dc, r, GetBtnColor(ItemInfo, ipFrame), true);
    // The two halves of a split item share the border between them.
    if (ItemInfo.ButtonPart == 2 && ItemInfo.OpensPopup) r.right += 1;
    else if (ItemInfo.ButtonPart == 3) r.left -= 1;
    if (ItemInfo.ItemChecked && (ItemInfo.ViewKind & vkToolbar) != 0) {
      FillRectColor(dc, r, GetBtnColor(ItemInfo, ipBody));
    } else if (IsViewKind(ItemInfo.ViewKind, vkMenuBar) && ItemInfo.Hover != 0) {
      GradientTopToBottom(Canvas, r, kHotMenuBarTop, kHotMenuBarBottom);
      RECT outline = r;
      FrameRectColor(dc, outline, kHotMenuBarFrame, false);
      InflateRect(&outline, 1, 1);
      FrameRectColor(dc, outline, clWhite, false);
    } else {
      FillRectColor(dc, r, GetBtnColor(ItemInfo, ipBody));
    }
  }
  if (ItemInfo.ButtonPart == 3) PaintDropDownArrow(Canvas, r, ItemInfo);
}
