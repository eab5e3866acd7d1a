// Drawing a whole runway profile (122 000 samples, 10 000 ft) as a report picture.
#ifdef TARMAC_HAS_RENDER
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "common/units.h"
#include "render/level_plot.h"

namespace {

std::vector<float> RunwayProfile(int n, double spacing_ft) {
  std::vector<float> z(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const double x = i * spacing_ft;
    z[static_cast<std::size_t>(i)] = static_cast<float>(0.6 * std::sin(x / 400.0) + 0.15 * std::sin(x / 29.0) +
                                                        0.02 * std::sin(i * 1.7));
  }
  return z;
}

void BM_LevelPlotPng_122k(benchmark::State& state) {
  const double spacing = 0.08202099737532809;
  const tarmac::Units units = tarmac::MakeUnits(state.range(0) != 0);
  const tarmac::LevelPlot plot = tarmac::MakeLevelPlot(0, "ZProfile", "ZProfile,RWY09L,inch",
                                                       RunwayProfile(122000, spacing), spacing, 1, 122000, units);
  std::size_t bytes = 0;
  for (auto _ : state) {
    const auto png = tarmac::LevelPlotPng(plot, 1600, 500);
    bytes = png.size();
    benchmark::DoNotOptimize(png.data());
  }
  state.counters["png_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_LevelPlotPng_122k)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
#endif
