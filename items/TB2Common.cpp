#include "items/TB2Common.h"

#include "classlib/GdiHandles.h"
#include "classlib/Registry.h"
#include "classlib/Seams.h"

#include <mmsystem.h>

#include <atomic>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <optional>

namespace {

// The key opened for reading values; empty when it cannot be opened.
TRegKey OpenKeyForQuery(HKEY root, const wchar_t* subKey) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) key = nullptr;
  return TRegKey(key);
}

// The number of UTF-16 units of the character at i: 2 for a surrogate pair, else 1.
size_t CharUnits(const String& s, size_t i) {
  return (IS_HIGH_SURROGATE(s[i]) && i + 1 < s.size() && IS_LOW_SURROGATE(s[i + 1])) ? 2 : 1;
}

char32_t CodePointAt(const String& s, size_t i) {
  if (CharUnits(s, i) == 2)
    return 0x10000 + ((static_cast<char32_t>(s[i]) - 0xD800) << 10) + (static_cast<char32_t>(s[i + 1]) - 0xDC00);
  return s[i];
}

bool ParseInteger(const wchar_t* text, int& value) {
  while (*text == L' ') ++text;
  bool negative = false;
  if (*text == L'-' || *text == L'+') negative = *text++ == L'-';
  if (!*text) return false;
  long long v = 0;
  for (; *text; ++text) {
    if (*text < L'0' || *text > L'9') return false;
    v = v * 10 + (*text - L'0');
    if (v > 0x7FFFFFFFLL + 1) return false;
  }
  if (negative) v = -v;
  if (v > 0x7FFFFFFFLL || v < -0x80000000LL) return false;
  value = static_cast<int>(v);
  return true;
}

DWORD MajorVersion() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!GetVersionExW(&info)) return 0;
  return info.dwMajorVersion;
}

bool IsNTPlatform() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  return GetVersionExW(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

}  // namespace

// --- small helpers ---------------------------------------------------------------------------

HMODULE LoadSystemLibrary(const wchar_t* Name) {
  // A missing library is an answer, not a reason for the system to ask the user.
  const UINT oldMode = SetErrorMode(SEM_NOOPENFILEERRORBOX);
  HMODULE module = LoadLibraryExW(Name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  SetErrorMode(oldMode);
  return module;
}

bool ApplicationIsActive() { return GetActiveWindow() != nullptr; }

int GetTextHeight(HDC DC) {
  TEXTMETRICW tm{};
  GetTextMetricsW(DC, &tm);
  return tm.tmHeight;
}

int GetTextWidth(HDC DC, const String& Text, bool Prefix) {
  String s = Prefix ? StripAccelChars(Text) : Text;
  SIZE size{};
  GetTextExtentPoint32W(DC, s.c_str(), static_cast<int>(s.size()), &size);
  return size.cx;
}

// --- captions --------------------------------------------------------------------------------

String StripAccelChars(const String& S) {
  String s = S;
  for (size_t i = 0; i < s.size();) {
    if (s[i] == L'&') {
      s.erase(i, 1);
      if (i < s.size()) i += CharUnits(s, i);
    } else {
      i += CharUnits(s, i);
    }
  }
  return s;
}

String EscapeAmpersands(const String& S) {
  String s = S;
  for (size_t i = 0; i < s.size();) {
    if (s[i] == L'&') {
      s.insert(i + 1, 1, L'&');
      i += 2;
    } else {
      i += CharUnits(s, i);
    }
  }
  return s;
}

char32_t FindAccelChar(const String& S) {
  char32_t result = 0;
  for (size_t i = 0; i < S.size();) {
    if (S[i] != L'&') {
      i += CharUnits(S, i);
      continue;
    }
    if (++i >= S.size()) break;
    if (S[i] == L'&') {
      ++i;
      continue;
    }
    result = CodePointAt(S, i);
    i += CharUnits(S, i);
  }
  return result;
}

String StripTrailingPunctuation(const String& S) {
  if (S.size() >= 2 && S.back() == L':') return S.substr(0, S.size() - 1);
  if (S.size() >= 4 && S.compare(S.size() - 3, 3, L"...") == 0) return S.substr(0, S.size() - 3);
  return S;
}

// --- system settings ------------------------------------------------------------------------

bool IsWindowsXP() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!GetVersionExW(&info) || info.dwPlatformId != VER_PLATFORM_WIN32_NT) return false;
  return info.dwMajorVersion > 5 || (info.dwMajorVersion == 5 && info.dwMinorVersion >= 1);
}

