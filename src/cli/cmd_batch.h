#pragma once
// The unattended report over a list of profiles, callable from other subcommands (the demo).
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tarmac::cli {

struct BatchRunOptions {
  bool metric = false;
  std::optional<bool> runway;      // unset: the default of the settings (a runway)
  std::vector<std::string> sets;   // NAME=VALUE settings
  std::string decimation;          // --decimation spacing|fixed (empty: the setting's default)
  int jobs = 1;                    // profiles processed side by side
};

// The profiles of the batch's arguments: a file as it is, a folder as all its .pro files (in any
// case of the extension) in name order. Empty with `error` set when a folder cannot be read or
// holds no profile.
std::vector<std::string> BatchProfiles(const std::vector<std::string>& args, std::string& error);

// Runs the batch report over `files` (in order, or on `jobs` threads with the same documents
// and the shared files' lines in input order). Writes one "report: PATH" line per profile
// processed to `out`, then the summary ("3 of 4 processed; failed: ..."). Returns an exit code:
// kOk only when every profile was processed; kInputRefused when one failed;
// kComputationRefused when interrupted; kOutputFailed when an output could not be written;
// kUsage for bad options.
int RunBatchFiles(const std::vector<std::string>& files, const BatchRunOptions& options,
                  std::ostream& out);

// "1-10", "2,6-9": the chart rows named, each 1..10, in order without repeats; false when the
// text names no valid row list.
bool ParseChartRows(const std::string& text, std::vector<int>& rows);

}  // namespace tarmac::cli
