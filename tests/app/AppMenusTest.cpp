// The tray menu and the note menu: their items, their images, how they open, and what their
// commands do to the notes.
#include "AppFixture.h"
#include "MenuTables.h"

#include "classlib/GdiHandles.h"
#include "classlib/Graphics.h"
#include "classlib/TextConv.h"
#include "common/GdiCensus.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <typeinfo>
#include <utility>

using namespace app_testing;
using testing_support::PumpMessages;

namespace {

BOOL CALLBACK FindShownPopup(HWND wnd, LPARAM data) {
  if (!dynamic_cast<TTBPopupWindow*>(TWinControl::FindControl(wnd)) || !IsWindowVisible(wnd)) return TRUE;
  *reinterpret_cast<HWND*>(data) = wnd;
  return FALSE;
}

// The thread's shown popup menu window, if any.
HWND ShownPopup() {
  HWND found = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindShownPopup, reinterpret_cast<LPARAM>(&found));
  return found;
}

// How many pixels the image draws over a plain background.
int DrawnPixels(const TCustomImageList& list, int index) {
  constexpr TColor kBackground = 0x030201;
  TBitmap canvas;
  canvas.SetSize(list.Width(), list.Height());
  canvas.Canvas().Brush().SetColor(kBackground);
  canvas.Canvas().FillRect(RECT{0, 0, list.Width(), list.Height()});
  list.Draw(canvas.Canvas(), 0, 0, index);
  GdiFlush();
  const uint32_t background = RGBToPixel(ColorToRGB(kBackground));
  int drawn = 0;
  for (int y = 0; y < canvas.Height(); ++y)
    for (int x = 0; x < canvas.Width(); ++x) drawn += (canvas.ScanLine(y)[x] & 0xFFFFFF) != background;
  return drawn;
}

// Every child of parent is visible and enabled; exactly the named ones are ticked.
void ExpectStates(TTBCustomItem* parent, const std::vector<String>& checked) {
  for (int i = 0; i < parent->Count(); ++i) {
    TTBCustomItem* item = parent->Items(i);
    SCOPED_TRACE(testing::PrintToString(item->Name()));
    EXPECT_TRUE(item->Visible());
    EXPECT_TRUE(item->Enabled());
    EXPECT_EQ(std::find(checked.begin(), checked.end(), item->Name()) != checked.end(), item->Checked());
  }
}

}  // namespace

class AppMenusTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    SetCursorPos(1, 1);  // no menu shows under the cursor
    CreateMainForm();
    main_->EnsureNotesFolder();
  }
  String PathOf(const TFR_NOTE* note) const { return NotesFolder() + note->FileName; }
  static TTBCustomItem* OpacityItem(TFR_NOTE* note, int percent) {
    return dynamic_cast<TTBCustomItem*>(note->FindComponent(L"N" + std::to_wstring(percent)));
  }
  // The percentages whose opacity items are ticked.
  static std::vector<int> Ticked(TFR_NOTE* note) {
    std::vector<int> ticked;
    for (int k = 10; k <= 100; k += 10)
      if (OpacityItem(note, k)->Checked()) ticked.push_back(k);
    return ticked;
  }
  testing_support::TMenuDriver whileOpen_;
};

