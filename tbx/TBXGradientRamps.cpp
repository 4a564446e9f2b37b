// The colour ramps of gradients painted without the system's GradientFill: the same gradient
// painted again computes no colours. A ring of 16 ramps, the oldest replaced first.
#include "tbx/TBXUtils.h"

#include "classlib/SysUtils.h"

#include <array>
#include <cstdlib>

namespace {

constexpr wchar_t kUnit[] = L"TBXUtils";
constexpr int kFindAssertionLine = 2016;
constexpr int kBuildAssertionLine = 2041;
constexpr size_t kRampSlots = 16;

struct TRampCache {
  // Slots are filled in ring order; a slot's vector keeps its address while it is reused.
  std::array<TGradientRamp, kRampSlots> Ramps;
  size_t Used = 0;
  size_t Cursor = 0;
};

TRampCache& Cache() {
  static TRampCache cache;
  return cache;
}

// Channel `Shift` of position I of N (N >= 2) from A to B, rounded to the nearest step with
// halves away from A: a falling channel mirrors a rising one, and position N - 1 is B itself.
int RampChannel(TColor A, TColor B, int Shift, int I, int N) {
  const int from = (A >> Shift) & 0xFF, to = (B >> Shift) & 0xFF;
  const int difference = to - from;
  const int step = ((N - 1) / 2 + I * std::abs(difference)) / (N - 1);
  return from + (difference < 0 ? -step : step);
}

TColor RampColor(TColor C1, TColor C2, int I, int N) {
  return static_cast<TColor>(RampChannel(C1, C2, 0, I, N) | (RampChannel(C1, C2, 8, I, N) << 8) |
                             (RampChannel(C1, C2, 16, I, N) << 16));
}

// The one colour of a single-pixel ramp: halfway, truncated towards C1.
TColor Midpoint(TColor C1, TColor C2) {
  auto half = [&](int Shift) {
    const int from = (C1 >> Shift) & 0xFF, to = (C2 >> Shift) & 0xFF;
    return (from + (to - from) / 2) << Shift;
  };
  return static_cast<TColor>(half(0) | half(8) | half(16));
}

}  // namespace

const TGradientRamp& GetGradientRamp(int Length, TColor C1, TColor C2) {
  if (const TGradientRamp* cached = FindGradientRamp(Length, C1, C2)) return *cached;
  return BuildGradientRamp(Length, C1, C2);
}

const TGradientRamp* FindGradientRamp(int Length, TColor C1, TColor C2) {
  if (Length < 1) AssertionFailed(kUnit, kFindAssertionLine, L"Empty gradient");
  C1 = ColorToRGB(C1);
  C2 = ColorToRGB(C2);
  const TRampCache& cache = Cache();
  for (size_t i = cache.Used; i-- > 0;) {
    const TGradientRamp& ramp = cache.Ramps[i];
    if (ramp.size() == static_cast<size_t>(Length) && ramp.front() == C1 && ramp.back() == C2)
      return &ramp;
  }
  return nullptr;
}

const TGradientRamp& BuildGradientRamp(int Length, TColor C1, TColor C2) {
  if (Length < 1) AssertionFailed(kUnit, kBuildAssertionLine, L"Empty gradient");
  C1 = ColorToRGB(C1);
  C2 = ColorToRGB(C2);
  TRampCache& cache = Cache();
  TGradientRamp& ramp = cache.Ramps[cache.Cursor];
  if (cache.Cursor == cache.Used) ++cache.Used;
  cache.Cursor = (cache.Cursor + 1) % kRampSlots;
  ramp.resize(static_cast<size_t>(Length));
  if (Length == 1) {
    ramp[0] = Midpoint(C1, C2);
    return ramp;
  }
  for (int i = 0; i < Length; ++i) ramp[static_cast<size_t>(i)] = RampColor(C1, C2, i, Length);
  return ramp;
}

void ClearGradientRamps() {
  TRampCache& cache = Cache();
  for (TGradientRamp& ramp : cache.Ramps) TGradientRamp().swap(ramp);
  cache.Used = 0;
  cache.Cursor = 0;
}
