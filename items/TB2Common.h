#pragma once
// Utility routines of the item framework and of the docking and theme layers: the system
// settings menus honour, captions with "&" accelerator markers, rotated text, monitor
// rectangles, mouse-leave tracking, nil-when-empty lists, message pumping helpers, and the
// painting routines for non-client areas, WM_PRINT and the inverted drag outline.
#include "classlib/GdiHandles.h"
#include "classlib/Types.h"

#include <memory>
#include <utility>
#include <vector>

// --- small helpers ---------------------------------------------------------------------------

bool ApplicationIsActive();

// GetProcAddress answers a generic function pointer; going through void(*)() keeps the cast
// to the real signature free of warnings. Null for a null module or a missing name.
template <class F>
F BindProc(HMODULE module, const char* name) {
  if (!module) return nullptr;
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}
// A system library loaded from the system folder only, or null; it is never unloaded.
HMODULE LoadSystemLibrary(const wchar_t* Name);

template <class Sig>
bool MethodsEqual(const TEvent<Sig>& M1, const TEvent<Sig>& M2) {
  return M1 == M2;
}

inline int Max(int A, int B) { return A > B ? A : B; }
inline int Min(int A, int B) { return A < B ? A : B; }
// X div D rounded up, for X >= 0 and D > 0.
inline int DivRoundUp(int X, int D) { return X / D + (X % D != 0 ? 1 : 0); }

int GetTextHeight(HDC DC);
int GetTextWidth(HDC DC, const String& Text, bool Prefix);

// --- captions with accelerator markers ------------------------------------------------------
// "&" marks the next character as the accelerator, "&&" is a literal "&". UTF-16 text is
// scanned as UTF-16: a surrogate pair is one character, and nothing else is.

String StripAccelChars(const String& S);
String EscapeAmpersands(const String& S);
// The accelerator's code point, or 0; the last marked character wins.
char32_t FindAccelChar(const String& S);
String StripTrailingPunctuation(const String& S);

// --- system settings ------------------------------------------------------------------------

bool IsWindowsXP();
bool AreFlatMenusEnabled();
bool AreKeyboardCuesEnabled();
// The delay before a submenu opens, in milliseconds; never negative.
int GetMenuShowDelay();
// The user's "MenuShowDelay" registry value (read on each call): 400 when absent, 0 when not a
// whole number.
int ReadMenuShowDelay();
// Whether the user's sound scheme holds a sound for the alias ("MenuPopup", "MenuCommand").
bool NeedToPlaySound(const String& Alias);
// Plays a menu sound alias as the system's menus do: asynchronously, with no default sound in
// its place, and not cutting off a sound that is already playing.
void PlayMenuSound(const String& Alias);
// The ANSI code page of the keyboard layout's language, or 0.
int GetInputLocaleCodePage();

namespace tb2common_detail {
// The two registry reads on an arbitrary key, so that tests need not touch the user's settings.
int ReadMenuShowDelayFrom(HKEY Root, const wchar_t* SubKey, const wchar_t* ValueName);
// The delay in "MenuShowDelay" text data as the registry hands it over: Size bytes (only the
// first 64 count) that need not end in a NUL. 0 when it is not a whole number.
int ParseMenuShowDelay(const BYTE* Data, DWORD Size);
bool SchemeHasSound(HKEY Root, const String& SubKey);
}  // namespace tb2common_detail

// --- monitors -------------------------------------------------------------------------------

bool UsingMultipleMonitors();
RECT GetRectOfPrimaryMonitor(bool WorkArea);
RECT GetRectOfMonitorContainingRect(const RECT& R, bool WorkArea);
RECT GetRectOfMonitorContainingPoint(const POINT& P, bool WorkArea);
RECT GetRectOfMonitorContainingWindow(HWND Wnd, bool WorkArea);

// --- mouse-leave tracking -------------------------------------------------------------------

void InitTrackMouseEvent();
bool CallTrackMouseEvent(HWND Wnd, DWORD Flags);

// --- lists that exist only while they hold something -----------------------------------------

template <class T>
using TNilList = std::unique_ptr<std::vector<T*>>;

