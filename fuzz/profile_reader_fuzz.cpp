// Feeds arbitrary bytes to the profile readers and on into the publication of the profile read,
// as the read command does it. The first byte chooses the format, the second the reading options
// (cutting length, ERD channel, delimited-text column and units, companion file); the rest is the
// file. A reader may refuse its input only with ProfileFileError; any other exception, a crash, a
// sanitizer report or a result that breaks the readers' promises (every value finite and
// plausible, the spacing within the setting's range, a section table that can be sized) is a
// finding.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <span>
#include <string_view>
#include <typeinfo>
#include <vector>

#include "workflow/erd.h"
#include "workflow/profile_io.h"
#include "workflow/profile_model.h"
#include "workflow/profile_read.h"
#include "workflow/settings.h"

namespace {

using tarmac::ProfileFileError;

[[noreturn]] void Finding(const char* what) {
  std::fprintf(stderr, "finding: %s\n", what);
  std::abort();
}

void Check(bool ok, const char* what) {
  if (!ok) Finding(what);
}

void CheckValues(std::span<const float> values, double bound, const char* what) {
  for (float v : values) Check(std::isfinite(v) && std::fabs(v) <= bound, what);
}

// What the read command publishes, checked, then put into a model as the command does; the
// section table is then sized again at the shortest section lengths a person can set.
void Publish(const tarmac::ProfileRead& r, double cutting_length) {
  const tarmac::SettingSpec* spacing = tarmac::FindSetting("SampleSpacing");
  Check(r.spacing_ft >= spacing->min && r.spacing_ft <= spacing->max,
        "a spacing outside the sample-spacing range was read");
  Check(r.profile.size() >= 2, "an analysis profile of fewer than 2 samples");
  Check(r.count_before_cut >= 0 && static_cast<std::size_t>(r.count_before_cut) >= r.profile.size() &&
            (static_cast<std::size_t>(r.count_before_cut) - r.profile.size()) % 2 == 0,
        "the end cut removed different numbers of samples at the two ends");
  Check(static_cast<std::size_t>(r.count_before_cut) - r.profile.size() ==
            2 * static_cast<std::size_t>(tarmac::EndCutSamples(cutting_length, r.spacing_ft)),
        "the end cut removed the wrong number of samples");
  // The line removal can add at most the difference of the two end values to each elevation.
  CheckValues(r.profile, 4 * tarmac::kMaxElevationIn, "an implausible analysis elevation was published");
  CheckValues(r.speed, 3.0e38, "a speed that is not a number was published");

  tarmac::ProfileModel m;
  tarmac::PublishProfile(m, "/fuzz/profile.pro", "PROFILE", r.spacing_ft, r.count_before_cut,
                         r.profile, r.speed);
  Check(m.profile == m.levels[0].data && m.profile == r.profile, "level 0 is not the profile read");
  Check(m.settings.SampleSpacing == r.spacing_ft, "the spacing read was not published");
  Check(m.sections.section_count >= 10, "a section table without its margin");
  m.settings.AveragingDistance = tarmac::FindSetting("AveragingDistance")->min;
  m.settings.SectionLengthCAPI = static_cast<float>(tarmac::FindSetting("SectionLengthCAPI")->min);
  m.sections.Size(r.count_before_cut, m.settings);
}

void Run(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return;
  const std::uint8_t selector = data[0];
  const std::uint8_t option = data[1];
  const std::span<const std::byte> file(reinterpret_cast<const std::byte*>(data + 2), size - 2);
  const std::string_view text(reinterpret_cast<const char*>(data + 2), size - 2);

  tarmac::ProfileReadOptions o;
  o.spacing_in_force = 0.25;
  o.cutting_length_ft = (option % 16) * 2.5;  // 0 to 37.5 ft
  o.erd_channel = 1 + option % 3;
  o.delimited.column = 2 + option % 2;
  static const char* const kDistance[] = {"", "m", "ft", ""};
  static const char* const kElevation[] = {"", "mm", "in", "m"};
  o.delimited.distance_unit = kDistance[(option >> 4) % 4];
  o.delimited.elevation_unit = kElevation[(option >> 6) % 4];

  std::string_view contents = text;
  std::optional<tarmac::CompanionFile> companion;
  tarmac::ProfileFormat format = tarmac::ProfileFormat::Unknown;
  switch (selector % 5) {
    case 0: {
      // A .pro; with bit 7 of the selector its last (option / 4) x 2 bytes are its .spd.
      format = tarmac::ProfileFormat::Binary;
      if (selector & 0x80) {
        const std::size_t n = std::min<std::size_t>(text.size(), (option / 4) * 2u);
        companion = tarmac::CompanionFile{"profile.spd", std::vector<std::byte>(file.end() - static_cast<std::ptrdiff_t>(n), file.end())};
        contents = text.substr(0, text.size() - n);
      }
      break;
    }
    case 1: {
      format = tarmac::ProfileFormat::Text;
      // The reader alone keeps its promise about the declared count.
      try {
        const auto dat = tarmac::ParseDatFile(text);
        if (dat.declared_count && *dat.declared_count >= 0) {
          Check(dat.elevations.size() <= static_cast<std::size_t>(*dat.declared_count),
                "more records read than the file declares");
        }
      } catch (const ProfileFileError&) {
      }
      break;
    }
    case 2: {
      const auto speeds = tarmac::ParseSpdFile(file);
      Check(speeds.size() == file.size() / 2, "a .spd gave the wrong number of speeds");
      return;
    }
    case 3: {
      // An ERD text; for binary data, the bytes after the first NUL are the ".bin" file.
      format = tarmac::ProfileFormat::Erd;
      const auto nul = text.find('\0');
      contents = text.substr(0, nul);
      if (nul != std::string_view::npos) {
        companion = tarmac::CompanionFile{"profile.bin", std::vector<std::byte>(file.begin() + static_cast<std::ptrdiff_t>(nul) + 1, file.end())};
      }
      break;
    }
    case 4:
      format = tarmac::ProfileFormat::Delimited;
      break;
  }
  const tarmac::CompanionFetch fetch =
      [&](std::string_view, std::uint64_t max_bytes, const std::string&) -> std::optional<tarmac::CompanionFile> {
    // As a file on disk is: refused when larger than the reader allows.
    if (companion && companion->bytes.size() > max_bytes) throw ProfileFileError("companion too large");
    return companion;
  };
  const tarmac::ProfileRead r = tarmac::ReadProfileContents(format, contents, o, fetch);
  Publish(r, o.cutting_length_ft);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    Run(data, size);
  } catch (const ProfileFileError&) {
    // A refusal with a message for the person: the expected way to meet a bad file.
  } catch (const std::exception& e) {
    std::fprintf(stderr, "finding: %s escaped a profile reader: %s\n", typeid(e).name(), e.what());
    std::abort();
  } catch (...) {
    Finding("an exception of no standard type escaped a profile reader");
  }
  return 0;
}
