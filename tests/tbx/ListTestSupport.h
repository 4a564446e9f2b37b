#pragma once
// Helpers of the list tests: a list of strings (the small descendant a program would write), a
// spy on its events, the left button's state as GetKeyState reports it, and a viewer shown in a
// popup of the test's own.
#include "ThemedItemsTestSupport.h"
#include "tbx/TBXLists.h"

#include <functional>
#include <string>
#include <vector>

namespace tbx_test {

// A list whose rows are strings.
class TStringList : public TTBXCustomList {
 public:
  using TTBXCustomList::TTBXCustomList;
  int GetCount() override { return static_cast<int>(Strings.size()); }
  void GetItemText(int AIndex, String& AText) override { AText = Strings.at(static_cast<size_t>(AIndex)); }
  // N rows "Row 0", "Row 1", ...
  void SetRows(int N) {
    Strings.clear();
    for (int i = 0; i < N; ++i) Strings.push_back(L"Row " + std::to_wstring(i));
  }
  std::vector<String> Strings;
};

// Records the list's OnChange with the chosen row; runs Then after each (it may free the list).
class TListSpy : public TObject {
 public:
  void Watch(TTBXCustomList* List) { List->OnChange = TNotifyEvent(this, &TListSpy::Changed); }
  void Changed(TObject* Sender) {
    Changes.push_back(static_cast<TTBXCustomList*>(Sender)->ItemIndex());
    if (Then) Then();
  }
  std::vector<int> Changes;
  std::function<void()> Then;
};

// The left mouse button as GetKeyState tells it, for one scope: down (the high bit), up, or up
// with only the toggle bit set.
class TLeftButtonState {
 public:
  explicit TLeftButtonState(bool Down) : TLeftButtonState(static_cast<BYTE>(Down ? 0x80 : 0)) {}
  explicit TLeftButtonState(BYTE State) {
    GetKeyboardState(saved_);
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_LBUTTON] = State;
    SetKeyboardState(keys);
  }
  ~TLeftButtonState() { SetKeyboardState(saved_); }
  TLeftButtonState(const TLeftButtonState&) = delete;
  TLeftButtonState& operator=(const TLeftButtonState&) = delete;

 private:
  BYTE saved_[256];
};

}  // namespace tbx_test
