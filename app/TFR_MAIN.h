#pragma once
// The hidden main form: the tray icon, the defaults for new notes (from the settings file),
// the notes folder, opening the saved notes, and the update checks' results.
#include "app/UpdateChecker.h"
#include "classlib/ExtCtrls.h"
#include "classlib/FileCtrl.h"
#include "classlib/Forms.h"
#include "classlib/ImgList.h"
#include "classlib/Strings.h"
#include "classlib/TrayIcon.h"
#include "tbx/TBX.h"
#include "tbx/TBXSwitcher.h"

#include <vector>

class TFR_NOTE;

class TFR_QNT_MAIN : public TForm {
 public:
  explicit TFR_QNT_MAIN(TComponent* AOwner);
  ~TFR_QNT_MAIN() override;

  TFileListBox* flFiles = nullptr;
  TTrayIcon* tiTray = nullptr;
  TImageList* ilImages = nullptr;
  TTBXSwitcher* tbxSwitch = nullptr;
  TTBXPopupMenu* pmPopup = nullptr;
  TTBXItem* mnAddNote = nullptr;
  TTBXSeparatorItem* N1 = nullptr;
  TTBXItem* mnShowAllNotes = nullptr;
  TTBXItem* mnHideAllNotes = nullptr;
  TTBXSeparatorItem* N2 = nullptr;
  TTBXItem* mnSettings = nullptr;
  TTBXSeparatorItem* N3 = nullptr;
  TTBXItem* tbCheckForUpdates = nullptr;
  TTBXItem* mnHelp = nullptr;
  TTBXItem* mnAbout = nullptr;
  TTBXSeparatorItem* N4 = nullptr;
  TTBXItem* tbVisitQuillnote = nullptr;
  TTBXItem* tbVisitOrvaneSoftware = nullptr;
  TTBXSeparatorItem* N5 = nullptr;
  TTBXItem* mnCLOSE = nullptr;
  TTimer* tmDblClick = nullptr;

  String Referrer;
  bool DefAlwaysOnTop = false;
  TColor DefColor = 0x99FFFF;
  int DefOpacity = 100;
  int DefTitle = 0;
  String DefFontName = L"Tahoma";
  int DefFontSize = 10;
  int DefFontStyle = 0;
  TColor DefFontColor = 0;
  String Version;
  bool CheckForUpdates = true;
  bool DeleteConfirm = false;

  // The folder of the program, then "\Notes\" (the doubled backslash is kept on purpose:
  // every path of the notes is built from this same text).
  String GetNotesFolder() const;
  String GetSettingsFileName() const;
  void EnsureNotesFolder();
  // Opens every note file, or brings up its window when it is open already.
  void ShowAllNotes(bool balloon);

  // The program is ending (Exit, the main form closing, the end of the session): notes close
  // whatever becomes of their files.
  bool Ending() const { return ending_; }
  // A note whose file could not be written as it closed. The user hears of it at once, or,
  // while several notes are being closed, once at the end for all of them.
  void ReportUnsavedNote(const String& path, const String& reason, bool staysOpen);

  void SaveSettings();
  void LoadSettings();
  static bool HasSetting(const TStrings& list, const String& key);

  // Starts an update check of its own; the up-to-date case is told only when report is set.
  // Each check comes back to this form's window, where it is reported and freed.
  void StartUpdateCheck(bool report);
  // Worker thread: hands the finished checker back to the form's window.
  void UpdateCheckerDone(TUpdateChecker* checker);
  // Checks started and not yet handed back.
  size_t PendingUpdateChecks() const { return updateChecks_.Count(); }

  // The note windows' images, one list for all of them: each note would otherwise hold
  // several GDI objects more. Made when the first note asks for it.
  TImageList* EditorImages();

  // The note colours, 8 x 3, that note windows and the settings offer; other cells get none.
  void csColorSetGetColorInfo(TObject* Sender, int Col, int Row, TColor& Color, String& Name);

  void tiTrayClick(TObject* Sender);
  void tiTrayDblClick(TObject* Sender);
  void tmDblClickTimer(TObject* Sender);
  void mnAddNoteClick(TObject* Sender);
  void mnShowAllNotesClick(TObject* Sender);
  void mnHideAllNotesClick(TObject* Sender);
  void mnSettingsClick(TObject* Sender);
  void tbCheckForUpdatesClick(TObject* Sender);
  void mnHelpClick(TObject* Sender);
  void mnAboutClick(TObject* Sender);
  void tbVisitQuillnoteClick(TObject* Sender);
  void tbVisitOrvaneSoftwareClick(TObject* Sender);
  void mnCLOSEClick(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);

 protected:
  void CreateParams(TCreateParams& params) override;
  void Dispatch(TMessage& Message) override;

 private:
  void CreateComponents();
  void CreateTrayMenu();
  void ReadReferrer();
  // Removes what saves cut off before their replace left in the notes folder.
  void RemoveSaveLeftovers();
  // Closes every open note, each saving or deleting its file; for the program's end, or to
  // hide them all (without fading). Notes that cannot be written are reported once for the
  // whole pass.
  void CloseNotes(bool ending);
  void ShowUnsavedReport();
  void WMEndSession(TMessage& m);
  // A check handed back: reported unless the program is ending, then freed.
  void QMUpdateChecked(TMessage& m);
  // The program ends: no check is reported from here on, and none is waited for.
  void StopUpdateChecks();
  // Tells the user once per run what cannot be written or created.
  void ReportOnce(bool& reported, const String& text);
  TImageList* editorImages_ = nullptr;
  bool settingsReported_ = false;
  bool folderReported_ = false;
  bool ending_ = false;
  // While notes are being closed together, unsaved ones wait here to be reported at once.
  int closingPass_ = 0;
  std::vector<String> unsaved_;
  bool unsavedStayOpen_ = false;
  // Set once the form closes (Exit, the end of the session): no check is reported after it.
  bool closed_ = false;
  // The form's own message that carries a finished checker.
  static constexpr UINT QM_UPDATECHECKED = WM_APP + 1;
  // Last of the fields: its end joins the workers, which still call into this form.
  TUpdateChecks updateChecks_{QM_UPDATECHECKED};
};

extern TFR_QNT_MAIN* FR_QNT_MAIN;
