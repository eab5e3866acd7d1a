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

constexpr const char* kRefusedTitle = "Simulation";
// The longest inner step that keeps the tyre and strut dynamics stable.
constexpr double kMaxInnerStep = 0.0025;
// The cg starts this far (ft) before the first profile sample.
constexpr double kStartBehind = 1;

std::size_t At(int i) { return static_cast<std::size_t>(i); }

[[noreturn]] void Refuse(const std::string& text) { throw SimulationFailure{kRefusedTitle, text}; }

// Every gear reads the ground from one sample behind the cg's start to one sample past the end
// of the run; refuse an aircraft whose gears reach beyond the profile's margins.
void CheckMargins(const AircraftModel& a, const MarginSeries& z) {
  const double s = z.spacing;
  for (int g = 0; g < a.NumGears; ++g) {
    const double gx = a.GearX[At(g)];
    const double lo = std::floor((-kStartBehind + gx - s) / s);
    const double hi = std::floor(((z.n + 3) * s + gx + s) / s) + 2;
    if (lo < z.first() || hi > z.last()) {
      Refuse("Gear " + std::to_string(g + 1) + " of the " + a.TypeName + " lies " +
             FormatNumber(std::fabs(gx), "0.0") +
             " ft from the centre of gravity, beyond the margins of the prepared profile (" +
             FormatNumber(z.margin * s, "0.0") + " ft). The simulation cannot be run.");
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
      r.GcgMin, r.GcgMax, r.GcpMin, r.GcpMax, r.NoseDynMin, r.NoseDynMax, r.MainDynMin,
      r.MainDynMax, r.RearDynMin, r.RearDynMax, r.GcgTotalRMS, r.GcpTotalRMS, r.NoseDynTotalRMS,
      r.MainDynTotalRMS, r.RearDynTotalRMS});
  ok = ok && AllFinite(r.StaticGearLoad) && AllFinite(r.GcgRMSpart) && AllFinite(r.GcpRMSpart) &&
       AllFinite(r.NoseDynRMSpart) && AllFinite(r.MainDynRMSpart) && AllFinite(r.RearDynRMSpart);
  for (const ResponseLevel& l : r.levels) {
    // Samples 1..n are the run's results; the steps before and after are only its run-in.
    ok = ok && AllFinite(std::span<const float>(l.values).subspan(1, At(r.SimNPoints)));
  }
  for (const StretchValues& v : r.SimStretchValues)
    ok = ok && AllFinite(std::initializer_list<float>{v.first, v.centre, v.last});
  if (!ok)
    throw SimulationFailure{kFatalErrorTitle,
                            "The response of the " + r.AircraftType +
                                " is not a finite number: the profile holds values too large "
                                "for the simulation. Nothing was shown or written."};
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
  if (in.NumberOfModes < 1 || in.NumberOfModes > kMaxModes)
    Refuse("The number of airframe modes must lie between 1 and 10.");
  const auto loaded = LoadAircraft(in.AircraftType, in.NumberOfModes, in.DampingFactor);
  if (!loaded)
    Refuse("Unknown aircraft type \"" + in.AircraftType +
           "\": choose B-727, B-747, DC-9 or DC-10.");
  const auto model = std::make_shared<const AircraftModel>(std::move(*loaded));
  const AircraftModel& a = *model;
  if (!(in.AircraftSpeedFps > 0) || !std::isfinite(in.AircraftSpeedFps))
    Refuse("The aircraft speed must be greater than zero.");
  if (profile.n < 1 || !(profile.spacing > 0))
    Refuse("The prepared profile is empty: read a profile first.");
  if (!(in.AveragingDistance > 0)) Refuse("The averaging distance must be greater than zero.");

  AircraftSimulator sim(model, GroundInFeet(profile));
  const MarginSeries& ground = sim.ground();
  CheckMargins(a, ground);

  const std::int32_t n = profile.n;
  const double spacing = profile.spacing;
  const bool rearMain = a.NumGears >= 5;

  SimulationResult r;
  r.AircraftType = in.AircraftType;
  r.HasRearMain = rearMain;
  r.SimNPoints = n;
  r.SimSpacing = spacing;
  r.AircraftSpeedFps = in.AircraftSpeedFps;
  r.SimTimeStep = spacing / in.AircraftSpeedFps;
  if (r.SimTimeStep / kMaxInnerStep >= std::numeric_limits<std::int16_t>::max())
    Refuse("The aircraft speed is too low for the simulation's time step.");
  r.GroundNInner = InnerStepCount(r.SimTimeStep);

  sim.body.BodyU = in.AircraftSpeedFps;
  sim.control.AircraftSpeedFps = in.AircraftSpeedFps;
  sim.control.SimTimeStep = r.SimTimeStep;
  sim.control.GroundNInner = r.GroundNInner;
  sim.body.PositionX = -kStartBehind;
  FindStaticEquilibrium(sim, progress, r.equilibriumIterations);

  r.StaticGearLoad.resize(At(a.NumGears));
  for (int g = 0; g < a.NumGears; ++g)
    r.StaticGearLoad[At(g)] = static_cast<float>(-sim.gear.GearForce[At(g)]);
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
    if (steps > stepLimit)
      throw SimulationFailure{kFatalErrorTitle,
                              "The aircraft no longer advances along the profile. Cannot continue."};
  }
  progress.step(expected, expected);

  // Dynamic coefficients: the relative deviation of each gear force from its static load.
  auto toCoefficient = [&](std::vector<float>& series, float staticLoad) {
    for (std::int32_t i = 1; i <= n; ++i) {
      float& v = series[At(i)];
      v = static_cast<float>((static_cast<double>(v) - staticLoad) / staticLoad);
    }
  };
  toCoefficient(nose, r.StaticGearLoad[0]);
  toCoefficient(main, r.StaticGearLoad[1]);
  if (rearMain) toCoefficient(rear, r.StaticGearLoad[3]);

  // Statistics over the profile samples, part by part.
  const double A = in.AveragingDistance;
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
    extremes(gcg[s], r.GcgMin, r.GcgMax);
    extremes(gcp[s], r.GcpMin, r.GcpMax);
    gcgSum[p] += static_cast<double>(gcg[s]) * gcg[s];
    gcpSum[p] += static_cast<double>(gcp[s]) * gcp[s];
    extremes(nose[s], r.NoseDynMin, r.NoseDynMax);
    extremes(main[s], r.MainDynMin, r.MainDynMax);
    addSingle(noseSum[p], nose[s]);
    addSingle(mainSum[p], main[s]);
    if (rearMain) {
      extremes(rear[s], r.RearDynMin, r.RearDynMax);
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
  if (partLength[p] < in.AveragingStep) kept = p;
  r.SimPartCount = static_cast<std::int32_t>(kept);
  double lengthSum = 0, gcgWeighted = 0, gcpWeighted = 0, noseWeighted = 0, mainWeighted = 0,
         rearWeighted = 0;
  for (std::size_t i = 0; i < kept; ++i) {
    const double len = partLength[i];
    const double count = len / spacing;
    r.SimPartLength.push_back(len);
    r.GcgRMSpart.push_back(std::sqrt(gcgSum[i] / count));
    r.GcpRMSpart.push_back(std::sqrt(gcpSum[i] / count));
    r.NoseDynRMSpart.push_back(static_cast<float>(std::sqrt(noseSum[i] / count)));
    r.MainDynRMSpart.push_back(static_cast<float>(std::sqrt(mainSum[i] / count)));
    if (rearMain) r.RearDynRMSpart.push_back(static_cast<float>(std::sqrt(rearSum[i] / count)));
    lengthSum += len;
  }
  for (std::size_t i = 0; i < kept; ++i) {
    const double len = r.SimPartLength[i];
    gcgWeighted += std::pow(r.GcgRMSpart[i], 2) * len;
    gcpWeighted += std::pow(r.GcpRMSpart[i], 2) * len;
    noseWeighted += std::pow(static_cast<double>(r.NoseDynRMSpart[i]), 2) * len;
    mainWeighted += std::pow(static_cast<double>(r.MainDynRMSpart[i]), 2) * len;
    if (rearMain) rearWeighted += std::pow(static_cast<double>(r.RearDynRMSpart[i]), 2) * len;
  }
  // With no part kept (a profile shorter than the shortest part) every total is 0, not 0/0.
  auto total = [&](double weighted) {
    return lengthSum > 0 ? std::sqrt(weighted / lengthSum) : 0.0;
  };
  r.GcgTotalRMS = total(gcgWeighted);
  r.GcpTotalRMS = total(gcpWeighted);
  r.NoseDynTotalRMS = static_cast<float>(total(noseWeighted));
  r.MainDynTotalRMS = static_cast<float>(total(mainWeighted));
  r.RearDynTotalRMS = static_cast<float>(total(rearWeighted));

  // Plot levels.
  const Units& u = in.units;
  const double d = spacing * u.LengthFactor;
  const std::string knots = FormatNumber(in.AircraftSpeedFps / kKnotsToFps, "0.0");
  const std::string& type = in.AircraftType;
  const std::string head = type + " (VUG=" + knots + " knots ), ";
  r.levels.push_back({1, type, head + "G cg", gcg});
  r.levels.push_back({2, type, head + "G cp", gcp});
  r.levels.push_back({3, type, head + "Dynamic coefficient of Nose Strut Force", nose});
  r.levels.push_back({4, type,
                      head + (rearMain ? "Dynamic coefficient of Front Main Strut Force"
                                       : "Dynamic coefficient of Main Strut Force"),
                      main});
  if (rearMain)
    r.levels.push_back({5, type, type + ", Dynamic coefficient of Rear Main Strut Force", rear});

  // Chart rows 6..10.
  auto chartRow = [&](int row, std::string axis, auto const& parts, double totalValue) {
    SimulationChartRow c{row, std::move(axis), {}, totalValue};
    for (std::size_t i = 0; i < kept; ++i)
      c.values.push_back(ValueOfText(FormatNumber(parts[i], "0.0000")));  // single or double
    r.chartRows.push_back(std::move(c));
  };
  chartRow(6, type + " CG rms Acceleration, G", r.GcgRMSpart, r.GcgTotalRMS);
  chartRow(7, type + " Cockpit rms Acceleration, G", r.GcpRMSpart, r.GcpTotalRMS);
  chartRow(8, type + " Nose Gear Dyn-coeff", r.NoseDynRMSpart, r.NoseDynTotalRMS);
  chartRow(9, type + (rearMain ? " Front Main Gear Dyn-coeff" : " Main Gear Dyn-coeff"),
           r.MainDynRMSpart, r.MainDynTotalRMS);
  if (rearMain) chartRow(10, type + " Rear Main Gear Dyn-coeff", r.RearDynRMSpart, r.RearDynTotalRMS);

  r.Weight = a.Weight * u.MassFactor;

  // Report block.
  auto& L = r.reportLines;
  L.push_back("Aircraft type = " + type);
  L.push_back("Aircraft speed = " + FormatNumber(in.AircraftSpeedFps * u.LengthFactor, "0.0") +
              u.SpeedHeading + knots + " knots");
  L.push_back("Profile total length = " + FormatNumber(n * d, "#,##0.0") + u.LengthHeading);
  L.push_back("Profile start step length = " +
              FormatNumber(in.SampleSpacing * u.LengthFactor, "0.00000") + u.LengthHeading);
  L.push_back("Profile decimated step length for simulation = " + FormatNumber(d, "0.0000") +
              u.LengthHeading);
  L.push_back("Simulation step length = " + FormatNumber(r.SimTimeStep, "0.00000") + " seconds");
  L.push_back("GroundNInner = " + BareNumber(static_cast<double>(r.GroundNInner)));
  L.push_back("Simulation inner step length = " +
              FormatNumber(r.SimTimeStep / r.GroundNInner, "0.00000") + " seconds");
  // The accelerations are double, the dynamic coefficients single precision: each is written
  // with the digits its precision holds.
  const auto f4 = [](double v) { return FormatNumber(v, "0.0000"); };
  const auto f4s = [](float v) { return FormatNumber(v, "0.0000"); };
  L.push_back("Gcg min = " + f4(r.GcgMin) + "  " + "Gcg max = " + f4(r.GcgMax) + "  " +
              "Gcg TotalRMS = " + f4(r.GcgTotalRMS));
  L.push_back("Gcp min = " + f4(r.GcpMin) + "  " + "Gcp max = " + f4(r.GcpMax) + "  " +
              "Gcp TotalRMS = " + f4(r.GcpTotalRMS));
  auto dynLine = [&](const char* label, float lo, float hi, float tot) {
    L.push_back(std::string(label) + f4s(lo) + "  " + " Max = " + f4s(hi) + "  " + " TotalRMS = " +
                f4s(tot));
  };
  dynLine("Nose Dynamic Coefficient Min = ", r.NoseDynMin, r.NoseDynMax, r.NoseDynTotalRMS);
  dynLine("Main Dynamic Coefficient Min = ", r.MainDynMin, r.MainDynMax, r.MainDynTotalRMS);
  if (rearMain)
    dynLine("MainRear Dynamic Coefficient Min = ", r.RearDynMin, r.RearDynMax, r.RearDynTotalRMS);
  L.push_back(" ");
  L.push_back(std::string("GRMSpartI") + " " + "length(ft)" + "   " + "GcgRMSpart(g)" + "   " +
              "GcpRMSpart(g)" + "   " + "NoseDyn-Coeff." + "  " + "MainDyn-Coeff." + "  " +
              "MainRearDyn-Coeff.");
  for (std::size_t i = 0; i < kept; ++i) {
    std::string line = RightAlign(4, FormatNumber(static_cast<double>(i + 1), "0")) +
                       RightAlign(13, FormatNumber(r.SimPartLength[i], "#,##0.0"));
    line += RightAlign(16, f4(r.GcgRMSpart[i]));
    line += RightAlign(16, f4(r.GcpRMSpart[i]));
    line += RightAlign(16, f4s(r.NoseDynRMSpart[i]));
    line += RightAlign(16, f4s(r.MainDynRMSpart[i]));
    if (rearMain) line += RightAlign(16, f4s(r.RearDynRMSpart[i]));
    L.push_back(line);
  }

  // Stretch values.
  static constexpr const char* kStretchLabels[] = {"CG, Indexbegin = ", "CP, Indexbegin = ",
                                                   "Nose, Indexbegin = ", "Main, Indexbegin = ",
                                                   "MainRear, Indexbegin = "};
  for (std::size_t i = 0; i < r.levels.size(); ++i) {
    const StretchRMSValues sv = StretchRMS(r.levels[i].values, n, spacing);
    r.SimStretchValues.push_back({static_cast<float>(sv.first), static_cast<float>(sv.centre),
                                  static_cast<float>(sv.last)});
    L.push_back(std::string(kStretchLabels[i]) + BareNumber(sv.first) + ", indexcenter = " +
                BareNumber(sv.centre) + ", indexlast = " + BareNumber(sv.last));
  }
  L.push_back("");
  RequireFiniteResults(r);
  return r;
}

