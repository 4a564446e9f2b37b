#pragma once
// Docks, dockable windows and their floating frames, dock backgrounds, and saving and loading
// where the windows are.
//
// A dock (TTBDock) is a strip along one edge of a form that lays dockable windows out in rows.
// A dockable window (TTBCustomDockableWindow, the base of toolbars and tool windows) lies in a
// dock, floats in a small frame of its own (TTBFloatingWindowParent) or lies plainly on a form;
// it moves between them without losing its window. Dragging and sizing run modal mouse loops
// of the window (TB2DockDrag.cpp). A background (TTBBackground) paints one picture behind every
// dock of a form and the windows docked in them, lined up across all of them.
#include "classlib/Controls.h"
#include "classlib/Forms.h"
#include "classlib/Graphics.h"
#include "classlib/StdCtrls.h"
#include "docking/TB2DockArrange.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TTBDock;
class TTBCustomDockableWindow;
class TTBFloatingWindowParent;

enum TTBDockPosition : uint8_t { dpTop, dpBottom, dpLeft, dpRight };
// A set of dock positions.
using TTBDockableTo = uint8_t;
constexpr TTBDockableTo DockableToPosition(TTBDockPosition P) { return static_cast<TTBDockableTo>(1u << P); }
constexpr TTBDockableTo kDockableToAll = 0x0F;

using TTBDockBoundLines = uint8_t;
enum : TTBDockBoundLines { blTop = 1, blBottom = 2, blLeft = 4, blRight = 8 };

enum TTBDockType : uint8_t { dtNotDocked, dtFloating, dtTopBottom, dtLeftRight };
enum TTBDockMode : uint8_t { dmCanFloat, dmCannotFloat, dmCannotFloatOrChangeDocks };
enum TTBDragHandleStyle : uint8_t { dhDouble, dhNone, dhSingle };
enum TTBFloatingMode : uint8_t { fmOnTopOfParentForm, fmOnTopOfAllForms };
// The frame zones a floating window is sized by, in the order of HTLEFT .. HTBOTTOMRIGHT.
enum TTBSizeHandle : uint8_t {
  twshLeft, twshRight, twshTop, twshTopLeft, twshTopRight, twshBottom, twshBottomLeft, twshBottomRight
};

using TTBDockableWindowStyles = uint8_t;
enum : TTBDockableWindowStyles { tbdsResizeEightCorner = 1, tbdsResizeClipCursor = 2 };

using TTBToolWindowNCRedrawWhat = uint8_t;
enum : TTBToolWindowNCRedrawWhat { twrdBorder = 1, twrdCaption = 2, twrdCloseButton = 4 };
constexpr TTBToolWindowNCRedrawWhat twrdAll = twrdBorder | twrdCaption | twrdCloseButton;

// Hit codes of the docked frame and the floating frame.
constexpr LRESULT HT_TB2k_Border = 2000;
constexpr LRESULT HT_TB2k_Close = 2001;
constexpr LRESULT HT_TB2k_Caption = 2002;

using TTBInsertRemoveEvent = TEvent<void(TObject* Sender, bool Inserting, TTBCustomDockableWindow* Bar)>;
using TTBRequestDockEvent = TEvent<void(TObject* Sender, TTBCustomDockableWindow* Bar, bool& Accept)>;
using TTBDockChangingEvent = TEvent<void(TObject* Sender, bool Floating, TTBDock* DockingTo)>;

// Position storage: plain routines with the caller's data last (TB2DockPositions.cpp).
using TTBPositionReadIntProc = int (*)(const String& Section, const String& Key, int Default, void* ExtraData);
using TTBPositionReadStringProc = String (*)(const String& Section, const String& Key, const String& Default,
                                             void* ExtraData);
using TTBPositionWriteIntProc = void (*)(const String& Section, const String& Key, int Value, void* ExtraData);
using TTBPositionWriteStringProc = void (*)(const String& Section, const String& Key, const String& Value,
                                            void* ExtraData);
