#pragma once
// Tool palettes: one item shown as a grid of small buttons, each with an image, with a hot cell
// that follows the mouse and the keys and a selected cell that a click sets; and colour
// palettes, whose cells are colour swatches named by a colour set (the built-in 8 x 5 set, or
// a set of the form's own). User-interface thread only.
#include "tbx/TBX.h"

#include <cstdint>
#include <vector>

// ---------------------------------------------------------------------------------------------
// The tool palette

// A cell of a palette's grid; column -1 means none.
struct TTBXCell {
  int Col = -1;
  int Row = 0;
  bool IsNone() const { return Col < 0; }
  bool operator==(const TTBXCell&) const = default;
};

using TTBXToolPaletteOptions = uint8_t;
enum : TTBXToolPaletteOptions {
  // Cells are not drawn from the item's image list, and the list does not limit their number.
  tpoCustomImages = 1u << 0,
  // A click does not select the cell.
  tpoNoAutoSelect = 1u << 1,
};

// A cell is clicked: the handler may redirect the click to another cell or refuse it.
using TTPCellClick = TEvent<void(TObject* Sender, int& ACol, int& ARow, bool& AllowChange)>;
using TTPGetCellHint = TEvent<void(TObject* Sender, int ACol, int ARow, String& HintText)>;
using TTPCalcImageSize = TEvent<void(TObject* Sender, TCanvas& Canvas, int& AWidth, int& AHeight)>;
using TTPDrawCellImage = TEvent<void(TObject* Sender, TCanvas& Canvas, const RECT& ARect, int ACol, int ARow,
                                     bool AEnabled, bool AHot, bool ASelected)>;
// The handler may only make a usable cell unusable.
using TTPGetCellVisible = TEvent<void(TObject* Sender, int ACol, int ARow, bool& AVisible)>;

// One item shown as ColCount x RowCount cells. The item holds the selection; its viewer
// (TTBXToolViewer) holds the hot cell and the mouse state while a view shows it.
class TTBXCustomToolPalette : public TTBXCustomItem {
 public:
  explicit TTBXCustomToolPalette(TComponent* AOwner);

  // A new value of the counts or the options re-measures the item.
  uint8_t ColCount() const { return colCount_; }
  void SetColCount(uint8_t Value);
  uint8_t RowCount() const { return rowCount_; }
  void SetRowCount(uint8_t Value);
  TTBXToolPaletteOptions PaletteOptions() const { return paletteOptions_; }
  void SetPaletteOptions(TTBXToolPaletteOptions Value);
  // Every write re-measures the item and runs DoChange, also for the cell already selected.
  TTBXCell SelectedCell() const { return selectedCell_; }
  void SetSelectedCell(TTBXCell Value);

  TNotifyEvent OnChange;
  TTPCellClick OnCellClick;
  TTPGetCellHint OnGetCellHint;
  TTPCalcImageSize OnCalcImageSize;
  TTPDrawCellImage OnDrawCellImage;
  TTPGetCellVisible OnGetCellVisible;

  TTBItemViewerClass GetItemViewerClass(TTBView* AView) override;

  // Called while a cell is measured, once its image size is known; nothing here.
  virtual void PaletteHook(TCanvas& Canvas, int& AWidth, int& AHeight);
  // The size of a cell's image: OnCalcImageSize may change it.
  virtual void DoCalcCellSize(TCanvas& Canvas, int& AWidth, int& AHeight);
  // Whether the click may change the selection (true unless OnCellClick refuses); the
  // handler may move it to another cell.
  virtual bool DoCellClick(int& ACol, int& ARow);
  virtual void DoChange();
  virtual void DoDrawCellImage(TCanvas& Canvas, const RECT& ARect, int ACol, int ARow, bool AEnabled, bool AHot,
                               bool ASelected);
  virtual void DoGetCellVisible(int ACol, int ARow, bool& AVisible);
  virtual void DoGetCellHint(int ACol, int ARow, String& HintText);
  // A click on a cell: DoCellClick, then the cell it answers becomes the selection unless the
  // click was refused or the options say otherwise. Answers whether the click was allowed.
  virtual bool HandleClickCell(int ACol, int ARow);

