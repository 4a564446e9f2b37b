#include "app/TFR_NOTE.h"

#include "app/MenuSupport.h"
#include "app/NoteFile.h"
#include "app/TFR_MAIN.h"
#include "classlib/FileUtils.h"
#include "classlib/Seams.h"

#include <cmath>

namespace {

constexpr TColor kDesignedColor = 0x99FFFF;
constexpr TColor kBarColor = 0xCCFFFF;
constexpr TColor kTitleTextColor = 0x3F3F3F;
// The grip bitmap's background, shown through (the bottom bar's colour appears there).
constexpr TColor kGripTransparent = clFuchsia;
// Designed size: a 178 x 163 client area inside a one-pixel frame.
constexpr int kDesignedWidth = 180;
constexpr int kDesignedHeight = 165;

void SetPixel(TBitmap& bitmap, int x, int y, TColor color) {
  bitmap.ScanLine(y)[x] = RGBToPixel(ColorToRGB(color));
}

}  // namespace

String DateTimeText(TDateTime value) {
  double whole = std::floor(value);
  if (value < 1) return TimeToStr(value);
  if (value == whole) return DateToStr(value);
  return DateToStr(value) + L" " + TimeToStr(value);
}

TFR_NOTE::TFR_NOTE(TComponent* AOwner) : TForm(AOwner) {
  SetWindowClassName(L"TFR_NOTE");
  BeginLoading();
  CreateComponents();
  EndLoading();
  if (FR_QNT_MAIN) csColorSet->OnGetColorInfo = TCSGetColorInfo(FR_QNT_MAIN, &TFR_QNT_MAIN::csColorSetGetColorInfo);
  // Layered from the start, fully opaque until the note's opacity is applied.
  SetAlphaBlendValue(255);
  SetAlphaBlend(true);
  DoCreate();
}

TFR_NOTE::~TFR_NOTE() = default;

