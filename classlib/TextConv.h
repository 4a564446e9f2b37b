#pragma once
// Conversions between UTF-16 and byte encodings.
#include "classlib/Types.h"

#include <string>

std::string WideToUtf8(const String& text);
// Invalid UTF-8 sequences become U+FFFD; nothing is dropped silently.
String Utf8ToWide(const std::string& bytes);
std::string WideToAnsi(const String& text, UINT codePage = CP_ACP);
String AnsiToWide(const std::string& bytes, UINT codePage = CP_ACP);
