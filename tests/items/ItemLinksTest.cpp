// Items bound to actions and to image lists.
#include "ItemTestSupport.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <thread>

using namespace item_tests;

namespace {

class TActionSpy : public TObject {
 public:
  void Execute(TObject*) { ++Executed; }
  void Update(TObject*) { ++Updated; }
  int Executed = 0;
  int Updated = 0;
};

class ItemLinks : public ::testing::Test {
 protected:
  TItemFactory f;
  TTBRootItem* root = f.Make<TTBRootItem>(L"root");
  TTBItem* item = f.Make<TTBItem>(L"item", root);
  TActionSpy spy;
  TListener listener;
};

}  // namespace

TEST_F(ItemLinks, AnItemFollowsItsActionWhileItAgreesWithIt) {
  auto* action = new TAction(f.Owner());
  action->SetCaption(L"&Open");
  action->SetShortCut(static_cast<TShortCut>(scCtrl | 'O'));
  action->SetOnExecute(TNotifyEvent(&spy, &TActionSpy::Execute));
  item->OnClick = nullptr;
  item->SetAction(action);
  EXPECT_EQ(action, item->Action());
  EXPECT_EQ(L"&Open", item->Caption());
  EXPECT_EQ(static_cast<TShortCut>(scCtrl | 'O'), item->ShortCut());

  action->SetCaption(L"Open &file");
  action->SetEnabled(false);
  EXPECT_EQ(L"Open &file", item->Caption());
  EXPECT_FALSE(item->Enabled());
  action->SetEnabled(true);

  item->SetCaption(L"Mine");  // the item's own text stops following
  action->SetCaption(L"Other");
  EXPECT_EQ(L"Mine", item->Caption());
  action->SetCaption(L"Mine");
  action->SetCaption(L"Again");  // agreeing again, it follows again
  EXPECT_EQ(L"Again", item->Caption());

  item->SetCaption(L"Mine");
  action->NotifyClients();  // a full refresh takes every value over again
  EXPECT_EQ(L"Again", item->Caption());

  item->Click();
  EXPECT_EQ(1, spy.Executed);
  item->InitiateAction();
  EXPECT_EQ(0, spy.Updated);
  action->OnUpdate = TNotifyEvent(&spy, &TActionSpy::Update);
  item->InitiateAction();
  EXPECT_EQ(1, spy.Updated);

  action->Free();  // the item lets go of a freed action
  EXPECT_EQ(nullptr, item->Action());
}

TEST_F(ItemLinks, AnOwnClickHandlerWinsOverTheAction) {
  auto* action = new TAction(f.Owner());
  action->SetOnExecute(TNotifyEvent(&spy, &TActionSpy::Execute));
  item->SetAction(action);  // the action's handler replaces the item's
  EXPECT_TRUE(MethodsEqual(item->OnClick, action->OnExecute()));
  item->OnClick = f.Events.ClickEvent();
  item->Click();
  EXPECT_EQ(0, spy.Executed);
  EXPECT_EQ("click item", f.Events.Log.back());
}

TEST_F(ItemLinks, ALoadedItemTakesOnlyTheValuesItLeftAtTheirDefaults) {
  auto* action = new TAction(f.Owner());
  action->SetCaption(L"From action");
  action->SetHint(L"Action hint");
  action->SetImageIndex(4);
  auto* loading = new TComponent(f.Owner());
  loading->BeginLoading();
  auto* loaded = new TTBItem(loading);
  loaded->SetCaption(L"Own caption");
  loaded->SetAction(action);
  EXPECT_EQ(L"Own caption", loaded->Caption());
  EXPECT_EQ(L"Action hint", loaded->Hint());
  EXPECT_EQ(4, loaded->ImageIndex());
  loaded->SetHint(L"");
  loading->EndLoading();  // Loaded takes the defaults over once more
  EXPECT_EQ(L"Own caption", loaded->Caption());
  EXPECT_EQ(L"Action hint", loaded->Hint());
}

TEST_F(ItemLinks, AutoCheckTogglesAlsoWithAPlainAction) {
  auto* action = new TBasicAction(f.Owner());
  item->SetAction(action);
  item->SetAutoCheck(true);
  EXPECT_NO_THROW(item->Click());
  EXPECT_TRUE(item->Checked());
  item->Click();
  EXPECT_FALSE(item->Checked());
}

