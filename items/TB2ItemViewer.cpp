// The item viewer: measuring, painting (toolbar button or menu line), mouse rules, hints, and
// the shared toolbar font.
#include "items/TB2Item.h"

#include "classlib/ActnList.h"
#include "classlib/Forms.h"
#include "classlib/ScopeGuard.h"
#include "items/TB2ImageList.h"
#include "items/TB2View.h"

#include <array>

namespace {

// The toolbar look's frame: raised when hot, sunk when pushed or checked.
constexpr UINT kEdge[2] = {BDR_RAISEDINNER, BDR_SUNKENOUTER};

// Width of a toolbar combo's arrow part, hit-tested and measured alike.
constexpr int kToolbarComboPart = 11;

// Paints the brush colour where the monochrome source is 0 and keeps the destination where it
// is 1 ((D xor P) and S xor P).
constexpr DWORD kPaintBrushWhereBlack = 0x00B8074A;

void FillWithDither(TCanvas& Canvas, const RECT& R) {
  TBrush& brush = Canvas.Brush();
  brush.SetBitmap(AllocPatternBitmap(clBtnFace, clBtnHighlight));
  Canvas.FillRect(R);
  brush.SetBitmap(nullptr);
}

void FillPolygon(TCanvas& Canvas, std::initializer_list<POINT> Points, TColor Color) {
  Canvas.Pen().SetColor(Color);
  Canvas.Brush().SetStyle(bsSolid);
  Canvas.Brush().SetColor(Color);
  Canvas.Polygon(Points);
}

// A toolbar drop-down arrow centred in DR: down, or left on a vertical toolbar.
void DrawDropdownArrow(TCanvas& Canvas, const RECT& DR, bool PointLeft, TColor Color, int Offset) {
  const int cx = (DR.left + DR.right) / 2 + Offset;
  const int cy = (DR.top + DR.bottom) / 2 + Offset;
  if (PointLeft)
    FillPolygon(Canvas, {{cx - 1, cy + 2}, {cx - 1, cy - 2}, {cx - 3, cy}}, Color);
  else
    FillPolygon(Canvas, {{cx - 2, cy - 1}, {cx + 2, cy - 1}, {cx, cy + 1}}, Color);
}

// The system's submenu arrow, drawn in Color with its top-left at (X, Y).
void DrawMenuArrow(HDC DC, int X, int Y, TColor Color) {
  const int w = GetSystemMetrics(SM_CXMENUCHECK);
  const int h = GetSystemMetrics(SM_CYMENUCHECK);
  gdi::BitmapHandle mono(CreateBitmap(w, h, 1, 1, nullptr));
  gdi::MemoryDC monoDC = gdi::NewMemoryDC(DC);
  if (!mono || !monoDC) return;
  gdi::SelectionGuard selectMono(monoDC.Get(), mono.Get());
  RECT r{0, 0, w, h};
  DrawFrameControl(monoDC.Get(), &r, DFC_MENU, DFCS_MENUARROW);
  gdi::BrushHandle brush(CreateSolidBrush(ColorToGdi(Color)));
  gdi::SelectionGuard selectBrush(DC, brush.Get());
  const COLORREF oldText = SetTextColor(DC, RGB(0, 0, 0));
  const COLORREF oldBk = SetBkColor(DC, RGB(255, 255, 255));
  BitBlt(DC, X, Y, w, h, monoDC.Get(), 0, 0, kPaintBrushWhereBlack);
  SetTextColor(DC, oldText);
  SetBkColor(DC, oldBk);
}

// A menu line's text rectangle: a line 4 pixels higher than its text loses a pixel at the bottom
// (so the text sits centred), and the text starts below the external leading.
void AdjustForLeading(RECT& R, const TEXTMETRICW& TM) {
  if ((R.bottom - R.top) - (TM.tmHeight + TM.tmExternalLeading) == 4) --R.bottom;
  R.top += TM.tmExternalLeading;
}

void DrawCheckMark(TCanvas& Canvas, int X, int Y) {
  static constexpr std::array<POINT, 12> kPoints = {{{-2, -2}, {0, 0}, {4, -4}, {4, -3}, {0, 1}, {-2, -1},
                                                    {-2, -2}, {-3, -2}, {-3, -1}, {0, 2}, {5, -3}, {5, -5}}};
  std::array<POINT, 12> p{};
  for (size_t i = 0; i < kPoints.size(); ++i) p[i] = {kPoints[i].x + X - 2, kPoints[i].y + Y + 1};
  Canvas.Pen().SetColor(clBtnText);
  Canvas.Polyline(std::span<const POINT>(p.data(), 7));
  Canvas.Pen().SetColor(clBtnHighlight);
  Canvas.Polyline(std::span<const POINT>(p.data() + 7, 5));
}

void DrawRadioDot(TCanvas& Canvas, int X, int Y) {
  Canvas.Pen().SetColor(clBtnText);
  Canvas.Brush().SetStyle(bsSolid);
  Canvas.Brush().SetColor(clBtnText);
  Canvas.RoundRect(X - 3, Y - 3, X + 2, Y + 2, 2, 2);
  Canvas.Pen().SetColor(clBtnHighlight);
  Canvas.Brush().SetStyle(bsClear);
  Canvas.RoundRect(X - 4, Y - 4, X + 3, Y + 3, 6, 6);
}

}  // namespace

