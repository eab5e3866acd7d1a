// Spectrum and density of a 10 000-ft profile as the spectra window runs them: the profile
// prepared with decimation factor 10 at the usual 0.082-ft spacing gives about 12 000 samples.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "common/progress.h"
#include "spectra/pdf.h"
#include "spectra/psd.h"

namespace {

constexpr double kPreparedSpacingFt = 0.82;

const std::vector<float>& PreparedProfileSamples() {
  static const std::vector<float> samples = [] {
    std::mt19937 rng(20240601);
    std::normal_distribution<float> step(0.0f, 0.02f);
    std::vector<float> z(12195);  // 10 000 ft / 0.82 ft
    float level = 0.0f;
    for (auto& v : z) v = level += step(rng);  // inches, a random-walk roughness
    return z;
  }();
  return samples;
}

void BM_ProfilePsd(benchmark::State& state) {
  const auto& z = PreparedProfileSamples();
  for (auto _ : state) {
    auto r = tarmac::ComputePsd(z, 12.0, kPreparedSpacingFt / tarmac::kProfileSpectrumSpeedFps, 10);
    benchmark::DoNotOptimize(r.smoothed.data());
  }
}
BENCHMARK(BM_ProfilePsd)->Unit(benchmark::kMillisecond);

void BM_ProfilePdf(benchmark::State& state) {
  const auto& z = PreparedProfileSamples();
  tarmac::NullProgress progress;
  for (auto _ : state) {
    auto r = tarmac::ProbabilityDensity(z, 12.0, kPreparedSpacingFt, progress);
    benchmark::DoNotOptimize(r.pdf.data());
  }
}
BENCHMARK(BM_ProfilePdf)->Unit(benchmark::kMillisecond);

}  // namespace
