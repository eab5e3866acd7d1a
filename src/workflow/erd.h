#pragma once
// The ERD exchange format, and a CSV writer for any series.
//
// A text ERD file:
//   ERDFILEV2.00
//   <channels>,<samples per channel>,-1,1,<format key>,<sample interval in x units>,-1
//   TITLE   ,free text
//   SHORTNAM,name of channel 1,name of channel 2,...
//   UNITSNAM,unit of channel 1,unit of channel 2,...   (ft, in, m, mm; ft/s, m/s for speeds)
//   XLABEL  ,Distance
//   XUNITS  ,ft                                        (ft or m)
//   ... other 8-character keyword lines (site keys, DATE, LONGNAM...), blank lines ...
//   END
//   one row per sample, the channels as columns, separated by commas or blanks
// The keyword fills columns 1 to 8; its values follow either after a comma, comma-separated, or
// without a comma as fixed fields of eight characters from column 9, as public databases write:
//   UNITSNAMmm      mm      mm
//   XUNITS  m
// The second line's numbers may be separated by commas or blanks and padded with blanks.
// Format key 5 is free-format text. Format key 4 means the rows are in a binary file beside the
// header with the same base name and the extension ".bin": little-endian 32-bit floats, one row
// per sample, channels interleaved. Other keys are refused.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "workflow/profile_io.h"  // ProfileFileError

namespace tarmac {

inline constexpr int kErdTextFormat = 5;
inline constexpr int kErdFloat32Format = 4;
// Profilers record a few channels (wheel paths, speed, a reference); a header declaring more
// than this is refused before anything is sized by it.
inline constexpr int kErdMaxChannels = 256;

struct ErdHeader {
  int channels = 0;
  std::int64_t samples = 0;          // per channel
  int format_key = 0;
  double interval = 0.0;             // sample interval in x units
  std::string title;
  std::vector<std::string> names;    // SHORTNAM, one per channel (may be empty)
  std::vector<std::string> units;    // UNITSNAM, one per channel
  std::string x_units;               // XUNITS
  std::map<std::string, std::string> keys;  // every keyword line, keyword -> rest of the line
  std::size_t data_offset = 0;       // byte offset of the first row after END in the text
  int data_first_line = 0;           // line number of the first row
};

enum class ErdChannelKind { Elevation, Speed };

struct ErdChannel {
  std::vector<float> values;         // elevations in inches, or speeds in ft/s
  ErdChannelKind kind = ErdChannelKind::Elevation;
  double spacing_ft = 0.0;
  std::string name;                  // SHORTNAM of the channel (or "Channel k")
  std::string unit;                  // the unit as the file gave it
  std::vector<std::string> channel_names;  // every channel's name, for a choice
  std::string title;
};

// Reads and checks the header part of an ERD text (everything up to END). The channel count must
// be at most kErdMaxChannels and match the UNITSNAM entries (and SHORTNAM's, when given).
ErdHeader ParseErdHeader(std::string_view text);

// Inches per unit of an elevation channel, or ft/s per unit of a speed channel; refuses units
// it does not know.
double ErdUnitFactor(std::string_view unit, ErdChannelKind& kind);

// Gives the bytes of the binary data file; the argument is the number of bytes the header
// promises, so that no more than that is ever read.
using ErdBinFetch = std::function<std::vector<std::byte>(std::uint64_t expected_bytes)>;

// Reads channel `channel` (counted from 1) of an ERD. `fetch_bin` is asked for the bytes of the
// binary data file when the header says the data are binary; it is never called for text data.
// Elevations are refused beyond kMaxElevationIn and the interval outside the sample-spacing
// range, after the conversion to inches and feet.
ErdChannel ReadErd(std::string_view text, int channel, const ErdBinFetch& fetch_bin = {});

// Reads an ERD file; binary data come from the ".bin" file of the same base name beside it.
ErdChannel ReadErdFile(const std::filesystem::path& path, int channel);
// The `fetch_bin` of an ERD file: reads the ".bin" beside it, refusing clearly when there is none
// and when it holds more than the header promises.
ErdBinFetch ErdBinFetcher(const std::filesystem::path& erd_path);

// One channel of an ERD file as a choice of channel shows it.
struct ErdChannelInfo {
  std::string name;                  // SHORTNAM, or "Channel k"
  std::string unit;                  // UNITSNAM as written
  ErdChannelKind kind = ErdChannelKind::Elevation;
  bool known_unit = false;           // false: the channel cannot be read (a slope, a temperature)
};
// The channels of an ERD header, in order (channel k is entry k - 1).
std::vector<ErdChannelInfo> ErdChannels(const ErdHeader& h);
// The channels of an ERD file, read from its header alone.
std::vector<ErdChannelInfo> ListErdChannels(const std::filesystem::path& path);

// The first speed channel (counted from 1) other than `except`, or 0 when there is none.
int FindErdSpeedChannel(const ErdHeader& h, int except);

// The text of an ERD holding the profile in inches ("in") and, when given, the survey speed in
// ft/s ("ft/s") as a second channel of the same length; spacing in feet. Values are written with
// 9 significant digits so that reading gives back the same single-precision values. A value that
// is not a number is refused (naming the sample) rather than written.
std::string FormatErd(std::string_view title, std::span<const float> profile_in, double spacing_ft,
                      std::span<const float> speed_fps = {});
void WriteErdFile(const std::filesystem::path& path, std::string_view title,
                  std::span<const float> profile_in, double spacing_ft,
                  std::span<const float> speed_fps = {});

// A two-column CSV: a header line naming both columns (with their units, as the caller gives
// them), then one line per sample: distance (i - 1) x step and value x factor. Written atomically.
// A value that is not a number after the scaling is refused (naming the sample).
std::string FormatSeriesCsv(std::string_view header1, std::string_view header2, double step,
                            std::span<const float> values, double factor);
void WriteSeriesCsv(const std::filesystem::path& path, std::string_view header1,
                    std::string_view header2, double step, std::span<const float> values,
                    double factor);

}  // namespace tarmac
