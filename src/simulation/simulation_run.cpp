#include "simulation/simulation_run.h"

#include <cmath>
#include <initializer_list>
#include <limits>
#include <memory>
#include <span>
#include <string>

#include "common/number_format.h"
#include "common/rounding.h"
#include "simulation/aircraft.h"
#include "simulation/dynamics.h"
#include "simulation/equilibrium.h"
#include "simulation/simulation_failure.h"

namespace tarmac {
namespace {

// The longest inner step that keeps the tyre and strut dynamics stable.
constexpr double kMaxInnerStep = 0.0025;
// The cg starts this far (ft) before the first profile sample.
constexpr double kStartBehind = 1;

std::size_t At(int i) { return static_cast<std::size_t>(i); }

[[noreturn]] void Refuse(SimulationFailureKind kind, const std::string& aircraft_type) {
  throw SimulationFailure{kind, aircraft_type};
}

// Every gear reads the ground from one sample behind the cg's start to one sample past the end
// of the run; refuse an aircraft whose gears reach beyond the profile's margins.
void CheckMargins(const AircraftModel& a, const MarginSeries& z) {
  const double s = z.spacing;
  for (int g = 0; g < a.NumGears; ++g) {
    const double gx = a.GearX[At(g)];
    const double lo = std::floor((-kStartBehind + gx - s) / s);
    const double hi = std::floor(((z.n + 3) * s + gx + s) / s) + 2;
    if (lo < z.first() || hi > z.last()) {
      throw SimulationFailure{SimulationFailureKind::GearBeyondMargins, a.TypeName, g + 1,
                              std::fabs(gx), z.margin * s};
    }
  }
}

// True when every value is a finite number.
template <typename Values>
bool AllFinite(const Values& values) {
  for (const auto v : values)
    if (!std::isfinite(static_cast<double>(v))) return false;
  return true;
}

// A run whose responses or statistics are not finite numbers (an aircraft driven over values
// far beyond any pavement) has no results: nothing of it may be shown or written.
void RequireFiniteResults(const SimulationResult& r) {
  bool ok = AllFinite(std::initializer_list<double>{
      r.cg_min_g, r.cg_max_g, r.pilot_min_g, r.pilot_max_g, r.nose_min, r.nose_max, r.main_min,
      r.main_max, r.rear_min, r.rear_max, r.cg_total_rms, r.pilot_total_rms, r.nose_total_rms,
      r.main_total_rms, r.rear_total_rms});
  ok = ok && AllFinite(r.static_gear_loads_lb) && AllFinite(r.cg_part_rms) && AllFinite(r.pilot_part_rms) &&
       AllFinite(r.nose_part_rms) && AllFinite(r.main_part_rms) && AllFinite(r.rear_part_rms);
  for (const ResponseLevel& l : r.levels) {
    // Samples 1..n are the run's results; the steps before and after are only its run-in.
    ok = ok && AllFinite(std::span<const float>(l.values).subspan(1, At(r.sample_count)));
  }
  for (const StretchValues& v : r.stretch_values)
    ok = ok && AllFinite(std::initializer_list<float>{v.first, v.centre, v.last});
  if (!ok) throw SimulationFailure{SimulationFailureKind::NotFinite, r.aircraft_type};
}

// Squares of one series gathered per part.
struct PartSums {
  std::vector<double> wide;   // double-precision sums (accelerations)
  std::vector<float> narrow;  // single-precision sums (dynamic coefficients)
};

}  // namespace

std::int16_t InnerStepCount(double simTimeStep) {
  if (!(simTimeStep > kMaxInnerStep)) return 1;
  const double count = Int(simTimeStep / kMaxInnerStep) + 1.0;
  return RoundHalfEven16(count);
}

StretchRMSValues StretchRMS(std::span<const float> series, std::int32_t n, double step) {
  StretchRMSValues out;
  const std::int32_t W = Int(2000 / step) + 1;
  if (W > n) return out;
  // Sum of squares of W samples from `from` on, walking forward (+1) or backward (-1).
  auto rms = [&](std::int32_t from, std::int32_t direction) {
    double sum = 0;
    for (std::int32_t k = 0; k < W; ++k) {
      const double x = series[At(from + direction * k)];
      sum += x * x;
    }
    return std::sqrt(sum / W);
  };
  out.first = rms(1, 1);
  // The last stretch is gathered from the end of the profile backwards.
  out.last = rms(n, -1);
  // The centre stretch starts at sample 1 at the earliest: sample 0 gathers the steps before the
  // cg reached the profile.
  std::int32_t c = Int((n - W) / 2.0);
  if (c < 1) c = 1;
  out.centre = rms(c, 1);
  return out;
}

SimulationResult RunSimulation(const PreparedProfile& profile, const SimulationInput& in,
                               Progress& progress) {
  const std::string& type = in.aircraft_type;
  if (in.mode_count < 1 || in.mode_count > kMaxModes)
    Refuse(SimulationFailureKind::ModesOutOfRange, type);
  const auto loaded = LoadAircraft(type, in.mode_count, in.damping_ratio);
  if (!loaded) Refuse(SimulationFailureKind::UnknownAircraft, type);
  const auto model = std::make_shared<const AircraftModel>(std::move(*loaded));
  const AircraftModel& a = *model;
  if (!(in.speed_fps > 0) || !std::isfinite(in.speed_fps))
    Refuse(SimulationFailureKind::SpeedNotPositive, type);
  if (profile.n < 1 || !(profile.spacing > 0)) Refuse(SimulationFailureKind::EmptyProfile, type);
  if (!(in.part_length_ft > 0))
    Refuse(SimulationFailureKind::AveragingDistanceNotPositive, type);

  AircraftSimulator sim(model, GroundInFeet(profile));
  const MarginSeries& ground = sim.ground();
  CheckMargins(a, ground);

  const std::int32_t n = profile.n;
  const double spacing = profile.spacing;
  const bool rearMain = a.NumGears >= 5;

  SimulationResult r;
  r.aircraft_type = type;
  r.has_rear_main = rearMain;
  r.sample_count = n;
  r.spacing_ft = spacing;
  r.speed_fps = in.speed_fps;
  r.time_step_s = spacing / in.speed_fps;
  if (r.time_step_s / kMaxInnerStep >= std::numeric_limits<std::int16_t>::max())
    Refuse(SimulationFailureKind::SpeedTooLow, type);
  r.inner_steps = InnerStepCount(r.time_step_s);

  sim.body.BodyU = in.speed_fps;
  sim.control.AircraftSpeedFps = in.speed_fps;
  sim.control.SimTimeStep = r.time_step_s;
  sim.control.GroundNInner = r.inner_steps;
  sim.body.PositionX = -kStartBehind;
  FindStaticEquilibrium(sim, progress, r.equilibrium_iterations);

  r.static_gear_loads_lb.resize(At(a.NumGears));
  for (int g = 0; g < a.NumGears; ++g)
    r.static_gear_loads_lb[At(g)] = static_cast<float>(-sim.gear.GearForce[At(g)]);
  sim.ModalToStations();

  // Time history. Series index k is the outer step; all steps before the cg reaches the first
  // sample write index 0.
  const std::size_t length = At(n + 3);
  std::vector<float> gcg(length), gcp(length), nose(length), main(length), rear;
  if (rearMain) rear.assign(length, 0.0f);
  const int cg = CgStation(a), pilot = PilotStation(a);
  const double end = (n + 2) * spacing;
  const long long expected = (n + 3) + static_cast<long long>(std::ceil(kStartBehind / spacing));
  const long long reportEvery = expected / 100 > 0 ? expected / 100 : 1;
  const long long stepLimit = 2 * expected + 100;
  long long steps = 0;
  std::size_t k = 0;
  while (sim.body.PositionX <= end) {
    if (sim.body.PositionX > 0) ++k;
    if (k >= length) break;  // the aircraft has covered every sample the series can hold
    sim.SimulateStep();
    sim.ModalToStations();
    gcg[k] = static_cast<float>(sim.StationAccelG(cg));
    gcp[k] = static_cast<float>(sim.StationAccelG(pilot));
    nose[k] = static_cast<float>(-sim.gear.GearForce[0]);
    main[k] = static_cast<float>(-sim.gear.GearForce[1]);
    if (rearMain) rear[k] = static_cast<float>(-sim.gear.GearForce[3]);
    if (++steps % reportEvery == 0) {
      progress.step(steps, expected);
      if (progress.cancelled()) throw Cancelled{};
    }
    if (steps > stepLimit) Refuse(SimulationFailureKind::NotAdvancing, type);
  }
  progress.step(expected, expected);

  // Dynamic coefficients: the relative deviation of each gear force from its static load.
  auto toCoefficient = [&](std::vector<float>& series, float staticLoad) {
    for (std::int32_t i = 1; i <= n; ++i) {
      float& v = series[At(i)];
      v = static_cast<float>((static_cast<double>(v) - staticLoad) / staticLoad);
    }
  };
  toCoefficient(nose, r.static_gear_loads_lb[0]);
  toCoefficient(main, r.static_gear_loads_lb[1]);
  if (rearMain) toCoefficient(rear, r.static_gear_loads_lb[3]);

  // Statistics over the profile samples, part by part.
  const double A = in.part_length_ft;
  std::vector<double> gcgSum(1), gcpSum(1), partLength(1);
  std::vector<float> noseSum(1), mainSum(1), rearSum(1);
  std::size_t p = 0;  // current part (part p + 1)
  auto extremes = [](float x, auto& lo, auto& hi) {
    using T = std::remove_reference_t<decltype(lo)>;
    if (x < static_cast<float>(lo)) lo = static_cast<T>(x);
    if (x > static_cast<float>(hi)) hi = static_cast<T>(x);
  };
  auto addSingle = [](float& sum, float x) {
    sum = static_cast<float>(static_cast<double>(sum) + static_cast<double>(x) * x);
  };
  for (std::int32_t i = 1; i <= n; ++i) {
    const auto s = At(i);
    extremes(gcg[s], r.cg_min_g, r.cg_max_g);
    extremes(gcp[s], r.pilot_min_g, r.pilot_max_g);
    gcgSum[p] += static_cast<double>(gcg[s]) * gcg[s];
    gcpSum[p] += static_cast<double>(gcp[s]) * gcp[s];
    extremes(nose[s], r.nose_min, r.nose_max);
    extremes(main[s], r.main_min, r.main_max);
    addSingle(noseSum[p], nose[s]);
    addSingle(mainSum[p], main[s]);
    if (rearMain) {
      extremes(rear[s], r.rear_min, r.rear_max);
      addSingle(rearSum[p], rear[s]);
    }
    partLength[p] += spacing;
    if (partLength[p] > A) {
      ++p;
      for (auto* v : {&gcgSum, &gcpSum, &partLength}) v->push_back(0.0);
      for (auto* v : {&noseSum, &mainSum, &rearSum}) v->push_back(0.0f);
    }
  }
  // A short last part is dropped; its samples still count for the extremes.
  std::size_t kept = p + 1;
  if (partLength[p] < in.shortest_part_ft) kept = p;
  r.part_count = static_cast<std::int32_t>(kept);
  double lengthSum = 0, gcgWeighted = 0, gcpWeighted = 0, noseWeighted = 0, mainWeighted = 0,
         rearWeighted = 0;
  for (std::size_t i = 0; i < kept; ++i) {
    const double len = partLength[i];
    const double count = len / spacing;
    r.part_lengths_ft.push_back(len);
    r.cg_part_rms.push_back(std::sqrt(gcgSum[i] / count));
    r.pilot_part_rms.push_back(std::sqrt(gcpSum[i] / count));
    r.nose_part_rms.push_back(static_cast<float>(std::sqrt(noseSum[i] / count)));
    r.main_part_rms.push_back(static_cast<float>(std::sqrt(mainSum[i] / count)));
    if (rearMain) r.rear_part_rms.push_back(static_cast<float>(std::sqrt(rearSum[i] / count)));
    lengthSum += len;
  }
  for (std::size_t i = 0; i < kept; ++i) {
    const double len = r.part_lengths_ft[i];
    gcgWeighted += std::pow(r.cg_part_rms[i], 2) * len;
    gcpWeighted += std::pow(r.pilot_part_rms[i], 2) * len;
    noseWeighted += std::pow(static_cast<double>(r.nose_part_rms[i]), 2) * len;
    mainWeighted += std::pow(static_cast<double>(r.main_part_rms[i]), 2) * len;
    if (rearMain) rearWeighted += std::pow(static_cast<double>(r.rear_part_rms[i]), 2) * len;
  }
  // With no part kept (a profile shorter than the shortest part) every total is 0, not 0/0.
  auto total = [&](double weighted) {
    return lengthSum > 0 ? std::sqrt(weighted / lengthSum) : 0.0;
  };
  r.cg_total_rms = total(gcgWeighted);
  r.pilot_total_rms = total(gcpWeighted);
  r.nose_total_rms = static_cast<float>(total(noseWeighted));
  r.main_total_rms = static_cast<float>(total(mainWeighted));
  r.rear_total_rms = static_cast<float>(total(rearWeighted));

  // Plot levels 1..5 and chart rows 6..10.
  r.levels.push_back({1, gcg});
  r.levels.push_back({2, gcp});
  r.levels.push_back({3, nose});
  r.levels.push_back({4, main});
  if (rearMain) r.levels.push_back({5, rear});
  auto chartRow = [&](int row, auto const& parts, double totalValue) {
    SimulationChartRow c{row, {}, totalValue};
    for (std::size_t i = 0; i < kept; ++i)
      c.values.push_back(ValueOfText(FormatNumber(parts[i], "0.0000")));  // single or double
    r.chart_rows.push_back(std::move(c));
  };
  chartRow(6, r.cg_part_rms, r.cg_total_rms);
  chartRow(7, r.pilot_part_rms, r.pilot_total_rms);
  chartRow(8, r.nose_part_rms, r.nose_total_rms);
  chartRow(9, r.main_part_rms, r.main_total_rms);
  if (rearMain) chartRow(10, r.rear_part_rms, r.rear_total_rms);

  r.weight_lb = a.Weight;

  // Stretch values of every series, in level order.
  for (const ResponseLevel& level : r.levels) {
    const StretchRMSValues sv = StretchRMS(level.values, n, spacing);
    r.stretch_rms.push_back(sv);
    r.stretch_values.push_back({static_cast<float>(sv.first), static_cast<float>(sv.centre),
                                  static_cast<float>(sv.last)});
  }
  RequireFiniteResults(r);
  return r;
}

}  // namespace tarmac