TEST_F(ItemLinks, ImageListsChangeTheItemsSizeOnlyWhenTheImageSizeChanges) {
  auto* small1 = new TImageList(f.Owner());
  auto* small2 = new TImageList(f.Owner());
  auto* large = new TImageList(f.Owner());
  large->SetSize(24, 24);
  root->RegisterNotification(listener.Proc());
  struct Case {
    const char* what;
    std::function<void()> act;
    std::vector<TTBItemChangedAction> expected;
  } cases[] = {
      {"first list", [&] { item->SetImages(small1); }, {tbicInvalidateAndResize}},
      {"same list", [&] { item->SetImages(small1); }, {}},
      {"another list of the same size", [&] { item->SetImages(small2); }, {tbicInvalidate}},
      {"the list's size changes", [&] { small2->SetSize(32, 32); }, {tbicInvalidateAndResize}},
      {"a larger list", [&] { item->SetImages(large); }, {tbicInvalidateAndResize}},
      {"the list is freed", [&] { large->Free(); }, {tbicInvalidateAndResize}},
      {"no list again", [&] { item->SetImages(nullptr); }, {}},
  };
  for (const Case& k : cases) {
    listener.Notes.clear();
    k.act();
    std::vector<TTBItemChangedAction> actions;
    for (const TNote& n : listener.Notes) actions.push_back(n.Action);
    EXPECT_EQ(k.expected, actions) << k.what;
  }
  EXPECT_EQ(nullptr, item->Images());
  root->UnregisterNotification(listener.Proc());
}

TEST_F(ItemLinks, SubmenuImagesNotifyTheItemsOwnListeners) {
  auto* list = new TImageList(f.Owner());
  item->RegisterNotification(listener.Proc());
  item->SetSubMenuImages(list);
  list->SetSize(20, 20);
  list->Free();
  EXPECT_EQ(nullptr, item->SubMenuImages());
  std::vector<TTBItemChangedAction> actions;
  for (const TNote& n : listener.Notes) actions.push_back(n.Action);
  EXPECT_EQ((std::vector<TTBItemChangedAction>{tbicSubMenuImagesChanged, tbicSubMenuImagesChanged,
                                               tbicSubMenuImagesChanged}),
            actions);
  item->UnregisterNotification(listener.Proc());
}

TEST_F(ItemLinks, AnItemFreedWhileTakingOverItsActionsValuesStopsThere) {
  struct Case {
    const char* what;
    const wchar_t* freedAtCaption;  // the root's listener frees the item when told of this caption
    std::function<void(TTBCustomItem*, TAction*)> bind;
  } cases[] = {
      {"binding the action", L"From action", [](TTBCustomItem* bound, TAction* action) { bound->SetAction(action); }},
      {"the action telling its clients", L"Other", [](TTBCustomItem* bound, TAction* action) {
         bound->SetAction(action);
         bound->SetCaption(L"Mine");  // no longer follows the caption...
         action->SetCaption(L"Other");
         action->NotifyClients();  // ...until every value is taken over again
       }},
  };
  root->RegisterNotification(listener.Proc());
  for (const Case& k : cases) {
    auto* bound = f.Make<TTBItem>(L"bound", root);
    auto* action = new TAction(f.Owner());
    action->SetCaption(L"From action");
    action->SetChecked(true);
    listener.Hook = [&](const TNote& n) {
      if (n.Action == tbicInvalidateAndResize && n.Item == bound && bound->Caption() == k.freedAtCaption) {
        bound->Free();
        bound = nullptr;
      }
    };
    k.bind(bound, action);
    EXPECT_EQ(nullptr, bound) << k.what;
    EXPECT_EQ("root(item)", TreeOf(f.Owner())) << k.what;
    action->Free();  // the freed item is not among the action's clients
  }
  root->UnregisterNotification(listener.Proc());
}

TEST(ClickQueueThreads, EachThreadHasItsOwnClickWindow) {
  TItemFactory f;
  auto* mine = f.Make(L"mine");
  mine->PostClick();
  HWND mainWindow = tb2item_detail::ClickWnd();
  HWND workerWindow = nullptr;
  int workerClicks = 0;
  std::thread worker([&] {
    TItemFactory g;
    auto* theirs = g.Make(L"theirs");
    theirs->PostClick();
    workerWindow = tb2item_detail::ClickWnd();
    testing_support::PumpMessages();
    workerClicks = static_cast<int>(g.Events.Log.size());
  });
  worker.join();
  EXPECT_NE(nullptr, workerWindow);
  EXPECT_NE(mainWindow, workerWindow);
  EXPECT_EQ(1, workerClicks);
  EXPECT_FALSE(IsWindow(workerWindow));  // gone with the thread's last item
  testing_support::PumpMessages();
  EXPECT_EQ((std::vector<std::string>{"click mine"}), f.Events.Log);
}
