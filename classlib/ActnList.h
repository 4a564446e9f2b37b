#pragma once
// Actions: a command with its caption, state and shortcut that several clients (menu items,
// buttons) follow through action links.
#include "classlib/Classes.h"
#include "classlib/Menus.h"

#include <vector>

class TBasicActionLink;

class TBasicAction : public TComponent {
 public:
  explicit TBasicAction(TComponent* AOwner);
  ~TBasicAction() override;

  // Runs OnExecute; false when there is none.
  virtual bool Execute();
  // Runs OnUpdate; false when there is none.
  virtual bool Update();

  const TNotifyEvent& OnExecute() const { return onExecute_; }
  void SetOnExecute(const TNotifyEvent& Value);
  TNotifyEvent OnUpdate;

  void RegisterChanges(TBasicActionLink* Link);
  void UnRegisterChanges(TBasicActionLink* Link);
  // Tells every client to take over all of the action's values again. A single property's
  // change reaches only the clients that still agree with the action's old value.
  void NotifyClients();
  // Fired after a property of the action changed.
  TNotifyEvent OnChange;

 protected:
  void Change();
  int ClientCount() const { return static_cast<int>(clients_.size()); }
  TBasicActionLink* Client(int Index) const { return clients_[static_cast<size_t>(Index)]; }

 private:
  TNotifyEvent onExecute_;
  std::vector<TBasicActionLink*> clients_;
};

// A client's link to an action. The client's own link class overrides the tests and setters.
class TBasicActionLink : public TObject {
 public:
  TBasicActionLink() = default;
  ~TBasicActionLink() override;

  TBasicAction* Action() const { return action_; }
  virtual void SetAction(TBasicAction* Value);
  virtual bool Execute(TComponent* Target = nullptr);
  virtual bool Update();
  // Called with the action whenever the action changes.
  TNotifyEvent OnChange;

 protected:
  friend class TBasicAction;
  friend class TCustomAction;
  virtual void AssignClient(TObject*) {}
  virtual void Change();
  virtual bool IsOnExecuteLinked() { return true; }
  virtual void SetOnExecute(const TNotifyEvent&) {}

 private:
  TBasicAction* action_ = nullptr;
};

class TCustomAction : public TBasicAction {
 public:
  explicit TCustomAction(TComponent* AOwner);

  bool AutoCheck() const { return autoCheck_; }
  void SetAutoCheck(bool Value);
  const String& Caption() const { return caption_; }
  void SetCaption(const String& Value);
  bool Checked() const { return checked_; }
  void SetChecked(bool Value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int Value);
  const String& Hint() const { return hint_; }
  void SetHint(const String& Value);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int Value);
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut Value);
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);

  // Lets the action adjust a hint before it is shown; false suppresses it.
  virtual bool DoHint(String& HintStr);
  // With nothing to update it (no OnUpdate), an action that disables itself without a handler
  // is enabled exactly while it has an OnExecute.
  bool Update() override;
  bool DisableIfNoHandler() const { return disableIfNoHandler_; }
  void SetDisableIfNoHandler(bool Value) { disableIfNoHandler_ = Value; }

 private:
  template <class F>
  void ForEachLink(F&& f);

  bool autoCheck_ = false;
  bool disableIfNoHandler_ = true;
  String caption_;
  bool checked_ = false;
  bool enabled_ = true;
  int helpContext_ = 0;
  String hint_;
  int imageIndex_ = -1;
  TShortCut shortCut_ = 0;
  bool visible_ = true;
};

class TAction : public TCustomAction {
 public:
  using TCustomAction::TCustomAction;
};

// The link of clients that show an action's caption and state. Each test answers whether the
// client follows that property of the action; each setter is told a new value.
class TActionLink : public TBasicActionLink {
 protected:
  friend class TCustomAction;
  bool ActionIsCustom() const;
  virtual bool IsCaptionLinked() { return ActionIsCustom(); }
  virtual bool IsCheckedLinked() { return ActionIsCustom(); }
  virtual bool IsEnabledLinked() { return ActionIsCustom(); }
  virtual bool IsHelpContextLinked() { return ActionIsCustom(); }
  virtual bool IsHintLinked() { return ActionIsCustom(); }
  virtual bool IsImageIndexLinked() { return ActionIsCustom(); }
  virtual bool IsShortCutLinked() { return ActionIsCustom(); }
  virtual bool IsVisibleLinked() { return ActionIsCustom(); }
  virtual void SetAutoCheck(bool) {}
  virtual void SetCaption(const String&) {}
  virtual void SetChecked(bool) {}
  virtual void SetEnabled(bool) {}
  virtual void SetHelpContext(int) {}
  virtual void SetHint(const String&) {}
  virtual void SetImageIndex(int) {}
  virtual void SetShortCut(TShortCut) {}
  virtual void SetVisible(bool) {}
};
