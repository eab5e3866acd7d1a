#pragma once
// What every tarmac subcommand shares: the terminal Prompts, the terminal progress bar with
// Ctrl-C, the common options, JSON output and the PNG plot sink.
#include <CLI/CLI.hpp>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "common/progress.h"
#include "render/session_plots.h"
#include "workflow/prompts.h"
#include "workflow/results_file.h"
#include "workflow/session.h"
#include "workflow/settings.h"

namespace tarmac::cli {

enum ExitCode : int {
  kOk = 0,
  kUsage = 2,
  kInputRefused = 3,
  kComputationRefused = 4,  // also: interrupted (Ctrl-C), or stopped by something unexpected
  kOutputFailed = 5,        // an output could not be written
};

// A message of the windows as one line of the terminal: line breaks become blanks and the
// dialog's advice ("Please retry.") is left out.
std::string OneLine(const std::string& text);

// The profile file the calling thread is reading through ReadProfile (empty otherwise): a refusal
// shown meanwhile names it.
std::string& ProfileBeingRead();

// Messages go to stderr as one line "tarmac: text" (with the title when it says more than
// "error"); input boxes cannot be answered and count as Cancel.
class TerminalPrompts final : public Prompts {
 public:
  void Message(const std::string& text, const std::string& title) override;
  std::optional<std::string> Input(const std::string& prompt, const std::string& title) override;
  void Status(const std::string& text) override;
  int messages = 0;
};

// A progress bar on stderr when it is a terminal; Ctrl-C asks the computation to stop and keeps
// every later output from being written (a second Ctrl-C ends the program at once).
class TerminalProgress final : public Progress {
 public:
  TerminalProgress();
  ~TerminalProgress() override;
  void step(long long done, long long total) override;
  bool cancelled() const override;
  void finish();

 private:
  bool tty_;
  int last_percent_ = -1;
};

// The plots of a command: pictures for reports and, with --plots, one PNG of every thing
// computed, named after it (profile.png, speed.png, straightedge.png, bump.png, iri.png,
// profilograph.png, bandpass.png, B-747-20kt-cg.png, ...). Each picture is taken when its thing
// is drawn, so a later command on the same plot level does not replace an earlier one's picture.
class PngPlotSink final : public RenderPlotSink {
 public:
  // Keep a picture of every level drawn from now on (--plots given).
  bool capture = false;
  // The speed of the simulation about to run, for the names of its pictures; without it the
  // AircraftSpeed setting names them.
  std::optional<double> simulation_knots;

  void LevelDrawn(const ProfileModel& model, int level) override;
  // Writes the pictures taken into `dir`, each replaced atomically; returns the paths written.
  // A picture or folder that cannot be written is noted among the output failures.
  std::vector<std::string> WriteNamedPngs(const std::string& dir) const;

