// The About box: one at a time, modal from the tray, showing the version, and each of its links
// opening its address through the shell (site links tagged, the social page not).
#include "AppFixture.h"

#include "app/TFR_ABOUT.h"
#include "classlib/Registry.h"
#include "classlib/ScopeGuard.h"

using namespace app_testing;
using testing_support::PumpMessages;

namespace {

// Writes (or, with null, removes) the machine's download-source value that the link tag is made of.
void SetDownloadSource(const wchar_t* value) {
  TRegistry reg(KEY_ALL_ACCESS | KEY_WOW64_32KEY);
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  const wchar_t* key = L"SOFTWARE\\Orvane\\Quillnote";
  if (!value) {
    if (reg.OpenKey(key, false)) reg.DeleteValue(L"dwnsrc");
    return;
  }
  ASSERT_TRUE(reg.OpenKey(key, true));
  reg.WriteString(L"dwnsrc", value);
}

int AboutBoxes() {
  int n = 0;
  for (int i = 0; i < Application->ComponentCount(); ++i)
    n += dynamic_cast<TFR_ABOUT*>(Application->Components(i)) != nullptr;
  return n;
}

// A left click at the middle of a control, sent to the window it lies on.
void ClickOn(TControl* control) {
  const POINT p{control->Left() + control->Width() / 2, control->Top() + control->Height() / 2};
  const LPARAM at = MAKELPARAM(p.x, p.y);
  HWND wnd = control->Parent()->Handle();
  SendMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(wnd, WM_LBUTTONUP, 0, at);
}

struct TExpectedRequest {
  String File;
  String Verb;
  int Show;
  bool Ansi;
};

void ExpectOnlyRequest(const TExpectedRequest& expected) {
  auto& requests = testing_support::Shell().Requests;
  ASSERT_EQ(1u, requests.size());
  EXPECT_EQ(expected.File, requests[0].File);
  EXPECT_EQ(expected.Verb, requests[0].Verb);
  EXPECT_EQ(L"", requests[0].Parameters);
  EXPECT_EQ(expected.Show, requests[0].Show);
  EXPECT_EQ(expected.Ansi, requests[0].Ansi);
  requests.clear();
}

}  // namespace

class AboutBoxTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    SetCursorPos(1, 1);
    CreateMainForm();
    main_->Version = L"1.5.0.0";
    testing_support::Shell().Requests.clear();
  }
  void TearDown() override {
    for (int i = Application->ComponentCount() - 1; i >= 0; --i)
      if (auto* about = dynamic_cast<TFR_ABOUT*>(Application->Components(i))) about->Free();
    AppTest::TearDown();
  }
  testing_support::TMenuDriver whileOpen_;
};

TEST_F(AboutBoxTest, AboutChosenTwiceShowsOneModalBoxWithTheVersionAndOKFreesIt) {
  int boxes = 0, boxesAfterSecondChoice = 0;
  String version, caption;
  bool modal = false, trayEnabled = false;
  whileOpen_.Post([&] {
    boxes = AboutBoxes();
    auto* about = dynamic_cast<TFR_ABOUT*>(Application->FindComponent(L"FR_ABOUT"));
    if (!about) return;
    modal = about->Modal() && about->Visible();
    trayEnabled = IsWindowEnabled(main_->tiTray->Handle()) != FALSE;
    version = about->lbVersion->Caption();
    caption = about->Caption();
    main_->mnAbout->Click();  // the tray stays usable beside the box: this returns at once
    boxesAfterSecondChoice = AboutBoxes();
    about->btOK->Click();
  });
  whileOpen_.SetWatchdog(10000);
  main_->mnAbout->Click();
  EXPECT_FALSE(whileOpen_.WatchdogFired());
  EXPECT_EQ(1, boxes);
  EXPECT_EQ(1, boxesAfterSecondChoice);
  EXPECT_TRUE(modal);
  EXPECT_TRUE(trayEnabled);
  EXPECT_EQ(L"Version 1.5.0.0", version);
  EXPECT_EQ(L"About", caption);
  PumpMessages(0);
  EXPECT_EQ(0, AboutBoxes()) << "closing frees the box";
  EXPECT_EQ(nullptr, Application->FindComponent(L"FR_ABOUT"));
  EXPECT_TRUE(testing_support::Shell().Requests.empty());
}

