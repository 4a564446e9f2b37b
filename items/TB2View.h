#pragma once
// Views: the on-screen presentation of one level of an item tree (a toolbar or a popup), with
// one item viewer per shown item, their layout, painting, selection, keyboard and wheel
// navigation, the per-view timers of the menu loop and the chain of open child popups; and the
// popup window that shows one popup view.
#include "classlib/Controls.h"
#include "items/TB2Anim.h"
#include "items/TB2Item.h"

#include <climits>
#include <memory>
#include <vector>

class TTBPopupWindow;

enum TTBViewOrientation : uint8_t { tbvoHorizontal, tbvoVertical, tbvoFloating };

using TTBViewState = uint16_t;
enum : TTBViewState {
  vsModal = 1u << 0,
  vsMouseInWindow = 1u << 1,
  vsDrawInOrder = 1u << 2,
  vsOppositePopup = 1u << 3,
  vsIgnoreFirstMouseUp = 1u << 4,
  vsShowAccels = 1u << 5,
  vsDropDownMenus = 1u << 6,
  vsNoAnimation = 1u << 7,
};

using TTBViewStyle = uint8_t;
enum : TTBViewStyle { vsMenuBar = 1u << 0, vsUseHiddenAccels = 1u << 1, vsAlwaysShowHints = 1u << 2 };

// How a toolbar enters menu mode: with the pressing mouse button, from an accessibility
// request, or running its selection at once.
using TTBEnterToolbarLoopOptions = uint8_t;
enum : TTBEnterToolbarLoopOptions { tbetMouseDown = 1u << 0, tbetExecuteSelected = 1u << 1, tbetFromMSAA = 1u << 2 };

enum TTBViewTimerID : uint8_t { tiOpen, tiClose, tiScrollUp, tiScrollDown };
using TTBViewTimerIDs = uint8_t;  // bit N: timer N runs
// The window timer of a view timer.
constexpr UINT_PTR ViewTimerId(TTBViewTimerID ID) { return 9000 + ID; }

// The height of a long popup's scroll-arrow bands, at the top and the bottom of its client area.
constexpr int kScrollArrowBand = 19;

// The last cursor position the menu loop acted on (screen coordinates); an x of LONG_MIN marks
// it invalid, so that the loop reads it again and updates cursor and hint.
extern POINT LastCursorPos;
constexpr LONG kInvalidCursorPos = LONG_MIN;

class TTBView : public TComponent {
 public:
  TTBView(TComponent* AOwner, TTBView* AParentView, TTBCustomItem* AParentItem, TWinControl* AWindow,
          bool AIsToolbar, bool ACustomizing, bool AUsePriorityList);
  ~TTBView() override;

  // --- what descendants (popup views, toolbar views) replace --------------------------------
  virtual void AutoSize(int AWidth, int AHeight);
  virtual void DoUpdatePositions(POINT& ASize);
  virtual TTBCustomItem* GetChevronItem();
  virtual void GetMargins(TTBViewOrientation AOrientation, RECT& Margins);
  virtual TTBCustomItem* GetMDIButtonsItem();
  virtual TTBCustomItem* GetMDISystemMenuItem();
  virtual void KeyDown(WORD& Key, TShiftState Shift);
  virtual void MouseWheel(int WheelDelta, int X, int Y);
  // The shared toolbar font when it exists, else the window's font.
  virtual TFont& GetFont();
  virtual void InvalidatePositions();

  // --- the view chain -----------------------------------------------------------------------
  bool ContainsView(TTBView* AView);
  TTBView* GetRootView();
  TTBView* GetParentToolbarView();
  HWND GetCaptureWnd();
  bool IsModalEnding();

  // --- viewers ------------------------------------------------------------------------------
  int ViewerCount() const { return static_cast<int>(viewers_.size()); }
  TTBItemViewer* Viewers(int Index) const { return viewers_.at(static_cast<size_t>(Index)); }
  int IndexOf(TTBItemViewer* AViewer) const;
  // Raises ETBItemError when no viewer shows the item.
  TTBItemViewer* Find(TTBCustomItem* AItem);
  // The first shown viewer whose bounds contain P (client coordinates), or nullptr.
  TTBItemViewer* ViewerFromPoint(const POINT& P);
  void FreeViewers();
  int InsertItemViewers(int NewIndex, TTBCustomItem* AItem, int AGroupLevel, bool AddToPriorityList,
                        bool TopOfPriorityList);
  void RecreateItemViewer(int Index);
  void RecreateAllViewers();
  void DeletingViewer(TTBItemViewer* AViewer);
  void GetOffEdgeControlList(std::vector<TControl*>& List);
  // The viewers in priority order (front = highest); null without a priority list.
  const std::vector<TTBItemViewer*>* PriorityList() const { return priorityList_.get(); }

