// tarmac demo: the main job on the bundled sample runway.
#include <filesystem>
#include <iostream>

#include "cli/analysis_json.h"
#include "cli/cli_common.h"
#include "cli/cmd_batch.h"
#include "workflow/profile_io.h"

#ifndef TARMAC_DATA_DIR
#define TARMAC_DATA_DIR "data"
#endif

namespace tarmac::cli {
namespace {

struct DemoOptions {
  std::string out = "tarmac-demo";
  std::string data = TARMAC_DATA_DIR;
  bool metric = false;
};

int RunDemo(const DemoOptions& o) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::create_directories(o.out, ec);
  for (const char* name : {"runway.pro", "runway.spd"}) {
    const fs::path from = fs::path(o.data) / name;
    if (!fs::is_regular_file(from, ec)) {
      std::cerr << "tarmac: cannot copy the sample " << from.string() << ": no such file\n";
      return kInputRefused;
    }
    try {
      // The sample is read whole and replaced atomically like every other output.
      const std::string bytes = ReadFileText(from);
      WriteFileAtomically(fs::path(o.out) / name, bytes);
    } catch (const std::exception& e) {
      std::cerr << "tarmac: " << e.what() << "\n";
      return OutcomeOfOutputs(kInputRefused);
    }
  }
  // A fresh run: the result files of an earlier demo would only grow.
  for (const char* name : {"Results.txt", "BoeingBumpPDFs.txt", "Indexes.txt"})
    fs::remove(fs::path(o.out) / name, ec);
  fs::remove_all(fs::path(o.out) / "ChartFile", ec);
  // The pictures are named after what they show; those of an earlier demo would mislead.
  fs::remove_all(fs::path(o.out) / "plots", ec);

  AnalyzeOptions a;
  a.profile = (fs::path(o.out) / "runway.pro").string();
  a.indexes = "all";
  a.simulate = "B-727@20,B-727@100,B-747@20,B-747@100";
  a.save_indexes = true;
  a.common.metric = o.metric;
  a.common.plots = (fs::path(o.out) / "plots").string();
  a.common.json = (fs::path(o.out) / "results.json").string();
  std::cout << "Tarmac demo: the bundled 10 000-ft sample runway, five indexes and four "
               "simulations\n\n";
  int rc = RunAnalyze(a);
  if (rc != kOk) return rc;
  // Then the unattended report of the same profile, as a batch run makes it.
  std::cout << "\nReport document (five indexes, distributions, B-727 and B-747 at 20 and 100 "
               "knots):\n";
  BatchRunOptions b;
  b.metric = o.metric;
  b.runway = true;
  rc = RunBatchFiles({fs::absolute(a.profile).string()}, b, std::cout);
  if (rc != kOk) return rc;
  std::cout << "\nresults: " << fs::absolute(fs::path(o.out) / "Results.txt").string() << "\n"
            << "json:    " << fs::absolute(a.common.json).string() << "\n"
            << "indexes: " << fs::absolute(fs::path(o.out) / "Indexes.txt").string() << "\n"
            << "plots:   " << fs::absolute(a.common.plots).string() << "\n"
            << "report:  " << fs::absolute(fs::path(o.out) / "WordFile" / "runway.docx").string()
            << "\n"
            << "summary: " << fs::absolute(fs::path(o.out) / "WordFile" / "Summary.xlsx").string()
            << "\n";
  return kOk;
}

}  // namespace

void RegisterDemo(CLI::App& app, int& rc) {
  auto o = std::make_shared<DemoOptions>();
  CLI::App* sub = app.add_subcommand(
      "demo",
      "Run the main job on the bundled sample runway profile: copy it into a folder, compute "
      "the five indexes, simulate the B-727 and B-747 at 20 and 100 knots, and write the "
      "results file, the JSON results and the plots there.");
  sub->add_option("--out", o->out, "Folder for the demo's files (default ./tarmac-demo)");
  sub->add_option("--data", o->data, "Folder of the bundled samples");
  sub->add_flag("--metric", o->metric, "Report in metric units");
  sub->callback([o, &rc] { rc = RunDemo(*o); });
}

}  // namespace tarmac::cli
