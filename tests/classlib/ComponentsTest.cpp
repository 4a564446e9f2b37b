#include "classlib/Classes.h"

#include <gtest/gtest.h>

#include <functional>
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

namespace {

// Counts the notifications it receives in a log that outlives it.
class TListener : public TComponent {
 public:
  struct TLog {
    int Inserted = 0;
    int Removed = 0;
    int Total() const { return Inserted + Removed; }
  };
  TListener(TComponent* owner, TLog* log) : TComponent(owner), log_(log) {}

 protected:
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    ++(op == TOperation::opInsert ? log_->Inserted : log_->Removed);
  }

 private:
  TLog* log_;
};

}  // namespace

TEST(Components, AnOwnerHearsOfItsOwnComponentsAndTheirSiblingsOfNone) {
  TListener::TLog ownerLog, siblingLog, innerLog;
  auto* owner = new TListener(nullptr, &ownerLog);
  auto* sibling = new TListener(owner, &siblingLog);
  new TListener(sibling, &innerLog);  // owned one level down
  auto* other = new TComponent(owner);
  EXPECT_EQ(2, ownerLog.Inserted);
  other->Free();
  EXPECT_EQ(1, ownerLog.Removed);
  // Only a free notification reaches a sibling.
  EXPECT_EQ(1, siblingLog.Total());  // the insertion of its own component
  EXPECT_EQ(0, innerLog.Total());
  owner->Free();
}

// Each component hears of what concerns it, however many components its owner has: making the
// last of many costs what making the first did.
TEST(Components, NotificationsPerComponentDoNotGrowWithItsSiblings) {
  constexpr int kCount = 200;
  std::vector<TListener::TLog> logs(kCount);
  TListener::TLog ownerLog;
  auto* owner = new TListener(nullptr, &ownerLog);
  std::vector<TListener*> made;
  for (int i = 0; i < kCount; ++i) {
    made.push_back(new TListener(owner, &logs[static_cast<size_t>(i)]));
    new TComponent(made.back());  // each owns one component of its own
  }
  for (int i = 0; i < kCount; i += 2) made[static_cast<size_t>(i)]->Free();  // every other one, early
  owner->Free();  // the rest with their owner
  // Each heard of its own component's insertion, the first made as the last.
  std::vector<int> heard;
  for (const TListener::TLog& log : logs) heard.push_back(log.Total());
  EXPECT_EQ(std::vector<int>(kCount, 1), heard);
  EXPECT_EQ(kCount, ownerLog.Inserted);
  EXPECT_EQ(kCount / 2, ownerLog.Removed);
}

namespace {

// Watches other components through free notifications and says what it hears in a log that
// outlives it; a handler may run when it hears of an end.
class TReporter : public TComponent {
 public:
  struct THeard {
    const TComponent* Listener;
    const TComponent* Gone;
    bool operator==(const THeard&) const = default;
  };
  TReporter(TComponent* owner, std::vector<THeard>* log) : TComponent(owner), log_(log) {}
  void Watch(TComponent* other) { other->FreeNotification(this); }
  std::function<void(TComponent* gone)> OnGone;

 protected:
  void Notification(TComponent* c, TOperation op) override {
    TComponent::Notification(c, op);
    if (op != TOperation::opRemove) return;
    log_->push_back({this, c});
    // A copy: the handler may free this component, and the event with it.
    if (auto handler = OnGone) handler(c);
  }

 private:
  std::vector<THeard>* log_;
};

}  // namespace

// Freed memory is poisoned in this program: a notification that reaches a freed component, or a
// list walked after a handler changed it, fails here.
TEST(Components, AnOwnerFreesComponentsThatWatchEachOther) {
  for (bool watchedFirst : {true, false}) {
    std::vector<TReporter::THeard> log;
    auto* owner = new TComponent(nullptr);
    TReporter* first = new TReporter(owner, &log);
    TReporter* second = new TReporter(owner, &log);
    (watchedFirst ? second : first)->Watch(watchedFirst ? first : second);
    first->Watch(second);  // both ways: whichever goes first is heard by the other
    owner->Free();         // the last made goes first
    EXPECT_EQ((std::vector<TReporter::THeard>{{first, second}}), log) << watchedFirst;
  }
}

