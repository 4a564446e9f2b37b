// The themed popup menu at work: its loop runs on themed popup windows and answers the chosen
// item once, whichever way it was chosen; and what a great many paints, openings and closings
// leave behind.
#include "MenuLoopTestSupport.h"
#include "tbx/TBXShadows.h"
#include "common/GdiCensus.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace tbx_test;
using testing_support::PumpMessages;

namespace {

// Counts the clicks of items by caption.
struct TClickLog : TObject {
  std::vector<String> Clicks;
  void Click(TObject* Sender) { Clicks.push_back(static_cast<TTBCustomItem*>(Sender)->Caption()); }
  TNotifyEvent Event() { return TNotifyEvent(this, &TClickLog::Click); }
};

class ThemedPopupMenu : public ThemedMenuLoopTest {
 public:
  void SetUp() override {
    ThemedMenuLoopTest::SetUp();
    theme->ShadowType = pstOwnWhole;
    first = Add(L"&First", menu->Items());
    second = Add(L"&Second", menu->Items());
    recent = Add<TTBXSubmenuItem>(L"&Recent", menu->Items());
    Add(L"One", recent);
    Add(L"Two", recent);
  }
  template <class T = TTBXItem>
  T* Add(const wchar_t* Caption, TTBCustomItem* Parent) {
    T* item = Make<T>(Caption, Parent);
    item->OnClick = log.Event();
    return item;
  }
  TTBCustomItem* Run(std::function<void(TTBXPopupWindow*)> Steps, bool ItemOnly) {
    return RunMenu(std::move(Steps), ItemOnly);
  }

  TClickLog log;
  TTBXItem *first = nullptr, *second = nullptr;
  TTBXSubmenuItem* recent = nullptr;
};

}  // namespace

TEST_F(ThemedPopupMenu, PopupExRunsTheLoopAndAnswersTheChosenItemWhicheverWayItWasChosen) {
  struct TCase {
    const char* what;
    std::function<void(ThemedPopupMenu&, TTBXPopupWindow*)> input;
    TTBXItem* ThemedPopupMenu::*expected;
  } cases[] = {
      {"Down and Enter",
       [](ThemedPopupMenu&, TTBXPopupWindow*) {
         Key(VK_DOWN);
         Key(VK_RETURN);
       },
       &ThemedPopupMenu::first},
      {"the accelerator", [](ThemedPopupMenu&, TTBXPopupWindow*) { PostMessageW(Loop(), WM_CHAR, L's', 1); },
       &ThemedPopupMenu::second},
      {"a click",
       [](ThemedPopupMenu& t, TTBXPopupWindow* popup) {
         Click(CentreOnScreen(popup->View()->Find(t.second)));
       },
       &ThemedPopupMenu::second},
  };
  for (const TCase& c : cases) {
    for (bool itemOnly : {true, false}) {
      SCOPED_TRACE(testing::Message() << c.what << (itemOnly ? ", the item only" : ", clicked"));
      log.Clicks.clear();
      TTBCustomItem* expected = this->*c.expected;
      EXPECT_EQ(Run([&](TTBXPopupWindow* Popup) { c.input(*this, Popup); }, itemOnly), expected);
      EXPECT_EQ(GetCapture(), nullptr);
      EXPECT_EQ(MenuWindows(), windows) << "the menu and its shadows are gone when PopupEx returns";
      PumpMessages();
      const std::vector<String> once{expected->Caption()};
      EXPECT_EQ(log.Clicks, itemOnly ? std::vector<String>{} : once) << "one click per run";
      SetCursorPos(1, 1);
    }
  }
}

TEST_F(ThemedPopupMenu, TheMenusPopupWindowsAreThemedAndCastShadowsWhileOpen) {
  bool themed = false, shadowed = false, submenuThemed = false, submenuShadowed = false;
  EXPECT_EQ(Run(
                [&](TTBXPopupWindow* Popup) {
                  themed = true;
                  shadowed = Popup->Shadows() != nullptr;
                  Key(VK_UP);     // the submenu, last
                  Key(VK_RIGHT);  // opens it
                  driver.Post([&, Popup] {
                    auto* child = dynamic_cast<TTBXPopupWindow*>(Popup->View()->OpenViewerWindow());
                    submenuThemed = child != nullptr;
                    submenuShadowed = child && child->Shadows();
                    Key(VK_ESCAPE);
                    Key(VK_ESCAPE);
                  });
                },
                true),
            nullptr);
  EXPECT_TRUE(themed);
  EXPECT_TRUE(shadowed);
  EXPECT_TRUE(submenuThemed);
  EXPECT_TRUE(submenuShadowed);
}

TEST_F(ThemedPopupMenu, AThousandPaintsOfATwentyItemMenuLeaveNoGdiObjectsBehind) {
  auto* images = Images(16, 16, 2);
  menu->SetImages(images);
  for (int i = 0; i < 17; ++i) {
    TTBCustomItem* item = nullptr;
    switch (i % 6) {
      case 0: item = Add(L"&Plain", menu->Items()); break;
      case 1:
        item = Add(L"With &image", menu->Items());
        item->SetImageIndex(i % 2);
        item->SetShortCut(ShortCut('I', ssCtrl));
        break;
      case 2:
        item = Add(L"&Checked", menu->Items());
        item->SetChecked(true);
        item->SetRadioItem(i % 4 == 0);
        break;
      case 3: {
        auto* big = Add(L"&Big and bold", menu->Items());
        big->FontSettings().SetSize(150);
        big->FontSettings().SetBold(tsTrue);
        item = big;
        break;
      }
      case 4:
        item = new TTBXSeparatorItem(owner);
        menu->Items()->Add(item);
        break;
      case 5:
        item = Add(L"&Disabled", menu->Items());
        item->SetEnabled(false);
        break;
    }
  }
  ASSERT_EQ(menu->Items()->Count(), 20);
  theme->Recording = false;
  TPopupHolder popup = ShowPopup({200, 100}, menu->Items());
  HWND wnd = popup->Handle();
  const RECT r = [&] {
    RECT w{};
    GetWindowRect(wnd, &w);
    return w;
  }();
  TPixels pixels(r.right - r.left, r.bottom - r.top);
  TTBView* view = popup->View();
  auto paint = [&](int I) {
    view->SetSelected(view->Viewers(I % view->ViewerCount()));
    SendMessageW(wnd, WM_PRINT, reinterpret_cast<WPARAM>(pixels.DC()), PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
  };
  paint(0);  // the fonts and brushes shared by every paint are made once
  const long before = gdi::LiveObjects();
  const gdi_census::TMark census;
  for (int i = 0; i < 1000; ++i) paint(i);
  EXPECT_EQ(gdi::LiveObjects(), before);
  EXPECT_TRUE(census.NothingLeft());
}

TEST_F(ThemedPopupMenu, OpeningAndClosingMenusLeavesNoWindowsOrGdiObjects) {
  auto opening = [&] {
    EXPECT_EQ(Run(
                  [&](TTBXPopupWindow*) {
                    Key(VK_UP);
                    Key(VK_RIGHT);
                    Key(VK_ESCAPE);
                    Key(VK_ESCAPE);
                  },
                  true),
              nullptr);
    PumpMessages();
  };
  opening();  // what lives as long as the program is made by the first opening
  const long objects = gdi::LiveObjects();
  const gdi_census::TMark census;
  for (int i = 0; i < 10; ++i) opening();
  EXPECT_EQ(MenuWindows(), windows);
  EXPECT_EQ(gdi::LiveObjects(), objects);
  EXPECT_TRUE(census.NothingLeft());
}