template <class T>
bool AddToList(TNilList<T>& List, T* Item) {
  if (!List) List = std::make_unique<std::vector<T*>>();
  for (T* p : *List)
    if (p == Item) return false;
  List->push_back(Item);
  return true;
}

template <class T>
bool AddToFrontOfList(TNilList<T>& List, T* Item) {
  if (!List) List = std::make_unique<std::vector<T*>>();
  for (T* p : *List)
    if (p == Item) return false;
  List->insert(List->begin(), Item);
  return true;
}

template <class T>
void RemoveFromList(TNilList<T>& List, T* Item) {
  if (!List) return;
  for (auto it = List->begin(); it != List->end(); ++it)
    if (*it == Item) {
      List->erase(it);
      break;
    }
  if (List->empty()) List.reset();
}

// An in-place quicksort with extra data for the comparison; not stable.
template <class T>
void ListSortEx(std::vector<T>& List, int (*Compare)(const T& Item1, const T& Item2, void* ExtraData),
                void* ExtraData) {
  if (List.size() < 2) return;
  struct Sorter {
    std::vector<T>& L;
    int (*Cmp)(const T&, const T&, void*);
    void* Extra;
    void Sort(int lo, int hi) {
      while (lo < hi) {
        int i = lo, j = hi;
        T pivot = L[static_cast<size_t>((lo + hi) / 2)];
        while (i <= j) {
          while (Cmp(L[static_cast<size_t>(i)], pivot, Extra) < 0) ++i;
          while (Cmp(L[static_cast<size_t>(j)], pivot, Extra) > 0) --j;
          if (i <= j) {
            std::swap(L[static_cast<size_t>(i)], L[static_cast<size_t>(j)]);
            ++i;
            --j;
          }
        }
        if (lo < j) Sort(lo, j);
        lo = i;
      }
    }
  };
  Sorter{List, Compare, ExtraData}.Sort(0, static_cast<int>(List.size()) - 1);
}

// --- messages -------------------------------------------------------------------------------

// Dispatches the thread's pending WM_PAINT messages; a WM_QUIT met on the way stays queued.
void ProcessPaintMessages();
// Removes the pending messages in Min..Max; a removed WM_QUIT is posted again.
void RemoveMessages(UINT Min, UINT Max);

// --- painting -------------------------------------------------------------------------------

void SelectNCUpdateRgn(HWND Wnd, HDC DC, HRGN Rgn);
gdi::RegionHandle CreateNullRegion();
// The 8 x 8 checker of set and clear pixels that drag outlines are inverted with.
gdi::BrushHandle CreateHalftoneBrush();
// Moves an inverted frame from OldRect (may be null) to NewRect (may be null); Size is the frame
// width and height. The same call twice leaves the screen as it was.
void DrawInvertRect(HDC DC, const RECT* NewRect, const RECT* OldRect, SIZE NewSize, SIZE OldSize,
                    HBRUSH Brush, HBRUSH LastBrush);
void DrawHalftoneInvertRect(HDC DC, const RECT* NewRect, const RECT* OldRect, SIZE NewSize,
                            SIZE OldSize);

// A font like the DC's, running top to bottom (empty on failure).
gdi::FontHandle CreateRotatedFont(HDC DC);
// The vertical face ("@" + Face) that rotated text prefers, or empty when it would not fit a
// LOGFONT face name with its terminator.
String VerticalFaceName(const String& Face);
// Text drawn top to bottom in Rect, honouring DT_CENTER, DT_NOCLIP, DT_NOPREFIX,
// DT_END_ELLIPSIS and DT_HIDEPREFIX.
void DrawRotatedText(HDC DC, String Text, const RECT& Rect, UINT Format);

using TPaintNCProc = void (*)(HWND Wnd, HDC DC, void* AppData);
// A whole WM_PRINT for a window whose own handlers cannot draw into a foreign DC.
void HandleWMPrint(HWND Wnd, TMessage& Message, TPaintNCProc NCPaintFunc, void* AppData);
// WM_PRINTCLIENT: the paint handler runs with a WM_PAINT message whose WParam is the DC.
void HandleWMPrintClient(const TWndMethod& PaintHandler, TMessage& Message);
