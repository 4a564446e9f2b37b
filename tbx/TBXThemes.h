#pragma once
// The theme interface: the abstract painter and metrics source (TTBXTheme) that every themed
// viewer and window calls, the records it is handed, the registry of themes by name with
// shared, counted instances, the holder of the active theme (TTBXNexus) that tells the theme
// switchers about theme and system changes, and the theme manager: a hidden top-level window
// that keeps the system facts the themes paint with and tells its listeners when colours,
// display or visual style change or the application is activated. User-interface thread only.
#include "classlib/Graphics.h"
#include "classlib/Types.h"
#include "tbx/TBXListenerList.h"
#include "tbx/TBXUxThemes.h"

#include <array>
#include <cstdint>
#include <vector>

class TCustomImageList;
class TTBView;
class TTBPopupWindow;

// ---------------------------------------------------------------------------------------------
// Private messages, dispatched to objects (not posted to windows) as a TMessage.

// Which kind of view an item is painted in; the answer is the message's Result.
constexpr UINT WM_TBX_QUERY_VIEW_KIND = 0x04ED;
// The system changed: wParam 1, 2, 3 are the phases of a colour, display or visual-style change
// (themes reload their colours on 2); 4 the application was activated, 5 deactivated.
constexpr UINT WM_TBX_SYSTEM_CHANGED = 0x0538;
// To the theme switchers: the active theme was replaced (wParam 1, 2, 3 with lParam 1), or the
// system changed (the wParam of WM_TBX_SYSTEM_CHANGED with lParam 0).
constexpr UINT WM_TBX_THEME_CHANGED = 0x053A;

// ---------------------------------------------------------------------------------------------
// View kinds: the answers to WM_TBX_QUERY_VIEW_KIND. Tests compare masked bits: a kind "is" K
// when (kind & K) == K.

enum : int {
  vkNone = 0,              // a view without owner, or a window that does not answer
  vkToolbar = 0x1000,      // no window of this program answers it
  vkNormalToolbar = 0x1001,
  vkMenuBar = 0x1002,
  vkToolWindow = 0x1004,
  vkPopup = 0x2000,
  vkPopupMenu = 0x2001,    // themed popup window or themed popup menu
  vkListPopup = 0x2002,    // the parent item's one subitem is a list item
  vkToolBoxPopup = 0x2004, // popup of an edit item, or of a themed item with ToolBoxPopup
  vkChevronPopup = 0x2008,
  vkDockPanel = 0x4000,    // no window of this program answers it
  vkStatusBar = 0x10000,
  // Bits of toolbar and dock-panel kinds; no window of this program sets them.
  vkRaisedItems = 0x0200,  // toolbar whose items always show their button face
  vkSizable = 0x0400,      // floating window with a sizing frame
  vkFloating = 0x0800,
};

// Whether the kind has every bit of Mask.
constexpr bool IsViewKind(int ViewKind, int Mask) { return (ViewKind & Mask) == Mask; }

// ---------------------------------------------------------------------------------------------
// Metric identifiers callers ask a theme for (GetIntegerMetrics, GetBooleanMetrics).

enum : int {
  // integer metrics
  tmSplitArrowWidth = 10,      // arrow half of a split toolbar item; its hit-tested width too
  tmDropDownArrowWidth = 20,
  tmDropDownArrowMargin = 21,  // distance of a drop-down arrow from the item's edge
  tmMenuImageMargin = 32,      // popup items: space before the image column
  tmMenuImageTextSpace = 33,   // popup items: between the image column and the caption
  tmMenuTextMargin = 34,       // popup items: space after the caption
  tmMenuSeparatorSize = 35,    // -1: the framework's own size
  tmToolbarSeparatorSize = 50, // -1: the framework's own size
  tmEditFrameWidth = 60,
  tmEditTextMarginHorz = 61,
  tmEditTextMarginVert = 62,
  tmEditButtonWidth = 65,      // toolbar-style edit items: the button at the right end
  tmEditMenuRightMargin = 66,
  // boolean metrics
  tmPopupsOverlapParent = 1,   // popups sit flush against their parent item (one-pixel overlap)
  tmEditFrameWholeItem = 3,    // in popups, the menu-item frame covers the whole edit item
  tmEditHeightEven = 4,        // edit items have an even height (else odd)
};

