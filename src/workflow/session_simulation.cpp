// The simulation commands: one aircraft run over the profile in hand, and the
// unattended taxi-speed and runway-speed runs over a list of measurements with
// a log and a report each.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "common/text.h"
#include "common/number_format.h"
#include "common/units.h"
#include "profile/prepare.h"
#include "report/document.h"
#include "simulation/simulation_failure.h"
#include "simulation/simulation_run.h"
#include "workflow/atomic_file.h"
#include "workflow/report_header.h"
#include "workflow/results_file.h"
#include "workflow/session.h"
#include "workflow/session_jobs.h"
#include "workflow/simulation_reports.h"

namespace tarmac {
namespace {

// The two speeds of the measurement batch: taxiing and the take-off and landing
// roll.
constexpr double kTaxiKnots = 20.0;
constexpr double kRunwayKnots = 100.0;
constexpr const char* kListLogName = "ProDatFiles.log";

// The response levels are drawn cg, pilot, rear main, nose, main: the rear main
// gear of the B-747 sits next to the accelerations on screen.
constexpr int kDrawOrder[] = {1, 2, 5, 3, 4};

// The measurement's binary profile: "<name>.Pro" as the list writes it, in any
// case of the extension (lists made on another system keep their names, the
// disk may not).
std::string ExistingProfile(const std::string& base) {
  for (const char* ext : {".Pro", ".pro", ".PRO"}) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(base + ext, ec)) return base + ext;
  }
  return {};
}

}  // namespace

// One aircraft run over the prepared profile, then its publication into levels 1..5 and chart
// rows 6..10.
class Session::SimulationJob final : public Session::JobBase {
 public:
  SimulationJob(Session& session, SimulationInput in)
      : JobBase(session, "Running " + session.model_.settings.AircraftType + " Simulation"),
        in_(std::move(in)) {}

 private:
  void Run(Progress& progress) override {
    const Settings& s = settings_;
    try {
      // Every simulation starts from the profile decimated as the design's factor of ten gives.
      prepared_ = PrepareIndexProfile(
          profile_, s.SampleSpacing,
          DecimationFactor(kCoarseDecimation, s.SampleSpacing, s.Decimation), s.SmoothEnds,
          s.SmoothingDistance);
      result_ = tarmac::RunSimulation(prepared_, in_, progress);
      JudgeResponses();
    } catch (const SimulationFailure& f) {
      throw JobRefusal{SimulationFailureText(f), SimulationFailureTitle(f)};
    }
  }
  JobRefusal Describe(const std::exception& e) const override {
    return {e.what(), kFatalErrorTitle};
  }
  void Apply() override;
  // The stretches where each response goes beyond its limit, on the samples the levels show.
  void JudgeResponses() {
    static constexpr ExceedanceKind kOfLevel[] = {
        ExceedanceKind::CgAcceleration, ExceedanceKind::PilotAcceleration,
        ExceedanceKind::NoseLoad, ExceedanceKind::MainLoad, ExceedanceKind::RearMainLoad};
    const auto n = static_cast<std::size_t>(result_.sample_count);
    for (const ResponseLevel& rl : result_.levels) {
      if (rl.level < 1 || rl.level > 5 || rl.values.size() < n + 1) continue;
      ExceedanceList list =
          JudgeSeries(kOfLevel[rl.level - 1], std::span<const float>(rl.values).subspan(1, n),
                      result_.spacing_ft, settings_, result_.speed_fps);
      list.run = result_.aircraft_type + " at " +
                 FormatNumber(result_.speed_fps / kKnotsToFps, "0") + " knots";
      exceedances_.push_back(std::move(list));
    }
  }

  SimulationInput in_;
  std::vector<ExceedanceList> exceedances_;
  PreparedProfile prepared_;
  SimulationResult result_;
};

