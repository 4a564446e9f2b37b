// Dragging dockable windows with real input: into rows, out to float, with Ctrl and Esc, a
// window that cannot float, the slide within an overflowing row, a lost capture, and sizing a
// floating window by its frame.
#include "DockTestSupport.h"

#include "docking/TB2DockDragGeometry.h"

using dock_tests::DockHost;
using dock_tests::MouseButton;
using dock_tests::TInputScript;

namespace {

class Dragging : public DockHost {
 protected:
  // The middle of a docked window's drag handle (top or bottom dock: at its left; left or right
  // dock: at its top).
  static POINT Handle(TTBCustomDockableWindow* W) {
    const RECT r = dock_tests::WindowRect(W->Handle());
    if (W->CurrentDock() && W->CurrentDock()->Vertical()) return {(r.left + r.right) / 2, r.top + 4};
    return {r.left + 4, (r.top + r.bottom) / 2};
  }
  // Presses at From, moves through the path, and ends with the last step (a release unless
  // given another).
  bool Drag(POINT From, std::vector<POINT> Path, std::function<void(TInputScript&)> End = nullptr) {
    dock_tests::AwaitSinglePress(From);
    SetCursorPos(From.x, From.y);
    testing_support::PumpMessages();
    TInputScript script;
    script.Add([] { MouseButton(true); }, [] { return GetCapture() != nullptr; });
    for (POINT p : Path) script.AddMove(p);
    if (End) End(script);
    else script.Add([] { MouseButton(false); });
    return dock_tests::RunScript(script);
  }
  // The steps of a straight line, so that the loop sees the cursor pass on its way.
  static std::vector<POINT> Line(POINT From, POINT To, int Steps = 5) {
    std::vector<POINT> path;
    for (int i = 1; i <= Steps; ++i)
      path.push_back({From.x + (To.x - From.x) * i / Steps, From.y + (To.y - From.y) * i / Steps});
    return path;
  }
  RECT FrameRect(TTBCustomDockableWindow* W) {
    return W->FloatingParent() ? dock_tests::WindowRect(W->FloatingParent()->Handle()) : RECT{};
  }
};

}  // namespace

TEST_F(Dragging, DroppedOnARowsFirstQuarterTheWindowOpensANewRowBeforeIt) {
  TTBDock* dock = form->TopDock;
  const RECT dockRect = dock_tests::WindowRect(dock->Handle());
  const POINT from = Handle(form->Find);
  // The window's middle (the grab point's row) over the first few pixels of the dock's row.
  ASSERT_TRUE(Drag(from, Line(from, {from.x - 50, dockRect.top + 3})));
  EXPECT_EQ(dock, form->Find->CurrentDock());
  EXPECT_EQ(0, form->Find->DockRow());
  EXPECT_EQ(1, form->Tools->DockRow());
  EXPECT_EQ(0, form->Find->Top());
  EXPECT_EQ(form->Find->Height(), form->Tools->Top());
}

TEST_F(Dragging, DroppedOnARowsMiddleTheWindowJoinsIt) {
  TTBDock* dock = form->TopDock;
  const RECT dockRect = dock_tests::WindowRect(dock->Handle());
  const int rowHeight = form->Tools->Height();
  const POINT from = Handle(form->Output);
  const POINT to{dockRect.left + 500, dockRect.top + 1 + rowHeight / 2};
  ASSERT_TRUE(Drag(from, Line(from, to, 8)));
  EXPECT_EQ(dock, form->Output->CurrentDock());
  EXPECT_EQ(0, form->Output->DockRow());
  EXPECT_EQ(form->Tools->Top(), form->Output->Top());
  // One row, as thick as its thickest bar, every bar of it as thick as the row.
  EXPECT_EQ(2 + form->Output->Height(), dock->Height());
  EXPECT_EQ(form->Output->Height(), form->Tools->Height());
  EXPECT_GT(form->Output->Left(), form->Find->Left());
  EXPECT_EQ(0, form->BottomDock->ToolbarCount());
}

