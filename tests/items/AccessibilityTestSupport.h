#pragma once
// A client's side of the accessibility objects, as assistive tools use them: owned references,
// child identifiers and the answers read as texts and numbers.
#include "classlib/Types.h"

#include <oleacc.h>

#include <utility>

namespace acc_tests {

// An owned reference to an accessible object.
class TAcc {
 public:
  TAcc() = default;
  // Takes over the reference.
  explicit TAcc(IAccessible* A) : a_(A) {}
  // The object behind a dispatch reference (which is released), or nothing.
  static TAcc FromDispatch(IDispatch* D) {
    IAccessible* a = nullptr;
    if (D) {
      D->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&a));
      D->Release();
    }
    return TAcc(a);
  }
  TAcc(TAcc&& Other) noexcept : a_(std::exchange(Other.a_, nullptr)) {}
  TAcc& operator=(TAcc&& Other) noexcept {
    if (this != &Other) {
      Reset();
      a_ = std::exchange(Other.a_, nullptr);
    }
    return *this;
  }
  TAcc(const TAcc&) = delete;
  TAcc& operator=(const TAcc&) = delete;
  ~TAcc() { Reset(); }

  IAccessible* operator->() const { return a_; }
  IAccessible* Get() const { return a_; }
  explicit operator bool() const { return a_ != nullptr; }
  void Reset() {
    if (IAccessible* a = std::exchange(a_, nullptr)) a->Release();
  }
  // The object's COM identity.
  IUnknown* Identity() const {
    IUnknown* unknown = nullptr;
    if (!a_ || FAILED(a_->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)))) return nullptr;
    unknown->Release();  // the object stays: this reference holds it
    return unknown;
  }

 private:
  IAccessible* a_ = nullptr;
};

inline VARIANT ChildID(LONG Number) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = Number;
  return v;
}
inline VARIANT Self() { return ChildID(CHILDID_SELF); }

// A text answer: the result code and the text (empty for a nil text).
struct TText {
  HRESULT Result = E_FAIL;
  String Text;
  bool Nil = true;
};

template <class Fn>
TText ReadText(Fn&& Call) {
  BSTR text = reinterpret_cast<BSTR>(1);  // garbage: the object must clear it first
  TText answer;
  answer.Result = Call(&text);
  answer.Nil = text == nullptr;
  if (text) answer.Text.assign(text, SysStringLen(text));
  SysFreeString(text);
  return answer;
}

inline TText Name(const TAcc& A) { return ReadText([&](BSTR* s) { return A->get_accName(Self(), s); }); }
inline TText Value(const TAcc& A) { return ReadText([&](BSTR* s) { return A->get_accValue(Self(), s); }); }
inline TText Shortcut(const TAcc& A) {
  return ReadText([&](BSTR* s) { return A->get_accKeyboardShortcut(Self(), s); });
}
inline TText DefaultAction(const TAcc& A) {
  return ReadText([&](BSTR* s) { return A->get_accDefaultAction(Self(), s); });
}

// A VT_I4 answer, or -1 for any other (a failure included).
template <class Fn>
LONG ReadNumber(Fn&& Call) {
  VARIANT v;
  VariantInit(&v);
  const HRESULT hr = Call(&v);
  const LONG result = hr == S_OK && v.vt == VT_I4 ? v.lVal : -1;
  VariantClear(&v);
  return result;
}

inline LONG Role(const TAcc& A) { return ReadNumber([&](VARIANT* v) { return A->get_accRole(Self(), v); }); }
inline LONG State(const TAcc& A) { return ReadNumber([&](VARIANT* v) { return A->get_accState(Self(), v); }); }

inline LONG ChildCount(const TAcc& A) {
  LONG count = -1;
  return SUCCEEDED(A->get_accChildCount(&count)) ? count : -1;
}

inline TAcc Child(const TAcc& A, LONG Number) {
  IDispatch* child = nullptr;
  if (A->get_accChild(ChildID(Number), &child) != S_OK) return TAcc();
  return TAcc::FromDispatch(child);
}

// A VT_DISPATCH answer (navigation, hit tests) as an object; nothing for any other.
inline TAcc ObjectOf(VARIANT& V) {
  if (V.vt != VT_DISPATCH) {
    VariantClear(&V);
    return TAcc();
  }
  IDispatch* d = std::exchange(V.pdispVal, nullptr);
  V.vt = VT_EMPTY;
  return TAcc::FromDispatch(d);
}

// A function of the system's accessibility library.
template <class F>
F OleAccFunction(const char* Name) {
  static const HMODULE library = LoadLibraryExW(L"oleacc.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(library, Name)));
}

// AccessibleObjectFromWindow, as a client asks a window for its object.
inline HRESULT AccessibleObjectFromWindowOf(HWND Wnd, LONG ObjectID, TAcc& Result) {
  using TProc = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
  static const TProc proc = OleAccFunction<TProc>("AccessibleObjectFromWindow");
  IAccessible* a = nullptr;
  const HRESULT hr = proc ? proc(Wnd, static_cast<DWORD>(ObjectID), IID_IAccessible, reinterpret_cast<void**>(&a)) : E_FAIL;
  Result = TAcc(SUCCEEDED(hr) ? a : nullptr);
  return hr;
}

// The object a WM_GETOBJECT answer hands over (the answer is used up).
inline TAcc ObjectFromLresultOf(LRESULT Answer, WPARAM WParam) {
  using TProc = HRESULT(WINAPI*)(LRESULT, REFIID, WPARAM, void**);
  static const TProc proc = OleAccFunction<TProc>("ObjectFromLresult");
  IAccessible* a = nullptr;
  if (!proc || FAILED(proc(Answer, IID_IAccessible, WParam, reinterpret_cast<void**>(&a)))) return TAcc();
  return TAcc(a);
}

}  // namespace acc_tests
