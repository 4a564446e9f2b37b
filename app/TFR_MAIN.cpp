#include "app/TFR_MAIN.h"

#include "app/MenuSupport.h"
#include "app/NoteFile.h"
#include "app/QuillnoteMain.h"
#include "app/TFR_ABOUT.h"
#include "app/TFR_NOTE.h"
#include "app/TFR_SETTINGS.h"
#include "app/WebLinks.h"
#include "classlib/FileUtils.h"
#include "classlib/Registry.h"
#include "classlib/ScopeGuard.h"
#include "classlib/Seams.h"

#include <array>
#include <unordered_map>

TFR_QNT_MAIN* FR_QNT_MAIN = nullptr;

namespace {

struct TNoteColor {
  const wchar_t* Name;
  TColor Color;
};

// The note colours, row by row (colour values keep red in their low byte).
constexpr int kNoteColorColumns = 8;
constexpr int kNoteColorRows = 3;
constexpr std::array<TNoteColor, kNoteColorColumns * kNoteColorRows> kNoteColors = {{
    {L"Red", 0x0000FF},         {L"Light Orange", 0x0099FF},  {L"Lime", 0x00CC99},
    {L"Sea Green", 0x669933},   {L"Aqua", 0xCCCC33},          {L"Light Blue", 0xFF6633},
    {L"Violet", 0x800080},      {L"Dark Gray", 0x969696},

    {L"Pink", 0xFF00FF},        {L"Gold", 0x00CCFF},          {L"Yellow", 0x00FFFF},
    {L"Bright Green", 0x00FF00}, {L"Turquoise", 0xFFFF00},    {L"Sky Blue", 0xFFCC00},
    {L"Plum", 0x663399},        {L"Light Gray", 0xC0C0C0},

    {L"Rose", 0xCC99FF},        {L"Tan", 0x99CCFF},           {L"Light Yellow", 0x99FFFF},
    {L"Light Green", 0xCCFFCC}, {L"Light Turquoise", 0xFFFFCC}, {L"Pale Blue", 0xFFCC99},
    {L"Lavender", 0xFF99CC},    {L"White", 0xFFFFFF},
}};

// The program's own icon; a host without it (a test program) gets the system's.
HICON ProgramIcon() {
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
  return icon ? icon : LoadIconW(nullptr, IDI_APPLICATION);
}

}  // namespace

TFR_QNT_MAIN::TFR_QNT_MAIN(TComponent* AOwner) : TForm(AOwner) {
  SetWindowClassName(L"TFR_QNT_MAIN");
  // The entry's form variable names this form while it builds itself: the settings and
  // notes code reach the defaults through it.
  FR_QNT_MAIN = this;
  BeginLoading();
  CreateComponents();
  EndLoading();
  DoCreate();
  LoadSettings();
  tbxSwitch->SetTheme(L"Ide");
  EnsureNotesFolder();
  RemoveSaveLeftovers();
  ShowWindow(Application->Handle(), SW_HIDE);
  ReadReferrer();
}

TFR_QNT_MAIN::~TFR_QNT_MAIN() {
  CloseInstanceMutex();
  if (FR_QNT_MAIN == this) FR_QNT_MAIN = nullptr;
}