void Session::SimulationJob::Apply() {
  Session& session = session_;
  ProfileModel& m = session.model_;
  SimulationResult& r = result_;
  // Plot levels 1..5: sample i of a level is step i of the run (the steps
  // before the cg reached the profile and after it left are not shown). The
  // values are g and ratios, the same in either unit system.
  for (int level = 1; level <= 5; ++level)
    if (session.plots_) session.plots_->PanelCleared(level);
  const auto n = static_cast<std::size_t>(r.sample_count);
  // The shared stretch values hold those of the series computed last, as the run computed them.
  if (!r.levels.empty()) {
    const auto sv = StretchRMS(r.levels.back().values, r.sample_count, r.spacing_ft);
    session.PublishStretches(sv.first, sv.centre, sv.last);
  }
  for (ResponseLevel& rl : r.levels) {
    PlotLevel& l = m.levels.at(static_cast<std::size_t>(rl.level));
    l.data.assign(rl.values.begin() + 1, rl.values.begin() + 1 + static_cast<std::ptrdiff_t>(n));
    l.step_ft = r.spacing_ft;
    l.kind = r.aircraft_type;
    l.title = ResponseLevelTitle(r, rl.level);
    // The series themselves are not kept: the levels hold their copies.
    rl.values.clear();
    rl.values.shrink_to_fit();
    ModelChange::AddTo(session.changes().levels, rl.level);
  }
  for (int level = 1; level <= 5; ++level) m.levels.at(static_cast<std::size_t>(level)).zoomed = 0;
  for (int level : kDrawOrder) {
    if (level == 5 && !r.has_rear_main) continue;
    const PlotLevel& l = m.levels.at(static_cast<std::size_t>(level));
    session.ShowResponsePlot(level, l.title, 1, r.sample_count, true);
  }

  // Chart rows 6..10. The part lengths stay with the run: `section_lengths`
  // belongs to the indexes' sections, which the batch report tabulates beside
  // the responses.
  for (const SimulationChartRow& row : r.chart_rows) {
    std::vector<float> values;
    values.reserve(row.values.size());
    for (double v : row.values) values.push_back(static_cast<float>(v));
    session.PublishSectionRow(row.row, values, nullptr,
                              SimulationChartTitle(m.graph_title, row.row, row.total));
    m.chart_row_enabled[static_cast<std::size_t>(row.row - 1)] = true;
  }
  session.AppendResults(SimulationReportLines(r, m.settings.SampleSpacing, m.units));

  // The responses now fill levels 1..5: the index stretches stay listed but are no longer drawn.
  for (const ExceedanceKindInfo& info : ExceedanceKinds())
    if (info.kind >= ExceedanceKind::CgAcceleration)
      m.exceedances.lists[static_cast<std::size_t>(info.kind)].reset();
  for (int level = 1; level <= 5; ++level) m.exceedances.on_level.at(static_cast<std::size_t>(level)).clear();
  for (ExceedanceList& list : exceedances_) {
    const ExceedanceKind kind = list.kind;
    m.exceedances.on_level.at(static_cast<std::size_t>(InfoOf(kind).level)) = {kind};
    m.exceedances.lists[static_cast<std::size_t>(kind)] = std::move(list);
  }
  m.simulation = std::move(r);
  m.simulation_input = std::move(prepared_);
  m.prepared = m.simulation_input;
  m.flags.simulation_done = true;
  session.changes().simulation = true;
  session.prompts_.Status(m.settings.AircraftType + " Simulation Completed");
}

std::unique_ptr<Session::SimulationJob> Session::MakeSimulationJob(double speedFps) {
  if (!RequireProfile()) return nullptr;
  const ProfileModel& m = model_;
  const std::string& type = m.settings.AircraftType;
  prompts_.Status("Running " + type + " Simulation");
  SimulationInput in;
  in.aircraft_type = std::string(TrimWhitespace(type));
  in.speed_fps = speedFps >= 0 ? speedFps : m.settings.AircraftSpeed * kKnotsToFps;
  in.damping_ratio = m.settings.DampingFactor;
  in.mode_count = m.settings.NumberOfModes;
  in.part_length_ft = m.settings.AveragingDistance;
  in.shortest_part_ft = m.settings.AveragingStep;
  return std::make_unique<SimulationJob>(*this, std::move(in));
}

std::unique_ptr<Job> Session::PrepareSimulation(double speedFps) {
  return MakeSimulationJob(speedFps);
}

bool Session::RunSimulation(double speedFps) { return Simulate(speedFps, nullptr); }

