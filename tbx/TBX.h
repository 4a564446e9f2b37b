#pragma once
// Themed items and their viewers, the themed popup windows, the themed root item and the themed
// popup menu: the item framework's classes, measured and painted by the active theme
// (ActiveTheme), with the theme's popup placement, borders, backgrounds and drop shadows, and
// the show animation the menu animation settings pick. User-interface thread only.
#include "items/TB2Item.h"
#include "items/TB2PopupMenu.h"
#include "items/TB2View.h"
#include "tbx/TBXThemes.h"

#include <cstdint>
#include <memory>

class TShadows;

// ---------------------------------------------------------------------------------------------
// Font settings of an item

enum TTriState : uint8_t { tsDefault, tsTrue, tsFalse };

// The item's own changes to the font of its view. Size is a percentage of the view font's size;
// clNone and an empty name keep the view font's colour and name.
class TFontSettings : public TObject {
 public:
  TTriState Bold() const { return bold_; }
  void SetBold(TTriState Value) { Set(bold_, Value); }
  TTriState Italic() const { return italic_; }
  void SetItalic(TTriState Value) { Set(italic_, Value); }
  TTriState Underline() const { return underline_; }
  void SetUnderline(TTriState Value) { Set(underline_, Value); }
  TTriState StrikeOut() const { return strikeOut_; }
  void SetStrikeOut(TTriState Value) { Set(strikeOut_, Value); }
  uint16_t Size() const { return size_; }
  void SetSize(uint16_t Value) { Set(size_, Value); }
  TColor Color() const { return color_; }
  void SetColor(TColor Value) { Set(color_, Value); }
  const String& Name() const { return name_; }
  void SetName(const String& Value) { Set(name_, Value); }

  // Copies all seven values, with one change notification, when any of them differs. A null
  // source raises EConvertError.
  void Assign(const TFontSettings* Source);
  // The size scaled ((size * Size + 50) div 100), then colour, name and styles.
  void ApplyToFont(TFont& Font) const;

  // Runs after every real change.
  TNotifyEvent OnChange;

 private:
  template <class T>
  void Set(T& Field, const T& Value) {
    if (Field == Value) return;
    Field = Value;
    OnChange(this);
  }
  bool SameAs(const TFontSettings& Other) const;

  TTriState bold_ = tsDefault;
  TTriState italic_ = tsDefault;
  TTriState underline_ = tsDefault;
  TTriState strikeOut_ = tsDefault;
  uint16_t size_ = 100;
  TColor color_ = clNone;
  String name_;
};

// A new font made from Font's logical font with the settings applied; a colour other than clNone
// is answered in Color.
gdi::FontHandle MakeFontWithSettings(const TFontSettings& Settings, HFONT Font, TColor& Color);

// ---------------------------------------------------------------------------------------------
// Themed items

enum TTBXItemLayout : uint8_t { tbxlAuto, tbxlGlyphLeft, tbxlGlyphTop };

// StateFlags: ItemInfoStateFlags of the item as it is painted (0 while measuring).
using TAdjustFontEvent = TEvent<void(TTBCustomItem* Item, TTBItemViewer* Viewer, TFont& Font, int StateFlags)>;
using TDrawImageEvent = TEvent<void(TTBCustomItem* Item, TTBItemViewer* Viewer, TCanvas& Canvas, RECT ImageRect,
                                    POINT ImageOffset, int StateFlags)>;

class TTBXCustomItem : public TTBCustomItem {
 public:
  explicit TTBXCustomItem(TComponent* AOwner);
  ~TTBXCustomItem() override;

  bool AlwaysSelectFirst() const { return alwaysSelectFirst_; }
  void SetAlwaysSelectFirst(bool Value) { alwaysSelectFirst_ = Value; }
  // Its changes re-measure and repaint the item.
  TFontSettings& FontSettings() { return *fontSettings_; }
  void SetFontSettings(const TFontSettings& Value) { fontSettings_->Assign(&Value); }
  TTBXItemLayout Layout() const { return layout_; }
  void SetLayout(TTBXItemLayout Value);
  int MinHeight() const { return minHeight_; }
  void SetMinHeight(int Value);
  int MinWidth() const { return minWidth_; }
  void SetMinWidth(int Value);
  bool ToolBoxPopup() const { return toolBoxPopup_; }
  void SetToolBoxPopup(bool Value) { toolBoxPopup_ = Value; }
  bool Stretch() const { return (ItemStyle() & tbisStretch) != 0; }
  void SetStretch(bool Value) { SetStyleBit(tbisStretch, Value); }

  TAdjustFontEvent OnAdjustFont;
  TDrawImageEvent OnDrawImage;

