// The themed popup window: the kind of view it answers, its border, background and scroll-arrow
// frames painted by the theme, the show animation picked by the menu animation settings, and its
// shadows: the window class's, or its own strips.
#include "ThemedItemsTestSupport.h"

#include "tbx/TBXMenuAnimation.h"
#include "tbx/TBXShadows.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <utility>

using namespace tbx_test;
using testing_support::PumpMessages;
using testing_support::PumpUntil;

namespace {

// A clock that stands still at its start until the test moves it.
class TFrozenClock : public tb2anim::TAnimationTiming {
 public:
  TFrozenClock() : base_(GetTickCount()) {}
  DWORD TickCount() override {
    ++reads_;
    return base_ + offset_.load();
  }
  // Moves the clock once the worker has taken its start from it; dispatches nothing meanwhile,
  // since a paint would end the animation.
  bool MoveTo(DWORD Elapsed) {
    const DWORD start = GetTickCount();
    while (reads_.load() == 0) {
      if (GetTickCount() - start > 2000) return false;
      Sleep(1);
    }
    offset_ = Elapsed;
    return true;
  }

 private:
  DWORD base_;
  std::atomic<DWORD> offset_{0};
  std::atomic<int> reads_{0};
};

// A plain top-level window that takes the mouse (DefWindowProc answers HTCLIENT).
class TBackdrop {
 public:
  explicit TBackdrop(const RECT& R) {
    static const ATOM atom = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = DefWindowProcW;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = L"QuillnoteTestBackdrop";
      return RegisterClassW(&wc);
    }();
    wnd_ = CreateWindowExW(0, MAKEINTATOM(atom), L"", WS_POPUP | WS_VISIBLE, R.left, R.top, R.right - R.left,
                           R.bottom - R.top, nullptr, nullptr, nullptr, nullptr);
  }
  ~TBackdrop() { DestroyWindow(wnd_); }
  TBackdrop(const TBackdrop&) = delete;
  TBackdrop& operator=(const TBackdrop&) = delete;
  HWND Handle() const { return wnd_; }

 private:
  HWND wnd_;
};

RECT WindowRectOf(HWND Wnd) {
  RECT r{};
  GetWindowRect(Wnd, &r);
  return r;
}

String ClassNameOf(HWND Wnd) {
  wchar_t name[128] = {};
  GetClassNameW(Wnd, name, 128);
  return name;
}

// Prints the whole window into a bitmap of its size, as an animation captures it.
void PrintWindow(HWND Wnd, LPARAM Flags) {
  const RECT r = WindowRectOf(Wnd);
  TPixels pixels(r.right - r.left, r.bottom - r.top);
  SendMessageW(Wnd, WM_PRINT, reinterpret_cast<WPARAM>(pixels.DC()), Flags);
}

class ThemedPopupWindow : public ThemedItemsTest {
 protected:
  void TearDown() override {
    TBEndAnimation(nullptr);
    tb2anim::SetTiming(nullptr);
    ThemedItemsTest::TearDown();
  }
  // The strips of a popup's shadows, right first.
  static std::pair<TShadow*, TShadow*> Strips(TTBPopupWindow* Popup) {
    TShadows* shadows = static_cast<TTBXPopupWindow*>(Popup)->Shadows();
    if (!shadows) return {nullptr, nullptr};
    return {shadows->Strip(TShadows::Right1), shadows->Strip(TShadows::Bottom1)};
  }
};

}  // namespace

// --- kinds, border, background --------------------------------------------------------------

