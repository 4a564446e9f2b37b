#pragma once
// The system's font and print dialogs as components. Both run through the common-dialog seam,
// so tests answer them without a modal box.
#include "classlib/Classes.h"
#include "classlib/GdiHandles.h"
#include "classlib/Graphics.h"

#include <windows.h>

enum TFontDialogOption : unsigned {
  // The effects part (underline, strike-out, colour); the chosen colour then comes back too.
  fdEffects = 1,
  // Sizes limited to MinFontSize..MaxFontSize points.
  fdLimitSize = 2,
};
using TFontDialogOptions = unsigned;

// The font dialog, preset with Font and writing the choice back into it. No options are set
// at first, so the dialog shows no effects part unless asked for one; without it the font
// keeps its own underline, strike-out and colour.
class TFontDialog : public TComponent {
 public:
  explicit TFontDialog(TComponent* AOwner);

  TFont& Font() { return font_; }
  TFontDialogOptions Options() const { return options_; }
  void SetOptions(TFontDialogOptions options) { options_ = options; }
  // Points; they apply only with fdLimitSize.
  int MinFontSize() const { return minFontSize_; }
  void SetMinFontSize(int points) { minFontSize_ = points; }
  int MaxFontSize() const { return maxFontSize_; }
  void SetMaxFontSize(int points) { maxFontSize_ = points; }

  // Shows the dialog (owned by `owner`, or by the active window); true when OK was chosen and
  // the form that owns the dialog was not closed meanwhile (the dialog outlives its loop).
  bool Execute(HWND owner = nullptr);

 private:
  TFont font_;
  TFontDialogOptions options_ = 0;
  int minFontSize_ = 0;
  int maxFontSize_ = 0;
};

// A movable global memory block, freed with GlobalFree.
class TGlobalHandle {
 public:
  TGlobalHandle() = default;
  TGlobalHandle(const TGlobalHandle&) = delete;
  TGlobalHandle& operator=(const TGlobalHandle&) = delete;
  TGlobalHandle(TGlobalHandle&& other) noexcept : h_(other.Release()) {}
  TGlobalHandle& operator=(TGlobalHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ~TGlobalHandle() { Reset(); }

  HGLOBAL Get() const { return h_; }
  void Reset(HGLOBAL h = nullptr) {
    if (h == h_) return;
    if (h_) GlobalFree(h_);
    h_ = h;
  }
  HGLOBAL Release() {
    HGLOBAL h = h_;
    h_ = nullptr;
    return h;
  }

 private:
  HGLOBAL h_ = nullptr;
};

// The print dialog. OK leaves the chosen printer's device context with the dialog, which owns
// it until the dialog runs again or is freed. The chosen printer and its settings are kept
// for the next run.
class TPrintDialog : public TComponent {
 public:
  explicit TPrintDialog(TComponent* AOwner);

  // Shows the dialog; true when OK was chosen, the printer's DC could be made and the form that
  // owns the dialog was not closed meanwhile (the dialog outlives its loop).
  bool Execute(HWND owner = nullptr);
  // The printer DC of the last run that ended with OK, or nullptr.
  HDC PrinterDC() const { return printerDC_.Get(); }
  // The printer settings and names as the dialog left them (nullptr before a first run).
  HGLOBAL DevMode() const { return devMode_.Get(); }
  HGLOBAL DevNames() const { return devNames_.Get(); }

 private:
  gdi::MemoryDC printerDC_;
  TGlobalHandle devMode_;
  TGlobalHandle devNames_;
};
