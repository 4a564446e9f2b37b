#pragma once
// Helpers of the "Ide" theme's tests: the theme taken from the registry under the test's
// settings, the colour schemes the tests inject, and item states as viewers fill them.
#include "ThemeTestSupport.h"
#include "tbx/TBXIdeTheme.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace tbx_test {

// System colours as a scheme sets them (COLORREF values).
struct TColorScheme {
  std::string Name;
  std::map<int, COLORREF> Colors;
  COLORREF Get(int Index) const { return Colors.at(Index); }
};

inline std::map<int, COLORREF> SchemeColors(COLORREF Face, COLORREF Shadow, COLORREF Highlight, COLORREF Text,
                                            COLORREF Window, COLORREF WindowText, COLORREF Menu,
                                            COLORREF MenuText, COLORREF Selection, COLORREF SelectionText,
                                            COLORREF GrayText, COLORREF WindowFrame) {
  return {{COLOR_BTNFACE, Face},         {COLOR_BTNSHADOW, Shadow},     {COLOR_BTNHIGHLIGHT, Highlight},
          {COLOR_BTNTEXT, Text},         {COLOR_WINDOW, Window},        {COLOR_WINDOWTEXT, WindowText},
          {COLOR_MENU, Menu},            {COLOR_MENUTEXT, MenuText},    {COLOR_HIGHLIGHT, Selection},
          {COLOR_HIGHLIGHTTEXT, SelectionText}, {COLOR_GRAYTEXT, GrayText}, {COLOR_WINDOWFRAME, WindowFrame}};
}

// Classic grey, the light values of the test machines (Wine's "Light" style), high-contrast
// black.
inline const std::vector<TColorScheme>& ColorSchemes() {
  static const std::vector<TColorScheme> schemes = {
      {"classic grey",
       SchemeColors(Gray(192), Gray(128), Gray(255), Gray(0), Gray(255), Gray(0), Gray(192), Gray(0),
                    RGB(0, 0, 128), Gray(255), Gray(128), Gray(0))},
      {"light",
       SchemeColors(Gray(0xF5), Gray(0xA6), Gray(255), Gray(0), Gray(255), Gray(0), Gray(255), Gray(0),
                    RGB(0x30, 0x96, 0xFA), Gray(255), Gray(0xA6), Gray(0x9E))},
      {"high-contrast black",
       SchemeColors(Gray(0), Gray(128), Gray(255), Gray(255), Gray(0), Gray(255), Gray(0), Gray(255),
                    RGB(128, 0, 128), Gray(255), RGB(0, 255, 0), Gray(255))},
  };
  return schemes;
}

inline const TColorScheme& ClassicScheme() { return ColorSchemes()[0]; }
inline const TColorScheme& HighContrastScheme() { return ColorSchemes()[2]; }

// The theme layer up under the test's settings (the classic scheme unless the test sets
// another before SetUp), and the "Ide" theme taken from the registry for the test.
class IdeThemeTest : public ThemeLayerTest {
 protected:
  void SetUp() override {
    if (settings.Colors.empty()) settings.Colors = ClassicScheme().Colors;
    ThemeLayerTest::SetUp();
    TTBXTheme* acquired = AcquireTheme(L"Ide");
    theme = dynamic_cast<TTBXIdeTheme*>(acquired);
    ASSERT_NE(theme, nullptr);
  }
  void TearDown() override {
    if (theme) {
      TTBXTheme* held = theme;
      ReleaseThemeInstance(held);
    }
    ThemeLayerTest::TearDown();
  }
  // Another scheme from here on, as the system tells its windows.
  void UseScheme(const TColorScheme& Scheme) {
    settings.Colors = Scheme.Colors;
    SendToManager(WM_SYSCOLORCHANGE);
  }
  TTBXIdeTheme* theme = nullptr;
};

// An item of a popup menu as its viewer fills the state: enabled, not selected.
inline TTBXItemInfo MenuItem(int ImageColumnWidth, int Flags = 0) {
  TTBXItemInfo info = MakeItemInfo(vkPopupMenu, Flags, true, 0);
  info.ImageColumnWidth = ImageColumnWidth;
  return info;
}

inline TTBXItemInfo HotMenuItem(int ImageColumnWidth, int Flags = 0) {
  TTBXItemInfo info = MenuItem(ImageColumnWidth, Flags);
  info.Hover = 2;
  return info;
}

}  // namespace tbx_test
