#pragma once
// The state the whole program shares: plot levels, the analysis profile, the prepared profile,
// the settings, the units record, the result flags and the section tables. One instance per
// Session; the numerical core never sees it, the Session publishes results into it.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/units.h"
#include "indexes/bump_index.h"
#include "indexes/iri.h"
#include "profile/prepared_profile.h"
#include "indexes/straightedge.h"
#include "simulation/simulation_run.h"
#include "workflow/exceedances.h"
#include "workflow/settings.h"

namespace tarmac {

inline constexpr int kLevelCount = 7;   // levels 0..6
inline constexpr int kPanelCount = 6;   // plot panels show levels 0..5
inline constexpr int kChartRows = 11;   // chart rows 0..10

// One plotted series. Values are held in internal units; the step is always in feet (the plot
// converts to display units), so a click turns into the same sample in either unit system.
struct PlotLevel {
  std::vector<float> data;  // `LevelData`: [0] is sample 1
  double step_ft = 0.0;     // `LevelStep`, feet
  std::string kind;         // `LevelKind`
  std::string title;        // `LevelTitle`
  std::string drawn_title;  // the title the plot was last drawn with
  std::int16_t zoomed = 0;  // `LevelZoomed`
  // Plot state of the last drawing: distance range in hundreds of display length units and
  // value range in display units (`PlotXStart`, `PlotXEnd`, `PlotYMin`, `PlotYMax`).
  float plot_x_start = 0, plot_x_end = 0, plot_y_min = 0, plot_y_max = 0;
  std::int32_t shown_first = 0, shown_last = 0;  // sample range of the last drawing (1-based)
  double shown_factor = 1.0;  // display factor the values were drawn with
  std::string shown_unit;     // unit of the drawn values ("cm", "g", ...; empty for a pure number)

  std::int32_t npoints() const { return static_cast<std::int32_t>(data.size()); }  // `LevelNPoints`
};

// Index values by section, read by the index chart, the index file and the batch report.
struct SectionTables {
  std::int16_t section_count = 0;
  std::vector<float> values;  // `SectionIndexes`(part 0..section_count, row 0..10), row-major
  std::array<std::int16_t, kChartRows> part_count{};
  std::array<std::string, kChartRows> chart_title{};
  std::vector<float> section_lengths;  // `section_lengths`(1..parts) as [0..parts-1], display units
  double first_stretch = 0, centre_stretch = 0, last_stretch = 0;

  float& at(int part, int row) { return values.at(static_cast<std::size_t>(part) * kChartRows + row); }
  float at(int part, int row) const {
    return values.at(static_cast<std::size_t>(part) * kChartRows + row);
  }
  // `SizeSectionTable`: room for the sections of either kind of a profile of n samples.
  void Size(std::int32_t n, const Settings& s);
  void Clear() { values.assign(values.size(), 0.0f); }
};

struct ResultFlags {
  bool straightedge_done = false, bump_done = false, iri_done = false, profilograph_done = false,
       bandpass_done = false, simulation_done = false;
};

// Copies kept so that the repair and the new-length commands can be undone.
struct UndoCopies {
  bool repair_saved = false;
  std::vector<float> repair_profile;  // the whole profile before the last repair
  std::vector<std::vector<float>> new_length_stack;  // profiles before each cut, newest last
  std::string repair_kind, repair_title;  // level 0's kind and title before the last repair
  // `UncutProfile`: the profile when the first cut in force was made, and the cuts as
  // (first, last) samples relative to the profile before each cut; entry 0 is (1, uncut length).
  std::vector<float> uncut_profile;
  std::vector<std::array<std::int32_t, 2>> cuts;
  int CutsInForce() const { return cuts.empty() ? 0 : static_cast<int>(cuts.size()) - 1; }
  void Clear() { *this = UndoCopies{}; }
};

struct ProfileModel {
  Settings settings;
  Units units = MakeUnits(false);

  std::array<PlotLevel, kLevelCount> levels;
  std::vector<float> profile;  // the analysis profile, inches; [0] is sample 1
  PreparedProfile prepared;     // `SimProfileZ`, `SimNPoints`, `SimSpacing`

  std::string data_file;  // full path of the profile last chosen; empty before the first
  std::string results_file;   // folder of data_file + "Results.txt"
  std::string graph_title;    // kind of level 0, two blanks, the profile name
  std::string profile_name;   // file name without its extension, upper case
  std::string caption = "Profile and Roughness Indexes";
  bool batch_mode = false;

  std::array<std::string, kPanelCount> index_text;  // the index value boxes
  std::array<double, kPanelCount> index_value{};  // the same values unrounded, display units
  ResultFlags flags;
  std::int16_t charts_saved = 0;
  SectionTables sections;

  // Recorded extremes of the last drawings, display units (read by the batch report).
  float plotted_profile_max = 0, plotted_profile_min = 0, plotted_speed_max = 0;

  UndoCopies undo;

  // Results of the last run of each index on this profile (kept for the distributions, the
  // straightedge display and the JSON output).
  StraightedgeResult straightedge;
  PreparedProfile straightedge_input;  // the prepared profile the straightedge worked on
  BoeingBumpSeries bump;
  PreparedProfile bump_input;
  IriResult iri;
  std::vector<float> bandpass;  // band-pass output, inches
  std::vector<float> profilograph_sections;        // profilograph index by section, display units
  std::vector<float> profilograph_section_lengths;  // their lengths, display units
  std::array<bool, kChartRows> chart_row_enabled{};  // index chart options made available

  // --- Simulation results (the simulation commands) ---
  // The last run's statistics, part table (`SimPartLength`, `GcgRMSpart`, ...), stretch values,
  // static gear loads, `Weight` in display mass units and report lines. Its response series are
  // emptied after the run: their copies live in plot levels 1..5 (values[k] = levels[k].data).
  SimulationResult simulation;
  // The prepared profile (inches) the last run started from.
  PreparedProfile simulation_input;
  // (end of simulation block)

  // The stretches beyond the limits of the series judged last (the indexes and the last
  // simulation), and which of them are drawn over each plot level.
  ExceedanceState exceedances;
  // --- Spectra and editing state ---
  // First and last sample shown at each zoom depth of each level (`zoom_first`, `zoom_last`);
  // depth 0 is the whole series.
  static constexpr int kZoomDepths = 21;
  std::array<std::array<std::int32_t, kZoomDepths>, kPanelCount> zoom_first{}, zoom_last{};
  // (end of spectra and editing block)

  // --- Batch and chart state ---
  int shown_chart_row = 0;  // the row the chart window shows (0: none yet)
  // The stretch values of the five indexes right after each ran, in the index table's column
  // order: straightedge, Boeing Bump, IRI, band-pass, California profilograph.
  std::array<std::array<float, 3>, 5> batch_stretches{};
  // (end of batch block)

  // `ClearResults`: the result arrays of the indexes and the simulation that a new profile
  // makes meaningless.
  void ClearResultArrays();

  bool HasProfile() const { return !data_file.empty() && !profile.empty(); }
  std::int32_t SampleCount() const { return static_cast<std::int32_t>(profile.size()); }
};

// The folder part of a path, with its trailing separator ("" for a bare name).
std::string FolderOf(const std::string& path);
// The file name without its folder.
std::string NameOf(const std::string& path);
// The profile name used in titles: the file name without its last four characters (its
// extension as the program compares it), in upper case.
std::string ProfileNameOf(const std::string& fileName);

}  // namespace tarmac
