#pragma once
// The Settings dialog: the defaults for new notes, the program's options and starting at logon.
// Modal, at most one at a time, freed when closed. OK writes the main form's fields, the logon
// value and the settings file; Close stores nothing. Enter works as OK (while it is enabled),
// Esc as Close.
#include "classlib/ComCtrls.h"
#include "classlib/Dialogs.h"
#include "classlib/Forms.h"
#include "classlib/Panels.h"
#include "classlib/StdCtrls.h"
#include "tbx/TBX.h"
#include "tbx/TBXToolPals.h"

#include <initializer_list>

class TFR_SETTINGS : public TForm {
 public:
  explicit TFR_SETTINGS(TComponent* AOwner);

  TPageControl* pcGeneral = nullptr;
  TTabSheet* tsPage = nullptr;
  TCheckBox* cbAutoStart = nullptr;
  TCheckBox* cbCheckUpdates = nullptr;
  TCheckBox* cbDeleteConfirm = nullptr;
  TTabSheet* tsDefaultNote = nullptr;
  TLabel* lbTitle = nullptr;
  TComboBox* cbTitle = nullptr;
  TLabel* lbOpacity = nullptr;
  TComboBox* cbOpacity = nullptr;
  TLabel* lbColor = nullptr;
  TPanel* pnColor = nullptr;
  TLabel* lbFont = nullptr;
  TPanel* pnFont = nullptr;
  TLabel* lbFontColor = nullptr;
  TPanel* pnFontColor = nullptr;
  TLabel* lbAlwaysOnTop = nullptr;
  TCheckBox* cbAlwaysOnTop = nullptr;
  TButton* btOK = nullptr;
  TButton* btClose = nullptr;
  // The swatches' menus: two submenus without captions, each popped up on its own.
  TTBXPopupMenu* tbPopupMenu = nullptr;
  TTBXSubmenuItem* tbColor = nullptr;
  TTBXColorPalette* cpColorPalette = nullptr;
  TTBXSubmenuItem* tbFontColor = nullptr;
  // The built-in colours: no colour set of its own.
  TTBXColorPalette* cpFontColorPalette = nullptr;
  // 8 x 3 note colours, answered by the main form.
  TTBXColorSet* csColorSet = nullptr;
  TFontDialog* fdFontDialog = nullptr;

  void cbChangeSettings(TObject* Sender);
  void pnColorClick(TObject* Sender);
  void pnFontColorClick(TObject* Sender);
  void pnFontClick(TObject* Sender);
  void SwatchKeyPress(TObject* Sender, wchar_t& Key);
  void tbColorPopup(TTBCustomItem* Sender, bool FromLink);
  void tbFontColorPopup(TTBCustomItem* Sender, bool FromLink);
  void cpColorPaletteChange(TObject* Sender);
  void cpFontColorChange(TObject* Sender);
  void btOKClick(TObject* Sender);
  void btCloseClick(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);

 private:
  void CreateComponents();
  void CreateGeneralPage();
  void CreateDefaultNotePage();
  void CreateSwatchMenu();
  TCheckBox* AddCheckBox(TWinControl* page, const wchar_t* name, const wchar_t* caption, int left, int top,
                         int width);
  TComboBox* AddList(const wchar_t* name, int top, std::initializer_list<const wchar_t*> items);
  TPanel* AddSwatch(const wchar_t* name, int top, int width, int height, void (TFR_SETTINGS::*onClick)(TObject*));
  // The main form's values into the controls, and back.
  void ShowDefaults();
  void StoreDefaults();
  // Opens a swatch's submenu at the cursor; whatever comes of it, OK may store it.
  void PopupAtCursor(TTBCustomItem* submenu);
};
