#pragma once
// The program's entry, callable in-process so that tests can run it.
#include "classlib/Types.h"

namespace app {
inline constexpr wchar_t kProductName[] = L"Quillnote";
inline constexpr wchar_t kVersion[] = L"1.5.0.0";
inline constexpr wchar_t kMutexName[] = L"quillnote";
}  // namespace app

class TFR_QNT_MAIN;

// Runs the program: single-instance check, application object, main form, message loop.
// Returns the process exit code.
int QuillnoteMain();
// What the entry does once the main form exists: the tray icon up, the version and caption set,
// the update check started when the settings ask for it, the saved notes opened.
void StartMainForm(TFR_QNT_MAIN& Form);
// Closes the single-instance mutex (the main form's destructor does it).
void CloseInstanceMutex();
