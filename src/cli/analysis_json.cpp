#include "cli/analysis_json.h"

#include <iomanip>
#include <iostream>
#include <sstream>

#include "cli/cli_common.h"
#include "common/number_format.h"
#include "workflow/settings.h"
#include "workflow/atomic_file.h"

namespace tarmac::cli {
namespace {

constexpr const char* kIndexKeys[5] = {"straightedge", "bump", "iri", "profilograph", "bandpass"};
// Chart rows in option order: straightedge 1, bump 2, IRI 3, profilograph 5, band-pass 4.
constexpr int kChartRowOfOption[5] = {1, 2, 3, 5, 4};

std::vector<std::string> Split(const std::string& s, char sep) {
  std::vector<std::string> out;
  std::stringstream ss(s);
  for (std::string item; std::getline(ss, item, sep);) {
    const auto b = item.find_first_not_of(' ');
    const auto e = item.find_last_not_of(' ');
    if (b != std::string::npos) out.push_back(item.substr(b, e - b + 1));
  }
  return out;
}

template <typename T>
nlohmann::json Array(const std::vector<T>& v) {
  nlohmann::json a = nlohmann::json::array();
  for (const T& x : v) a.push_back(x);
  return a;
}

}  // namespace

bool ParseIndexList(const std::string& list, std::vector<int>& options) {
  options.clear();
  if (list == "all") {
    options = {0, 1, 2, 3, 4};
    return true;
  }
  if (list == "none" || list.empty()) return true;
  for (const auto& name : Split(list, ',')) {
    int found = -1;
    for (int k = 0; k < 5; ++k)
      if (name == kIndexKeys[k]) found = k;
    if (found < 0) {
      std::cerr << "Unknown index \"" << name
                << "\": use straightedge, bump, iri, profilograph, bandpass, all or none\n";
      return false;
    }
    options.push_back(found);
  }
  return true;
}

std::string IndexKey(int option) { return kIndexKeys[option]; }
int IndexChartRow(int option) { return kChartRowOfOption[option]; }

nlohmann::json IndexJson(const Session& s, int option, bool series) {
  const ProfileModel& m = s.model();
  const int row = IndexChartRow(option);
  const SectionTables& t = m.sections;
  const int parts = t.IndexPartCount[static_cast<std::size_t>(row)];
  nlohmann::json j;
  j["text"] = m.TextI[static_cast<std::size_t>(option)];
  j["value"] = m.IndexValue[static_cast<std::size_t>(option)];
  j["first2000"] = t.First2000;
  j["center2000"] = t.Center2000;
  j["last2000"] = t.Last2000;
  j["part_count"] = parts;
  nlohmann::json values = nlohmann::json::array();
  for (int i = 1; i <= parts; ++i) values.push_back(FloatForJson(t.at(i, row)));
  j["section_values"] = values;
  j["section_lengths"] = SeriesJson(t.SectionLength);
  j["chart_title"] = t.IndexChartTitle[static_cast<std::size_t>(row)];
  j["decimation_rule"] = std::string(DecimationRuleName(m.settings.Decimation));
  switch (option) {
    case 0: {
      j["step_ft"] = m.straightedge.spacing;
      j["decimation_factor"] = m.straightedge_input.factor;
      j["edge_used_ft"] = m.straightedge.edge_used;
      if (series) {
        const auto& in = m.straightedge_input;
        j["input"] = SeriesJson(std::vector<float>(in.data1(), in.data1() + in.n));
        j["series"] = SeriesJson(m.straightedge.deviation);
        j["gap_offset"] = Array(m.straightedge.gap_offset);
        j["line_start"] = SeriesJson(m.straightedge.line_start);
        j["line_end"] = SeriesJson(m.straightedge.line_end);
      }
      break;
    }
    case 1: {
      j["step_ft"] = m.bump_input.spacing;
      j["decimation_factor"] = m.bump_input.factor;
      if (series) {
        const auto& in = m.bump_input;
        j["input"] = SeriesJson(std::vector<float>(in.data1(), in.data1() + in.n));
        j["series"] = SeriesJson(m.bump.index);
        j["height"] = SeriesJson(m.bump.height);
        j["distance"] = SeriesJson(m.bump.distance);
        j["length"] = SeriesJson(m.bump.chord_length);
      }
      break;
    }
    case 2: {
      j["step_ft"] = m.iri.spacing;
      j["decimation_factor"] = m.prepared.factor;
      if (series) {
        const auto& in = m.prepared;
        j["input"] = SeriesJson(std::vector<float>(in.data1(), in.data1() + in.n));
        j["series"] = SeriesJson(std::vector<float>(m.iri.slope.begin(),
                                                    m.iri.slope.begin() + m.iri.plotted));
      }
      break;
    }
    case 3: {
      // The profilograph keeps its own section lengths; `SectionLength` is the other indexes'.
      j["section_lengths"] = SeriesJson(m.CAPISectionLengths);
      j["step_ft"] = m.levels[4].step_ft;
      j["decimation_factor"] = m.prepared.factor;
      if (series) {
        const auto& in = m.prepared;
        j["input"] = SeriesJson(std::vector<float>(in.data1(), in.data1() + in.n));
        j["series"] = SeriesJson(m.levels[4].data);
      }
      break;
    }
    case 4: {
      j["step_ft"] = m.settings.SampleSpacing;
      j["decimation_factor"] = 1;  // the band-pass works on every sample
      if (series) {
        j["input"] = SeriesJson(m.ProfileZ);
        j["series"] = SeriesJson(m.bandpass);
      }
      break;
    }
  }
  return j;
}

bool ParseSimulationList(const std::string& list, std::vector<SimulationRequest>& out) {
  out.clear();
  // The speed of a requested run obeys the range of the speed setting.
  const SettingSpec& speed = *FindSetting("AircraftSpeed");
  for (const auto& item : Split(list, ',')) {
    const auto at = item.find('@');
    SimulationRequest r;
    if (at != std::string::npos) {
      r.aircraft = item.substr(0, at);
      const auto knots = ParseDecimalNumber(item.substr(at + 1));
      if (!knots) {
        r.aircraft.clear();
      } else if (!SettingRangeMessage(speed, MakeUnits(false), *knots).empty()) {
        std::cerr << "Bad simulation \"" << item << "\": the aircraft speed must lie between "
                  << FormatNumber(speed.min, speed.dialog_format) << " and "
                  << FormatNumber(speed.max, speed.dialog_format) << " knots\n";
        return false;
      }
      r.knots = knots.value_or(0.0);
    }
    if (r.aircraft != "B-727" && r.aircraft != "B-747" && r.aircraft != "DC-9" &&
        r.aircraft != "DC-10") {
      std::cerr << "Bad simulation \"" << item
                << "\": use AIRCRAFT@KNOTS with AIRCRAFT one of B-727, B-747, DC-9, DC-10\n";
      return false;
    }
    out.push_back(r);
  }
  return true;
}

void PrintSummary(const Session& s, const nlohmann::json& j, std::ostream& out) {
  const ProfileModel& m = s.model();
  out << m.DataFileName << ": " << m.ProfileNPoints() << " samples, "
      << FormatNumber(m.ProfileNPoints() * m.settings.DisplaySpacing, "#,##0.0") << " "
      << m.units.LengthLabel << "\n";
  if (j.contains("indexes")) {
    out << "  index           value        first 2000   centre 2000  last 2000    parts\n";
    for (auto it = j["indexes"].begin(); it != j["indexes"].end(); ++it) {
      const auto& v = it.value();
      out << "  " << std::left << std::setw(14) << it.key() << std::right
          << RightAlign(10, v["text"].get<std::string>())
          << RightAlign(14, FormatNumber(v["first2000"].get<double>(), "0.0000"))
          << RightAlign(14, FormatNumber(v["center2000"].get<double>(), "0.0000"))
          << RightAlign(12, FormatNumber(v["last2000"].get<double>(), "0.0000"))
          << RightAlign(8, std::to_string(v["part_count"].get<int>())) << "\n";
    }
  }
  if (j.contains("simulations")) {
    for (const auto& sim : j["simulations"]) {
      out << "  " << sim["aircraft"].get<std::string>() << " at "
          << FormatNumber(sim["speed_knots"].get<double>(), "0.0") << " knots:";
      for (auto it = sim["responses"].begin(); it != sim["responses"].end(); ++it)
        out << "  " << it.key() << " rms " << FormatNumber(it.value()["total_rms"].get<double>(), "0.0000");
      out << "\n";
    }
  }
  if (!m.BatchMode && !AnyOutputFailed()) out << "results appended to " << m.ResultsFile << "\n";
}

}  // namespace tarmac::cli
