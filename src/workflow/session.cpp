#include "workflow/session.h"

#include <algorithm>

#include "common/rounding.h"
#include "simulation/simulation_failure.h"
#include "workflow/plot_range.h"
#include "workflow/results_file.h"
#include "workflow/session_jobs.h"

namespace tarmac {

Session::Session(Prompts& prompts, PlotSink* plots) : prompts_(prompts), plots_(plots) {
  // `InitDefaults`: the settings start at their defaults (see Settings); the surface type and
  // straightedge length follow after the form has cleared its boxes.
  model_.settings.AveragingStep = model_.settings.AveragingDistance / 20;
  model_.units = MakeUnits(model_.settings.Metric);
  model_.settings.DisplaySpacing = model_.settings.SampleSpacing * model_.units.LengthFactor;
}

Session::~Session() = default;

Session::ChangeScope::~ChangeScope() {
  if (--s_.change_depth_ > 0 || s_.pending_.empty()) return;
  const ModelChange change = std::move(s_.pending_);
  s_.pending_ = ModelChange{};
  if (s_.listener_) s_.listener_(change);
}

bool Session::RunJob(Job& job) {
  job.Compute(progress());
  return job.Publish();
}

// --- The jobs' common steps -----------------------------------------------------------------

Session::JobBase::JobBase(Session& session, std::string title)
    : session_(session),
      profile_(session.model_.profile),
      settings_(session.model_.settings),
      units_(session.model_.units),
      title_(std::move(title)) {}

void Session::JobBase::Compute(Progress& progress) {
  if (state_ != State::Prepared) return;
  progress.status(title_);
  try {
    Run(progress);
    state_ = State::Computed;
  } catch (const Cancelled&) {
    state_ = State::Cancelled;
  } catch (const JobRefusal& r) {
    refusal_ = r;
    state_ = State::Refused;
  } catch (const std::exception& e) {
    refusal_ = Describe(e);
    state_ = State::Refused;
  }
}

bool Session::JobBase::Publish() {
  Prompts& prompts = session_.prompts_;
  switch (state_) {
    case State::Prepared:
    case State::Done:
      return false;
    case State::Cancelled:
      failure_ = "Cancelled.";
      prompts.Status("Cancelled");
      state_ = State::Done;
      return false;
    case State::Refused:
      failure_ = refusal_.text;
      prompts.Message(refusal_.text, refusal_.title);
      state_ = State::Done;
      return false;
    case State::Computed:
      break;
  }
  state_ = State::Done;
  // A window may have read another profile or changed a setting while the job computed: a
  // result of other inputs must not pass for one of these. (The averaging step is what the
  // last index worked with, not an input.)
  Settings now = session_.model_.settings;
  now.AveragingStep = settings_.AveragingStep;
  if (session_.model_.profile != profile_ || !(now == settings_)) {
    failure_ = "The profile or the settings changed while it was computed.";
    prompts.Status(title_ + ": the profile or the settings changed meanwhile; result dropped");
    return false;
  }
  ChangeScope scope(session_);
  Apply();
  return true;
}

void Session::SetSmoothEnds(bool smooth) {
  ChangeScope scope(*this);
  model_.settings.SmoothEnds = smooth;
  changes().settings = true;
}

void Session::SetRunway(bool runway) {
  ChangeScope scope(*this);
  model_.settings.Runway = runway;
  changes().settings = true;
}

void Session::SetMetric(bool metric) {
  ChangeScope scope(*this);
  changes().units = changes().settings = true;
  SetUnitSystem(model_.settings, metric);
  model_.units = MakeUnits(metric);
  model_.settings.DisplaySpacing = model_.settings.SampleSpacing * model_.units.LengthFactor;
}

void Session::SetConcrete(bool checked) {
  ChangeScope scope(*this);
  changes().settings = true;
  SetSurfaceFromBox(model_.settings, checked);
}

void Session::SetSurface(const std::string& option) {
  ChangeScope scope(*this);
  changes().settings = true;
  SetSurfaceOption(model_.settings, option);
}

bool Session::SetSetting(const std::string& name, const std::string& value) {
  ChangeScope scope(*this);
  auto& s = model_.settings;
  if (name == "StraightedgePosition") {
    if (value != "Full Length" && value != "Between") {
      prompts_.Message("StraightedgePosition must be \"Full Length\" or \"Between\".",
                       "Incorrect Data Entry");
      return false;
    }
    s.StraightedgePosition = value;
    changes().settings = true;
    return true;
  }
  if (name == "AircraftType") {
    static const char* const kTypes[] = {"B-727", "B-747", "DC-9", "DC-10"};
    if (std::find(std::begin(kTypes), std::end(kTypes), value) == std::end(kTypes)) {
      prompts_.Message("AircraftType must be one of B-727, B-747, DC-9, DC-10.",
                       "Incorrect Data Entry");
      return false;
    }
    s.AircraftType = value;
    changes().settings = true;
    return true;
  }
  if (name == "SurfaceType") {
    if (value != "Unspecified" && value != "Asphalt" && value != "Concrete") {
      prompts_.Message("SurfaceType must be Unspecified, Asphalt or Concrete.",
                       "Incorrect Data Entry");
      return false;
    }
    SetSurface(value);
    return true;
  }
  const SettingSpec* spec = FindSetting(name);
  if (!spec) {
    prompts_.Message("There is no setting called " + name + ".", "Incorrect Data Entry");
    return false;
  }
  if (value.find_first_not_of(" \t") == std::string::npos) {
    prompts_.Message("No value given for " + name + ".", "Incorrect Data Entry");
    return false;
  }
  const SettingEdit edit = ApplySettingEntry(s, model_.units, *spec, value);
  if (!edit.changed) {
    prompts_.Message(edit.message, edit.title);
    return false;
  }
  if (spec->name == "SampleSpacing")
    s.DisplaySpacing = s.SampleSpacing * model_.units.LengthFactor;
  // A new section length resizes the section table for the profile in hand.
  if ((spec->name == "AveragingDistance" || spec->name == "SectionLengthCAPI"))
    model_.sections.Size(model_.levels[0].npoints(), s);
  changes().settings = true;
  return true;
}

bool Session::RequireProfile() {
  if (model_.HasProfile()) return true;
  prompts_.Message("No profile has been read yet. Read a profile file first.", "No Profile");
  return false;
}

bool Session::AppendResults(const std::vector<std::string>& lines) {
  // Without a profile there is no results file; nothing is lost.
  if (model_.batch_mode || model_.results_file.empty()) return true;
  std::string why;
  if (AppendLines(model_.results_file, lines, &why)) {
    changes().results_file = true;
    return true;
  }
  if (results_failure_shown_ != model_.results_file) {
    results_failure_shown_ = model_.results_file;
    prompts_.Message(why, "File Error");
  }
  return false;
}

double Session::LevelValueFactor(int level) const {
  const Units& u = model_.units;
  const PlotLevel& l = model_.levels.at(static_cast<std::size_t>(level));
  // Speed is held in ft/s like every other internal value and converted when shown.
  if (l.kind == "Speed") return u.LengthFactor;
  switch (level) {
    case 0: return u.CmFactor;
    case 1: return u.MmFactor;
    case 2: return 1.0;
    // The IRI slope is held in inches per mile; shown in m/km its factor is the roughness one.
    case 3: return u.RoughnessFactor;
    case 4: return u.MmFactor;
    case 5: return u.MmFactor;
    default: return 1.0;
  }
}

std::string Session::LevelValueUnit(int level, bool response) const {
  const Units& u = model_.units;
  const PlotLevel& l = model_.levels.at(static_cast<std::size_t>(level));
  if (response) {
    // The simulation's accelerations are in g; its dynamic coefficients are ratios of forces.
    return level == 1 || level == 2 ? "g" : "";
  }
  if (l.kind == "Speed") return u.SpeedLabel;
  if (l.kind == "Other") return "";  // the filter test's impulse response is a pure number
  switch (level) {
    case 0: return u.ShortElevationLabel;
    case 1: case 4: case 5: return u.ElevationLabel;
    case 3: return u.RoughnessLabel;
    default: return "";  // the Boeing Bump Index is a ratio
  }
}

void Session::ShowLevelPlot(int level, const std::string& title, std::int32_t first,
                            std::int32_t last, bool redraw) {
  DrawLevel(level, title, first, last, redraw, LevelValueFactor(level), false);
}

void Session::ShowResponsePlot(int level, const std::string& title, std::int32_t first,
                               std::int32_t last, bool redraw) {
  DrawLevel(level, title, first, last, redraw, 1.0, true);
}

void Session::DrawLevel(int level, const std::string& title, std::int32_t first,
                        std::int32_t last, bool redraw, double factor, bool response) {
  PlotLevel& l = model_.levels.at(static_cast<std::size_t>(level));
  if (l.npoints() < 1) return;
  ModelChange::AddTo(changes().levels, level);
  l.drawn_title = title;
  const PlotRange r =
      ComputePlotRange(l.data, l.step_ft * model_.units.LengthFactor, first, last, factor);
  l.shown_first = r.first;
  l.shown_last = r.last;
  l.shown_factor = factor;
  l.shown_unit = LevelValueUnit(level, response);
  l.plot_x_start = r.x_start;
  l.plot_x_end = r.x_end;
  if (redraw) {
    l.plot_y_max = r.y_max;
    l.plot_y_min = r.y_min;
  }
  WidenFlatRange(l.plot_y_min, l.plot_y_max);
  if (level == 0) {
    model_.plotted_profile_max = l.plot_y_max;
    model_.plotted_profile_min = l.plot_y_min;
  } else if (l.kind == "Speed") {
    model_.plotted_speed_max = l.plot_y_max;
  }
  if (plots_) plots_->LevelDrawn(model_, level);
}

}  // namespace tarmac
