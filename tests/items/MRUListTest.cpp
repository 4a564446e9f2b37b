// The most-recently-used list: adding and removing names, the entries' captions, trimming, its
// storage in an INI file and the registry, the item that shows it in a menu, and a chosen entry.
#include "ItemTestSupport.h"

#include "classlib/FileUtils.h"
#include "classlib/ScopeGuard.h"
#include "classlib/Streams.h"
#include "common/MenuTestSupport.h"
#include "common/TestSupport.h"
#include "items/TB2MRU.h"
#include "items/TB2PopupMenu.h"

#include <gtest/gtest.h>

#include <commdlg.h>

#include <functional>
#include <string>
#include <vector>

using namespace item_tests;
using testing_support::PumpMessages;

namespace {

// Records the list's changes and clicks; hooks run inside them.
class TListSpy : public TObject {
 public:
  void Changed(TObject*) {
    ++Changes;
    if (OnChangeHook) OnChangeHook();
  }
  void Clicked(TObject* Sender, const String& Filename) {
    Clicks.push_back(Filename);
    ClickSenders.push_back(Sender);
    MenuOpenAtClick = GetCapture() != nullptr;
  }
  void Watch(TTBMRUList& List) {
    List.OnChange = TNotifyEvent(this, &TListSpy::Changed);
    List.OnClick = TTBMRUListClickEvent(this, &TListSpy::Clicked);
  }
  int Changes = 0;
  std::vector<String> Clicks;
  std::vector<TObject*> ClickSenders;
  bool MenuOpenAtClick = false;
  std::function<void()> OnChangeHook;
};

std::vector<String> EntriesOf(const TTBMRUList& List) {
  std::vector<String> entries;
  for (int i = 0; i < List.Items().Count(); ++i) entries.push_back(List.Items().Get(i));
  return entries;
}

std::vector<String> CaptionsOf(const TTBMRUList& List) {
  std::vector<String> captions;
  for (int i = 0; i < List.ContainerItem()->Count(); ++i) captions.push_back(List.ContainerItem()->Items(i)->Caption());
  return captions;
}

// The system's own title of a file name (this Wine keeps the extension).
String SystemFileTitle(const String& Name) {
  wchar_t title[MAX_PATH] = {};
  return GetFileTitleW(Name.c_str(), title, MAX_PATH) == 0 ? String(title) : Name;
}

class MRUList : public testing::Test {
 public:
  void SetUp() override { spy.Watch(*list); }
  void TearDown() override {
    if (list) list->Free();
  }
  // Adds the names so that the first one given ends on top.
  void Fill(std::initializer_list<const wchar_t*> Names) {
    std::vector<const wchar_t*> names(Names);
    for (auto it = names.rbegin(); it != names.rend(); ++it) list->Add(*it);
  }
  TTBMRUList* list = new TTBMRUList(nullptr);
  TListSpy spy;
};

TEST_F(MRUList, AddingKeepsTheNewestFirstAndOneEntryPerFile) {
  struct Case {
    const char* what;
    std::vector<const wchar_t*> adds;
    std::vector<String> expected;
  };
  const Case cases[] = {
      {"five adds keep the four newest",
       {L"C:\\Docs\\a.txt", L"C:\\Docs\\b.txt", L"C:\\Docs\\c.txt", L"C:\\Docs\\d.txt", L"C:\\Docs\\e.txt"},
       {L"C:\\Docs\\e.txt", L"C:\\Docs\\d.txt", L"C:\\Docs\\c.txt", L"C:\\Docs\\b.txt"}},
      {"a name in another letter case moves to the top in its new spelling",
       {L"C:\\Docs\\Report.txt", L"C:\\Docs\\b.txt", L"c:\\docs\\REPORT.TXT"},
       {L"c:\\docs\\REPORT.TXT", L"C:\\Docs\\b.txt"}},
      {"a relative name is stored as its full path", {L"C:\\Docs\\a.txt", L"notes.txt"},
       {ExpandFileName(L"notes.txt"), L"C:\\Docs\\a.txt"}},
  };
  for (const Case& c : cases) {
    list->Items().Clear();
    for (const wchar_t* name : c.adds) list->Add(name);
    EXPECT_EQ(EntriesOf(*list), c.expected) << c.what;
    EXPECT_EQ(list->ContainerItem()->Count(), static_cast<int>(c.expected.size())) << c.what << ": one item per entry";
  }
  list->Remove(L"notes.txt");
  EXPECT_EQ(list->Items().Count(), 2) << "Remove takes the name as given";
  list->Remove(ExpandFileName(L"notes.txt"));
  EXPECT_EQ(EntriesOf(*list), (std::vector<String>{L"C:\\Docs\\a.txt"}));
}

TEST_F(MRUList, EntriesAreNumberedOneToNineThenAToZAndThenNotAtAll) {
  list->SetMaxItems(40);
  std::vector<String> names;
  for (int i = 36; i >= 1; --i) list->Add(L"C:\\Docs\\Tom&Jerry " + std::to_wstring(i) + L".txt");
  ASSERT_EQ(list->Items().Count(), 36);
  struct Row {
    int entry;  // from 1
    const wchar_t* prefix;
  };
  const Row rows[] = {{1, L"&1 "}, {9, L"&9 "}, {10, L"&A "}, {35, L"&Z "}, {36, L""}};
  for (bool hide : {true, false}) {
    list->SetHidePathExtension(hide);
    const std::vector<String> captions = CaptionsOf(*list);
    for (const Row& row : rows) {
      const String name = list->Items().Get(row.entry - 1);
      String text = hide ? SystemFileTitle(name) : name;
      // "&" is doubled, so that the name makes no accelerator of its own.
      text.replace(text.find(L'&'), 1, L"&&");
      EXPECT_EQ(captions[static_cast<size_t>(row.entry - 1)], row.prefix + text) << "entry " << row.entry << " hide " << hide;
    }
  }
}

TEST_F(MRUList, LoweringMaxItemsDropsTheOldestAtOnceWithOneChangeEach) {
  Fill({L"C:\\a", L"C:\\b", L"C:\\c", L"C:\\d"});
  TTBCustomItem* newest = list->ContainerItem()->Items(0);
  spy.Changes = 0;
  list->SetMaxItems(2);
  EXPECT_EQ(spy.Changes, 2);
  EXPECT_EQ(EntriesOf(*list), (std::vector<String>{L"C:\\a", L"C:\\b"}));
  EXPECT_EQ(list->ContainerItem()->Items(0), newest) << "the kept entries keep their items";
  EXPECT_EQ(CaptionsOf(*list), (std::vector<String>{L"&1 a", L"&2 b"}));
  list->SetMaxItems(-1);
  EXPECT_EQ(list->MaxItems(), 0) << "a negative maximum counts as none";
  EXPECT_EQ(list->Items().Count(), 0);
  EXPECT_EQ(list->ContainerItem()->Count(), 0);
}

// --- storage ------------------------------------------------------------------------------------

class MRUStorage : public MRUList {
 public:
  void SetUp() override {
    MRUList::SetUp();
    folder = testing_support::MakeTempFolder(L"mru");
    file = folder + L"recent.ini";
  }
  void TearDown() override {
    testing_support::RemoveFolderTree(folder);
    MRUList::TearDown();
  }
  std::string Bytes() const { return ReadFileBytes(file); }
  void Write(const std::string& Bytes) const { ReplaceFileContents(file, Bytes); }
  String folder, file;
};

TEST_F(MRUStorage, AnIniFileGetsTheEntriesTheRestUpToTheMaximumDeletedAndAGapClosesOnLoad) {
  Write("[Recent]\r\nMRU1=old 1\r\nMRU2=old 2\r\nMRU3=old 3\r\nMRU4=old 4\r\nMRU7=stray\r\n[Other]\r\nMRU1=keep\r\n");
  Fill({L"C:\\one.txt", L"C:\\two.txt", L"C:\\three.txt"});
  {
    TIniFile ini(file);
    list->SaveToIni(ini, L"Recent");
  }
  EXPECT_EQ(Bytes(), "[Recent]\r\nMRU1=C:\\one.txt\r\nMRU2=C:\\two.txt\r\nMRU3=C:\\three.txt\r\nMRU7=stray\r\n"
                     "[Other]\r\nMRU1=keep\r\n");

  Write("[Recent]\r\nMRU1=first\r\nMRU2=\r\nMRU3=third\r\nMRU4=fourth\r\nMRU5=fifth\r\n");
  const std::string before = Bytes();
  TIniFile ini(file);
  list->LoadFromIni(ini, L"Recent");
  EXPECT_EQ(EntriesOf(*list), (std::vector<String>{L"first", L"third", L"fourth"})) << "up to MaxItems keys";
  list->LoadFromIni(ini, L"Missing");
  EXPECT_EQ(list->Items().Count(), 0);
  EXPECT_EQ(Bytes(), before) << "a load writes nothing";
  TIniFile absent(folder + L"absent.ini");
  list->LoadFromIni(absent, L"Recent");
  EXPECT_EQ(GetFileAttributesW((folder + L"absent.ini").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(MRUStorage, ARegistryKeyGetsTheEntriesTheRestDeletedAndAGapClosesOnLoad) {
  const String key = L"Software\\Quillnote Tests\\MRU";
  TScopeGuard removeKey([&] { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillnote Tests"); });
  TRegIniFile reg(key);
  for (const wchar_t* name : {L"MRU1", L"MRU2", L"MRU3", L"MRU4", L"MRU7"}) reg.WriteString(L"Recent", name, L"old");
  Fill({L"C:\\one.txt", L"C:\\two.txt", L"C:\\three.txt"});
  list->SaveToRegIni(reg, L"Recent");
  TRegistry read;
  ASSERT_TRUE(read.OpenKeyReadOnly(L"\\" + key + L"\\Recent"));
  EXPECT_EQ(read.ReadString(L"MRU1"), L"C:\\one.txt");
  EXPECT_EQ(read.ReadString(L"MRU3"), L"C:\\three.txt");
  EXPECT_FALSE(read.ValueExists(L"MRU4"));
  EXPECT_TRUE(read.ValueExists(L"MRU7")) << "keys past the maximum are left alone";

  reg.WriteString(L"Recent", L"MRU2", L"");
  list->LoadFromRegIni(reg, L"Recent");
  EXPECT_EQ(EntriesOf(*list), (std::vector<String>{L"C:\\one.txt", L"C:\\three.txt"}));
  list->LoadFromRegIni(reg, L"Missing");
  EXPECT_EQ(list->Items().Count(), 0);
  EXPECT_FALSE(TRegistry().KeyExists(L"\\" + key + L"\\Missing")) << "a load creates nothing";
}

// --- the item in a menu -----------------------------------------------------------------------------

TEST_F(MRUList, AnItemShowingAListLetsGoOfItWhenTheListIsFreed) {
  TItemFactory items;
  auto* item = items.Make<TTBMRUListItem>(L"recent");
  EXPECT_EQ(item->Caption(), L"(MRU List)");
  EXPECT_TRUE(item->ItemStyle() & tbisEmbeddedGroup);
  item->SetMRUList(list);
  EXPECT_EQ(item->LinkSubitems(), list->ContainerItem());
  TComponent::FreeAndNil(list);
  EXPECT_EQ(item->MRUList(), nullptr);
  EXPECT_EQ(item->LinkSubitems(), nullptr);
}

TEST_F(MRUList, AnEntryChosenInAMenuReachesOnClickWithItsFullPathAfterTheMenuAndBecomesFirst) {
  Fill({L"C:\\Docs\\one.txt", L"C:\\Docs\\two.txt", L"C:\\Docs\\three.txt"});
  TItemFactory items;
  auto* menu = new TTBPopupMenu(items.Owner());
  items.Make(L"open", menu->Items())->SetCaption(L"&Open");
  items.Make<TTBMRUListItem>(L"recent", menu->Items())->SetMRUList(list);
  items.Make(L"quit", menu->Items())->SetCaption(L"E&xit");
  testing_support::TMenuDriver driver;
  driver.SetWatchdog(10000);
  testing_support::TMenuRunner<> runner(driver);
  SetCursorPos(1, 1);
  int lines = 0;
  runner.Run(menu, POINT{200, 150}, false, [&](TTBPopupWindow* Popup) {
    lines = Popup->View()->ViewerCount();
    PostMessageW(GetCapture(), WM_CHAR, L'2', 1);
  });
  EXPECT_FALSE(driver.WatchdogFired());
  EXPECT_EQ(lines, 6) << "open, the group, its three entries and exit";
  EXPECT_TRUE(spy.Clicks.empty()) << "the click runs after the menu has closed";
  PumpMessages();
  EXPECT_EQ(spy.Clicks, (std::vector<String>{L"C:\\Docs\\two.txt"}));
  EXPECT_FALSE(spy.MenuOpenAtClick);
  EXPECT_EQ(spy.ClickSenders, (std::vector<TObject*>{list}));
  EXPECT_EQ(EntriesOf(*list), (std::vector<String>{L"C:\\Docs\\two.txt", L"C:\\Docs\\one.txt", L"C:\\Docs\\three.txt"}));
}

TEST_F(MRUList, TheChosenEntrysNameIsTakenBeforeTheMovesHandlersChangeTheList) {
  struct Case {
    const char* what;
    std::function<void(TTBMRUList*&)> onChange;
    std::vector<String> clicks;
  };
  const Case cases[] = {
      {"cleared", [](TTBMRUList*& l) { l->Items().Clear(); }, {L"C:\\three"}},
      {"reordered", [](TTBMRUList*& l) { l->Items().Move(1, 0); }, {L"C:\\three"}},
      {"freed", [](TTBMRUList*& l) { TComponent::FreeAndNil(l); }, {}},
  };
  for (const Case& c : cases) {
    if (!list) {
      list = new TTBMRUList(nullptr);
      spy.Watch(*list);
    }
    spy.OnChangeHook = nullptr;
    list->Items().Clear();
    Fill({L"C:\\one", L"C:\\two", L"C:\\three"});
    spy.Clicks.clear();
    TTBCustomItem* third = list->ContainerItem()->Items(2);
    bool once = false;
    spy.OnChangeHook = [&] {
      if (!std::exchange(once, true)) c.onChange(list);
    };
    third->Click();
    EXPECT_EQ(spy.Clicks, c.clicks) << c.what;
  }
}

}  // namespace
