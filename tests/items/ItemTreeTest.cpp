#include "ItemTestSupport.h"

#include <gtest/gtest.h>

using namespace item_tests;

namespace {

class ItemTree : public ::testing::Test {
 protected:
  TItemFactory f;
  TListener listener;
  TTBRootItem* root = f.Make<TTBRootItem>(L"root");
  TTBCustomItem* a = f.Make(L"a", root);
  TTBCustomItem* b = f.Make(L"b", root);
  TTBCustomItem* c = f.Make(L"c", root);

  std::vector<TTBCustomItem*> Children(TTBCustomItem* p) {
    std::vector<TTBCustomItem*> v;
    for (int i = 0; i < p->Count(); ++i) v.push_back(p->Items(i));
    return v;
  }
};

String ErrorOf(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const ETBItemError& e) {
    return e.Message();
  }
  return L"";
}

}  // namespace

TEST_F(ItemTree, ChildrenAreAddedInsertedMovedAndRemovedWithNotifications) {
  root->RegisterNotification(listener.Proc());
  auto* d = f.Make(L"d");
  root->Insert(1, d);
  EXPECT_EQ((std::vector<TTBCustomItem*>{a, d, b, c}), Children(root));
  EXPECT_EQ(root, d->Parent());
  ASSERT_EQ(3u, listener.Notes.size());
  EXPECT_EQ((TNote{root, false, tbicSubitemsBeginUpdate, -1, nullptr}), listener.Notes[0]);
  EXPECT_EQ((TNote{root, false, tbicInserted, 1, d}), listener.Notes[1]);
  EXPECT_EQ((TNote{root, false, tbicSubitemsEndUpdate, -1, nullptr}), listener.Notes[2]);

  listener.Notes.clear();
  root->Move(0, 3);
  EXPECT_EQ((std::vector<TTBCustomItem*>{d, b, c, a}), Children(root));
  EXPECT_EQ((std::vector<TNote>{{root, false, tbicDeleting, 0, a}, {root, false, tbicInserted, 3, a}}),
            listener.Changes());

  listener.Notes.clear();
  root->Remove(b);
  EXPECT_EQ(nullptr, b->Parent());
  EXPECT_EQ((std::vector<TNote>{{root, false, tbicDeleting, 1, b}}), listener.Notes);
  root->Remove(b);  // not a child any more: nothing
  EXPECT_EQ(1u, listener.Notes.size());
  root->UnregisterNotification(listener.Proc());
  b->Free();
}

TEST_F(ItemTree, TreeErrorsLeaveTheTreeUnchanged) {
  auto* loose = f.Make(L"loose");
  struct Case {
    const char* what;
    std::function<void()> fn;
    const wchar_t* message;
  } cases[] = {
      {"insert past the end", [&] { root->Insert(4, loose); }, L"Toolbar item index out of range"},
      {"insert before the start", [&] { root->Insert(-1, loose); }, L"Toolbar item index out of range"},
      {"insert a child again", [&] { root->Insert(0, a); }, L"Toolbar item already inserted"},
      {"insert a child elsewhere", [&] { loose->Add(b); }, L"Toolbar item already inserted"},
      {"item past the end", [&] { root->GetItem(3); }, L"Toolbar item index out of range"},
      {"delete past the end", [&] { root->Delete(3); }, L"Toolbar item index out of range"},
      {"move to past the end", [&] { root->Move(0, 3); }, L"Toolbar item index out of range"},
      {"move from past the end", [&] { root->Move(3, 0); }, L"Toolbar item index out of range"},
  };
  for (const Case& k : cases) {
    EXPECT_EQ(String(k.message), ErrorOf(k.fn)) << k.what;
    EXPECT_EQ((std::vector<TTBCustomItem*>{a, b, c}), Children(root)) << k.what;
    EXPECT_EQ(nullptr, loose->Parent()) << k.what;
  }
  root->Insert(3, loose);  // index = count appends
  EXPECT_EQ(loose, root->Items(3));
}

TEST_F(ItemTree, AnEndUpdateFollowsAListenerException) {
  listener.Hook = [](const TNote& n) {
    if (n.Action == tbicInserted) throw Exception(L"listener failed");
  };
  root->RegisterNotification(listener.Proc());
  EXPECT_THROW(root->Add(f.Make(L"d")), Exception);
  EXPECT_EQ(tbicSubitemsEndUpdate, listener.Notes.back().Action);
  root->UnregisterNotification(listener.Proc());
}

