#pragma once
// Helpers of the theme tests: system settings the test chooses, the theme layer started for
// each test under them, objects that record the messages the theme layer dispatches, themes
// that count, record or fail, and the visual-style library stood in for.
#include "TbxTestSupport.h"
#include "classlib/Seams.h"
#include "tbx/TBXDefaultTheme.h"
#include "tbx/TBXStartup.h"
#include "tbx/TBXSwitcher.h"
#include "tbx/TBXThemes.h"

#include <gtest/gtest.h>
#include <vssym32.h>

#include <utility>
#include <vector>

namespace tbx_test {

// Every setting the theme layer reads, chosen by the test: a 24-bit screen, flat menus, no menu
// animation, a hot-light brush, and the host's colours unless the test sets its own.
class TFakeSystemSettings : public TFakeColors {
 public:
  int ColorDepth() override { return Depth; }
  bool FlatMenus() override { return Flat; }
  bool MenuAnimation() override { return Animation; }
  bool MenuFade() override { return Fade; }
  bool KeyboardCues() override { return true; }
  HBRUSH SysColorBrush(int Index) override {
    if (Index == COLOR_HOTLIGHT && !HotLightBrush) return nullptr;
    return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  }
  int Depth = 24;
  bool Flat = true;
  bool Animation = false;
  bool Fade = false;
  bool HotLightBrush = true;
};

// The theme layer is up for each test, under the test's settings.
class ThemeLayerTest : public testing::Test {
 protected:
  void SetUp() override { InitializeThemeLayer(); }
  void TearDown() override { FinalizeThemeLayer(); }
  // Sends one message to the theme manager's hidden window.
  static LRESULT SendToManager(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0) {
    return SendMessageW(ThemeManagerInstance->HiddenWindow(), Msg, WParam, LParam);
  }
  TFakeSystemSettings settings;
  seams::Scoped<seams::TSystemSettings> useSettings{settings};
};

// An item's state as a viewer would fill it (the other fields zero).
inline TTBXItemInfo MakeItemInfo(int ViewKind, int Flags, bool Enabled, uint8_t Hover, bool Pushed = false,
                                 bool Checked = false) {
  TTBXItemInfo info{};
  info.ViewKind = ViewKind;
  info.Flags = Flags;
  info.ItemEnabled = Enabled;
  info.Hover = Hover;
  info.ItemPushed = Pushed;
  info.ItemChecked = Checked;
  return info;
}

// (wParam, lParam) of one message heard.
using THeard = std::pair<WPARAM, LPARAM>;
using THeardList = std::vector<THeard>;

// A listener of the theme manager that records the system changes it hears.
class TRecordingListener : public TObject {
 public:
  TRecordingListener() { AddThemeChangeListener(this); }
  ~TRecordingListener() override { RemoveThemeChangeListener(this); }
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == WM_TBX_SYSTEM_CHANGED) Heard.push_back({Message.WParam, Message.LParam});
  }
  std::vector<WPARAM> Phases() const {
    std::vector<WPARAM> phases;
    for (const THeard& heard : Heard) phases.push_back(heard.first);
    return phases;
  }
  THeardList Heard;
};

// A switcher that records every theme-changed message before its event runs.
class TRecordingSwitcher : public TTBXSwitcher {
 public:
  using TTBXSwitcher::TTBXSwitcher;
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == WM_TBX_THEME_CHANGED) Heard.push_back({Message.WParam, Message.LParam});
    TTBXSwitcher::Dispatch(Message);
  }
  THeardList Heard;
};

// A Default theme that counts its constructions and fails to come up while told to.
class TTestTheme : public TTBXDefaultTheme {
 public:
  explicit TTestTheme(const String& AName) : TTBXDefaultTheme(AName) {
    if (FailNext) throw Exception(L"The theme cannot come up");
    ++Constructed;
  }
  static inline int Constructed = 0;
  static inline bool FailNext = false;
};

// What the stood-in visual styles answer.
struct TFakeStyleValues {
  COLORREF ToolbarFill = RGB(0xF4, 0xF4, 0xF0);
  COLORREF ToolbarText = RGB(0x10, 0x20, 0x30);
  COLORREF StatusFill = RGB(0xE0, 0xE8, 0xEC);
  bool ColorsDefined = true;
  SIZE SplitArrow{9, 20};
  bool PartSizeFails = false;
  MARGINS ButtonContent{3, 4, 5, 6};
  bool MarginsFail = false;
  RECT PaneContent{2, 1, 97, 99};  // of a 100 x 100 pane
  bool ContentRectFails = false;
  MARGINS ThumbContent{2, 2, 3, 3};  // a scroll-bar thumb's content margins
  SIZE Gripper{8, 8};                 // a scroll-bar gripper's true size
  bool GripperFails = false;
};

// One call of DrawThemeBackground (or of GetThemeBackgroundRegion, Op "region").
struct TStyleDraw {
  const char* Op = "draw";
  HTHEME Theme = nullptr;
  int Part = 0;
  int State = 0;
  RECT Rect{};
};

// The visual styles as a test stands them in for: in use, with data for every class, the toolbar
// and status classes' colours, part size and margins and the scroll bar's thumb margins and
// gripper size as the test chooses them (a failure where it says so). What is drawn is recorded,
// not painted. Everything is put back at the end of the scope.
class TFakeVisualStyles {
 public:
  TFakeVisualStyles();
  ~TFakeVisualStyles();
  TFakeVisualStyles(const TFakeVisualStyles&) = delete;
  TFakeVisualStyles& operator=(const TFakeVisualStyles&) = delete;

