#pragma once
// Session: the main window's logic without widgets. It owns one ProfileModel and implements
// every command of the program as a method. It calls the numerical core, publishes results into
// the model, appends the text result files, and talks to the person only through Prompts and to
// the plots only through PlotSink. A command that fails or is cancelled leaves the model as it
// was and returns false; the reason has gone through Prompts.
//
// The model is the session's: outside the workflow layer it is read only (model() is const), and
// it changes only through the commands and setters below, each of which tells the change
// listener what it changed. The long commands are also offered as jobs (workflow/job.h) that a
// window computes on a worker thread.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/progress.h"
#include "indexes/sections.h"
#include "spectra/pdf.h"
#include "spectra/psd.h"
#include "workflow/job.h"
#include "workflow/model_change.h"
#include "workflow/profile_model.h"
#include "workflow/profile_read.h"
#include "workflow/prompts.h"
#include "workflow/summary.h"

namespace tarmac {

class Session {
 public:
  explicit Session(Prompts& prompts, PlotSink* plots = nullptr);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  const ProfileModel& model() const { return model_; }
  Prompts& prompts() { return prompts_; }
  void SetProgress(Progress* progress) { progress_ = progress; }
  Progress& progress() { return progress_ ? *progress_ : null_progress_; }

  // --- Jobs and change notification ---------------------------------------------------------
  // Called on the session's thread once per command that changed the model, with what changed.
  // The listener must not throw; it may read the model but not start another command.
  void SetChangeListener(std::function<void(const ModelChange&)> listener) {
    listener_ = std::move(listener);
  }
  // Computes and publishes a prepared job on the calling thread, with progress(). True when the
  // result was published.
  bool RunJob(Job& job);
  // The common base of the session's jobs and the two whose results a window takes
  // (workflow/session_jobs.h).
  class JobBase;
  class PsdJob;
  class PdfJob;

  // --- Settings and units -------------------------------------------------------------------
  void SetMetric(bool metric);                 // chkMeter, `SetUnits`
  void SetConcrete(bool checked);              // ChkConcrete
  void SetSurface(const std::string& option);  // parameter window's surface options
  // `--set NAME=VALUE` / a grid edit: `value` in display units. False with a message when refused.
  bool SetSetting(const std::string& name, const std::string& value);
  // The main window's check boxes and the batch flag.
  void SetSmoothEnds(bool smooth);   // chkSmoothEnds
  void SetRunway(bool runway);       // ChkRunway: the batch simulates the take-off roll too
  // Refuses a command while no profile has been read (message through Prompts); a window asks
  // before it starts a two-click selection.
  bool RequireProfile();
  // While set, the index and simulation commands append nothing to the results file (a batch
  // run writes its reports elsewhere). Reading a profile clears it.
  void SetBatchMode(bool batch) { model_.batch_mode = batch; }

  // --- Profile files ------------------------------------------------------------------------
  // The read command with a chosen path: reads a .pro (and its .spd), .dat, .erd, or delimited
  // text (.csv, .txt) profile.
  bool ReadFile(const std::string& path);
  // The save command: writes `profile` at its spacing in the format the extension names: .pro
  // (with the end marker and the spacing), .dat, .erd or .csv (display units). Other extensions
  // are refused.
  bool SaveProfile(const std::string& path);
  // Whether SaveProfile writes a file of that name (by its extension).
  static bool CanSaveProfileAs(const std::string& path);
  // The index summary line of "Indexes.txt".
  bool SaveIndexes();

  // --- Indexes ------------------------------------------------------------------------------
  // The index option k: 0 straightedge, 1 Boeing Bump, 2 IRI, 3 CA profilograph, 4 band-pass,
  // 5 the filter test.
  bool RunIndex(int k);
  // The same as a job; nullptr (after the message) when refused.
  std::unique_ptr<Job> PrepareIndex(int k);
  bool HighPass();

