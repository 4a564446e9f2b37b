#pragma once
// The fair reference for a note: what a plain program pays for a window shaped like one. A
// borderless, layered top-level window with a one-pixel frame, a title bar (its button panel
// and its title panel, with a hidden edit box in it), a rich-edit body holding the note's text
// and a bottom bar: seven windows, as a note has. Each is made at its place, filled, and shown
// as a note is shown: shown, activated and put at the top in one positioning, given the
// foreground, its editor focused.
#include <windows.h>
#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace bench {

namespace note_shaped_detail {

constexpr int kWidth = 260;
constexpr int kHeight = 220;
constexpr int kBar = 26;
constexpr int kButtons = 39;
constexpr int kBottom = 14;
constexpr COLORREF kNoteColor = 0x99FFFF;
constexpr COLORREF kBarColor = 0x94FAFA;  // the note colour a shade darker, as a note's bar is
constexpr COLORREF kTitleColor = 0x3F3F3F;

inline HFONT TitleFont() {
  static HFONT font = CreateFontW(-13, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
  return font;
}

// Panels fill themselves with their class's brush; the title panel draws its text too.
inline LRESULT CALLBACK PanelProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_PAINT) return DefWindowProcW(wnd, msg, wp, lp);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(wnd, &ps);
  wchar_t text[64];
  int n = GetWindowTextW(wnd, text, 64);
  if (n > 0) {
    RECT r;
    GetClientRect(wnd, &r);
    HGDIOBJ old = SelectObject(dc, TitleFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kTitleColor);
    DrawTextW(dc, text, n, &r, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
    SelectObject(dc, old);
  }
  EndPaint(wnd, &ps);
  return 0;
}

inline ATOM Register(const wchar_t* name, WNDPROC proc, COLORREF color, UINT style) {
  WNDCLASSW cls{};
  cls.style = style;
  cls.lpfnWndProc = proc;
  cls.hInstance = GetModuleHandleW(nullptr);
  cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  cls.hbrBackground = CreateSolidBrush(color);
  cls.lpszClassName = name;
  return RegisterClassW(&cls);
}

struct TStreamSource {
  const std::string* Text;
  size_t At;
};

inline DWORD CALLBACK ReadRtf(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
  auto* source = reinterpret_cast<TStreamSource*>(cookie);
  size_t n = std::min(static_cast<size_t>(count), source->Text->size() - source->At);
  memcpy(buffer, source->Text->data() + source->At, n);
  source->At += n;
  *done = static_cast<LONG>(n);
  return 0;
}

inline HWND Child(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, HWND parent) {
  return CreateWindowExW(0, cls, text, WS_CHILD | WS_CLIPSIBLINGS | style, x, y, w, h, parent, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

}  // namespace note_shaped_detail

// Makes, fills and shows count note-shaped windows cascading as the benchmark's notes do, each
// with the given RTF as its text; answers their top-level windows.
template <class RtfOf>
std::vector<HWND> MakeNoteShapedWindows(int count, RtfOf&& rtfOf, const wchar_t* richEditClass) {
  using namespace note_shaped_detail;
  static const bool registered = [] {
    Register(L"QuillnoteBenchNote", DefWindowProcW, kBarColor, CS_DROPSHADOW);
    Register(L"QuillnoteBenchBar", PanelProc, kBarColor, 0);
    Register(L"QuillnoteBenchBottom", PanelProc, kNoteColor, 0);
    return true;
  }();
  (void)registered;
  std::vector<HWND> windows;
  const int client = kWidth - 2;
  const int body = kHeight - 2 - kBar - kBottom;
  for (int i = 0; i < count; ++i) {
    HWND top = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_LAYERED, L"QuillnoteBenchNote", L"",
                               WS_POPUP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 40 + (i * 7) % 900,
                               40 + (i * 5) % 600, kWidth, kHeight, nullptr, nullptr, GetModuleHandleW(nullptr),
                               nullptr);
    SetLayeredWindowAttributes(top, 0, 255, LWA_ALPHA);
    HWND bar = Child(L"QuillnoteBenchBar", L"", WS_VISIBLE | WS_CLIPCHILDREN, 1, 1, client, kBar, top);
    Child(L"QuillnoteBenchBar", L"", WS_VISIBLE, client - kButtons, 0, kButtons, kBar, bar);
    const std::wstring title = L"Note " + std::to_wstring(i);
    HWND titlePanel = Child(L"QuillnoteBenchBar", title.c_str(), WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                            client - kButtons, kBar, bar);
    Child(L"EDIT", title.c_str(), ES_CENTER | ES_AUTOHSCROLL, 3, 3, client - kButtons - 6, kBar - 6, titlePanel);
    HWND edit = Child(richEditClass, L"", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL, 1,
                      1 + kBar, client, body, top);
    SendMessageW(edit, EM_EXLIMITTEXT, 0, 0x7FFFFFF0);
    SendMessageW(edit, EM_SETEVENTMASK, 0, ENM_CHANGE);
    SendMessageW(edit, EM_SETBKGNDCOLOR, 0, kNoteColor);
    const std::string rtf = rtfOf(i);
    TStreamSource source{&rtf, 0};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, ReadRtf};
    SendMessageW(edit, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    Child(L"QuillnoteBenchBottom", L"", WS_VISIBLE, 1, kHeight - 1 - kBottom, client, kBottom, top);
    SetWindowPos(top, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(top);
    SetFocus(edit);
    windows.push_back(top);
  }
  return windows;
}

}  // namespace bench
