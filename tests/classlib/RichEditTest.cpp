#include "classlib/RichEdit.h"

#include "classlib/Clipboard.h"
#include "classlib/Forms.h"
#include "classlib/Streams.h"
#include "classlib/TextConv.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <objidl.h>
#include <richedit.h>

#include <functional>
#include <map>
#include <vector>

namespace {

// A form with two editors: one to write, one to read what the first wrote.
class RichEditTest : public testing::Test {
 protected:
  void SetUp() override {
    form_ = new TForm(Application);
    form_->SetBounds(50, 50, 400, 300);
    editor_ = MakeEditor();
    other_ = MakeEditor();
  }
  void TearDown() override {
    form_->Free();
    if (!folder_.empty()) testing_support::RemoveFolderTree(folder_);
  }

  TRichEdit* MakeEditor() {
    auto* editor = new TRichEdit(form_);
    editor->SetParent(form_);
    editor->SetBounds(0, 0, 380, 120);
    editor->Font().SetName(L"Tahoma");
    editor->Font().SetSize(10);
    return editor;
  }

  // Fills the editor with one paragraph per text.
  static void Fill(TRichEdit& editor, const std::vector<String>& paragraphs) {
    String text;
    for (size_t i = 0; i < paragraphs.size(); ++i) text += (i ? L"\r\n" : L"") + paragraphs[i];
    editor.SetText(text);
  }

  // Selects paragraph `index` of the editor (without its break).
  static void SelectParagraph(TRichEdit& editor, int index) {
    int start = 0;
    for (int i = 0; i < index; ++i) start += static_cast<int>(editor.Lines().Get(i).size()) + 1;
    editor.SetSelStart(start);
    editor.SetSelLength(static_cast<int>(editor.Lines().Get(index).size()));
  }

  String Folder() {
    if (folder_.empty()) folder_ = testing_support::MakeTempFolder(L"richedit");
    return folder_;
  }

  TForm* form_ = nullptr;
  TRichEdit* editor_ = nullptr;
  TRichEdit* other_ = nullptr;
  String folder_;
};

// What one paragraph carries through a round trip.
struct TParagraphLook {
  String Text;
  TFontStyles Style = 0;
  String Name = L"Tahoma";
  int Size = 10;
  TColor Color = clWindowText;
  TFontCharset Charset = DEFAULT_CHARSET;
  TNumberingStyle Numbering = TNumberingStyle::nsNone;
  TAlignment Alignment = TAlignment::taLeftJustify;
};

const std::vector<TParagraphLook>& Looks() {
  static const std::vector<TParagraphLook> looks = [] {
    std::vector<TParagraphLook> v(9);
    v[0].Text = L"plain words";
    v[1].Text = L"bold words";
    v[1].Style = fsBold;
    v[2].Text = L"italic words";
    v[2].Style = fsItalic;
    v[3].Text = L"underlined words";
    v[3].Style = fsUnderline;
    v[4].Text = L"struck words";
    v[4].Style = fsStrikeOut;
    v[5].Text = L"every style, another font, size and colour";
    v[5].Style = fsBold | fsItalic | fsUnderline | fsStrikeOut;
    v[5].Name = L"Courier New";
    v[5].Size = 14;
    v[5].Color = 0x0000FF;
    v[6].Text = L"a bullet in green";
    v[6].Numbering = TNumberingStyle::nsBullet;
    v[6].Color = 0x00AA00;
    v[7].Text = L"right aligned Turkish text";
    v[7].Alignment = TAlignment::taRightJustify;
    v[7].Charset = TURKISH_CHARSET;
    v[8].Text = L"centred";
    v[8].Alignment = TAlignment::taCenter;
    v[8].Size = 8;
    return v;
  }();
  return looks;
}

void ApplyLooks(TRichEdit& editor) {
  std::vector<String> texts;
  for (const auto& look : Looks()) texts.push_back(look.Text);
  String text;
  for (size_t i = 0; i < texts.size(); ++i) text += (i ? L"\r\n" : L"") + texts[i];
  editor.SetText(text);
  int start = 0;
  for (const auto& look : Looks()) {
    editor.SetSelStart(start);
    editor.SetSelLength(static_cast<int>(look.Text.size()));
    TTextAttributes& a = editor.SelAttributes();
    a.SetStyle(look.Style);
    a.SetName(look.Name);
    a.SetSize(look.Size);
    a.SetColor(look.Color);
    if (look.Charset != DEFAULT_CHARSET) a.SetCharset(look.Charset);
    editor.Paragraph().SetNumbering(look.Numbering);
    editor.Paragraph().SetAlignment(look.Alignment);
    start += static_cast<int>(look.Text.size()) + 1;
  }
}

void ExpectLooks(TRichEdit& editor, const char* road) {
  SCOPED_TRACE(road);
  ASSERT_EQ(static_cast<int>(Looks().size()), editor.Lines().Count());
  int start = 0;
  for (const auto& look : Looks()) {
    SCOPED_TRACE(WideToUtf8(look.Text));
    editor.SetSelStart(start);
    editor.SetSelLength(static_cast<int>(look.Text.size()));
    EXPECT_EQ(look.Text, editor.SelText());
    TTextAttributes& a = editor.SelAttributes();
    EXPECT_EQ(look.Style, a.Style());
    EXPECT_EQ(look.Name, a.Name());
    EXPECT_EQ(look.Size, a.Size());
    EXPECT_EQ(look.Color, a.Color());
    if (look.Charset != DEFAULT_CHARSET) {
      EXPECT_EQ(look.Charset, a.Charset());
    }
    EXPECT_EQ(look.Numbering, editor.Paragraph().Numbering());
    EXPECT_EQ(look.Alignment, editor.Paragraph().Alignment());
    start += static_cast<int>(look.Text.size()) + 1;
  }
}

}  // namespace

