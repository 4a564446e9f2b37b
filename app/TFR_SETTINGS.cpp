#include "app/TFR_SETTINGS.h"

#include "app/FormSupport.h"
#include "app/MenuSupport.h"
#include "app/StartAtLogon.h"
#include "app/TFR_MAIN.h"
#include "classlib/Seams.h"

#include <algorithm>

namespace {

constexpr int kClientWidth = 375;
constexpr int kClientHeight = 323;
// The pages' two columns: the labels, and the controls they name.
constexpr int kLabelLeft = 16;
constexpr int kControlLeft = 112;
constexpr int kListWidth = 145;
constexpr int kSwatchSize = 19;
constexpr TFontStyles kStoredStyles = fsBold | fsItalic | fsUnderline | fsStrikeOut;

constexpr int kLowestOpacity = 10;
constexpr int kHighestOpacity = 100;

// The opacity list offers 10 % .. 100 % in steps of ten; a stored value outside that range
// shows as the nearest end of it, so that OK never stores an invisible note.
int OpacityIndex(int percent) { return std::clamp(percent, kLowestOpacity, kHighestOpacity) / 10 - 1; }
int OpacityOfIndex(int index) { return index * 10 + 10; }

String ExeName() { return seams::ProgramFolder().ExeName(); }

}  // namespace

TFR_SETTINGS::TFR_SETTINGS(TComponent* AOwner) : TForm(AOwner) {
  SetWindowClassName(L"TFR_SETTINGS");
  BeginLoading();
  CreateComponents();
  EndLoading();
  // The client area is measured inside the frame and caption, which exist with the window.
  HandleNeeded();
  SetClientSize(kClientWidth, kClientHeight);
  ShowDefaults();
  // Setting the check boxes above ran their click handlers, which enabled OK.
  btOK->SetEnabled(false);
  DoCreate();
}

void TFR_SETTINGS::CreateComponents() {
  SetName(L"FR_SETTINGS");
  SetCaption(L"Settings");
  SetBorderStyle(TFormBorderStyle::bsDialog);
  SetFormStyle(TFormStyle::fsStayOnTop);
  SetPosition(TPosition::poScreenCenter);
  SetBounds(0, 0, kClientWidth, kClientHeight);
  Font().SetName(L"Tahoma");
  OnClose = TCloseEvent(this, &TFR_SETTINGS::FormClose);

  pcGeneral = AddControl<TPageControl>(this, this, L"pcGeneral", 8, 8, kClientWidth - 16, 274);
  CreateGeneralPage();
  CreateDefaultNotePage();
  pcGeneral->SetActivePage(tsPage);

  btOK = AddControl<TButton>(this, this, L"btOK", kClientWidth - 8 - 75 - 6 - 75, 290, 75, 25);
  btOK->SetCaption(L"OK");
  btOK->Font().SetStyle(fsBold);
  btOK->SetEnabled(false);
  // Enter stores as OK does, Esc closes as Close does.
  btOK->SetDefault(true);
  btOK->OnClick = TNotifyEvent(this, &TFR_SETTINGS::btOKClick);
  btClose = AddControl<TButton>(this, this, L"btClose", kClientWidth - 8 - 75, 290, 75, 25);
  btClose->SetCaption(L"Close");
  btClose->SetCancel(true);
  btClose->OnClick = TNotifyEvent(this, &TFR_SETTINGS::btCloseClick);

  CreateSwatchMenu();
  fdFontDialog = new TFontDialog(this);
  fdFontDialog->SetName(L"fdFontDialog");
  // The colour is chosen with its own swatch: the dialog shows no effects part.
  fdFontDialog->SetOptions(fdLimitSize);
  fdFontDialog->SetMaxFontSize(36);
}

void TFR_SETTINGS::CreateGeneralPage() {
  tsPage = new TTabSheet(this);
  tsPage->SetName(L"tsPage");
  tsPage->SetCaption(L"General");
  tsPage->SetPageControl(pcGeneral);
  cbAutoStart = AddCheckBox(tsPage, L"cbAutoStart", L"Load on startup", kLabelLeft, 16, 300);
  cbCheckUpdates = AddCheckBox(tsPage, L"cbCheckUpdates", L"Check updates automatically", kLabelLeft, 40, 300);
  cbDeleteConfirm = AddCheckBox(tsPage, L"cbDeleteConfirm", L"Ask before deleting", kLabelLeft, 64, 300);
}