// --- life -----------------------------------------------------------------------------------

TTBItemViewer::TTBItemViewer(TTBView* AView, TTBCustomItem* AItem, int AGroupLevel)
    : view_(AView), item_(AItem), groupLevel_(AGroupLevel) {
  IncItemViewerCount();
}

TTBItemViewer::~TTBItemViewer() {
  CancelQueuedClicks(this);
  DropAccObject();
  DecItemViewerCount();
}

void TTBItemViewer::PostAccSelect(bool Execute) { QueueItemClick(this, Execute ? 1 : 0); }

// --- queries --------------------------------------------------------------------------------

bool TTBItemViewer::IsToolbarStyle() {
  return view_->IsToolbar() || (item_->EffectiveOptions() & tboToolbarStyle);
}

bool TTBItemViewer::IsToolbarSize() {
  return view_->IsToolbar() || (item_->EffectiveOptions() & tboToolbarSize);
}

bool TTBItemViewer::IsRotated() {
  return view_->Orientation() == tbvoVertical &&
         !(item_->EffectiveOptions() & (tboNoRotation | tboImageAboveCaption));
}

String TTBItemViewer::GetCaptionText() {
  const String& caption = item_->Caption();
  const size_t tab = caption.find(L'\t');
  return tab == String::npos ? caption : caption.substr(0, tab);
}

bool TTBItemViewer::CaptionShown() {
  if (item_->EffectiveOptions() & tboImageAboveCaption) return true;
  const TTBItemDisplayMode mode = item_->DisplayMode();
  return !GetCaptionText().empty() && (!IsToolbarSize() || item_->ImageIndex() < 0 || mode == nbdmTextOnly ||
                                       mode == nbdmImageAndText);
}

bool TTBItemViewer::ImageShown() {
  if (item_->ImageIndex() < 0) return false;
  const TTBItemDisplayMode mode = item_->DisplayMode();
  return mode == nbdmDefault || mode == nbdmImageAndText || (mode == nbdmTextOnlyInMenus && IsToolbarStyle());
}

TCustomImageList* TTBItemViewer::GetImageList() {
  if (TCustomImageList* images = item_->Images()) return images;
  for (TTBView* v = view_; v; v = v->ParentView()) {
    if (v->CurParentItem() && v->CurParentItem()->SubMenuImages()) return v->CurParentItem()->SubMenuImages();
    if (v->ParentItem() && v->ParentItem()->SubMenuImages()) return v->ParentItem()->SubMenuImages();
  }
  return nullptr;
}

