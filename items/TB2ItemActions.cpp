// An item bound to an action: the action's caption, state, shortcut and execute handler flow
// into the item while the item still agrees with the action.
#include "items/TB2Item.h"

#include <functional>

TBasicAction* TTBCustomItem::Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }

void TTBCustomItem::SetAction(TBasicAction* Value) {
  if (!Value) {
    actionLink_.reset();
    return;
  }
  if (!actionLink_) actionLink_.reset(GetActionLinkClass()(this));
  actionLink_->SetAction(Value);
  actionLink_->OnChange = TNotifyEvent(this, &TTBCustomItem::DoActionChange);
  TLifeWatch self(this);
  ActionChange(Value, Value->Loading() || Loading());
  if (!self.Gone()) Value->FreeNotification(this);
}

void TTBCustomItem::DoActionChange(TObject* Sender) {
  if (Sender == Action()) ActionChange(Sender, false);
}

void TTBCustomItem::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* action = dynamic_cast<TCustomAction*>(Sender);
  if (!action) return;
  // While loading, only the values the item still holds at their defaults are taken over. The
  // setters tell listeners, which may free the item: then nothing more of it is touched.
  const std::function<void()> steps[] = {
      [&] { if (!CheckDefaults || !autoCheck_) autoCheck_ = action->AutoCheck(); },
      [&] { if (!CheckDefaults || caption_.empty()) SetCaption(action->Caption()); },
      [&] { if (!CheckDefaults || !checked_) SetChecked(action->Checked()); },
      [&] { if (!CheckDefaults || enabled_) SetEnabled(action->Enabled()); },
      [&] { if (!CheckDefaults || helpContext_ == 0) helpContext_ = action->HelpContext(); },
      [&] { if (!CheckDefaults || hint_.empty()) hint_ = action->Hint(); },
      [&] { if (!CheckDefaults || imageIndex_ == -1) SetImageIndex(action->ImageIndex()); },
      [&] { if (!CheckDefaults || shortCut_ == 0) shortCut_ = action->ShortCut(); },
      [&] { if (!CheckDefaults || visible_) SetVisible(action->Visible()); },
      [&] { if (!CheckDefaults || !OnClick) OnClick = action->OnExecute(); },
  };
  TLifeWatch self(this);
  for (const auto& step : steps) {
    step();
    if (self.Gone()) return;
  }
}

TTBCustomItemActionLinkClass TTBCustomItem::GetActionLinkClass() {
  return [](TTBCustomItem* client) { return new TTBCustomItemActionLink(client); };
}

void TTBCustomItem::InitiateAction() {
  if (actionLink_) actionLink_->Update();
}

// --- the link -------------------------------------------------------------------------------

TTBCustomItemActionLink::TTBCustomItemActionLink(TTBCustomItem* AClient) : client_(AClient) {}

void TTBCustomItemActionLink::AssignClient(TObject* AClient) {
  auto* item = dynamic_cast<TTBCustomItem*>(AClient);
  if (AClient && !item) throw EInvalidCast(L"Invalid class typecast");
  client_ = item;
}

namespace {
TCustomAction* CustomAction(TBasicAction* action) { return dynamic_cast<TCustomAction*>(action); }
}  // namespace

// The tests below run only after the base test, which requires a custom action.
bool TTBCustomItemActionLink::IsCaptionLinked() {
  return TActionLink::IsCaptionLinked() && client_->Caption() == CustomAction(Action())->Caption();
}
bool TTBCustomItemActionLink::IsCheckedLinked() {
  return TActionLink::IsCheckedLinked() && client_->Checked() == CustomAction(Action())->Checked();
}
bool TTBCustomItemActionLink::IsEnabledLinked() {
  return TActionLink::IsEnabledLinked() && client_->Enabled() == CustomAction(Action())->Enabled();
}
bool TTBCustomItemActionLink::IsHelpContextLinked() {
  return TActionLink::IsHelpContextLinked() && client_->HelpContext() == CustomAction(Action())->HelpContext();
}
bool TTBCustomItemActionLink::IsHintLinked() {
  return TActionLink::IsHintLinked() && client_->Hint() == CustomAction(Action())->Hint();
}
bool TTBCustomItemActionLink::IsImageIndexLinked() {
  return TActionLink::IsImageIndexLinked() && client_->ImageIndex() == CustomAction(Action())->ImageIndex();
}
bool TTBCustomItemActionLink::IsShortCutLinked() {
  return TActionLink::IsShortCutLinked() && client_->ShortCut() == CustomAction(Action())->ShortCut();
}
bool TTBCustomItemActionLink::IsVisibleLinked() {
  return TActionLink::IsVisibleLinked() && client_->Visible() == CustomAction(Action())->Visible();
}
bool TTBCustomItemActionLink::IsOnExecuteLinked() {
  return TActionLink::IsOnExecuteLinked() && Action() && MethodsEqual(client_->OnClick, Action()->OnExecute());
}
// Every AutoCheck item with a link asks this on each click: a plain action simply does not
// supply the flag.
bool TTBCustomItemActionLink::IsAutoCheckLinked() {
  TCustomAction* action = CustomAction(Action());
  return action && client_->AutoCheck() == action->AutoCheck();
}

void TTBCustomItemActionLink::SetOnExecute(const TNotifyEvent& Value) {
  if (IsOnExecuteLinked()) client_->OnClick = Value;
}
void TTBCustomItemActionLink::SetAutoCheck(bool Value) {
  if (IsAutoCheckLinked()) client_->autoCheck_ = Value;
}
void TTBCustomItemActionLink::SetCaption(const String& Value) {
  if (IsCaptionLinked()) client_->SetCaption(Value);
}
void TTBCustomItemActionLink::SetChecked(bool Value) {
  if (IsCheckedLinked()) client_->SetChecked(Value);
}
void TTBCustomItemActionLink::SetEnabled(bool Value) {
  if (IsEnabledLinked()) client_->SetEnabled(Value);
}
void TTBCustomItemActionLink::SetHelpContext(int Value) {
  if (IsHelpContextLinked()) client_->helpContext_ = Value;
}
void TTBCustomItemActionLink::SetHint(const String& Value) {
  if (IsHintLinked()) client_->hint_ = Value;
}
void TTBCustomItemActionLink::SetImageIndex(int Value) {
  if (IsImageIndexLinked()) client_->SetImageIndex(Value);
}
void TTBCustomItemActionLink::SetShortCut(TShortCut Value) {
  if (IsShortCutLinked()) client_->shortCut_ = Value;
}
void TTBCustomItemActionLink::SetVisible(bool Value) {
  if (IsVisibleLinked()) client_->SetVisible(Value);
}
