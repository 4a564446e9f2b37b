// The theme manager: the system facts the themes paint with, kept in globals so that painting
// reads them without system calls, recomputed when colours, display or visual style change;
// its hidden window and its listeners; the frame geometry of floating windows and toolbars.
#include "tbx/TBXThemes.h"

#include "classlib/Seams.h"
#include "classlib/SysUtils.h"
#include "items/TB2Common.h"
#include "tbx/TBXUtils.h"

#include <vssym32.h>
#include <vsstyle.h>

#include <utility>

bool LowColorMode = false;
bool WhiteButtonFace = false;
bool PlainColorMode = false;
TColor ToolbarFaceColor = clBtnFace;
TColor ToolbarTextColor = clBtnText;
TColor MenuFaceColor = clMenu;
TColor MenuTextColor = clMenuText;
bool FlatMenusInUse = false;
TColor HotLightColor = clHighlight;
bool VisualStylesInUse = false;
std::array<HTHEME, kVisualStyleClassCount> VisualStyleHandles{};

TTBXThemeManager* ThemeManagerInstance = nullptr;

namespace {

constexpr wchar_t kUnit[] = L"TBXThemes";
constexpr int kOptionAssertionLine = 1342;

constexpr const wchar_t* kVisualStyleClassNames[kVisualStyleClassCount] = {
    L"BUTTON", L"SCROLLBAR", L"REBAR", L"TOOLBAR", L"WINDOW", L"COMBOBOX", L"EXPLORERBAR", L"STATUS", L"SPIN"};

TTBXThemeManager& Manager() {
  if (!ThemeManagerInstance) AssertionFailed(kUnit, kOptionAssertionLine);
  return *ThemeManagerInstance;
}

}  // namespace

// --- the manager -----------------------------------------------------------------------------

TTBXThemeManager::TTBXThemeManager() {
  hiddenWindow_ = AllocateHWnd(TWndMethod(this, &TTBXThemeManager::WindowProc), TUtilWindowKind::HearsBroadcasts);
  try {
    RecomputeSystemState();
  } catch (...) {
    CloseVisualStyles();
    DeallocateHWnd(std::exchange(hiddenWindow_, nullptr));
    throw;
  }
}

TTBXThemeManager::~TTBXThemeManager() {
  CloseVisualStyles();
  DeallocateHWnd(std::exchange(hiddenWindow_, nullptr));
  listeners_.Clear();
}

template <class T>
void TTBXThemeManager::ChangeOption(T& Option, T Value) {
  if (Value == Option) return;
  Option = Value;
  RecomputeSystemState();
  BroadcastSystemChange();
}

void TTBXThemeManager::SetVisualStylesAllowed(bool Value) { ChangeOption(visualStylesAllowed_, Value); }
void TTBXThemeManager::SetFlatMenuMode(int Value) { ChangeOption(flatMenuMode_, Value); }

void TTBXThemeManager::AddListener(TObject* Listener) { listeners_.Add(Listener); }
void TTBXThemeManager::RemoveListener(TObject* Listener) { listeners_.Remove(Listener); }

void TTBXThemeManager::Broadcast(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage message{Msg, WParam, LParam, 0};
  listeners_.Broadcast(message);
}

void TTBXThemeManager::BroadcastSystemChange() {
  for (WPARAM phase = 1; phase <= 3; ++phase) {
    if (listeners_.Empty()) return;
    Broadcast(WM_TBX_SYSTEM_CHANGED, phase, 0);
  }
}

void TTBXThemeManager::RecomputeSystemState() {
  RecreateUtilityObjects();
  seams::TSystemSettings& settings = seams::SystemSettings();
  LowColorMode = settings.ColorDepth() < 12;
  WhiteButtonFace = (settings.SysColor(COLOR_BTNFACE) & 0xFFFFFF) == 0xFFFFFF;
  PlainColorMode = LowColorMode || WhiteButtonFace;
  CloseVisualStyles();
  OpenVisualStyles();
  ReadToolbarColors();
  ReadMenuColors();
}

void TTBXThemeManager::CloseVisualStyles() {
  for (HTHEME& handle : VisualStyleHandles) {
    if (handle && VisualStyles().CloseThemeData) VisualStyles().CloseThemeData(handle);
    handle = nullptr;
  }
  VisualStylesInUse = false;
  UnloadVisualStylesApi();
}

