#pragma once
// What the accessibility unit's two source files share (and its tests, which look at the guard of
// the answers); not for other units.
#include "classlib/Types.h"

#include <oleauto.h>

#include <utility>

namespace tb2acc {

// Objects can be made: the unit's step has run and the accessibility library is bound.
bool ObjectsAvailable();
// The system's object of a window (OBJID_WINDOW, IDispatch); only an answer of exactly S_OK
// counts.
bool WindowAccObject(HWND Wnd, IDispatch*& Object);
// The Alt key's name as the keyboard layout gives it, "Alt" when it gives none.
String GetAltKeyName();

// The out-parameters of one accessible operation.
inline void ClearOut(VARIANT* V) { VariantInit(V); }
inline void ClearOut(BSTR* S) { *S = nullptr; }
inline void ClearOut(IDispatch** D) { *D = nullptr; }
inline void ClearOut(LONG* L) { *L = 0; }
inline void FreeOut(VARIANT* V) {
  VariantClear(V);
  VariantInit(V);
}
inline void FreeOut(BSTR* S) { SysFreeString(std::exchange(*S, nullptr)); }
inline void FreeOut(IDispatch** D) {
  if (IDispatch* d = std::exchange(*D, nullptr)) d->Release();
}
inline void FreeOut(LONG* L) { *L = 0; }

// One accessible operation: the outputs given are cleared before anything else, and an
// exception from Body answers E_UNEXPECTED with them freed and cleared.
template <class Fn, class... Outs>
HRESULT Answer(Fn&& Body, Outs*... Out) {
  (..., (Out ? ClearOut(Out) : void()));
  if ((... || !Out)) return E_POINTER;
  try {
    return Body();
  } catch (...) {
    (..., FreeOut(Out));
    return E_UNEXPECTED;
  }
}

}  // namespace tb2acc
