#pragma once
// The reference for opening a menu: the system's own popup menu with the same captions, timed from
// TrackPopupMenu until the menu tells its owner that it is idle (under Wine that comes with the
// menu painted), then ended.
#include "BenchTiming.h"
#include "classlib/Types.h"

#include <vector>

namespace bench {

namespace system_menu_detail {
inline double IdleAt = 0;

inline LRESULT CALLBACK OwnerProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  if (Msg == WM_ENTERIDLE && WParam == MSGF_MENU && IdleAt == 0) {
    IdleAt = Ticks();
    EndMenu();
    return 0;
  }
  return DefWindowProcW(Wnd, Msg, WParam, LParam);
}
}  // namespace system_menu_detail

// The spread of Openings openings at (300, 200); {-1, -1} when the menu never went idle.
inline TSpread TimeSystemMenu(const std::vector<String>& Captions, int Openings) {
  using namespace system_menu_detail;
  WNDCLASSW wc{};
  wc.lpfnWndProc = OwnerProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"QuillnoteBenchOwner";
  RegisterClassW(&wc);
  HWND owner = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  HMENU menu = CreatePopupMenu();
  for (const String& c : Captions) AppendMenuW(menu, MF_STRING, 1, c.c_str());
  std::vector<double> ms;
  for (int i = 0; i < Openings; ++i) {
    IdleAt = 0;
    const double start = Ticks();
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, 300, 200, 0, owner, nullptr);
    if (IdleAt > 0) ms.push_back(IdleAt - start);
  }
  DestroyMenu(menu);
  DestroyWindow(owner);
  if (ms.empty()) return {-1, -1};
  return Spread(ms);
}

}  // namespace bench