bool TTBItemViewer::UsesSameWidth() {
  const TTBItemOptions both = tboImageAboveCaption | tboSameWidth;
  return (item_->EffectiveOptions() & both) == both && IsToolbarSize();
}

bool TTBItemViewer::IsPtInButtonPart(int X, int) {
  const TTBItemStyle style = item_->ItemStyle();
  if (!(style & tbisCombo)) return !(style & tbisSubmenu);
  const int part = IsToolbarStyle() ? kToolbarComboPart : GetSystemMetrics(SM_CXMENUCHECK);
  return X < (BoundsRect.right - BoundsRect.left) - part;
}

int TTBItemViewer::GetIndex() { return view_->IndexOf(this); }

POINT TTBItemViewer::ScreenToClient(const POINT& P) {
  POINT result = P;
  if (TWinControl* window = view_->Window(); window && window->HandleAllocated())
    result = window->ScreenToClient(P);
  return {result.x - BoundsRect.left, result.y - BoundsRect.top};
}

int TTBItemViewer::GetAccRole() {
  constexpr int kRoleClient = 10, kRoleMenuItem = 12, kRoleSeparator = 21, kRolePushButton = 43,
                kRoleButtonMenu = 57;
  if (dynamic_cast<TTBControlItem*>(item_)) return kRoleClient;
  const TTBItemStyle style = item_->ItemStyle();
  if (style & tbisSeparator) return kRoleSeparator;
  if (view_->IsPopup() || (view_->Style() & vsMenuBar)) return kRoleMenuItem;
  return (style & tbisSubmenu) ? kRoleButtonMenu : kRolePushButton;
}

bool TTBItemViewer::GetAccValue(String&) { return false; }

// --- actions --------------------------------------------------------------------------------

bool TTBItemViewer::DoExecute() {
  // Only the outcome is recorded: the click runs after the menu has closed, once per run.
  view_->EndModalWithClick(this);
  return true;
}

void TTBItemViewer::Execute(bool AGivePriority) {
  if (DoExecute() && AGivePriority) view_->GivePriority(this);
}

void TTBItemViewer::Entering(TTBItemViewer*) { item_->OnSelect(item_, this, true); }
void TTBItemViewer::Leaving() { item_->OnSelect(item_, this, false); }
void TTBItemViewer::LosingCapture() { view_->Invalidate(this); }

void TTBItemViewer::GetCursor(const POINT&, HCURSOR&) {}
void TTBItemViewer::KeyDown(WORD&, TShiftState) {}
void TTBItemViewer::MouseMove(int, int) {}
void TTBItemViewer::MouseWheel(int, int, int, bool&) {}

// --- measuring ------------------------------------------------------------------------------

void TTBItemViewer::CalcSize(TCanvas& Canvas, int& AWidth, int& AHeight) {
  const bool toolbarStyle = IsToolbarStyle();
  const TTBItemOptions options = item_->EffectiveOptions();
  const TTBItemStyle style = item_->ItemStyle();
  TCanvasLock lock(Canvas);
  HDC dc = Canvas.Handle();
  const TEXTMETRICW tm = Canvas.TextMetrics();
  TCustomImageList* images = GetImageList();

  AWidth = AHeight = toolbarStyle ? 6 : 0;
  const int captionPadding = toolbarStyle ? 6 : 0;
  if (!toolbarStyle || CaptionShown()) {
    const String caption = GetCaptionText();
    if (!IsRotated()) {
      AHeight += tm.tmHeight;
      AWidth += GetTextWidth(dc, caption, true) + captionPadding;
    } else {
      gdi::FontHandle rotated = CreateRotatedFont(dc);
      gdi::SelectionGuard selectRotated(dc, rotated ? rotated.Get() : GetCurrentObject(dc, OBJ_FONT));
      AWidth += GetTextHeight(dc);
      AHeight += GetTextWidth(dc, caption, true) + captionPadding;
    }
  }

  if (toolbarStyle && images && ImageShown()) {
    if (IsRotated() || (options & tboImageAboveCaption)) {
      AHeight += images->Height();
      AWidth = Max(AWidth, images->Width() + 7);
    } else {
      AWidth += images->Width() + 1;
      AHeight = Max(AHeight, images->Height() + 6);
    }
  }

  if (toolbarStyle && (style & tbisSubmenu)) {
    if (style & tbisCombo)
      AWidth += kToolbarComboPart;
    else if (options & tboDropdownArrow) {
      if (view_->Orientation() == tbvoVertical)
        AHeight += 8;
      else
        AWidth += 8;
    }
  }

  if (!toolbarStyle) {
    AHeight += tm.tmExternalLeading + 4;
    int imageColumn = AHeight;
    if (images) {
      AHeight = Max(AHeight, images->Height() + 3);
      imageColumn = MulDiv(images->Width() + 3, AHeight, images->Height() + 3);
    }
    AWidth += imageColumn + 6;
    const String shortCut = item_->GetShortCutText();
    if (!shortCut.empty()) AWidth += GetTextWidth(dc, shortCut, true) + AHeight - 6;
    AWidth += AHeight;  // the submenu arrow's room
  }
}

