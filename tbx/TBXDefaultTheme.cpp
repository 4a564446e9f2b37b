// The "Default" theme's lifetime, colours and measures: the system's, or those of the visual
// style while one is in use.
#include "tbx/TBXDefaultTheme.h"

#include "classlib/GdiHandles.h"
#include "tbx/TBXDefaultDrawing.h"

#include <vsstyle.h>
#include <vssym32.h>

#include <memory>

using namespace tbx::classic;

namespace {

std::unique_ptr<TFont> UnitFont;

// The width of the toolbar's split-button arrow part plus 2, or 11 without visual styles.
int SplitArrowWidth() {
  const HTHEME handle = VisualStyleHandle(vscToolbar);
  SIZE size{};
  if (handle && VisualStyles().GetThemePartSize) {
    gdi::MemoryDC dc = gdi::NewMemoryDC();
    if (SUCCEEDED(VisualStyles().GetThemePartSize(handle, dc.Get(), TP_SPLITBUTTONDROPDOWN, TS_NORMAL, nullptr,
                                                  TS_TRUE, &size)))
      return size.cx + 2;
  }
  return 11;
}

void ToolbarItemMargins(TTBXMargins& Margins) {
  Margins = {2, 2, 2, 2};
  const HTHEME handle = VisualStyleHandle(vscToolbar);
  MARGINS content{};
  if (handle && VisualStyles().GetThemeMargins &&
      SUCCEEDED(VisualStyles().GetThemeMargins(handle, nullptr, TP_BUTTON, TS_HOT, TMT_CONTENTMARGINS, nullptr,
                                               &content)))
    Margins = {content.cxLeftWidth, content.cxRightWidth, content.cyTopHeight, content.cyBottomHeight};
}

void StatusPaneMargins(TTBXMargins& Margins) {
  Margins = {1, 3, 1, 1};
  const HTHEME handle = VisualStyleHandle(vscStatus);
  const RECT bounds{0, 0, 100, 100};
  RECT content{};
  if (!handle || !VisualStyles().GetThemeBackgroundContentRect) return;
  gdi::MemoryDC dc = gdi::NewMemoryDC();
  if (SUCCEEDED(VisualStyles().GetThemeBackgroundContentRect(handle, dc.Get(), SP_PANE, 0, &bounds, &content)))
    Margins = {content.left - bounds.left, bounds.right - content.right, content.top - bounds.top,
               bounds.bottom - content.bottom};
}

}  // namespace

TTBXDefaultTheme::TTBXDefaultTheme(const String& AName) : TTBXTheme(AName) {
  AddThemeChangeListener(this);
  ReloadColors();
}

TTBXDefaultTheme::~TTBXDefaultTheme() { RemoveThemeChangeListener(this); }

void TTBXDefaultTheme::ReloadColors() {
  toolbarColor_ = clBtnFace;
  toolbarTextColor_ = clBtnText;
  statusBarColor_ = clBtnFace;
  ReadVisualStyleColor(vscToolbar, TMT_FILLCOLOR, toolbarColor_);
  ReadVisualStyleColor(vscToolbar, TMT_TEXTCOLOR, toolbarTextColor_);
  ReadVisualStyleColor(vscStatus, TMT_FILLCOLOR, statusBarColor_);
  dockPanelColor_ = WeightColorsNearest(toolbarColor_, clWindow, 64);
}

void TTBXDefaultTheme::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_TBX_SYSTEM_CHANGED) {
    if (Message.WParam == 2) ReloadColors();
    return;
  }
  TTBXTheme::Dispatch(Message);
}

// --- measures --------------------------------------------------------------------------------

POINT TTBXDefaultTheme::GetImageOffset(TCanvas&, const TTBXItemInfo&, TCustomImageList*) { return POINT{0, 0}; }

int TTBXDefaultTheme::GetPopupShadowType() { return pstSystem; }

void TTBXDefaultTheme::GetViewBorder(int ViewKind, POINT& Border) {
  if ((ViewKind & (vkToolbar | vkDockPanel)) != 0) {
    if ((ViewKind & vkFloating) == 0) Border = POINT{2, 2};
    else if ((ViewKind & vkSizable) != 0) Border = POINT{GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME)};
    else Border = POINT{GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYDLGFRAME)};
  } else if ((ViewKind & vkPopup) != 0) {
    Border = IsViewKind(ViewKind, vkListPopup) ? POINT{1, 1} : POINT{3, 3};
  } else {
    Border = POINT{0, 0};
  }
}