// Margin ids of GetMargins.
enum : int { mkToolbarItem = 1, mkMenuItem = 2, mkStatusPane = 3 };

// ---------------------------------------------------------------------------------------------
// Records handed to the theme

// Bits of TTBXItemInfo::Flags.
enum : int {
  iifToolbarStyle = 0x01,
  iifHasSubitems = 0x04,
  iifSplit = 0x08,       // a split (combo) item
  iifDesigning = 0x10,
  iifAppActive = 0x20,
  iifRadio = 0x40,       // set only for PaintCheckMark
};

// The state of one item as a viewer paints it. Zero-filled before each use (TTBXItemInfo{}).
struct TTBXItemInfo {
  int32_t ViewKind;
  int32_t Flags;
  bool ItemEnabled;        // enabled, or the view is being customised
  bool ItemPushed;
  // 0 not selected, or selected while disabled and under the mouse; 1 selected while disabled
  // and not under the mouse; 2 selected and enabled.
  uint8_t Hover;
  bool ItemChecked;
  bool HasImage;
  int32_t GlyphWidth;      // 0 without image
  int32_t GlyphHeight;
  bool Vertical;           // the view is vertical and the item is not a split item
  // 0 plain; 1 button with a drop-down arrow; 2 the button half of a split item; 3 its arrow
  // half.
  uint8_t ButtonPart;
  // A toolbar-style item shown as the parent of an open popup.
  bool OpensPopup;
  int32_t ImageColumnWidth; // popup items
};

// Bits of the state flags that item events receive, and the kind bits PaintImageWithState
// takes with them.
enum : int {
  isfDisabled = 1,
  isfHot = 2,
  isfPushed = 4,
  isfChecked = 8,
  piskToolbar = 0x000,
  piskDockPanel = 0x100,
  piskStatusBar = 0x200,
};
// 1 when not ItemEnabled, 2 when Hover is 2, 4 when ItemPushed, 8 when ItemChecked.
int ItemInfoStateFlags(const TTBXItemInfo& ItemInfo);

// Widths of the left and right margins, heights of the top and bottom ones.
struct TTBXMargins {
  int32_t Left;
  int32_t Right;
  int32_t Top;
  int32_t Bottom;
};

// What a theme needs to paint a popup window's border (zero-filled).
struct TTBXPopupInfo {
  HWND WindowHandle;
  int32_t ViewKind;
  RECT ParentRect;  // the parent item in the window's own coordinates; empty without one
  POINT BorderSize; // GetViewBorder for the view kind
};

// The button at an end of an edit item's box.
enum : int { ebtNone = 0, ebtDropDown = 1, ebtSpin = 2 };
enum : int { ebsDisabled = 1, ebsHot = 2, ebsPressed = 4, ebsDownPressed = 8 };

struct TTBXEditBtnInfo {
  int32_t ButtonType;  // ebtNone, ebtDropDown, ebtSpin
  // ebsDisabled, ebsHot, ebsPressed (drop-down pushed, or the up spin part), ebsDownPressed
  int32_t ButtonState;
};

struct TTBXEditInfo {
  int32_t LeftButtonWidth;
  int32_t RightButtonWidth;
  TTBXEditBtnInfo LeftButton;
  TTBXEditBtnInfo RightButton;
};

// The records of floating windows, toolbars and dock panels: part of the contract, filled by
// docks and toolbars (which this program does not show).
enum TTBDragHandleStyle { dhDouble, dhNone, dhSingle };
// Bits of a close button's state.
enum : int { cbsVisible = 1, cbsHot = 2, cbsPressed = 4 };

struct TTBXWindowInfo {
  HWND WindowHandle;
  HWND ParentHandle;
  int32_t ViewKind;
  int32_t ClientWidth;
  int32_t ClientHeight;
  POINT BorderSize;
  bool ShowCaption;
  bool Active;
  int32_t CloseButtonState;
  const wchar_t* Caption;
  TColor EffectiveColor;
};

