#pragma once
// The modal menu loop: while a popup menu (or a toolbar in menu mode) is open, it holds the mouse
// capture, pumps the thread's messages itself, routes keys, characters, mouse input and the view
// timers to the chain of open views, dispatches everything else, and ends when the views record
// an outcome, the capture or the active window changes, or the user clicks outside the menu.
#include "items/TB2View.h"

class TTBModalHandler : public TObject {
 public:
  // With AExistingWnd null the handler makes a hidden window of its own to hold the capture.
  explicit TTBModalHandler(HWND AExistingWnd);
  ~TTBModalHandler() override;

  // Runs until the menu ends. AMouseDown: the pressing button goes to the root's selected
  // viewer at the start; ATrackRightButton: the right button acts as the left one does;
  // AExecuteSelected: the root's selection runs at the start.
  void Loop(TTBView* RootView, bool AMouseDown, bool ATrackRightButton, bool AFromAccessibility,
            bool AExecuteSelected);

  HWND Wnd() const { return wnd_; }
  TTBPopupWindow* RootPopup() const { return rootPopup_; }
  void SetRootPopup(TTBPopupWindow* Value) { rootPopup_ = Value; }

 private:
  struct TRun;
  void WndProc(TMessage& Message);

  HWND wnd_ = nullptr;
  TTBPopupWindow* rootPopup_ = nullptr;
  bool ownsWnd_ = false;
  bool menuStartNotified_ = false;
};
