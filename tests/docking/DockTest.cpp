// Docks as windows: their thickness, the edge they keep, bound lines, the background lined up
// with the form, their two refusals and their notices.
#include "DockTestSupport.h"

#include "classlib/Panels.h"

using dock_tests::Render;
using dock_tests::TPixels;

namespace {

// System colours that no host default has.
class TFixedColors : public seams::TSystemSettings {
 public:
  static constexpr COLORREF Shadow = RGB(100, 101, 102), Light = RGB(250, 251, 252), Face = RGB(200, 201, 202),
                            Text = RGB(1, 2, 3);
  COLORREF SysColor(int Index) override {
    switch (Index) {
      case COLOR_BTNSHADOW: return Shadow;
      case COLOR_BTNHIGHLIGHT: return Light;
      case COLOR_BTNFACE: return Face;
      case COLOR_BTNTEXT: return Text;
      default: return seams::TSystemSettings::SysColor(Index);
    }
  }
};

class Docks : public testing::Test {
 protected:
  void SetUp() override {
    form = new TForm(Application);
    form->SetBorderStyle(TFormBorderStyle::bsNone);
    form->SetBounds(100, 100, 400, 300);
    form->Show();
  }
  void TearDown() override { form->Free(); }
  TTBDock* AddDock(TTBDockPosition Position) {
    auto* dock = new TTBDock(form);
    dock->SetPosition(Position);
    dock->SetParent(form);
    return dock;
  }
  TTBToolWindow* AddWindow(TTBDock* Dock, int Row, int Pos, int W = 50, int H = 20) {
    auto* w = new TTBToolWindow(form);
    w->SetClientAreaSize(W, H);
    w->SetDockRow(Row);
    w->SetDockPos(Pos);
    w->SetParent(Dock);
    return w;
  }
  TFixedColors colors;
  seams::Scoped<seams::TSystemSettings> useColors{colors};
  TForm* form = nullptr;
};

}  // namespace

TEST_F(Docks, ThicknessIsNoneOneOrTheRowsEachWithFourPixelsOfFrame) {
  TTBDock* dock = AddDock(dpTop);
  EXPECT_EQ(0, dock->Height());
  dock->SetFixAlign(true);
  EXPECT_EQ(1, dock->Height());
  TTBToolWindow* a = AddWindow(dock, 0, 0, 50, 20);
  EXPECT_EQ(24, dock->Height());
  AddWindow(dock, 1, 0, 50, 30);
  EXPECT_EQ(24 + 34, dock->Height());
  dock->SetBoundLines(blTop | blBottom);
  EXPECT_EQ(2 + 24 + 34, dock->Height());
  // The bars lie in the dock's client area, below the top line, row after row.
  EXPECT_EQ(0, a->Top());
  EXPECT_EQ(24, dock->Toolbars(1)->Top());
  a->Hide();
  EXPECT_EQ(2 + 34, dock->Height());
}

TEST_F(Docks, BottomAndRightDocksKeepTheirOuterEdge) {
  TTBDock* bottom = AddDock(dpBottom);
  TTBDock* right = AddDock(dpRight);
  for (int rows = 1; rows <= 3; ++rows) {
    AddWindow(bottom, rows - 1, 0);
    AddWindow(right, rows - 1, 0);
    EXPECT_EQ(form->ClientHeight(), bottom->Top() + bottom->Height()) << rows;
    EXPECT_EQ(24 * rows, bottom->Height()) << rows;
    EXPECT_EQ(form->ClientWidth(), right->Left() + right->Width()) << rows;
    EXPECT_EQ(54 * rows, right->Width()) << rows;
  }
}