TEST_F(AppMenusTest, TheTrayMenuListsItsCommandsInOrder) {
  using M = TFR_QNT_MAIN;
  auto handler = [this](void (M::*method)(TObject*)) { return TNotifyEvent(main_, method); };
  ExpectItems(main_, main_->pmPopup->Items(),
              {{L"mnAddNote", TKind::Item, L"New Note", 1, 0, 0, handler(&M::mnAddNoteClick)},
               {L"N1", TKind::Separator, L"", -1, 0, 0, nullptr},
               {L"mnShowAllNotes", TKind::Item, L"Show All Notes", -1, 0, 0, handler(&M::mnShowAllNotesClick)},
               {L"mnHideAllNotes", TKind::Item, L"Hide All Notes", -1, 0, 0, handler(&M::mnHideAllNotesClick)},
               {L"N2", TKind::Separator, L"", -1, 0, 0, nullptr},
               {L"mnSettings", TKind::Item, L"Settings", 2, 0, 0, handler(&M::mnSettingsClick)},
               {L"N3", TKind::Separator, L"", -1, 0, 0, nullptr},
               {L"tbCheckForUpdates", TKind::Item, L"Check for updates", -1, 0, 0,
                handler(&M::tbCheckForUpdatesClick)},
               {L"mnHelp", TKind::Item, L"Help", -1, 0, 0, handler(&M::mnHelpClick)},
               {L"mnAbout", TKind::Item, L"About", -1, 0, 0, handler(&M::mnAboutClick)},
               {L"N4", TKind::Separator, L"", -1, 0, 0, nullptr},
               {L"tbVisitQuillnote", TKind::Item, L"Visit www.quillnote.example", -1, 0, 0,
                handler(&M::tbVisitQuillnoteClick)},
               {L"tbVisitOrvaneSoftware", TKind::Item, L"Visit www.orvane.example", -1, 0, 0,
                handler(&M::tbVisitOrvaneSoftwareClick)},
               {L"N5", TKind::Separator, L"", -1, 0, 0, nullptr},
               {L"mnCLOSE", TKind::Item, L"Exit", -1, 0, 0, handler(&M::mnCLOSEClick)}});
  ExpectStates(main_->pmPopup->Items(), {});
  EXPECT_EQ(main_->pmPopup, main_->tiTray->PopupMenu());
  EXPECT_EQ(main_->ilImages, main_->pmPopup->Images());
}

TEST_F(AppMenusTest, TheNoteMenuListsItsCommandsInOrder) {
  TFR_NOTE* note = NewNote();
  using N = TFR_NOTE;
  auto handler = [note](void (N::*method)(TObject*)) { return TNotifyEvent(note, method); };
  ExpectItems(note, note->pmSettings->Items(),
              {{L"tbNewNote", TKind::Item, L"New Note", 17, 0, 0, handler(&N::tbNewNoteClick)},
               {L"N1", TKind::Separator, L"", -1, 0, 0, nullptr},
               {L"tbAlwaysOnTop", TKind::Item, L"Always On Top", -1, 0, 0, handler(&N::tbAlwaysOnTopClick)},
               {L"TBXSeparatorItem1", TKind::Separator, L"", -1, 0, 0, nullptr},
               {L"tbColor", TKind::Submenu, L"Color", -1, 0, 0, nullptr},
               {L"tbTransparent", TKind::Submenu, L"Opacity         ", -1, 0, 0, nullptr},
               {L"N2", TKind::Separator, L"", -1, 0, 0, nullptr},
               {L"tbDelete", TKind::Item, L"Delete Note", 4, ShortCut(VK_DELETE, ssCtrl), 0,
                handler(&N::mnDeleteNoteClick)},
               {L"TBXSeparatorItem6", TKind::Separator, L"", -1, 0, 0, nullptr},
               {L"tbPrint", TKind::Item, L"Print", 5, 0, 0, handler(&N::mnPrintClick)},
               {L"tbSendMail", TKind::Item, L"Send Mail", 18, 0, 0, handler(&N::tbSendMailClick)},
               {L"N3", TKind::Separator, L"", -1, 0, 0, nullptr},
               {L"tbTweet", TKind::Item, L"Tweet This!", 19, 0, 0, handler(&N::tbTweetClick)},
               {L"TBXSeparatorItem5", TKind::Separator, L"", -1, 0, 0, nullptr},
               {L"tbExit", TKind::Item, L"Close", -1, 0, 0, handler(&N::mnExitClick)}});
  ExpectStates(note->pmSettings->Items(), {});
  std::vector<TRow> opacity;
  const wchar_t* names[] = {L"N10", L"N20", L"N30", L"N40", L"N50", L"N60", L"N70", L"N80", L"N90", L"N100"};
  const wchar_t* captions[] = {L"10 %", L"20 %", L"30 %", L"40 %", L"50 %",
                               L"60 %", L"70 %", L"80 %", L"90 %", L"100 %"};
  for (int i = 0; i < 10; ++i)
    opacity.push_back({names[i], TKind::Item, captions[i], -1, 0, (i + 1) * 10, handler(&N::OpacityClick)});
  ExpectItems(note, note->tbTransparent, opacity);
  ExpectStates(note->tbTransparent, {L"N100"});
  // "Always On Top" follows the default for new notes.
  main_->DefAlwaysOnTop = true;
  ExpectStates(NewNote()->pmSettings->Items(), {L"tbAlwaysOnTop"});
  EXPECT_EQ(note->ilEditor, note->pmSettings->Images());
}

