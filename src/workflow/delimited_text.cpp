#include "workflow/delimited_text.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>

#include "common/text.h"

namespace tarmac {

namespace {


constexpr std::string_view kSource = "the file";

bool IsBlankChar(char c) { return c == ' ' || c == '\t'; }

// Semicolons first: files that separate with them often write decimal commas.
char SeparatorOf(std::string_view line) {
  if (line.find(';') != std::string_view::npos) return ';';
  if (line.find('\t') != std::string_view::npos) return '\t';
  if (line.find(',') != std::string_view::npos) return ',';
  return ' ';
}

// Walks the fields of one line without storing them: trimmed, surrounding quotes removed (a
// doubled quote inside stays doubled; only headings can hold one).
class FieldReader {
 public:
  FieldReader(std::string_view line, char separator) : line_(line), sep_(separator) {}

  bool next(std::string_view& field) {
    if (sep_ == ' ') {
      while (pos_ < line_.size() && IsBlankChar(line_[pos_])) ++pos_;
      if (pos_ >= line_.size()) return false;
    } else {
      if (done_) return false;
      while (pos_ < line_.size() && IsBlankChar(line_[pos_])) ++pos_;
    }
    std::size_t end = pos_;
    if (pos_ < line_.size() && line_[pos_] == '"') {
      // A quoted field runs to its closing quote, separators and all.
      std::size_t q = pos_ + 1;
      while (q < line_.size()) {
        if (line_[q] == '"') {
          if (q + 1 < line_.size() && line_[q + 1] == '"') {
            q += 2;
            continue;
          }
          break;
        }
        ++q;
      }
      field = line_.substr(pos_ + 1, std::min(q, line_.size()) - pos_ - 1);
      end = std::min(q + 1, line_.size());
      if (sep_ == ' ') {
        pos_ = end;
      } else {
        const std::size_t s = line_.find(sep_, end);
        done_ = s == std::string_view::npos;
        pos_ = done_ ? line_.size() : s + 1;
      }
      return true;
    }
    if (sep_ == ' ') {
      while (end < line_.size() && !IsBlankChar(line_[end])) ++end;
      field = line_.substr(pos_, end - pos_);
      pos_ = end;
    } else {
      const std::size_t s = line_.find(sep_, pos_);
      done_ = s == std::string_view::npos;
      end = done_ ? line_.size() : s;
      field = TrimWhitespace(line_.substr(pos_, end - pos_));
      pos_ = done_ ? line_.size() : s + 1;
    }
    return true;
  }

