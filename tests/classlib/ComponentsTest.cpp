#include "classlib/Classes.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A component that keeps a reference to another and clears it when told of its end.
class TWatcher : public TComponent {
 public:
  using TComponent::TComponent;
  TComponent* Watched = nullptr;
  std::vector<TComponent*> Removed;
  void Watch(TComponent* c) {
    Watched = c;
    if (c) c->FreeNotification(this);
  }

 protected:
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op == TOperation::opRemove) {
      Removed.push_back(c);
      if (c == Watched) Watched = nullptr;
    }
  }
};

class TCounted : public TComponent {
 public:
  TCounted(TComponent* owner, int* alive, std::vector<TComponent*>* loadedLog = nullptr)
      : TComponent(owner), alive_(alive), loadedLog_(loadedLog) {
    ++*alive_;
  }
  ~TCounted() override { --*alive_; }
  int LoadedCalls = 0;

 protected:
  void Loaded() override {
    TComponent::Loaded();
    ++LoadedCalls;
    if (loadedLog_) loadedLog_->push_back(this);
  }

 private:
  int* alive_;
  std::vector<TComponent*>* loadedLog_;
};

}  // namespace

TEST(Components, OwnerFreesWhatItOwnsAndFindsByName) {
  int alive = 0;
  auto* owner = new TComponent(nullptr);
  auto* a = new TCounted(owner, &alive);
  a->SetName(L"First");
  new TCounted(a, &alive);  // owned one level down
  auto* b = new TCounted(owner, &alive);
  b->SetName(L"Second");
  EXPECT_EQ(3, alive);
  EXPECT_EQ(2, owner->ComponentCount());
  EXPECT_EQ(a, owner->FindComponent(L"first"));
  EXPECT_EQ(b, owner->FindComponent(L"Second"));
  EXPECT_EQ(nullptr, owner->FindComponent(L"Third"));
  EXPECT_THROW(b->SetName(L"FIRST"), EComponentError);
  auto* c = new TComponent(owner);
  c->SetUniqueName(L"First");
  EXPECT_EQ(L"First_1", c->Name());
  c->SetUniqueName(L"First_1");  // its own name is no clash
  EXPECT_EQ(L"First_1", c->Name());
  c->Free();
  b->Free();
  EXPECT_EQ(1, owner->ComponentCount());
  owner->Free();
  EXPECT_EQ(0, alive);
}

TEST(Components, FreeNotificationClearsReferencesOnBothSides) {
  for (bool freeWatchedFirst : {true, false}) {
    auto* watched = new TWatcher(nullptr);
    auto* watcher = new TWatcher(nullptr);
    watcher->Watch(watched);
    watched->Watch(watcher);
    if (freeWatchedFirst) {
      watched->Free();
      EXPECT_EQ(nullptr, watcher->Watched);
      watcher->Free();  // must not reach the freed one
    } else {
      watcher->Free();
      EXPECT_EQ(nullptr, watched->Watched);
      watched->Free();
    }
  }
}

TEST(Components, SiblingsHearOfRemovalThroughTheOwner) {
  auto* owner = new TComponent(nullptr);
  auto* watcher = new TWatcher(owner);
  auto* other = new TComponent(owner);
  watcher->Watched = other;  // no free notification asked: the owner tells its components anyway
  other->Free();
  EXPECT_EQ(nullptr, watcher->Watched);
  owner->Free();
}

TEST(Components, DestroyingStateIsSeenByNotifiedComponents) {
  struct TProbe : TWatcher {
    using TWatcher::TWatcher;
    bool SawDestroying = false;
    void Notification(TComponent* c, TOperation op) override {
      if (op == TOperation::opRemove && c == Watched) SawDestroying = c->Destroying();
      TWatcher::Notification(c, op);
    }
  };
  auto* watched = new TComponent(nullptr);
  auto* probe = new TProbe(nullptr);
  probe->Watch(watched);
  watched->Free();
  EXPECT_TRUE(probe->SawDestroying);
  probe->Free();
}

