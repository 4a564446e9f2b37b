// The view's layout: which viewers show, their sizes, lines, wrapping, the chevron, scrolling.
#include "classlib/GdiHandles.h"
#include "classlib/ScopeGuard.h"
#include "items/TB2View.h"

#include <algorithm>

namespace {

// The size of a view that shows nothing.
constexpr POINT kEmptyViewSize{23, 22};
// The length a separator that breaks a line takes across the lines.
constexpr int kLineSeparatorSize = 6;

bool operator!=(const RECT& a, const RECT& b) {
  return a.left != b.left || a.top != b.top || a.right != b.right || a.bottom != b.bottom;
}

// The control of a control item, or null for any other item.
TControl* ControlOf(TTBCustomItem* Item) {
  auto* controlItem = dynamic_cast<TTBControlItem*>(Item);
  return controlItem ? controlItem->Control() : nullptr;
}

}  // namespace

// The working state of one CalculatePositions call: one record per viewer, and the open line.
struct TTBView::TLayout {
  struct TWork {
    RECT Bounds{};  // first the measured size at 0, 0, then the position
    bool Show = false;
    bool OffEdge = false;
    bool LineSep = false;
    bool Clipped = false;
    bool SameWidth = false;
  };

  TLayout(TTBView& AView, bool ACanMoveControls, TTBViewOrientation AOrientation, int AWrapOffset,
          int AChevronOffset, int AChevronSize, POINT& ATotalSize)
      : V(AView), CanMoveControls(ACanMoveControls), Orientation(AOrientation), WrapOffset(AWrapOffset),
        ChevronOffset(AChevronOffset), ChevronSize(AChevronSize), TotalSize(ATotalSize),
        Work(AView.viewers_.size()) {
    V.GetMargins(Orientation, Margins);
  }

  TTBView& V;
  const bool CanMoveControls;
  const TTBViewOrientation Orientation;
  int WrapOffset;
  int ChevronOffset;
  const int ChevronSize;
  POINT& TotalSize;
  std::vector<TWork> Work;
  RECT Margins{};
  TTBCustomItem* Chevron = nullptr;
  POINT BaseSize{};
  int WrappedLines = 1;
  bool ChevronNeeded = false;
  bool ChevronEnabled = false;  // a non-control item went behind the chevron

  // The open line.
  int X = 0, Y = 0;
  int LineStart = -1;
  int LineHeight = 0, LineWidth = 0;
  bool WrappedInGroup = false;
  bool LineBroken = false;

  int Count() const { return static_cast<int>(Work.size()); }
  TTBItemViewer* Viewer(int I) const { return V.viewers_[static_cast<size_t>(I)]; }
  TTBCustomItem* Item(int I) const { return Viewer(I)->Item(); }
  bool IsSeparator(int I) const { return (Item(I)->ItemStyle() & tbisSeparator) != 0; }
  bool Vertical() const { return Orientation == tbvoVertical; }
  int Width(int I) const { return Work[I].Bounds.right - Work[I].Bounds.left; }
  int Height(int I) const { return Work[I].Bounds.bottom - Work[I].Bounds.top; }
  // The length along the lines: widths, or heights in a vertical view.
  int Length(int I) const { return Vertical() ? Height(I) : Width(I); }
  LONG& LengthOf(POINT& P) const { return Vertical() ? P.y : P.x; }

  void DecideVisibility();
  bool ShownInChevronPopup(int I);
  // Hides a shown separator before any shown item or right after another; answers the length hidden.
  int HideLeadingAndDoubledSeparators();
  void HideTrailingSeparators();
  void Measure();
  void MeasureViewer(TCanvas& Canvas, int I);
  void SumBaseLength();
  void HideBehindChevron();
  int LowestPriorityCandidate() const;
  void MeasureCrossSize();
  void Position();
  void Place(int I);
  int FollowingLength(int I) const;
  int PreviousShown(int I) const;
  void FinishLine(int Last, bool IsFinal);
  void Mirror();
  void Scroll();
  void MoveControls();
  void SpanLineSeparators();
  void PlaceChevron();
  bool Store();
};