TEST_F(AppMenusTest, EveryImageAMenuShowsIsDrawnAndAllNotesShareOneList) {
  TFR_NOTE* a = NewNote();
  TFR_NOTE* b = NewNote();
  ASSERT_NE(nullptr, a->ilEditor);
  EXPECT_EQ(a->ilEditor, b->ilEditor);
  EXPECT_EQ(b->ilEditor, b->pmSettings->Images());
  EXPECT_EQ(20, a->ilEditor->Count());
  EXPECT_EQ(3, main_->ilImages->Count());
  for (auto [menu, list] : {std::pair{main_->pmPopup, main_->ilImages}, {a->pmSettings, a->ilEditor},
                            {a->pmRichTextEditor, a->ilEditor}}) {
    TTBCustomItem* root = menu->Items();
    for (int i = 0; i < root->Count(); ++i)
      if (root->Items(i)->ImageIndex() >= 0) {
        EXPECT_GT(DrawnPixels(*list, root->Items(i)->ImageIndex()), 20) << testing::PrintToString(root->Items(i)->Name());
      }
  }
  EXPECT_GT(DrawnPixels(*main_->ilImages, 2), 20) << "the settings image";
  EXPECT_EQ(0, DrawnPixels(*a->ilEditor, 14)) << "a cell that no command uses stays blank";
}

TEST_F(AppMenusTest, TheTrayIconOpensItsMenuAtTheCursorAndItsFirstAndLastLinesMakeANoteAndExit) {
  main_->tiTray->SetVisible(true);
  auto rightClick = [this] {
    SendMessageW(main_->tiTray->Handle(), TTrayIcon::CallbackMessage, 0, WM_RBUTTONDOWN);
    SendMessageW(main_->tiTray->Handle(), TTrayIcon::CallbackMessage, 0, WM_RBUTTONUP);
  };
  SetCursorPos(400, 300);
  bool shown = false;
  whileOpen_.Post([&] {
    shown = ShownPopup() != nullptr;
    whileOpen_.PostKeys({VK_DOWN, VK_RETURN});  // the first line
  });
  rightClick();
  EXPECT_TRUE(shown);
  EXPECT_EQ(400, main_->pmPopup->PopupPoint().x);
  EXPECT_EQ(300, main_->pmPopup->PopupPoint().y);
  PumpMessages(0);
  auto notes = OpenNotes();
  ASSERT_EQ(1u, notes.size());
  notes[0]->reEdit->SetText(L"From the tray");
  const String path = PathOf(notes[0]);

  whileOpen_.PostKeys({VK_UP, VK_RETURN});  // the last line
  rightClick();
  PumpMessages(0);
  EXPECT_TRUE(OpenNotes().empty());
  EXPECT_FALSE(main_->Visible());
  EXPECT_NE(std::string::npos, ReadBytes(path).find("From the tray"));
  EXPECT_EQ(nullptr, ShownPopup());
  EXPECT_EQ(nullptr, GetCapture());
}