TEST_F(ThemedPopupWindow, EachWindowAnswersTheKindOfViewItShows) {
  auto* toolBox = Make<TTBXSubmenuItem>(L"Colours");
  toolBox->SetToolBoxPopup(true);
  Make(L"Red", toolBox);
  TTBXPopupWindow* plain = HiddenPopup();
  TTBXPopupWindow* ofToolBox = HiddenPopup(toolBox);
  auto* chevron = new TTBXChevronPopupWindow(views, nullptr, root, false);
  auto* menu = new TTBXPopupMenu(owner);
  EXPECT_EQ(QueryPopupViewKind(plain), vkPopupMenu);
  EXPECT_EQ(QueryViewKind(plain->View()), vkPopupMenu);
  EXPECT_EQ(QueryPopupViewKind(ofToolBox), vkToolBoxPopup);
  EXPECT_EQ(QueryPopupViewKind(chevron), vkChevronPopup);
  TMessage query{WM_TBX_QUERY_VIEW_KIND, 0, 0, 0};
  menu->Dispatch(query);
  EXPECT_EQ(query.Result, vkPopupMenu);
  EXPECT_NE(dynamic_cast<TTBXRootItem*>(menu->Items()), nullptr);
}

TEST_F(ThemedPopupWindow, TheThemesBorderFramesTheClientAreaAndItsPainterGetsThePopupsRecord) {
  Make(L"One");
  Make(L"Two");
  for (POINT border : {POINT{1, 2}, POINT{3, 1}}) {
    SCOPED_TRACE(testing::Message() << border.x << "," << border.y);
    theme->Border = border;
    TPopupHolder popup = ShowPopup();
    EXPECT_EQ(popup->GetNCSize().x, border.x);
    EXPECT_EQ(popup->GetNCSize().y, border.y);
    RECT window = WindowRectOf(popup->Handle()), client{};
    GetClientRect(popup->Handle(), &client);
    MapWindowPoints(popup->Handle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    InflateRect(&window, -border.x, -border.y);
    EXPECT_EQ(client, window);

    // The frame, as the system asks for it and as an animation prints it.
    for (bool printed : {false, true}) {
      theme->Calls.clear();
      if (printed)
        PrintWindow(popup->Handle(), PRF_NONCLIENT);
      else
        RedrawWindow(popup->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
      const std::vector<TThemeCall> frames = theme->CallsOf("PaintPopupNCArea");
      ASSERT_EQ(frames.size(), 1u) << printed;
      const RECT whole = WindowRectOf(popup->Handle());
      EXPECT_EQ(frames[0].Rect, (RECT{0, 0, whole.right - whole.left, whole.bottom - whole.top}));
      EXPECT_EQ(frames[0].Popup.WindowHandle, popup->Handle());
      EXPECT_EQ(frames[0].Popup.ViewKind, vkPopupMenu);
      EXPECT_TRUE(IsRectEmpty(&frames[0].Popup.ParentRect)) << "a popup at a point has no parent item";
      EXPECT_EQ(frames[0].Popup.BorderSize.x, border.x);
      EXPECT_EQ(frames[0].Popup.BorderSize.y, border.y);
      EXPECT_FALSE(frames[0].CentreVisible) << "the client area is left out";
    }
  }
}

TEST_F(ThemedPopupWindow, APopupOpenedAgainstARectangleLeavesItOutOfItsFrame) {
  Make(L"One");
  const RECT anchor{300, 300, 400, 320};
  TPopupHolder popup(root->PopupAtRect(false, anchor, tbpaLeft));
  theme->Calls.clear();
  PrintWindow(popup->Handle(), PRF_NONCLIENT);
  const RECT window = WindowRectOf(popup->Handle());
  RECT expected = anchor;
  OffsetRect(&expected, -window.left, -window.top);
  EXPECT_EQ(theme->CallsOf("PaintPopupNCArea").at(0).Popup.ParentRect, expected);
}

TEST_F(ThemedPopupWindow, TheThemePaintsTheBackgroundInTheViewsColour) {
  Make(L"One");
  TPopupHolder popup = ShowPopup();
  theme->Calls.clear();
  PrintWindow(popup->Handle(), PRF_CLIENT | PRF_ERASEBKGND);
  const std::vector<TThemeCall> backgrounds = theme->CallsOf("PaintBackgnd");
  ASSERT_FALSE(backgrounds.empty());
  RECT client{};
  GetClientRect(popup->Handle(), &client);
  EXPECT_EQ(backgrounds[0].Rect, client);
  EXPECT_EQ(backgrounds[0].ViewKind, vkPopupMenu);
  EXPECT_EQ(popup->View()->BackgroundColor(), theme->ViewColor);
  EXPECT_EQ(theme->Ops().front(), "PaintBackgnd") << "erased before the items paint";
}

TEST_F(ThemedPopupWindow, ALongPopupFramesItsScrollArrowBandsAsMenuItems) {
  for (int i = 0; i < 12; ++i) Make(L"Line");
  TTBXPopupWindow* window = HiddenPopup();
  TTBView* view = window->View();
  view->SetMaxHeight(view->Viewers(0)->BoundsRect.bottom * 4);
  view->UpdatePositions();
  ASSERT_TRUE(view->ShowDownArrow());
  view->Scroll(true);
  view->ValidatePositions();
  ASSERT_TRUE(view->ShowUpArrow());
  theme->Calls.clear();
  PrintWindow(window->Handle(), PRF_CLIENT);
  TTBItemViewer *first = nullptr, *last = nullptr;
  for (int i = 0; i < view->ViewerCount(); ++i)
    if (view->Viewers(i)->Show) {
      if (!first) first = view->Viewers(i);
      last = view->Viewers(i);
    }
  ASSERT_TRUE(first && last);
  const std::vector<TThemeCall> frames = theme->CallsOf("PaintMenuItemFrame");
  ASSERT_EQ(frames.size(), 2u);
  RECT client{};
  GetClientRect(window->Handle(), &client);
  EXPECT_EQ(frames[0].Rect, (RECT{0, 0, client.right, first->BoundsRect.top}));
  EXPECT_EQ(frames[1].Rect, (RECT{0, last->BoundsRect.bottom, client.right, client.bottom}));
  TTBXItemInfo info{};
  info.ViewKind = vkPopupMenu;
  info.ItemEnabled = true;
  info.ImageColumnWidth = GetPopupImageColumnWidth(view->Viewers(0));
  EXPECT_EQ(frames[0].Info, info);
  EXPECT_EQ(frames[1].Info, info);
}

TEST_F(ThemedPopupWindow, TheHintIsTheSelectedItemsWithinItsBounds) {
  TTBXItem* item = Make(L"&Open...");
  Make(L"Other");
  TTBXPopupWindow* window = HiddenPopup();
  TTBItemViewer* viewer = window->View()->Find(item);
  window->View()->SetSelected(viewer);
  THintInfo hint;
  hint.HintStr = L"left over";
  window->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&hint));
  EXPECT_EQ(hint.HintStr, String(L"Open"));
  EXPECT_EQ(hint.CursorRect, viewer->BoundsRect);
}

