// The note editor's context menu: its items, its state for the selection, its commands on a live
// editor, its shortcuts with real key input, and the autosave its formatting starts.
#include "AppFixture.h"
#include "MenuTables.h"
#include "common/MenuTestSupport.h"

#include "app/WebLinks.h"
#include "classlib/TextConv.h"

#include <richedit.h>

#include <functional>

using namespace app_testing;
using testing_support::PressKeys;
using testing_support::PumpMessages;
using testing_support::PumpUntil;

namespace {

// Answers the font dialog as a user would who chose this font (and a colour, which the editor
// must not take).
class TChosenFont : public seams::TCommonDialogs {
 public:
  LOGFONTW Chosen{};
  COLORREF ChosenColor = RGB(255, 0, 0);
  bool Answer = true;
  LOGFONTW Preset{};
  DWORD Flags = 0;
  int Runs = 0;
  bool ShowFontDialog(CHOOSEFONTW& data) override {
    ++Runs;
    Preset = *data.lpLogFont;
    Flags = data.Flags;
    if (!Answer) return false;
    *data.lpLogFont = Chosen;
    data.rgbColors = ChosenColor;
    return true;
  }
};

void SetClipboardText(const wchar_t* text) {
  if (!text) return testing_support::SetClipboardFormats({});
  testing_support::SetClipboardFormats({{CF_UNICODETEXT, testing_support::UnicodeTextBytes(text)}});
}

int ScreenPixelsPerInch() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

}  // namespace

class EditorMenuTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    CreateMainFormWithNotesFolder();
    testing_support::Shell().Requests.clear();
  }
  // A shown note holding the text, selected from start for length characters.
  TFR_NOTE* NoteWith(const String& text, int start = 0, int length = 0) {
    note = NewNote(text);
    note->SetBounds(300, 200, 200, 200);
    note->reEdit->SetSelStart(start);
    note->reEdit->SetSelLength(length);
    return note;
  }
  // The menu's state as it opens.
  void Opened() { note->pmRichTextEditorPopup(note->pmRichTextEditor); }
  TTextAttributes& Selected() { return note->reEdit->SelAttributes(); }
  String PathOfNote() const { return NotesFolder() + note->FileName; }
  void FocusForKeys() { FocusEditorForKeys(note); }
  TFR_NOTE* note = nullptr;
  testing_support::TMenuDriver whileOpen_;
};

