#include "AppFixture.h"

#include "classlib/RtfSafety.h"
#include "classlib/TextConv.h"

#include <richedit.h>

#include <algorithm>
#include <vector>

using namespace app_testing;
using testing_support::PumpMessages;

TEST(NoteHeader, EncodesEveryFieldWithinItsWidth) {
  struct Case {
    TNoteHeader header;
    const wchar_t* text;
  } cases[] = {
      {{300, 200, 200, 200, 100, 0x99FFFF, false}, L"00012C0000C80000C80000C800006499FFFF00"},
      {{0, 0, 0, 0, 10, 0, true}, L"00000000000000000000000000000A00000001"},
      {{0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 100, 0xFFFFFF, true}, L"FFFFFFFFFFFFFFFFFFFFFFFF000064FFFFFF01"},
      // Out of range: clipped, so the header keeps its 38 digits.
      {{-5, -1, 0x1000000, 0x7FFFFFFF, 150, 0x1FFFFFFF, false}, L"000000000000FFFFFFFFFFFF000064FFFFFF00"},
      {{1, 2, 3, 4, 5, 0x123456, false}, L"00000100000200000300000400000A12345600"},
  };
  for (const Case& c : cases) {
    String text = EncodeNoteHeader(c.header);
    EXPECT_EQ(c.text, text);
    EXPECT_EQ(38u, text.size());
  }
  // A system colour is written as its current value.
  TNoteHeader sys{0, 0, 0, 0, 100, static_cast<int>(clBtnFace), false};
  EXPECT_EQ(IntToHex(ColorToRGB(clBtnFace), 6), EncodeNoteHeader(sys).substr(30, 6));
}

TEST(NoteHeader, DecodesFixedPositionsAndRejectsBadFields) {
  TNoteHeader h = DecodeNoteHeader(L"00012C0000C80000C80000C800006499FFFF01");
  EXPECT_EQ(300, h.Left);
  EXPECT_EQ(200, h.Top);
  EXPECT_EQ(200, h.Width);
  EXPECT_EQ(200, h.Height);
  EXPECT_EQ(100, h.Opacity);
  EXPECT_EQ(0x99FFFF, h.Color);
  EXPECT_TRUE(h.OnTop);
  EXPECT_FALSE(DecodeNoteHeader(L"00012C0000C80000C80000C800006499FFFF").OnTop);
  EXPECT_FALSE(DecodeNoteHeader(L"00012C0000C80000C80000C800006499FFFF  ").OnTop);
  for (const wchar_t* bad : {L"", L"00012C", L"00012C0000C80000C8", L"00012C0000C80000C80000C8",
                             L"00012C0000C80000C80000C8000064", L"ZZ012C0000C80000C80000C800006499FFFF00",
                             L"00012C0000C80000C80000C8000064 9FFFF00"})
    EXPECT_THROW(DecodeNoteHeader(bad), EConvertError) << testing::PrintToString(String(bad));
}