// --- painting -------------------------------------------------------------------------------

void TTBItemViewer::DrawItemCaption(TCanvas& Canvas, RECT ARect, const String& ACaption, bool DrawDisabledShadow,
                                    UINT AFormat) {
  TCanvasLock lock(Canvas);
  HDC dc = Canvas.Handle();
  const bool rotated = IsRotated();
  // Wine's DrawText underlines the accelerator despite DT_HIDEPREFIX: the text without its
  // markers, drawn as it stands, looks the same on every system.
  const bool hidePrefix = !rotated && (AFormat & DT_HIDEPREFIX) && !(AFormat & DT_NOPREFIX);
  const String text = hidePrefix ? StripAccelChars(ACaption) : ACaption;
  const UINT format = hidePrefix ? (AFormat & ~static_cast<UINT>(DT_HIDEPREFIX)) | DT_NOPREFIX : AFormat;
  auto draw = [&](RECT r) {
    if (rotated)
      DrawRotatedText(dc, text, r, format);
    else
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
  };
  if (!DrawDisabledShadow) {
    draw(ARect);
    return;
  }
  const COLORREF oldColor = GetTextColor(dc);
  TScopeGuard restoreColor([&] { SetTextColor(dc, oldColor); });
  RECT shadow = ARect;
  OffsetRect(&shadow, 1, 1);
  SetTextColor(dc, ColorToGdi(clBtnHighlight));
  draw(shadow);
  SetTextColor(dc, ColorToGdi(clBtnShadow));
  draw(ARect);
}

