// The click queue: a chosen command runs from the message loop after its menu has closed. Each
// thread that creates items has its own hidden window and slot list; a queued object that dies
// before its message arrives leaves a marker in its slot.
#include "items/TB2Item.h"

#include "classlib/Forms.h"

namespace {

TObject* const kFreedClickMarker = reinterpret_cast<TObject*>(1);

// Trivially destructible, so that items destroyed late in the thread's life still find it.
struct TClickQueueState {
  HWND ClickWnd;
  std::vector<TObject*>* ClickList;  // owned; created with the window, freed with it
  int ItemViewerCount;
};
thread_local TClickQueueState Queue = {nullptr, nullptr, 0};

// The method the hidden windows' messages go to. It holds nothing, so one serves every thread;
// never destroyed, so that a queue still there at the process's end reaches it.
class TClickWindowTarget : public TObject {
 public:
  void WndProc(TMessage& Message) { TTBCustomItem::ClickWndProc(Message); }
};

void TrimClickList() {
  std::vector<TObject*>& list = *Queue.ClickList;
  while (!list.empty() && list.back() == nullptr) list.pop_back();
}

TTBHelpContextHandler HelpContextHandler = nullptr;

}  // namespace

void QueueItemClick(TObject* AObject, WPARAM WParam) {
  if (!Queue.ClickWnd)
    Queue.ClickWnd = AllocateHWnd(TWndMethod(&ProcessWide<TClickWindowTarget>(), &TClickWindowTarget::WndProc));
  if (!Queue.ClickList) Queue.ClickList = new std::vector<TObject*>();
  std::vector<TObject*>& list = *Queue.ClickList;
  size_t slot = 0;
  while (slot < list.size() && list[slot] != nullptr) ++slot;
  if (slot == list.size())
    list.push_back(AObject);
  else
    list[slot] = AObject;
  if (!PostMessageW(Queue.ClickWnd, WM_TB_CLICKITEM, WParam, static_cast<LPARAM>(slot))) {
    // The click is lost, but its slot must not stay taken for ever.
    list[slot] = nullptr;
    TrimClickList();
  }
}

void CancelQueuedClicks(TObject* AObject) {
  if (!Queue.ClickList || !AObject) return;
  for (TObject*& entry : *Queue.ClickList)
    if (entry == AObject) entry = kFreedClickMarker;
}

void IncItemViewerCount() { ++Queue.ItemViewerCount; }

void DecItemViewerCount() {
  if (--Queue.ItemViewerCount == 0) FreeClickQueue();
}

void FreeClickQueue() {
  if (Queue.ClickWnd) {
    HWND wnd = Queue.ClickWnd;
    DeallocateHWnd(wnd);
    Queue.ClickWnd = nullptr;
  }
  delete Queue.ClickList;
  Queue.ClickList = nullptr;
}

void TTBCustomItem::ClickWndProc(TMessage& Message) {
  if (Message.Msg != WM_TB_CLICKITEM) {
    Message.Result = DefWindowProcW(Queue.ClickWnd, Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  if (!Queue.ClickList) return;
  std::vector<TObject*>& list = *Queue.ClickList;
  TObject* object = nullptr;
  const LPARAM slot = Message.LParam;
  if (slot >= 0 && static_cast<size_t>(slot) < list.size()) {
    object = list[static_cast<size_t>(slot)];
    list[static_cast<size_t>(slot)] = nullptr;
    if (object == kFreedClickMarker) object = nullptr;
  }
  TrimClickList();
  if (!object) return;
  // The click may free the queue itself: nothing of it is touched after this point.
  try {
    if (auto* item = dynamic_cast<TTBCustomItem*>(object))
      item->Click();
    else if (auto* viewer = dynamic_cast<TTBItemViewer*>(object))
      viewer->AccSelect(Message.WParam != 0);
  } catch (...) {
    HandleBoundaryException();
  }
}

void TTBCustomItem::PostClick() { QueueItemClick(this, 0); }

void SetTBHelpContextHandler(TTBHelpContextHandler Handler) { HelpContextHandler = Handler; }

TTBCustomItem* ProcessDoneAction(const TTBDoneActionData& DoneActionData, bool ReturnClickedItemOnly) {
  switch (DoneActionData.DoneAction) {
    case tbdaClickItem: {
      if (DoneActionData.Sound && NeedToPlaySound(L"MenuCommand")) PlayMenuSound(L"MenuCommand");
      TTBCustomItem* item = DoneActionData.ClickItem;
      if (item && !ReturnClickedItemOnly) item->PostClick();
      return item;
    }
    case tbdaOpenSystemMenu:
      SendMessageW(DoneActionData.SystemMenuWnd, WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(DoneActionData.SystemMenuKey));
      return nullptr;
    case tbdaHelpContext:
      if (HelpContextHandler) {
        HelpContextHandler(DoneActionData.ContextID);
      } else if (Application) {
        // Popup help where the active form shows the help button, else the help topic.
        TCustomForm* form = Screen ? Screen->ActiveForm() : nullptr;
        ULONG_PTR context = static_cast<ULONG_PTR>(DoneActionData.ContextID);
        if (form && (form->BorderIcons() & biHelp)) Application->HelpCommand(HELP_CONTEXTPOPUP, context);
        else Application->HelpContext(context);
      }
      return nullptr;
    case tbdaNone:
    case tbdaCancel:
      break;
  }
  return nullptr;
}

namespace tb2item_detail {
const std::vector<TObject*>* ClickList() { return Queue.ClickList; }
HWND ClickWnd() { return Queue.ClickWnd; }
int ItemViewerCount() { return Queue.ItemViewerCount; }
TObject* FreedClickMarker() { return kFreedClickMarker; }
}  // namespace tb2item_detail