TEST_F(AboutBoxTest, TheBoxIsAFixedTopmostDialogWithAWhiteHeaderLinksABadgeAndTwoLines) {
  auto* about = new TFR_ABOUT(Application);
  about->Show();
  EXPECT_EQ(L"FR_ABOUT", about->Name());
  EXPECT_EQ(460, about->ClientWidth());
  EXPECT_EQ(265, about->ClientHeight());
  const LONG_PTR style = GetWindowLongPtrW(about->Handle(), GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_TRUE(Topmost(about->Handle()));
  RECT r;
  GetWindowRect(about->Handle(), &r);
  const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_NEAR((screenW - (r.right - r.left)) / 2, r.left, 1);
  EXPECT_NEAR((screenH - (r.bottom - r.top)) / 2, r.top, 1);
  EXPECT_EQ(L"Tahoma", about->Font().Name());

  EXPECT_EQ(clWhite, about->pnHeader->Color());
  EXPECT_EQ((RECT{0, 0, 460, 127}), about->pnHeader->BoundsRect());
  EXPECT_EQ(about->pnHeader, about->imLogo->Parent());
  EXPECT_EQ(32, about->imLogo->Width());
  EXPECT_EQ(32, about->imLogo->Picture().Width());
  EXPECT_EQ(L"Quillnote", about->lbProgram->Caption());
  EXPECT_EQ(27, std::abs(about->lbProgram->Font().Height()));
  EXPECT_EQ(L"Tahoma", about->lbProgram->Font().Name());
  EXPECT_FALSE(about->lbCopyright->Caption().empty());
  for (TLabel* link : {about->lbWebSite, about->lbMail, about->lbOrvane, about->lbSupport}) {
    SCOPED_TRACE(testing::PrintToString(link->Name()));
    EXPECT_EQ(clBlue, link->Font().Color());
    EXPECT_TRUE(link->Font().Style() & fsUnderline);
    EXPECT_EQ(crHandPoint, link->Cursor());
  }
  EXPECT_EQ(L"www.quillnote.example", about->lbWebSite->Caption());
  EXPECT_EQ(L"info@quillnote.example", about->lbMail->Caption());
  EXPECT_EQ(L"www.orvane.example", about->lbOrvane->Caption());
  EXPECT_EQ(L"support@orvane.example", about->lbSupport->Caption());
  EXPECT_EQ(143, about->imFace->Width());
  EXPECT_EQ(24, about->imFace->Height());
  EXPECT_EQ(crHandPoint, about->imFace->Cursor());
  EXPECT_EQ(bsTopLine, about->bvHeader->Shape());
  EXPECT_EQ(bsTopLine, about->bvButtons->Shape());
  EXPECT_EQ(L"OK", about->btOK->Caption());
  about->Free();
}

TEST_F(AboutBoxTest, EachLinkOpensItsAddressAndSiteLinksCarryTheTagFromTheMachineKey) {
  TScopeGuard restore([] { SetDownloadSource(nullptr); });
  for (const wchar_t* source : {static_cast<const wchar_t*>(nullptr), L"abc"}) {
    SetDownloadSource(source);
    main_->Free();
    CreateMainForm();
    const String tag = source ? L"qnt-abc" : L"qnt";
    auto* about = new TFR_ABOUT(Application);
    about->Show();
    struct {
      TControl* control;
      TExpectedRequest request;
    } cases[] = {
        {about->lbWebSite, {L"\"http://www.quillnote.example?referrer=" + tag + L"\"", L"open", SW_SHOWNORMAL, false}},
        {about->lbOrvane, {L"\"http://www.orvane.example?referrer=" + tag + L"\"", L"open", SW_SHOWNORMAL, false}},
        {about->lbMail, {L"mailto:info@quillnote.example", L"", SW_SHOWDEFAULT, true}},
        {about->lbSupport, {L"mailto:support@orvane.example", L"", SW_SHOWDEFAULT, true}},
        {about->imFace, {L"\"http://www.facebook.com/quillnote.example\"", L"open", SW_SHOWNORMAL, false}},
    };
    for (const auto& c : cases) {
      SCOPED_TRACE(testing::PrintToString(c.control->Name()) + " " + testing::PrintToString(tag));
      ClickOn(c.control);
      ExpectOnlyRequest(c.request);
    }
    about->Free();
  }
}

TEST_F(AboutBoxTest, TheTraysHelpAndVisitItemsOpenTheTaggedSites) {
  TScopeGuard restore([] { SetDownloadSource(nullptr); });
  SetDownloadSource(L"abc");
  main_->Free();
  CreateMainForm();
  struct {
    TTBCustomItem* item;
    String file;
  } cases[] = {
      {main_->mnHelp, L"\"http://www.quillnote.example/help.html?referrer=qnt-abc\""},
      {main_->tbVisitQuillnote, L"\"http://www.quillnote.example?referrer=qnt-abc\""},
      {main_->tbVisitOrvaneSoftware, L"\"http://www.orvane.example?referrer=qnt-abc\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.item->Name()));
    c.item->Click();
    ExpectOnlyRequest({c.file, L"open", SW_SHOWNORMAL, false});
  }
}

TEST_F(AboutBoxTest, TheOKButtonHasTheFocusAndEnterOrEscClosesTheBox) {
  for (WORD key : {VK_RETURN, VK_ESCAPE}) {
    SCOPED_TRACE(key == VK_RETURN ? "Enter" : "Esc");
    String focused;
    bool read = false;
    whileOpen_.Post([&] {
      auto* about = dynamic_cast<TFR_ABOUT*>(Application->FindComponent(L"FR_ABOUT"));
      ASSERT_NE(nullptr, about);
      focused = testing_support::FocusedControlName();
      testing_support::PointerInto(about->Handle());
      read = testing_support::PressKeys({key});
    });
    whileOpen_.Post([] {
      auto* about = dynamic_cast<TFR_ABOUT*>(Application->FindComponent(L"FR_ABOUT"));
      if (!about || !about->Modal()) return;
      ADD_FAILURE() << "the box stayed open";
      about->SetModalResult(mrCancel);
    });
    main_->mnAbout->Click();
    PumpMessages(0);
    EXPECT_TRUE(read);
    EXPECT_EQ(L"btOK", focused);
    EXPECT_EQ(0, AboutBoxes()) << "closed and freed";
  }
}
