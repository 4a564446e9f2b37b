#include "classlib/Menus.h"

#include <cwctype>

namespace {

struct TKeyName {
  WORD Key;
  const wchar_t* Name;
};

// Named keys; letters and digits name themselves and F1..F24 are made up on the fly.
const TKeyName kKeyNames[] = {
    {VK_BACK, L"BkSp"},     {VK_TAB, L"Tab"},        {VK_RETURN, L"Enter"},
    {VK_ESCAPE, L"Esc"},    {VK_SPACE, L"Space"},    {VK_PRIOR, L"PgUp"},
    {VK_NEXT, L"PgDn"},     {VK_END, L"End"},        {VK_HOME, L"Home"},
    {VK_LEFT, L"Left"},     {VK_UP, L"Up"},          {VK_RIGHT, L"Right"},
    {VK_DOWN, L"Down"},     {VK_INSERT, L"Ins"},     {VK_DELETE, L"Del"},
    {VK_NUMPAD0, L"Num 0"}, {VK_NUMPAD1, L"Num 1"},  {VK_NUMPAD2, L"Num 2"},
    {VK_NUMPAD3, L"Num 3"}, {VK_NUMPAD4, L"Num 4"},  {VK_NUMPAD5, L"Num 5"},
    {VK_NUMPAD6, L"Num 6"}, {VK_NUMPAD7, L"Num 7"},  {VK_NUMPAD8, L"Num 8"},
    {VK_NUMPAD9, L"Num 9"}, {VK_MULTIPLY, L"Num *"}, {VK_ADD, L"Num +"},
    {VK_SUBTRACT, L"Num -"}, {VK_DECIMAL, L"Num Del"}, {VK_DIVIDE, L"Num /"},
    {VK_OEM_PLUS, L"="},    {VK_OEM_COMMA, L","},    {VK_OEM_MINUS, L"-"},
    {VK_OEM_PERIOD, L"."},  {VK_OEM_2, L"/"},        {VK_OEM_1, L";"},
    {VK_OEM_3, L"`"},       {VK_OEM_4, L"["},        {VK_OEM_5, L"\\"},
    {VK_OEM_6, L"]"},       {VK_OEM_7, L"'"},
};

struct TModifierName {
  TShortCut Flag;
  const wchar_t* Name;
};
const TModifierName kModifiers[] = {{scShift, L"Shift+"}, {scCtrl, L"Ctrl+"}, {scAlt, L"Alt+"}};

String KeyName(WORD key) {
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return String(1, static_cast<wchar_t>(key));
  if (key >= VK_F1 && key <= VK_F24) return L"F" + std::to_wstring(key - VK_F1 + 1);
  for (const TKeyName& k : kKeyNames)
    if (k.Key == key) return k.Name;
  return L"";
}

bool StartsWithNoCase(const String& text, size_t at, const wchar_t* prefix) {
  for (size_t i = 0; prefix[i]; ++i) {
    if (at + i >= text.size()) return false;
    if (std::towupper(text[at + i]) != std::towupper(prefix[i])) return false;
  }
  return true;
}

bool SameNoCase(const String& a, const String& b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

TShortCut ShortCut(WORD Key, TShiftState Shift) {
  if (Key & 0xFF00) return 0;
  TShortCut result = Key;
  if (Shift & ssShift) result |= scShift;
  if (Shift & ssCtrl) result |= scCtrl;
  if (Shift & ssAlt) result |= scAlt;
  return result;
}

void ShortCutToKey(TShortCut ShortCut, WORD& Key, TShiftState& Shift) {
  Key = ShortCut & 0xFF;
  Shift = 0;
  if (ShortCut & scShift) Shift |= ssShift;
  if (ShortCut & scCtrl) Shift |= ssCtrl;
  if (ShortCut & scAlt) Shift |= ssAlt;
}

TShiftState KeyDataToShiftState(LPARAM KeyData) {
  TShiftState result = 0;
  if (GetKeyState(VK_SHIFT) < 0) result |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) result |= ssCtrl;
  // The context code: the Alt key was down when the key was pressed.
  if (KeyData & 0x20000000) result |= ssAlt;
  return result;
}

String ShortCutToText(TShortCut ShortCut) {
  String name = KeyName(ShortCut & 0xFF);
  if (name.empty()) return L"";
  String text;
  for (const TModifierName& m : kModifiers)
    if (ShortCut & m.Flag) text += m.Name;
  return text + name;
}

TShortCut TextToShortCut(const String& Text) {
  TShortCut modifiers = 0;
  size_t at = 0;
  for (bool found = true; found;) {
    found = false;
    for (const TModifierName& m : kModifiers) {
      // A lone "+" after the modifiers is the key itself, not a separator.
      if (StartsWithNoCase(Text, at, m.Name) && at + wcslen(m.Name) < Text.size()) {
        modifiers |= m.Flag;
        at += wcslen(m.Name);
        found = true;
      }
    }
  }
  String rest = Text.substr(at);
  if (rest.empty()) return 0;
  for (WORD key = 1; key < 256; ++key) {
    String name = KeyName(key);
    if (!name.empty() && SameNoCase(name, rest)) return static_cast<TShortCut>(key | modifiers);
  }
  return 0;
}

// --- the popup menu -------------------------------------------------------------------------

bool TPopupMenu::IsShortCut(TWMKey&) { return false; }

void TPopupMenu::DoPopup(TObject* Sender) { OnPopup(Sender); }
