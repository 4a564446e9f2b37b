// The Settings dialog: the stored defaults shown in its controls and written back by OK byte
// for byte, OK enabled only by a change, the swatch menus at the cursor, the font dialog, one
// dialog at a time from the tray, and the start-at-logon value in the current user's Run key.
#include "AppFixture.h"
#include "PaletteProbes.h"

#include "app/StartAtLogon.h"
#include "app/TFR_SETTINGS.h"
#include "common/KeyBackup.h"
#include "common/MenuTestSupport.h"

#include <sddl.h>

#include <functional>
#include <memory>
#include <optional>
#include <tuple>
#include <string>
#include <vector>

using namespace app_testing;
using testing_support::FocusedControlName;
using testing_support::FocusWalk;
using testing_support::PressKeys;
using testing_support::PumpMessages;

namespace {

const std::string kFirstRun =
    "Color=10092543\r\nOpacity=100\r\nTitle=0\r\nCheckForUpdates=1\r\nDeleteConfirm=0\r\n"
    "FontName=Tahoma\r\nFontSize=10\r\nFontColor=0\r\nFontStyle=0\r\nAlwaysOnTop=0\r\n";

// The first-run file with one key's value replaced.
std::string FirstRunWith(const std::string& key, const std::string& value) {
  std::string file = kFirstRun;
  const size_t at = file.find(key + "=");
  const size_t end = file.find("\r\n", at);
  return file.replace(at, end - at, key + "=" + value);
}

bool RunKeyExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// The Run value "Quillnote", or nothing when the key or the value is missing.
std::optional<String> RunValue() {
  wchar_t text[1024] = {};
  DWORD bytes = sizeof(text) - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, kRunValueName, RRF_RT_REG_SZ, nullptr, text, &bytes) != ERROR_SUCCESS)
    return std::nullopt;
  return String(text);
}

void PutRunValue(const String& command) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
  RegSetValueExW(key, kRunValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                 static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

// For its lifetime, everyone may only read the Run key (its owner may still give the rights back).
class TReadOnlyRunKey {
 public:
  TReadOnlyRunKey() {
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    DWORD size = sizeof(saved_);
    savedOk_ = RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, saved_, &size) == ERROR_SUCCESS;
    PSECURITY_DESCRIPTOR readOnly = nullptr;
    ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KR;;;WD)", SDDL_REVISION_1, &readOnly, nullptr);
    ok_ = readOnly && RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, readOnly) == ERROR_SUCCESS;
    LocalFree(readOnly);
    RegCloseKey(key);
  }
  ~TReadOnlyRunKey() {
    HKEY key = nullptr;
    if (!savedOk_ || RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, WRITE_DAC, &key) != ERROR_SUCCESS) return;
    RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, saved_);
    RegCloseKey(key);
  }
  bool Ok() const { return ok_ && savedOk_; }

 private:
  alignas(8) BYTE saved_[4096] = {};
  bool savedOk_ = false;
  bool ok_ = false;
};

// Answers the font dialog as the user would: OK with a chosen font, or cancel.
class TFakeFontDialog : public seams::TCommonDialogs {
 public:
  bool AnswerOK = true;
  LOGFONTW Chosen{};
  std::vector<CHOOSEFONTW> Requests;
  std::vector<LOGFONTW> Presets;
  bool ShowFontDialog(CHOOSEFONTW& data) override {
    Requests.push_back(data);
    Presets.push_back(*data.lpLogFont);
    if (AnswerOK) *data.lpLogFont = Chosen;
    return AnswerOK;
  }
  bool ShowPrintDialog(PRINTDLGW&) override { return false; }
};

LOGFONTW LogFontOf(const wchar_t* face, int points, bool bold) {
  TFont font;
  font.SetName(face);
  font.SetSize(points);
  font.SetStyle(bold ? TFontStyles{fsBold} : TFontStyles{0});
  LOGFONTW lf;
  font.GetLogFont(lf);
  return lf;
}

int Dialogs() {
  int n = 0;
  for (int i = 0; i < Application->ComponentCount(); ++i)
    n += dynamic_cast<TFR_SETTINGS*>(Application->Components(i)) != nullptr;
  return n;
}

// A click on a button or a check box, as the user's reaches it.
void Press(TWinControl* control) { SendMessageW(control->Handle(), BM_CLICK, 0, 0); }

// A drop-down list chooses its first line, then moves down to the wanted one, as the keys do.
void Choose(TComboBox* list, int index) {
  SendMessageW(list->Handle(), WM_KEYDOWN, VK_HOME, 1);
  for (int i = 0; i < index; ++i) SendMessageW(list->Handle(), WM_KEYDOWN, VK_DOWN, 1);
}

// The cursor on the middle of the control, and a left click there.
POINT ClickMiddleOf(TWinControl* control) {
  const POINT inside{control->Width() / 2, control->Height() / 2};
  POINT screen = inside;
  ClientToScreen(control->Handle(), &screen);
  SetCursorPos(screen.x, screen.y);
  SendMessageW(control->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(inside.x, inside.y));
  SendMessageW(control->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(inside.x, inside.y));
  return screen;
}

}  // namespace

class SettingsDialogTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    SetCursorPos(1, 1);
    runKey_ = std::make_unique<testing_support::TKeyBackup>(HKEY_CURRENT_USER, kRunKey);
    whileOpen_.SetWatchdog(20000);
  }
  void TearDown() override {
    EXPECT_FALSE(whileOpen_.WatchdogFired()) << "a loop did not end by itself";
    for (int i = Application->ComponentCount() - 1; i >= 0; --i)
      if (auto* dialog = dynamic_cast<TFR_SETTINGS*>(Application->Components(i))) dialog->Free();
    AppTest::TearDown();
    runKey_.reset();
  }
  // The main form of a program whose settings file holds these bytes.
  void StartWith(const std::string& file) {
    if (main_) main_->Free();
    PumpMessages(0);
    WriteBytes(SettingsFile(), file);
    CreateMainForm();
  }
  TFR_SETTINGS* Open() {
    auto* dialog = new TFR_SETTINGS(Application);
    dialog->Show();
    return dialog;
  }
  // OK as the user presses it; the dialog is gone afterwards when OK succeeded.
  void PressOK(TFR_SETTINGS* dialog) {
    Press(dialog->btOK);
    PumpMessages(0);
  }
  // Some change that leaves every value as it was, so that OK can be pressed.
  static void EnableOK(TFR_SETTINGS* dialog) {
    dialog->cbAlwaysOnTop->SetChecked(!dialog->cbAlwaysOnTop->Checked());
    dialog->cbAlwaysOnTop->SetChecked(!dialog->cbAlwaysOnTop->Checked());
    ASSERT_TRUE(dialog->btOK->Enabled());
  }
  // Ends the dialog's modal loop should the steps before have left it open, which fails.
  void EndTheDialogIfStillOpen() {
    whileOpen_.Post([] {
      auto* dialog = dynamic_cast<TFR_SETTINGS*>(Application->FindComponent(L"FR_SETTINGS"));
      if (!dialog || !dialog->Modal()) return;
      ADD_FAILURE() << "the dialog stayed open";
      dialog->SetModalResult(mrCancel);
    });
  }
  String Exe() const { return programFolder_.Exe; }
  // Settings from the tray as the user chooses it: the steps run inside the dialog's modal loop
  // with the pointer over the dialog, so that real keys reach it (and none of its lists); the dialog must be closed by
  // them (it is closed and the test fails otherwise).
  void FromTheTray(const std::function<void(TFR_SETTINGS*)>& steps) {
    whileOpen_.Post([&] {
      auto* dialog = dynamic_cast<TFR_SETTINGS*>(Application->FindComponent(L"FR_SETTINGS"));
      ASSERT_NE(nullptr, dialog);
      // Inside the dialog, in its bottom left corner, where no list drops down under it.
      const POINT corner = dialog->ClientToScreen(POINT{4, dialog->ClientHeight() - 4});
      SetCursorPos(corner.x, corner.y);
      steps(dialog);
    });
    EndTheDialogIfStillOpen();
    main_->mnSettings->Click();
    PumpMessages(0);
  }

  TFakeFontDialog fonts_;
  seams::Scoped<seams::TCommonDialogs> useFonts_{fonts_};
  testing_support::TMenuDriver whileOpen_;
  // The prefix's Run key is put back after each test, which starts without it.
  std::unique_ptr<testing_support::TKeyBackup> runKey_;
};

