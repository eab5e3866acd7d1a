// Bump index, IRI and profilograph index on a 10 000-ft runway profile measured at 25 mm.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "common/progress.h"
#include "common/units.h"
#include "indexes/bump_index.h"
#include "indexes/iri.h"
#include "profile/prepare.h"
#include "indexes/profilograph.h"

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

PreparedProfile Prepared(const std::vector<float>& z, int k) {
  return PrepareIndexProfile(z, kMeasuredSpacing, k, false, 0.0);
}

const std::vector<float>& Profile() {
  static const std::vector<float> z = MeasuredProfile();
  return z;
}

void BM_BoeingBump(benchmark::State& state) {
  const PreparedProfile p = Prepared(Profile(), 10);
  NullProgress np;
  for (auto _ : state) {
    auto r = ComputeBoeingBumpSeries(p, np);
    benchmark::DoNotOptimize(r.index.data());
  }
  state.counters["samples"] = p.n;
}
BENCHMARK(BM_BoeingBump)->Unit(benchmark::kMillisecond);

void BM_Iri(benchmark::State& state) {
  const PreparedProfile p = Prepared(Profile(), 6);
  const Units units = MakeUnits(false);
  NullProgress np;
  for (auto _ : state) {
    auto r = ComputeIRI(p, 1000.0, units, np);
    benchmark::DoNotOptimize(r.slope.data());
  }
  state.counters["samples"] = p.n;
}
BENCHMARK(BM_Iri)->Unit(benchmark::kMillisecond);

void BM_CaProfilograph(benchmark::State& state) {
  const PreparedProfile p = Prepared(Profile(), 6);
  const Units units = MakeUnits(false);
  NullProgress np;
  for (auto _ : state) {
    auto r = ComputeCAProfilograph(p, 500.0, units, np);
    benchmark::DoNotOptimize(r.trace.data());
  }
  state.counters["samples"] = p.n;
}
BENCHMARK(BM_CaProfilograph)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarmac
