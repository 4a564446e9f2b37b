#pragma once
// Announcing menu events to assistive tools: the system's NotifyWinEvent, bound at run time.
#include "classlib/Types.h"

// NotifyWinEvent when the system has it; nothing otherwise.
void CallNotifyWinEvent(DWORD Event, HWND Wnd, LONG ObjectID, LONG ChildID);