TEST_F(AppMenusTest, TheMenuButtonOpensTheNoteMenuBelowItWithTheEditorFocusedAndLeavesNothingBehind) {
  TFR_NOTE* note = NewNote(L"Menu");
  note->SetBounds(300, 200, 200, 200);
  PumpMessages(0);
  const POINT expected{note->Left() + note->pnButtons->Left(),
                       note->Top() + note->sbPopup->Top() + note->sbPopup->Height()};
  // What a menu costs lives only while it is open: counted after the first opening, which
  // makes what the process keeps for every menu.
  long gdiBefore = 0;
  std::optional<gdi_census::TMark> census;
  int windowsBefore = 0;
  for (int round = 0; round < 3; ++round) {
    RECT popup{};
    HWND focus = nullptr;
    whileOpen_.Post([&] {
      GetWindowRect(ShownPopup(), &popup);
      focus = GetFocus();
      PostMessageW(GetCapture(), WM_KEYDOWN, VK_ESCAPE, 1);
    });
    note->sbPopupClick(note->sbPopup);
    PumpMessages(0);
    EXPECT_EQ(expected.x, note->pmSettings->PopupPoint().x);
    EXPECT_EQ(expected.y, note->pmSettings->PopupPoint().y);
    // The "Ide" theme overlaps a popup opened at a point by one pixel up and to the left.
    const int overlap = ActiveTheme->GetBooleanMetrics(1) ? 1 : 0;
    EXPECT_EQ(expected.x - overlap, popup.left);
    EXPECT_EQ(expected.y - overlap, popup.top);
    EXPECT_EQ(note->reEdit->Handle(), focus);
    if (round == 0) {
      gdiBefore = gdi::LiveObjects();
      census.emplace();
      windowsBefore = testing_support::ThreadWindowCount();
    }
  }
  EXPECT_EQ(gdiBefore, gdi::LiveObjects());
  EXPECT_TRUE(census->NothingLeft());
  EXPECT_EQ(windowsBefore, testing_support::ThreadWindowCount());
  EXPECT_EQ(nullptr, GetCapture());
}