void TTBItemViewer::Paint(TCanvas& Canvas, const RECT& ClientAreaRect, bool IsSelected, bool IsPushed,
                          bool UseDisabledShadow) {
  TCanvasLock lock(Canvas);
  const bool toolbarStyle = IsToolbarStyle();
  const TTBItemStyle style = item_->ItemStyle();
  const TTBItemOptions options = item_->EffectiveOptions();
  const bool enabled = item_->Enabled() || view_->Customizing();
  const bool combo = (style & tbisCombo) != 0;
  const bool hasArrow = (style & tbisSubmenu) && (combo || (options & tboDropdownArrow));
  const bool checked = item_->Checked();
  const bool vertical = view_->Orientation() == tbvoVertical;
  const bool hot = IsSelected && enabled;
  const int menuCheckWidth = GetSystemMetrics(SM_CXMENUCHECK);
  TCustomImageList* images = GetImageList();
  const bool imageShown = images && ImageShown();
  const bool imageAbove = IsRotated() || (options & tboImageAboveCaption);
  HDC dc = Canvas.Handle();
  const TEXTMETRICW tm = Canvas.TextMetrics();
  const TColor textColor = Canvas.Font().Color();
  const TFontStyles fontStyle = Canvas.Font().Style();
  TScopeGuard restoreFont([&] { Canvas.Font().SetStyle(fontStyle); });

  RECT R = ClientAreaRect;
  const int imageColumn =
      images ? MulDiv(images->Width() + 3, R.bottom, images->Height() + 3) : static_cast<int>(R.bottom);

  if (toolbarStyle) {
    RECT DR{};
    if (combo) {
      R.right -= 2;
      DR = R;
      DR.left = R.right - 9;
      R.right = DR.left;
    } else if (hasArrow) {
      DR = vertical ? RECT{0, R.bottom - 11, R.right, R.bottom - 3} : RECT{R.right - 11, 0, R.right - 3, R.bottom};
    }
    if (hot || checked) {
      if (combo) {
        DrawEdge(dc, &R, kEdge[(IsPushed && view_->Capture()) || checked], BF_RECT);
        if (hot) DrawEdge(dc, &DR, kEdge[IsPushed && !view_->Capture()], BF_RECT);
      } else {
        DrawEdge(dc, &R, kEdge[IsPushed || checked], BF_RECT);
      }
    }
    if (hasArrow) {
      if (IsPushed && !combo) OffsetRect(&DR, 1, 1);
      const bool pointLeft = vertical && !combo;
      if (UseDisabledShadow) {
        DrawDropdownArrow(Canvas, DR, pointLeft, clBtnHighlight, 1);
        DrawDropdownArrow(Canvas, DR, pointLeft, clBtnShadow, 0);
      } else {
        DrawDropdownArrow(Canvas, DR, pointLeft, textColor, 0);
      }
    }
    InflateRect(&R, -1, -1);
    if (checked && !hot) FillWithDither(Canvas, R);
    InflateRect(&R, -1, -1);
    if (checked || (IsSelected && IsPushed && (!combo || view_->Capture()))) OffsetRect(&R, 1, 1);
    if (hasArrow && !combo) {
      if (vertical)
        R.bottom -= 8;
      else
        R.right -= 8;
    }
  } else if (IsSelected) {
    // The highlight bar leaves the image column and a selected combo's arrow part alone.
    RECT bar = R;
    if (imageShown || checked) bar.left += imageColumn + 1;
    if (combo && hot) bar.right -= menuCheckWidth;
    Canvas.FillRect(bar);
  }

  Canvas.Brush().SetStyle(bsClear);
  if (options & tboDefault) Canvas.Font().SetStyle(fontStyle | fsBold);

  if (CaptionShown()) {
    const bool hidePrefix = !AreKeyboardCuesEnabled() && (view_->Style() & vsUseHiddenAccels) &&
                            !(view_->State() & vsShowAccels);
    const UINT prefix = hidePrefix ? DT_HIDEPREFIX : 0;
    RECT CR = R;
    if (toolbarStyle) {
      if (imageShown) {
        if (imageAbove)
          CR.top += images->Height() + 1;
        else
          CR.left += images->Width() + 1;
      }
      DrawItemCaption(Canvas, CR, GetCaptionText(), UseDisabledShadow, prefix | DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    } else {
      CR.left += imageColumn + 3;
      AdjustForLeading(CR, tm);
      DrawItemCaption(Canvas, CR, GetCaptionText(), UseDisabledShadow, prefix | DT_VCENTER | DT_SINGLELINE);
    }
  }

  if (!toolbarStyle) {
    const String shortCut = item_->GetShortCutText();
    if (!shortCut.empty()) {
      RECT SR = R;
      SR.left = R.right - (R.bottom - R.top) - GetTextWidth(Canvas.Handle(), shortCut, true);
      AdjustForLeading(SR, tm);
      DrawItemCaption(Canvas, SR, shortCut, UseDisabledShadow, DT_NOPREFIX | DT_VCENTER | DT_SINGLELINE);
    }

    if (style & tbisSubmenu) {
      if (combo) {
        RECT Q = R;
        Q.left = R.right - menuCheckWidth;
        if (hot) {
          DrawEdge(Canvas.Handle(), &Q, BDR_SUNKENOUTER, BF_RECT | BF_MIDDLE);
        } else {
          --Q.left;
          DrawEdge(Canvas.Handle(), &Q, IsSelected ? BDR_SUNKENOUTER : EDGE_ETCHED, BF_LEFT);
        }
      }
      const int x = R.right - menuCheckWidth;
      const int y = R.top + ((R.bottom - R.top) - GetSystemMetrics(SM_CYMENUCHECK)) / 2;
      HDC arrowDC = Canvas.Handle();
      if (UseDisabledShadow) {
        DrawMenuArrow(arrowDC, x + 1, y + 1, clBtnHighlight);
        DrawMenuArrow(arrowDC, x, y, clBtnShadow);
      } else if (combo && hot) {
        DrawMenuArrow(arrowDC, x + 1, y + 1, clBtnText);
      } else {
        DrawMenuArrow(arrowDC, x, y, textColor);
      }
    }
  }

  if (imageShown || (!toolbarStyle && checked)) {
    RECT B = R;
    if (toolbarStyle) {
      if (imageAbove)
        B.bottom = B.top + images->Height() + 2;
      else
        B.right = B.left + images->Width() + 2;
    } else {
      B.right = B.left + imageColumn;
      if (hot || checked) DrawEdge(Canvas.Handle(), &B, kEdge[checked], BF_RECT | BF_MIDDLE);
      if (checked && !IsSelected) {
        RECT inside = B;
        InflateRect(&inside, -1, -1);
        FillWithDither(Canvas, inside);
      }
      if (checked) OffsetRect(&B, 1, 1);
    }
    if (imageShown) {
      const int x = B.left + ((B.right - B.left) - images->Width()) / 2;
      const int y = B.top + ((B.bottom - B.top) - images->Height()) / 2;
      if (auto* tbImages = dynamic_cast<TTBCustomImageList*>(images))
        tbImages->DrawState(Canvas, x, y, item_->ImageIndex(), enabled, IsSelected, checked);
      else
        images->Draw(Canvas, x, y, item_->ImageIndex(), enabled);
    } else {
      const int x = (B.left + B.right) / 2;
      const int y = (B.top + B.bottom) / 2;
      if (item_->RadioItem())
        DrawRadioDot(Canvas, x, y);
      else
        DrawCheckMark(Canvas, x, y);
    }
  }
}

// --- mouse ----------------------------------------------------------------------------------

void TTBItemViewer::MouseDown(TShiftState Shift, int X, int Y, bool& MouseDownOnMenu) {
  const bool rootToolbar = !view_->ParentView() && !view_->IsPopup();
  if (!item_->Enabled()) {
    if (rootToolbar) view_->EndModal();
    return;
  }
  if (IsPtInButtonPart(X, Y)) {
    if (IsToolbarStyle()) {
      view_->CancelChildPopups();
      view_->SetCapture();
      view_->Invalidate(this);
    }
    return;
  }
  TTBItemViewer* wasOpen = view_->OpenViewer();
  view_->OpenChildPopup(false);
  if (!view_->OpenViewer()) return;
  if (wasOpen == this && rootToolbar) MouseDownOnMenu = true;
  if ((Shift & ssDouble) && !(item_->ItemStyle() & tbisCombo)) {
    // A double click on a submenu runs its default command.
    TTBView* popup = view_->OpenViewerView();
    if (!popup) return;
    for (int i = 0; i < popup->ViewerCount(); ++i) {
      TTBItemViewer* v = popup->Viewers(i);
      TTBCustomItem* item = v->Item();
      if ((v->Show || v->Clipped) && (item->EffectiveOptions() & tboDefault) &&
          (item->ItemStyle() & tbisSelectable) && item->Enabled() && item->Visible()) {
        v->Execute(true);
        break;
      }
    }
  }
}

void TTBItemViewer::MouseUp(int X, int Y, bool MouseWasDownOnMenu) {
  const bool hadCapture = view_->Capture();
  view_->CancelCapture();
  const bool rootToolbar = !view_->ParentView() && !view_->IsPopup();
  const TTBItemStyle style = item_->ItemStyle();
  if (!view_->MouseOverSelected() || !item_->Enabled() || (style & tbisClicksTransparent)) {
    if (rootToolbar) view_->EndModal();
    return;
  }
  if ((style & tbisSubmenu) && !IsPtInButtonPart(X, Y)) {
    // A release on a submenu's arrow part leaves the popup open, unless the press was on the
    // already open menu of a toolbar: then the menu closes.
    if (MouseWasDownOnMenu && rootToolbar) view_->EndModal();
    return;
  }
  if (hadCapture || !IsToolbarStyle()) Execute(true);
}

// --- hints ----------------------------------------------------------------------------------

String TTBItemViewer::GetHintText() {
  String result = GetShortHint(item_->Hint());
  const TTBItemStyle style = item_->ItemStyle();
  if (result.empty() && !(item_->EffectiveOptions() & tboNoAutoHint) &&
      (!(style & tbisSubmenu) || (style & tbisCombo) || !CaptionShown()))
    result = StripAccelChars(StripTrailingPunctuation(GetCaptionText()));
  if (auto* action = dynamic_cast<TCustomAction*>(item_->Action()))
    if (!action->DoHint(result)) result.clear();
  if (!result.empty() && Application && Application->HintShortCuts()) {
    const String shortCut = item_->GetShortCutText();
    if (!shortCut.empty()) result += L" (" + shortCut + L")";
  }
  return result;
}

// --- the separator viewer -------------------------------------------------------------------

void TTBSeparatorItemViewer::CalcSize(TCanvas& Canvas, int& AWidth, int& AHeight) {
  if (IsToolbarStyle()) {
    AWidth = 6;
    AHeight = 6;
    return;
  }
  AHeight += DivRoundUp(2 * Canvas.TextMetrics().tmHeight, 3);
}

void TTBSeparatorItemViewer::Paint(TCanvas& Canvas, const RECT& ClientAreaRect, bool, bool, bool) {
  if (auto* separator = dynamic_cast<TTBSeparatorItem*>(Item()); separator && separator->Blank()) return;
  const bool toolbarStyle = IsToolbarStyle();
  bool horizontal = !toolbarStyle || View()->Orientation() == tbvoVertical;
  if (LineSeparator) horizontal = !horizontal;
  RECT R = ClientAreaRect;
  TCanvasLock lock(Canvas);
  HDC dc = Canvas.Handle();
  if (horizontal) {
    R.top = R.bottom / 2 - 1;
    if (!toolbarStyle)
      InflateRect(&R, -12, 0);
    else if (LineSeparator)
      InflateRect(&R, View()->Orientation() == tbvoFloating ? -1 : -4, 0);
    DrawEdge(dc, &R, EDGE_ETCHED, BF_TOP);
  } else {
    R.left = R.right / 2 - 1;
    if (LineSeparator) InflateRect(&R, 0, -4);
    DrawEdge(dc, &R, EDGE_ETCHED, BF_LEFT);
  }
}

// --- the shared toolbar font ----------------------------------------------------------------

namespace {

TFont& SharedToolbarFont() {
  static TFont font;
  return font;
}

}  // namespace

TFont& ToolbarFont() {
  // The system's menu font is read when the font is first asked for.
  [[maybe_unused]] static const bool initialised = (TBInitToolbarSystemFont(), true);
  return SharedToolbarFont();
}

void TBInitToolbarSystemFont() {
  // The record without its last field, which older systems (and this size's readers) expect;
  // the full record only when the system refuses that size.
  constexpr UINT kClassicSize = 500;
  static_assert(kClassicSize <= sizeof(NONCLIENTMETRICSW));
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = kClassicSize;
  bool ok = SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, kClassicSize, &metrics, 0) != FALSE;
  if (!ok) {
    metrics = NONCLIENTMETRICSW{};
    metrics.cbSize = sizeof(metrics);
    ok = SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0) != FALSE;
  }
  if (ok) SharedToolbarFont().SetLogFont(metrics.lfMenuFont);
}
