#include "classlib/ActnList.h"

#include <algorithm>

TBasicAction::TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}

TBasicAction::~TBasicAction() {
  // The links outlive the action: they only forget it.
  while (!clients_.empty()) clients_.back()->SetAction(nullptr);
}

bool TBasicAction::Execute() {
  if (!onExecute_) return false;
  onExecute_(this);
  return true;
}

bool TBasicAction::Update() {
  if (!OnUpdate) return false;
  OnUpdate(this);
  return true;
}

void TBasicAction::SetOnExecute(const TNotifyEvent& Value) {
  if (Value == onExecute_) return;
  for (size_t i = 0; i < clients_.size(); ++i) clients_[i]->SetOnExecute(Value);
  onExecute_ = Value;
  Change();
}

void TBasicAction::RegisterChanges(TBasicActionLink* Link) {
  if (std::find(clients_.begin(), clients_.end(), Link) == clients_.end()) clients_.push_back(Link);
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* Link) {
  auto it = std::find(clients_.begin(), clients_.end(), Link);
  if (it != clients_.end()) clients_.erase(it);
}

void TBasicAction::Change() { OnChange(this); }

void TBasicAction::NotifyClients() {
  // Re-read the count: a client may let go of the action while it is told.
  for (size_t i = 0; i < clients_.size(); ++i) clients_[i]->Change();
}

TBasicActionLink::~TBasicActionLink() {
  if (action_) action_->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* Value) {
  if (Value == action_) return;
  if (action_) action_->UnRegisterChanges(this);
  action_ = Value;
  if (action_) action_->RegisterChanges(this);
}

bool TBasicActionLink::Execute(TComponent*) { return action_ && action_->Execute(); }

bool TBasicActionLink::Update() { return action_ && action_->Update(); }

void TBasicActionLink::Change() { OnChange(action_); }

TCustomAction::TCustomAction(TComponent* AOwner) : TBasicAction(AOwner) {}

template <class F>
void TCustomAction::ForEachLink(F&& f) {
  for (int i = 0; i < ClientCount(); ++i)
    if (auto* link = dynamic_cast<TActionLink*>(Client(i))) f(*link);
}

#define QN_ACTION_SETTER(Name, Type, field)               \
  void TCustomAction::Set##Name(Type Value) {             \
    if (Value == field) return;                           \
    ForEachLink([&](TActionLink& l) { l.Set##Name(Value); }); \
    field = Value;                                        \
    Change();                                             \
  }

QN_ACTION_SETTER(AutoCheck, bool, autoCheck_)
QN_ACTION_SETTER(Caption, const String&, caption_)
QN_ACTION_SETTER(Checked, bool, checked_)
QN_ACTION_SETTER(Enabled, bool, enabled_)
QN_ACTION_SETTER(HelpContext, int, helpContext_)
QN_ACTION_SETTER(Hint, const String&, hint_)
QN_ACTION_SETTER(ImageIndex, int, imageIndex_)
QN_ACTION_SETTER(ShortCut, TShortCut, shortCut_)
QN_ACTION_SETTER(Visible, bool, visible_)

#undef QN_ACTION_SETTER

bool TCustomAction::DoHint(String&) { return true; }

bool TCustomAction::Update() {
  if (TBasicAction::Update()) return true;
  if (disableIfNoHandler_) SetEnabled(static_cast<bool>(OnExecute()));
  return false;
}

bool TActionLink::ActionIsCustom() const { return dynamic_cast<TCustomAction*>(Action()) != nullptr; }