std::vector<std::string> WriteLogDataLines(const SimulationResult& r,
                                           std::string_view measurementName,
                                           double sampleSpacing) {
  auto text = [](std::string_view s) { return "\"" + std::string(s) + "\""; };
  auto item = [&](std::string_view label, double v) { return text(label) + "," + GeneralNumber(v); };
  std::vector<std::string> L;
  L.push_back(text("Measurement Name = ") + "," + text(measurementName));
  L.push_back(item("Aircraft speed, ft/s, knots = ", r.AircraftSpeedFps) + "," +
              GeneralNumber(r.AircraftSpeedFps / kKnotsToFps));
  L.push_back(item("Profile total length, ft = ", r.SimNPoints * r.SimSpacing));
  L.push_back(item("Profile start step length, ft = ", sampleSpacing));
  L.push_back(item("Profile decimated step length for simulation, ft = ", r.SimSpacing));
  L.push_back(item("Simulation step length, seconds = ", r.SimTimeStep));
  L.push_back(item("Simulation inner step length, seconds = ", r.SimTimeStep / r.GroundNInner));
  L.push_back(item("Gcg min = ", r.GcgMin));
  L.push_back(item("Gcg max = ", r.GcgMax));
  L.push_back(item("Gcp min = ", r.GcpMin));
  L.push_back(item("Gcp max = ", r.GcpMax));
  L.push_back(text("GRMSpartI   length (ft)    GcgRMSpart (in)    GcpRMSpart (in)"));
  for (std::int32_t i = 0; i < r.SimPartCount; ++i) {
    const auto s = At(i);
    L.push_back(GeneralNumber(static_cast<double>(i + 1)) + "," +
                GeneralNumber(static_cast<double>(Fix(r.SimPartLength[s]))) + "," +
                GeneralNumber(r.GcgRMSpart[s]) + "," + GeneralNumber(r.GcpRMSpart[s]));
  }
  L.push_back("");
  return L;
}

std::string SimulationChartTitle(std::string_view graphTitle, int row, double total) {
  if (row == 6 || row == 7)
    return std::string(graphTitle) + ", RMS(Total Length) = " + FormatNumber(total, "0.0000");
  // The gear totals are single precision.
  return std::string(graphTitle) + ",  RMS(Total Length) = " +
         FormatNumber(static_cast<float>(total), "#.0000");
}

}  // namespace tarmac
