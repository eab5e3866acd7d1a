// Drawing a whole runway profile (122 000 samples, 10 000 ft): as the document picture the
// reports paste (printed size, 300 dpi) and as a screen panel, both the way the program draws a
// level: its ranges recorded as the session records them, then described by the plot sink.
#ifdef TARMAC_HAS_RENDER
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "common/units.h"
#include "render/level_plot.h"
#include "render/session_plots.h"
#include "workflow/plot_range.h"
#include "workflow/profile_model.h"

namespace {

tarmac::ProfileModel RunwayModel(bool metric) {
  const double spacing = 0.08202099737532809;
  const int n = 122000;
  tarmac::ProfileModel m;
  m.units = tarmac::MakeUnits(metric);
  tarmac::PlotLevel& l = m.levels[0];
  l.data.resize(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const double x = i * spacing;
    l.data[static_cast<std::size_t>(i)] =
        static_cast<float>(0.6 * std::sin(x / 400.0) + 0.15 * std::sin(x / 29.0) + 0.02 * std::sin(i * 1.7));
  }
  l.step_ft = spacing;
  l.kind = "ZProfile";
  l.drawn_title = "ZProfile  RWY09L";
  l.shown_unit = m.units.ShortElevationLabel;
  l.shown_factor = m.units.CmFactor;
  const tarmac::PlotRange r =
      tarmac::ComputePlotRange(l.data, spacing * m.units.LengthFactor, 1, n, l.shown_factor);
  l.shown_first = r.first;
  l.shown_last = r.last;
  l.plot_x_start = r.x_start;
  l.plot_x_end = r.x_end;
  l.plot_y_min = r.y_min;
  l.plot_y_max = r.y_max;
  return m;
}

void BM_DocumentPicture_122k(benchmark::State& state) {
  const tarmac::ProfileModel m = RunwayModel(state.range(0) != 0);
  tarmac::RenderPlotSink sink;
  std::size_t bytes = 0;
  for (auto _ : state) {
    const auto png = sink.LevelPicture(m, 0);
    bytes = png.size();
    benchmark::DoNotOptimize(png.data());
  }
  state.counters["png_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_DocumentPicture_122k)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_ScreenPanel_122k(benchmark::State& state) {
  const tarmac::ProfileModel m = RunwayModel(false);
  const tarmac::LevelPlot plot = tarmac::DescribeDrawnLevel(m.levels[0], 0, m.units);
  for (auto _ : state) {
    const auto png = tarmac::LevelPlotPng(plot, 520, 200);
    benchmark::DoNotOptimize(png.data());
  }
}
BENCHMARK(BM_ScreenPanel_122k)->Unit(benchmark::kMillisecond);

}  // namespace
#endif
