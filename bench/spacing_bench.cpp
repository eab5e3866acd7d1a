// The five indexes of one 5000-ft surface measured at 25 mm and at 10 mm, as the index options
// run them (preparation, index, sections, publication), with the decimation factors chosen from
// the spacing and with the fixed factors of the 25-mm design. With the factors from the spacing
// a 10-mm profile should cost at most twice a 25-mm one: only the anti-alias filter and the
// band-pass see the extra samples.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "workflow/session.h"
#include "workflow/synth.h"

namespace {

class QuietPrompts final : public tarmac::Prompts {
 public:
  void Message(const std::string&, const std::string&) override {}
  std::optional<std::string> Input(const std::string&, const std::string&) override { return {}; }
  void Status(const std::string&) override {}
};

// Args: sample spacing in millimetres, 1 for the factors from the spacing or 0 for fixed ones.
void BM_FiveIndexes5000ft(benchmark::State& state) {
  namespace fs = std::filesystem;
  const fs::path dir =
      fs::temp_directory_path() / ("tarmac-spacing-bench-" + std::to_string(std::random_device{}()));
  fs::create_directories(dir);
  const double spacing = static_cast<double>(state.range(0)) / 1000.0 / 0.3048;
  const std::string pro = (dir / "surface.pro").string();
  tarmac::WriteSynthPro(pro, tarmac::SynthesizeProfile(5000, spacing, 2031), spacing);
  QuietPrompts prompts;
  tarmac::Session s(prompts);
  if (!s.ReadFile(pro) || !s.SetSetting("DecimationRule", state.range(1) ? "spacing" : "fixed")) {
    state.SkipWithError("the profile could not be read");
  } else {
    s.SetBatchMode(true);  // nothing appended to Results.txt
    for (auto _ : state)
      for (int k = 0; k < 5; ++k)
        if (!s.RunIndex(k)) state.SkipWithError("an index was refused");
  }
  fs::remove_all(dir);
}
BENCHMARK(BM_FiveIndexes5000ft)
    ->ArgNames({"mm", "from_spacing"})
    ->Args({25, 1})
    ->Args({10, 1})
    ->Args({10, 0})
    ->Unit(benchmark::kMillisecond);

}  // namespace