TEST_F(RichEditTest, UsesTheSystemRichEditClass) {
  wchar_t name[64] = {};
  GetClassNameW(editor_->Handle(), name, 64);
  EXPECT_EQ(String(L"Quillnote.") + TRichEdit::SystemClass(), name);
  EXPECT_TRUE(GetWindowLongPtrW(editor_->Handle(), GWL_STYLE) & ES_MULTILINE);
}

TEST_F(RichEditTest, FormattingSurvivesAStreamAndAFile) {
  ApplyLooks(*editor_);
  ExpectLooks(*editor_, "live");

  TMemoryStream stream;
  editor_->Lines().SaveToStream(stream);
  EXPECT_EQ(0, stream.Bytes().rfind("{\\rtf", 0));
  // RTF text, and nothing after its last brace but line breaks.
  EXPECT_EQ(stream.Bytes().find_last_not_of("\r\n"), stream.Bytes().rfind('}'));
  EXPECT_EQ(std::string::npos, stream.Bytes().find('\0'));
  stream.SetPosition(0);
  other_->Lines().LoadFromStream(stream);
  ExpectLooks(*other_, "stream");

  const String file = Folder() + L"note.rtf";
  editor_->Lines().SaveToFile(file);
  other_->Clear();
  other_->Lines().LoadFromFile(file);
  ExpectLooks(*other_, "file");
  // Streamed out again, the second editor writes what the first wrote.
  EXPECT_EQ(editor_->RtfText(), other_->RtfText());
}

TEST_F(RichEditTest, RtfTextTakenAsAnsiTextComesBackWhole) {
  // Note files carry the RTF as text in the ANSI code page.
  ApplyLooks(*editor_);
  TStringStream out;
  editor_->Lines().SaveToStream(out);
  const String text = out.DataString();
  TStringStream in(text);
  other_->Lines().LoadFromStream(in);
  ExpectLooks(*other_, "ansi text");
}

TEST_F(RichEditTest, LineSpacingOnALiveControl) {
  struct Case {
    BYTE Rule;
    int Spacing;
  };
  const Case cases[] = {{0, 0}, {0, 20}, {1, 30}, {2, 40}};
  Fill(*editor_, {L"zero", L"single", L"one and a half", L"double"});
  for (int i = 0; i < 4; ++i) {
    SelectParagraph(*editor_, i);
    editor_->Paragraph().SetLineSpacing(cases[i].Rule, cases[i].Spacing);
  }
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    editor_->SetSelStart(0);
    SelectParagraph(*editor_, i);
    EXPECT_EQ(cases[i].Rule, editor_->Paragraph().LineSpacingRule());
    EXPECT_EQ(cases[i].Spacing, editor_->Paragraph().LineSpacing());
    // The line spacing leaves the paragraph's other attributes alone.
    EXPECT_EQ(TAlignment::taLeftJustify, editor_->Paragraph().Alignment());
  }
  // The control's own paragraph format message sees the same.
  SelectParagraph(*editor_, 3);
  PARAFORMAT2 pf{};
  pf.cbSize = sizeof(pf);
  pf.dwMask = PFM_LINESPACING;
  SendMessageW(editor_->Handle(), EM_GETPARAFORMAT, 1, reinterpret_cast<LPARAM>(&pf));
  EXPECT_EQ(188u, pf.cbSize);
  EXPECT_EQ(40, pf.dyLineSpacing);
}

TEST_F(RichEditTest, PlainTextStreamsTextAsItIs) {
  struct Case {
    const char* Name;
    std::string Bytes;
    String Text;
  };
  const Case cases[] = {
      {"ansi", "caf\xE9\r\nsecond", L"caf\u00E9\r\nsecond"},
      {"utf-8 with a mark", "\xEF\xBB\xBF" "euro \xE2\x82\xAC", L"euro \u20AC"},
      {"text that looks like rtf", "{\\rtf1 \\b not bold}", L"{\\rtf1 \\b not bold}"},
  };
  editor_->SetPlainText(true);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TMemoryStream in;
    in.WriteBytes(c.Bytes);
    in.SetPosition(0);
    editor_->Lines().LoadFromStream(in);
    EXPECT_EQ(c.Text, editor_->Text());
    EXPECT_EQ(0, editor_->SelAttributes().Style());
  }
  // Saving writes the text without any formatting, in the encoding the text came in.
  editor_->SelectAll();
  editor_->SelAttributes().SetStyle(fsBold);
  TMemoryStream out;
  editor_->Lines().SaveToStream(out);
  EXPECT_EQ("{\\rtf1 \\b not bold}", out.Bytes());
  editor_->SetPlainText(false);
  TMemoryStream rtf;
  editor_->Lines().SaveToStream(rtf);
  EXPECT_NE(std::string::npos, rtf.Bytes().find("\\b"));
}

TEST_F(RichEditTest, TextAndLines) {
  editor_->SetText(L"first\r\nsecond\r\nthird");
  EXPECT_EQ(L"first\r\nsecond\r\nthird", editor_->Text());
  TRichEditStrings& lines = editor_->Lines();
  ASSERT_EQ(3, lines.Count());
  EXPECT_EQ(L"second", lines.Get(1));
  // Line edits keep the formatting of the lines they do not touch.
  SelectParagraph(*editor_, 2);
  editor_->SelAttributes().SetStyle(fsItalic);
  lines.Insert(0, L"zero");
  lines.Delete(2);
  lines.Add(L"last");
  EXPECT_EQ(L"zero\r\nfirst\r\nthird\r\nlast", editor_->Text());
  SelectParagraph(*editor_, 2);
  EXPECT_EQ(L"third", editor_->SelText());
  EXPECT_EQ(fsItalic, editor_->SelAttributes().Style());
  lines.Delete(3);
  EXPECT_EQ(L"zero\r\nfirst\r\nthird", editor_->Text());
  EXPECT_THROW(lines.Get(3), EStringListError);
  EXPECT_THROW(lines.Delete(5), EStringListError);
  lines.Clear();
  EXPECT_EQ(0, lines.Count());
  lines.Add(L"only");
  EXPECT_EQ(L"only", editor_->Text());
}

