#include "classlib/TrayIcon.h"

#include "classlib/Seams.h"

#include <algorithm>

namespace {

// Broadcast by the shell when the taskbar (and with it the notification area) is created anew.
UINT TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

POINT CursorPos() {
  POINT p{};
  GetCursorPos(&p);
  return p;
}

// Copies as much of the text as fits the fixed field, always terminated.
template <size_t N>
void CopyField(wchar_t (&field)[N], const String& text) {
  const size_t n = std::min(text.size(), N - 1);
  std::copy_n(text.data(), n, field);
  field[n] = L'\0';
}

}  // namespace

TTrayIcon::TTrayIcon(TComponent* AOwner) : TComponent(AOwner) {
  TaskbarCreatedMessage();
  wnd_ = AllocateHWnd(TWndMethod(this, &TTrayIcon::WndProc));
  imagesLink_.OnChange = TNotifyEvent(this, &TTrayIcon::ImagesChanged);
}

TTrayIcon::~TTrayIcon() {
  if (visible_ && !Loading()) Notify(NIM_DELETE, IconData(0));
  visible_ = false;
  if (icons_) icons_->UnRegisterChanges(&imagesLink_);
  DeallocateHWnd(wnd_);
}

bool TTrayIcon::Live() const { return visible_ && !Loading() && !Destroying(); }

void TTrayIcon::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  if (Loading()) return;
  if (value)
    Notify(NIM_ADD, IconData(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  else
    Notify(NIM_DELETE, IconData(0));
}

void TTrayIcon::Loaded() {
  TComponent::Loaded();
  RefreshListIcon();
  if (visible_) Notify(NIM_ADD, IconData(NIF_MESSAGE | NIF_ICON | NIF_TIP));
}

void TTrayIcon::SetIcon(HICON value) {
  icon_.Reset(value ? CopyIcon(value) : nullptr);
  Update();
}

void TTrayIcon::SetIcons(TCustomImageList* value) {
  if (value == icons_) return;
  if (icons_) {
    icons_->UnRegisterChanges(&imagesLink_);
    icons_->RemoveFreeNotification(this);
  }
  icons_ = value;
  if (icons_) {
    icons_->RegisterChanges(&imagesLink_);
    icons_->FreeNotification(this);
  }
  RefreshListIcon();
  Update();
}

void TTrayIcon::SetIconIndex(int value) {
  if (value == iconIndex_) return;
  iconIndex_ = value;
  RefreshListIcon();
  Update();
}

void TTrayIcon::ImagesChanged(TObject*) {
  RefreshListIcon();
  Update();
}

void TTrayIcon::RefreshListIcon() {
  const bool chosen = icons_ && iconIndex_ >= 0 && iconIndex_ < icons_->Count();
  listIcon_ = chosen ? icons_->GetIcon(iconIndex_) : gdi::IconHandle();
}

HICON TTrayIcon::ShownIcon() const { return listIcon_ ? listIcon_.Get() : icon_.Get(); }

void TTrayIcon::SetHint(const String& value) {
  if (value == hint_) return;
  hint_ = value;
  Update();
}

void TTrayIcon::SetPopupMenu(TPopupMenu* value) {
  if (value == popupMenu_) return;
  if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
  popupMenu_ = value;
  if (popupMenu_) popupMenu_->FreeNotification(this);
}

void TTrayIcon::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  if (component == popupMenu_) popupMenu_ = nullptr;
  if (component == icons_) SetIcons(nullptr);
}

void TTrayIcon::ShowBalloonHint() {
  if (!Live()) return;
  NOTIFYICONDATAW data = IconData(NIF_INFO);
  CopyField(data.szInfo, balloonHint_);
  CopyField(data.szInfoTitle, balloonTitle_);
  data.dwInfoFlags = balloonFlags_;
  data.uTimeout = balloonTimeout_;
  Notify(NIM_MODIFY, data);
}

NOTIFYICONDATAW TTrayIcon::IconData(UINT flags) const {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = wnd_;
  data.uID = IconId;
  data.uFlags = flags;
  data.uCallbackMessage = CallbackMessage;
  data.hIcon = ShownIcon();
  CopyField(data.szTip, hint_);
  return data;
}

bool TTrayIcon::Notify(DWORD message, const NOTIFYICONDATAW& data) {
  NOTIFYICONDATAW copy = data;
  return seams::TrayArea().Notify(message, copy);
}

void TTrayIcon::Update() {
  if (Live()) Notify(NIM_MODIFY, IconData(NIF_MESSAGE | NIF_ICON | NIF_TIP));
}

void TTrayIcon::WndProc(TMessage& Message) {
  if (Message.Msg == CallbackMessage) return MouseMessage(LOWORD(Message.LParam));
  if (Message.Msg == TaskbarCreatedMessage()) return TaskbarCreated();
  Message.Result = DefWindowProcW(wnd_, Message.Msg, Message.WParam, Message.LParam);
}

void TTrayIcon::MouseMessage(UINT mouseMessage) {
  switch (mouseMessage) {
    case WM_MOUSEMOVE: MouseMove(); break;
    case WM_LBUTTONDOWN:
      inDoubleClick_ = false;
      MouseButton(OnMouseDown, TMouseButton::mbLeft);
      break;
    case WM_LBUTTONUP:
      MouseButton(OnMouseUp, TMouseButton::mbLeft);
      LeftButtonUp();
      break;
    case WM_LBUTTONDBLCLK: DoubleClick(); break;
    case WM_RBUTTONDOWN: MouseButton(OnMouseDown, TMouseButton::mbRight); break;
    case WM_RBUTTONUP:
      MouseButton(OnMouseUp, TMouseButton::mbRight);
      RightButtonUp();
      break;
    case WM_MBUTTONDOWN: MouseButton(OnMouseDown, TMouseButton::mbMiddle); break;
    case WM_MBUTTONUP: MouseButton(OnMouseUp, TMouseButton::mbMiddle); break;
  }
}

void TTrayIcon::MouseButton(const TMouseEvent& event, TMouseButton button) {
  const POINT p = CursorPos();
  event(this, button, KeyboardShiftState(), p.x, p.y);
}

void TTrayIcon::MouseMove() {
  const POINT p = CursorPos();
  OnMouseMove(this, KeyboardShiftState(), p.x, p.y);
}

void TTrayIcon::LeftButtonUp() {
  if (inDoubleClick_) {
    inDoubleClick_ = false;  // the release that ends a double click
    return;
  }
  OnClick(this);
}

void TTrayIcon::DoubleClick() {
  // Set first: the handler may pump messages and meet the release that follows.
  inDoubleClick_ = true;
  OnDblClick(this);
}

void TTrayIcon::RightButtonUp() {
  if (!popupMenu_) return;
  HWND front = ForegroundWindowProvider ? ForegroundWindowProvider() : nullptr;
  SetForegroundWindow(front ? front : wnd_);
  const POINT p = CursorPos();
  popupMenu_->SetPopupComponent(this);
  popupMenu_->Popup(p.x, p.y);
}

void TTrayIcon::TaskbarCreated() {
  if (Live()) Notify(NIM_ADD, IconData(NIF_MESSAGE | NIF_ICON | NIF_TIP));
}
