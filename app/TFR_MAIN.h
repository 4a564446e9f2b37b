#pragma once
// The hidden main form: it owns the tray icon and lives for the whole run.
#include "classlib/Forms.h"
#include "classlib/TrayIcon.h"

class TFR_QNT_MAIN : public TForm {
 public:
  explicit TFR_QNT_MAIN(TComponent* AOwner);
  ~TFR_QNT_MAIN() override;

  TTrayIcon* tiTray = nullptr;
  String Version;

 protected:
  void CreateParams(TCreateParams& params) override;

 private:
  void CreateComponents();
};

extern TFR_QNT_MAIN* FR_QNT_MAIN;
