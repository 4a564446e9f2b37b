#pragma once
// How a dock lays its bars out in rows, as a function of numbers alone: the dock gathers one
// record per bar (its stored row and position, its lengths and its flags), this decides each
// bar's row, position and length along the row, and the dock then sizes the rows and moves
// the windows.
#include <cstdint>
#include <vector>

enum TTBShrinkMode : uint8_t { tbsmNone, tbsmWrap, tbsmChevron };

struct TTBArrangeBar {
  // What the dock hands in.
  bool Visible = true;  // shown on the dock; a hidden bar keeps a row but gets no place
  int DockRow = 0;
  int DockPos = 0;
  int FullLength = 0;  // the bar's length along the row with its frame
  int MinLength = 0;   // what it may shrink to
  TTBShrinkMode ShrinkMode = tbsmNone;
  bool FullSize = false;
  bool Stretch = false;
  bool NewRowRequested = false;
  bool Dragging = false;
  bool DraggingInRow = false;

  // What comes back.
  int Row = -1;        // the row it is laid out in; -1 for a hidden bar
  int ActualRow = 0;   // its row among all bars, hidden ones included
  int Pos = 0;
  int Length = 0;
  int Gap = 0;         // free pixels before it (work value)
  int Overlap = 0;     // how far its wished position lay inside the bar before it (work value)
  bool DragRowOverflows = false;  // set on the dragged bar when its shared row had to shrink
};

// Stored positions are kept within these, so that the sums along a row cannot overflow
// whatever was stored; a row below 0 counts as 0 (rows are numbered by rank, so any row number
// above it costs nothing).
constexpr int kMinDockPos = -32768;
constexpr int kMaxDockPos = 32767;
int ClampDockPos(int Pos);
int ClampDockRow(int Row);

// Lays the bars out (given in the dock's list order) in rows of MaxSize pixels and answers
// the order of the work list, by which the bars are then read: indexes into Bars, sorted by
// row and position (a bar dragged within its row keeps its place among its neighbours). Rows
// come out numbered 0, 1, 2 ... without holes, in time that depends on the number of bars
// alone.
std::vector<int> ArrangeBars(std::vector<TTBArrangeBar>& Bars, int MaxSize, bool LimitToOneRow);