bool AreFlatMenusEnabled() { return IsWindowsXP() && seams::SystemSettings().FlatMenus(); }

bool AreKeyboardCuesEnabled() {
  if (MajorVersion() < 5) return true;
  // The cues count as shown unless the system positively says they are off.
  BOOL probe = TRUE;
  if (!SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &probe, 0)) return true;
  return seams::SystemSettings().KeyboardCues();
}

namespace tb2common_detail {

int ReadMenuShowDelayFrom(HKEY Root, const wchar_t* SubKey, const wchar_t* ValueName) {
  TRegKey key = OpenKeyForQuery(Root, SubKey);
  if (!key) return 400;
  BYTE data[64] = {};
  DWORD size = sizeof(data);
  DWORD type = 0;
  LONG rc = RegQueryValueExW(key.Get(), ValueName, nullptr, &type, data, &size);
  if (rc == ERROR_FILE_NOT_FOUND) return 400;
  if (rc != ERROR_SUCCESS || type != REG_SZ) return 0;
  return ParseMenuShowDelay(data, size);
}

int ParseMenuShowDelay(const BYTE* Data, DWORD Size) {
  // REG_SZ data need not end in a NUL (and a registry may terminate it or not): the text is the
  // whole units of the data that were read, in a zeroed buffer with one spare unit.
  wchar_t text[33] = {};
  const size_t units = (Size < 64 ? Size : 64) / sizeof(wchar_t);
  memcpy(text, Data, units * sizeof(wchar_t));
  int value = 0;
  return ParseInteger(text, value) ? value : 0;
}

bool SchemeHasSound(HKEY Root, const String& SubKey) {
  TRegKey key = OpenKeyForQuery(Root, SubKey.c_str());
  if (!key) return false;
  BYTE buffer[8] = {};
  DWORD size = sizeof(buffer);
  LONG rc = RegQueryValueExW(key.Get(), nullptr, nullptr, nullptr, buffer, &size);
  if (rc == ERROR_MORE_DATA) return true;
  if (rc != ERROR_SUCCESS) return false;
  // An empty value writes nothing (or just its terminator): only a first character counts.
  return size >= sizeof(wchar_t) && (buffer[0] != 0 || buffer[1] != 0);
}

}  // namespace tb2common_detail

int ReadMenuShowDelay() {
  return tb2common_detail::ReadMenuShowDelayFrom(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"MenuShowDelay");
}

namespace {

int CachedRegistryMenuShowDelay() {
  static std::atomic<bool> read{false};
  static std::atomic<int> value{0};
  if (!read.load()) {
    value.store(ReadMenuShowDelay());
    read.exchange(true);
  }
  return value.load();
}

}  // namespace

int GetMenuShowDelay() {
  if (LOBYTE(LOWORD(GetVersion())) < 4) return 400;
  int result;
  DWORD probe = 0;
  // The settings seam answers for the system; only when the system cannot tell does the
  // user's registry value count.
  if (SystemParametersInfoW(SPI_GETMENUSHOWDELAY, 0, &probe, 0))
    result = static_cast<int>(seams::SystemSettings().MenuShowDelay());
  else
    result = CachedRegistryMenuShowDelay();
  return result < 0 ? 0 : result;
}

bool NeedToPlaySound(const String& Alias) {
  if (MajorVersion() < 5 || !IsNTPlatform()) return true;
  return tb2common_detail::SchemeHasSound(HKEY_CURRENT_USER,
                                          L"AppEvents\\Schemes\\Apps\\.Default\\" + Alias + L"\\.Current");
}

void PlayMenuSound(const String& Alias) {
  seams::Sounds().PlayAlias(Alias, SND_ALIAS | SND_ASYNC | SND_NODEFAULT | SND_NOSTOP);
}

int GetInputLocaleCodePage() {
  LANGID lang = LOWORD(reinterpret_cast<ULONG_PTR>(GetKeyboardLayout(0)));
  wchar_t buffer[16] = {};
  if (!GetLocaleInfoW(MAKELCID(lang, SORT_DEFAULT), LOCALE_IDEFAULTANSICODEPAGE, buffer, 15)) return 0;
  int page = 0;
  if (!ParseInteger(buffer, page)) return 0;
  return IsValidCodePage(static_cast<UINT>(page)) ? page : 0;
}

