#pragma once
// Sectioned statistics of an index series: parts of the averaging distance with their mean and
// RMS, length-weighted totals, the first, centre and last 2000 ft, the values published for the
// main window, the index chart and the batch tables. The texts made of them (the value shown, the
// chart title, the report) are the workflow layer's (workflow/index_reports.h).
#include <cstdint>
#include <span>
#include <vector>

#include "common/units.h"

namespace tarmac {

// Plot levels of the indexes summarised here.
inline constexpr int kStraightedgeLevel = 1;
inline constexpr int kBoeingBumpLevel = 2;
inline constexpr int kBandpassLevel = 5;

// Length of the start, centre and end stretches, feet.
inline constexpr double kStretchLength = 2000.0;

// The three 2000-ft stretches of a series of n samples at spacing dx, in the program's sample
// numbering (1..n). `samples` = W = Int(2000 / dx) + 1. When W > n the stretches do not fit and
// `fits` is false (the stretch values are then zero). The centre stretch starts at
// Int((n - W) / 2), but never before sample 1.
struct Stretch2000 {
  std::int32_t samples = 0;       // W
  bool fits = false;              // W <= n
  std::int32_t first_start = 1;   // 1
  std::int32_t centre_start = 1;  // max(1, Int((n - W) / 2))
  std::int32_t last_start = 1;    // n - W + 1
};
Stretch2000 Stretch2000Bounds(std::int32_t n, double dx);

// One kept part of the averaging distance.
struct IndexPart {
  std::int32_t samples = 0;      // round(length / dx)
  double length_ft = 0.0;        // accumulated dx, feet
  float mean = 0.0f;             // in the index's own unit (inches, or none for the bump index)
  double rms = 0.0;              // standard deviation about the part mean, own unit
  double length_display = 0.0;   // length x LengthFactor
  float mean_display = 0.0f;     // mean x MmFactor (levels 1 and 5), else the mean; the part
                                 // mean is held in single precision, converted in place
  double rms_display = 0.0;      // likewise
};

// Everything the sectioning of one index series computes.
struct IndexSections {
  int level = 0;                 // 1, 2 or 5
  int chart_row = 0;             // 1, 2 or 4: the row of the section tables and the index chart
  std::int32_t count = 0;        // N, the samples of the series
  double spacing = 0.0;          // dx, feet
  double averaging_step = 0.0;   // A / 10, feet: the shortest part kept
  std::int32_t samples_per_part = 0;  // nA = round(A / dx)
  std::int32_t part_capacity = 0;     // round(N / nA + 4)

  std::vector<IndexPart> parts;  // the parts kept (a last part shorter than A / 10 is dropped)

  // Internal units (inches for levels 1 and 5); min and max cover every sample, both start at 0.
  double total_mean = 0.0;
  double total_rms = 0.0;
  double minimum = 0.0;
  double maximum = 0.0;
  double first2000 = 0.0;
  double center2000 = 0.0;
  double last2000 = 0.0;
  Stretch2000 stretches;

  // Display units (x MmFactor for levels 1 and 5); the 2000-ft values published are these.
  double display_spacing = 0.0;  // dx x LengthFactor
  double total_mean_display = 0.0;
  double total_rms_display = 0.0;
  double minimum_display = 0.0;
  double maximum_display = 0.0;
  double first2000_display = 0.0;
  double center2000_display = 0.0;
  double last2000_display = 0.0;

  // Published values.
  double shown_value = 0.0;        // total mean (levels 1, 2) or total RMS (level 5), display units
  std::int16_t index_part_count = 0;        // parts in the section tables
  std::vector<float> section_lengths;       // part lengths, display units, one decimal
  std::vector<float> section_indexes;       // part values of the chart row, four decimals
};

// Sections the series (sample i of the program at series[i-1]) of index level 1 (straightedge,
// inches), 2 (Boeing Bump Index, dimensionless) or 5 (band-pass, inches) at spacing dx ft with the
// averaging distance A ft. Throws std::invalid_argument for another level, a non-positive spacing
// or averaging distance, or an empty series.
IndexSections ComputeIndexSections(int level, std::span<const float> series, double dx,
                                   double averagingDistance, const Units& units);

}  // namespace tarmac