TEST_F(SettingsDialogTest, TheDialogIsAFixedTopmostBoxWithItsTwoPagesAndEveryControl) {
  StartWith(kFirstRun);
  TFR_SETTINGS* dialog = Open();
  EXPECT_EQ(L"FR_SETTINGS", dialog->Name());
  EXPECT_EQ(dialog, Application->FindComponent(L"FR_SETTINGS"));
  EXPECT_EQ(L"Settings", dialog->Caption());
  EXPECT_EQ(375, dialog->ClientWidth());
  EXPECT_EQ(323, dialog->ClientHeight());
  const LONG_PTR style = GetWindowLongPtrW(dialog->Handle(), GWL_STYLE);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_TRUE(GetWindowLongPtrW(dialog->Handle(), GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
  EXPECT_TRUE(Topmost(dialog->Handle()));
  RECT r;
  GetWindowRect(dialog->Handle(), &r);
  EXPECT_NEAR((GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2, r.left, 1);
  EXPECT_NEAR((GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2, r.top, 1);
  EXPECT_EQ(L"Tahoma", dialog->Font().Name());

  ASSERT_EQ(2, dialog->pcGeneral->PageCount());
  EXPECT_EQ(dialog->tsPage, dialog->pcGeneral->Pages(0));
  EXPECT_EQ(dialog->tsDefaultNote, dialog->pcGeneral->Pages(1));
  EXPECT_EQ(L"General", dialog->tsPage->Caption());
  EXPECT_EQ(L"Default Note", dialog->tsDefaultNote->Caption());
  EXPECT_EQ(dialog->tsPage, dialog->pcGeneral->ActivePage());

  struct {
    TControl* control;
    TWinControl* page;
    const wchar_t* caption;
  } captions[] = {
      {dialog->cbAutoStart, dialog->tsPage, L"Load on startup"},
      {dialog->cbCheckUpdates, dialog->tsPage, L"Check updates automatically"},
      {dialog->cbDeleteConfirm, dialog->tsPage, L"Ask before deleting"},
      {dialog->lbTitle, dialog->tsDefaultNote, L"Title:"},
      {dialog->lbOpacity, dialog->tsDefaultNote, L"Opacity:"},
      {dialog->lbColor, dialog->tsDefaultNote, L"Color:"},
      {dialog->lbFont, dialog->tsDefaultNote, L"Font:"},
      {dialog->lbFontColor, dialog->tsDefaultNote, L"Font Color:"},
      {dialog->lbAlwaysOnTop, dialog->tsDefaultNote, L"Always on top:"},
      {dialog->cbAlwaysOnTop, dialog->tsDefaultNote, L""},
      {dialog->pnFont, dialog->tsDefaultNote, L"Example"},
      {dialog->btOK, dialog, L"OK"},
      {dialog->btClose, dialog, L"Close"},
  };
  for (const auto& c : captions) {
    SCOPED_TRACE(testing::PrintToString(c.control->Name()));
    EXPECT_EQ(c.caption, c.control->Caption());
    EXPECT_EQ(c.page, c.control->Parent());
    EXPECT_EQ(c.control, dialog->FindComponent(c.control->Name()));
  }

  const std::vector<String> titles{L"New Note", L"Date", L"Date Time", L"Time", L"To Do", L"To Do (Date)"};
  const std::vector<String> opacities{L"10 %", L"20 %", L"30 %", L"40 %", L"50 %",
                                      L"60 %", L"70 %", L"80 %", L"90 %", L"100 %"};
  for (auto [list, items] : {std::pair{dialog->cbTitle, titles}, {dialog->cbOpacity, opacities}}) {
    EXPECT_EQ(TComboBoxStyle::csDropDownList, list->Style());
    ASSERT_EQ(static_cast<int>(items.size()), list->Items().Count());
    for (int i = 0; i < list->Items().Count(); ++i) EXPECT_EQ(items[static_cast<size_t>(i)], list->Items().Strings(i));
  }
  for (auto [swatch, width, height] : {std::tuple{dialog->pnColor, 19, 19}, {dialog->pnFont, 217, 54},
                                       {dialog->pnFontColor, 19, 19}}) {
    SCOPED_TRACE(testing::PrintToString(swatch->Name()));
    EXPECT_EQ(width, swatch->Width());
    EXPECT_EQ(height, swatch->Height());
    EXPECT_EQ(bvLowered, swatch->BevelOuter());
    EXPECT_EQ(crHandPoint, swatch->Cursor());
  }
  EXPECT_TRUE(dialog->btOK->Font().Style() & fsBold);
  EXPECT_FALSE(dialog->btOK->Enabled());
  EXPECT_TRUE(dialog->btClose->Enabled());

  // The swatches' menu: two submenus without captions, each holding one palette.
  TTBCustomItem* root = dialog->tbPopupMenu->Items();
  ASSERT_EQ(2, root->Count());
  EXPECT_EQ(dialog->tbColor, root->Items(0));
  EXPECT_EQ(dialog->tbFontColor, root->Items(1));
  for (TTBCustomItem* submenu : {static_cast<TTBCustomItem*>(dialog->tbColor), static_cast<TTBCustomItem*>(dialog->tbFontColor)}) {
    EXPECT_EQ(L"", submenu->Caption());
    ASSERT_EQ(1, submenu->Count());
  }
  EXPECT_EQ(dialog->cpColorPalette, dialog->tbColor->Items(0));
  EXPECT_EQ(dialog->cpFontColorPalette, dialog->tbFontColor->Items(0));
  EXPECT_TRUE(dialog->tbColor->OnPopup == TTBPopupEvent(dialog, &TFR_SETTINGS::tbColorPopup));
  EXPECT_TRUE(dialog->tbFontColor->OnPopup == TTBPopupEvent(dialog, &TFR_SETTINGS::tbFontColorPopup));
  EXPECT_TRUE(dialog->cpColorPalette->OnChange == TNotifyEvent(dialog, &TFR_SETTINGS::cpColorPaletteChange));
  EXPECT_TRUE(dialog->cpFontColorPalette->OnChange == TNotifyEvent(dialog, &TFR_SETTINGS::cpFontColorChange));
  EXPECT_EQ(tpoCustomImages, dialog->cpColorPalette->PaletteOptions() & tpoCustomImages);
  EXPECT_EQ(dialog->csColorSet, dialog->cpColorPalette->ColorSet());
  EXPECT_EQ(8, dialog->cpColorPalette->ColCount());
  EXPECT_EQ(3, dialog->cpColorPalette->RowCount());
  EXPECT_TRUE(dialog->csColorSet->OnGetColorInfo == TCSGetColorInfo(main_, &TFR_QNT_MAIN::csColorSetGetColorInfo));
  EXPECT_EQ(0x99CCFF, dialog->csColorSet->CellColor(1, 2)) << "Tan, as the main form answers";
  EXPECT_EQ(nullptr, dialog->cpFontColorPalette->ColorSet());
  EXPECT_EQ(8, dialog->cpFontColorPalette->ColCount());
  EXPECT_EQ(5, dialog->cpFontColorPalette->RowCount());
}

TEST_F(SettingsDialogTest, AStoredOpacityShowsWithinTheListAndOKStoresWhatItShows) {
  struct Case {
    const char* stored;
    int index;
    const wchar_t* shown;
    const char* written;
  } cases[] = {{"-3", 0, L"10 %", "10"},  {"5", 0, L"10 %", "10"},      {"10", 0, L"10 %", "10"},
               {"55", 4, L"50 %", "50"},  {"100", 9, L"100 %", "100"}, {"150", 9, L"100 %", "100"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    StartWith(FirstRunWith("Opacity", c.stored));
    TFR_SETTINGS* dialog = Open();
    EXPECT_EQ(c.index, dialog->cbOpacity->ItemIndex());
    EXPECT_EQ(c.shown, dialog->cbOpacity->Text());
    EnableOK(dialog);
    PressOK(dialog);
    EXPECT_EQ(FirstRunWith("Opacity", c.written), ReadBytes(SettingsFile()));
  }
}

TEST_F(SettingsDialogTest, AStoredTitleKindSelectsItsLineAndAnUnknownOneBecomesNoneAtOnce) {
  const wchar_t* shown[] = {L"New Note", L"Date", L"Date Time", L"Time", L"To Do", L"To Do (Date)"};
  for (int kind : {0, 1, 2, 3, 4, 5, 9}) {
    SCOPED_TRACE(kind);
    const std::string file = FirstRunWith("Title", std::to_string(kind));
    StartWith(file);
    TFR_SETTINGS* dialog = Open();
    const int expected = kind <= 5 ? kind : -1;
    EXPECT_EQ(expected, dialog->cbTitle->ItemIndex());
    EXPECT_EQ(expected >= 0 ? shown[expected] : L"", dialog->cbTitle->Text());
    EXPECT_EQ(expected, main_->DefTitle) << "taken over as the dialog opens";
    Press(dialog->btClose);
    PumpMessages(0);
    EXPECT_EQ(file, ReadBytes(SettingsFile())) << "Close stores nothing";
  }
}

TEST_F(SettingsDialogTest, StoredColoursFontAndFlagsReachTheirControls) {
  struct Case {
    std::string file;
    TColor color, fontColor;
    TFontStyles style;
    bool checkUpdates, deleteConfirm, alwaysOnTop;
  } cases[] = {
      {kFirstRun, 0x99FFFF, 0, 0, true, false, false},
      {"Color=13408767\r\nOpacity=40\r\nTitle=4\r\nCheckForUpdates=0\r\nDeleteConfirm=-1\r\n"
       "FontName=Courier New\r\nFontSize=14\r\nFontColor=255\r\nFontStyle=1\r\nAlwaysOnTop=-1\r\n",
       0xCC99FF, 255, fsBold, false, true, true},
      {FirstRunWith("FontStyle", "2"), 0x99FFFF, 0, fsItalic, true, false, false},
      {FirstRunWith("FontStyle", "4"), 0x99FFFF, 0, fsUnderline, true, false, false},
      {FirstRunWith("FontStyle", "8"), 0x99FFFF, 0, fsStrikeOut, true, false, false},
      {FirstRunWith("FontStyle", "15"), 0x99FFFF, 0, fsBold | fsItalic | fsUnderline | fsStrikeOut, true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    StartWith(c.file);
    TFR_SETTINGS* dialog = Open();
    EXPECT_EQ(c.color, dialog->pnColor->Color());
    EXPECT_EQ(c.color, dialog->pnFont->Color()) << "the example shows on the note colour";
    EXPECT_EQ(c.fontColor, dialog->pnFontColor->Color());
    EXPECT_EQ(c.fontColor, dialog->pnFont->Font().Color());
    EXPECT_EQ(main_->DefFontName, dialog->pnFont->Font().Name());
    EXPECT_EQ(main_->DefFontSize, dialog->pnFont->Font().Size());
    EXPECT_EQ(c.style, dialog->pnFont->Font().Style());
    EXPECT_EQ(c.checkUpdates, dialog->cbCheckUpdates->Checked());
    EXPECT_EQ(c.deleteConfirm, dialog->cbDeleteConfirm->Checked());
    EXPECT_EQ(c.alwaysOnTop, dialog->cbAlwaysOnTop->Checked());
    EXPECT_FALSE(dialog->cbAutoStart->Checked());
    EXPECT_FALSE(dialog->btOK->Enabled()) << "setting the boxes is no change of the user's";
    // OK without a change of value writes the file as it was read.
    EnableOK(dialog);
    PressOK(dialog);
    EXPECT_EQ(c.file, ReadBytes(SettingsFile()));
  }
}

TEST_F(SettingsDialogTest, ThirtyPercentAndToDoDateAreStoredAsOpacity30AndTitle5) {
  StartWith(kFirstRun);
  TFR_SETTINGS* dialog = Open();
  dialog->pcGeneral->SetActivePage(dialog->tsDefaultNote);
  Choose(dialog->cbOpacity, 2);
  EXPECT_EQ(L"30 %", dialog->cbOpacity->Text());
  Choose(dialog->cbTitle, 5);
  EXPECT_EQ(L"To Do (Date)", dialog->cbTitle->Text());
  PressOK(dialog);
  EXPECT_EQ(0, Dialogs()) << "OK closes and frees the dialog";
  EXPECT_EQ(30, main_->DefOpacity);
  EXPECT_EQ(5, main_->DefTitle);
  EXPECT_EQ(FirstRunWith("Title", "5").replace(kFirstRun.find("Opacity=100"), 11, "Opacity=30"),
            ReadBytes(SettingsFile()));
}

TEST_F(SettingsDialogTest, OKIsDisabledAtStartAndEnabledByEachControl) {
  StartWith(kFirstRun);
  fonts_.Chosen = LogFontOf(L"Arial", 12, false);
  struct Case {
    const char* what;
    bool notePage;  // the control lies on the "Default Note" page, else on "General"
    std::function<void(TFR_SETTINGS*)> act;
    bool enables;
  } cases[] = {
      {"Load on startup", false, [](TFR_SETTINGS* d) { Press(d->cbAutoStart); }, true},
      {"Check updates", false, [](TFR_SETTINGS* d) { Press(d->cbCheckUpdates); }, true},
      {"Ask before deleting", false, [](TFR_SETTINGS* d) { Press(d->cbDeleteConfirm); }, true},
      {"Always on top", true, [](TFR_SETTINGS* d) { Press(d->cbAlwaysOnTop); }, true},
      {"Title", true, [](TFR_SETTINGS* d) { Choose(d->cbTitle, 3); }, true},
      {"Opacity", true, [](TFR_SETTINGS* d) { Choose(d->cbOpacity, 4); }, true},
      {"the font dialog's OK", true, [](TFR_SETTINGS* d) { ClickMiddleOf(d->pnFont); }, true},
      {"the font dialog cancelled", true,
       [this](TFR_SETTINGS* d) {
         fonts_.AnswerOK = false;
         ClickMiddleOf(d->pnFont);
         fonts_.AnswerOK = true;
       },
       false},
      {"the colour swatch cancelled with Esc", true,
       [this](TFR_SETTINGS* d) {
         whileOpen_.PostKeys({VK_ESCAPE});
         ClickMiddleOf(d->pnColor);
       },
       true},
      {"the font colour swatch cancelled with Esc", true,
       [this](TFR_SETTINGS* d) {
         whileOpen_.PostKeys({VK_ESCAPE});
         ClickMiddleOf(d->pnFontColor);
       },
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TFR_SETTINGS* dialog = Open();
    if (c.notePage) dialog->pcGeneral->SetActivePage(dialog->tsDefaultNote);
    EXPECT_FALSE(dialog->btOK->Enabled());
    c.act(dialog);
    EXPECT_EQ(c.enables, dialog->btOK->Enabled());
    EXPECT_EQ(nullptr, GetCapture());
    dialog->Free();
  }
  EXPECT_EQ(kFirstRun, ReadBytes(SettingsFile()));
}

TEST_F(SettingsDialogTest, SettingsChosenTwiceFromTheTrayShowsOneModalDialogAndCloseLeavesEverythingAsItWas) {
  StartWith(kFirstRun);
  int dialogs = 0, afterSecondChoice = 0;
  bool modal = false, trayEnabled = false;
  whileOpen_.Post([&] {
    auto* dialog = dynamic_cast<TFR_SETTINGS*>(Application->FindComponent(L"FR_SETTINGS"));
    dialogs = Dialogs();
    if (!dialog) return;
    modal = dialog->Modal() && dialog->Visible();
    trayEnabled = IsWindowEnabled(main_->tiTray->Handle()) != FALSE;
    main_->mnSettings->Click();  // returns at once
    afterSecondChoice = Dialogs();
    Press(dialog->cbAutoStart);  // changed, but not stored
    Press(dialog->btClose);
  });
  EndTheDialogIfStillOpen();
  main_->mnSettings->Click();
  EXPECT_EQ(1, dialogs);
  EXPECT_EQ(1, afterSecondChoice);
  EXPECT_TRUE(modal);
  EXPECT_TRUE(trayEnabled);
  PumpMessages(0);
  EXPECT_EQ(0, Dialogs()) << "closing frees the dialog";
  EXPECT_EQ(kFirstRun, ReadBytes(SettingsFile()));
  EXPECT_FALSE(RunKeyExists());
  EXPECT_TRUE(testing_support::MessageBoxes().Boxes.empty());

  // OK from the tray stores and closes.
  whileOpen_.Post([this] {
    auto* dialog = dynamic_cast<TFR_SETTINGS*>(Application->FindComponent(L"FR_SETTINGS"));
    ASSERT_NE(nullptr, dialog);
    Press(dialog->cbDeleteConfirm);
    Press(dialog->btOK);
  });
  EndTheDialogIfStillOpen();
  main_->mnSettings->Click();
  PumpMessages(0);
  EXPECT_EQ(0, Dialogs());
  EXPECT_EQ(FirstRunWith("DeleteConfirm", "-1"), ReadBytes(SettingsFile()));
  EXPECT_TRUE(main_->DeleteConfirm);
}

TEST_F(SettingsDialogTest, TheSwatchMenusOpenAtTheCursorOnTheSwatchColourAndAChosenColourIsStored) {
  StartWith(FirstRunWith("FontColor", "32768"));  // "Green" of the built-in colours
  TFR_SETTINGS* dialog = Open();
  dialog->pcGeneral->SetActivePage(dialog->tsDefaultNote);
  // Each swatch's palette opens on the swatch's colour without running the change handler; a
  // cell clicked inside the menu's loop gives its colour to the swatch and to the example.
  TFont& exampleFont = dialog->pnFont->Font();
  struct TSwatchCase {
    const char* what;
    TPanel* swatch;
    TTBCustomItem* submenu;
    TTBXColorPalette* palette;
    TColor shown;
    TTBXCell shownCell;
    TTBXCell chosen;
    TColor chosenColor;
    // The example's colour that the change handler sets besides the swatch.
    std::function<TColor()> example;
    std::function<void(TColor)> setExample;
  } cases[] = {
      {"note colour: Light Yellow shown, Rose chosen", dialog->pnColor, dialog->tbColor, dialog->cpColorPalette,
       0x99FFFF, {2, 2}, {0, 2}, 0xCC99FF, [dialog] { return dialog->pnFont->Color(); },
       [dialog](TColor c) { dialog->pnFont->SetColor(c); }},
      {"font colour: Green shown, Blue chosen", dialog->pnFontColor, dialog->tbFontColor, dialog->cpFontColorPalette,
       0x008000, {3, 1}, {5, 1}, 0xFF0000, [&exampleFont] { return exampleFont.Color(); },
       [&exampleFont](TColor c) { exampleFont.SetColor(c); }},
  };
  // The "Ide" theme overlaps a popup opened at a point by one pixel up and to the left.
  const int overlap = ActiveTheme->GetBooleanMetrics(1) ? 1 : 0;
  for (const TSwatchCase& c : cases) {
    SCOPED_TRACE(c.what);
    c.setExample(0x010203);  // a change handler run as the menu opens would overwrite it
    RECT popup{};
    TColor shown = clNone, exampleWhileOpen = clNone;
    TTBXCell shownCell;
    whileOpen_.Post([&] {
      TTBPopupWindow* submenu = ShownPopupOf(c.submenu);
      ASSERT_NE(nullptr, submenu);
      GetWindowRect(submenu->Handle(), &popup);
      shown = c.palette->Color();
      shownCell = c.palette->SelectedCell();
      exampleWhileOpen = c.example();
      const POINT cell = CellOnScreen(submenu, c.palette, c.chosen.Col, c.chosen.Row);
      testing_support::PostMenuMouse(WM_MOUSEMOVE, cell);
      testing_support::PostMenuMouse(WM_LBUTTONDOWN, cell, MK_LBUTTON);
      testing_support::PostMenuMouse(WM_LBUTTONUP, cell);
    });
    const POINT at = ClickMiddleOf(c.swatch);
    PumpMessages(0);
    EXPECT_EQ(at.x - overlap, popup.left);
    EXPECT_EQ(at.y - overlap, popup.top);
    EXPECT_EQ(c.shown, shown);
    EXPECT_EQ(c.shownCell, shownCell);
    EXPECT_EQ(0x010203, exampleWhileOpen);
    EXPECT_EQ(c.chosenColor, c.swatch->Color());
    EXPECT_EQ(c.chosenColor, c.example());
    EXPECT_TRUE(dialog->btOK->Enabled());
  }
  PressOK(dialog);
  EXPECT_EQ(FirstRunWith("Color", "13408767").replace(kFirstRun.find("FontColor=0"), 11, "FontColor=16711680"),
            ReadBytes(SettingsFile()));
}

TEST_F(SettingsDialogTest, TheFontDialogIsLimitedTo36PointsWithoutEffectsAndUnderlineAndStrikeOutSurviveIt) {
  StartWith(FirstRunWith("FontStyle", "12"));
  TFR_SETTINGS* dialog = Open();
  dialog->pcGeneral->SetActivePage(dialog->tsDefaultNote);
  // The system's dialog hands underline and strike-out back cleared when it shows no effects.
  fonts_.Chosen = LogFontOf(L"Arial", 20, true);
  ClickMiddleOf(dialog->pnFont);
  ASSERT_EQ(1u, fonts_.Requests.size());
  const CHOOSEFONTW& asked = fonts_.Requests[0];
  EXPECT_TRUE(asked.Flags & CF_LIMITSIZE);
  EXPECT_EQ(36, asked.nSizeMax);
  EXPECT_FALSE(asked.Flags & CF_EFFECTS);
  EXPECT_STREQ(L"Tahoma", fonts_.Presets[0].lfFaceName);
  EXPECT_TRUE(fonts_.Presets[0].lfUnderline);
  EXPECT_TRUE(fonts_.Presets[0].lfStrikeOut);
  EXPECT_EQ(L"Arial", dialog->pnFont->Font().Name());
  EXPECT_EQ(20, dialog->pnFont->Font().Size());
  EXPECT_EQ(TFontStyles{fsBold | fsUnderline | fsStrikeOut}, dialog->pnFont->Font().Style());
  PressOK(dialog);
  std::string expected = FirstRunWith("FontStyle", "13");
  expected.replace(expected.find("FontName=Tahoma\r\nFontSize=10"), 28, "FontName=Arial\r\nFontSize=20");
  EXPECT_EQ(expected, ReadBytes(SettingsFile()));
}

TEST_F(SettingsDialogTest, TheRunValueShowsTickedForThisProgramQuotedOrNotInAnyCase) {
  StartWith(kFirstRun);
  String upper = Exe();
  for (wchar_t& ch : upper) ch = static_cast<wchar_t>(towupper(ch));
  struct Case {
    std::optional<String> stored;
    bool ticked;
  } cases[] = {
      {std::nullopt, false},
      {L"\"" + Exe() + L"\"", true},
      {Exe(), true},
      {upper, true},
      {L"\"" + upper + L"\"", true},
      {L"  \"" + Exe() + L"\" ", true},
      {L"\"C:\\Other Program\\Quillnote.exe\"", false},
      {Exe() + L".old", false},
      {L"\"" + Exe() + L"\" /minimized", false},
      {L"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.stored.value_or(L"(none)")));
    RegDeleteTreeW(HKEY_CURRENT_USER, kRunKey);
    if (c.stored) PutRunValue(*c.stored);
    TFR_SETTINGS* dialog = Open();
    EXPECT_EQ(c.ticked, dialog->cbAutoStart->Checked());
    EXPECT_FALSE(dialog->btOK->Enabled());
    Press(dialog->btClose);
    PumpMessages(0);
    EXPECT_EQ(c.stored, RunValue()) << "opening and closing leave the value alone";
  }
}

TEST_F(SettingsDialogTest, OKWritesTheQuotedPathWhenTickedCreatingTheKeyAndRemovesItWhenNot) {
  StartWith(kFirstRun);
  ASSERT_FALSE(RunKeyExists());
  // Ticked with the key missing: the key is made, and the settings are saved too.
  TFR_SETTINGS* dialog = Open();
  Press(dialog->cbAutoStart);
  Press(dialog->cbDeleteConfirm);
  PressOK(dialog);
  EXPECT_EQ(0, Dialogs());
  EXPECT_EQ(L"\"" + Exe() + L"\"", RunValue());
  EXPECT_EQ(FirstRunWith("DeleteConfirm", "-1"), ReadBytes(SettingsFile()));

  // Written unquoted by someone else: it shows ticked, and OK writes it quoted.
  PutRunValue(Exe());
  dialog = Open();
  EXPECT_TRUE(dialog->cbAutoStart->Checked());
  EnableOK(dialog);
  PressOK(dialog);
  EXPECT_EQ(L"\"" + Exe() + L"\"", RunValue());

  // Unticked: the value goes, the key and the other programs' values stay.
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_WRITE, &key));
  RegSetValueExW(key, L"Other", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"other.exe"), 20);
  RegCloseKey(key);
  dialog = Open();
  Press(dialog->cbAutoStart);
  ASSERT_FALSE(dialog->cbAutoStart->Checked());
  PressOK(dialog);
  EXPECT_EQ(0, Dialogs());
  EXPECT_EQ(std::nullopt, RunValue());
  EXPECT_TRUE(RunKeyExists());
  wchar_t other[32] = {};
  DWORD bytes = sizeof(other);
  EXPECT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER, kRunKey, L"Other", RRF_RT_REG_SZ, nullptr, other, &bytes));

  // Unticked with the value missing, then with the key missing: nothing to remove, and OK saves.
  for (bool keyThere : {true, false}) {
    SCOPED_TRACE(keyThere);
    if (!keyThere) RegDeleteTreeW(HKEY_CURRENT_USER, kRunKey);
    dialog = Open();
    Press(dialog->cbCheckUpdates);
    PressOK(dialog);
    EXPECT_EQ(0, Dialogs());
    EXPECT_EQ(keyThere, RunKeyExists());
    EXPECT_EQ(std::nullopt, RunValue());
    EXPECT_EQ(keyThere ? "CheckForUpdates=0" : "CheckForUpdates=1",
              ReadBytes(SettingsFile()).substr(kFirstRun.find("CheckForUpdates"), 17));
  }
  EXPECT_TRUE(testing_support::MessageBoxes().Boxes.empty());
}

TEST_F(SettingsDialogTest, ARunKeyThatCannotBeWrittenIsReportedAndTheDialogStaysOpenWithNothingStored) {
  StartWith(kFirstRun);
  for (bool tick : {true, false}) {
    SCOPED_TRACE(tick);
    if (!tick) PutRunValue(L"\"" + Exe() + L"\"");
    TReadOnlyRunKey readOnly;
    ASSERT_TRUE(readOnly.Ok());
    testing_support::MessageBoxes().Boxes.clear();
    TFR_SETTINGS* dialog = Open();
    EXPECT_EQ(!tick, dialog->cbAutoStart->Checked());
    Press(dialog->cbAutoStart);
    Press(dialog->cbDeleteConfirm);
    PressOK(dialog);
    auto& boxes = testing_support::MessageBoxes().Boxes;
    ASSERT_EQ(1u, boxes.size());
    EXPECT_NE(String::npos, boxes[0].Text.find(L"starts at logon")) << testing::PrintToString(boxes[0].Text);
    EXPECT_NE(String::npos, boxes[0].Text.find(SysErrorMessage(ERROR_ACCESS_DENIED)))
        << testing::PrintToString(boxes[0].Text);
    EXPECT_TRUE(boxes[0].Flags & MB_ICONSTOP);
    EXPECT_EQ(1, Dialogs());
    EXPECT_FALSE(dialog->Releasing());
    EXPECT_TRUE(dialog->Visible());
    EXPECT_EQ(tick, dialog->cbAutoStart->Checked()) << "the user's choices stay";
    EXPECT_FALSE(main_->DeleteConfirm);
    EXPECT_EQ(kFirstRun, ReadBytes(SettingsFile()));
    EXPECT_EQ(tick ? std::nullopt : std::optional<String>(L"\"" + Exe() + L"\""), RunValue());
    dialog->Free();
  }
}

// ---------------------------------------------------------------------------------------------
// The keyboard, with real keys, on the dialog opened from the tray.

TEST_F(SettingsDialogTest, TabWalksEveryControlOnceInOrderOnBothPagesAndCtrlTabSwitchesThem) {
  StartWith(kFirstRun);
  String first;
  std::vector<String> general, generalBack, note, noteBack, withOK;
  std::vector<String> shown;
  FromTheTray([&](TFR_SETTINGS* d) {
    first = FocusedControlName();
    general = FocusWalk({VK_TAB}, 5);
    generalBack = FocusWalk({VK_SHIFT, VK_TAB}, 5);
    for (std::initializer_list<WORD> keys : {std::initializer_list<WORD>{VK_CONTROL, VK_TAB}, {VK_CONTROL, VK_TAB},
                                             {VK_CONTROL, VK_SHIFT, VK_TAB}}) {
      EXPECT_TRUE(PressKeys(keys));
      shown.push_back(d->pcGeneral->ActivePage()->Name());
    }
    note = FocusWalk({VK_TAB}, 8);
    noteBack = FocusWalk({VK_SHIFT, VK_TAB}, 8);
    // Once OK is enabled, it takes its place before Close.
    d->btOK->SetEnabled(true);
    withOK = FocusWalk({VK_SHIFT, VK_TAB}, 2);
    EXPECT_TRUE(PressKeys({VK_ESCAPE}));
  });
  EXPECT_EQ(L"pcGeneral", first) << "the first control in tab order";
  EXPECT_EQ((std::vector<String>{L"cbAutoStart", L"cbCheckUpdates", L"cbDeleteConfirm", L"btClose", L"pcGeneral"}),
            general);
  EXPECT_EQ((std::vector<String>{L"btClose", L"cbDeleteConfirm", L"cbCheckUpdates", L"cbAutoStart", L"pcGeneral"}),
            generalBack);
  EXPECT_EQ((std::vector<String>{L"tsDefaultNote", L"tsPage", L"tsDefaultNote"}), shown);
  EXPECT_EQ((std::vector<String>{L"cbTitle", L"cbOpacity", L"pnColor", L"pnFont", L"pnFontColor", L"cbAlwaysOnTop",
                                 L"btClose", L"pcGeneral"}),
            note);
  EXPECT_EQ((std::vector<String>{L"btClose", L"cbAlwaysOnTop", L"pnFontColor", L"pnFont", L"pnColor", L"cbOpacity",
                                 L"cbTitle", L"pcGeneral"}),
            noteBack);
  EXPECT_EQ((std::vector<String>{L"btClose", L"btOK"}), withOK);
  EXPECT_EQ(0, Dialogs());
  EXPECT_EQ(kFirstRun, ReadBytes(SettingsFile()));
}

TEST_F(SettingsDialogTest, SpaceTogglesTheFocusedCheckBoxAndEnablesOK) {
  StartWith(kFirstRun);
  struct Toggled {
    String name;
    bool afterFirst, afterSecond, okEnabled;
  };
  std::vector<Toggled> seen;
  FromTheTray([&](TFR_SETTINGS* d) {
    // From the tabs: the General page's boxes one Tab apart; the note page's box six Tabs in.
    struct {
      bool notePage;
      int tabs;
      TCheckBox* box;
    } boxes[] = {{false, 1, d->cbAutoStart}, {false, 2, d->cbCheckUpdates}, {false, 3, d->cbDeleteConfirm},
                 {true, 6, d->cbAlwaysOnTop}};
    for (const auto& b : boxes) {
      d->pcGeneral->SetActivePage(b.notePage ? d->tsDefaultNote : d->tsPage);
      d->pcGeneral->SetFocus();
      for (int i = 0; i < b.tabs; ++i) EXPECT_TRUE(PressKeys({VK_TAB}));
      d->btOK->SetEnabled(false);
      const bool before = b.box->Checked();
      EXPECT_TRUE(PressKeys({VK_SPACE}));
      const bool first = b.box->Checked() != before;
      const bool enabled = d->btOK->Enabled();
      EXPECT_TRUE(PressKeys({VK_SPACE}));
      seen.push_back({FocusedControlName(), first, b.box->Checked() == before, enabled});
    }
    EXPECT_TRUE(PressKeys({VK_ESCAPE}));
  });
  ASSERT_EQ(4u, seen.size());
  const wchar_t* names[] = {L"cbAutoStart", L"cbCheckUpdates", L"cbDeleteConfirm", L"cbAlwaysOnTop"};
  for (size_t i = 0; i < seen.size(); ++i) {
    SCOPED_TRACE(testing::PrintToString(names[i]));
    EXPECT_EQ(names[i], seen[i].name);
    EXPECT_TRUE(seen[i].afterFirst) << "Space ticks or unticks it";
    EXPECT_TRUE(seen[i].afterSecond) << "and again";
    EXPECT_TRUE(seen[i].okEnabled);
  }
  EXPECT_EQ(kFirstRun, ReadBytes(SettingsFile()));
}

TEST_F(SettingsDialogTest, SpaceOnAFocusedSwatchOpensItsMenuOrTheFontDialog) {
  StartWith(kFirstRun);
  fonts_.Chosen = LogFontOf(L"Arial", 12, false);
  // Each menu notes its opening and is closed with Esc from inside its loop.
  struct TOpened : TObject {
    TTBPopupEvent Original;
    testing_support::TMenuDriver* Driver = nullptr;
    int Opened = 0;
    void Popup(TTBCustomItem* Sender, bool FromLink) {
      ++Opened;
      Original(Sender, FromLink);
      Driver->PostKeys({VK_ESCAPE});
    }
  } color, fontColor;
  testing_support::TMenuDriver inMenu;
  std::vector<String> focused;
  int enabledOK = 0;
  FromTheTray([&](TFR_SETTINGS* d) {
    for (auto [opened, item] : {std::pair{&color, d->tbColor}, {&fontColor, d->tbFontColor}}) {
      opened->Original = item->OnPopup;
      opened->Driver = &inMenu;
      item->OnPopup = TTBPopupEvent(opened, &TOpened::Popup);
    }
    // The note page's tabs, then its two lists: the three swatches come next.
    for (std::vector<WORD> keys : {std::vector<WORD>{VK_CONTROL, VK_TAB}, {VK_TAB}, {VK_TAB}}) EXPECT_TRUE(PressKeys(keys));
    for (int swatch = 0; swatch < 3; ++swatch) {
      EXPECT_TRUE(PressKeys({VK_TAB}));
      focused.push_back(FocusedControlName());
      d->btOK->SetEnabled(false);
      EXPECT_TRUE(PressKeys({VK_SPACE}));
      enabledOK += d->btOK->Enabled();
    }
    EXPECT_TRUE(PressKeys({VK_ESCAPE}));
  });
  EXPECT_EQ((std::vector<String>{L"pnColor", L"pnFont", L"pnFontColor"}), focused);
  EXPECT_EQ(1, color.Opened);
  EXPECT_EQ(1u, fonts_.Requests.size());
  EXPECT_EQ(1, fontColor.Opened);
  EXPECT_EQ(3, enabledOK);
  EXPECT_EQ(0, Dialogs());
  EXPECT_EQ(kFirstRun, ReadBytes(SettingsFile()));
}

TEST_F(SettingsDialogTest, EscClosesStoringNothingAndEnterStoresAsOKDoesWhileOKIsEnabled) {
  using TChords = std::vector<std::vector<WORD>>;
  struct Case {
    const char* what;
    TChords keys;  // from the tabs, where the focus is as the dialog opens
    std::string file;
    bool runsAtLogon;
    bool enterIgnored;  // OK was disabled when Enter came: the dialog stayed
  } cases[] = {
      {"a change, then Esc", {{VK_TAB}, {VK_SPACE}, {VK_TAB}, {VK_SPACE}, {VK_ESCAPE}}, kFirstRun, false, false},
      {"a change, then Enter", {{VK_TAB}, {VK_SPACE}, {VK_TAB}, {VK_TAB}, {VK_SPACE}, {VK_RETURN}},
       FirstRunWith("DeleteConfirm", "-1"), true, false},
      {"nothing changed, Enter, then Esc", {{VK_TAB}, {VK_RETURN}, {VK_ESCAPE}}, kFirstRun, false, true},
      {"a change, then Enter on Close", {{VK_TAB}, {VK_SPACE}, {VK_SHIFT, VK_TAB}, {VK_SHIFT, VK_TAB}, {VK_RETURN}},
       kFirstRun, false, false},
      {"30 % with the keys on the other page, then Enter",
       {{VK_CONTROL, VK_TAB}, {VK_TAB}, {VK_TAB}, {VK_HOME}, {VK_DOWN}, {VK_DOWN}, {VK_RETURN}},
       FirstRunWith("Opacity", "30"), false, false},
      {"Esc in the open opacity list closes the list, then Enter",
       {{VK_CONTROL, VK_TAB}, {VK_TAB}, {VK_TAB}, {VK_UP}, {VK_F4}, {VK_ESCAPE}, {VK_RETURN}},
       FirstRunWith("Opacity", "90"), false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StartWith(kFirstRun);
    RegDeleteTreeW(HKEY_CURRENT_USER, kRunKey);
    bool allRead = true, stayedAfterEnter = false;
    FromTheTray([&](TFR_SETTINGS* d) {
      for (const std::vector<WORD>& chord : c.keys) {
        allRead = PressKeys(chord) && allRead;
        if (chord == std::vector<WORD>{VK_RETURN})
          stayedAfterEnter = Dialogs() == 1 && !d->Releasing() && d->ModalResult() == mrNone;
      }
    });
    EXPECT_TRUE(allRead);
    EXPECT_EQ(c.enterIgnored, stayedAfterEnter);
    EXPECT_EQ(0, Dialogs());
    EXPECT_EQ(c.file, ReadBytes(SettingsFile()));
    EXPECT_EQ(c.runsAtLogon ? std::optional<String>(L"\"" + Exe() + L"\"") : std::nullopt, RunValue());
    EXPECT_EQ(c.runsAtLogon, RunKeyExists()) << "the Run key is made only by a stored tick";
  }
}