// --- monitors -------------------------------------------------------------------------------

namespace {

using TMonitorFromRect = HMONITOR(WINAPI*)(LPCRECT, DWORD);
using TMonitorFromPoint = HMONITOR(WINAPI*)(POINT, DWORD);
using TMonitorFromWindow = HMONITOR(WINAPI*)(HWND, DWORD);
using TGetMonitorInfoA = BOOL(WINAPI*)(HMONITOR, LPMONITORINFO);

HMODULE User32() { return GetModuleHandleW(L"user32.dll"); }

// Looked up on every call: nothing is cached.
struct TMonitorFunctions {
  TMonitorFromRect FromRect = BindProc<TMonitorFromRect>(User32(), "MonitorFromRect");
  TMonitorFromPoint FromPoint = BindProc<TMonitorFromPoint>(User32(), "MonitorFromPoint");
  TMonitorFromWindow FromWindow = BindProc<TMonitorFromWindow>(User32(), "MonitorFromWindow");
  TGetMonitorInfoA GetInfo = BindProc<TGetMonitorInfoA>(User32(), "GetMonitorInfoA");
};

// The rectangle of the monitor that find answers, when there are several monitors and the
// functions exist; else the primary monitor's.
template <class Find>
RECT RectOfMonitor(bool workArea, bool needsWindowFunction, Find find) {
  if (UsingMultipleMonitors()) {
    TMonitorFunctions fn;
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (fn.FromRect && fn.FromPoint && fn.GetInfo && (!needsWindowFunction || fn.FromWindow)) {
      HMONITOR monitor = find(fn);
      if (monitor && fn.GetInfo(monitor, &info)) return workArea ? info.rcWork : info.rcMonitor;
    }
  }
  return GetRectOfPrimaryMonitor(workArea);
}

}  // namespace

bool UsingMultipleMonitors() {
  int n = GetSystemMetrics(SM_CMONITORS);
  return n != 0 && n != 1;
}

RECT GetRectOfPrimaryMonitor(bool WorkArea) {
  RECT r{};
  if (WorkArea && SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) return r;
  return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

RECT GetRectOfMonitorContainingRect(const RECT& R, bool WorkArea) {
  return RectOfMonitor(WorkArea, false, [&](const TMonitorFunctions& fn) { return fn.FromRect(&R, MONITOR_DEFAULTTONEAREST); });
}

RECT GetRectOfMonitorContainingPoint(const POINT& P, bool WorkArea) {
  return RectOfMonitor(WorkArea, false, [&](const TMonitorFunctions& fn) { return fn.FromPoint(P, MONITOR_DEFAULTTONEAREST); });
}

RECT GetRectOfMonitorContainingWindow(HWND Wnd, bool WorkArea) {
  return RectOfMonitor(WorkArea, true, [&](const TMonitorFunctions& fn) { return fn.FromWindow(Wnd, MONITOR_DEFAULTTONEAREST); });
}

// --- mouse-leave tracking -------------------------------------------------------------------

namespace {

using TTrackMouseEventFunc = BOOL(WINAPI*)(LPTRACKMOUSEEVENT);
std::atomic<TTrackMouseEventFunc> TrackMouseEventFunc{nullptr};
std::atomic<bool> TrackingBound{false};

}  // namespace

void InitTrackMouseEvent() {
  if (TrackingBound.load()) return;
  auto func = BindProc<TTrackMouseEventFunc>(User32(), "TrackMouseEvent");
  if (!func) {
    func = BindProc<TTrackMouseEventFunc>(LoadSystemLibrary(L"comctl32.dll"), "_TrackMouseEvent");
  }
  TrackMouseEventFunc.store(func);
  TrackingBound.exchange(true);
}

bool CallTrackMouseEvent(HWND Wnd, DWORD Flags) {
  TTrackMouseEventFunc func = TrackMouseEventFunc.load();
  if (!func) return false;
  // The record's own size: it is larger on 64-bit Windows, where a fixed 16 fails the call.
  TRACKMOUSEEVENT request{};
  request.cbSize = sizeof(request);
  request.dwFlags = Flags;
  request.hwndTrack = Wnd;
  request.dwHoverTime = 0;
  return func(&request) != FALSE;
}

// --- messages -------------------------------------------------------------------------------

void ProcessPaintMessages() {
  // Taken with PeekMessage rather than GetMessage: a pending quit is seen by a peek but, under a
  // WM_PAINT filter, need not end a wait, and the pump must never block.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    DispatchMessageW(&msg);
  }
}

