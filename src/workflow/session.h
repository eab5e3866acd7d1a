#pragma once
// Session: the main window's logic without widgets. It owns one ProfileModel and implements
// every command of the program as a method. It calls the numerical core, publishes results into
// the model, appends the text result files, and talks to the person only through Prompts and to
// the plots only through PlotSink. A command that fails or is cancelled leaves the model as it
// was and returns false; the reason has gone through Prompts.
#include <memory>
#include <string>
#include <vector>

#include "common/progress.h"
#include "indexes/sections.h"
#include "workflow/profile_model.h"
#include "workflow/prompts.h"

namespace tarmac {

class Session {
 public:
  explicit Session(Prompts& prompts, PlotSink* plots = nullptr);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  ProfileModel& model() { return model_; }
  const ProfileModel& model() const { return model_; }
  Prompts& prompts() { return prompts_; }
  void SetProgress(Progress* progress) { progress_ = progress; }
  Progress& progress() { return progress_ ? *progress_ : null_progress_; }

  // --- Settings and units -------------------------------------------------------------------
  void SetMetric(bool metric);                 // chkMeter, `SetUnits`
  void SetConcrete(bool checked);              // ChkConcrete
  void SetSurface(const std::string& option);  // parameter window's surface options
  // `--set NAME=VALUE` / a grid edit: `value` in display units. False with a message when refused.
  bool SetSetting(const std::string& name, const std::string& value);

  // --- Profile files ------------------------------------------------------------------------
  // The read command with a chosen path: reads a .pro (and its .spd) or .dat profile.
  bool ReadFile(const std::string& path);
  // The save command: writes `ProfileZ` as a .pro without marker.
  bool SaveProfile(const std::string& path);
  // The index summary line of "Indexes.txt".
  bool SaveIndexes();

  // --- Indexes ------------------------------------------------------------------------------
  // The index option k: 0 straightedge, 1 Boeing Bump, 2 IRI, 3 CA profilograph, 4 band-pass,
  // 5 the filter test.
  bool RunIndex(int k);
  bool HighPass();

  // --- Simulation (session_simulation.cpp) -------------------------------------------------
  // Runs `AircraftType` at `AircraftSpeed` (or at `speedFps` when given) over the profile.
  bool RunSimulation(double speedFps = -1.0);
  // The simulation batch over a list of measurements.
  bool ProcessSimList(const std::string& listFile);
  // (end of simulation block)

  // --- Spectra, distributions and editing (session_spectra.cpp, session_editing.cpp) -------
  // (end of spectra and editing block)

  // --- Batch report and index chart (session_batch.cpp, session_chart.cpp) ------------------
  // (end of batch block)

  // --- Exchange files (session_exchange.cpp) -------------------------------------------------
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
  // The undo copies of repair and new length are worthless once the profile is saved.
  void DiscardUndoCopies() { model_.undo.Clear(); }

  // Publishes one chart row of the section tables: part values and lengths (display units,
  // already rounded as the tables hold them), part count and chart title.
  // `lengths` null leaves `SectionLength` as it is (the profilograph keeps its own lengths).
  void PublishSectionRow(int row, const std::vector<float>& values,
                         const std::vector<float>* lengths, const std::string& chartTitle);
  // Publishes the values of the three 2000-ft stretches.
  void PublishStretches(double first, double center, double last);

  // Refuses a command while no profile has been read (message through Prompts).
  bool RequireProfile();
  // Appends to the results file unless in batch mode.
  void AppendResults(const std::vector<std::string>& lines);

 private:
  // Fills a plot level with a new series and draws it.
  void FillLevel(int level, std::vector<float> data, double step_ft, const std::string& kind,
                 const std::string& title, const std::string& drawnTitle);
  void RunStraightedge(PreparedProfile prepared);
  void RunBoeingBump(PreparedProfile prepared);
  void RunIri(PreparedProfile prepared);
  void RunProfilograph(PreparedProfile prepared);
  void RunBandpass();
  void PublishIndexSections(const IndexSections& s);
  void DrawLevel(int level, const std::string& title, std::int32_t first, std::int32_t last,
                 bool redraw, double factor);

  Prompts& prompts_;
  PlotSink* plots_;
  Progress* progress_ = nullptr;
  NullProgress null_progress_;
  ProfileModel model_;
};

}  // namespace tarmac