TEST_F(RichEditTest, SelectionPositionsLengthAndText) {
  editor_->SetText(L"ab\r\ncdef");
  editor_->SetSelStart(3);
  editor_->SetSelLength(2);
  EXPECT_EQ(3, editor_->SelStart());
  EXPECT_EQ(2, editor_->SelLength());
  EXPECT_EQ(L"cd", editor_->SelText());
  editor_->SetSelText(L"XY");
  EXPECT_EQ(L"ab\r\nXYef", editor_->Text());
  editor_->SelectAll();
  EXPECT_EQ(0, editor_->SelStart());
  EXPECT_GE(editor_->SelLength(), 7);
}

TEST_F(RichEditTest, TheFontIsTheDefaultFormatOfNewText) {
  editor_->Font().SetName(L"Courier New");
  editor_->Font().SetSize(12);
  editor_->Font().SetStyle(fsItalic);
  editor_->Font().SetColor(0x336699);
  editor_->Font().SetCharset(TURKISH_CHARSET);
  for (wchar_t ch : String(L"typed")) SendMessageW(editor_->Handle(), WM_CHAR, ch, 0);
  EXPECT_EQ(L"typed", editor_->Text());
  editor_->SelectAll();
  TTextAttributes& a = editor_->SelAttributes();
  EXPECT_EQ(L"Courier New", a.Name());
  EXPECT_EQ(12, a.Size());
  EXPECT_EQ(fsItalic, a.Style());
  EXPECT_EQ(0x336699, a.Color());
  EXPECT_EQ(TURKISH_CHARSET, a.Charset());
  EXPECT_EQ(L"Courier New", editor_->DefAttributes().Name());
  // The attributes hand themselves to a font, as a font dialog wants them.
  TFont font;
  a.AssignTo(font);
  EXPECT_EQ(L"Courier New", font.Name());
  EXPECT_EQ(12, font.Size());
  EXPECT_EQ(static_cast<TFontStyles>(fsItalic), font.Style());
  EXPECT_EQ(0x336699, font.Color());
}

TEST_F(RichEditTest, ColorIsTheBackground) {
  editor_->SetColor(0x99FFFF);
  // The control answers a new background colour with the one it had.
  LRESULT previous = SendMessageW(editor_->Handle(), EM_SETBKGNDCOLOR, 0, 0x123456);
  EXPECT_EQ(0x99FFFF, previous);
  editor_->RecreateWnd();
  previous = SendMessageW(editor_->Handle(), EM_SETBKGNDCOLOR, 0, 0x123456);
  EXPECT_EQ(0x99FFFF, previous);
}

TEST_F(RichEditTest, StylesFromProperties) {
  auto style = [&] { return GetWindowLongPtrW(editor_->Handle(), GWL_STYLE); };
  auto exStyle = [&] { return GetWindowLongPtrW(editor_->Handle(), GWL_EXSTYLE); };
  String tall;
  for (int i = 0; i < 50; ++i) tall += L"line\r\n";
  editor_->SetText(tall);
  EXPECT_TRUE(exStyle() & WS_EX_CLIENTEDGE);
  EXPECT_FALSE(style() & WS_VSCROLL);
  editor_->SetBorderStyle(TBorderStyle::bsNone);
  editor_->SetScrollBars(TScrollStyle::ssVertical);
  editor_->SetHideSelection(false);
  EXPECT_FALSE(exStyle() & WS_EX_CLIENTEDGE);
  // The control shows its vertical bar when the text is taller than the window.
  EXPECT_TRUE(style() & WS_VSCROLL);
  EXPECT_FALSE(style() & WS_HSCROLL);
  EXPECT_TRUE(style() & ES_NOHIDESEL);
  EXPECT_FALSE(style() & ES_AUTOHSCROLL);
  editor_->SetWordWrap(false);
  EXPECT_TRUE(style() & ES_AUTOHSCROLL);
  EXPECT_EQ(tall, editor_->Text());
}

namespace {
struct TChangeCounter : TObject {
  int Count = 0;
  void Changed(TObject*) { ++Count; }
};
}  // namespace

TEST_F(RichEditTest, OnChangeFiresWhileBoundOnly) {
  TChangeCounter counter;
  editor_->OnChange = TNotifyEvent(&counter, &TChangeCounter::Changed);
  SendMessageW(editor_->Handle(), WM_CHAR, L'a', 0);
  EXPECT_GE(counter.Count, 1);
  int seen = counter.Count;
  editor_->SetSelText(L"bc");
  EXPECT_GT(counter.Count, seen);

  // Unbound around a programmatic change, as the note window does while it saves.
  TNotifyEvent saved = editor_->OnChange;
  editor_->OnChange.Clear();
  seen = counter.Count;
  editor_->SetSelText(L"quiet");
  editor_->SetText(L"quiet too");
  editor_->OnChange = saved;
  EXPECT_EQ(seen, counter.Count);

  // Recreating the window restores the content without reporting a change.
  editor_->RecreateWnd();
  EXPECT_EQ(seen, counter.Count);
  EXPECT_EQ(L"quiet too", editor_->Text());
  SendMessageW(editor_->Handle(), WM_CHAR, L'z', 0);
  EXPECT_GT(counter.Count, seen);
}