TEST_F(EditorMenuTest, TheEditorMenuListsItsCommandsInOrder) {
  NoteWith(L"");
  using N = TFR_NOTE;
  auto handler = [this](void (N::*method)(TObject*)) { return TNotifyEvent(note, method); };
  const auto ctrl = [](WORD key) { return ShortCut(key, ssCtrl); };
  ExpectItems(note, note->pmRichTextEditor->Items(),
              {{L"mnUndo", TKind::Item, L"Undo", 0, 0, 0, handler(&N::mnUndoClick)},
               {L"mnSep1", TKind::Separator, L"", -1, 0, 0, nullptr},
               {L"mnCut", TKind::Item, L"Cut", 1, 0, 0, handler(&N::mnCutClick)},
               {L"mnCopy", TKind::Item, L"Copy", 2, 0, 0, handler(&N::mnCopyClick)},
               {L"mnPaste", TKind::Item, L"Paste", 3, 0, 0, handler(&N::mnPasteClick)},
               {L"mnDelete", TKind::Item, L"Delete", 4, 0, 0, handler(&N::mnDeleteClick)},
               {L"tbDeleteNote", TKind::Item, L"Note Delete", -1, ctrl(VK_DELETE), 0, handler(&N::mnDeleteNoteClick)},
               {L"mnSep2", TKind::Separator, L"", -1, 0, 0, nullptr},
               {L"mnInsertDateTime", TKind::Item, L"Insert Date and Time", -1, ctrl('D'), 0,
                handler(&N::mnInsertDateTimeClick)},
               {L"mnSearchAtGoogle", TKind::Item, L"", -1, ctrl('G'), 0, handler(&N::mnSearchAtGoogleClick)},
               {L"TBXSeparatorItem2", TKind::Separator, L"", -1, 0, 0, nullptr},
               {L"mnColor", TKind::Submenu, L"Font Color...", 9, 0, 0, nullptr},
               {L"mnFont", TKind::Item, L"Font...", 16, 0, 0, handler(&N::mnFontClick)},
               {L"TBXSeparatorItem3", TKind::Separator, L"", -1, 0, 0, nullptr},
               {L"mnNumbering", TKind::Item, L"Bullets...", 13, ShortCut('L', ssCtrl | ssShift), 0,
                handler(&N::mnNumberingClick)},
               {L"mnLineSpacing", TKind::Submenu, L"Line Spacing", -1, 0, 0, nullptr},
               {L"TBXSeparatorItem4", TKind::Separator, L"", -1, 0, 0, nullptr},
               {L"mnBold", TKind::Item, L"Bold", 7, ctrl('B'), 0, handler(&N::mnBoldClick)},
               {L"mnItalic", TKind::Item, L"Italic", 8, ctrl('I'), 0, handler(&N::mnItalicClick)},
               {L"mnUnderline", TKind::Item, L"Underline", 6, ctrl('U'), 0, handler(&N::mnUnderlineClick)},
               {L"mnStrikeout", TKind::Item, L"Strikeout", 15, ctrl('T'), 0, handler(&N::mnStrikeoutClick)},
               {L"mnSep3", TKind::Separator, L"", -1, 0, 0, nullptr},
               {L"mnLeftJ", TKind::Item, L"Left Justify", 11, ctrl('L'), 0, handler(&N::mnJustifyClick)},
               {L"mnRightJ", TKind::Item, L"Right Justify", 12, ctrl('R'), 1, handler(&N::mnJustifyClick)},
               {L"mnCenterJ", TKind::Item, L"Center", 10, ctrl('E'), 2, handler(&N::mnJustifyClick)}});
  ExpectItems(note, note->mnLineSpacing,
              {{L"mnSingleSpace", TKind::Item, L"Single", -1, ctrl('1'), 20, handler(&N::mnLineSpaceClick)},
               {L"mnOneAndHalfSpace", TKind::Item, L"One and Half", -1, ctrl('2'), 30, handler(&N::mnLineSpaceClick)},
               {L"mnDoubleSpace", TKind::Item, L"Double", -1, ctrl('5'), 40, handler(&N::mnLineSpaceClick)}});
  for (int i = 0; i < note->mnLineSpacing->Count(); ++i) {
    EXPECT_TRUE(note->mnLineSpacing->Items(i)->RadioItem());
    EXPECT_EQ(1, note->mnLineSpacing->Items(i)->GroupIndex());
  }
  EXPECT_FALSE(note->tbDeleteNote->Visible());
  EXPECT_TRUE(note->mnColor->OnPopup == TTBPopupEvent(note, &TFR_NOTE::mnColorPopup));
  EXPECT_TRUE(note->mnLineSpacing->OnPopup == TTBPopupEvent(note, &TFR_NOTE::mnLineSpacingPopup));
  ASSERT_EQ(1, note->mnColor->Count());
  EXPECT_EQ(note->tbTextColor, note->mnColor->Items(0));
  EXPECT_EQ(nullptr, note->tbTextColor->ColorSet()) << "the built-in colours";
  EXPECT_EQ(tpoCustomImages, note->tbTextColor->PaletteOptions());
  EXPECT_TRUE(note->tbTextColor->OnChange == TNotifyEvent(note, &TFR_NOTE::tbTextColorChange));
  EXPECT_TRUE(note->pmRichTextEditor->OnPopup == TNotifyEvent(note, &TFR_NOTE::pmRichTextEditorPopup));
  EXPECT_EQ(note->pmRichTextEditor, note->reEdit->PopupMenu());
  EXPECT_EQ(note->ilEditor, note->pmRichTextEditor->Images());
  EXPECT_EQ(L"Tahoma", note->fdFont->Font().Name());
  EXPECT_EQ(0u, note->fdFont->Options());
}