void TFR_QNT_MAIN::CreateComponents() {
  SetName(L"FR_QNT_MAIN");
  SetBorderStyle(TFormBorderStyle::bsToolWindow);
  Font().SetName(L"Tahoma");
  OnClose = TCloseEvent(this, &TFR_QNT_MAIN::FormClose);

  flFiles = new TFileListBox(this);
  flFiles->SetName(L"flFiles");
  flFiles->SetMask(L"*.qwn");
  flFiles->SetVisible(false);

  tiTray = new TTrayIcon(this);
  tiTray->SetName(L"tiTray");
  tiTray->SetHint(L"Quillnote\r\nDouble click for new note!");
  tiTray->SetBalloonHint(L"Double click for new note!");
  tiTray->SetBalloonTitle(L"Quillnote");
  tiTray->SetBalloonFlags(bfInfo);
  tiTray->SetIcon(ProgramIcon());
  tiTray->OnClick = TNotifyEvent(this, &TFR_QNT_MAIN::tiTrayClick);
  tiTray->OnDblClick = TNotifyEvent(this, &TFR_QNT_MAIN::tiTrayDblClick);

  ilImages = new TImageList(this);
  ilImages->SetName(L"ilImages");
  ilImages->AddIcon(ProgramIcon());
  AddImageStrip(*ilImages, kTrayMenuImages);
  tiTray->SetIcons(ilImages);
  tiTray->SetIconIndex(0);

  tbxSwitch = new TTBXSwitcher(this);
  tbxSwitch->SetName(L"tbxSwitch");
  tbxSwitch->SetTheme(L"Default");
  tbxSwitch->SetFlatMenuStyle(fmsDisable);

  pmPopup = new TTBXPopupMenu(this);
  pmPopup->SetName(L"pmPopup");
  pmPopup->SetImages(ilImages);
  CreateTrayMenu();
  tiTray->SetPopupMenu(pmPopup);

  tmDblClick = new TTimer(this);
  tmDblClick->SetName(L"tmDblClick");
  tmDblClick->SetEnabled(false);
  tmDblClick->SetInterval(1500);
  tmDblClick->SetOnTimer(TNotifyEvent(this, &TFR_QNT_MAIN::tmDblClickTimer));
}

// The tray menu, top to bottom.
void TFR_QNT_MAIN::CreateTrayMenu() {
  TTBCustomItem* root = pmPopup->Items();
  mnAddNote = AddMenuItem<TTBXItem>(this, root, L"mnAddNote", L"New Note", 1,
                                   TNotifyEvent(this, &TFR_QNT_MAIN::mnAddNoteClick));
  N1 = AddMenuItem<TTBXSeparatorItem>(this, root, L"N1");
  mnShowAllNotes = AddMenuItem<TTBXItem>(this, root, L"mnShowAllNotes", L"Show All Notes", -1,
                                        TNotifyEvent(this, &TFR_QNT_MAIN::mnShowAllNotesClick));
  mnHideAllNotes = AddMenuItem<TTBXItem>(this, root, L"mnHideAllNotes", L"Hide All Notes", -1,
                                        TNotifyEvent(this, &TFR_QNT_MAIN::mnHideAllNotesClick));
  N2 = AddMenuItem<TTBXSeparatorItem>(this, root, L"N2");
  mnSettings = AddMenuItem<TTBXItem>(this, root, L"mnSettings", L"Settings", 2,
                                    TNotifyEvent(this, &TFR_QNT_MAIN::mnSettingsClick));
  N3 = AddMenuItem<TTBXSeparatorItem>(this, root, L"N3");
  tbCheckForUpdates = AddMenuItem<TTBXItem>(this, root, L"tbCheckForUpdates", L"Check for updates", -1,
                                           TNotifyEvent(this, &TFR_QNT_MAIN::tbCheckForUpdatesClick));
  mnHelp = AddMenuItem<TTBXItem>(this, root, L"mnHelp", L"Help", -1, TNotifyEvent(this, &TFR_QNT_MAIN::mnHelpClick));
  mnAbout = AddMenuItem<TTBXItem>(this, root, L"mnAbout", L"About", -1, TNotifyEvent(this, &TFR_QNT_MAIN::mnAboutClick));
  N4 = AddMenuItem<TTBXSeparatorItem>(this, root, L"N4");
  tbVisitQuillnote = AddMenuItem<TTBXItem>(this, root, L"tbVisitQuillnote",
                                          (L"Visit " + ShownAddress(Addresses().ProductSite())).c_str(), -1,
                                          TNotifyEvent(this, &TFR_QNT_MAIN::tbVisitQuillnoteClick));
  tbVisitOrvaneSoftware = AddMenuItem<TTBXItem>(this, root, L"tbVisitOrvaneSoftware",
                                               (L"Visit " + ShownAddress(Addresses().MakerSite())).c_str(), -1,
                                               TNotifyEvent(this, &TFR_QNT_MAIN::tbVisitOrvaneSoftwareClick));
  N5 = AddMenuItem<TTBXSeparatorItem>(this, root, L"N5");
  mnCLOSE = AddMenuItem<TTBXItem>(this, root, L"mnCLOSE", L"Exit", -1,
                                 TNotifyEvent(this, &TFR_QNT_MAIN::mnCLOSEClick));
}