struct TTBXToolbarInfo {
  HWND WindowHandle;
  int32_t ViewKind;
  bool IsVertical;
  bool AllowDrag;
  TTBDragHandleStyle DragHandleStyle;
  int32_t ClientWidth;
  int32_t ClientHeight;
  POINT BorderSize;
  int32_t CloseButtonState;
  bool CloseButtonWhenDocked;
  TColor EffectiveColor;
};

struct TTBXDockPanelInfo {
  HWND WindowHandle;
  int32_t ViewKind;
  bool IsVertical;
  bool AllowDrag;
  TTBXMargins BorderSize;
  int32_t ClientWidth;
  int32_t ClientHeight;
  bool ShowCaption;
  int32_t CloseButtonState;
  const wchar_t* Caption;
  TColor EffectiveColor;
};

// ---------------------------------------------------------------------------------------------
// The theme

// Shadow kinds of GetPopupShadowType.
enum : int {
  pstNone = 0,          // no own shadow
  pstSystem = 1,        // the system's drop shadow of the window class
  pstOwnOutsideParent = 2, // own shadows that leave out the parent item
  pstOwnWhole = 3,      // own shadows around the whole popup
};

// Measures and paints every themed element. A concrete theme registers itself with the theme
// manager in its constructor (AddThemeChangeListener) and removes itself in its destructor; it
// reloads its colours when it is dispatched WM_TBX_SYSTEM_CHANGED with wParam 2.
// Rectangles are passed by reference and not changed.
class TTBXTheme : public TObject {
 public:
  explicit TTBXTheme(const String& AName) : name_(AName) {}
  const String& Name() const { return name_; }

  // Where an image is shifted for the item's state (for example when pushed).
  virtual POINT GetImageOffset(TCanvas& Canvas, const TTBXItemInfo& ItemInfo, TCustomImageList* ImageList) = 0;
  virtual TColor GetItemColor(const TTBXItemInfo& ItemInfo) = 0;
  virtual TColor GetItemTextColor(const TTBXItemInfo& ItemInfo) = 0;
  virtual TColor GetItemImageBackground(const TTBXItemInfo& ItemInfo) = 0;
  // Inner margins of an item: mkToolbarItem, mkMenuItem (and mkStatusPane).
  virtual void GetMargins(int MarginID, TTBXMargins& Margins) = 0;
  virtual int GetPopupShadowType() = 0;
  // Width (x) and height (y) of the non-client border of a window of that kind.
  virtual void GetViewBorder(int ViewKind, POINT& Border) = 0;
  virtual TColor GetViewColor(int ViewKind) = 0;
  virtual void GetViewMargins(int ViewKind, TTBXMargins& Margins) = 0;
  virtual void PaintBackgnd(TCanvas& Canvas, const RECT& ARect, const RECT& AClipRect, const RECT& AFullRect,
                            TColor AColor, bool Transparent, int ViewKind) = 0;
  // A toolbar-style item's button face and frame.
  virtual void PaintButton(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) = 0;
  // A caption or shortcut text in the canvas's font colour.
  virtual void PaintCaption(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo,
                            const String& ACaption, UINT AFormat, bool Rotated) = 0;
  // A check mark; a radio mark when ItemInfo.Flags has iifRadio.
  virtual void PaintCheckMark(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) = 0;
  virtual void PaintChevron(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) = 0;
  virtual void PaintEditFrame(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo,
                              const TTBXEditInfo& EditInfo) = 0;
  virtual void PaintEditButton(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo,
                               const TTBXEditBtnInfo& ButtonInfo) = 0;
  virtual void PaintDock(TCanvas& Canvas, const RECT& ClientRect, const RECT& DockRect, int DockPosition) = 0;
  virtual void PaintDockPanelNCArea(TCanvas& Canvas, const RECT& R, const TTBXDockPanelInfo& DockPanelInfo) = 0;
  // The small arrow of a drop-down item.
  virtual void PaintDropDownArrow(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) = 0;
  virtual void PaintFloatingBorder(TCanvas& Canvas, const RECT& ARect, const TTBXWindowInfo& WindowInfo) = 0;
  // A frame in item colours.
  virtual void PaintFrame(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) = 0;
  virtual void PaintImage(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo,
                          TCustomImageList* ImageList, int ImageIndex) = 0;
  virtual void PaintMDIButton(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo, UINT ButtonKind) = 0;
  // A popup-style item: background, selection, image column and, with subitems, the submenu
  // arrow.
  virtual void PaintMenuItem(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) = 0;
  // The frame of a popup item (also behind the scroll arrows of a long popup).
  virtual void PaintMenuItemFrame(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) = 0;
  virtual void PaintPageScrollButton(TCanvas& Canvas, const RECT& ARect, int ButtonType, bool Hot) = 0;
  virtual void PaintPopupNCArea(TCanvas& Canvas, const RECT& R, const TTBXPopupInfo& PopupInfo) = 0;
  // A horizontal line when Horizontal, else a vertical one; LineSeparator marks a separator that
  // ends a wrapped row.
  virtual void PaintSeparator(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo, bool Horizontal,
                              bool LineSeparator) = 0;
  virtual void PaintToolbarNCArea(TCanvas& Canvas, const RECT& R, const TTBXToolbarInfo& ToolbarInfo) = 0;
  // Check box (kind 1), radio button (2) and similar small controls.
  virtual void PaintFrameControl(TCanvas& Canvas, const RECT& R, int Kind, int State, void* Params) = 0;
  virtual void PaintStatusBar(TCanvas& Canvas, const RECT& R, int Part) = 0;
  // -1 when the theme has none.
  virtual int GetIntegerMetrics(int Index) = 0;
  virtual bool GetBooleanMetrics(int Index) = 0;

