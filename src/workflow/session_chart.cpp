// The index chart: one column per section of an index or a simulation response, and the chart
// document beside the profile that collects the charts saved from it.
#include <filesystem>

#include "report/document.h"
#include "simulation/simulation_run.h"
#include "workflow/report_header.h"
#include "workflow/session.h"
#include "workflow/simulation_reports.h"

namespace tarmac {
namespace {

const char* const kChartFolder = "ChartFile";
const char* const kChartFont = "Times New Roman";
constexpr double kChartTitleSize = 10.0;
constexpr double kFirstBlockFontSize = 9.0;

std::string WithoutExtension(const std::string& name) {
  const auto dot = name.find_last_of('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

// The whole-profile result of a simulation row: cg, pilot, nose, (front) main, rear main.
double SimulationTotal(const SimulationResult& r, int row) {
  for (const SimulationChartRow& c : r.chart_rows)
    if (c.row == row) return c.total;
  switch (row) {
    case 6: return r.cg_total_rms;
    case 7: return r.pilot_total_rms;
    case 8: return r.nose_total_rms;
    case 9: return r.main_total_rms;
    case 10: return r.rear_total_rms;
    default: return 0.0;
  }
}

}  // namespace

ChartRequest Session::IndexChartRequest(int row) {
  ProfileModel& m = model_;
  SectionTables& t = m.sections;
  ChartRequest c;
  c.row = row;
  c.aircraft_type = m.settings.AircraftType;
  c.graph_title = m.graph_title;
  c.averaging_distance_ft = m.settings.AveragingDistance;
  c.ca_section_length_ft = m.settings.SectionLengthCAPI;
  const auto r = static_cast<std::size_t>(row);
  if (row >= 6) {
    c.total = SimulationTotal(m.simulation, row);
    t.chart_title[r] = SimulationChartTitle(m.graph_title, row, c.total);
  }
  c.index_chart_title = t.chart_title[r];
  const int count = t.part_count[r];
  c.values.reserve(static_cast<std::size_t>(count));
  for (int i = 1; i <= count && i <= t.section_count; ++i) c.values.push_back(t.at(i, row));
  return c;
}

bool Session::ShowIndexChart(int row) {
  if (row < 1 || row > 10) {
    prompts_.Message("There is no chart row " + std::to_string(row) + "; the rows are 1 to 10.",
                     "Index Chart");
    return false;
  }
  if (!RequireProfile()) return false;
  model_.shown_chart_row = row;
  IndexChartRequest(row);  // composes the title of a simulation row
  return true;
}

bool Session::SaveToWordFile() {
  ProfileModel& m = model_;
  if (m.shown_chart_row < 1) {
    prompts_.Message("Choose a chart row to show before saving it.", "Index Chart");
    return false;
  }
  if (!RequireProfile()) return false;
  const ChartRequest chart = IndexChartRequest(m.shown_chart_row);
  const std::string folder = FolderOf(m.data_file) + kChartFolder;
  const std::filesystem::path path =
      std::filesystem::path(folder) / (WithoutExtension(NameOf(m.data_file)) + "Chart.docx");
  prompts_.Status("Running");
  try {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!std::filesystem::is_directory(folder, ec))
      throw DocumentError("the folder " + folder + " cannot be created");
    const std::vector<unsigned char> png =
        plots_ ? plots_->ChartPicture(chart, m) : std::vector<unsigned char>{};
    Document doc;
    std::int16_t count = m.charts_saved;
    if (std::filesystem::exists(path, ec)) {
      ++count;
      doc = Document::open(path);
      // Past the charts already placed: half as many moves as charts, by the unit the
      // count's parity asks for.
      if (count % 2 == 1)
        doc.moveDown((count + 1) / 2, 4);
      else
        doc.moveDown(count / 2 - 1, 5);
    } else {
      // A new chart document opens with what it was made from; the charts follow.
      doc.setPaperSize(PaperFor(m.units));
      doc.setFont(kChartFont);
      const double speed[1] = {m.settings.AircraftSpeed};
      InsertReportFirstBlock(doc, ReportFirstBlock(m, speed, ReportTimeStamp()),
                             kFirstBlockFontSize, kChartTitleSize);
    }
    doc.setFont(kChartFont);
    doc.setFontSize(kChartTitleSize);
    doc.centerPara();
    // The chart at the size it was drawn for, kept on the page of its title below it.
    if (!png.empty()) doc.insertPicture(png, 0.0);
    doc.keepWithNext();
    doc.insertPara();
    doc.insertText(chart.index_chart_title);
    doc.insertPara();
    doc.addPageNumbers();
    doc.save(path);
    m.charts_saved = count;
  } catch (const std::exception& e) {
    prompts_.Message("The chart could not be added to " + path.string() + ": " + e.what(),
                     "Chart Document");
    return false;
  }
  prompts_.Status("Chart saved");
  return true;
}

bool Session::ChartAllRows() {
  if (!model_.batch_mode) return true;  // the window shown interactively waits for the person
  const int last = model_.settings.AircraftType == "B-747" ? 10 : 9;
  for (int row = 1; row <= last; ++row) {
    if (progress().cancelled()) return false;
    if (!ShowIndexChart(row) || !SaveToWordFile()) return false;
  }
  model_.shown_chart_row = 0;  // the window is closed
  return true;
}

}  // namespace tarmac
