// The theme registry, switching themes through the holder of the active theme, and the queries
// every themed viewer makes (state flags, view kinds, images without a viewer).
#include "ThemeTestSupport.h"
#include "classlib/ScopeGuard.h"
#include "items/TB2Common.h"
#include "items/TB2View.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using tbx_test::ThemeLayerTest;
using tbx_test::THeardList;
using tbx_test::TRecordingSwitcher;
using tbx_test::TTestTheme;

std::string Narrow(const String& S) { return std::string(S.begin(), S.end()); }

// What the registry holds, to compare before and after a failure.
struct TEntryState {
  String Name;
  TTBXThemeClass ThemeClass;
  TTBXTheme* Instance;
  int RefCount;
  bool operator==(const TEntryState&) const = default;
};

std::vector<TEntryState> RegistryState() {
  std::vector<TEntryState> state;
  for (const ThemeEntry& e : tbx::ThemeEntries()) state.push_back({e.Name, e.ThemeClass, e.Instance, e.RefCount});
  return state;
}

const ThemeEntry& EntryNamed(const String& Name) {
  const int index = FindThemeEntry(Name);
  EXPECT_GE(index, 0) << Narrow(Name);
  return tbx::ThemeEntries().at(static_cast<size_t>(index < 0 ? 0 : index));
}

class ThemeRegistry : public ThemeLayerTest {
 protected:
  void SetUp() override {
    ThemeLayerTest::SetUp();
    TTestTheme::Constructed = 0;
    TTestTheme::FailNext = false;
  }
  void TearDown() override {
    TTestTheme::FailNext = false;
    ThemeLayerTest::TearDown();
  }
};

TEST_F(ThemeRegistry, NamesCompareWithoutCaseAndAreRegisteredOnce) {
  RegisterThemeClass(L"Office", CreateThemeOf<TTestTheme>);
  EXPECT_TRUE(IsThemeRegistered(L"office"));
  EXPECT_EQ(FindThemeEntry(L"OFFICE"), FindThemeEntry(L"Office"));
  EXPECT_EQ(FindThemeEntry(L"Office2"), -1);
  const auto before = RegistryState();
  try {
    RegisterThemeClass(L"OFFICE", CreateThemeOf<TTestTheme>);
    ADD_FAILURE() << "registered twice";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), L"Theme OFFICE is already registered");
  }
  EXPECT_EQ(RegistryState(), before);
}

TEST_F(ThemeRegistry, FailuresRaiseTheirMessageAndLeaveTheRegistryAlone) {
  TTestTheme stranger(L"Stranger");
  struct TCase {
    const char* What;
    std::function<void()> Call;
    const wchar_t* Message;
  } cases[] = {
      {"empty name", [] { RegisterThemeClass(L"", CreateThemeOf<TTestTheme>); }, L"Cannot register theme"},
      {"no class", [] { RegisterThemeClass(L"Classless", nullptr); }, L"Cannot register theme"},
      {"unknown theme", [] { AcquireTheme(L"Nowhere"); }, L"Unknown theme Nowhere"},
      {"instance of no entry",
       [&] {
         TTBXTheme* theme = &stranger;
         ReleaseThemeInstance(theme);
       },
       L"Cannot release theme"},
      {"no instance",
       [] {
         TTBXTheme* theme = nullptr;
         ReleaseThemeInstance(theme);
       },
       L"Cannot release theme"},
  };
  for (const TCase& c : cases) {
    const auto before = RegistryState();
    try {
      c.Call();
      ADD_FAILURE() << c.What << ": nothing raised";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), c.Message) << c.What;
    }
    EXPECT_EQ(RegistryState(), before) << c.What;
  }
}

TEST_F(ThemeRegistry, LongNamesAreCutTo255Characters) {
  const String name(300, L'n');
  RegisterThemeClass(name, CreateThemeOf<TTestTheme>);
  EXPECT_EQ(tbx::ThemeEntries().back().Name, name.substr(0, 255));
}

