#pragma once
// Spies and helpers shared by the item tests.
#include "classlib/Seams.h"
#include "classlib/Classes.h"
#include "items/TB2Item.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace item_tests {

// One change notification as a listener saw it.
struct TNote {
  TTBCustomItem* Sender;
  bool Relayed;
  TTBItemChangedAction Action;
  int Index;
  TTBCustomItem* Item;
  bool operator==(const TNote&) const = default;
};

// Records the notifications of the items it listens to; an optional hook runs inside each one.
class TListener : public TObject {
 public:
  void Changed(TTBCustomItem* Sender, bool Relayed, TTBItemChangedAction Action, int Index, TTBCustomItem* Item) {
    Notes.push_back({Sender, Relayed, Action, Index, Item});
    if (Hook) Hook(Notes.back());
  }
  TTBItemChangedProc Proc() { return TTBItemChangedProc(this, &TListener::Changed); }
  // The notes without the begin/end-update brackets.
  std::vector<TNote> Changes() const {
    std::vector<TNote> result;
    for (const TNote& n : Notes)
      if (n.Action != tbicSubitemsBeginUpdate && n.Action != tbicSubitemsEndUpdate) result.push_back(n);
    return result;
  }
  std::vector<TNote> Notes;
  std::function<void(const TNote&)> Hook;
};

// Logs the clicks and popups of items under a name.
class TEventLog : public TObject {
 public:
  void Click(TObject* Sender) { Log.push_back("click " + NameOf(Sender)); if (OnClickHook) OnClickHook(Sender); }
  void Popup(TTBCustomItem* Sender, bool FromLink) {
    Log.push_back(std::string("popup ") + NameOf(Sender) + (FromLink ? " link" : ""));
    if (OnPopupHook) OnPopupHook(Sender);
  }
  static std::string NameOf(TObject* o) {
    std::string s;
    if (auto* c = dynamic_cast<TComponent*>(o))
      for (wchar_t ch : c->Name()) s += static_cast<char>(ch);
    return s;
  }
  TNotifyEvent ClickEvent() { return TNotifyEvent(this, &TEventLog::Click); }
  TTBPopupEvent PopupEvent() { return TTBPopupEvent(this, &TEventLog::Popup); }
  std::vector<std::string> Log;
  std::function<void(TObject*)> OnClickHook;
  std::function<void(TTBCustomItem*)> OnPopupHook;
};

// The items of an owner that have no parent, each with its children: "root(a,b(c)) loose".
inline std::string TreeOf(TComponent* owner) {
  std::function<void(std::string&, TTBCustomItem*)> describe = [&](std::string& out, TTBCustomItem* item) {
    out += TEventLog::NameOf(item);
    for (int i = 0; i < item->Count(); ++i) {
      out += i == 0 ? '(' : ',';
      describe(out, item->Items(i));
    }
    if (item->Count()) out += ')';
  };
  std::string tree;
  for (int i = 0; i < owner->ComponentCount(); ++i) {
    auto* item = dynamic_cast<TTBCustomItem*>(owner->Components(i));
    if (!item || item->Parent()) continue;
    if (!tree.empty()) tree += ' ';
    describe(tree, item);
  }
  return tree;
}

// Owns every item a test makes; named items log their clicks and popups.
class TItemFactory {
 public:
  TItemFactory() : owner_(new TComponent(nullptr)) {}
  ~TItemFactory() {
    if (owner_) owner_->Free();
  }
  TComponent* Owner() const { return owner_; }
  template <class T = TTBItem>
  T* Make(const wchar_t* name, TTBCustomItem* parent = nullptr) {
    auto* item = new T(owner_);
    item->SetName(name);
    item->OnClick = Events.ClickEvent();
    item->OnPopup = Events.PopupEvent();
    if (parent) parent->Add(item);
    return item;
  }
  TEventLog Events;

 private:
  TComponent* owner_;
};

// Records the sounds that would play, with their flags.
class TRecordingSounds : public seams::TSounds {
 public:
  void PlayAlias(const String& alias, DWORD flags) override {
    Played.push_back({alias, flags});
    if (OnPlay) OnPlay();
  }
  void Beep(UINT) override { ++Beeps; }
  std::vector<std::pair<String, DWORD>> Played;
  int Beeps = 0;
  std::function<void()> OnPlay;  // runs as each sound would start
};

// Sets the sound scheme's entry for an alias for the test's lifetime and puts the old one back.
class TSchemeSound {
 public:
  TSchemeSound(const String& alias, const wchar_t* value) : key_(L"AppEvents\\Schemes\\Apps\\.Default\\" + alias + L"\\.Current") {
    HKEY k;
    existed_ = RegOpenKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_READ, &k) == ERROR_SUCCESS;
    if (existed_) {
      wchar_t buffer[512] = {};
      DWORD size = sizeof(buffer) - sizeof(wchar_t);
      hadValue_ = RegQueryValueExW(k, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS;
      old_ = buffer;
      RegCloseKey(k);
    }
    Write(value);
  }
  ~TSchemeSound() {
    if (!existed_) {
      RegDeleteKeyW(HKEY_CURRENT_USER, key_.c_str());
    } else if (hadValue_) {
      Write(old_.c_str());
    } else {
      Write(nullptr);
    }
  }

 private:
  void Write(const wchar_t* value) {
    HKEY k;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) != ERROR_SUCCESS)
      return;
    if (value)
      RegSetValueExW(k, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                     static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
    else
      RegDeleteValueW(k, nullptr);
    RegCloseKey(k);
  }
  String key_;
  bool existed_ = false;
  bool hadValue_ = false;
  String old_;
};

// The WinEvents this process sends, as (event, window). One log at a time: a newer one takes
// the events of both hooks while they overlap.
class TWinEventLog {
 public:
  TWinEventLog() {
    current_ = this;
    // In context: told at once, also of windows that are being destroyed (an out-of-context
    // hook is told later, and nothing of a window that is gone by then).
    hook_ = SetWinEventHook(EVENT_MIN, EVENT_MAX, GetModuleHandleW(nullptr), &Proc, GetCurrentProcessId(), 0,
                            WINEVENT_INCONTEXT);
  }
  ~TWinEventLog() {
    UnhookWinEvent(hook_);
    current_ = nullptr;
  }
  struct TEvent {
    DWORD Event;
    HWND Wnd;
    LONG ChildID;
  };
  bool Saw(DWORD Event, HWND Wnd) const {
    for (const TEvent& e : events_)
      if (e.Event == Event && e.Wnd == Wnd) return true;
    return false;
  }
  // The windows the event was sent for, in order.
  std::vector<HWND> WindowsOf(DWORD Event) const {
    std::vector<HWND> windows;
    for (const TEvent& e : events_)
      if (e.Event == Event) windows.push_back(e.Wnd);
    return windows;
  }
  const std::vector<TEvent>& Events() const { return events_; }

 private:
  static void CALLBACK Proc(HWINEVENTHOOK, DWORD Event, HWND Wnd, LONG, LONG ChildID, DWORD, DWORD) {
    if (current_) current_->events_.push_back({Event, Wnd, ChildID});
  }
  static inline TWinEventLog* current_ = nullptr;
  HWINEVENTHOOK hook_ = nullptr;
  std::vector<TEvent> events_;
};

}  // namespace item_tests
