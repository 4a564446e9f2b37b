#pragma once
// Timing for the benchmarks: a millisecond clock and the median and 95th percentile of runs.
#include <windows.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace bench {

inline double Ticks() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

struct TSpread {
  double Median, P95;
};

inline TSpread Spread(std::vector<double> Ms) {
  std::sort(Ms.begin(), Ms.end());
  return {Ms[Ms.size() / 2], Ms[Ms.size() * 95 / 100]};
}

// Runs Run the given number of times and answers the spread of the times each took.
inline TSpread Time(int Runs, const std::function<void()>& Run) {
  std::vector<double> ms;
  ms.reserve(static_cast<size_t>(Runs));
  for (int i = 0; i < Runs; ++i) {
    const double start = Ticks();
    Run();
    ms.push_back(Ticks() - start);
  }
  return Spread(std::move(ms));
}

}  // namespace bench
