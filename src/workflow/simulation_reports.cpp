#include "workflow/simulation_reports.h"

#include <cstddef>
#include <cstdint>

#include "common/number_format.h"
#include "common/rounding.h"

namespace tarmac {
namespace {

std::size_t At(int i) { return static_cast<std::size_t>(i); }

std::string Knots(const SimulationResult& r) {
  return FormatNumber(r.speed_fps / kKnotsToFps, "0.0");
}

}  // namespace

std::string SimulationFailureTitle(const SimulationFailure& f) {
  switch (f.kind) {
    case SimulationFailureKind::ModesOutOfRange:
    case SimulationFailureKind::UnknownAircraft:
    case SimulationFailureKind::SpeedNotPositive:
    case SimulationFailureKind::EmptyProfile:
    case SimulationFailureKind::AveragingDistanceNotPositive:
    case SimulationFailureKind::SpeedTooLow:
    case SimulationFailureKind::GearBeyondMargins:
      return "Simulation";
    case SimulationFailureKind::GearOutsideProfile:
    case SimulationFailureKind::GearOffGround:
    case SimulationFailureKind::NoConvergence:
    case SimulationFailureKind::GearLeftProfile:
    case SimulationFailureKind::NotAdvancing:
    case SimulationFailureKind::NotFinite:
      break;
  }
  return kFatalErrorTitle;
}

std::string SimulationFailureText(const SimulationFailure& f) {
  const std::string gear = "Gear " + std::to_string(f.gear);
  switch (f.kind) {
    case SimulationFailureKind::ModesOutOfRange:
      return "The number of airframe modes must lie between 1 and 10.";
    case SimulationFailureKind::UnknownAircraft:
      return "Unknown aircraft type \"" + f.aircraft_type +
             "\": choose B-727, B-747, DC-9 or DC-10.";
    case SimulationFailureKind::SpeedNotPositive:
      return "The aircraft speed must be greater than zero.";
    case SimulationFailureKind::EmptyProfile:
      return "The prepared profile is empty: read a profile first.";
    case SimulationFailureKind::AveragingDistanceNotPositive:
      return "The averaging distance must be greater than zero.";
    case SimulationFailureKind::SpeedTooLow:
      return "The aircraft speed is too low for the simulation's time step.";
    case SimulationFailureKind::GearBeyondMargins:
      return gear + " of the " + f.aircraft_type + " lies " +
             FormatNumber(f.gear_offset_ft, "0.0") +
             " ft from the centre of gravity, beyond the margins of the prepared profile (" +
             FormatNumber(f.margin_ft, "0.0") + " ft). The simulation cannot be run.";
    case SimulationFailureKind::GearOutsideProfile:
      return gear + " stands outside the prepared profile. Cannot continue.";
    case SimulationFailureKind::GearOffGround:
      return "One or more tires are off the ground in Sub STARTSTRAIGHT. Cannot continue.";
    case SimulationFailureKind::NoConvergence:
      return "No Convergence to steady state after 250iterations in Sub STARTSTRAIGHT."
             "Cannot continue.";
    case SimulationFailureKind::GearLeftProfile:
      return gear + " of the " + f.aircraft_type +
             " has left the prepared profile (the aircraft motion is no longer bounded). "
             "Cannot continue.";
    case SimulationFailureKind::NotAdvancing:
      return "The aircraft no longer advances along the profile. Cannot continue.";
    case SimulationFailureKind::NotFinite:
      break;
  }
  return "The response of the " + f.aircraft_type +
         " is not a finite number: the profile holds values too large for the simulation. "
         "Nothing was shown or written.";
}

std::string ResponseLevelTitle(const SimulationResult& r, int level) {
  const std::string& type = r.aircraft_type;
  const std::string head = type + " (VUG=" + Knots(r) + " knots ), ";
  switch (level) {
    case 1: return head + "G cg";
    case 2: return head + "G cp";
    case 3: return head + "Dynamic coefficient of Nose Strut Force";
    case 4:
      return head + (r.has_rear_main ? "Dynamic coefficient of Front Main Strut Force"
                                   : "Dynamic coefficient of Main Strut Force");
    default: return type + ", Dynamic coefficient of Rear Main Strut Force";
  }
}

std::vector<std::string> SimulationReportLines(const SimulationResult& r,
                                               double sample_spacing_ft, const Units& u) {
  const double d = r.spacing_ft * u.LengthFactor;
  const std::int32_t n = r.sample_count;
  const bool rearMain = r.has_rear_main;
  std::vector<std::string> L;
  L.push_back("Aircraft type = " + r.aircraft_type);
  L.push_back("Aircraft speed = " + FormatNumber(r.speed_fps * u.LengthFactor, "0.0") +
              u.SpeedHeading + Knots(r) + " knots");
  L.push_back("Profile total length = " + FormatNumber(n * d, "#,##0.0") + u.LengthHeading);
  L.push_back("Profile start step length = " +
              FormatNumber(sample_spacing_ft * u.LengthFactor, "0.00000") + u.LengthHeading);
  L.push_back("Profile decimated step length for simulation = " + FormatNumber(d, "0.0000") +
              u.LengthHeading);
  L.push_back("Simulation step length = " + FormatNumber(r.time_step_s, "0.00000") + " seconds");
  L.push_back("GroundNInner = " + BareNumber(static_cast<double>(r.inner_steps)));
  L.push_back("Simulation inner step length = " +
              FormatNumber(r.time_step_s / r.inner_steps, "0.00000") + " seconds");
  // The accelerations are double, the dynamic coefficients single precision: each is written
  // with the digits its precision holds.
  const auto f4 = [](double v) { return FormatNumber(v, "0.0000"); };
  const auto f4s = [](float v) { return FormatNumber(v, "0.0000"); };
  L.push_back("Gcg min = " + f4(r.cg_min_g) + "  " + "Gcg max = " + f4(r.cg_max_g) + "  " +
              "Gcg TotalRMS = " + f4(r.cg_total_rms));
  L.push_back("Gcp min = " + f4(r.pilot_min_g) + "  " + "Gcp max = " + f4(r.pilot_max_g) + "  " +
              "Gcp TotalRMS = " + f4(r.pilot_total_rms));
  auto dynLine = [&](const char* label, float lo, float hi, float tot) {
    L.push_back(std::string(label) + f4s(lo) + "  " + " Max = " + f4s(hi) + "  " + " TotalRMS = " +
                f4s(tot));
  };
  dynLine("Nose Dynamic Coefficient Min = ", r.nose_min, r.nose_max, r.nose_total_rms);
  dynLine("Main Dynamic Coefficient Min = ", r.main_min, r.main_max, r.main_total_rms);
  if (rearMain)
    dynLine("MainRear Dynamic Coefficient Min = ", r.rear_min, r.rear_max, r.rear_total_rms);
  L.push_back(" ");
  L.push_back(std::string("GRMSpartI") + " " + "length(ft)" + "   " + "GcgRMSpart(g)" + "   " +
              "GcpRMSpart(g)" + "   " + "NoseDyn-Coeff." + "  " + "MainDyn-Coeff." + "  " +
              "MainRearDyn-Coeff.");
  for (std::int32_t p = 0; p < r.part_count; ++p) {
    const std::size_t i = At(p);
    std::string line = RightAlign(4, FormatNumber(static_cast<double>(i + 1), "0")) +
                       RightAlign(13, FormatNumber(r.part_lengths_ft[i], "#,##0.0"));
    line += RightAlign(16, f4(r.cg_part_rms[i]));
    line += RightAlign(16, f4(r.pilot_part_rms[i]));
    line += RightAlign(16, f4s(r.nose_part_rms[i]));
    line += RightAlign(16, f4s(r.main_part_rms[i]));
    if (rearMain) line += RightAlign(16, f4s(r.rear_part_rms[i]));
    L.push_back(line);
  }
  static constexpr const char* kStretchLabels[] = {"CG, Indexbegin = ", "CP, Indexbegin = ",
                                                   "Nose, Indexbegin = ", "Main, Indexbegin = ",
                                                   "MainRear, Indexbegin = "};
  for (std::size_t i = 0; i < r.stretch_rms.size() && i < std::size(kStretchLabels); ++i) {
    const StretchRMSValues& sv = r.stretch_rms[i];
    L.push_back(std::string(kStretchLabels[i]) + BareNumber(sv.first) + ", indexcenter = " +
                BareNumber(sv.centre) + ", indexlast = " + BareNumber(sv.last));
  }
  L.push_back("");
  return L;
}

std::vector<std::string> SimulationLogLines(const SimulationResult& r,
                                            std::string_view measurement_name,
                                            double sample_spacing_ft) {
  auto text = [](std::string_view s) { return "\"" + std::string(s) + "\""; };
  auto item = [&](std::string_view label, double v) { return text(label) + "," + GeneralNumber(v); };
  std::vector<std::string> L;
  L.push_back(text("Measurement Name = ") + "," + text(measurement_name));
  L.push_back(item("Aircraft speed, ft/s, knots = ", r.speed_fps) + "," +
              GeneralNumber(r.speed_fps / kKnotsToFps));
  L.push_back(item("Profile total length, ft = ", r.sample_count * r.spacing_ft));
  L.push_back(item("Profile start step length, ft = ", sample_spacing_ft));
  L.push_back(item("Profile decimated step length for simulation, ft = ", r.spacing_ft));
  L.push_back(item("Simulation step length, seconds = ", r.time_step_s));
  L.push_back(item("Simulation inner step length, seconds = ", r.time_step_s / r.inner_steps));
  L.push_back(item("Gcg min = ", r.cg_min_g));
  L.push_back(item("Gcg max = ", r.cg_max_g));
  L.push_back(item("Gcp min = ", r.pilot_min_g));
  L.push_back(item("Gcp max = ", r.pilot_max_g));
  L.push_back(text("GRMSpartI   length (ft)    GcgRMSpart (in)    GcpRMSpart (in)"));
  for (std::int32_t i = 0; i < r.part_count; ++i) {
    const auto s = At(i);
    L.push_back(GeneralNumber(static_cast<double>(i + 1)) + "," +
                GeneralNumber(static_cast<double>(Fix(r.part_lengths_ft[s]))) + "," +
                GeneralNumber(r.cg_part_rms[s]) + "," + GeneralNumber(r.pilot_part_rms[s]));
  }
  L.push_back("");
  return L;
}

std::string SimulationChartTitle(std::string_view graph_title, int row, double total) {
  if (row == 6 || row == 7)
    return std::string(graph_title) + ", RMS(Total Length) = " + FormatNumber(total, "0.0000");
  // The gear totals are single precision.
  return std::string(graph_title) + ",  RMS(Total Length) = " +
         FormatNumber(static_cast<float>(total), "#.0000");
}

}  // namespace tarmac
