#pragma once
// The strings of a list as a vector, for comparing whole lists in one expectation.
#include "classlib/Strings.h"

#include <vector>

inline std::vector<String> Lines(const TStrings& list) {
  std::vector<String> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(list.Strings(i));
  return out;
}