void TTBView::TLayout::DecideVisibility() {
  for (int i = 0; i < Count(); ++i) {
    TTBCustomItem* item = Item(i);
    if (item == Chevron) continue;
    TWork& w = Work[i];
    TControl* control = ControlOf(item);
    if (V.chevronParentView_)
      w.Show = !control && ShownInChevronPopup(i);
    else if (control)
      // A view without a window holds no controls: a parentless control is not on it.
      w.Show = V.window_ && control->Parent() == V.window_ &&
               (control->Visible() || (control->ComponentState() & csDesigning));
    else if ((item->ItemStyle() & tbisEmbeddedGroup) && !V.customizing_)
      w.Show = false;
    else
      w.Show = item->Visible();
  }
  HideLeadingAndDoubledSeparators();
}

// A chevron popup shows what its toolbar hid behind the chevron, and the separators between.
bool TTBView::TLayout::ShownInChevronPopup(int I) {
  if (IsSeparator(I)) return true;
  TTBItemViewer* parentViewer = V.ChevronParentViewer(I);
  return parentViewer && parentViewer->OffEdge;
}

int TTBView::TLayout::HideLeadingAndDoubledSeparators() {
  int hidden = 0;
  bool previousWasSeparator = true;
  for (int i = 0; i < Count(); ++i) {
    if (!Work[i].Show) continue;
    const bool separator = IsSeparator(i);
    if (separator && previousWasSeparator) {
      Work[i].Show = false;
      hidden += Length(i);
      continue;
    }
    previousWasSeparator = separator;
  }
  return hidden;
}

void TTBView::TLayout::HideTrailingSeparators() {
  for (int i = Count() - 1; i >= 0; --i) {
    if (!Work[i].Show) continue;
    if (!IsSeparator(i)) break;
    Work[i].Show = false;
  }
}

void TTBView::TLayout::Measure() {
  gdi::WindowDC screen;
  TCanvas canvas;
  canvas.SetHandle(screen.Get());
  TScopeGuard letGo([&] { canvas.SetHandle(nullptr); });
  canvas.SetFont(V.GetFont());
  for (int i = 0; i < Count(); ++i)
    if (Work[i].Show) MeasureViewer(canvas, i);
}

// The bold style, the temporary viewer and (in Measure) the screen DC go back however CalcSize
// ends: a viewer that raises leaves no font, DC or viewer behind.
void TTBView::TLayout::MeasureViewer(TCanvas& Canvas, int I) {
  int width = 0, height = 0;
  bool sameWidth = false;
  if (TControl* control = ControlOf(Item(I))) {
    width = control->Width();
    height = control->Height();
    sameWidth = Viewer(I)->UsesSameWidth();
  } else {
    TTBCustomItem* item = Item(I);
    const TFontStyles style = Canvas.Font().Style();
    TScopeGuard restoreStyle([&] { Canvas.Font().SetStyle(style); });
    if (item->EffectiveOptions() & tboDefault) Canvas.Font().SetStyle(style | fsBold);
    std::unique_ptr<TTBItemViewer> temporary;
    if (item->NeedToRecreateViewer(Viewer(I))) {
      if (CanMoveControls)
        V.RecreateItemViewer(I);
      else  // measure as the new viewer would, without touching the view's list
        temporary.reset(item->GetItemViewerClass(&V)(&V, item, Viewer(I)->GroupLevel()));
    }
    TTBItemViewer* measuring = temporary ? temporary.get() : Viewer(I);
    measuring->CalcSize(Canvas, width, height);
    sameWidth = measuring->UsesSameWidth();
  }
  Work[I].Bounds = {0, 0, width, height};
  Work[I].SameWidth = sameWidth;
}

void TTBView::TLayout::SumBaseLength() {
  int sameWidth = 0;
  for (const TWork& w : Work)
    if (w.Show && w.SameWidth) sameWidth = std::max<int>(sameWidth, w.Bounds.right);
  BaseSize = {0, 0};
  for (int i = 0; i < Count(); ++i) {
    if (!Work[i].Show) continue;
    if (Work[i].SameWidth) Work[i].Bounds.right = sameWidth;
    LengthOf(BaseSize) += Length(i);
  }
}

