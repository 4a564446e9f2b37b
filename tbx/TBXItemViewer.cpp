// Themed item viewers: measuring from the caption, the image and the theme's metrics, painting
// through the theme with the item's state, the queries themed items answer differently, and the
// themed separator.
#include "classlib/ScopeGuard.h"
#include "tbx/TBX.h"

#include <cstring>

namespace {

constexpr int kRoleButtonDropDownGrid = 58;  // ROLE_SYSTEM_BUTTONDROPDOWNGRID
// The image a popup item without images makes room for.
constexpr SIZE kDefaultImage{16, 16};

int Metric(int Index) { return ActiveTheme->GetIntegerMetrics(Index); }

bool IsVertical(TTBView* View) { return View->Orientation() == tbvoVertical; }

bool IsDesigning(TTBCustomItem* Item) { return (Item->ComponentState() & csDesigning) != 0; }

// A box of Size centred in R (the remainders dropped towards zero).
RECT CenterBox(const RECT& R, SIZE Size) {
  const int left = R.left + (R.right - R.left - Size.cx) / 2;
  const int top = R.top + (R.bottom - R.top - Size.cy) / 2;
  return {left, top, left + Size.cx, top + Size.cy};
}

// The layout the item itself asks for; items of the framework have none.
TTBXItemLayout ItemLayout(TTBCustomItem* Item) {
  auto* themed = dynamic_cast<TTBXCustomItem*>(Item);
  return themed ? themed->Layout() : tbxlAuto;
}

// A vertical caption turns unless the item chose its layout or puts its image above.
bool KeepsCaptionUpright(TTBCustomItem* Item) {
  return ItemLayout(Item) != tbxlAuto || (Item->EffectiveOptions() & tboImageAboveCaption);
}

// A popup line whose height less the text's equals the bottom margin loses a pixel at the
// bottom (the text then sits centred); the text starts below the external leading.
void AdjustTextRect(RECT& R, const RECT& Line, const TEXTMETRICW& TM, const TTBXMargins& Margins) {
  if ((Line.bottom - Line.top) - (TM.tmHeight + TM.tmExternalLeading) == Margins.Bottom) --R.bottom;
  R.top += TM.tmExternalLeading;
}

}  // namespace

// --- life and queries -----------------------------------------------------------------------

TTBXItemViewer::TTBXItemViewer(TTBView* AView, TTBCustomItem* AItem, int AGroupLevel)
    : TTBItemViewer(AView, AItem, AGroupLevel) {}

TTBXItemLayout TTBXItemViewer::EffectiveLayout() {
  if (const TTBXItemLayout own = ItemLayout(Item()); own != tbxlAuto) return own;
  if ((Item()->EffectiveOptions() & tboImageAboveCaption) || IsVertical(View())) return tbxlGlyphTop;
  return tbxlGlyphLeft;
}

bool TTBXItemViewer::IsImageShown() { return ImageShown(); }

SIZE TTBXItemViewer::GetImageSize() {
  TCustomImageList* images = GetImageList();
  return images ? SIZE{images->Width(), images->Height()} : SIZE{0, 0};
}

UINT TTBXItemViewer::GetTextFlags() {
  const bool hidden = !AreKeyboardCuesEnabled() && (View()->Style() & vsUseHiddenAccels) &&
                      !(View()->State() & vsShowAccels);
  return hidden ? DT_HIDEPREFIX : 0;
}

int TTBXItemViewer::GetItemKind() { return IsToolbarStyle() ? 1 : 2; }

int TTBXItemViewer::GetImageColumnWidth() { return GetPopupImageColumnWidth(this); }

namespace {

// The metrics of a font, remembered for the last font asked about: every line of a menu asks
// for the same one, on every measure and paint.
TEXTMETRICW MetricsOf(TFont& Font) {
  thread_local LOGFONTW lastFont{};
  thread_local TEXTMETRICW lastMetrics{};
  thread_local bool known = false;
  LOGFONTW font{};
  GetObjectW(Font.Handle(), sizeof(font), &font);
  if (known && std::memcmp(&font, &lastFont, sizeof(font)) == 0) return lastMetrics;
  gdi::MemoryDC dc = gdi::NewMemoryDC();
  gdi::SelectionGuard select(dc.Get(), Font.Handle());
  GetTextMetricsW(dc.Get(), &lastMetrics);
  lastFont = font;
  known = true;
  return lastMetrics;
}

}  // namespace

