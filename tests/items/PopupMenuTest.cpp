// The popup menu and the item container: their root items, the menu's popup event and
// shortcuts, showing the menu at a point through the menu loop, and the shared toolbar font.
#include "ItemTestSupport.h"

#include "common/TestSupport.h"
#include "items/TB2PopupMenu.h"
#include "items/TB2View.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <typeinfo>
#include <utility>

using namespace item_tests;
using testing_support::PumpMessages;

namespace {

// A root item that reports where its popup goes, so that a test can act while the menu is open.
class TSpyRoot : public TTBRootItem {
 public:
  using TTBRootItem::TTBRootItem;
  void GetPopupPosition(TTBView* ParentView, TTBPopupWindow* PopupWindow, TTBPopupPositionRec& P) override {
    TTBRootItem::GetPopupPosition(ParentView, PopupWindow, P);
    if (OnPlaced) OnPlaced(PopupWindow, P);
  }
  std::function<void(TTBPopupWindow*, const TTBPopupPositionRec&)> OnPlaced;
};

class TSpyPopupMenu : public TTBPopupMenu {
 public:
  explicit TSpyPopupMenu(TComponent* AOwner) : TTBPopupMenu(AOwner, CreateRootItemOf<TSpyRoot>) {}
  TSpyRoot* Root() const { return static_cast<TSpyRoot*>(Items()); }
};

// Records the senders of notify events.
struct TSenderLog : TObject {
  std::vector<TObject*> Senders;
  void Event(TObject* Sender) { Senders.push_back(Sender); }
  TNotifyEvent Handler() { return TNotifyEvent(this, &TSenderLog::Event); }
};

// The children form streaming would write for a holder of items.
template <class THolder>
std::vector<TComponent*> ChildrenOf(const THolder& Holder, TComponent* Root) {
  struct TCollect : TObject {
    std::vector<TComponent*> Children;
    void Add(TComponent* C) { Children.push_back(C); }
  } collect;
  Holder.GetChildren(TEvent<void(TComponent*)>(&collect, &TCollect::Add), Root);
  return collect.Children;
}

// The thread's windows besides the click queue's, which lives as long as items do.
int MenuWindows() {
  return testing_support::ThreadWindowCount() - (tb2item_detail::ClickWnd() ? 1 : 0);
}

class PopupMenus : public testing::Test {
 protected:
  void SetUp() override {
    SetCursorPos(1, 1);  // no window shows under the cursor
    menu = new TSpyPopupMenu(items.Owner());
    chosen = items.Make(L"chosen", menu->Items());
    chosen->SetCaption(L"Chosen");
    chosen->SetShortCut(ShortCut(VK_F5, 0));
    items.Make(L"other", menu->Items())->SetCaption(L"Other");
    windows = MenuWindows();
  }
  void TearDown() override {
    PumpMessages();
    EXPECT_EQ(MenuWindows(), windows) << "no menu window is left behind";
    EXPECT_EQ(GetCapture(), nullptr);
  }
  int Clicks(const char* Name) const {
    return static_cast<int>(std::count(items.Events.Log.begin(), items.Events.Log.end(), std::string("click ") + Name));
  }
  TItemFactory items;
  TSpyPopupMenu* menu = nullptr;
  TTBCustomItem* chosen = nullptr;
  int windows = 0;
};

TEST_F(PopupMenus, ThePopupEventNamesTheMenuNotItsRootItem) {
  TSenderLog log;
  menu->OnPopup = log.Handler();
  TTBPopupWindow* popup = menu->Items()->CreatePopup(nullptr, nullptr, false, false, false, POINT{200, 200}, tbpaLeft);
  popup->Free();
  EXPECT_EQ(log.Senders, std::vector<TObject*>{menu});

  // A shortcut search opens the menu's levels in thought: the same event, then the command.
  TWMKey key{WM_KEYDOWN, VK_F5, 0, 0};
  EXPECT_TRUE(menu->IsShortCut(key));
  EXPECT_EQ(log.Senders, (std::vector<TObject*>{menu, menu}));
  EXPECT_EQ(Clicks("chosen"), 1);
  TWMKey other{WM_KEYDOWN, VK_F6, 0, 0};
  EXPECT_FALSE(menu->IsShortCut(other));
}

TEST_F(PopupMenus, TheMenuShowsAtThePointWithItsAlignment) {
  struct Case {
    TPopupAlignment alignment;
    TTBPopupAlignment expected;
  } cases[] = {{paLeft, tbpaLeft}, {paRight, tbpaRight}, {paCenter, tbpaCenter}};
  for (const Case& c : cases) {
    menu->SetAlignment(c.alignment);
    TTBPopupPositionRec placed;
    HWND captured = nullptr;
    menu->Root()->OnPlaced = [&](TTBPopupWindow*, const TTBPopupPositionRec& P) {
      placed = P;
      captured = GetCapture();
      // The loop dispatches this to the handler's window, which lets the capture go: the menu
      // ends without an outcome.
      PostMessageW(captured, WM_CANCELMODE, 0, 0);
    };
    EXPECT_EQ(menu->PopupEx(400, 300, false), nullptr);
    EXPECT_EQ(menu->PopupPoint().x, 400);
    EXPECT_EQ(menu->PopupPoint().y, 300);
    EXPECT_EQ(placed.Alignment, c.expected);
    EXPECT_EQ(placed.ParentItemRect, (RECT{400, 300, 400, 300}));
    EXPECT_FALSE(placed.PositionAsSubmenu);
    EXPECT_NE(captured, nullptr) << "the menu loop holds the mouse while the menu is open";
    EXPECT_EQ(GetCapture(), nullptr);
  }
  PumpMessages();
  EXPECT_EQ(Clicks("chosen"), 0);
}

TEST_F(PopupMenus, AChosenItemIsAnsweredAndClickedOnlyWhenAskedAfterTheMenuHasClosed) {
  testing_support::TMenuDriver driver;
  bool closedAtClick = false;
  items.Events.OnClickHook = [&](TObject*) {
    closedAtClick = GetCapture() == nullptr && MenuWindows() == windows;
  };
  for (bool returnOnly : {true, false}) {
    items.Events.Log.clear();
    closedAtClick = false;
    menu->Root()->OnPlaced = [&](TTBPopupWindow* PopupWindow, const TTBPopupPositionRec&) {
      // Stands in for the user's choice: the root view records it, and the loop ends.
      TTBView* rootView = PopupWindow->View();
      driver.Post([rootView, this] {
        if (!GetCapture()) return;  // the menu is over (and its view gone) when no loop runs
        TTBDoneActionData& done = rootView->DoneActionData();
        done.DoneAction = tbdaClickItem;
        done.ClickItem = chosen;
      });
    };
    EXPECT_EQ(menu->PopupEx(300, 200, returnOnly), chosen) << "only the item " << returnOnly;
    EXPECT_EQ(Clicks("chosen"), 0) << "not while the menu call runs";
    PumpMessages();
    EXPECT_EQ(Clicks("chosen"), returnOnly ? 0 : 1);
    EXPECT_EQ(closedAtClick, !returnOnly) << "the command runs after the menu is gone";
  }
}

// The same menu chosen from by keys, by an accelerator and by the mouse; the right button
// chooses only in a menu that tracks it.
TEST_F(PopupMenus, TheUserChoosesWithKeysAnAcceleratorOrTheRightButtonWhenTracked) {
  chosen->SetCaption(L"&Chosen");
  TTBCustomItem* other = menu->Items()->Items(1);
  other->SetCaption(L"&Other");
  enum class TInput { DownEnter, Accelerator, Escape, RightClickOnOther };
  struct Case {
    const char* what;
    TInput input;
    TTrackButton track;
    TTBCustomItem* expected;
  } cases[] = {
      {"Down and Enter", TInput::DownEnter, tbRightButton, chosen},
      {"its accelerator", TInput::Accelerator, tbRightButton, other},
      {"Escape", TInput::Escape, tbRightButton, nullptr},
      {"a right click, tracked", TInput::RightClickOnOther, tbRightButton, other},
      {"a right click, not tracked (then Escape)", TInput::RightClickOnOther, tbLeftButton, nullptr},
  };
  testing_support::TMenuDriver driver;
  for (const Case& c : cases) {
    menu->SetTrackButton(c.track);
    menu->Root()->OnPlaced = [&](TTBPopupWindow* PopupWindow, const TTBPopupPositionRec&) {
      driver.Post([&c, PopupWindow, other] {
        HWND loop = GetCapture();
        if (!loop) return;  // no menu loop runs
        auto key = [loop](WPARAM Key) { PostMessageW(loop, WM_KEYDOWN, Key, 1); };
        switch (c.input) {
          case TInput::DownEnter:
            key(VK_DOWN);
            key(VK_RETURN);
            break;
          case TInput::Accelerator: PostMessageW(loop, WM_CHAR, L'o', 1); break;
          case TInput::Escape: key(VK_ESCAPE); break;
          case TInput::RightClickOnOther: {
            // The loop's window sits at the screen's origin: its client points are screen ones.
            TTBItemViewer* v = PopupWindow->View()->Find(other);
            POINT p{(v->BoundsRect.left + v->BoundsRect.right) / 2, (v->BoundsRect.top + v->BoundsRect.bottom) / 2};
            ClientToScreen(PopupWindow->Handle(), &p);
            SetCursorPos(p.x, p.y);
            const LPARAM at = MAKELPARAM(p.x, p.y);
            PostMessageW(loop, WM_MOUSEMOVE, 0, at);
            PostMessageW(loop, WM_RBUTTONDOWN, MK_RBUTTON, at);
            PostMessageW(loop, WM_RBUTTONUP, 0, at);
            key(VK_ESCAPE);  // ends the menu when the clicks did not
            break;
          }
        }
      });
    };
    items.Events.Log.clear();
    EXPECT_EQ(menu->PopupEx(300, 200, true), c.expected) << c.what;
    EXPECT_EQ(GetCapture(), nullptr) << c.what;
    PumpMessages();
    EXPECT_TRUE(items.Events.Log.empty()) << c.what << ": only the item is answered";
    SetCursorPos(1, 1);
  }
}

TEST_F(PopupMenus, TheRootItemIsTheMenusOwnAndHoldsItsChildren) {
  EXPECT_NE(dynamic_cast<TSpyRoot*>(menu->Items()), nullptr);
  EXPECT_EQ(menu->GetRootItemClass(), &CreateRootItemOf<TSpyRoot>);
  EXPECT_EQ(menu->GetItems(), menu->Items());
  EXPECT_EQ(menu->Items()->RootParentComponent(), menu);
  EXPECT_EQ(chosen->GetParentComponent(), menu);

  // Items read from a form resource attach to the menu's root.
  TTBCustomItem* loaded = items.Make(L"loaded");
  loaded->SetParentComponent(menu);
  EXPECT_EQ(loaded->Parent(), menu->Items());

  EXPECT_EQ(ChildrenOf(*menu, items.Owner()), (std::vector<TComponent*>{chosen, menu->Items()->Items(1), loaded}));
  menu->SetChildOrder(loaded, 0);
  EXPECT_EQ(menu->Items()->Items(0), loaded);

  // The plain menu makes a plain root.
  auto* plain = new TTBPopupMenu(items.Owner());
  EXPECT_EQ(typeid(*plain->Items()), typeid(TTBRootItem));
}

TEST_F(PopupMenus, ForwardedPropertiesReachTheRootItem) {
  auto* images = new TCustomImageList(items.Owner());
  menu->SetImages(images);
  EXPECT_EQ(menu->Items()->SubMenuImages(), images);
  EXPECT_EQ(menu->Images(), images);
  TTBCustomItem* source = items.Make(L"source");
  menu->SetLinkSubitems(source);
  EXPECT_EQ(menu->Items()->LinkSubitems(), source);
  EXPECT_EQ(menu->LinkSubitems(), source);
  menu->SetOptions(tboShowHint);
  EXPECT_EQ(menu->Items()->Options(), tboShowHint);
  EXPECT_EQ(menu->Options(), tboShowHint);
}

TEST_F(PopupMenus, FreeingTheMenuFreesItsItems) {
  TTBCustomItem* root = menu->Items();
  bool rootGone = false, itemGone = false;
  struct TWatch : TComponent {
    TComponent* Root;
    TComponent* Item;
    bool* RootGone;
    bool* ItemGone;
    TWatch() : TComponent(nullptr) {}
    void Notification(TComponent* C, TOperation Op) override {
      TComponent::Notification(C, Op);
      if (Op != TOperation::opRemove) return;
      if (C == Root) *RootGone = true;
      if (C == Item) *ItemGone = true;
    }
  } watch;
  watch.Root = root;
  watch.Item = chosen;
  watch.RootGone = &rootGone;
  watch.ItemGone = &itemGone;
  root->FreeNotification(&watch);
  chosen->FreeNotification(&watch);
  menu->Free();
  EXPECT_TRUE(rootGone);
  EXPECT_TRUE(itemGone);
}

// --- the item container ---------------------------------------------------------------------

TEST(ItemContainer, HoldsItemsForOthersToLinkTo) {
  TItemFactory items;
  auto* container = new TTBItemContainer(items.Owner());
  TTBCustomItem* root = container->Items();
  EXPECT_EQ(container->GetItems(), root);
  EXPECT_EQ(root->RootParentComponent(), container);
  EXPECT_EQ(root->Owner(), container);

  TTBCustomItem* a = items.Make(L"a");
  a->SetParentComponent(container);
  TTBCustomItem* b = items.Make(L"b", root);
  EXPECT_EQ(a->Parent(), root);
  EXPECT_EQ(a->GetParentComponent(), container);

  EXPECT_EQ(ChildrenOf(*container, items.Owner()), (std::vector<TComponent*>{a, b}));

  auto* images = new TCustomImageList(items.Owner());
  container->SetImages(images);
  EXPECT_EQ(root->SubMenuImages(), images);
  EXPECT_EQ(container->Images(), images);

  // A submenu elsewhere shows the container's items.
  auto* sub = items.Make<TTBSubmenuItem>(L"sub");
  sub->SetLinkSubitems(root);
  TTBView view(nullptr, nullptr, sub, nullptr, false, false, false);
  ASSERT_EQ(view.ViewerCount(), 2);
  EXPECT_EQ(view.Viewers(0)->Item(), a);
  EXPECT_EQ(view.Viewers(1)->Item(), b);

  container->Free();
  EXPECT_EQ(view.ViewerCount(), 0) << "the linked items went with the container";
}

// --- the shared toolbar font ----------------------------------------------------------------

TEST(ToolbarFont, IsTheSystemMenuFont) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
  LOGFONTW font{};
  ASSERT_EQ(GetObjectW(ToolbarFont().Handle(), sizeof(font), &font), static_cast<int>(sizeof(font)));
  const LOGFONTW& menuFont = metrics.lfMenuFont;
  EXPECT_EQ(String(font.lfFaceName), String(menuFont.lfFaceName));
  EXPECT_EQ(font.lfHeight, menuFont.lfHeight);
  EXPECT_EQ(font.lfWeight, menuFont.lfWeight);
  EXPECT_EQ(font.lfItalic, menuFont.lfItalic);
  EXPECT_EQ(font.lfCharSet, menuFont.lfCharSet);
}

}  // namespace
