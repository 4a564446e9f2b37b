#include "ItemTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace item_tests;

namespace {

constexpr TShortCut kCtrlS = scCtrl | 'S';

// Holds Ctrl down in the thread's key state for the test's lifetime.
class TCtrlDown {
 public:
  TCtrlDown() {
    GetKeyboardState(saved_);
    BYTE state[256];
    memcpy(state, saved_, sizeof(state));
    state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
    SetKeyboardState(state);
  }
  ~TCtrlDown() { SetKeyboardState(saved_); }

 private:
  BYTE saved_[256];
};

TWMKey KeyS() {
  TWMKey key;
  key.Msg = WM_KEYDOWN;
  key.CharCode = 'S';
  key.KeyData = 1;
  return key;
}

class ShortCuts : public ::testing::Test {
 protected:
  TItemFactory f;
  TTBRootItem* root = f.Make<TTBRootItem>(L"root");
};

// Counts the exceptions that reach the application's handler.
int g_handled = 0;
void CountingHandler(const Exception*, const char*) noexcept { ++g_handled; }

}  // namespace

TEST_F(ShortCuts, TheSearchGoesDepthFirstInIndexOrderAndNamesTheTopmostParent) {
  auto* file = f.Make<TTBSubmenuItem>(L"file", root);
  auto* recent = f.Make<TTBSubmenuItem>(L"recent", file);
  auto* deep = f.Make(L"deep", recent);
  auto* later = f.Make(L"later", root);
  deep->SetShortCut(kCtrlS);
  later->SetShortCut(kCtrlS);
  deep->SetVisible(false);  // visibility and enablement do not count
  deep->SetEnabled(false);
  TTBCustomItem* top = reinterpret_cast<TTBCustomItem*>(1);
  EXPECT_EQ(deep, root->FindItemWithShortCut(kCtrlS, top));
  EXPECT_EQ(file, top);
  deep->SetShortCut(0);
  EXPECT_EQ(later, root->FindItemWithShortCut(kCtrlS, top));
  EXPECT_EQ(nullptr, top);
  EXPECT_EQ(nullptr, root->FindItemWithShortCut(scAlt | 'Q', top));
}

TEST_F(ShortCuts, TheSearchFollowsAtMost25LinksAlongOnePath) {
  for (int links : {25, 26}) {
    TItemFactory g;
    auto* r = g.Make<TTBRootItem>(L"r");
    // r links to holder 1, whose child links to holder 2, ... so each level costs one link.
    TTBCustomItem* level = r;
    for (int i = 1; i <= links; ++i) {
      auto* holder = g.Make(String(L"h" + std::to_wstring(i)).c_str());
      level->SetLinkSubitems(holder);
      auto* next = g.Make(String(L"n" + std::to_wstring(i)).c_str(), holder);
      level = next;
    }
    auto* target = g.Make(L"target", level);
    target->SetShortCut(kCtrlS);
    auto* sibling = g.Make(L"sibling", r->LinkSubitems());
    sibling->SetShortCut(kCtrlS);
    TTBCustomItem* top;
    // Past the limit the branch is skipped and the search goes on with the next sibling.
    EXPECT_EQ(links == 25 ? target : sibling, r->FindItemWithShortCut(kCtrlS, top)) << links;
  }
}

TEST_F(ShortCuts, IsShortCutFiresThePopupEventsAlongThePathThenClicks) {
  auto* edit = f.Make<TTBSubmenuItem>(L"edit", root);
  auto* shared = f.Make(L"shared");
  auto* linker = f.Make<TTBSubmenuItem>(L"linker", edit);
  linker->SetLinkSubitems(shared);
  auto* save = f.Make(L"save", shared);
  save->SetShortCut(kCtrlS);
  TCtrlDown ctrl;
  TWMKey key = KeyS();
  EXPECT_TRUE(root->IsShortCut(key));
  EXPECT_EQ((std::vector<std::string>{"popup root", "click root", "popup edit", "click edit",
                                      "popup linker link", "click shared", "popup linker", "click linker",
                                      "click save"}),
            f.Events.Log);
}

