#include "app/QuillnoteMain.h"

#include "app/TFR_MAIN.h"
#include "classlib/Forms.h"
#include "classlib/Seams.h"
#include "tbx/TBXStartup.h"

namespace {

HANDLE g_instanceMutex = nullptr;

// True when another copy already holds the mutex. Creating it and asking whether it existed
// is one step, so two copies started together cannot both pass.
bool AnotherInstanceRuns() {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, app::kMutexName);
  DWORD error = GetLastError();
  if (!mutex) return error == ERROR_ACCESS_DENIED;
  if (error == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return true;
  }
  g_instanceMutex = mutex;
  return false;
}

void RunApplication() {
  Application->Initialize();
  Application->SetShowMainForm(false);
  Application->SetTitle(app::kProductName);
  Application->CreateForm(FR_QNT_MAIN);
  StartMainForm(*FR_QNT_MAIN);
  Application->Run();
  ShowWindow(Application->Handle(), SW_HIDE);
}

}  // namespace

void StartMainForm(TFR_QNT_MAIN& Form) {
  Form.tiTray->SetVisible(true);
  Form.Version = app::kVersion;
  Form.SetCaption(String(app::kProductName) + app::kVersion);
  // At start only a newer version is worth telling of.
  if (Form.CheckForUpdates) Form.StartUpdateCheck(false);
  Form.ShowAllNotes(true);
}

void CloseInstanceMutex() {
  if (g_instanceMutex) {
    CloseHandle(g_instanceMutex);
    g_instanceMutex = nullptr;
  }
}

int QuillnoteMain() {
  if (AnotherInstanceRuns()) {
    seams::MessageBoxes().Show(nullptr, L"Quillnote Already Running!", L"Warning",
                               MB_ICONWARNING | MB_OK);
    return 0;
  }
  try {
    InitializeClassLibrary();
    InitializeThemeLayer();
    RunApplication();
  } catch (...) {
    if (Application) Application->HandleException(Application);
  }
  // Every form (and the theme switcher on it) goes before the theme layer's process-wide
  // objects, and those before the class library.
  if (Application) Application->DestroyComponents();
  FinalizeThemeLayer();
  FinalizeClassLibrary();
  CloseInstanceMutex();
  FR_QNT_MAIN = nullptr;
  return 0;
}