struct TTBReadPositionData {
  TTBPositionReadIntProc ReadIntProc;
  TTBPositionReadStringProc ReadStringProc;
  void* ExtraData;
};
struct TTBWritePositionData {
  TTBPositionWriteIntProc WriteIntProc;
  TTBPositionWriteStringProc WriteStringProc;
  void* ExtraData;
};

// Marks an object's end for the code that called out of it: a handler may free the object,
// and the caller then touches nothing of it.
class TTBLifeToken {
 public:
  TTBLifeToken() : alive_(std::make_shared<bool>(true)) {}
  ~TTBLifeToken() { End(); }
  TTBLifeToken(const TTBLifeToken&) = delete;
  TTBLifeToken& operator=(const TTBLifeToken&) = delete;
  void End() { *alive_ = false; }

  class TWatch {
   public:
    explicit TWatch(std::shared_ptr<const bool> Alive) : alive_(std::move(Alive)) {}
    bool Gone() const { return !*alive_; }

   private:
    std::shared_ptr<const bool> alive_;
  };
  TWatch Watch() const { return TWatch(alive_); }

 private:
  std::shared_ptr<bool> alive_;
};

// ---------------------------------------------------------------------------------------------
// Backgrounds

// What docks ask of a background.
class TTBBasicBackground : public TComponent {
 public:
  using TComponent::TComponent;
  // Paints the picture tiled from DrawRect's top-left over DrawRect, within the DC's clipping.
  virtual void Draw(HDC DC, const RECT& DrawRect);
  virtual HPALETTE GetPalette();
  // Change handlers, each once; called with the background as Sender.
  virtual void RegisterChanges(const TNotifyEvent& Proc);
  virtual void UnregisterChanges(const TNotifyEvent& Proc);
  virtual void SysColorChanged();
  virtual bool UsingBackground();
};

// A bitmap tiled from an origin, optionally with the colour of its bottom-left pixel shown as
// BkColor. The composed picture is kept until the picture or its colours change.
class TTBBackground : public TTBBasicBackground {
 public:
  explicit TTBBackground(TComponent* AOwner);
  ~TTBBackground() override;

  TBitmap& Bitmap() { return *bitmap_; }
  void SetBitmap(const TBitmap& Value) { bitmap_->Assign(Value); }
  TColor BkColor() const { return bkColor_; }
  void SetBkColor(TColor Value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool Value);

  void Draw(HDC DC, const RECT& DrawRect) override;
  HPALETTE GetPalette() override;
  void RegisterChanges(const TNotifyEvent& Proc) override;
  void UnregisterChanges(const TNotifyEvent& Proc) override;
  void SysColorChanged() override;
  bool UsingBackground() override;

 private:
  void BitmapChanged(TObject* Sender);
  void BuildCache();
  void EnlargeSmallCache();
  static constexpr int kMinTile = 64;

  std::unique_ptr<TBitmap> bitmap_;
  std::unique_ptr<TBitmap> cache_;
  std::vector<TNotifyEvent> changeList_;
  TColor bkColor_ = clBtnFace;
  bool transparent_ = false;
};

// ---------------------------------------------------------------------------------------------
// Dock

class TTBDock : public TCustomControl {
 public:
  explicit TTBDock(TComponent* AOwner);
  ~TTBDock() override;

  bool AllowDrag() const { return allowDrag_; }
  void SetAllowDrag(bool Value);
  TTBBasicBackground* Background() const { return background_; }
  void SetBackground(TTBBasicBackground* Value);
  bool BackgroundOnToolbars() const { return backgroundOnToolbars_; }
  void SetBackgroundOnToolbars(bool Value);
  TTBDockBoundLines BoundLines() const { return boundLines_; }
  void SetBoundLines(TTBDockBoundLines Value);
  bool FixAlign() const { return fixAlign_; }
  void SetFixAlign(bool Value);
  bool LimitToOneRow() const { return limitToOneRow_; }
  void SetLimitToOneRow(bool Value) { limitToOneRow_ = Value; }
  TTBDockPosition Position() const { return position_; }
  void SetPosition(TTBDockPosition Value);
  bool Vertical() const { return position_ == dpLeft || position_ == dpRight; }