int GetPopupImageColumnWidth(TTBItemViewer* Viewer) {
  SIZE image{};
  if (auto* themed = dynamic_cast<TTBXItemViewer*>(Viewer)) image = themed->GetImageSize();
  if (image.cx == 0 || image.cy == 0) {
    TCustomImageList* images = Viewer->GetImageList();
    image = images ? SIZE{images->Width(), images->Height()} : SIZE{0, 0};
  }
  if (image.cx == 0 || image.cy == 0) image = kDefaultImage;

  const TEXTMETRICW tm = MetricsOf(Viewer->View()->GetFont());

  TTBXMargins margins{};
  ActiveTheme->GetMargins(mkMenuItem, margins);
  const int m = margins.Top + margins.Bottom;
  const int textLine = tm.tmHeight + tm.tmExternalLeading + m;
  const int imageLine = image.cy + m;
  return (image.cx + m) * Max(textLine, imageLine) / imageLine;
}

bool TTBXItemViewer::IsToolbarStyle() {
  return TTBItemViewer::IsToolbarStyle() || IsViewKind(QueryViewKind(View()), vkToolBoxPopup);
}

bool TTBXItemViewer::IsToolbarSize() {
  return TTBItemViewer::IsToolbarSize() || IsViewKind(QueryViewKind(View()), vkToolBoxPopup);
}

int TTBXItemViewer::GetAccRole() {
  auto* themed = dynamic_cast<TTBXCustomItem*>(Item());
  if (themed && (themed->ItemStyle() & tbisSubmenu) && themed->ToolBoxPopup()) return kRoleButtonDropDownGrid;
  return TTBItemViewer::GetAccRole();
}

bool TTBXItemViewer::IsPtInButtonPart(int X, int) {
  const TTBItemStyle style = Item()->ItemStyle();
  if (!(style & tbisCombo)) return !(style & tbisSubmenu);
  const int arrow = IsToolbarStyle() ? Metric(tmSplitArrowWidth) : GetSystemMetrics(SM_CXMENUCHECK);
  return X < (BoundsRect.right - BoundsRect.left) - arrow;
}

void TTBXItemViewer::MouseUp(int X, int Y, bool MouseWasDownOnMenu) {
  TTBItemViewer::MouseUp(X, Y, MouseWasDownOnMenu);
  // Running it again within the same release only records the same outcome again.
  TTBCustomItem* item = Item();
  if (item->Enabled() && (IsPtInButtonPart(X, Y) || !(item->ItemStyle() & tbisSubmenu)) &&
      View()->MouseOverSelected())
    Execute(true);
}

// --- fonts and text -------------------------------------------------------------------------

void TTBXItemViewer::AdjustFont(TFont& Font, int StateFlags) {
  if (Item()->EffectiveOptions() & tboDefault) Font.SetStyle(Font.Style() | fsBold);
  if (auto* themed = dynamic_cast<TTBXCustomItem*>(Item())) {
    themed->FontSettings().ApplyToFont(Font);
    themed->OnAdjustFont(themed, this, Font, StateFlags);
  }
}

SIZE TTBXItemViewer::MeasureCaption(TCanvas& Canvas, const String& Caption, UINT TextFlags, bool Rotated,
                                    int StateFlags) {
  if (Caption.empty()) return {0, 0};
  Canvas.SetFont(View()->GetFont());
  AdjustFont(Canvas.Font(), StateFlags);
  TCanvasLock lock(Canvas);
  if (Rotated) {
    HDC dc = Canvas.Handle();
    Canvas.TextMetrics();  // the canvas's font is in the DC: the rotated one is made from it
    gdi::FontHandle rotated = CreateRotatedFont(dc);
    gdi::SelectionGuard select(dc, rotated ? rotated.Get() : GetCurrentObject(dc, OBJ_FONT));
    return {GetTextHeight(dc), GetTextWidth(dc, Caption, true)};
  }
  RECT r{0, 0, 1, 0};
  Canvas.DrawText(Caption, r, TextFlags | DT_CALCRECT);
  return {r.right, r.bottom};
}

