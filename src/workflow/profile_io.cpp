#include "workflow/profile_io.h"

#include <algorithm>
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

#include "common/rounding.h"

#if defined(__unix__) || defined(__APPLE__)
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

}  // namespace

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

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

bool IsBlank(std::string_view s) { return Trim(s).empty(); }

std::optional<double> ParseNumber(std::string_view s) {
  s = Trim(s);
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
      if (!std::isfinite(spacing) || spacing <= 0.0f) {
        throw ProfileFileError("The sample spacing in the profile file (" + Describe(spacing) +
                               " ft) is not a positive number.");
      }
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
    if (!std::isfinite(out.elevations[i])) {
      throw ProfileFileError("The profile file holds an elevation that is not a number at sample " +
                             std::to_string(SampleNumber(i)) + ".");
    }
  }
  return out;
}

DatFileContents ParseDatFile(std::string_view text, double spacing_in_force) {
  DatFileContents out;
  out.spacing = spacing_in_force;
  textio::LineReader lines(text);
  std::string_view line;
  bool header_ended = false;
  while (lines.next(line)) {
    if (line.find("Data Increment:") != std::string_view::npos) {
      // A value that is not numeric leaves the spacing in force.
      if (const auto v = textio::ParseNumber(line.substr(line.find(':') + 1))) {
        if (!std::isfinite(*v) || *v <= 0.0) {
          throw ProfileFileError("The \"Data Increment:\" of the profile file (line " +
                                 std::to_string(lines.line_number()) +
                                 ") is not a positive spacing.");
        }
        out.spacing = *v;
        out.spacing_from_file = true;
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
  while (out.elevations.size() < limit && lines.next(line)) {
    if (textio::IsBlank(line)) continue;
    double fields[2];
    if (!textio::SplitNumbers(line, fields)) {
      throw ProfileFileError("Line " + std::to_string(lines.line_number()) +
                             " of the text profile is not a distance and an elevation: \"" +
                             std::string(textio::Trim(line).substr(0, 60)) + "\".");
    }
    // The distance is discarded: samples are evenly spaced at the header's spacing.
    out.elevations.push_back(static_cast<float>(fields[1] * 12.0));
  }
  if (out.elevations.empty()) {
    throw ProfileFileError("The text profile holds no elevation records.");
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

void WriteProFile(const std::filesystem::path& path, std::span<const float> elevations) {
  WriteFileAtomically(path, EncodeProFile(elevations));
}

std::vector<std::byte> ReadFileBytes(const std::filesystem::path& path) {
  namespace fs = std::filesystem;
  const std::string shown = path.string();
  std::error_code ec;
  const fs::file_status st = fs::status(path, ec);
  if (!fs::exists(st)) throw ProfileFileError("The file " + shown + " does not exist.");
  if (fs::is_directory(st)) throw ProfileFileError(shown + " is a folder, not a file.");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ProfileFileError("The file " + shown + " cannot be opened.");
  std::vector<std::byte> bytes;
  const auto size = fs::file_size(path, ec);
  std::size_t have = 0;
  bytes.resize(ec ? std::size_t{1} << 16 : static_cast<std::size_t>(size) + 1);
  while (in) {
    if (have == bytes.size()) bytes.resize(2 * bytes.size());
    in.read(reinterpret_cast<char*>(bytes.data() + have),
            static_cast<std::streamsize>(bytes.size() - have));
    have += static_cast<std::size_t>(in.gcount());
  }
  bytes.resize(have);
  if (in.bad()) throw ProfileFileError("The file " + shown + " could not be read to its end.");
  return bytes;
}

std::string ReadFileText(const std::filesystem::path& path) {
  const std::vector<std::byte> bytes = ReadFileBytes(path);
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

}  // namespace tarmac