// --- showing --------------------------------------------------------------------------------

TEST_F(ThemedPopupWindow, TheMenuAnimationSettingsPickHowAPopupComesUp) {
  enum TShow { kAtOnce, kSlide, kFade };
  struct TCase {
    const char* what;
    uint8_t kind;
    bool animatesAtStart, animates, fades;
    bool selectFirst, fromParent, parentNoAnimation;
    TShow expected;
  } cases[] = {
      {"system: slide", makSystem, true, true, false, false, false, false, kSlide},
      {"system: fade", makSystem, true, true, true, false, false, false, kFade},
      {"system, switched off after start-up", makSystem, true, false, false, false, false, false, kAtOnce},
      {"system, off at start-up", makSystem, false, true, true, false, false, false, kAtOnce},
      {"none", makNone, true, true, true, false, false, false, kAtOnce},
      {"always slide", makSlide, false, false, false, false, false, false, kSlide},
      {"always unfold", makUnfold, false, false, false, false, false, false, kSlide},
      {"always fade", makFade, false, false, false, false, false, false, kFade},
      {"first item selected", makSlide, false, false, false, true, false, false, kAtOnce},
      {"a submenu", makSlide, false, false, false, false, true, false, kSlide},
      {"a submenu of a view that animates no more", makSlide, false, false, false, false, true, true, kAtOnce},
  };
  auto* submenu = Make<TTBXSubmenuItem>(L"Sub");
  Make(L"Inside", submenu);
  Make(L"Other");
  TFrozenClock clock;
  tb2anim::SetTiming(&clock);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    settings.Animation = c.animatesAtStart;
    TTBXMenuAnimation animation(c.kind, 63);
    TTBXMenuAnimation* const saved = std::exchange(MenuAnimationInstance, &animation);
    settings.Animation = c.animates;
    settings.Fade = c.fades;
    theme->ShadowType = pstOwnWhole;

    TTBView* parentView = nullptr;
    TTBPopupWindow* popup = nullptr;
    TPopupHolder holder;
    if (c.fromParent) {
      parentView = HiddenPopup()->View();
      if (c.parentNoAnimation) parentView->SetState(parentView->State() | vsNoAnimation);
      popup = submenu->CreatePopup(parentView, parentView->Find(submenu), true, c.selectFirst, false, {}, tbpaLeft);
    } else {
      holder.reset(root->CreatePopup(nullptr, nullptr, false, c.selectFirst, false, {300, 200}, tbpaLeft));
      popup = holder.get();
    }
    HWND wnd = popup->Handle();
    const bool running = tb2anim::Running() && tb2anim::AnimatedWindow() == wnd;
    EXPECT_EQ(running, c.expected != kAtOnce);
    EXPECT_TRUE(IsWindowVisible(wnd));
    const bool layered = (GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
    EXPECT_EQ(layered, c.expected == kFade);
    // Shadows come once the popup is wholly shown.
    EXPECT_EQ(Strips(popup).first != nullptr, c.expected == kAtOnce);
    TBEndAnimation(nullptr);
    EXPECT_NE(Strips(popup).first, nullptr);
    if (parentView) parentView->CloseChildPopups();
    holder.reset();
    MenuAnimationInstance = saved;
  }
}