void TTBXDefaultTheme::GetViewMargins(int ViewKind, TTBXMargins& Margins) {
  if (IsViewKind(ViewKind, vkToolbar | vkFloating)) Margins = {4, 4, 2, 1};
  else Margins = {0, 0, 0, 0};
}

void TTBXDefaultTheme::GetMargins(int MarginID, TTBXMargins& Margins) {
  switch (MarginID) {
    case mkToolbarItem: ToolbarItemMargins(Margins); break;
    case mkMenuItem: Margins = {0, 0, 2, 2}; break;
    case mkStatusPane: StatusPaneMargins(Margins); break;
    default: Margins = {0, 0, 0, 0}; break;
  }
}

int TTBXDefaultTheme::GetIntegerMetrics(int Index) {
  switch (Index) {
    case tmSplitArrowWidth: return SplitArrowWidth();
    case tmDropDownArrowWidth: return 8;
    case tmDropDownArrowMargin: return 3;
    case tmMenuImageMargin:
    case tmEditTextMarginVert: return 1;
    case tmMenuImageTextSpace:
    case tmMenuTextMargin:
    case 36:
    case tmEditFrameWidth:
    case tmEditTextMarginHorz: return 2;
    case 37: return 4;
    case tmToolbarSeparatorSize: return 6;
    case tmEditButtonWidth: return 13;
    case tmEditMenuRightMargin: return 0;
    default: return -1;
  }
}

bool TTBXDefaultTheme::GetBooleanMetrics(int Index) {
  // Id 5 tells whether the visual styles paint.
  return Index == 5 && VisualStylesInUse;
}

// --- colours ---------------------------------------------------------------------------------

TColor TTBXDefaultTheme::GetViewColor(int ViewKind) {
  if ((ViewKind & vkToolbar) != 0) return toolbarColor_;
  if ((ViewKind & vkPopup) != 0) {
    if (IsViewKind(ViewKind, vkPopupMenu) || IsViewKind(ViewKind, vkChevronPopup)) return MenuFaceColor;
    if (IsViewKind(ViewKind, vkListPopup)) return clWindow;
    return toolbarColor_;
  }
  if ((ViewKind & vkDockPanel) != 0) return dockPanelColor_;
  if ((ViewKind & vkStatusBar) != 0) return statusBarColor_;
  return clBtnFace;
}

TColor TTBXDefaultTheme::GetItemColor(const TTBXItemInfo& ItemInfo) {
  if (IsMenuItem(ItemInfo) && ItemInfo.Hover != 0 && !VisualStylesInUse) return clHighlight;
  return GetViewColor(ItemInfo.ViewKind);
}

TColor TTBXDefaultTheme::GetItemTextColor(const TTBXItemInfo& ItemInfo) {
  if (!ItemInfo.ItemEnabled) return clGrayText;
  if (IsMenuItem(ItemInfo) || (IsMenuBarItem(ItemInfo) && FlatMenusInUse)) {
    if (ItemInfo.Hover != 0) return clHighlightText;
    return IsInactiveMenuBarItem(ItemInfo) ? clGrayText : MenuTextColor;
  }
  return IsInactiveMenuBarItem(ItemInfo) ? clGrayText : clBtnText;
}

TColor TTBXDefaultTheme::GetItemImageBackground(const TTBXItemInfo& ItemInfo) {
  if (FlatMenusInUse && IsMenuBarItem(ItemInfo) && ItemInfo.Hover != 0) return clHighlight;
  if (IsViewKind(ItemInfo.ViewKind, vkChevronPopup) || (IsMenuItem(ItemInfo) && ItemInfo.Hover != 0))
    return toolbarColor_;
  return GetViewColor(ItemInfo.ViewKind);
}

// --- the unit's lifetime ---------------------------------------------------------------------

TFont* DefaultThemeFont() { return UnitFont.get(); }

void InitTBXDefaultTheme() {
  UnitFont = std::make_unique<TFont>();
  // The same small-caption font the drawing utilities read at their start-up.
  if (TFont* smallCaption = SmCaptionFont()) UnitFont->Assign(*smallCaption);
}

void FinalizeTBXDefaultTheme() { UnitFont.reset(); }