TEST(NoteCodec, WritesTheFileByteForByteAndReadsItBack) {
  const std::string bom = "\xEF\xBB\xBF";
  struct Case {
    const char* what;
    TNoteFile file;
    std::string bytes;
  } cases[] = {
      {"plain", {{300, 200, 200, 200, 100, 0x99FFFF, false}, L"Title", "{\\rtf1 Hi}"},
       bom + "00012C0000C80000C80000C800006499FFFF00\r\nTitle\r\n{\\rtf1 Hi}\r\n"},
      {"on top, blank ends kept, a title beyond ANSI",
       {{1, 2, 3, 4, 55, 0x123456, true}, L"  \u00C4rger \u20AC  ", "{\\rtf1 x}"},
       bom + "00000100000200000300000400003712345601\r\n  \xC3\x84rger \xE2\x82\xAC  \r\n{\\rtf1 x}\r\n"},
      // ANSI bytes of the body are widened (code page 1252 here) and written as UTF-8.
      {"a body of several lines with ANSI text", {{0, 0, 0, 0, 10, 0, false}, L"", "{\\rtf1\r\n\xE9t\xE9\r\n}"},
       bom + "00000000000000000000000000000A00000000\r\n\r\n{\\rtf1\r\n\xC3\xA9t\xC3\xA9\r\n}\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.bytes, EncodeNoteFile(c.file));
    TNoteFile back = DecodeNoteFile(c.bytes);
    EXPECT_EQ(EncodeNoteHeader(c.file.Header), EncodeNoteHeader(back.Header));
    EXPECT_EQ(c.file.Title, back.Title);
    EXPECT_EQ(c.file.Rtf + "\r\n", back.Rtf);  // the last line break comes back with the body
    EXPECT_EQ(c.bytes, EncodeNoteFile({back.Header, back.Title, back.Rtf.substr(0, back.Rtf.size() - 2)}));
  }
}

TEST(NoteCodec, ReadsOtherEncodingsAndRefusesWhatIsNoNote) {
  // No byte-order mark: the ANSI code page; bare line feeds end lines too.
  TNoteFile ansi = DecodeNoteFile("00012C0000C80000C80000C800006499FFFF00\nTitl\xE9\n{\\rtf1 a}\n{b}");
  EXPECT_EQ(L"Titl\u00E9", ansi.Title);
  EXPECT_EQ("{\\rtf1 a}\r\n{b}\r\n", ansi.Rtf);
  EXPECT_TRUE(DecodeNoteFile("00012C0000C80000C80000C800006499FFFF00\r\nOnly a title").Rtf.empty());
  for (const char* bad : {"", "00012C0000C80000C80000C800006499FFFF00", "00012C\r\nTitle\r\n{\\rtf1 a}",
                          "not a header at all, but long enough\r\nTitle\r\n{\\rtf1 a}"})
    EXPECT_THROW(DecodeNoteFile(bad), EConvertError) << bad;
}

class NoteFileTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    CreateMainForm();
  }
  String PathOf(const TFR_NOTE& note) const { return NotesFolder() + note.FileName; }
};

TEST_F(NoteFileTest, TheFileHasTheExactLayout) {
  TFR_NOTE* note = NewNote(L"Hello");
  note->SetBounds(300, 200, 200, 200);
  note->pnTitlePanel->SetCaption(L"  Blank ends  ");
  SaveNote(*note, NotesFolder());
  std::string bytes = ReadBytes(PathOf(*note));
  ASSERT_GT(bytes.size(), 50u);
  EXPECT_EQ(std::string("\xEF\xBB\xBF" "00012C0000C80000C80000C800006499FFFF00\r\n  Blank ends  \r\n{\\rtf1"),
            bytes.substr(0, 3 + 38 + 2 + 16 + 6));
  EXPECT_EQ("}\r\n", bytes.substr(bytes.size() - 3));
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n') {
      EXPECT_EQ('\r', bytes[i - 1]) << "bare LF at " << i;
    }
    if (bytes[i] == '\r') {
      EXPECT_EQ('\n', bytes[i + 1]) << "bare CR at " << i;
    }
  }
  EXPECT_NE(std::string::npos, bytes.find("Hello"));
  // Unchanged, the same bytes again.
  SaveNote(*note, NotesFolder());
  EXPECT_EQ(bytes, ReadBytes(PathOf(*note)));
  EXPECT_TRUE(note->reEdit->PlainText());
  EXPECT_TRUE(note->reEdit->OnChange == TNotifyEvent(note, &TFR_NOTE::reEditChange));
}

TEST_F(NoteFileTest, ANoteComesBackWithItsPlaceColourOpacityAndText) {
  TFR_NOTE* note = NewNote(L"First line\r\nSecond line");
  note->SetBounds(120, 130, 240, 180);
  note->SetNoteColor(0xCCFFCC);
  note->SetOpacity(70);
  note->pnTitlePanel->SetCaption(L"Shopping");
  SaveNote(*note, NotesFolder());
  String name = note->FileName;
  DropNotes();

  main_->ShowAllNotes(false);
  auto notes = OpenNotes();
  ASSERT_EQ(1u, notes.size());
  TFR_NOTE* back = notes[0];
  EXPECT_EQ(name, back->FileName);
  EXPECT_EQ((RECT{120, 130, 360, 310}), back->BoundsRect());
  EXPECT_EQ(0xCCFFCC, back->NoteColor());
  EXPECT_EQ(70, back->NoteOpacity);
  EXPECT_EQ(L"Shopping", back->pnTitlePanel->Caption());
  EXPECT_EQ(L"First line\r\nSecond line", back->reEdit->Text());
  EXPECT_TRUE(back->Visible());
}