TEST_F(ThemedPopupWindow, AnUnfoldingPopupSlidesAlongASecondDirection) {
  Make(L"One");
  Make(L"Two");
  for (uint8_t kind : {makSlide, makUnfold}) {
    SCOPED_TRACE(kind == makSlide ? "slide" : "unfold");
    TFrozenClock clock;
    tb2anim::SetTiming(&clock);
    TTBXMenuAnimation animation(kind, 63);
    TTBXMenuAnimation* const saved = std::exchange(MenuAnimationInstance, &animation);
    // Centred on its point, a popup opens downwards only.
    TPopupHolder popup(root->CreatePopup(nullptr, nullptr, false, false, false, {400, 200}, tbpaCenter));
    ASSERT_EQ(popup->AnimationDirection(), tbadDown);
    const TTBAnimationDirections direction = kind == makUnfold ? tbadDown | tbadRight : tbadDown;
    const int elapsed = 75;
    const int progress = tb2anim::ProgressAt(elapsed, clock.SlideDuration(), 0);
    ASSERT_TRUE(clock.MoveTo(elapsed));
    HWND wnd = popup->Handle();
    gdi::RegionHandle region(CreateRectRgn(0, 0, 0, 0));
    RECT visible{};
    ASSERT_TRUE(PumpUntil([&] {
      if (GetWindowRgn(wnd, region.Get()) == ERROR) return false;
      GetRgnBox(region.Get(), &visible);
      return !IsRectEmpty(&visible);
    }, 2000));
    const int w = popup->Width(), h = popup->Height();
    const int dx = tb2anim::SlideOffset(w, progress, direction & tbadRight, direction & tbadLeft);
    const int dy = tb2anim::SlideOffset(h, progress, direction & tbadDown, direction & tbadUp);
    EXPECT_EQ(visible, (RECT{dx, dy, dx + w, dy + h}));
    TBEndAnimation(nullptr);
    popup.reset();
    tb2anim::SetTiming(nullptr);
    MenuAnimationInstance = saved;
  }
}

