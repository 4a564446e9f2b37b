// The "Default" theme's painting of what menus show: backgrounds and popup borders, popup items
// with their highlight, check box, marks and submenu arrow, captions, images, separators, and
// the button faces of toolbar-style items; classic, or through the visual styles.
#include "tbx/TBXDefaultTheme.h"

#include "classlib/ScopeGuard.h"
#include "items/TB2Common.h"
#include "items/TB2ImageList.h"
#include "tbx/TBXDefaultDrawing.h"

#include <vsstyle.h>

using namespace tbx::classic;

namespace {

// The toolbar button's part for the item's button part (plain, drop-down, split, split arrow).
int ToolbarButtonPart(const TTBXItemInfo& ItemInfo) { return TP_BUTTON + ItemInfo.ButtonPart; }

int ToolbarButtonState(const TTBXItemInfo& ItemInfo) {
  if (!ItemInfo.ItemEnabled) return ItemInfo.Hover == 1 ? TS_HOT : TS_DISABLED;
  if (ItemInfo.ItemPushed) return TS_PRESSED;
  if (ItemInfo.ItemChecked) return ItemInfo.Hover != 0 ? TS_HOTCHECKED : TS_CHECKED;
  return ItemInfo.Hover != 0 ? TS_HOT : TS_NORMAL;
}

// The region a visual-style part covers; the whole rectangle when the style does not tell.
gdi::RegionHandle StyledPartRegion(HTHEME Handle, HDC DC, int Part, int State, const RECT& R) {
  HRGN region = nullptr;
  const auto getRegion = VisualStyles().GetThemeBackgroundRegion;
  if (getRegion && SUCCEEDED(getRegion(Handle, DC, Part, State, &R, &region)) && region)
    return gdi::RegionHandle(region);
  return gdi::RegionHandle(::CreateRectRgnIndirect(&R));
}

// The classic check mark: a tick three pixels thick, 7 x 5, centred at (X, Y).
void DrawTick(HDC DC, int X, int Y, TColor Color) {
  for (int i = 0; i < 3; ++i) {
    const POINT tick[] = {{X - 3, Y - 1 + i}, {X - 1, Y + 1 + i}, {X + 4, Y - 4 + i}};
    DrawColorPolyline(DC, tick, Color);
  }
}

void DrawRadioDot(HDC DC, int X, int Y, TColor Color) { DrawColorRoundRect(DC, X - 3, Y - 3, X + 3, Y + 3, 6, 6, Color, Color); }

}  // namespace

// --- backgrounds and popup borders -----------------------------------------------------------

void TTBXDefaultTheme::PaintBackgnd(TCanvas& Canvas, const RECT& ARect, const RECT& AClipRect, const RECT&,
                                    TColor AColor, bool Transparent, int) {
  RECT r;
  if (!Transparent && IntersectRect(&r, &ARect, &AClipRect)) FillRectColor(Canvas.Handle(), r, AColor);
}

void TTBXDefaultTheme::PaintPopupNCArea(TCanvas& Canvas, const RECT& R, const TTBXPopupInfo& PopupInfo) {
  HDC dc = Canvas.Handle();
  RECT r = R;
  const int kind = PopupInfo.ViewKind;
  if (IsViewKind(kind, vkListPopup)) {
    FrameRectColor(dc, r, clWindowFrame, true);
    FrameRectColor(dc, r, clWindow, true);
  } else if (IsViewKind(kind, vkToolBoxPopup) || !FlatMenusInUse) {
    ::DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
  } else {
    FrameRectColor(dc, r, clBtnShadow, true);
    FrameRectColor(dc, r, MenuFaceColor, true);
  }
  FrameRectColor(dc, r, GetViewColor(kind), true);
}

// --- button faces ----------------------------------------------------------------------------