TImageList* TFR_QNT_MAIN::EditorImages() {
  if (!editorImages_) {
    editorImages_ = new TImageList(this);
    editorImages_->SetName(L"ilEditor");
    AddImageStrip(*editorImages_, kEditorImages);
  }
  return editorImages_;
}

void TFR_QNT_MAIN::CreateParams(TCreateParams& params) {
  TForm::CreateParams(params);
  // Not owned by the application window: a top-level window of its own.
  params.WndParent = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Paths and the link tag

String TFR_QNT_MAIN::GetNotesFolder() const {
  return ExtractFilePath(seams::ProgramFolder().ExeName()) + L"\\Notes\\";
}

String TFR_QNT_MAIN::GetSettingsFileName() const {
  return ExtractFilePath(seams::ProgramFolder().ExeName()) + L"\\settings.ini";
}

void TFR_QNT_MAIN::ReportOnce(bool& reported, const String& text) {
  if (reported) return;
  reported = true;
  seams::MessageBoxes().Show(nullptr, text, L"Quillnote", MB_OK | MB_ICONWARNING);
}

void TFR_QNT_MAIN::EnsureNotesFolder() {
  String folder = GetNotesFolder();
  if (DirectoryExists(folder)) return;
  if (CreateDir(folder)) return;
  // The reason of the failed create itself: the check below sets a reason of its own.
  const DWORD error = GetLastError();
  if (DirectoryExists(folder)) return;
  ReportOnce(folderReported_, L"Quillnote cannot create its notes folder\r\n" + folder +
                                  L"\r\n" + SysErrorMessage(error) +
                                  L"\r\nNotes cannot be saved until it can be created.");
}

void TFR_QNT_MAIN::RemoveSaveLeftovers() {
  // The note's file is whole beside such a leftover: the save replaces it only at its end.
  const String folder = GetNotesFolder();
  for (const String& name : ListFiles(folder, L"~*.tmp"))
    if (IsSaveLeftover(name)) DeleteFileW(folder + name);
}

void TFR_QNT_MAIN::ReadReferrer() {
  String tag;
  // Read-only, without creating the key, and in the 32-bit view that the product's own
  // installer writes on both builds.
  TRegistry registry(KEY_READ | KEY_WOW64_32KEY);
  registry.SetRootKey(HKEY_LOCAL_MACHINE);
  if (registry.OpenKeyReadOnly(L"SOFTWARE\\Orvane\\Quillnote")) tag = registry.ReadString(L"dwnsrc");
  Referrer = tag.empty() ? L"qnt" : L"qnt-" + tag;
}

// ---------------------------------------------------------------------------------------------
// Settings file: name=value lines in the ANSI code page, no sections.

void TFR_QNT_MAIN::SaveSettings() {
  TStringList list;
  list.SetValue(L"Color", IntToStr(DefColor));
  list.SetValue(L"Opacity", IntToStr(DefOpacity));
  list.SetValue(L"Title", IntToStr(DefTitle));
  list.SetValue(L"CheckForUpdates", CheckForUpdates ? L"1" : L"0");
  list.SetValue(L"DeleteConfirm", DeleteConfirm ? L"-1" : L"0");
  list.SetValue(L"FontName", DefFontName);
  list.SetValue(L"FontSize", IntToStr(DefFontSize));
  list.SetValue(L"FontColor", IntToStr(DefFontColor));
  list.SetValue(L"FontStyle", IntToStr(DefFontStyle));
  list.SetValue(L"AlwaysOnTop", DefAlwaysOnTop ? L"-1" : L"0");
  list.SaveToFile(GetSettingsFileName(), TTextEncoding::Ansi);
}

bool TFR_QNT_MAIN::HasSetting(const TStrings& list, const String& key) {
  return !Trim(list.Values(key)).empty();
}

void TFR_QNT_MAIN::LoadSettings() {
  String path = GetSettingsFileName();
  if (!FileExists(path)) {
    try {
      SaveSettings();
    } catch (const Exception& e) {
      // A read-only program folder: the defaults serve this run, and the user hears of it once.
      ReportOnce(settingsReported_, L"Quillnote cannot write its settings file; it goes on with "
                                    L"the default settings.\r\n" + e.Message());
    }
    return;
  }
  try {
    TStringList list;
    list.LoadFromFile(path);
    if (HasSetting(list, L"Color")) DefColor = StrToInt(list.Values(L"Color"));
    if (HasSetting(list, L"Opacity")) DefOpacity = StrToInt(list.Values(L"Opacity"));
    if (HasSetting(list, L"Title")) DefTitle = StrToInt(list.Values(L"Title"));
    if (HasSetting(list, L"FontName")) DefFontName = list.Values(L"FontName");
    if (HasSetting(list, L"FontSize")) DefFontSize = StrToInt(list.Values(L"FontSize"));
    if (HasSetting(list, L"FontColor")) DefFontColor = StrToInt(list.Values(L"FontColor"));
    if (HasSetting(list, L"FontStyle")) DefFontStyle = StrToInt(list.Values(L"FontStyle"));
    if (HasSetting(list, L"CheckForUpdates")) CheckForUpdates = StrToInt(list.Values(L"CheckForUpdates")) != 0;
    DeleteConfirm = HasSetting(list, L"DeleteConfirm") ? StrToBool(list.Values(L"DeleteConfirm")) : true;
    DefAlwaysOnTop = HasSetting(list, L"AlwaysOnTop") ? StrToBool(list.Values(L"AlwaysOnTop")) : false;
  } catch (...) {
    // A value that does not convert ends the reading there; the file stays as it is.
  }
}

// ---------------------------------------------------------------------------------------------
// Note colours

void TFR_QNT_MAIN::csColorSetGetColorInfo(TObject*, int Col, int Row, TColor& Color, String& Name) {
  if (Col < 0 || Row < 0 || Col >= kNoteColorColumns || Row >= kNoteColorRows) return;
  const TNoteColor& cell = kNoteColors[static_cast<size_t>(Row * kNoteColorColumns + Col)];
  Color = cell.Color;
  Name = cell.Name;
}

// ---------------------------------------------------------------------------------------------
// Tray and notes

void TFR_QNT_MAIN::tiTrayClick(TObject*) { ShowAllNotes(false); }

void TFR_QNT_MAIN::tiTrayDblClick(TObject*) {
  // One note per 1500 ms from the tray, however often it is double-clicked.
  tiTray->OnDblClick.Clear();
  mnAddNoteClick(this);
  tmDblClick->SetEnabled(true);
}

void TFR_QNT_MAIN::tmDblClickTimer(TObject*) {
  tiTray->OnDblClick = TNotifyEvent(this, &TFR_QNT_MAIN::tiTrayDblClick);
  tmDblClick->SetEnabled(false);
}

void TFR_QNT_MAIN::mnAddNoteClick(TObject*) {
  auto* note = new TFR_NOTE(Application);
  note->InitNewNote();
  note->Show();
  TFormLoopGuard loop(note);
  SetForegroundWindow(Application->Handle());
  Application->ProcessMessages();
  if (!loop.Gone() && note->reEdit->CanFocus() && IsWindowVisible(note->Handle())) note->reEdit->SetFocus();
  ShowWindow(Application->Handle(), SW_HIDE);
}

void TFR_QNT_MAIN::ShowAllNotes(bool balloon) {
  SetForegroundWindow(Application->Handle());
  Application->ProcessMessages();
  flFiles->ApplyFilePath(GetNotesFolder());
  const TStringList& names = flFiles->Items();
  if (names.Count() == 0 && balloon) tiTray->ShowBalloonHint();
  std::vector<String> list;
  for (int i = 0; i < names.Count(); ++i) list.push_back(names.Strings(i));
  // The open notes by file name, found once for all the files; one freed meanwhile is passed over.
  TComponentList openNotes;
  std::unordered_map<String, TFR_NOTE*> byFileName;
  for (TFR_NOTE* note : OpenNotes()) {
    openNotes.Add(note);
    byFileName[note->FileName] = note;
  }
  for (const String& name : list) {
    // One guard per file: a bad file is skipped, and the files after it still open.
    auto open = byFileName.find(name);
    if (open != byFileName.end() && openNotes.Contains(open->second)) {
      open->second->Show();
      continue;
    }
    auto* note = new TFR_NOTE(Application);
    try {
      LoadNote(*note, GetNotesFolder(), name);
    } catch (...) {
      // Never shown, so it never writes or deletes that file, and Exit does not wait for it.
      note->Free();
    }
  }
  ShowWindow(Application->Handle(), SW_HIDE);
}

void TFR_QNT_MAIN::mnShowAllNotesClick(TObject*) { ShowAllNotes(true); }

void TFR_QNT_MAIN::mnHideAllNotesClick(TObject*) { CloseNotes(false); }

void TFR_QNT_MAIN::tbCheckForUpdatesClick(TObject*) { StartUpdateCheck(true); }

void TFR_QNT_MAIN::mnHelpClick(TObject*) { OpenUrl(TaggedLink(Addresses().ProductSite(), L"/help.html", Referrer)); }

namespace {

// One dialog of a kind at a time, found among the application's components by its name:
// choosing it again while it is open (from the tray, which stays usable beside it) does nothing.
template <class TDialog>
void ShowModalOnce(const wchar_t* name) {
  if (Application->FindComponent(name)) return;
  (new TDialog(Application))->ShowModal();
}

}  // namespace

void TFR_QNT_MAIN::mnSettingsClick(TObject*) { ShowModalOnce<TFR_SETTINGS>(L"FR_SETTINGS"); }

void TFR_QNT_MAIN::mnAboutClick(TObject*) { ShowModalOnce<TFR_ABOUT>(L"FR_ABOUT"); }

void TFR_QNT_MAIN::tbVisitQuillnoteClick(TObject*) { OpenUrl(TaggedLink(Addresses().ProductSite(), L"", Referrer)); }

void TFR_QNT_MAIN::tbVisitOrvaneSoftwareClick(TObject*) {
  OpenUrl(TaggedLink(Addresses().MakerSite(), L"", Referrer));
}

void TFR_QNT_MAIN::CloseNotes(bool ending) {
  {
    TScopeGuard endPass([this, was = ending_] {
      --closingPass_;
      ending_ = was;
    });
    ++closingPass_;
    ending_ = ending_ || ending;
    // A snapshot first: closing a note may process messages, which reorders the screen's list,
    // and may end or free another note (a fade that finishes); those leave the list.
    TComponentList notes;
    for (TFR_NOTE* note : OpenNotes()) notes.Add(note);
    // The program is ending and every note with it: none of them paints again, so closing one
    // does not repaint those it uncovers, each time.
    if (ending)
      for (int i = 0; i < notes.Count(); ++i)
        if (auto* note = static_cast<TFR_NOTE*>(notes.Items(i)); note && note->HandleAllocated())
          SendMessageW(note->Handle(), WM_SETREDRAW, FALSE, 0);
    for (int i = 0; i < notes.Count(); ++i) {
      auto* note = static_cast<TFR_NOTE*>(notes.Items(i));
      if (!note || note->Releasing() || note->Destroying()) continue;
      // At the end each note saves itself and goes at once, in this one pass: releasing each
      // through the queue would cost a trip through it per note, dearer with every window left.
      if (ending) {
        note->CloseAtOnce();
        continue;
      }
      note->FadeOnClose = false;
      note->Close();
    }
  }
  ShowUnsavedReport();
}

void TFR_QNT_MAIN::ReportUnsavedNote(const String& path, const String& reason, bool staysOpen) {
  // The reason names the file as a rule; where it does not, the path goes first.
  unsaved_.push_back(reason.find(path) == String::npos ? path + L"\r\n" + reason : reason);
  unsavedStayOpen_ = unsavedStayOpen_ || staysOpen;
  ShowUnsavedReport();
}

void TFR_QNT_MAIN::ShowUnsavedReport() {
  if (closingPass_ > 0 || unsaved_.empty()) return;
  const bool one = unsaved_.size() == 1;
  String text = one ? L"Quillnote could not save a note:" : L"Quillnote could not save these notes:";
  for (const String& line : unsaved_) text += L"\r\n\r\n" + line;
  text += one ? L"\r\n\r\nIts last changes are not in its file." : L"\r\n\r\nTheir last changes are not in their files.";
  if (unsavedStayOpen_)
    text += one ? L" The note stays open, so that its text can still be copied."
                : L" The notes stay open, so that their text can still be copied.";
  unsaved_.clear();
  unsavedStayOpen_ = false;
  seams::MessageBoxes().Show(nullptr, text, L"Quillnote", MB_OK | MB_ICONWARNING);
}

void TFR_QNT_MAIN::mnCLOSEClick(TObject*) {
  // Closing the notes handles messages: a check that finishes meanwhile is not told.
  StopUpdateChecks();
  CloseNotes(true);
  Close();
}

void TFR_QNT_MAIN::FormClose(TObject*, TCloseAction&) {
  // However the program ends (Exit, a close sent by another program), every note is written
  // before the loop ends.
  StopUpdateChecks();
  CloseNotes(true);
}

void TFR_QNT_MAIN::Dispatch(TMessage& m) {
  if (m.Msg == WM_ENDSESSION) return WMEndSession(m);
  if (m.Msg == QM_UPDATECHECKED) return QMUpdateChecked(m);
  TForm::Dispatch(m);
}

void TFR_QNT_MAIN::WMEndSession(TMessage& m) {
  // The session ends and the process with it, without a close: the notes are written now.
  if (m.WParam) {
    StopUpdateChecks();
    CloseNotes(true);
  }
  m.Result = 0;
}

// ---------------------------------------------------------------------------------------------
// Update checks

void TFR_QNT_MAIN::StartUpdateCheck(bool report) {
  TUpdateChecks::TCheckerPtr checker(new TUpdateChecker(Addresses().ProductSite(), Version, report));
  checker->OnDone = TUpdateDoneEvent(this, &TFR_QNT_MAIN::UpdateCheckerDone);
  updateChecks_.Start(std::move(checker), Handle());
}

void TFR_QNT_MAIN::UpdateCheckerDone(TUpdateChecker* checker) { updateChecks_.HandBack(checker); }

void TFR_QNT_MAIN::StopUpdateChecks() {
  closed_ = true;
  updateChecks_.AbandonAll();
}

void TFR_QNT_MAIN::QMUpdateChecked(TMessage& m) {
  TUpdateChecks::TCheckerPtr checker = updateChecks_.Take(m.LParam);
  if (checker && !closed_) ReportUpdateCheck(*checker, Referrer);
}
