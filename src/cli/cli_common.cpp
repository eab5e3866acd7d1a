#include "cli/cli_common.h"

#include <unistd.h>

#include <cctype>
#include <charconv>
#include <cstdlib>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "common/number_format.h"
#include "workflow/atomic_file.h"
#include "workflow/index_kind.h"
#include "workflow/profile_read.h"
#include "workflow/unexpected.h"

namespace tarmac::cli {
namespace {

// The first Ctrl-C asks the run to stop where it can and keeps every later output from being
// written; a second one ends the program at once (a read that never returns, say).
void OnInterrupt(int) {
  if (OutputsInterrupted()) {
    std::signal(SIGINT, SIG_DFL);
    std::raise(SIGINT);
    return;
  }
  InterruptOutputs();
}

}  // namespace

std::string OneLine(const std::string& text) {
  std::string t = text;
  // The dialog's advice means nothing to a command that has already ended.
  for (const char* advice : {"Please retry.", "Click Cancel at any time to retain the old value."})
    for (std::size_t at; (at = t.find(advice)) != std::string::npos;)
      t.erase(at, std::char_traits<char>::length(advice));
  std::string out;
  for (char c : t) {
    const bool blank = c == '\r' || c == '\n' || c == ' ' || c == '\t';
    if (blank) {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += c;
    }
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

void TerminalPrompts::Message(const std::string& text, const std::string& title) {
  ++messages;
  // A title that only says "an error" adds nothing to a line that says what failed.
  static const char* const kPlainTitles[] = {"File Error Error", "File Error", "Error",
                                             "Incorrect Data Entry", "Wrong Extension"};
  bool plain = title.empty();
  for (const char* t : kPlainTitles) plain = plain || title == t;
  const std::string& file = ProfileBeingRead();
  const std::string context =
      !plain ? title + ": " : file.empty() ? std::string() : "cannot read the profile " + file + ": ";
  std::cerr << "tarmac: " << context << OneLine(text) << "\n";
}

std::optional<std::string> TerminalPrompts::Input(const std::string&, const std::string&) {
  return std::nullopt;
}

void TerminalPrompts::Status(const std::string& text) {
  if (isatty(STDERR_FILENO)) std::cerr << "\r\033[K" << text << "\n";
}

TerminalProgress::TerminalProgress() : tty_(isatty(STDERR_FILENO) != 0) {
  ResumeOutputs();
  std::signal(SIGINT, OnInterrupt);
}

TerminalProgress::~TerminalProgress() {
  finish();
  std::signal(SIGINT, SIG_DFL);
}

void TerminalProgress::step(long long done, long long total) {
  if (!tty_ || total <= 0) return;
  const int percent = static_cast<int>(100 * done / total);
  if (percent == last_percent_) return;
  last_percent_ = percent;
  const int width = 40;
  const int filled = width * percent / 100;
  std::fprintf(stderr, "\r[%s%s] %3d%%", std::string(static_cast<std::size_t>(filled), '#').c_str(),
               std::string(static_cast<std::size_t>(width - filled), ' ').c_str(), percent);
  std::fflush(stderr);
}

bool TerminalProgress::cancelled() const { return OutputsInterrupted(); }

void TerminalProgress::finish() {
  if (tty_ && last_percent_ >= 0) std::fprintf(stderr, "\r\033[K");
  last_percent_ = -1;
}

void AddCommonOptions(CLI::App* app, CommonOptions& o, bool analysis) {
  app->add_flag("--metric", o.metric, "Show and report metric values (m, mm, m/km)");
  app->add_option("--set", o.sets,
                  "Change a setting, NAME=VALUE in display units (repeatable). Names: "
                  "SampleSpacing, AveragingDistance, SmoothingDistance, StraightedgeLength, "
                  "AircraftSpeed, DampingFactor, NumberOfModes, CuttingLength, SectionLengthCAPI, "
                  "StraightedgePosition, AircraftType, SurfaceType, DecimationRule");
  app->add_option("--json", o.json, "Write the results as JSON to FILE, or to stdout with -");
  app->add_flag("--series", o.series, "Include whole series in the JSON output");
  app->add_option("--plots", o.plots, "Write a PNG of every drawn plot into DIR");
  AddInputOptions(app, o);
  if (analysis) {
    app->add_flag("--batch", o.batch,
                  "Batch mode: append nothing to Results.txt (BoeingBumpPDFs.txt is still written)");
    app->add_flag("--smooth-ends", o.smooth_ends, "Smooth the profile ends before an index");
    app->add_option("--surface", o.surface, "Pavement surface")
        ->check(CLI::IsMember({"unspecified", "asphalt", "concrete"}, CLI::ignore_case));
    AddDecimationOption(app, o.decimation);
  }
}

void AddDecimationOption(CLI::App* app, std::string& rule) {
  app->add_option("--decimation", rule,
                  "How the profile is thinned out before an index, a simulation or a spectrum: "
                  "spacing (default) picks each factor from the sample spacing, "
                  "max(1, round(k x 25 mm / spacing)) with k = 6 (straightedge, IRI, "
                  "profilograph) or 10 (Boeing Bump Index, simulation, spectra), so that every "
                  "profile is worked at the step of a 25-mm profile; fixed uses 6 and 10 whatever "
                  "the spacing (a 0.25-m profile is then worked at 1.5 m). Same as --set "
                  "DecimationRule=...")
      ->check(CLI::IsMember({"spacing", "fixed"}, CLI::ignore_case));
}

const char* const kProfileFormatsHelp =
    "Profile file: .pro (with its .spd), .dat, .erd, or delimited text (.csv, .txt)";

void AddInputOptions(CLI::App* app, CommonOptions& o) {
  app->add_option("--channel", o.channel,
                  "Channel of an .erd profile to read, counted from 1 (default 1); a speed "
                  "channel in the file is read as the survey speed")
      ->check(CLI::Range(1, 256));
  app->add_option("--column", o.column,
                  "Column of a .csv/.txt profile that holds the elevations, counted from 1 "
                  "(default 2; column 1 is always the distance). Columns may be separated by "
                  "commas, semicolons, tabs or blanks, under an optional heading line")
      ->check(CLI::Range(2, 1000));
  app->add_option("--distance-unit", o.distance_unit,
                  "Unit of the distances of a .csv/.txt profile, ft or m. Without it the "
                  "heading's unit counts (\"Distance (m)\", \"distance_ft\"); with no unit named "
                  "anywhere, distances are in feet and elevations in inches")
      ->check(CLI::IsMember({"ft", "m"}, CLI::ignore_case));
  app->add_option("--elevation-unit", o.elevation_unit,
                  "Unit of the elevations of a .csv/.txt profile, in, ft, mm or m. Without it the "
                  "heading's unit counts (\"Elevation (mm)\", \"elevation_in\"); with no unit named "
                  "anywhere, elevations are in inches and distances in feet")
      ->check(CLI::IsMember({"in", "ft", "mm", "m"}, CLI::ignore_case));
}

int ApplyCommonOptions(Session& s, const CommonOptions& o) {
  s.SetMetric(o.metric);
  s.SetErdChannel(o.channel);
  s.SetDelimitedOptions(DelimitedTextOptions{o.column, o.distance_unit, o.elevation_unit});
  s.SetSmoothEnds(o.smooth_ends);
  if (!o.surface.empty()) {
    std::string v = o.surface;
    v[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(v[0])));
    for (std::size_t i = 1; i < v.size(); ++i)
      v[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(v[i])));
    s.SetSurface(v);
  }
  if (!o.decimation.empty() && !s.SetSetting("DecimationRule", o.decimation)) return kUsage;
  for (const auto& nv : o.sets)
    if (!ApplySetOption(s, nv)) return kUsage;
  return kOk;
}

double FloatForJson(float x) {
  // The shortest text of the single-precision value, read back as double, so that the JSON shows
  // 0.1 rather than 0.10000000149011612 and reads back to the same float.
  char buf[32];
  const auto r = std::to_chars(buf, buf + sizeof buf, x);
  return std::strtod(std::string(buf, r.ptr).c_str(), nullptr);
}

nlohmann::json SeriesJson(const std::vector<float>& v) {
  nlohmann::json a = nlohmann::json::array();
  for (float x : v) a.push_back(FloatForJson(x));
  return a;
}

std::string AbsolutePath(const std::string& path) {
  std::error_code ec;
  const auto abs = std::filesystem::absolute(path, ec);
  return ec ? path : abs.lexically_normal().string();
}

std::string PictureNameOf(const ProfileModel& m, int level, std::optional<double> knots) {
  const PlotLevel& l = m.levels.at(static_cast<std::size_t>(level));
  if (level == 0) return "profile";
  if (level == 1 && l.kind == "Speed") return "speed";
  if (const auto kind = IndexKindOfLevel(level);
      kind && l.kind == DescriptionOf(*kind).plot_kind) {
    static const char* const kNames[5] = {"straightedge", "bump", "iri", "profilograph",
                                          "bandpass"};
    return kNames[OptionOf(*kind)];
  }
  std::string kind;
  for (char c : l.kind)
    kind += std::isalnum(static_cast<unsigned char>(c)) || c == '-' ? c : '_';
  // The responses of a simulation, on levels 1 to 5 in the order of the chart rows.
  static const char* const kResponses[6] = {"", "cg", "pilot", "nose", "main", "rear-main"};
  if (level >= 1 && level <= 5 && !kind.empty()) {
    const double speed = knots.value_or(m.settings.AircraftSpeed);
    return kind + "-" + FormatNumber(speed, "0") + "kt-" + kResponses[level];
  }
  return "level" + std::to_string(level) + (kind.empty() ? "" : "-" + kind);
}

void PngPlotSink::LevelDrawn(const ProfileModel& model, int level) {
  RenderPlotSink::LevelDrawn(model, level);
  if (!capture) return;
  std::vector<unsigned char> png = LevelPicture(model, level);
  if (png.empty()) return;
  const std::string name = PictureNameOf(model, level, simulation_knots);
  // A thing drawn again (a zoom, a redraw) keeps its latest picture, in its first place.
  for (auto& [n, p] : pictures_)
    if (n == name) {
      p = std::move(png);
      return;
    }
  pictures_.emplace_back(name, std::move(png));
}

std::vector<std::string> PngPlotSink::WriteNamedPngs(const std::string& dir) const {
  std::vector<std::string> written;
  if (pictures_.empty()) return written;
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (!std::filesystem::is_directory(dir, ec)) {
    NoteOutputFailure(dir, "Cannot write the plots into " + dir + ": " +
                               (std::filesystem::exists(dir, ec)
                                    ? std::string("a file of that name is not a folder")
                                    : "the folder cannot be made") +
                               ".");
    return written;
  }
  for (const auto& [name, png] : pictures_) {
    const std::string path = (std::filesystem::path(dir) / (name + ".png")).string();
    try {
      WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(png.data()), png.size()));
      written.push_back(path);
    } catch (const std::exception&) {
      // Noted among the output failures by the writer (or refused after an interruption).
    }
  }
  return written;
}

