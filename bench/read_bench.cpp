// Reading and preparing a 10 000-ft binary profile at 25 mm spacing (121 921 samples).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>

#include "workflow/profile_io.h"
#include "workflow/synth.h"

namespace {

namespace fs = std::filesystem;

constexpr double kSpacing25mm = 2.5 / 25.4 / 12 * 1.0 * 10;

fs::path SampleProfile() {
  static const fs::path file = [] {
    const fs::path dir = fs::temp_directory_path() / ("tarmac_bench_" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
    const fs::path f = dir / "runway.pro";
    tarmac::WriteSynthPro(f, tarmac::SynthesizeProfile(10000.0, kSpacing25mm, 2024), kSpacing25mm);
    return f;
  }();
  return file;
}

void BM_ReadAndPrepareProfile(benchmark::State& state) {
  const fs::path file = SampleProfile();
  for (auto _ : state) {
    const std::vector<std::byte> bytes = tarmac::ReadFileBytes(file);
    const tarmac::ProFileContents pro = tarmac::ParseProFile(bytes, kSpacing25mm);
    const std::vector<float> profile = tarmac::PrepareAnalysisProfile(
        pro.elevations, tarmac::EndCutSamples(10.0, pro.spacing));
    benchmark::DoNotOptimize(profile.data());
  }
  state.SetItemsProcessed(state.iterations() * 121921);
}
BENCHMARK(BM_ReadAndPrepareProfile)->Unit(benchmark::kMicrosecond);

void BM_ParseDatProfile(benchmark::State& state) {
  const std::string text = tarmac::FormatDatFile(
      "Profile of RUNWAY (synthetic)", tarmac::SynthesizeProfile(10000.0, kSpacing25mm, 2024), kSpacing25mm);
  for (auto _ : state) {
    const tarmac::DatFileContents dat = tarmac::ParseDatFile(text);
    benchmark::DoNotOptimize(dat.elevations.data());
  }
  state.SetItemsProcessed(state.iterations() * 121921);
}
BENCHMARK(BM_ParseDatProfile)->Unit(benchmark::kMillisecond);

void BM_SynthesizeProfile(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(tarmac::SynthesizeProfile(10000.0, kSpacing25mm, 2024).data());
  }
}
BENCHMARK(BM_SynthesizeProfile)->Unit(benchmark::kMillisecond);

}  // namespace