void TTBXItemViewer::CaptionPaintHook(TCanvas&, const RECT&, RECT&, bool, bool&) {}

void TTBXItemViewer::DrawItemImage(TCanvas& Canvas, const RECT& ImageRect, const TTBXItemInfo& ItemInfo) {
  TCustomImageList* images = GetImageList();
  const int index = Item()->ImageIndex();
  if (!images || index < 0 || index >= images->Count()) return;
  ActiveTheme->PaintImage(Canvas, ImageRect, ItemInfo, images, index);
  auto* themed = dynamic_cast<TTBXCustomItem*>(Item());
  if (!themed || !themed->OnDrawImage) return;
  const POINT offset = ActiveTheme->GetImageOffset(Canvas, ItemInfo, images);
  themed->OnDrawImage(themed, this, Canvas, ImageRect, offset, ItemInfoStateFlags(ItemInfo));
}

// --- measuring ------------------------------------------------------------------------------

namespace {

// A toolbar-style item: its caption and image side by side or stacked, and room for its arrow.
SIZE ToolbarItemSize(TTBXItemViewer& V, bool CaptionShown, SIZE Text, bool Rotated, SIZE Image,
                     TTBXItemLayout Layout) {
  SIZE size{6, 6};
  if (CaptionShown) {
    size.cx += Text.cx + (Rotated ? 0 : 4);
    size.cy += Text.cy + (Rotated ? 4 : 0);
  }
  if (V.IsImageShown() && Image.cx > 0 && Image.cy > 0) {
    if (Layout == tbxlGlyphLeft) {
      size.cx += Image.cx + (V.WideImage() ? 1 : 0);
      size.cy = Max(size.cy, Image.cy + 6);
    } else {
      size.cy += Image.cy;
      size.cx = Max(size.cx, Image.cx + 7);
    }
  }
  const TTBItemStyle style = V.Item()->ItemStyle();
  if (!(style & tbisSubmenu)) return size;
  if (style & tbisCombo) {
    size.cx += Metric(tmSplitArrowWidth);
    return size;
  }
  if (!(V.Item()->EffectiveOptions() & tboDropdownArrow)) return size;
  const int arrow = Metric(tmDropDownArrowWidth);
  const bool vertical = IsVertical(V.View());
  if (Layout == tbxlGlyphTop && Image.cx != 0 && !Rotated) {
    // The arrow sits beside the image: the item grows only when they do not fit.
    LONG& length = vertical ? size.cy : size.cx;
    const int image = vertical ? Image.cy : Image.cx;
    if (arrow + image + 2 > length - 7) length = arrow + image + 9;
  } else {
    (vertical ? size.cy : size.cx) += arrow;
  }
  return size;
}

// A popup-style item: one line of its text (or image) within the menu-item margins, the image
// column, the shortcut and the submenu arrow's room.
SIZE PopupItemSize(TTBXItemViewer& V, TCanvas& Canvas, SIZE Text, SIZE Image) {
  const TEXTMETRICW tm = Canvas.TextMetrics();
  SIZE size{Text.cx, Text.cy + tm.tmExternalLeading};
  size.cy = Max(size.cy, Image.cy != 0 ? Image.cy : kDefaultImage.cy);
  TTBXMargins margins{};
  ActiveTheme->GetMargins(mkMenuItem, margins);
  size.cx += margins.Left + margins.Right;
  size.cy += margins.Top + margins.Bottom;
  size.cx += Metric(tmMenuImageMargin) + V.GetImageColumnWidth() + Metric(tmMenuImageTextSpace) +
             Metric(tmMenuTextMargin);
  const String shortCut = V.Item()->GetShortCutText();
  if (!shortCut.empty()) size.cx += GetTextWidth(Canvas.Handle(), shortCut, true) + size.cy - 6;
  size.cx += size.cy;
  return size;
}

}  // namespace