void TTBXThemeManager::OpenVisualStyles() {
  VisualStylesInUse = false;
  if (!IsWindowsXP() || !visualStylesAllowed_ || !LoadVisualStylesApi()) return;
  try {
    VisualStylesInUse = VisualStylesActive();
    if (!VisualStylesInUse) return;
    for (int i = 0; i < kVisualStyleClassCount; ++i)
      VisualStyleHandles[i] = VisualStyles().OpenThemeData(hiddenWindow_, kVisualStyleClassNames[i]);
  } catch (...) {
    // Painting then goes by the system colours.
    CloseVisualStyles();
  }
}

void TTBXThemeManager::ReadToolbarColors() {
  ToolbarFaceColor = clBtnFace;
  ToolbarTextColor = clBtnText;
  if (!VisualStylesInUse) return;
  ReadVisualStyleColor(vscToolbar, TMT_FILLCOLOR, ToolbarFaceColor);
  ReadVisualStyleColor(vscToolbar, TMT_TEXTCOLOR, ToolbarTextColor);
}

void TTBXThemeManager::ReadMenuColors() {
  const bool systemFlat = IsWindowsXP() && seams::SystemSettings().FlatMenus();
  if (systemFlat) {
    FlatMenusInUse = flatMenuMode_ != 1;
    MenuFaceColor = FlatMenusInUse ? clMenu : ToolbarFaceColor;
    MenuTextColor = FlatMenusInUse ? clMenuText : ToolbarTextColor;
  } else {
    FlatMenusInUse = flatMenuMode_ == 2;
    MenuFaceColor = FlatMenusInUse ? clWindow : clMenu;
    MenuTextColor = FlatMenusInUse ? clWindowText : clMenuText;
  }
}

void TTBXThemeManager::WindowProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SYSCOLORCHANGE:
    case WM_DISPLAYCHANGE:
    case WM_THEMECHANGED:
      RecomputeSystemState();
      BroadcastSystemChange();
      break;
    case WM_ACTIVATEAPP: Broadcast(WM_TBX_SYSTEM_CHANGED, Message.WParam ? 4 : 5, 0); break;
    default: break;
  }
  // While the window is being made, AllocateHWnd answers the creation messages itself.
  if (hiddenWindow_)
    Message.Result = DefWindowProcW(hiddenWindow_, Message.Msg, Message.WParam, Message.LParam);
}

// --- listeners and options -------------------------------------------------------------------

void AddThemeChangeListener(TObject* Listener) {
  if (ThemeManagerInstance) ThemeManagerInstance->AddListener(Listener);
}

void RemoveThemeChangeListener(TObject* Listener) {
  if (ThemeManagerInstance) ThemeManagerInstance->RemoveListener(Listener);
}

void SetThemeManagerOption(int Option, int Value) {
  TTBXThemeManager& manager = Manager();
  if (Option == tmoFlatMenuMode) manager.SetFlatMenuMode(Value);
  else if (Option == tmoVisualStyles) manager.SetVisualStylesAllowed(Value == 0);
}

int GetThemeManagerOption(int Option) {
  const TTBXThemeManager& manager = Manager();
  if (Option == tmoFlatMenuMode) return manager.FlatMenuMode();
  if (Option == tmoVisualStyles) return manager.VisualStylesAllowed() ? 0 : 2;
  return -1;
}

// --- visual-style parts ----------------------------------------------------------------------

HTHEME VisualStyleHandle(TVisualStyleClass Class) { return VisualStylesInUse ? VisualStyleHandles[Class] : nullptr; }

bool DrawVisualStylePart(TVisualStyleClass Class, HDC DC, int Part, int State, const RECT& R) {
  const HTHEME handle = VisualStyleHandle(Class);
  const auto draw = VisualStyles().DrawThemeBackground;
  // Without data for the class the style would draw nothing at all.
  if (!handle || !draw) return false;
  draw(handle, DC, Part, State, &R, nullptr);
  return true;
}

bool ReadVisualStyleColor(TVisualStyleClass Class, int Property, TColor& Color) {
  COLORREF value = 0;
  const HTHEME handle = VisualStyleHandle(Class);
  const auto getThemeColor = VisualStyles().GetThemeColor;
  if (!handle || !getThemeColor || FAILED(getThemeColor(handle, 0, 0, Property, &value))) return false;
  Color = static_cast<TColor>(value);
  return true;
}

