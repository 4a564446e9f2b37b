#include "app/TFR_ABOUT.h"

#include "app/FormSupport.h"
#include "app/TFR_MAIN.h"
#include "app/WebLinks.h"

namespace {

constexpr int kClientWidth = 460;
constexpr int kClientHeight = 265;
constexpr int kHeaderHeight = 127;
constexpr TColor kLinkColor = clBlue;
// The badge's own blue, and its size.
constexpr TColor kBadgeColor = 0x98593B;
constexpr int kBadgeWidth = 143;
constexpr int kBadgeHeight = 24;

HICON ProgramIcon() {
  HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, 32, 32, LR_SHARED));
  return icon ? icon : LoadIconW(nullptr, IDI_APPLICATION);
}

}  // namespace

TFR_ABOUT::TFR_ABOUT(TComponent* AOwner) : TForm(AOwner) {
  SetWindowClassName(L"TFR_ABOUT");
  BeginLoading();
  CreateComponents();
  EndLoading();
  // The client area is measured inside the frame and caption, which exist with the window.
  HandleNeeded();
  SetClientSize(kClientWidth, kClientHeight);
  lbVersion->SetCaption(L"Version " + (FR_QNT_MAIN ? FR_QNT_MAIN->Version : String()));
  DoCreate();
}

void TFR_ABOUT::CreateComponents() {
  SetName(L"FR_ABOUT");
  SetCaption(L"About");
  SetBorderStyle(TFormBorderStyle::bsSingle);
  SetBorderIcons(biSystemMenu);
  SetFormStyle(TFormStyle::fsStayOnTop);
  SetPosition(TPosition::poScreenCenter);
  SetBounds(0, 0, kClientWidth, kClientHeight);
  Font().SetName(L"Tahoma");
  OnClose = TCloseEvent(this, &TFR_ABOUT::FormClose);

  pnHeader = new TPanel(this);
  pnHeader->SetName(L"pnHeader");
  pnHeader->SetParent(this);
  pnHeader->SetBounds(0, 0, kClientWidth, kHeaderHeight);
  pnHeader->SetBevelOuter(bvNone);
  pnHeader->SetCaption(L"");
  pnHeader->SetColor(clWhite);

  imLogo = new TImage(this);
  imLogo->SetName(L"imLogo");
  imLogo->SetParent(pnHeader);
  imLogo->SetBounds(20, 20, 32, 32);
  DrawLogo();

  lbProgram = AddLabel(this, pnHeader, L"lbProgram", L"Quillnote", 68, 14);
  lbProgram->Font().SetHeight(-27);
  lbVersion = AddLabel(this, pnHeader, L"lbVersion", L"Version", 70, 54);
  lbCopyright = AddLabel(this, pnHeader, L"lbCopyright",
                         L"Copyright \u00A9 2026 Orvane Software.\r\nSmall notes for the tray, kept as you left them.",
                         70, 80);

  bvHeader = new TBevel(this);
  bvHeader->SetName(L"bvHeader");
  bvHeader->SetParent(this);
  bvHeader->SetBounds(0, kHeaderHeight, kClientWidth, 2);
  bvHeader->SetShape(bsTopLine);

  TAddresses& addresses = Addresses();
  lbWebSite = AddLink(L"lbWebSite", ShownAddress(addresses.ProductSite()), 24, 144, &TFR_ABOUT::lbWebSiteClick);
  lbMail = AddLink(L"lbMail", addresses.InfoMail(), 24, 168, &TFR_ABOUT::lbMailClick);
  lbOrvane = AddLink(L"lbOrvane", ShownAddress(addresses.MakerSite()), 244, 144, &TFR_ABOUT::lbOrvaneClick);
  lbSupport = AddLink(L"lbSupport", addresses.SupportMail(), 244, 168, &TFR_ABOUT::lbSupportClick);

  imFace = new TImage(this);
  imFace->SetName(L"imFace");
  imFace->SetParent(this);
  imFace->SetBounds(24, 194, kBadgeWidth, kBadgeHeight);
  imFace->SetCursor(crHandPoint);
  imFace->OnClick = TNotifyEvent(this, &TFR_ABOUT::imFaceClick);
  DrawBadge();

  bvButtons = new TBevel(this);
  bvButtons->SetName(L"bvButtons");
  bvButtons->SetParent(this);
  bvButtons->SetBounds(8, 226, kClientWidth - 16, 2);
  bvButtons->SetShape(bsTopLine);

  btOK = new TButton(this);
  btOK->SetName(L"btOK");
  btOK->SetParent(this);
  btOK->SetBounds(kClientWidth - 8 - 75, 233, 75, 25);
  btOK->SetCaption(L"OK");
  btOK->SetDefault(true);
  btOK->SetCancel(true);
  btOK->OnClick = TNotifyEvent(this, &TFR_ABOUT::btOKClick);
}