void RemoveMessages(UINT Min, UINT Max) {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, Min, Max, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
  }
}

// --- painting -------------------------------------------------------------------------------

void SelectNCUpdateRgn(HWND Wnd, HDC DC, HRGN Rgn) {
  if (Rgn == nullptr || Rgn == reinterpret_cast<HRGN>(1)) return;
  RECT r;
  GetWindowRect(Wnd, &r);
  if (SelectClipRgn(DC, Rgn) == ERROR) {
    gdi::RegionHandle whole(CreateRectRgnIndirect(&r));
    SelectClipRgn(DC, whole.Get());
  }
  OffsetClipRgn(DC, -r.left, -r.top);
}

gdi::RegionHandle CreateNullRegion() { return gdi::RegionHandle(CreateRectRgn(0, 0, 0, 0)); }

gdi::BrushHandle CreateHalftoneBrush() {
  WORD pattern[8];
  for (int i = 0; i < 8; ++i) pattern[i] = (i % 2 == 0) ? 0x5555 : 0xAAAA;
  // The brush keeps its own copy of the pattern: the bitmap goes at once.
  gdi::BitmapHandle bitmap(CreateBitmap(8, 8, 1, 1, pattern));
  return gdi::BrushHandle(CreatePatternBrush(bitmap.Get()));
}

namespace {

gdi::RegionHandle CreateFrameRegion(const RECT* rect, SIZE size) {
  gdi::RegionHandle frame = CreateNullRegion();
  if (!rect) return frame;
  RECT inner = *rect;
  InflateRect(&inner, -size.cx, -size.cy);
  IntersectRect(&inner, &inner, rect);
  gdi::RegionHandle outerRgn(CreateRectRgnIndirect(rect));
  gdi::RegionHandle innerRgn(CreateRectRgnIndirect(&inner));
  CombineRgn(frame.Get(), outerRgn.Get(), innerRgn.Get(), RGN_XOR);
  return frame;
}

void InvertClipBox(HDC dc, HRGN clip, HBRUSH brush) {
  SelectClipRgn(dc, clip);
  RECT box;
  if (GetClipBox(dc, &box) == NULLREGION) return;
  gdi::SelectionGuard select(dc, brush);
  PatBlt(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, PATINVERT);
}

}  // namespace

void DrawInvertRect(HDC DC, const RECT* NewRect, const RECT* OldRect, SIZE NewSize, SIZE OldSize,
                    HBRUSH Brush, HBRUSH LastBrush) {
  gdi::RegionHandle newRgn = CreateFrameRegion(NewRect, NewSize);
  if (!LastBrush) LastBrush = Brush;
  gdi::RegionHandle oldRgn;
  gdi::RegionHandle updateRgn;
  if (OldRect) {
    oldRgn = CreateFrameRegion(OldRect, OldSize);
    if (Brush == LastBrush) {
      updateRgn = CreateNullRegion();
      CombineRgn(updateRgn.Get(), oldRgn.Get(), newRgn.Get(), RGN_XOR);
    }
  }
  gdi::SavedDCState saved(DC);
  if (Brush != LastBrush && OldRect) InvertClipBox(DC, oldRgn.Get(), LastBrush);
  InvertClipBox(DC, updateRgn ? updateRgn.Get() : newRgn.Get(), Brush);
}

void DrawHalftoneInvertRect(HDC DC, const RECT* NewRect, const RECT* OldRect, SIZE NewSize,
                            SIZE OldSize) {
  gdi::BrushHandle brush = CreateHalftoneBrush();
  DrawInvertRect(DC, NewRect, OldRect, NewSize, OldSize, brush.Get(), brush.Get());
}

// --- rotated text ---------------------------------------------------------------------------