TEST_F(ThemeRegistry, InstancesAreSharedAndCounted) {
  RegisterThemeClass(L"Shared", CreateThemeOf<TTestTheme>);
  TTBXTheme* first = AcquireTheme(L"Shared");
  TTBXTheme* second = AcquireTheme(L"shared");
  EXPECT_EQ(first, second);
  EXPECT_EQ(first->Name(), L"Shared");
  EXPECT_EQ(TTestTheme::Constructed, 1);
  EXPECT_EQ(EntryNamed(L"Shared").RefCount, 2);

  ReleaseThemeInstance(second);
  EXPECT_EQ(second, first);  // still alive: the variable keeps it
  EXPECT_EQ(EntryNamed(L"Shared").Instance, first);
  ReleaseThemeInstance(first);
  EXPECT_EQ(first, nullptr);
  EXPECT_EQ(EntryNamed(L"Shared").Instance, nullptr);
  EXPECT_EQ(EntryNamed(L"Shared").RefCount, 0);
  // The entry stays registered.
  EXPECT_TRUE(IsThemeRegistered(L"Shared"));
}

// Records the system-changed messages a new theme hears.
class THearingTheme : public TTBXDefaultTheme {
 public:
  using TTBXDefaultTheme::TTBXDefaultTheme;
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == WM_TBX_SYSTEM_CHANGED) Heard.push_back(Message.WParam);
    TTBXDefaultTheme::Dispatch(Message);
  }
  std::vector<WPARAM> Heard;
};

TEST_F(ThemeRegistry, ANewInstanceHearsOnceWhetherTheApplicationIsActive) {
  RegisterThemeClass(L"Hearing", CreateThemeOf<THearingTheme>);
  TTBXTheme* theme = AcquireTheme(L"Hearing");
  TScopeGuard release([&] { ReleaseThemeInstance(theme); });
  EXPECT_EQ(static_cast<THearingTheme*>(theme)->Heard, std::vector<WPARAM>{ApplicationIsActive() ? 1u : 0u});
}

// --- switching -------------------------------------------------------------------------------

TEST_F(ThemeRegistry, ASelectionTellsEachSwitcherThreePhases) {
  RegisterThemeClass(L"Second", CreateThemeOf<TTestTheme>);
  TRecordingSwitcher first(nullptr), second(nullptr);
  TTBXTheme* previous = ActiveTheme;
  NexusSelectTheme(L"second");
  const THeardList expected{{1, 1}, {2, 1}, {3, 1}};
  EXPECT_EQ(first.Heard, expected);
  EXPECT_EQ(second.Heard, expected);
  EXPECT_EQ(NexusThemeName(), L"Second");
  EXPECT_EQ(EntryNamed(L"Default").Instance, nullptr);  // the holder was its only user
  EXPECT_NE(ActiveTheme, previous);
}

TEST_F(ThemeRegistry, AnUnknownNameChangesNothingAndRaisesNothing) {
  TRecordingSwitcher switcher(nullptr);
  TTBXTheme* active = ActiveTheme;
  const auto before = RegistryState();
  EXPECT_NO_THROW(NexusSelectTheme(L"Nowhere"));
  EXPECT_EQ(ActiveTheme, active);
  EXPECT_EQ(switcher.Theme(), L"Default");
  EXPECT_TRUE(switcher.Heard.empty());
  EXPECT_EQ(RegistryState(), before);
}

TEST_F(ThemeRegistry, ReselectingAThemeOnlyTheHolderUsesMakesItAnew) {
  RegisterThemeClass(L"Counted", CreateThemeOf<TTestTheme>);
  NexusSelectTheme(L"Counted");
  EXPECT_EQ(TTestTheme::Constructed, 1);
  NexusSelectTheme(L"Counted");
  EXPECT_EQ(TTestTheme::Constructed, 2);
  EXPECT_EQ(EntryNamed(L"Counted").Instance, ActiveTheme);
  EXPECT_EQ(EntryNamed(L"Counted").RefCount, 1);

  // With another user the instance stays.
  TTBXTheme* other = AcquireTheme(L"Counted");
  NexusSelectTheme(L"Counted");
  EXPECT_EQ(TTestTheme::Constructed, 2);
  EXPECT_EQ(ActiveTheme, other);
  EXPECT_EQ(EntryNamed(L"Counted").RefCount, 2);
  ReleaseThemeInstance(other);
}