  TTBInsertRemoveEvent OnInsertRemoveBar;
  TTBRequestDockEvent OnRequestDock;

  virtual bool Accepts(TTBCustomDockableWindow* Bar);
  // DrawRect's top-left is the parent form's client origin in the DC's coordinates.
  virtual void DrawBackground(HDC DC, const RECT& DrawRect);
  virtual bool UsingBackground();
  virtual void ArrangeToolbars();

  void BeginUpdate();
  void EndUpdate();
  // Above 0 while arrangements wait (BeginUpdate, or an arrangement running).
  int UpdateCount() const { return updateCount_; }
  bool HasVisibleToolbars();
  bool ToolbarVisibleOnDock(TTBCustomDockableWindow* Bar);
  int GetHighestRow(bool Placed);
  int GetCurrentRowSize(int Row, bool& FullSizeRow);
  int GetMinRowSize(int Row, TTBCustomDockableWindow* ExcludeBar);
  // Sets the size keeping the edge that faces the inside of the form.
  void ChangeWidthHeight(int NewWidth, int NewHeight);
  void ChangeDockList(bool Insert, TTBCustomDockableWindow* Bar);
  void ToolbarVisibilityChanged(TTBCustomDockableWindow* Bar, bool ForceRemove);
  void CommitPositions();
  void InvalidateBackgrounds();
  bool CommitOnArrange() const { return commitOnArrange_; }
  void SetCommitOnArrange(bool Value) { commitOnArrange_ = Value; }
  int ToolbarCount() const { return static_cast<int>(visibleBarList_.size()); }
  TTBCustomDockableWindow* Toolbars(int Index) const { return visibleBarList_.at(static_cast<size_t>(Index)); }
  // Every bar docked here or floating with this dock as its last dock, in order.
  const std::vector<TTBCustomDockableWindow*>& BarList() const { return barList_; }
  int BoundLinesWidth() const { return boundLinesWidth_; }
  int BoundLinesHeight() const { return boundLinesHeight_; }

  void SetParent(TWinControl* NewParent) override;
  void AlignControls() override;

 protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void BeforeDestruction() override;
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;

 private:
  friend class TTBCustomDockableWindow;
  void BackgroundChanged(TObject* Sender);
  void RelayMsgToFloatingBars(TMessage& Message);
  void ArrangeNow();
  void PlaceRows(std::vector<TTBArrangeBar>& Records, const std::vector<int>& Order,
                 const std::vector<TTBCustomDockableWindow*>& Work);
  void WMNCCalcSize(TMessage& Message);
  void WMNCPaint(TMessage& Message);
  void WMEraseBkgnd(TMessage& Message);
  void PrintClient(TMessage& Message);
  static void PaintNCProc(HWND Wnd, HDC DC, void* AppData);
  void DrawNCArea(HDC DC);
  // The rectangle whose top-left is the parent form's client origin, in this window's client
  // coordinates, for backgrounds that line up across the form.
  RECT BackgroundRect();

  int updateCount_ = 0;
  bool arrangePending_ = false;
  bool commitOnArrange_ = false;
  int boundLinesWidth_ = 0;
  int boundLinesHeight_ = 0;
  std::vector<TTBCustomDockableWindow*> barList_;
  std::vector<TTBCustomDockableWindow*> visibleBarList_;
  bool allowDrag_ = true;
  TTBBasicBackground* background_ = nullptr;
  bool backgroundOnToolbars_ = true;
  TTBDockBoundLines boundLines_ = 0;
  bool fixAlign_ = false;
  bool limitToOneRow_ = false;
  TTBDockPosition position_ = dpTop;
};

// ---------------------------------------------------------------------------------------------
// Dockable window

class TTBCustomDockableWindow : public TCustomControl {
 public:
  explicit TTBCustomDockableWindow(TComponent* AOwner);
  ~TTBCustomDockableWindow() override;