void TFR_NOTE::CreateComponents() {
  SetUniqueName(L"FR_NOTE");
  SetBorderStyle(TFormBorderStyle::bsNone);
  SetBorderIcons(0);
  SetBorderWidth(1);
  SetKeyPreview(true);
  SetConstraints(TSizeConstraints{100, 40, 0, 0});
  SetBounds(0, 0, kDesignedWidth, kDesignedHeight);
  SetColor(kDesignedColor);
  Font().SetName(L"Tahoma");
  OnShow = TNotifyEvent(this, &TFR_NOTE::FormShow);
  OnKeyDown = TKeyEvent(this, &TFR_NOTE::FormKeyDown);
  OnClose = TCloseEvent(this, &TFR_NOTE::FormClose);

  pnBar = new TPanel(this);
  pnBar->SetName(L"pnBar");
  pnBar->SetParent(this);
  pnBar->SetHeight(26);
  pnBar->SetAlign(TAlign::alTop);
  pnBar->SetBevelOuter(bvNone);
  pnBar->SetColor(kBarColor);
  pnBar->SetCaption(L"");
  pnBar->Font().SetName(L"Tahoma");
  pnBar->Font().SetStyle(fsBold);
  pnBar->OnMouseDown = TMouseEvent(this, &TFR_NOTE::pnBarMouseDown);

  pnButtons = new TPanel(this);
  pnButtons->SetName(L"pnButtons");
  pnButtons->SetParent(pnBar);
  pnButtons->SetWidth(39);
  pnButtons->SetAlign(TAlign::alRight);
  pnButtons->SetBevelOuter(bvNone);
  pnButtons->SetCaption(L"");
  pnButtons->SetParentColor(true);

  sbPopup = new TSpeedButton(this);
  sbPopup->SetName(L"sbPopup");
  sbPopup->SetParent(pnButtons);
  sbPopup->SetBounds(0, 3, 18, 18);
  sbPopup->SetFlat(true);
  sbPopup->SetHint(L"Menu");
  sbPopup->SetShowHint(true);
  sbPopup->OnClick = TNotifyEvent(this, &TFR_NOTE::sbPopupClick);

  sbClose = new TSpeedButton(this);
  sbClose->SetName(L"sbClose");
  sbClose->SetParent(pnButtons);
  sbClose->SetBounds(19, 3, 18, 18);
  sbClose->SetFlat(true);
  sbClose->SetHint(L"Close");
  sbClose->SetShowHint(true);
  sbClose->OnClick = TNotifyEvent(this, &TFR_NOTE::sbCloseClick);
  DrawButtonGlyphs();

  pnTitlePanel = new TPanel(this);
  pnTitlePanel->SetName(L"pnTitlePanel");
  pnTitlePanel->SetParent(pnBar);
  pnTitlePanel->SetAlign(TAlign::alClient);
  pnTitlePanel->SetBevelOuter(bvNone);
  pnTitlePanel->SetBorderWidth(3);
  pnTitlePanel->SetCaption(L"Notes");
  pnTitlePanel->Font().SetName(L"Tahoma");
  pnTitlePanel->Font().SetStyle(fsBold);
  pnTitlePanel->Font().SetColor(kTitleTextColor);
  pnTitlePanel->SetParentColor(true);
  pnTitlePanel->SetHint(L"Double click to edit title");
  pnTitlePanel->SetShowHint(true);
  pnTitlePanel->OnDblClick = TNotifyEvent(this, &TFR_NOTE::pnTitlePanelDblClick);
  pnTitlePanel->OnMouseDown = TMouseEvent(this, &TFR_NOTE::pnBarMouseDown);

  edTitle = new TEdit(this);
  edTitle->SetName(L"edTitle");
  edTitle->SetParent(pnTitlePanel);
  edTitle->SetAlign(TAlign::alClient);
  edTitle->SetBorderStyle(TBorderStyle::bsNone);
  edTitle->SetAlignment(taCenter);
  edTitle->Font().Assign(pnTitlePanel->Font());
  edTitle->SetParentColor(true);
  edTitle->SetVisible(false);
  edTitle->OnExit = TNotifyEvent(this, &TFR_NOTE::edTitleExit);
  edTitle->OnKeyDown = TKeyEvent(this, &TFR_NOTE::edTitleKeyDown);

  reEdit = new TRichEdit(this);
  reEdit->SetName(L"reEdit");
  reEdit->SetParent(this);
  reEdit->SetAlign(TAlign::alClient);
  reEdit->SetBorderStyle(TEditBorderStyle::bsNone);
  reEdit->SetScrollBars(TScrollStyle::ssVertical);
  reEdit->Font().SetName(L"Tahoma");
  reEdit->Font().SetSize(10);
  reEdit->Font().SetCharset(TURKISH_CHARSET);
  reEdit->SetPlainText(true);
  CreateEditorMenu();
  reEdit->SetPopupMenu(pmRichTextEditor);

  pnBottom = new TPanel(this);
  pnBottom->SetName(L"pnBottom");
  pnBottom->SetParent(this);
  pnBottom->SetHeight(14);
  pnBottom->SetAlign(TAlign::alBottom);
  pnBottom->SetBevelOuter(bvNone);
  pnBottom->SetCaption(L"");
  pnBottom->OnResize = TNotifyEvent(this, &TFR_NOTE::pnBottomResize);

  imSize = new TImage(this);
  imSize->SetName(L"imSize");
  imSize->SetParent(pnBottom);
  imSize->SetBounds(0, 2, 10, 10);
  imSize->SetCursor(crSizeAll);
  imSize->Picture().SetSize(10, 10);
  imSize->Picture().Canvas().Brush().SetColor(kGripTransparent);
  imSize->Picture().Canvas().FillRect(RECT{0, 0, 10, 10});
  imSize->Picture().SetTransparentColor(kGripTransparent);
  imSize->Picture().SetTransparent(true);
  imSize->SetTransparent(true);
  imSize->OnMouseDown = TMouseEvent(this, &TFR_NOTE::imSizeMouseDown);
  imSize->OnMouseMove = TMouseMoveEvent(this, &TFR_NOTE::imSizeMouseMove);
  imSize->OnMouseUp = TMouseEvent(this, &TFR_NOTE::imSizeMouseUp);

  pmSettings = new TTBXPopupMenu(this);
  pmSettings->SetName(L"pmSettings");
  CreateNoteMenu();
  if (FR_QNT_MAIN) {
    ilEditor = FR_QNT_MAIN->EditorImages();
    pmSettings->SetImages(ilEditor);
    pmRichTextEditor->SetImages(ilEditor);
  }

  csColorSet = new TTBXColorSet(this);
  csColorSet->SetName(L"csColorSet");
  csColorSet->SetColCount(8);
  csColorSet->SetRowCount(3);
  cpColorPalette->SetColorSet(csColorSet);

  fdFont = new TFontDialog(this);
  fdFont->SetName(L"fdFont");
  fdFont->Font().SetName(L"Tahoma");

  pdPrintDialog = new TPrintDialog(this);
  pdPrintDialog->SetName(L"pdPrintDialog");

  tmSave = new TTimer(this);
  tmSave->SetName(L"tmSave");
  tmSave->SetEnabled(false);
  tmSave->SetInterval(2000);
  tmSave->SetOnTimer(TNotifyEvent(this, &TFR_NOTE::tmSaveTimer));

  tmCloseTimer = new TTimer(this);
  tmCloseTimer->SetName(L"tmCloseTimer");
  tmCloseTimer->SetEnabled(false);
  tmCloseTimer->SetInterval(10);
  tmCloseTimer->SetOnTimer(TNotifyEvent(this, &TFR_NOTE::tmCloseTimerTimer));
}