int TerminalSession::Open(const CommonOptions& common, const std::string& profile) {
  plots.capture = !common.plots.empty();
  if (int rc = ApplyCommonOptions(session, common); rc != kOk) return rc;
  if (int rc = ReadProfile(session, profile); rc != kOk) return rc;
  session.SetBatchMode(common.batch);
  return kOk;
}

int TerminalSession::Finish(const CommonOptions& common, const nlohmann::json& j, int rc) {
  // Interrupted: no picture and no JSON, and the appends go back out as the transaction ends.
  if (OutputsInterrupted()) return OutcomeOfOutputs(kComputationRefused);
  if (!common.plots.empty())
    for (const auto& p : plots.WriteNamedPngs(common.plots))
      SummaryStream(common.json) << "plot: " << p << "\n";
  if (!common.json.empty()) WriteJson(j, common.json);
  if (!OutputsInterrupted()) results.Commit();
  return OutcomeOfOutputs(rc);
}

nlohmann::json ProfileJson(const Session& s, bool series) {
  const ProfileModel& m = s.model();
  nlohmann::json j;
  j["tarmac"] = TarmacJson();
  std::string format;
  switch (FormatOfName(NameOf(m.data_file))) {
    case ProfileFormat::Binary: format = "pro"; break;
    case ProfileFormat::Text: format = "dat"; break;
    case ProfileFormat::Erd: format = "erd"; break;
    case ProfileFormat::Delimited:
      format = NameOf(m.data_file).substr(NameOf(m.data_file).size() - 3);
      for (char& c : format) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      break;
    case ProfileFormat::Unknown: break;
  }
  const bool speed = m.levels[1].kind == "Speed" && !m.levels[1].data.empty();
  const std::string unit = m.units.LengthLabel;
  j["profile"] = {{"path", m.data_file},
                  {"samples", m.SampleCount()},
                  {"sample_spacing_ft", m.settings.SampleSpacing},
                  {"display_spacing", m.settings.DisplaySpacing},
                  // Each sample stands for one spacing of pavement, as the summary counts it.
                  {"length", m.SampleCount() * m.settings.DisplaySpacing},
                  {"spacing", m.settings.DisplaySpacing},
                  {"source", {{"format", format}, {"speed", speed}}},
                  {"units", {{"sample_spacing_ft", "ft"},
                             {"display_spacing", unit},
                             {"length", unit},
                             {"spacing", unit},
                             {"series", "in"}}}};
  if (series) j["profile"]["series"] = SeriesJson(m.profile);
  j["units"] = m.units.Metric ? "metric" : "US";
  j["results_file"] = m.results_file;
  j["settings"] = SettingsJson(s);
  return j;
}