TEST_F(ItemTree, SettersNotifyOnlyOnARealChangeAndSayWhenTheSizeMayChange) {
  struct Case {
    const char* what;
    std::function<void()> set;
    std::vector<TTBItemChangedAction> expected;
  } cases[] = {
      {"caption", [&] { a->SetCaption(L"New"); }, {tbicInvalidateAndResize}},
      {"same caption", [&] { a->SetCaption(L"New"); }, {}},
      {"checked", [&] { a->SetChecked(true); }, {tbicInvalidate}},
      {"same checked", [&] { a->SetChecked(true); }, {}},
      {"enabled", [&] { a->SetEnabled(false); }, {tbicInvalidate}},
      {"same enabled", [&] { a->SetEnabled(false); }, {}},
      {"visible", [&] { a->SetVisible(false); }, {tbicInvalidateAndResize}},
      {"same visible", [&] { a->SetVisible(false); }, {}},
      {"display mode", [&] { a->SetDisplayMode(nbdmTextOnly); }, {tbicInvalidateAndResize}},
      {"radio item", [&] { a->SetRadioItem(true); }, {tbicInvalidate}},
      {"image -1 to 2", [&] { a->SetImageIndex(2); }, {tbicInvalidateAndResize}},
      {"image 2 to 5", [&] { a->SetImageIndex(5); }, {tbicInvalidate}},
      {"image 5 to -1", [&] { a->SetImageIndex(-1); }, {tbicInvalidateAndResize}},
      {"same image", [&] { a->SetImageIndex(-1); }, {}},
      {"hint is not shown by views", [&] { a->SetHint(L"tip"); }, {}},
      {"name", [&] { a->SetName(L"renamed"); }, {tbicNameChanged}},
      {"same name", [&] { a->SetName(L"renamed"); }, {}},
      {"default option", [&] { a->SetOptions(tboDefault); }, {tbicInvalidateAndResize}},
      {"hint option", [&] { a->SetOptions(tboDefault | tboShowHint); }, {}},
  };
  root->RegisterNotification(listener.Proc());
  for (const Case& k : cases) {
    listener.Notes.clear();
    k.set();
    std::vector<TTBItemChangedAction> actions;
    for (const TNote& n : listener.Notes) {
      actions.push_back(n.Action);
      EXPECT_EQ(a, n.Item) << k.what;
      EXPECT_EQ(root, n.Sender) << k.what;
    }
    EXPECT_EQ(k.expected, actions) << k.what;
  }
  root->UnregisterNotification(listener.Proc());
}

TEST_F(ItemTree, RadioGroupsKeepOneItemChecked) {
  auto* d = f.Make(L"d", root);
  a->SetGroupIndex(3);
  b->SetGroupIndex(3);
  c->SetGroupIndex(4);
  a->SetChecked(true);
  c->SetChecked(true);
  b->SetChecked(true);
  EXPECT_FALSE(a->Checked());
  EXPECT_TRUE(b->Checked());
  EXPECT_TRUE(c->Checked());  // another group
  // Group 0 is no group.
  d->SetChecked(true);
  auto* e = f.Make(L"e", root);
  e->SetChecked(true);
  EXPECT_TRUE(d->Checked());
  EXPECT_TRUE(b->Checked());
  // Joining a group with a checked item unchecks the others.
  d->SetGroupIndex(3);
  EXPECT_FALSE(b->Checked());
  EXPECT_TRUE(d->Checked());
}

TEST_F(ItemTree, OptionsAreInheritedFixedAndMasked) {
  a->SetOptions(tboToolbarSize);
  EXPECT_EQ(0, a->Options());
  a->SetOptions(tboToolbarSize | tboToolbarStyle);
  EXPECT_EQ(tboToolbarSize | tboToolbarStyle, a->Options());

  auto* child = f.Make(L"child", b);
  auto* own = f.Make(L"own", b);
  own->SetInheritOptions(false);
  own->SetOptions(tboSameWidth);
  auto* masked = f.Make(L"masked", b);
  masked->SetMaskOptions(tboShowHint);
  b->SetOptions(tboDefault | tboShowHint | tboNoRotation);
  EXPECT_EQ(tboDefault | tboShowHint | tboNoRotation, b->EffectiveOptions());
  EXPECT_EQ(tboShowHint | tboNoRotation, child->EffectiveOptions());  // the default is not inherited
  EXPECT_EQ(tboSameWidth, own->EffectiveOptions());
  EXPECT_EQ(tboNoRotation, masked->EffectiveOptions());
  // Moving an item under another parent takes that parent's options.
  b->Remove(child);
  c->Add(child);
  EXPECT_EQ(0, child->EffectiveOptions());
}

