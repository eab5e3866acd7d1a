#include "ui/batch_support.h"

#include <cstdio>

#include "common/number_format.h"
#include "workflow/settings.h"

namespace tarmac::ui {

namespace {

// A number as SetSetting reads it, without losing a digit.
std::string Exact(double v) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.17g", v);
  return buffer;
}

}  // namespace

bool ApplySettings(Session& target, const Settings& s) {
  // Entered in the unit system a fresh session starts with; the units are switched last.
  target.SetMetric(false);
  // The numbers while the fresh session's surface is unspecified (a known surface refuses a
  // straightedge length), then the surface, which sets the length it implies.
  for (const SettingSpec& spec : SettingTable()) {
    const std::string value = spec.kind == SettingKind::Choice
                                  ? std::string(spec.get_choice(s))
                                  : Exact(spec.get(s));
    if (!target.SetSetting(std::string(spec.name), value)) return false;
  }
  if (s.Concrete) target.SetConcrete(true);
  if (!target.SetSetting("SurfaceType", s.SurfaceType)) return false;
  if (!target.SetSetting("StraightedgePosition", s.StraightedgePosition) ||
      !target.SetSetting("AircraftType", s.AircraftType))
    return false;
  target.SetRunway(s.Runway);
  target.SetSmoothEnds(s.SmoothEnds);
  target.SetMetric(s.Metric);
  return true;
}

std::string BatchClosingMessage(const Session::BatchOutcome& o, double seconds) {
  const bool all = o.processed == o.chosen && !o.interrupted;
  std::string text = (all ? std::string("All Processed.") : Session::BatchSummary(o) + ".") +
                     " ET = " + FormatNumber(seconds, "0") + " s";
  if (!o.failed.empty()) {
    text += "\r\n\r\nProfiles without a report:";
    for (const Session::BatchFailure& f : o.failed)
      text += "\r\n" + std::to_string(f.position) + ". " + f.file + ": " + f.reason;
  }
  return text;
}

std::string ListClosingMessage(const Session::ListOutcome& o, double seconds) {
  std::string text = std::to_string(o.completed) + " of " + std::to_string(o.listed) +
                     " measurements simulated and reported";
  if (o.cancelled) text += "; cancelled";
  text += ". ET = " + FormatNumber(seconds, "0") + " s";
  if (!o.failures.empty()) {
    text += "\r\n\r\nWhat went wrong (also in " + o.log + "):";
    for (const std::string& line : o.failures) text += "\r\n" + line;
  }
  return text;
}

}  // namespace tarmac::ui
