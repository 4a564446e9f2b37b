#include "classlib/Seams.h"

#include "classlib/GdiHandles.h"
#include "classlib/TextConv.h"

#include <mmsystem.h>

namespace seams {

int TMessageBoxes::Show(HWND owner, const String& text, const String& caption, UINT flags) {
  return MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
}

HINSTANCE TShell::Execute(HWND owner, const wchar_t* verb, const String& file,
                          const wchar_t* parameters, int show) {
  return ShellExecuteW(owner, verb, file.c_str(), parameters, nullptr, show);
}

HINSTANCE TShell::ExecuteAnsi(HWND owner, const char* verb, const std::string& file, int show) {
  return ShellExecuteA(owner, verb, file.c_str(), nullptr, nullptr, show);
}

bool TTrayArea::Notify(DWORD message, NOTIFYICONDATAW& data) {
  return Shell_NotifyIconW(message, &data) != FALSE;
}

TDateTime TClock::Now() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  FILETIME ft;
  SystemTimeToFileTime(&st, &ft);
  ULARGE_INTEGER v;
  v.LowPart = ft.dwLowDateTime;
  v.HighPart = ft.dwHighDateTime;
  // 100 ns ticks since 1601-01-01; day 0 of TDateTime is 1899-12-30, 109205 days later.
  const double ticksPerDay = 864000000000.0;
  return static_cast<double>(v.QuadPart) / ticksPerDay - 109205.0;
}

LCID TClock::Locale() { return GetUserDefaultLCID(); }

int TRandom::Next(int range) {
  if (range <= 0) return 0;
  // A linear congruential generator: 32 bits of state, the high bits scaled to the range.
  state_ = state_ * 134775813u + 1u;
  return static_cast<int>((static_cast<unsigned long long>(state_) * static_cast<unsigned>(range)) >> 32);
}

String TProgramFolder::ExeName() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

void TSounds::PlayAlias(const String& alias, DWORD flags) { PlaySoundW(alias.c_str(), nullptr, flags); }
void TSounds::Beep(UINT type) { MessageBeep(type); }

bool TFileReplacement::MoveOver(const String& tempFileName, const String& fileName) {
  return MoveFileExW(tempFileName.c_str(), fileName.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool THelp::WinHelp(HWND owner, const String& file, UINT command, ULONG_PTR data) {
  return ::WinHelpW(owner, file.c_str(), command, data) != FALSE;
}

bool TCommonDialogs::ShowFontDialog(CHOOSEFONTW& data) { return ::ChooseFontW(&data) != FALSE; }
bool TCommonDialogs::ShowPrintDialog(PRINTDLGW& data) { return ::PrintDlgW(&data) != FALSE; }

namespace {
bool SpiBool(UINT action) {
  BOOL value = FALSE;
  return SystemParametersInfoW(action, 0, &value, 0) && value;
}
}  // namespace

UINT TSystemSettings::MenuShowDelay() {
  DWORD value = 400;
  SystemParametersInfoW(SPI_GETMENUSHOWDELAY, 0, &value, 0);
  return value;
}
bool TSystemSettings::MenuAnimation() { return SpiBool(SPI_GETMENUANIMATION); }
bool TSystemSettings::MenuFade() { return SpiBool(SPI_GETMENUFADE); }
bool TSystemSettings::FlatMenus() { return SpiBool(SPI_GETFLATMENU); }
bool TSystemSettings::KeyboardCues() { return SpiBool(SPI_GETKEYBOARDCUES); }
UINT TSystemSettings::WheelScrollLines() {
  UINT value = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &value, 0);
  return value;
}
COLORREF TSystemSettings::SysColor(int index) { return GetSysColor(index); }
HBRUSH TSystemSettings::SysColorBrush(int index) { return GetSysColorBrush(index); }
int TSystemSettings::ColorDepth() {
  gdi::WindowDC screen;
  int bits = GetDeviceCaps(screen.Get(), BITSPIXEL) * GetDeviceCaps(screen.Get(), PLANES);
  return bits;
}
bool TSystemSettings::MenuDropAlignmentRight() { return GetSystemMetrics(SM_MENUDROPALIGNMENT) != 0; }

}  // namespace seams
