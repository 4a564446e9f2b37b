#pragma once
// The docking demo's form: four docks along the edges of a form (the top one with bound lines
// and a tiled background), tool windows holding edit boxes, switches for live dragging and
// one-row docks, and buttons that save and load the windows' places in an INI file or the
// registry. DockDemo.exe shows it; the docking tests build the same form.
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"
#include "docking/TB2Dock.h"
#include "docking/TB2ToolWindow.h"

#include <memory>

class TDockDemoForm : public TForm {
 public:
  struct TOptions {
    String IniFile;                                  // absolute: a bare name lands in the Windows folder
    String RegistryKey = L"Software\\Orvane\\DockDemo";  // below HKEY_CURRENT_USER
    POINT Origin{100, 80};
    SIZE Size{800, 600};
    bool SaveOnClose = false;
  };
  TDockDemoForm(TComponent* AOwner, const TOptions& Options);

  TTBDock* TopDock;
  TTBDock* BottomDock;
  TTBDock* LeftDock;
  TTBDock* RightDock;
  TTBBackground* Background;
  TTBToolWindow* Tools;
  TTBToolWindow* Find;
  TTBToolWindow* Notes;
  TTBToolWindow* Output;
  TEdit* ToolsEdit;
  TEdit* FindEdit;
  TEdit* NotesEdit;
  TEdit* OutputEdit;
  TCheckBox* SmoothDragBox;
  TCheckBox* OneRowBox;

  void SavePositionsToIni();
  void LoadPositionsFromIni();
  void SavePositionsToRegistry();
  void LoadPositionsFromRegistry();
  const TOptions& Options() const { return options_; }

 protected:
  void DoClose(TCloseAction& Action) override;

 private:
  TTBDock* MakeDock(const wchar_t* Name, TTBDockPosition Position);
  TTBToolWindow* MakeToolWindow(const wchar_t* Name, int ClientWidth, int ClientHeight, TTBDock* Dock, int Row,
                                int Pos, TEdit*& Edit);
  TButton* MakeButton(TWinControl* Parent, const wchar_t* Caption, int Top, TNotifyEvent Click);
  void MakeSwitches(TWinControl* Parent);
  void SmoothDragClick(TObject* Sender);
  void OneRowClick(TObject* Sender);
  void SaveIniClick(TObject*) { SavePositionsToIni(); }
  void LoadIniClick(TObject*) { LoadPositionsFromIni(); }
  void SaveRegistryClick(TObject*) { SavePositionsToRegistry(); }
  void LoadRegistryClick(TObject*) { LoadPositionsFromRegistry(); }

  TOptions options_;
};

// The background picture: a 16 x 12 tile of soft diagonal bands, drawn here.
void DrawDemoBackground(TBitmap& Bitmap);
