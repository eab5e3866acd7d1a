#include "workflow/profile_read.h"

#include <cctype>
#include <cstring>
#include <filesystem>
#include <memory>

#include "common/text.h"
#include "workflow/erd.h"

namespace tarmac {

namespace {

std::span<const std::byte> Bytes(std::string_view s) {
  return {reinterpret_cast<const std::byte*>(s.data()), s.size()};
}

// The last four characters of a name: its extension as the program compares it.
std::string WithoutLastFour(const std::string& name) {
  return name.size() >= 4 ? name.substr(0, name.size() - 4) : std::string();
}

// A speed file beside the profile: the same name with ".spd" in either case. Only a regular file
// counts: a pipe or a device of that name is not a speed file.
std::optional<std::string> SpeedFileFor(const std::string& path) {
  const std::string base = WithoutLastFour(path);
  for (const char* ext : {".spd", ".SPD", ".Spd"}) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(base + ext, ec)) return base + ext;
  }
  return std::nullopt;
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

ProfileFormat FormatOfName(std::string_view name) {
  const std::string ext = Lower(name.size() >= 4 ? name.substr(name.size() - 4) : name);
  if (ext == ".pro") return ProfileFormat::Binary;
  if (ext == ".dat") return ProfileFormat::Text;
  if (ext == ".erd") return ProfileFormat::Erd;
  if (ext == ".csv" || ext == ".txt") return ProfileFormat::Delimited;
  return ProfileFormat::Unknown;
}

ProfileRead ReadProfileContents(ProfileFormat format, std::string_view contents,
                                const ProfileReadOptions& options, const CompanionFetch& companion) {
  ProfileRead r;
  std::vector<float> raw;
  switch (format) {
    case ProfileFormat::Binary: {
      ProFileContents pro = ParseProFile(Bytes(contents), options.spacing_in_force);
      raw = std::move(pro.elevations);
      r.spacing_ft = pro.spacing;
      break;
    }
    case ProfileFormat::Text: {
      DatFileContents dat = ParseDatFile(contents);
      raw = std::move(dat.elevations);
      r.spacing_ft = dat.spacing;
      break;
    }
    case ProfileFormat::Delimited: {
      DelimitedTextContents csv = ParseDelimitedText(contents, options.delimited);
      raw = std::move(csv.elevations);
      r.spacing_ft = csv.spacing_ft;
      break;
    }
    case ProfileFormat::Erd: {
      const ErdHeader header = ParseErdHeader(contents);
      // The binary data are read at most once, however many channels are taken from them.
      auto cache = std::make_shared<std::optional<std::vector<std::byte>>>();
      const ErdBinFetch fetch = [&companion, cache](std::uint64_t expected) {
        if (!*cache) {
          std::optional<CompanionFile> bin;
          if (companion) {
            bin = companion(".bin", expected,
                            "the " + std::to_string(expected) + " bytes its ERD header promises");
          }
          if (!bin) {
            throw ProfileFileError("The ERD header says its data are in a binary file beside it "
                                   "(.bin), and there is none.");
          }
          *cache = std::move(bin->bytes);
        }
        return **cache;
      };
      const int channel = options.erd_channel;
      ErdChannel elevation = ReadErd(contents, channel, fetch);
      if (elevation.kind != ErdChannelKind::Elevation) {
        throw ProfileFileError("Channel " + std::to_string(channel) + " (" + elevation.name +
                               ") of the ERD file is a speed in " + elevation.unit +
                               ", not a profile. Its channels: " +
                               ChannelList(elevation.channel_names) + ".");
      }
      raw = std::move(elevation.values);
      r.spacing_ft = elevation.spacing_ft;
      r.channel_names = std::move(elevation.channel_names);
      r.channel = channel;
      if (const int s = FindErdSpeedChannel(header, channel); s > 0)
        r.speed = ReadErd(contents, s, fetch).values;
      break;
    }
    case ProfileFormat::Unknown:
      throw ProfileFileError("The file is not of a profile format (.pro, .dat, .erd, .csv, .txt).");
  }
  r.count_before_cut = static_cast<std::int32_t>(raw.size());
  r.profile = PrepareAnalysisProfile(raw, EndCutSamples(options.cutting_length_ft, r.spacing_ft));

  if (format == ProfileFormat::Binary && companion) {
    // One 16-bit speed per sample; a file of more than twice the profile's samples is not its.
    const std::uint64_t limit = 2 * 2 * static_cast<std::uint64_t>(raw.size()) + 1;
    const auto spd = companion(".spd", limit,
                               "the " + std::to_string(limit) + " bytes of twice the profile's " +
                                   std::to_string(raw.size()) + " samples of speed");
    if (spd) {
      r.speed = ParseSpdFile(spd->bytes);
      if (r.speed.size() != raw.size())
        r.speed_note = "The speed file " + spd->name + " holds " + std::to_string(r.speed.size()) +
                       " values but the profile " + std::to_string(raw.size()) +
                       " samples; the speeds are shown as they are.";
    }
  }
  return r;
}

ProfileRead ReadProfilePath(const std::string& path, ProfileFormat format,
                            const ProfileReadOptions& options) {
  const std::string contents = ReadFileText(path);
  const CompanionFetch companion = [&path](std::string_view ext, std::uint64_t max_bytes,
                                           const std::string& why) -> std::optional<CompanionFile> {
    if (ext == ".spd") {
      const auto spd = SpeedFileFor(path);
      if (!spd) return std::nullopt;
      return CompanionFile{NameOf(*spd), ReadFileBytes(*spd, max_bytes, why)};
    }
    if (ext == ".bin") {
      std::filesystem::path bin = path;
      bin.replace_extension(".bin");
      return CompanionFile{bin.filename().string(), ErdBinFetcher(path)(max_bytes)};
    }
    return std::nullopt;
  };
  return ReadProfileContents(format, contents, options, companion);
}

void PublishProfile(ProfileModel& m, const std::string& path, const std::string& profileName,
                    double spacing, std::int32_t countBeforeCut, std::vector<float> profile,
                    std::vector<float> speed) {
  // The read command's own steps.
  m.data_file = path;
  m.results_file = FolderOf(path) + "Results.txt";
  for (auto& t : m.index_text) t.clear();
  m.sections.Clear();
  m.ClearResultArrays();
  // Undo copies belong to the profile they were taken from.
  m.undo.Clear();

  // The profile itself.
  m.settings.SampleSpacing = spacing;
  m.settings.DisplaySpacing = spacing * m.units.LengthFactor;
  m.profile_name = profileName;
  PlotLevel& l0 = m.levels[0];
  l0.kind = "ZProfile";
  l0.title = "ZProfile," + m.profile_name + m.units.ElevationSuffix;
  l0.step_ft = spacing;
  l0.zoomed = 0;
  m.graph_title = "ZProfile  " + m.profile_name;
  // The section table is sized on the samples read, before the end cut.
  m.sections.Size(countBeforeCut, m.settings);
  m.profile = profile;
  l0.data = std::move(profile);

  m.flags = ResultFlags{};
  m.caption = "Profile and Roughness Indexes - " + m.data_file;
  m.charts_saved = 0;

  if (!speed.empty()) {
    PlotLevel& l1 = m.levels[1];
    l1.data = std::move(speed);
    l1.step_ft = spacing;
    l1.kind = "Speed";
    l1.title = "Speed  " + m.profile_name + m.units.SpeedSuffix;
    l1.zoomed = 0;
  }
}

}  // namespace tarmac
