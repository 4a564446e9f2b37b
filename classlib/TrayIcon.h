#pragma once
// The program's icon in the notification area: its image, tip and balloon, and the mouse on it.
#include "classlib/Classes.h"
#include "classlib/Controls.h"
#include "classlib/ImgList.h"
#include "classlib/Menus.h"

#include <shellapi.h>

#include <memory>

enum TBalloonFlags : DWORD {
  bfNone = NIIF_NONE,
  bfInfo = NIIF_INFO,
  bfWarning = NIIF_WARNING,
  bfError = NIIF_ERROR,
};

// Every call to the shell's notification area goes through seams::TrayArea(). The icon talks
// to the shell through a hidden window of its own (Handle), which receives CallbackMessage
// with the mouse message in lParam, and is added again when the taskbar is recreated.
//
// Clicks: OnClick runs on a left-button release, so the first click of a double click reports
// OnClick too (the shell cannot know that a second one follows); OnDblClick runs on the double
// click itself, and the release that ends the double click runs nothing. A right-button
// release brings the application's window to the foreground (so that the menu closes when the
// user clicks elsewhere) and shows PopupMenu at the cursor. The mouse events report the cursor
// in screen coordinates.
class TTrayIcon : public TComponent {
 public:
  static constexpr UINT CallbackMessage = WM_APP + 0x0101;
  static constexpr UINT IconId = 1;
  // The application's window, brought to the foreground before the popup menu shows; the
  // application object sets it. Without one the icon's own window is used.
  static inline HWND (*ForegroundWindowProvider)() = nullptr;

  explicit TTrayIcon(TComponent* AOwner);
  ~TTrayIcon() override;

  bool Visible() const { return visible_; }
  void SetVisible(bool value);

  // The icon shown when no image of Icons is chosen; the tray icon keeps a copy of its own.
  HICON Icon() const { return icon_.Get(); }
  void SetIcon(HICON value);
  TCustomImageList* Icons() const { return icons_; }
  void SetIcons(TCustomImageList* value);
  // The image of Icons to show; an index outside the list shows Icon instead.
  int IconIndex() const { return iconIndex_; }
  void SetIconIndex(int value);

  // The tip; the shell shows at most 127 characters of it.
  const String& Hint() const { return hint_; }
  void SetHint(const String& value);

  const String& BalloonHint() const { return balloonHint_; }
  void SetBalloonHint(const String& value) { balloonHint_ = value; }
  const String& BalloonTitle() const { return balloonTitle_; }
  void SetBalloonTitle(const String& value) { balloonTitle_ = value; }
  TBalloonFlags BalloonFlags() const { return balloonFlags_; }
  void SetBalloonFlags(TBalloonFlags value) { balloonFlags_ = value; }
  // Milliseconds; the shell clamps it to its own limits.
  UINT BalloonTimeout() const { return balloonTimeout_; }
  void SetBalloonTimeout(UINT value) { balloonTimeout_ = value; }
  // Shows BalloonHint under BalloonTitle beside a visible icon.
  void ShowBalloonHint();

  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* value);

  HWND Handle() const { return wnd_; }

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  void Loaded() override;

 private:
  void WndProc(TMessage& Message);
  void MouseMessage(UINT mouseMessage);
  void MouseButton(const TMouseEvent& event, TMouseButton button);
  void MouseMove();
  void LeftButtonUp();
  void DoubleClick();
  void RightButtonUp();
  void TaskbarCreated();

  void ImagesChanged(TObject* Sender);
  void RefreshListIcon();
  HICON ShownIcon() const;
  NOTIFYICONDATAW IconData(UINT flags) const;
  bool Notify(DWORD message, const NOTIFYICONDATAW& data);
  // Sends NIM_MODIFY when the icon is up and not being loaded or destroyed.
  void Update();
  bool Live() const;

  HWND wnd_ = nullptr;
  bool visible_ = false;
  gdi::IconHandle icon_;
  gdi::IconHandle listIcon_;  // the chosen image of Icons
  TCustomImageList* icons_ = nullptr;
  TChangeLink imagesLink_;
  int iconIndex_ = 0;
  String hint_;
  String balloonHint_;
  String balloonTitle_;
  TBalloonFlags balloonFlags_ = bfNone;
  UINT balloonTimeout_ = 10000;
  TPopupMenu* popupMenu_ = nullptr;
  bool inDoubleClick_ = false;
};