void TFR_SETTINGS::CreateDefaultNotePage() {
  tsDefaultNote = new TTabSheet(this);
  tsDefaultNote->SetName(L"tsDefaultNote");
  tsDefaultNote->SetCaption(L"Default Note");
  tsDefaultNote->SetPageControl(pcGeneral);
  TWinControl* page = tsDefaultNote;

  lbTitle = AddLabel(this, page, L"lbTitle", L"Title:", kLabelLeft, 19);
  cbTitle = AddList(L"cbTitle", 16, {L"New Note", L"Date", L"Date Time", L"Time", L"To Do", L"To Do (Date)"});
  lbOpacity = AddLabel(this, page, L"lbOpacity", L"Opacity:", kLabelLeft, 51);
  cbOpacity = AddList(L"cbOpacity", 48,
                      {L"10 %", L"20 %", L"30 %", L"40 %", L"50 %", L"60 %", L"70 %", L"80 %", L"90 %", L"100 %"});
  cbOpacity->SetDropDownCount(10);
  lbColor = AddLabel(this, page, L"lbColor", L"Color:", kLabelLeft, 83);
  pnColor = AddSwatch(L"pnColor", 80, kSwatchSize, kSwatchSize, &TFR_SETTINGS::pnColorClick);
  lbFont = AddLabel(this, page, L"lbFont", L"Font:", kLabelLeft, 111);
  pnFont = AddSwatch(L"pnFont", 108, 217, 54, &TFR_SETTINGS::pnFontClick);
  pnFont->SetCaption(L"Example");
  lbFontColor = AddLabel(this, page, L"lbFontColor", L"Font Color:", kLabelLeft, 175);
  pnFontColor = AddSwatch(L"pnFontColor", 172, kSwatchSize, kSwatchSize, &TFR_SETTINGS::pnFontColorClick);
  lbAlwaysOnTop = AddLabel(this, page, L"lbAlwaysOnTop", L"Always on top:", kLabelLeft, 205);
  cbAlwaysOnTop = AddCheckBox(page, L"cbAlwaysOnTop", L"", kControlLeft, 204, 17);
}

TCheckBox* TFR_SETTINGS::AddCheckBox(TWinControl* page, const wchar_t* name, const wchar_t* caption, int left,
                                     int top, int width) {
  auto* box = AddControl<TCheckBox>(this, page, name, left, top, width, 17);
  box->SetCaption(caption);
  box->OnClick = TNotifyEvent(this, &TFR_SETTINGS::cbChangeSettings);
  return box;
}

TComboBox* TFR_SETTINGS::AddList(const wchar_t* name, int top, std::initializer_list<const wchar_t*> items) {
  auto* list = AddControl<TComboBox>(this, tsDefaultNote, name, kControlLeft, top, kListWidth, 21);
  list->SetStyle(TComboBoxStyle::csDropDownList);
  for (const wchar_t* item : items) list->Items().Add(item);
  list->OnClick = TNotifyEvent(this, &TFR_SETTINGS::cbChangeSettings);
  return list;
}

TPanel* TFR_SETTINGS::AddSwatch(const wchar_t* name, int top, int width, int height,
                                void (TFR_SETTINGS::*onClick)(TObject*)) {
  auto* swatch = AddControl<TPanel>(this, tsDefaultNote, name, kControlLeft, top, width, height);
  swatch->SetBevelOuter(bvLowered);
  swatch->SetCaption(L"");
  swatch->SetCursor(crHandPoint);
  swatch->OnClick = TNotifyEvent(this, onClick);
  // The keyboard reaches it as the mouse does: Tab gives it the focus, Space clicks it.
  swatch->SetTabStop(true);
  swatch->OnKeyPress = TKeyPressEvent(this, &TFR_SETTINGS::SwatchKeyPress);
  return swatch;
}

void TFR_SETTINGS::CreateSwatchMenu() {
  tbPopupMenu = new TTBXPopupMenu(this);
  tbPopupMenu->SetName(L"tbPopupMenu");
  TTBCustomItem* root = tbPopupMenu->Items();
  tbColor = AddMenuItem<TTBXSubmenuItem>(this, root, L"tbColor");
  tbColor->OnPopup = TTBPopupEvent(this, &TFR_SETTINGS::tbColorPopup);
  cpColorPalette = AddMenuItem<TTBXColorPalette>(this, tbColor, L"cpColorPalette");
  cpColorPalette->SetPaletteOptions(tpoCustomImages);
  cpColorPalette->OnChange = TNotifyEvent(this, &TFR_SETTINGS::cpColorPaletteChange);
  tbFontColor = AddMenuItem<TTBXSubmenuItem>(this, root, L"tbFontColor");
  tbFontColor->OnPopup = TTBPopupEvent(this, &TFR_SETTINGS::tbFontColorPopup);
  cpFontColorPalette = AddMenuItem<TTBXColorPalette>(this, tbFontColor, L"cpFontColorPalette");
  cpFontColorPalette->OnChange = TNotifyEvent(this, &TFR_SETTINGS::cpFontColorChange);

  csColorSet = new TTBXColorSet(this);
  csColorSet->SetName(L"csColorSet");
  csColorSet->SetColCount(8);
  csColorSet->SetRowCount(3);
  cpColorPalette->SetColorSet(csColorSet);
}

