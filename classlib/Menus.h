#pragma once
// Shortcuts and the popup-menu base that the tray icon and the menu framework share.
#include "classlib/Classes.h"

// A shortcut: the virtual key in the low byte, modifier flags above it.
using TShortCut = uint16_t;
enum : TShortCut { scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000, scNone = 0 };

// Modifier keys and mouse buttons held during an input event.
using TShiftState = unsigned;
enum : TShiftState {
  ssShift = 1u << 0,
  ssAlt = 1u << 1,
  ssCtrl = 1u << 2,
  ssLeft = 1u << 3,
  ssRight = 1u << 4,
  ssMiddle = 1u << 5,
  ssDouble = 1u << 6,
};

// The base of popup menus: shown at a point in screen coordinates.
class TPopupMenu : public TComponent {
 public:
  using TComponent::TComponent;
  virtual void Popup(int X, int Y) = 0;
  TComponent* PopupComponent() const { return popupComponent_; }
  void SetPopupComponent(TComponent* c) { popupComponent_ = c; }
  TNotifyEvent OnPopup;

 private:
  TComponent* popupComponent_ = nullptr;
};
