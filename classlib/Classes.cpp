#include "classlib/Classes.h"

#include "classlib/Seams.h"
#include "classlib/TextConv.h"
#include "classlib/WindowBinding.h"

#include <algorithm>

namespace {

// Names compare without case, as the system's ordinal comparison does.
String NameKey(const String& name) {
  String key = name;
  if (!key.empty()) CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
  return key;
}

// The next number to try for each base name (upper-cased), per owner that gives unique names.
std::unordered_map<const TComponent*, std::unordered_map<String, int>>& UniqueNumbers() {
  static std::unordered_map<const TComponent*, std::unordered_map<String, int>> numbers;
  return numbers;
}

void EraseOne(std::vector<TComponent*>& list, TComponent* item) {
  auto it = std::find(list.begin(), list.end(), item);
  if (it != list.end()) list.erase(it);
}

}  // namespace

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner) {
    if (AOwner->Loading()) state_ |= csLoading;
    AOwner->InsertComponent(this);
  }
}

TComponent::~TComponent() {
  // Reached directly by delete: the destroying phase still runs, though overridden methods of
  // this object are no longer reached.
  if (!tornDown_) TearDown();
}

void TComponent::Free() {
  if (!tornDown_ && FreeDeferred()) return;
  if (!tornDown_) BeforeDestruction();
  if (!tornDown_) TearDown();  // a descendant that did not call up still tears down
  delete this;
}

void TComponent::BeforeDestruction() { TearDown(); }

void TComponent::MarkDestroying() {
  state_ |= csDestroying;
  for (TComponent* c : components_) c->MarkDestroying();
}

void TComponent::TearDown() {
  tornDown_ = true;
  MarkDestroying();
  // Everyone that asked to hear of our end is told; their entries are gone first, so a
  // notification handler may free other components safely.
  while (!freeNotifies_.empty()) {
    TComponent* other = freeNotifies_.back();
    freeNotifies_.pop_back();
    EraseOne(other->freeNotifies_, this);
    other->Notification(this, TOperation::opRemove);
  }
  DestroyComponents();
  if (owner_) owner_->RemoveComponent(this);
  if (countsUniqueNames_) UniqueNumbers().erase(this);
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount()) throw EListError(L"List index out of bounds (" + std::to_wstring(index) + L")");
  return components_[static_cast<size_t>(index)];
}

void TComponent::SetName(const String& name) {
  if (name == name_) return;
  if (!name.empty() && owner_) {
    TComponent* other = owner_->FindComponent(name);
    if (other && other != this)
      throw EComponentError(L"A component named " + name + L" already exists");
  }
  if (owner_) owner_->UnindexName(this);
  name_ = name;
  if (owner_) owner_->IndexName(this);
}

void TComponent::SetUniqueName(const String& base) {
  auto isFree = [this](const String& name) {
    TComponent* other = owner_ ? owner_->FindComponent(name) : nullptr;
    return !other || other == this;
  };
  if (isFree(base)) return SetName(base);
  int& next = owner_->NextUniqueNumber(NameKey(base));
  String name;
  do {
    name = base + L"_" + std::to_wstring(next++);
  } while (!isFree(name));
  SetName(name);
}

int& TComponent::NextUniqueNumber(const String& baseKey) {
  countsUniqueNames_ = true;
  return UniqueNumbers()[this].try_emplace(baseKey, 1).first->second;
}

TComponent* TComponent::FindComponent(const String& name) const {
  if (name.empty()) return nullptr;
  auto it = byName_.find(NameKey(name));
  return it == byName_.end() ? nullptr : it->second;
}

void TComponent::IndexName(TComponent* component) {
  if (!component->name_.empty()) byName_.emplace(NameKey(component->name_), component);
}

void TComponent::UnindexName(TComponent* component) {
  if (component->name_.empty()) return;
  auto it = byName_.find(NameKey(component->name_));
  if (it != byName_.end() && it->second == component) byName_.erase(it);
}

void TComponent::InsertComponent(TComponent* component) {
  if (!component || component->owner_ == this) return;
  if (component->owner_) component->owner_->RemoveComponent(component);
  if (!component->name_.empty() && FindComponent(component->name_))
    throw EComponentError(L"A component named " + component->name_ + L" already exists");
  components_.push_back(component);
  IndexName(component);
  component->owner_ = this;
  Notification(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (!component || component->owner_ != this) return;
  Notification(component, TOperation::opRemove);
  EraseOne(components_, component);
  UnindexName(component);
  component->owner_ = nullptr;
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* c = components_.back();
    components_.pop_back();
    UnindexName(c);
    c->owner_ = nullptr;
    c->Free();
  }
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end())
    freeNotifies_.push_back(component);
  if (std::find(component->freeNotifies_.begin(), component->freeNotifies_.end(), this) ==
      component->freeNotifies_.end())
    component->freeNotifies_.push_back(this);
  state_ |= csFreeNotification;
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (!component) return;
  EraseOne(freeNotifies_, component);
  EraseOne(component->freeNotifies_, this);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == TOperation::opRemove && component) RemoveFreeNotification(component);
}

