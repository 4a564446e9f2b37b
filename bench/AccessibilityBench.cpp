// What an assistive tool costs a menu: a client in this process finds a shown 50-item popup's
// object through its window and reads the name, role and state of every entry, 100 times; the
// figure is the time per entry (its object made, read and released again). Both object counters
// are printed afterwards, once the client and the menu are gone. Judges nothing.
#include "BenchTiming.h"
#include "classlib/Forms.h"
#include "items/TB2Acc.h"
#include "items/TB2View.h"

#include <oleacc.h>

#include <cstdio>
#include <string>

namespace {

constexpr int kItems = 50;
constexpr int kWalks = 100;

VARIANT ChildID(LONG Number) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = Number;
  return v;
}

// Name, role and state of every entry, as a screen reader reads a menu it enters.
void ReadEveryEntry(IAccessible* Menu) {
  const VARIANT self = ChildID(CHILDID_SELF);
  for (LONG n = 1; n <= kItems; ++n) {
    IDispatch* child = nullptr;
    if (Menu->get_accChild(ChildID(n), &child) != S_OK || !child) continue;
    IAccessible* entry = nullptr;
    child->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&entry));
    child->Release();
    if (!entry) continue;
    BSTR name = nullptr;
    entry->get_accName(self, &name);
    SysFreeString(name);
    VARIANT value;
    entry->get_accRole(self, &value);
    VariantClear(&value);
    entry->get_accState(self, &value);
    VariantClear(&value);
    entry->Release();
  }
}

IAccessible* MenuObject(HWND Wnd) {
  using TProc = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
  const auto proc = reinterpret_cast<TProc>(reinterpret_cast<void (*)()>(GetProcAddress(
      LoadLibraryExW(L"oleacc.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32), "AccessibleObjectFromWindow")));
  IAccessible* acc = nullptr;
  if (!proc || proc(Wnd, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible, reinterpret_cast<void**>(&acc)) != S_OK)
    return nullptr;
  return acc;
}

}  // namespace

int wmain() {
  InitializeClassLibrary();
  Application->Initialize();
  InitTB2Acc();
  SetCursorPos(0, 0);
  {
    auto* owner = new TComponent(nullptr);
    auto* root = new TTBRootItem(owner);
    for (int i = 0; i < kItems; ++i) {
      auto* item = new TTBItem(owner);
      item->SetCaption(L"Menu command &" + std::to_wstring(i + 1));
      if (i % 3 == 0) item->SetShortCut(static_cast<TShortCut>(0x4000 | ('A' + i % 26)));
      root->Add(item);
    }
    auto* window = new TTBPopupWindow(nullptr, nullptr, root, false);
    window->View()->UpdatePositions();
    window->SetBounds(100, 20, window->Width(), window->Height());
    window->SetVisible(true);
    Application->ProcessMessages();
    IAccessible* menu = MenuObject(window->Handle());
    if (!menu) {
      std::printf("the menu answered no accessible object\n");
    } else {
      const bench::TSpread walk = bench::Time(kWalks, [&] { ReadEveryEntry(menu); });
      std::printf("%-52s %10s %10s\n", "case (microseconds per entry)", "median", "95th");
      std::printf("%-52s %10.2f %10.2f\n", "name, role and state of each of 50 entries", walk.Median * 1000.0 / kItems,
                  walk.P95 * 1000.0 / kItems);
      menu->Release();
    }
    window->Free();
    owner->Free();
    Application->ProcessMessages();
  }
  std::printf("live objects afterwards: %ld view, %ld item viewer\n", static_cast<long>(ViewAccObjectInstances),
              static_cast<long>(ItemViewerAccObjectInstances));
  FinalizeTB2Acc();
  FinalizeClassLibrary();
  return 0;
}
