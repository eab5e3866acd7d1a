// The B-747 taxiing at 20 knots over a 10 000-ft runway measured at 25 mm and prepared with
// decimation factor 10: about 12 000 outer steps of 10 inner steps each.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "common/progress.h"
#include "common/units.h"
#include "profile/prepare.h"
#include "simulation/simulation_run.h"

namespace {

constexpr double kSampleSpacingFt = 0.08202099737532809;

const tarmac::PreparedProfile& Runway() {
  static const tarmac::PreparedProfile prepared = [] {
    // Roughness as a few long and short swells with fixed-seed amplitudes and phases (inches).
    std::mt19937 rng(1997);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    struct Swell {
      double wavelength, amplitude, phase;
    };
    std::vector<Swell> swells;
    for (double wavelength : {400.0, 150.0, 60.0, 25.0, 10.0, 4.0}) {
      swells.push_back({wavelength, 0.05 * std::sqrt(wavelength) * (0.5 + unit(rng)),
                        2 * std::acos(-1.0) * unit(rng)});
    }
    const auto n = static_cast<std::size_t>(10000 / kSampleSpacingFt);
    std::vector<float> z(n);
    for (std::size_t i = 0; i < n; ++i) {
      const double x = static_cast<double>(i) * kSampleSpacingFt;
      double v = 0;
      for (const Swell& s : swells)
        v += s.amplitude * std::sin(2 * std::acos(-1.0) * x / s.wavelength + s.phase);
      z[i] = static_cast<float>(v);
    }
    return tarmac::PrepareIndexProfile(z, kSampleSpacingFt, 10, false, 0.0);
  }();
  return prepared;
}

void BM_SimulateB747Taxi(benchmark::State& state) {
  const auto& profile = Runway();
  tarmac::SimulationInput in;
  in.aircraft_type = "B-747";
  in.speed_fps = 20 * tarmac::kKnotsToFps;
  tarmac::NullProgress progress;
  for (auto _ : state) {
    auto r = tarmac::RunSimulation(profile, in, progress);
    benchmark::DoNotOptimize(r.cg_total_rms);
  }
  state.counters["samples"] = profile.n;
}
BENCHMARK(BM_SimulateB747Taxi)->Unit(benchmark::kMillisecond);

}  // namespace