// The note menu, top to bottom.
void TFR_NOTE::CreateNoteMenu() {
  TTBCustomItem* root = pmSettings->Items();
  tbNewNote = AddMenuItem<TTBXItem>(this, root, L"tbNewNote", L"New Note", 17,
                                   TNotifyEvent(this, &TFR_NOTE::tbNewNoteClick));
  N1 = AddMenuItem<TTBXSeparatorItem>(this, root, L"N1");
  tbAlwaysOnTop = AddMenuItem<TTBXItem>(this, root, L"tbAlwaysOnTop", L"Always On Top", -1,
                                       TNotifyEvent(this, &TFR_NOTE::tbAlwaysOnTopClick));
  TBXSeparatorItem1 = AddMenuItem<TTBXSeparatorItem>(this, root, L"TBXSeparatorItem1");
  tbColor = AddMenuItem<TTBXSubmenuItem>(this, root, L"tbColor", L"Color");
  tbColor->OnPopup = TTBPopupEvent(this, &TFR_NOTE::tbColorPopup);
  cpColorPalette = AddMenuItem<TTBXColorPalette>(this, tbColor, L"cpColorPalette");
  cpColorPalette->SetPaletteOptions(tpoCustomImages);
  cpColorPalette->OnChange = TNotifyEvent(this, &TFR_NOTE::cpColorPaletteChange);
  tbTransparent = AddMenuItem<TTBXSubmenuItem>(this, root, L"tbTransparent", L"Opacity         ");
  for (int percent = 10; percent <= 100; percent += 10) {
    const String number = std::to_wstring(percent);
    TTBXItem* item = AddMenuItem<TTBXItem>(this, tbTransparent, (L"N" + number).c_str(), (number + L" %").c_str(),
                                         -1, TNotifyEvent(this, &TFR_NOTE::OpacityClick));
    item->SetTag(percent);
  }
  N2 = AddMenuItem<TTBXSeparatorItem>(this, root, L"N2");
  tbDelete = AddMenuItem<TTBXItem>(this, root, L"tbDelete", L"Delete Note", 4,
                                  TNotifyEvent(this, &TFR_NOTE::mnDeleteNoteClick));
  tbDelete->SetShortCut(ShortCut(VK_DELETE, ssCtrl));
  TBXSeparatorItem6 = AddMenuItem<TTBXSeparatorItem>(this, root, L"TBXSeparatorItem6");
  tbPrint = AddMenuItem<TTBXItem>(this, root, L"tbPrint", L"Print", 5, TNotifyEvent(this, &TFR_NOTE::mnPrintClick));
  tbSendMail = AddMenuItem<TTBXItem>(this, root, L"tbSendMail", L"Send Mail", 18,
                                    TNotifyEvent(this, &TFR_NOTE::tbSendMailClick));
  N3 = AddMenuItem<TTBXSeparatorItem>(this, root, L"N3");
  tbTweet = AddMenuItem<TTBXItem>(this, root, L"tbTweet", L"Tweet This!", 19, TNotifyEvent(this, &TFR_NOTE::tbTweetClick));
  TBXSeparatorItem5 = AddMenuItem<TTBXSeparatorItem>(this, root, L"TBXSeparatorItem5");
  tbExit = AddMenuItem<TTBXItem>(this, root, L"tbExit", L"Close", -1, TNotifyEvent(this, &TFR_NOTE::mnExitClick));
}

