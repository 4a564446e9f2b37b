#pragma once
// One note on the screen: a borderless, layered window with a coloured title bar, a rich-text
// editor and a resize grip. It saves itself to its file in the notes folder.
#include "classlib/Buttons.h"
#include "classlib/Dialogs.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/Images.h"
#include "classlib/Panels.h"
#include "classlib/RichEdit.h"
#include "classlib/StdCtrls.h"
#include "classlib/Strings.h"
#include "tbx/TBX.h"
#include "tbx/TBXToolPals.h"

#include <memory>
#include <string>
#include <vector>

class TFR_NOTE : public TForm {
 public:
  explicit TFR_NOTE(TComponent* AOwner);
  ~TFR_NOTE() override;

  // Components, in the order the form creates them.
  TPanel* pnBar = nullptr;
  TPanel* pnButtons = nullptr;
  TSpeedButton* sbPopup = nullptr;
  TSpeedButton* sbClose = nullptr;
  TPanel* pnTitlePanel = nullptr;
  TEdit* edTitle = nullptr;
  TRichEdit* reEdit = nullptr;
  TPanel* pnBottom = nullptr;
  TImage* imSize = nullptr;
  // The note menu. The opacity items N10 .. N100 are found by their names.
  TTBXPopupMenu* pmSettings = nullptr;
  TTBXItem* tbNewNote = nullptr;
  TTBXSeparatorItem* N1 = nullptr;
  TTBXItem* tbAlwaysOnTop = nullptr;
  TTBXSeparatorItem* TBXSeparatorItem1 = nullptr;
  // The note colour: a palette on the note's colour set, in its own submenu.
  TTBXSubmenuItem* tbColor = nullptr;
  TTBXColorPalette* cpColorPalette = nullptr;
  TTBXSubmenuItem* tbTransparent = nullptr;
  TTBXSeparatorItem* N2 = nullptr;
  TTBXItem* tbDelete = nullptr;
  TTBXSeparatorItem* TBXSeparatorItem6 = nullptr;
  TTBXItem* tbPrint = nullptr;
  TTBXItem* tbSendMail = nullptr;
  TTBXSeparatorItem* N3 = nullptr;
  TTBXItem* tbTweet = nullptr;
  TTBXSeparatorItem* TBXSeparatorItem5 = nullptr;
  TTBXItem* tbExit = nullptr;
  // The editor's context menu: editing and formatting of the selection and its paragraphs.
  TTBXPopupMenu* pmRichTextEditor = nullptr;
  TTBXItem* mnUndo = nullptr;
  TTBXSeparatorItem* mnSep1 = nullptr;
  TTBXItem* mnCut = nullptr;
  TTBXItem* mnCopy = nullptr;
  TTBXItem* mnPaste = nullptr;
  TTBXItem* mnDelete = nullptr;
  // Never shown: it gives deleting the note its shortcut while the editor has the focus.
  TTBXItem* tbDeleteNote = nullptr;
  TTBXSeparatorItem* mnSep2 = nullptr;
  TTBXItem* mnInsertDateTime = nullptr;
  TTBXItem* mnSearchAtGoogle = nullptr;
  TTBXSeparatorItem* TBXSeparatorItem2 = nullptr;
  TTBXSubmenuItem* mnColor = nullptr;
  TTBXColorPalette* tbTextColor = nullptr;
  TTBXItem* mnFont = nullptr;
  TTBXSeparatorItem* TBXSeparatorItem3 = nullptr;
  TTBXItem* mnNumbering = nullptr;
  TTBXSubmenuItem* mnLineSpacing = nullptr;
  TTBXItem* mnSingleSpace = nullptr;
  TTBXItem* mnOneAndHalfSpace = nullptr;
  TTBXItem* mnDoubleSpace = nullptr;
  TTBXSeparatorItem* TBXSeparatorItem4 = nullptr;
  TTBXItem* mnBold = nullptr;
  TTBXItem* mnItalic = nullptr;
  TTBXItem* mnUnderline = nullptr;
  TTBXItem* mnStrikeout = nullptr;
  TTBXSeparatorItem* mnSep3 = nullptr;
  TTBXItem* mnLeftJ = nullptr;
  TTBXItem* mnRightJ = nullptr;
  TTBXItem* mnCenterJ = nullptr;
  // The menus' images: the main form's one list for every note.
  TImageList* ilEditor = nullptr;
  // 8 x 3 colours, answered by the main form.
  TTBXColorSet* csColorSet = nullptr;
  TFontDialog* fdFont = nullptr;
  TPrintDialog* pdPrintDialog = nullptr;
  TTimer* tmSave = nullptr;
  TTimer* tmCloseTimer = nullptr;