// A theme that cannot come up leaves the previous one active, tells no switcher, and the
// exception goes on: for another theme and for the active one made anew.
TEST_F(ThemeRegistry, AThemeThatFailsToComeUpLeavesThePreviousOneActive) {
  RegisterThemeClass(L"Failing", CreateThemeOf<TTestTheme>);
  RegisterThemeClass(L"Flaky", CreateThemeOf<TTestTheme>);
  TRecordingSwitcher switcher(nullptr);
  struct TCase {
    const wchar_t* From;
    const wchar_t* To;
  } cases[] = {{L"Default", L"Failing"}, {L"Flaky", L"Flaky"}};
  for (const TCase& c : cases) {
    NexusSelectTheme(c.From);
    TTBXTheme* active = ActiveTheme;
    switcher.Heard.clear();
    const auto before = RegistryState();
    TTestTheme::FailNext = true;
    EXPECT_THROW(NexusSelectTheme(c.To), Exception) << Narrow(c.To);
    TTestTheme::FailNext = false;
    EXPECT_EQ(ActiveTheme, active) << Narrow(c.To);
    EXPECT_EQ(NexusThemeName(), c.From);
    EXPECT_EQ(RegistryState(), before) << Narrow(c.To);
    EXPECT_TRUE(switcher.Heard.empty()) << Narrow(c.To);
  }
  // The layer goes on as before.
  NexusSelectTheme(L"Failing");
  EXPECT_EQ(NexusThemeName(), L"Failing");
  EXPECT_EQ(EntryNamed(L"Flaky").Instance, nullptr);
}

// --- queries ---------------------------------------------------------------------------------

TTBXItemInfo Info(bool Enabled, uint8_t Hover, bool Pushed, bool Checked) {
  return tbx_test::MakeItemInfo(vkPopupMenu, 0, Enabled, Hover, Pushed, Checked);
}

TEST(ItemInfoStateFlags, EachStateHasItsBit) {
  struct TCase {
    TTBXItemInfo Info;
    int Flags;
  } cases[] = {
      {Info(true, 0, false, false), 0},
      {Info(false, 0, false, false), isfDisabled},
      {Info(true, 2, false, false), isfHot},
      {Info(true, 1, false, false), 0},
      {Info(true, 0, true, false), isfPushed},
      {Info(true, 0, false, true), isfChecked},
      {Info(true, 2, true, true), isfHot | isfPushed | isfChecked},
      // Disabled and checked under the mouse: Hover is 0 then.
      {Info(false, 0, false, true), 9},
  };
  for (const auto& c : cases) EXPECT_EQ(ItemInfoStateFlags(c.Info), c.Flags);
}

// Records what PaintImage is asked.
class TImageRecordingTheme : public TTBXDefaultTheme {
 public:
  using TTBXDefaultTheme::TTBXDefaultTheme;
  void PaintImage(TCanvas&, const RECT& R, const TTBXItemInfo& ItemInfo, TCustomImageList* ImageList,
                  int ImageIndex) override {
    Rect = R;
    Info = ItemInfo;
    Images = ImageList;
    Index = ImageIndex;
  }
  RECT Rect{};
  TTBXItemInfo Info{};
  TCustomImageList* Images = nullptr;
  int Index = -1;
};

