// The commands that bring profiles in from other profilers and send series out: ERD files in and
// out, and any plot level as CSV.
#include <cctype>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>

#include "workflow/erd.h"
#include "workflow/profile_io.h"
#include "workflow/results_file.h"
#include "workflow/session.h"

namespace tarmac {
namespace {

// Reads the ".bin" beside an ERD at most once, however many channels are taken from it.
std::function<std::vector<std::byte>()> CachedBinFetcher(const std::string& path) {
  auto fetch = ErdBinFetcher(path);
  auto cache = std::make_shared<std::optional<std::vector<std::byte>>>();
  return [fetch, cache]() {
    if (!*cache) *cache = fetch();
    return **cache;
  };
}

std::string ChannelList(const std::vector<std::string>& names) {
  std::string out;
  for (std::size_t k = 0; k < names.size(); ++k) {
    if (k) out += ", ";
    out += std::to_string(k + 1) + " " + names[k];
  }
  return out;
}

}  // namespace

bool Session::ReadErdFile(const std::string& path, int channel) {
  ProfileModel& m = model_;
  m.BatchMode = false;
  for (int level = 0; level < kPanelCount; ++level)
    if (plots_) plots_->PanelCleared(level);
  {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
      prompts_.Message("Trying to read from a nonexistant file, " + path, "File Error Error");
      return false;
    }
  }

  // Everything is read and checked before the model changes, so a refused file leaves the
  // profile in hand as it was.
  ErdChannel elevation;
  std::vector<float> profile;
  std::vector<float> speed;
  std::size_t channelCount = 0;
  try {
    const std::string text = ReadFileText(path);
    const ErdHeader header = ParseErdHeader(text);
    channelCount = static_cast<std::size_t>(header.channels);
    const auto fetch = CachedBinFetcher(path);
    elevation = ReadErd(text, channel, fetch);
    if (elevation.kind != ErdChannelKind::Elevation) {
      throw ProfileFileError("Channel " + std::to_string(channel) + " (" + elevation.name +
                             ") of the ERD file is a speed in " + elevation.unit +
                             ", not a profile. Its channels: " +
                             ChannelList(elevation.channel_names) + ".");
    }
    profile = PrepareAnalysisProfile(
        elevation.values, EndCutSamples(m.settings.CuttingLength, elevation.spacing_ft));
    if (const int s = FindErdSpeedChannel(header, channel); s > 0)
      speed = ReadErd(text, s, fetch).values;
  } catch (const ProfileFileError& e) {
    prompts_.Message(e.what(), "File Error");
    return false;
  } catch (const std::exception& e) {
    prompts_.Message(std::string("The file could not be read: ") + e.what(), "File Error");
    return false;
  }
  const double spacing = elevation.spacing_ft;
  const auto countBeforeCut = static_cast<std::int32_t>(elevation.values.size());

  PublishReadProfile(path, ProfileNameOf(NameOf(path)), spacing, countBeforeCut,
                     std::move(profile), std::move(speed));
  if (channelCount > 1) {
    prompts_.Status("Read channel " + std::to_string(channel) + " of " +
                    std::to_string(channelCount) + " (" + ChannelList(elevation.channel_names) +
                    ")");
  }
  return true;
}

bool Session::ExportErd(const std::string& path) {
  if (!RequireProfile()) return false;
  const ProfileModel& m = model_;
  const std::vector<float>& z = m.ProfileZ;
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
    WriteErdFile(path, m.ProfileName, z, m.settings.SampleSpacing, speed);
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