  // --- layout -------------------------------------------------------------------------------
  void ValidatePositions();
  void TryValidatePositions();
  void UpdatePositions();
  void BeginUpdate();
  void EndUpdate();
  // Lays the viewers out; true when any viewer's bounds, shown state or line-separator state
  // changed (only with CanMoveControls, which also stores the results).
  bool CalculatePositions(bool CanMoveControls, TTBViewOrientation AOrientation, int AWrapOffset,
                          int AChevronOffset, int AChevronSize, POINT& ABaseSize, POINT& TotalSize,
                          int& AWrappedLines);

  // --- selection, priority, navigation ------------------------------------------------------
  void Select(TTBItemViewer* Value, bool ViaMouse);
  void SetSelected(TTBItemViewer* Value) { Select(Value, false); }
  // P: a screen point, or null.
  void UpdateSelection(const POINT* P, bool AllowNewSelection);
  TTBItemViewer* FirstSelectable();
  TTBItemViewer* NextSelectable(TTBItemViewer* CurViewer, bool GoForward);
  TTBItemViewer* NextSelectableWithAccel(TTBItemViewer* CurViewer, wchar_t Key, bool RequirePrimaryAccel,
                                         bool& IsOnlyItemWithAccel);
  void GivePriority(TTBItemViewer* AViewer);
  TTBItemViewer* HighestPriorityViewer();
  void ScrollSelectedIntoView();
  void Scroll(bool ADown);

  // --- timers and child popups --------------------------------------------------------------
  void StartTimer(TTBViewTimerID ATimer, int Interval);
  void StopTimer(TTBViewTimerID ATimer);
  void StopAllTimers();
  bool OpenChildPopup(bool SelectFirstItem);
  void CloseChildPopups();
  void CancelChildPopups();
  void CancelMode();
  // Links the popup opened from AViewer (CreatePopup does it); the view owns the window.
  void SetOpenViewer(TTBItemViewer* AViewer, TTBView* AView, TTBPopupWindow* AWindow);

  // --- the modal state ----------------------------------------------------------------------
  // Runs the menu loop on a toolbar (menu mode); the outcome is carried out afterwards.
  void EnterToolbarLoop(TTBEnterToolbarLoopOptions Options);
  void EndModal();
  void EndModalWithClick(TTBItemViewer* AViewer);
  void EndModalWithHelp(int AContextID);
  void EndModalWithSystemMenu(HWND AWnd, WPARAM AKey);
  void ExecuteSelected(bool AGivePriority);
  void SetCapture();
  void CancelCapture();
  void SetAccelsVisibility(bool AShowAccels);
  void NotifyFocusEvent();

  // --- painting -----------------------------------------------------------------------------
  void DrawSubitems(TCanvas& ACanvas);
  void DrawItem(TTBItemViewer* AViewer, TCanvas& DrawTo, bool Offscreen);
  void Invalidate(TTBItemViewer* AViewer);

  // --- item notification --------------------------------------------------------------------
  void ItemNotification(TTBCustomItem* Ancestor, bool Relayed, TTBItemChangedAction Action, int Index,
                        TTBCustomItem* Item);
  void LinkNotification(TTBCustomItem* Ancestor, bool Relayed, TTBItemChangedAction Action, int Index,
                        TTBCustomItem* Item);
  void ImagesChanged();

  // --- accessibility (TB2Acc.h) ---------------------------------------------------------------
  // The view's object, made on first request and held by the view: a counted reference for the
  // caller, or null without the accessibility library.
  IDispatch* GetAccObject();
  // WM_GETOBJECT for the client area: true when answered with the view's object.
  bool HandleWMGetObject(TMessage& Message);