 protected:
  // The selection stored and the item re-measured, without DoChange.
  void StoreSelectedCell(TTBXCell Value);

 private:
  uint8_t colCount_ = 1;
  uint8_t rowCount_ = 1;
  TTBXToolPaletteOptions paletteOptions_ = 0;
  TTBXCell selectedCell_;
};

// A tool palette in one view: lays the grid out after an indent (the image column in a popup),
// hit-tests it, moves the hot cell with the mouse and the keys, and paints each cell as a
// button of the active theme with its image centred in it.
class TTBXToolViewer : public TTBXItemViewer {
 public:
  TTBXToolViewer(TTBView* AView, TTBCustomItem* AItem, int AGroupLevel);

  int CellWidth = 0;
  int CellHeight = 0;
  // The item's counts, taken at creation and at every measuring.
  int ColCount = 0;
  int RowCount = 0;
  TTBXCell HotCell;
  // Pixels left of the grid.
  int Indent = 0;
  bool MouseIsDown = false;

  TTBXCustomToolPalette* Palette() const;

  void CalcSize(TCanvas& Canvas, int& AWidth, int& AHeight) override;
  void Paint(TCanvas& Canvas, const RECT& ClientAreaRect, bool IsSelected, bool IsPushed,
             bool UseDisabledShadow) override;
  void Entering(TTBItemViewer* OldSelected) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void MouseDown(TShiftState Shift, int X, int Y, bool& MouseDownOnMenu) override;
  void MouseMove(int X, int Y) override;
  void MouseUp(int X, int Y, bool MouseWasDownOnMenu) override;
  // The hint of the cell under the cursor, kept while the cursor stays in that cell.
  void Dispatch(TMessage& Message) override;

  // The measures of a cell: its image and 3 pixels round it.
  virtual void GetCellSize(TCanvas& Canvas, int& AWidth, int& AHeight);
  // The image of a cell: the image list's size, else 16 x 16, as the item may change it.
  using TTBXItemViewer::GetImageSize;
  virtual void GetImageSize(TCanvas& Canvas, int& AWidth, int& AHeight);
  // The cell's rectangle within ARect, the viewer's rectangle wherever it lies.
  virtual RECT GetCellRect(const RECT& ARect, int ACol, int ARow);
  virtual void DrawCellImage(TCanvas& Canvas, const RECT& ARect, const TTBXItemInfo& ItemInfo, int ACol, int ARow);
  // Inside the grid, within the image list's images (unless the item draws its own), and not
  // refused by the item.
  virtual bool IsCellVisible(int ACol, int ARow);

  // The cell at a point relative to the viewer (usable or not).
  TTBXCell CellAt(int X, int Y);
  bool IsUsable(TTBXCell Cell) { return IsCellVisible(Cell.Col, Cell.Row); }

 private:
  RECT Bounds() const { return {0, 0, BoundsRect.right - BoundsRect.left, BoundsRect.bottom - BoundsRect.top}; }
  // The cell the keys move from: the hot cell, else the selected one, when usable.
  TTBXCell CurrentCell();
  void SetHotCell(TTBXCell Cell);
  void InvalidateCell(TTBXCell Cell);
  void CMHintShow(THintInfo& Info);
};

// ---------------------------------------------------------------------------------------------
// Colour sets

class TTBXColorPalette;

// Answers a cell's colour and name; left as they are (clNone and an empty name), a cell has none.
using TCSGetColorInfo = TEvent<void(TObject* Sender, int Col, int Row, TColor& Color, String& Name)>;

// Names the colour and the name at each cell of a grid. The palettes that show it register
// while it is their set, and follow its counts.
class TTBXCustomColorSet : public TComponent {
 public:
  explicit TTBXCustomColorSet(TComponent* AOwner);
  ~TTBXCustomColorSet() override;

  int ColCount() const { return colCount_; }
  int RowCount() const { return rowCount_; }
  // The palettes showing this set (not owned).
  const std::vector<TTBXColorPalette*>& Palettes() const { return palettes_; }

