// The commands that bring profiles in from other profilers and send series out: ERD files in and
// out, and any plot level as CSV.
#include <span>

#include "workflow/erd.h"
#include "workflow/profile_io.h"
#include "workflow/results_file.h"
#include "workflow/session.h"

namespace tarmac {

bool Session::ReadErdFile(const std::string& path, int channel) {
  return ReadProfileAs(path, ProfileFormat::Erd, channel);
}

bool Session::ExportErd(const std::string& path) {
  if (!RequireProfile()) return false;
  const ProfileModel& m = model_;
  const std::vector<float>& z = m.profile;
  // The speed is kept as it was measured, over the whole length before the end cut; the file
  // needs it sample for sample beside the analysis profile.
  std::span<const float> speed;
  const PlotLevel& l1 = m.levels[1];
  bool speedLeftOut = false;
  if (l1.kind == "Speed" && !l1.data.empty()) {
    std::size_t cut = 0;
    try {
      cut = static_cast<std::size_t>(EndCutSamples(m.settings.CuttingLength, m.settings.SampleSpacing));
    } catch (const ProfileFileError&) {
      cut = 0;
    }
    if (l1.data.size() == z.size()) {
      speed = l1.data;
    } else if (l1.data.size() == z.size() + 2 * cut) {
      speed = std::span<const float>(l1.data).subspan(cut, z.size());
    } else {
      speedLeftOut = true;
    }
  }
  try {
    WriteErdFile(path, m.profile_name, z, m.settings.SampleSpacing, speed);
  } catch (const std::exception& e) {
    prompts_.Message(e.what(), "File Error");
    return false;
  }
  if (speedLeftOut) {
    prompts_.Message("The speed series holds " + std::to_string(l1.data.size()) +
                         " values, which do not line up with the " + std::to_string(z.size()) +
                         " samples of the profile; the ERD file holds the profile alone.",
                     "Speed File");
  }
  return true;
}

std::pair<std::string, std::string> Session::LevelCsvHeadings(int level) const {
  const Units& u = model_.units;
  const PlotLevel& l = model_.levels.at(static_cast<std::size_t>(level));
  std::string name = level == 0 ? "Elevation" : l.kind.empty() ? "Level " + std::to_string(level) : l.kind;
  // The unit that goes with the level's display factor (LevelValueFactor).
  std::string unit;
  if (l.kind == "Speed") {
    unit = u.SpeedLabel;
  } else if (l.kind == "Other") {
    unit = "";  // the filter test's impulse response is a pure number
  } else {
    switch (level) {
      case 0: unit = u.ShortElevationLabel; break;
      case 1: case 4: case 5: unit = u.ElevationLabel; break;
      case 2: unit = "ratio"; break;
      case 3: unit = u.RoughnessLabel; break;
      default: break;
    }
  }
  if (!unit.empty()) name += " (" + unit + ")";
  return {"Distance (" + u.LengthLabel + ")", name};
}

bool Session::ExportLevelCsv(const std::string& path, int level) {
  if (level < 0 || level >= kLevelCount) {
    prompts_.Message("There is no plot level " + std::to_string(level) + " (0 to " +
                         std::to_string(kLevelCount - 1) + ").",
                     "Export");
    return false;
  }
  if (level == 0 && !RequireProfile()) return false;
  const PlotLevel& l = model_.levels[static_cast<std::size_t>(level)];
  if (l.data.empty()) {
    prompts_.Message("Plot level " + std::to_string(level) + " holds no series to export.", "Export");
    return false;
  }
  const auto [distance, value] = LevelCsvHeadings(level);
  try {
    WriteSeriesCsv(path, distance, value, l.step_ft * model_.units.LengthFactor, l.data,
                   LevelValueFactor(level));
  } catch (const std::exception& e) {
    prompts_.Message(e.what(), "File Error");
    return false;
  }
  return true;
}

}  // namespace tarmac
