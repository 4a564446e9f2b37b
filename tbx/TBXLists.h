#pragma once
// List items: a list of text rows (each with an optional image) shown inside a menu, a fixed
// number of rows at a time with a scroll bar when there are more, the row under the mouse
// highlighted, a click or Enter choosing a row; and the window-less scroll bar they draw on their
// viewer's canvas, with repeat scrolling while a button is held and automatic scrolling while the
// mouse is dragged beyond the list. User-interface thread only.
#include "tbx/TBX.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// ---------------------------------------------------------------------------------------------
// The scroll bar

enum TTBXScrollBarKind : uint8_t { sbkHorizontal, sbkVertical };

// The zones of a scroll bar along its axis, each across its whole thickness.
enum TTBXScrollBarZone : uint8_t {
  sbzTrack,     // the empty track, while there is no thumb
  sbzPrevLine,  // the up (left) button
  sbzPrevPage,
  sbzThumb,
  sbzNextPage,
  sbzNextLine,  // the down (right) button
  sbzCount
};

// Its timers on the hidden window.
enum : int { sbtRepeat = 1, sbtAutoScroll = 2 };

using TSBAutoScrollEvent = TEvent<void(TObject* Sender, int& Direction, int& Interval)>;

// A scroll bar without a window of its own: its host gives it its bounds, forwards the mouse
// (points relative to the bar) and asks it to paint on its canvas. Its timers run on a hidden
// window made on first need.
class TTBXScrollBar : public TObject {
 public:
  TTBXScrollBar();
  ~TTBXScrollBar() override;
  TTBXScrollBar(const TTBXScrollBar&) = delete;
  TTBXScrollBar& operator=(const TTBXScrollBar&) = delete;

  // In the host's coordinates.
  const RECT& Bounds() const { return bounds_; }
  int Left() const { return bounds_.left; }
  int Top() const { return bounds_.top; }
  int Width() const { return bounds_.right - bounds_.left; }
  int Height() const { return bounds_.bottom - bounds_.top; }
  void SetBounds(const RECT& Value);
  TTBXScrollBarKind Kind() const { return kind_; }
  void SetKind(TTBXScrollBarKind Value);

  // The line step (1 after construction).
  uint16_t Increment = 1;
  // The first visible unit, 0 to Range - the effective window.
  int Position() const { return position_; }
  // Limited to 0 .. Range - the effective window; a change made by the user (SetPositionByUser,
  // the buttons, the thumb, automatic scrolling) redraws the bar and fires OnChange.
  void SetPosition(int Value);
  int Range() const { return range_; }
  // A negative range is 0; a change redraws the bar and limits the position again.
  void SetRange(int Value);
  // The visible units; 0 or less: the bar's own length along its axis (the effective window).
  int Window = 0;
  int EffectiveWindow() const;

  // The position as the user sets it: with the events.
  void SetPositionByUser(int Value);
  // One line or one page back or on (zones 1, 2, 4, 5), as the user does.
  void ScrollByZone(int Zone);
  // The first of zones 1 to 5 that holds the point (relative to the bar), else 0.
  int ZoneAt(int X, int Y);
  // A zone as last worked out (relative to the bar); an empty one has right -1.
  const RECT& Zone(int Index) const { return zones_[static_cast<size_t>(Index)]; }
  int PressedZone() const { return pressedZone_; }

  // Scrolls by Direction units every Interval milliseconds until StopAutoScroll or an end of the
  // range; while running, a new call only changes the direction and interval of later ticks.
  void StartAutoScroll(int Direction, int Interval);
  void StopAutoScroll();
  bool AutoScrolling() const { return autoScrollActive_; }

  // Works the zones out again and paints the bar at its bounds.
  void PaintTo(TCanvas& Canvas);
  // The hidden window of the timers, null until the first timer.
  HWND TimerWindow() const { return window_; }

  // The position changed by the user.
  TNotifyEvent OnChange;
  // Asked at each automatic-scroll tick; may change the direction and interval of later ticks.
  TSBAutoScrollEvent OnAutoScroll;
  // The bar needs painting again.
  TNotifyEvent OnRedraw;

  // Whether the bar scrolls: the effective window is smaller than the range.
  virtual bool GetEnabled();
  virtual void MouseDown(TMouseButton Button, int X, int Y);
  virtual void MouseMove(int X, int Y);
  virtual void MouseUp(TMouseButton Button, int X, int Y);
  // Timer sbtRepeat or sbtAutoScroll ticked; NewInterval (0 on entry) below 1 stops it, else it
  // runs on at that interval.
  virtual void TimerElapsed(int TimerID, int& NewInterval);
  // Fires OnRedraw.
  virtual void Redraw();

