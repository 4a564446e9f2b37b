#pragma once
// Helpers of the themed-item tests: a theme that records what viewers and popup windows ask of
// it and answers the metrics the test chooses, a fixture that makes it the active theme, an
// owner for items and views, popups freed at the end of their scope, and text measured apart
// from the code under test.
#include "ThemeTestSupport.h"
#include "common/TestSupport.h"
#include "tbx/TBX.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

inline bool operator==(const TTBXItemInfo& A, const TTBXItemInfo& B) {
  return A.ViewKind == B.ViewKind && A.Flags == B.Flags && A.ItemEnabled == B.ItemEnabled &&
         A.ItemPushed == B.ItemPushed && A.Hover == B.Hover && A.ItemChecked == B.ItemChecked &&
         A.HasImage == B.HasImage && A.GlyphWidth == B.GlyphWidth && A.GlyphHeight == B.GlyphHeight &&
         A.Vertical == B.Vertical && A.ButtonPart == B.ButtonPart && A.OpensPopup == B.OpensPopup &&
         A.ImageColumnWidth == B.ImageColumnWidth;
}

inline void PrintTo(const TTBXItemInfo& I, std::ostream* os) {
  *os << "{kind " << std::hex << I.ViewKind << ", flags " << I.Flags << std::dec << ", enabled " << I.ItemEnabled
      << ", pushed " << I.ItemPushed << ", hover " << int{I.Hover} << ", checked " << I.ItemChecked << ", image "
      << I.HasImage << " " << I.GlyphWidth << "x" << I.GlyphHeight << ", vertical " << I.Vertical << ", part "
      << int{I.ButtonPart} << ", opens " << I.OpensPopup << ", column " << I.ImageColumnWidth << "}";
}

namespace tbx_test {

// One call a viewer or window made on the theme, with what it handed over.
struct TThemeCall {
  std::string Op;
  RECT Rect{};
  TTBXItemInfo Info{};
  String Text;               // PaintCaption
  UINT Format = 0;           // PaintCaption
  bool Rotated = false;      // PaintCaption
  int FontSize = 0;          // PaintCaption: the canvas font's size in points
  TColor FontColor = clNone; // PaintCaption
  TFontStyles FontStyle = 0; // PaintCaption
  bool Horizontal = false;   // PaintSeparator
  bool LineSeparator = false;
  int ImageIndex = -1;       // PaintImage
  TTBXPopupInfo Popup{};     // PaintPopupNCArea
  bool CentreVisible = true; // PaintPopupNCArea: whether the clip lets the rectangle's centre through
  int ViewKind = 0;          // PaintBackgnd
};

// Answers the measures a test sets and records every painting call; the other operations are
// the Default theme's.
class TRecordingTheme : public TTBXDefaultTheme {
 public:
  explicit TRecordingTheme(const String& AName) : TTBXDefaultTheme(AName) {}

  // What it answers.
  std::map<int, int> IntegerMetrics{{tmSplitArrowWidth, 13}, {tmDropDownArrowWidth, 9},
                                    {tmDropDownArrowMargin, 2}, {tmMenuImageMargin, 3},
                                    {tmMenuImageTextSpace, 5}, {tmMenuTextMargin, 7},
                                    {tmMenuSeparatorSize, -1}, {tmToolbarSeparatorSize, -1}};
  bool PopupsOverlapParent = false;
  int ShadowType = pstNone;
  POINT Border{1, 2};
  TTBXMargins ToolbarMargins{2, 2, 2, 2};
  TTBXMargins MenuMargins{1, 2, 3, 4};
  TColor TextColor = RGB(0x11, 0x22, 0x33);
  TColor ViewColor = RGB(0xEE, 0xDD, 0xCC);
  POINT ImageOffset{1, 1};
  // Off: nothing is recorded (for tests that paint a great many times).
  bool Recording = true;

  std::vector<TThemeCall> Calls;
  std::vector<TThemeCall> CallsOf(const std::string& Op) const {
    std::vector<TThemeCall> found;
    for (const TThemeCall& call : Calls)
      if (call.Op == Op) found.push_back(call);
    return found;
  }
  std::vector<std::string> Ops() const {
    std::vector<std::string> ops;
    for (const TThemeCall& call : Calls) ops.push_back(call.Op);
    return ops;
  }