  // --- fields -------------------------------------------------------------------------------
  TTBViewTimerIDs ActiveTimers() const { return activeTimers_; }
  TColor BackgroundColor() const { return backgroundColor_; }
  void SetBackgroundColor(TColor Value) { backgroundColor_ = Value; }
  POINT BaseSize() const { return baseSize_; }
  bool Capture() const { return capture_; }
  HWND CaptureWnd() const { return captureWnd_; }
  void SetCaptureWnd(HWND Value) { captureWnd_ = Value; }
  int ChevronOffset() const { return chevronOffset_; }
  void SetChevronOffset(int Value) { chevronOffset_ = Value; }
  TTBView* ChevronParentView() const { return chevronParentView_; }
  void SetChevronParentView(TTBView* Value);
  int ChevronSize() const { return chevronSize_; }
  void SetChevronSize(int Value) { chevronSize_ = Value; }
  TTBCustomItem* CurParentItem() const { return curParentItem_; }
  bool Customizing() const { return customizing_; }
  void SetCustomizing(bool Value);
  TTBDoneActionData& DoneActionData() { return doneActionData_; }
  int InternalViewersAtEnd() const { return internalViewersAtEnd_; }
  int InternalViewersAtFront() const { return internalViewersAtFront_; }
  bool IsPopup() const { return !isToolbar_; }
  bool IsToolbar() const { return isToolbar_; }
  // A chevron popup shows a toolbar's hidden items and counts as a toolbar.
  void SetIsToolbar(bool Value) { isToolbar_ = Value; }
  int MaxHeight() const { return maxHeight_; }
  void SetMaxHeight(int Value) { maxHeight_ = Value; }
  RECT MonitorRect() const { return monitorRect_; }
  void SetMonitorRect(const RECT& Value) { monitorRect_ = Value; }
  bool MouseOverSelected() const { return mouseOverSelected_; }
  bool NewViewersGetHighestPriority() const { return newViewersGetHighestPriority_; }
  void SetNewViewersGetHighestPriority(bool Value) { newViewersGetHighestPriority_ = Value; }
  TTBItemViewer* OpenViewer() const { return openViewer_; }
  TTBView* OpenViewerView() const { return openViewerView_; }
  TTBPopupWindow* OpenViewerWindow() const { return openViewerWindow_; }
  TTBView* ParentView() const { return parentView_; }
  TTBCustomItem* ParentItem() const { return parentItem_; }
  TTBViewOrientation Orientation() const { return orientation_; }
  void SetOrientation(TTBViewOrientation Value);
  int ScrollOffset() const { return scrollOffset_; }
  void SetScrollOffset(int Value) { scrollOffset_ = Value; }
  TTBItemViewer* Selected() const { return selected_; }
  bool SelectedViaMouse() const { return selectedViaMouse_; }
  bool ShowDownArrow() const { return showDownArrow_; }
  bool ShowUpArrow() const { return showUpArrow_; }
  TTBViewState State() const { return state_; }
  void SetState(TTBViewState Value) { state_ = Value; }
  TTBViewStyle Style() const { return style_; }
  void SetStyle(TTBViewStyle Value) { style_ = Value; }
  int UpdateCount() const { return updateCount_; }
  bool UsePriorityList() const { return usePriorityList_; }
  void SetUsePriorityList(bool Value);
  bool ValidPositions() const { return validPositions_; }
  int WheelAccumulator() const { return wheelAccumulator_; }
  TWinControl* Window() const { return window_; }
  int WrapOffset() const { return wrapOffset_; }
  void SetWrapOffset(int Value) { wrapOffset_ = Value; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TTBPopupWindow;
  friend class TTBViewAccObject;
  // Tells the object that the view is gone and drops the view's reference.
  void DropAccObject();
  void UpdateCurParentItem();
  void InitiateActions();
  void FreeViewer(TTBItemViewer* AViewer);
  void ItemInserted(TTBCustomItem* Ancestor, int Index, TTBCustomItem* Item);
  void ItemDeleting(TTBCustomItem* Item);
  bool ParentIsLoading() const;
  void RepaintOffscreen(HWND Wnd);
  void PaintViewer(TTBItemViewer* AViewer, TCanvas& Canvas, int Width, int Height);
  // The work of one CalculatePositions call (layout unit).
  struct TLayout;
  // The steps of selecting, navigating and scrolling (navigation unit).
  struct TNavigation;
  // The parent view's viewer that stands for this chevron popup's viewer at Index.
  TTBItemViewer* ChevronParentViewer(int Index);

  TTBViewTimerIDs activeTimers_ = 0;
  TColor backgroundColor_ = clDefault;
  POINT baseSize_{};
  bool capture_ = false;
  HWND captureWnd_ = nullptr;
  int chevronOffset_ = 0;
  TTBView* chevronParentView_ = nullptr;
  int chevronSize_ = 0;
  TTBCustomItem* curParentItem_ = nullptr;
  bool customizing_ = false;
  TTBDoneActionData doneActionData_;
  int internalViewersAtEnd_ = 0;
  int internalViewersAtFront_ = 0;
  bool isToolbar_ = false;
  int maxHeight_ = 0;
  RECT monitorRect_{};
  bool mouseOverSelected_ = false;
  bool newViewersGetHighestPriority_ = true;
  TTBItemViewer* openViewer_ = nullptr;
  TTBView* openViewerView_ = nullptr;
  TTBPopupWindow* openViewerWindow_ = nullptr;
  TTBView* parentView_ = nullptr;
  TTBCustomItem* parentItem_ = nullptr;
  std::unique_ptr<std::vector<TTBItemViewer*>> priorityList_;
  TTBViewOrientation orientation_ = tbvoHorizontal;
  int scrollOffset_ = 0;
  TTBItemViewer* selected_ = nullptr;
  bool selectedViaMouse_ = false;
  bool showDownArrow_ = false;
  bool showUpArrow_ = false;
  TTBViewState state_ = 0;
  TTBViewStyle style_ = 0;
  int updateCount_ = 0;
  bool usePriorityList_ = false;
  bool validPositions_ = false;
  std::vector<TTBItemViewer*> viewers_;
  int wheelAccumulator_ = 0;
  TWinControl* window_ = nullptr;
  int wrapOffset_ = 0;
  bool destroying_ = false;
  TTBBaseAccObject* accObject_ = nullptr;  // counted
};

using TTBViewClass = TTBView* (*)(TComponent* AOwner, TTBView* AParentView, TTBCustomItem* AParentItem,
                                  TWinControl* AWindow, bool AIsToolbar, bool ACustomizing,
                                  bool AUsePriorityList);

template <class T>
TTBView* CreateViewOf(TComponent* AOwner, TTBView* AParentView, TTBCustomItem* AParentItem, TWinControl* AWindow,
                      bool AIsToolbar, bool ACustomizing, bool AUsePriorityList) {
  return new T(AOwner, AParentView, AParentItem, AWindow, AIsToolbar, ACustomizing, AUsePriorityList);
}

// --- the popup window ------------------------------------------------------------------------

// Sent to a popup window itself: wParam 1 before an animation starts (a non-zero answer
// suppresses it), 2 when it has ended, 3 when the window was shown without one.
constexpr UINT WM_TBX_POPUP_ANIMATION = 0x062A;

// The view of a popup window: sized to its content plus the window's frame.
class TTBPopupView : public TTBView {
 public:
  using TTBView::TTBView;
  void AutoSize(int AWidth, int AHeight) override;
  TFont& GetFont() override;
};

// Other parts recognise popup windows by this marker.
class ITBPopupWindow {
 public:
  virtual ~ITBPopupWindow() = default;
};

// The top-level window that shows one submenu or popup menu: it owns one view, paints it and
// its scroll arrows, draws a three-pixel menu frame and starts the opening animation.
class TTBPopupWindow : public TCustomControl, public ITBPopupWindow {
 public:
  TTBPopupWindow(TComponent* AOwner, TTBView* AParentView, TTBCustomItem* AItem, bool ACustomizing);
  ~TTBPopupWindow() override;