// ---------------------------------------------------------------------------------------------
// The main form's values

void TFR_SETTINGS::ShowDefaults() {
  TFR_QNT_MAIN* main = FR_QNT_MAIN;
  TFont& font = pnFont->Font();
  font.SetName(main->DefFontName);
  font.SetSize(main->DefFontSize);
  font.SetColor(main->DefFontColor);
  cbAlwaysOnTop->SetChecked(main->DefAlwaysOnTop);
  font.SetStyle(static_cast<TFontStyles>(main->DefFontStyle) & kStoredStyles);

  cbTitle->SetItemIndex(main->DefTitle);
  pnColor->SetColor(main->DefColor);
  pnFont->SetColor(pnColor->Color());
  pnFontColor->SetColor(font.Color());
  cbOpacity->SetItemIndex(OpacityIndex(main->DefOpacity));
  // A title kind the list does not offer becomes "none" at once, also without OK.
  main->DefTitle = cbTitle->ItemIndex();

  csColorSet->OnGetColorInfo = TCSGetColorInfo(main, &TFR_QNT_MAIN::csColorSetGetColorInfo);
  cbAutoStart->SetChecked(StartsAtLogon(ExeName()));
  cbCheckUpdates->SetChecked(main->CheckForUpdates);
  cbDeleteConfirm->SetChecked(main->DeleteConfirm);
}

void TFR_SETTINGS::StoreDefaults() {
  TFR_QNT_MAIN* main = FR_QNT_MAIN;
  const TFont& font = pnFont->Font();
  main->DefColor = pnColor->Color();
  main->DefOpacity = OpacityOfIndex(cbOpacity->ItemIndex());
  main->DefTitle = cbTitle->ItemIndex();
  main->DefAlwaysOnTop = cbAlwaysOnTop->Checked();
  main->DefFontName = font.Name();
  main->DefFontSize = font.Size();
  main->DefFontColor = font.Color();
  main->DefFontStyle = static_cast<int>(font.Style() & kStoredStyles);
  main->DeleteConfirm = cbDeleteConfirm->Checked();
  main->CheckForUpdates = cbCheckUpdates->Checked();
}

// ---------------------------------------------------------------------------------------------
// Changes

void TFR_SETTINGS::cbChangeSettings(TObject*) { btOK->SetEnabled(true); }

void TFR_SETTINGS::PopupAtCursor(TTBCustomItem* submenu) {
  POINT cursor{};
  GetCursorPos(&cursor);
  submenu->Popup(cursor.x, cursor.y, false, tbpaLeft);
  btOK->SetEnabled(true);
}

void TFR_SETTINGS::SwatchKeyPress(TObject* Sender, wchar_t& Key) {
  if (Key != L' ') return;
  Key = 0;
  auto* swatch = static_cast<TPanel*>(Sender);
  swatch->OnClick(swatch);
}

void TFR_SETTINGS::pnColorClick(TObject*) { PopupAtCursor(tbColor); }

void TFR_SETTINGS::pnFontColorClick(TObject*) { PopupAtCursor(tbFontColor); }

void TFR_SETTINGS::tbColorPopup(TTBCustomItem*, bool) { PresetPaletteColor(*cpColorPalette, pnColor->Color()); }

void TFR_SETTINGS::tbFontColorPopup(TTBCustomItem*, bool) {
  PresetPaletteColor(*cpFontColorPalette, pnFontColor->Color());
}

void TFR_SETTINGS::cpColorPaletteChange(TObject*) {
  pnColor->SetColor(cpColorPalette->Color());
  pnFont->SetColor(cpColorPalette->Color());
}

void TFR_SETTINGS::cpFontColorChange(TObject*) {
  pnFont->Font().SetColor(cpFontColorPalette->Color());
  pnFontColor->SetColor(cpFontColorPalette->Color());
  btOK->SetEnabled(true);
}

void TFR_SETTINGS::pnFontClick(TObject*) {
  fdFontDialog->Font().Assign(pnFont->Font());
  if (!fdFontDialog->Execute(Handle())) return;
  pnFont->Font().Assign(fdFontDialog->Font());
  btOK->SetEnabled(true);
}

// ---------------------------------------------------------------------------------------------
// OK and Close

void TFR_SETTINGS::btOKClick(TObject*) {
  // A failure raises to the application's handler, which shows it; the dialog stays open with
  // the user's choices, and nothing after the failed step is stored.
  SetStartAtLogon(ExeName(), cbAutoStart->Checked());
  StoreDefaults();
  FR_QNT_MAIN->SaveSettings();
  Close();
}

void TFR_SETTINGS::btCloseClick(TObject*) { Close(); }

void TFR_SETTINGS::FormClose(TObject*, TCloseAction& Action) { Action = TCloseAction::caFree; }