  static inline HTHEME const ToolbarData = reinterpret_cast<HTHEME>(static_cast<intptr_t>(0x7001));
  static inline HTHEME const StatusData = reinterpret_cast<HTHEME>(static_cast<intptr_t>(0x7002));
  // The data of any class.
  static HTHEME DataOf(TVisualStyleClass Class) {
    if (Class == vscToolbar) return ToolbarData;
    if (Class == vscStatus) return StatusData;
    return reinterpret_cast<HTHEME>(static_cast<intptr_t>(0x7100 + Class));
  }

  using TValues = TFakeStyleValues;
  static inline TValues Values;
  // What the painting asked of the styles, in order.
  static inline std::vector<TStyleDraw> Drawn;

 private:
  bool savedInUse_;
  std::array<HTHEME, kVisualStyleClassCount> savedHandles_;
  TVisualStylesApi savedApi_;
};

inline HRESULT WINAPI FakeGetThemeColor(HTHEME Theme, int, int, int Property, COLORREF* Color) {
  const TFakeVisualStyles::TValues& v = TFakeVisualStyles::Values;
  if (!v.ColorsDefined) return E_FAIL;
  if (Theme == TFakeVisualStyles::ToolbarData && Property == 3802) *Color = v.ToolbarFill;
  else if (Theme == TFakeVisualStyles::ToolbarData && Property == 3803) *Color = v.ToolbarText;
  else if (Theme == TFakeVisualStyles::StatusData && Property == 3802) *Color = v.StatusFill;
  else return E_FAIL;
  return S_OK;
}

inline HRESULT WINAPI FakeGetThemePartSize(HTHEME Theme, HDC, int Part, int State, RECT*, THEMESIZE, SIZE* Size) {
  const TFakeVisualStyles::TValues& v = TFakeVisualStyles::Values;
  // A scroll bar's gripper (8 horizontal, 9 vertical), in any state.
  if (Theme == TFakeVisualStyles::DataOf(vscScrollBar) && (Part == 8 || Part == 9)) {
    if (v.GripperFails) return E_FAIL;
    *Size = v.Gripper;
    return S_OK;
  }
  // The split button's arrow part (4) in its normal state (1) is all the toolbar is asked.
  if (v.PartSizeFails || Theme != TFakeVisualStyles::ToolbarData || Part != 4 || State != 1) return E_FAIL;
  *Size = v.SplitArrow;
  return S_OK;
}

inline HRESULT WINAPI FakeGetThemeMargins(HTHEME Theme, HDC, int Part, int State, int Property, RECT*,
                                          MARGINS* Margins) {
  // A scroll bar's thumb (2 horizontal, 3 vertical), its content margins.
  if (Theme == TFakeVisualStyles::DataOf(vscScrollBar) && (Part == 2 || Part == 3) && Property == TMT_CONTENTMARGINS) {
    *Margins = TFakeVisualStyles::Values.ThumbContent;
    return S_OK;
  }
  // The toolbar button (1) when hot (2), its content margins.
  if (TFakeVisualStyles::Values.MarginsFail || Theme != TFakeVisualStyles::ToolbarData || Part != 1 ||
      State != 2 || Property != TMT_CONTENTMARGINS)
    return E_FAIL;
  *Margins = TFakeVisualStyles::Values.ButtonContent;
  return S_OK;
}

inline HRESULT WINAPI FakeGetThemeBackgroundContentRect(HTHEME Theme, HDC, int Part, int, const RECT* Bounds,
                                                        RECT* Content) {
  // A status-bar pane (1) of 100 x 100 pixels.
  const RECT expected{0, 0, 100, 100};
  if (TFakeVisualStyles::Values.ContentRectFails || Theme != TFakeVisualStyles::StatusData || Part != 1 ||
      !EqualRect(Bounds, &expected))
    return E_FAIL;
  *Content = TFakeVisualStyles::Values.PaneContent;
  return S_OK;
}

inline HRESULT WINAPI FakeDrawThemeBackground(HTHEME Theme, HDC, int Part, int State, const RECT* R, const RECT*) {
  TFakeVisualStyles::Drawn.push_back({"draw", Theme, Part, State, *R});
  return S_OK;
}

inline HRESULT WINAPI FakeGetThemeBackgroundRegion(HTHEME Theme, HDC, int Part, int State, const RECT* R,
                                                   HRGN* Region) {
  TFakeVisualStyles::Drawn.push_back({"region", Theme, Part, State, *R});
  *Region = CreateRectRgnIndirect(R);
  return S_OK;
}

inline TFakeVisualStyles::TFakeVisualStyles()
    : savedInUse_(VisualStylesInUse), savedHandles_(VisualStyleHandles), savedApi_(VisualStyles()) {
  Values = TValues();
  Drawn.clear();
  VisualStylesInUse = true;
  for (int c = 0; c < kVisualStyleClassCount; ++c)
    VisualStyleHandles[static_cast<size_t>(c)] = DataOf(static_cast<TVisualStyleClass>(c));
  VisualStyles().GetThemeColor = FakeGetThemeColor;
  VisualStyles().GetThemePartSize = FakeGetThemePartSize;
  VisualStyles().GetThemeMargins = FakeGetThemeMargins;
  VisualStyles().GetThemeBackgroundContentRect = FakeGetThemeBackgroundContentRect;
  VisualStyles().DrawThemeBackground = FakeDrawThemeBackground;
  VisualStyles().GetThemeBackgroundRegion = FakeGetThemeBackgroundRegion;
}

inline TFakeVisualStyles::~TFakeVisualStyles() {
  VisualStyles() = savedApi_;
  VisualStyleHandles = savedHandles_;
  VisualStylesInUse = savedInUse_;
}

}  // namespace tbx_test
