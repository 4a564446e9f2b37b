// DockDemo.exe: the docking demo. Its windows' places are kept in DockDemo.ini beside the
// program (or the INI file named as the first argument): loaded at start, saved at the end.
#include "classlib/FileUtils.h"
#include "classlib/Seams.h"
#include "docking/demo/DockDemoHost.h"
#include "items/TB2Hook.h"

#include <shellapi.h>

namespace {

TDockDemoForm::TOptions g_options;

class TMainDemoForm : public TDockDemoForm {
 public:
  explicit TMainDemoForm(TComponent* AOwner) : TDockDemoForm(AOwner, g_options) {}
};

String IniFileFromCommandLine() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  String ini = argc > 1 ? String(argv[1]) : ExtractFilePath(seams::ProgramFolder().ExeName()) + L"DockDemo.ini";
  LocalFree(argv);
  return ExpandFileName(ini);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  InitializeClassLibrary();
  Application->Initialize();
  Application->SetTitle(L"Dock demo");
  g_options.IniFile = IniFileFromCommandLine();
  g_options.SaveOnClose = true;
  TMainDemoForm* form = nullptr;
  Application->CreateForm(form);
  try {
    if (FileExists(g_options.IniFile)) form->LoadPositionsFromIni();
  } catch (...) {
    Application->HandleException(form);
  }
  Application->Run();
  FinalizeClassLibrary();
  FinalizeTB2Hook();
  return 0;
}
