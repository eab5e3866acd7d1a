#include "cli/analysis_json.h"

#include <cmath>
#include <iomanip>
#include <iostream>
#include <sstream>

#include "cli/cli_common.h"
#include "cli/names.h"
#include "common/number_format.h"
#include "indexes/sections.h"
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
  if (EqualNoCase(list, "all")) {
    options = {0, 1, 2, 3, 4};
    return true;
  }
  if (EqualNoCase(list, "none") || list.empty()) return true;
  // The names of the option buttons are taken too, in any case and with or without blanks or
  // hyphens ("Boeing Bump", "CA-Profilograph", "band-pass").
  static const std::pair<const char*, int> kAliases[] = {
      {"straightedge", 0}, {"bump", 1},         {"boeingbump", 1},     {"iri", 2},
      {"profilograph", 3}, {"caprofilograph", 3}, {"capi", 3},        {"bandpass", 4}};
  for (const auto& name : Split(list, ',')) {
    std::string bare;
    for (char c : Lower(name))
      if (c != ' ' && c != '-' && c != '_') bare += c;
    int found = -1;
    for (const auto& [alias, k] : kAliases)
      if (bare == alias) found = k;
    if (found < 0) {
      std::vector<std::string> keys(std::begin(kIndexKeys), std::end(kIndexKeys));
      std::cerr << "tarmac: unknown index \"" << name << "\"" << DidYouMean(name, keys)
                << "; use straightedge, bump, iri, profilograph, bandpass, all or none\n";
      return false;
    }
    options.push_back(found);
  }
  return true;
}

std::string IndexKey(int option) { return kIndexKeys[option]; }

std::string IndexName(int option) {
  static const char* const kNames[5] = {"Straightedge", "Boeing Bump", "IRI", "CA Profilograph",
                                        "Bandpass"};
  return kNames[option];
}

std::string IndexUnit(int option, const Units& u) {
  switch (option) {
    case 0:
    case 4: return u.Metric ? "mm" : "in";
    case 2:
    case 3: return u.Metric ? "m/km" : "in/mi";
    default: return "-";  // the Boeing Bump Index is a ratio
  }
}

nlohmann::json IndexUnitsJson(int option, const Units& u) {
  const std::string value = IndexUnit(option, u);
  const std::string length = u.LengthLabel;
  nlohmann::json j = {{"value", value},          {"first2000", value},
                      {"center2000", value},     {"last2000", value},
                      {"section_values", value}, {"section_lengths", length},
                      {"step_ft", "ft"}};
  if (option == 0) j["edge_used_ft"] = "ft";
  // The series are kept in the program's own units whatever the display.
  static const char* const kSeries[5] = {"in", "-", "in/mi", "in", "in"};
  j["input"] = "in";
  j["series"] = kSeries[option];
  if (option == 0) j["line_start"] = j["line_end"] = "in";
  if (option == 1) {
    j["height"] = "in";
    j["distance"] = j["length"] = "ft";
  }
  return j;
}

bool Stretch2000Exists(const Session& s, int option) {
  const ProfileModel& m = s.model();
  std::size_t n = 0;
  double dx = 0;
  switch (option) {
    case 0: n = m.straightedge.deviation.size(), dx = m.straightedge.spacing; break;
    case 1: n = m.bump.index.size(), dx = m.bump_input.spacing; break;
    case 2: n = static_cast<std::size_t>(m.prepared.n), dx = m.iri.spacing; break;
    case 3: n = m.levels[4].data.size(), dx = m.levels[4].step_ft; break;
    default: n = m.bandpass.size(), dx = m.settings.SampleSpacing; break;
  }
  return dx > 0 && Stretch2000Bounds(static_cast<std::int32_t>(n), dx).fits;
}
int IndexChartRow(int option) { return kChartRowOfOption[option]; }