 private:
  String name_;
};

// The class-returning operation of the registry: makes a theme of one class with a name.
using TTBXThemeClass = TTBXTheme* (*)(const String& Name);

template <class T>
TTBXTheme* CreateThemeOf(const String& Name) {
  return new T(Name);
}

// ---------------------------------------------------------------------------------------------
// The registry of themes by name, with shared, counted instances

struct ThemeEntry {
  String Name;              // at most 255 characters
  TTBXThemeClass ThemeClass = nullptr;
  TTBXTheme* Instance = nullptr;
  int RefCount = 0;
};

// Raises "Cannot register theme" for an empty name or no class, "Theme %s is already
// registered" for a name already there (case-insensitively).
void RegisterThemeClass(const String& Name, TTBXThemeClass ThemeClass);
bool IsThemeRegistered(const String& Name);
// The index of the first entry with that name (ignoring case), -1 when none.
int FindThemeEntry(const String& Name);
// The shared instance, made on first use (it is then dispatched WM_TBX_SYSTEM_CHANGED with
// wParam 1 when the application is active, else 0), with one more reference. Raises "Unknown
// theme <name>".
TTBXTheme* AcquireTheme(const String& Name);
// One reference less; the last one frees the instance and clears the entry and Theme. Raises
// "Cannot release theme" when no entry holds the instance. The registry is unchanged whenever
// one of these raises.
void ReleaseThemeInstance(TTBXTheme*& Theme);

// The instance every viewer and window calls; never empty between start-up and shutdown.
extern TTBXTheme* ActiveTheme;

// ---------------------------------------------------------------------------------------------
// The holder of the active theme

// Holds the attached theme switchers (in attachment order) and switches themes by name. It
// listens to the theme manager and passes system changes on to the switchers.
class TTBXNexus : public TObject {
 public:
  // Acquires the named theme as ActiveTheme and listens to the theme manager.
  explicit TTBXNexus(const String& Name);
  ~TTBXNexus() override;

  // Nothing for a name that is not registered. Otherwise the named theme replaces the active
  // one (a theme that only the holder uses is made anew) and the switchers hear
  // WM_TBX_THEME_CHANGED with wParam 1, 2, 3 and lParam 1. When the new theme cannot be made,
  // the previous one stays active and the exception goes on.
  void SwitchTheme(const String& Name);
  // Dispatches {Msg, WParam, LParam, Result 0} to each attached switcher, first to last. A
  // switcher detached meanwhile is skipped; one attached meanwhile hears the next broadcast.
  void Broadcast(UINT Msg, WPARAM WParam, LPARAM LParam);