TEST_F(EditorMenuTest, TheMenusStateFollowsTheSelectionAndItsParagraph) {
  struct TCase {
    const char* Name;
    String Text;
    int Start, Length;
    std::function<void(TFR_NOTE*)> Prepare;
    String Caption;  // of the search item; empty: hidden
    std::vector<const wchar_t*> Checked;
  };
  const String fifty = L"abcdefghij0123456789ABCDEFGHIJ0123456789klmnopqrst";
  const TCase cases[] = {
      {"no selection", L"hello world", 3, 0, nullptr, L"", {L"mnLeftJ"}},
      {"blanks around", L"  hello  ", 0, 9, nullptr, L"Search at Google for 'hello'", {L"mnLeftJ"}},
      {"50 characters", fifty, 0, 50, nullptr, L"Search at Google for '" + fifty.substr(0, 40) + L"...'", {L"mnLeftJ"}},
      {"an ampersand", L"salt & pepper", 0, 13, nullptr, L"Search at Google for 'salt && pepper'", {L"mnLeftJ"}},
      {"bold italic", L"strong words", 0, 6,
       [](TFR_NOTE* n) { n->reEdit->SelAttributes().SetStyle(fsBold | fsItalic); },
       L"Search at Google for 'strong'", {L"mnLeftJ", L"mnBold", L"mnItalic"}},
      {"bulleted, centred", L"first\r\nsecond", 6, 3,
       [](TFR_NOTE* n) {
         n->reEdit->Paragraph().SetNumbering(TNumberingStyle::nsBullet);
         n->reEdit->Paragraph().SetAlignment(TAlignment::taCenter);
       },
       L"Search at Google for 'sec'", {L"mnNumbering", L"mnCenterJ"}},
  };
  SetClipboardText(nullptr);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    NoteWith(c.Text, c.Start, c.Length);
    if (c.Prepare) c.Prepare(note);
    note->reEdit->ClearUndo();
    Opened();
    const bool selection = c.Length > 0;
    for (TTBCustomItem* item : std::vector<TTBCustomItem*>{note->mnCut, note->mnCopy, note->mnDelete, note->mnBold,
                                                           note->mnItalic, note->mnUnderline, note->mnStrikeout,
                                                           note->mnColor, note->mnFont, note->mnNumbering,
                                                           note->mnLineSpacing})
      EXPECT_EQ(selection, item->Enabled()) << WideToUtf8(item->Name());
    EXPECT_FALSE(note->mnUndo->Enabled());
    EXPECT_FALSE(note->mnPaste->Enabled()) << "nothing on the clipboard";
    for (TTBCustomItem* item : {note->mnInsertDateTime, note->mnSearchAtGoogle, note->mnLeftJ})
      EXPECT_TRUE(item->Enabled()) << WideToUtf8(item->Name());
    EXPECT_EQ(!c.Caption.empty(), note->mnSearchAtGoogle->Visible());
    if (!c.Caption.empty()) {
      EXPECT_EQ(c.Caption, note->mnSearchAtGoogle->Caption());
    }
    for (int i = 0; i < note->pmRichTextEditor->Items()->Count(); ++i) {
      TTBCustomItem* item = note->pmRichTextEditor->Items()->Items(i);
      const bool ticked = std::any_of(c.Checked.begin(), c.Checked.end(),
                                      [&](const wchar_t* name) { return item->Name() == name; });
      EXPECT_EQ(ticked, item->Checked()) << WideToUtf8(item->Name());
    }
    note->Free();
  }

  // Undo and Paste follow the editor and the clipboard.
  NoteWith(L"some text", 0, 4);
  note->reEdit->ClearUndo();
  note->reEdit->SetSelText(L"more");
  SetClipboardText(L"pasted");
  Opened();
  EXPECT_TRUE(note->mnUndo->Enabled());
  EXPECT_TRUE(note->mnPaste->Enabled());
}

