// What a menu costs.
// Painting: a 30-item popup laid out again and painted through its off-screen bitmap, and one
// changed line repainted on its own, each timed over 1,000 runs; beside them, in the same run, the
// same 30 captions drawn with DrawTextW into a bitmap of the same size and copied to the window.
// Opening: from PopupEx to the end of the popup's first full paint, 200 times, beside the
// system's own menu with the same ten items (TrackPopupMenu, until it tells its owner it is idle,
// which under Wine comes with the menu painted); then 1,000 openings, each with its submenu, and
// what they leave behind. The figures are printed, never judged.
#include "BenchTiming.h"
#include "SystemMenu.h"
#include "classlib/Forms.h"
#include "classlib/GdiHandles.h"
#include "items/TB2PopupMenu.h"
#include "items/TB2View.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kItems = 30;
constexpr int kRuns = 1000;

using bench::Spread;
using bench::Ticks;
using bench::TSpread;

TSpread Time(const std::function<void()>& Run) { return bench::Time(kRuns, Run); }

void Print(const char* What, TSpread S) { std::printf("%-44s %10.3f %10.3f\n", What, S.Median, S.P95); }

// --- opening ----------------------------------------------------------------------------------

constexpr int kOpenings = 200;
double OpenedAt = 0;

// A popup window that notes the end of its first full paint and then ends its menu.
class TTimedPopupWindow : public TTBPopupWindow {
 public:
  using TTBPopupWindow::TTBPopupWindow;

 protected:
  void Paint() override {
    TTBPopupWindow::Paint();
    if (painted_) return;
    painted_ = true;
    OpenedAt = Ticks();
    View()->EndModal();
  }

 private:
  bool painted_ = false;
};

class TTimedRoot : public TTBRootItem {
 public:
  using TTBRootItem::TTBRootItem;
  TTBPopupWindowClass GetPopupWindowClass() override { return CreatePopupWindowOf<TTimedPopupWindow>; }
};

class TTimedMenu : public TTBPopupMenu {
 public:
  explicit TTimedMenu(TComponent* AOwner) : TTBPopupMenu(AOwner, CreateRootItemOf<TTimedRoot>) {}
};

BOOL CALLBACK CountWindow(HWND, LPARAM Count) {
  ++*reinterpret_cast<long*>(Count);
  return TRUE;
}

long ThreadWindows() {
  long count = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

long UsedClickSlots() {
  const std::vector<TObject*>* slots = tb2item_detail::ClickList();
  if (!slots) return 0;
  return static_cast<long>(std::count_if(slots->begin(), slots->end(), [](TObject* o) { return o != nullptr; }));
}

void Opening() {
  auto* owner = new TComponent(nullptr);
  auto* menu = new TTimedMenu(owner);
  std::vector<String> captions;
  for (int i = 0; i < 10; ++i) {
    auto* item = new TTBItem(owner);
    captions.push_back(L"Menu command &" + std::to_wstring(i));
    item->SetCaption(captions.back());
    menu->Items()->Add(item);
  }
  std::vector<double> ms;
  for (int i = 0; i < kOpenings; ++i) {
    OpenedAt = 0;
    const double start = Ticks();
    menu->PopupEx(300, 200, true);
    ms.push_back(OpenedAt - start);
  }
  const TSpread ours = Spread(ms);
  const TSpread system = bench::TimeSystemMenu(captions, kOpenings);
  std::printf("\nMenus: opening ten items until painted, %d times each (ms)\n", kOpenings);
  std::printf("%-44s %10s %10s\n", "case", "median", "95th");
  Print("PopupEx to the first full paint", ours);
  Print("reference: TrackPopupMenu until idle", system);
  if (system.Median > 0) std::printf("%-44s %10.2f\n", "ratio of the medians", ours.Median / system.Median);
  owner->Free();
}

// 1,000 openings, each with its submenu open before the menu ends.
void Leftovers() {
  auto* owner = new TComponent(nullptr);
  auto* menu = new TTBPopupMenu(owner);
  auto* sub = new TTBSubmenuItem(owner);
  sub->SetCaption(L"&Recent");
  menu->Items()->Add(sub);
  for (int i = 0; i < 5; ++i) {
    auto* item = new TTBItem(owner);
    item->SetCaption(L"Entry " + std::to_wstring(i));
    sub->Add(item);
  }
  const long objects = gdi::LiveObjects(), windows = ThreadWindows(), slots = UsedClickSlots();
  // A thread timer that fires inside the menu's loop types the keys: R, the only item with that
  // accelerator, opens its submenu; two Escapes close it and then the menu.
  struct TKeys {
    static void CALLBACK Send(HWND, UINT, UINT_PTR Id, DWORD) {
      KillTimer(nullptr, Id);
      HWND loop = GetCapture();
      PostMessageW(loop, WM_CHAR, L'r', 1);
      PostMessageW(loop, WM_KEYDOWN, VK_ESCAPE, 1);
      PostMessageW(loop, WM_KEYDOWN, VK_ESCAPE, 1);
    }
  };
  for (int i = 0; i < 1000; ++i) {
    SetTimer(nullptr, 0, 0, TKeys::Send);
    menu->PopupEx(300, 200, true);
  }
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  std::printf("\nMenus: 1,000 openings with a submenu leave behind\n");
  std::printf("%-44s %10ld %10ld\n", "GDI objects (before, after)", objects, gdi::LiveObjects());
  std::printf("%-44s %10ld %10ld\n", "windows of the thread (before, after)", windows, ThreadWindows());
  std::printf("%-44s %10ld %10ld\n", "click-queue slots in use (before, after)", slots, UsedClickSlots());
  owner->Free();
}

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
  Opening();
  Leftovers();
  FinalizeClassLibrary();
  return 0;
}