TEST_F(RichEditTest, UndoAndTheClipboard) {
  editor_->SetText(L"hello world");
  editor_->ClearUndo();
  EXPECT_FALSE(editor_->CanUndo());

  editor_->SetSelStart(0);
  editor_->SetSelLength(5);
  editor_->CutToClipboard();
  EXPECT_EQ(L" world", editor_->Text());
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  EXPECT_TRUE(editor_->CanUndo());
  editor_->Undo();
  EXPECT_EQ(L"hello world", editor_->Text());

  editor_->SetSelStart(6);
  editor_->SetSelLength(5);
  editor_->CopyToClipboard();
  EXPECT_EQ(L"hello world", editor_->Text());
  editor_->SetSelStart(0);
  editor_->SetSelLength(5);
  editor_->PasteFromClipboard();
  EXPECT_EQ(L"world world", editor_->Text());

  editor_->SetSelStart(5);
  editor_->SetSelLength(6);
  editor_->ClearSelection();
  EXPECT_EQ(L"world", editor_->Text());
  editor_->Clear();
  EXPECT_EQ(L"", editor_->Text());
}

TEST_F(RichEditTest, RecreatedWindowsKeepTheFormattedText) {
  ApplyLooks(*editor_);
  editor_->SetSelStart(3);
  editor_->SetSelLength(4);
  HWND before = editor_->Handle();
  editor_->RecreateWnd();
  EXPECT_NE(before, editor_->Handle());
  EXPECT_EQ(3, editor_->SelStart());
  EXPECT_EQ(4, editor_->SelLength());
  ExpectLooks(*editor_, "own window recreated");
  // The form's window goes with its controls' windows (as switching always-on-top does).
  before = editor_->Handle();
  form_->RecreateWnd();
  EXPECT_NE(before, editor_->Handle());
  ExpectLooks(*editor_, "form recreated");
}

namespace {
// A stream of 100 bytes that fails on every read and write.
class TFailingStream : public TStream {
 public:
  int64_t Read(void*, int64_t) override { throw EReadError(L"Stream read error"); }
  int64_t Write(const void*, int64_t) override { throw EWriteError(L"Stream write error"); }
  int64_t Seek(int64_t offset, TSeekOrigin origin) override {
    return origin == TSeekOrigin::soEnd ? 100 : offset;
  }
  void SetSize(int64_t) override {}
};
}  // namespace

TEST_F(RichEditTest, StreamFailuresReachTheCaller) {
  editor_->SetText(L"kept");
  TFailingStream failing;
  EXPECT_THROW(editor_->Lines().LoadFromStream(failing), EReadError);
  editor_->SetPlainText(true);
  EXPECT_THROW(editor_->Lines().LoadFromStream(failing), EReadError);
  editor_->SetPlainText(false);
  EXPECT_THROW(editor_->Lines().SaveToStream(failing), EWriteError);
  EXPECT_TRUE(testing_support::MessageBoxes().Boxes.empty());
  EXPECT_EQ(L"kept", editor_->Text());
}

TEST_F(RichEditTest, RichTextStreamingLastsForItsScopeAndEndsAlsoWhenTheLoadFails) {
  editor_->SetPlainText(true);
  {
    TRichTextStreaming rich(*editor_);
    TMemoryStream in;
    in.WriteBytes("{\\rtf1 {\\b bold}}");
    in.SetPosition(0);
    editor_->Lines().LoadFromStream(in);
  }
  EXPECT_EQ(L"bold", editor_->Text());
  EXPECT_TRUE(editor_->PlainText());
  TFailingStream failing;
  EXPECT_THROW(
      {
        TRichTextStreaming rich(*editor_);
        editor_->Lines().LoadFromStream(failing);
      },
      EReadError);
  EXPECT_TRUE(editor_->PlainText());
}

namespace {
struct TInputSpy : TObject {
  std::vector<String> Seen;
  void KeyDown(TObject*, WORD& key, TShiftState) {
    Seen.push_back(L"key " + std::to_wstring(key));
  }
  void MouseDown(TObject*, TMouseButton, TShiftState, int x, int y) {
    Seen.push_back(L"down " + std::to_wstring(x) + L"," + std::to_wstring(y));
  }
  void MouseUp(TObject*, TMouseButton, TShiftState, int x, int y) {
    Seen.push_back(L"up " + std::to_wstring(x) + L"," + std::to_wstring(y));
  }
  void Changed(TObject*) { Seen.push_back(L"change"); }
};
}  // namespace

TEST_F(RichEditTest, KeyAndMouseEventsReachTheHandlers) {
  TInputSpy spy;
  editor_->OnKeyDown = TKeyEvent(&spy, &TInputSpy::KeyDown);
  editor_->OnMouseDown = TMouseEvent(&spy, &TInputSpy::MouseDown);
  editor_->OnMouseUp = TMouseEvent(&spy, &TInputSpy::MouseUp);
  form_->Show();
  HWND wnd = editor_->Handle();
  PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(7, 9));
  PostMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(8, 9));
  PostMessageW(wnd, WM_KEYDOWN, VK_F2, 0);
  PostMessageW(wnd, WM_KEYDOWN, VK_HOME, 0);
  testing_support::PumpUntil([&] { return spy.Seen.size() >= 4; });
  const std::vector<String> expected{L"down 7,9", L"up 8,9", L"key 113", L"key 36"};
  EXPECT_EQ(expected, spy.Seen);
}

TEST_F(RichEditTest, WordWrapBreaksLongLinesAtTheWindowEdge) {
  String words;
  for (int i = 0; i < 40; ++i) words += L"word ";
  editor_->SetText(words);
  auto displayLines = [&] { return SendMessageW(editor_->Handle(), EM_GETLINECOUNT, 0, 0); };
  EXPECT_GT(displayLines(), 1);
  editor_->SetWordWrap(false);
  EXPECT_EQ(1, displayLines());
  editor_->SetWordWrap(true);
  EXPECT_GT(displayLines(), 1);
  EXPECT_EQ(1, editor_->Lines().Count());
}

namespace {
class TRecordingPopupMenu : public TPopupMenu {
 public:
  using TPopupMenu::TPopupMenu;
  void Popup(int x, int y) override { Points.push_back({x, y}); }
  std::vector<POINT> Points;
};
}  // namespace

