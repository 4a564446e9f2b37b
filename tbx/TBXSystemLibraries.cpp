#include "tbx/TBXSystemLibraries.h"

namespace tbx {

TLibraryHandle LoadSystemLibrary(const wchar_t* Name) {
  UINT oldMode = ::SetErrorMode(SEM_NOOPENFILEERRORBOX);
  HMODULE module = ::LoadLibraryExW(Name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  ::SetErrorMode(oldMode);
  return TLibraryHandle(module);
}

}  // namespace tbx
