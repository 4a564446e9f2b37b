#pragma once
// Spies and helpers shared by the item tests.
#include "items/TB2Item.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace item_tests {

// One change notification as a listener saw it.
struct TNote {
  TTBCustomItem* Sender;
  bool Relayed;
  TTBItemChangedAction Action;
  int Index;
  TTBCustomItem* Item;
  bool operator==(const TNote&) const = default;
};

// Records the notifications of the items it listens to; an optional hook runs inside each one.
class TListener : public TObject {
 public:
  void Changed(TTBCustomItem* Sender, bool Relayed, TTBItemChangedAction Action, int Index, TTBCustomItem* Item) {
    Notes.push_back({Sender, Relayed, Action, Index, Item});
    if (Hook) Hook(Notes.back());
  }
  TTBItemChangedProc Proc() { return TTBItemChangedProc(this, &TListener::Changed); }
  // The notes without the begin/end-update brackets.
  std::vector<TNote> Changes() const {
    std::vector<TNote> result;
    for (const TNote& n : Notes)
      if (n.Action != tbicSubitemsBeginUpdate && n.Action != tbicSubitemsEndUpdate) result.push_back(n);
    return result;
  }
  std::vector<TNote> Notes;
  std::function<void(const TNote&)> Hook;
};

// Logs the clicks and popups of items under a name.
class TEventLog : public TObject {
 public:
  void Click(TObject* Sender) { Log.push_back("click " + NameOf(Sender)); if (OnClickHook) OnClickHook(Sender); }
  void Popup(TTBCustomItem* Sender, bool FromLink) {
    Log.push_back(std::string("popup ") + NameOf(Sender) + (FromLink ? " link" : ""));
    if (OnPopupHook) OnPopupHook(Sender);
  }
  static std::string NameOf(TObject* o) {
    std::string s;
    if (auto* c = dynamic_cast<TComponent*>(o))
      for (wchar_t ch : c->Name()) s += static_cast<char>(ch);
    return s;
  }
  TNotifyEvent ClickEvent() { return TNotifyEvent(this, &TEventLog::Click); }
  TTBPopupEvent PopupEvent() { return TTBPopupEvent(this, &TEventLog::Popup); }
  std::vector<std::string> Log;
  std::function<void(TObject*)> OnClickHook;
  std::function<void(TTBCustomItem*)> OnPopupHook;
};

// The items of an owner that have no parent, each with its children: "root(a,b(c)) loose".
inline std::string TreeOf(TComponent* owner) {
  std::function<void(std::string&, TTBCustomItem*)> describe = [&](std::string& out, TTBCustomItem* item) {
    out += TEventLog::NameOf(item);
    for (int i = 0; i < item->Count(); ++i) {
      out += i == 0 ? '(' : ',';
      describe(out, item->Items(i));
    }
    if (item->Count()) out += ')';
  };
  std::string tree;
  for (int i = 0; i < owner->ComponentCount(); ++i) {
    auto* item = dynamic_cast<TTBCustomItem*>(owner->Components(i));
    if (!item || item->Parent()) continue;
    if (!tree.empty()) tree += ' ';
    describe(tree, item);
  }
  return tree;
}

// Owns every item a test makes; named items log their clicks and popups.
class TItemFactory {
 public:
  TItemFactory() : owner_(new TComponent(nullptr)) {}
  ~TItemFactory() {
    if (owner_) owner_->Free();
  }
  TComponent* Owner() const { return owner_; }
  template <class T = TTBItem>
  T* Make(const wchar_t* name, TTBCustomItem* parent = nullptr) {
    auto* item = new T(owner_);
    item->SetName(name);
    item->OnClick = Events.ClickEvent();
    item->OnPopup = Events.PopupEvent();
    if (parent) parent->Add(item);
    return item;
  }
  TEventLog Events;

 private:
  TComponent* owner_;
};

}  // namespace item_tests
