#include "docking/demo/DockDemoHost.h"

#include "classlib/Panels.h"

#include <algorithm>

TDockDemoForm::TDockDemoForm(TComponent* AOwner, const TOptions& Options) : TForm(AOwner), options_(Options) {
  SetUniqueName(L"DockDemoForm");
  SetCaption(L"Dock demo");
  SetBounds(Options.Origin.x, Options.Origin.y, Options.Size.cx, Options.Size.cy);
  Background = new TTBBackground(this);
  Background->SetName(L"Background");
  DrawDemoBackground(Background->Bitmap());
  TopDock = MakeDock(L"TopDock", dpTop);
  TopDock->SetBoundLines(blTop | blBottom);
  TopDock->SetBackground(Background);
  BottomDock = MakeDock(L"BottomDock", dpBottom);
  LeftDock = MakeDock(L"LeftDock", dpLeft);
  RightDock = MakeDock(L"RightDock", dpRight);
  auto* middle = new TPanel(this);
  middle->SetName(L"pnMiddle");
  middle->SetCaption(String());
  middle->SetAlign(TAlign::alClient);
  middle->SetParent(this);
  MakeSwitches(middle);
  Tools = MakeToolWindow(L"Tools", 180, 22, TopDock, 0, 0, ToolsEdit);
  Find = MakeToolWindow(L"Find", 140, 22, TopDock, 0, 200, FindEdit);
  Notes = MakeToolWindow(L"Notes", 140, 200, LeftDock, 0, 0, NotesEdit);
  Output = MakeToolWindow(L"Output", 300, 60, BottomDock, 0, 0, OutputEdit);
  for (TTBToolWindow* w : {Tools, Find, Notes, Output}) w->SetDefaultDock(TopDock);
}

TTBDock* TDockDemoForm::MakeDock(const wchar_t* Name, TTBDockPosition Position) {
  auto* dock = new TTBDock(this);
  dock->SetName(Name);
  dock->SetPosition(Position);
  dock->SetParent(this);
  return dock;
}

TTBToolWindow* TDockDemoForm::MakeToolWindow(const wchar_t* Name, int ClientWidth, int ClientHeight, TTBDock* Dock,
                                             int Row, int Pos, TEdit*& Edit) {
  auto* w = new TTBToolWindow(this);
  w->SetName(Name);
  w->SetCaption(Name);
  // A one-line window may be lower than a tool window's usual least height.
  w->SetMinClientHeight(std::min(w->MinClientHeight(), ClientHeight));
  w->SetClientAreaSize(ClientWidth, ClientHeight);
  w->SetDockRow(Row);
  w->SetDockPos(Pos);
  Edit = new TEdit(this);
  Edit->SetName(String(Name) + L"Edit");
  Edit->SetText(Name);
  Edit->SetAlign(TAlign::alClient);
  Edit->SetParent(w);
  w->SetParent(Dock);
  return w;
}

TButton* TDockDemoForm::MakeButton(TWinControl* Parent, const wchar_t* Caption, int Top, TNotifyEvent Click) {
  auto* button = new TButton(this);
  button->SetCaption(Caption);
  button->SetBounds(16, Top, 180, 26);
  button->OnClick = Click;
  button->SetParent(Parent);
  return button;
}

void TDockDemoForm::MakeSwitches(TWinControl* Parent) {
  SmoothDragBox = new TCheckBox(this);
  SmoothDragBox->SetName(L"cbSmoothDrag");
  SmoothDragBox->SetCaption(L"Drag live (SmoothDrag)");
  SmoothDragBox->SetBounds(16, 16, 220, 22);
  SmoothDragBox->SetChecked(true);
  SmoothDragBox->OnClick = TNotifyEvent(this, &TDockDemoForm::SmoothDragClick);
  SmoothDragBox->SetParent(Parent);
  OneRowBox = new TCheckBox(this);
  OneRowBox->SetName(L"cbLimitToOneRow");
  OneRowBox->SetCaption(L"One row per dock (LimitToOneRow)");
  OneRowBox->SetBounds(16, 44, 260, 22);
  OneRowBox->OnClick = TNotifyEvent(this, &TDockDemoForm::OneRowClick);
  OneRowBox->SetParent(Parent);
  MakeButton(Parent, L"Save positions (INI)", 80, TNotifyEvent(this, &TDockDemoForm::SaveIniClick));
  MakeButton(Parent, L"Load positions (INI)", 110, TNotifyEvent(this, &TDockDemoForm::LoadIniClick));
  MakeButton(Parent, L"Save positions (registry)", 150, TNotifyEvent(this, &TDockDemoForm::SaveRegistryClick));
  MakeButton(Parent, L"Load positions (registry)", 180, TNotifyEvent(this, &TDockDemoForm::LoadRegistryClick));
}

void TDockDemoForm::SmoothDragClick(TObject*) {
  for (TTBToolWindow* w : {Tools, Find, Notes, Output}) w->SetSmoothDrag(SmoothDragBox->Checked());
}

void TDockDemoForm::OneRowClick(TObject*) {
  for (TTBDock* d : {TopDock, BottomDock, LeftDock, RightDock}) {
    d->SetLimitToOneRow(OneRowBox->Checked());
    d->ArrangeToolbars();
  }
}

void TDockDemoForm::SavePositionsToIni() { TBIniSavePositions(this, options_.IniFile, String()); }
void TDockDemoForm::LoadPositionsFromIni() { TBIniLoadPositions(this, options_.IniFile, String()); }
void TDockDemoForm::SavePositionsToRegistry() { TBRegSavePositions(this, HKEY_CURRENT_USER, options_.RegistryKey); }
void TDockDemoForm::LoadPositionsFromRegistry() { TBRegLoadPositions(this, HKEY_CURRENT_USER, options_.RegistryKey); }

void TDockDemoForm::DoClose(TCloseAction& Action) {
  if (options_.SaveOnClose) SavePositionsToIni();
  TForm::DoClose(Action);
}

void DrawDemoBackground(TBitmap& Bitmap) {
  constexpr int kWidth = 16, kHeight = 12;
  Bitmap.SetSize(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y) {
    uint32_t* row = Bitmap.ScanLine(y);
    for (int x = 0; x < kWidth; ++x) {
      const int band = ((x + y) / 4) % 3;
      static constexpr COLORREF kBands[] = {RGB(222, 226, 236), RGB(210, 216, 230), RGB(232, 234, 240)};
      row[x] = RGBToPixel(kBands[band]);
    }
  }
  Bitmap.Changed();
}