// The two title-bar buttons: a menu arrow and a cross, in the title text's colour.
void TFR_NOTE::DrawButtonGlyphs() {
  auto prepare = [](TBitmap& glyph) {
    glyph.SetSize(12, 12);
    glyph.Canvas().Brush().SetColor(clWhite);
    glyph.Canvas().FillRect(RECT{0, 0, 12, 12});
    glyph.SetTransparentColor(clWhite);
    glyph.SetTransparent(true);
    glyph.Canvas().Pen().SetColor(kTitleTextColor);
  };
  TBitmap& menu = sbPopup->Glyph();
  prepare(menu);
  for (int row = 0; row < 4; ++row) {  // a small downward triangle
    menu.Canvas().MoveTo(2 + row, 4 + row);
    menu.Canvas().LineTo(10 - row, 4 + row);
  }
  menu.Changed();
  TBitmap& cross = sbClose->Glyph();
  prepare(cross);
  cross.Canvas().Pen().SetWidth(2);
  cross.Canvas().MoveTo(3, 3);
  cross.Canvas().LineTo(9, 9);
  cross.Canvas().MoveTo(9, 3);
  cross.Canvas().LineTo(3, 9);
  cross.Changed();
}

void TFR_NOTE::CreateParams(TCreateParams& params) {
  TForm::CreateParams(params);
  params.ExStyle |= WS_EX_TOOLWINDOW;
  if (OnTop) params.ExStyle |= WS_EX_TOPMOST;
  else params.ExStyle &= ~static_cast<DWORD>(WS_EX_TOPMOST);
  params.WindowClassStyle |= CS_DROPSHADOW;
  params.WndParent = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Look

TColor TFR_NOTE::ShiftColor(TColor color, int delta) {
  unsigned value = static_cast<unsigned>(color);
  unsigned result = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    int channel = static_cast<int>((value >> shift) & 0xFF) + delta;
    if (delta < 0 && channel < 0) channel = 0;
    if (delta >= 0 && channel > 255) channel = 255;
    result |= static_cast<unsigned>(channel & 0xFF) << shift;
  }
  return static_cast<TColor>(result);
}

void TFR_NOTE::SetNoteColor(TColor color) {
  reEdit->SetColor(color);
  pnBar->SetColor(ShiftColor(color, -5));
  pnBottom->SetColor(color);
  SetColor(pnBar->Color());
  PaintSizeGrip(color);
}

TColor TFR_NOTE::NoteColor() const { return reEdit->Color(); }

void TFR_NOTE::PaintSizeGrip(TColor color) {
  static const POINT kDark[] = {{8, 2}, {8, 5}, {8, 8}, {5, 5}, {5, 8}, {2, 8}};
  static const POINT kMid[] = {{8, 1}, {8, 4}, {8, 7}, {5, 4}, {5, 7}, {2, 7}};
  static const POINT kLight[] = {{7, 2}, {7, 5}, {7, 8}, {4, 5}, {4, 8}, {1, 8}};
  TBitmap& grip = imSize->Picture();
  for (POINT p : kDark) SetPixel(grip, p.x, p.y, ShiftColor(color, -80));
  for (POINT p : kMid) SetPixel(grip, p.x, p.y, ShiftColor(color, -60));
  for (POINT p : kLight) SetPixel(grip, p.x, p.y, ShiftColor(color, -30));
  grip.Changed();
  imSize->Invalidate();
}