  // The popup selects its first item also when AlwaysSelectFirst is set.
  TTBPopupWindow* CreatePopup(TTBView* ParentView, TTBItemViewer* ParentViewer, bool PositionAsSubmenu,
                              bool SelectFirstItem, bool Customizing, const POINT& APopupPoint,
                              TTBPopupAlignment Alignment) override;
  TTBItemViewerClass GetItemViewerClass(TTBView* AView) override;
  // The framework's rule, inside the theme's one-pixel adjustments when the theme asks for them.
  void GetPopupPosition(TTBView* ParentView, TTBPopupWindow* PopupWindow, TTBPopupPositionRec& P) override;
  TTBPopupWindowClass GetPopupWindowClass() override;

 protected:
  // Sets or clears a style bit, re-measuring when it changes.
  void SetStyleBit(TTBItemStyle Bit, bool Value);
  // Stores a new value of a property that sizes the item, re-measuring it when it changes.
  template <class T>
  void SetAndResize(T& Field, T Value) {
    if (Field == Value) return;
    Field = Value;
    Change(true);
  }

 private:
  void FontSettingsChanged(TObject* Sender);

  bool alwaysSelectFirst_ = false;
  std::unique_ptr<TFontSettings> fontSettings_;
  TTBXItemLayout layout_ = tbxlAuto;
  int minHeight_ = 0;
  int minWidth_ = 0;
  bool toolBoxPopup_ = false;
};

class TTBXItem : public TTBXCustomItem {
 public:
  using TTBXCustomItem::TTBXCustomItem;
};

class TTBXSubmenuItem : public TTBXCustomItem {
 public:
  explicit TTBXSubmenuItem(TComponent* AOwner);
  bool DropdownCombo() const { return (ItemStyle() & tbisCombo) != 0; }
  void SetDropdownCombo(bool Value) { SetStyleBit(tbisCombo, Value); }
};

class TTBXSeparatorItem : public TTBSeparatorItem {
 public:
  using TTBSeparatorItem::TTBSeparatorItem;
  // -1: the theme's separator size; values below -1 are stored as -1.
  int Size() const { return size_; }
  void SetSize(int Value);
  TTBItemViewerClass GetItemViewerClass(TTBView* AView) override;

 private:
  int size_ = -1;
};

// ---------------------------------------------------------------------------------------------
// Themed viewers

// A themed item in one view: every size from the caption, the image and the theme's metrics,
// every pixel painted by the theme with the item's state in a TTBXItemInfo.
class TTBXItemViewer : public TTBItemViewer {
 public:
  TTBXItemViewer(TTBView* AView, TTBCustomItem* AItem, int AGroupLevel);

  // A glyph-left toolbar item is one pixel wider.
  bool WideImage() const { return wideImage_; }
  void SetWideImage(bool Value) { wideImage_ = Value; }

  void CalcSize(TCanvas& Canvas, int& AWidth, int& AHeight) override;
  void Paint(TCanvas& Canvas, const RECT& ClientAreaRect, bool IsSelected, bool IsPushed,
             bool UseDisabledShadow) override;
  int GetAccRole() override;
  bool IsToolbarSize() override;
  bool IsToolbarStyle() override;
  bool IsPtInButtonPart(int X, int Y) override;
  // The framework's release, then the item runs when the release ends on its button part.
  void MouseUp(int X, int Y, bool MouseWasDownOnMenu) override;

  // Called before a caption or shortcut is painted into CaptionRect; the text is painted only
  // while PaintDefault stays true.
  virtual void CaptionPaintHook(TCanvas& Canvas, const RECT& ClientAreaRect, RECT& CaptionRect, bool Rotated,
                                bool& PaintDefault);
  // 1 toolbar-styled, 2 popup-styled.
  virtual int GetItemKind();
  virtual void DrawItemImage(TCanvas& Canvas, const RECT& ImageRect, const TTBXItemInfo& ItemInfo);
  virtual void AdjustFont(TFont& Font, int StateFlags);
  virtual bool IsImageShown();
  // The image list's size, or 0 x 0 without one.
  virtual SIZE GetImageSize();
  // DT_HIDEPREFIX while the view hides its accelerators.
  virtual UINT GetTextFlags();
  // The caption's size in the view's font as the item adjusts it; 0 x 0 for an empty caption.
  virtual SIZE MeasureCaption(TCanvas& Canvas, const String& Caption, UINT TextFlags, bool Rotated,
                              int StateFlags);

  int GetImageColumnWidth();
  // The item's own layout, or the one the options and the view's orientation give.
  TTBXItemLayout EffectiveLayout();

 private:
  // The steps of one Paint call.
  struct TPaintJob;

  bool wideImage_ = true;
};

// The width of a popup item's image column for any viewer: its image (16 x 16 when it has none)
// scaled to the height of a line of the view's font within the theme's menu-item margins.
int GetPopupImageColumnWidth(TTBItemViewer* Viewer);