void TTBXDefaultTheme::PaintButton(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) {
  HDC dc = Canvas.Handle();
  const bool menuBar = IsMenuBarItem(ItemInfo);
  if (!menuBar && PaintStyledButton(dc, ARect, ItemInfo)) return;
  if (menuBar && FlatMenusInUse) {
    if ((ItemInfo.ItemEnabled && (ItemInfo.ItemPushed || ItemInfo.ItemChecked)) || IsHighlighted(ItemInfo))
      FillRectColor(dc, ARect, clHighlight);
    return;
  }
  PaintClassicButton(Canvas, ARect, ItemInfo);
}

bool TTBXDefaultTheme::PaintStyledButton(HDC DC, const RECT& ARect, const TTBXItemInfo& ItemInfo) {
  const HTHEME handle = VisualStyleHandle(vscToolbar);
  if (!handle || !VisualStyles().DrawThemeBackground) return false;
  const int part = ToolbarButtonPart(ItemInfo), state = ToolbarButtonState(ItemInfo);
  const bool raised = IsRaisedToolbarItem(ItemInfo);
  if (raised || (ItemInfo.Flags & iifDesigning) != 0) {
    // The button's outline shows where the style would draw nothing in this state.
    gdi::RegionHandle region = StyledPartRegion(handle, DC, part, state, ARect);
    if (raised) ::FillRgn(DC, region.Get(), TColorBrush(toolbarColor_).Get());
    ::FrameRgn(DC, region.Get(), TColorBrush(clBtnShadow).Get(), 1, 1);
  }
  return DrawVisualStylePart(vscToolbar, DC, part, state, ARect);
}

