// Number writing at report scale: a report of 10 000 rows writes four numbers per row.
#include <benchmark/benchmark.h>

#include <string>

#include "common/number_format.h"

namespace {

void BM_ReportRows(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  for (auto _ : state) {
    std::string text;
    for (int i = 1; i <= rows; ++i) {
      const double length = 1000.0 + i * 0.37;
      const double mean = 0.0123 * i / (i + 7.0);
      text += tarmac::RightAlign(6, tarmac::FormatNumber(i, "0"));
      text += tarmac::RightAlign(12, tarmac::FormatNumber(length, "#,##0.0"));
      text += tarmac::RightAlign(20, tarmac::FormatNumber(mean, "0.0000"));
      text += tarmac::RightAlign(22, tarmac::FormatNumber(mean * 1.7, "0.0000"));
      text += '\n';
    }
    benchmark::DoNotOptimize(text.data());
  }
  state.SetItemsProcessed(state.iterations() * rows * 4);
}
BENCHMARK(BM_ReportRows)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_BareNumber(benchmark::State& state) {
  double v = 0.123456789;
  for (auto _ : state) {
    benchmark::DoNotOptimize(tarmac::BareNumber(v));
    v += 1.000001;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BareNumber);

void BM_ValueOfText(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(tarmac::ValueOfText(" 1,234.5678"));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ValueOfText);

}  // namespace
