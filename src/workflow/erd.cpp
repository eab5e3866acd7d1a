#include "workflow/erd.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace tarmac {

namespace {

using textio::LineReader;
using textio::ParseNumber;
using textio::Trim;

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string Unquote(std::string_view s) {
  s = Trim(s);
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
  return std::string(s);
}

std::vector<std::string> SplitCommas(std::string_view s) {
  std::vector<std::string> out;
  while (true) {
    const std::size_t comma = s.find(',');
    out.push_back(Unquote(s.substr(0, comma)));
    if (comma == std::string_view::npos) break;
    s.remove_prefix(comma + 1);
  }
  return out;
}

// A keyword line: the keyword fills the first columns (at most 8 letters), then optional blanks
// and a comma separate it from its values.
bool SplitKeyword(std::string_view line, std::string& keyword, std::string_view& rest) {
  std::size_t i = 0;
  while (i < line.size() && i < 8 &&
         (std::isalnum(static_cast<unsigned char>(line[i])) || line[i] == '_')) {
    ++i;
  }
  if (i == 0) return false;
  keyword.assign(line.substr(0, i));
  for (char& c : keyword) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  rest = line.substr(i);
  while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
  if (!rest.empty() && rest.front() == ',') rest.remove_prefix(1);
  return true;
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
  const std::string u = Lower(Trim(unit));
  if (u == "ft" || u == "feet" || u == "foot") return 1.0;
  if (u == "m" || u == "meter" || u == "meters" || u == "metre" || u == "metres") return 1.0 / 0.3048;
  if (u.empty()) {
    throw ProfileFileError("The ERD header has no XUNITS line, so its sample interval has no unit.");
  }
  throw ProfileFileError("The ERD distance unit \"" + std::string(Trim(unit)) +
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
  const std::string u = Lower(Trim(unit));
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
  throw ProfileFileError("The ERD unit \"" + std::string(Trim(unit)) +
                         "\" is not known (ft, in, m, mm for elevations; ft/s, m/s for speeds).");
}

ErdHeader ParseErdHeader(std::string_view text) {
  LineReader lines(text);
  std::string_view line;
  if (!lines.next(line) || Lower(Trim(line)).rfind("erdfilev2", 0) != 0) {
    throw ProfileFileError("The file is not an ERD file: its first line is not \"ERDFILEV2.00\".");
  }
  if (!lines.next(line)) throw ProfileFileError("The ERD file ends after its first line.");
  const std::vector<std::string> fields = SplitCommas(line);
  std::vector<double> numbers;
  for (const std::string& f : fields) {
    const auto v = ParseNumber(f);
    if (!v) break;
    numbers.push_back(*v);
  }
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
  while (lines.next(line)) {
    if (textio::IsBlank(line)) continue;
    std::string keyword;
    std::string_view rest;
    if (!SplitKeyword(line, keyword, rest)) {
      throw ProfileFileError("Line " + std::to_string(lines.line_number()) +
                             " of the ERD header is not a keyword line.");
    }
    if (keyword == "END") {
      ended = true;
      break;
    }
    h.keys[keyword] = std::string(Trim(rest));
    if (keyword == "TITLE") h.title = std::string(Trim(rest));
    if (keyword == "SHORTNAM") h.names = SplitCommas(rest);
    if (keyword == "UNITSNAM") h.units = SplitCommas(rest);
    if (keyword == "XUNITS") h.x_units = SplitCommas(rest).front();
  }
  if (!ended) throw ProfileFileError("The ERD header has no END line.");
  // The declared channel count is only believed when the header names as many units (and, when
  // it names channels at all, as many names): nothing is sized by a bare number from the file.
  DropTrailingEmpty(h.units);
  DropTrailingEmpty(h.names);
  if (h.units.empty()) {
    throw ProfileFileError("The ERD header has no UNITSNAM line, so its channels have no units.");
  }
  if (h.units.size() != static_cast<std::size_t>(h.channels)) {
    throw ProfileFileError("The ERD header declares " + std::to_string(h.channels) + " channel" +
                           (h.channels == 1 ? "" : "s") + " but its UNITSNAM line gives " +
                           std::to_string(h.units.size()) + " unit" +
                           (h.units.size() == 1 ? "" : "s") + ".");
  }
  if (!h.names.empty() && h.names.size() != static_cast<std::size_t>(h.channels)) {
    throw ProfileFileError("The ERD header declares " + std::to_string(h.channels) + " channel" +
                           (h.channels == 1 ? "" : "s") + " but its SHORTNAM line names " +
                           std::to_string(h.names.size()) + ".");
  }
  h.data_offset = lines.offset();
  h.data_first_line = lines.line_number() + 1;
  return h;
}

ErdChannel ReadErd(std::string_view text, int channel,
                   const std::function<std::vector<std::byte>()>& fetch_bin) {
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
      if (held <= expected) {
        const auto v = static_cast<float>(row[column] * factor);
        if (!std::isfinite(v)) {
          throw ProfileFileError("Line " + std::to_string(h.data_first_line + rows.line_number() - 1) +
                                 " of the ERD file holds a value too large for a profile.");
        }
        out.values.push_back(v);
      }
    }
    if (held != expected) {
      throw ProfileFileError("The ERD header declares " + std::to_string(expected) +
                             " samples but the file holds " + std::to_string(held) + " rows.");
    }
  } else if (h.format_key == kErdFloat32Format) {
    if (!fetch_bin) {
      throw ProfileFileError("The ERD header says its data are in a binary file, and there is none.");
    }
    const std::vector<std::byte> bytes = fetch_bin();
    // Counted in double: a header's counts must not overflow the size they imply.
    const double want = static_cast<double>(expected) * static_cast<double>(nchan) * 4.0;
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
      if (!std::isfinite(v)) {
        throw ProfileFileError("The ERD binary data hold a value that is not a number at sample " +
                               std::to_string(i + 1) + ".");
      }
      // A value that fits a float in metres may not fit one in inches.
      const auto scaled = static_cast<float>(static_cast<double>(v) * factor);
      if (!std::isfinite(scaled)) {
        throw ProfileFileError("The ERD binary data hold a value too large for a profile at sample " +
                               std::to_string(i + 1) + ".");
      }
      out.values[i] = scaled;
    }
  } else {
    throw ProfileFileError("The ERD data format " + std::to_string(h.format_key) +
                           " is not supported (5, text, and 4, 32-bit binary, are).");
  }
  return out;
}

std::function<std::vector<std::byte>()> ErdBinFetcher(const std::filesystem::path& erd_path) {
  std::filesystem::path bin = erd_path;
  bin.replace_extension(".bin");
  return [bin]() {
    std::error_code ec;
    if (!std::filesystem::exists(bin, ec)) {
      throw ProfileFileError("The ERD header says its data are in " + bin.string() +
                             ", which does not exist.");
    }
    return ReadFileBytes(bin);
  };
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
    out += Digits(distance, 10);
    out += ',';
    out += Digits(static_cast<double>(values[k]) * factor, 9);
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
