#pragma once
// The theme registered as "Ide": light blue-grey gradients behind image columns and toolbars, a
// pale blue highlight with a darker blue frame for hot and checked items, an off-white popup
// background in a grey-blue frame, and the theme layer's own drop shadows around every popup.
// Its colours are worked out once per system change (SetupColorCache) and kept in a cache that
// every paint reads. User-interface thread only.
#include "tbx/TBXThemes.h"

#include <array>

// The parts of an item that have a colour of their own.
enum TItemPart { ipBody, ipText, ipFrame };
constexpr int kItemPartCount = 3;

// The states of toolbar buttons and toolbar-style items, and of ordinary popup-menu items.
enum TBtnItemState {
  bisNormal, bisDisabled, bisSelected, bisPressed, bisHot, bisDisabledHot, bisSelectedHot, bisPopupParent
};
constexpr int kBtnItemStateCount = 8;
enum TMenuItemState { misNormal, misDisabled, misHot, misDisabledHot };
constexpr int kMenuItemStateCount = 4;

// Floating toolbars and dock panels: whether the window is active, and the parts of its frame.
enum TWinFrameState { wfsActive, wfsInactive };
enum TWinFramePart { wfpBorder, wfpCaption, wfpCaptionText };

using TItemPartColors = std::array<TColor, kItemPartCount>;
using TWinFrameColors = std::array<std::array<TColor, 3>, 2>;  // [TWinFrameState][TWinFramePart]

// What an Ide theme paints with. After SetupColorCache every entry that is not clNone is a
// resolved colour, snapped to what the screen shows.
struct TIdeColorCache {
  TColor MenuBarViewColor = clNone;
  TColor ToolbarViewColor = clNone;
  TColor PopupViewColor = clNone;
  TColor DockPanelViewColor = clNone;
  TColor PopupFrameColor = clNone;
  TWinFrameColors WinFrameColors{};        // floating toolbars
  TWinFrameColors DockPanelFrameColors{};  // floating dock panels
  std::array<TItemPartColors, kMenuItemStateCount> MenuItemColors{};  // ordinary popup-menu items
  std::array<TItemPartColors, kBtnItemStateCount> BtnItemColors{};    // toolbar-style items
  TColor MenuSeparatorColor = clNone;
  TColor ToolbarSeparatorColor = clNone;
  TColor StatusPanelFrameColor = clNone;
};

// The colours every Ide theme shares, set again by each SetupColorCache (as stored: red in the
// low byte). They are not snapped to the screen.
struct TIdeBaseColors {
  TColor GradientDarkColor;   // C4 CB DB
  TColor GradientLightColor;  // FA FA FD
  TColor HighlightBaseColor;  // 96 D9 F9
  TColor FrameBaseColor;      // A0 A0 B4
  // The non-client area of docked toolbars (its grip and edges).
  TColor NCBaseColor;
  TColor NCShadowColor;
  TColor NCLightColor;
  TColor NCBorderColor;
};
const TIdeBaseColors& IdeBaseColors();

class TTBXIdeTheme : public TTBXTheme {
 public:
  // Shares the glyph list (made by the first Ide theme), listens to the theme manager and works
  // out its colours.
  explicit TTBXIdeTheme(const String& AName);
  ~TTBXIdeTheme() override;

