// Pasting into a live note: hostile rich text from the clipboard, by real keys and by the editor's
// menu, arrives as its plain text; the note keeps its earlier text and saves itself afterwards.
#include "AppFixture.h"

#include "common/MenuTestSupport.h"

#include <functional>

using namespace app_testing;
using testing_support::PressKeys;
using testing_support::PumpMessages;
using testing_support::SetClipboardRichText;

namespace {

// Rich text that this Wine's control does not survive, or does not finish reading.
std::string Nested(int depth) {
  return "{\\rtf1 " + std::string(static_cast<size_t>(depth - 1), '{') + "deep" +
         std::string(static_cast<size_t>(depth), '}');
}

constexpr size_t kMegabyte = 1 << 20;

struct THostileClip {
  const char* What;
  std::string Rtf;
};

const std::vector<THostileClip>& HostileClips() {
  static const std::vector<THostileClip> clips{
      {"groups nested 33 deep", Nested(33)},
      {"groups nested 40 deep", Nested(40)},
      {"groups nested 1,000 deep", Nested(1000)},
      {"a control word of a megabyte", "{\\rtf1 \\" + std::string(kMegabyte, 'q') + " x}"},
      {"a number of a megabyte", "{\\rtf1 \\fs" + std::string(kMegabyte, '7') + " x}"},
      {"100,000 unclosed groups", "{\\rtf1 " + std::string(100000, '{')},
      {"a binary run of a megabyte", "{\\rtf1 \\bin" + std::to_string(kMegabyte) + " " + std::string(kMegabyte, 'b') + "}"},
      {"a tab stop before the margin", "{\\rtf1 \\pard\\tx-1 a\\tab b\\par}"},
  };
  return clips;
}

}  // namespace

class NotePasteTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    CreateMainFormWithNotesFolder();
  }

  // A shown note with the caret after its text, and no save pending.
  void NoteWithText(const String& text) {
    if (note) note->Free();
    note = NewNote(text);
    note->SetBounds(300, 200, 200, 200);
    note->reEdit->SetSelStart(static_cast<int>(text.size()));
    note->tmSave->SetEnabled(false);
  }

  // The editor's menu opened where the user right-clicks into the text, and one item clicked.
  void ClickInEditorMenu(TTBCustomItem* item) {
    whileOpen_.SetWatchdog(10000);
    whileOpen_.Post([item] {
      auto* popup = dynamic_cast<TTBPopupWindow*>(FindControlAtPos(POINT{330, 230}, true));
      ASSERT_NE(nullptr, popup);
      testing_support::PostMenuClick(testing_support::ItemOnScreen(popup, item));
    });
    HWND editor = note->reEdit->Handle();
    SendMessageW(editor, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(editor), MAKELPARAM(320, 220));
    EXPECT_FALSE(whileOpen_.WatchdogFired()) << "the menu did not close";
    PumpMessages(0);
  }

  // The ways a user pastes.
  struct TRoad {
    const char* Name;
    std::function<void(NotePasteTest&)> Paste;
  };
  static std::vector<TRoad> Roads() {
    return {
        {"Ctrl+V", [](NotePasteTest& t) {
           t.FocusEditorForKeys(t.note);
           PressKeys({VK_CONTROL, 'V'});
         }},
        {"Shift+Insert", [](NotePasteTest& t) {
           t.FocusEditorForKeys(t.note);
           PressKeys({VK_SHIFT, VK_INSERT});
         }},
        {"the editor menu's Paste", [](NotePasteTest& t) { t.ClickInEditorMenu(t.note->mnPaste); }},
    };
  }

  // The note's file after its save timer has run.
  std::string SavedRtf() {
    SendMessageW(note->tmSave->Handle(), WM_TIMER, note->tmSave->TimerId(), 0);
    return DecodeNoteFile(ReadBytes(NotesFolder() + note->FileName)).Rtf;
  }

  TFR_NOTE* note = nullptr;
  testing_support::TMenuDriver whileOpen_;
};

TEST_F(NotePasteTest, HostileRichTextPastesAsItsPlainTextAndTheNoteSavesOn) {
  for (const TRoad& road : Roads()) {
    for (const THostileClip& clip : HostileClips()) {
      SCOPED_TRACE(std::string(road.Name) + ", " + clip.What);
      NoteWithText(L"earlier words ");
      SetClipboardRichText(clip.Rtf, L"pasted words");
      road.Paste(*this);
      EXPECT_EQ(L"earlier words pasted words", note->reEdit->Text());
      EXPECT_TRUE(note->tmSave->Enabled()) << "the paste starts the autosave";
      const std::string saved = SavedRtf();
      EXPECT_NE(std::string::npos, saved.find("earlier words pasted words")) << saved;
      EXPECT_FALSE(note->tmSave->Enabled());
    }
  }
}

TEST_F(NotePasteTest, RichTextThatPassesKeepsItsFormattingByEveryRoad) {
  for (const TRoad& road : Roads()) {
    SCOPED_TRACE(road.Name);
    NoteWithText(L"plain ");
    SetClipboardRichText("{\\rtf1 {\\b bold} words}", L"bold words");
    road.Paste(*this);
    EXPECT_EQ(L"plain bold words", note->reEdit->Text());
    note->reEdit->SetSelStart(6);
    note->reEdit->SetSelLength(4);
    EXPECT_EQ(fsBold, note->reEdit->SelAttributes().Style());
    note->reEdit->SetSelStart(0);
    note->reEdit->SetSelLength(5);
    EXPECT_EQ(0, note->reEdit->SelAttributes().Style());
  }
}

TEST_F(NotePasteTest, RefusedRichTextWithoutPlainTextPastesNothingAndTypingGoesOn) {
  for (const char* key : {"Ctrl+V", "Shift+Insert"}) {
    SCOPED_TRACE(key);
    NoteWithText(L"kept");
    SetClipboardRichText(Nested(40), L"");
    FocusEditorForKeys(note);
    if (key[0] == 'C') PressKeys({VK_CONTROL, 'V'});
    else PressKeys({VK_SHIFT, VK_INSERT});
    EXPECT_EQ(L"kept", note->reEdit->Text());
    PressKeys({'X'});
    EXPECT_EQ(L"keptx", note->reEdit->Text());
  }
}
