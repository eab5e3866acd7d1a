#pragma once
// One aircraft run over the prepared profile: equilibrium at the start, the time history sample
// by sample, the dynamic coefficients of the gear forces, the sectioned and total RMS values,
// the 2000-ft stretch values, the response series of the plot levels and the chart rows. The
// texts made of them (level titles, the report, the log) are the workflow layer's.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/progress.h"
#include "profile/prepared_profile.h"

namespace tarmac {

struct SimulationInput {
  std::string aircraft_type = "B-727";  // "B-727", "B-747", "DC-9" or "DC-10"
  double speed_fps = 0.0;              // ft/s, ground speed
  double damping_ratio = 0.025;        // damping ratio of the first airframe mode
  int mode_count = 10;                 // 1..10
  double part_length_ft = 1000;        // ft, part length of the statistics
  double shortest_part_ft = 50;        // ft, shortest last part that is kept
};

// One response series as a plot level. values[k] is outer step k: [0] holds the steps taken
// before the cg reached the profile, [1..n] the profile samples, [n+1] and [n+2] the steps past
// its end (the gear series hold raw forces in lb there, dynamic coefficients on 1..n).
struct ResponseLevel {
  int level = 0;  // plot level 1..5
  std::vector<float> values;
};

// The stretch values as the run keeps them (single precision).
struct StretchValues {
  float first = 0, centre = 0, last = 0;
};

// The stretch values as StretchRMS computes them: double, like the shared stretch values of the
// indexes; the report writes them with all their digits.
struct StretchRMSValues {
  double first = 0, centre = 0, last = 0;
};

// A simulation row of the index chart (rows 6..10).
struct SimulationChartRow {
  int row = 0;
  std::vector<double> values;  // part values, formatted "0.0000" and read back
  double total = 0.0;          // whole-profile RMS of the series
};

struct SimulationResult {
  std::string aircraft_type;      // as given in the input
  bool has_rear_main = false;      // the B-747: a fifth series for the rear main gears
  std::int32_t sample_count = 0;
  double spacing_ft = 0.0;       // ft
  double speed_fps = 0.0;
  double time_step_s = 0.0;      // s, one outer step (one sample)
  std::int16_t inner_steps = 1;
  int equilibrium_iterations = 0;

  // Levels 1 (cg g), 2 (pilot g), 3 (nose dyn. coeff.), 4 (gear 2), 5 (gear 4, B-747 only),
  // in level order. The program draws them in the order 1, 2, 5, 3, 4.
  std::vector<ResponseLevel> levels;

  std::vector<float> static_gear_loads_lb;  // lb, per gear (gear 1 first)
  double weight_lb = 0.0;             // gross weight, lb

  double cg_min_g = 0, cg_max_g = 0, pilot_min_g = 0, pilot_max_g = 0;  // g
  float nose_min = 1, nose_max = 0, main_min = 1, main_max = 0, rear_min = 1,
        rear_max = 0;
  double cg_total_rms = 0, pilot_total_rms = 0;
  float nose_total_rms = 0, main_total_rms = 0, rear_total_rms = 0;

  // Parts kept (the short last part dropped); index i is part i + 1.
  std::int32_t part_count = 0;
  std::vector<double> part_lengths_ft;  // ft
  std::vector<double> cg_part_rms, pilot_part_rms;
  std::vector<float> nose_part_rms, main_part_rms, rear_part_rms;

  // Stretch values of the series cg, pilot, nose, main, rear main (the last only for the B-747).
  std::vector<StretchValues> stretch_values;
  // The same in double precision, as computed.
  std::vector<StretchRMSValues> stretch_rms;

  std::vector<SimulationChartRow> chart_rows;  // rows 6..9, or 6..10 for the B-747
};

// Runs the aircraft over the prepared profile (elevations in inches). Throws SimulationFailure
// (simulation_failure.h) when the run cannot be made or fails (no results then) and Cancelled
// when the person stops it.
SimulationResult RunSimulation(const PreparedProfile& profile, const SimulationInput& input,
                               Progress& progress);

// The outer step count: inner steps of at most 0.0025 s.
std::int16_t InnerStepCount(double simTimeStep);

// RMS of the first, central and last 2000 ft of series[1..n] (series[k] is sample k, k = 0..n);
// all three are 0 when the profile is shorter than 2000 ft.
StretchRMSValues StretchRMS(std::span<const float> series, std::int32_t n, double step);

}  // namespace tarmac