void TFR_NOTE::SetOpacity(int percent) {
  // Kept within the range the menu offers, so that the window never vanishes and the
  // note file's field stays in range.
  if (percent < 10) percent = 10;
  if (percent > 100) percent = 100;
  NoteOpacity = percent;
  SetAlphaBlendValue(static_cast<BYTE>(percent * 255 / 100));
  const int ticked = percent == 25 ? 30 : percent == 75 ? 80 : percent;
  for (int k = 10; k <= 100; k += 10)
    if (auto* item = dynamic_cast<TTBCustomItem*>(FindComponent(L"N" + std::to_wstring(k))))
      item->SetChecked(k == ticked);
}

void TFR_NOTE::OpacityClick(TObject* Sender) {
  if (auto* item = dynamic_cast<TTBCustomItem*>(Sender)) SetOpacity(static_cast<int>(item->Tag()));
}

void TFR_NOTE::tbColorPopup(TTBCustomItem*, bool) { PresetPaletteColor(*cpColorPalette, NoteColor()); }

// Runs inside the menu's loop, while the menu is still open.
void TFR_NOTE::cpColorPaletteChange(TObject*) {
  SetNoteColor(cpColorPalette->Color());
  // Hidden and shown again, so that the whole window repaints in the new colour.
  SetVisible(false);
  Show();
}

void TFR_NOTE::tbAlwaysOnTopClick(TObject*) {
  tbAlwaysOnTop->SetChecked(!tbAlwaysOnTop->Checked());
  OnTop = tbAlwaysOnTop->Checked();
  ApplyAlwaysOnTop();
}

