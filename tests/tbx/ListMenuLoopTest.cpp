// A list item in a real menu under the menu loop: its submenu is a list popup (no own shadow, no
// popup sound), a click on its scroll bar keeps the menu open, a click on a row chooses it and
// closes the menu without the command sound, a drag that enters the list from outside chooses
// the row it ends on, and a change handler that frees the whole menu leaves nothing running on
// freed memory (poisoned in this test program).
#include "ListTestSupport.h"
#include "MenuLoopTestSupport.h"
#include "items/ItemTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace tbx_test;
using item_tests::TRecordingSounds;
using item_tests::TSchemeSound;

namespace {

// Real mouse buttons: the loop's GetKeyState sees them.
void SendButton(DWORD Flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = Flags;
  SendInput(1, &input, sizeof(INPUT));
}

class ListMenuLoop : public ThemedMenuLoopTest {
 public:
  void SetUp() override {
    ThemedMenuLoopTest::SetUp();
    // As the Ide theme: popups flush with their parents (list popups then make no sound) and
    // own shadows round every popup but lists.
    theme->PopupsOverlapParent = true;
    theme->ShadowType = pstOwnWhole;
    first = Make(L"First", menu->Items());
    pick = Make<TTBXSubmenuItem>(L"Pick", menu->Items());
    list = Make<TStringList>(L"", pick);
    list->SetRows(20);
    list->SetMaxVisibleItems(8);
    last = Make(L"Last", menu->Items());
    spy.Watch(list);
  }
  // Opens the menu and its list submenu; Steps run once the list shows, with the root popup.
  TTBCustomItem* RunWithList(std::function<void(TTBXPopupWindow*)> Steps) {
    return RunMenu([this, Steps = std::move(Steps)](TTBXPopupWindow* Popup) {
      Key(VK_DOWN);
      Key(VK_DOWN);   // "Pick"
      Key(VK_RIGHT);  // opens its list
      driver.Post([Popup, Steps] { Steps(Popup); });
    });
  }
  static TTBXPopupWindow* ListPopup(TTBXPopupWindow* Root) {
    return dynamic_cast<TTBXPopupWindow*>(Root->View()->OpenViewerWindow());
  }
  // The list's viewer, painted (its rows and bar laid out).
  TTBXCustomListViewer* ListViewer(TTBXPopupWindow* Root) {
    TTBXPopupWindow* popup = ListPopup(Root);
    if (!popup) return nullptr;
    UpdateWindow(popup->Handle());
    return static_cast<TTBXCustomListViewer*>(popup->View()->Find(list));
  }
  // A row's middle, on the screen.
  POINT RowOnScreen(TTBXCustomListViewer* V, int Row) {
    const RECT r = V->RowRect(Row);
    return ViewerPointOnScreen(V, {(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  }

  TListSpy spy;
  TTBXItem *first = nullptr, *last = nullptr;
  TTBXSubmenuItem* pick = nullptr;
  TStringList* list = nullptr;
};

TEST_F(ListMenuLoop, TheListsSubmenuIsAListPopupWithoutShadowOrSound) {
  TSchemeSound popupSound(L"MenuPopup", L"popup.wav");
  TRecordingSounds sounds;
  seams::Scoped<seams::TSounds> useSounds(sounds);
  int rootKind = 0, listKind = 0;
  bool rootShadowed = false, listShadowed = true;
  EXPECT_EQ(RunWithList([&](TTBXPopupWindow* Root) {
              rootKind = QueryPopupViewKind(Root);
              rootShadowed = Root->Shadows() != nullptr;
              if (TTBXPopupWindow* popup = ListPopup(Root)) {
                listKind = QueryPopupViewKind(popup);
                listShadowed = popup->Shadows() != nullptr;
              }
              Key(VK_ESCAPE);
              Key(VK_ESCAPE);
            }),
            nullptr);
  EXPECT_EQ(rootKind, vkPopupMenu);
  EXPECT_EQ(listKind, vkListPopup);
  EXPECT_TRUE(rootShadowed);
  EXPECT_FALSE(listShadowed);
  ASSERT_EQ(sounds.Played.size(), 1u) << "the menu's own popup only";
  EXPECT_EQ(sounds.Played[0].first, L"MenuPopup");
}

TEST_F(ListMenuLoop, AClickOnTheScrollBarScrollsAndKeepsTheMenuOpen) {
  bool open = false;
  int offset = -1;
  EXPECT_EQ(RunWithList([&](TTBXPopupWindow* Root) {
              TTBXCustomListViewer* v = ListViewer(Root);
              ASSERT_NE(v, nullptr);
              ASSERT_NE(v->ScrollBar(), nullptr);
              const RECT& down = v->ScrollBar()->Zone(sbzNextLine);
              const int x = v->ScrollBar()->Left() + (down.left + down.right) / 2;
              const int y = v->ScrollBar()->Top() + (down.top + down.bottom) / 2;
              Click(ViewerPointOnScreen(v, {x, y}));
              driver.Post([&, Root] {
                TTBXPopupWindow* popup = ListPopup(Root);
                open = popup && IsWindowVisible(popup->Handle());
                if (TTBXCustomListViewer* after = ListViewer(Root)) offset = after->Offset();
                Key(VK_ESCAPE);
                Key(VK_ESCAPE);
              });
            }),
            nullptr);
  EXPECT_TRUE(open);
  EXPECT_EQ(offset, 1);
  EXPECT_EQ(spy.Changes, std::vector<int>{});
}

TEST_F(ListMenuLoop, AClickOnARowChoosesItAndClosesTheMenuWithoutTheCommandSound) {
  TSchemeSound commandSound(L"MenuCommand", L"command.wav");
  TRecordingSounds sounds;
  seams::Scoped<seams::TSounds> useSounds(sounds);
  EXPECT_EQ(RunWithList([&](TTBXPopupWindow* Root) {
              TTBXCustomListViewer* v = ListViewer(Root);
              ASSERT_NE(v, nullptr);
              Click(RowOnScreen(v, 2));
            }),
            list);
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_EQ(spy.Changes, std::vector<int>{2});
  for (const auto& played : sounds.Played) EXPECT_NE(played.first, L"MenuCommand");
  // An ordinary item of the same menu does make it.
  EXPECT_EQ(RunMenu([&](TTBXPopupWindow*) {
              Key(VK_UP);
              Key(VK_RETURN);
            }),
            last);
  ASSERT_FALSE(sounds.Played.empty());
  EXPECT_EQ(sounds.Played.back().first, L"MenuCommand");
}

TEST_F(ListMenuLoop, ADragThatEntersTheListChoosesTheRowItEndsOn) {
  EXPECT_EQ(RunWithList([&](TTBXPopupWindow* Root) {
              // Pressed on the list's own menu item, outside the list.
              const POINT onPick = CentreOnScreen(Root->View()->Find(pick));
              SetCursorPos(onPick.x, onPick.y);
              SendButton(MOUSEEVENTF_LEFTDOWN);
              driver.Post([&, Root] {
                TTBXCustomListViewer* v = ListViewer(Root);
                ASSERT_NE(v, nullptr);
                const POINT row = RowOnScreen(v, 3);
                SetCursorPos(row.x, row.y);
                driver.Post([] { SendButton(MOUSEEVENTF_LEFTUP); });
              });
            }),
            list);
  EXPECT_EQ(list->ItemIndex(), 3);
  EXPECT_EQ(spy.Changes, std::vector<int>{3});
}

TEST_F(ListMenuLoop, AChangeHandlerMayFreeTheWholeMenu) {
  spy.Then = [this] {
    menu->Free();
    menu = nullptr;
  };
  bool chosen = false;
  EXPECT_EQ(RunWithList([&](TTBXPopupWindow* Root) {
              TTBXCustomListViewer* v = ListViewer(Root);
              ASSERT_NE(v, nullptr);
              Click(RowOnScreen(v, 4));
              driver.Post([&] {
                chosen = menu == nullptr;
                // Nothing is left to choose: the user closes what is left.
                Key(VK_ESCAPE);
                Key(VK_ESCAPE);
              });
            }),
            nullptr);
  EXPECT_TRUE(chosen);
  EXPECT_EQ(spy.Changes, std::vector<int>{4});
}

}  // namespace