namespace {

int CALLBACK FoundFontProc(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // the first match is enough
}

bool IsSansSerifFace(const wchar_t* face) {
  return _wcsicmp(face, L"MS Sans Serif") == 0 || _wcsicmp(face, L"Microsoft Sans Serif") == 0;
}

int ExtentOf(HDC dc, const String& text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

// Removes the markers as StripAccelChars does; answers the 1-based unit position of the last
// marked character, 0 when none.
size_t StripAccelCharsMarking(String& s) {
  size_t marked = 0;
  for (size_t i = 0; i < s.size();) {
    if (s[i] == L'&') {
      s.erase(i, 1);
      if (i >= s.size()) break;
      if (s[i] != L'&') marked = i + 1;
    }
    i += CharUnits(s, i);
  }
  return marked;
}

void DropLastChar(String& s) {
  if (s.empty()) return;
  bool pair = s.size() >= 2 && IS_LOW_SURROGATE(s.back()) && IS_HIGH_SURROGATE(s[s.size() - 2]);
  s.resize(s.size() - (pair ? 2 : 1));
}

// Cuts the text until it fits the height with "..." appended; a marked character cut off is
// forgotten.
void ShortenWithEllipsis(HDC dc, String& text, int height, size_t& accel) {
  if (height < 3) {
    text.resize(CharUnits(text, 0));
  } else {
    DropLastChar(text);
    while (text.size() >= 2 && ExtentOf(dc, text + L"...") > height) DropLastChar(text);
  }
  if (accel > text.size()) accel = 0;
  text += L"...";
}

}  // namespace

gdi::FontHandle CreateRotatedFont(HDC DC) {
  LOGFONTW lf{};
  if (!GetObjectW(GetCurrentObject(DC, OBJ_FONT), sizeof(lf), &lf)) return {};
  lf.lfEscapement = 2700;
  lf.lfOrientation = 2700;
  lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
  lf.lfFaceName[LF_FACESIZE - 1] = L'\0';
  if (IsSansSerifFace(lf.lfFaceName)) {
    wcscpy(lf.lfFaceName, L"Arial");
    TEXTMETRICW tm{};
    if (GetTextMetricsW(DC, &tm))
      lf.lfHeight = lf.lfHeight > 0 ? tm.tmHeight : -(tm.tmHeight - tm.tmInternalLeading);
  }
  const String vertical = VerticalFaceName(lf.lfFaceName);
  if (!vertical.empty()) {
    LOGFONTW query{};
    query.lfCharSet = DEFAULT_CHARSET;
    wcscpy(query.lfFaceName, vertical.c_str());
    bool found = false;
    EnumFontFamiliesExW(DC, &query, FoundFontProc, reinterpret_cast<LPARAM>(&found), 0);
    if (found) wcscpy(lf.lfFaceName, query.lfFaceName);
  }
  return gdi::FontHandle(CreateFontIndirectW(&lf));
}

String VerticalFaceName(const String& Face) {
  // "@" + face must still fit the face-name field with its terminator.
  if (Face.size() > LF_FACESIZE - 2) return L"";
  return L"@" + Face;
}

void DrawRotatedText(HDC DC, String Text, const RECT& Rect, UINT Format) {
  if (Text.empty()) return;
  gdi::FontHandle font = CreateRotatedFont(DC);
  std::optional<gdi::SelectionGuard> selectFont;
  if (font) selectFont.emplace(DC, font.Get());
  TEXTMETRICW tm{};
  GetTextMetricsW(DC, &tm);
  const int X = Rect.left + ((Rect.right - Rect.left) - tm.tmHeight) / 2;
  size_t accel = (Format & DT_NOPREFIX) ? 0 : StripAccelCharsMarking(Text);
  const int H = Rect.bottom - Rect.top;
  if ((Format & DT_END_ELLIPSIS) && Text.size() > 1 && ExtentOf(DC, Text) > H) ShortenWithEllipsis(DC, Text, H, accel);
  int Y = Rect.top;
  if (Format & DT_CENTER) Y = Rect.top + (H - ExtentOf(DC, Text)) / 2;
  std::optional<gdi::SavedDCState> clipState;
  if (!(Format & DT_NOCLIP)) {
    clipState.emplace(DC);
    IntersectClipRect(DC, Rect.left, Rect.top, Rect.right, Rect.bottom);
  }
  UINT oldAlign = SetTextAlign(DC, TA_BOTTOM);
  TextOutW(DC, X, Y, Text.c_str(), static_cast<int>(Text.size()));
  SetTextAlign(DC, oldAlign);
  if (accel && !(Format & DT_HIDEPREFIX)) {
    int w1 = ExtentOf(DC, Text.substr(0, accel - 1));
    int w2 = w1 + ExtentOf(DC, Text.substr(accel - 1, CharUnits(Text, accel - 1)));
    gdi::PenHandle pen(CreatePen(PS_SOLID, 1, GetTextColor(DC)));
    gdi::SelectionGuard selectPen(DC, pen.Get());
    const int lineX = X + tm.tmDescent - 2;
    MoveToEx(DC, lineX, Y + w1, nullptr);
    LineTo(DC, lineX, Y + w2);
  }
}

// --- WM_PRINT -------------------------------------------------------------------------------

namespace {

void PrintWindowAt(HWND wnd, HDC dc, POINT origin, LPARAM flags) {
  RECT r;
  GetWindowRect(wnd, &r);
  gdi::SavedDCState saved(dc);
  OffsetViewportOrgEx(dc, origin.x, origin.y, nullptr);
  IntersectClipRect(dc, 0, 0, r.right - r.left, r.bottom - r.top);
  SendMessageW(wnd, WM_PRINT, reinterpret_cast<WPARAM>(dc), flags);
}

// A window's top-left in Wnd's client coordinates.
POINT ClientPosOf(HWND wnd, HWND parent) {
  RECT r;
  GetWindowRect(wnd, &r);
  POINT p{r.left, r.top};
  ScreenToClient(parent, &p);
  return p;
}

struct TOwnedSearch {
  HWND Owner;
  std::vector<HWND> Found;
};

BOOL CALLBACK CollectOwned(HWND wnd, LPARAM data) {
  auto* search = reinterpret_cast<TOwnedSearch*>(data);
  try {
    if (GetWindow(wnd, GW_OWNER) == search->Owner && IsWindowVisible(wnd)) search->Found.push_back(wnd);
  } catch (...) {
    return FALSE;  // out of memory: stop the enumeration rather than unwind through it
  }
  return TRUE;
}

void PrintChildren(HWND wnd, HDC dc) {
  // Bottom of the z-order first, so that windows on top are painted over the ones below.
  for (HWND child = GetWindow(GetWindow(wnd, GW_CHILD), GW_HWNDLAST); child;
       child = GetWindow(child, GW_HWNDPREV)) {
    if (GetParent(child) != wnd || !(GetWindowLongPtrW(child, GWL_STYLE) & WS_VISIBLE)) continue;
    PrintWindowAt(child, dc, ClientPosOf(child, wnd), PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
  }
}

void PrintOwned(HWND wnd, HDC dc, LPARAM flags) {
  TOwnedSearch search{wnd, {}};
  EnumWindows(CollectOwned, reinterpret_cast<LPARAM>(&search));
  for (HWND owned : search.Found) PrintWindowAt(owned, dc, ClientPosOf(owned, wnd), flags);
}

}  // namespace

void HandleWMPrint(HWND Wnd, TMessage& Message, TPaintNCProc NCPaintFunc, void* AppData) {
  const LPARAM flags = Message.LParam;
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  if ((flags & PRF_CHECKVISIBLE) && !IsWindowVisible(Wnd)) {
    Message.Result = 1;
    return;
  }
  {
    gdi::SavedDCState whole(dc);
    if ((flags & PRF_NONCLIENT) && NCPaintFunc) {
      gdi::SavedDCState state(dc);
      NCPaintFunc(Wnd, dc, AppData);
    }
    RECT windowRect;
    GetWindowRect(Wnd, &windowRect);
    POINT clientOrigin{0, 0};
    ClientToScreen(Wnd, &clientOrigin);
    POINT offset{0, 0};
    if (flags & PRF_NONCLIENT) offset = {clientOrigin.x - windowRect.left, clientOrigin.y - windowRect.top};
    if (flags & PRF_CLIENT) {
      if (flags & PRF_ERASEBKGND) {
        gdi::SavedDCState state(dc);
        OffsetViewportOrgEx(dc, offset.x, offset.y, nullptr);
        SendMessageW(Wnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
      }
      {
        gdi::SavedDCState state(dc);
        OffsetViewportOrgEx(dc, offset.x, offset.y, nullptr);
        SendMessageW(Wnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), 0);
      }
      gdi::SavedDCState state(dc);
      OffsetViewportOrgEx(dc, offset.x, offset.y, nullptr);
      if (flags & PRF_CHILDREN) PrintChildren(Wnd, dc);
      if (flags & PRF_OWNED) PrintOwned(Wnd, dc, flags);
    }
  }
  Message.Result = 1;
}

void HandleWMPrintClient(const TWndMethod& PaintHandler, TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  gdi::SavedDCState saved(dc);
  TMessage paint{WM_PAINT, Message.WParam, 0, 0};
  PaintHandler(paint);
}