TEST_F(ItemTree, ALinkToItselfIsNoLinkAndLinksNotifyTheirListeners) {
  a->RegisterNotification(listener.Proc());
  a->SetLinkSubitems(a);
  EXPECT_EQ(nullptr, a->LinkSubitems());
  EXPECT_TRUE(listener.Notes.empty());
  a->SetLinkSubitems(b);
  EXPECT_EQ(b, SubitemsHolder(a));
  EXPECT_EQ(c, SubitemsHolder(c));
  EXPECT_EQ((std::vector<TNote>{{a, false, tbicSubitemsChanged, -1, nullptr}}), listener.Notes);
  // Freeing the target clears the link.
  b->Free();
  EXPECT_EQ(nullptr, a->LinkSubitems());
  a->UnregisterNotification(listener.Proc());
}

TEST_F(ItemTree, EmbeddedGroupsRelayTheirChangesKeepingTheFirstGroupAsSender) {
  auto* outer = f.Make<TTBGroupItem>(L"outer", root);
  auto* inner = f.Make<TTBGroupItem>(L"inner", outer);
  auto* leaf = f.Make(L"leaf", inner);
  TListener atRoot, atOuter;
  root->RegisterNotification(atRoot.Proc());
  outer->RegisterNotification(atOuter.Proc());
  leaf->SetCaption(L"changed");
  EXPECT_EQ((std::vector<TNote>{{inner, true, tbicInvalidateAndResize, -1, leaf}}), atRoot.Notes);
  EXPECT_EQ((std::vector<TNote>{{inner, true, tbicInvalidateAndResize, -1, leaf}}), atOuter.Notes);
  // Changes of a linked item reach the views of the groups that link to it.
  auto* source = f.Make(L"source");
  auto* linking = f.Make<TTBGroupItem>(L"linking", root);
  linking->SetLinkSubitems(source);
  atRoot.Notes.clear();
  auto* shared = f.Make(L"shared", source);
  shared->SetCaption(L"x");
  EXPECT_EQ((std::vector<TNote>{{linking, true, tbicInserted, 0, shared},
                                {linking, true, tbicInvalidateAndResize, -1, shared}}),
            atRoot.Changes());
  root->UnregisterNotification(atRoot.Proc());
  outer->UnregisterNotification(atOuter.Proc());
}

TEST_F(ItemTree, ListenersMayUnregisterThemselvesOrOthersOrFreeTheItemWhileTold) {
  TListener first, second, third;
  struct Case {
    const char* what;
    std::function<void()> firstDoes;
    std::vector<size_t> expectedCalls;  // of first, second, third
  } cases[] = {
      {"itself", [&] { a->UnregisterNotification(first.Proc()); }, {1, 1, 1}},
      {"the next one", [&] { a->UnregisterNotification(second.Proc()); }, {1, 0, 1}},
      {"every one", [&] {
         a->UnregisterNotification(first.Proc());
         a->UnregisterNotification(second.Proc());
         a->UnregisterNotification(third.Proc());
       }, {1, 0, 0}},
  };
  for (const Case& k : cases) {
    first.Notes.clear(), second.Notes.clear(), third.Notes.clear();
    a->RegisterNotification(first.Proc());
    a->RegisterNotification(second.Proc());
    a->RegisterNotification(third.Proc());
    first.Hook = [&](const TNote&) { k.firstDoes(); };
    a->Notify(tbicInvalidate, -1, nullptr);
    EXPECT_EQ(k.expectedCalls, (std::vector<size_t>{first.Notes.size(), second.Notes.size(), third.Notes.size()}))
        << k.what;
    a->UnregisterNotification(first.Proc());
    a->UnregisterNotification(second.Proc());
    a->UnregisterNotification(third.Proc());
  }
  // Second frees the item from inside its notification: nobody else is called, nothing breaks.
  first.Hook = nullptr;
  first.Notes.clear(), second.Notes.clear(), third.Notes.clear();
  a->RegisterNotification(first.Proc());
  a->RegisterNotification(second.Proc());
  a->RegisterNotification(third.Proc());
  second.Hook = [&](const TNote&) { a->Free(); };
  a->Notify(tbicInvalidate, -1, nullptr);
  EXPECT_EQ(1u, first.Notes.size());
  EXPECT_EQ(1u, second.Notes.size());
  EXPECT_EQ(0u, third.Notes.size());
  EXPECT_EQ((std::vector<TTBCustomItem*>{b, c}), Children(root));
  // A parent's listener frees the embedded group whose change it is told of.
  auto* group = f.Make<TTBGroupItem>(L"group", root);
  TListener atGroup, atRoot;
  group->RegisterNotification(atGroup.Proc());
  root->RegisterNotification(atRoot.Proc());
  atRoot.Hook = [&](const TNote& n) {
    if (n.Sender == group && n.Action == tbicInvalidate) group->Free();
  };
  group->Notify(tbicInvalidate, -1, nullptr);
  EXPECT_TRUE(atGroup.Notes.empty());
  EXPECT_EQ((std::vector<TTBCustomItem*>{b, c}), Children(root));
  root->UnregisterNotification(atRoot.Proc());
}

