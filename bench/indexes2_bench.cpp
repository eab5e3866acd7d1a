// Bump index, IRI and profilograph index on a 10 000-ft runway profile measured at 25 mm.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "common/progress.h"
#include "indexes/bump_index.h"
#include "indexes/prepared_profile.h"

namespace tarmac {
namespace {

constexpr double kMeasuredSpacing = 0.025 / 0.3048;  // 25 mm, ft
constexpr double kRunwayLength = 10000.0;             // ft

// A fixed-seed sum of sines with wavelengths from 2 to 400 ft, amplitudes growing with the
// wavelength as on a real pavement (about 0.05 in at 10 ft).
std::vector<float> MeasuredProfile() {
  std::mt19937 gen(20240611);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  struct Wave { double k, a, phase; };
  std::vector<Wave> waves;
  for (int w = 0; w < 40; ++w) {
    const double lambda = 2.0 * std::pow(200.0, u(gen));
    waves.push_back({2 * M_PI / lambda, 0.005 * lambda * (0.5 + u(gen)), 2 * M_PI * u(gen)});
  }
  const auto n = static_cast<std::size_t>(kRunwayLength / kMeasuredSpacing) + 1;
  std::vector<float> z(n);
  for (std::size_t i = 0; i < n; ++i) {
    double v = 0;
    const double x = static_cast<double>(i) * kMeasuredSpacing;
    for (const auto& w : waves) v += w.a * std::sin(w.k * x + w.phase);
    z[i] = static_cast<float>(v);
  }
  return z;
}

// Keeps every k-th sample into a prepared profile with its zero margins (the measured profile
// above has no content near the Nyquist frequency of the kept spacing worth filtering).
PreparedProfile Decimated(const std::vector<float>& z, int k) {
  PreparedProfile p;
  p.spacing = kMeasuredSpacing * k;
  p.n = static_cast<std::int32_t>((z.size() - 1) / static_cast<std::size_t>(k) + 1);
  p.margin = static_cast<std::int32_t>(std::lround(250.0 / p.spacing));
  p.z.assign(static_cast<std::size_t>(p.n + 2 * p.margin + 3), 0.0f);
  for (std::int32_t i = 1; i <= p.n; ++i) p.at(i) = z[static_cast<std::size_t>(i - 1) * k];
  return p;
}

const std::vector<float>& Profile() {
  static const std::vector<float> z = MeasuredProfile();
  return z;
}

void BM_BoeingBump(benchmark::State& state) {
  const PreparedProfile p = Decimated(Profile(), 10);
  NullProgress np;
  for (auto _ : state) {
    auto r = ComputeBoeingBumpSeries(p, np);
    benchmark::DoNotOptimize(r.BoeingIndex.data());
  }
  state.counters["samples"] = p.n;
}
BENCHMARK(BM_BoeingBump)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarmac
