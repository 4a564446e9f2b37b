// Colour arithmetic of the theme layer: weighting, blending, brightness and contrast.
#include "tbx/TBXUtils.h"

#include "classlib/SysUtils.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr wchar_t kUnit[] = L"TBXUtils";
constexpr int kWeightAssertionLine = 438;

int Red(TColor C) { return C & 0xFF; }
int Green(TColor C) { return (C >> 8) & 0xFF; }
int Blue(TColor C) { return (C >> 16) & 0xFF; }
TColor MakeColor(int R, int G, int B) { return static_cast<TColor>(R | (G << 8) | (B << 16)); }
int ClampChannel(int V) { return std::clamp(V, 0, 255); }

// Contrast is measured in a space where each channel counts by how bright it looks: a colour is
// the point (R*kWeightR, G*kWeightG, B*kWeightB). The weights are 195/255, 390/255 and 65/255.
constexpr float kWeightR = 0.764706f;
constexpr float kWeightG = 1.52941f;
constexpr float kWeightB = 0.254902f;
// The corners of that space (white), and one past the largest brightness there is.
constexpr float kSpanR = 195.0f, kSpanG = 390.0f, kSpanB = 65.0f;
constexpr float kBrightnessRoom = 442.0f;

struct TPoint3 {
  float X, Y, Z;
};

TPoint3 WeightedPoint(TColor C) {
  return {Red(C) * kWeightR, Green(C) * kWeightG, Blue(C) * kWeightB};
}

// The same space with white as its origin: mirroring twice gives the point back.
TPoint3 Mirrored(const TPoint3& P) { return {kSpanR - P.X, kSpanG - P.Y, kSpanB - P.Z}; }

float Dot(const TPoint3& A, const TPoint3& B) { return A.X * B.X + A.Y * B.Y + A.Z * B.Z; }

int WeightedChannel(float Coordinate, float Weight) {
  return ClampChannel(static_cast<int>(Coordinate / Weight + 0.5f));
}

}  // namespace

TColor WeightColors(TColor C1, TColor C2, int Weight) {
  if (Weight < 0 || Weight > 255) AssertionFailed(kUnit, kWeightAssertionLine, L"Weight out of range");
  C1 = ColorToRGB(C1);
  C2 = ColorToRGB(C2);
  auto mix = [Weight](int A, int B) { return (A * Weight + B * (255 - Weight)) >> 8; };
  return MakeColor(mix(Red(C1), Red(C2)), mix(Green(C1), Green(C2)), mix(Blue(C1), Blue(C2)));
}

TColor WeightColorsNearest(TColor C1, TColor C2, int Weight) {
  return NearestColor(WeightColors(C1, C2, Weight));
}

TColor ShiftColorBrightness(TColor C, int Delta) {
  C = ColorToRGB(C);
  return MakeColor(ClampChannel(Red(C) + Delta), ClampChannel(Green(C) + Delta),
                   ClampChannel(Blue(C) + Delta));
}

int ColorLuma(TColor C) {
  C = ColorToRGB(C);
  return (Red(C) * 76 + Green(C) * 150 + Blue(C) * 30) >> 8;
}

bool IsColorDarker(TColor C, int Threshold) {
  C = ColorToRGB(C);
  return Red(C) * 76 + Green(C) * 150 + Blue(C) * 30 < Threshold * 256;
}

TColor BlendPercent(TColor C1, TColor C2, int Weight) {
  C1 = ColorToRGB(C1);
  C2 = ColorToRGB(C2);
  const int scale = Weight < 100 ? 100 : 1000;
  auto mix = [Weight, scale](int A, int B) {
    return ClampChannel((A * Weight + B * (scale - Weight) + scale / 2) / scale);
  };
  return MakeColor(mix(Red(C1), Red(C2)), mix(Green(C1), Green(C2)), mix(Blue(C1), Blue(C2)));
}

float ColorDistance(TColor C1, TColor C2) {
  C1 = ColorToRGB(C1);
  C2 = ColorToRGB(C2);
  const float dR = static_cast<float>(Red(C1) - Red(C2)) * kWeightR;
  const float dG = static_cast<float>(Green(C1) - Green(C2)) * kWeightG;
  const float dB = static_cast<float>(Blue(C1) - Blue(C2)) * kWeightB;
  return std::sqrt(dR * dR + dG * dG + dB * dB);
}

float ScaleContrastThreshold(float Threshold, float Brightness) {
  if (Brightness >= 220.0f) return Threshold;
  return Threshold * (2.0f - Brightness / 220.0f);
}

bool ColorsContrast(TColor C, TColor Reference, bool Scale, float Threshold) {
  if (Scale) Threshold = ScaleContrastThreshold(Threshold, ColorDistance(Reference, clBlack));
  return ColorDistance(C, Reference) > Threshold;
}

void EnsureContrast(TColor& C, TColor Reference, float Threshold) {
  const TColor color = ColorToRGB(C);
  Reference = ColorToRGB(Reference);
  if (!ColorsContrast(color, Reference, true, Threshold)) PushColorApart(C, Reference, Threshold);
}

void PushColorApart(TColor& C, TColor Reference, float Threshold) {
  C = ColorToRGB(C);
  Reference = ColorToRGB(Reference);
  const float colorBrightness = ColorDistance(C, clBlack);
  const float referenceBrightness = ColorDistance(Reference, clBlack);
  const float d = ScaleContrastThreshold(Threshold, referenceBrightness);
  // Keep the colour on its side of the reference while there is room on that side.
  const bool lighter = colorBrightness > referenceBrightness
                           ? referenceBrightness < kBrightnessRoom - d
                           : referenceBrightness < d;

  // Moving along the ray from the origin (black, or white when going lighter) through the
  // colour, to the point nearer the origin whose distance from the reference is d.
  TPoint3 c = WeightedPoint(C), r = WeightedPoint(Reference);
  if (lighter) {
    c = Mirrored(c);
    r = Mirrored(r);
  }
  const float length = std::max(std::sqrt(Dot(c, c)), 0.01f);
  const float along = Dot(c, r) / length;
  const TPoint3 foot{c.X * along / length - r.X, c.Y * along / length - r.Y, c.Z * along / length - r.Z};
  // Rounding may take the radicand a hair below zero where the ray only touches the sphere.
  const float newLength = along - std::sqrt(std::max(0.0f, d * d - Dot(foot, foot)));
  TPoint3 moved{c.X * newLength / length, c.Y * newLength / length, c.Z * newLength / length};
  if (lighter) moved = Mirrored(moved);
  moved = {std::clamp(moved.X, 0.0f, kSpanR), std::clamp(moved.Y, 0.0f, kSpanG),
           std::clamp(moved.Z, 0.0f, kSpanB)};
  C = MakeColor(WeightedChannel(moved.X, kWeightR), WeightedChannel(moved.Y, kWeightG),
                WeightedChannel(moved.Z, kWeightB));
}

uint32_t ColorToPixel32(TColor C) {
  C = ColorToRGB(C);
  return 0xFF000000u | RGBToPixel(static_cast<COLORREF>(C) & 0xFFFFFF);
}