TEST_F(NoteFileTest, FormattingSurvivesTheFile) {
  TFR_NOTE* note = NewNote(L"bold italic under strike font big red bullet centre right");
  TRichEdit& re = *note->reEdit;
  auto select = [&](int start, int length) {
    re.SetSelStart(start);
    re.SetSelLength(length);
  };
  select(0, 4);
  re.SelAttributes().SetStyle(fsBold);
  select(5, 6);
  re.SelAttributes().SetStyle(fsItalic);
  select(12, 5);
  re.SelAttributes().SetStyle(fsUnderline);
  select(18, 6);
  re.SelAttributes().SetStyle(fsStrikeOut);
  select(25, 4);
  re.SelAttributes().SetName(L"Courier New");
  select(30, 3);
  re.SelAttributes().SetSize(20);
  select(34, 3);
  re.SelAttributes().SetColor(clRed);
  re.SetSelText(re.SelText());  // keep the text as it is
  select(0, 1);
  re.Paragraph().SetNumbering(TNumberingStyle::nsBullet);
  re.Paragraph().SetAlignment(TParaAlignment::taCenter);
  SaveNote(*note, NotesFolder());
  DropNotes();

  main_->ShowAllNotes(false);
  ASSERT_EQ(1u, OpenNotes().size());
  TRichEdit& back = *OpenNotes()[0]->reEdit;
  auto at = [&](int start, int length) {
    back.SetSelStart(start);
    back.SetSelLength(length);
    return &back.SelAttributes();
  };
  EXPECT_EQ(fsBold, at(0, 4)->Style());
  EXPECT_EQ(fsItalic, at(5, 6)->Style());
  EXPECT_EQ(fsUnderline, at(12, 5)->Style());
  EXPECT_EQ(fsStrikeOut, at(18, 6)->Style());
  EXPECT_EQ(L"Courier New", at(25, 4)->Name());
  EXPECT_EQ(20, at(30, 3)->Size());
  EXPECT_EQ(clRed, at(34, 3)->Color());
  at(0, 1);
  EXPECT_EQ(TNumberingStyle::nsBullet, back.Paragraph().Numbering());
  EXPECT_EQ(TParaAlignment::taCenter, back.Paragraph().Alignment());
}