void TTBXItemViewer::CalcSize(TCanvas& Canvas, int& AWidth, int& AHeight) {
  TCanvasLock lock(Canvas);
  // Measuring sets the canvas font as this item adjusts it: the next viewer gets it back.
  TFont viewFont;
  viewFont.Assign(Canvas.Font());
  TScopeGuard restoreFont([&] { Canvas.Font().Assign(viewFont); });

  const bool toolbarStyle = IsToolbarStyle();
  SIZE image = GetImageSize();
  if (image.cx <= 0 || image.cy <= 0) image = {0, 0};
  const TTBXItemLayout layout = EffectiveLayout();
  bool rotated = false;
  SIZE text{0, 0};
  const bool captionShown = CaptionShown();
  if (captionShown) {
    rotated = IsVertical(View()) && toolbarStyle && !KeepsCaptionUpright(Item());
    const UINT flags = rotated || !toolbarStyle ? DT_SINGLELINE : 0;
    text = MeasureCaption(Canvas, GetCaptionText(), flags, rotated, 0);
  }
  const SIZE size =
      toolbarStyle ? ToolbarItemSize(*this, captionShown, text, rotated, image, layout)
                   : PopupItemSize(*this, Canvas, text, image);
  AWidth = size.cx;
  AHeight = size.cy;
  if (auto* themed = dynamic_cast<TTBXCustomItem*>(Item())) {
    AWidth = Max(AWidth, themed->MinWidth());
    AHeight = Max(AHeight, themed->MinHeight());
  }
}

// --- painting -------------------------------------------------------------------------------

struct TTBXItemViewer::TPaintJob {
  TPaintJob(TTBXItemViewer& AViewer, TCanvas& ACanvas, const RECT& AClientAreaRect, bool AIsSelected,
            bool AIsPushed);
  void Run();

 private:
  void FillItemInfo(bool IsSelected);
  void PrepareFont();
  void MeasureText();
  void PaintToolbarFrame();
  RECT ArrowRect();
  void PaintMenuItemFrame();
  RECT ToolbarCaptionRect();
  RECT PopupCaptionRect();
  void PaintText(RECT TextRect, const String& Text, bool AsRotated);
  void PaintShortcut();
  void PaintGlyphArea();

  TTBXItemViewer& V;
  TCanvas& Canvas;
  TTBView* View;
  TTBCustomItem* Item;
  const RECT ClientAreaRect;
  const bool ToolbarStyle;
  const bool IsSplit;
  const bool VerticalView;
  bool IsPushed;
  bool ArrowPushed = false;
  SIZE Image{0, 0};
  bool HasImage = false;
  TTBXItemInfo Info{};
  TTBXItemLayout Layout = tbxlAuto;
  bool HasArrow = false;
  bool DrawGlyphArea = false;
  int StateFlags = 0;
  TColor TextColor = clNone;
  UINT TextFlags = 0;
  bool Rotated = false;
  bool CaptionShown = false;
  String Caption;
  SIZE TextSize{0, 0};
  bool ArrowBesideImage = false;
  RECT R{};
  TTBXMargins Margins{};
};

TTBXItemViewer::TPaintJob::TPaintJob(TTBXItemViewer& AViewer, TCanvas& ACanvas, const RECT& AClientAreaRect,
                                     bool AIsSelected, bool AIsPushed)
    : V(AViewer), Canvas(ACanvas), View(AViewer.View()), Item(AViewer.Item()), ClientAreaRect(AClientAreaRect),
      ToolbarStyle(AViewer.IsToolbarStyle()), IsSplit((Item->ItemStyle() & tbisCombo) != 0),
      VerticalView(IsVertical(View)), IsPushed(AIsPushed) {
  // A split item pressed while the view does not track the mouse was pressed on its arrow.
  ArrowPushed = IsSplit && IsPushed && !View->Capture();
  if (ArrowPushed) IsPushed = false;
  if (V.IsImageShown()) Image = V.GetImageSize();
  HasImage = Image.cx > 0 && Image.cy > 0;
  if (!HasImage) Image = {0, 0};
  FillItemInfo(AIsSelected);
  Layout = V.EffectiveLayout();
  const TTBItemStyle style = Item->ItemStyle();
  HasArrow = (style & tbisSubmenu) && (IsSplit || (Item->EffectiveOptions() & tboDropdownArrow));
  DrawGlyphArea = HasImage || (!ToolbarStyle && Item->Checked());
}

