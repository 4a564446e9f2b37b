// The edit item, the edit action and its link, and the visibility toggle item.
#include "items/TB2ExtItems.h"

#include "classlib/SysUtils.h"
#include "items/TB2View.h"

#include <functional>

// --- the edit item --------------------------------------------------------------------------------

TTBEditItem::TTBEditItem(TComponent* AOwner) : TTBCustomItem(AOwner) {}

void TTBEditItem::SetTextEx(const String& Value, int Reason) {
  String newText = Value;
  TLifeWatch self(this);
  DoTextChanging(text_, newText, Reason);
  if (self.Gone() || newText == text_) return;
  text_ = newText;
  Change(false);
  if (!self.Gone()) DoTextChanged(Reason);
}

void TTBEditItem::SetEditCaption(const String& Value) {
  if (Value == editCaption_) return;
  editCaption_ = Value;
  Change(true);
}

void TTBEditItem::SetEditOptions(TTBEditItemOptions Value) {
  if (Value == editOptions_) return;
  editOptions_ = Value;
  Change(true);
}

void TTBEditItem::SetEditWidth(int Value) {
  if (Value == editWidth_) return;
  editWidth_ = Value;
  Change(true);
}

void TTBEditItem::SetMaxLength(int Value) {
  if (Value == maxLength_) return;
  maxLength_ = Value;
  Change(false);
}

void TTBEditItem::SetCharCase(TEditCharCase Value) {
  if (Value == charCase_) return;
  charCase_ = Value;
  SetText(text_);
}

void TTBEditItem::DoTextChanging(const String&, String& NewText, int) {
  if (charCase_ == ecUpperCase)
    NewText = AnsiUpperCase(NewText);
  else if (charCase_ == ecLowerCase)
    NewText = AnsiLowerCase(NewText);
}

void TTBEditItem::DoTextChanged(int) {}

bool TTBEditItem::DoAcceptText(String& NewText) {
  bool accept = true;
  OnAcceptText(this, NewText, accept);
  return accept;
}

void TTBEditItem::DoBeginEdit(TTBEditItemViewer* Viewer) { OnBeginEdit(this, Viewer, Viewer->EditControl()); }

bool TTBEditItem::UsesEditViewer(TTBView* AView) const {
  return (editOptions_ & tboUseEditWhenVertical) || !AView || AView->Orientation() != tbvoVertical;
}

TTBItemViewerClass TTBEditItem::GetItemViewerClass(TTBView* AView) {
  // In a vertical view without the option the item is an ordinary button showing its Caption.
  return UsesEditViewer(AView) ? CreateItemViewerOf<TTBEditItemViewer> : TTBCustomItem::GetItemViewerClass(AView);
}

bool TTBEditItem::NeedToRecreateViewer(TTBItemViewer* AViewer) {
  return UsesEditViewer(AViewer->View()) != (dynamic_cast<TTBEditItemViewer*>(AViewer) != nullptr);
}

void TTBEditItem::ActionChange(TObject* Sender, bool CheckDefaults) {
  TLifeWatch self(this);
  TTBCustomItem::ActionChange(Sender, CheckDefaults);
  auto* action = dynamic_cast<TTBEditAction*>(Sender);
  if (self.Gone() || !action) return;
  // The width is the item's own. Each setter tells listeners, which may free the item.
  const std::function<void()> steps[] = {
      [&] { if (!CheckDefaults || editCaption_.empty()) SetEditCaption(action->EditCaption()); },
      [&] { if (!CheckDefaults || editOptions_ == 0) SetEditOptions(action->EditOptions()); },
      [&] { if (!CheckDefaults || text_.empty()) SetTextEx(action->Text(), tcrActionLink); },
      [&] { if (!CheckDefaults || !OnAcceptText) OnAcceptText = action->OnAcceptText(); },
  };
  for (const auto& step : steps) {
    step();
    if (self.Gone()) return;
  }
}

TTBCustomItemActionLinkClass TTBEditItem::GetActionLinkClass() {
  return [](TTBCustomItem* client) -> TTBCustomItemActionLink* { return new TTBEditItemActionLink(client); };
}

// --- the edit action --------------------------------------------------------------------------------

TTBEditAction::TTBEditAction(TComponent* AOwner) : TAction(AOwner) { SetDisableIfNoHandler(false); }

template <class T, class Fn>
void TTBEditAction::Assign(T& Field, const T& Value, Fn&& TellLink) {
  if (Field == Value) return;
  for (int i = 0; i < ClientCount(); ++i)
    if (auto* link = dynamic_cast<TTBEditItemActionLink*>(Client(i))) TellLink(*link);
  Field = Value;
  Change();
}