  // Works the zones out from the bounds, kind, range, window and position.
  void UpdateZones();

 private:
  int Along() const { return kind_ == sbkVertical ? Height() : Width(); }
  int Across() const { return kind_ == sbkVertical ? Width() : Height(); }
  // A zone from Start to End along the axis.
  RECT ZoneRect(int Start, int End) const;
  int ZoneStart(int Index) const;
  int ZoneEnd(int Index) const;
  int AlongOf(int X, int Y) const { return kind_ == sbkVertical ? Y : X; }
  // The thumb dragged to the mouse's place along the axis.
  void DragThumb();
  void StartTimer(int TimerID, int Interval);
  void KillTimer(int TimerID);
  void WndProc(TMessage& Message);
  void PaintClassic(HDC DC);
  void PaintStyled(HDC DC);

  RECT bounds_{};
  HWND window_ = nullptr;
  TTBXScrollBarKind kind_ = sbkHorizontal;
  int position_ = 0;
  int range_ = 0;
  int autoScrollDirection_ = 0;
  int autoScrollInterval_ = 0;
  bool autoScrollActive_ = false;
  std::array<RECT, sbzCount> zones_{};
  int pressedZone_ = 0;
  POINT mouseDownPoint_{};
  int mouseDownPosition_ = 0;
  POINT lastMousePoint_{};
  bool userChange_ = false;
};

// ---------------------------------------------------------------------------------------------
// The list item

using TTBXLButtonEvent = TEvent<void(TObject* Sender, TCanvas& Canvas, const RECT& ARect, int AIndex,
                                     int AHoverIndex, bool& DrawDefault)>;
using TTBXLAdjustImageIndexEvent = TEvent<void(TObject* Sender, int AItemIndex, int& ImageIndex)>;
using TTBXLMeasureHeightEvent = TEvent<void(TObject* Sender, TCanvas& Canvas, int& AHeight)>;
using TTBXLMeasureWidthEvent = TEvent<void(TObject* Sender, TCanvas& Canvas, int AItemIndex, int& AWidth)>;

class TTBXCustomListViewer;

// A list of rows inside a menu; a descendant tells how many rows there are and their texts.
class TTBXCustomList : public TTBXCustomItem {
 public:
  explicit TTBXCustomList(TComponent* AOwner);
  ~TTBXCustomList() override;

  // The chosen row, -1 for none. Every assignment reaches every live viewer (its hot row) and
  // fires OnChange, also when the value stays; a negative value is -1.
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int Value);
  // The smallest width of the list (it stands for the themed item's own MinWidth).
  int MinWidth() const { return minWidth_; }
  void SetMinWidth(int Value);
  // The largest width, used only when greater than MinWidth.
  int MaxWidth() const { return maxWidth_; }
  void SetMaxWidth(int Value);
  // The rows shown before a scroll bar is needed (at least one row is shown).
  int MaxVisibleItems() const { return maxVisibleItems_; }
  void SetMaxVisibleItems(int Value);
  bool ShowImages() const { return showImages_; }
  void SetShowImages(bool Value);
  // The viewers showing the list now (null while there is none).
  const std::vector<TTBItemViewer*>* Viewers() const { return viewers_.get(); }

  // Fired by every assignment of ItemIndex.
  TNotifyEvent OnChange;
  // Before a row's background is filled (DrawDefault false: it is not).
  TTBXLButtonEvent OnClearItem;
  // Before a row's image and text are drawn (DrawDefault false: they are not).
  TTBXLButtonEvent OnDrawItem;
  // The image of a row (it starts as the row's index).
  TTBXLAdjustImageIndexEvent OnAdjustImageIndex;
  TTBXLMeasureHeightEvent OnMeasureHeight;
  TTBXLMeasureWidthEvent OnMeasureWidth;

  TTBItemViewerClass GetItemViewerClass(TTBView* AView) override;

  virtual bool DoClearItem(TCanvas& Canvas, const RECT& ARect, int AIndex, int AHoverIndex);
  virtual bool DoDrawItem(TCanvas& Canvas, const RECT& ARect, int AIndex, int AHoverIndex);
  virtual void DoMeasureHeight(TCanvas& Canvas, int& AHeight);
  virtual void DoMeasureWidth(TCanvas& Canvas, int AIndex, int& AWidth);
  // Paints one row: its background, image and text, the hot row in the selection colours.
  virtual void DrawItem(TCanvas& Canvas, TTBXCustomListViewer* AViewer, const RECT& ARect, int AIndex,
                        int AHoverIndex);
  virtual int GetImageIndex(int AIndex);
  virtual void GetItemText(int AIndex, String& AText) = 0;
  virtual int GetCount() = 0;
  // Fires OnChange.
  virtual void DoChange(int AIndex);
  // The hot row changed; nothing here.
  virtual void HandleHover(int AIndex);

  // The image list rows draw from in a viewer: null unless ShowImages. (A removed image list is
  // let go of by the item's own notification.)
  TCustomImageList* RowImages(TTBItemViewer* AViewer) const;

 private:
  friend class TTBXCustomListViewer;

  std::unique_ptr<std::vector<TTBItemViewer*>> viewers_;
  int itemIndex_ = -1;
  int minWidth_ = 32;
  int maxWidth_ = 0;
  int maxVisibleItems_ = 8;
  bool showImages_ = false;
};