void TTBXItemViewer::TPaintJob::FillItemInfo(bool IsSelected) {
  const TTBItemStyle style = Item->ItemStyle();
  Info.ViewKind = QueryViewKind(View);
  if (IsDesigning(Item)) Info.Flags |= iifDesigning;
  if (ToolbarStyle) Info.Flags |= iifToolbarStyle;
  if (IsSplit) Info.Flags |= iifSplit;
  if (style & tbisSubmenu) Info.Flags |= iifHasSubitems;
  if (ApplicationIsActive()) Info.Flags |= iifAppActive;
  Info.ItemEnabled = Item->Enabled() || View->Customizing();
  Info.ItemPushed = IsPushed;
  Info.ItemChecked = Item->Checked();
  Info.HasImage = HasImage;
  Info.GlyphWidth = Image.cx;
  Info.GlyphHeight = Image.cy;
  if (IsSelected) Info.Hover = Info.ItemEnabled ? 2 : (View->MouseOverSelected() ? 0 : 1);
  const bool opensChild = ((View->State() & vsModal) && View->OpenViewer()) || (style & tbisSubmenu);
  Info.OpensPopup = ToolbarStyle && opensChild && (IsSplit ? ArrowPushed : IsPushed);
  Info.Vertical = VerticalView && !IsSplit;
  Info.ImageColumnWidth = V.GetImageColumnWidth();
}

void TTBXItemViewer::TPaintJob::PrepareFont() {
  StateFlags = ItemInfoStateFlags(Info);
  Canvas.SetFont(View->GetFont());
  Canvas.Font().SetColor(ActiveTheme->GetItemTextColor(Info));
  V.AdjustFont(Canvas.Font(), StateFlags);
  TextColor = Canvas.Font().Color();
}

void TTBXItemViewer::TPaintJob::MeasureText() {
  TextFlags = V.GetTextFlags();
  CaptionShown = V.CaptionShown();
  if (!CaptionShown) {
    StateFlags = 0;
    return;
  }
  Caption = V.GetCaptionText();
  Rotated = VerticalView && ToolbarStyle && !KeepsCaptionUpright(Item);
  if (Rotated || !ToolbarStyle) TextFlags |= DT_SINGLELINE;
  TextSize = V.MeasureCaption(Canvas, Caption, TextFlags, Rotated, StateFlags);
}

void TTBXItemViewer::TPaintJob::Run() {
  PrepareFont();
  MeasureText();
  ArrowBesideImage = HasArrow && !IsSplit && ToolbarStyle && Layout == tbxlGlyphTop && Image.cx > 0 && !Rotated &&
                     TextSize.cx > 0;
  R = ClientAreaRect;
  if (ToolbarStyle)
    PaintToolbarFrame();
  else
    PaintMenuItemFrame();
  if (CaptionShown) PaintText(ToolbarStyle ? ToolbarCaptionRect() : PopupCaptionRect(), Caption, Rotated);
  if (!ToolbarStyle) PaintShortcut();
  if (DrawGlyphArea) PaintGlyphArea();
}

