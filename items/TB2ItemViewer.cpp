// The item viewer's life as the click queue sees it: counted with the thread's items, and its
// queued accessible selections cancelled when it dies.
#include "items/TB2Item.h"

TTBItemViewer::TTBItemViewer(TTBView* AView, TTBCustomItem* AItem, int AGroupLevel)
    : view_(AView), item_(AItem), groupLevel_(AGroupLevel) {
  IncItemViewerCount();
}

TTBItemViewer::~TTBItemViewer() {
  CancelQueuedClicks(this);
  DecItemViewerCount();
}

void TTBItemViewer::PostAccSelect(bool Execute) { QueueItemClick(this, Execute ? 1 : 0); }

void TTBItemViewer::AccSelect(bool) {}
