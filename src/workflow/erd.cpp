#include "workflow/erd.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "common/text.h"

namespace tarmac {

namespace {

using textio::LineReader;
using textio::ParseNumber;

std::string Unquote(std::string_view s) {
  s = TrimWhitespace(s);
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
  return std::string(s);
}

// Comma-separated entries, unquoted; at most `limit` are kept (a header line can be as long as
// the file, and nothing it declares needs more entries than there are channels).
std::vector<std::string> SplitCommas(std::string_view s, std::size_t limit) {
  std::vector<std::string> out;
  while (out.size() < limit) {
    const std::size_t comma = s.find(',');
    out.push_back(Unquote(s.substr(0, comma)));
    if (comma == std::string_view::npos) break;
    s.remove_prefix(comma + 1);
  }
  return out;
}

// Fixed fields of eight characters, trimmed; at most `limit` are kept.
std::vector<std::string> SplitFixed(std::string_view s, std::size_t limit) {
  std::vector<std::string> out;
  while (!s.empty() && out.size() < limit) {
    out.push_back(Unquote(s.substr(0, 8)));
    s.remove_prefix(std::min<std::size_t>(8, s.size()));
  }
  return out;
}

// Blank-separated words; at most `limit` are kept.
std::vector<std::string> SplitBlanks(std::string_view s, std::size_t limit) {
  std::vector<std::string> out;
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  std::size_t i = 0;
  while (out.size() < limit) {
    while (i < s.size() && blank(s[i])) ++i;
    if (i >= s.size()) break;
    std::size_t j = i;
    while (j < s.size() && !blank(s[j])) ++j;
    out.push_back(std::string(s.substr(i, j - i)));
    i = j;
  }
  return out;
}

// A keyword line. The keyword fills columns 1 to 8 (blank-padded), then come either
// comma-separated values ("UNITSNAM,mm,mm") or, without a comma, fixed fields of eight
// characters from column 9 ("UNITSNAMmm      mm      mm"), as public databases write them.
struct KeywordLine {
  std::string keyword;
  std::string_view values;  // after the comma, or from column 9
  enum class Layout { Commas, Fixed, Blanks } layout = Layout::Commas;