TEST(Components, EndLoadingRunsLoadedOncePerComponentInCreationOrderThenTheOwner) {
  int alive = 0;
  std::vector<TComponent*> loaded;
  auto* owner = new TCounted(nullptr, &alive, &loaded);
  owner->BeginLoading();
  auto* a = new TCounted(owner, &alive, &loaded);
  auto* b = new TCounted(owner, &alive, &loaded);
  auto* c = new TCounted(owner, &alive, &loaded);
  auto* inA = new TCounted(a, &alive, &loaded);
  EXPECT_TRUE(a->Loading());
  EXPECT_TRUE(inA->Loading());
  owner->EndLoading();
  EXPECT_FALSE(a->Loading());
  EXPECT_FALSE(owner->Loading());
  // What a component owns is loaded before it; the owner comes last.
  EXPECT_EQ((std::vector<TComponent*>{inA, a, b, c, owner}), loaded);
  for (TCounted* each : {a, b, c, inA}) EXPECT_EQ(1, each->LoadedCalls);
  auto* late = new TCounted(owner, &alive, &loaded);
  EXPECT_FALSE(late->Loading());
  EXPECT_EQ(5u, loaded.size());
  owner->Free();
}

namespace {
class TTarget : public TObject {
 public:
  int Calls = 0;
  TObject* LastSender = nullptr;
  void Handle(TObject* sender) {
    ++Calls;
    LastSender = sender;
  }
  void Other(TObject*) { Calls += 100; }
};
}  // namespace

TEST(Events, BoundMethodsCompareClearAndBindAgain) {
  TTarget t1, t2;
  TNotifyEvent e(&t1, &TTarget::Handle);
  TNotifyEvent same(&t1, &TTarget::Handle);
  EXPECT_TRUE(e == same);
  EXPECT_FALSE(e == TNotifyEvent(&t2, &TTarget::Handle));
  EXPECT_FALSE(e == TNotifyEvent(&t1, &TTarget::Other));
  e(&t2);
  EXPECT_EQ(1, t1.Calls);
  EXPECT_EQ(&t2, t1.LastSender);
  TNotifyEvent saved = e;
  e.Clear();
  EXPECT_FALSE(e);
  e(nullptr);  // an unbound event does nothing
  EXPECT_EQ(1, t1.Calls);
  e = saved;
  e(nullptr);
  EXPECT_EQ(2, t1.Calls);
  TEvent<int(int)> unbound;
  EXPECT_EQ(0, unbound(5));
}

TEST(Components, NamesFollowRenamesMovesAndFrees) {
  auto* owner = new TComponent(nullptr);
  auto* other = new TComponent(nullptr);
  auto* a = new TComponent(owner);
  a->SetName(L"Alpha");
  a->SetName(L"Renamed");
  EXPECT_EQ(nullptr, owner->FindComponent(L"alpha"));
  EXPECT_EQ(a, owner->FindComponent(L"RENAMED"));
  auto* b = new TComponent(owner);
  b->SetName(L"Alpha");  // the old name is free again
  EXPECT_EQ(b, owner->FindComponent(L"Alpha"));
  other->InsertComponent(b);
  EXPECT_EQ(nullptr, owner->FindComponent(L"Alpha"));
  EXPECT_EQ(b, other->FindComponent(L"alpha"));
  a->Free();
  EXPECT_EQ(nullptr, owner->FindComponent(L"Renamed"));
  // Many unique names in a row, as a form owning hundreds of notes makes them.
  for (int i = 0; i < 50; ++i) (new TComponent(owner))->SetUniqueName(L"Note");
  EXPECT_NE(nullptr, owner->FindComponent(L"Note_49"));
  EXPECT_EQ(nullptr, owner->FindComponent(L"Note_50"));
  owner->Free();
  other->Free();
}