  // Properties.
  bool ActivateParent() const { return activateParent_; }
  void SetActivateParent(bool Value) { activateParent_ = Value; }
  bool AutoResize() const { return autoResize_; }
  void SetAutoResize(bool Value);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle Value);
  bool CloseButton() const { return closeButton_; }
  void SetCloseButton(bool Value);
  bool CloseButtonWhenDocked() const { return closeButtonWhenDocked_; }
  void SetCloseButtonWhenDocked(bool Value);
  TTBDock* CurrentDock() const { return currentDock_; }
  void SetCurrentDock(TTBDock* Value);
  TTBDock* DefaultDock() const { return defaultDock_; }
  void SetDefaultDock(TTBDock* Value);
  TTBDockableTo DockableTo() const { return dockableTo_; }
  void SetDockableTo(TTBDockableTo Value) { dockableTo_ = Value; }
  TTBDockMode DockMode() const { return dockMode_; }
  void SetDockMode(TTBDockMode Value) { dockMode_ = Value; }
  int DockPos() const { return dockPos_; }
  void SetDockPos(int Value);
  int DockRow() const { return dockRow_; }
  void SetDockRow(int Value);
  TTBDragHandleStyle DragHandleStyle() const { return dragHandleStyle_; }
  void SetDragHandleStyle(TTBDragHandleStyle Value);
  TTBFloatingMode FloatingMode() const { return floatingMode_; }
  void SetFloatingMode(TTBFloatingMode Value);
  bool FullSize() const { return fullSize_; }
  void SetFullSize(bool Value);
  bool HideWhenInactive() const { return hideWhenInactive_; }
  void SetHideWhenInactive(bool Value);
  TTBDock* LastDock() const { return lastDock_; }
  void SetLastDock(TTBDock* Value);
  bool Resizable() const { return resizable_; }
  void SetResizable(bool Value);
  bool ShowCaption() const { return showCaption_; }
  void SetShowCaption(bool Value);
  bool SmoothDrag() const { return smoothDrag_; }
  void SetSmoothDrag(bool Value) { smoothDrag_ = Value; }
  bool Stretch() const { return stretch_; }
  void SetStretch(bool Value);
  bool UseLastDock() const { return useLastDock_; }
  void SetUseLastDock(bool Value);
  bool UndockOnDoubleClick() const { return undockOnDoubleClick_; }
  TTBDockableWindowStyles DockableWindowStyles() const { return dockableWindowStyles_; }
  void SetDockableWindowStyles(TTBDockableWindowStyles Value) { dockableWindowStyles_ = Value; }

  // State.
  bool Docked() const { return docked_; }
  bool Floating() const { return floating_; }
  void SetFloating(bool Value);
  POINT FloatingPosition() const { return floatingPosition_; }
  void SetFloatingPosition(POINT Value);
  int PlacedRow() const { return placedRow_; }
  int PlacedPos() const { return placedPos_; }
  int ShrunkSize() const { return shrunkSize_; }
  int PlacedThickness() const { return placedThickness_; }
  bool Dragging() const { return dragging_; }
  bool DraggingInRow() const { return draggingInRow_; }
  bool DragRowOverflows() const { return dragRowOverflows_; }
  bool CaptionInactive() const { return captionInactive_; }
  bool CloseButtonDown() const { return closeButtonDown_; }
  bool CloseButtonHover() const { return closeButtonHover_; }
  int HideCount() const { return hideCount_; }
  // The floating frame kept between floats (nullptr when there is none).
  TTBFloatingWindowParent* FloatingParent() const { return floatingParent_; }
  const std::vector<TCustomForm*>& DockForms() const { return dockForms_; }

  TNotifyEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnDockChanged;
  TTBDockChangingEvent OnDockChanging;
  TTBDockChangingEvent OnDockChangingHidden;
  TNotifyEvent OnMove;
  TNotifyEvent OnRecreated;
  TNotifyEvent OnRecreating;
  TNotifyEvent OnVisibleChanged;

  // Operations.
  void Arrange();
  void BeginUpdate();
  void EndUpdate();
  void ChangeSize(int AWidth, int AHeight);
  bool IsAutoResized();
  void MoveOnScreen(bool OnlyIfFullyOffscreen);
  void AddDockForm(TCustomForm* Form);
  void RemoveDockForm(TCustomForm* Form);
  void Close();
  void DoubleClick();
  bool IsMovable();
  int GetNonClientWidth();
  int GetNonClientHeight();
  void GetDockedNCArea(POINT& TopLeft, POINT& BottomRight, bool LeftRight);
  void GetFloatingNCArea(POINT& TopLeft, POINT& BottomRight);
  void AddDockedNCAreaToSize(POINT& S, bool LeftRight);
  void AddFloatingNCAreaToSize(POINT& S);
  bool GetShowingState();
  void UpdateVisibility();
  void UpdateCaptionState();
  void UpdateTopmostFlag();
  void RedrawNCArea();
  void CancelNCHover();
  void SetCloseButtonState(bool Pushed);
  void ShowNCContextMenu(POINT Pos);
  // The modal loops (TB2DockDrag.cpp).
  void BeginMoving(int InitX, int InitY);
  void BeginSizing(TTBSizeHandle SizeHandle);
  void DrawDraggingOutline(HDC DC, const RECT* NewRect, const RECT* OldRect, bool NewDocking, bool OldDocking);

  virtual void CalcNCSizes(POINT& Size);
  virtual bool CanDockTo(TTBDock* ADock);
  virtual void ControlExistsAtPos(POINT P, bool& Exists);
  // The content size for that placement; lays the children out when CanMoveControls.
  virtual POINT DoArrange(bool CanMoveControls, TTBDockType PreviousDockType, bool NewFloating, TTBDock* NewDock) = 0;
  virtual void DrawNCArea(bool DrawToDC, HDC ADC, HRGN Clip);
  // The content size in the current placement.
  virtual void GetBaseSize(POINT& ASize) = 0;
  virtual RECT GetDockedCloseButtonRect(bool LeftRight);
  virtual void GetMinShrinkSize(int& AMinimumSize);
  virtual void GetMinMaxSize(int& AMinClientWidth, int& AMinClientHeight, int& AMaxClientWidth, int& AMaxClientHeight);
  virtual TTBShrinkMode GetShrinkMode();
  virtual void SizeChanging(int AWidth, int AHeight);
  virtual void GetFloatingBorderSize(POINT& Size);

  // Overridable steps a descendant may change.
  virtual bool ChildControlTransparent(TControl* Ctl);
  virtual void DoDockChangingHidden(bool NewFloating, TTBDock* DockingTo);
  // The class of the floating frame: a descendant makes its own here.
  virtual TTBFloatingWindowParent* CreateFloatingWindowParent();
  virtual void InitializeOrdering();
  virtual void ResizeBegin(TTBSizeHandle SizeHandle);
  virtual void ResizeEnd();
  virtual void ResizeTrack(RECT& Rect, const RECT& OrigRect);
  virtual void ResizeTrackAccept();
  virtual void DoneReadingPositionData(const TTBReadPositionData& Data);
  virtual void ReadPositionData(const TTBReadPositionData& Data);
  virtual void WritePositionData(const TTBWritePositionData& Data);

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void SetParent(TWinControl* AParent) override;

 protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void BeforeDestruction() override;
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  // Fires OnMove unless loading or suppressed.
  void Moved();
  // The hosted window's watch, for code that calls out of it.
  TTBLifeToken::TWatch Watch() const { return life_.Watch(); }

 private:
  friend class TTBDock;
  friend class TTBFloatingWindowParent;
  friend class TTBDragLoop;
  friend class TTBSizeLoop;
  friend struct TTBFloatingList;

  int DragHandleSize() const;
  int DragHandleOffset() const;
  bool DockAllowsDrag() const { return currentDock_ && currentDock_->AllowDrag(); }
  void RecalcNCArea();
  // The move itself, with the window hidden and its docks' arrangements held back.
  void MoveHidden(TWinControl* AParent);
  void RegisterFloating();
  void FreeFloatingParentIfUnused();
  void RepaintAfterMove();
  // Message handlers.
  void WMNCCalcSize(TMessage& Message);
  void WMNCPaint(TMessage& Message);
  void WMPrint(TMessage& Message);
  void PrintClient(TMessage& Message);
  static void PaintNCProc(HWND Wnd, HDC DC, void* AppData);
  void WMNCHitTest(TMessage& Message);
  void WMSetCursor(TMessage& Message);
  void WMNCLButtonDown(TMessage& Message);
  void WMNCLButtonDblClk(TMessage& Message);
  void WMNCMouseMove(TMessage& Message);
  void WMNCMouseLeave(TMessage& Message);
  void WMNCRButtonUp(TMessage& Message);
  void WMContextMenu(TMessage& Message);
  void WMMove(TMessage& Message);
  void WMEraseBkgnd(TMessage& Message);
  void WMEnable(TMessage& Message);
  void CMShowingChanged(TMessage& Message);
  void CMVisibleChanged(TMessage& Message);
  void CMTextChanged(TMessage& Message);
  void CMColorChanged(TMessage& Message);
  void CloseButtonNotify(TObject* Sender, bool Inside);
  void ReownFrame(bool Showing);

  TTBLifeToken life_;
  // Placement.
  TTBDock* currentDock_ = nullptr;
  TTBDock* defaultDock_ = nullptr;
  TTBDock* lastDock_ = nullptr;
  bool docked_ = false;
  bool floating_ = false;
  TTBFloatingWindowParent* floatingParent_ = nullptr;
  POINT floatingPosition_{};
  std::vector<TCustomForm*> dockForms_;
  // What the dock reads and writes.
  int dockRow_ = 0;
  int dockPos_ = -1;
  int placedRow_ = -1;
  int placedPos_ = 0;
  int shrunkSize_ = 0;
  int placedThickness_ = 0;
  bool newRowRequested_ = false;
  int updatingBounds_ = 0;
  int updateCount_ = 0;
  bool arrangeNeeded_ = false;
  int moveNotifySuppress_ = 0;
  int hideCount_ = 0;
  // Drag state.
  bool dragging_ = false;
  bool draggingInRow_ = false;
  bool dragRowOverflows_ = false;
  bool smoothDragging_ = false;
  // Frame state.
  bool captionInactive_ = false;
  bool closeButtonDown_ = false;
  bool closeButtonHover_ = false;
  // Properties.
  bool activateParent_ = true;
  bool autoResize_ = true;
  TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
  bool closeButton_ = true;
  bool closeButtonWhenDocked_ = false;
  TTBDockableTo dockableTo_ = kDockableToAll;
  TTBDockMode dockMode_ = dmCanFloat;
  TTBDragHandleStyle dragHandleStyle_ = dhSingle;
  TTBFloatingMode floatingMode_ = fmOnTopOfParentForm;
  bool fullSize_ = false;
  bool hideWhenInactive_ = true;
  bool resizable_ = true;
  bool showCaption_ = true;
  bool smoothDrag_ = true;
  bool stretch_ = false;
  bool useLastDock_ = true;
  bool undockOnDoubleClick_ = true;
  TTBDockableWindowStyles dockableWindowStyles_ = tbdsResizeEightCorner | tbdsResizeClipCursor;
};

