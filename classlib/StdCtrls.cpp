#include "classlib/StdCtrls.h"

#include "classlib/Forms.h"

#include <cstdlib>

UINT AlignmentToDrawTextFlag(TAlignment alignment) {
  switch (alignment) {
    case taRightJustify: return DT_RIGHT;
    case taCenter: return DT_CENTER;
    default: return DT_LEFT;
  }
}

namespace {

WORD NotifyCode(const TMessage& m) { return HIWORD(m.WParam); }

}  // namespace

// ---------------------------------------------------------------------------------------------
// TCustomEdit

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 121, 21);
  SetColor(clWindow);
  SetTabStop(true);
}

void TCustomEdit::SetBorderStyle(TBorderStyle style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  RecreateWnd();
}

void TCustomEdit::SetAlignment(TAlignment alignment) {
  if (alignment == alignment_) return;
  alignment_ = alignment;
  // The edit class reads its alignment style only when the window is made.
  RecreateWnd();
}

void TCustomEdit::SetMaxLength(int length) {
  maxLength_ = length < 0 ? 0 : length;
  if (HandleAllocated()) SendMessageW(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

void TCustomEdit::SetReadOnly(bool value) {
  readOnly_ = value;
  if (HandleAllocated()) SendMessageW(Handle(), EM_SETREADONLY, value, 0);
}

void TCustomEdit::SetCharCase(TEditCharCase value) {
  if (value == charCase_) return;
  charCase_ = value;
  // The edit class reads its case style when the window is made; made again, it keeps the text,
  // which the class converts as it takes it.
  RecreateWnd();
}

void TCustomEdit::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClassName = L"EDIT";
  p.Style |= ES_AUTOHSCROLL | WS_TABSTOP;
  if (alignment_ == taCenter) p.Style |= ES_CENTER;
  if (alignment_ == taRightJustify) p.Style |= ES_RIGHT;
  if (readOnly_) p.Style |= ES_READONLY;
  if (charCase_ == ecUpperCase) p.Style |= ES_UPPERCASE;
  if (charCase_ == ecLowerCase) p.Style |= ES_LOWERCASE;
  if (borderStyle_ == TBorderStyle::bsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomEdit::InitializeWindow() {
  TWinControl::InitializeWindow();
  SendMessageW(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

void TCustomEdit::Dispatch(TMessage& m) {
  if (m.Msg == CN_COMMAND) {
    if (NotifyCode(m) == EN_CHANGE && !creating_) Change();
    return;
  }
  if (m.Msg == WM_CREATE) {
    // The window's first text is not a change.
    creating_ = true;
    TWinControl::Dispatch(m);
    creating_ = false;
    return;
  }
  TWinControl::Dispatch(m);
}

void TCustomEdit::TextChanged() {
  // With a window, the edit class reports the new text itself (EN_CHANGE).
  TWinControl::TextChanged();
  if (!HandleAllocated()) Change();
}

void TCustomEdit::KeyPress(wchar_t& key) {
  TWinControl::KeyPress(key);
  // A single-line edit beeps at Enter and Esc; the form's handlers have had them by now.
  if (key == L'\r' || key == 27) key = 0;
}

void TCustomEdit::DoEnter() {
  if (autoSelect_ && GetKeyState(VK_LBUTTON) >= 0) SelectAll();
  TWinControl::DoEnter();
}

void TCustomEdit::Change() { OnChange(this); }

void TCustomEdit::SelectAll() {
  if (HandleAllocated()) SendMessageW(Handle(), EM_SETSEL, 0, -1);
}

void TCustomEdit::ClearSelection() {
  if (HandleAllocated()) SendMessageW(Handle(), WM_CLEAR, 0, 0);
}

int TCustomEdit::SelStart() const {
  if (!HandleAllocated()) return 0;
  DWORD start = 0;
  SendMessageW(const_cast<TCustomEdit*>(this)->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
  return static_cast<int>(start);
}

void TCustomEdit::SetSelStart(int start) {
  if (!HandleAllocated()) return;
  SendMessageW(Handle(), EM_SETSEL, static_cast<WPARAM>(start), start);
}

int TCustomEdit::SelLength() const {
  if (!HandleAllocated()) return 0;
  DWORD start = 0, end = 0;
  SendMessageW(const_cast<TCustomEdit*>(this)->Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(end - start);
}

void TCustomEdit::SetSelLength(int length) {
  if (!HandleAllocated()) return;
  int start = SelStart();
  SendMessageW(Handle(), EM_SETSEL, static_cast<WPARAM>(start), start + length);
}

String TCustomEdit::SelText() const {
  int start = SelStart();
  return Text().substr(static_cast<size_t>(start), static_cast<size_t>(SelLength()));
}

// ---------------------------------------------------------------------------------------------
// TCustomLabel

TCustomLabel::TCustomLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 65, 17);
  SetParentColor(true);
}

void TCustomLabel::SetAlignment(TAlignment alignment) {
  if (alignment == alignment_) return;
  alignment_ = alignment;
  Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout layout) {
  if (layout == layout_) return;
  layout_ = layout;
  Invalidate();
}

void TCustomLabel::SetAutoSize(bool value) {
  if (value == autoSize_) return;
  autoSize_ = value;
  AdjustBounds();
}

void TCustomLabel::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool value) {
  if (value == wordWrap_) return;
  wordWrap_ = value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool value) {
  if (value == showAccelChar_) return;
  showAccelChar_ = value;
  AdjustBounds();
  Invalidate();
}

UINT TCustomLabel::DrawTextFlags() const {
  UINT flags = DT_EXPANDTABS | AlignmentToDrawTextFlag(alignment_);
  if (wordWrap_) flags |= DT_WORDBREAK;
  if (!showAccelChar_) flags |= DT_NOPREFIX;
  return flags;
}

SIZE TCustomLabel::MeasureText() {
  String text = Caption();
  // An empty caption still has the height of one line.
  if (text.empty()) text = L" ";
  gdi::WindowDC screen;
  gdi::SelectionGuard font(screen.Get(), Font().Handle());
  RECT r{0, 0, wordWrap_ ? Width() : 0, 0};
  DrawTextW(screen.Get(), text.c_str(), static_cast<int>(text.size()), &r,
            DrawTextFlags() | DT_CALCRECT);
  return {r.right - r.left, r.bottom - r.top};
}

void TCustomLabel::AdjustBounds() {
  if (!autoSize_) return;
  SIZE size = MeasureText();
  int left = Left();
  // A right-aligned label keeps its right edge as its text grows or shrinks.
  if (alignment_ == taRightJustify && !wordWrap_) left += Width() - size.cx;
  SetBounds(left, Top(), size.cx, size.cy);
}

void TCustomLabel::TextChanged() {
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::FontChanged() {
  AdjustBounds();
  TGraphicControl::FontChanged();
}

void TCustomLabel::Paint() {
  TCanvas& canvas = Canvas();
  RECT r = ClientRect();
  if (!transparent_) {
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(Color());
    canvas.FillRect(r);
  }
  canvas.Brush().SetStyle(bsClear);
  canvas.SetFont(Font());
  String text = Caption();
  UINT flags = DrawTextFlags();
  if (layout_ != tlTop) {
    RECT calc = r;
    canvas.DrawText(text, calc, flags | DT_CALCRECT);
    int free = (r.bottom - r.top) - (calc.bottom - calc.top);
    r.top += layout_ == tlCenter ? free / 2 : free;
  }
  if (!Enabled()) {
    // Disabled text: engraved, a light copy below and to the right of a shadow copy.
    RECT light = r;
    OffsetRect(&light, 1, 1);
    canvas.Font().SetColor(clBtnHighlight);
    canvas.DrawText(text, light, flags);
    canvas.Font().SetColor(clBtnShadow);
  }
  canvas.DrawText(text, r, flags);
}

// ---------------------------------------------------------------------------------------------
// TButton

TButton::TButton(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 75, 25);
  SetTabStop(true);
}

void TButton::SetDefault(bool value) {
  if (value == default_) return;
  default_ = value;
  if (HandleAllocated()) ShowAsDefault(TakesEnter(FindControl(GetFocus())));
}

void TButton::ShowAsDefault(bool value) {
  if (!HandleAllocated()) return;
  const bool shown = (GetWindowLongPtrW(Handle(), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  if (value != shown) SendMessageW(Handle(), BM_SETSTYLE, value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

bool TButton::TakesEnter(const TWinControl* focused) const {
  return focused == this || (default_ && !dynamic_cast<const TButton*>(focused));
}

bool TButton::AnswersDialogKey(WORD key) const {
  if (!Showing() || !Enabled()) return false;
  if (key == VK_ESCAPE) return cancel_;
  return key == VK_RETURN && TakesEnter(FindControl(GetFocus()));
}

void TButton::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClassName = L"BUTTON";
  p.Style |= WS_TABSTOP | (default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
}

void TButton::Click() {
  if (!Enabled()) return;
  if (modalResult_ != 0)
    if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modalResult_);
  TWinControl::Click();
}

void TButton::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      if (NotifyCode(m) == BN_CLICKED) Click();
      return;
    case CM_DIALOGKEY:
      if (AnswersDialogKey(static_cast<WORD>(m.WParam))) {
        Click();
        m.Result = 1;
        return;
      }
      break;
    case CM_FOCUSCHANGED: ShowAsDefault(TakesEnter(reinterpret_cast<TWinControl*>(m.LParam))); break;
  }
  TWinControl::Dispatch(m);
}

// ---------------------------------------------------------------------------------------------
// TCheckBox

TCheckBox::TCheckBox(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 97, 17);
  SetTabStop(true);
}

void TCheckBox::SetChecked(bool value) {
  if (value == checked_) return;
  checked_ = value;
  if (HandleAllocated()) SendMessageW(Handle(), BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
  Click();
}

void TCheckBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClassName = L"BUTTON";
  // Not an automatic check box: the state is ours, so that the user's click and the program's
  // setter take the same road.
  p.Style |= WS_TABSTOP | BS_CHECKBOX;
}

void TCheckBox::InitializeWindow() {
  TWinControl::InitializeWindow();
  SendMessageW(Handle(), BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      if (NotifyCode(m) == BN_CLICKED) SetChecked(!checked_);
      return;
    case WM_PAINT:
      TWinControl::Dispatch(m);
      PaintFocusCueWithoutCaption(reinterpret_cast<HDC>(m.WParam));
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TWinControl::Dispatch(m);
      // Painted whole, so that the cue (drawn by inverting) is drawn once or taken away.
      if (HandleAllocated() && Caption().empty()) Invalidate();
      return;
  }
  TWinControl::Dispatch(m);
}

void TCheckBox::PaintFocusCueWithoutCaption(HDC given) {
  if (!HandleAllocated() || !Caption().empty() || !ShowsFocusCue()) return;
  RECT r = ClientRect();
  if (given) {
    DrawFocusRect(given, &r);
    return;
  }
  gdi::WindowDC dc(Handle());
  DrawFocusRect(dc.Get(), &r);
}

// ---------------------------------------------------------------------------------------------
// TComboBox

TComboBox::TComboBox(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 145, 21);
  SetColor(clWindow);
  SetTabStop(true);
  items_.OnChange = TNotifyEvent(this, &TComboBox::ItemsChanged);
}

void TComboBox::SetStyle(TComboBoxStyle style) {
  if (style == style_) return;
  style_ = style;
  RecreateWnd();
}

int TComboBox::ItemIndex() const {
  if (!HandleAllocated()) return itemIndex_;
  LRESULT index = SendMessageW(const_cast<TComboBox*>(this)->Handle(), CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? -1 : static_cast<int>(index);
}

void TComboBox::SetItemIndex(int index) {
  if (index < 0 || index >= items_.Count()) index = -1;
  itemIndex_ = index;
  if (HandleAllocated()) SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TComboBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClassName = L"COMBOBOX";
  p.Style |= WS_TABSTOP | WS_VSCROLL;
  p.Style |= style_ == TComboBoxStyle::csDropDownList ? CBS_DROPDOWNLIST : CBS_DROPDOWN | CBS_AUTOHSCROLL;
  // The window's height is that of the open box; the system shrinks it to the closed one.
  int itemHeight = std::abs(Font().Height()) + 4;
  p.Height += dropDownCount_ * itemHeight + 2;
}

void TComboBox::InitializeWindow() {
  TWinControl::InitializeWindow();
  FillWindow();
}

void TComboBox::FillWindow() {
  HWND wnd = Handle();
  SendMessageW(wnd, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < items_.Count(); ++i)
    SendMessageW(wnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(items_.Strings(i).c_str()));
  SendMessageW(wnd, CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
}

void TComboBox::ItemsChanged(TObject*) {
  if (HandleAllocated()) itemIndex_ = ItemIndex();
  if (itemIndex_ >= items_.Count()) itemIndex_ = -1;
  if (HandleAllocated()) FillWindow();
}

String TComboBox::GetText() const {
  if (style_ != TComboBoxStyle::csDropDownList) return TWinControl::GetText();
  int index = ItemIndex();
  return index >= 0 ? items_.Strings(index) : String();
}

void TComboBox::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      switch (NotifyCode(m)) {
        case CBN_SELCHANGE:
          itemIndex_ = ItemIndex();
          Click();
          Change();
          break;
        case CBN_EDITCHANGE: Change(); break;
      }
      return;
    case CM_WANTSPECIALKEY:
      m.Result = (m.WParam == VK_RETURN || m.WParam == VK_ESCAPE) && HandleAllocated() &&
                 SendMessageW(Handle(), CB_GETDROPPEDSTATE, 0, 0) != 0;
      return;
    case WM_DESTROY:
      // The selection outlives the window (a recreated window gets it back).
      itemIndex_ = ItemIndex();
      break;
  }
  TWinControl::Dispatch(m);
}

void TComboBox::Change() { OnChange(this); }