class TTBXSeparatorItemViewer : public TTBSeparatorItemViewer {
 public:
  using TTBSeparatorItemViewer::TTBSeparatorItemViewer;
  void CalcSize(TCanvas& Canvas, int& AWidth, int& AHeight) override;
  void Paint(TCanvas& Canvas, const RECT& ClientAreaRect, bool IsSelected, bool IsPushed,
             bool UseDisabledShadow) override;
  bool IsToolbarSize() override;
  bool IsToolbarStyle() override;
};

// The lists of viewers that list items keep: made on first use, freed when empty.
void ListAddViewer(std::unique_ptr<std::vector<TTBItemViewer*>>& List, TTBItemViewer* Viewer);
void ListRemoveViewer(std::unique_ptr<std::vector<TTBItemViewer*>>& List, TTBItemViewer* Viewer);

// ---------------------------------------------------------------------------------------------
// Themed popup windows

class TTBXPopupView : public TTBPopupView {
 public:
  using TTBPopupView::TTBPopupView;
};

// A popup window whose border and background the theme paints, which comes up as the menu
// animation settings pick and, for themes with shadow type 2 or 3, casts its own drop shadows
// once it is fully shown (rebuilt when it moves, gone when it hides).
class TTBXPopupWindow : public TTBPopupWindow {
 public:
  TTBXPopupWindow(TComponent* AOwner, TTBView* AParentView, TTBCustomItem* AItem, bool ACustomizing);
  ~TTBXPopupWindow() override;

  TShadows* Shadows() const { return shadows_.get(); }
  // The rectangle (screen coordinates) it was opened against by TTBXRootItem::PopupAtRect.
  const RECT& AnchorRect() const { return anchorRect_; }
  void SetAnchorRect(const RECT& Value) { anchorRect_ = Value; }

  // The theme's border for the view's kind.
  POINT GetNCSize() override;

  virtual void CreateShadow();
  virtual void DestroyShadow();
  // False for a list popup.
  virtual bool CanDrawShadow();

 protected:
  TTBXPopupWindow(TComponent* AOwner, TTBView* AParentView, TTBCustomItem* AItem, bool ACustomizing,
                  TTBViewClass AViewClass);
  void CreateParams(TCreateParams& Params) override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  void PaintScrollArrows() override;
  void ShowingChanged(bool Showing) override;
  void PaintNCFrame(HDC DC) override;

 private:
  void WMNCCalcSize(TMessage& Message);
  void WMEraseBkgnd(TMessage& Message);
  void WMWindowPosChanged(TMessage& Message);
  void WMPopupAnimation(TMessage& Message);
  void CMHintShow(TMessage& Message);
  int ViewKind();
  // The style the menu animation settings pick for this showing, masNone when it comes up at
  // once.
  int PickAnimation(bool Showing);
  RECT ShadowExcludeRect();

  std::unique_ptr<TShadows> shadows_;
  RECT anchorRect_{};
  bool destroyingHandle_ = false;
};

// The popup of a toolbar's chevron.
class TTBXChevronPopupWindow : public TTBXPopupWindow {
 public:
  using TTBXPopupWindow::TTBXPopupWindow;
};

// Paints a themed popup window's border on DC (the whole window, its top-left at 0, 0) through
// the active theme; a null DC raises EAssertionFailed.
void TBXPopupNCPaintProc(HWND Wnd, HDC DC, TTBView* View);

// ---------------------------------------------------------------------------------------------
// The themed root item and popup menu

class TTBXRootItem : public TTBRootItem {
 public:
  using TTBRootItem::TTBRootItem;

  // Empty unless a popup is being opened against a rectangle.
  const RECT& AnchorRect() const { return anchorRect_; }
  // Opens the popup below Rect (above it when it does not fit below), its right edge on Rect's
  // for tbpaRight; the caller runs it and owns it.
  virtual TTBPopupWindow* PopupAtRect(bool SelectFirstItem, const RECT& Rect, TTBPopupAlignment Alignment);

  void GetPopupPosition(TTBView* ParentView, TTBPopupWindow* PopupWindow, TTBPopupPositionRec& P) override;
  TTBPopupWindowClass GetPopupWindowClass() override;

 private:
  void PlaceAgainstAnchor(TTBPopupPositionRec& P) const;

  RECT anchorRect_{};
};

// A popup menu of themed items: its root opens themed popup windows.
class TTBXPopupMenu : public TTBPopupMenu {
 public:
  explicit TTBXPopupMenu(TComponent* AOwner);
  // Answers WM_TBX_QUERY_VIEW_KIND with vkPopupMenu.
  void Dispatch(TMessage& Message) override;
};
