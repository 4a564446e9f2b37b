#pragma once
// Optional system functions of the theme layer: system DLLs are loaded from the system folder
// only (the program's own folder is writable, so a DLL planted there must never load), and
// their functions are bound by name, staying null where a system lacks them.
#include "classlib/GdiHandles.h"

#include <windows.h>

namespace tbx {

namespace detail {
struct FreeLibraryHandle {
  static constexpr bool kCounted = false;
  void operator()(HMODULE h) const { ::FreeLibrary(h); }
};
}  // namespace detail

// A loaded library, freed once when the holder ends or is reset.
using TLibraryHandle = gdi::UniqueHandle<HMODULE, detail::FreeLibraryHandle>;

// The named DLL from the system folder, without the system's "file not found" box; empty when
// it is missing.
TLibraryHandle LoadSystemLibrary(const wchar_t* Name);

// The exported function of that name, or null (also for a null module).
template <class F>
F BindFunction(HMODULE Module, const char* Name) {
  if (!Module) return nullptr;
  // GetProcAddress answers a generic function pointer; going through void(*)() keeps the cast
  // to the real signature free of warnings.
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(::GetProcAddress(Module, Name)));
}

}  // namespace tbx
