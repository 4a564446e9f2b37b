#pragma once
// The standard controls: edit boxes, labels, push buttons, check boxes and combo boxes. The
// windowed ones build on the system's classes and hear their notifications reflected back
// from the parent (CN_COMMAND), so each control handles its own.
#include "classlib/Controls.h"
#include "classlib/Strings.h"

// Horizontal placement of a control's text.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
// Vertical placement of a label's text.
enum TTextLayout { tlTop, tlCenter, tlBottom };
// The frame of an edit box: none, or the sunken client edge.
enum class TBorderStyle { bsNone, bsSingle };
// The letter case an edit box turns what is typed into.
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

// The DrawText flag of an alignment.
UINT AlignmentToDrawTextFlag(TAlignment alignment);

// A single-line edit box (the system's EDIT class).
class TCustomEdit : public TWinControl {
 public:
  explicit TCustomEdit(TComponent* AOwner);

  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle style);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);
  // 0: no limit of our own.
  int MaxLength() const { return maxLength_; }
  void SetMaxLength(int length);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value);
  TEditCharCase CharCase() const { return charCase_; }
  void SetCharCase(TEditCharCase value);
  // Whether gaining the focus selects the whole text.
  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool value) { autoSelect_ = value; }

  // The selection lives in the window: without one these do nothing and read as empty.
  void SelectAll();
  void ClearSelection();
  void Clear() { SetText(String()); }
  int SelStart() const;
  void SetSelStart(int start);
  int SelLength() const;
  void SetSelLength(int length);
  String SelText() const;

  // Every change of the text, the user's and the program's alike.
  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void InitializeWindow() override;
  void Dispatch(TMessage& Message) override;
  void TextChanged() override;
  void KeyPress(wchar_t& key) override;
  void DoEnter() override;
  virtual void Change();

 private:
  TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
  TAlignment alignment_ = taLeftJustify;
  int maxLength_ = 0;
  bool readOnly_ = false;
  TEditCharCase charCase_ = ecNormal;
  bool autoSelect_ = true;
  bool creating_ = false;
};

class TEdit : public TCustomEdit {
 public:
  using TCustomEdit::TCustomEdit;
};

// Text painted by its parent. It takes the parent's colour unless given one, and sizes itself
// to its caption while AutoSize is on.
class TCustomLabel : public TGraphicControl {
 public:
  explicit TCustomLabel(TComponent* AOwner);

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout layout);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool value);
  // Whether the parent shows through around the text.
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);
  // Whether "&" marks an underlined access key ("&&" shows one "&").
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool value);

 protected:
  void Paint() override;
  void TextChanged() override;
  void FontChanged() override;
  // The size of the text laid out for the label's width.
  SIZE MeasureText();
  void AdjustBounds();

 private:
  UINT DrawTextFlags() const;

  TAlignment alignment_ = taLeftJustify;
  TTextLayout layout_ = tlTop;
  bool autoSize_ = true;
  bool transparent_ = false;
  bool wordWrap_ = false;
  bool showAccelChar_ = true;
};

class TLabel : public TCustomLabel {
 public:
  using TCustomLabel::TCustomLabel;
};

// A push button (the system's BUTTON class). A click sets the form's ModalResult when the
// button has one. Given Enter as a dialog key (CM_DIALOGKEY), the focused button clicks itself,
// or the Default button while no button has the focus; given Esc, a Cancel button clicks itself.
// The button that Enter would click is drawn as the default one, as the system draws it.
class TButton : public TWinControl {
 public:
  explicit TButton(TComponent* AOwner);

  bool Default() const { return default_; }
  void SetDefault(bool value);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result) { modalResult_ = result; }

  // Clicks the button as the user would (OnClick, and the modal result).
  void Click() override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void Dispatch(TMessage& Message) override;

 private:
  // Whether Enter clicks this button while `focused` has the focus.
  bool TakesEnter(const TWinControl* focused) const;
  bool AnswersDialogKey(WORD key) const;
  void ShowAsDefault(bool value);

  bool default_ = false;
  bool cancel_ = false;
  int modalResult_ = 0;
};

// A check box. Its state is the control's own: the user's click and the program's Checked
// setter both change it and both fire OnClick, once per real change. Space ticks or unticks the
// focused box. The system draws the focus cue around the caption: a box without one shows it
// around the box instead.
class TCheckBox : public TWinControl {
 public:
  explicit TCheckBox(TComponent* AOwner);

  bool Checked() const { return checked_; }
  void SetChecked(bool value);

 protected:
  void CreateParams(TCreateParams& params) override;
  void InitializeWindow() override;
  void Dispatch(TMessage& Message) override;

 private:
  void PaintFocusCueWithoutCaption(HDC given);

  bool checked_ = false;
};

enum class TComboBoxStyle { csDropDown, csDropDownList };

// A combo box whose Items live with the control and are copied into the window whenever
// either changes. ItemIndex is -1 for no selection, and a value outside the items selects
// nothing. Choosing an item fires OnClick and then OnChange; typing into a csDropDown box
// fires OnChange. The program's own changes of ItemIndex fire nothing. While its list is
// dropped down, Enter and Esc close the list instead of reaching the form.
class TComboBox : public TWinControl {
 public:
  explicit TComboBox(TComponent* AOwner);

  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle style);
  TStringList& Items() { return items_; }
  const TStringList& Items() const { return items_; }
  int ItemIndex() const;
  void SetItemIndex(int index);
  // Number of items the open list shows without scrolling.
  int DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(int count) { dropDownCount_ = count < 1 ? 1 : count; }

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void InitializeWindow() override;
  void Dispatch(TMessage& Message) override;
  String GetText() const override;
  virtual void Change();

 private:
  void ItemsChanged(TObject*);
  void FillWindow();

  TComboBoxStyle style_ = TComboBoxStyle::csDropDown;
  TStringList items_;
  int itemIndex_ = -1;
  int dropDownCount_ = 8;
};