TEST_F(ItemTree, AnItemFreedByItsOwnPopupEventIsNotClicked) {
  f.Events.OnPopupHook = [this](TTBCustomItem* s) {
    if (s == b) b->Free();
  };
  b->DoPopup(b, false);
  EXPECT_EQ((std::vector<std::string>{"popup b"}), f.Events.Log);
  EXPECT_EQ("root(a,c)", TreeOf(f.Owner()));
}

TEST_F(ItemTree, RegistrationsAreCounted) {
  a->RegisterNotification(listener.Proc());
  a->RegisterNotification(listener.Proc());
  a->Notify(tbicInvalidate, -1, nullptr);
  EXPECT_EQ(1u, listener.Notes.size());  // one entry, counted twice
  a->UnregisterNotification(listener.Proc());
  a->Notify(tbicInvalidate, -1, nullptr);
  EXPECT_EQ(2u, listener.Notes.size());
  a->UnregisterNotification(listener.Proc());
  a->UnregisterNotification(listener.Proc());  // not registered: nothing
  a->Notify(tbicInvalidate, -1, nullptr);
  EXPECT_EQ(2u, listener.Notes.size());
}

TEST_F(ItemTree, DestroyingAParentDestroysItsChildrenAndAChildLeavesItsParent) {
  int before = tb2item_detail::ItemViewerCount();
  auto* sub = f.Make<TTBSubmenuItem>(L"sub", root);
  f.Make(L"x", sub);
  f.Make(L"y", sub);
  EXPECT_EQ(before + 3, tb2item_detail::ItemViewerCount());
  root->RegisterNotification(listener.Proc());
  sub->Free();
  EXPECT_EQ(before, tb2item_detail::ItemViewerCount());
  EXPECT_EQ(nullptr, f.Owner()->FindComponent(L"x"));
  EXPECT_EQ((std::vector<TNote>{{root, false, tbicDeleting, 3, sub}}), listener.Notes);
  root->UnregisterNotification(listener.Proc());
  root->Clear();
  EXPECT_EQ(0, root->Count());
  EXPECT_EQ(nullptr, f.Owner()->FindComponent(L"a"));
}

TEST_F(ItemTree, ShortCutTextComesFromTheCaptionTabOrTheShortCut) {
  struct Case {
    const wchar_t* caption;
    TShortCut shortCut;
    const wchar_t* expected;
  } cases[] = {
      {L"&Save\tCtrl+S", 0, L"Ctrl+S"},
      {L"&Save\tF12", static_cast<TShortCut>(scCtrl | 'S'), L"F12"},
      {L"&Save\t", static_cast<TShortCut>(scCtrl | 'S'), L"Ctrl+S"},
      {L"&Save", static_cast<TShortCut>(scShift | VK_DELETE), L"Shift+Del"},
      {L"&Save", 0, L""},
  };
  for (const Case& k : cases) {
    a->SetCaption(k.caption);
    a->SetShortCut(k.shortCut);
    EXPECT_EQ(String(k.expected), a->GetShortCutText()) << k.expected;
  }
}

