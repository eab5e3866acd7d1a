#include "workflow/report_header.h"

#include <ctime>

#include "common/number_format.h"
#include "common/version.h"
#include "profile/prepare.h"

namespace tarmac {

std::string ReportTimeStamp() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  char buf[64];
  if (std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S %Z", &tm) == 0) return "";
  return buf;
}

namespace {

// "20.0 knots", "20.0 and 100.0 knots", "20.0, 60.0 and 100.0 knots".
std::string SpeedList(std::span<const double> knots) {
  std::string text;
  for (std::size_t k = 0; k < knots.size(); ++k) {
    if (k > 0) text += k + 1 == knots.size() ? " and " : ", ";
    text += FormatNumber(knots[k], "0.0");
  }
  return text + " knots";
}

}  // namespace

std::vector<std::string> ReportFirstBlock(const ProfileModel& m,
                                          std::span<const double> speeds_knots,
                                          std::string_view made_at) {
  const Units& u = m.units;
  const Settings& s = m.settings;
  const std::string len = " " + u.LengthLabel;
  std::vector<std::string> lines;
  lines.push_back("Made " + std::string(made_at) + " by Tarmac " + kVersion);
  lines.push_back("Profile: " + m.data_file);
  // Each sample stands for one spacing of pavement, as the console summary and the JSON count.
  lines.push_back("Length " + FormatNumber(m.SampleCount() * s.DisplaySpacing, "0.0") + len +
                  ", sample spacing " + FormatNumber(s.DisplaySpacing, "0.0000") + len + ", " +
                  std::to_string(m.SampleCount()) + " samples");
  lines.push_back(u.Metric ? "Units: metric (lengths in m, elevations in mm, roughness in m/km)"
                           : "Units: US customary (lengths in ft, elevations in inches, roughness "
                             "in in/mile)");
  std::string settings =
      "Settings: averaging distance " + FormatNumber(s.AveragingDistance * u.LengthFactor, "0.0") +
      len + "; straightedge " + FormatNumber(s.StraightedgeLength * u.LengthFactor, "0.0") + len +
      ", position " + s.StraightedgePosition + "; decimation rule " +
      std::string(DecimationRuleName(s.Decimation));
  if (!speeds_knots.empty()) settings += "; aircraft speeds " + SpeedList(speeds_knots);
  settings += "; airframe damping " + FormatNumber(s.DampingFactor, "0.0000") + "; " +
              std::to_string(s.NumberOfModes) + " modes";
  lines.push_back(settings);
  return lines;
}

PaperSize PaperFor(const Units& units) {
  return units.Metric ? PaperSize::A4 : PaperSize::Letter;
}

void InsertReportFirstBlock(Document& doc, const std::vector<std::string>& lines,
                            double font_size, double restore_size) {
  doc.setAlignment(ParagraphAlignment::Left);
  doc.setFontSize(font_size);
  for (const std::string& line : lines) {
    doc.insertText(line);
    doc.insertPara();
  }
  doc.setFontSize(restore_size);
  doc.insertPara();
}

}  // namespace tarmac
