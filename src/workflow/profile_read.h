#pragma once
// Reading a profile file of any format into what the read command publishes, and the
// publication itself into the model. Every format goes through the same steps: the reader of its
// format (which refuses implausible elevations and spacings), the companion file (a .pro's .spd,
// an ERD's .bin), the end cut and the removal of the end-to-end slope. Nothing here shows a
// message or writes a file; a refusal is a ProfileFileError.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "workflow/delimited_text.h"
#include "workflow/profile_io.h"
#include "workflow/profile_model.h"

namespace tarmac {

enum class ProfileFormat { Binary, Text, Erd, Delimited, Unknown };

// The format a file name stands for, by its last four characters in any case: ".pro" binary,
// ".dat" text, ".erd" ERD, ".csv" and ".txt" delimited text.
ProfileFormat FormatOfName(std::string_view name);

// How a file is read: the settings that decide it and the choices of the person.
struct ProfileReadOptions {
  double spacing_in_force = 0.0;  // ft: taken by a .pro without end marker
  double cutting_length_ft = 0.0;
  int erd_channel = 1;            // the channel of an ERD, counted from 1
  DelimitedTextOptions delimited;
};

// A companion file beside the profile: a .pro's survey speeds, an ERD's binary data.
struct CompanionFile {
  std::string name;  // the file name, for messages
  std::vector<std::byte> bytes;
};
// Gives the companion file of an extension (".spd", ".bin"), reading at most `max_bytes` from it
// (`why` says where that limit comes from, for the message that refuses a larger file); nothing
// when there is none.
using CompanionFetch = std::function<std::optional<CompanionFile>(
    std::string_view extension, std::uint64_t max_bytes, const std::string& why)>;

struct ProfileRead {
  std::vector<float> profile;     // the analysis profile, inches, after the end cut
  std::int32_t count_before_cut = 0;
  double spacing_ft = 0.0;
  std::vector<float> speed;       // ft/s, from a .spd or an ERD speed channel; may be empty
  std::string speed_note;         // said to the person when the speeds do not match the profile
  std::vector<std::string> channel_names;  // an ERD's channels, in order
  int channel = 0;                // the ERD channel read (0 for other formats)
};

// Reads `contents` (the file's bytes) as `format`. Refuses everything the readers refuse, an ERD
// channel that is not an elevation, and a speed file of more than twice the profile's samples.
ProfileRead ReadProfileContents(ProfileFormat format, std::string_view contents,
                                const ProfileReadOptions& options, const CompanionFetch& companion);

// Reads the file at `path` (a regular file of at most kMaxProfileFileBytes) with its companion
// files beside it.
ProfileRead ReadProfilePath(const std::string& path, ProfileFormat format,
                            const ProfileReadOptions& options);

// Puts a profile that was read into the model as the read command does: file names, level 0
// (and level 1 for a speed series in ft/s), the spacing, the section table, cleared results and
// undo copies. Appends nothing and draws nothing.
void PublishProfile(ProfileModel& m, const std::string& path, const std::string& profileName,
                    double spacing, std::int32_t countBeforeCut, std::vector<float> profile,
                    std::vector<float> speed);

}  // namespace tarmac
