// What a live drag costs at every mouse move: 50 docked windows in 10 rows of one dock, one of
// them moved along its row a little at each step. The layout alone (where every bar goes) and a
// whole step (the layout and moving the windows), 1,000 steps each. Printed, never judged.
#include "BenchApp.h"
#include "BenchTiming.h"
#include "classlib/Forms.h"
#include "docking/TB2Dock.h"
#include "docking/TB2ToolWindow.h"
#include "items/TB2Hook.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRows = 10;
constexpr int kPerRow = 5;
constexpr int kSteps = 1000;

using bench::Time;
using bench::TSpread;

// The records the dock lays out, taken from its windows as it takes them.
std::vector<TTBArrangeBar> RecordsOf(TTBDock* Dock) {
  std::vector<TTBArrangeBar> records;
  for (TTBCustomDockableWindow* w : Dock->BarList()) {
    TTBArrangeBar r;
    r.DockRow = w->DockRow();
    r.DockPos = w->DockPos();
    POINT size{};
    w->GetBaseSize(size);
    r.FullLength = size.x + w->GetNonClientWidth();
    records.push_back(r);
  }
  return records;
}

void PrintRow(const char* What, TSpread S) { std::printf("| %s | %.3f | %.3f |\n", What, S.Median, S.P95); }

}  // namespace

int wmain() {
  InitializeClassLibrary();
  Application->Initialize();
  auto* form = new TForm(Application);
  form->SetBounds(40, 40, 1100, 600);
  auto* dock = new TTBDock(form);
  dock->SetParent(form);
  std::vector<TTBToolWindow*> windows;
  for (int i = 0; i < kRows * kPerRow; ++i) {
    auto* w = new TTBToolWindow(form);
    w->SetMinClientHeight(20);
    w->SetClientAreaSize(150, 22);
    w->SetDockRow(i / kPerRow);
    w->SetDockPos((i % kPerRow) * 200);
    w->SetParent(dock);
    windows.push_back(w);
  }
  form->Show();
  bench::PumpIdle();
  // The dragged window: the middle one of the middle row, slid to and fro by a few pixels.
  TTBToolWindow* dragged = windows[kRows / 2 * kPerRow + kPerRow / 2];
  const int base = dragged->DockPos();
  int step = 0;
  auto nextPos = [&] { return base + (step++ % 40) - 20; };

  std::vector<TTBArrangeBar> records = RecordsOf(dock);
  const size_t index = static_cast<size_t>(std::find(dock->BarList().begin(), dock->BarList().end(), dragged) -
                                           dock->BarList().begin());
  records[index].Dragging = true;
  const TSpread layout = Time(kSteps, [&] {
    std::vector<TTBArrangeBar> work = records;
    work[index].DockPos = nextPos();
    ArrangeBars(work, dock->Width(), false);
  });
  const TSpread whole = Time(kSteps, [&] {
    dragged->SetDockPos(nextPos());
    bench::PumpIdle();
  });
  std::printf("Live drag in a dock of %d windows in %d rows, %d steps (ms):\n\n", kRows * kPerRow, kRows, kSteps);
  std::printf("| case | median | 95th |\n|---|---|---|\n");
  PrintRow("the layout alone", layout);
  PrintRow("a whole step: layout, windows moved and painted", whole);
  form->Free();
  FinalizeClassLibrary();
  FinalizeTB2Hook();
  return 0;
}
