// The note editor's context menu: editing, formatting of the selection and of its paragraphs,
// line spacing, the date and time, and a web search for the selected text.
#include "app/MenuSupport.h"
#include "app/TFR_NOTE.h"
#include "app/WebLinks.h"

namespace {

// The editor's menu: a shortcut of its items is used up by the menu even when the item refuses
// it (nothing selected, say), so that the control's own handling of the same keys (line spacing,
// bold, a tab typed for Ctrl+I) never goes around the menu's state.
class TEditorPopupMenu : public TTBXPopupMenu {
 public:
  using TTBXPopupMenu::TTBXPopupMenu;
  bool IsShortCut(TWMKey& Message) override {
    if (TTBXPopupMenu::IsShortCut(Message)) return true;
    const TShortCut shortCut = ShortCut(Message.CharCode, KeyDataToShiftState(Message.KeyData));
    TTBCustomItem* top = nullptr;
    return shortCut != 0 && Items()->FindItemWithShortCut(shortCut, top) != nullptr;
  }
};

constexpr size_t kSearchCaptionLength = 40;

int LineSpacingRule(int Tag) {
  switch (Tag) {
    case 30: return 1;
    case 40: return 2;
    default: return 0;
  }
}

}  // namespace

String SearchItemCaption(const String& Selected) {
  String shown = Trim(Selected);
  if (shown.size() > kSearchCaptionLength) {
    size_t cut = kSearchCaptionLength;
    if (IS_HIGH_SURROGATE(shown[cut - 1])) --cut;  // a pair stays whole
    shown = shown.substr(0, cut) + L"...";
  }
  String caption = L"Search at Google for '";
  for (wchar_t c : shown) {
    // One line: a tab would start the item's shortcut column, a line break a second line.
    if (c < L' ') c = L' ';
    caption += c;
    if (c == L'&') caption += L'&';  // shown, not an accelerator
  }
  return caption + L"'";
}

// The editor's menu, top to bottom.
void TFR_NOTE::CreateEditorMenu() {
  pmRichTextEditor = new TEditorPopupMenu(this);
  pmRichTextEditor->SetName(L"pmRichTextEditor");
  pmRichTextEditor->OnPopup = TNotifyEvent(this, &TFR_NOTE::pmRichTextEditorPopup);
  TTBCustomItem* root = pmRichTextEditor->Items();
  auto item = [&](TTBCustomItem* parent, const wchar_t* name, const wchar_t* caption, int image,
                  void (TFR_NOTE::*handler)(TObject*), TShortCut shortCut = 0, int tag = 0) {
    TTBXItem* made = AddMenuItem<TTBXItem>(this, parent, name, caption, image, TNotifyEvent(this, handler));
    made->SetShortCut(shortCut);
    made->SetTag(tag);
    return made;
  };
  auto separator = [&](const wchar_t* name) { return AddMenuItem<TTBXSeparatorItem>(this, root, name); };
  const auto ctrl = [](WORD key) { return ShortCut(key, ssCtrl); };

  mnUndo = item(root, L"mnUndo", L"Undo", 0, &TFR_NOTE::mnUndoClick);
  mnSep1 = separator(L"mnSep1");
  mnCut = item(root, L"mnCut", L"Cut", 1, &TFR_NOTE::mnCutClick);
  mnCopy = item(root, L"mnCopy", L"Copy", 2, &TFR_NOTE::mnCopyClick);
  mnPaste = item(root, L"mnPaste", L"Paste", 3, &TFR_NOTE::mnPasteClick);
  mnDelete = item(root, L"mnDelete", L"Delete", 4, &TFR_NOTE::mnDeleteClick);
  tbDeleteNote = item(root, L"tbDeleteNote", L"Note Delete", -1, &TFR_NOTE::mnDeleteNoteClick, ctrl(VK_DELETE));
  tbDeleteNote->SetVisible(false);
  mnSep2 = separator(L"mnSep2");
  mnInsertDateTime = item(root, L"mnInsertDateTime", L"Insert Date and Time", -1,
                          &TFR_NOTE::mnInsertDateTimeClick, ctrl('D'));
  mnSearchAtGoogle = item(root, L"mnSearchAtGoogle", L"", -1, &TFR_NOTE::mnSearchAtGoogleClick, ctrl('G'));
  TBXSeparatorItem2 = separator(L"TBXSeparatorItem2");
  mnColor = AddMenuItem<TTBXSubmenuItem>(this, root, L"mnColor", L"Font Color...", 9);
  mnColor->OnPopup = TTBPopupEvent(this, &TFR_NOTE::mnColorPopup);
  tbTextColor = AddMenuItem<TTBXColorPalette>(this, mnColor, L"tbTextColor");
  tbTextColor->SetPaletteOptions(tpoCustomImages);
  tbTextColor->OnChange = TNotifyEvent(this, &TFR_NOTE::tbTextColorChange);
  mnFont = item(root, L"mnFont", L"Font...", 16, &TFR_NOTE::mnFontClick);
  TBXSeparatorItem3 = separator(L"TBXSeparatorItem3");
  mnNumbering = item(root, L"mnNumbering", L"Bullets...", 13, &TFR_NOTE::mnNumberingClick,
                     ShortCut('L', ssCtrl | ssShift));
  mnLineSpacing = AddMenuItem<TTBXSubmenuItem>(this, root, L"mnLineSpacing", L"Line Spacing");
  mnLineSpacing->OnPopup = TTBPopupEvent(this, &TFR_NOTE::mnLineSpacingPopup);
  mnSingleSpace = item(mnLineSpacing, L"mnSingleSpace", L"Single", -1, &TFR_NOTE::mnLineSpaceClick, ctrl('1'), 20);
  mnOneAndHalfSpace = item(mnLineSpacing, L"mnOneAndHalfSpace", L"One and Half", -1, &TFR_NOTE::mnLineSpaceClick,
                           ctrl('2'), 30);
  mnDoubleSpace = item(mnLineSpacing, L"mnDoubleSpace", L"Double", -1, &TFR_NOTE::mnLineSpaceClick, ctrl('5'), 40);
  for (TTBCustomItem* spacing : {mnSingleSpace, mnOneAndHalfSpace, mnDoubleSpace}) {
    spacing->SetRadioItem(true);
    spacing->SetGroupIndex(1);
  }
  TBXSeparatorItem4 = separator(L"TBXSeparatorItem4");
  mnBold = item(root, L"mnBold", L"Bold", 7, &TFR_NOTE::mnBoldClick, ctrl('B'));
  mnItalic = item(root, L"mnItalic", L"Italic", 8, &TFR_NOTE::mnItalicClick, ctrl('I'));
  mnUnderline = item(root, L"mnUnderline", L"Underline", 6, &TFR_NOTE::mnUnderlineClick, ctrl('U'));
  mnStrikeout = item(root, L"mnStrikeout", L"Strikeout", 15, &TFR_NOTE::mnStrikeoutClick, ctrl('T'));
  mnSep3 = separator(L"mnSep3");
  mnLeftJ = item(root, L"mnLeftJ", L"Left Justify", 11, &TFR_NOTE::mnJustifyClick, ctrl('L'), 0);
  mnRightJ = item(root, L"mnRightJ", L"Right Justify", 12, &TFR_NOTE::mnJustifyClick, ctrl('R'), 1);
  mnCenterJ = item(root, L"mnCenterJ", L"Center", 10, &TFR_NOTE::mnJustifyClick, ctrl('E'), 2);
}

