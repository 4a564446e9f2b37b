// What painting a menu costs: a 30-item popup laid out again and painted through its off-screen
// bitmap, and one changed line repainted on its own, each timed over 1,000 runs. Beside them, in
// the same run, the system's own text drawing: the same 30 captions drawn with DrawTextW into a
// bitmap of the same size and copied to the same window. The figures are printed, never judged.
#include "classlib/Forms.h"
#include "classlib/GdiHandles.h"
#include "items/TB2View.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kItems = 30;
constexpr int kRuns = 1000;

double Ticks() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

struct TSpread {
  double Median, P95;
};

TSpread Time(const std::function<void()>& Run) {
  std::vector<double> ms;
  ms.reserve(kRuns);
  for (int i = 0; i < kRuns; ++i) {
    const double start = Ticks();
    Run();
    ms.push_back(Ticks() - start);
  }
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], ms[ms.size() * 95 / 100]};
}

void Print(const char* What, TSpread S) { std::printf("%-44s %10.3f %10.3f\n", What, S.Median, S.P95); }

}  // namespace

int wmain() {
  InitializeClassLibrary();
  Application->Initialize();
  SetCursorPos(0, 0);
  {
    auto* owner = new TComponent(nullptr);
    auto* root = new TTBRootItem(owner);
    std::vector<String> captions;
    for (int i = 0; i < kItems; ++i) {
      auto* item = new TTBItem(owner);
      captions.push_back(L"Menu command &" + std::to_wstring(i + 1));
      item->SetCaption(captions.back());
      if (i % 3 == 0) item->SetShortCut(static_cast<TShortCut>(0x4000 | ('A' + i % 26)));
      root->Add(item);
    }
    auto* window = new TTBPopupWindow(nullptr, nullptr, root, false);
    window->View()->UpdatePositions();
    window->SetBounds(100, 100, window->Width(), window->Height());
    window->SetVisible(true);
    Application->ProcessMessages();
    HWND wnd = window->Handle();

    // A relayout: one caption grows and shrinks again, so every run lays out and repaints.
    TTBCustomItem* changing = root->Items(5);
    bool longer = false;
    const TSpread relayout = Time([&] {
      longer = !longer;
      changing->SetCaption(longer ? captions[5] + L" and more" : captions[5]);
    });
    // One line changes its check mark and is repainted alone.
    TTBCustomItem* checked = root->Items(7);
    const TSpread oneLine = Time([&] {
      checked->SetChecked(!checked->Checked());
      UpdateWindow(wnd);
    });
    // The system drawing the same captions into the same bitmap and window.
    RECT client;
    GetClientRect(wnd, &client);
    TTBView* view = window->View();
    const TSpread reference = Time([&] {
      gdi::WindowDC screen(wnd);
      gdi::MemoryDC memory = gdi::NewMemoryDC(screen.Get());
      gdi::BitmapHandle bitmap(CreateCompatibleBitmap(screen.Get(), client.right, client.bottom));
      gdi::SelectionGuard select(memory.Get(), bitmap.Get());
      gdi::SelectionGuard font(memory.Get(), window->Font().Handle());
      FillRect(memory.Get(), &client, GetSysColorBrush(COLOR_MENU));
      SetBkMode(memory.Get(), TRANSPARENT);
      for (int i = 0; i < kItems; ++i) {
        RECT r = view->Viewers(i)->BoundsRect;
        DrawTextW(memory.Get(), captions[static_cast<size_t>(i)].c_str(), -1, &r, DT_SINGLELINE | DT_VCENTER);
      }
      BitBlt(screen.Get(), 0, 0, client.right, client.bottom, memory.Get(), 0, 0, SRCCOPY);
    });

    std::printf("Menus: a %d-item popup (%ld x %ld), %d runs each (ms)\n", kItems, client.right, client.bottom,
                kRuns);
    std::printf("%-44s %10s %10s\n", "case", "median", "95th");
    Print("relayout and paint through one bitmap", relayout);
    Print("one changed line repainted", oneLine);
    Print("reference: 30 captions with DrawTextW", reference);
    window->Free();
    owner->Free();
  }
  FinalizeClassLibrary();
  return 0;
}
