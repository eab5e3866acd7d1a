#include "workflow/profile_io.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <random>
#include <system_error>

#include "common/text.h"
#include "common/rounding.h"
#include "workflow/settings.h"

#if defined(__unix__) || defined(__APPLE__)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tarmac {

namespace {

// The files count samples from 1; messages name samples and lines that way.
std::size_t SampleNumber(std::size_t zero_based) { return zero_based + 1; }

std::uint32_t LoadLe32(const std::byte* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void AppendLe32(std::string& out, std::uint32_t bits) {
  const char b[4] = {static_cast<char>(bits & 0xFFu), static_cast<char>((bits >> 8) & 0xFFu),
                     static_cast<char>((bits >> 16) & 0xFFu),
                     static_cast<char>((bits >> 24) & 0xFFu)};
  out.append(b, 4);
}

std::string Describe(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.9g", v);
  return buf;
}

// Enough digits to read back the same double.
std::string Describe17(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

// The range a sample spacing may take, in feet: the sample-spacing setting's.
const SettingSpec& SpacingSpec() {
  static const SettingSpec* spec = FindSetting("SampleSpacing");
  return *spec;
}

}  // namespace

void CheckSpacingRead(double spacing_ft, std::string_view source) {
  const SettingSpec& spec = SpacingSpec();
  if (std::isfinite(spacing_ft) && spacing_ft >= spec.min && spacing_ft <= spec.max) return;
  throw ProfileFileError("The sample spacing of " + std::string(source) + " (" +
                         Describe(spacing_ft) + " ft) is not a plausible spacing: a profile's "
                         "samples lie " + Describe(spec.min) + " to " + Describe(spec.max) +
                         " ft apart.");
}

void RefuseElevation(double inches, std::size_t sample_number, std::string_view source) {
  if (!std::isfinite(inches)) {
    throw ProfileFileError(std::string(source) + " holds an elevation that is not a number at sample " +
                           std::to_string(sample_number) + ".");
  }
  if (std::fabs(inches) > kMaxElevationIn) {
    throw ProfileFileError(std::string(source) + " holds an elevation of " + Describe(inches) +
                           " in at sample " + std::to_string(sample_number) +
                           ", beyond the 100 000 in either way that a surface profile can hold.");
  }
  throw ProfileFileError(std::string(source) + " holds an elevation of " + Describe(inches) +
                         " in at sample " + std::to_string(sample_number) + ".");
}

double MaxProfileLengthFt() {
  // The section table holds at most 32767 rows: the sections of either kind plus a margin of 10,
  // at the shortest section lengths the settings allow.
  const SettingSpec* averaging = FindSetting("AveragingDistance");
  const SettingSpec* capi = FindSetting("SectionLengthCAPI");
  const double shortest = std::min(averaging->min, capi->min);
  return (32767.0 - 10.0 - 1.0) * shortest;
}

void CheckProfileLength(std::size_t samples, double spacing_ft) {
  const double length = static_cast<double>(samples) * spacing_ft;
  if (length <= MaxProfileLengthFt()) return;
  throw ProfileFileError("The profile holds " + std::to_string(samples) + " samples " +
                         Describe(spacing_ft) + " ft apart, " + Describe(length) +
                         " ft; a profile can be at most " + Describe(MaxProfileLengthFt()) +
                         " ft long.");
}

namespace {

// The power of ten of the last digit written ("0.082" -> -3, "12" -> 0, "1.5e-3" -> -4),
// clamped to a range any double's digits lie in.
int LastDigitExponent(std::string_view numeral) {
  numeral = TrimWhitespace(numeral);
  int exponent = 0;
  const std::size_t e = numeral.find_first_of("eE");
  if (e != std::string_view::npos) {
    const std::string_view ex = numeral.substr(e + 1);
    const auto [end, ec] = std::from_chars(ex.data() + (!ex.empty() && ex.front() == '+'),
                                           ex.data() + ex.size(), exponent);
    if (ec != std::errc() || end != ex.data() + ex.size()) exponent = 0;
    numeral = numeral.substr(0, e);
  }
  const std::size_t dot = numeral.find('.');
  const std::size_t decimals = dot == std::string_view::npos ? 0 : numeral.size() - dot - 1;
  const long long k = static_cast<long long>(exponent) - static_cast<long long>(std::min<std::size_t>(decimals, 1000));
  return static_cast<int>(std::clamp<long long>(k, -400, 400));
}

double PowerOfTen(int k) {
  // The usual digits from a table: this runs once per row of a text profile.
  static const auto table = [] {
    std::array<double, 41> t{};
    for (int i = 0; i < 41; ++i) t[static_cast<std::size_t>(i)] = std::pow(10.0, i - 20);
    return t;
  }();
  if (k >= -20 && k <= 20) return table[static_cast<std::size_t>(k + 20)];
  return std::pow(10.0, k);
}

}  // namespace

double WrittenResolution(std::string_view numeral) { return PowerOfTen(LastDigitExponent(numeral)); }

void DistanceColumn::Reserve(std::size_t rows) {
  distance_.reserve(rows);
  last_digit_.reserve(rows);
  line_.reserve(rows);
}

void DistanceColumn::Add(double distance, std::string_view written, int line) {
  distance_.push_back(distance);
  last_digit_.push_back(static_cast<std::int16_t>(LastDigitExponent(written)));
  line_.push_back(line);
}

double DistanceColumn::Spacing(std::string_view source, std::string_view unit) const {
  const std::string u(unit);
  const std::size_t n = distance_.size();
  if (n < 2) {
    throw ProfileFileError("The distance column of " + std::string(source) + " holds " +
                           (n == 0 ? "no record" : "a single record") +
                           ", too few to give a sample spacing.");
  }
  // The mean step, first row to last: the spacing the samples are taken to lie at.
  const double mean = (distance_.back() - distance_.front()) / static_cast<double>(n - 1);
  if (!std::isfinite(mean) || mean == 0.0) {
    throw ProfileFileError("The distances of " + std::string(source) +
                           " do not move from one row to the next, so they give no spacing.");
  }
  const double dx = std::fabs(mean);
  for (std::size_t k = 1; k < n; ++k) {
    const double step = distance_[k] - distance_[k - 1];
    const double rounding = PowerOfTen(std::max(last_digit_[k], last_digit_[k - 1]));
    if (std::fabs(step - mean) <= 0.01 * dx + std::min(rounding, 0.25 * dx)) continue;
    throw ProfileFileError("Line " + std::to_string(line_[k]) + " of " + std::string(source) +
                           ": the distance " + Describe(distance_[k]) + " " + u + " lies " +
                           Describe(step) + " " + u + " after the one before, but the samples lie " +
                           Describe(mean) + " " + u +
                           " apart on average; a profile's samples must be evenly spaced (within "
                           "1 %).");
  }
  return dx;
}

namespace textio {

bool LineReader::next(std::string_view& line) {
  if (pos_ >= text_.size()) return false;
  std::size_t end = text_.find('\n', pos_);
  std::size_t after = end;
  if (end == std::string_view::npos) {
    end = text_.size();
    after = end;
  } else {
    after = end + 1;
  }
  line = text_.substr(pos_, end - pos_);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  pos_ = after;
  ++line_;
  return true;
}

std::size_t LineReader::remaining_line_estimate() const {
  const std::string_view rest = text_.substr(pos_);
  return static_cast<std::size_t>(std::count(rest.begin(), rest.end(), '\n')) + 1;
}

bool IsBlank(std::string_view s) { return TrimWhitespace(s).empty(); }

std::optional<double> ParseNumber(std::string_view s) {
  s = TrimWhitespace(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return std::nullopt;
  // Only plain decimal forms: no "nan", "inf" or hexadecimal.
  const char c0 = s.front() == '-' && s.size() > 1 ? s[1] : s.front();
  if (!(std::isdigit(static_cast<unsigned char>(c0)) || c0 == '.')) return std::nullopt;
  double v = 0.0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

bool SplitNumbers(std::string_view line, std::span<double> out) {
  std::size_t found = 0;
  std::size_t i = 0;
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (true) {
    while (i < line.size() && blank(line[i])) ++i;
    if (i >= line.size()) break;
    if (found > 0) {
      // One comma at most between two numbers.
      if (line[i] == ',') {
        ++i;
        while (i < line.size() && blank(line[i])) ++i;
        if (i >= line.size()) return false;
      }
    }
    std::size_t j = i;
    while (j < line.size() && !blank(line[j]) && line[j] != ',') ++j;
    if (found == out.size()) return false;
    const auto v = ParseNumber(line.substr(i, j - i));
    if (!v) return false;
    out[found++] = *v;
    i = j;
  }
  return found == out.size();
}

}  // namespace textio

float ProEndMarker() { return std::bit_cast<float>(kProEndMarkerBits); }

ProFileContents ParseProFile(std::span<const std::byte> bytes, double spacing_in_force) {
  if (bytes.empty()) throw ProfileFileError("The profile file is empty.");
  const std::size_t count = bytes.size() / 4;  // whole values only
  if (count == 0) {
    throw ProfileFileError("The profile file is too short to hold one elevation (" +
                           std::to_string(bytes.size()) + " bytes).");
  }
  ProFileContents out;
  out.ignored_bytes = bytes.size() % 4;
  out.spacing = spacing_in_force;

  // The last marker in the file ends the elevations; anything after its spacing is ignored.
  std::size_t n = count;
  for (std::size_t i = count; i-- > 0;) {
    if (LoadLe32(bytes.data() + 4 * i) == kProEndMarkerBits) {
      if (i + 1 >= count) {
        throw ProfileFileError(
            "The profile file ends with its end marker but holds no sample spacing after it.");
      }
      const float spacing = std::bit_cast<float>(LoadLe32(bytes.data() + 4 * (i + 1)));
      CheckSpacingRead(spacing, "the profile file");
      out.spacing = static_cast<double>(spacing);
      out.spacing_from_file = true;
      n = i;
      break;
    }
  }
  if (n == 0) throw ProfileFileError("The profile file holds no elevations before its end marker.");
  if (!std::isfinite(out.spacing) || out.spacing <= 0.0) {
    throw ProfileFileError("The sample spacing in force (" + Describe(out.spacing) +
                           " ft) is not a positive number.");
  }

  out.elevations.resize(n);
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(out.elevations.data(), bytes.data(), 4 * n);
  } else {
    for (std::size_t i = 0; i < n; ++i) {
      out.elevations[i] = std::bit_cast<float>(LoadLe32(bytes.data() + 4 * i));
    }
  }
  for (std::size_t i = 0; i < n; ++i) {
    // The last marker decides where the elevations end; an earlier one would otherwise be taken
    // for an elevation of -1E20 inches and wreck every index.
    if (std::bit_cast<std::uint32_t>(out.elevations[i]) == kProEndMarkerBits) {
      throw ProfileFileError("The profile file holds an end marker at sample " +
                             std::to_string(SampleNumber(i)) +
                             " before its last one; the values between them are not a profile.");
    }
    CheckedElevation(out.elevations[i], SampleNumber(i), "The profile file");
  }
  CheckProfileLength(n, out.spacing);
  return out;
}

DatFileContents ParseDatFile(std::string_view text) {
  DatFileContents out;
  textio::LineReader lines(text);
  std::string_view line;
  bool header_ended = false;
  while (lines.next(line)) {
    if (line.find("Data Increment:") != std::string_view::npos) {
      // A value that is not numeric is ignored: the distances give the spacing then.
      if (const auto v = textio::ParseNumber(line.substr(line.find(':') + 1))) {
        CheckSpacingRead(*v, "the text profile's \"Data Increment:\"");
        out.increment = *v;
      }
    }
    if (line.find("Data Points:") != std::string_view::npos) {
      if (const auto v = textio::ParseNumber(line.substr(line.find(':') + 1))) {
        // A count beyond any 32-bit number cannot be what the file holds: read to the end.
        if (std::fabs(*v) < 2147483647.0) out.declared_count = CLng(*v);
        else if (*v < 0.0) out.declared_count = 0;
      }
    }
    if (line.find("Distance (Feet)") != std::string_view::npos) {
      header_ended = true;
      break;
    }
  }
  if (!header_ended) {
    throw ProfileFileError(
        "The text profile has no \"Distance (Feet)\" line, so its records cannot be found.");
  }
  out.header_lines = lines.line_number();

  // The declared count only limits the reading; the arrays grow with what the file holds.
  const std::size_t limit =
      out.declared_count ? static_cast<std::size_t>(std::max<std::int32_t>(*out.declared_count, 0))
                         : std::numeric_limits<std::size_t>::max();
  out.elevations.reserve(std::min(limit, lines.remaining_line_estimate()));
  DistanceColumn distances;
  distances.Reserve(out.elevations.capacity());
  while (out.elevations.size() < limit && lines.next(line)) {
    if (textio::IsBlank(line)) continue;
    double fields[2];
    if (!textio::SplitNumbers(line, fields)) {
      throw ProfileFileError("Line " + std::to_string(lines.line_number()) +
                             " of the text profile is not a distance and an elevation: \"" +
                             std::string(TrimWhitespace(line).substr(0, 60)) + "\".");
    }
    // Elevations are in feet; the check comes after the conversion to inches.
    out.elevations.push_back(
        CheckedElevation(fields[1] * 12.0, out.elevations.size() + 1, "The text profile"));
    const std::string_view trimmed = TrimWhitespace(line);
    distances.Add(fields[0], trimmed.substr(0, trimmed.find_first_of(" \t,")), lines.line_number());
  }
  if (out.elevations.empty()) {
    throw ProfileFileError("The text profile holds no elevation records.");
  }
  const double column = distances.Spacing("the text profile", "ft");
  if (out.increment) {
    // Both given: they must tell the same spacing; the header's figure is the one taken.
    if (std::fabs(column - *out.increment) > 0.01 * *out.increment) {
      throw ProfileFileError("The \"Data Increment:\" of the text profile (" +
                             Describe(*out.increment) +
                             " ft) and the spacing of its distance column (" + Describe(column) +
                             " ft) differ by more than 1 %; which one is right cannot be told.");
    }
    out.spacing = *out.increment;
  } else {
    CheckSpacingRead(column, "the text profile's distance column");
    out.spacing = column;
  }
  out.spacing_from_file = true;
  CheckProfileLength(out.elevations.size(), out.spacing);
  return out;
}

std::string FormatDatProfile(std::string_view title, std::span<const float> elevations_in,
                             double spacing_ft) {
  std::string out(title);
  for (char& c : out)
    if (c == '\n' || c == '\r') c = ' ';
  out += "\nData Increment: " + Describe17(spacing_ft);
  out += "\nData Points: " + std::to_string(elevations_in.size());
  out += "\nDistance (Feet)   Elevation (Feet)\n";
  out.reserve(out.size() + 28 * elevations_in.size());
  char buf[64];
  for (std::size_t k = 0; k < elevations_in.size(); ++k) {
    // Sample i = k + 1 lies (i - 1) = k spacings from the start.
    std::snprintf(buf, sizeof buf, "%.10g, %.9g\n", static_cast<double>(k) * spacing_ft,
                  static_cast<double>(elevations_in[k]) / 12.0);
    out += buf;
  }
  return out;
}

std::vector<float> ParseSpdFile(std::span<const std::byte> bytes) {
  const std::size_t n = bytes.size() / 2;  // whole values only
  std::vector<float> speeds(n);
  for (std::size_t i = 0; i < n; ++i) {
    const auto raw = static_cast<std::int16_t>(static_cast<std::uint16_t>(
        static_cast<unsigned>(bytes[2 * i]) | (static_cast<unsigned>(bytes[2 * i + 1]) << 8)));
    speeds[i] = static_cast<float>(static_cast<double>(raw) / 100.0);
  }
  return speeds;
}

std::int32_t EndCutSamples(double cutting_length_ft, double spacing_ft) {
  if (!std::isfinite(spacing_ft) || spacing_ft <= 0.0) {
    throw ProfileFileError("The sample spacing (" + Describe(spacing_ft) +
                           " ft) is not a positive number.");
  }
  if (!std::isfinite(cutting_length_ft) || cutting_length_ft < 0.0) {
    throw ProfileFileError("The cutting length (" + Describe(cutting_length_ft) +
                           " ft) must be zero or positive.");
  }
  try {
    return CInt(cutting_length_ft / spacing_ft);
  } catch (const std::range_error&) {
    throw ProfileFileError("The cutting length of " + Describe(cutting_length_ft) +
                           " ft is far longer than any profile at a spacing of " +
                           Describe(spacing_ft) + " ft.");
  }
}

std::vector<float> PrepareAnalysisProfile(std::span<const float> elevations, std::int32_t cut) {
  if (cut < 0) throw ProfileFileError("The end cut cannot be negative.");
  const auto total = static_cast<std::int64_t>(elevations.size());
  const std::int64_t n = total - 2 * static_cast<std::int64_t>(cut);
  if (n < 2) {
    throw ProfileFileError("The profile has " + std::to_string(total) + " samples; after cutting " +
                           std::to_string(cut) +
                           " from each end fewer than 2 remain, too few to analyse.");
  }
  const std::span<const float> kept = elevations.subspan(static_cast<std::size_t>(cut),
                                                         static_cast<std::size_t>(n));
  // The straight line through the first and last samples: its start and its slope are kept in
  // single precision; the differences and the product are worked in double and only each
  // elevation is stored back in single precision.
  const float z1 = kept.front();
  const auto slope = static_cast<float>((static_cast<double>(kept.back()) - z1) /
                                        static_cast<double>(n - 1));
  std::vector<float> profile(kept.size());
  for (std::size_t k = 0; k < kept.size(); ++k) {
    // Sample i = k + 1 lies (i - 1) = k spacings from the first.
    const auto along = static_cast<double>(k);
    profile[k] = static_cast<float>((static_cast<double>(kept[k]) - z1) -
                                    static_cast<double>(slope) * along);
  }
  return profile;
}

std::string EncodeProFile(std::span<const float> elevations, std::optional<double> spacing_ft) {
  std::string out;
  out.reserve(4 * (elevations.size() + 2));
  for (const float v : elevations) AppendLe32(out, std::bit_cast<std::uint32_t>(v));
  if (spacing_ft) {
    AppendLe32(out, kProEndMarkerBits);
    AppendLe32(out, std::bit_cast<std::uint32_t>(static_cast<float>(*spacing_ft)));
  }
  return out;
}

void WriteProFile(const std::filesystem::path& path, std::span<const float> elevations,
                  std::optional<double> spacing_ft) {
  WriteFileAtomically(path, EncodeProFile(elevations, spacing_ft));
}

std::vector<std::byte> ReadFileBytes(const std::filesystem::path& path, std::uint64_t max_bytes,
                                     std::string_view limit_note) {
  const std::string shown = path.string();
  const auto too_big = [&](std::uint64_t size) {
    return ProfileFileError("The file " + shown + " holds " + std::to_string(size) +
                            " bytes, more than " +
                            (limit_note.empty() ? "the " + std::to_string(max_bytes) +
                                                      " bytes a profile file may hold"
                                                : std::string(limit_note)) +
                            ".");
  };
#if defined(__unix__) || defined(__APPLE__)
  // Opened without waiting (a pipe would block until a writer came) and checked on the open
  // descriptor, so that what is checked is what is read.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) throw ProfileFileError("The file " + shown + " does not exist.");
    throw ProfileFileError("The file " + shown + " cannot be opened: " + std::strerror(errno) + ".");
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    throw ProfileFileError("The file " + shown + " cannot be read: " + std::strerror(errno) + ".");
  }
  if (S_ISDIR(st.st_mode)) throw ProfileFileError(shown + " is a folder, not a file.");
  if (!S_ISREG(st.st_mode)) {
    throw ProfileFileError(shown + " is not a regular file (a device, a pipe or a socket); only "
                           "files on disk are read.");
  }
  const auto size = static_cast<std::uint64_t>(st.st_size);
  if (size > max_bytes) throw too_big(size);
  std::vector<std::byte> bytes(static_cast<std::size_t>(size));
  std::size_t have = 0;
  while (have < bytes.size()) {
    const ssize_t got = ::read(fd, bytes.data() + have, bytes.size() - have);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw ProfileFileError("The file " + shown + " could not be read to its end: " +
                             std::strerror(errno) + ".");
    }
    if (got == 0) break;  // the file shrank while it was read: take what it holds
    have += static_cast<std::size_t>(got);
  }
  bytes.resize(have);
  return bytes;
#else
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::file_status st = fs::status(path, ec);
  if (!fs::exists(st)) throw ProfileFileError("The file " + shown + " does not exist.");
  if (fs::is_directory(st)) throw ProfileFileError(shown + " is a folder, not a file.");
  if (!fs::is_regular_file(st)) {
    throw ProfileFileError(shown + " is not a regular file; only files on disk are read.");
  }
  const std::uint64_t size = fs::file_size(path, ec);
  if (ec) throw ProfileFileError("The file " + shown + " cannot be read.");
  if (size > max_bytes) throw too_big(size);
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ProfileFileError("The file " + shown + " cannot be opened.");
  std::vector<std::byte> bytes(static_cast<std::size_t>(size));
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  if (in.bad()) throw ProfileFileError("The file " + shown + " could not be read to its end.");
  return bytes;
#endif
}

std::string ReadFileText(const std::filesystem::path& path, std::uint64_t max_bytes) {
  const std::vector<std::byte> bytes = ReadFileBytes(path, max_bytes);
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

}  // namespace tarmac