TEST_F(RichEditTest, ARightClickOpensThePopupMenu) {
  auto* menu = new TRecordingPopupMenu(form_);
  editor_->SetPopupMenu(menu);
  form_->Show();
  HWND wnd = editor_->Handle();
  PostMessageW(wnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 10));
  PostMessageW(wnd, WM_RBUTTONUP, 0, MAKELPARAM(20, 10));
  testing_support::PumpUntil([&] { return !menu->Points.empty(); }, 2000);
  ASSERT_EQ(1u, menu->Points.size());
  POINT expected{20, 10};
  ClientToScreen(wnd, &expected);
  EXPECT_EQ(expected.x, menu->Points[0].x);
  EXPECT_EQ(expected.y, menu->Points[0].y);
  EXPECT_EQ(editor_, menu->PopupComponent());
}

namespace {

using testing_support::SetClipboardFormats;
using testing_support::SetClipboardRichText;

// Rich text that this Wine's control does not survive: groups nested past what it holds.
std::string TooDeep() { return "{\\rtf1 " + std::string(40, '{') + "deep" + std::string(40, '}') + "}"; }

// The thread's key state, as real keys leave it, for the length of a scope.
class THeldKeys {
 public:
  explicit THeldKeys(std::initializer_list<BYTE> keys) {
    GetKeyboardState(before_);
    BYTE state[256];
    memcpy(state, before_, sizeof state);
    for (BYTE key : keys) state[key] = 0x80;
    SetKeyboardState(state);
  }
  ~THeldKeys() { SetKeyboardState(before_); }

 private:
  BYTE before_[256];
};

// The positions a text takes in the control, where a line break counts one.
int Positions(const String& text) {
  int n = 0;
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n')) ++n;
  return n;
}

// Every way the control is asked to paste, and what of a clip it takes.
enum class TTakes { CheckedRichText, PlainText, Nothing };
struct TPasteRoad {
  const char* Name;
  std::function<void(TRichEdit&)> Paste;
  TTakes Takes = TTakes::CheckedRichText;
};

void PasteSpecial(TRichEdit& editor, UINT format) {
  SendMessageW(editor.Handle(), EM_PASTESPECIAL, format, 0);
}

void KeyDown(TRichEdit& editor, std::initializer_list<BYTE> held, WPARAM key, LPARAM data) {
  THeldKeys keys(held);
  SendMessageW(editor.Handle(), WM_KEYDOWN, key, data);
}

const std::vector<TPasteRoad>& PasteRoads() {
  static const std::vector<TPasteRoad> roads{
      {"PasteFromClipboard", [](TRichEdit& e) { e.PasteFromClipboard(); }},
      {"WM_PASTE", [](TRichEdit& e) { SendMessageW(e.Handle(), WM_PASTE, 0, 0); }},
      {"EM_PASTESPECIAL", [](TRichEdit& e) { PasteSpecial(e, 0); }},
      {"EM_PASTESPECIAL rich text", [](TRichEdit& e) { PasteSpecial(e, RichTextClipFormat()); }},
      {"EM_PASTESPECIAL text", [](TRichEdit& e) { PasteSpecial(e, CF_TEXT); }, TTakes::PlainText},
      {"EM_PASTESPECIAL Unicode text", [](TRichEdit& e) { PasteSpecial(e, CF_UNICODETEXT); }, TTakes::PlainText},
      {"EM_PASTESPECIAL a picture", [](TRichEdit& e) { PasteSpecial(e, CF_ENHMETAFILE); }, TTakes::Nothing},
      {"Ctrl+V", [](TRichEdit& e) { KeyDown(e, {VK_CONTROL}, 'V', 0x002F0001); }},
      {"Ctrl+Shift+V", [](TRichEdit& e) { KeyDown(e, {VK_CONTROL, VK_SHIFT}, 'V', 0x002F0001); }},
      {"Shift+Insert", [](TRichEdit& e) { KeyDown(e, {VK_SHIFT}, VK_INSERT, 0x01520001); }},
  };
  return roads;
}

}  // namespace

TEST_F(RichEditTest, EveryPasteTakesTheCheckedRichTextElseThePlainTextElseNothing) {
  struct Clip {
    const char* What;
    std::string Rtf;  // none when empty
    String Text;      // none when empty
    String Pasted;    // by a road that takes checked rich text
    bool Bold;
  } clips[] = {
      {"rich text the check passes", "{\\rtf1 {\\b bold}}", L"plain", L"bold", true},
      {"rich text the check refuses, with plain text", TooDeep(), L"plain", L"plain", false},
      {"rich text the check refuses, alone", TooDeep(), L"", L"", false},
      {"plain text alone", "", L"line one\r\nline two", L"line one\r\nline two", false},
      {"a clip without text", "", L"", L"", false},
  };
  for (const TPasteRoad& road : PasteRoads()) {
    for (const Clip& clip : clips) {
      SCOPED_TRACE(std::string(road.Name) + ": " + clip.What);
      if (!clip.Rtf.empty()) SetClipboardRichText(clip.Rtf, clip.Text);
      else if (!clip.Text.empty()) SetClipboardFormats({{CF_UNICODETEXT, testing_support::UnicodeTextBytes(clip.Text)}});
      else SetClipboardFormats({{RegisterClipboardFormatW(L"Quillnote test format"), "x"}});
      editor_->SetText(L"[]");
      editor_->SetSelStart(1);
      road.Paste(*editor_);
      const String pasted = road.Takes == TTakes::CheckedRichText ? clip.Pasted
                            : road.Takes == TTakes::PlainText      ? clip.Text
                                                                   : String();
      EXPECT_EQ(L"[" + pasted + L"]", editor_->Text());
      EXPECT_EQ(1 + Positions(pasted), editor_->SelStart()) << "the caret follows the pasted text";
      editor_->SetSelStart(1);
      editor_->SetSelLength(Positions(pasted));
      if (!pasted.empty()) {
        EXPECT_EQ(clip.Bold && pasted == clip.Pasted, (editor_->SelAttributes().Style() & fsBold) != 0);
      }
    }
  }
}

