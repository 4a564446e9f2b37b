#include "app/TFR_MAIN.h"

#include "app/QuillnoteMain.h"

TFR_QNT_MAIN* FR_QNT_MAIN = nullptr;

TFR_QNT_MAIN::TFR_QNT_MAIN(TComponent* AOwner) : TForm(AOwner) {
  SetWindowClassName(L"TFR_QNT_MAIN");
  BeginLoading();
  CreateComponents();
  EndLoading();
  DoCreate();
  ShowWindow(Application->Handle(), SW_HIDE);
}

TFR_QNT_MAIN::~TFR_QNT_MAIN() { CloseInstanceMutex(); }

void TFR_QNT_MAIN::CreateComponents() {
  SetName(L"FR_QNT_MAIN");
  SetBorderStyle(TFormBorderStyle::bsToolWindow);
  Font().SetName(L"Tahoma");
  tiTray = new TTrayIcon(this);
  tiTray->SetName(L"tiTray");
  tiTray->SetHint(L"Quillnote\r\nDouble click for new note!");
  tiTray->SetBalloonHint(L"Double click for new note!");
  tiTray->SetBalloonTitle(L"Quillnote");
  tiTray->SetBalloonFlags(bfInfo);
  tiTray->SetIcon(LoadIconW(GetModuleHandleW(nullptr), L"MAINICON"));
}

void TFR_QNT_MAIN::CreateParams(TCreateParams& params) {
  TForm::CreateParams(params);
  // Not owned by the application window: the hidden form needs no taskbar owner.
  params.WndParent = nullptr;
}