// The lowest-priority shown item that is not a separator, or -1.
int TTBView::TLayout::LowestPriorityCandidate() const {
  auto candidate = [&](int i) { return i >= 0 && Work[i].Show && !IsSeparator(i); };
  if (const auto* priority = V.priorityList_.get()) {
    for (auto it = priority->rbegin(); it != priority->rend(); ++it)
      if (const int i = V.IndexOf(*it); candidate(i)) return i;
    return -1;
  }
  for (int i = Count() - 1; i >= 0; --i)
    if (candidate(i)) return i;
  return -1;
}

void TTBView::TLayout::HideBehindChevron() {
  int total = LengthOf(BaseSize);
  ChevronNeeded = Chevron && ChevronOffset > 0 && ChevronOffset < total;
  if (!ChevronNeeded) return;
  ChevronOffset -= ChevronSize;
  while (total > ChevronOffset) {
    int items = 0, lastShown = -1;
    for (int i = 0; i < Count(); ++i) {
      if (!Work[i].Show) continue;
      lastShown = i;
      if (!IsSeparator(i)) ++items;
    }
    if (items < 2) break;  // one item always stays
    if (IsSeparator(lastShown)) {
      Work[lastShown].Show = false;
      total -= Length(lastShown);
    } else {
      const int i = LowestPriorityCandidate();
      if (i < 0) break;
      Work[i].Show = false;
      Work[i].OffEdge = true;
      total -= Length(i);
      if (!ControlOf(Item(i))) ChevronEnabled = true;
    }
    total -= HideLeadingAndDoubledSeparators();
  }
  HideTrailingSeparators();
}

void TTBView::TLayout::MeasureCrossSize() {
  LONG& cross = Vertical() ? BaseSize.x : BaseSize.y;
  for (int i = 0; i < Count(); ++i)
    if (Work[i].Show) cross = std::max<LONG>(cross, Vertical() ? Width(i) : Height(i));
}

void TTBView::TLayout::Position() {
  X = Margins.left;
  Y = Margins.top;
  if (WrapOffset > 0) WrapOffset = std::max(1, WrapOffset - static_cast<int>(Margins.right));
  bool previousToolbarSize = false;
  int last = -1;
  for (int i = 0; i < Count(); ++i) {
    if (!Work[i].Show) continue;
    const bool toolbarSize = Viewer(i)->IsToolbarSize();
    if (previousToolbarSize && !toolbarSize) {
      // Below everything placed so far.
      X = Margins.left;
      Y = TotalSize.y;
    }
    Place(i);
    if (toolbarSize && !Vertical())
      X += Width(i);
    else
      Y += Height(i);
    TotalSize.x = std::max<int>(TotalSize.x, Work[i].Bounds.right);
    TotalSize.y = std::max<int>(TotalSize.y, Work[i].Bounds.bottom);
    previousToolbarSize = toolbarSize;
    last = i;
  }
  FinishLine(last, true);
  TotalSize.x += Margins.right;
  TotalSize.y += Margins.bottom;
}

int TTBView::TLayout::PreviousShown(int I) const {
  for (int i = I - 1; i >= 0; --i)
    if (Work[i].Show) return i;
  return -1;
}

// The length of the shown viewers after I up to the next shown separator.
int TTBView::TLayout::FollowingLength(int I) const {
  int length = 0;
  for (int i = I + 1; i < Count(); ++i) {
    if (!Work[i].Show) continue;
    if (IsSeparator(i)) break;
    length += Length(i);
  }
  return length;
}

void TTBView::TLayout::Place(int I) {
  TWork& w = Work[I];
  if (LineStart < 0) {
    LineStart = I;
    LineHeight = LineWidth = 0;
  }
  bool separatorBreak = false;
  const int position = Vertical() ? Y : X;
  if (WrapOffset > 0 && position > 0) {
    const int end = position + Length(I);
    if (IsSeparator(I)) {
      const bool mayBreak = !(Item(I)->ItemStyle() & tbisNoLineBreak);
      if ((WrappedInGroup && mayBreak) || end + FollowingLength(I) > WrapOffset) {
        LineBroken = true;
        ++WrappedLines;
        if (Vertical()) {
          Y = 0;
          X += LineWidth;
        } else {
          X = 0;
          Y += LineHeight;
        }
        FinishLine(PreviousShown(I), false);
        w.Bounds = Vertical() ? RECT{0, 0, kLineSeparatorSize, 0} : RECT{0, 0, 0, kLineSeparatorSize};
        w.LineSep = true;
        separatorBreak = true;
      }
    } else if (end > WrapOffset) {
      LineBroken = true;
      ++WrappedLines;
      if (Vertical()) {
        Y = Margins.top;
        X += LineWidth;
      } else {
        X = Margins.left;
        Y += LineHeight;
      }
      WrappedInGroup = true;
      FinishLine(PreviousShown(I), false);
      LineStart = I;
    }
  }
  LineHeight = std::max(LineHeight, Height(I));
  LineWidth = std::max(LineWidth, Width(I));
  OffsetRect(&w.Bounds, std::max(X, 0), std::max(Y, 0));
  if (separatorBreak) {
    if (Vertical()) {
      Y = Margins.top;
      X += kLineSeparatorSize;
    } else {
      X = Margins.left;
      Y += kLineSeparatorSize;
    }
    WrappedInGroup = false;
  }
}