  // --- Simulation (session_simulation.cpp) -------------------------------------------------
  // Runs `AircraftType` at `AircraftSpeed` (or at `speedFps` when given) over the profile.
  // A refused, failed or cancelled run shows why and leaves the model as it was.
  bool RunSimulation(double speedFps = -1.0);
  // The same as a job; nullptr (after the message) when refused.
  std::unique_ptr<Job> PrepareSimulation(double speedFps = -1.0);
  // The simulation batch over a list of measurements (one path with a four-character extension
  // per line; relative paths are taken from the list's folder). Writes "ProDatFiles.log" beside
  // the list and, per measurement, its ".Log" and ".docx". False when the list cannot be read.
  bool ProcessSimList(const std::string& listFile);
  // What the last list run did: the measurements listed and completed, and one line per thing
  // that went wrong ("runs/R12: Runway Speed simulation of the B-727 not made: ..."), the lines
  // of the list log.
  struct ListOutcome {
    int listed = 0;
    int completed = 0;  // with both runs made and the report and log written
    std::vector<std::string> failures;
    bool cancelled = false;
    std::string log;  // the list log's path
  };
  const ListOutcome& LastList() const { return list_outcome_; }
  // The log block of the last run for a measurement (empty when no run has been made).
  std::vector<std::string> WriteLogData(const std::string& measurementName) const;

 private:
  // One run; on failure `failure` (when given) receives the reason that was shown.
  bool Simulate(double speedFps, std::string* failure);
  class IndexJob;
  class SimulationJob;
  std::unique_ptr<SimulationJob> MakeSimulationJob(double speedFps);

 public:
  // (end of simulation block)

  // --- Spectra, distributions and editing (session_spectra.cpp, session_editing.cpp) -------
  // The series of the spectra window: the profile (prepared with factor 10, in feet, at an
  // assumed 58.0 ft/s) or a response level 1..5 of the last simulation.
  enum class SpectrumSeries { Profile = 0, Gcg = 1, Gcp = 2, NoseForce = 3, MainForce = 4,
                              RearMainForce = 5 };
  // caption of the series' option ("Profile", "Gcg", "Gcp", "NoseForce", "MainForce",
  // "Rear MainForce").
  static std::string SpectrumSeriesCaption(SpectrumSeries series);
  // The PSD button; `exponentText` is the box " n of 10^n (PSD)". Nothing on refusal.
  std::optional<PsdResult> RunPsd(SpectrumSeries series, const std::string& exponentText = "10");
  // The PDF button. Nothing on refusal (a constant or too short series among others).
  std::optional<PdfResult> RunPdf(SpectrumSeries series);
  // The same as jobs (workflow/session_jobs.h); nullptr (after the message) when refused.
  std::unique_ptr<PsdJob> PreparePsd(SpectrumSeries series, const std::string& exponentText = "10");
  std::unique_ptr<PdfJob> PreparePdf(SpectrumSeries series);
  // The parameter window's distribution run over the straightedge deviations (in display
  // units: mm or inches, labelled so) or the Boeing Bump Index (appends its line to
  // "BoeingBumpPDFs.txt"). The request holds what the distribution picture shows.
  enum class DistributionSeries { Straightedge = 0, BoeingBump = 1 };
  std::optional<CdfRequest> RunDistribution(DistributionSeries series);
  // Repair smooths the profile with the moving carriage; the profile before it is kept so
  // that UndoRepair can put it back.
  bool Repair();
  bool UndoRepair();
  // Clicks x1, x2 are plot x coordinates (hundreds of display length units from the start).
  bool Zoom(int level, float x1, float x2);
  bool UndoZoom(int level);
  // Cuts the profile (and level 0) to the stretch between the clicks; up to 10 cuts stack.
  bool NewLength(int level, float x1, float x2);
  bool UndoNewLength();
  // Fits a parabolic vertical curve around the left click as its vertex.
  bool VerticalCurve(int level, float x1, float x2);
  // (end of spectra and editing block)