TEST_F(RichEditTest, APasteIsOneUndoableChange) {
  TChangeCounter counter;
  editor_->OnChange = TNotifyEvent(&counter, &TChangeCounter::Changed);
  editor_->SetText(L"kept");
  editor_->ClearUndo();
  editor_->SetSelStart(4);
  const int before = counter.Count;
  for (const std::string& rtf : {std::string("{\\rtf1 {\\i rich}}"), TooDeep()}) {
    SetClipboardRichText(rtf, L" plain");
    editor_->PasteFromClipboard();
    EXPECT_GT(counter.Count, before) << "the autosave hears of it";
    EXPECT_TRUE(editor_->CanUndo());
    editor_->Undo();
    EXPECT_EQ(L"kept", editor_->Text());
  }
}

TEST_F(RichEditTest, RichTextSetByAMessageIsChecked) {
  // The control reads RTF from the bytes of the text these messages carry, wide text included.
  const auto wideBytes = [](const std::string& rtf) {
    std::string bytes = rtf + std::string(4, '\0');
    return bytes;
  };
  struct Case {
    const char* What;
    std::function<LRESULT(HWND, const std::string&)> Send;
  } roads[] = {
      {"WM_SETTEXT with RTF bytes", [](HWND wnd, const std::string& bytes) {
         return SendMessageW(wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(bytes.data()));
       }},
      {"EM_SETTEXTEX in the ANSI code page", [](HWND wnd, const std::string& bytes) {
         SETTEXTEX how{ST_DEFAULT, CP_ACP};
         return SendMessageW(wnd, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(bytes.data()));
       }},
      {"EM_SETTEXTEX over the selection", [](HWND wnd, const std::string& bytes) {
         SETTEXTEX how{ST_SELECTION, CP_ACP};
         return SendMessageW(wnd, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(bytes.data()));
       }},
  };
  for (const Case& road : roads) {
    SCOPED_TRACE(road.What);
    editor_->SetText(L"kept");
    EXPECT_EQ(0, road.Send(editor_->Handle(), wideBytes(TooDeep())));
    EXPECT_EQ(L"kept", editor_->Text());
    EXPECT_NE(0, road.Send(editor_->Handle(), wideBytes("{\\rtf1 {\\b set}}")));
    EXPECT_NE(String::npos, editor_->Text().find(L"set"));
    EXPECT_EQ(String::npos, editor_->Text().find(L"rtf")) << "read as RTF";
  }
  // Text that only looks deep, without starting as RTF, is plain text.
  const String braces = String(40, L'{') + L"text";
  SendMessageW(editor_->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(braces.c_str()));
  EXPECT_EQ(braces, editor_->Text());
}