void TFR_NOTE::ApplyAlwaysOnTop() {
  // The form's own style says it too: showing the window again re-applies the style's
  // z-order band, and a note that is not stay-on-top would drop out of the topmost band.
  SetFormStyle(OnTop ? TFormStyle::fsStayOnTop : TFormStyle::fsNormal);
  reEdit->SetPlainText(false);
  try {
    RecreateWnd();
  } catch (...) {
    reEdit->SetPlainText(true);
    throw;
  }
  reEdit->SetPlainText(true);
  SetAlphaBlend(true);
  SetOpacity(NoteOpacity);
  if (Visible()) SetWindowPos(Handle(), OnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                              SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// ---------------------------------------------------------------------------------------------
// New notes

void TFR_NOTE::InitNewNote() {
  TFR_QNT_MAIN* main = FR_QNT_MAIN;
  tbAlwaysOnTop->SetChecked(main->DefAlwaysOnTop);
  OnTop = tbAlwaysOnTop->Checked();
  ApplyAlwaysOnTop();
  SetNoteColor(main->DefColor);
  SetOpacity(main->DefOpacity);

  reEdit->Font().SetName(main->DefFontName);
  reEdit->Font().SetSize(main->DefFontSize);
  reEdit->Font().SetColor(main->DefFontColor);
  reEdit->Font().SetStyle(static_cast<TFontStyles>(main->DefFontStyle) &
                          (fsBold | fsItalic | fsUnderline | fsStrikeOut));

  switch (main->DefTitle) {
    case 0: pnTitlePanel->SetCaption(L"New Note"); break;
    case 1: pnTitlePanel->SetCaption(DateTimeText(Date())); break;
    case 2: pnTitlePanel->SetCaption(DateTimeText(Now())); break;
    case 3: pnTitlePanel->SetCaption(DateTimeText(Time())); break;
    case 4:
      pnTitlePanel->SetCaption(L"To Do");
      reEdit->Paragraph().SetNumbering(TNumberingStyle::nsBullet);
      break;
    case 5:
      pnTitlePanel->SetCaption(L"To Do (" + DateTimeText(Date()) + L")");
      reEdit->Paragraph().SetNumbering(TNumberingStyle::nsBullet);
      break;
    default: break;
  }

  int r1 = Random(40);
  int r2 = Random(40);
  int top = Screen->Height() / 2 - Height() / 2 - r1 + 10;
  int left = Screen->Width() / 2 - Width() / 2 - r2 + 10;
  SetBounds(left, top, 200, 200);

  main->EnsureNotesFolder();
  FileName = NewNoteFileName(main->GetNotesFolder());
  BindChangeHandler();
}

// ---------------------------------------------------------------------------------------------
// Autosave

void TFR_NOTE::BindChangeHandler() {
  reEdit->OnChange = TNotifyEvent(this, &TFR_NOTE::reEditChange);
  edTitle->OnChange = TNotifyEvent(this, &TFR_NOTE::reEditChange);
}

void TFR_NOTE::UnbindChangeHandler() {
  reEdit->OnChange.Clear();
  edTitle->OnChange.Clear();
}

void TFR_NOTE::RestartSaveTimer() {
  tmSave->SetEnabled(false);
  tmSave->SetEnabled(true);
}

void TFR_NOTE::reEditChange(TObject*) { RestartSaveTimer(); }

void TFR_NOTE::tmSaveTimer(TObject*) {
  tmSave->SetEnabled(false);
  if (!Trim(reEdit->Text()).empty()) SaveNote(*this, FR_QNT_MAIN->GetNotesFolder());
}

// ---------------------------------------------------------------------------------------------
// Title, moving, resizing

void TFR_NOTE::pnTitlePanelDblClick(TObject*) {
  pnTitlePanel->SetShowHint(false);
  edTitle->SetText(pnTitlePanel->Caption());
  edTitle->SetVisible(true);
  if (edTitle->CanFocus()) edTitle->SetFocus();
  // The box selects its text on focus only while no mouse button is down, and this runs
  // inside the double-click: the whole title is selected here, so that typing replaces it.
  edTitle->SelectAll();
}

void TFR_NOTE::EndTitleEdit() {
  if (!edTitle->Visible()) return;
  pnTitlePanel->SetShowHint(true);
  if (Trim(edTitle->Text()).empty()) edTitle->SetText(L"No Name");
  pnTitlePanel->SetCaption(edTitle->Text());
  edTitle->SetVisible(false);
}

void TFR_NOTE::edTitleExit(TObject*) { EndTitleEdit(); }

void TFR_NOTE::edTitleKeyDown(TObject*, WORD& Key, TShiftState) {
  if (Key != VK_RETURN) return;
  EndTitleEdit();
  FocusEditor();
}

void TFR_NOTE::FocusEditor() {
  if (reEdit->CanFocus() && IsWindowVisible(Handle())) reEdit->SetFocus();
}

void TFR_NOTE::pnBarMouseDown(TObject*, TMouseButton, TShiftState, int, int) {
  TFormLoopGuard loop(this);
  ReleaseCapture();
  // The system's own move loop runs inside this call, as if the caption were dragged.
  SendMessageW(Handle(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
  if (!loop.Gone()) RestartSaveTimer();
}

void TFR_NOTE::pnBottomResize(TObject*) {
  imSize->SetLeft(pnBottom->Width() - imSize->Width() - 2);
}

void TFR_NOTE::imSizeMouseDown(TObject*, TMouseButton, TShiftState, int, int) {
  POINT p;
  GetCursorPos(&p);
  Resizing = true;
  GripOffsetX = p.x - Width();
  GripOffsetY = p.y - Height();
}

void TFR_NOTE::imSizeMouseMove(TObject*, TShiftState, int, int) {
  if (!Resizing) return;
  POINT p;
  GetCursorPos(&p);
  SetBounds(Left(), Top(), p.x - GripOffsetX, p.y - GripOffsetY);
}

void TFR_NOTE::imSizeMouseUp(TObject*, TMouseButton, TShiftState, int, int) {
  Resizing = false;
  RestartSaveTimer();
}

// ---------------------------------------------------------------------------------------------
// Showing and closing

void TFR_NOTE::FormShow(TObject*) {
  // The window is not visible yet: the editor takes the focus as the window activates.
  SetActiveControl(reEdit);
}

void TFR_NOTE::FormKeyDown(TObject*, WORD& Key, TShiftState) {
  if (Key == VK_ESCAPE) {
    Key = 0;
    Close();
  }
}

void TFR_NOTE::sbCloseClick(TObject*) {
  FocusEditor();
  FadeAndClose();
}

void TFR_NOTE::sbPopupClick(TObject*) {
  FocusEditor();
  // Below the menu button, lined up with the title bar's buttons.
  pmSettings->Popup(Left() + pnButtons->Left(), Top() + sbPopup->Top() + sbPopup->Height());
}

void TFR_NOTE::FadeAndClose() {
  if (!FadeOnClose) {
    Close();
    return;
  }
  // At least one percent a tick, so that even a faint note fades out in bounded time.
  FadeStep = std::max(1, NoteOpacity / 20);
  FadeLevel = NoteOpacity;
  tmCloseTimer->SetEnabled(true);
}

void TFR_NOTE::tmCloseTimerTimer(TObject*) {
  FadeLevel -= FadeStep;
  if (FadeLevel > 0) {
    SetAlphaBlendValue(static_cast<BYTE>(FadeLevel * 255 / 100));
    return;
  }
  tmCloseTimer->SetEnabled(false);
  Close();
}

void TFR_NOTE::FormClose(TObject*, TCloseAction& Action) {
  // A closing note neither saves later nor keeps fading.
  tmSave->SetEnabled(false);
  tmCloseTimer->SetEnabled(false);
  // The editor takes the focus to end a title edit in progress. A note that is neither editing
  // its title nor active is not activated for it: closing every note at once would activate
  // each in turn.
  if (edTitle->Visible() || GetActiveWindow() == Handle()) FocusEditor();
  EndTitleEdit();
  const String path = FR_QNT_MAIN->GetNotesFolder() + FileName;
  if (!Deleted && !Trim(reEdit->Text()).empty()) {
    // Written every time: formatting and moves made in code raise no change event. A file
    // that already holds the note stays untouched.
    String failure;
    if (!SaveNote(*this, FR_QNT_MAIN->GetNotesFolder(), &failure) &&
        KeepOpenAfterFailedSave(path, failure)) {
      Action = TCloseAction::caNone;
      return;
    }
  } else if (!FileName.empty() && FileExists(path)) {
    DeleteFileW(path);
  }
  // Exit closes every note in one pass and then ends: handing the foreground back and
  // processing messages note by note would only cost time there.
  if (!FR_QNT_MAIN->Ending()) {
    SetForegroundWindow(Application->Handle());
    Application->ProcessMessages();
  }
  Action = TCloseAction::caFree;
}

bool TFR_NOTE::KeepOpenAfterFailedSave(const String& path, const String& failure) {
  const bool stays = !FR_QNT_MAIN->Ending();
  FR_QNT_MAIN->ReportUnsavedNote(path, failure, stays);
  if (!stays) return false;
  // Closed by the user: the text stays on the screen to be copied, and a later autosave
  // tries again.
  FadeOnClose = true;
  SetAlphaBlendValue(static_cast<BYTE>(NoteOpacity * 255 / 100));
  if (!Visible()) Show();
  RestartSaveTimer();
  return true;
}

void TFR_NOTE::mnDeleteNoteClick(TObject*) {
  if (FR_QNT_MAIN->DeleteConfirm) {
    // The note stays a note until the answer: closed meanwhile (Hide All, Exit, the end of the
    // session, its fade), it was saved as any closed note, and the answer is for nothing.
    TFormLoopGuard loop(this);
    const int answer = seams::MessageBoxes().Show(Handle(), L"Are you sure want to delete the note?",
                                                  L"Delete Confirmation", MB_YESNO | MB_ICONQUESTION);
    if (loop.Gone() || answer != IDYES) return;
  }
  Deleted = true;
  Close();
}

void TFR_NOTE::mnExitClick(TObject*) { Close(); }

void TFR_NOTE::tbNewNoteClick(TObject*) { FR_QNT_MAIN->tiTrayDblClick(FR_QNT_MAIN->tiTray); }

std::vector<TFR_NOTE*> OpenNotes() {
  std::vector<TFR_NOTE*> notes;
  for (TCustomForm* form : Screen->FormsSnapshot())
    if (auto* note = dynamic_cast<TFR_NOTE*>(form); note && !note->Releasing() && !note->Destroying())
      notes.push_back(note);
  return notes;
}
