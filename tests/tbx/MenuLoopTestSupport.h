#pragma once
// Helpers of the tests that run a themed popup menu under the real menu loop: a fixture with the
// menu, the driver that acts inside the loop and a watchdog, which checks at the end that the
// loop let go of the mouse and left no window behind; input posted to the loop; viewers' points
// on the screen.
#include "ThemedItemsTestSupport.h"
#include "common/MenuTestSupport.h"

#include "classlib/Controls.h"

#include <gtest/gtest.h>

#include <functional>

namespace tbx_test {

// Where the tests open their menus.
constexpr POINT kMenuPoint{200, 150};

// The thread's windows besides the click queue's, which lives as long as items do.
inline int MenuWindows() { return testing_support::ThreadWindowCount() - (tb2item_detail::ClickWnd() ? 1 : 0); }

// A point of a viewer (relative to it) on the screen.
inline POINT ViewerPointOnScreen(TTBItemViewer* V, POINT InViewer) {
  POINT p{V->BoundsRect.left + InViewer.x, V->BoundsRect.top + InViewer.y};
  ClientToScreen(V->View()->Window()->Handle(), &p);
  return p;
}

inline POINT CentreOnScreen(TTBItemViewer* V) {
  return ViewerPointOnScreen(
      V, {(V->BoundsRect.right - V->BoundsRect.left) / 2, (V->BoundsRect.bottom - V->BoundsRect.top) / 2});
}

class ThemedMenuLoopTest : public ThemedItemsTest {
 protected:
  void SetUp() override {
    ThemedItemsTest::SetUp();
    menu = new TTBXPopupMenu(owner);
    windows = MenuWindows();
    driver.SetWatchdog(10000);
  }
  void TearDown() override {
    EXPECT_FALSE(driver.WatchdogFired()) << "the menu did not end by itself";
    testing_support::PumpMessages();
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(MenuWindows(), windows) << "no menu or shadow window is left";
    SetCursorPos(1, 1);
    ThemedItemsTest::TearDown();
  }
  // Opens the menu at kMenuPoint; Steps run in its loop once it shows, with its popup window.
  // Answers the chosen item (with ItemOnly it is not clicked).
  TTBCustomItem* RunMenu(std::function<void(TTBXPopupWindow*)> Steps, bool ItemOnly = false) {
    return runner.Run(menu, kMenuPoint, ItemOnly, std::move(Steps));
  }
  static HWND Loop() { return testing_support::MenuLoop(); }
  static void Key(WPARAM K) { testing_support::PostMenuKey(K); }
  static void Mouse(UINT Msg, POINT P, WPARAM Keys = 0) { testing_support::PostMenuMouse(Msg, P, Keys); }
  // A move to P, a press and a release there.
  static void Click(POINT P) {
    Mouse(WM_MOUSEMOVE, P);
    Mouse(WM_LBUTTONDOWN, P, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, P);
  }

  testing_support::TMenuDriver driver;
  testing_support::TMenuRunner<TTBXPopupWindow> runner{driver};
  TTBXPopupMenu* menu = nullptr;
  int windows = 0;
};

}  // namespace tbx_test