 private:
  std::vector<std::pair<std::string, std::vector<unsigned char>>> pictures_;  // in drawing order
};
// The file name (without ".png") of the picture of plot level `level` as the model holds it.
std::string PictureNameOf(const ProfileModel& model, int level, std::optional<double> knots);

struct CommonOptions;

// A Session talking to the terminal: messages on stderr, a progress bar with Ctrl-C, plots
// drawn into PNG pictures.
struct TerminalSession {
  // The command's appends to the result files: locked against other runs until the command ends,
  // and taken back when it is interrupted.
  ResultsTransaction results;
  TerminalPrompts prompts;
  PngPlotSink plots;
  TerminalProgress progress;
  Session session{prompts, &plots};
  TerminalSession() { session.SetProgress(&progress); }
  // Applies the common options and reads the profile (its path made absolute), then sets the
  // batch mode of --batch. Returns kOk, kUsage or kInputRefused.
  int Open(const CommonOptions& common, const std::string& profile);
  // The outputs every command shares: the PNGs of --plots (listed on the summary stream) and
  // the JSON of --json. An interrupted command writes neither and returns kComputationRefused;
  // an output that failed (here or earlier) gives kOutputFailed; otherwise `rc`.
  int Finish(const CommonOptions& common, const nlohmann::json& j, int rc);
};

struct CommonOptions {
  bool metric = false;
  std::vector<std::string> sets;  // NAME=VALUE
  std::string json;               // file or "-"
  bool series = false;
  std::string plots;              // folder for PNGs
  bool batch = false;
  bool smooth_ends = false;
  std::string surface;            // unspecified|asphalt|concrete
  int channel = 1;                // the channel read from an ERD file
  std::string decimation;         // spacing|fixed; empty keeps the setting (spacing)
  // How a delimited-text profile (.csv, .txt) is read.
  int column = 2;                 // the elevation column, counted from 1
  std::string distance_unit;      // ft|m; empty: from the heading, else feet
  std::string elevation_unit;     // in|ft|mm|m; empty: from the heading, else inches
};

// Adds --metric, --set, --json, --series, --plots, the input options (and with `analysis` also
// --batch, --smooth-ends, --surface).
void AddCommonOptions(CLI::App* app, CommonOptions& o, bool analysis);
// Adds --decimation spacing|fixed (AddCommonOptions adds it with `analysis`).
void AddDecimationOption(CLI::App* app, std::string& rule);
// Adds the options that say how a profile file is read: --channel (ERD), --column,
// --distance-unit and --elevation-unit (delimited text).
void AddInputOptions(CLI::App* app, CommonOptions& o);
// The help text that lists the profile formats read, for a PROFILE argument.
extern const char* const kProfileFormatsHelp;
// Applies units, surface, --decimation and --set values; returns kOk or kUsage.
int ApplyCommonOptions(Session& s, const CommonOptions& o);

// The path as the person gave it, made absolute, so that the results file names the profile
// wherever it is read from.
std::string AbsolutePath(const std::string& path);

// The "profile", "units" and "results_file" parts of the JSON output.
nlohmann::json ProfileJson(const Session& s, bool series);
// Where the human summary goes: stdout, or stderr when the JSON itself goes to stdout ("-"),
// so that `--json -` can be piped into another program.
std::ostream& SummaryStream(const std::string& json);
// Writes JSON to a file (replaced atomically) or to stdout ("-"); returns false with a message
// when it cannot (noted among the output failures).
bool WriteJson(const nlohmann::json& j, const std::string& dest);

// The end of every command: an interrupted run gives kComputationRefused; otherwise each output
// that failed is named on stderr and the code is kOutputFailed; otherwise `rc`.
int OutcomeOfOutputs(int rc);
// main's handler of anything a command throws: the message on stderr, kComputationRefused.
int ReportUnexpected(std::exception_ptr thrown);
// A series as a JSON array (floats printed as floats).
nlohmann::json SeriesJson(const std::vector<float>& v);
double FloatForJson(float x);

// The words a command line was given, kept for the JSON's "tarmac" block.
void SetCommandLine(int argc, const char* const* argv);
// {"version", "command_line"}: which program wrote a JSON, and how it was asked.
nlohmann::json TarmacJson();

// Checks the words before CLI11 parses them, so that a slip gets a plain answer: an unknown
// command or option names the nearest valid one, and an option whose value is missing because
// the next word is another option (`--json --batch`) is refused. kOk or kUsage (said on stderr).
int CheckCommandLine(CLI::App& app, int argc, const char* const* argv);

// Checks that a profile file can be read before the session reads it: it exists and its
// extension names a profile format. Then reads it (its path made absolute). kOk or kInputRefused,
// with one line on stderr naming the file and why.
int ReadProfile(Session& s, const std::string& path);

// The range a setting takes in the units shown, as `tarmac settings` lists it and `--set`
// refuses with: "0.001 to 2 ft", "spacing or fixed".
std::string SettingRangeText(const SettingSpec& spec, const Units& units);
// The unit a setting is typed in: "ft", "m", "knots" or nothing.
std::string SettingUnit(const SettingSpec& spec, const Units& units);
// The settings --set takes that are texts chosen from a list outside the settings table.
struct TextSetting {
  const char* name;
  std::vector<std::string> choices;
};
const std::vector<TextSetting>& TextSettings();
std::string ChoiceText(const std::vector<std::string>& choices);  // "a, b or c"
std::string TextSettingValue(const TextSetting& t, const Settings& s);
// Applies one --set NAME=VALUE: names without regard to case, values checked against the
// setting's range first so that a refusal is one line naming the range. False when refused.
bool ApplySetOption(Session& s, const std::string& name_value);
// The settings in force: every row of the settings table with its value in the units shown and
// that unit, and the aircraft, surface and straightedge position.
nlohmann::json SettingsJson(const Session& s);

// Registration of the subcommands; each returns its exit code through `rc`.
void RegisterRead(CLI::App& app, int& rc);
void RegisterAnalyze(CLI::App& app, int& rc);
void RegisterProcessSim(CLI::App& app, int& rc);
void RegisterExport(CLI::App& app, int& rc);
void RegisterSynth(CLI::App& app, int& rc);
void RegisterDemo(CLI::App& app, int& rc);
void RegisterBatch(CLI::App& app, int& rc);  // batch and chart
void RegisterSpectra(CLI::App& app, int& rc);  // psd, pdf and cdf
void RegisterEdit(CLI::App& app, int& rc);
void RegisterSettings(CLI::App& app, int& rc);

}  // namespace tarmac::cli
