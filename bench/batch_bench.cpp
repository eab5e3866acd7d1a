// The whole unattended report of one 10 000-ft runway profile: read, five indexes with their
// plots, two distributions, four aircraft runs, the charts of every row and the documents.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "render/paint_support.h"
#include "render/session_plots.h"
#include "workflow/session.h"
#include "workflow/synth.h"

namespace {

class QuietPrompts final : public tarmac::Prompts {
 public:
  void Message(const std::string&, const std::string&) override {}
  std::optional<std::string> Input(const std::string&, const std::string&) override { return {}; }
  void Status(const std::string&) override {}
};

void BM_BatchReport10000ft(benchmark::State& state) {
  namespace fs = std::filesystem;
  tarmac::paint::EnsureGuiApplication();
  const fs::path dir =
      fs::temp_directory_path() / ("tarmac-batch-bench-" + std::to_string(std::random_device{}()));
  fs::create_directories(dir);
  const double spacing = 2.5 / 25.4 / 12 * 10;
  const auto z = tarmac::SynthesizeProfile(10000, spacing, 2024);
  const std::string pro = (dir / "runway.pro").string();
  tarmac::WriteSynthPro(pro, z, spacing);
  tarmac::WriteSpdFile(dir / "runway.spd", tarmac::SynthesizeSpeed(z.size(), spacing, 2024));
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove_all(dir / "ChartFile");  // each report starts its chart document afresh
    state.ResumeTiming();
    QuietPrompts prompts;
    tarmac::RenderPlotSink plots;
    tarmac::Session s(prompts, &plots);
    s.SetRunway(true);
    if (!s.AutoProcessAll({pro})) state.SkipWithError("the batch report failed");
  }
  fs::remove_all(dir);
}
BENCHMARK(BM_BatchReport10000ft)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
