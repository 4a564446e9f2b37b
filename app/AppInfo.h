#pragma once
#include "classlib/Types.h"

namespace app {
inline constexpr wchar_t kProductName[] = L"Quillnote";
inline constexpr wchar_t kVersion[] = L"1.5.0.0";
}  // namespace app