TEST_F(EditorMenuTest, TheSearchCaptionShowsTheSelectionInOneLineWithoutSplittingACharacter) {
  const String emoji = L"\U0001F600";  // a surrogate pair
  const struct {
    String Selected, Shown;
  } cases[] = {
      {L"\t word \r\n", L"word"},
      {L"one\ttwo\r\nthree", L"one two  three"},
      {L"a&&b", L"a&&&&b"},
      {String(39, L'x') + emoji + L"yz", String(39, L'x') + L"..."},
      {String(38, L'x') + emoji + L"yz", String(38, L'x') + emoji + L"..."},
      {String(40, L'x'), String(40, L'x')},
  };
  for (const auto& c : cases)
    EXPECT_EQ(L"Search at Google for '" + c.Shown + L"'", SearchItemCaption(c.Selected))
        << WideToUtf8(c.Selected);

  // Long selections in the editor, whose start alone may or may not fill the caption.
  const struct {
    String Text, Shown;
  } selections[] = {
      {L"  " + String(1000, L'x') + L"  ", String(40, L'x') + L"..."},
      {L"ab" + String(300, L' ') + L"cd", L"ab" + String(38, L' ') + L"..."},
      {String(300, L' ') + L"tail", L"tail"},
  };
  for (const auto& s : selections) {
    NoteWith(s.Text, 0, static_cast<int>(s.Text.size()));
    Opened();
    EXPECT_EQ(L"Search at Google for '" + s.Shown + L"'", note->mnSearchAtGoogle->Caption()) << s.Text.size();
    note->Free();
  }
}

TEST_F(EditorMenuTest, StyleTogglesFollowTheStateShownAndKeepTheOtherStyles) {
  NoteWith(L"bold and italic", 0, 4);
  Selected().SetStyle(fsItalic);
  Opened();
  note->mnBold->Click();
  EXPECT_EQ(fsBold | fsItalic, Selected().Style());
  EXPECT_TRUE(note->mnBold->Checked());
  Opened();
  note->mnBold->Click();
  EXPECT_EQ(fsItalic, Selected().Style()) << "bold twice keeps the italic";

  // A mixed selection: each character keeps its own other styles.
  note->reEdit->SetSelStart(5);
  note->reEdit->SetSelLength(3);
  Selected().SetStyle(fsUnderline);
  note->reEdit->SelectAll();
  Opened();
  note->mnStrikeout->Click();
  note->reEdit->SetSelStart(0);
  note->reEdit->SetSelLength(4);
  EXPECT_EQ(fsItalic | fsStrikeOut, Selected().Style());
  note->reEdit->SetSelStart(5);
  note->reEdit->SetSelLength(3);
  EXPECT_EQ(fsUnderline | fsStrikeOut, Selected().Style());
  note->reEdit->SetSelStart(9);
  note->reEdit->SetSelLength(6);
  EXPECT_EQ(fsStrikeOut, Selected().Style());
  Opened();
  note->mnStrikeout->Click();
  note->mnItalic->Click();
  note->mnUnderline->Click();
  EXPECT_EQ(fsItalic | fsUnderline, Selected().Style());
}

TEST_F(EditorMenuTest, LineSpacingIsWrittenReadBackAndTickedWhenTheSubmenuOpens) {
  NoteWith(L"one\r\ntwo", 0, 3);
  const struct {
    TTBCustomItem* Item;
    int Rule, Spacing;
  } cases[] = {{note->mnDoubleSpace, 2, 40}, {note->mnOneAndHalfSpace, 1, 30}, {note->mnSingleSpace, 0, 20}};
  for (const auto& c : cases) {
    SCOPED_TRACE(WideToUtf8(c.Item->Name()));
    c.Item->Click();
    EXPECT_EQ(c.Rule, note->reEdit->Paragraph().LineSpacingRule());
    EXPECT_EQ(c.Spacing, note->GetLineSpacing());
    for (TTBCustomItem* other : {note->mnSingleSpace, note->mnOneAndHalfSpace, note->mnDoubleSpace})
      other->SetChecked(false);
    note->mnLineSpacingPopup(note->mnLineSpacing, false);
    for (TTBCustomItem* other : {note->mnSingleSpace, note->mnOneAndHalfSpace, note->mnDoubleSpace})
      EXPECT_EQ(other == c.Item, other->Checked()) << WideToUtf8(other->Name());
  }
  // Only the selection's paragraph changed; the other reads 0 and shows "Single".
  note->mnDoubleSpace->Click();
  note->reEdit->SetSelStart(5);
  EXPECT_EQ(0, note->GetLineSpacing());
  note->mnLineSpacingPopup(note->mnLineSpacing, false);
  EXPECT_TRUE(note->mnSingleSpace->Checked());
  EXPECT_FALSE(note->mnDoubleSpace->Checked());
  // A value no item stands for ticks nothing new.
  note->CheckLineSpacingItem(55);
  EXPECT_TRUE(note->mnSingleSpace->Checked());
}

