#pragma once
// The summary of a batch run: one row per profile with its length, spacing, the five index
// values and their three 2000-ft stretches, the largest Boeing Bump Index and where it lies, and
// per aircraft and speed the cg and pilot accelerations and the largest dynamic load
// coefficient; a last row names the profiles that failed and why. Written beside the report
// documents as a spreadsheet (Summary.xlsx) and as comma-separated text (Summary.csv) with the
// same cells.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "common/units.h"

namespace tarmac {

inline constexpr const char* kSummaryBaseName = "Summary";

// One aircraft at one speed over one profile.
struct SummarySimulation {
  std::string aircraft;  // "B-727"
  double knots = 0;
  double cg_peak_g = 0, cg_rms_g = 0;        // largest absolute value, whole-profile RMS
  double pilot_peak_g = 0, pilot_rms_g = 0;
  double largest_load_coefficient = 0;  // the largest of the gears' dynamic load coefficients
  // The stretches beyond their limits of all its responses (accelerations and gear loads); the
  // run passes when there is none.
  int stretches_beyond_limits = 0;
};

// One kind of index stretch judged against its limit ("Straightedge deviation").
struct SummaryLimit {
  std::string kind;
  int stretches = 0;  // beyond the limit; the profile passes the kind when there is none
};

struct SummaryRow {
  std::string file;  // the profile's name as chosen, without its folder
  double length = 0, spacing = 0;  // display length unit
  // By the main window's option order: straightedge, Boeing Bump, IRI, CA profilograph,
  // band-pass; display units. An index that did not run is left empty.
  std::array<std::optional<double>, 5> value{};
  std::array<std::array<double, 3>, 5> stretch{};  // first, centre, last 2000 ft
  double bump_max = 0;
  double bump_at = 0;  // display length unit from the start of the profile
  std::vector<SummarySimulation> simulations;
  std::vector<SummaryLimit> limits;  // the index kinds judged, in the order of the lists
};

struct BatchSummaryTable {
  Units units;
  std::vector<SummaryRow> rows;                // processed profiles in input order
  std::vector<std::string> failed;             // "RW09.dat (wrong extension)"
};

// The cells of the summary: the heading row, the profiles' rows, then the failed row when there
// is one. Empty strings are empty cells; numbers are kept as numbers.
struct SummaryCell {
  std::string text;
  std::optional<double> number;
};
std::vector<std::vector<SummaryCell>> SummaryCells(const BatchSummaryTable& table);

// The comma-separated text of the cells: texts quoted where they hold a comma or a quote,
// numbers with up to 10 significant digits.
std::string SummaryCsv(const std::vector<std::vector<SummaryCell>>& cells);

// Writes Summary.xlsx and Summary.csv into `folder`, each replaced atomically. A file that
// cannot be written is noted among the output failures; false then.
bool WriteBatchSummary(const std::string& folder, const BatchSummaryTable& table);

}  // namespace tarmac