namespace {

struct TScrollArrowPictures {
  UINT Classic;
  int Styled;
};
constexpr TScrollArrowPictures kScrollArrows[] = {
    {DFCS_SCROLLUP, ABS_UPNORMAL},
    {DFCS_SCROLLDOWN, ABS_DOWNNORMAL},
    {DFCS_SCROLLLEFT, ABS_LEFTNORMAL},
    {DFCS_SCROLLRIGHT, ABS_RIGHTNORMAL},
};

}  // namespace

UINT ClassicScrollArrowKind(TScrollArrow Arrow) { return kScrollArrows[Arrow].Classic; }
int StyledScrollArrowState(TScrollArrow Arrow) { return kScrollArrows[Arrow].Styled; }

// --- frame geometry --------------------------------------------------------------------------

void GetFloatingCaptionRect(const TTBXWindowInfo& WindowInfo, bool OffsetByBorder, bool LeaveOutCloseButton, RECT& R) {
  R = RECT{0, 0, WindowInfo.ClientWidth, GetSystemMetrics(SM_CYSMCAPTION) - 1};
  if (LeaveOutCloseButton) R.right -= R.bottom;
  if (OffsetByBorder) OffsetRect(&R, WindowInfo.BorderSize.x, WindowInfo.BorderSize.y);
}

void GetFloatingCloseButtonRect(const TTBXWindowInfo& WindowInfo, bool OffsetByBorder, RECT& R) {
  GetFloatingCaptionRect(WindowInfo, OffsetByBorder, false, R);
  R.left = R.right + R.top - R.bottom;
}

int GetToolbarCloseButtonSize(const TTBXToolbarInfo& ToolbarInfo) {
  // [close button when docked][drag-handle style]
  static constexpr int kSizes[2][3] = {{9, 0, 6}, {14, 14, 14}};
  if ((ToolbarInfo.CloseButtonState & cbsVisible) == 0) return 0;
  return kSizes[ToolbarInfo.CloseButtonWhenDocked ? 1 : 0][ToolbarInfo.DragHandleStyle];
}

void GetToolbarCloseButtonRect(const TTBXToolbarInfo& ToolbarInfo, RECT& R) {
  const int side = GetToolbarCloseButtonSize(ToolbarInfo) - 1;
  const int left = ToolbarInfo.IsVertical ? ToolbarInfo.BorderSize.x + ToolbarInfo.ClientWidth - side
                                          : ToolbarInfo.ClientWidth;
  const int top = ToolbarInfo.BorderSize.y;
  R = RECT{left, top, left + side, top + side};
}

RECT GetToolbarGripRect(const TTBXToolbarInfo& ToolbarInfo, const RECT& R) {
  // How wide a grip is by its style (double, none, single).
  static constexpr int kGripWidths[3] = {9, 0, 6};
  if (!ToolbarInfo.AllowDrag || ToolbarInfo.DragHandleStyle == dhNone) return {};
  const int width = kGripWidths[ToolbarInfo.DragHandleStyle];
  RECT grip{R.left + ToolbarInfo.BorderSize.x, R.top + ToolbarInfo.BorderSize.y, R.right - ToolbarInfo.BorderSize.x,
            R.bottom - ToolbarInfo.BorderSize.y};
  RECT closeButton{};
  const bool hasClose = GetToolbarCloseButtonSize(ToolbarInfo) > 0;
  if (hasClose) GetToolbarCloseButtonRect(ToolbarInfo, closeButton);
  if (ToolbarInfo.IsVertical) {
    grip.bottom = grip.top + width;
    if (hasClose) grip.right = closeButton.left;
  } else {
    grip.right = grip.left + width;
    if (hasClose) grip.top = closeButton.bottom;
  }
  return grip;
}

void GetDockPanelCaptionRects(const TTBXDockPanelInfo& DockPanelInfo, const RECT& R, RECT& Caption,
                              RECT& CloseButton) {
  const TTBXMargins& border = DockPanelInfo.BorderSize;
  Caption = RECT{R.left + border.Left, R.top + border.Top, R.right - border.Right, R.bottom - border.Bottom};
  const int thickness = GetSystemMetrics(SM_CYSMCAPTION);
  if (DockPanelInfo.IsVertical) {
    Caption.right = Caption.left + thickness;
    CloseButton = RECT{Caption.left, Caption.bottom - thickness, Caption.right, Caption.bottom};
  } else {
    Caption.bottom = Caption.top + thickness;
    CloseButton = RECT{Caption.right - thickness, Caption.top, Caption.right, Caption.bottom};
  }
}
