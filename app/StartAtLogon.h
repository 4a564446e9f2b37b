#pragma once
// Starting the program when the user logs on: the current user's Run value "Quillnote", which
// holds the program's path in quotes.
#include "classlib/Types.h"

inline constexpr wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kRunValueName[] = L"Quillnote";

// The command written for the program: its path in quotes, so that a path with blanks cannot
// be taken for another program followed by arguments.
String StartCommand(const String& ExeName);
// Whether a stored command starts this program: its path alone, quoted or not, in any letter
// case (as an installer or an older version may have written it), blanks around it ignored.
bool StartsProgram(const String& Command, const String& ExeName);
// Whether the Run value starts this program; a missing key or value reads as no.
bool StartsAtLogon(const String& ExeName);
// Writes the Run value (creating the key) or removes it; a missing key or value is already
// removed. Any other failure raises ERegistryException with the system's reason.
void SetStartAtLogon(const String& ExeName, bool Start);
