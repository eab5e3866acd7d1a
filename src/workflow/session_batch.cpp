// The unattended report of a list of profiles: for each profile the five indexes with their
// plots, the index table, the distributions of the straightedge deviations and of the Boeing
// Bump Index, the taxiing (and, on a runway, take-off speed) runs of the B-727 and the B-747, the
// charts of every row, and one report document in the "WordFile" folder beside the profiles.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "common/text.h"
#include "common/number_format.h"
#include "common/rounding.h"
#include "common/units.h"
#include "profile/prepare.h"
#include "report/document.h"
#include "simulation/simulation_run.h"
#include "spectra/cumulative.h"
#include "workflow/atomic_file.h"
#include "workflow/exceedances.h"
#include "workflow/index_kind.h"
#include "workflow/report_header.h"
#include "workflow/results_file.h"
#include "workflow/session.h"
#include "workflow/spectra_texts.h"
#include "workflow/summary.h"
#include "workflow/unexpected.h"

namespace tarmac {
namespace {

// Pictures are placed at the size they were drawn for (their stated resolution), never wider
// than the text.
constexpr double kPictureSize = 0.0;
constexpr double kFirstBlockFontSize = 9.0;
constexpr double kTaxiKnots = 20.0;
constexpr double kRunwayKnots = 100.0;
constexpr double kTableFontSize = 9.0;
constexpr double kTextFontSize = 11.0;
const char* const kFont = "Times New Roman";

// A failure of one profile of the batch run: the number and the description of the message,
// and the short reason of the summary.
struct BatchError {
  int number;
  std::string description;
  std::string reason;
};
constexpr int kErrFileNotFound = 53;
constexpr int kErrFileAccess = 75;
constexpr int kErrInterrupted = 18;

// A whole number as the reports write it after a label: with a leading blank.
std::string Numbered(long long i) { return " " + std::to_string(i); }

std::string Fmt(double v, std::string_view pattern) { return FormatNumber(v, pattern); }

// The index table's cells, written into the document as a grid of texts (1-based rows and
// columns), with the cells merged down over two rows.
struct TableText {
  int rows = 0, cols = 0;
  std::vector<std::string> cells;
  std::vector<std::pair<int, int>> merged_down;  // (row, col) merged with the cell below
  int total_row = 0;
  TableText(int r, int c) : rows(r), cols(c), cells(static_cast<std::size_t>(r * c)) {}
  std::string& at(int r, int c) { return cells.at(static_cast<std::size_t>((r - 1) * cols + c - 1)); }
};

void WriteTable(Document& doc, TableText& t) {
  doc.setFontSize(kTableFontSize);
  const int id = doc.addTable(t.rows, t.cols);
  for (int r = 1; r <= t.rows; ++r)
    for (int c = 1; c <= t.cols; ++c)
      if (!t.at(r, c).empty()) doc.setCellText(id, r, c, t.at(r, c));
  for (const auto& [r, c] : t.merged_down) doc.mergeCells(id, r, c, r + 1, c);
  if (t.total_row > 0) doc.setRowBorder(id, t.total_row, BorderSide::Top);
  doc.setFontSize(kTextFontSize);
}

void Paragraph(Document& doc, const std::string& text) {
  doc.insertText(text);
  doc.insertPara();
}

void Picture(Document& doc, const std::vector<unsigned char>& png, double width) {
  if (png.empty()) return;  // a sink that cannot draw leaves the place empty
  doc.insertPicture(png, width);
  doc.insertPara();
}

// The statement of how the profile was thinned out before the indexes and the simulations, with
// the factors it gave this profile.
std::string DecimationRuleLine(const Settings& s) {
  const auto factor = [&](int design) {
    return std::to_string(DecimationFactor(design, s.SampleSpacing, s.Decimation));
  };
  const std::string how = s.Decimation == DecimationRule::Fixed
                              ? "fixed factors"
                              : "factors chosen from the sample spacing";
  return "Decimation rule = " + std::string(DecimationRuleName(s.Decimation)) + " (" + how + ": " +
         factor(kFineDecimation) + " for the straightedge, IRI and CA profilograph, " +
         factor(kCoarseDecimation) + " for the Boeing Bump Index and the simulations)";
}

// The index table: per section the five indexes, then "Total", "Step Length" and the three
// 2000-ft stretches. When the averaging distance is twice the profilograph section, each
// averaging section covers two profilograph sections and its cells span their two rows
// (7 columns); otherwise both section lists stand side by side with their own lengths
// (8 columns).
TableText BatchIndexTable(const ProfileModel& m) {
  const Units& u = m.units;
  const SectionTables& t = m.sections;
  const auto count = [&](int row) { return static_cast<int>(t.part_count[static_cast<std::size_t>(row)]); };
  const int ca_row = DescriptionOf(IndexKind::Profilograph).chart_row;
  const int nca = count(ca_row);
  int navg = 0;
  for (const IndexDescription& d : IndexKinds())
    if (d.kind != IndexKind::Profilograph) navg = std::max(navg, count(d.chart_row));
  const bool paired = std::fabs(m.settings.AveragingDistance - 2.0 * m.settings.SectionLengthCAPI) < 0.1;

  int rows;
  if (paired) {
    // An averaging section a sits in row 2a; one more averaging section than half the
    // profilograph sections would fall on the "Total" row, so the table grows for it.
    rows = std::max(nca, 2 * navg - 1) + 2;
  } else {
    rows = std::max(nca, navg) + 2;
  }
  const int cols = paired ? 7 : 8;
  TableText tt(rows + 4, cols);
  tt.at(1, 1) = "Section";
  tt.at(1, 2) = "Length        " + u.LengthHeading;
  for (const IndexDescription& d : IndexKinds())
    tt.at(1, 3 + d.table_column) =
        std::string(d.table_heading) + (d.table_unit ? u.*d.table_unit : std::string());
  if (!paired) tt.at(1, 8) = "LengthOfCAPI  " + u.LengthHeading;

  const auto section_value = [&](int part, int row) {
    return Fmt(t.at(part, row), "###.0000");
  };
  // The profilograph section lengths, each rounded to 0.1 before it joins the total.
  double ca_total = 0.0;
  for (int s = 1; s <= nca; ++s) {
    const double len = s <= static_cast<int>(m.profilograph_section_lengths.size())
                           ? m.profilograph_section_lengths[static_cast<std::size_t>(s - 1)]
                           : 0.0;
    const int r = s + 1;
    tt.at(r, 1) = Numbered(s);
    tt.at(r, 3 + DescriptionOf(IndexKind::Profilograph).table_column) = section_value(s, ca_row);
    if (paired) {
      tt.at(r, 2) = Fmt(len, "####.0");
    } else {
      tt.at(r, 8) = Fmt(len, "####.0");
    }
    ca_total += RoundHalfEven(len * 10.0) / 10.0;
  }
  double avg_total = 0.0;
  for (int a = 1; a <= navg; ++a) {
    const int r = paired ? 2 * a : a + 1;
    if (tt.at(r, 1).empty()) tt.at(r, 1) = Numbered(paired ? r - 1 : a);
    for (const IndexDescription& d : IndexKinds())
      if (d.kind != IndexKind::Profilograph && a <= count(d.chart_row))
        tt.at(r, 3 + d.table_column) = section_value(a, d.chart_row);
    if (paired) {
      if (r + 1 <= rows - 1) tt.merged_down.emplace_back(r, 3), tt.merged_down.emplace_back(r, 4),
            tt.merged_down.emplace_back(r, 5), tt.merged_down.emplace_back(r, 6);
    } else {
      const double len = a <= static_cast<int>(t.section_lengths.size())
                             ? t.section_lengths[static_cast<std::size_t>(a - 1)]
                             : 0.0;
      tt.at(r, 2) = Fmt(len, "####.0");
      avg_total += RoundHalfEven(len * 10.0) / 10.0;
    }
  }
  // Rows without a profilograph section in the paired form still name their section.
  if (paired)
    for (int r = 2; r <= rows - 1; ++r)
      if (tt.at(r, 1).empty()) tt.at(r, 1) = Numbered(r - 1);

  const int total = rows;
  tt.total_row = total;
  tt.at(total, 1) = "Total";
  tt.at(total, 2) = Fmt(paired ? ca_total : avg_total, "####.0");
  if (!paired) tt.at(total, 8) = Fmt(ca_total, "####.0");
  for (const IndexDescription& d : IndexKinds())
    tt.at(total, 3 + d.table_column) = m.index_text[static_cast<std::size_t>(d.value_box)];

  const int step = total + 1;
  tt.at(step, 1) = "Step Length" + u.LengthHeading;
  tt.at(step, 2) = Fmt(m.settings.SampleSpacing * u.LengthFactor, "0.000000");
  for (const IndexDescription& d : IndexKinds()) {
    const PlotLevel& l = m.levels[static_cast<std::size_t>(d.level)];
    tt.at(step, 3 + d.table_column) =
        Fmt(l.step_ft * u.LengthFactor, d.kind == IndexKind::Iri ? "0.00000" : "0.000000");
  }
  const char* const kStretchNames[3] = {"First2000", "Center2000", "Last2000"};
  for (int s = 0; s < 3; ++s) {
    tt.at(step + 1 + s, 1) = kStretchNames[s];
    for (int c = 0; c < 5; ++c)
      tt.at(step + 1 + s, 3 + c) =
          Fmt(m.batch_stretches[static_cast<std::size_t>(c)][static_cast<std::size_t>(s)], "###.0000");
  }
  return tt;
}

// The cumulative distributions of the straightedge deviations and of the Boeing Bump Index,
// drawn as the parameter window draws them.
void BatchDistributions(Document& doc, ProfileModel& m, Prompts& prompts, PlotSink* plots) {
  // Straightedge: the deviations in the unit the reports show them in (mm in metric mode).
  if (!m.flags.straightedge_done) {
    prompts.Message(std::string(kStraightedgeNotDoneMessage), std::string(kStraightedgeNotDoneTitle));
  } else {
    std::vector<float> shown(m.straightedge.deviation);
    const auto f = static_cast<float>(m.units.MmFactor);
    for (float& v : shown) v *= f;
    try {
      const CumulativeDistribution d = ComputeCumulativeDistribution(shown);
      doc.insertPara();
      if (plots)
        Picture(doc, plots->CdfPicture({d.cdf, d.xmax, "Straightedge", m.units.ElevationLabel}),
                kPictureSize);
    } catch (const std::invalid_argument&) {
      Paragraph(doc, "The straightedge deviation is zero everywhere: no distribution.");
    }
  }
  if (!m.flags.bump_done) {
    prompts.Message(std::string(kBoeingNotDoneMessage), std::string(kBoeingNotDoneTitle));
  } else {
    try {
      const CumulativeDistribution d = ComputeCumulativeDistribution(m.bump.index);
      doc.insertPara();
      if (plots)
        Picture(doc, plots->CdfPicture({d.cdf, d.xmax, "Boeing Bump Index", "Index Value"}),
                kPictureSize);
    } catch (const std::invalid_argument&) {
      Paragraph(doc, "The Boeing Bump Index is zero everywhere: no distribution.");
    }
  }
}

// The largest Boeing Bump Index of the profile and its distance from the first sample.
void SummariseBump(const ProfileModel& m, SummaryRow& row) {
  const std::vector<float>& index = m.bump.index;
  if (index.empty()) return;
  const auto at = static_cast<std::size_t>(std::max_element(index.begin(), index.end()) - index.begin());
  row.bump_max = index[at];
  row.bump_at = static_cast<double>(at) * m.bump_input.spacing * m.units.LengthFactor;
}

// An aircraft's run in the summary: the peaks are the largest absolute accelerations, the
// load coefficient the largest any gear reached.
SummarySimulation SummariseSimulation(const SimulationResult& r, double knots) {
  const auto peak = [](double lo, double hi) { return std::max(std::fabs(lo), std::fabs(hi)); };
  SummarySimulation s;
  s.aircraft = r.aircraft_type;
  s.knots = knots;
  s.cg_peak_g = peak(r.cg_min_g, r.cg_max_g);
  s.cg_rms_g = r.cg_total_rms;
  s.pilot_peak_g = peak(r.pilot_min_g, r.pilot_max_g);
  s.pilot_rms_g = r.pilot_total_rms;
  s.largest_load_coefficient = std::max<double>(r.nose_max, r.main_max);
  if (r.has_rear_main) s.largest_load_coefficient = std::max<double>(s.largest_load_coefficient, r.rear_max);
  return s;
}

// The table "Locations beyond limits": every stretch where an index's series goes beyond its
// limit, a kind without any said to pass, then the plain statement of which kinds fail.
void WriteExceedanceTable(Document& doc, const ProfileModel& m) {
  const Units& u = m.units;
  std::vector<ExceedanceRow> rows;
  std::vector<std::string> passing;
  ExceedanceState judged;
  for (const ExceedanceKind kind : {ExceedanceKind::Straightedge, ExceedanceKind::BoeingBump,
                                    ExceedanceKind::ShortIri, ExceedanceKind::Scallop}) {
    const auto& list = m.exceedances.of(kind);
    if (!list) continue;
    judged.lists[static_cast<std::size_t>(kind)] = list;
    if (list->pass()) passing.push_back(InfoOf(kind).name);
    const auto more = ExceedanceRows(*list, u, NameOf(m.data_file));
    rows.insert(rows.end(), more.begin(), more.end());
  }
  const std::vector<ExceedanceCount> counts = ExceedanceCounts(judged);
  if (counts.empty()) return;
  doc.insertPara();
  doc.centerPara();
  doc.setBold(true);
  Paragraph(doc, "Locations beyond limits");
  doc.setBold(false);
  TableText t(static_cast<int>(rows.size() + passing.size()) + 1, 7);
  const std::vector<std::string> headings = {
      "Kind",  "Start" + u.LengthHeading, "End" + u.LengthHeading, "Length" + u.LengthHeading,
      "Peak", "Peak at" + u.LengthHeading, "Limit"};
  for (int c = 1; c <= 7; ++c) t.at(1, c) = headings[static_cast<std::size_t>(c - 1)];
  int r = 2;
  for (const ExceedanceRow& row : rows) {
    t.at(r, 1) = row.kind;
    t.at(r, 2) = Fmt(row.start, "0.0");
    t.at(r, 3) = Fmt(row.end, "0.0");
    t.at(r, 4) = Fmt(row.length, "0.0");
    t.at(r, 5) = Fmt(row.peak, "0.000") + " " + row.value_unit;
    t.at(r, 6) = Fmt(row.peak_at, "0.0");
    t.at(r, 7) = Fmt(row.limit, "0.000") + " " + row.value_unit;
    ++r;
  }
  for (const std::string& name : passing) {
    t.at(r, 1) = name;
    t.at(r, 2) = "none beyond the limit";
    ++r;
  }
  WriteTable(doc, t);
  doc.setAlignment(ParagraphAlignment::Left);
  Paragraph(doc, PassFailLine(counts));
}

// The response table of the run just made: per part, total, extremes, static forces and the
// three 2000-ft stretches.
TableText ResponseTable(const SimulationResult& r, const Units& u) {
  const bool rear = r.has_rear_main;
  const int cols = rear ? 7 : 6;
  const int parts = r.part_count;
  TableText tt(parts + 8, cols);
  tt.at(1, 1) = "Section";
  tt.at(1, 2) = "Length" + u.LengthHeading;
  tt.at(1, 3) = "Cg(g)";
  tt.at(1, 4) = "Cp(g)";
  tt.at(1, 5) = "Nose Dyn-coefficient";
  tt.at(1, 6) = "Main Dyn-coefficient";
  if (rear) tt.at(1, 7) = "MainRear Dyn-coefficient";
  const auto part_value = [](const auto& v, int i) {
    return i < static_cast<int>(v.size()) ? static_cast<double>(v[static_cast<std::size_t>(i)]) : 0.0;
  };
  double total = 0.0;
  for (int i = 0; i < parts; ++i) {
    const int row = i + 2;
    // The part lengths are held in feet; the column shows them in display units.
    const double len = part_value(r.part_lengths_ft, i) * u.LengthFactor;
    tt.at(row, 1) = Numbered(i + 1);
    tt.at(row, 2) = Fmt(len, "####.0");
    total += len;
    tt.at(row, 3) = Fmt(part_value(r.cg_part_rms, i), "##.0000");
    tt.at(row, 4) = Fmt(part_value(r.pilot_part_rms, i), "##.0000");
    tt.at(row, 5) = Fmt(part_value(r.nose_part_rms, i), "##.0000");
    tt.at(row, 6) = Fmt(part_value(r.main_part_rms, i), "##.0000");
    if (rear) tt.at(row, 7) = Fmt(part_value(r.rear_part_rms, i), "##.0000");
  }
  int row = parts + 2;
  tt.total_row = row;
  const auto put = [&](const char* label, double a, double b, float c, float d, float e) {
    tt.at(row, 1) = label;
    tt.at(row, 3) = Fmt(a, "0.0000");
    tt.at(row, 4) = Fmt(b, "0.0000");
    tt.at(row, 5) = Fmt(c, "0.0000");
    tt.at(row, 6) = Fmt(d, "0.0000");
    if (rear) tt.at(row, 7) = Fmt(e, "0.0000");
    ++row;
  };
  tt.at(row, 2) = Fmt(total, "####.0");
  put("Total", r.cg_total_rms, r.pilot_total_rms, r.nose_total_rms, r.main_total_rms, r.rear_total_rms);
  put("Max", r.cg_max_g, r.pilot_max_g, r.nose_max, r.main_max, r.rear_max);
  put("Min", r.cg_min_g, r.pilot_min_g, r.nose_min, r.main_min, r.rear_min);
  // Static forces in the mass unit of the heading; the weight and the gear loads are held in
  // pounds.
  const auto load = [&](std::size_t g) {
    return g < r.static_gear_loads_lb.size() ? r.static_gear_loads_lb[g] : 0.0f;
  };
  tt.at(row, 1) = "Static Force" + u.MassHeading;
  tt.at(row, 3) = Fmt(r.weight_lb * u.MassFactor, "0");
  tt.at(row, 5) = Fmt(load(0) * u.MassFactor, "0");
  tt.at(row, 6) = Fmt(static_cast<float>(load(1) + load(2)) * u.MassFactor, "0");
  if (rear) tt.at(row, 7) = Fmt(static_cast<float>(load(3) + load(4)) * u.MassFactor, "0");
  ++row;
  const char* const kStretchNames[3] = {"First2000", "Center2000", "Last2000"};
  for (int s = 0; s < 3; ++s, ++row) {
    tt.at(row, 1) = kStretchNames[s];
    for (int c = 0; c < cols - 2 && c < static_cast<int>(r.stretch_values.size()); ++c) {
      const StretchValues& v = r.stretch_values[static_cast<std::size_t>(c)];
      tt.at(row, 3 + c) = Fmt(s == 0 ? v.first : s == 1 ? v.centre : v.last, "0.0000");
    }
  }
  return tt;
}

// One aircraft at one speed: its paragraph, the run, its parameters and its response table.
// False only when the person stopped the run; a run that cannot be made is said so in the
// report instead of a table of the previous run's numbers.
bool BatchSimulation(Session& session, Document& doc, const std::string& base, int table_number,
                     SummaryRow& summary) {
  const ProfileModel& m = session.model();
  const Units& u = m.units;
  const std::string type = m.settings.AircraftType;
  doc.setAlignment(ParagraphAlignment::Left);
  Paragraph(doc, " Simulation of Aircraft " + type + " on " + base + ".pro" +
                     " (Aircraft speed = " + Fmt(m.settings.AircraftSpeed, "0.0") + " knots)");
  if (!session.RunSimulation()) {
    if (session.progress().cancelled()) return false;
    Paragraph(doc, " The simulation of the " + type + " could not be made on this profile.");
    doc.insertPara();
    return true;
  }
  const SimulationResult& r = m.simulation;
  summary.simulations.push_back(SummariseSimulation(r, m.settings.AircraftSpeed));
  for (const ExceedanceCount& c : ExceedanceCounts(m.exceedances))
    if (c.kind >= ExceedanceKind::CgAcceleration)
      summary.simulations.back().stretches_beyond_limits += c.stretches;
  const std::int16_t inner = r.inner_steps > 0 ? r.inner_steps : std::int16_t{1};
  Paragraph(doc, " Airframe Damping = " + Fmt(m.settings.DampingFactor, "0.0000") +
                     ", the number of modes = " + Fmt(m.settings.NumberOfModes, "0") +
                     ", Profile start step length = " +
                     Fmt(m.settings.SampleSpacing * u.LengthFactor, "0.00000") + u.LengthHeading +
                     ", Profile decimated step length for simulation = " +
                     Fmt(r.spacing_ft * u.LengthFactor, "0.0000") + u.LengthHeading +
                     ", Simulation step length = " + Fmt(r.time_step_s, "0.00000") +
                     " seconds, GroundNInner = " + std::to_string(inner) +
                     ", Simulation inner step length = " + Fmt(r.time_step_s / inner, "0.00000") +
                     " seconds");
  doc.centerPara();
  doc.setBold(true);
  doc.keepWithNext();  // the title stays on the page of its table
  Paragraph(doc, "Table" + Numbered(table_number) + " Aircraft Responses on " + base + ".pro");
  doc.setBold(false);
  TableText table = ResponseTable(r, u);
  WriteTable(doc, table);
  doc.setAlignment(ParagraphAlignment::Left);
  doc.insertPara();
  doc.insertPara();
  return true;
}

}  // namespace

BatchSummaryTable SummaryTableOf(const Session::BatchOutcome& o,
                                 const std::vector<SummaryRow>& rows, const Units& units) {
  BatchSummaryTable t;
  t.units = units;
  t.rows = rows;
  for (const Session::BatchFailure& f : o.failed) t.failed.push_back(f.file + " (" + f.reason + ")");
  return t;
}

std::string Session::BatchSummary(const BatchOutcome& o) {
  std::string text = std::to_string(o.processed) + " of " + std::to_string(o.chosen) + " processed";
  if (!o.failed.empty()) {
    text += "; failed: ";
    for (std::size_t k = 0; k < o.failed.size(); ++k)
      text += (k ? ", " : "") + o.failed[k].file + " (" + o.failed[k].reason + ")";
  }
  if (o.interrupted) text += "; interrupted";
  return text;
}

bool Session::AutoProcessAll(const std::vector<std::string>& files) {
  ChangeScope scope(*this);
  ProfileModel& m = model_;
  const auto start = std::chrono::steady_clock::now();
  batch_ = BatchOutcome{};
  batch_summary_.clear();
  batch_.chosen = static_cast<int>(files.size());
  if (files.empty()) {
    prompts_.Message("Error No = 32755 No profile was chosen.", "Automatic Processing");
    return false;
  }
  if (static_cast<int>(files.size()) > kMaxBatchFiles) {
    prompts_.Message("At most " + std::to_string(kMaxBatchFiles) +
                         " profiles can be processed in one run; " +
                         std::to_string(files.size()) + " were chosen.",
                     "Too Many Files");
    return false;
  }
  ClearResults();
  for (int level = 0; level < kPanelCount; ++level)
    if (plots_) plots_->PanelCleared(level);
  m.batch_mode = true;
  const int n = static_cast<int>(files.size());
  // A profile that fails is listed in the summary and the run goes on; Ctrl-C ends it.
  for (int i = 1; i <= n && !batch_.interrupted; ++i)
    AutoProcessFile(files[static_cast<std::size_t>(i - 1)], i, n);
  const auto seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const bool all = batch_.processed == n;
  // The summary of the run beside the report documents of the first profile; an interrupted
  // run writes nothing new.
  if (!batch_.interrupted && !progress().cancelled())
    WriteBatchSummary(FolderOf(files.front()) + "WordFile", SummaryTableOf(batch_, batch_summary_, m.units));
  prompts_.Status(all ? "All Processed" : BatchSummary(batch_));
  prompts_.Message((all ? std::string("All Processed.") : BatchSummary(batch_) + ".") +
                       " ET = " + Fmt(seconds, "0") + " s",
                   "Automatic Processing");
  return all;
}

bool Session::AutoProcessFile(const std::string& path, int i, int n, const BatchTurn* turn) {
  ChangeScope scope(*this);
  ProfileModel& m = model_;
  m.batch_mode = true;
  if (i == 1 || batch_.chosen != n) {
    batch_ = BatchOutcome{n, 0, {}, false};
    batch_summary_.clear();
  }
  bool in_turn = false;
  auto end_turn = [&] {
    if (in_turn && turn && turn->end) turn->end();
    in_turn = false;
  };
  const bool gathering = turn && !turn->private_folder.empty() && turn->deliver;
  // Hands the gathered lines on and points the results file back at the profile's folder.
  auto deliver = [&] {
    if (!gathering) return;
    const std::string gathered = turn->private_folder + std::string(kBoeingBumpPdfFileName);
    std::vector<std::string> lines;
    // The lines of a profile cut short by Ctrl-C are not handed on: it writes nothing new.
    if (!progress().cancelled()) {
      std::ifstream f(gathered);
      for (std::string l; std::getline(f, l);) lines.push_back(l);
    }
    std::error_code ec;
    std::filesystem::remove(gathered, ec);
    m.results_file = FolderOf(path) + "Results.txt";
    turn->deliver(FolderOf(path), lines);
  };
  try {
    const std::string folder = FolderOf(path);
    const std::string name(TrimBlanks(NameOf(path)));
    const std::string ext = name.size() >= 4 ? name.substr(name.size() - 4) : name;
    const std::string base = name.size() >= 4 ? name.substr(0, name.size() - 4) : std::string();

    // Everything that appends to the selection's shared files happens in this profile's turn:
    // the "Data File Name = " line of the read and the Boeing Bump distribution line.
    if (turn && turn->begin) turn->begin();
    in_turn = true;

    // Clear the six plot panels: a level left from the previous profile must not be pasted
    // into this one's report (a profile without a speed file has no level 1).
    for (int level = 0; level < kPanelCount; ++level) {
      if (plots_) plots_->PanelCleared(level);
      m.levels[static_cast<std::size_t>(level)] = PlotLevel{};
      ModelChange::AddTo(changes().levels, level);
    }
    ClearResults();
    m.plotted_speed_max = 0;
    m.batch_stretches = {};

    SummaryRow summary;
    const bool is_pro = Lower(ext) == ".pro";
    if (is_pro) {
      prompts_.Status("Reading " + base);
      std::error_code ec;
      if (!std::filesystem::is_regular_file(path, ec)) {
        // The line names the file about to be processed, read or not.
        AppendLines(folder + "Results.txt", {"Data File Name = " + path + " File Name = " + name});
        throw BatchError{kErrFileNotFound, "File not found: " + path, "not found"};
      }
      // The read appends the "Data File Name = " line itself, as an interactive read does.
      if (!ReadFile(path)) {
        // A refused file is named all the same, as a missing one is.
        AppendLines(folder + "Results.txt", {"Data File Name = " + path + " File Name = " + name});
        throw BatchError{kErrFileAccess, "The profile " + path + " could not be read.",
                         "could not be read"};
      }
      m.batch_mode = true;
      if (gathering) {
        m.results_file = turn->private_folder + "Results.txt";
        end_turn();
      }
      m.flags = ResultFlags{};
      m.caption = "Profile and Roughness Indexes - " + m.data_file + "  " + Numbered(i) +
                  " of" + Numbered(n);
      m.charts_saved = 0;
      prompts_.Status(base + " Read");
    } else {
      m.results_file = folder + "Results.txt";
      AppendLines(m.results_file, {"Data File Name = " + path + " File Name = " + name});
      prompts_.Message("The file is not a valid type,\n.pro or .spd", "Wrong Extension");
      // A file that is not a profile gets no report: an empty one would pass for a result.
      m.profile.clear();
      changes().profile = true;
      m.data_file = path;
      throw BatchError{kErrFileAccess, "The file " + path + " is not a .pro profile.",
                       "wrong extension"};
    }

    const std::string report_folder = folder + "WordFile";
    {
      std::error_code ec;
      std::filesystem::create_directories(report_folder, ec);
      if (!std::filesystem::is_directory(report_folder, ec)) {
        NoteOutputFailure(report_folder, "Cannot make the report folder " + report_folder + ".");
        throw BatchError{kErrFileAccess, "Path/File access error: " + report_folder,
                         "report not written"};
      }
    }

    // The aircraft: taxiing, and on a runway the take-off roll as well.
    std::vector<double> speeds{kTaxiKnots};
    if (m.settings.Runway) speeds.push_back(kRunwayKnots);

    Document doc;
    doc.setPaperSize(PaperFor(m.units));
    doc.setFont(kFont);
    InsertReportFirstBlock(doc, ReportFirstBlock(m, speeds, ReportTimeStamp()), kFirstBlockFontSize,
                           kTextFontSize);
    doc.centerPara();
    doc.setBold(true);
    Paragraph(doc, "Roughness Measurement and Analysis of " + base + ".Pro");
    doc.setBold(false);

    if (is_pro) {
      const Units& u = m.units;
      if (plots_) {
        Picture(doc, plots_->LevelPicture(m, 0), kPictureSize);
        if (m.levels[1].kind == "Speed") Picture(doc, plots_->LevelPicture(m, 1), kPictureSize);
      }

      summary.file = name;
      summary.length = m.SampleCount() * m.settings.DisplaySpacing;
      summary.spacing = m.settings.DisplaySpacing;
      // The five indexes in the order of their options, each pasted as its plot is drawn.
      for (const IndexDescription& d : IndexKinds()) {
        const bool ran = RunIndex(OptionOf(d.kind));
        if (!ran && progress().cancelled())
          throw BatchError{kErrInterrupted, "User interrupt occurred", "interrupted"};
        // The bump distribution line has been written.
        if (d.kind == IndexKind::BoeingBump) end_turn();
        auto& st = m.batch_stretches[static_cast<std::size_t>(d.table_column)];
        if (ran) {
          st = {static_cast<float>(m.sections.first_stretch), static_cast<float>(m.sections.centre_stretch),
                static_cast<float>(m.sections.last_stretch)};
          if (plots_) Picture(doc, plots_->LevelPicture(m, d.level), kPictureSize);
          const auto option = static_cast<std::size_t>(OptionOf(d.kind));
          summary.value[option] = m.index_value[option];
          summary.stretch[option] = {m.sections.first_stretch, m.sections.centre_stretch,
                                     m.sections.last_stretch};
          if (d.kind == IndexKind::BoeingBump) SummariseBump(m, summary);
        }
      }
      end_turn();
      for (const ExceedanceCount& c : ExceedanceCounts(m.exceedances))
        if (c.kind < ExceedanceKind::CgAcceleration) summary.limits.push_back({c.name, c.stretches});

      doc.setAlignment(ParagraphAlignment::Left);
      std::error_code ec;
      const auto bytes = std::filesystem::file_size(path, ec);
      const double samples = ec ? 0.0 : static_cast<double>(bytes) / 4.0 - 1.0;
      Paragraph(doc, "Profile length = " + Fmt(samples * m.settings.DisplaySpacing, "####.0") +
                         u.LengthHeading +
                         ", Cutting length at the beginning and end of profile = " +
                         Fmt(m.settings.CuttingLength * u.LengthFactor, "###.0") +
                         u.LengthHeading);
      Paragraph(doc, "Profile Max = " + Fmt(m.plotted_profile_max, "###.00") + u.DeviationHeading +
                         ", Min = " + Fmt(m.plotted_profile_min, "###.00") + u.DeviationHeading);
      Paragraph(doc, "Maximum of vehicle speed in measuring = " + Fmt(m.plotted_speed_max, "##.00") +
                         u.SpeedHeading);
      Paragraph(doc, DecimationRuleLine(m.settings));
      doc.insertPageBreak();
      doc.insertPara();
      doc.centerPara();
      doc.setBold(true);
      doc.keepWithNext();
      Paragraph(doc, "Table 1 Indexes for " + base + ".pro");
      doc.setBold(false);
      TableText table = BatchIndexTable(m);
      WriteTable(doc, table);
      WriteExceedanceTable(doc, m);

      doc.setAlignment(ParagraphAlignment::Left);
      doc.insertPara();
      doc.insertPara();
      doc.insertPara();
      doc.insertPageBreak();
      doc.insertPara();
      doc.centerPara();
      BatchDistributions(doc, m, prompts_, plots_);

      int table_number = 1;
      for (double knots : speeds)
        for (const char* type : {"B-727", "B-747"}) {
          m.settings.AircraftSpeed = knots;
          m.settings.AircraftType = type;
          ++table_number;
          if (!BatchSimulation(*this, doc, base, table_number, summary))
            throw BatchError{kErrInterrupted, "User interrupt occurred", "interrupted"};
        }

      // The charts of every row, in their own document beside the profile.
      if (!ChartAllRows()) {
        if (progress().cancelled())
          throw BatchError{kErrInterrupted, "User interrupt occurred", "interrupted"};
        const std::string chart = folder + "ChartFile/" + base + "Chart.docx";
        NoteOutputFailure(chart, "Cannot write the chart document " + chart + ".");
        throw BatchError{kErrFileAccess, "The chart document of " + base + " could not be written.",
                         "chart document not written"};
      }
    }
    if (progress().cancelled())
      throw BatchError{kErrInterrupted, "User interrupt occurred", "interrupted"};

    doc.addPageNumbers();
    const std::filesystem::path report = std::filesystem::path(report_folder) / (base + ".docx");
    try {
      doc.save(report);
    } catch (const DocumentError& e) {
      NoteOutputFailure(report.string(), e.what());
      throw BatchError{kErrFileAccess, e.what(), "report not written"};
    }
    deliver();
    ++batch_.processed;
    batch_summary_.push_back(std::move(summary));
    return true;
  } catch (...) {
    // Whatever stopped this profile, its turn passes on and the run hears why.
    end_turn();
    deliver();
    std::string description, reason;
    int number = kErrFileAccess;
    try {
      throw;
    } catch (const BatchError& e) {
      number = e.number;
      description = e.description;
      reason = e.reason;
    } catch (const DocumentError& e) {
      description = e.what();
      reason = "report not written";
    } catch (...) {
      description = DescribeException(std::current_exception());
      reason = "stopped: " + description;
    }
    if (progress().cancelled()) {
      // Stopped by the person: the run ends here, and the profile is not counted as failed.
      number = kErrInterrupted;
      batch_.interrupted = true;
    } else {
      batch_.failed.push_back({std::string(TrimBlanks(NameOf(path))), reason, i});
    }
    prompts_.Message("Error No = " + std::to_string(number) + " " + description,
                     "Automatic Processing");
  }
  return false;
}

}  // namespace tarmac