TEST_F(Dragging, DroppedFarFromEveryDockTheWindowFloatsWhereTheGrabPointLeadsIt) {
  TTBToolWindow* w = form->Notes;
  const POINT from = Handle(w);
  const RECT before = dock_tests::WindowRect(w->Handle());
  const TTBGrab grab{{from.x - before.left, from.y - before.top},
                     {before.right - before.left - 1, before.bottom - before.top - 1}};
  POINT size{w->ClientWidth(), w->ClientHeight()};
  w->AddFloatingNCAreaToSize(size);
  const POINT to{600, 500};
  ASSERT_TRUE(Drag(from, Line(from, to, 8)));
  ASSERT_TRUE(w->Floating());
  const RECT expected = DockingOutlineRect(grab, SIZE{size.x, size.y}, to);
  EXPECT_EQ(expected, FrameRect(w));
  EXPECT_EQ((POINT{expected.left, expected.top}).x, w->FloatingPosition().x);
  EXPECT_EQ(expected.top, w->FloatingPosition().y);
  EXPECT_TRUE(IsWindowVisible(w->FloatingParent()->Handle()));
  // The left dock, empty now, has no thickness.
  EXPECT_EQ(0, form->LeftDock->Width());
  EXPECT_EQ(form->LeftDock, w->LastDock());
}

TEST_F(Dragging, WithCtrlDownAWindowFloatsEvenOverADock) {
  const RECT dockRect = dock_tests::WindowRect(form->TopDock->Handle());
  const POINT from = Handle(form->Output);
  const POINT to{dockRect.left + 500, dockRect.top + 10};
  ASSERT_TRUE(Drag(from, Line(from, to, 6), [&](TInputScript& s) {
    s.Add([] { dock_tests::Key(VK_CONTROL, true); }, [&] { return form->Output->Floating(); });
    // A held Ctrl repeats: docking stays off until it is released.
    s.Add([] { dock_tests::Key(VK_CONTROL, true); });
    s.Add([] { MouseButton(false); });
    s.Add([] { dock_tests::Key(VK_CONTROL, false); });
  }));
  EXPECT_TRUE(form->Output->Floating());
  EXPECT_EQ(0, form->TopDock->Toolbars(0)->DockRow());
  EXPECT_EQ(2, form->TopDock->ToolbarCount());
}

TEST_F(Dragging, ReleasingCtrlOverADockDocksAtOnce) {
  const RECT dockRect = dock_tests::WindowRect(form->TopDock->Handle());
  const POINT from = Handle(form->Output);
  const POINT to{dockRect.left + 500, dockRect.top + 10};
  ASSERT_TRUE(Drag(from, Line(from, to, 6), [&](TInputScript& s) {
    s.Add([] { dock_tests::Key(VK_CONTROL, true); }, [&] { return form->Output->Floating(); });
    s.Add([] { dock_tests::Key(VK_CONTROL, false); }, [&] { return form->Output->Docked(); });
    s.Add([] { MouseButton(false); });
  }));
  EXPECT_EQ(form->TopDock, form->Output->CurrentDock());
}

TEST_F(Dragging, EscEndsALiveDragWhereItWasAndAnOutlineDragLeavesTheWindowAlone) {
  for (bool smooth : {true, false}) {
    TTBToolWindow* w = form->Notes;
    w->SetSmoothDrag(smooth);
    const RECT before = dock_tests::WindowRect(w->Handle());
    const POINT from = Handle(w);
    ASSERT_TRUE(Drag(from, Line(from, {600, 500}, 6), [](TInputScript& s) {
      s.Add([] { dock_tests::Key(VK_ESCAPE, true); }, [] { return GetCapture() == nullptr; });
      s.Add([] {
        dock_tests::Key(VK_ESCAPE, false);
        MouseButton(false);
      });
    })) << smooth;
    EXPECT_FALSE(w->Dragging());
    if (smooth) {
      EXPECT_TRUE(w->Floating());
      w->SetCurrentDock(form->LeftDock);
      // The keys go to the focus, which went with the frame.
      Activate();
      SetFocus(form->Handle());
    } else {
      EXPECT_EQ(form->LeftDock, w->CurrentDock());
      EXPECT_EQ(before, dock_tests::WindowRect(w->Handle()));
    }
  }
}