  bool OnTop = false;
  bool FadeOnClose = true;
  bool Deleted = false;
  String FileName;
  int NoteOpacity = 100;
  bool Resizing = false;
  int GripOffsetX = 0;
  int GripOffsetY = 0;
  int FadeStep = 0;
  int FadeLevel = 0;
  // For a note read from a file that it would not write byte for byte (an odd but readable
  // file): that file's bytes and the note's own bytes as read. While both stay so, saving
  // leaves that file as it is.
  std::string KeptFileBytes;
  std::string KeptNoteBytes;

  // A freshly created note with the defaults of the main form, placed near the screen's centre.
  void InitNewNote();
  void SetNoteColor(TColor color);
  TColor NoteColor() const;
  // Sets the window's alpha and ticks the opacity item of the value (25 and 75 tick the
  // next item up; any other value that is no item's ticks none).
  void SetOpacity(int percent);
  void ApplyAlwaysOnTop();
  void FadeAndClose();
  void PaintSizeGrip(TColor color);
  // Each of red, green and blue moved by delta and kept within 0..255.
  static TColor ShiftColor(TColor color, int delta);

  // Starts (or restarts) the autosave countdown.
  void RestartSaveTimer();
  // The change handler that the note binds to its editor and title box at run time.
  void BindChangeHandler();
  void UnbindChangeHandler();

  // Event handlers.
  void reEditChange(TObject* Sender);
  void tmSaveTimer(TObject* Sender);
  void tmCloseTimerTimer(TObject* Sender);
  void sbCloseClick(TObject* Sender);
  void sbPopupClick(TObject* Sender);
  void pnBarMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void pnTitlePanelDblClick(TObject* Sender);
  void edTitleExit(TObject* Sender);
  void edTitleKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void pnBottomResize(TObject* Sender);
  void imSizeMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void imSizeMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void imSizeMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void FormShow(TObject* Sender);
  void FormKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void mnDeleteNoteClick(TObject* Sender);
  void mnExitClick(TObject* Sender);
  void tbNewNoteClick(TObject* Sender);
  void tbAlwaysOnTopClick(TObject* Sender);
  void OpacityClick(TObject* Sender);
  void tbColorPopup(TTBCustomItem* Sender, bool FromLink);
  void cpColorPaletteChange(TObject* Sender);
  // The editor's commands (NoteEditing.cpp).
  void pmRichTextEditorPopup(TObject* Sender);
  void mnUndoClick(TObject* Sender);
  void mnCutClick(TObject* Sender);
  void mnCopyClick(TObject* Sender);
  void mnPasteClick(TObject* Sender);
  void mnDeleteClick(TObject* Sender);
  void mnInsertDateTimeClick(TObject* Sender);
  void mnSearchAtGoogleClick(TObject* Sender);
  void mnColorPopup(TTBCustomItem* Sender, bool FromLink);
  void tbTextColorChange(TObject* Sender);
  void mnFontClick(TObject* Sender);
  void mnNumberingClick(TObject* Sender);
  void mnLineSpacingPopup(TTBCustomItem* Sender, bool FromLink);
  void mnLineSpaceClick(TObject* Sender);
  void mnBoldClick(TObject* Sender);
  void mnItalicClick(TObject* Sender);
  void mnUnderlineClick(TObject* Sender);
  void mnStrikeoutClick(TObject* Sender);
  void mnJustifyClick(TObject* Sender);
  // Line spacing of the selection's paragraphs: the spacing value the control reports, and a
  // tag (20 single, 30 one and a half, 40 double; 0 counts as single) written or ticked.
  int GetLineSpacing();
  void SetLineSpacing(int Tag);
  void CheckLineSpacingItem(int Tag);
  // Sending the note elsewhere (NotePrinting.cpp, NoteSending.cpp).
  void mnPrintClick(TObject* Sender);
  void tbSendMailClick(TObject* Sender);
  void tbTweetClick(TObject* Sender);

 protected:
  void CreateParams(TCreateParams& params) override;

 private:
  void CreateComponents();
  void CreateNoteMenu();
  void CreateEditorMenu();
  // A style toggle: the item's check mark turned over, and the selection gains or loses the
  // style as it says.
  void ToggleStyle(TTBCustomItem* Item, TFontStyles Style);
  String SelectionToShow();
  void DrawButtonGlyphs();
  void EndTitleEdit();
  void FocusEditor();
  // After a save that failed as the note closed: true when the note stays open.
  bool KeepOpenAfterFailedSave(const String& path, const String& failure);
};

// The text of a date-time value: the date alone for a whole day, the time alone below one
// day, else both, in the user's formats.
String DateTimeText(TDateTime value);

// The search item's caption for the selected text: trimmed, at most 40 characters and "...",
// in one line, with "&" shown as typed.
String SearchItemCaption(const String& Selected);

// The notes that are open and not on their way out, in the screen's order.
std::vector<TFR_NOTE*> OpenNotes();