// --- shadows --------------------------------------------------------------------------------

TEST_F(ThemedPopupWindow, EachShadowTypeCastsItsShadowAndListPopupsNone) {
  Make(L"One");
  auto* listRoot = new TListRoot(owner);
  Make(L"Entry", listRoot);
  struct TCase {
    const char* what;
    int shadowType;
    TTBCustomItem* of;
    bool systemShadow;  // the window class's
    bool ownShadows;    // strips, after showing
  } cases[] = {
      {"own, around the whole popup", pstOwnWhole, root, false, true},
      {"own, leaving out the parent item", pstOwnOutsideParent, root, false, true},
      {"the system's", pstSystem, root, true, false},
      {"none", pstNone, root, false, false},
      {"a list popup, own", pstOwnWhole, listRoot, false, false},
      {"a list popup, the system's", pstSystem, listRoot, false, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    theme->ShadowType = c.shadowType;
    TTBXPopupWindow* hidden = HiddenPopup(c.of);
    EXPECT_EQ(hidden->Shadows(), nullptr) << "not before showing";
    hidden->Free();
    TPopupHolder popup = ShowPopup({300, 200}, c.of);

    // The system's shadow belongs to the window class: such popups have a class of their own.
    const ULONG_PTR style = GetClassLongPtrW(popup->Handle(), GCL_STYLE);
    EXPECT_EQ((style & CS_DROPSHADOW) != 0, c.systemShadow);
    EXPECT_EQ(style & CS_DBLCLKS, 0u);
    EXPECT_EQ(ClassNameOf(popup->Handle()),
              String(c.systemShadow ? L"Quillnote.TBXPopupWindowS" : L"Quillnote.TBXPopupWindow"));

    const auto [right, bottom] = Strips(popup.get());
    ASSERT_EQ(right != nullptr, c.ownShadows);
    if (!c.ownShadows) continue;
    EXPECT_TRUE(IsWindowVisible(right->Handle()));
    EXPECT_TRUE(IsWindowVisible(bottom->Handle()));
    // Directly below the popup.
    const HWND next = GetWindow(popup->Handle(), GW_HWNDNEXT);
    EXPECT_TRUE(next == right->Handle() || next == bottom->Handle());
  }
}

TEST_F(ThemedPopupWindow, ShadowsFollowAMovedPopupAndGoWhenItHidesOrGoes) {
  Make(L"One");
  theme->ShadowType = pstOwnWhole;
  const int windows = testing_support::ThreadWindowCount();
  TPopupHolder popup = ShowPopup();
  popup->SetBounds(10, 10, 100, 50);
  auto [right, bottom] = Strips(popup.get());
  ASSERT_TRUE(right && bottom);
  EXPECT_EQ(WindowRectOf(right->Handle()), (RECT{110, 14, 114, 60}));
  EXPECT_EQ(WindowRectOf(bottom->Handle()), (RECT{14, 60, 114, 64}));
  EXPECT_EQ(right->Mode(), smLayered);

  popup->SetVisible(false);
  EXPECT_EQ(Strips(popup.get()).first, nullptr) << "a hidden popup casts no shadow";
  popup->SetVisible(true);
  std::tie(right, bottom) = Strips(popup.get());
  ASSERT_NE(right, nullptr);
  const HWND strips[] = {right->Handle(), bottom->Handle()};
  popup.reset();
  for (HWND strip : strips) EXPECT_FALSE(IsWindow(strip));
  PumpMessages();
  EXPECT_EQ(testing_support::ThreadWindowCount(), windows);
}

TEST_F(ThemedPopupWindow, ShadowsAreHalfAsWideAndOpaqueOnALowColourScreenOrWithoutTheBlendingFunctions) {
  Make(L"One");
  theme->ShadowType = pstOwnWhole;
  struct TCase {
    const char* what;
    int depth;
    bool bound;
    int size;
    TShadowMode mode;
  } cases[] = {
      {"24 bits", 24, true, 4, smLayered},
      {"8 bits", 8, true, 2, smOpaque},
      {"no layered windows, no alpha blending", 24, false, 2, smOpaque},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.what);
    settings.Depth = c.depth;
    ThemeManagerInstance->RecomputeSystemState();
    ASSERT_EQ(LowColorMode, c.depth < 12);
    TLateBoundScope lateBound;
    if (!c.bound) tbx::LateBound() = {};
    TPopupHolder popup = ShowPopup();
    popup->SetBounds(10, 10, 100, 50);
    const auto [right, bottom] = Strips(popup.get());
    ASSERT_TRUE(right && bottom);
    EXPECT_EQ(WindowRectOf(right->Handle()), (RECT{110, 10 + c.size, 110 + c.size, 60}));
    EXPECT_EQ(WindowRectOf(bottom->Handle()), (RECT{10 + c.size, 60, 110 + c.size, 60 + c.size}));
    EXPECT_EQ(right->Mode(), c.mode);
    EXPECT_EQ(bottom->Mode(), c.mode);
  }
}