TEST_F(ThemeRegistry, AnImageWithoutViewerIsPaintedInTheStateItsFlagsSay) {
  TImageRecordingTheme recorder(L"Recorder");
  TTBXTheme* active = ActiveTheme;
  ActiveTheme = &recorder;
  TScopeGuard restore([&] { ActiveTheme = active; });
  TCustomImageList images(nullptr);
  tbx_test::TPixels pixels(4, 4);
  tbx_test::TDCCanvas canvas(pixels.DC());

  struct TCase {
    int Flags;
    int ViewKind, ItemFlags;
    bool Enabled, Pushed;
    uint8_t Hover;
    bool Checked;
  } cases[] = {
      {0, vkToolbar, iifToolbarStyle, true, false, 0, false},
      {piskDockPanel, vkDockPanel, 0, true, false, 0, false},
      {piskStatusBar, vkStatusBar, 0, true, false, 0, false},
      {isfDisabled, vkToolbar, iifToolbarStyle, false, false, 0, false},
      {isfHot | isfPushed, vkToolbar, iifToolbarStyle, true, true, 2, false},
      {piskStatusBar | isfChecked | isfDisabled, vkStatusBar, 0, false, false, 0, true},
  };
  const RECT r{1, 2, 3, 4};
  for (const auto& c : cases) {
    recorder.Index = -1;
    PaintImageWithState(*canvas, r, &images, 7, c.Flags);
    SCOPED_TRACE(c.Flags);
    EXPECT_EQ(recorder.Index, 7);
    EXPECT_EQ(recorder.Images, &images);
    EXPECT_EQ(recorder.Rect, r);
    EXPECT_EQ(recorder.Info.ViewKind, c.ViewKind);
    EXPECT_EQ(recorder.Info.Flags, c.ItemFlags);
    EXPECT_EQ(recorder.Info.ItemEnabled, c.Enabled);
    EXPECT_EQ(recorder.Info.ItemPushed, c.Pushed);
    EXPECT_EQ(recorder.Info.Hover, c.Hover);
    EXPECT_EQ(recorder.Info.ItemChecked, c.Checked);
  }
}

// A popup window of the framework that answers the view-kind query.
class TAnsweringPopupWindow : public TTBPopupWindow {
 public:
  using TTBPopupWindow::TTBPopupWindow;

 protected:
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == WM_TBX_QUERY_VIEW_KIND) Message.Result = vkListPopup;
    else TTBPopupWindow::Dispatch(Message);
  }
};

TEST(ViewKind, AskedOfTheWindowThatShowsTheView) {
  TTBRootItem root(nullptr);
  EXPECT_EQ(QueryViewKind(nullptr), vkNone);
  EXPECT_EQ(QueryPopupViewKind(nullptr), vkNone);
  TTBView unowned(nullptr, nullptr, &root, nullptr, false, false, false);
  EXPECT_EQ(QueryViewKind(&unowned), vkNone);

  std::unique_ptr<TTBPopupWindow, void (*)(TTBPopupWindow*)> plain(
      new TTBPopupWindow(nullptr, nullptr, &root, false), [](TTBPopupWindow* W) { W->Free(); });
  EXPECT_EQ(QueryPopupViewKind(plain.get()), vkNone);
  EXPECT_EQ(QueryViewKind(plain->View()), vkNone);

  std::unique_ptr<TTBPopupWindow, void (*)(TTBPopupWindow*)> answering(
      new TAnsweringPopupWindow(nullptr, nullptr, &root, false), [](TTBPopupWindow* W) { W->Free(); });
  EXPECT_EQ(QueryPopupViewKind(answering.get()), vkListPopup);
  EXPECT_EQ(QueryViewKind(answering->View()), vkListPopup);
}

TEST(ViewKind, MaskedBitsTellTheKinds) {
  EXPECT_TRUE(IsViewKind(vkPopupMenu, vkPopupMenu));
  EXPECT_FALSE(IsViewKind(vkListPopup, vkPopupMenu));
  EXPECT_TRUE(IsViewKind(vkToolBoxPopup | vkListPopup, vkListPopup));
  EXPECT_TRUE(IsViewKind(vkToolbar | vkFloating, vkFloating | vkToolbar));
  EXPECT_FALSE(IsViewKind(vkNone, vkToolbar));
}

}  // namespace