  // --- Batch report and index chart (session_batch.cpp, session_chart.cpp) ------------------
  // `cmdAuto`: the unattended report of every chosen profile, in order; at most kMaxBatchFiles.
  // Ends with "All Processed." and the elapsed seconds, or with the "Error No = " message.
  static constexpr int kMaxBatchFiles = 200;
  bool AutoProcessAll(const std::vector<std::string>& files);
  // Around the steps of one profile that append to files shared by the whole selection
  // ("Results.txt", "BoeingBumpPDFs.txt"): profiles processed side by side take turns there.
  struct BatchTurn {
    std::function<void()> begin;  // waits for this profile's turn
    std::function<void()> end;    // hands the turn on
    // When set, the lines meant for the selection's other shared files after the read (the
    // Boeing Bump distribution) are gathered in this private folder and handed to `deliver`
    // once the profile is done, so that the turn covers the read alone.
    std::string private_folder;
    std::function<void(const std::string& folder, const std::vector<std::string>& lines)> deliver;
  };
  // One profile of a batch run, number `i` of `n`, with its report document (and chart
  // document). Shows nothing when it succeeds; false after the "Error No = " message, with the
  // file and a short reason added to LastBatch().failed. A refused file gets no document.
  bool AutoProcessFile(const std::string& path, int i, int n, const BatchTurn* turn = nullptr);
  // What the last batch run made of the profiles chosen: a refused or failed profile is listed
  // with a short reason ("wrong extension", "not found", ...) and the run goes on with the next;
  // Ctrl-C ends the run.
  struct BatchFailure {
    std::string file;    // the name as chosen, without its folder
    std::string reason;  // short: "wrong extension", "not found", "could not be read", ...
    int position = 0;    // its place in the selection, from 1
  };
  struct BatchOutcome {
    int chosen = 0;
    int processed = 0;
    std::vector<BatchFailure> failed;
    bool interrupted = false;
  };
  const BatchOutcome& LastBatch() const { return batch_; }
  // The summary rows of the profiles the last batch run processed, in input order.
  const std::vector<SummaryRow>& LastBatchSummary() const { return batch_summary_; }
  // "3 of 4 processed; failed: RW09.dat (wrong extension)", "; interrupted" when stopped.
  static std::string BatchSummary(const BatchOutcome& outcome);
  // The picture and texts of chart row `row` (1..10) as `ShowIndexChart` shows them; rows 6..10
  // store their composed title into `chart_title`(row).
  ChartRequest IndexChartRequest(int row);
  // `ShowIndexChart`: the chart of `row` becomes the chart shown (and saved by SaveToWordFile).
  bool ShowIndexChart(int row);
  // `SaveToWordFile_Click`: appends the chart shown to "<profile>Chart.docx" in the "ChartFile"
  // folder beside the profile.
  bool SaveToWordFile();
  // `Form_Activate` in a batch run: rows 1..9 (1..10 for the B-747), each shown and saved.
  bool ChartAllRows();
  // (end of batch block)

  // --- Exchange files (session_exchange.cpp) -------------------------------------------------
  // Reads channel `channel` (from 1) of an ERD file like a profile; a speed channel in the file
  // fills level 1 as a speed file would. Refused (model unchanged) on a bad file or a channel
  // that is not an elevation.
  bool ReadErdFile(const std::string& path, int channel);
  // The channel ReadFile takes from an ERD file (`--channel`; 1 unless set).
  void SetErdChannel(int channel) { erd_channel_ = channel; }
  int ErdChannelInUse() const { return erd_channel_; }
  // How ReadFile takes a delimited-text profile (elevation column, units).
  void SetDelimitedOptions(const DelimitedTextOptions& options) { delimited_ = options; }
  const DelimitedTextOptions& DelimitedOptions() const { return delimited_; }
  // The channels of the ERD file read last (empty after other formats), for a choice of channel.
  const std::vector<std::string>& ErdChannelNames() const { return erd_channel_names_; }
  // Writes `profile` (inches, feet) and, when level 1 holds the survey speed, the speed as a
  // second channel, to an ERD text file.
  bool ExportErd(const std::string& path);
  // Writes level `level`'s series as CSV: distance and value in display units, named with units.
  bool ExportLevelCsv(const std::string& path, int level);
  // The CSV column headings of a level, e.g. "Distance (ft)" and "ZProfile (in)".
  std::pair<std::string, std::string> LevelCsvHeadings(int level) const;

 private:
  int erd_channel_ = 1;
  DelimitedTextOptions delimited_;
  std::vector<std::string> erd_channel_names_;
  // Reads a profile file of `format` and publishes it; false (model unchanged) when refused.
  bool ReadProfileAs(const std::string& path, ProfileFormat format, int erdChannel);

