#include "classlib/Dialogs.h"

#include "classlib/Forms.h"
#include "classlib/Seams.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <vector>

namespace {

// Records what the dialogs were asked and answers as told: OK with a chosen font or printer,
// or cancel.
class TFakeCommonDialogs : public seams::TCommonDialogs {
 public:
  bool AnswerOK = true;
  LOGFONTW ChosenFont{};
  COLORREF ChosenColor = RGB(200, 0, 0);

  std::vector<CHOOSEFONTW> FontRequests;
  std::vector<LOGFONTW> PresetFonts;
  std::vector<PRINTDLGW> PrintRequests;
  std::vector<HDC> GivenDCs;
  std::vector<HGLOBAL> GivenDevModes;
  // Whether the DC handed out before was already gone when the dialog ran again.
  std::vector<bool> EarlierDCGone;

  bool ShowFontDialog(CHOOSEFONTW& data) override {
    FontRequests.push_back(data);
    PresetFonts.push_back(*data.lpLogFont);
    if (!AnswerOK) {
      // A cancelled dialog may have touched the record: that must not matter.
      data.lpLogFont->lfHeight = 99;
      return false;
    }
    *data.lpLogFont = ChosenFont;
    data.rgbColors = ChosenColor;
    data.iPointSize = 150;
    return true;
  }

  bool ShowPrintDialog(PRINTDLGW& data) override {
    PrintRequests.push_back(data);
    if (!GivenDCs.empty()) EarlierDCGone.push_back(GetObjectType(GivenDCs.back()) == 0);
    if (!data.hDevMode) {
      data.hDevMode = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DEVMODEW));
      data.hDevNames = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DEVNAMES) + 64);
      GivenDevModes.push_back(data.hDevMode);
    }
    if (!AnswerOK) return false;
    // There is no printer here: a memory DC stands in for one.
    data.hDC = CreateCompatibleDC(nullptr);
    GivenDCs.push_back(data.hDC);
    return true;
  }
};

LOGFONTW MakeLogFont(const wchar_t* face, int height, bool bold, bool italic, bool underline, bool strikeOut) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = italic;
  lf.lfUnderline = underline;
  lf.lfStrikeOut = strikeOut;
  lf.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return lf;
}

struct TChangeCounter : TObject {
  int Changes = 0;
  void Change(TObject*) { ++Changes; }
};

class Dialogs : public testing::Test {
 protected:
  TFakeCommonDialogs fake_;
  seams::Scoped<seams::TCommonDialogs> scoped_{fake_};
};

struct TOptionsCase {
  TFontDialogOptions options;
  DWORD expectedFlags;
};

const TOptionsCase kOptionCases[] = {
    {0, CF_INITTOLOGFONTSTRUCT | CF_SCREENFONTS},
    {fdLimitSize, CF_INITTOLOGFONTSTRUCT | CF_SCREENFONTS | CF_LIMITSIZE},
    {fdEffects, CF_INITTOLOGFONTSTRUCT | CF_SCREENFONTS | CF_EFFECTS},
    {fdEffects | fdLimitSize, CF_INITTOLOGFONTSTRUCT | CF_SCREENFONTS | CF_EFFECTS | CF_LIMITSIZE},
};

}  // namespace

TEST_F(Dialogs, FontDialogIsPresetFromItsFontAndOptions) {
  fake_.AnswerOK = false;  // the font stays as it was preset
  for (const TOptionsCase& c : kOptionCases) {
    SCOPED_TRACE(c.options);
    TFontDialog dialog(nullptr);
    dialog.Font().SetName(L"Courier New");
    dialog.Font().SetSize(12);
    dialog.Font().SetStyle(fsBold | fsItalic);
    dialog.Font().SetColor(RGB(0, 0, 200));
    dialog.SetOptions(c.options);
    dialog.SetMaxFontSize(36);
    fake_.FontRequests.clear();
    fake_.PresetFonts.clear();
    dialog.Execute();

    ASSERT_EQ(1u, fake_.FontRequests.size());
    const CHOOSEFONTW& asked = fake_.FontRequests[0];
    EXPECT_EQ(sizeof(CHOOSEFONTW), asked.lStructSize);
    EXPECT_EQ(c.expectedFlags, asked.Flags);
    if (c.options & fdLimitSize) {
      EXPECT_EQ(0, asked.nSizeMin);
      EXPECT_EQ(36, asked.nSizeMax);
    }
    if (c.options & fdEffects) {
      EXPECT_EQ(RGB(0, 0, 200), asked.rgbColors);
    }
    const LOGFONTW& preset = fake_.PresetFonts[0];
    EXPECT_STREQ(L"Courier New", preset.lfFaceName);
    EXPECT_EQ(dialog.Font().Height(), preset.lfHeight);
    EXPECT_EQ(FW_BOLD, preset.lfWeight);
    EXPECT_TRUE(preset.lfItalic);
    EXPECT_FALSE(preset.lfUnderline);
  }
}