bool Session::Simulate(double speedFps, std::string* failure) {
  const std::unique_ptr<SimulationJob> job = MakeSimulationJob(speedFps);
  if (!job) {
    if (failure) *failure = "No profile has been read.";
    return false;
  }
  const bool ok = RunJob(*job);
  if (!ok && failure) *failure = job->Failure();
  return ok;
}

std::vector<std::string> Session::WriteLogData(const std::string& measurementName) const {
  if (!model_.flags.simulation_done) return {};
  return SimulationLogLines(model_.simulation, measurementName, model_.settings.SampleSpacing);
}

namespace {

// The progress of one measurement of a list as a share of the whole list, so that the bar runs
// once across the list rather than once per simulation: each measurement's share is split
// between its runs, and the bar never moves back (the read before the first run reports too).
class ListProgress final : public Progress {
 public:
  ListProgress(Progress& whole, std::size_t count) : whole_(whole), count_(count) {}
  void Begin(std::size_t measurement, int part = 0, int parts = 1) {
    at_ = measurement;
    part_ = part;
    parts_ = parts;
    step(0, 1);
  }
  void step(long long done, long long total) override {
    const double within = total > 0 ? static_cast<double>(done) / static_cast<double>(total) : 0.0;
    const double share = (static_cast<double>(part_) + within) / static_cast<double>(parts_);
    const auto reached =
        static_cast<long long>((static_cast<double>(at_) + share) * static_cast<double>(kScale));
    last_ = std::max(last_, reached);
    whole_.step(last_, static_cast<long long>(count_) * kScale);
  }
  bool cancelled() const override { return whole_.cancelled(); }
  void status(const std::string& text) override { whole_.status(text); }

 private:
  static constexpr long long kScale = 1000;
  Progress& whole_;
  std::size_t count_;
  std::size_t at_ = 0;
  int part_ = 0, parts_ = 1;
  long long last_ = 0;
};

}  // namespace