TEST_F(NoteFileTest, BadFilesOpenNoWindowAndStayUntouched) {
  const std::string bom = "\xEF\xBB\xBF";
  const std::string header = "00012C0000C80000C80000C800006499FFFF00\r\n";
  const std::string body = "{\\rtf1\\ansi Some text}\r\n";
  struct Case {
    const char* what;
    std::string bytes;
    bool opens;
  } cases[] = {
      {"empty file", "", false},
      {"one line", bom + header, false},
      {"short header", bom + "00012C0000C8\r\nTitle\r\n" + body, false},
      {"non-hexadecimal header", bom + "00012C0000C80000C80000C8000064XXFFFF00\r\nTitle\r\n" + body, false},
      {"no body text", bom + header + "Title\r\n", false},
      {"values at the field widths", bom + "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF\r\nTitle\r\n" + body, true},
      {"values past the field widths", bom + "1000000100000010000001000000100000010000000\r\nTitle\r\n" + body, true},
      {"no byte-order mark", header + "Titl\xE9\r\n" + body, true},
      {"invalid UTF-8", bom + header + "Ti\xC3\x28tle \xFF\r\n" + body, true},
      // The control survives groups nested 32 deep; one more takes the process down.
      {"groups 32 deep", bom + header + "Deep\r\n{\\rtf1 " + std::string(31, '{') + "Deep" + std::string(31, '}') + "}\r\n", true},
      {"groups 33 deep", bom + header + "Deeper\r\n{\\rtf1 " + std::string(32, '{') + "Deep" + std::string(32, '}') + "}\r\n", false},
      {"groups 2000 deep", bom + header + "Deepest\r\n{\\rtf1 " + std::string(2000, '{') + "Deep}\r\n", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    main_->EnsureNotesFolder();
    String path = NotesFolder() + L"1000.qwn";
    WriteBytes(path, c.bytes);
    // A good note after the bad one still opens.
    WriteBytes(NotesFolder() + L"2000.qwn", bom + header + "Good\r\n" + body);
    main_->ShowAllNotes(false);
    auto notes = OpenNotes();
    EXPECT_EQ(c.opens ? 2u : 1u, notes.size());
    for (TFR_NOTE* note : notes) {
      EXPECT_TRUE(note->Visible());
      EXPECT_FALSE(Trim(note->reEdit->Text()).empty());
    }
    // Exit closes every open note; the bad file is not rewritten or removed.
    main_->mnCLOSEClick(main_);
    PumpMessages(0);
    EXPECT_TRUE(OpenNotes().empty());
    ASSERT_TRUE(FileExists(path));
    EXPECT_TRUE(ReadBytes(path) == c.bytes);
    DeleteFileW(path);
    DeleteFileW(NotesFolder() + L"2000.qwn");
  }
}

namespace {

// The client size of each window that is sent EM_STREAMIN while the probe lives, as the
// message arrives.
class TStreamInProbe {
 public:
  TStreamInProbe() : hook_(SetWindowsHookExW(WH_CALLWNDPROC, &Hook, nullptr, GetCurrentThreadId())) { current_ = this; }
  ~TStreamInProbe() {
    UnhookWindowsHookEx(hook_);
    current_ = nullptr;
  }
  TStreamInProbe(const TStreamInProbe&) = delete;
  TStreamInProbe& operator=(const TStreamInProbe&) = delete;
  std::vector<SIZE> Sizes;

 private:
  static LRESULT CALLBACK Hook(int Code, WPARAM WParam, LPARAM LParam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(LParam);
    if (Code == HC_ACTION && current_ && sent->message == EM_STREAMIN) {
      RECT r{};
      GetClientRect(sent->hwnd, &r);
      current_->Sizes.push_back({r.right, r.bottom});
    }
    return CallNextHookEx(nullptr, Code, WParam, LParam);
  }
  static inline TStreamInProbe* current_ = nullptr;
  HHOOK hook_;
};

}  // namespace

// The editor lays the text out at the size the note shows it: a long unbroken line costs this
// control time that grows with the square of its length, and a window sized after its text is
// streamed in costs it several times over (always on top, the note's window is made again and
// its text streamed once more).
TEST_F(NoteFileTest, ANoteStreamsItsTextIntoAnEditorOfItsFinalSize) {
  for (bool onTop : {false, true}) {
    SCOPED_TRACE(onTop ? "always on top" : "in the normal band");
    TFR_NOTE* note = NewNote(L"Laid out once");
    note->SetBounds(150, 120, 320, 260);
    note->OnTop = onTop;
    SaveNote(*note, NotesFolder());
    DropNotes();
    std::vector<SIZE> streamedAt;
    {
      TStreamInProbe probe;
      main_->ShowAllNotes(false);
      streamedAt = probe.Sizes;
    }
    auto notes = OpenNotes();
    ASSERT_EQ(1u, notes.size());
    const RECT shown = notes[0]->reEdit->ClientRect();
    ASSERT_FALSE(streamedAt.empty());
    for (const SIZE& at : streamedAt) {
      EXPECT_EQ(at.cx, shown.right);
      EXPECT_EQ(at.cy, shown.bottom);
    }
    const String file = PathOf(*notes[0]);
    DropNotes();
    DeleteFileW(file.c_str());
  }
}

TEST_F(NoteFileTest, ANoteOfMegabytesOpensAndComesBackWhole) {
  // Half a megabyte of text in long paragraphs and two more in a group that readers skip (the
  // system's rich-edit control lays out very many paragraphs slowly under Wine): the file
  // streams in through many buffers of the control, and the note out through many again.
  std::string paragraph;
  while (paragraph.size() < 2000) paragraph += "A line of a long note, written again and again. ";
  std::string rtf = "{\\rtf1\\ansi {\\b Bold} start {\\*\\qnskipped " + std::string(2u << 20, 'z') + "}\r\n";
  while (rtf.size() < (5u << 19)) rtf += paragraph + "\\par\r\n";
  rtf += "end}";
  main_->EnsureNotesFolder();
  const String path = NotesFolder() + L"1000.qwn";
  WriteBytes(path, EncodeNoteFile({{10, 10, 300, 300, 100, 0x99FFFF, false}, L"Big", rtf}));
  main_->ShowAllNotes(false);
  ASSERT_EQ(1u, OpenNotes().size());
  TRichEdit& editor = *OpenNotes()[0]->reEdit;
  const String text = editor.Text();
  EXPECT_GT(text.size(), 1u << 18);
  EXPECT_EQ(L"end", text.substr(text.size() - 3));
  editor.SetSelStart(static_cast<int>(text.size()));
  editor.SetSelText(L" and more");
  main_->mnCLOSEClick(main_);
  PumpMessages(0);

  main_->ShowAllNotes(false);
  ASSERT_EQ(1u, OpenNotes().size());
  TRichEdit& back = *OpenNotes()[0]->reEdit;
  EXPECT_TRUE(text + L" and more" == back.Text());  // compared whole: a report would diff megabytes
  back.SetSelStart(0);
  back.SetSelLength(4);
  EXPECT_EQ(fsBold, back.SelAttributes().Style());
}

TEST_F(NoteFileTest, ANoteWithAParagraphLongerThanAClipMayHoldComesBack) {
  // Pasted text may hold a paragraph of any length (the check limits only rich text from a
  // clip); a note the program wrote must open again. One unbroken word lays out quickly.
  const std::string word(kMaxRtfParagraphLength + 100, 'w');
  main_->EnsureNotesFolder();
  const String path = NotesFolder() + L"1001.qwn";
  WriteBytes(path, EncodeNoteFile({{10, 10, 300, 300, 100, 0x99FFFF, false}, L"Long", "{\\rtf1\\ansi " + word + "\\par end}"}));
  main_->ShowAllNotes(false);
  ASSERT_EQ(1u, OpenNotes().size());
  const String text = OpenNotes()[0]->reEdit->Text();
  EXPECT_TRUE(String(word.begin(), word.end()) == text.substr(0, word.size()));  // a report would be huge
  EXPECT_NE(String::npos, text.find(L"end", word.size()));
  const String file = PathOf(*OpenNotes()[0]);
  DropNotes();
  DeleteFileW(file.c_str());
}

TEST_F(NoteFileTest, AFailedSaveKeepsThePreviousFileWhole) {
  TFR_NOTE* note = NewNote(L"Version one");
  SaveNote(*note, NotesFolder());
  std::string before = ReadBytes(PathOf(*note));
  note->reEdit->SetText(L"Version two");
  // The program dies between writing the temporary file and replacing the note's file.
  String failure;
  {
    testing_support::THookedFileReplacement failing([](const String&) { return false; });
    EXPECT_FALSE(SaveNote(*note, NotesFolder(), &failure));
  }
  EXPECT_FALSE(failure.empty());
  EXPECT_EQ(before, ReadBytes(PathOf(*note)));
  EXPECT_EQ(std::vector<String>{note->FileName}, ListFiles(NotesFolder(), L"*"));
  EXPECT_TRUE(note->reEdit->PlainText());
  EXPECT_TRUE(note->reEdit->OnChange == TNotifyEvent(note, &TFR_NOTE::reEditChange));
  EXPECT_TRUE(SaveNote(*note, NotesFolder()));
  EXPECT_NE(std::string::npos, ReadBytes(PathOf(*note)).find("Version two"));
}

TEST_F(NoteFileTest, NamesAreTheDigitsOfNowAndStayApart) {
  clock_.Value = 46365.0 + (11 * 3600 + 18 * 60 + 40) / 86400.0;  // 12/9/2026 11:18:40 AM
  TFR_NOTE* a = NewNote();
  TFR_NOTE* b = NewNote();
  EXPECT_EQ(L"1292026111840.qwn", a->FileName);
  EXPECT_NE(a->FileName, b->FileName);
  EXPECT_TRUE(MatchesMask(b->FileName, L"*.qwn"));
  // An existing file with the name is kept apart too.
  DropNotes();
  WriteBytes(NotesFolder() + L"1292026111840.qwn", "x");
  EXPECT_NE(L"1292026111840.qwn", NewNote()->FileName);
  clock_.Value = 46365.0;  // midnight: the date's digits alone
  EXPECT_EQ(L"1292026.qwn", NewNote()->FileName);
}
