// An item's own font settings: assigning them, applying them to a font and making a font with
// them.
#include "tbx/TBX.h"

#include <algorithm>
#include <cwchar>

namespace {

// The size scaled by a percentage, rounded to the nearest (halves away from zero for positive
// sizes, as the integer division goes).
int ScaledSize(int Size, int Percent) { return (Size * Percent + 50) / 100; }

// tsTrue adds Style, tsFalse removes it, tsDefault keeps what Styles has.
TFontStyles ApplyTriState(TFontStyles Styles, TTriState State, TFontStyle Style) {
  if (State == tsTrue) return Styles | Style;
  if (State == tsFalse) return Styles & ~static_cast<TFontStyles>(Style);
  return Styles;
}

// The same for a LOGFONT's boolean byte.
void ApplyTriState(BYTE& Flag, TTriState State) {
  if (State != tsDefault) Flag = State == tsTrue ? TRUE : FALSE;
}

}  // namespace

bool TFontSettings::SameAs(const TFontSettings& Other) const {
  return bold_ == Other.bold_ && italic_ == Other.italic_ && underline_ == Other.underline_ &&
         strikeOut_ == Other.strikeOut_ && size_ == Other.size_ && color_ == Other.color_ && name_ == Other.name_;
}

void TFontSettings::Assign(const TFontSettings* Source) {
  if (!Source) throw EConvertError(L"Cannot assign a nil to a TFontSettings");
  if (SameAs(*Source)) return;
  bold_ = Source->bold_;
  italic_ = Source->italic_;
  underline_ = Source->underline_;
  strikeOut_ = Source->strikeOut_;
  size_ = Source->size_;
  color_ = Source->color_;
  name_ = Source->name_;
  OnChange(this);
}

void TFontSettings::ApplyToFont(TFont& Font) const {
  if (size_ != 100) Font.SetSize(ScaledSize(Font.Size(), size_));
  if (color_ != clNone) Font.SetColor(color_);
  if (!name_.empty()) Font.SetName(name_);
  TFontStyles styles = Font.Style();
  styles = ApplyTriState(styles, bold_, fsBold);
  styles = ApplyTriState(styles, italic_, fsItalic);
  styles = ApplyTriState(styles, underline_, fsUnderline);
  styles = ApplyTriState(styles, strikeOut_, fsStrikeOut);
  Font.SetStyle(styles);
}

gdi::FontHandle MakeFontWithSettings(const TFontSettings& Settings, HFONT Font, TColor& Color) {
  LOGFONTW lf{};
  GetObjectW(Font, sizeof(lf), &lf);
  if (Settings.Size() != 100) lf.lfHeight = ScaledSize(lf.lfHeight, Settings.Size());
  if (Settings.Color() != clNone) Color = Settings.Color();
  if (!Settings.Name().empty()) {
    const size_t length = std::min<size_t>(Settings.Name().size(), LF_FACESIZE - 1);
    std::wmemcpy(lf.lfFaceName, Settings.Name().c_str(), length);
    lf.lfFaceName[length] = L'\0';
  }
  if (Settings.Bold() != tsDefault) lf.lfWeight = Settings.Bold() == tsTrue ? FW_BOLD : FW_NORMAL;
  ApplyTriState(lf.lfItalic, Settings.Italic());
  ApplyTriState(lf.lfUnderline, Settings.Underline());
  ApplyTriState(lf.lfStrikeOut, Settings.StrikeOut());
  return gdi::FontHandle(CreateFontIndirectW(&lf));
}