// ---------------------------------------------------------------------------------------------
// The menu's state. Shortcut keys run this too, before their command: it stays cheap on a long
// selection.

void TFR_NOTE::pmRichTextEditorPopup(TObject*) {
  const bool selection = reEdit->SelLength() > 0;
  for (TTBCustomItem* item : std::initializer_list<TTBCustomItem*>{
           mnCut, mnCopy, mnDelete, mnBold, mnItalic, mnUnderline, mnStrikeout, mnColor, mnFont, mnNumbering,
           mnLineSpacing})
    item->SetEnabled(selection);
  mnUndo->SetEnabled(reEdit->CanUndo());
  mnPaste->SetEnabled(IsClipboardFormatAvailable(CF_TEXT) != FALSE);

  TParaAttributes& paragraph = reEdit->Paragraph();
  mnNumbering->SetChecked(paragraph.Numbering() != TNumberingStyle::nsNone);
  const TAlignment alignment = paragraph.Alignment();
  mnLeftJ->SetChecked(alignment == TAlignment::taLeftJustify);
  mnRightJ->SetChecked(alignment == TAlignment::taRightJustify);
  mnCenterJ->SetChecked(alignment == TAlignment::taCenter);
  const TFontStyles style = reEdit->SelAttributes().Style();
  mnBold->SetChecked((style & fsBold) != 0);
  mnItalic->SetChecked((style & fsItalic) != 0);
  mnUnderline->SetChecked((style & fsUnderline) != 0);
  mnStrikeout->SetChecked((style & fsStrikeOut) != 0);

  mnSearchAtGoogle->SetVisible(selection);
  if (selection) mnSearchAtGoogle->SetCaption(SearchItemCaption(SelectionToShow()));
}

// The selected text as far as the search item's caption shows it. A long selection is read from
// its start only, when that much already fills the caption: copying all of a long note's text on
// every shortcut key would cost more than the rest of the menu's state.
String TFR_NOTE::SelectionToShow() {
  constexpr int kHead = 256;
  const int length = reEdit->SelLength();
  if (length > kHead) {
    const int start = reEdit->SelStart();
    String head = reEdit->TextRange(start, start + kHead);
    if (Trim(head).size() > kSearchCaptionLength) return head;
  }
  return reEdit->SelText();
}

