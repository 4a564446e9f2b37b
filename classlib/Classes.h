#pragma once
// Components (owner and owned, names, free notification, loading and destroying states),
// the exception guard for system entry points and method-bound utility windows.
#include "classlib/SysUtils.h"
#include "classlib/Types.h"

#include <unordered_map>
#include <vector>

enum TComponentStateFlag : unsigned {
  csLoading = 1u << 0,
  csReading = 1u << 1,
  csWriting = 1u << 2,
  csDestroying = 1u << 3,
  csDesigning = 1u << 4,
  csAncestor = 1u << 5,
  csUpdating = 1u << 6,
  csFreeNotification = 1u << 7,
};
using TComponentState = unsigned;

enum class TOperation { opInsert, opRemove };

// A component is owned by another component (or by none) and frees what it owns. Components
// that hold references to each other ask for a free notification; both sides are told when
// either is destroyed, so either may be freed first. An owner hears of the components inserted
// into it and removed from it; nothing is relayed to the other components it owns, so that a
// component costs the same however many siblings it has (an application owning a thousand
// notes, each owning a hundred components).
class TComponent : public TObject {
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;

  // Frees the component: the destroying phase runs while the object is still whole (so
  // overridden Notification and BeforeDestruction methods are reached), then it is deleted.
  // A component that must outlive a loop running on its behalf may put the freeing off
  // (FreeDeferred).
  void Free();
  // Frees a component held in a reference and clears the reference.
  template <class T>
  static void FreeAndNil(T*& ref) {
    T* p = ref;
    ref = nullptr;
    if (p) p->Free();
  }

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const;

  const String& Name() const { return name_; }
  virtual void SetName(const String& name);
  // Takes `base` as the name, or base_1, base_2, ... when the owner has a component of that
  // name already (forms created more than once under one owner). The owner counts on from the
  // last number it gave for the base, so the thousandth form finds its name at once; a number
  // freed again is not given again.
  void SetUniqueName(const String& base);
  NativeInt Tag() const { return tag_; }
  void SetTag(NativeInt tag) { tag_ = tag; }

  // The owned component with this name (case-insensitive), or nullptr.
  TComponent* FindComponent(const String& name) const;

  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);
  void DestroyComponents();

  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  TComponentState ComponentState() const { return state_; }
  bool Loading() const { return (state_ & csLoading) != 0; }
  bool Destroying() const { return (state_ & csDestroying) != 0; }

  // Loading: components created while their owner loads are loading too. EndLoading clears
  // the state and runs Loaded for every owned component, then for the owner itself.
  void BeginLoading();
  void EndLoading();

 protected:
  // Told of components inserted into or removed from this one (its own components only), and
  // of components whose free notification this one asked for. Descendants clear their
  // references here.
  virtual void Notification(TComponent* component, TOperation operation);
  virtual void Loaded();
  // The start of destruction, while the whole object still exists.
  virtual void BeforeDestruction();
  // Asked by Free first: true when the component takes the freeing upon itself for later (it
  // then stays whole until then).
  virtual bool FreeDeferred() { return false; }
  void SetState(TComponentState flags) { state_ |= flags; }
  void ClearState(TComponentState flags) { state_ &= ~flags; }
  // Marks this component and what it owns as destroying.
  void MarkDestroying();

 private:
  void TearDown();
  // The next number SetUniqueName tries after base (by its upper-cased key).
  int& NextUniqueNumber(const String& baseKey);

  void IndexName(TComponent* component);
  void UnindexName(TComponent* component);

  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  // The owned components by name (upper-cased): a form owning hundreds of forms finds a free
  // name without comparing against each of them.
  std::unordered_map<String, TComponent*> byName_;
  std::vector<TComponent*> freeNotifies_;
  String name_;
  NativeInt tag_ = 0;
  TComponentState state_ = 0;
  bool tornDown_ = false;
  // Numbers counted for unique names are kept apart (few owners give them), so that no
  // component grows for them.
  bool countsUniqueNames_ = false;
};

// Components held for a while by code that runs handlers between its uses of them (closing
// forms one after another, say): each one leaves the list as it is freed, through its free
// notification, so that such code never reaches a freed one. Its order is the order of Add.
class TComponentList : public TComponent {
 public:
  TComponentList() : TComponent(nullptr) {}
  void Add(TComponent* component);
  int Count() const { return static_cast<int>(items_.size()); }
  // The component at index, or nullptr once it has been freed.
  TComponent* Items(int index) const { return items_.at(static_cast<size_t>(index)); }
  bool Contains(const TComponent* component) const;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  // Freed components leave a hole, so that the places of the others stay as they were.
  std::vector<TComponent*> items_;
  std::unordered_map<const TComponent*, size_t> places_;
};

// Every entry point that the system calls (window procedure, hook, timer callback, thread
// procedure) catches everything and calls this from its catch block: the application's
// exception handler gets the exception, and nothing unwinds through system frames.
void HandleBoundaryException() noexcept;
// Installed by the application object; without it the exception is shown through the message
// box seam.
using TBoundaryHandler = void (*)(const Exception* e, const char* foreign) noexcept;
// Returns the handler it replaces, so that a test can put it back.
TBoundaryHandler SetBoundaryHandler(TBoundaryHandler handler);

// Hands the exception being handled (call it from a catch block) to handler(e, foreign): one
// of ours as itself, any other with its text (empty when it has none); EAbort is silent.
template <class Fn>
void ClassifyCurrentException(Fn&& handler) {
  try {
    throw;
  } catch (const EAbort&) {
  } catch (const Exception& e) {
    handler(&e, nullptr);
  } catch (const std::exception& e) {
    handler(nullptr, e.what());
  } catch (...) {
    handler(nullptr, "");
  }
}

// Runs fn, catching everything at a system boundary.
template <class Fn>
void GuardBoundary(Fn&& fn) noexcept {
  try {
    fn();
  } catch (...) {
    HandleBoundaryException();
  }
}

// A hidden window whose messages go to a method. By default it is an ordinary top-level window,
// so that it hears broadcasts such as WM_SYSCOLORCHANGE; a window that needs only the messages
// sent or posted to it (timers, queues) is a message-only one, which costs the system much less
// to make. The method sees the creation messages too, before AllocateHWnd has returned the
// handle; their default processing is done for it then, whatever it answers.
enum class TUtilWindowKind { HearsBroadcasts, MessagesOnly };
HWND AllocateHWnd(const TWndMethod& method, TUtilWindowKind kind = TUtilWindowKind::HearsBroadcasts);
void DeallocateHWnd(HWND wnd);