TEST_F(ItemTree, KindsSetTheirStyles) {
  EXPECT_EQ(tbisSelectable | tbisRedrawOnSelChange | tbisRedrawOnMouseOverChange, a->ItemStyle());
  auto* group = f.Make<TTBGroupItem>(L"g");
  EXPECT_TRUE(group->ItemStyle() & tbisEmbeddedGroup);
  auto* sep = f.Make<TTBSeparatorItem>(L"s");
  EXPECT_EQ(tbisSeparator | tbisClicksTransparent, sep->ItemStyle());
  auto* sub = f.Make<TTBSubmenuItem>(L"sub", root);
  EXPECT_TRUE(sub->ItemStyle() & tbisSubmenu);
  root->RegisterNotification(listener.Proc());
  sub->SetDropdownCombo(false);
  EXPECT_TRUE(listener.Notes.empty());
  sub->SetDropdownCombo(true);
  EXPECT_TRUE(sub->ItemStyle() & tbisCombo);
  EXPECT_EQ((std::vector<TNote>{{root, false, tbicInvalidateAndResize, -1, sub}}), listener.Notes);
  root->UnregisterNotification(listener.Proc());
}

TEST_F(ItemTree, ItemsAttachToTheirParentComponent) {
  struct THolder : public TComponent, public ITBItems {
    explicit THolder(TComponent* o) : TComponent(o), Root(new TTBRootItem(this)) { Root->SetRootParentComponent(this); }
    TTBCustomItem* GetItems() override { return Root; }
    TTBRootItem* Root;
  };
  auto* holder = new THolder(f.Owner());
  auto* item = f.Make(L"item");
  item->SetParentComponent(holder);
  EXPECT_EQ(holder->Root, item->Parent());
  EXPECT_EQ(holder, item->GetParentComponent());
  auto* sub = f.Make(L"sub");
  sub->SetParentComponent(item);
  EXPECT_EQ(item, sub->GetParentComponent());
  item->SetParentComponent(a);
  EXPECT_EQ(a, item->Parent());
  EXPECT_EQ(0, holder->Root->Count());
}

TEST_F(ItemTree, ARelayedNotificationClimbsAtMostElevenLevels) {
  for (int groups : {11, 12}) {
    TItemFactory g;
    auto* top = g.Make<TTBRootItem>(L"top");
    TTBCustomItem* level = top;
    std::vector<TTBCustomItem*> chain;
    for (int i = 0; i < groups; ++i) {
      level = g.Make<TTBGroupItem>(String(L"g" + std::to_wstring(i)).c_str(), level);
      chain.push_back(level);
    }
    TListener atTop, atFirstGroup;
    top->RegisterNotification(atTop.Proc());
    chain.front()->RegisterNotification(atFirstGroup.Proc());
    chain.back()->Notify(tbicInvalidate, -1, nullptr);
    EXPECT_EQ(1u, atFirstGroup.Notes.size()) << groups;
    EXPECT_EQ(groups == 11 ? 1u : 0u, atTop.Notes.size()) << groups;
    top->UnregisterNotification(atTop.Proc());
    chain.front()->UnregisterNotification(atFirstGroup.Proc());
  }
}