  POINT GetImageOffset(TCanvas& Canvas, const TTBXItemInfo& ItemInfo, TCustomImageList* ImageList) override;
  TColor GetItemColor(const TTBXItemInfo& ItemInfo) override;
  TColor GetItemTextColor(const TTBXItemInfo& ItemInfo) override;
  TColor GetItemImageBackground(const TTBXItemInfo& ItemInfo) override;
  void GetMargins(int MarginID, TTBXMargins& Margins) override;
  int GetPopupShadowType() override;
  void GetViewBorder(int ViewKind, POINT& Border) override;
  TColor GetViewColor(int ViewKind) override;
  void GetViewMargins(int ViewKind, TTBXMargins& Margins) override;
  void PaintBackgnd(TCanvas& Canvas, const RECT& ARect, const RECT& AClipRect, const RECT& AFullRect, TColor AColor,
                    bool Transparent, int ViewKind) override;
  void PaintButton(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) override;
  void PaintCaption(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo, const String& ACaption,
                    UINT AFormat, bool Rotated) override;
  void PaintCheckMark(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) override;
  void PaintChevron(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) override;
  void PaintEditFrame(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo,
                      const TTBXEditInfo& EditInfo) override;
  void PaintEditButton(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo,
                       const TTBXEditBtnInfo& ButtonInfo) override;
  void PaintDock(TCanvas& Canvas, const RECT& ClientRect, const RECT& DockRect, int DockPosition) override;
  void PaintDockPanelNCArea(TCanvas& Canvas, const RECT& R, const TTBXDockPanelInfo& DockPanelInfo) override;
  void PaintDropDownArrow(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) override;
  void PaintFloatingBorder(TCanvas& Canvas, const RECT& ARect, const TTBXWindowInfo& WindowInfo) override;
  void PaintFrame(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) override;
  void PaintImage(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo, TCustomImageList* ImageList,
                  int ImageIndex) override;
  void PaintMDIButton(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo, UINT ButtonKind) override;
  void PaintMenuItem(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) override;
  void PaintMenuItemFrame(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo) override;
  void PaintPageScrollButton(TCanvas& Canvas, const RECT& ARect, int ButtonType, bool Hot) override;
  void PaintPopupNCArea(TCanvas& Canvas, const RECT& R, const TTBXPopupInfo& PopupInfo) override;
  void PaintSeparator(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo, bool Horizontal,
                      bool LineSeparator) override;
  void PaintToolbarNCArea(TCanvas& Canvas, const RECT& R, const TTBXToolbarInfo& ToolbarInfo) override;
  void PaintFrameControl(TCanvas& Canvas, const RECT& R, int Kind, int State, void* Params) override;
  void PaintStatusBar(TCanvas& Canvas, const RECT& R, int Part) override;
  int GetIntegerMetrics(int Index) override;
  bool GetBooleanMetrics(int Index) override;

  // Works the whole colour cache (and the shared base colours) out again from the system's
  // colours, then snaps it to the screen.
  virtual void SetupColorCache();

  // The colour of a part of a toolbar-style item in its button state.
  TColor GetBtnColor(const TTBXItemInfo& ItemInfo, TItemPart ItemPart) const;
  // The colour of a part of any item: ordinary popup-menu items take the menu colours.
  TColor GetPartColor(const TTBXItemInfo& ItemInfo, TItemPart ItemPart) const;
  const TIdeColorCache& Colors() const { return colors_; }

  // WM_TBX_SYSTEM_CHANGED with wParam 2 works the colours out again; other phases change nothing.
  void Dispatch(TMessage& Message) override;

 private:
  // The image column of a popup item or separator: the gradient, then its two edge lines.
  void PaintImageColumn(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo);
  void PaintGlyph(TCanvas& Canvas, const RECT& ARect, int GlyphIndex, TColor Color);
  // A close button's frame and body in its state's button colours; answers the colour of its
  // cross.
  TColor PaintCloseButtonFace(TCanvas& Canvas, const RECT& ARect, int State);
  void PaintCloseButton(TCanvas& Canvas, const RECT& ARect, int State);
  void PaintGrip(HDC DC, const RECT& ARect, bool Vertical, bool Double);

  TIdeColorCache colors_;
};

// The button state of an item (first match: disabled, parent of an open popup, pushed,
// checked, hot, normal) and the state of an ordinary popup-menu item.
TBtnItemState GetBtnItemState(const TTBXItemInfo& ItemInfo);
TMenuItemState GetMenuItemState(const TTBXItemInfo& ItemInfo);

// The unit's start-up registers the class as "Ide" (once; counted). Its finalisation only
// counts down: the registry empties itself when the theme unit ends.
void InitTbxidetheme();
void FinalizeTbxidetheme();

namespace tbx {
// The glyph list all Ide themes share (close 0, minimise 2, restore 3), loaded from the
// program's bitmap resource "TBXGLYPHS": null while no Ide theme exists or when the resource is
// missing.
HIMAGELIST IdeGlyphs();
}  // namespace tbx
