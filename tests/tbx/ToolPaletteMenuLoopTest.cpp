// A tool palette in a real menu loop: a click or Enter on a cell runs the palette's cell-click
// and change handlers while the popup is still up, then the menu closes and the palette's own
// click runs from the click queue; a refused click, tpoNoAutoSelect and a disabled palette
// keep the selection.
#include "MenuLoopTestSupport.h"
#include "ToolPaletteTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace tbx_test;
using testing_support::PumpMessages;

namespace {

class PaletteMenuLoop : public ThemedMenuLoopTest {
 public:
  void SetUp() override {
    ThemedMenuLoopTest::SetUp();
    first = Make(L"First", menu->Items());
    palette = Make<TTBXCustomToolPalette>(L"", menu->Items());
    palette->SetColCount(3);
    palette->SetRowCount(2);
    last = Make(L"Last", menu->Items());
    spy.Watch(palette);
  }
  // Opens the menu; Steps run in its loop once it shows. Answers the chosen item.
  TTBCustomItem* Run(std::function<void(TTBXPopupWindow*)> Steps) {
    return RunMenu([this, Steps = std::move(Steps)](TTBXPopupWindow* Popup) {
      spy.Popup = Popup->Handle();
      Steps(Popup);
    });
  }
  // Clicks the cell's centre, or a point that many pixels left of its left edge.
  void Click(TTBXPopupWindow* Popup, TTBXCell Cell, int LeftOfCell = 0) {
    auto* viewer = static_cast<TTBXToolViewer*>(Popup->View()->Find(palette));
    POINT p = CellCentreOnScreen(viewer, Cell);
    const RECT cell = CellRectInWindow(viewer, Cell);
    if (LeftOfCell) p.x -= CentreOf(cell).x - cell.left + LeftOfCell;
    ThemedMenuLoopTest::Click(p);
  }

  TPaletteSpy spy;
  TTBXItem *first = nullptr, *last = nullptr;
  TTBXCustomToolPalette* palette = nullptr;
};

using TLog = std::vector<std::string>;

}  // namespace

TEST_F(PaletteMenuLoop, ACellChosenRunsTheHandlersWhileThePopupIsUpThenTheMenuClosesWithThePalettesClick) {
  struct TCase {
    const char* what;
    std::function<void(PaletteMenuLoop&)> setup;
    std::function<void(PaletteMenuLoop&, TTBXPopupWindow*)> input;
    TTBXCell selected;  // afterwards
    TLog inLoop;        // what the handlers saw while the menu ran
  } cases[] = {
      {"a click",
       [](PaletteMenuLoop&) {},
       [](PaletteMenuLoop& t, TTBXPopupWindow* p) { t.Click(p, {1, 1}); },
       {1, 1},
       {"cell click 1,1 selected -1,0, popup up", "change selected 1,1, popup up"}},
      {"a click a few pixels left of the grid",
       [](PaletteMenuLoop&) {},
       [](PaletteMenuLoop& t, TTBXPopupWindow* p) { t.Click(p, {0, 1}, 3); },
       {0, 1},
       {"cell click 0,1 selected -1,0, popup up", "change selected 0,1, popup up"}},
      {"a click the handler redirects",
       [](PaletteMenuLoop& t) { t.spy.RedirectTo = {2, 0}; },
       [](PaletteMenuLoop& t, TTBXPopupWindow* p) { t.Click(p, {1, 1}); },
       {2, 0},
       {"cell click 1,1 selected -1,0, popup up", "change selected 2,0, popup up"}},
      {"a click the handler refuses",
       [](PaletteMenuLoop& t) { t.spy.Refuse = true; },
       [](PaletteMenuLoop& t, TTBXPopupWindow* p) { t.Click(p, {1, 1}); },
       {-1, 0},
       {"cell click 1,1 selected -1,0, popup up"}},
      {"a click with tpoNoAutoSelect",
       [](PaletteMenuLoop& t) { t.palette->SetPaletteOptions(tpoNoAutoSelect); },
       [](PaletteMenuLoop& t, TTBXPopupWindow* p) { t.Click(p, {1, 1}); },
       {-1, 0},
       {"cell click 1,1 selected -1,0, popup up"}},
      {"entered from above, Right and Enter",
       [](PaletteMenuLoop&) {},
       [](PaletteMenuLoop&, TTBXPopupWindow*) {
         for (WPARAM k : {VK_DOWN, VK_DOWN, VK_RIGHT, VK_RETURN}) Key(k);
       },
       {1, 0},
       {"cell click 1,0 selected -1,0, popup up", "change selected 1,0, popup up"}},
      {"entered from below and Enter",
       [](PaletteMenuLoop&) {},
       [](PaletteMenuLoop&, TTBXPopupWindow*) {
         for (WPARAM k : {VK_UP, VK_UP, VK_RETURN}) Key(k);
       },
       {2, 1},
       {"cell click 2,1 selected -1,0, popup up", "change selected 2,1, popup up"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    palette->SetSelectedCell({});
    palette->SetPaletteOptions(0);
    spy.Refuse = false;
    spy.RedirectTo = {};
    spy.Popup = nullptr;
    spy.Log.clear();
    c.setup(*this);
    EXPECT_EQ(Run([&](TTBXPopupWindow* Popup) { c.input(*this, Popup); }), palette);
    EXPECT_EQ(spy.Log, c.inLoop) << "the palette's own click waits for the message loop";
    EXPECT_EQ(palette->SelectedCell(), c.selected);
    EXPECT_EQ(MenuWindows(), windows);
    PumpMessages();
    TLog all = c.inLoop;
    all.push_back("click selected " + CellText(c.selected) + ", popup gone");
    EXPECT_EQ(spy.Log, all);
    SetCursorPos(1, 1);
  }
}

TEST_F(PaletteMenuLoop, ADisabledPaletteIgnoresClicksAndEnter) {
  palette->SetSelectedCell({0, 1});
  palette->SetEnabled(false);
  spy.Log.clear();
  bool openAfterClick = false;
  EXPECT_EQ(Run([&](TTBXPopupWindow* Popup) {
              Click(Popup, {1, 1});
              driver.Post([&, Popup] {
                openAfterClick = IsWindowVisible(Popup->Handle()) != FALSE;
                Key(VK_ESCAPE);
              });
            }),
            nullptr);
  EXPECT_TRUE(openAfterClick) << "the click changes nothing, and the menu stays";
  SetCursorPos(1, 1);
  EXPECT_EQ(Run([&](TTBXPopupWindow*) {
              for (WPARAM k : {VK_DOWN, VK_DOWN, VK_RETURN}) Key(k);
            }),
            nullptr);
  PumpMessages();
  EXPECT_EQ(spy.Log, TLog{});
  EXPECT_EQ(palette->SelectedCell(), (TTBXCell{0, 1}));
}