TEST_F(Dialogs, FontDialogOKCopiesTheChoiceBackAndTheEffectsOnlyWithTheirPart) {
  // Without the effects part, underline, strike-out and colour are the font's own, whatever
  // the dialog hands back; with it, they are the user's choice.
  struct Case {
    TFontDialogOptions options;
    TFontStyles before;
    bool chosenUnderline, chosenStrikeOut;
    TFontStyles after;
  } cases[] = {
      {fdLimitSize, 0, true, true, fsItalic},
      {fdLimitSize, fsUnderline | fsStrikeOut, false, false, fsItalic | fsUnderline | fsStrikeOut},
      {fdLimitSize, fsUnderline, false, true, fsItalic | fsUnderline},
      {fdEffects, 0, true, true, fsItalic | fsUnderline | fsStrikeOut},
      {fdEffects, fsUnderline | fsStrikeOut, false, false, fsItalic},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.options << " " << c.before);
    TFontDialog dialog(nullptr);
    dialog.Font().SetName(L"Tahoma");
    dialog.Font().SetSize(8);
    dialog.Font().SetStyle(fsBold | c.before);
    dialog.Font().SetColor(RGB(0, 0, 200));
    dialog.SetOptions(c.options);
    dialog.SetMaxFontSize(36);
    TFont wanted;
    wanted.SetSize(36);
    fake_.ChosenFont = MakeLogFont(L"Arial", wanted.Height(), false, true, c.chosenUnderline, c.chosenStrikeOut);
    EXPECT_TRUE(dialog.Execute());

    EXPECT_EQ(L"Arial", dialog.Font().Name());
    EXPECT_EQ(36, dialog.Font().Size());
    EXPECT_EQ(c.after, dialog.Font().Style());
    EXPECT_EQ(c.options & fdEffects ? TColor(fake_.ChosenColor) : TColor(RGB(0, 0, 200)), dialog.Font().Color());
  }
}

TEST_F(Dialogs, CancelledFontDialogChangesNothing) {
  TFontDialog dialog(nullptr);
  dialog.Font().SetName(L"Tahoma");
  dialog.Font().SetSize(10);
  dialog.Font().SetStyle(fsBold);
  dialog.SetOptions(fdEffects);
  TChangeCounter counter;
  dialog.Font().OnChange = TNotifyEvent(&counter, &TChangeCounter::Change);
  fake_.AnswerOK = false;
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(L"Tahoma", dialog.Font().Name());
  EXPECT_EQ(10, dialog.Font().Size());
  EXPECT_EQ(TFontStyles{fsBold}, dialog.Font().Style());
  EXPECT_EQ(0, counter.Changes);
}

TEST_F(Dialogs, PrintDialogKeepsTheDCOfOKUntilItRunsAgainOrIsFreed) {
  auto* dialog = new TPrintDialog(nullptr);
  ASSERT_TRUE(dialog->Execute());
  ASSERT_EQ(1u, fake_.PrintRequests.size());
  EXPECT_EQ(sizeof(PRINTDLGW), fake_.PrintRequests[0].lStructSize);
  EXPECT_TRUE(fake_.PrintRequests[0].Flags & PD_RETURNDC);
  HDC first = dialog->PrinterDC();
  EXPECT_EQ(fake_.GivenDCs[0], first);
  EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), GetObjectType(first));

  // The second run frees the first DC before the dialog shows and passes the kept settings in.
  ASSERT_TRUE(dialog->Execute());
  ASSERT_EQ(2u, fake_.PrintRequests.size());
  EXPECT_EQ(std::vector<bool>{true}, fake_.EarlierDCGone);
  EXPECT_EQ(fake_.GivenDevModes[0], fake_.PrintRequests[1].hDevMode);
  EXPECT_EQ(fake_.GivenDevModes[0], dialog->DevMode());
  HDC second = dialog->PrinterDC();
  EXPECT_EQ(fake_.GivenDCs[1], second);

  HGLOBAL devMode = dialog->DevMode();
  delete dialog;
  EXPECT_EQ(0u, GetObjectType(second));
  EXPECT_EQ(0u, GlobalSize(devMode));
}

TEST_F(Dialogs, CancelledPrintDialogLeavesNoDC) {
  TPrintDialog dialog(nullptr);
  ASSERT_TRUE(dialog.Execute());
  fake_.AnswerOK = false;
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(nullptr, dialog.PrinterDC());
  EXPECT_EQ(std::vector<bool>{true}, fake_.EarlierDCGone);
  // The settings stay for the next run.
  EXPECT_EQ(fake_.GivenDevModes[0], dialog.DevMode());
}

TEST_F(Dialogs, ADialogWhoseFormGoesWhileItIsUpAnswersNoAndOutlivesItsLoop) {
  // Frees the form that owns the dialog while the dialog is up (as Exit frees a note), then
  // answers OK.
  struct TFreeingDialogs : TFakeCommonDialogs {
    TForm* Form = nullptr;
    bool ShowFontDialog(CHOOSEFONTW& data) override {
      Form->Free();
      testing_support::PumpMessages(0);
      return TFakeCommonDialogs::ShowFontDialog(data);
    }
    bool ShowPrintDialog(PRINTDLGW& data) override {
      Form->Free();
      testing_support::PumpMessages(0);
      return TFakeCommonDialogs::ShowPrintDialog(data);
    }
  } freeing;
  seams::Scoped<seams::TCommonDialogs> use(freeing);
  auto open = [] {
    auto forms = Screen->FormsSnapshot();
    return static_cast<int>(forms.size());
  };
  for (bool print : {false, true}) {
    SCOPED_TRACE(print ? "print" : "font");
    const int before = open();
    auto* form = new TForm(Application);
    freeing.Form = form;
    auto* font = new TFontDialog(form);
    auto* printer = new TPrintDialog(form);
    const bool ok = print ? printer->Execute() : font->Execute();
    EXPECT_FALSE(ok);
    EXPECT_EQ(before + 1, open()) << "the form went while its dialog's code still ran";
    if (print) {
      EXPECT_EQ(nullptr, printer->PrinterDC());
      ASSERT_EQ(1u, freeing.GivenDCs.size());
      EXPECT_EQ(0u, GetObjectType(freeing.GivenDCs[0])) << "the DC of an answer that came too late stays";
    }
    EXPECT_TRUE(testing_support::PumpUntil([&] { return open() == before; }));
  }
}