 private:
  std::string_view line_;
  char sep_;
  std::size_t pos_ = 0;
  bool done_ = false;
};

// A number as written in a field. Where commas do not separate the fields, a single comma and
// no point is a decimal comma ("0,25"). `normal` receives the text with a decimal point.
std::optional<double> FieldNumber(std::string_view field, char separator, std::string& normal) {
  normal.assign(field);
  if (separator != ',' && std::count(field.begin(), field.end(), ',') == 1 &&
      field.find('.') == std::string_view::npos) {
    normal[normal.find(',')] = '.';
  }
  return textio::ParseNumber(normal);
}

// The two fields a record is read from: the distance (column 1) and the elevation (column
// `column`), and how many columns the line holds.
struct Record {
  std::string_view distance, elevation;
  int columns = 0;
};

Record SplitRecord(std::string_view line, char separator, int column) {
  Record r;
  FieldReader fields(line, separator);
  std::string_view f;
  while (fields.next(f)) {
    ++r.columns;
    if (r.columns == 1) r.distance = f;
    if (r.columns == column) r.elevation = f;
  }
  return r;
}

// The names of a heading's columns 1 and `column`. In a blank-separated heading a bracketed
// unit belongs to the name before it ("Distance (m)  Elevation (mm)").
void HeadingNames(std::string_view line, int column, std::string& distance, std::string& elevation) {
  const char separator = SeparatorOf(line);
  FieldReader fields(line, separator);
  std::string_view f;
  int k = 0;
  std::string current;
  const auto keep = [&](int index, const std::string& name) {
    if (index == 1) distance = name;
    if (index == column) elevation = name;
  };
  while (fields.next(f)) {
    if (separator == ' ' && k > 0 && !f.empty() && (f.front() == '(' || f.front() == '[')) {
      current += ' ';
      current += f;
      keep(k, current);
      continue;
    }
    ++k;
    current.assign(f);
    keep(k, current);
  }
}

std::string UnitList(bool elevation) {
  return elevation ? "in, ft, mm, cm or m" : "ft or m";
}

}  // namespace

double DistanceUnitFeet(std::string_view unit) {
  const std::string u = Lower(TrimWhitespace(unit));
  if (u == "ft" || u == "feet" || u == "foot") return 1.0;
  if (u == "m" || u == "meter" || u == "meters" || u == "metre" || u == "metres") return 1.0 / 0.3048;
  if (u == "km") return 1000.0 / 0.3048;
  return 0.0;
}

double ElevationUnitInches(std::string_view unit) {
  const std::string u = Lower(TrimWhitespace(unit));
  if (u == "in" || u == "inch" || u == "inches") return 1.0;
  if (u == "ft" || u == "feet" || u == "foot") return 12.0;
  if (u == "mm") return 1.0 / 25.4;
  if (u == "cm") return 1.0 / 2.54;
  if (u == "m" || u == "meter" || u == "meters" || u == "metre" || u == "metres") return 1.0 / 0.0254;
  return 0.0;
}

std::string HeadingUnit(std::string_view heading) {
  heading = TrimWhitespace(heading);
  // The last bracketed text, whatever it says: a heading that brackets something names a unit.
  if (!heading.empty() && (heading.back() == ')' || heading.back() == ']')) {
    const char open = heading.back() == ')' ? '(' : '[';
    const std::size_t at = heading.rfind(open);
    if (at != std::string_view::npos) {
      return std::string(TrimWhitespace(heading.substr(at + 1, heading.size() - at - 2)));
    }
  }
  // Otherwise a last word that is a unit ("elevation_mm", "Distance m").
  const std::size_t cut = heading.find_last_of(" _-\t");
  if (cut == std::string_view::npos) return "";
  const std::string_view word = heading.substr(cut + 1);
  if (DistanceUnitFeet(word) > 0.0 || ElevationUnitInches(word) > 0.0) return std::string(word);
  return "";
}

DelimitedTextContents ParseDelimitedText(std::string_view text, const DelimitedTextOptions& options) {
  if (options.column < 2) {
    throw ProfileFileError("Column " + std::to_string(options.column) +
                           " cannot hold the elevations: column 1 is the distance.");
  }
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // a spreadsheet's byte-order mark
  DelimitedTextContents out;
  textio::LineReader lines(text);
  std::string_view line;
  bool first_line = true;
  bool have_separator = false;
  double feet_per_unit = 0.0, inches_per_unit = 0.0;
  DistanceColumn distances;
  std::string normal;

  // Settles the units from the options, then the heading, then the program's own.
  const auto settle_units = [&]() {
    std::string d = options.distance_unit, e = options.elevation_unit;
    const std::string hd = HeadingUnit(out.distance_name), he = HeadingUnit(out.elevation_name);
    if (d.empty() && !hd.empty()) {
      if (DistanceUnitFeet(hd) <= 0.0) {
        throw ProfileFileError("The heading \"" + out.distance_name + "\" names the distance unit \"" +
                               hd + "\", which is not known (" + UnitList(false) +
                               "); give the unit with --distance-unit.");
      }
      d = hd;
    }
    if (e.empty() && !he.empty()) {
      if (ElevationUnitInches(he) <= 0.0) {
        throw ProfileFileError("The heading \"" + out.elevation_name +
                               "\" names the elevation unit \"" + he + "\", which is not known (" +
                               UnitList(true) + "); give the unit with --elevation-unit.");
      }
      e = he;
    }
    if (d.empty() && e.empty()) {
      d = "ft";  // no unit named anywhere: the program's own units
      e = "in";
    } else if (d.empty() || e.empty()) {
      // Half the units named: guessing the other could be wrong by a factor of 25.4.
      throw ProfileFileError(
          std::string("The ") + (d.empty() ? "elevation" : "distance") + " unit is named (" +
          (d.empty() ? e : d) + ") but not the " + (d.empty() ? "distance" : "elevation") +
          " unit; name it in the heading, e.g. \"" +
          (d.empty() ? "Distance (m)" : "Elevation (mm)") + "\", or give it with " +
          (d.empty() ? "--distance-unit" : "--elevation-unit") + ".");
    }
    feet_per_unit = DistanceUnitFeet(d);
    inches_per_unit = ElevationUnitInches(e);
    if (feet_per_unit <= 0.0) {
      throw ProfileFileError("The distance unit \"" + d + "\" is not known (" + UnitList(false) + ").");
    }
    if (inches_per_unit <= 0.0) {
      throw ProfileFileError("The elevation unit \"" + e + "\" is not known (" + UnitList(true) + ").");
    }
    out.distance_unit = d;
    out.elevation_unit = e;
  };

  while (lines.next(line)) {
    const std::string_view trimmed = TrimWhitespace(line);
    if (trimmed.empty() || trimmed.front() == '#') continue;  // blank lines and comments
    const std::string where = "Line " + std::to_string(lines.line_number()) + " of the file";
    if (first_line) {
      first_line = false;
      // A first line whose first field is not a number is the heading.
      FieldReader fields(trimmed, SeparatorOf(trimmed));
      std::string_view f;
      if (fields.next(f) && !FieldNumber(f, SeparatorOf(trimmed), normal)) {
        HeadingNames(trimmed, options.column, out.distance_name, out.elevation_name);
        settle_units();
        continue;
      }
      settle_units();
    }
    if (!have_separator) {
      out.separator = SeparatorOf(trimmed);
      have_separator = true;
    }
    const Record r = SplitRecord(trimmed, out.separator, options.column);
    if (out.columns == 0) {
      out.columns = r.columns;
      if (r.columns < 2) {
        throw ProfileFileError(where + " holds one column; a profile needs a distance and an "
                               "elevation on each line.");
      }
    }
    if (r.columns < options.column) {
      throw ProfileFileError(where + " holds " + std::to_string(r.columns) +
                             " columns, so it has no column " + std::to_string(options.column) +
                             " of elevations.");
    }
    const auto d = FieldNumber(r.distance, out.separator, normal);
    if (!d) {
      throw ProfileFileError(where + ": the distance \"" + std::string(r.distance.substr(0, 40)) +
                             "\" is not a number.");
    }
    distances.Add(*d, normal, lines.line_number());
    const auto e = FieldNumber(r.elevation, out.separator, normal);
    if (!e) {
      throw ProfileFileError(where + ": the elevation in column " + std::to_string(options.column) +
                             ", \"" + std::string(r.elevation.substr(0, 40)) + "\", is not a number.");
    }
    out.elevations.push_back(
        CheckedElevation(*e * inches_per_unit, out.elevations.size() + 1, "The file"));
  }
  if (out.elevations.empty()) throw ProfileFileError("The file holds no profile records.");
  // Steps are checked in the file's own unit, so that messages quote its numbers.
  out.spacing_ft = distances.Spacing(kSource, out.distance_unit) * feet_per_unit;
  CheckSpacingRead(out.spacing_ft, "the file's distance column");
  CheckProfileLength(out.elevations.size(), out.spacing_ft);
  return out;
}

}  // namespace tarmac