TEST_F(Dragging, AWindowThatCannotFloatShowsTheNoCursorAwayFromDocksAndStays) {
  TTBToolWindow* w = form->Notes;
  w->SetDockMode(dmCannotFloat);
  const RECT before = dock_tests::WindowRect(w->Handle());
  const POINT from = Handle(w);
  HCURSOR seen = nullptr;
  // Straight away from every dock: a live drag would otherwise slide it along its own dock.
  ASSERT_TRUE(Drag(from, Line(from, {600, 500}, 1), [&](TInputScript& s) {
    s.Add([&] { seen = GetCursor(); });
    s.Add([] { MouseButton(false); });
  }));
  EXPECT_EQ(LoadCursorW(nullptr, IDC_NO), seen);
  EXPECT_EQ(form->LeftDock, w->CurrentDock());
  EXPECT_EQ(before, dock_tests::WindowRect(w->Handle()));
}

TEST_F(Dragging, InARowTooLongForItsDockAWindowSlidesAlongItsRowAfterTenPixels) {
  TTBDock* dock = form->TopDock;
  dock->SetLimitToOneRow(true);
  form->Tools->SetClientAreaSize(420, 22);
  form->Find->SetClientAreaSize(420, 22);
  dock->ArrangeToolbars();
  ASSERT_EQ(0, form->Find->DockRow());
  const POINT from = Handle(form->Find);
  bool slid = false;
  HCURSOR seen = nullptr;
  // Leftwards along the row, far past the bar before it.
  ASSERT_TRUE(Drag(from, Line(from, {from.x - 300, from.y}, 6), [&](TInputScript& s) {
    s.Add([&] {
      slid = form->Find->DraggingInRow();
      seen = GetCursor();
    });
    s.Add([] { MouseButton(false); });
  }));
  EXPECT_TRUE(slid);
  EXPECT_EQ(LoadCursorW(nullptr, IDC_SIZEWE), seen);
  // It kept its place after the bar before it.
  EXPECT_GT(form->Find->Left(), form->Tools->Left());
  EXPECT_EQ(0, form->Find->DockRow());
}

TEST_F(Dragging, ALostCaptureEndsTheLoopCleanly) {
  TTBToolWindow* w = form->Notes;
  const POINT from = Handle(w);
  HWND other = AllocateHWnd(TWndMethod());
  ASSERT_TRUE(Drag(from, Line(from, {from.x + 20, from.y + 30}, 2), [&](TInputScript& s) {
    s.Add([&] { SetCapture(other); }, [&] { return !w->Dragging(); });
    s.Add([&] {
      ReleaseCapture();
      MouseButton(false);
    });
  }));
  EXPECT_FALSE(w->Dragging());
  EXPECT_FALSE(w->DraggingInRow());
  // Moves after the loop do nothing.
  const RECT after = dock_tests::WindowRect(w->Handle());
  SetCursorPos(700, 700);
  testing_support::PumpMessages(50);
  EXPECT_EQ(after, dock_tests::WindowRect(w->Handle()));
  DeallocateHWnd(other);
}

