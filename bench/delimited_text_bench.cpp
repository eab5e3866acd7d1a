// Reading a 10 000-ft profile at 25 mm spacing (121 921 samples) written as CSV by the export.
#include <benchmark/benchmark.h>

#include <string>

#include "workflow/delimited_text.h"
#include "workflow/erd.h"
#include "workflow/synth.h"

namespace {

constexpr double kSpacing25mm = 2.5 / 25.4 / 12 * 1.0 * 10;

void BM_ParseDelimitedText(benchmark::State& state) {
  const std::string text = tarmac::FormatSeriesCsv(
      "Distance (m)", "Elevation (cm)", kSpacing25mm * 0.3048,
      tarmac::SynthesizeProfile(10000.0, kSpacing25mm, 2024), 2.54);
  for (auto _ : state) {
    const tarmac::DelimitedTextContents csv = tarmac::ParseDelimitedText(text, {});
    benchmark::DoNotOptimize(csv.elevations.data());
  }
  state.SetItemsProcessed(state.iterations() * 121921);
}
BENCHMARK(BM_ParseDelimitedText)->Unit(benchmark::kMillisecond);

}  // namespace
