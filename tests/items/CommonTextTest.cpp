#include "items/TB2Common.h"

#include "classlib/Menus.h"
#include "classlib/TextConv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

// U+1D11E (musical G clef), a surrogate pair.
const String kClef = L"\xD834\xDD1E";

struct CaptionCase {
  String caption;
  String stripped;
  String escaped;
  char32_t accel;
};

}  // namespace

TEST(CommonText, AcceleratorRoutinesOnATableOfCaptions) {
  const CaptionCase cases[] = {
      {L"&File", L"File", L"&&File", U'F'},
      {L"A&&B", L"A&B", L"A&&&&B", 0},
      {L"&&&X", L"&X", L"&&&&&&X", U'X'},
      {L"", L"", L"", 0},
      {L"Save&", L"Save", L"Save&&", 0},
      {L"&Save &As", L"Save As", L"&&Save &&As", U'A'},
      {L"&\x00E9t\x00E9", L"\x00E9t\x00E9", L"&&\x00E9t\x00E9", U'\x00E9'},
      {L"\x00FC&ber", L"\x00FC" L"ber", L"\x00FC&&ber", U'b'},         // after a Latin-1 letter
      {L"\x0424\x0430\x0439&\x043B", L"\x0424\x0430\x0439\x043B", L"\x0424\x0430\x0439&&\x043B", U'\x043B'},
      {L"\x6587&\x4EF6", L"\x6587\x4EF6", L"\x6587&&\x4EF6", U'\x4EF6'},
      {L"&" + kClef + L"x", kClef + L"x", L"&&" + kClef + L"x", U'\U0001D11E'},
      {kClef + L"&y", kClef + L"y", kClef + L"&&y", U'y'},
  };
  for (const CaptionCase& k : cases) {
    EXPECT_EQ(k.stripped, StripAccelChars(k.caption));
    EXPECT_EQ(k.escaped, EscapeAmpersands(k.caption));
    EXPECT_EQ(k.accel, FindAccelChar(k.caption));
    EXPECT_EQ(k.caption, StripAccelChars(EscapeAmpersands(k.caption)));
  }
}

TEST(CommonText, TrailingPunctuationAndRoundedDivision) {
  const std::pair<String, String> cases[] = {
      {L"Open...", L"Open"}, {L"Name:", L"Name"}, {L":", L":"}, {L"...", L"..."},
      {L"A...", L"A"},       {L"x:", L"x"},       {L"Plain", L"Plain"}, {L"", L""},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(out, StripTrailingPunctuation(in)) << in.size();
  EXPECT_EQ(9, DivRoundUp(26, 3));
  EXPECT_EQ(9, DivRoundUp(27, 3));
  EXPECT_EQ(0, DivRoundUp(0, 5));
  EXPECT_EQ(3, Max(2, 3));
  EXPECT_EQ(-1, Min(-1, 4));
}

TEST(CommonText, NilListsExistOnlyWhileTheyHoldSomething) {
  int a = 1, b = 2;
  TNilList<int> list;
  EXPECT_TRUE(AddToList(list, &a));
  EXPECT_FALSE(AddToList(list, &a));
  EXPECT_TRUE(AddToFrontOfList(list, &b));
  EXPECT_EQ((std::vector<int*>{&b, &a}), *list);
  RemoveFromList(list, &b);
  ASSERT_TRUE(list);
  RemoveFromList(list, &a);
  EXPECT_FALSE(list);
  RemoveFromList(list, &a);  // nothing to do
}

namespace {
int CompareCounting(const int& x, const int& y, void* extra) {
  ++*static_cast<int*>(extra);
  return x < y ? -1 : x > y ? 1 : 0;
}
}  // namespace

TEST(CommonText, ListSortExSortsWithItsExtraData) {
  std::mt19937 random(7);
  for (int n : {0, 1, 2, 3, 10, 101}) {
    std::vector<int> v(static_cast<size_t>(n));
    for (int& x : v) x = static_cast<int>(random() % 10);  // many duplicates
    std::vector<int> expected = v;
    std::sort(expected.begin(), expected.end());
    int calls = 0;
    ListSortEx(v, CompareCounting, &calls);
    EXPECT_EQ(expected, v) << n;
    EXPECT_EQ(n < 2, calls == 0) << n;
  }
}

TEST(ShortCutTexts, TextsFollowAFixedTableBothWays) {
  const std::pair<TShortCut, const wchar_t*> cases[] = {
      {static_cast<TShortCut>(scCtrl | 'S'), L"Ctrl+S"},
      {static_cast<TShortCut>(scShift | scCtrl | 'Z'), L"Shift+Ctrl+Z"},
      {static_cast<TShortCut>(scAlt | VK_F4), L"Alt+F4"},
      {static_cast<TShortCut>(scCtrl | VK_DELETE), L"Ctrl+Del"},
      {VK_INSERT, L"Ins"},
      {static_cast<TShortCut>(scCtrl | VK_ADD), L"Ctrl+Num +"},
      {static_cast<TShortCut>(scCtrl | '1'), L"Ctrl+1"},
      {VK_F12, L"F12"},
  };
  for (const auto& [shortCut, text] : cases) {
    EXPECT_EQ(String(text), ShortCutToText(shortCut));
    EXPECT_EQ(shortCut, TextToShortCut(text)) << WideToUtf8(text);
  }
  EXPECT_EQ(L"", ShortCutToText(0));
  EXPECT_EQ(0, TextToShortCut(L"Ctrl+"));
  EXPECT_EQ(0, TextToShortCut(L"Nonsense"));
  EXPECT_EQ(static_cast<TShortCut>(scCtrl | 'S'), TextToShortCut(L"ctrl+s"));
}

TEST(ShortCutTexts, ShortCutsCombineKeysAndShiftStates) {
  EXPECT_EQ(static_cast<TShortCut>(scShift | scAlt | 'A'), ShortCut('A', ssShift | ssAlt));
  EXPECT_EQ(0, ShortCut(0x1FF, ssCtrl));
  WORD key;
  TShiftState shift;
  ShortCutToKey(static_cast<TShortCut>(scCtrl | VK_F2), key, shift);
  EXPECT_EQ(VK_F2, key);
  EXPECT_EQ(ssCtrl, shift);
  // Alt comes from the key data's context bit; Shift and Ctrl from the key state.
  BYTE saved[256], state[256];
  GetKeyboardState(saved);
  memcpy(state, saved, sizeof(state));
  state[VK_SHIFT] = 0x80;
  state[VK_CONTROL] = 0;
  SetKeyboardState(state);
  EXPECT_EQ(ssShift | ssAlt, KeyDataToShiftState(0x20000001));
  EXPECT_EQ(ssShift, KeyDataToShiftState(1));
  SetKeyboardState(saved);
}
