#pragma once
// Profile files as bytes and values: the binary profile (.pro), the text profile (.dat), the
// survey-speed file (.spd), the end cut with the removal of the end-to-end slope, the checks every
// reader applies to what it hands on (plausible elevations and spacings, evenly spaced distance
// columns), and the safe reading and writing of files. Pure functions: no model, no messages
// shown; bad input throws ProfileFileError whose text is shown to the person as it is.
#include <cmath>
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

// An elevation further than this from the datum, in inches either way, is no surface that a
// profiler measured: the file is garbage or its unit is wrong.
inline constexpr double kMaxElevationIn = 100000.0;

// The largest profile file read, in bytes (a 25-mm profile of 50 000 miles as a .pro); anything
// larger is refused before it is read.
inline constexpr std::uint64_t kMaxProfileFileBytes = std::uint64_t{1} << 30;

// A spacing read from a file, in feet, refused (naming `source` and the value) outside the range
// of the sample-spacing setting.
void CheckSpacingRead(double spacing_ft, std::string_view source);

// Throws the refusal of an elevation (in inches) that is not finite or lies beyond
// kMaxElevationIn, naming `source` and the sample (counted from 1).
[[noreturn]] void RefuseElevation(double inches, std::size_t sample_number, std::string_view source);
// An elevation after its conversion to inches, as a single-precision value; refused when it is
// not finite or lies beyond kMaxElevationIn. (Inline: it runs once per sample of every file.)
inline float CheckedElevation(double inches, std::size_t sample_number, std::string_view source) {
  if (std::fabs(inches) <= kMaxElevationIn) return static_cast<float>(inches);  // NaN fails too
  RefuseElevation(inches, sample_number, source);
}

// The longest profile whose section tables can be sized at every section length the settings
// allow, in feet; a file holding a longer one is refused when it is read.
double MaxProfileLengthFt();
// Refuses `samples` at `spacing_ft` when longer than MaxProfileLengthFt().
void CheckProfileLength(std::size_t samples, double spacing_ft);

// The distance column of a text profile: the spacing it gives, and the check that the samples
// are evenly spaced. Each step between two rows must lie within 1 % of the mean spacing, beyond
// the rounding of the digits written (a 25-mm profile written in feet to three decimals has
// steps of 0.082 and 0.083 ft), but never by more than a quarter of a spacing, so a missing
// sample is caught even in a short file whose mean spacing it shifts.
class DistanceColumn {
 public:
  // `written` is the distance as the file writes it (its last digit tells its rounding);
  // `line` is the line it was read from, for messages.
  void Add(double distance, std::string_view written, int line);
  void Reserve(std::size_t rows);
  std::size_t size() const { return distance_.size(); }
  // The mean spacing, in the column's unit (always positive; the distances may run downwards).
  // Refuses fewer than two rows, distances that do not move, and the first line whose step
  // breaks the evenness, naming it. `source` names the file in messages, `unit` the column's.
  double Spacing(std::string_view source, std::string_view unit) const;

 private:
  std::vector<double> distance_;
  std::vector<std::int16_t> last_digit_;  // power of ten of each distance's last written digit
  std::vector<std::int32_t> line_;
};

// The unit of the last digit of a decimal numeral ("0.082" -> 0.001, "12" -> 1, "1.5e-3" ->
// 1e-4); 0 when the text is not a plain numeral.
double WrittenResolution(std::string_view numeral);

struct ProFileContents {
  std::vector<float> elevations;   // inches, in order along the profile
  double spacing = 0.0;            // feet: from the file when it carries one, else the one in force
  bool spacing_from_file = false;
  std::size_t ignored_bytes = 0;   // trailing bytes that do not make a whole value (length % 4)
};

// Reads a binary profile. Refuses an empty file, a file with no elevations, non-finite or
// implausible elevations, an end marker with no spacing after it, and a spacing outside the range
// of the sample-spacing setting.
ProFileContents ParseProFile(std::span<const std::byte> bytes, double spacing_in_force);

struct DatFileContents {
  std::vector<float> elevations;            // inches (the file's feet x 12)
  double spacing = 0.0;                     // feet: "Data Increment:" when numeric, else the
                                            // spacing of the distance column
  bool spacing_from_file = false;
  std::optional<double> increment;          // "Data Increment:" when numeric
  std::optional<std::int32_t> declared_count;  // "Data Points:" when numeric
  int header_lines = 0;                     // lines up to and including "Distance (Feet)"
};

// Reads a text profile. Without a "Data Points:" count every record up to the end is read;
// with one, never more than that many. The distances must be evenly spaced (DistanceColumn);
// without a "Data Increment:" they give the spacing, and with one they must agree with it within
// 1 %. Refuses a missing "Distance (Feet)" line, a record that is not two numbers (the message
// names the line), implausible elevations and spacings, and a file with fewer than two records.
DatFileContents ParseDatFile(std::string_view text);

// The text of a .dat holding `elevations_in` (written in feet with 9 significant digits, so that
// reading gives back the same single-precision values) at `spacing_ft`.
std::string FormatDatProfile(std::string_view title, std::span<const float> elevations_in,
                             double spacing_ft);

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

// Saves a profile as a binary profile; with a spacing, the end marker and the spacing follow the
// elevations, so that it reads back at its own spacing. Written atomically; throws
// ProfileFileError and leaves any existing file as it was when it cannot be written.
void WriteProFile(const std::filesystem::path& path, std::span<const float> elevations,
                  std::optional<double> spacing_ft = std::nullopt);

// WriteFileAtomically, the one writer of every output, lives in workflow/atomic_file.h.

// The whole contents of a regular file (a link is followed to one). Throws ProfileFileError
// naming the file when it does not exist, is a folder, a device, a pipe or a socket, cannot be
// read, or holds more than `max_bytes` (`limit_note` then says why, e.g. "the 2400 bytes its
// header promises"). Never reads more than the size the file had when it was opened, nor more
// than `max_bytes`, and never waits on a pipe.
std::vector<std::byte> ReadFileBytes(const std::filesystem::path& path,
                                     std::uint64_t max_bytes = kMaxProfileFileBytes,
                                     std::string_view limit_note = {});
std::string ReadFileText(const std::filesystem::path& path,
                         std::uint64_t max_bytes = kMaxProfileFileBytes);

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
bool IsBlank(std::string_view s);
// The whole text (blanks around it allowed) as a finite decimal number, or nothing.
std::optional<double> ParseNumber(std::string_view s);
// Numbers separated by blanks, tabs or single commas (with blanks around them). Returns false
// unless the line holds exactly out.size() numbers.
bool SplitNumbers(std::string_view line, std::span<double> out);
}  // namespace textio

}  // namespace tarmac