TEST_F(EditorMenuTest, BulletsAlignmentDateAndTheEditingCommandsActOnTheEditor) {
  NoteWith(L"first\r\nsecond", 8, 2);
  Opened();
  note->mnNumbering->Click();
  EXPECT_EQ(TNumberingStyle::nsBullet, note->reEdit->Paragraph().Numbering());
  note->mnNumbering->Click();
  EXPECT_EQ(TNumberingStyle::nsNone, note->reEdit->Paragraph().Numbering());
  for (TTBCustomItem* item : {note->mnCenterJ, note->mnRightJ, note->mnLeftJ}) {
    item->Click();
    EXPECT_EQ(static_cast<TAlignment>(item->Tag()), note->reEdit->Paragraph().Alignment());
    note->reEdit->SetSelStart(0);
    EXPECT_EQ(TAlignment::taLeftJustify, note->reEdit->Paragraph().Alignment()) << "the first paragraph stays";
    note->reEdit->SetSelStart(8);
  }

  // The date and time in the user's format (the test's locale: US English), over the selection.
  // Each command runs as from the menu: its state is made as it opens. A paragraph break counts
  // one position.
  auto select = [&](int start, int length) {
    note->reEdit->SetSelStart(start);
    note->reEdit->SetSelLength(length);
    Opened();
  };
  select(0, 5);
  clock_.Value = 46365.75;
  note->mnInsertDateTime->Click();
  EXPECT_EQ(L"12/9/2026 6:00:00 PM\r\nsecond", note->reEdit->Text());
  Opened();
  note->mnUndo->Click();
  EXPECT_EQ(L"first\r\nsecond", note->reEdit->Text());

  SetClipboardText(nullptr);
  select(0, 5);
  EXPECT_FALSE(note->mnPaste->Enabled());
  note->mnCut->Click();
  EXPECT_EQ(L"\r\nsecond", note->reEdit->Text());
  select(7, 0);
  EXPECT_TRUE(note->mnPaste->Enabled()) << "the cut text is on the clipboard";
  note->mnPaste->Click();
  EXPECT_EQ(L"\r\nsecondfirst", note->reEdit->Text());
  select(1, 3);
  note->mnCopy->Click();
  note->mnDelete->Click();
  EXPECT_EQ(L"\r\nondfirst", note->reEdit->Text());
  select(0, 0);
  note->mnPaste->Click();
  EXPECT_EQ(L"sec\r\nondfirst", note->reEdit->Text());
}

TEST_F(EditorMenuTest, TheFontDialogAppliesNameSizeAndStyleButNotColour) {
  TChosenFont dialog;
  seams::Scoped<seams::TCommonDialogs> use(dialog);
  NoteWith(L"plain text", 0, 5);
  Selected().SetColor(0x00AA00);
  Selected().SetStyle(fsItalic | fsUnderline);
  Selected().SetName(L"Arial");
  Selected().SetSize(12);

  dialog.Answer = false;
  note->mnFont->Click();
  EXPECT_EQ(1, dialog.Runs);
  EXPECT_STREQ(L"Arial", dialog.Preset.lfFaceName);
  EXPECT_TRUE(dialog.Preset.lfItalic);
  EXPECT_EQ(0u, dialog.Flags & CF_EFFECTS);
  EXPECT_EQ(L"Arial", Selected().Name()) << "cancelled: nothing changes";

  dialog.Answer = true;
  dialog.Chosen = dialog.Preset;
  wcscpy(dialog.Chosen.lfFaceName, L"Courier New");
  dialog.Chosen.lfHeight = -MulDiv(20, ScreenPixelsPerInch(), 72);
  dialog.Chosen.lfWeight = FW_BOLD;
  dialog.Chosen.lfItalic = FALSE;
  // The dialog has no effects part: it can neither show nor change the underline, which stays.
  dialog.Chosen.lfUnderline = FALSE;
  note->mnFont->Click();
  EXPECT_EQ(L"Courier New", Selected().Name());
  EXPECT_EQ(20, Selected().Size());
  EXPECT_EQ(fsBold | fsUnderline, Selected().Style());
  EXPECT_EQ(static_cast<TColor>(0x00AA00), Selected().Color()) << "the colour stays";
  note->reEdit->SetSelStart(6);
  note->reEdit->SetSelLength(4);
  EXPECT_NE(L"Courier New", Selected().Name()) << "only the selection";
}