TEST_F(AppMenusTest, AlwaysOnTopTogglesTheCheckMarkAndTheWindowAndKeepsTheText) {
  TFR_NOTE* note = NewNote(L"Bold words here");
  note->reEdit->SetSelStart(0);
  note->reEdit->SetSelLength(4);
  note->reEdit->SelAttributes().SetStyle(fsBold);
  note->SetOpacity(70);
  // Chosen from the open menu: New Note, then Always On Top (the separator is passed over).
  for (bool onTop : {true, false}) {
    whileOpen_.PostKeys({VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_EQ(note->tbAlwaysOnTop, note->pmSettings->PopupEx(200, 200, false)) << onTop;
    PumpMessages(0);
    EXPECT_EQ(onTop, note->tbAlwaysOnTop->Checked());
    EXPECT_EQ(onTop, note->OnTop);
    EXPECT_EQ(onTop, Topmost(note->Handle()));
    EXPECT_EQ(L"Bold words here", note->reEdit->Text());
    note->reEdit->SetSelStart(0);
    note->reEdit->SetSelLength(4);
    EXPECT_EQ(fsBold, note->reEdit->SelAttributes().Style());
    EXPECT_EQ(70 * 255 / 100, LayeredAlpha(note->Handle()));
    EXPECT_TRUE(note->reEdit->PlainText());
  }
  EXPECT_EQ(1u, OpenNotes().size());
}

TEST_F(AppMenusTest, OpacityItemsSetTheAlphaAndTheTicksFollowTheOpacity) {
  TFR_NOTE* note = NewNote(L"See through");
  for (int percent = 10; percent <= 100; percent += 10) {
    OpacityItem(note, percent)->Click();
    EXPECT_EQ(percent, note->NoteOpacity);
    EXPECT_EQ(percent * 255 / 100, LayeredAlpha(note->Handle())) << percent;
    EXPECT_EQ(std::vector<int>{percent}, Ticked(note));
  }
  // From the open menu: Opacity is the fourth line; its submenu opens on its first item.
  whileOpen_.PostKeys({VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
  EXPECT_EQ(OpacityItem(note, 50), note->pmSettings->PopupEx(200, 200, false));
  PumpMessages(0);
  EXPECT_EQ(50, note->NoteOpacity);
  EXPECT_EQ(127, LayeredAlpha(note->Handle()));

  struct Case {
    int percent;
    BYTE alpha;
    std::vector<int> ticked;
  } cases[] = {{25, 63, {30}}, {75, 191, {80}}, {55, 140, {}}, {100, 255, {100}}, {10, 25, {10}}};
  for (const Case& c : cases) {
    note->SetOpacity(c.percent);
    EXPECT_EQ(c.alpha, LayeredAlpha(note->Handle())) << c.percent;
    EXPECT_EQ(c.ticked, Ticked(note)) << c.percent;
  }
}

TEST_F(AppMenusTest, TheCheckMarkFollowsTheDefaultForNewNotesAndTheFileForLoadedOnes) {
  for (bool onTop : {false, true}) {
    main_->DefAlwaysOnTop = onTop;
    TFR_NOTE* note = NewNote();
    EXPECT_EQ(onTop, note->tbAlwaysOnTop->Checked());
    EXPECT_EQ(onTop, Topmost(note->Handle()));
    note->Free();
  }
  main_->DefAlwaysOnTop = true;  // a loaded note follows its file, not the default
  struct Case {
    const char* name;
    const char* header;
    bool checked;
  } cases[] = {{"1.qwn", "00012C0000C80000C80000C800006499FFFF01", true},
               {"2.qwn", "00012C0000C80000C80000C800006499FFFF00", false},
               {"3.qwn", "00012C0000C80000C80000C800006499FFFF", false}};
  for (const Case& c : cases)
    WriteBytes(NotesFolder() + Utf8ToWide(c.name),
               std::string("\xEF\xBB\xBF") + c.header + "\r\nTitle\r\n{\\rtf1\\ansi Text}\r\n");
  main_->ShowAllNotes(false);
  ASSERT_EQ(3u, OpenNotes().size());
  for (const Case& c : cases)
    for (TFR_NOTE* note : OpenNotes())
      if (note->FileName == Utf8ToWide(c.name)) {
        EXPECT_EQ(c.checked, note->tbAlwaysOnTop->Checked()) << c.name;
        EXPECT_EQ(c.checked, Topmost(note->Handle())) << c.name;
      }
}

TEST_F(AppMenusTest, NewNoteDeleteAndCloseFromTheNoteMenu) {
  TFR_NOTE* note = NewNote(L"First");
  note->tbNewNote->Click();
  EXPECT_EQ(2u, OpenNotes().size());
  EXPECT_TRUE(main_->tmDblClick->Enabled()) << "the tray's guard runs";
  SendMessageW(main_->tiTray->Handle(), TTrayIcon::CallbackMessage, 0, WM_LBUTTONDBLCLK);
  EXPECT_EQ(2u, OpenNotes().size()) << "the tray makes no note while its guard runs";
  SendMessageW(main_->tmDblClick->Handle(), WM_TIMER, main_->tmDblClick->TimerId(), 0);

  SaveNote(*note, NotesFolder());
  const String deleted = PathOf(note);
  ASSERT_TRUE(FileExists(deleted));
  note->tbDelete->Click();
  PumpMessages(0);
  EXPECT_FALSE(FileExists(deleted));
  ASSERT_EQ(1u, OpenNotes().size());

  TFR_NOTE* other = OpenNotes()[0];
  other->reEdit->SetText(L"Closed from the menu");
  const String closed = PathOf(other);
  other->tbExit->Click();
  EXPECT_FALSE(other->tmCloseTimer->Enabled()) << "no fade";
  PumpMessages(0);
  EXPECT_TRUE(OpenNotes().empty());
  EXPECT_NE(std::string::npos, ReadBytes(closed).find("Closed from the menu"));
}