TEST_F(Dragging, AFloatingWindowIsSizedByEachOfItsEightZonesWithinItsLimits) {
  TTBToolWindow* w = form->Notes;
  w->SetMinClientWidth(60);
  w->SetMinClientHeight(50);
  w->SetMaxClientWidth(260);
  w->SetMaxClientHeight(240);
  w->SetFloatingPosition({400, 300});
  w->SetFloating(true);
  w->SetClientAreaSize(150, 150);
  struct Zone {
    TTBSizeHandle handle;
    int dx, dy;  // which edges move: -1 left or top, 1 right or bottom
  };
  const Zone zones[] = {
      {twshLeft, -1, 0},    {twshRight, 1, 0},       {twshTop, 0, -1},       {twshTopLeft, -1, -1},
      {twshTopRight, 1, -1}, {twshBottom, 0, 1},     {twshBottomLeft, -1, 1}, {twshBottomRight, 1, 1},
  };
  HWND frame = w->FloatingParent()->Handle();
  for (bool grow : {true, false})
    for (const Zone& z : zones) {
      w->SetClientAreaSize(150, 150);
      w->SetFloatingPosition({400, 300});
      testing_support::PumpMessages();
      const RECT r = dock_tests::WindowRect(frame);
      // A point of the zone: 1 pixel inside the edge, in the middle or 2 pixels from a corner.
      const POINT at{z.dx < 0 ? r.left + 1 : z.dx > 0 ? r.right - 2 : (r.left + r.right) / 2,
                     z.dy < 0 ? r.top + 1 : z.dy > 0 ? r.bottom - 2 : (r.top + r.bottom) / 2};
      ASSERT_EQ(HTLEFT + z.handle, SendMessageW(frame, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y))) << int(z.handle);
      const int step = grow ? 200 : -200;
      const POINT to{at.x + z.dx * step, at.y + z.dy * step};
      ASSERT_TRUE(Drag(at, Line(at, to, 4))) << int(z.handle);
      const RECT client = dock_tests::ClientRectOnScreen(w->Handle());
      const int cw = client.right - client.left, ch = client.bottom - client.top;
      const std::string what = std::to_string(int(z.handle)) + (grow ? " grow" : " shrink");
      EXPECT_EQ(z.dx == 0 ? 150 : grow ? 260 : 60, cw) << what;
      EXPECT_EQ(z.dy == 0 ? 150 : grow ? 240 : 50, ch) << what;
      EXPECT_EQ(cw, w->KeptClientWidth()) << what;
      // The edges opposite the moving ones stay.
      const RECT now = dock_tests::WindowRect(frame);
      // The floating position is where the frame is, also when sizing moved it.
      EXPECT_EQ(now.left, w->FloatingPosition().x) << what;
      EXPECT_EQ(now.top, w->FloatingPosition().y) << what;
      if (z.dx > 0) {
        EXPECT_EQ(r.left, now.left) << what;
      } else if (z.dx < 0) {
        EXPECT_EQ(r.right, now.right) << what;
      }
      if (z.dy > 0) {
        EXPECT_EQ(r.top, now.top) << what;
      } else if (z.dy < 0) {
        EXPECT_EQ(r.bottom, now.bottom) << what;
      }
    }
}

TEST_F(Dragging, AWindowFreedByItsHandlersDuringADragEndsTheLoopAtOnce) {
  // A dock's OnRequestDock and the window's own OnDockChanging, each freeing the window.
  struct TFreer : TObject {
    TTBToolWindow* window = nullptr;
    bool freed = false;
    void Free() {
      if (!window) return;
      TTBToolWindow* w = window;
      window = nullptr;
      w->Free();
      freed = true;
    }
    void RequestDock(TObject*, TTBCustomDockableWindow*, bool&) { Free(); }
    void DockChanging(TObject*, bool, TTBDock*) { Free(); }
  };
  for (bool request : {true, false}) {
    TFreer freer;
    TTBToolWindow* w = request ? form->Output : form->Notes;
    freer.window = w;
    if (request) form->TopDock->OnRequestDock = TTBRequestDockEvent(&freer, &TFreer::RequestDock);
    else w->OnDockChanging = TTBDockChangingEvent(&freer, &TFreer::DockChanging);
    const RECT dockRect = dock_tests::WindowRect(form->TopDock->Handle());
    const POINT from = Handle(w);
    // Over the top dock (asked there), or away to float (changing placement).
    const POINT to = request ? POINT{dockRect.left + 500, dockRect.top + 10} : POINT{600, 500};
    ASSERT_TRUE(Drag(from, Line(from, to, 4), [&](TInputScript& s) {
      s.Add([] {}, [&] { return freer.freed; });
      s.Add([] { MouseButton(false); });
    })) << request;
    EXPECT_TRUE(freer.freed) << request;
    EXPECT_EQ(nullptr, GetCapture()) << request;
    if (request) {
      form->Output = nullptr;
      form->TopDock->OnRequestDock = nullptr;
    } else {
      form->Notes = nullptr;
    }
  }
  // The docks go on as before.
  EXPECT_EQ(0, form->BottomDock->ToolbarCount());
  EXPECT_EQ(0, form->LeftDock->ToolbarCount());
  EXPECT_EQ(2, form->TopDock->ToolbarCount());
}

