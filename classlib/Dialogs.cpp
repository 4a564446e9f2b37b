#include "classlib/Dialogs.h"

#include "classlib/Forms.h"
#include "classlib/ScopeGuard.h"
#include "classlib/Seams.h"

namespace {

HWND DialogOwner(HWND owner) { return owner ? owner : GetActiveWindow(); }

}  // namespace

// ---- TFontDialog ----

TFontDialog::TFontDialog(TComponent* AOwner) : TComponent(AOwner) {}

bool TFontDialog::Execute(HWND owner) {
  LOGFONTW logFont;
  font_.GetLogFont(logFont);
  CHOOSEFONTW data{};
  data.lStructSize = sizeof(data);
  data.hwndOwner = DialogOwner(owner);
  data.lpLogFont = &logFont;
  data.Flags = CF_INITTOLOGFONTSTRUCT | CF_SCREENFONTS;
  if (options_ & fdEffects) {
    data.Flags |= CF_EFFECTS;
    data.rgbColors = ColorToGdi(font_.Color());
  }
  if (options_ & fdLimitSize) {
    data.Flags |= CF_LIMITSIZE;
    data.nSizeMin = minFontSize_;
    data.nSizeMax = maxFontSize_;
  }
  {
    TFormLoopGuard loop(this);
    if (!seams::CommonDialogs().ShowFontDialog(data) || loop.Gone()) return false;
  }
  if (!(options_ & fdEffects)) {
    // Without the effects part the dialog neither shows underline and strike-out nor lets
    // them be chosen, and may hand them back cleared: the font keeps its own, and its colour.
    logFont.lfUnderline = (font_.Style() & fsUnderline) ? TRUE : FALSE;
    logFont.lfStrikeOut = (font_.Style() & fsStrikeOut) ? TRUE : FALSE;
  }
  font_.SetLogFont(logFont);
  if (options_ & fdEffects) font_.SetColor(static_cast<TColor>(data.rgbColors));
  return true;
}

// ---- TPrintDialog ----

TPrintDialog::TPrintDialog(TComponent* AOwner) : TComponent(AOwner) {}

bool TPrintDialog::Execute(HWND owner) {
  printerDC_.Reset();
  PRINTDLGW data{};
  data.lStructSize = sizeof(data);
  data.hwndOwner = DialogOwner(owner);
  // The whole text prints: there is neither a selection nor a page range to choose.
  data.Flags = PD_RETURNDC | PD_NOSELECTION | PD_NOPAGENUMS | PD_USEDEVMODECOPIESANDCOLLATE;
  data.nCopies = 1;
  // The dialog may free the blocks it is given and hand back others; whatever it leaves in
  // the record is ours again, also when it raises.
  data.hDevMode = devMode_.Release();
  data.hDevNames = devNames_.Release();
  bool ok = false;
  {
    TFormLoopGuard loop(this);
    TScopeGuard takeBack([&] {
      devMode_.Reset(data.hDevMode);
      devNames_.Reset(data.hDevNames);
    });
    ok = seams::CommonDialogs().ShowPrintDialog(data) && !loop.Gone();
  }
  if (!ok) {
    gdi::MemoryDC unused(data.hDC);  // a DC the dialog made for a cancelled run
    return false;
  }
  printerDC_.Reset(data.hDC);
  return data.hDC != nullptr;
}