// A list in one view: measures the rows, paints them and its scroll bar, follows the mouse, the
// wheel and the keys, and scrolls by itself while the mouse is dragged beyond it.
class TTBXCustomListViewer : public TTBXItemViewer {
 public:
  TTBXCustomListViewer(TTBView* AView, TTBCustomItem* AItem, int AGroupLevel);
  ~TTBXCustomListViewer() override;

  TTBXCustomList* List() const;

  void CalcSize(TCanvas& Canvas, int& AWidth, int& AHeight) override;
  void Paint(TCanvas& Canvas, const RECT& ClientAreaRect, bool IsSelected, bool IsPushed,
             bool UseDisabledShadow) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void MouseDown(TShiftState Shift, int X, int Y, bool& MouseDownOnMenu) override;
  void MouseMove(int X, int Y) override;
  void MouseUp(int X, int Y, bool MouseWasDownOnMenu) override;
  void MouseWheel(int WheelDelta, int X, int Y, bool& Handled) override;

  // No row is hot while the list scrolls by itself: HoverIndex becomes -1.
  virtual void AdjustAutoScrollHover(int& AHoverIndex, int Direction);
  // The height of a row: a line of text (or an image) and 2 pixels, as the list measures it.
  virtual int GetItemHeight(TCanvas& Canvas);
  virtual int GetItemWidth(TCanvas& Canvas, int AIndex);
  // Called at each automatic-scroll tick; nothing here.
  virtual void HandleAutoScroll(int& Direction, int& Interval);

  // The hot row: scrolled into view and the rows drawn again (ignored while it is being set).
  void SetHoverIndex(int AIndex);
  int HoverIndex() const { return hoverIndex_; }
  int Offset() const { return offset_; }
  int ItemCount() const { return itemCount_; }
  int ItemHeight() const { return itemHeight_; }
  int VisibleItems() const { return visibleItems_; }
  int ScrollBarWidth() const { return scrollBarWidth_; }
  TTBXScrollBar* ScrollBar() const { return scrollBar_.get(); }
  // The row at a point relative to the viewer, -1 for none.
  int RowAt(int X, int Y) const;
  RECT RowRect(int AIndex) const;

 private:
  void ScrollIntoView(int AIndex);
  // Paints rows First to Last (those within the client area and visible on the canvas).
  void PaintRows(TCanvas& Canvas, int First, int Last);
  // The rows from Offset down and the clear area below them.
  void PaintAllRows(TCanvas& Canvas);
  // Runs Paint(Canvas) on a canvas over the view's window, its origin at the viewer's top-left;
  // nothing while the viewer is not on the screen.
  template <class TPaint>
  void PaintOnWindow(TPaint&& Paint);
  void MakeScrollBar();
  void ScrollBarChange(TObject* Sender);
  void ScrollBarRedraw(TObject* Sender);
  void ScrollBarAutoScroll(TObject* Sender, int& Direction, int& Interval);
  // The automatic scrolling a drag Y pixels from the list asks for.
  void AutoScrollByDistance(int Y, int& NewHover);

  int itemCount_ = 0;
  int itemHeight_ = 1;
  int hoverIndex_ = -1;
  int clientHeight_ = 0;
  RECT lastClientRect_{};
  int wheelAccumulator_ = 0;
  int clientWidth_ = 0;
  int offset_ = 0;
  int scrollBarWidth_ = 0;
  std::unique_ptr<TTBXScrollBar> scrollBar_;
  int visibleItems_ = 1;
  bool mouseIsDown_ = false;
  bool mouseInScrollBar_ = false;
  bool changing_ = false;
  // False once the viewer is gone: a handler of the list may free it (or its menu) while one of
  // its own calls is still running.
  std::shared_ptr<bool> alive_;
};