 public:
  // (end of exchange block)

  // --- Plot levels --------------------------------------------------------------------------
  // `ShowLevelPlot`: level values converted to display units by the level's factor.
  void ShowLevelPlot(int level, const std::string& title, std::int32_t first, std::int32_t last,
                     bool redraw);
  // `ShowResponsePlot`: values already in display units, the caller's title.
  void ShowResponsePlot(int level, const std::string& title, std::int32_t first,
                        std::int32_t last, bool redraw);
  // The display factor of a level's values.
  double LevelValueFactor(int level) const;
  // `ClearResults`: the section table and the result arrays of the current profile.
  void ClearResults();

 private:
  friend struct SessionTestAccess;  // the tests' way to set up a model state directly
  // Collects the changes of one command and hands them to the listener when the outermost
  // command ends.
  class ChangeScope {
   public:
    explicit ChangeScope(Session& s) : s_(s) { ++s_.change_depth_; }
    ~ChangeScope();
    ChangeScope(const ChangeScope&) = delete;
    ChangeScope& operator=(const ChangeScope&) = delete;

   private:
    Session& s_;
  };
  ModelChange& changes() { return pending_; }

  // Puts a profile that was read and checked into the model: file names, the results-file line,
  // level 0 (and level 1 for a speed series in ft/s), the section table, cleared results.
  void PublishReadProfile(const std::string& path, const std::string& profileName, double spacing,
                          std::int32_t countBeforeCut, std::vector<float> profile,
                          std::vector<float> speed);
  // An edit's new analysis profile: level 0 shows it whole, and the repair copy, of the profile
  // before this edit, can no longer be undone.
  void ReplaceProfile(std::vector<float> z, const std::string& kind, const std::string& drawnTitle);
  // The undo copies of repair and new length are worthless once the profile is saved.
  void DiscardUndoCopies() { model_.undo.Clear(); }

  // Publishes one chart row of the section tables: part values and lengths (display units,
  // already rounded as the tables hold them), part count and chart title.
  // `lengths` null leaves `section_lengths` as it is (the profilograph keeps its own lengths).
  void PublishSectionRow(int row, const std::vector<float>& values,
                         const std::vector<float>* lengths, const std::string& chartTitle);
  // Publishes the values of the three 2000-ft stretches.
  void PublishStretches(double first, double center, double last);

  // Appends to the results file unless in batch mode, all or nothing. False when the block could
  // not be written: the person is told (once per results file), and the failure is noted among
  // the output failures (workflow/atomic_file.h) so that the caller does not report success.
  bool AppendResults(const std::vector<std::string>& lines);

  // Fills a plot level with a new series (not zoomed) and draws it.
  void FillLevel(int level, std::vector<float> data, double step_ft, const std::string& kind,
                 const std::string& title, const std::string& drawnTitle);

  void PublishIndexSections(const IndexSections& s);
  // Records the level's plot state (the one range computation, workflow/plot_range.h) and hands
  // the level to the plot sink. `response`: values drawn as stored, in the simulation's units.
  void DrawLevel(int level, const std::string& title, std::int32_t first, std::int32_t last,
                 bool redraw, double factor, bool response);
  // The unit of a level's values as drawn ("cm", "mm", "g", ...; empty for a pure number).
  std::string LevelValueUnit(int level, bool response) const;

  Prompts& prompts_;
  PlotSink* plots_;
  std::string results_failure_shown_;  // the results file whose failure was shown
  BatchOutcome batch_;
  std::vector<SummaryRow> batch_summary_;
  ListOutcome list_outcome_;
  Progress* progress_ = nullptr;
  NullProgress null_progress_;
  ProfileModel model_;
  std::function<void(const ModelChange&)> listener_;
  ModelChange pending_;
  int change_depth_ = 0;
};

// The summary table of a batch run's outcome (workflow/summary.h), in the run's units.
BatchSummaryTable SummaryTableOf(const Session::BatchOutcome& outcome,
                                 const std::vector<SummaryRow>& rows, const Units& units);

}  // namespace tarmac
