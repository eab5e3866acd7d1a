// tarmac batch: the unattended report of a list of profiles; tarmac chart: the chart document of
// one profile.
#include "cli/cmd_batch.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>

#include "cli/cli_common.h"
#include "common/number_format.h"
#include "render/paint_support.h"
#include "spectra/cumulative.h"
#include "workflow/atomic_file.h"
#include "workflow/batch_runner.h"
#include "workflow/spectra_texts.h"
#include "workflow/results_file.h"
#include "workflow/summary.h"
#include "workflow/unexpected.h"

namespace tarmac::cli {
namespace {

namespace fs = std::filesystem;

int Configure(Session& s, const BatchRunOptions& o) {
  CommonOptions common;
  common.metric = o.metric;
  common.sets = o.sets;
  common.decimation = o.decimation;
  if (int rc = ApplyCommonOptions(s, common); rc != kOk) return rc;
  if (o.runway) s.SetRunway(*o.runway);
  return kOk;
}

std::string ReportPath(const std::string& profile) {
  const std::string name = NameOf(profile);
  const std::string base = name.size() >= 4 ? name.substr(0, name.size() - 4) : std::string();
  return FolderOf(profile) + "WordFile/" + base + ".docx";
}

// The profiles side by side (workflow/batch_runner.h), each worker talking to the terminal.
int RunParallel(const std::vector<std::string>& files, const BatchRunOptions& o, int jobs,
                TerminalProgress& progress, std::vector<char>& done, Session::BatchOutcome& outcome) {
  std::atomic<int> rc{kOk};
  BatchRunner runner(
      files, jobs,
      [] {
        return BatchRunner::Worker{std::make_unique<TerminalPrompts>(),
                                   std::make_unique<PngPlotSink>()};
      },
      [&rc, &o](Session& s) {
        const int c = Configure(s, o);
        if (c != kOk) rc = c;
        return c == kOk;
      });
  runner.Run(progress);
  done = runner.Processed();
  outcome = runner.Outcome();
  return rc;
}

bool ParseRowItem(const std::string& item, std::vector<int>& rows) {
  const auto dash = item.find('-');
  int a = 0, b = 0;
  try {
    std::size_t used = 0;
    if (dash == std::string::npos) {
      a = b = std::stoi(item, &used);
      if (used != item.size()) return false;
    } else {
      const std::string l = item.substr(0, dash), r = item.substr(dash + 1);
      a = std::stoi(l, &used);
      if (used != l.size()) return false;
      b = std::stoi(r, &used);
      if (used != r.size()) return false;
    }
  } catch (const std::exception&) {
    return false;
  }
  if (a < 1 || b > 10 || a > b) return false;
  for (int i = a; i <= b; ++i) rows.push_back(i);
  return true;
}

struct ChartOptions {
  std::string profile;
  std::string rows = "1-10";
  CommonOptions common;
};

int RunChart(const ChartOptions& o) {
  std::vector<int> rows;
  if (!ParseChartRows(o.rows, rows)) {
    std::cerr << "--rows takes chart rows 1 to 10 as a list of numbers and ranges, e.g. 1-5,8\n";
    return kUsage;
  }
  paint::EnsureGuiApplication();
  TerminalSession t;
  if (int rc = t.Open(o.common, o.profile); rc != kOk) return rc;
  Session& s = t.session;
  TerminalProgress& progress = t.progress;

  // The index of each index row: straightedge, bump, IRI, band-pass, profilograph.
  constexpr int kOptionOfRow[6] = {-1, 0, 1, 2, 4, 3};
  for (int row : rows)
    if (row <= 5) {
      const bool ok = s.RunIndex(kOptionOfRow[row]);
      progress.finish();
      if (!ok) return kComputationRefused;
    }
  const bool b747 = s.model().settings.AircraftType == "B-747";
  if (std::any_of(rows.begin(), rows.end(), [](int r) { return r >= 6; })) {
    const bool ok = s.RunSimulation();
    progress.finish();
    if (!ok) return kComputationRefused;
  }
  int saved = 0;
  for (int row : rows) {
    if (row == 10 && !b747) {
      std::cerr << "Row 10 (rear main gear) exists for the B-747 only; skipped.\n";
      continue;
    }
    if (!s.ShowIndexChart(row)) return kComputationRefused;
    if (!s.SaveToWordFile()) {
      // The reason has been shown; the document could not take the chart.
      const std::string name = NameOf(o.profile);
      const auto dot = name.find_last_of('.');
      const std::string doc = FolderOf(AbsolutePath(o.profile)) + "ChartFile/" +
                              (dot == std::string::npos ? name : name.substr(0, dot)) + "Chart.docx";
      NoteOutputFailure(doc, "Cannot add the chart to " + doc + ".");
      return OutcomeOfOutputs(progress.cancelled() ? kComputationRefused : kOutputFailed);
    }
    ++saved;
  }
  const std::string name = NameOf(o.profile);
  const auto dot = name.find_last_of('.');
  std::cout << "chart: " << FolderOf(o.profile) << "ChartFile/"
            << (dot == std::string::npos ? name : name.substr(0, dot)) << "Chart.docx (" << saved
            << " charts)\n";
  return kOk;
}

}  // namespace

bool ParseChartRows(const std::string& text, std::vector<int>& rows) {
  rows.clear();
  std::stringstream ss(text);
  std::string item;
  while (std::getline(ss, item, ','))
    if (!ParseRowItem(item, rows)) return false;
  std::vector<int> unique;
  for (int r : rows)
    if (std::find(unique.begin(), unique.end(), r) == unique.end()) unique.push_back(r);
  rows = std::move(unique);
  return !rows.empty();
}

std::vector<std::string> BatchProfiles(const std::vector<std::string>& args, std::string& error) {
  std::vector<std::string> files;
  for (const std::string& arg : args) {
    std::error_code ec;
    if (!fs::is_directory(arg, ec)) {
      files.push_back(arg);
      continue;
    }
    // A folder stands for all its .pro files, in name order.
    std::vector<std::string> found;
    for (fs::directory_iterator it(arg, ec), end; !ec && it != end; it.increment(ec)) {
      std::string ext = it->path().extension().string();
      for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      std::error_code rc;
      if (ext == ".pro" && it->is_regular_file(rc)) found.push_back(it->path().string());
    }
    if (ec) {
      error = "The folder " + arg + " cannot be read: " + ec.message() + ".";
      return {};
    }
    if (found.empty()) {
      error = "The folder " + arg + " holds no .pro profile.";
      return {};
    }
    std::sort(found.begin(), found.end());
    files.insert(files.end(), found.begin(), found.end());
  }
  return files;
}

int RunBatchFiles(const std::vector<std::string>& files, const BatchRunOptions& o,
                  std::ostream& out) {
  if (o.jobs < 1) {
    std::cerr << "--jobs must be at least 1\n";
    return kUsage;
  }
  // Fonts need the application object of the main thread before any worker draws.
  paint::EnsureGuiApplication();
  TerminalPrompts prompts;
  TerminalProgress progress;
  const auto start = std::chrono::steady_clock::now();
  const int jobs = std::min<int>(o.jobs, static_cast<int>(files.size()));
  std::vector<char> done(files.size(), 0);
  Session::BatchOutcome outcome;
  int rc = kOk;
  if (jobs <= 1 || static_cast<int>(files.size()) > Session::kMaxBatchFiles) {
    PngPlotSink plots;
    Session s(prompts, &plots);
    s.SetProgress(&progress);
    if (int c = Configure(s, o); c != kOk) return c;
    const bool ok = s.AutoProcessAll(files);
    progress.finish();
    outcome = s.LastBatch();
    if (!ok && outcome.processed == 0 && outcome.failed.empty() && !outcome.interrupted)
      return kInputRefused;  // refused as a whole (no profile, too many)
    // The profiles were taken in order up to the end or the interruption; those that did not
    // fail have their report.
    const std::size_t attempted = static_cast<std::size_t>(outcome.processed) + outcome.failed.size();
    for (std::size_t i = 0; i < files.size() && i < attempted; ++i) done[i] = 1;
    for (const auto& f : outcome.failed) done[static_cast<std::size_t>(f.position - 1)] = 0;
  } else {
    rc = RunParallel(files, o, jobs, progress, done, outcome);
    progress.finish();
    if (rc != kOk) return rc;
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const bool all = outcome.processed == outcome.chosen;
    prompts.Status(all ? "All Processed" : Session::BatchSummary(outcome));
    prompts.Message((all ? std::string("All Processed.") : Session::BatchSummary(outcome) + ".") +
                        " ET = " + FormatNumber(seconds, "0") + " s",
                    "Automatic Processing");
  }
  for (std::size_t i = 0; i < files.size(); ++i)
    if (done[i]) out << "report: " << ReportPath(files[i]) << "\n";
  // The summary of the run, beside the first profile's report.
  if (!outcome.interrupted && !files.empty() && !OutputsInterrupted()) {
    const std::string folder = FolderOf(files.front()) + "WordFile/";
    for (const char* ext : {".xlsx", ".csv"}) {
      std::error_code ec;
      const std::string path = folder + kSummaryBaseName + ext;
      if (fs::is_regular_file(path, ec)) out << "summary: " << path << "\n";
    }
  }
  // The last line says what became of the selection.
  out << Session::BatchSummary(outcome) << "\n";
  if (outcome.interrupted) rc = kComputationRefused;
  else if (!outcome.failed.empty()) rc = kInputRefused;
  return OutcomeOfOutputs(rc);
}

void RegisterBatch(CLI::App& app, int& rc) {
  {
    struct BatchCli {
      std::vector<std::string> files;
      bool runway = false, taxiway = false;
      BatchRunOptions run;
    };
    auto o = std::make_shared<BatchCli>();
    CLI::App* sub = app.add_subcommand(
        "batch",
        "Process many profiles unattended: for each .pro file read it with its .spd speeds, "
        "compute the five roughness indexes, the cumulative distributions of the straightedge "
        "deviation and the Boeing Bump Index, simulate the B-727 and the B-747 at 20 knots (and "
        "at 100 knots on a runway), and write a report document WordFile/<name>.docx beside the "
        "profiles and the charts of every row into ChartFile/<name>Chart.docx, and a summary of the run "
        "(one row per profile: length, spacing, the five indexes with their 2000-ft stretches, "
        "the largest Boeing Bump Index, each aircraft's accelerations and largest dynamic load "
        "coefficient; a last row for the profiles that failed) as WordFile/Summary.xlsx and "
        "WordFile/Summary.csv beside the first profile. At most 200 profiles per run. Nothing is appended to Results.txt but the name of each profile read; "
        "each Boeing Bump Index run appends its line to BoeingBumpPDFs.txt.\n"
        "A profile that cannot be processed (not a .pro, missing, refused by the reader) gets no "
        "report; the others go on, and the last line sums up, e.g. \"3 of 4 processed; failed: "
        "RW09.dat (wrong extension)\". Exit code 0 only when every profile was processed; 3 when "
        "one failed, 4 when interrupted with Ctrl-C, 5 when a report could not be written.");
    sub->add_option("FILE", o->files,
                    "Profiles (.pro) to process, in this order; a folder stands for all its .pro "
                    "files, in name order")
        ->required();
    auto* rw = sub->add_flag("--runway", o->runway,
                             "The profiles are runways: simulate at 100 knots too (default)");
    sub->add_flag("--taxiway", o->taxiway, "The profiles are taxiways: simulate at 20 knots only")
        ->excludes(rw);
    sub->add_flag("--metric", o->run.metric, "Report in metric units");
    sub->add_option("--set", o->run.sets, "Analysis setting NAME=VALUE (display units); repeatable");
    AddDecimationOption(sub, o->run.decimation);
    sub->add_option("--jobs", o->run.jobs,
                    "Profiles processed side by side on this many threads (default 1); the "
                    "documents and the order of the lines appended are those of a sequential run")
        ->check(CLI::Range(1, 64));
    sub->callback([o, &rc] {
      if (o->runway) o->run.runway = true;
      if (o->taxiway) o->run.runway = false;
      std::string error;
      const std::vector<std::string> files = BatchProfiles(o->files, error);
      if (!error.empty()) {
        std::cerr << "tarmac: " << error << "\n";
        rc = kInputRefused;
        return;
      }
      rc = RunBatchFiles(files, o->run, std::cout);
    });
  }
  {
    auto o = std::make_shared<ChartOptions>();
    CLI::App* sub = app.add_subcommand(
        "chart",
        "Chart a profile's results by section and append the charts to the chart document "
        "ChartFile/<name>Chart.docx beside the profile (created when missing). Rows: 1 "
        "straightedge, 2 Boeing Bump Index, 3 IRI, 4 band-pass, 5 California profilograph, 6 cg "
        "acceleration, 7 cockpit acceleration, 8 nose gear, 9 (front) main gear, 10 rear main "
        "gear (B-747 only). Rows 6 to 10 simulate AircraftType at AircraftSpeed (see --set).");
    sub->add_option("PROFILE", o->profile, kProfileFormatsHelp)->required();
    sub->add_option("--rows", o->rows, "Chart rows as numbers and ranges, e.g. 1-5,8 (default 1-10)");
    AddCommonOptions(sub, o->common, true);
    sub->callback([o, &rc] { rc = RunChart(*o); });
  }
}

}  // namespace tarmac::cli