void TTBXDefaultTheme::PaintClassicButton(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) {
  HDC dc = Canvas.Handle();
  RECT r = ARect;
  if (ItemInfo.ButtonPart == 3) r.right -= 2;
  const bool hot = IsHighlighted(ItemInfo), enabled = ItemInfo.ItemEnabled;
  const bool pushed = ItemInfo.ItemPushed, checked = ItemInfo.ItemChecked;
  if (FlatMenusInUse && (hot || pushed || checked)) FillRectColor(dc, r, toolbarColor_);
  if (IsRaisedToolbarItem(ItemInfo)) {
    const bool flat = !(hot || pushed) || checked || !enabled;
    RECT inside = r;
    ::DrawEdge(dc, &inside, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST | (flat ? BF_FLAT : 0));
    if (checked && enabled && ItemInfo.Hover == 0) FillRectDither(dc, inside, toolbarColor_, clBtnHighlight);
  } else if ((pushed || checked) && enabled) {
    RECT inside = r;
    ::DrawEdge(dc, &inside, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    if (checked && !pushed && ItemInfo.Hover == 0) FillRectDither(dc, inside, toolbarColor_, clBtnHighlight);
  } else if (hot || (ItemInfo.Flags & iifDesigning) != 0) {
    DrawEdgeAt(dc, r, BDR_RAISEDINNER, BF_RECT);
  }
  if (ItemInfo.ButtonPart == 3) PaintDropDownArrow(Canvas, r, ItemInfo);
}

void TTBXDefaultTheme::PaintFrame(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) {
  HDC dc = Canvas.Handle();
  RECT r = ARect;
  if (!ItemInfo.ItemEnabled)
    FrameRectColor(dc, r, clBtnShadow, false);
  else if (ItemInfo.ItemPushed || ItemInfo.ItemChecked)
    DrawEdgeAt(dc, r, BDR_SUNKENOUTER, BF_RECT);
  else if (IsHighlighted(ItemInfo))
    DrawEdgeAt(dc, r, BDR_RAISEDINNER, BF_RECT);
  else
    FrameRectColor(dc, r, (ItemInfo.ViewKind & vkPopup) != 0 ? clWindow : toolbarColor_, false);
}

// --- popup items -----------------------------------------------------------------------------

void TTBXDefaultTheme::PaintMenuItemFrame(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) {
  if (IsHighlighted(ItemInfo)) FillRectColor(Canvas.Handle(), ARect, clHighlight);
}

void TTBXDefaultTheme::PaintMenuItem(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) {
  HDC dc = Canvas.Handle();
  RECT highlight = ARect;
  // An image or a check mark keeps its column: the highlight starts after it.
  if (ItemInfo.GlyphWidth > 0 || ItemInfo.ItemChecked)
    highlight.left += ItemInfo.ImageColumnWidth + GetIntegerMetrics(tmMenuImageMargin);
  PaintMenuItemFrame(Canvas, highlight, ItemInfo);
  if ((ItemInfo.Flags & iifSplit) != 0) {
    const int x = ARect.right - GetSystemMetrics(SM_CXMENUCHECK);
    DrawEdgeAt(dc, RECT{x, ARect.top + 1, x + 2, ARect.bottom - 1},
               IsHighlighted(ItemInfo) ? BDR_SUNKENOUTER : EDGE_ETCHED, BF_LEFT);
  }
  if ((ItemInfo.Flags & iifHasSubitems) != 0) PaintSubmenuArrow(dc, ARect, ItemInfo);
  if (ItemInfo.ItemChecked) PaintCheckBoxArea(Canvas, ARect, ItemInfo);
}

void TTBXDefaultTheme::PaintSubmenuArrow(HDC DC, const RECT& ARect, const TTBXItemInfo& ItemInfo) {
  // Viewers paint items in their own coordinates: bottom div 2 is the middle.
  const int x = ARect.right - GetSystemMetrics(SM_CXMENUCHECK) * 2 / 3 - 2, y = ARect.bottom / 2;
  const bool hovered = ItemInfo.Hover != 0 && (ItemInfo.Flags & iifSplit) == 0;
  DrawEmbossable(!ItemInfo.ItemEnabled, hovered ? clHighlightText : MenuTextColor, [&](int D, TColor Color) {
    const POINT arrow[] = {{x + D, y - 3 + D}, {x + D, y + 3 + D}, {x + 3 + D, y + D}};
    DrawColorPolygon(DC, arrow, Color, Color);
  });
}

void TTBXDefaultTheme::PaintCheckBoxArea(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) {
  const RECT box{ARect.left, ARect.top, ARect.left + ItemInfo.ImageColumnWidth, ARect.bottom};
  if (FlatMenusInUse) FillRectColor(Canvas.Handle(), box, toolbarColor_);
  PaintButton(Canvas, box, ItemInfo);
}

void TTBXDefaultTheme::PaintSeparator(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo,
                                      bool Horizontal, bool LineSeparator) {
  if (!ItemInfo.ItemEnabled) return;
  HDC dc = Canvas.Handle();
  const bool toolbarStyle = (ItemInfo.Flags & iifToolbarStyle) != 0;
  if (toolbarStyle && DrawVisualStylePart(vscToolbar, dc, Horizontal ? TP_SEPARATORVERT : TP_SEPARATOR, TS_NORMAL, ARect))
    return;
  // Menu lines keep clear of the popup's sides; a line ending a toolbar's row keeps clear of its
  // border, farther on a floating toolbar.
  int inset = 0;
  if (!toolbarStyle) inset = 12;
  else if (LineSeparator) inset = (ItemInfo.ViewKind & vkFloating) != 0 ? 4 : 1;
  if (Horizontal) {
    const int y = (ARect.top + ARect.bottom) / 2 - 1;
    DrawEdgeAt(dc, RECT{ARect.left + inset, y, ARect.right - inset, y + 2}, EDGE_ETCHED, BF_TOP);
  } else {
    const int x = (ARect.left + ARect.right) / 2 - 1;
    DrawEdgeAt(dc, RECT{x, ARect.top + inset, x + 2, ARect.bottom - inset}, EDGE_ETCHED, BF_LEFT);
  }
}

// --- marks, arrows, captions and images ------------------------------------------------------

void TTBXDefaultTheme::PaintCheckMark(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) {
  HDC dc = Canvas.Handle();
  const int x = (ARect.left + ARect.right) / 2, y = (ARect.top + ARect.bottom) / 2;
  const bool radio = (ItemInfo.Flags & iifRadio) != 0;
  auto mark = [&](int D, TColor Color) {
    if (radio) DrawRadioDot(dc, x + D, y + D, Color);
    else DrawTick(dc, x + D, y + D, Color);
  };
  if (ItemInfo.ItemEnabled) {
    mark(0, clBtnText);
    return;
  }
  // A soft highlight below and right of the grey mark, half way to the button face under it.
  mark(1, WeightColors(clBtnHighlight, toolbarColor_, 128));
  mark(0, clGrayText);
}

void TTBXDefaultTheme::PaintDropDownArrow(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) {
  HDC dc = Canvas.Handle();
  const int x = (ARect.left + ARect.right) / 2, y = (ARect.top + ARect.bottom) / 2;
  DrawEmbossable(!ItemInfo.ItemEnabled, clBtnText, [&](int D, TColor Color) {
    const POINT arrow[] = {{x - 2 + D, y - 1 + D}, {x + 2 + D, y - 1 + D}, {x + D, y + 1 + D}};
    DrawColorPolygon(dc, arrow, Color, Color);
  });
}

void TTBXDefaultTheme::PaintCaption(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo,
                                    const String& ACaption, UINT AFormat, bool Rotated) {
  TFont& font = Canvas.Font();
  if (font.Color() == clNone) font.SetColor(GetItemTextColor(ItemInfo));
  const TColor color = font.Color();
  Canvas.Brush().SetStyle(bsClear);
  TScopeGuard restore([&] {
    Canvas.Brush().SetStyle(bsSolid);
    font.SetColor(color);
  });
  RECT r = ARect;
  // A pressed or checked toolbar button shows its text pressed in, except on a flat menu bar.
  if ((ItemInfo.Flags & iifToolbarStyle) != 0 && ItemInfo.ItemEnabled && (ItemInfo.ItemPushed || ItemInfo.ItemChecked) &&
      !(IsMenuBarItem(ItemInfo) && FlatMenusInUse))
    OffsetRect(&r, 1, 1);
  const bool embossed = !ItemInfo.ItemEnabled && !VisualStylesInUse && !(IsMenuItem(ItemInfo) && ItemInfo.Hover == 1);
  DrawEmbossable(embossed, color, [&](int D, TColor Color) {
    font.SetColor(Color);
    RECT at = r;
    OffsetRect(&at, D, D);
    if (Rotated) DrawRotatedText(Canvas.Handle(), ACaption, at, AFormat);
    else Canvas.DrawText(ACaption, at, AFormat);
  });
}

void TTBXDefaultTheme::PaintImage(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo,
                                  TCustomImageList* ImageList, int ImageIndex) {
  if (!ImageList) return;
  if (auto* ownStates = dynamic_cast<TTBCustomImageList*>(ImageList)) {
    const int d = ItemInfo.ItemPushed || ItemInfo.ItemChecked ? 1 : 0;
    ownStates->DrawState(Canvas, ARect.left + d, ARect.top + d, ImageIndex, ItemInfo.ItemEnabled, ItemInfo.Hover != 0,
                         ItemInfo.ItemChecked);
    return;
  }
  if (!FlatMenusInUse && !VisualStylesInUse) {
    ImageList->Draw(Canvas, ARect.left, ARect.top, ImageIndex, ItemInfo.ItemEnabled);
    return;
  }
  TCustomImageList& images = *ImageList;
  if (!ItemInfo.ItemEnabled) {
    DrawImageEffect(Canvas, ARect, images, ImageIndex, 0);
  } else if (ItemInfo.Hover == 0 && !ItemInfo.ItemPushed && !ItemInfo.ItemChecked) {
    if (PlainColorMode) DrawImageBlended(Canvas, ARect, images, ImageIndex, false);
    else DrawImageTinted(Canvas, ARect, images, ImageIndex, clWindow, 178);
  } else {
    DrawImageBlended(Canvas, ARect, images, ImageIndex, IsColorDarker(GetItemImageBackground(ItemInfo), 100));
  }
}