// ---------------------------------------------------------------------------------------------
// Commands. Each that changes the text or its formatting restarts the autosave itself: the control
// reports no change for formatting.

void TFR_NOTE::mnUndoClick(TObject*) {
  reEdit->Undo();
  RestartSaveTimer();
}

void TFR_NOTE::mnCutClick(TObject*) {
  reEdit->CutToClipboard();
  RestartSaveTimer();
}

void TFR_NOTE::mnCopyClick(TObject*) { reEdit->CopyToClipboard(); }

void TFR_NOTE::mnPasteClick(TObject*) {
  reEdit->PasteFromClipboard();
  RestartSaveTimer();
}

void TFR_NOTE::mnDeleteClick(TObject*) {
  reEdit->ClearSelection();
  RestartSaveTimer();
}

void TFR_NOTE::mnInsertDateTimeClick(TObject*) {
  reEdit->SetSelText(DateTimeToStr(Now()));
  RestartSaveTimer();
}

void TFR_NOTE::mnSearchAtGoogleClick(TObject*) {
  const String text = Trim(reEdit->SelText());
  if (!text.empty()) OpenUrl(WebSearchAddress(text));
}

void TFR_NOTE::mnColorPopup(TTBCustomItem*, bool) {
  PresetPaletteColor(*tbTextColor, reEdit->SelAttributes().Color());
}

// Runs inside the menu's loop, while the menu is still open.
void TFR_NOTE::tbTextColorChange(TObject*) {
  reEdit->SelAttributes().SetColor(tbTextColor->Color());
  RestartSaveTimer();
}

void TFR_NOTE::mnFontClick(TObject*) {
  TTextAttributes& selected = reEdit->SelAttributes();
  TFont& font = fdFont->Font();
  font.SetName(selected.Name());
  font.SetSize(selected.Size());
  font.SetStyle(selected.Style());
  if (!fdFont->Execute(Handle())) return;
  selected.SetName(font.Name());
  selected.SetSize(font.Size());
  selected.SetStyle(font.Style());
  RestartSaveTimer();
}

void TFR_NOTE::mnNumberingClick(TObject*) {
  mnNumbering->SetChecked(!mnNumbering->Checked());
  reEdit->Paragraph().SetNumbering(mnNumbering->Checked() ? TNumberingStyle::nsBullet : TNumberingStyle::nsNone);
  RestartSaveTimer();
}

void TFR_NOTE::mnJustifyClick(TObject* Sender) {
  if (auto* item = dynamic_cast<TTBCustomItem*>(Sender)) {
    reEdit->Paragraph().SetAlignment(static_cast<TAlignment>(item->Tag()));
    RestartSaveTimer();
  }
}

void TFR_NOTE::ToggleStyle(TTBCustomItem* Item, TFontStyles Style) {
  Item->SetChecked(!Item->Checked());
  reEdit->SelAttributes().SetStyleOf(Style, Item->Checked());
  RestartSaveTimer();
}

void TFR_NOTE::mnBoldClick(TObject*) { ToggleStyle(mnBold, fsBold); }
void TFR_NOTE::mnItalicClick(TObject*) { ToggleStyle(mnItalic, fsItalic); }
void TFR_NOTE::mnUnderlineClick(TObject*) { ToggleStyle(mnUnderline, fsUnderline); }
void TFR_NOTE::mnStrikeoutClick(TObject*) { ToggleStyle(mnStrikeout, fsStrikeOut); }

// ---------------------------------------------------------------------------------------------
// Line spacing

int TFR_NOTE::GetLineSpacing() { return reEdit->Paragraph().LineSpacing(); }

void TFR_NOTE::SetLineSpacing(int Tag) {
  reEdit->Paragraph().SetLineSpacing(static_cast<BYTE>(LineSpacingRule(Tag)), Tag);
}

void TFR_NOTE::CheckLineSpacingItem(int Tag) {
  switch (Tag) {
    case 0:
    case 20: mnSingleSpace->SetChecked(true); break;
    case 30: mnOneAndHalfSpace->SetChecked(true); break;
    case 40: mnDoubleSpace->SetChecked(true); break;
    default: break;
  }
}

void TFR_NOTE::mnLineSpacingPopup(TTBCustomItem*, bool) { CheckLineSpacingItem(GetLineSpacing()); }

void TFR_NOTE::mnLineSpaceClick(TObject* Sender) {
  auto* item = dynamic_cast<TTBCustomItem*>(Sender);
  if (!item) return;
  const int tag = static_cast<int>(item->Tag());
  CheckLineSpacingItem(tag);
  SetLineSpacing(tag);
  RestartSaveTimer();
}