  int GetIntegerMetrics(int Index) override {
    auto found = IntegerMetrics.find(Index);
    return found != IntegerMetrics.end() ? found->second : -1;
  }
  bool GetBooleanMetrics(int Index) override { return Index == tmPopupsOverlapParent && PopupsOverlapParent; }
  int GetPopupShadowType() override { return ShadowType; }
  void GetViewBorder(int, POINT& B) override { B = Border; }
  void GetMargins(int MarginID, TTBXMargins& Margins) override {
    Margins = MarginID == mkMenuItem ? MenuMargins : ToolbarMargins;
  }
  TColor GetItemTextColor(const TTBXItemInfo&) override { return TextColor; }
  TColor GetViewColor(int) override { return ViewColor; }
  POINT GetImageOffset(TCanvas&, const TTBXItemInfo&, TCustomImageList*) override { return ImageOffset; }

  void PaintBackgnd(TCanvas&, const RECT& ARect, const RECT&, const RECT&, TColor, bool, int Kind) override {
    TThemeCall call = Call("PaintBackgnd", ARect);
    call.ViewKind = Kind;
    Add(call);
  }
  void PaintButton(TCanvas&, const RECT& R, const TTBXItemInfo& I) override { Add(Call("PaintButton", R, I)); }
  void PaintCaption(TCanvas& Canvas, const RECT& R, const TTBXItemInfo& I, const String& Text, UINT Format,
                    bool Rotated) override {
    TThemeCall call = Call("PaintCaption", R, I);
    call.Text = Text;
    call.Format = Format;
    call.Rotated = Rotated;
    call.FontSize = Canvas.Font().Size();
    call.FontColor = Canvas.Font().Color();
    call.FontStyle = Canvas.Font().Style();
    Add(call);
  }
  void PaintCheckMark(TCanvas&, const RECT& R, const TTBXItemInfo& I) override { Add(Call("PaintCheckMark", R, I)); }
  void PaintDropDownArrow(TCanvas&, const RECT& R, const TTBXItemInfo& I) override {
    Add(Call("PaintDropDownArrow", R, I));
  }
  void PaintImage(TCanvas&, const RECT& R, const TTBXItemInfo& I, TCustomImageList*, int Index) override {
    TThemeCall call = Call("PaintImage", R, I);
    call.ImageIndex = Index;
    Add(call);
  }
  void PaintMenuItem(TCanvas&, const RECT& R, const TTBXItemInfo& I) override { Add(Call("PaintMenuItem", R, I)); }
  void PaintMenuItemFrame(TCanvas&, const RECT& R, const TTBXItemInfo& I) override {
    Add(Call("PaintMenuItemFrame", R, I));
  }
  void PaintPopupNCArea(TCanvas& Canvas, const RECT& R, const TTBXPopupInfo& P) override {
    TThemeCall call = Call("PaintPopupNCArea", R);
    call.Popup = P;
    call.CentreVisible = PtVisible(Canvas.Handle(), (R.left + R.right) / 2, (R.top + R.bottom) / 2);
    Add(call);
  }
  void PaintSeparator(TCanvas&, const RECT& R, const TTBXItemInfo& I, bool Horizontal, bool LineSeparator) override {
    TThemeCall call = Call("PaintSeparator", R, I);
    call.Horizontal = Horizontal;
    call.LineSeparator = LineSeparator;
    Add(call);
  }

 private:
  static TThemeCall Call(const char* Op, const RECT& R, const TTBXItemInfo& I = {}) {
    TThemeCall call;
    call.Op = Op;
    call.Rect = R;
    call.Info = I;
    return call;
  }
  void Add(const TThemeCall& Call) {
    if (Recording) Calls.push_back(Call);
  }
};

// A component answering the view-kind query as a view's owner, for views of no window.
class TKindOwner : public TComponent {
 public:
  TKindOwner(TComponent* AOwner, int AKind) : TComponent(AOwner), Kind(AKind) {}
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == WM_TBX_QUERY_VIEW_KIND) {
      Message.Result = Kind;
      return;
    }
    TComponent::Dispatch(Message);
  }
  int Kind;
};

// A popup window that shows a list item's list, and a root item whose popups are such.
class TListPopupWindow : public TTBXPopupWindow {
 public:
  using TTBXPopupWindow::TTBXPopupWindow;
  void Dispatch(TMessage& Message) override {
    if (Message.Msg == WM_TBX_QUERY_VIEW_KIND) {
      Message.Result = vkListPopup;
      return;
    }
    TTBXPopupWindow::Dispatch(Message);
  }
};