TEST_F(EditorMenuTest, TheFontColourPaletteShowsTheSelectionsColourAndColoursIt) {
  NoteWith(L"colour me", 0, 6);
  Selected().SetColor(0x0000FF);  // red, one of the built-in colours
  int changes = 0;
  struct TSpy : TObject {
    TFR_NOTE* Note;
    int* Changes;
    void Change(TObject* Sender) {
      ++*Changes;
      Note->tbTextColorChange(Sender);
    }
  } spy;
  spy.Note = note;
  spy.Changes = &changes;
  note->tbTextColor->OnChange = TNotifyEvent(&spy, &TSpy::Change);
  note->mnColorPopup(note->mnColor, false);
  EXPECT_EQ(static_cast<TColor>(0x0000FF), note->tbTextColor->Color());
  EXPECT_EQ(0, changes) << "showing the colour is no change";
  EXPECT_TRUE(note->tbTextColor->OnChange == TNotifyEvent(&spy, &TSpy::Change)) << "bound again";

  note->tbTextColor->WriteColor(0xFF0000);
  EXPECT_EQ(1, changes);
  EXPECT_EQ(static_cast<TColor>(0xFF0000), Selected().Color());
  note->reEdit->SetSelStart(7);
  note->reEdit->SetSelLength(2);
  EXPECT_NE(static_cast<TColor>(0xFF0000), Selected().Color());
}

TEST_F(EditorMenuTest, TheSearchItemOpensTheEncodedSearchForTheTrimmedSelection) {
  NoteWith(L"  fish & chips  \r\nnext", 0, 16);
  note->mnSearchAtGoogle->Click();
  ASSERT_EQ(1u, testing_support::Shell().Requests.size());
  const auto& r = testing_support::Shell().Requests[0];
  EXPECT_EQ(L"\"" + WebSearchAddress(L"fish & chips") + L"\"", r.File);
  EXPECT_NE(String::npos, r.File.find(L"&q=fish%20%26%20chips&sa=Search\""));
  EXPECT_EQ(L"open", r.Verb);
  // Blanks alone search for nothing.
  note->reEdit->SetSelStart(0);
  note->reEdit->SetSelLength(2);
  note->mnSearchAtGoogle->Click();
  EXPECT_EQ(1u, testing_support::Shell().Requests.size());
}

TEST_F(EditorMenuTest, ShortcutsActWithRealKeysBeforeTheKeyBecomesACharacter) {
  NoteWith(L"make this bold", 0, 4);
  FocusForKeys();
  PressKeys({VK_CONTROL, 'B'});
  EXPECT_EQ(fsBold, Selected().Style());
  PressKeys({VK_CONTROL, 'I'});
  EXPECT_EQ(fsBold | fsItalic, Selected().Style());
  EXPECT_EQ(L"make this bold", note->reEdit->Text()) << "no tab typed over the selection";
  PressKeys({VK_CONTROL, 'B'});
  EXPECT_EQ(fsItalic, Selected().Style());
  PressKeys({VK_CONTROL, VK_SHIFT, 'L'});
  EXPECT_EQ(TNumberingStyle::nsBullet, note->reEdit->Paragraph().Numbering());
  PressKeys({VK_CONTROL, 'E'});
  EXPECT_EQ(TAlignment::taCenter, note->reEdit->Paragraph().Alignment());
  PressKeys({VK_CONTROL, '5'});
  EXPECT_EQ(40, note->GetLineSpacing());

  // Without a selection the formatting shortcuts change nothing and type nothing.
  note->reEdit->SetSelStart(9);
  note->reEdit->SetSelLength(0);
  const std::string before = note->reEdit->RtfText();
  for (WORD key : {'1', '2', 'B', 'I', 'U', 'T'}) PressKeys({VK_CONTROL, key});
  EXPECT_EQ(40, note->GetLineSpacing());
  EXPECT_EQ(L"make this bold", note->reEdit->Text());
  EXPECT_EQ(before, note->reEdit->RtfText());
  // Typing still types.
  PressKeys({'X'});
  EXPECT_EQ(L"make thisx bold", note->reEdit->Text());
}

