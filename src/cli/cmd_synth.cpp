// tarmac synth: our own sample profiles, made by a deterministic generator.
#include <filesystem>
#include <iostream>

#include "cli/cli_common.h"
#include "workflow/profile_io.h"
#include "workflow/synth.h"

namespace tarmac::cli {
namespace {

struct SynthOptions {
  std::string out;
  double length_ft = 10000;
  double spacing_ft = 2.5 / 25.4 / 12 * 10;  // 25 mm
  std::uint64_t seed = 1;
  bool speed = false;
  std::string title;
};

int RunSynth(const SynthOptions& o) {
  const std::filesystem::path out(o.out);
  std::string ext = out.extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ext != ".pro" && ext != ".dat") {
    std::cerr << "The output must end in .pro or .dat\n";
    return kUsage;
  }
  if (!(o.length_ft > 0) || !(o.spacing_ft > 0) || o.length_ft / o.spacing_ft > 5e7) {
    std::cerr << "Length and spacing must be positive (and give at most 50 million samples)\n";
    return kUsage;
  }
  try {
    const std::vector<float> z = SynthesizeProfile(o.length_ft, o.spacing_ft, o.seed);
    if (ext == ".pro") {
      WriteSynthPro(out, z, o.spacing_ft);
      if (o.speed) {
        std::filesystem::path spd = out;
        spd.replace_extension(".spd");
        WriteSpdFile(spd, SynthesizeSpeed(z.size(), o.spacing_ft, o.seed));
        std::cout << "wrote " << spd.string() << "\n";
      }
    } else {
      const std::string title =
          o.title.empty() ? "Profile of " + out.stem().string() + " (synthetic)" : o.title;
      WriteDatFile(out, title, z, o.spacing_ft);
    }
    std::cout << "wrote " << out.string() << ": " << z.size() << " samples at " << o.spacing_ft
              << " ft\n";
  } catch (const std::exception& e) {
    std::cerr << e.what() << "\n";
    return kInputRefused;
  }
  return kOk;
}

}  // namespace

void RegisterSynth(CLI::App& app, int& rc) {
  auto o = std::make_shared<SynthOptions>();
  CLI::App* sub = app.add_subcommand(
      "synth",
      "Make a synthetic runway profile: random roughness growing with wavelength, a few bumps and "
      "dips, a grade change and a trend. The same seed always gives the same file.");
  sub->add_option("OUT", o->out, "Output file: .pro (binary, with spacing) or .dat (text)")
      ->required();
  sub->add_option("--length", o->length_ft, "Profile length, ft (default 10000)");
  sub->add_option("--spacing", o->spacing_ft, "Sample spacing, ft (default 25 mm)");
  sub->add_option("--seed", o->seed, "Seed of the generator (default 1)");
  sub->add_flag("--speed", o->speed, "Also write a .spd survey-speed file beside a .pro");
  sub->add_option("--title", o->title, "Title line of a .dat file");
  sub->callback([o, &rc] { rc = RunSynth(*o); });
}

}  // namespace tarmac::cli