  TTBView* View() const { return view_; }
  TTBAnimationDirections AnimationDirection() const { return animationDirection_; }
  void SetAnimationDirection(TTBAnimationDirections Value) { animationDirection_ = Value; }

  // The frame's width and height.
  virtual POINT GetNCSize();
  TTBViewClass GetViewClass() const { return viewClass_; }

 protected:
  // A descendant names the class of its view here; the view is made by this constructor.
  TTBPopupWindow(TComponent* AOwner, TTBView* AParentView, TTBCustomItem* AItem, bool ACustomizing,
                 TTBViewClass AViewClass);
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  // Ends the animation, stops the view's timers and tells assistive tools the popup ended.
  void DestroyWnd() override;
  void Paint() override;
  void BeforeDestruction() override;
  void Dispatch(TMessage& Message) override;
  virtual void PaintScrollArrows();
  // The showing step: animates or shows the window (the themed window replaces it).
  virtual void ShowingChanged(bool Showing);
  // Shows or hides the window at once; a shown window is then told WM_TBX_POPUP_ANIMATION 3.
  void ShowWithoutAnimation(bool Showing);
  // Paints the frame on a DC of the whole window (its top-left at 0, 0).
  virtual void PaintNCFrame(HDC DC);

 private:
  void WMNCCalcSize(TMessage& Message);
  void WMNCPaint(TMessage& Message);
  void WMPrint(TMessage& Message);
  void CMHintShow(TMessage& Message);
  static void NCPaintProc(HWND Wnd, HDC DC, void* AppData);

  TTBViewClass viewClass_;
  TTBView* view_ = nullptr;
  TTBAnimationDirections animationDirection_ = 0;
  bool accelsInitialized_ = false;
};

template <class T>
TTBPopupWindow* CreatePopupWindowOf(TComponent* AOwner, TTBView* ParentView, TTBCustomItem* Item,
                                    bool Customizing) {
  return new T(AOwner, ParentView, Item, Customizing);
}