  // The value of a keyword that holds one (TITLE, XUNITS).
  std::string Single() const { return std::string(TrimWhitespace(values)); }
  // The entries of a keyword that lists one per channel (SHORTNAM, UNITSNAM).
  std::vector<std::string> List(std::size_t limit) const {
    switch (layout) {
      case Layout::Commas: return SplitCommas(values, limit);
      case Layout::Fixed: return SplitFixed(values, limit);
      case Layout::Blanks: return SplitBlanks(values, limit);
    }
    return {};
  }
};

bool SplitKeyword(std::string_view line, KeywordLine& k) {
  std::size_t i = 0;
  while (i < line.size() && i < 8 &&
         (std::isalnum(static_cast<unsigned char>(line[i])) || line[i] == '_')) {
    ++i;
  }
  if (i == 0) return false;
  k.keyword.assign(line.substr(0, i));
  for (char& c : k.keyword) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  std::size_t j = i;
  while (j < line.size() && (line[j] == ' ' || line[j] == '\t')) ++j;
  if (j < line.size() && line[j] == ',') {
    k.layout = KeywordLine::Layout::Commas;
    k.values = line.substr(j + 1);
  } else if (j >= 8 || j >= line.size()) {
    // The values start in column 9 (or the line ends): eight-character fields from there.
    k.layout = KeywordLine::Layout::Fixed;
    k.values = line.substr(std::min<std::size_t>(8, line.size()));
  } else {
    // A short keyword with its values before column 9: the fields cannot be counted in eights.
    k.layout = KeywordLine::Layout::Blanks;
    k.values = line.substr(j);
  }
  return true;
}

// The leading numbers of the header's second line, separated by commas or (without any comma)
// by blanks; at most `limit`, stopping at the first entry that is not a number.
std::vector<double> LeadingNumbers(std::string_view line, std::size_t limit) {
  const std::vector<std::string> fields = line.find(',') != std::string_view::npos
                                              ? SplitCommas(line, limit)
                                              : SplitBlanks(line, limit);
  std::vector<double> numbers;
  for (const std::string& f : fields) {
    const auto v = ParseNumber(f);
    if (!v) break;
    numbers.push_back(*v);
  }
  return numbers;
}

// A list written with trailing commas ("in,mm,,") names only its filled entries.
void DropTrailingEmpty(std::vector<std::string>& entries) {
  while (!entries.empty() && entries.back().empty()) entries.pop_back();
}

bool WholeNumber(double v) { return std::floor(v) == v && std::fabs(v) < 2147483647.0; }

std::string Digits(double v, int significant) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.*g", significant, v);
  return buf;
}

// Feet per x unit.
double XUnitFactor(std::string_view unit) {
  const std::string u = Lower(TrimWhitespace(unit));
  if (u == "ft" || u == "feet" || u == "foot") return 1.0;
  if (u == "m" || u == "meter" || u == "meters" || u == "metre" || u == "metres") return 1.0 / 0.3048;
  if (u.empty()) {
    throw ProfileFileError("The ERD header has no XUNITS line, so its sample interval has no unit.");
  }
  throw ProfileFileError("The ERD distance unit \"" + std::string(TrimWhitespace(unit)) +
                         "\" is not known (ft or m expected).");
}

std::string CsvField(std::string_view s) {
  if (s.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(s);
  std::string out = "\"";
  for (const char c : s) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

}  // namespace

double ErdUnitFactor(std::string_view unit, ErdChannelKind& kind) {
  const std::string u = Lower(TrimWhitespace(unit));
  kind = ErdChannelKind::Elevation;
  if (u == "in" || u == "inch" || u == "inches") return 1.0;
  if (u == "ft" || u == "feet" || u == "foot") return 12.0;
  if (u == "mm") return 1.0 / 25.4;
  if (u == "cm") return 1.0 / 2.54;
  if (u == "m") return 1.0 / 0.0254;
  kind = ErdChannelKind::Speed;
  if (u == "ft/s" || u == "fps") return 1.0;
  if (u == "m/s") return 1.0 / 0.3048;
  if (u == "km/h" || u == "kph") return (1000.0 / 3600.0) / 0.3048;
  kind = ErdChannelKind::Elevation;
  if (u.empty()) throw ProfileFileError("The ERD channel has no unit in its UNITSNAM line.");
  throw ProfileFileError("The ERD unit \"" + std::string(TrimWhitespace(unit)) +
                         "\" is not known (ft, in, m, mm for elevations; ft/s, m/s for speeds).");
}

ErdHeader ParseErdHeader(std::string_view text) {
  LineReader lines(text);
  std::string_view line;
  if (!lines.next(line) || Lower(TrimWhitespace(line)).rfind("erdfilev2", 0) != 0) {
    throw ProfileFileError("The file is not an ERD file: its first line is not \"ERDFILEV2.00\".");
  }
  if (!lines.next(line)) throw ProfileFileError("The ERD file ends after its first line.");
  const std::vector<double> numbers = LeadingNumbers(line, 8);
  if (numbers.size() < 6) {
    throw ProfileFileError(
        "The second line of the ERD file must hold at least six numbers (channels, samples, -1, 1, "
        "format, interval).");
  }
  ErdHeader h;
  if (!WholeNumber(numbers[0]) || numbers[0] < 1) {
    throw ProfileFileError("The ERD file's number of channels is not a positive whole number.");
  }
  if (!WholeNumber(numbers[1]) || numbers[1] < 1) {
    throw ProfileFileError("The ERD file's number of samples is not a positive whole number.");
  }
  if (!WholeNumber(numbers[4])) throw ProfileFileError("The ERD data-format key is not a whole number.");
  if (!(numbers[5] > 0.0)) {
    throw ProfileFileError("The ERD sample interval (" + Digits(numbers[5], 9) +
                           ") is not a positive number.");
  }
  if (numbers[0] > kErdMaxChannels) {
    throw ProfileFileError("The ERD file declares " + Digits(numbers[0], 10) +
                           " channels; a profile file has at most " +
                           std::to_string(kErdMaxChannels) + ".");
  }
  h.channels = static_cast<int>(numbers[0]);
  h.samples = static_cast<std::int64_t>(numbers[1]);
  h.format_key = static_cast<int>(numbers[4]);
  h.interval = numbers[5];

  bool ended = false;
  // One entry more than the channels allowed is enough to tell that a list is too long.
  const auto list_limit = static_cast<std::size_t>(kErdMaxChannels) + 1;
  KeywordLine k;
  while (lines.next(line)) {
    if (textio::IsBlank(line)) continue;
    if (!SplitKeyword(line, k)) {
      throw ProfileFileError("Line " + std::to_string(lines.line_number()) +
                             " of the ERD header is not a keyword line.");
    }
    if (k.keyword == "END") {
      ended = true;
      break;
    }
    h.keys[k.keyword] = std::string(TrimWhitespace(k.values));
    if (k.keyword == "TITLE") h.title = k.Single();
    if (k.keyword == "SHORTNAM") h.names = k.List(list_limit);
    if (k.keyword == "UNITSNAM") h.units = k.List(list_limit);
    if (k.keyword == "XUNITS") {
      const std::vector<std::string> x = k.List(1);
      h.x_units = x.empty() ? std::string() : x.front();
    }
  }
  if (!ended) throw ProfileFileError("The ERD header has no END line.");
  // The declared channel count is only believed when the header names as many units (and, when
  // it names channels at all, as many names): nothing is sized by a bare number from the file.
  DropTrailingEmpty(h.units);
  DropTrailingEmpty(h.names);
  if (h.units.empty()) {
    throw ProfileFileError("The ERD header has no UNITSNAM line, so its channels have no units.");
  }
  const auto count = [&](std::size_t n) {
    return n >= list_limit ? "more than " + std::to_string(kErdMaxChannels) : std::to_string(n);
  };
  if (h.units.size() != static_cast<std::size_t>(h.channels)) {
    throw ProfileFileError("The ERD header declares " + std::to_string(h.channels) + " channel" +
                           (h.channels == 1 ? "" : "s") + " but its UNITSNAM line gives " +
                           count(h.units.size()) + " unit" + (h.units.size() == 1 ? "" : "s") + ".");
  }
  if (!h.names.empty() && h.names.size() != static_cast<std::size_t>(h.channels)) {
    throw ProfileFileError("The ERD header declares " + std::to_string(h.channels) + " channel" +
                           (h.channels == 1 ? "" : "s") + " but its SHORTNAM line names " +
                           count(h.names.size()) + ".");
  }
  h.data_offset = lines.offset();
  h.data_first_line = lines.line_number() + 1;
  return h;
}

ErdChannel ReadErd(std::string_view text, int channel, const ErdBinFetch& fetch_bin) {
  const ErdHeader h = ParseErdHeader(text);
  if (channel < 1 || channel > h.channels) {
    throw ProfileFileError("Channel " + std::to_string(channel) + " was asked for, but the ERD file has " +
                           std::to_string(h.channels) + " channel" + (h.channels == 1 ? "" : "s") + ".");
  }
  const auto column = static_cast<std::size_t>(channel - 1);  // channels count from 1
  ErdChannel out;
  out.title = h.title;
  for (int k = 1; k <= h.channels; ++k) {
    const auto idx = static_cast<std::size_t>(k - 1);
    out.channel_names.push_back(idx < h.names.size() && !h.names[idx].empty()
                                    ? h.names[idx]
                                    : "Channel " + std::to_string(k));
  }
  out.name = out.channel_names[column];
  if (column >= h.units.size()) {
    throw ProfileFileError("The ERD header gives no unit for channel " + std::to_string(channel) +
                           " (UNITSNAM line).");
  }
  out.unit = h.units[column];
  const double factor = ErdUnitFactor(out.unit, out.kind);
  out.spacing_ft = h.interval * XUnitFactor(h.x_units);
  CheckSpacingRead(out.spacing_ft, "the ERD file");
  CheckProfileLength(static_cast<std::size_t>(h.samples), out.spacing_ft);
  const bool elevation = out.kind == ErdChannelKind::Elevation;
  // Every value is checked after its conversion: a value that fits in metres may not in inches.
  const auto converted = [&](double v, std::size_t sample) {
    if (elevation) return CheckedElevation(v * factor, sample, "The ERD file");
    const auto speed = static_cast<float>(v * factor);
    if (!std::isfinite(speed)) {
      throw ProfileFileError("The ERD file holds a speed too large for a number at sample " +
                             std::to_string(sample) + ".");
    }
    return speed;
  };

  const auto expected = static_cast<std::size_t>(h.samples);
  const auto nchan = static_cast<std::size_t>(h.channels);
  if (h.format_key == kErdTextFormat) {
    LineReader rows(text.substr(h.data_offset));
    std::string_view line;
    std::vector<double> row(nchan);
    out.values.reserve(std::min(expected, rows.remaining_line_estimate()));
    std::size_t held = 0;
    while (rows.next(line)) {
      if (textio::IsBlank(line)) continue;
      if (!textio::SplitNumbers(line, row)) {
        throw ProfileFileError("Line " + std::to_string(h.data_first_line + rows.line_number() - 1) +
                               " of the ERD file does not hold " + std::to_string(h.channels) +
                               " number" + (h.channels == 1 ? "" : "s") + ".");
      }
      ++held;
      if (held <= expected) out.values.push_back(converted(row[column], held));
    }
    if (held != expected) {
      throw ProfileFileError("The ERD header declares " + std::to_string(expected) +
                             " samples but the file holds " + std::to_string(held) + " rows.");
    }
  } else if (h.format_key == kErdFloat32Format) {
    if (!fetch_bin) {
      throw ProfileFileError("The ERD header says its data are in a binary file, and there is none.");
    }
    // Counted in double: a header's counts must not overflow the size they imply.
    const double want = static_cast<double>(expected) * static_cast<double>(nchan) * 4.0;
    if (want > static_cast<double>(kMaxProfileFileBytes)) {
      throw ProfileFileError("The ERD header declares " + std::to_string(expected) + " samples of " +
                             std::to_string(h.channels) + " channels, " + Digits(want, 15) +
                             " bytes of data, more than a profile file may hold.");
    }
    const std::vector<std::byte> bytes = fetch_bin(static_cast<std::uint64_t>(want));
    if (static_cast<double>(bytes.size()) != want) {
      throw ProfileFileError("The ERD binary data file holds " + std::to_string(bytes.size()) +
                             " bytes; " + std::to_string(expected) + " samples of " +
                             std::to_string(h.channels) + " channels need " + Digits(want, 15) + ".");
    }
    out.values.resize(expected);
    for (std::size_t i = 0; i < expected; ++i) {
      const std::byte* p = bytes.data() + 4 * (i * nchan + column);
      const std::uint32_t bits = static_cast<std::uint32_t>(p[0]) |
                                 (static_cast<std::uint32_t>(p[1]) << 8) |
                                 (static_cast<std::uint32_t>(p[2]) << 16) |
                                 (static_cast<std::uint32_t>(p[3]) << 24);
      float v = 0.0f;
      std::memcpy(&v, &bits, sizeof v);
      out.values[i] = converted(v, i + 1);  // samples count from 1
    }
  } else {
    throw ProfileFileError("The ERD data format " + std::to_string(h.format_key) +
                           " is not supported (5, text, and 4, 32-bit binary, are).");
  }
  return out;
}

ErdBinFetch ErdBinFetcher(const std::filesystem::path& erd_path) {
  std::filesystem::path bin = erd_path;
  bin.replace_extension(".bin");
  return [bin](std::uint64_t expected_bytes) {
    std::error_code ec;
    if (!std::filesystem::exists(bin, ec)) {
      throw ProfileFileError("The ERD header says its data are in " + bin.string() +
                             ", which does not exist.");
    }
    // No more than the header promises is read (a link to an endless device is refused).
    return ReadFileBytes(bin, expected_bytes,
                         "the " + std::to_string(expected_bytes) + " bytes its ERD header promises");
  };
}

std::vector<ErdChannelInfo> ErdChannels(const ErdHeader& h) {
  std::vector<ErdChannelInfo> out;
  for (int k = 1; k <= h.channels; ++k) {
    const auto idx = static_cast<std::size_t>(k - 1);  // channels count from 1
    ErdChannelInfo c;
    c.name = idx < h.names.size() && !h.names[idx].empty() ? h.names[idx] : "Channel " + std::to_string(k);
    c.unit = idx < h.units.size() ? h.units[idx] : std::string();
    try {
      ErdUnitFactor(c.unit, c.kind);
      c.known_unit = true;
    } catch (const ProfileFileError&) {
      c.known_unit = false;  // a slope, a temperature: listed, but not readable as a profile
    }
    out.push_back(std::move(c));
  }
  return out;
}

std::vector<ErdChannelInfo> ListErdChannels(const std::filesystem::path& path) {
  return ErdChannels(ParseErdHeader(ReadFileText(path)));
}

ErdChannel ReadErdFile(const std::filesystem::path& path, int channel) {
  return ReadErd(ReadFileText(path), channel, ErdBinFetcher(path));
}

int FindErdSpeedChannel(const ErdHeader& h, int except) {
  for (std::size_t k = 0; k < h.units.size(); ++k) {
    const int channel = static_cast<int>(k) + 1;  // channels count from 1
    if (channel == except) continue;
    ErdChannelKind kind = ErdChannelKind::Elevation;
    try {
      ErdUnitFactor(h.units[k], kind);
    } catch (const ProfileFileError&) {
      continue;  // a channel of another quantity (a slope, a temperature) is simply not a speed
    }
    if (kind == ErdChannelKind::Speed) return channel;
  }
  return 0;
}

std::string FormatErd(std::string_view title, std::span<const float> profile_in, double spacing_ft,
                      std::span<const float> speed_fps) {
  if (profile_in.empty()) throw ProfileFileError("There is no profile to write.");
  if (!(spacing_ft > 0.0) || !std::isfinite(spacing_ft)) {
    throw ProfileFileError("The sample spacing must be a positive number to write an ERD file.");
  }
  const bool with_speed = !speed_fps.empty();
  if (with_speed && speed_fps.size() != profile_in.size()) {
    throw ProfileFileError("The speed series has " + std::to_string(speed_fps.size()) +
                           " samples and the profile " + std::to_string(profile_in.size()) +
                           "; an ERD file needs channels of one length.");
  }
  // A value that is not a number would be written as "inf" or "nan", which no reader takes.
  for (std::size_t k = 0; k < profile_in.size(); ++k) {
    if (!std::isfinite(profile_in[k]) || (with_speed && !std::isfinite(speed_fps[k]))) {
      throw ProfileFileError("The " + std::string(std::isfinite(profile_in[k]) ? "speed" : "profile") +
                             " holds a value that is not a number at sample " +
                             std::to_string(k + 1) + "; no ERD file is written.");
    }
  }
  std::string one_line(title);
  std::replace(one_line.begin(), one_line.end(), '\n', ' ');
  std::replace(one_line.begin(), one_line.end(), '\r', ' ');

  std::string out;
  out.reserve(profile_in.size() * (with_speed ? 30 : 16) + 256);
  out += "ERDFILEV2.00\n";
  out += std::string(with_speed ? "2," : "1,") + std::to_string(profile_in.size()) + ",-1,1," +
         std::to_string(kErdTextFormat) + "," + Digits(spacing_ft, 17) + ",-1\n";
  out += "TITLE   ," + one_line + "\n";
  out += with_speed ? "SHORTNAM,Elevation,Speed\n" : "SHORTNAM,Elevation\n";
  out += with_speed ? "UNITSNAM,in,ft/s\n" : "UNITSNAM,in\n";
  out += "XLABEL  ,Distance\n";
  out += "XUNITS  ,ft\n";
  out += "END\n";
  for (std::size_t i = 0; i < profile_in.size(); ++i) {
    out += Digits(profile_in[i], 9);
    if (with_speed) {
      out += ',';
      out += Digits(speed_fps[i], 9);
    }
    out += '\n';
  }
  return out;
}

void WriteErdFile(const std::filesystem::path& path, std::string_view title,
                  std::span<const float> profile_in, double spacing_ft,
                  std::span<const float> speed_fps) {
  WriteFileAtomically(path, FormatErd(title, profile_in, spacing_ft, speed_fps));
}

std::string FormatSeriesCsv(std::string_view header1, std::string_view header2, double step,
                            std::span<const float> values, double factor) {
  std::string out = CsvField(header1) + "," + CsvField(header2) + "\n";
  out.reserve(out.size() + values.size() * 26);
  for (std::size_t k = 0; k < values.size(); ++k) {
    // Sample i = k + 1 lies (i - 1) steps from the start.
    const double distance = static_cast<double>(k) * step;
    const double value = static_cast<double>(values[k]) * factor;
    if (!std::isfinite(value) || !std::isfinite(distance)) {
      throw ProfileFileError("The series holds a value that is not a number at sample " +
                             std::to_string(k + 1) + "; no CSV file is written.");
    }
    out += Digits(distance, 10);
    out += ',';
    out += Digits(value, 9);
    out += '\n';
  }
  return out;
}

void WriteSeriesCsv(const std::filesystem::path& path, std::string_view header1,
                    std::string_view header2, double step, std::span<const float> values,
                    double factor) {
  WriteFileAtomically(path, FormatSeriesCsv(header1, header2, step, values, factor));
}

}  // namespace tarmac
