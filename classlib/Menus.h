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

// How a popup menu opened at a point lies against it, and which mouse button chooses in it.
enum TPopupAlignment : uint8_t { paLeft, paRight, paCenter };
enum TTrackButton : uint8_t { tbRightButton, tbLeftButton };

// The base of popup menus: shown at a point in screen coordinates.
class TPopupMenu : public TComponent {
 public:
  using TComponent::TComponent;
  virtual void Popup(int X, int Y) = 0;
  // Runs the command whose shortcut the key message carries; true when one ran. A control
  // asks its popup menu before it handles a key itself.
  virtual bool IsShortCut(TWMKey& Message);
  TComponent* PopupComponent() const { return popupComponent_; }
  void SetPopupComponent(TComponent* c) { popupComponent_ = c; }
  TPopupAlignment Alignment() const { return alignment_; }
  void SetAlignment(TPopupAlignment Value) { alignment_ = Value; }
  TTrackButton TrackButton() const { return trackButton_; }
  void SetTrackButton(TTrackButton Value) { trackButton_ = Value; }
  // Where the menu was last asked to show.
  POINT PopupPoint() const { return popupPoint_; }
  void SetPopupPoint(const POINT& Value) { popupPoint_ = Value; }
  TNotifyEvent OnPopup;

 protected:
  // The menu is about to show (or to look for a shortcut): fires OnPopup.
  virtual void DoPopup(TObject* Sender);

 private:
  TComponent* popupComponent_ = nullptr;
  TPopupAlignment alignment_ = paLeft;
  TTrackButton trackButton_ = tbRightButton;
  POINT popupPoint_{};
};