void TComponent::BeginLoading() { state_ |= csLoading; }

void TComponent::EndLoading() {
  std::vector<TComponent*> loading;
  for (TComponent* c : components_)
    if (c->Loading()) loading.push_back(c);
  for (TComponent* c : loading) {
    if (std::find(components_.begin(), components_.end(), c) == components_.end()) continue;
    c->EndLoading();
  }
  if (Loading()) Loaded();
}

void TComponent::Loaded() { state_ &= ~csLoading; }

// ---------------------------------------------------------------------------------------------

void TComponentList::Add(TComponent* component) {
  if (!component || Contains(component)) return;
  places_.emplace(component, items_.size());
  items_.push_back(component);
  component->FreeNotification(this);
}

bool TComponentList::Contains(const TComponent* component) const { return places_.count(component) != 0; }

void TComponentList::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != TOperation::opRemove) return;
  auto it = places_.find(component);
  if (it == places_.end()) return;
  items_[it->second] = nullptr;
  places_.erase(it);
}

// ---------------------------------------------------------------------------------------------

namespace {

TBoundaryHandler g_boundaryHandler = nullptr;

void ShowBoundaryFallback(const Exception* e, const char* foreign) noexcept {
  try {
    String text = e ? e->Message() : Utf8ToWide(foreign ? foreign : "");
    seams::MessageBoxes().Show(nullptr, text, L"Error", MB_OK | MB_ICONSTOP);
  } catch (...) {
  }
}

}  // namespace

TBoundaryHandler SetBoundaryHandler(TBoundaryHandler handler) {
  TBoundaryHandler previous = g_boundaryHandler;
  g_boundaryHandler = handler;
  return previous;
}

void HandleBoundaryException() noexcept {
  ClassifyCurrentException(g_boundaryHandler ? g_boundaryHandler : ShowBoundaryFallback);
}

// ---------------------------------------------------------------------------------------------

namespace {

const wchar_t kUtilWindowClass[] = L"QuillnoteUtilWindow";

// What a utility window is bound to: its method. It belongs to the window and goes with it.
class TMethodWindow final : public TWindowTarget {
 public:
  explicit TMethodWindow(const TWndMethod& method) : method_(method) {}
  // AllocateHWnd has returned: the owner knows its window.
  void Created() { created_ = true; }

 private:
  void WindowBound(HWND wnd) noexcept override { wnd_ = wnd; }
  void WindowMessage(TMessage& m) override {
    if (!method_) return DefaultHandler(m);
    // The method may destroy the window, and this object with it (a click queue freed by one of
    // its own clicks): what is needed afterwards is read before.
    const bool created = created_;
    const HWND wnd = wnd_;
    method_(m);
    // While AllocateHWnd runs, the owner has no handle yet for its default processing: the
    // method sees the creation messages, and the default answer is made here.
    if (!created) m.Result = DefWindowProcW(wnd, m.Msg, m.WParam, m.LParam);
  }
  void WindowUnbound(HWND) noexcept override { delete this; }
  void DefaultHandler(TMessage& m) { m.Result = DefWindowProcW(wnd_, m.Msg, m.WParam, m.LParam); }

  TWndMethod method_;
  HWND wnd_ = nullptr;
  bool created_ = false;
};

}  // namespace

HWND AllocateHWnd(const TWndMethod& method, TUtilWindowKind kind) {
  static const WNDPROC registered = [] {
    WNDCLASSEXW wc{};
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kUtilWindowClass;
    return RegisterBoundWindowClass(wc, DefWindowProcW);
  }();
  (void)registered;
  auto* target = new TMethodWindow(method);  // freed when unbound, also when no window is made
  const bool messagesOnly = kind == TUtilWindowKind::MessagesOnly;
  HWND wnd = CreateBoundWindow(*target, messagesOnly ? 0 : WS_EX_TOOLWINDOW, kUtilWindowClass, L"",
                               messagesOnly ? 0 : WS_POPUP, 0, 0, 0, 0, messagesOnly ? HWND_MESSAGE : nullptr);
  if (!wnd) RaiseLastOSError();
  target->Created();
  return wnd;
}

void DeallocateHWnd(HWND wnd) {
  if (wnd) DestroyWindow(wnd);
}
