// The list item: its properties and events, the chosen row reaching every viewer, and how one
// row is painted.
#include "classlib/ScopeGuard.h"
#include "tbx/TBXLists.h"

#include <algorithm>

TTBXCustomList::TTBXCustomList(TComponent* AOwner) : TTBXCustomItem(AOwner) {}

TTBXCustomList::~TTBXCustomList() = default;

void TTBXCustomList::SetMinWidth(int Value) { SetAndResize(minWidth_, Value); }
void TTBXCustomList::SetMaxWidth(int Value) { SetAndResize(maxWidth_, Value); }
void TTBXCustomList::SetMaxVisibleItems(int Value) { SetAndResize(maxVisibleItems_, Value); }
void TTBXCustomList::SetShowImages(bool Value) { SetAndResize(showImages_, Value); }

TTBItemViewerClass TTBXCustomList::GetItemViewerClass(TTBView*) { return CreateItemViewerOf<TTBXCustomListViewer>; }

void TTBXCustomList::SetItemIndex(int Value) {
  if (Value < 0) Value = -1;
  itemIndex_ = Value;
  if (viewers_) {
    // A viewer may go while the others follow (a handler of the hot row frees it).
    const std::vector<TTBItemViewer*> viewers = *viewers_;
    for (TTBItemViewer* viewer : viewers)
      if (viewers_ && std::find(viewers_->begin(), viewers_->end(), viewer) != viewers_->end())
        static_cast<TTBXCustomListViewer*>(viewer)->SetHoverIndex(Value);
  }
  DoChange(Value);
}

void TTBXCustomList::DoChange(int) { OnChange(this); }
void TTBXCustomList::HandleHover(int) {}

// --- what the events may change ---------------------------------------------------------------

bool TTBXCustomList::DoClearItem(TCanvas& Canvas, const RECT& ARect, int AIndex, int AHoverIndex) {
  bool drawDefault = true;
  OnClearItem(this, Canvas, ARect, AIndex, AHoverIndex, drawDefault);
  return drawDefault;
}

bool TTBXCustomList::DoDrawItem(TCanvas& Canvas, const RECT& ARect, int AIndex, int AHoverIndex) {
  bool drawDefault = true;
  OnDrawItem(this, Canvas, ARect, AIndex, AHoverIndex, drawDefault);
  return drawDefault;
}

void TTBXCustomList::DoMeasureHeight(TCanvas& Canvas, int& AHeight) { OnMeasureHeight(this, Canvas, AHeight); }

void TTBXCustomList::DoMeasureWidth(TCanvas& Canvas, int AIndex, int& AWidth) {
  OnMeasureWidth(this, Canvas, AIndex, AWidth);
}

int TTBXCustomList::GetImageIndex(int AIndex) {
  int image = AIndex;
  OnAdjustImageIndex(this, AIndex, image);
  return image;
}

TCustomImageList* TTBXCustomList::RowImages(TTBItemViewer* AViewer) const {
  return showImages_ && AViewer ? AViewer->GetImageList() : nullptr;
}

// --- one row ------------------------------------------------------------------------------------

void TTBXCustomList::DrawItem(TCanvas& Canvas, TTBXCustomListViewer* AViewer, const RECT& ARect, int AIndex,
                              int AHoverIndex) {
  const bool hot = AIndex == AHoverIndex;
  Canvas.Brush().SetColor(hot ? clHighlight : clWindow);
  if (DoClearItem(Canvas, ARect, AIndex, AHoverIndex)) Canvas.FillRect(ARect);
  Canvas.Font().SetColor(hot ? clHighlightText : clWindowText);
  if (!DoDrawItem(Canvas, ARect, AIndex, AHoverIndex)) return;
  RECT r{ARect.left + 4, ARect.top - 1, ARect.right - 4, ARect.bottom + 1};
  if (TCustomImageList* images = RowImages(AViewer)) {
    const int index = GetImageIndex(AIndex), top = (r.top + r.bottom - images->Height()) / 2;
    if (Enabled())
      images->Draw(Canvas, r.left, top, index, true);
    else
      PaintImageWithState(Canvas, RECT{r.left, top, r.left + images->Width(), top + images->Height()}, images, index,
                          isfDisabled);
    r.left += images->Width() + 4;
  }
  String text;
  GetItemText(AIndex, text);
  if (text.empty()) return;
  Canvas.Brush().SetStyle(bsClear);
  TScopeGuard solidAgain([&] { Canvas.Brush().SetStyle(bsSolid); });
  Canvas.DrawText(text, r, DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
}
