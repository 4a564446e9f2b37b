#include "docking/TB2DockArrange.h"

#include "items/TB2Common.h"

#include <algorithm>

int ClampDockPos(int Pos) { return std::clamp(Pos, kMinDockPos, kMaxDockPos); }
int ClampDockRow(int Row) { return std::max(Row, 0); }

namespace {

using TBars = std::vector<TTBArrangeBar>;

int CompareRowAndPos(const int& A, const int& B, void* Extra) {
  const TBars& bars = *static_cast<const TBars*>(Extra);
  const TTBArrangeBar &a = bars[static_cast<size_t>(A)], &b = bars[static_cast<size_t>(B)];
  if (a.DockRow != b.DockRow) return a.DockRow < b.DockRow ? -1 : 1;
  if (a.DockPos != b.DockPos) return a.DockPos < b.DockPos ? -1 : 1;
  return 0;
}

// The layout of one call: the bars in work-list order and the rows found so far.
class TArrangement {
 public:
  TArrangement(TBars& Bars, std::vector<int> Order, int MaxSize, bool LimitToOneRow)
      : bars_(Bars), order_(std::move(Order)), maxSize_(MaxSize), oneRow_(LimitToOneRow) {}

  void Run() {
    for (int i : order_) {
      TTBArrangeBar& b = bars_[static_cast<size_t>(i)];
      b.ActualRow = b.DockRow;
      b.Pos = b.DockPos;
      b.Gap = b.Overlap = 0;
      b.Length = b.FullLength;
      b.MinLength = std::clamp(b.MinLength, 0, b.FullLength);
      b.DragRowOverflows = false;
    }
    CompactRows();
    if (!oneRow_) GiveRowsOfTheirOwn(&TTBArrangeBar::NewRowRequested);
    GiveRowsOfTheirOwn(&TTBArrangeBar::FullSize);
    for (int row = 0; row <= highestRow_; ++row) LayOutRow(row);
  }

 private:
  TTBArrangeBar& At(size_t k) { return bars_[static_cast<size_t>(order_[k])]; }
  size_t Count() const { return order_.size(); }

  void SetRow(TTBArrangeBar& b, int row) {
    b.ActualRow = row;
    b.Row = b.Visible ? row : -1;
  }

  // Rows numbered by rank: whatever numbers were stored, the rows are 0, 1, 2 ... in order.
  void CompactRows() {
    std::vector<int> rows;
    for (size_t k = 0; k < Count(); ++k) rows.push_back(At(k).ActualRow);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (size_t k = 0; k < Count(); ++k) {
      TTBArrangeBar& b = At(k);
      SetRow(b, static_cast<int>(std::lower_bound(rows.begin(), rows.end(), b.ActualRow) - rows.begin()));
    }
    highestRow_ = static_cast<int>(rows.size()) - 1;
  }

  // A flagged bar that shares its row keeps the row alone; the rest of the row moves to a new
  // row after it (the first flagged bar in list order goes first).
  void GiveRowsOfTheirOwn(bool TTBArrangeBar::*Flag) {
    std::vector<std::vector<size_t>> groups(static_cast<size_t>(highestRow_ + 1));
    for (size_t k = 0; k < Count(); ++k) groups[static_cast<size_t>(At(k).ActualRow)].push_back(k);
    int next = 0;
    for (std::vector<size_t>& group : groups) {
      while (!group.empty()) {
        auto flagged = std::find_if(group.begin(), group.end(), [&](size_t k) { return At(k).*Flag; });
        if (flagged == group.end() || group.size() == 1) {
          for (size_t k : group) SetRow(At(k), next);
          ++next;
          break;
        }
        SetRow(At(*flagged), next++);
        group.erase(flagged);
      }
    }
    highestRow_ = next - 1;
  }

  // The work-list positions of the bars laid out in the row, in order.
  std::vector<size_t> RowBars(int row) {
    std::vector<size_t> list;
    for (size_t k = 0; k < Count(); ++k)
      if (At(k).Row == row) list.push_back(k);
    return list;
  }

  // Moves this bar and every later one of this row or a later row down by one row.
  void WrapFrom(size_t first, int row) {
    for (size_t k = first; k < Count(); ++k) {
      TTBArrangeBar& b = At(k);
      if (b.ActualRow >= row) ++b.ActualRow;
      if (b.Row >= row) ++b.Row;
    }
    ++highestRow_;
  }

  // Takes what the bars up to row[last] stand out over Limit out of their gaps, from the last
  // back to the first; answers the pixels taken.
  int ReclaimRowGaps(const std::vector<size_t>& row, size_t last, int Limit) {
    long long sum = 0;
    for (size_t i = 0; i <= last; ++i) sum += At(row[i]).Gap + At(row[i]).Length;
    if (sum <= Limit) return 0;
    long long needed = sum - Limit;
    int taken = 0;
    for (size_t i = last + 1; i-- > 0 && needed > 0;) {
      TTBArrangeBar& b = At(row[i]);
      const int give = static_cast<int>(std::min<long long>(b.Gap, needed));
      b.Gap -= give;
      needed -= give;
      taken += give;
    }
    return taken;
  }

  void LayOutRow(int j) {
    int total = 0;
    if (!FitLengths(j, total)) return;
    std::vector<size_t> row = RowBars(j);
    if (row.empty()) return;
    int excess = total - maxSize_;
    int dragPos = 0;
    const int drag = PlaceWished(row, excess, dragPos);
    if (excess < 0 && drag > 0) PullTowardsDragged(row, static_cast<size_t>(drag), dragPos);
    ReclaimRowGaps(row, row.size() - 1, maxSize_);
    ShrinkForOverlaps(row, excess, drag);
    ShrinkTheRest(row, excess);
    SetFinalPositions(row);
  }