namespace {

// A data object as a drag source offers one: formats on global memory.
class TTestDataObject : public IDataObject {
 public:
  std::map<CLIPFORMAT, std::string> Formats;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == IID_IDataObject) {
      *object = static_cast<IDataObject*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* wanted, STGMEDIUM* medium) override {
    if (QueryGetData(wanted) != S_OK) return DV_E_FORMATETC;
    const std::string& bytes = Formats[wanted->cfFormat];
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    *medium = STGMEDIUM{};
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* wanted) override {
    if (!(wanted->tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
    return Formats.count(wanted->cfFormat) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }
};

}  // namespace

TEST_F(RichEditTest, ADropTakesTheCheckedRichTextElseThePlainText) {
  const auto rich = static_cast<CLIPFORMAT>(RichTextClipFormat());
  const std::string text = testing_support::UnicodeTextBytes(L"plain");
  struct Case {
    const char* What;
    std::map<CLIPFORMAT, std::string> Formats;
    HRESULT Answer;
    CLIPFORMAT Format;
  } cases[] = {
      {"rich text the check passes", {{rich, "{\\rtf1 {\\b bold}}"}, {CF_UNICODETEXT, text}}, S_OK, rich},
      {"rich text the check refuses", {{rich, TooDeep()}, {CF_UNICODETEXT, text}}, S_OK, CF_UNICODETEXT},
      {"rich text the check refuses, alone", {{rich, TooDeep()}}, E_FAIL, 0},
      {"plain text", {{CF_UNICODETEXT, text}}, S_OK, CF_UNICODETEXT},
      {"a picture", {{CF_DIB, "BM"}}, E_FAIL, 0},
  };
  for (const Case& c : cases) {
    TTestDataObject data;
    data.Formats = c.Formats;
    WORD format = 0;
    EXPECT_EQ(c.Answer, editor_->AcceptData(&data, &format)) << c.What;
    EXPECT_EQ(c.Format, format) << c.What;
  }
}

TEST(RtfSafety, GroupsDeeperThanTheControlSurvivesAreRefused) {
  const auto nested = [](int depth, const std::string& inner = "x") {
    return "{\\rtf1 " + std::string(static_cast<size_t>(depth - 1), '{') + inner +
           std::string(static_cast<size_t>(depth), '}');
  };
  struct Case {
    const char* what;
    std::string rtf;
    bool readable;
  } cases[] = {
      {"flat", "{\\rtf1 text}", true},
      {"at the limit", nested(kMaxRtfGroupDepth), true},
      {"one past", nested(kMaxRtfGroupDepth + 1), false},
      {"unclosed and deep", "{\\rtf1 " + std::string(40, '{'), false},
      {"escaped braces are text", nested(kMaxRtfGroupDepth, std::string(20, ' ') + "\\{\\{\\{\\{"), true},
      {"an escaped backslash before a brace", nested(kMaxRtfGroupDepth, "\\\\{"), false},
      {"siblings do not add up", "{\\rtf1 " + std::string(40 * 2, ' ') + [] {
         std::string s;
         for (int i = 0; i < 40; ++i) s += "{a}";
         return s;
       }() + "}", true},
      // The control knows no \\binN: the bytes after one are RTF to it, their braces groups.
      {"the bytes of a binary run are read as RTF", "{\\rtf1 {\\bin40 " + std::string(40, '{') + "}}", false},
      {"a binary run past the end", "{\\rtf1 {\\bin999999 {{{", true},
      {"braces after a binary run count", "{\\rtf1 {\\bin2 ab" + std::string(31, '{'), false},
      {"not RTF", "plain text", true},
      // Control words: the control overruns its buffer on very long ones.
      {"a word at the length limit", "{\\rtf1 \\" + std::string(kMaxRtfWordLength, 'a') + " x}", true},
      {"a word past it", "{\\rtf1 \\" + std::string(kMaxRtfWordLength + 1, 'a') + " x}", false},
      {"a parameter of thousands of digits", "{\\rtf1 \\fs" + std::string(2000, '9') + " x}", false},
      {"a word of 4,000 letters", "{\\rtf1 \\" + std::string(4000, 'a') + " x}", false},
      // Table rows: cells beyond what the row defines, or beyond what the control holds.
      {"a row as written", "{\\rtf1 \\trowd\\cellx100\\cellx200\\intbl a\\cell b\\cell\\row}", true},
      {"one spare cell", "{\\rtf1 \\trowd\\cellx100\\intbl a\\cell b\\cell\\row}", true},
      {"two spare cells", "{\\rtf1 \\trowd\\cellx100\\intbl a\\cell b\\cell c\\cell\\row}", false},
      {"the widest row", "{\\rtf1 \\trowd" + [] {
         std::string s;
         for (int i = 0; i < kMaxRtfRowCells; ++i) s += "\\cellx100";
         for (int i = 0; i < kMaxRtfRowCells; ++i) s += "\\intbl a\\cell";
         return s;
       }() + "\\row}", true},
      {"a row too wide", "{\\rtf1 \\trowd" + [] {
         std::string s;
         for (int i = 0; i <= kMaxRtfRowCells; ++i) s += "\\cellx100";
         return s;
       }() + "\\intbl a\\cell\\row}", false},
      {"rows count apart", "{\\rtf1 \\trowd\\cellx1\\intbl a\\cell\\row \\trowd\\cellx1\\intbl b\\cell\\row}", true},
      {"\\cellx is no cell", "{\\rtf1 \\trowd\\cellx1\\cellx2\\cellx3\\intbl a\\cell\\row}", true},
  };
  for (const Case& c : cases) EXPECT_EQ(c.readable, IsReadableRtf(c.rtf)) << c.what;
}

namespace {

std::string Repeated(const std::string& piece, int times) {
  std::string all;
  for (int i = 0; i < times; ++i) all += piece;
  return all;
}

// A metafile picture's data as hex digits: a header of 18 bytes and the records after it.
const std::string kMetafile = "010009000003220000000000050000000000050000000b0200000000050000000c02c800c80003000000000000";

struct TRtfCase {
  const char* What;
  std::string Rtf;
};

}  // namespace

// Cases that the fuzz program (tests/fuzz) found the check passing and the control not surviving
// (a fault, an assertion or minutes of work), made small; each stands for a rule of the check.
TEST(RtfSafety, CasesTheControlDidNotSurviveAreRefused) {
  const TRtfCase cases[] = {
      // Tab stops before the margin, however the number says it.
      {"a negative tab stop", "{\\rtf1 \\pard\\tx-1 a\\tab b\\par}"},
      {"a tab stop without a number", "{\\rtf\\tx\\d\\par"},
      {"a tab stop with a sign alone", "{\\rtf\\tx-\\par"},
      {"a tab stop before a group", "{\\rtf\\tx{\\par"},
      {"a tab stop that overflows 32 bits", "{\\rtf\\tx2147483648\\page "},
      {"a tab stop that wraps around", "{\\rtf\\tx2474835040\\page"},
      {"a tab stop of fifteen digits", "{\\rtf\\tx999999999999999\\par"},
      // Nested tables.
      {"a nested cell defined after it was filled", "{\\rtf\\itap2\\nestcell\\e\\cellx3\\nestcell"},
      {"nested cells around a definition", "{\\rtf1\\itap2 a\\nestcell\\cellx3 b\\nestcell}"},
      {"a nested row", "{\\rtf1 \\trowd\\cellx100\\intbl a\\cell{\\*\\nesttableprops\\trowd\\cellx50\\nestrow}\\row}"},
      // Rows.
      {"a row without a cell", "{\\rtf\\intbl \\row\\par"},
      {"a row without a cell, then text", "{\\rtf1 \\intbl \\row\\par a"},
      {"more cells than a row defined again", "{\\rtf\\cellx\\cellx\\intbl\\cell \\cell\\cell\\w\\trowd\\cellx"},
      {"cells around a new definition", "{\\rtf\\intbl\\cell\\trowd\\cellx\\cell \\cell"},
      {"a closed row defined again with fewer cells",
       "{\\rtf1 \\trowd\\cellx100\\cellx200\\intbl a\\cell b\\cell c\\cell\\trowd\\cellx100\\row}"},
      {"a paragraph ending right after a row", "{\\rtf1 \\trowd\\cellx100\\cellx200\\pard\\intbl d\\cell e\\cell\\row\\par}"},
      {"a section ending right after a row", "{\\rtf1 \\trowd\\cellx100\\cellx200\\pard\\intbl d\\cell e\\cell\\row\\sect}"},
      {"a paragraph in a group after a row", "{\\rtf1 \\trowd\\cellx100\\cellx200\\pard\\intbl d\\cell e\\cell\\row{\\par}}"},
      {"a paragraph as a backslash and a line break after a row",
       "{\\rtf1 \\trowd\\cellx100\\cellx200\\pard\\intbl d\\cell e\\cell\\row\\\r\n}"},
      {"table words in a picture", "{\\rtf1 {\\*\\shppict{\\pict\\pngblip \\cellx4000\\pard\\intbl d\\cell e\\cell 9504e47}}}"},
      // Names longer than the reader's buffer.
      {"a long font name", "{\\rtf1 {\\fonttbl{\\f0 " + std::string(1100, 'A') + ";}}\\f0 x}"},
      {"a long style name", "{\\rtf1 {\\stylesheet{\\s1 " + std::string(1100, 'S') + ";}}\\s1 x}"},
      {"a style name of escaped characters", "{\\rtf1 {\\stylesheet{\\s1\\b" + Repeated("\\\\b", 400) + ";}}x}"},
      // Metafiles shorter than their header.
      {"eight bytes of a metafile", "{\\rtf1 {\\pict\\wmetafile8 0100090000032200}}"},
      {"a metafile cut short by other characters", "{\\rtf{\\pict\\wmetafile 01000900000320\x07\x08\\r}"},
      {"an open metafile", "{\\rtf1 {\\pict\\wmetafile8 01000900000322"},
      // Picture data that something other than data follows.
      {"a metafile's data broken by a control symbol",
       "{\\rtf1 {\\pict\\wmetafile8 0100090000032200\\0" + kMetafile.substr(16) + "}}"},
      {"a metafile's data broken by a control word",
       "{\\rtf1 {\\pict\\wmetafile8 01000900000322000\\ql-2147483649 " + kMetafile.substr(17) + "}}"},
      {"picture data interrupted many times",
       "{\\rtf1 {\\pict\\wmetafile8\\picw10\\pich10 " + Repeated(kMetafile.substr(0, 32) + "\\pich10 ", 1130) + "}}"},
      {"a group after picture data", "{\\rtf1 {\\pict\\wmetafile8 " + kMetafile + "{\\*\\blipuid 00}}}"},
      // Paragraphs whose layout takes minutes.
      {"a binary run of a megabyte", "{\\rtf1 \\bin1048576 " + std::string(1 << 20, 'b') + "}"},
      {"a paragraph past the length limit", "{\\rtf1 " + std::string(kMaxRtfParagraphLength + 1, 'p') + "}"},
      {"escaped characters past it", "{\\rtf1 " + Repeated("\\'e9", static_cast<int>(kMaxRtfParagraphLength) + 1) + "}"},
  };
  for (const TRtfCase& c : cases) EXPECT_FALSE(IsReadableRtf(c.Rtf)) << c.What;
}

// The rules stop at what the control does not survive: what writers write, the control itself
// included, and the near sides of each limit still pass.
TEST(RtfSafety, WhatTheControlSurvivesStillPasses) {
  const TRtfCase cases[] = {
      {"tab stops at and after the margin", "{\\rtf1 \\pard\\tx0\\tx720\\tqr\\tx2147483647 a\\tab b\\par}"},
      {"a table as the control writes it",
       "{\\rtf1\\ansi\\trowd\\trgaph10\\cellx1000\\cellx2000\\b\\fs18 a\\cell b\\cell \\row\r\n\\pard after\\par\r\n}"},
      {"a row defined again before its end",
       "{\\rtf1 \\trowd\\cellx1\\cellx2\\pard\\intbl a\\cell b\\cell\\pard\\intbl{\\trowd\\cellx1\\cellx2\\row}\\pard x\\par}"},
      {"rows one after another", "{\\rtf1 \\trowd\\cellx1\\intbl a\\cell\\row\\trowd\\cellx1\\intbl b\\cell\\row\\pard\\par}"},
      {"text right after a row", "{\\rtf1 \\trowd\\cellx1\\cellx2\\intbl a\\cell b\\cell\\row x\\par}"},
      {"the first table level", "{\\rtf1 \\trowd\\cellx1\\pard\\intbl\\itap1 a\\cell\\row}"},
      {"a font name at the limit", "{\\rtf1 {\\fonttbl{\\f0 " + std::string(kMaxRtfNameLength, 'A') + ";}{\\f1 B;}}\\f0 x}"},
      {"many fonts", "{\\rtf1 {\\fonttbl" + Repeated("{\\f1\\fswiss\\fcharset0 Tahoma;}", 300) + "}x}"},
      {"a metafile with its header", "{\\rtf1 {\\pict\\wmetafile8\\picw10\\pich10 " + kMetafile + "}}"},
      {"a picture's properties and groups before its data, its data in lines",
       "{\\rtf1 {\\pict{\\*\\picprop{\\sp{\\sn x}{\\sv 1}}}\\picw10\\pich10{\\*\\blipuid 0a0b}\\wmetafile8\r\n" +
           kMetafile.substr(0, 40) + "\r\n" + kMetafile.substr(40) + "}}"},
      {"a picture's data in a long line", "{\\rtf1 {\\pict\\pngblip " + Repeated("89504e47", 20000) + "}}"},
      {"a paragraph at the length limit", "{\\rtf1 " + std::string(kMaxRtfParagraphLength, 'p') + "\\par " +
                                              std::string(kMaxRtfParagraphLength, 'q') + "}"},
      {"megabytes that are not shown", "{\\rtf1 {\\*\\skipped " + std::string(2 << 20, 'z') + "} shown}"},
      {"escaped characters at the limit", "{\\rtf1 " + Repeated("\\'e9", static_cast<int>(kMaxRtfParagraphLength)) + "}"},
      {"a surplus closing brace", "{\\rtf1 a}}"},
  };
  for (const TRtfCase& c : cases) EXPECT_TRUE(IsReadableRtf(c.Rtf)) << c.What;
}