TEST_F(Docks, BoundLinesFrameTheRowsInShadowAndLightOnlyWhileABarShows) {
  TTBDock* dock = AddDock(dpTop);
  dock->SetFixAlign(true);
  dock->SetBoundLines(blTop | blBottom | blLeft | blRight);
  {
    auto empty = Render(dock->Handle(), PRF_NONCLIENT);
    EXPECT_EQ(TFixedColors::Face, empty->At(0, 0));
  }
  AddWindow(dock, 0, 30);
  auto pixels = Render(dock->Handle(), PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
  const int w = dock->Width(), h = dock->Height();
  EXPECT_EQ(TFixedColors::Shadow, pixels->At(w / 2, 0));
  EXPECT_EQ(TFixedColors::Shadow, pixels->At(0, h / 2));
  EXPECT_EQ(TFixedColors::Light, pixels->At(w / 2, h - 1));
  EXPECT_EQ(TFixedColors::Light, pixels->At(w - 1, h / 2));
  // The client area lies inside the lines.
  RECT client = dock_tests::ClientRectOnScreen(dock->Handle()), window = dock_tests::WindowRect(dock->Handle());
  EXPECT_EQ(window.left + 1, client.left);
  EXPECT_EQ(window.top + 1, client.top);
  EXPECT_EQ(window.right - 1, client.right);
  EXPECT_EQ(window.bottom - 1, client.bottom);
}

TEST_F(Docks, TheBackgroundLinesUpAcrossDocksAndTheBarsInThem) {
  auto* background = new TTBBackground(form);
  DrawDemoBackground(background->Bitmap());
  TTBDock* top = AddDock(dpTop);
  TTBDock* bottom = AddDock(dpBottom);
  top->SetBoundLines(blTop | blLeft);
  for (TTBDock* d : {top, bottom}) {
    d->SetBackground(background);
    d->SetFixAlign(true);
  }
  TTBToolWindow* bar = AddWindow(top, 0, 40, 60, 20);
  AddWindow(bottom, 0, 100);
  TPixels tile(16, 12);
  background->Draw(tile.DC(), RECT{0, 0, 16, 12});
  const POINT formOrigin = form->ClientToScreen(POINT{0, 0});
  // Every pixel that shows the background shows the tile's pixel at its place on the form.
  auto check = [&](HWND wnd, UINT flags, std::vector<POINT> at, const char* what) {
    auto pixels = Render(wnd, flags);
    const RECT window = dock_tests::WindowRect(wnd);
    for (POINT p : at) {
      const int fx = window.left - formOrigin.x + p.x, fy = window.top - formOrigin.y + p.y;
      EXPECT_EQ(tile.At(fx % 16, fy % 12), pixels->At(p.x, p.y)) << what << " at " << p.x << "," << p.y;
    }
  };
  check(top->Handle(), PRF_CLIENT | PRF_ERASEBKGND | PRF_NONCLIENT, {{5, 5}, {300, 10}, {377, 20}}, "top dock");
  check(bottom->Handle(), PRF_CLIENT | PRF_ERASEBKGND | PRF_NONCLIENT, {{3, 3}, {250, 12}}, "bottom dock");
  // The bar's frame ring and its client area (under its edit box) show it too.
  check(bar->Handle(), PRF_CLIENT | PRF_ERASEBKGND | PRF_NONCLIENT, {{1, 5}, {bar->Width() - 2, 10}, {20, 10}}, "bar");
}

TEST_F(Docks, ADockRefusesAnotherDockOrAToolWindowAsParentAndAnotherPositionOnceItHoldsControls) {
  TTBDock* dock = AddDock(dpTop);
  auto* inner = new TTBDock(form);
  EXPECT_THROW(inner->SetParent(dock), EInvalidOperation);
  TTBToolWindow* w = AddWindow(dock, 0, 0);
  try {
    inner->SetParent(w);
    ADD_FAILURE() << "a dock inside a tool window";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(String(L"A TTBDock control cannot be placed inside a tool window or another TTBDock"), e.Message());
  }
  try {
    dock->SetPosition(dpBottom);
    ADD_FAILURE() << "a new position with a bar";
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(String(L"Cannot change Position of a TTBDock if it already contains controls"), e.Message());
  }
  EXPECT_EQ(dpTop, dock->Position());
  inner->SetPosition(dpRight);
  EXPECT_EQ(TAlign::alRight, inner->Align());
}

TEST_F(Docks, BarsEnteringAndLeavingTheVisibleListAreAnnouncedAndCommittedRowsCloseUp) {
  struct TSpy : TObject {
    std::vector<std::pair<bool, TTBCustomDockableWindow*>> Calls;
    void Changed(TObject*, bool Inserting, TTBCustomDockableWindow* Bar) { Calls.emplace_back(Inserting, Bar); }
  } spy;
  TTBDock* dock = AddDock(dpTop);
  dock->OnInsertRemoveBar = TTBInsertRemoveEvent(&spy, &TSpy::Changed);
  TTBToolWindow* a = AddWindow(dock, 0, 0);
  TTBToolWindow* b = AddWindow(dock, 5, 0);
  TTBToolWindow* c = AddWindow(dock, 9, 0);
  a->Hide();
  EXPECT_EQ((std::vector<std::pair<bool, TTBCustomDockableWindow*>>{{true, a}, {true, b}, {true, c}, {false, a}}),
            spy.Calls);
  a->Show();
  dock->SetCommitOnArrange(true);
  dock->ArrangeToolbars();
  EXPECT_EQ(0, a->DockRow());
  EXPECT_EQ(1, b->DockRow());
  EXPECT_EQ(2, c->DockRow());
  EXPECT_EQ(3, dock->ToolbarCount());
  EXPECT_EQ(c, dock->Toolbars(2));
}

TEST_F(Docks, SystemColourChangesReachTheBackground) {
  auto* background = new TTBBackground(form);
  background->Bitmap().SetSize(2, 2);
  background->SetTransparent(true);
  TTBDock* dock = AddDock(dpTop);
  dock->SetBackground(background);
  AddWindow(dock, 0, 0);
  ValidateRect(dock->Handle(), nullptr);
  SendMessageW(form->Handle(), WM_SYSCOLORCHANGE, 0, 0);
  RECT update{};
  EXPECT_TRUE(GetUpdateRect(dock->Handle(), &update, FALSE));
  // A freed background leaves the dock without one.
  background->Free();
  EXPECT_EQ(nullptr, dock->Background());
}