std::ostream& SummaryStream(const std::string& json) {
  return json == "-" ? std::cerr : std::cout;
}

bool WriteJson(const nlohmann::json& j, const std::string& dest) {
  const std::string text = j.dump(1) + "\n";
  if (dest == "-") {
    std::cout << text << std::flush;
    if (std::cout) return true;
    NoteOutputFailure("standard output", "Cannot write the JSON to the standard output.");
    return false;
  }
  try {
    // A JSON cut short by a kill or a full disk never replaces the previous one.
    WriteFileAtomically(dest, text);
  } catch (const std::exception& e) {
    // The writer has noted the file; the command's outcome names it and exits 5.
    return false;
  }
  return true;
}

int OutcomeOfOutputs(int rc) {
  static bool told_interrupted = false;
  if (OutputsInterrupted()) {
    if (!told_interrupted) std::cerr << "Interrupted: the command stopped; nothing new was written.\n";
    told_interrupted = true;
    TakeOutputFailures();
    return kComputationRefused;
  }
  static bool told_stdout = false;
  if (!(std::cout << std::flush) && !told_stdout) {
    told_stdout = true;
    NoteOutputFailure("standard output", "Cannot write to the standard output.");
  }
  const std::vector<OutputFailure> failures = TakeOutputFailures();
  for (const OutputFailure& f : failures)
    std::cerr << "tarmac: an output could not be written: " << OneLine(f.reason) << "\n";
  if (failures.empty() || rc == kUsage) return rc;
  return kOutputFailed;
}

int ReportUnexpected(std::exception_ptr thrown) {
  std::cerr << "tarmac: " << kUnexpectedTitle << ": the command stopped: " << DescribeException(thrown) << "\n";
  return kComputationRefused;
}

}  // namespace tarmac::cli
