#pragma once
// What the benchmarks that run the notes application share: a program folder of their own, message
// boxes that answer at once, and pumping the queue until every window has painted.
#include "classlib/Seams.h"

#include <windows.h>

namespace bench {

class TFolder : public seams::TProgramFolder {
 public:
  String Exe;
  String ExeName() override { return Exe; }
};

class TSilentBoxes : public seams::TMessageBoxes {
 public:
  int Show(HWND, const String&, const String&, UINT) override { return IDOK; }
};

// Dispatches until the queue is empty: every window shown has painted.
inline void PumpIdle() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace bench