nlohmann::json IndexJson(const Session& s, int option, bool series) {
  const ProfileModel& m = s.model();
  const int row = IndexChartRow(option);
  const SectionTables& t = m.sections;
  const int parts = t.part_count[static_cast<std::size_t>(row)];
  nlohmann::json j;
  j["text"] = m.index_text[static_cast<std::size_t>(option)];
  j["value"] = m.index_value[static_cast<std::size_t>(option)];
  j["first2000"] = t.first_stretch;
  j["center2000"] = t.centre_stretch;
  j["last2000"] = t.last_stretch;
  j["part_count"] = parts;
  nlohmann::json values = nlohmann::json::array();
  for (int i = 1; i <= parts; ++i) values.push_back(FloatForJson(t.at(i, row)));
  j["section_values"] = values;
  j["section_lengths"] = SeriesJson(t.section_lengths);
  j["chart_title"] = t.chart_title[static_cast<std::size_t>(row)];
  j["decimation_rule"] = std::string(DecimationRuleName(m.settings.Decimation));
  j["name"] = IndexName(option);
  j["stretch2000_exists"] = Stretch2000Exists(s, option);
  j["units"] = IndexUnitsJson(option, m.units);
  static constexpr ExceedanceKind kJudged[4] = {ExceedanceKind::Straightedge,
                                                 ExceedanceKind::BoeingBump,
                                                 ExceedanceKind::ShortIri, ExceedanceKind::Scallop};
  if (option >= 0 && option < 4) {
    if (const auto& list = m.exceedances.of(kJudged[option])) {
      AddExceedances(j, *list, m.units);
      j["units"]["exceedances"] = ExceedanceUnitsJson(m.units);
      j["units"]["exceedances"]["peak"] = ExceedanceValueUnit(list->kind, m.units);
      j["units"]["exceedance_limit"] = ExceedanceValueUnit(list->kind, m.units);
    }
  }
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
      // The profilograph keeps its own section lengths; `section_lengths` is the other indexes'.
      j["section_lengths"] = SeriesJson(m.profilograph_section_lengths);
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
        j["input"] = SeriesJson(m.profile);
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
    if (at == std::string::npos) {
      std::cerr << "tarmac: --simulate " << item << " refused: use AIRCRAFT@KNOTS, e.g. B-727@100\n";
      return false;
    }
    const std::string typed = item.substr(0, at);
    const auto aircraft = AircraftName(typed);
    if (!aircraft) {
      std::cerr << "tarmac: --simulate " << item << " refused: there is no aircraft " << typed
                << DidYouMean(typed, AircraftNames()) << "; use B-727, B-747, DC-9 or DC-10\n";
      return false;
    }
    const auto knots = ParseDecimalNumber(item.substr(at + 1));
    if (!knots || !SettingRangeMessage(speed, MakeUnits(false), *knots).empty()) {
      std::cerr << "tarmac: --simulate " << item << " refused: the speed takes "
                << SettingRangeText(speed, MakeUnits(false)) << "\n";
      return false;
    }
    out.push_back({*aircraft, *knots});
  }
  return true;
}

nlohmann::json ExceedancesJson(const ExceedanceList& list, const Units& units) {
  nlohmann::json a = nlohmann::json::array();
  for (const ExceedanceRow& r : ExceedanceRows(list, units, ""))
    a.push_back({{"start", r.start},
                 {"end", r.end},
                 {"length", r.length},
                 {"peak", r.peak},
                 {"peak_location", r.peak_at}});
  return a;
}

void AddExceedances(nlohmann::json& j, const ExceedanceList& list, const Units& units) {
  j["exceedances"] = ExceedancesJson(list, units);
  j["exceedance_limit"] = list.limit * ExceedanceValueFactor(list.kind, units);
  j["pass"] = list.pass();
}

nlohmann::json ExceedanceUnitsJson(const Units& units) {
  const std::string l = units.LengthLabel;
  return {{"start", l}, {"end", l}, {"length", l}, {"peak_location", l}};
}

namespace {

// A row of the console table: the first `names` cells (words) left-aligned in their columns,
// the others (numbers) right-aligned.
std::string Row(const std::vector<std::pair<std::string, int>>& cells, std::size_t names) {
  std::string line = " ";
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const auto& [text, width] = cells[i];
    const std::size_t w = static_cast<std::size_t>(width);
    const std::string pad = text.size() < w ? std::string(w - text.size(), ' ') : "";
    line += " " + (i < names ? text + pad : pad + text);
  }
  while (line.back() == ' ') line.pop_back();
  return line + "\n";
}

}  // namespace

