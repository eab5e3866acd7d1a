#include "workflow/exceedances.h"

#include "common/number_format.h"
#include "indexes/bump_index.h"
#include "indexes/exceedance_series.h"

namespace tarmac {
namespace {

constexpr std::array<ExceedanceKindInfo, kExceedanceKindCount> kKinds = {{
    {ExceedanceKind::Straightedge, "straightedge", "Straightedge deviation", "StraightedgeLimit",
     1, LimitSide::Above, UnitKind::Elevation, ""},
    {ExceedanceKind::BoeingBump, "bump", "Boeing Bump Index", "BumpIndexLimit", 2,
     LimitSide::Above, UnitKind::None, "-"},
    {ExceedanceKind::ShortIri, "iri25", "IRI over 25 ft", "ShortIriLimit", 3, LimitSide::Above,
     UnitKind::Roughness, ""},
    {ExceedanceKind::Scallop, "scallop", "Profilograph scallop", "ScallopLimit", 4,
     LimitSide::Above, UnitKind::Elevation, ""},
    {ExceedanceKind::CgAcceleration, "gcg", "cg acceleration", "AccelerationLimit", 1,
     LimitSide::BothSigns, UnitKind::None, "g"},
    {ExceedanceKind::PilotAcceleration, "gcp", "pilot acceleration", "AccelerationLimit", 2,
     LimitSide::BothSigns, UnitKind::None, "g"},
    {ExceedanceKind::NoseLoad, "nose", "nose gear dynamic load", "DynamicLoadLimit", 3,
     LimitSide::BothSigns, UnitKind::None, "-"},
    {ExceedanceKind::MainLoad, "main", "main gear dynamic load", "DynamicLoadLimit", 4,
     LimitSide::BothSigns, UnitKind::None, "-"},
    {ExceedanceKind::RearMainLoad, "rear_main", "rear main gear dynamic load",
     "DynamicLoadLimit", 5, LimitSide::BothSigns, UnitKind::None, "-"},
}};

constexpr double kMetresToFeet = 1.0 / 0.3048;
constexpr double kAircraftMergeTime = 1.0;  // s of rolling

std::string Stretches(int n) { return std::to_string(n) + (n == 1 ? " stretch" : " stretches"); }

}  // namespace

const std::array<ExceedanceKindInfo, kExceedanceKindCount>& ExceedanceKinds() { return kKinds; }

const ExceedanceKindInfo& InfoOf(ExceedanceKind kind) {
  return kKinds[static_cast<std::size_t>(kind)];
}

const char* ExceedanceOwnerKey(ExceedanceKind kind) {
  switch (kind) {
    case ExceedanceKind::Straightedge: return "straightedge";
    case ExceedanceKind::BoeingBump: return "bump";
    case ExceedanceKind::ShortIri: return "iri";
    case ExceedanceKind::Scallop: return "profilograph";
    default: return InfoOf(kind).key;
  }
}

double ExceedanceMergeDistance(ExceedanceKind kind, const Settings& s, double speedFps) {
  switch (kind) {
    case ExceedanceKind::Straightedge: return s.StraightedgeLength;
    case ExceedanceKind::BoeingBump: return kBumpBreakpointMetres * kMetresToFeet;
    case ExceedanceKind::ShortIri:
    case ExceedanceKind::Scallop: return kShortIriBase;
    default: return speedFps * kAircraftMergeTime;
  }
}

double ExceedanceLimit(ExceedanceKind kind, const Settings& s) {
  const SettingSpec* spec = FindSetting(InfoOf(kind).setting);
  return spec->get(s);
}

ExceedanceList JudgeSeries(ExceedanceKind kind, std::span<const float> series, double spacing,
                           const Settings& s, double speedFps) {
  ExceedanceList list;
  list.kind = kind;
  list.spacing_ft = spacing;
  list.limit = ExceedanceLimit(kind, s);
  list.merge_ft = ExceedanceMergeDistance(kind, s, speedFps);
  list.stretches = FindExceedances(series, list.limit, InfoOf(kind).side, spacing, list.merge_ft);
  return list;
}

double ExceedanceValueFactor(ExceedanceKind kind, const Units& units) {
  switch (InfoOf(kind).unit) {
    case UnitKind::Elevation: return units.MmFactor;
    case UnitKind::Roughness: return units.RoughnessFactor;
    default: return 1.0;
  }
}

std::string ExceedanceValueUnit(ExceedanceKind kind, const Units& units) {
  switch (InfoOf(kind).unit) {
    case UnitKind::Elevation: return units.Metric ? "mm" : "in";
    case UnitKind::Roughness: return units.Metric ? "m/km" : "in/mi";
    default: return InfoOf(kind).plain_unit;
  }
}

std::vector<ExceedanceRow> ExceedanceRows(const ExceedanceList& list, const Units& units,
                                          const std::string& profile) {
  std::vector<ExceedanceRow> rows;
  const double lf = units.LengthFactor;
  const double vf = ExceedanceValueFactor(list.kind, units);
  std::string kind = InfoOf(list.kind).name;
  if (!list.run.empty()) kind += " (" + list.run + ")";
  for (const ExceedanceStretch& s : list.stretches) {
    const StretchExtent e = ExtentOf(s, list.spacing_ft);
    rows.push_back({profile, kind, e.start_ft * lf, e.end_ft * lf, e.length_ft() * lf,
                    s.peak * vf, e.peak_ft * lf, list.limit * vf, units.LengthLabel,
                    ExceedanceValueUnit(list.kind, units)});
  }
  return rows;
}

std::string ExceedanceCsv(const std::vector<ExceedanceRow>& rows) {
  std::string csv = "profile,kind,start,end,length,peak,peak location,limit,units\n";
  const auto quoted = [](const std::string& t) {
    if (t.find_first_of(",\"") == std::string::npos) return t;
    std::string q = "\"";
    for (char c : t) q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
  };
  for (const ExceedanceRow& r : rows)
    csv += quoted(r.profile) + "," + quoted(r.kind) + "," + FormatNumber(r.start, "0.000") + "," +
           FormatNumber(r.end, "0.000") + "," + FormatNumber(r.length, "0.000") + "," +
           FormatNumber(r.peak, "0.0000") + "," + FormatNumber(r.peak_at, "0.000") + "," +
           FormatNumber(r.limit, "0.0000") + "," + r.length_unit + " / " + r.value_unit + "\n";
  return csv;
}

std::vector<ExceedanceCount> ExceedanceCounts(const ExceedanceState& state) {
  std::vector<ExceedanceCount> counts;
  for (const ExceedanceKindInfo& info : kKinds) {
    const auto& list = state.of(info.kind);
    if (!list) continue;
    std::string name = info.name;
    if (!list->run.empty()) name += " (" + list->run + ")";
    counts.push_back(
        {info.kind, name, static_cast<int>(list->stretches.size()), list->pass()});
  }
  return counts;
}

std::string PassFailLine(const std::vector<ExceedanceCount>& counts) {
  if (counts.empty()) return "";
  std::string fails, passes;
  for (const ExceedanceCount& c : counts) {
    if (c.pass) {
      passes += (passes.empty() ? "" : ", ") + c.name;
    } else {
      fails += (fails.empty() ? "" : ", ") + c.name + " (" + Stretches(c.stretches) + ")";
    }
  }
  if (fails.empty()) return "Passes every limit: " + passes + ".";
  return "Fails: " + fails + (passes.empty() ? "." : "; passes: " + passes + ".");
}

}  // namespace tarmac
