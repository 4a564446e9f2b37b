#pragma once
// The About box: the program's name and version, and links to the product's and the maker's
// web sites, mail addresses and social page. Modal, at most one at a time, freed when closed;
// OK, which Enter and Esc press too, closes it.
#include "classlib/Forms.h"
#include "classlib/Images.h"
#include "classlib/Panels.h"
#include "classlib/StdCtrls.h"

class TFR_ABOUT : public TForm {
 public:
  explicit TFR_ABOUT(TComponent* AOwner);

  TPanel* pnHeader = nullptr;
  TImage* imLogo = nullptr;
  TLabel* lbProgram = nullptr;
  TLabel* lbVersion = nullptr;
  TLabel* lbCopyright = nullptr;
  TBevel* bvHeader = nullptr;
  TLabel* lbWebSite = nullptr;
  TLabel* lbMail = nullptr;
  TLabel* lbOrvane = nullptr;
  TLabel* lbSupport = nullptr;
  TImage* imFace = nullptr;
  TBevel* bvButtons = nullptr;
  TButton* btOK = nullptr;

  void lbWebSiteClick(TObject* Sender);
  void lbMailClick(TObject* Sender);
  void lbOrvaneClick(TObject* Sender);
  void lbSupportClick(TObject* Sender);
  void imFaceClick(TObject* Sender);
  void btOKClick(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);

 private:
  void CreateComponents();
  TLabel* AddLink(const wchar_t* name, const String& caption, int left, int top, void (TFR_ABOUT::*onClick)(TObject*));
  void DrawLogo();
  void DrawBadge();
  // The link tag of the program's site links.
  String Referrer() const;
};