void PrintExceedances(const std::vector<ExceedanceRow>& rows,
                      const std::vector<ExceedanceCount>& counts, std::ostream& out) {
  if (counts.empty()) return;
  // One line per kind judged: how many stretches, how long together, the worst and where; the
  // stretches themselves are in the CSV file.
  const int w[6] = {44, 9, 12, 13, 10, 9};
  out << Row({{"beyond limit", w[0]}, {"stretches", w[1]}, {"length", w[2]}, {"worst", w[3]},
              {"at", w[4]}, {"limit", w[5]}},
             1);
  std::size_t next = 0;
  for (const ExceedanceCount& c : counts) {
    double length = 0;
    const ExceedanceRow* worst = nullptr;
    for (std::size_t i = 0; i < static_cast<std::size_t>(c.stretches); ++i, ++next) {
      const ExceedanceRow& r = rows.at(next);
      length += r.length;
      if (!worst || std::abs(r.peak) > std::abs(worst->peak)) worst = &r;
    }
    if (!worst) {
      out << Row({{c.name, w[0]}, {"0", w[1]}}, 1);
      continue;
    }
    out << Row({{c.name, w[0]},
                {std::to_string(c.stretches), w[1]},
                {FormatNumber(length, "#,##0.0") + " " + worst->length_unit, w[2]},
                {FormatNumber(worst->peak, "0.000") + " " + worst->value_unit, w[3]},
                {FormatNumber(worst->peak_at, "#,##0.0"), w[4]},
                {FormatNumber(worst->limit, "0.000"), w[5]}},
               1);
  }
  out << PassFailLine(counts) << "\n";
}

void PrintSummary(const Session& s, const nlohmann::json& j, std::ostream& out) {
  const ProfileModel& m = s.model();
  out << m.data_file << ": " << m.SampleCount() << " samples, "
      << FormatNumber(m.SampleCount() * m.settings.DisplaySpacing, "#,##0.0") << " "
      << m.units.LengthLabel << "\n";
  if (j.contains("indexes")) {
    const int w[7] = {15, 5, 10, 14, 14, 14, 8};
    out << Row({{"index", w[0]}, {"unit", w[1]}, {"whole", w[2]}, {"first 2000 ft", w[3]},
                {"centre 2000 ft", w[4]}, {"last 2000 ft", w[5]}, {"sections", w[6]}},
               2);
    // In the order of the option buttons, whatever order they were asked in.
    for (int k = 0; k < 5; ++k) {
      if (!j["indexes"].contains(IndexKey(k))) continue;
      const auto& v = j["indexes"][IndexKey(k)];
      const bool stretches = v.value("stretch2000_exists", true);
      auto stretch = [&](const char* key) {
        return stretches ? FormatNumber(v[key].get<double>(), "0.0000") : std::string("n/a");
      };
      out << Row({{IndexName(k), w[0]},
                  {IndexUnit(k, m.units), w[1]},
                  {v["text"].get<std::string>(), w[2]},
                  {stretch("first2000"), w[3]},
                  {stretch("center2000"), w[4]},
                  {stretch("last2000"), w[5]},
                  {std::to_string(v["part_count"].get<int>()), w[6]}},
                 2);
    }
  }
  if (j.contains("simulations")) {
    const int w[5] = {20, 19, 5, 9, 9};
    out << Row({{"simulation", w[0]}, {"response", w[1]}, {"unit", w[2]}, {"peak", w[3]},
                {"RMS", w[4]}},
               3);
    static const std::pair<const char*, const char*> kResponses[] = {
        {"gcg", "cg acceleration"}, {"gcp", "pilot acceleration"}, {"nose", "nose gear load"},
        {"main", "main gear load"}, {"rear_main", "rear main gear load"}};
    for (const auto& sim : j["simulations"]) {
      std::string run = sim["aircraft"].get<std::string>() + " at " +
                        FormatNumber(sim["speed_knots"].get<double>(), "0") + " knots";
      for (const auto& [key, name] : kResponses) {
        if (!sim["responses"].contains(key)) continue;
        const auto& r = sim["responses"][key];
        out << Row({{run, w[0]},
                    {name, w[1]},
                    {sim["units"]["responses"][key].get<std::string>(), w[2]},
                    {FormatNumber(r["peak"].get<double>(), "0.0000"), w[3]},
                    {FormatNumber(r["total_rms"].get<double>(), "0.0000"), w[4]}},
                   3);
        run.clear();  // the run is named on its first line only
      }
    }
  }
  if (!m.batch_mode && !AnyOutputFailed()) out << "results appended to " << m.results_file << "\n";
}

}  // namespace tarmac::cli