  // Attaching a switcher already attached changes nothing.
  void Attach(TObject* Switcher);
  void Detach(TObject* Switcher);
  const std::vector<TObject*>& Switchers() const { return switchers_.Items(); }

  // WM_TBX_SYSTEM_CHANGED from the manager goes on to the switchers as WM_TBX_THEME_CHANGED
  // with the same wParam and lParam 0.
  void Dispatch(TMessage& Message) override;

 private:
  tbx::TListenerList switchers_;
};

extern TTBXNexus* NexusInstance;

// Forwarders to NexusInstance (nothing when there is none).
void NexusSelectTheme(const String& Name);
// The active theme's name (empty when there is none).
String NexusThemeName();
// Attaching a switcher already attached changes nothing.
void AttachSwitcher(TObject* Switcher);
void DetachSwitcher(TObject* Switcher);

// ---------------------------------------------------------------------------------------------
// Queries on views

// 0 for a null view or one without owner; else the answer of the view's window object to
// WM_TBX_QUERY_VIEW_KIND.
int QueryViewKind(TTBView* View);
// The same asked of a popup window; 0 for null.
int QueryPopupViewKind(TTBPopupWindow* Window);

// Paints one image through the active theme without a viewer: the item state comes from
// Flags (isfDisabled clear gives ItemEnabled, isfPushed, isfHot gives Hover 2, isfChecked) and
// the view kind from its kind bits.
void PaintImageWithState(TCanvas& Canvas, const RECT& R, TCustomImageList* ImageList, int ImageIndex, int Flags);

// ---------------------------------------------------------------------------------------------
// The theme manager and the system facts it keeps

// The nine visual-style classes whose data the manager opens, in this order.
enum TVisualStyleClass {
  vscButton, vscScrollBar, vscRebar, vscToolbar, vscWindow, vscComboBox, vscExplorerBar, vscStatus, vscSpin
};
constexpr int kVisualStyleClassCount = 9;

// Fewer than 12 bits per pixel on the screen.
extern bool LowColorMode;
// The system button face is pure white.
extern bool WhiteButtonFace;
// LowColorMode or WhiteButtonFace: themes avoid blended colours.
extern bool PlainColorMode;
// clBtnFace and clBtnText, or the visual style's toolbar fill and text colours.
extern TColor ToolbarFaceColor;
extern TColor ToolbarTextColor;
// The colours themes use for menus, by the flat-menu mode and the system's flat menus.
extern TColor MenuFaceColor;
extern TColor MenuTextColor;
extern bool FlatMenusInUse;
// The system's hot-light colour (0x8000001A) when it has a hot-light brush, else clHighlight;
// set once at start-up.
extern TColor HotLightColor;
// Visual styles are loaded and active for the application.
extern bool VisualStylesInUse;
// The visual-style data of each class, null while not open.
extern std::array<HTHEME, kVisualStyleClassCount> VisualStyleHandles;

// The visual-style data of a class while visual styles paint; null when they do not, or when
// the style has no data for the class (the class is then painted classic).
HTHEME VisualStyleHandle(TVisualStyleClass Class);
// A colour property of part 0, state 0 of the class's data; false (Color unchanged) where
// VisualStyleHandle gives none or the style does not define it.
bool ReadVisualStyleColor(TVisualStyleClass Class, int Property, TColor& Color);
// Draws a part of a class through the visual styles; false (nothing drawn) where
// VisualStyleHandle gives none.
bool DrawVisualStylePart(TVisualStyleClass Class, HDC DC, int Part, int State, const RECT& R);

// The arrows of scroll bars and scroll buttons: the classic picture's DrawFrameControl kind
// (DFC_SCROLL) and the visual style's normal state of the arrow part (SBP_ARROWBTN); its hot,
// pressed and disabled states follow it.
enum TScrollArrow { saUp, saDown, saLeft, saRight };
UINT ClassicScrollArrowKind(TScrollArrow Arrow);
int StyledScrollArrowState(TScrollArrow Arrow);