TEST_F(ThemedPopupWindow, ClicksOnTheShadowsReachTheWindowBelow) {
  Make(L"One");
  theme->ShadowType = pstOwnWhole;
  TBackdrop backdrop({0, 0, 200, 200});
  TPopupHolder popup = ShowPopup();
  popup->SetBounds(10, 10, 100, 50);
  const auto [right, bottom] = Strips(popup.get());
  ASSERT_TRUE(right && bottom);
  EXPECT_EQ(WindowFromPoint({50, 30}), popup->Handle());
  for (TShadow* strip : {right, bottom}) {
    const RECT r = WindowRectOf(strip->Handle());
    const POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    EXPECT_EQ(WindowFromPoint(centre), backdrop.Handle());
  }
}

namespace {

// Every line of an "Ide" menu writes its caption straight onto the menu: none takes the DC's own
// opaque white text background that the line painted before it left behind.
TEST_F(ThemedPopupWindow, CaptionsAfterSeparatorsAreDrawnWithoutABackgroundOfTheirOwn) {
  NexusSelectTheme(L"Ide");
  Make(L"New Note");
  Make<TTBXSeparatorItem>(L"");
  Make(L"Hide All Notes");
  Make<TTBXSeparatorItem>(L"");
  TTBCustomItem* last = Make(L"Exit");
  TPopupHolder popup = ShowPopup();
  HWND wnd = popup->Handle();
  RECT client;
  GetClientRect(wnd, &client);
  TPixels pixels(client.right, client.bottom);
  SendMessageW(wnd, WM_PRINT, reinterpret_cast<WPARAM>(pixels.DC()), PRF_CLIENT | PRF_ERASEBKGND);
  for (TTBCustomItem* item : {root->Items(0), root->Items(2), last}) {
    RECT text = popup->View()->Find(item)->BoundsRect;
    text.left += text.bottom - text.top + 6;  // past the image column and its lines
    int white = 0, dark = 0;
    for (int y = text.top; y < text.bottom; ++y)
      for (int x = text.left; x < text.right; ++x) {
        const COLORREF c = pixels.At(x, y);
        white += c == RGB(255, 255, 255);
        dark += GetRValue(c) < 80 && GetGValue(c) < 80 && GetBValue(c) < 80;
      }
    EXPECT_GT(dark, 0) << "the caption is drawn";
    EXPECT_EQ(white, 0);
  }
}

}  // namespace