void TTBEditAction::SetEditCaption(const String& Value) {
  Assign(editCaption_, Value, [&](TTBEditItemActionLink& l) { l.SetEditCaption(Value); });
}

void TTBEditAction::SetEditOptions(TTBEditItemOptions Value) {
  Assign(editOptions_, Value, [&](TTBEditItemActionLink& l) { l.SetEditOptions(Value); });
}

void TTBEditAction::SetEditWidth(int Value) {
  Assign(editWidth_, Value, [&](TTBEditItemActionLink& l) { l.SetEditWidth(Value); });
}

void TTBEditAction::SetText(const String& Value) {
  Assign(text_, Value, [&](TTBEditItemActionLink& l) { l.SetText(Value); });
}

void TTBEditAction::SetOnAcceptText(const TTBAcceptTextEvent& Value) {
  Assign(onAcceptText_, Value, [&](TTBEditItemActionLink& l) { l.SetOnAcceptText(Value); });
}

// --- the link ---------------------------------------------------------------------------------------

TTBEditItemActionLink::TTBEditItemActionLink(TTBCustomItem* AClient) : TTBCustomItemActionLink(AClient) {
  AssignClient(AClient);
}

void TTBEditItemActionLink::AssignClient(TObject* AClient) {
  auto* item = dynamic_cast<TTBEditItem*>(AClient);
  if (AClient && !item) throw EInvalidCast(L"Invalid class typecast");
  TTBCustomItemActionLink::AssignClient(AClient);
  editClient_ = item;
}

TTBEditAction* TTBEditItemActionLink::EditAction() const { return dynamic_cast<TTBEditAction*>(Action()); }

// A client follows the action only while it still shows the action's value.
bool TTBEditItemActionLink::IsEditCaptionLinked() {
  TTBEditAction* action = EditAction();
  return action && editClient_ && editClient_->EditCaption() == action->EditCaption();
}
bool TTBEditItemActionLink::IsEditOptionsLinked() {
  TTBEditAction* action = EditAction();
  return action && editClient_ && editClient_->EditOptions() == action->EditOptions();
}
bool TTBEditItemActionLink::IsEditWidthLinked() {
  TTBEditAction* action = EditAction();
  return action && editClient_ && editClient_->EditWidth() == action->EditWidth();
}
bool TTBEditItemActionLink::IsOnAcceptTextLinked() {
  TTBEditAction* action = EditAction();
  return action && editClient_ && MethodsEqual(editClient_->OnAcceptText, action->OnAcceptText());
}
bool TTBEditItemActionLink::IsTextLinked() {
  TTBEditAction* action = EditAction();
  return action && editClient_ && editClient_->Text() == action->Text();
}

void TTBEditItemActionLink::SetEditCaption(const String& Value) {
  if (IsEditCaptionLinked()) editClient_->SetEditCaption(Value);
}
void TTBEditItemActionLink::SetEditOptions(TTBEditItemOptions Value) {
  if (IsEditOptionsLinked()) editClient_->SetEditOptions(Value);
}
void TTBEditItemActionLink::SetEditWidth(int Value) {
  if (IsEditWidthLinked()) editClient_->SetEditWidth(Value);
}
void TTBEditItemActionLink::SetOnAcceptText(const TTBAcceptTextEvent& Value) {
  if (IsOnAcceptTextLinked()) editClient_->OnAcceptText = Value;
}
void TTBEditItemActionLink::SetText(const String& Value) {
  if (IsTextLinked()) editClient_->SetTextEx(Value, tcrActionLink);
}

// --- the visibility toggle ----------------------------------------------------------------------------

void TTBVisibilityToggleItem::SetControl(TControl* Value) {
  if (Value == control_) return;
  if (control_) control_->RemoveFreeNotification(this);
  control_ = Value;
  if (control_) {
    control_->FreeNotification(this);
    if (Caption().empty() && !(ComponentState() & csLoading)) SetCaption(control_->Text());
  }
  UpdateProps();
}

void TTBVisibilityToggleItem::Click() {
  if (control_) {
    TLifeWatch self(this);
    control_->SetVisible(!control_->Visible());
    if (self.Gone()) return;
  }
  TTBCustomItem::Click();
}

void TTBVisibilityToggleItem::InitiateAction() {
  TLifeWatch self(this);
  TTBCustomItem::InitiateAction();
  if (!self.Gone()) UpdateProps();
}

void TTBVisibilityToggleItem::UpdateProps() {
  if (ComponentState() & (csLoading | csDestroying | csDesigning)) return;
  SetChecked(control_ && control_->Visible());
}

void TTBVisibilityToggleItem::Notification(TComponent* AComponent, TOperation Operation) {
  TTBCustomItem::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent && AComponent == control_) SetControl(nullptr);
}
