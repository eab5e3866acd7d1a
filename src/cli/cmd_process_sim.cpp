// tarmac process-sim: the unattended taxi-speed and runway-speed simulations over a list of
// measurements, with a log and a report document per measurement.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>

#include "cli/cli_common.h"
#include "common/atomic_file.h"

namespace tarmac::cli {
namespace {

struct ProcessSimOptions {
  std::string list;
  CommonOptions common;
};

// A measurement's log as it was before the run, and the identity of its report then.
struct LogBefore {
  std::string log, report;
  std::optional<std::string> contents;  // none: there was no log
  bool known = true;                    // false: too large to keep, left alone
  struct stat report_stat {};
  bool report_existed = false;
};

std::string TrimBlanks(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

// The logs the run may rewrite: one per measurement of the list ("<name>.Log" beside it).
std::vector<LogBefore> LogsBefore(const std::string& list) {
  namespace fs = std::filesystem;
  constexpr std::uintmax_t kLargestKept = 16u << 20;
  std::vector<LogBefore> logs;
  std::ifstream f(list);
  const fs::path folder = fs::path(list).parent_path();
  for (std::string line; std::getline(f, line);) {
    line = TrimBlanks(line);
    if (line.empty()) continue;
    fs::path base(line.size() > 4 ? line.substr(0, line.size() - 4) : line);
    if (base.is_relative()) base = folder / base;
    LogBefore b;
    b.log = base.string() + ".Log";
    b.report = base.string() + ".docx";
    std::error_code ec;
    if (fs::is_regular_file(b.log, ec)) {
      if (fs::file_size(b.log, ec) > kLargestKept) {
        b.known = false;
      } else {
        std::ifstream in(b.log, std::ios::binary);
        b.contents = std::string(std::istreambuf_iterator<char>(in), {});
      }
    } else if (fs::exists(b.log, ec)) {
      b.known = false;
    }
    b.report_existed = ::stat(b.report.c_str(), &b.report_stat) == 0;
    logs.push_back(std::move(b));
  }
  return logs;
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_ino == b.st_ino && a.st_dev == b.st_dev && a.st_size == b.st_size &&
         a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// After Ctrl-C: a measurement whose report was not written gets its log back as it was, so that
// the interrupted run leaves no emptied or half-filled log behind.
void PutBackUnfinishedLogs(const std::vector<LogBefore>& logs) {
  for (const LogBefore& b : logs) {
    if (!b.known) continue;
    struct stat now {};
    const bool report_now = ::stat(b.report.c_str(), &now) == 0;
    const bool report_written =
        report_now && (!b.report_existed || !SameFile(now, b.report_stat));
    if (report_written) continue;
    std::error_code ec;
    try {
      if (!b.contents) {
        std::filesystem::remove(b.log, ec);
      } else {
        std::ifstream in(b.log, std::ios::binary);
        const std::string current(std::istreambuf_iterator<char>(in), {});
        if (current != *b.contents) ReplaceFileAtomically(b.log, *b.contents);
      }
    } catch (const std::exception& e) {
      std::cerr << "tarmac: the log " << b.log << " could not be put back: " << e.what() << "\n";
    }
  }
}

int RunProcessSim(const ProcessSimOptions& o) {
  TerminalPrompts prompts;
  PngPlotSink plots;
  TerminalProgress progress;
  Session s(prompts, &plots);
  s.SetProgress(&progress);
  if (int rc = ApplyCommonOptions(s, o.common); rc != kOk) return rc;
  // Absolute, so that the log and the reports name the measurements wherever they lie.
  const std::string list = std::filesystem::absolute(o.list).lexically_normal().string();
  {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(list, ec)) {
      std::cerr << "tarmac: cannot read the list of measurements " << list << ": no such file\n";
      return kInputRefused;
    }
  }
  const std::vector<LogBefore> logs = LogsBefore(list);
  const bool ok = s.ProcessSimList(list);
  progress.finish();
  if (progress.cancelled()) {
    PutBackUnfinishedLogs(logs);
    return OutcomeOfOutputs(kComputationRefused);
  }
  if (ok) {
    const Session::ListOutcome& outcome = s.LastList();
    std::cout << outcome.completed << " of " << outcome.listed
              << " measurements simulated and reported\n";
  }
  std::cout << "log: " << FolderOf(list) << "ProDatFiles.log\n";
  return OutcomeOfOutputs(ok ? kOk : kInputRefused);
}

}  // namespace

void RegisterProcessSim(CLI::App& app, int& rc) {
  auto o = std::make_shared<ProcessSimOptions>();
  CLI::App* sub = app.add_subcommand(
      "process-sim",
      "Simulate the aircraft (AircraftType, B-727 unless --set) at taxi speed (20 knots) and at "
      "runway speed (100 knots) over every measurement of a list. The list holds one path per "
      "line with its four-character extension (e.g. runs/R12.Pro; relative paths are taken from "
      "the list's folder). Writes ProDatFiles.log beside the list (the measurements skipped and "
      "why) and, beside each measurement, NAME.Log (two log blocks) and NAME.docx (profile, "
      "speed and the acceleration plots).");
  sub->add_option("LIST_FILE", o->list, "The list of measurements, e.g. ProDatFiles.txt")
      ->required();
  sub->add_flag("--metric", o->common.metric,
                "Report in metric units (the .Log files are in feet and seconds whatever the "
                "units)");
  sub->add_option("--set", o->common.sets,
                  "Change a setting, NAME=VALUE in display units (repeatable), e.g. "
                  "AircraftType=B-747, DampingFactor=0.03, NumberOfModes=6, AveragingDistance=500");
  sub->add_flag("--smooth-ends", o->common.smooth_ends,
                "Smooth the profile ends before each simulation");
  AddDecimationOption(sub, o->common.decimation);
  sub->callback([o, &rc] { rc = RunProcessSim(*o); });
}

}  // namespace tarmac::cli