  TCSGetColorInfo OnGetColorInfo;

  // Stores both counts and gives them to every palette showing the set.
  virtual void UpdateSize(int ACols, int ARows);
  // "None" for clNone; else the name of the first cell with the same colour (row by row, system
  // colours by their present value), or "#" and the colour's hex digits in red-green-blue order
  // when that cell has no name or no cell matches.
  virtual String ColorToName(TColor AColor);
  // clNone and an empty name, then OnGetColorInfo.
  virtual void GetColorInfo(int ACol, int ARow, String& AName, TColor& AColor);

  // The colour GetColorInfo answers for the cell.
  TColor CellColor(int ACol, int ARow);

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TTBXColorPalette;
  void AddPalette(TTBXColorPalette* Palette);
  void RemovePalette(TTBXColorPalette* Palette);

  int colCount_ = 0;
  int rowCount_ = 0;
  std::vector<TTBXColorPalette*> palettes_;
};

// A set whose cells a form answers through OnGetColorInfo.
class TTBXColorSet : public TTBXCustomColorSet {
 public:
  using TTBXCustomColorSet::TTBXCustomColorSet;
  void SetColCount(int Value) { UpdateSize(Value, RowCount()); }
  void SetRowCount(int Value) { UpdateSize(ColCount(), Value); }
};

// The built-in 8 x 5 set of named colours.
class TTBXDefaultColorSet : public TTBXCustomColorSet {
 public:
  static constexpr int kColCount = 8;
  static constexpr int kRowCount = 5;
  explicit TTBXDefaultColorSet(TComponent* AOwner);
  void GetColorInfo(int ACol, int ARow, String& AName, TColor& AColor) override;
};

// The one built-in set, from the theme layer's start to its end; palettes without a set of
// their own show it.
extern TTBXDefaultColorSet* DefaultColorSetInstance;

// ---------------------------------------------------------------------------------------------
// The colour palette

// A palette of 18 x 18 colour swatches from its colour set (the built-in one without a set of
// its own); a cell without a colour is not usable. Its colour follows the selected cell.
class TTBXColorPalette : public TTBXCustomToolPalette {
 public:
  explicit TTBXColorPalette(TComponent* AOwner);
  ~TTBXColorPalette() override;

  TColor Color() const { return color_; }
  // Stores the colour and selects the first cell of the same colour (none when no cell has it),
  // re-measures, and runs DoChange once: OnChange fires. Callers presetting a palette unbind
  // OnChange around the write.
  void WriteColor(TColor Value);
  TTBXCustomColorSet* ColorSet() const { return colorSet_; }
  // Joins the set's palettes and takes its counts; none: the built-in set's counts.
  void SetColorSet(TTBXCustomColorSet* Value);

  // The cell's colour in the palette's set; clNone outside it.
  virtual TColor GetCellColor(int ACol, int ARow);

  void DoCalcCellSize(TCanvas& Canvas, int& AWidth, int& AHeight) override;
  void DoChange() override;
  void DoDrawCellImage(TCanvas& Canvas, const RECT& ARect, int ACol, int ARow, bool AEnabled, bool AHot,
                       bool ASelected) override;
  void DoGetCellVisible(int ACol, int ARow, bool& AVisible) override;
  void DoGetCellHint(int ACol, int ARow, String& HintText) override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  friend class TTBXCustomColorSet;
  // The palette's set, else the built-in one (none before the theme layer starts).
  TTBXCustomColorSet* EffectiveSet() const;
  // A set's counts, each kept within a palette's 0..255.
  void TakeCounts(int ACols, int ARows);
  void TakeBuiltInCounts();
  // Leaves the set's palettes and drops its free notification.
  void LeaveSet();
  // The set is going: the palette falls back to the built-in set.
  void DropSet();

  TColor color_ = clNone;
  TTBXCustomColorSet* colorSet_ = nullptr;
};

// The unit's start-up and end: the built-in set is made and freed.
void InitTBXToolPals();
void FinalizeTBXToolPals();
