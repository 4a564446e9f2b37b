#pragma once
// Acting inside a popup menu's loop: open the menu at a point and run steps once its window
// shows, posting input to the loop the way a user's input would reach it.
#include "classlib/Controls.h"
#include "common/TestSupport.h"
#include "items/TB2PopupMenu.h"
#include "items/TB2View.h"

#include <gtest/gtest.h>

#include <functional>

namespace testing_support {

// The loop's window: the holder of the capture while a menu is open.
inline HWND MenuLoop() { return GetCapture(); }
inline void PostMenuKey(WPARAM Key) { PostMessageW(MenuLoop(), WM_KEYDOWN, Key, 1); }
// The loop's window lies at the screen's origin, so its client points are screen points; the
// cursor is where the message says before the message is posted.
inline void PostMenuMouse(UINT Msg, POINT P, WPARAM Keys = 0) {
  SetCursorPos(P.x, P.y);
  PostMessageW(MenuLoop(), Msg, Keys, MAKELPARAM(P.x, P.y));
}
// A click as the mouse makes it: moved to the point, pressed and released there.
inline void PostMenuClick(POINT P) {
  PostMenuMouse(WM_MOUSEMOVE, P);
  PostMenuMouse(WM_LBUTTONDOWN, P, MK_LBUTTON);
  PostMenuMouse(WM_LBUTTONUP, P);
}
// The middle of an item's line in a popup window, on the screen; fails the test when the window
// shows no such item.
inline POINT ItemOnScreen(TTBPopupWindow* Popup, TTBCustomItem* Item) {
  TTBItemViewer* viewer = Popup->View()->Find(Item);
  EXPECT_NE(nullptr, viewer);
  if (!viewer) return POINT{-1, -1};
  const RECT& r = viewer->BoundsRect;
  POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(Popup->Handle(), &p);
  return p;
}

// Opens a menu at a point; Steps run in its loop once its popup window (of class TWindow) shows.
template <class TWindow = TTBPopupWindow>
class TMenuRunner : public TObject {
 public:
  explicit TMenuRunner(TMenuDriver& Driver) : driver_(Driver) {}
  // Answers the chosen item (with ItemOnly it is not clicked).
  TTBCustomItem* Run(TTBPopupMenu* Menu, POINT At, bool ItemOnly, std::function<void(TWindow*)> Steps) {
    steps_ = std::move(Steps);
    at_ = At;
    Menu->OnPopup = TNotifyEvent(this, &TMenuRunner::Opened);
    return Menu->PopupEx(At.x, At.y, ItemOnly);
  }

 private:
  // The popup event comes before the window exists: it is looked for in the first step.
  void Opened(TObject*) {
    driver_.Post([this] {
      auto* popup = dynamic_cast<TWindow*>(FindControlAtPos(POINT{at_.x + 10, at_.y + 10}, true));
      ASSERT_NE(popup, nullptr);
      steps_(popup);
    });
  }
  TMenuDriver& driver_;
  POINT at_{};
  std::function<void(TWindow*)> steps_;
};

}  // namespace testing_support