TEST_F(ShortCuts, IsShortCutNeedsTheModifiersOfTheKey) {
  auto* save = f.Make(L"save", root);
  save->SetShortCut(kCtrlS);
  TWMKey key = KeyS();
  EXPECT_FALSE(root->IsShortCut(key));  // no Ctrl held
  EXPECT_TRUE(f.Events.Log.empty() || f.Events.Log.back() != "click save");
}

TEST_F(ShortCuts, ADisabledItemOrPathIsNotClicked) {
  auto* sub = f.Make<TTBSubmenuItem>(L"sub", root);
  auto* save = f.Make(L"save", sub);
  save->SetShortCut(kCtrlS);
  TCtrlDown ctrl;
  struct Case {
    const char* what;
    TTBCustomItem* disabled;
  } cases[] = {{"the item", save}, {"its submenu", sub}, {"the root", root}};
  for (const Case& k : cases) {
    k.disabled->SetEnabled(false);
    f.Events.Log.clear();
    TWMKey key = KeyS();
    EXPECT_FALSE(root->IsShortCut(key)) << k.what;
    EXPECT_EQ(0, std::count(f.Events.Log.begin(), f.Events.Log.end(), "click save")) << k.what;
    k.disabled->SetEnabled(true);
  }
}

TEST_F(ShortCuts, ExceptionsFromPopupHandlersAndTheCommandGoToTheApplication) {
  auto* sub = f.Make<TTBSubmenuItem>(L"sub", root);
  auto* save = f.Make(L"save", sub);
  save->SetShortCut(kCtrlS);
  f.Events.OnPopupHook = [](TTBCustomItem*) { throw Exception(L"popup failed"); };
  f.Events.OnClickHook = [save](TObject* s) {
    if (s == save) throw Exception(L"command failed");
  };
  g_handled = 0;
  SetBoundaryHandler(CountingHandler);
  TCtrlDown ctrl;
  TWMKey key = KeyS();
  EXPECT_TRUE(root->IsShortCut(key));
  SetBoundaryHandler(nullptr);
  EXPECT_EQ(3, g_handled);  // two popups and the command
  EXPECT_EQ("click save", f.Events.Log.back());
}

TEST_F(ShortCuts, APopupHandlerThatKeepsChangingTheTreeDoesNotHangTheSearch) {
  auto* left = f.Make<TTBSubmenuItem>(L"left", root);
  auto* right = f.Make<TTBSubmenuItem>(L"right", root);
  auto* save = f.Make(L"save", left);
  save->SetShortCut(kCtrlS);
  int popups = 0;
  // Each opening of the submenu moves the command to the other submenu.
  f.Events.OnPopupHook = [&](TTBCustomItem* s) {
    if (s != left && s != right) return;
    ++popups;
    TTBCustomItem* other = s == left ? right : left;
    s->Remove(save);
    other->Add(save);
  };
  TCtrlDown ctrl;
  TWMKey key = KeyS();
  EXPECT_FALSE(root->IsShortCut(key));
  EXPECT_GT(popups, 1);
  EXPECT_LT(popups, 100);
}

TEST_F(ShortCuts, ASplitButtonOnThePathGetsItsPopupEventButNoClick) {
  auto* combo = f.Make<TTBSubmenuItem>(L"combo", root);
  combo->SetDropdownCombo(true);
  auto* save = f.Make(L"save", combo);
  save->SetShortCut(kCtrlS);
  TCtrlDown ctrl;
  TWMKey key = KeyS();
  EXPECT_TRUE(root->IsShortCut(key));
  EXPECT_EQ((std::vector<std::string>{"popup root", "click root", "popup combo", "click save"}), f.Events.Log);
}