TEST(Components, AComponentFreedFromANotificationHandler) {
  struct TCase {
    const char* Name;
    // Makes the components under owner and answers the one to free; sets the handlers.
    std::function<TComponent*(TComponent* owner, std::vector<TReporter::THeard>* log)> Make;
    size_t Heard;  // notifications heard in all
  };
  const TCase cases[] = {
      {"a second watcher of the same component, freed by the first",
       [](TComponent* owner, std::vector<TReporter::THeard>* log) -> TComponent* {
         auto* watched = new TComponent(owner);
         auto* a = new TReporter(owner, log);
         auto* b = new TReporter(owner, log);
         a->Watch(watched);
         b->Watch(watched);
         a->OnGone = [b](TComponent*) { b->Free(); };
         b->OnGone = [a](TComponent*) { a->Free(); };
         return watched;
       },
       1},
      {"a sibling, while the owner frees its components",
       [](TComponent* owner, std::vector<TReporter::THeard>* log) -> TComponent* {
         auto* sibling = new TReporter(owner, log);
         auto* watcher = new TReporter(owner, log);
         auto* watched = new TComponent(owner);  // made last: the owner frees it first
         watcher->Watch(watched);
         watcher->Watch(sibling);
         watcher->OnGone = [sibling, watcher](TComponent* gone) {
           if (gone != sibling) sibling->Free();
           watcher->OnGone = nullptr;
         };
         return owner;
       },
       2},
      {"the watcher itself",
       [](TComponent* owner, std::vector<TReporter::THeard>* log) -> TComponent* {
         auto* watched = new TComponent(owner);
         auto* watcher = new TReporter(owner, log);
         auto* other = new TReporter(owner, log);
         watcher->Watch(watched);
         other->Watch(watched);
         watcher->OnGone = [watcher](TComponent*) { watcher->Free(); };
         return watched;
       },
       2},
  };
  for (const TCase& c : cases) {
    std::vector<TReporter::THeard> log;
    auto* owner = new TComponent(nullptr);
    TComponent* freed = c.Make(owner, &log);
    freed->Free();
    if (freed != owner) owner->Free();
    EXPECT_EQ(c.Heard, log.size()) << c.Name;
  }
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

TEST(Components, UniqueNamesTable) {
  struct TCase {
    const char* Name;
    std::vector<String> Taken;  // names given before, in order; "*" + base: a unique name of base
    const wchar_t* Base;
    const wchar_t* Expected;
  };
  const TCase cases[] = {
      {"a free base", {}, L"Note", L"Note"},
      {"the base taken", {L"Note"}, L"Note", L"Note_1"},
      {"taken in another letter case", {L"NOTE"}, L"note", L"note_1"},
      {"counting on from the last given", {L"*Note", L"*Note", L"*Note"}, L"Note", L"Note_3"},
      {"a number taken by a plain name is passed over", {L"*Note", L"*Note", L"Note_2"}, L"Note", L"Note_3"},
      {"each base counts on its own", {L"*Note", L"*Note", L"*Memo"}, L"Memo", L"Memo_1"},
      {"a base that ends in a number", {L"*Note_1", L"Note_1_1"}, L"Note_1", L"Note_1_2"},
  };
  for (const TCase& c : cases) {
    auto* owner = new TComponent(nullptr);
    for (const String& name : c.Taken) {
      auto* taken = new TComponent(owner);
      if (name[0] == L'*') taken->SetUniqueName(name.substr(1));
      else taken->SetName(name);
    }
    auto* component = new TComponent(owner);
    component->SetUniqueName(c.Base);
    EXPECT_EQ(c.Expected, component->Name()) << c.Name;
    owner->Free();
  }
}

TEST(Components, AUniqueNumberFreedIsNotGivenAgain) {
  auto* owner = new TComponent(nullptr);
  std::vector<TComponent*> made;
  for (int i = 0; i < 3; ++i) {
    made.push_back(new TComponent(owner));
    made.back()->SetUniqueName(L"Note");
  }
  made[1]->Free();  // Note_1
  auto* next = new TComponent(owner);
  next->SetUniqueName(L"Note");
  EXPECT_EQ(L"Note_3", next->Name());
  EXPECT_EQ(nullptr, owner->FindComponent(L"Note_1"));
  // A name the component has already is kept.
  next->SetUniqueName(L"Note_3");
  EXPECT_EQ(L"Note_3", next->Name());
  owner->Free();
}

TEST(Components, AComponentListForgetsWhatIsFreedAndKeepsTheOthersInPlace) {
  auto* owner = new TComponent(nullptr);
  std::vector<TComponent*> made;
  for (int i = 0; i < 4; ++i) made.push_back(new TComponent(owner));
  {
    TComponentList list;
    for (TComponent* c : made) list.Add(c);
    list.Add(made[0]);  // once only
    ASSERT_EQ(4, list.Count());
    made[1]->Free();
    made[3]->Free();
    EXPECT_EQ((std::vector<TComponent*>{made[0], nullptr, made[2], nullptr}),
              (std::vector<TComponent*>{list.Items(0), list.Items(1), list.Items(2), list.Items(3)}));
    EXPECT_TRUE(list.Contains(made[2]));
    EXPECT_FALSE(list.Contains(made[1]));
  }
  // The list went first: what it held no longer tells it anything.
  owner->Free();
}