TLabel* TFR_ABOUT::AddLink(const wchar_t* name, const String& caption, int left, int top,
                           void (TFR_ABOUT::*onClick)(TObject*)) {
  TLabel* link = AddLabel(this, this, name, caption, left, top);
  link->Font().SetColor(kLinkColor);
  link->Font().SetStyle(fsUnderline);
  link->SetCursor(crHandPoint);
  link->OnClick = TNotifyEvent(this, onClick);
  return link;
}

void TFR_ABOUT::DrawLogo() {
  TBitmap& logo = imLogo->Picture();
  logo.SetSize(32, 32);
  logo.Canvas().Brush().SetColor(clWhite);
  logo.Canvas().FillRect(RECT{0, 0, 32, 32});
  DrawIconEx(logo.Canvas().Handle(), 0, 0, ProgramIcon(), 32, 32, 0, nullptr, DI_NORMAL);
  logo.Changed();
}

// A small button of the social page's kind: white text on its blue, with a rounded frame.
void TFR_ABOUT::DrawBadge() {
  TBitmap& badge = imFace->Picture();
  badge.SetSize(kBadgeWidth, kBadgeHeight);
  TCanvas& canvas = badge.Canvas();
  canvas.Brush().SetColor(clBtnFace);
  canvas.FillRect(RECT{0, 0, kBadgeWidth, kBadgeHeight});
  canvas.Brush().SetColor(kBadgeColor);
  canvas.Pen().SetColor(kBadgeColor);
  canvas.RoundRect(0, 0, kBadgeWidth, kBadgeHeight, 6, 6);
  canvas.Font().SetName(L"Tahoma");
  canvas.Font().SetStyle(fsBold);
  canvas.Font().SetColor(clWhite);
  canvas.Brush().SetStyle(bsClear);
  RECT text{0, 0, kBadgeWidth, kBadgeHeight};
  canvas.DrawText(L"Quillnote on the web", text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  badge.Changed();
}

String TFR_ABOUT::Referrer() const { return FR_QNT_MAIN ? FR_QNT_MAIN->Referrer : String(L"qnt"); }

void TFR_ABOUT::lbWebSiteClick(TObject*) { OpenUrl(TaggedLink(Addresses().ProductSite(), L"", Referrer())); }
void TFR_ABOUT::lbOrvaneClick(TObject*) { OpenUrl(TaggedLink(Addresses().MakerSite(), L"", Referrer())); }
void TFR_ABOUT::lbMailClick(TObject*) { OpenMailTo(Addresses().InfoMail()); }
void TFR_ABOUT::lbSupportClick(TObject*) { OpenMailTo(Addresses().SupportMail()); }
void TFR_ABOUT::imFaceClick(TObject*) { OpenUrl(Addresses().SocialPage()); }

void TFR_ABOUT::btOKClick(TObject*) { Close(); }

void TFR_ABOUT::FormClose(TObject*, TCloseAction& Action) { Action = TCloseAction::caFree; }
