#pragma once
// The theme registered as "Default": the system's own look, classic (3D edges, the system's
// colours, embossed disabled text, the system's frame-control glyphs) or, while visual styles are
// in use, drawn with the visual-style parts of the toolbar, status-bar, window and control
// classes. A class the style has no data for is drawn classic. It is active until the
// application selects another theme. User-interface thread only.
#include "tbx/TBXThemes.h"

class TTBXDefaultTheme : public TTBXTheme {
 public:
  // Listens to the theme manager and loads its colours.
  explicit TTBXDefaultTheme(const String& AName);
  ~TTBXDefaultTheme() override;

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

  // The toolbar, toolbar text, status-bar and dock-panel colours: the system's button colours,
  // or the visual style's.
  virtual void ReloadColors();

  TColor ToolbarColor() const { return toolbarColor_; }
  TColor ToolbarTextColor() const { return toolbarTextColor_; }
  TColor DockPanelColor() const { return dockPanelColor_; }
  TColor StatusBarColor() const { return statusBarColor_; }

  // WM_TBX_SYSTEM_CHANGED with wParam 2 reloads the colours.
  void Dispatch(TMessage& Message) override;

 private:
  // The visual style's toolbar button for the item; false when the style has no toolbar data.
  bool PaintStyledButton(HDC DC, const RECT& ARect, const TTBXItemInfo& ItemInfo);
  void PaintClassicButton(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo);
  // The button face behind a checked popup item's image column.
  void PaintCheckBoxArea(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo);
  void PaintSubmenuArrow(HDC DC, const RECT& ARect, const TTBXItemInfo& ItemInfo);
  // A close button of a toolbar, dock panel or floating window in its state (cbs... bits).
  void PaintCloseButton(HDC DC, const RECT& ARect, int State);
  // A floating window's or dock panel's caption: the caption colours' gradient, the text, the
  // close button.
  void PaintCaptionBar(TCanvas& Canvas, const RECT& Caption, const RECT& CloseButton, const wchar_t* Text,
                       bool Active, int CloseButtonState, bool Vertical);

  TColor toolbarColor_ = clBtnFace;
  TColor toolbarTextColor_ = clBtnText;
  TColor dockPanelColor_ = clBtnFace;
  TColor statusBarColor_ = clBtnFace;
};

// The unit's own small-caption font, made at start-up and freed at shutdown (null otherwise).
TFont* DefaultThemeFont();
void InitTBXDefaultTheme();
void FinalizeTBXDefaultTheme();
