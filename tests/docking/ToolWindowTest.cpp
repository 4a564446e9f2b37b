// Tool windows: their least size, their client area, and full-size and stretched ones in docks.
#include "DockTestSupport.h"

using dock_tests::DockHost;

TEST(ToolWindows, ANewOneIs32By32AndMayNotBeSmallerButAsLargeAsWanted) {
  auto* w = new TTBToolWindow(nullptr);
  EXPECT_EQ(32, w->Width());
  EXPECT_EQ(32, w->Height());
  int minW = 0, minH = 0, maxW = -1, maxH = -1;
  w->GetMinMaxSize(minW, minH, maxW, maxH);
  EXPECT_EQ(32, minW);
  EXPECT_EQ(32, minH);
  EXPECT_EQ(0, maxW);
  EXPECT_EQ(0, maxH);
  // Without a parent the client area is the window.
  w->SetClientAreaWidth(70);
  EXPECT_EQ(70, w->Width());
  EXPECT_EQ(70, w->ClientAreaWidth());
  EXPECT_EQ(70, w->KeptClientWidth());
  w->Free();
}

TEST_F(DockHost, AFullSizeToolWindowTakesTheDocksWholeLengthAndAStretchedOneItsRowsRest) {
  TTBToolWindow* top = form->Find;
  top->SetFullSize(true);
  EXPECT_EQ(form->TopDock->ClientWidth(), top->Width());
  EXPECT_EQ(0, top->Left());
  TTBToolWindow* left = form->Notes;
  left->SetFullSize(true);
  EXPECT_EQ(form->LeftDock->ClientHeight(), left->Height());
  // Stretched: the rest of its row, and no less than its least width otherwise.
  top->SetFullSize(false);
  top->SetStretch(true);
  EXPECT_EQ(form->TopDock->ClientWidth(), top->Left() + top->Width());
  EXPECT_EQ(form->Tools->Width(), top->Left());
  // The client size it keeps is not what the dock gave it.
  EXPECT_EQ(140, top->KeptClientWidth());
}

TEST_F(DockHost, AToolWindowsClientAreaIsItsSizeLessTheDockedFrame) {
  TTBToolWindow* w = form->Tools;
  w->SetClientAreaSize(250, 30);
  EXPECT_EQ(250, w->ClientAreaWidth());
  EXPECT_EQ(30, w->ClientAreaHeight());
  EXPECT_EQ(250 + 10, w->Width());
  EXPECT_EQ(30 + 4, w->Height());
  EXPECT_EQ(250, w->KeptClientWidth());
  // Floating, the frame's client area is the window.
  w->SetFloating(true);
  EXPECT_EQ(250, w->Width());
  EXPECT_EQ(250, w->FloatingParent()->ClientWidth());
  EXPECT_EQ(250, w->KeptClientWidth());
}
