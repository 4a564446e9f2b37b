// The view's selection, priority, keyboard and wheel navigation, scrolling and ending.
#include "items/TB2View.h"

void TTBView::Select(TTBItemViewer* Value, bool ViaMouse) {
  selected_ = Value;
  selectedViaMouse_ = ViaMouse;
}
void TTBView::UpdateSelection(const POINT*, bool) {}
TTBItemViewer* TTBView::FirstSelectable() { return nullptr; }
TTBItemViewer* TTBView::NextSelectable(TTBItemViewer*, bool) { return nullptr; }
TTBItemViewer* TTBView::NextSelectableWithAccel(TTBItemViewer*, wchar_t, bool, bool&) { return nullptr; }
void TTBView::GivePriority(TTBItemViewer*) {}
TTBItemViewer* TTBView::HighestPriorityViewer() { return nullptr; }
void TTBView::ScrollSelectedIntoView() {}
void TTBView::Scroll(bool) {}
void TTBView::KeyDown(WORD&, TShiftState) {}
void TTBView::MouseWheel(int, int, int) {}
void TTBView::EndModal() {}
void TTBView::EndModalWithClick(TTBItemViewer*) {}
void TTBView::EndModalWithHelp(int) {}
void TTBView::EndModalWithSystemMenu(HWND, WPARAM) {}
void TTBView::ExecuteSelected(bool) {}
TTBItemViewer* TTBView::ChevronParentViewer(int) { return nullptr; }
