#include "workflow/index_reports.h"

#include <stdexcept>

#include "common/number_format.h"

namespace tarmac {
namespace {

// What the texts of the indexes summarised by sections differ in.
struct SectionTexts {
  int value_box;
  const char* report_name;
  const char* title_text;
};

SectionTexts TextsOf(int level) {
  switch (level) {
    case kStraightedgeLevel:
      return {0, "StraightEdge", ",  StraightEdge Mean(Total Length) = "};
    case kBoeingBumpLevel:
      return {1, "BoeingIndex", ",  Boeing Mean(Total Length) = "};
    case kBandpassLevel:
      return {4, "Bandpass Filter", ", Bandpass RMS(Total Length) = "};
    default:
      throw std::invalid_argument("Index level " + std::to_string(level) +
                                  " has no sectioned report (levels 1, 2 and 5 have).");
  }
}

}  // namespace

int IndexValueBox(int level) { return TextsOf(level).value_box; }

std::string IndexValueText(double value) { return FormatNumber(value, "0.0000"); }

std::string IndexChartTitleSuffix(const IndexSections& s) {
  return TextsOf(s.level).title_text + IndexValueText(s.shown_value);
}

std::string IriChartTitleSuffix(const IriResult& r) {
  return ",  IRI(Total Length) = " + IndexValueText(r.total);
}

std::string ProfilographChartTitleSuffix(const ProfilographResult& r) {
  return ",  CA PI(Total Length) = " + IndexValueText(r.total);
}

std::string IndexReportName(int level) { return TextsOf(level).report_name; }

std::vector<std::string> IndexReportLines(const IndexSections& s, const Units& units) {
  const std::string name = IndexReportName(s.level);
  const std::string meanUnit =
      s.level == kBoeingBumpLevel ? std::string("(-)      ") : units.ShortElevationHeading;
  std::vector<std::string> lines;
  lines.reserve(s.parts.size() + 10);
  lines.push_back("Profile total length = " + FormatNumber(s.count * s.display_spacing, "#,##0.0") +
                  units.LengthHeading);
  lines.push_back("Profile step length = " + FormatNumber(s.display_spacing, "0.00000") +
                  units.LengthHeading);
  lines.push_back("Method of Computing Profile Index is " + name);
  lines.push_back("Total min  = " + FormatNumber(s.minimum_display, "0.0000"));
  lines.push_back("Total max  = " + FormatNumber(s.maximum_display, "0.0000"));
  lines.push_back("Total Mean = " + FormatNumber(s.total_mean_display, "0.0000"));
  lines.push_back("Total RMS  = " + FormatNumber(s.total_rms_display, "0.0000"));
  lines.push_back("    partI   length " + units.LengthHeading + "   PartMean " + meanUnit +
                  "     PartRMS " + units.ShortElevationHeading);
  for (std::size_t i = 0; i < s.parts.size(); ++i) {
    const IndexPart& p = s.parts[i];
    lines.push_back(RightAlign(6, FormatNumber(static_cast<double>(i + 1), "0")) +
                    RightAlign(12, FormatNumber(p.length_display, "#,##0.0")) +
                    RightAlign(20, FormatNumber(p.mean_display, "0.0000")) +
                    RightAlign(22, FormatNumber(p.rms_display, "0.0000")));
  }
  lines.emplace_back();
  return lines;
}

std::vector<std::string> IriReportLines(const IriResult& r, const Units& units) {
  const auto N = static_cast<std::int32_t>(r.slope.size());
  const double dx = r.spacing;
  const auto P = static_cast<std::int32_t>(r.part_iri.size());
  std::vector<std::string> lines;
  lines.push_back("Profile total length = " +
                  FormatNumber((N - 1) * dx * units.LengthFactor, "#,##0.0") + units.LengthHeading);
  lines.push_back("Profile step length = " + FormatNumber(dx * units.LengthFactor, "0.00000") +
                  units.LengthHeading);
  lines.push_back("Methods of Measuring Profile Index is IRI 1/4 Car");
  lines.push_back("IRI total = " + IndexValueText(r.total));
  // The heading names the length unit by its bare label ("ft" / "m"), unlike the headings of
  // the other index reports, and m/km in either unit system, as the report always has.
  lines.push_back("    partI   length " + units.LengthLabel + "   Index, m/km");
  for (std::int32_t j = 1; j <= P; ++j) {
    const auto jj = static_cast<std::size_t>(j - 1);
    lines.push_back(RightAlign(6, FormatNumber(j, "0")) +
                    RightAlign(12, FormatNumber(r.part_length_ft[jj] * units.LengthFactor, "#,##0.0")) +
                    RightAlign(20, FormatNumber(r.part_iri[jj], "0.0000")));
  }
  lines.emplace_back();
  return lines;
}

std::vector<std::string> ProfilographReportLines(const ProfilographResult& r, const Units& units) {
  const auto N = static_cast<std::int32_t>(r.trace.size());
  const double dx = r.spacing;
  std::vector<std::string> lines;
  lines.push_back("Profile total length = " + FormatNumber(N * dx * units.LengthFactor, "#,##0.0") +
                  units.LengthHeading);
  lines.push_back("Profile step length = " + FormatNumber(dx * units.LengthFactor, "0.00000") +
                  units.LengthHeading);
  lines.push_back("Methods of Measuring Profile Index is CA Profilograph");
  lines.push_back("PI total = " + IndexValueText(r.total));
  lines.push_back("    partI   length " + units.LengthHeading + "     Index," + units.PILabel);
  for (std::size_t j = 0; j < r.whole.sections.size(); ++j) {
    const ProfilographSection& s = r.whole.sections[j];
    lines.push_back(RightAlign(6, FormatNumber(j + 1, "0")) +
                    RightAlign(12, FormatNumber(s.length_display, "#,##0.0")) +
                    RightAlign(20, FormatNumber(s.pi_display, "0.0000")));
  }
  lines.emplace_back();
  return lines;
}

}  // namespace tarmac
