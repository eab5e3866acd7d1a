#pragma once
// The locations beyond limits: which series are judged, against which setting, how close two
// stretches must lie to be one, and the texts and rows every output shows of them (the CSV file
// of the command line, the JSON, the batch report's table, the window's list and its pass or
// fail line). The stretches themselves are found by the core (profile/exceedances.h).
#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/units.h"
#include "profile/exceedances.h"
#include "workflow/settings.h"

namespace tarmac {

// The series judged, in the order every list shows them: the four index kinds, then the
// aircraft responses of the last simulation.
enum class ExceedanceKind {
  Straightedge,       // straightedge deviation, in (plot level 1)
  BoeingBump,         // Boeing Bump Index (level 2)
  ShortIri,           // IRI over the 25-ft base, in/mile (drawn over level 3, the IRI's slope)
  Scallop,            // profilograph scallop height above the band, in (over level 4, the trace)
  CgAcceleration,     // g (level 1 after a simulation)
  PilotAcceleration,  // g (level 2)
  NoseLoad,           // nose gear dynamic load coefficient (level 3)
  MainLoad,           // (front) main gear (level 4)
  RearMainLoad,       // rear main gear, B-747 only (level 5)
};
inline constexpr int kExceedanceKindCount = 9;

struct ExceedanceKindInfo {
  ExceedanceKind kind;
  const char* key;      // the JSON and CSV name ("straightedge", "iri25", "gcg")
  const char* name;     // as lists and reports show it ("Straightedge deviation")
  const char* setting;  // the limit's setting ("StraightedgeLimit")
  int level;            // the plot level the series is drawn over
  LimitSide side;
  UnitKind unit;        // Elevation, Roughness or None (then `plain_unit`)
  const char* plain_unit;  // "-" or "g"
};
const ExceedanceKindInfo& InfoOf(ExceedanceKind kind);
const std::array<ExceedanceKindInfo, kExceedanceKindCount>& ExceedanceKinds();
// The JSON key of the response a simulation kind belongs to ("gcg"), or of the index ("iri").
const char* ExceedanceOwnerKey(ExceedanceKind kind);

// The stretches of one judged series.
struct ExceedanceList {
  ExceedanceKind kind = ExceedanceKind::Straightedge;
  double spacing_ft = 0.0;  // between samples of the series
  double limit = 0.0;       // internal units (in, in/mile, g, ratio)
  double merge_ft = 0.0;    // stretches closer than this are one
  std::vector<ExceedanceStretch> stretches;
  std::string run;  // the simulation's aircraft and speed ("B-727 at 100 knots"); empty otherwise
  bool pass() const { return stretches.empty(); }
};

// What the model keeps: the last list of each kind, and which kinds are drawn over each plot
// level (a simulation draws its responses over the levels the indexes used).
struct ExceedanceState {
  std::array<std::optional<ExceedanceList>, kExceedanceKindCount> lists;
  std::array<std::vector<ExceedanceKind>, 7> on_level;
  const std::optional<ExceedanceList>& of(ExceedanceKind k) const {
    return lists[static_cast<std::size_t>(k)];
  }
};

// The distance within which two stretches are one (ft): the straightedge's length for its
// deviation; 18 m for the bump index (where the allowable bump height turns linear: the span of
// one short bump); the 25-ft base for the short-interval IRI and for the scallops (the
// profilograph's own length); for the aircraft, the distance rolled in one second, about one
// cycle of the airframe's bounce on its gear.
double ExceedanceMergeDistance(ExceedanceKind kind, const Settings& s, double speedFps);
// The limit in force for a kind, internal units.
double ExceedanceLimit(ExceedanceKind kind, const Settings& s);
// Judges one series (sample i at series[i - 1], `spacing` ft apart) against the kind's limit.
ExceedanceList JudgeSeries(ExceedanceKind kind, std::span<const float> series, double spacing,
                           const Settings& s, double speedFps = 0.0);

// A stretch as every output shows it: distances from the profile start in display length
// units, values in display units of the kind.
struct ExceedanceRow {
  std::string profile;  // the profile's name
  std::string kind;     // the kind's name, with the simulation run when there is one
  double start = 0, end = 0, length = 0, peak = 0, peak_at = 0, limit = 0;
  std::string length_unit, value_unit;
};
std::vector<ExceedanceRow> ExceedanceRows(const ExceedanceList& list, const Units& units,
                                          const std::string& profile);
// The unit of a kind's values as shown ("mm", "in/mi", "g", "-").
std::string ExceedanceValueUnit(ExceedanceKind kind, const Units& units);
double ExceedanceValueFactor(ExceedanceKind kind, const Units& units);

// The CSV file: a header line, then one line per row.
std::string ExceedanceCsv(const std::vector<ExceedanceRow>& rows);

// Per kind judged: the count of stretches and pass or fail (the batch summary's columns).
struct ExceedanceCount {
  ExceedanceKind kind;
  std::string name;
  int stretches = 0;
  bool pass = true;
};
std::vector<ExceedanceCount> ExceedanceCounts(const ExceedanceState& state);
// "Passes every limit." or "Fails: Straightedge deviation (3 stretches), ...; passes: ..."; empty
// when nothing was judged.
std::string PassFailLine(const std::vector<ExceedanceCount>& counts);

}  // namespace tarmac