TEST(ItemTreeFreedByListeners, AChangeStopsTouchingWhatItsListenersFreed) {
  struct TItems {
    TTBRootItem* r;
    TTBCustomItem *x, *y, *z, *n;
  };
  struct Case {
    const char* what;
    std::function<void(TItems&)> change;
    TTBItemChangedAction when;  // the notification at which the root's listener frees...
    const wchar_t* about;       // ...when it is about this item (any item when null)...
    const wchar_t* victim;      // ...this one
    std::string treeAfter;
    std::function<void(TItems&)> prepare = nullptr;
  } cases[] = {
      {"a child freed as it is deleted", [](TItems& t) { t.r->Delete(1); }, tbicDeleting, L"y", L"y", "r(x,z) n"},
      {"the parent freed as a child is deleted", [](TItems& t) { t.r->Delete(1); }, tbicDeleting, L"y", L"r", "n"},
      {"a child freed as it is inserted", [](TItems& t) { t.r->Insert(0, t.n); }, tbicInserted, L"n", L"n", "r(x,y,z)"},
      {"the parent freed as a child is inserted", [](TItems& t) { t.r->Insert(0, t.n); }, tbicInserted, L"n", L"r", ""},
      {"the parent freed as an insert begins", [](TItems& t) { t.r->Insert(0, t.n); }, tbicSubitemsBeginUpdate,
       nullptr, L"r", ""},
      {"a child freed as it moves", [](TItems& t) { t.r->Move(0, 2); }, tbicDeleting, L"x", L"x", "r(y,z) n"},
      {"the parent freed as a child moves", [](TItems& t) { t.r->Move(0, 2); }, tbicDeleting, L"x", L"r", "n"},
      {"an item freed as it is checked", [](TItems& t) { t.y->SetChecked(true); }, tbicInvalidate, L"y", L"y",
       "r(x,z) n"},
      {"an item freed as its radio sibling is unchecked", [](TItems& t) { t.y->SetChecked(true); }, tbicInvalidate,
       L"x", L"y", "r(x,z) n",
       [](TItems& t) {
         t.x->SetGroupIndex(1);
         t.y->SetGroupIndex(1);
         t.x->SetChecked(true);
       }},
      {"an auto-check item freed as its click checks it", [](TItems& t) { t.y->Click(); }, tbicInvalidate, L"y",
       L"y", "r(x,z) n", [](TItems& t) { t.y->SetAutoCheck(true); }},
      {"the parent freed as a child takes on its options", [](TItems& t) { t.r->SetOptions(tboNoRotation); },
       tbicInvalidateAndResize, L"x", L"r", "n"},
  };
  for (const Case& k : cases) {
    TItemFactory f;
    TItems t{f.Make<TTBRootItem>(L"r"), nullptr, nullptr, nullptr, nullptr};
    t.x = f.Make(L"x", t.r);
    t.y = f.Make(L"y", t.r);
    t.z = f.Make(L"z", t.r);
    t.n = f.Make(L"n");
    if (k.prepare) k.prepare(t);
    TListener listener;
    bool freed = false;
    listener.Hook = [&](const TNote& note) {
      if (freed || note.Action != k.when) return;
      if (k.about && !(note.Item && note.Item->Name() == k.about)) return;
      freed = true;
      f.Owner()->FindComponent(k.victim)->Free();
    };
    t.r->RegisterNotification(listener.Proc());
    k.change(t);
    EXPECT_TRUE(freed) << k.what;
    EXPECT_EQ(k.treeAfter, TreeOf(f.Owner())) << k.what;
    if (auto* x = dynamic_cast<TTBCustomItem*>(f.Owner()->FindComponent(L"x"))) {
      EXPECT_FALSE(x->Checked()) << k.what;
    }
    EXPECT_TRUE(f.Events.Log.empty()) << k.what;  // no click ran for a freed item
    if (f.Owner()->FindComponent(L"r")) t.r->UnregisterNotification(listener.Proc());
  }
}

TEST(ItemTreeLinks, ALinkEndsWithEitherItemHoweverItIsDestroyed) {
  struct Case {
    const char* what;
    bool destroyTarget;  // else the link parent
    bool withDelete;     // else Free
  } cases[] = {
      {"link parent freed", false, false},
      {"link parent deleted", false, true},
      {"target freed", true, false},
      {"target deleted", true, true},
  };
  for (const Case& k : cases) {
    TItemFactory f;
    auto* top = f.Make<TTBRootItem>(L"top");
    auto* source = f.Make(L"source");
    f.Make(L"shared", source);
    auto* linking = f.Make<TTBGroupItem>(L"linking", top);
    linking->SetLinkSubitems(source);
    TListener atTop;
    top->RegisterNotification(atTop.Proc());
    TTBCustomItem* doomed = k.destroyTarget ? static_cast<TTBCustomItem*>(source) : linking;
    if (k.withDelete)
      delete doomed;
    else
      doomed->Free();
    atTop.Notes.clear();
    if (k.destroyTarget) {
      EXPECT_EQ(nullptr, linking->LinkSubitems()) << k.what;
      linking->Notify(tbicInvalidate, -1, nullptr);  // still whole
      EXPECT_EQ(1u, atTop.Notes.size()) << k.what;
    } else {
      // The target's changes no longer go to the freed group.
      source->Items(0)->SetCaption(L"changed");
      EXPECT_TRUE(atTop.Notes.empty()) << k.what;
    }
    top->UnregisterNotification(atTop.Proc());
  }
}
