// Colour sets: the cells' colours and names, the naming of any colour against a set, the
// palettes that follow a set's counts, and the built-in set of 40 named colours.
#include "tbx/TBXToolPals.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

TTBXDefaultColorSet* DefaultColorSetInstance = nullptr;

namespace {

struct TNamedColor {
  const wchar_t* Name;
  uint32_t Rgb;  // 0xRRGGBB, as colours are usually written
};

// The built-in cells, row by row.
constexpr std::array<TNamedColor, TTBXDefaultColorSet::kColCount * TTBXDefaultColorSet::kRowCount> kBuiltInColors = {{
    {L"Black", 0x000000},        {L"Brown", 0x993300},          {L"Olive Green", 0x333300},
    {L"Dark Green", 0x003300},   {L"Dark Teal", 0x003366},      {L"Dark blue", 0x000080},
    {L"Indigo", 0x333399},       {L"Gray-80%", 0x333333},

    {L"Dark Red", 0x800000},     {L"Orange", 0xFF6600},         {L"Dark Yellow", 0x808000},
    {L"Green", 0x008000},        {L"Teal", 0x008080},           {L"Blue", 0x0000FF},
    {L"Blue-Gray", 0x666699},    {L"Gray-50%", 0x808080},

    {L"Red", 0xFF0000},          {L"Light Orange", 0xFF9900},   {L"Lime", 0x99CC00},
    {L"Sea Green", 0x339966},    {L"Aqua", 0x33CCCC},           {L"Light Blue", 0x3366FF},
    {L"Violet", 0x800080},       {L"Gray-40%", 0x969696},

    {L"Pink", 0xFF00FF},         {L"Gold", 0xFFCC00},           {L"Yellow", 0xFFFF00},
    {L"Bright Green", 0x00FF00}, {L"Turquoise", 0x00FFFF},      {L"Sky Blue", 0x00CCFF},
    {L"Plum", 0x993366},         {L"Gray-25%", 0xC0C0C0},

    {L"Rose", 0xFF99CC},         {L"Tan", 0xFFCC99},            {L"Light Yellow", 0xFFFF99},
    {L"Light Green", 0xCCFFCC},  {L"Light Turquoise", 0xCCFFFF}, {L"Pale Blue", 0x99CCFF},
    {L"Lavender", 0xCC99FF},     {L"White", 0xFFFFFF},
}};

// A colour value keeps red in its low byte.
constexpr TColor FromRgb(uint32_t Rgb) {
  return static_cast<TColor>(((Rgb >> 16) & 0xFF) | (Rgb & 0xFF00) | ((Rgb & 0xFF) << 16));
}

// A colour as it shows now: system colours by their present value, 24 bits.
TColor PresentRgb(TColor Color) { return ColorToRGB(Color) & 0xFFFFFF; }

// "#" and the red, green and blue bytes as upper-case hex digits.
String HexName(TColor Rgb) {
  wchar_t text[8];
  std::swprintf(text, std::size(text), L"#%02X%02X%02X", Rgb & 0xFF, (Rgb >> 8) & 0xFF, (Rgb >> 16) & 0xFF);
  return text;
}

}  // namespace

// --- the colour set -------------------------------------------------------------------------

TTBXCustomColorSet::TTBXCustomColorSet(TComponent* AOwner) : TComponent(AOwner) {}

TTBXCustomColorSet::~TTBXCustomColorSet() {
  // Reached without Free, no palette was told yet: none may keep this set.
  for (TTBXColorPalette* palette : std::vector<TTBXColorPalette*>(palettes_)) palette->DropSet();
}

void TTBXCustomColorSet::AddPalette(TTBXColorPalette* Palette) {
  if (std::find(palettes_.begin(), palettes_.end(), Palette) == palettes_.end()) palettes_.push_back(Palette);
}

void TTBXCustomColorSet::RemovePalette(TTBXColorPalette* Palette) {
  palettes_.erase(std::remove(palettes_.begin(), palettes_.end(), Palette), palettes_.end());
}

void TTBXCustomColorSet::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  // A palette going before its set is forgotten (compared as components: it may be half gone).
  palettes_.erase(std::remove_if(palettes_.begin(), palettes_.end(),
                                 [&](TTBXColorPalette* P) { return static_cast<TComponent*>(P) == AComponent; }),
                  palettes_.end());
}

void TTBXCustomColorSet::UpdateSize(int ACols, int ARows) {
  colCount_ = ACols;
  rowCount_ = ARows;
  // A palette's change may reach handlers that move palettes between sets.
  for (TTBXColorPalette* palette : std::vector<TTBXColorPalette*>(palettes_))
    if (std::find(palettes_.begin(), palettes_.end(), palette) != palettes_.end()) palette->TakeCounts(ACols, ARows);
}

void TTBXCustomColorSet::GetColorInfo(int ACol, int ARow, String& AName, TColor& AColor) {
  AName.clear();
  AColor = clNone;
  OnGetColorInfo(this, ACol, ARow, AColor, AName);
}

TColor TTBXCustomColorSet::CellColor(int ACol, int ARow) {
  String name;
  TColor color = clNone;
  GetColorInfo(ACol, ARow, name, color);
  return color;
}

String TTBXCustomColorSet::ColorToName(TColor AColor) {
  if (AColor == clNone) return L"None";
  const TColor rgb = PresentRgb(AColor);
  for (int row = 0; row < rowCount_; ++row)
    for (int col = 0; col < colCount_; ++col) {
      String name;
      TColor color = clNone;
      GetColorInfo(col, row, name, color);
      if (color == clNone || PresentRgb(color) != rgb) continue;
      return name.empty() ? HexName(rgb) : name;
    }
  return HexName(rgb);
}

// --- the built-in set -----------------------------------------------------------------------

TTBXDefaultColorSet::TTBXDefaultColorSet(TComponent* AOwner) : TTBXCustomColorSet(AOwner) {
  UpdateSize(kColCount, kRowCount);
}

void TTBXDefaultColorSet::GetColorInfo(int ACol, int ARow, String& AName, TColor& AColor) {
  TTBXCustomColorSet::GetColorInfo(ACol, ARow, AName, AColor);
  if (ACol < 0 || ARow < 0 || ACol >= kColCount || ARow >= kRowCount) return;
  const TNamedColor& cell = kBuiltInColors[static_cast<size_t>(ARow * kColCount + ACol)];
  AName = cell.Name;
  AColor = FromRgb(cell.Rgb);
}

// --- the unit -------------------------------------------------------------------------------

void InitTBXToolPals() { DefaultColorSetInstance = new TTBXDefaultColorSet(nullptr); }

void FinalizeTBXToolPals() {
  if (TTBXDefaultColorSet* set = std::exchange(DefaultColorSetInstance, nullptr)) set->Free();
}