void TTBView::TLayout::FinishLine(int Last, bool IsFinal) {
  if (LineBroken && !V.chevronParentView_) {
    if (Orientation == tbvoHorizontal)
      TotalSize.x = std::max(TotalSize.x, static_cast<LONG>(WrapOffset));
    else if (Orientation == tbvoVertical)
      TotalSize.y = std::max(TotalSize.y, static_cast<LONG>(WrapOffset));
  }
  if (LineStart >= 0) {
    if (V.isToolbar_ && IsFinal && !LineBroken && Orientation != tbvoFloating) {
      LineHeight = TotalSize.y;
      LineWidth = TotalSize.x;
    }
    int rightAligned = -1, lastShown = -1;
    for (int i = LineStart; i <= Last; ++i) {
      TWork& w = Work[i];
      if (!w.Show) continue;
      lastShown = i;
      const TTBItemStyle style = Item(i)->ItemStyle();
      if (rightAligned < 0 && (style & tbisRightAlign)) rightAligned = i;
      if (V.isToolbar_) {
        if (style & (tbisSeparator | tbisStretch)) {
          if (Vertical())
            w.Bounds.right = w.Bounds.left + LineWidth;
          else
            w.Bounds.bottom = w.Bounds.top + LineHeight;
        } else if (Vertical()) {
          OffsetRect(&w.Bounds, (LineWidth - Width(i)) / 2, 0);
        } else {
          OffsetRect(&w.Bounds, 0, (LineHeight - Height(i)) / 2);
        }
      } else if (!Viewer(i)->IsToolbarSize()) {
        w.Bounds.right = w.Bounds.left + LineWidth;
      }
    }
    if (rightAligned >= 0) {
      const int lineEnd = Vertical() ? Work[lastShown].Bounds.bottom : Work[lastShown].Bounds.right;
      const int shift = std::min(WrapOffset, static_cast<int>(LengthOf(TotalSize))) - lineEnd;
      if (shift > 0)
        for (int i = rightAligned; i <= Last; ++i)
          if (Work[i].Show) OffsetRect(&Work[i].Bounds, Vertical() ? 0 : shift, Vertical() ? shift : 0);
    }
  }
  LineStart = -1;
  LineHeight = LineWidth = 0;
}

// A vertical view's first column goes at the right.
void TTBView::TLayout::Mirror() {
  if (!Vertical()) return;
  for (TWork& w : Work) {
    if (!w.Show) continue;
    const LONG left = w.Bounds.left;
    w.Bounds.left = TotalSize.x - w.Bounds.right;
    w.Bounds.right = TotalSize.x - left;
  }
}

void TTBView::TLayout::Scroll() {
  V.showUpArrow_ = false;
  V.showDownArrow_ = false;
  const int limit = V.maxHeight_;
  if (limit <= 0 || limit >= TotalSize.y) {
    V.scrollOffset_ = 0;
    return;
  }
  const int overflow = TotalSize.y - limit;
  V.scrollOffset_ = std::clamp(V.scrollOffset_, 0, overflow);
  V.showUpArrow_ = V.scrollOffset_ > 0;
  V.showDownArrow_ = V.scrollOffset_ < overflow;
  const int top = V.showUpArrow_ ? kScrollArrowBand : 0;
  const int bottom = V.showDownArrow_ ? limit - kScrollArrowBand : limit;
  for (TWork& w : Work) {
    if (!w.Show) continue;
    OffsetRect(&w.Bounds, 0, -V.scrollOffset_);
    if (w.Bounds.top < top || w.Bounds.bottom > bottom) {
      w.Show = false;
      w.Clipped = true;
    }
  }
  TotalSize.y = limit;
}

