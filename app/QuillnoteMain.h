#pragma once
// The program's entry, callable in-process so that tests can run it.
#include "classlib/Types.h"

namespace app {
inline constexpr wchar_t kProductName[] = L"Quillnote";
inline constexpr wchar_t kVersion[] = L"1.5.0.0";
inline constexpr wchar_t kMutexName[] = L"quillnote";
}  // namespace app

// Runs the program: single-instance check, application object, main form, message loop.
// Returns the process exit code.
int QuillnoteMain();
// Closes the single-instance mutex (the main form's destructor does it).
void CloseInstanceMutex();
