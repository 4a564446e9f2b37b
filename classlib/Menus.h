#pragma once
// Shortcuts, shift states and the popup-menu base that the tray icon and the menu framework share.
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

// A key message as the key handlers see it: the virtual key and the message's key data.
struct TWMKey {
  UINT Msg = 0;
  WORD CharCode = 0;
  LPARAM KeyData = 0;
  LRESULT Result = 0;
};

// The shortcut of a virtual key with modifiers; 0 for a key code above one byte.
TShortCut ShortCut(WORD Key, TShiftState Shift);
// Splits a shortcut into its key and its modifiers.
void ShortCutToKey(TShortCut ShortCut, WORD& Key, TShiftState& Shift);
// The modifiers of a key message: Alt from the context bit of the key data, Shift and Ctrl from
// the thread's key state.
TShiftState KeyDataToShiftState(LPARAM KeyData);
// "Ctrl+Shift+S", "Alt+F4", "Del"...; the key names come from a fixed table, not from the keyboard
// layout, so that texts are the same on every machine. Empty for 0 or an unnamed key.
String ShortCutToText(TShortCut ShortCut);
// The reverse of ShortCutToText (modifier names are case-insensitive); 0 when not understood.
TShortCut TextToShortCut(const String& Text);

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
