#pragma once
// Basic types shared by every unit: the string type, message records and bound-method events.
#include <windows.h>

#include <cstdint>
#include <new>
#include <string>
#include <type_traits>
#include <utility>

using String = std::wstring;
using NativeInt = intptr_t;
// Days since 30 December 1899, the time of day as the fraction.
using TDateTime = double;

class TObject;

// A process-wide object made at its first use and never destroyed: windows, worker threads and
// the destructors of static objects may still reach it while the process ends, whatever order
// those destructors run in. What must end in an order of its own ends in the program's
// finalisation instead.
template <class T>
T& ProcessWide() {
  alignas(T) static unsigned char storage[sizeof(T)];
  static T* const object = new (storage) T();
  return *object;
}

// One window message as the window procedures hand it around.
struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

// The base of every class of the library: polymorphic, so that events can bind its methods and
// dispatch can reach its message handlers.
class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  // Messages sent to an object (not to a window): the handlers of the class see them first.
  virtual void Dispatch(TMessage& Message) { DefaultHandler(Message); }
  virtual void DefaultHandler(TMessage&) {}
};

// A bound method: an object and one of its methods. Events compare, clear and bind again, so
// that code can unbind a handler around its own changes and restore it afterwards.
template <class Sig>
class TEvent;

template <class R, class... A>
class TEvent<R(A...)> {
 public:
  using Method = R (TObject::*)(A...);

  TEvent() = default;
  TEvent(std::nullptr_t) {}
  template <class C>
  TEvent(C* object, R (C::*method)(A...))
      : object_(object), method_(static_cast<Method>(method)) {
    static_assert(std::is_base_of_v<TObject, C>, "events bind methods of TObject descendants");
  }

  explicit operator bool() const { return object_ != nullptr && method_ != nullptr; }
  bool Assigned() const { return static_cast<bool>(*this); }
  void Clear() { object_ = nullptr; method_ = nullptr; }
  TObject* Object() const { return object_; }

  // Calling an unbound event does nothing and gives the default value.
  R operator()(A... args) const {
    if (!*this) {
      if constexpr (!std::is_void_v<R>) return R();
      else return;
    }
    return (object_->*method_)(std::forward<A>(args)...);
  }

  bool operator==(const TEvent& other) const {
    return object_ == other.object_ && (object_ == nullptr || method_ == other.method_);
  }
  bool operator!=(const TEvent& other) const { return !(*this == other); }

 private:
  TObject* object_ = nullptr;
  Method method_ = nullptr;
};

using TNotifyEvent = TEvent<void(TObject* Sender)>;
using TWndMethod = TEvent<void(TMessage& Message)>;