// Where a toolbar item's drop-down arrow goes: the split item's arrow half (taken off R), beside
// the image, or at the item's far end.
RECT TTBXItemViewer::TPaintJob::ArrowRect() {
  if (IsSplit) {
    RECT arrow = R;
    arrow.left = R.right - Metric(tmSplitArrowWidth);
    R.right = arrow.left;
    return arrow;
  }
  const int width = Metric(tmDropDownArrowWidth), margin = Metric(tmDropDownArrowMargin);
  if (ArrowBesideImage) {
    RECT arrow{};
    arrow.right = (width + Image.cx + 2 + R.left + R.right + 2) / 2;
    arrow.left = arrow.right - width;
    arrow.top = (R.top + R.bottom - Image.cy - 2 - TextSize.cy) / 2;
    arrow.bottom = arrow.top + Image.cy;
    return arrow;
  }
  if (VerticalView) return {0, R.bottom - width - margin, R.right, R.bottom - margin};
  return {R.right - width - margin, 0, R.right - margin, R.bottom};
}

void TTBXItemViewer::TPaintJob::PaintToolbarFrame() {
  TTBXMargins unused{};
  ActiveTheme->GetMargins(mkToolbarItem, unused);
  RECT arrow{};
  if (HasArrow) {
    Info.ButtonPart = IsSplit ? 2 : 1;
    arrow = ArrowRect();
  }
  ActiveTheme->PaintButton(Canvas, R, Info);
  if (IsSplit) {
    // The arrow half: pushed when the press was on it, never checked.
    Info.ItemPushed = ArrowPushed;
    Info.ItemChecked = false;
    Info.ButtonPart = 3;
    ActiveTheme->PaintButton(Canvas, arrow, Info);
    Info.ButtonPart = 2;
    Info.ItemPushed = IsPushed;
    Info.ItemChecked = Item->Checked();
  } else if (HasArrow) {
    ActiveTheme->PaintDropDownArrow(Canvas, arrow, Info);
    if (!ArrowBesideImage) (VerticalView ? R.bottom : R.right) -= Metric(tmDropDownArrowWidth);
  }
  InflateRect(&R, -2, -2);
}

void TTBXItemViewer::TPaintJob::PaintMenuItemFrame() {
  ActiveTheme->GetMargins(mkMenuItem, Margins);
  ActiveTheme->PaintMenuItem(Canvas, R, Info);
  R.left += Margins.Left;
  R.right -= Margins.Right;
  R.top += Margins.Top;
  R.bottom -= Margins.Bottom;
}

RECT TTBXItemViewer::TPaintJob::ToolbarCaptionRect() {
  TextFlags |= DT_CENTER | DT_VCENTER;
  RECT area = R;
  if (!HasImage) return CenterBox(area, TextSize);
  if (Layout == tbxlGlyphLeft) {
    area.left += Image.cx + 3;
    TextFlags &= ~static_cast<UINT>(DT_CENTER);
  } else {
    area.top += Image.cy + 1 + (Rotated ? 3 : 0);
    TextFlags &= ~static_cast<UINT>(DT_VCENTER);
  }
  return CenterBox(area, TextSize);
}

RECT TTBXItemViewer::TPaintJob::PopupCaptionRect() {
  TextFlags |= DT_VCENTER;
  TextSize = V.MeasureCaption(Canvas, Caption, TextFlags, false, StateFlags);
  const TEXTMETRICW tm = Canvas.TextMetrics();
  RECT text = R;
  text.left += Metric(tmMenuImageMargin) + Info.ImageColumnWidth + Metric(tmMenuImageTextSpace);
  AdjustTextRect(text, R, tm, Margins);
  text.right = text.left + TextSize.cx;
  return text;
}

// Paints a caption or shortcut in the item's text colour, unless the hook paints it itself.
void TTBXItemViewer::TPaintJob::PaintText(RECT TextRect, const String& Text, bool AsRotated) {
  Canvas.Font().SetColor(TextColor);
  bool paintDefault = true;
  V.CaptionPaintHook(Canvas, ClientAreaRect, TextRect, AsRotated, paintDefault);
  if (paintDefault) ActiveTheme->PaintCaption(Canvas, TextRect, Info, Text, TextFlags, AsRotated);
}

void TTBXItemViewer::TPaintJob::PaintShortcut() {
  const String text = Item->GetShortCutText();
  if (text.empty()) return;
  const TEXTMETRICW tm = Canvas.TextMetrics();
  RECT shortcut = R;
  shortcut.left = R.right - (R.bottom - R.top) - GetTextWidth(Canvas.Handle(), text, true);
  AdjustTextRect(shortcut, R, tm, Margins);
  PaintText(shortcut, text, false);
}

