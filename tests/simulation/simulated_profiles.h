#pragma once
// Prepared profiles made of level ground and 1-cosine bumps, and a simulation over them: what the
// simulation tests and the simulation report tests drive the aircraft over.
#include <cmath>
#include <functional>

#include "common/progress.h"
#include "common/rounding.h"
#include "common/units.h"
#include "profile/prepared_profile.h"
#include "simulation/simulation_run.h"

namespace tarmac::testing {

constexpr double kSimDx = 0.820209973753;  // ft: ten times the 25-mm sample spacing

// A prepared profile of n samples at kSimDx with the 250-ft zero margins, elevations in inches.
inline PreparedProfile MakeSimProfile(int n, const std::function<float(double)>& inches) {
  PreparedProfile p;
  p.n = n, p.spacing = kSimDx;
  p.margin = RoundHalfEven(250 / kSimDx);
  p.z.assign(static_cast<std::size_t>(n + 2 * p.margin + 3), 0.0f);
  for (int i = 1; i <= n; ++i) p.at(i) = inches((i - 1) * kSimDx);
  return p;
}

inline SimulationInput SimInput(const char* type, double knots) {
  SimulationInput in;
  in.aircraft_type = type, in.speed_fps = knots * kKnotsToFps;
  return in;
}

// A 1-cosine bump of the given height (in) and length (ft) starting at x0 (ft).
inline std::function<float(double)> CosineBump(double x0, double length, double height) {
  return [=](double x) {
    return x < x0 || x > x0 + length
               ? 0.0f
               : static_cast<float>(height / 2 *
                                    (1 - std::cos(2 * std::acos(-1.0) * (x - x0) / length)));
  };
}

inline SimulationResult Simulate(const PreparedProfile& p, const SimulationInput& in) {
  NullProgress progress;
  return RunSimulation(p, in, progress);
}

}  // namespace tarmac::testing