// ---------------------------------------------------------------------------------------------
// Floating frame

class TTBFloatingWindowParent : public TCustomForm {
 public:
  explicit TTBFloatingWindowParent(TComponent* AOwner);
  ~TTBFloatingWindowParent() override;

  TTBCustomDockableWindow* DockableWindow() const { return dockableWindow_; }
  TCustomForm* ParentForm() const { return parentForm_; }
  bool CloseButtonDown() const { return closeButtonDown_; }
  bool ShouldShow() const { return shouldShow_; }

  virtual void DrawNCArea(bool DrawToDC, HDC ADC, TTBToolWindowNCRedrawWhat RedrawWhat, HRGN Clip);
  void RedrawNCArea(TTBToolWindowNCRedrawWhat RedrawWhat);
  void SetCloseButtonState(bool Pushed);
  RECT FloatingCaptionRect(bool WindowCoords, bool WithoutCloseButton);
  RECT FloatingCloseButtonRect(bool WindowCoords);

  void AlignControls() override {}

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void VisibleChanged() override;
  void BeforeDestruction() override;

 private:
  friend class TTBCustomDockableWindow;
  TCustomForm* ActivationTarget() const;
  void CMShowingChanged(TMessage& Message);
  void CMDialogKey(TMessage& Message);
  void CMTextChanged(TMessage& Message);
  void WMActivate(TMessage& Message);
  void WMClose(TMessage& Message);
  void WMGetMinMaxInfo(TMessage& Message);
  void WMMouseActivate(TMessage& Message);
  void WMMove(TMessage& Message);
  void WMNCCalcSize(TMessage& Message);
  void WMNCHitTest(TMessage& Message);
  LRESULT SizingHitTest(POINT P, const RECT& R);
  void WMNCLButtonDown(TMessage& Message);
  void WMNCLButtonDblClk(TMessage& Message);
  void WMNCPaint(TMessage& Message);
  void WMNCRButtonUp(TMessage& Message);
  void WMPrint(TMessage& Message);
  void PrintClient(TMessage& Message);
  static void PaintNCProc(HWND Wnd, HDC DC, void* AppData);
  void CloseButtonNotify(TObject* Sender, bool Inside);

  bool closeButtonDown_ = false;
  TTBCustomDockableWindow* dockableWindow_ = nullptr;
  TCustomForm* parentForm_ = nullptr;
  bool shouldShow_ = false;
};

// ---------------------------------------------------------------------------------------------
// Free routines

TTBDockType TBGetDockTypeOf(TTBDock* Control, bool Floating);
// The window of the form a control lies on, or null while it has none.
HWND FormHandle(TControl* Control);
// The outermost form a window lies on; for a floating window, its frame's form.
TCustomForm* TBGetToolWindowParentForm(TWinControl* ToolWindow);
// The same, raising EInvalidOperation when there is none.
TCustomForm* TBValidToolWindowParentForm(TWinControl* ToolWindow);
// The first visible, enabled top-level window of this thread other than ExcludeWnd and the
// application window, non-topmost ones first.
HWND FindThreadTopWindow(HWND ExcludeWnd);
// Follows the mouse while the left button is held after a press on a non-client button:
// Notify(Sender, inside) on every move; answers whether it was released inside ScreenRect.
// The loop ends at once, telling the sender nothing more, when Gone answers true (the sender
// or its form going).
using TTBTrackNotify = TEvent<void(TObject* Sender, bool Inside)>;
bool TrackNCButtonPress(HWND Wnd, const RECT& ScreenRect, const TTBTrackNotify& Notify, TObject* Sender,
                        const std::function<bool()>& Gone);

// Positions (TB2DockPositions.cpp).
void TBCustomSavePositions(TComponent* OwnerComponent, TTBPositionWriteIntProc WriteIntProc,
                           TTBPositionWriteStringProc WriteStringProc, void* ExtraData);
void TBCustomLoadPositions(TComponent* OwnerComponent, TTBPositionReadIntProc ReadIntProc,
                           TTBPositionReadStringProc ReadStringProc, void* ExtraData);
void TBIniSavePositions(TComponent* OwnerComponent, const String& Filename, const String& SectionNamePrefix);
void TBIniLoadPositions(TComponent* OwnerComponent, const String& Filename, const String& SectionNamePrefix);
void TBRegSavePositions(TComponent* OwnerComponent, HKEY RootKey, const String& BaseRegistryKey);
void TBRegLoadPositions(TComponent* OwnerComponent, HKEY RootKey, const String& BaseRegistryKey);