TEST_F(Dragging, ADockThatRefusesLetsTheWindowFloatOverIt) {
  struct TRefuser : TObject {
    int asked = 0;
    void RequestDock(TObject*, TTBCustomDockableWindow*, bool& Accept) {
      ++asked;
      Accept = false;
    }
  } refuser;
  form->TopDock->OnRequestDock = TTBRequestDockEvent(&refuser, &TRefuser::RequestDock);
  const RECT dockRect = dock_tests::WindowRect(form->TopDock->Handle());
  const POINT from = Handle(form->Output);
  ASSERT_TRUE(Drag(from, Line(from, {dockRect.left + 500, dockRect.top + 10}, 6)));
  EXPECT_GT(refuser.asked, 0);
  EXPECT_TRUE(form->Output->Floating());
}

TEST_F(Dragging, AWindowDocksIntoTheDocksOfTheFormsItIsGiven) {
  auto* other = new TForm(Application);
  other->SetBounds(950, 100, 300, 200);
  auto* dock = new TTBDock(other);
  dock->SetFixAlign(true);
  dock->SetParent(other);
  other->Show();
  Activate();
  TTBToolWindow* w = form->Notes;
  const RECT dockRect = dock_tests::WindowRect(dock->Handle());
  const POINT from = Handle(w);
  const POINT to{dockRect.left + 100, dockRect.top + 1};
  ASSERT_TRUE(Drag(from, Line(from, to, 6)));
  EXPECT_TRUE(w->Floating()) << "not a form it is given";
  w->SetCurrentDock(form->LeftDock);
  w->AddDockForm(other);
  Activate();
  const POINT again = Handle(w);
  ASSERT_TRUE(Drag(again, Line(again, to, 6)));
  EXPECT_EQ(dock, w->CurrentDock());
  EXPECT_EQ(other, TBGetToolWindowParentForm(w));
  // The form goes: the window goes with its dock, and the list forgets the form.
  other->Free();
  form->Notes = nullptr;
}

TEST_F(Dragging, AFormFreedDuringADragGoesOnceTheDragHasEnded) {
  struct TWatcher : TComponent {
    using TComponent::TComponent;
    bool gone = false;
    void Notification(TComponent* C, TOperation Op) override {
      TComponent::Notification(C, Op);
      if (Op == TOperation::opRemove) gone = true;
    }
  };
  auto* watcher = new TWatcher(nullptr);
  form->FreeNotification(watcher);
  TTBToolWindow* w = form->Notes;
  const POINT from = Handle(w);
  bool wholeDuringLoop = false;
  ASSERT_TRUE(Drag(from, Line(from, {600, 500}, 3), [&](TInputScript& s) {
    s.Add([&] {
      form->Free();
      // Hidden at once, freed only after the loop.
      wholeDuringLoop = !watcher->gone && !IsWindowVisible(form->Handle());
    }, [] { return GetCapture() == nullptr; });
    s.Add([] { MouseButton(false); });
  }));
  EXPECT_TRUE(wholeDuringLoop);
  EXPECT_TRUE(testing_support::PumpUntil([&] { return watcher->gone; }, 2000));
  form = nullptr;
  watcher->Free();
}
