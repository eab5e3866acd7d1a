#pragma once
// Profile files as bytes and values: the binary profile (.pro), the text profile (.dat), the
// survey-speed file (.spd), the end cut with the removal of the end-to-end slope, and the safe
// writing of files. Pure functions: no model, no messages shown; bad input throws
// ProfileFileError whose text is shown to the person as it is.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "workflow/atomic_file.h"

namespace tarmac {

class ProfileFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The value that ends the elevations of a binary profile: the single-precision value nearest
// -1.0E20 (bytes EC 78 AD E0 in file order). The value after it is the sample spacing in feet.
inline constexpr std::uint32_t kProEndMarkerBits = 0xE0AD78ECu;
float ProEndMarker();

struct ProFileContents {
  std::vector<float> elevations;   // inches, in order along the profile
  double spacing = 0.0;            // feet: from the file when it carries one, else the one in force
  bool spacing_from_file = false;
  std::size_t ignored_bytes = 0;   // trailing bytes that do not make a whole value (length % 4)
};

// Reads a binary profile. Refuses an empty file, a file with no elevations, non-finite
// elevations, an end marker with no spacing after it, and a spacing that is not a positive number.
ProFileContents ParseProFile(std::span<const std::byte> bytes, double spacing_in_force);

struct DatFileContents {
  std::vector<float> elevations;            // inches (the file's feet x 12)
  double spacing = 0.0;                     // feet: "Data Increment:" when numeric, else in force
  bool spacing_from_file = false;
  std::optional<std::int32_t> declared_count;  // "Data Points:" when numeric
  int header_lines = 0;                     // lines up to and including "Distance (Feet)"
};

// Reads a text profile. Without a "Data Points:" count every record up to the end is read;
// with one, never more than that many. Refuses a missing "Distance (Feet)" line, a record that is
// not two numbers (the message names the line), a non-positive spacing and a file with no record.
DatFileContents ParseDatFile(std::string_view text, double spacing_in_force);

// Reads a survey-speed file: little-endian 16-bit hundredths of ft/s -> ft/s. A trailing odd byte
// is ignored.
std::vector<float> ParseSpdFile(std::span<const std::byte> bytes);

// Number of samples the end cut removes from each end: CuttingLength / spacing rounded (halves to
// even) to a 16-bit integer. Refuses values that do not fit or are negative.
std::int32_t EndCutSamples(double cutting_length_ft, double spacing_ft);

// The analysis profile from the elevations read: `cut` samples removed at each end, then the
// straight line through the first and last samples removed, so the result starts and ends at 0.
// Refuses a negative cut and fewer than 2 samples left.
std::vector<float> PrepareAnalysisProfile(std::span<const float> elevations, std::int32_t cut);

// The bytes of a binary profile: little-endian floats, then, when a spacing is given, the end
// marker and the spacing.
std::string EncodeProFile(std::span<const float> elevations,
                          std::optional<double> spacing_ft = std::nullopt);

// Saves a profile as a binary profile without marker and spacing (reading it back takes the
// spacing then in force). Written atomically; throws ProfileFileError and leaves any existing file
// as it was when it cannot be written.
void WriteProFile(const std::filesystem::path& path, std::span<const float> elevations);

// WriteFileAtomically, the one writer of every output, lives in workflow/atomic_file.h.

// The whole contents of a file. Throws ProfileFileError naming the file when it does not exist,
// is a folder, or cannot be read.
std::vector<std::byte> ReadFileBytes(const std::filesystem::path& path);
std::string ReadFileText(const std::filesystem::path& path);

// Small text helpers shared by the text readers of this folder.
namespace textio {
// Splits text into lines, accepting LF and CRLF ends; counts lines from 1.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}
  bool next(std::string_view& line);
  int line_number() const { return line_; }
  std::size_t offset() const { return pos_; }
  std::size_t remaining_line_estimate() const;

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  int line_ = 0;
};
std::string_view Trim(std::string_view s);
bool IsBlank(std::string_view s);
// The whole text (blanks around it allowed) as a finite decimal number, or nothing.
std::optional<double> ParseNumber(std::string_view s);
// Numbers separated by blanks, tabs or single commas (with blanks around them). Returns false
// unless the line holds exactly out.size() numbers.
bool SplitNumbers(std::string_view line, std::span<double> out);
}  // namespace textio

}  // namespace tarmac