// The one process-wide manager: its hidden window hears WM_SYSCOLORCHANGE, WM_DISPLAYCHANGE,
// WM_THEMECHANGED (recompute, then WM_TBX_SYSTEM_CHANGED 1, 2, 3 to the listeners) and
// WM_ACTIVATEAPP (4 when activated, 5 when deactivated).
class TTBXThemeManager : public TObject {
 public:
  TTBXThemeManager();
  ~TTBXThemeManager() override;
  TTBXThemeManager(const TTBXThemeManager&) = delete;
  TTBXThemeManager& operator=(const TTBXThemeManager&) = delete;

  bool VisualStylesAllowed() const { return visualStylesAllowed_; }
  // 0 automatic, 1 never flat, 2 always flat.
  int FlatMenuMode() const { return flatMenuMode_; }
  // A different value recomputes the system state and broadcasts the three phases.
  void SetVisualStylesAllowed(bool Value);
  void SetFlatMenuMode(int Value);

  HWND HiddenWindow() const { return hiddenWindow_; }
  const std::vector<TObject*>& Listeners() const { return listeners_.Items(); }
  void AddListener(TObject* Listener);
  void RemoveListener(TObject* Listener);

  // Dispatches one {Msg, WParam, LParam, Result 0} record to every listener, first to last; the
  // result is shared. A listener removed meanwhile is skipped.
  void Broadcast(UINT Msg, WPARAM WParam, LPARAM LParam);
  // WM_TBX_SYSTEM_CHANGED with wParam 1, 2, 3 (nothing without listeners).
  void BroadcastSystemChange();
  // Reads the system facts into the globals above.
  void RecomputeSystemState();

 private:
  void WindowProc(TMessage& Message);
  template <class T>
  void ChangeOption(T& Option, T Value);
  void OpenVisualStyles();
  void CloseVisualStyles();
  void ReadToolbarColors();
  void ReadMenuColors();

  bool visualStylesAllowed_ = true;
  int flatMenuMode_ = 0;
  tbx::TListenerList listeners_;
  HWND hiddenWindow_ = nullptr;
};

extern TTBXThemeManager* ThemeManagerInstance;

// Adding does not look for duplicates. Both do nothing without a manager.
void AddThemeChangeListener(TObject* Listener);
void RemoveThemeChangeListener(TObject* Listener);
// Option 1: the flat-menu mode (0, 1, 2). Option 2: visual styles (0 allowed, 2 not). Other
// options do nothing (set) or answer -1 (get). Without a manager: assertion failure.
enum : int { tmoFlatMenuMode = 1, tmoVisualStyles = 2 };
void SetThemeManagerOption(int Option, int Value);
int GetThemeManagerOption(int Option);

// Frame geometry of floating windows and toolbars.
// (0, 0, client width, small-caption height - 1); without the close button's square at the
// right end with LeaveOutCloseButton; moved by the border with OffsetByBorder.
void GetFloatingCaptionRect(const TTBXWindowInfo& WindowInfo, bool OffsetByBorder, bool LeaveOutCloseButton, RECT& R);
// The square at the right end of the caption.
void GetFloatingCloseButtonRect(const TTBXWindowInfo& WindowInfo, bool OffsetByBorder, RECT& R);
// 0 without a close button; else by the drag-handle style and the docked close button.
int GetToolbarCloseButtonSize(const TTBXToolbarInfo& ToolbarInfo);
void GetToolbarCloseButtonRect(const TTBXToolbarInfo& ToolbarInfo, RECT& R);
// The toolbar's grip, across its start inside the border (after the close button where there is
// one); empty without a grip. R: the whole window.
RECT GetToolbarGripRect(const TTBXToolbarInfo& ToolbarInfo, const RECT& R);
// A dock panel's caption (small-caption high, or wide when the panel is vertical) inside its
// border, and the close button's square at its far end.
void GetDockPanelCaptionRects(const TTBXDockPanelInfo& DockPanelInfo, const RECT& R, RECT& Caption,
                              RECT& CloseButton);

// The theme unit's start-up: the hot-light colour, an empty registry and the manager (which
// computes the system state once). Finalisation frees the manager, then empties the registry.
void InitTBXThemes();
void FinalizeTBXThemes();

namespace tbx {
// The registry's entries, first to last (for tests).
const std::vector<ThemeEntry>& ThemeEntries();
}  // namespace tbx