void TTBView::TLayout::MoveControls() {
  for (int i = 0; i < Count(); ++i) {
    TControl* control = ControlOf(Item(i));
    if (!control) continue;
    const TWork& w = Work[i];
    if (w.Show) {
      if (control->BoundsRect() != w.Bounds)
        control->SetBounds(w.Bounds.left, w.Bounds.top, Width(i), Height(i));
    } else if ((w.OffEdge || w.Clipped) && V.window_) {
      // Out of sight, past the client area's bottom-right corner.
      control->SetBounds(V.window_->ClientWidth(), V.window_->ClientHeight(), control->Width(),
                         control->Height());
    }
  }
}

void TTBView::TLayout::SpanLineSeparators() {
  for (TWork& w : Work) {
    if (!w.Show || !w.LineSep) continue;
    if (Vertical())
      w.Bounds.bottom = TotalSize.y;
    else
      w.Bounds.right = TotalSize.x;
  }
}

void TTBView::TLayout::PlaceChevron() {
  if (CanMoveControls) Chevron->SetEnabled(ChevronEnabled);
  int index = Count() - 1;
  while (index >= 0 && Item(index) != Chevron) --index;
  if (index < 0) return;
  const int p = std::max(ChevronOffset, static_cast<int>(LengthOf(TotalSize)));
  TWork& w = Work[index];
  w.Show = true;
  w.Bounds = Vertical() ? RECT{0, p, TotalSize.x, p + ChevronSize} : RECT{p, 0, p + ChevronSize, TotalSize.y};
}

bool TTBView::TLayout::Store() {
  if (!CanMoveControls) return false;
  bool changed = false;
  for (int i = 0; i < Count(); ++i) {
    TTBItemViewer* viewer = Viewer(i);
    const TWork& w = Work[i];
    if (viewer->BoundsRect != w.Bounds || viewer->Show != w.Show || viewer->LineSeparator != w.LineSep ||
        viewer->OffEdge != w.OffEdge || viewer->Clipped != w.Clipped)
      changed = true;
    viewer->BoundsRect = w.Bounds;
    viewer->Show = w.Show;
    viewer->OffEdge = w.OffEdge;
    viewer->Clipped = w.Clipped;
    viewer->LineSeparator = w.LineSep;
  }
  return changed;
}

bool TTBView::CalculatePositions(bool CanMoveControls, TTBViewOrientation AOrientation, int AWrapOffset,
                                 int AChevronOffset, int AChevronSize, POINT& ABaseSize, POINT& TotalSize,
                                 int& AWrappedLines) {
  AWrappedLines = 1;
  // The viewers measure in the orientation asked for; the view keeps its own.
  const TTBViewOrientation savedOrientation = orientation_;
  orientation_ = AOrientation;
  TScopeGuard restoreOrientation([&] { orientation_ = savedOrientation; });

  TLayout layout(*this, CanMoveControls, AOrientation, AWrapOffset, AChevronOffset, AChevronSize, TotalSize);
  layout.Chevron = GetChevronItem();
  layout.DecideVisibility();
  layout.HideTrailingSeparators();
  layout.Measure();
  layout.SumBaseLength();
  layout.HideBehindChevron();
  layout.MeasureCrossSize();
  layout.Position();
  layout.Mirror();
  layout.Scroll();
  if (CanMoveControls) layout.MoveControls();
  if (isToolbar_) layout.SpanLineSeparators();
  if (layout.ChevronNeeded) layout.PlaceChevron();
  const bool changed = layout.Store();

  POINT base = layout.BaseSize;
  if (base.x == 0 || base.y == 0) base = kEmptyViewSize;
  TotalSize.x = std::max(TotalSize.x, kEmptyViewSize.x);
  TotalSize.y = std::max(TotalSize.y, kEmptyViewSize.y);
  if (CanMoveControls) baseSize_ = base;
  ABaseSize = base;
  AWrappedLines = layout.WrappedLines;
  return changed;
}