TEST_F(EditorMenuTest, CtrlDelDeletesTheNoteAndNoToTheQuestionLeavesItAlone) {
  main_->DeleteConfirm = true;
  NoteWith(L"keep me");
  SaveNote(*note, NotesFolder());
  const String path = PathOfNote();
  const std::string saved = ReadBytes(path);
  ASSERT_FALSE(saved.empty());
  FocusForKeys();
  testing_support::MessageBoxes().Answer = IDNO;
  PressKeys({VK_CONTROL, VK_DELETE});
  ASSERT_EQ(1u, testing_support::MessageBoxes().Boxes.size());
  EXPECT_EQ(L"Are you sure want to delete the note?", testing_support::MessageBoxes().Boxes[0].Text);
  EXPECT_EQ(L"Delete Confirmation", testing_support::MessageBoxes().Boxes[0].Caption);
  EXPECT_EQ(1u, OpenNotes().size());
  EXPECT_EQ(L"keep me", note->reEdit->Text());
  EXPECT_EQ(saved, ReadBytes(path));

  testing_support::MessageBoxes().Answer = IDYES;
  PressKeys({VK_CONTROL, VK_DELETE});
  PumpUntil([] { return OpenNotes().empty(); });
  EXPECT_TRUE(OpenNotes().empty());
  EXPECT_FALSE(FileExists(path));
}

TEST_F(EditorMenuTest, BoldFromTheOpenMenuIsSavedTwoSecondsLater) {
  NoteWith(L"buy milk", 4, 4);
  const String path = PathOfNote();
  ASSERT_FALSE(FileExists(path));
  // The menu opens where the user right-clicks into the text; Bold is clicked in it.
  whileOpen_.SetWatchdog(10000);
  whileOpen_.Post([this] {
    auto* popup = dynamic_cast<TTBPopupWindow*>(FindControlAtPos(POINT{330, 230}, true));
    ASSERT_NE(nullptr, popup);
    EXPECT_TRUE(note->mnSearchAtGoogle->Visible()) << "the menu's state was made as it opened";
    EXPECT_EQ(L"Search at Google for 'milk'", note->mnSearchAtGoogle->Caption());
    testing_support::PostMenuClick(testing_support::ItemOnScreen(popup, note->mnBold));
  });
  POINT at{320, 220};
  SendMessageW(note->reEdit->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(note->reEdit->Handle()),
               MAKELPARAM(at.x, at.y));
  EXPECT_FALSE(whileOpen_.WatchdogFired());
  PumpMessages(0);
  EXPECT_EQ(fsBold, Selected().Style());
  // No change event came from the control for the formatting; the command restarted the autosave.
  ASSERT_TRUE(PumpUntil([&] { return FileExists(path); }, 3500)) << "not saved";
  TFR_NOTE* back = new TFR_NOTE(Application);
  LoadNote(*back, NotesFolder(), note->FileName);
  back->reEdit->SetSelStart(4);
  back->reEdit->SetSelLength(4);
  EXPECT_EQ(fsBold, back->reEdit->SelAttributes().Style());
  back->reEdit->SetSelStart(0);
  back->reEdit->SetSelLength(3);
  EXPECT_EQ(0, back->reEdit->SelAttributes().Style());
}
