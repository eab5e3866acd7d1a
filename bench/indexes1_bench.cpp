// Preparation, straightedge and band-pass index on a 10 000-ft profile at 25 mm spacing.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "indexes/bandpass.h"
#include "profile/prepare.h"
#include "indexes/sections.h"
#include "indexes/straightedge.h"

namespace {

constexpr double kDx = 0.08202099737532809;

// A runway-like profile: a fixed-seed sum of sines from 1 ft to 1000 ft wavelength, inches.
const std::vector<float>& Profile() {
  static const std::vector<float> z = [] {
    const auto n = static_cast<std::size_t>(10000.0 / kDx);
    std::mt19937 rng(2024);
    std::uniform_real_distribution<double> phase(0.0, 2 * std::numbers::pi);
    std::vector<double> wl, amp, ph;
    for (double w = 1.0; w <= 1000.0; w *= 1.3) {
      wl.push_back(w);
      amp.push_back(0.02 * w / 10.0);
      ph.push_back(phase(rng));
    }
    std::vector<float> out(n);
    for (std::size_t i = 0; i < n; ++i) {
      double v = 0.0;
      for (std::size_t k = 0; k < wl.size(); ++k)
        v += amp[k] * std::sin(2 * std::numbers::pi * i * kDx / wl[k] + ph[k]);
      out[i] = static_cast<float>(v);
    }
    return out;
  }();
  return z;
}

void BM_PrepareFactor6(benchmark::State& state) {
  const auto& z = Profile();
  for (auto _ : state) benchmark::DoNotOptimize(tarmac::PrepareIndexProfile(z, kDx, 6, true, 250.0));
}
BENCHMARK(BM_PrepareFactor6)->Unit(benchmark::kMillisecond);

void BM_Straightedge(benchmark::State& state) {
  const auto p = tarmac::PrepareIndexProfile(Profile(), kDx, 6, false, 250.0);
  const std::span<const float> z(p.data1(), static_cast<std::size_t>(p.n));
  for (auto _ : state)
    benchmark::DoNotOptimize(
        tarmac::ComputeStraightedge(z, 12.0, p.spacing, tarmac::StraightedgePosition::FullLength));
}
BENCHMARK(BM_Straightedge)->Unit(benchmark::kMillisecond);

void BM_Bandpass(benchmark::State& state) {
  const auto& z = Profile();
  for (auto _ : state) benchmark::DoNotOptimize(tarmac::ComputeBandpassIndex(z, kDx));
}
BENCHMARK(BM_Bandpass)->Unit(benchmark::kMillisecond);

// Both indexes as the main window runs them, preparation and sectioning included.
void BM_StraightedgeAndBandpassWithSections(benchmark::State& state) {
  const auto& z = Profile();
  const tarmac::Units us = tarmac::MakeUnits(false);
  for (auto _ : state) {
    const auto p = tarmac::PrepareIndexProfile(z, kDx, 6, false, 250.0);
    const std::span<const float> w(p.data1(), static_cast<std::size_t>(p.n));
    const auto se = tarmac::ComputeStraightedge(w, 12.0, p.spacing, tarmac::StraightedgePosition::FullLength);
    benchmark::DoNotOptimize(tarmac::ComputeIndexSections(1, se.deviation, p.spacing, 1000.0, us));
    const auto bp = tarmac::ComputeBandpassIndex(z, kDx);
    benchmark::DoNotOptimize(tarmac::ComputeIndexSections(5, bp.series, kDx, 1000.0, us));
  }
}
BENCHMARK(BM_StraightedgeAndBandpassWithSections)->Unit(benchmark::kMillisecond);

}  // namespace
