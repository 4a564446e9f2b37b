#pragma once
// Edit items: an item that shows a caption and a text box in a menu or on a toolbar and lets the
// user type a text into it (a temporary edit control over the item runs a message loop of its
// own until the user accepts, cancels or leaves it); the action that carries an edit item's
// properties and its link; and the item that shows and hides a control.
#include "classlib/ActnList.h"
#include "classlib/StdCtrls.h"
#include "items/TB2Item.h"

class TTBEditItem;
class TTBEditItemViewer;

using TTBEditItemOptions = uint8_t;
enum : TTBEditItemOptions {
  tboUseEditWhenVertical = 1u << 0,  // the text box also in vertical views
};

// Why a text changed, as DoTextChanging and DoTextChanged hear it.
enum : int {
  tcrSetProperty = 0,  // the Text property was set
  tcrActionLink = 1,   // the linked action's text
  tcrEditControl = 2,  // the user accepted the text typed
};

using TTBAcceptTextEvent = TEvent<void(TObject* Sender, String& NewText, bool& Accept)>;
using TTBBeginEditEvent = TEvent<void(TTBEditItem* Sender, TTBEditItemViewer* Viewer, TEdit* EditControl)>;

class TTBEditItem : public TTBCustomItem {
 public:
  explicit TTBEditItem(TComponent* AOwner);

  // Sets the text for a reason: DoTextChanging first (the letter case applies), and only a real
  // change is stored, told (without resize) and followed by DoTextChanged.
  void SetTextEx(const String& Value, int Reason);
  void Clear() { SetText(String()); }

  const String& EditCaption() const { return editCaption_; }
  void SetEditCaption(const String& Value);
  TTBEditItemOptions EditOptions() const { return editOptions_; }
  void SetEditOptions(TTBEditItemOptions Value);
  int EditWidth() const { return editWidth_; }
  void SetEditWidth(int Value);
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int Value);
  TEditCharCase CharCase() const { return charCase_; }
  // The text is set again, so that the new case applies to it.
  void SetCharCase(TEditCharCase Value);
  const String& Text() const { return text_; }
  void SetText(const String& Value) { SetTextEx(Value, tcrSetProperty); }
  // Leaving the edit without Tab, Enter or Esc (a click elsewhere, the menu ending) accepts the
  // text too.
  bool ExtendedAccept() const { return extendedAccept_; }
  void SetExtendedAccept(bool Value) { extendedAccept_ = Value; }

  TTBAcceptTextEvent OnAcceptText;
  TTBBeginEditEvent OnBeginEdit;

  TTBItemViewerClass GetItemViewerClass(TTBView* AView) override;
  bool NeedToRecreateViewer(TTBItemViewer* AViewer) override;

  // Whether a typed text is taken: OnAcceptText may change it or refuse it.
  virtual bool DoAcceptText(String& NewText);
  // The edit control is made and holds the item's text.
  virtual void DoBeginEdit(TTBEditItemViewer* Viewer);
  virtual void DoTextChanging(const String& OldText, String& NewText, int Reason);
  virtual void DoTextChanged(int Reason);

 protected:
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  TTBCustomItemActionLinkClass GetActionLinkClass() override;

 private:
  bool UsesEditViewer(TTBView* AView) const;

  String editCaption_;
  TTBEditItemOptions editOptions_ = 0;
  int editWidth_ = 64;
  int maxLength_ = 0;
  TEditCharCase charCase_ = ecNormal;
  String text_;
  bool extendedAccept_ = false;
};

// --- the action and its link ------------------------------------------------------------------

// An action that carries the edit properties; it stays enabled without an execute handler.
// A change reaches the items that still show the action's old value.
class TTBEditAction : public TAction {
 public:
  explicit TTBEditAction(TComponent* AOwner);

  const String& EditCaption() const { return editCaption_; }
  void SetEditCaption(const String& Value);
  TTBEditItemOptions EditOptions() const { return editOptions_; }
  void SetEditOptions(TTBEditItemOptions Value);
  int EditWidth() const { return editWidth_; }
  void SetEditWidth(int Value);
  const String& Text() const { return text_; }
  void SetText(const String& Value);
  const TTBAcceptTextEvent& OnAcceptText() const { return onAcceptText_; }
  void SetOnAcceptText(const TTBAcceptTextEvent& Value);

 private:
  // Tells every edit item's link first (they compare with the old value), then stores.
  template <class T, class Fn>
  void Assign(T& Field, const T& Value, Fn&& TellLink);

  String editCaption_;
  TTBEditItemOptions editOptions_ = 0;
  int editWidth_ = 64;
  String text_;
  TTBAcceptTextEvent onAcceptText_;
};

class TTBEditItemActionLink : public TTBCustomItemActionLink {
 public:
  // The client must be an edit item.
  explicit TTBEditItemActionLink(TTBCustomItem* AClient);

  // Whether the client still shows the action's value.
  virtual bool IsEditCaptionLinked();
  virtual bool IsEditOptionsLinked();
  virtual bool IsEditWidthLinked();
  virtual bool IsOnAcceptTextLinked();
  virtual bool IsTextLinked();
  virtual void SetEditCaption(const String& Value);
  virtual void SetEditOptions(TTBEditItemOptions Value);
  virtual void SetEditWidth(int Value);
  virtual void SetOnAcceptText(const TTBAcceptTextEvent& Value);
  virtual void SetText(const String& Value);

 protected:
  void AssignClient(TObject* AClient) override;

 private:
  TTBEditAction* EditAction() const;
  TTBEditItem* editClient_ = nullptr;
};

// --- the viewer -----------------------------------------------------------------------------------

using TTBEditStatus = uint8_t;
enum : TTBEditStatus {
  ecsContinueLoop = 1u << 0,
  ecsAccept = 1u << 1,
  ecsClose = 1u << 2,
};

using TEditControlClass = TEdit* (*)(TComponent* AOwner);

class TTBEditItemViewer : public TTBItemViewer {
 public:
  using TTBItemViewer::TTBItemViewer;
  // Frees an edit control of a running edit and tells the edit's loop, which then ends at once.
  ~TTBEditItemViewer() override;

  TTBEditItem* EditItem() const;
  // The edit control while an edit runs, else null.
  TEdit* EditControl() const { return editControl_; }
  TTBEditStatus EditStatus() const { return editStatus_; }

  void CalcSize(TCanvas& Canvas, int& AWidth, int& AHeight) override;
  void Paint(TCanvas& Canvas, const RECT& ClientAreaRect, bool IsSelected, bool IsPushed,
             bool UseDisabledShadow) override;
  bool UsesSameWidth() override { return false; }
  bool CaptionShown() override;
  // The item's edit caption.
  String GetCaptionText() override;
  void GetCursor(const POINT& Pt, HCURSOR& ACursor) override;
  void MouseDown(TShiftState Shift, int X, int Y, bool& MouseDownOnMenu) override;
  void MouseUp(int X, int Y, bool MouseWasDownOnMenu) override;
  // Runs the edit; true when it accepted the text and closed the menu.
  bool DoExecute() override;
  int GetAccRole() override;
  bool GetAccValue(String& Value) override;

  virtual TEditControlClass GetEditControlClass();
  // Where the edit control goes (view-window coordinates).
  virtual void GetEditRect(RECT& R);

 protected:
  // Runs an edit over the item; true when the edit asked to close the menu.
  bool EditLoop(HWND CaptureWnd);
  // The edit control's window procedure while an edit runs.
  void EditWndProc(TMessage& Message);
  void MouseBeginEdit();

 private:
  struct TEditRun;
  enum class TEditEnd { ViewerGone, Stay, Close };
  TEditEnd RunEdit(HWND CaptureWnd);
  // Makes the edit control over the item, selected whole and focused.
  void BeginEdit(TEditRun& Run, const RECT& R);
  // The edit's message loop; a press elsewhere or a system key ends it and stays queued.
  void PumpEdit(TEditRun& Run, HWND CaptureWnd);
  bool KeepsEditing();
  bool MessageKeepsEditing(const MSG& Msg, HWND CaptureWnd);
  // What follows the loop: the extended accept, the focus given back, Tab's move.
  TEditEnd FinishEdit(TEditRun& Run, HWND CaptureWnd, String& Text);
  // Takes the edit control from the viewer and frees it, its own window procedure put back
  // first (the window's last messages must not reach this viewer).
  void FreeEditControl();
  void AcceptEditText();
  int CaptionWidth(HDC DC);

  TEdit* editControl_ = nullptr;
  TTBEditStatus editStatus_ = 0;
  TEditRun* run_ = nullptr;  // the edit running on this viewer
};

// --- the visibility toggle ---------------------------------------------------------------------

// Shows and hides a control; checked while the control is visible.
class TTBVisibilityToggleItem : public TTBCustomItem {
 public:
  using TTBCustomItem::TTBCustomItem;

  TControl* Control() const { return control_; }
  // An item without a caption takes the control's text.
  void SetControl(TControl* Value);

  void Click() override;
  void InitiateAction() override;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void UpdateProps();
  TControl* control_ = nullptr;
};