void TTBXItemViewer::TPaintJob::PaintGlyphArea() {
  RECT area = R;
  if (ToolbarStyle) {
    if (ArrowBesideImage) OffsetRect(&area, (1 - Metric(tmDropDownArrowWidth)) / 2, 0);
    if (Layout == tbxlGlyphLeft) {
      area.right = area.left + Image.cx + 2;
    } else {
      area.top = (area.top + area.bottom - Image.cy - 2 - TextSize.cy) / 2;
      area.bottom = area.top + Image.cy;
    }
  } else {
    area.right = area.left + (ClientAreaRect.bottom - ClientAreaRect.top);  // a square column
  }
  if (HasImage) {
    V.DrawItemImage(Canvas, CenterBox(area, Image), Info);
    return;
  }
  if (Item->RadioItem()) Info.Flags |= iifRadio;
  ActiveTheme->PaintCheckMark(Canvas, area, Info);
}

void TTBXItemViewer::Paint(TCanvas& Canvas, const RECT& ClientAreaRect, bool IsSelected, bool IsPushed, bool) {
  TCanvasLock lock(Canvas);
  TPaintJob(*this, Canvas, ClientAreaRect, IsSelected, IsPushed).Run();
}

// --- the themed separator -------------------------------------------------------------------

namespace {

int SeparatorSize(TTBItemViewer* Viewer) {
  auto* separator = dynamic_cast<TTBXSeparatorItem*>(Viewer->Item());
  return separator ? separator->Size() : -1;
}

}  // namespace

bool TTBXSeparatorItemViewer::IsToolbarStyle() {
  return TTBSeparatorItemViewer::IsToolbarStyle() || IsViewKind(QueryViewKind(View()), vkToolBoxPopup);
}

bool TTBXSeparatorItemViewer::IsToolbarSize() {
  return TTBSeparatorItemViewer::IsToolbarSize() || IsViewKind(QueryViewKind(View()), vkToolBoxPopup);
}

void TTBXSeparatorItemViewer::CalcSize(TCanvas& Canvas, int& AWidth, int& AHeight) {
  const bool toolbarStyle = IsToolbarStyle();
  const int size = SeparatorSize(this);
  if (size >= 0) {
    AWidth = toolbarStyle ? size : 0;
    AHeight = size;
    return;
  }
  const int themed = Metric(toolbarStyle ? tmToolbarSeparatorSize : tmMenuSeparatorSize);
  if (themed < 0) {
    TTBSeparatorItemViewer::CalcSize(Canvas, AWidth, AHeight);
    return;
  }
  AWidth = AHeight = themed;
}

void TTBXSeparatorItemViewer::Paint(TCanvas& Canvas, const RECT& ClientAreaRect, bool, bool IsPushed, bool) {
  if (SeparatorSize(this) == 0) return;
  const bool toolbarStyle = IsToolbarStyle();
  const bool vertical = IsVertical(View());
  TTBXItemInfo info{};
  info.ViewKind = QueryViewKind(View());
  if (toolbarStyle) info.Flags |= iifToolbarStyle;
  if (IsDesigning(Item())) info.Flags |= iifDesigning;
  auto* separator = dynamic_cast<TTBSeparatorItem*>(Item());
  info.ItemEnabled = !(separator && separator->Blank());
  info.ItemPushed = IsPushed;
  info.Vertical = vertical;
  if (!toolbarStyle) info.ImageColumnWidth = GetPopupImageColumnWidth(this);
  const bool rowSeparator = LineSeparator;
  bool horizontal = (vertical != rowSeparator) || View()->IsPopup();
  if (IsViewKind(info.ViewKind, vkChevronPopup)) horizontal = horizontal && rowSeparator;
  ActiveTheme->PaintSeparator(Canvas, ClientAreaRect, info, horizontal, rowSeparator);
}