class TListRoot : public TTBXRootItem {
 public:
  using TTBXRootItem::TTBXRootItem;
  TTBPopupWindowClass GetPopupWindowClass() override { return CreatePopupWindowOf<TListPopupWindow>; }
};

struct TFreeComponent {
  void operator()(TComponent* C) const { C->Free(); }
};
using TPopupHolder = std::unique_ptr<TTBPopupWindow, TFreeComponent>;

// The size DrawText gives a text in a font (with DT_CALCRECT, starting from a rectangle 1 wide).
inline SIZE TextSizeIn(const TFont& Font, const String& Text, UINT Format) {
  gdi::MemoryDC dc = gdi::NewMemoryDC();
  gdi::SelectionGuard select(dc.Get(), Font.Handle());
  RECT r{0, 0, 1, 0};
  DrawTextW(dc.Get(), Text.c_str(), static_cast<int>(Text.size()), &r, Format | DT_CALCRECT);
  return {r.right, r.bottom};
}

inline TEXTMETRICW MetricsOf(const TFont& Font) {
  gdi::MemoryDC dc = gdi::NewMemoryDC();
  gdi::SelectionGuard select(dc.Get(), Font.Handle());
  TEXTMETRICW tm{};
  GetTextMetricsW(dc.Get(), &tm);
  return tm;
}

// The theme layer is up with the recording theme active; items, views and windows made through
// the fixture go before the layer does.
class ThemedItemsTest : public ThemeLayerTest {
 protected:
  void SetUp() override {
    ThemeLayerTest::SetUp();
    SetCursorPos(1, 1);  // no popup shows under the cursor
    RegisterThemeClass(L"Recording", CreateThemeOf<TRecordingTheme>);
    NexusSelectTheme(L"Recording");
    theme = static_cast<TRecordingTheme*>(ActiveTheme);
    owner = new TComponent(nullptr);
    views = new TComponent(nullptr);
    root = new TTBXRootItem(owner);
  }
  void TearDown() override {
    views->Free();  // before the items they show
    owner->Free();
    testing_support::PumpMessages();
    ThemeLayerTest::TearDown();
  }
  template <class T = TTBXItem>
  T* Make(const wchar_t* Caption, TTBCustomItem* Parent = nullptr) {
    auto* item = new T(owner);
    item->SetCaption(Caption);
    (Parent ? Parent : root)->Add(item);
    return item;
  }
  // A hidden popup window of the root's items, its font Tahoma 8 points, laid out.
  TTBXPopupWindow* HiddenPopup(TTBCustomItem* Of = nullptr) {
    auto* window = new TTBXPopupWindow(views, nullptr, Of ? Of : root, false);
    window->Font().SetName(L"Tahoma");
    window->Font().SetSize(8);
    window->View()->UpdatePositions();
    return window;
  }
  // A toolbar view of the root's items, owned by a component answering Kind.
  TTBView* ToolbarView(int Kind = 0, TTBViewOrientation Orientation = tbvoHorizontal) {
    auto* view = new TTBView(new TKindOwner(views, Kind), nullptr, root, nullptr, true, false, false);
    view->SetOrientation(Orientation);
    return view;
  }
  // Shows the root's popup at a point.
  TPopupHolder ShowPopup(POINT At = {300, 200}, TTBCustomItem* Of = nullptr) {
    return TPopupHolder((Of ? Of : root)->CreatePopup(nullptr, nullptr, false, false, false, At, tbpaLeft));
  }
  // An image list of Count solid images of W x H.
  TCustomImageList* Images(int W, int H, int Count = 1) {
    auto* images = new TCustomImageList(owner);
    images->SetSize(W, H);
    TBitmap strip;
    strip.SetSize(W * Count, H);
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W * Count; ++x) strip.ScanLine(y)[x] = 0x204060;
    images->AddMasked(strip, RGB(255, 0, 255));
    return images;
  }
  // The theme's integer metric.
  int M(int Id) const { return theme->IntegerMetrics.at(Id); }

  TRecordingTheme* theme = nullptr;
  TComponent* owner = nullptr;  // items and image lists
  TComponent* views = nullptr;  // views and windows
  TTBXRootItem* root = nullptr;
};

}  // namespace tbx_test