bool Session::ProcessSimList(const std::string& listFile) {
  ChangeScope scope(*this);
  list_outcome_ = ListOutcome{};
  std::vector<std::string> names;
  {
    std::ifstream f(listFile);
    if (!f) {
      prompts_.Message("The list of measurements " + listFile + " cannot be read.", "File Error");
      return false;
    }
    const std::filesystem::path listFolder = std::filesystem::path(listFile).parent_path();
    for (std::string line; std::getline(f, line);) {
      line = std::string(TrimWhitespace(line));
      if (line.empty()) continue;
      // Every line names a measurement with a four-character extension; the
      // name is without it.
      std::string base = line.size() > 4 ? line.substr(0, line.size() - 4) : line;
      std::filesystem::path p(base);
      if (p.is_relative()) p = listFolder / p;
      names.push_back(p.string());
    }
  }
  const std::string listLog = FolderOf(listFile) + kListLogName;
  list_outcome_.log = listLog;
  try {
    WriteFileAtomically(listLog, "");
  } catch (const std::exception&) {
    prompts_.Message("The batch log " + listLog + " cannot be written.", "File Error");
    return false;
  }

  ProfileModel& m = model_;
  const bool batchBefore = m.batch_mode;
  const std::string baseCaption = "Profile and Roughness Indexes";
  const auto count = names.size();
  list_outcome_.listed = static_cast<int>(count);
  // Every line of the list log but the closing one is a failure the person is told of at the end.
  const auto fail = [&](const std::string& line) {
    AppendLine(listLog, line);
    list_outcome_.failures.push_back(line);
  };
  ListProgress list_progress(progress(), count);
  // The runs report to the list's progress; the session's own is back however the loop ends.
  struct Restore {
    Progress*& slot;
    Progress* const before;
    ~Restore() { slot = before; }
  } restore{progress_, progress_};
  progress_ = &list_progress;
  bool cancelled = false;
  for (std::size_t i = 0; i < count && !cancelled; ++i) {
    list_progress.Begin(i);
    const std::string& name = names[i];
    const std::size_t failures_before = list_outcome_.failures.size();
    const std::string caption = baseCaption + " " + name + "  " +
                                FormatNumber(static_cast<double>(i + 1), "0") + " of " +
                                FormatNumber(static_cast<double>(count), "0");
    const std::string pro = ExistingProfile(name);
    if (pro.empty()) {
      fail(name + " not processed because the .Pro file does not exist.");
      continue;
    }
    // The measurement's log is gathered and replaces the old one only once the measurement is
    // done, so an interrupted run never leaves it empty or half written.
    const std::string logFile = name + ".Log";
    std::vector<std::string> logLines;
    if (!ReadFile(pro)) {
      fail(name + " not processed because the .Pro file cannot be read.");
      continue;
    }
    // The reports of the runs go to the measurement's log and document, not to
    // Results.txt.
    m.batch_mode = true;
    m.caption = caption;
    prompts_.Status(caption);
    const std::string measurement = NameOf(name);
    try {
      Document doc;
      doc.setPaperSize(PaperFor(m.units));
      const double speeds[2] = {kTaxiKnots, kRunwayKnots};
      InsertReportFirstBlock(doc, ReportFirstBlock(m, speeds, ReportTimeStamp()), 10.0, 12.0);
      auto paste = [&](int level) {
        // The picture-paste step: a paragraph, the framed picture, two
        // paragraphs. The caption typed before it stays on the picture's page.
        doc.keepWithNext();
        doc.insertPara();
        std::vector<unsigned char> png;
        if (plots_ && !m.levels.at(static_cast<std::size_t>(level)).data.empty())
          png = plots_->LevelPicture(m, level);
        if (!png.empty()) doc.insertPicture(png, 0.0, true);
        doc.insertPara();
        doc.insertPara();
      };
      doc.centerPara();
      doc.insertText(measurement);
      doc.insertPara();
      doc.insertPara();
      doc.insertText("Profile");
      paste(0);
      doc.insertText("Test Speed");
      if (m.levels[1].kind == "Speed") {
        paste(1);
      } else {
        doc.insertPara();
        doc.insertText("No speed file was found for this measurement.");
        doc.insertPara();
      }
      doc.insertSectionBreak();
      doc.insertText(measurement + " - page 2");
      doc.insertPara();
      doc.insertPara();

      struct Run {
        double knots;
        const char* label;
      };
      int part = 0;
      for (const Run run : {Run{kTaxiKnots, "Taxi Speed"}, Run{kRunwayKnots, "Runway Speed"}}) {
        list_progress.Begin(i, part++, 2);
        std::string why;
        if (Simulate(run.knots * kKnotsToFps, &why)) {
          doc.insertText(std::string("CG Acceleration, ") + run.label);
          paste(1);
          doc.insertText(std::string("Cockpit Acceleration, ") + run.label);
          paste(2);
          for (std::string& l : WriteLogData(measurement)) logLines.push_back(std::move(l));
        } else {
          // A failed run reports nothing of an earlier run as its own.
          const std::string text = std::string(run.label) + " simulation of the " +
                                   m.settings.AircraftType + " not made: " + why;
          doc.insertText(text);
          doc.insertPara();
          fail(name + ": " + text);
          if (progress().cancelled()) {
            cancelled = true;
            break;
          }
        }
      }
      // A report cut short by the person does not replace the last complete one.
      if (cancelled) break;
      doc.selectAll();
      doc.setFont("Times New Roman");
      doc.setFontSize(12);
      doc.addPageNumbers();
      try {
        doc.save(name + ".docx");
      } catch (const DocumentError& e) {
        NoteOutputFailure(name + ".docx", e.what());
        fail(name + ": the report cannot be saved: " + e.what());
      }
    } catch (const std::exception& e) {
      // A picture the writer refuses ends this measurement's report, not the
      // batch.
      fail(name + ": the report cannot be made: " + e.what());
    }
    if (cancelled) break;
    std::string logText;
    for (const auto& l : logLines) logText += l + '\n';
    try {
      WriteFileAtomically(logFile, logText);
    } catch (const std::exception& e) {
      fail(name + ": the log " + logFile + " cannot be written: " + e.what());
    }
    if (list_outcome_.failures.size() == failures_before) ++list_outcome_.completed;
  }
  list_outcome_.cancelled = cancelled;
  if (cancelled) AppendLine(listLog, "Cancelled.");
  m.batch_mode = batchBefore;
  prompts_.Status(cancelled ? "Cancelled" : "All Processed");
  return !cancelled;
}

}  // namespace tarmac
