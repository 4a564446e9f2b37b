// WinEvents for assistive tools.
#include "items/TB2Acc.h"

void CallNotifyWinEvent(DWORD, HWND, LONG, LONG) {}