  // Lengths, and wrapping: the bars whose minimum lengths no longer fit go to a new row.
  bool FitLengths(int j, int& total) {
    int count = 0;
    long long minTotal = 0;
    for (size_t k = 0; k < Count(); ++k) {
      TTBArrangeBar& b = At(k);
      if (b.Row != j) continue;
      minTotal += b.ShrinkMode == tbsmChevron ? b.MinLength : b.FullLength;
      if (count > 0 && minTotal > maxSize_ && !oneRow_) {
        WrapFrom(k, j);
        break;
      }
      total += b.FullLength;
      ++count;
    }
    return count > 0;
  }

  // Where each bar wishes to be, as gaps before the bars (when the row has room) or overlaps
  // with the bar before. Answers the dragged bar's place in the row (-1 when none).
  int PlaceWished(const std::vector<size_t>& row, int excess, int& dragPos) {
    int cursor = 0, prevEnd = 0, minTotal = 0, drag = -1;
    for (size_t i = 0; i < row.size(); ++i) {
      TTBArrangeBar& b = At(row[i]);
      int pos = i == 0 && (b.FullSize || b.Stretch) ? 0 : b.DockPos;
      if (b.Dragging) {
        dragPos = pos;
        drag = static_cast<int>(i);
      }
      pos = std::max(pos, minTotal);
      if (pos > cursor) {
        if (excess > 0) {
          pos = cursor;
        } else {
          b.Gap = pos - cursor;
          cursor = pos;
        }
      } else if (pos < prevEnd) {
        b.Overlap = prevEnd - pos;
      }
      cursor += b.Length;
      prevEnd = pos + b.Length;
      minTotal += b.MinLength;
    }
    return drag;
  }

  // The bars before the dragged one close their gaps so that it can stand where it is
  // dragged; what they give goes before the bar after it, which keeps its place.
  void PullTowardsDragged(const std::vector<size_t>& row, size_t drag, int dragPos) {
    const int taken = ReclaimRowGaps(row, drag - 1, dragPos);
    if (drag + 1 < row.size()) At(row[drag + 1]).Gap += taken;
  }

  void ShrinkForOverlaps(const std::vector<size_t>& row, int& excess, int drag) {
    int pending = 0;
    for (size_t i = 0; i < row.size() && excess > 0; ++i) {
      TTBArrangeBar& b = At(row[i]);
      if (row.size() > 1 && b.Dragging) b.DragRowOverflows = true;
      pending = std::min(pending + b.Overlap, excess);
      for (size_t p = i; p-- > 0 && pending > 0;) {
        TTBArrangeBar& prev = At(row[p]);
        if (prev.ShrinkMode == tbsmChevron) {
          const int give = std::min(pending, prev.Length - prev.MinLength);
          prev.Length -= give;
          excess -= give;
          pending -= give;
        }
        if (static_cast<int>(p) == drag) break;
      }
    }
  }

  void ShrinkTheRest(const std::vector<size_t>& row, int& excess) {
    for (size_t i = row.size(); i-- > 0 && excess > 0;) {
      TTBArrangeBar& b = At(row[i]);
      if (b.ShrinkMode == tbsmNone || (b.ShrinkMode == tbsmWrap && row.size() > 1)) continue;
      const int give = std::min(excess, b.Length - b.MinLength);
      b.Length -= give;
      excess -= give;
    }
  }

  void SetFinalPositions(const std::vector<size_t>& row) {
    int cursor = 0;
    for (size_t i = 0; i < row.size(); ++i) {
      TTBArrangeBar& b = At(row[i]);
      if (b.FullSize || b.Stretch) {
        b.Length += b.Gap;
        b.Gap = 0;
      }
      cursor += b.Gap;
      if (b.FullSize) b.Length = std::max(b.Length, maxSize_);
      if (b.Stretch) {
        if (i + 1 < row.size()) {
          TTBArrangeBar& next = At(row[i + 1]);
          b.Length += next.Gap;
          next.Gap = 0;
        } else {
          b.Length = std::max(b.Length, maxSize_ - cursor);
        }
      }
      b.Pos = cursor;
      cursor += b.Length;
    }
  }

  TBars& bars_;
  std::vector<int> order_;
  int maxSize_;
  bool oneRow_;
  int highestRow_ = -1;
};

}  // namespace

std::vector<int> ArrangeBars(std::vector<TTBArrangeBar>& Bars, int MaxSize, bool LimitToOneRow) {
  std::vector<int> order;
  int dragIndex = -1;
  for (size_t i = 0; i < Bars.size(); ++i) {
    TTBArrangeBar& b = Bars[i];
    b.DockRow = LimitToOneRow ? 0 : ClampDockRow(b.DockRow);
    b.DockPos = ClampDockPos(b.DockPos);
    b.Row = -1;
    if (b.Dragging) dragIndex = static_cast<int>(i);
    order.push_back(static_cast<int>(i));
  }
  ListSortEx(order, CompareRowAndPos, &Bars);
  // A bar dragged along its row keeps its place among its neighbours.
  if (dragIndex >= 0 && Bars[static_cast<size_t>(dragIndex)].DraggingInRow) {
    order.erase(std::find(order.begin(), order.end(), dragIndex));
    order.insert(order.begin() + dragIndex, dragIndex);
  }
  TArrangement(Bars, order, MaxSize, LimitToOneRow).Run();
  return order;
}
