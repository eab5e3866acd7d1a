#include "workflow/profile_model.h"

#include <algorithm>
#include <cctype>

#include "common/rounding.h"

namespace tarmac {

void SectionTables::Size(std::int32_t n, const Settings& s) {
  const std::int32_t byAveraging = RoundHalfEven(n * s.SampleSpacing / s.AveragingDistance);
  const std::int32_t byCapi = RoundHalfEven(n * s.SampleSpacing / s.SectionLengthCAPI);
  // A margin of 10 keeps the table larger than the number of sections of either kind.
  section_count = RoundHalfEven16(static_cast<double>(std::max(byAveraging, byCapi)) + 10);
  values.assign(static_cast<std::size_t>(section_count + 1) * kChartRows, 0.0f);
}

void ProfileModel::ClearResultArrays() {
  for (auto& row : sections.chart_title) row.clear();
  sections.part_count.fill(0);
  sections.section_lengths.clear();
  sections.first_stretch = sections.centre_stretch = sections.last_stretch = 0;
  straightedge = StraightedgeResult{};
  straightedge_input = PreparedProfile{};
  bump = BoeingBumpSeries{};
  bump_input = PreparedProfile{};
  iri = IriResult{};
  bandpass.clear();
  profilograph_sections.clear();
  profilograph_section_lengths.clear();
  chart_row_enabled.fill(false);
  // The simulation's part lengths and statistics belong to the profile they were run on.
  simulation = SimulationResult{};
  simulation_input = PreparedProfile{};
  exceedances = ExceedanceState{};
}

std::string FolderOf(const std::string& path) {
  const auto p = path.find_last_of('/');
  return p == std::string::npos ? std::string() : path.substr(0, p + 1);
}

std::string ProfileNameOf(const std::string& fileName) {
  std::string name = fileName.size() >= 4 ? fileName.substr(0, fileName.size() - 4) : std::string();
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

std::string NameOf(const std::string& path) {
  const auto p = path.find_last_of('/');
  return p == std::string::npos ? path : path.substr(p + 1);
}

}  // namespace tarmac
