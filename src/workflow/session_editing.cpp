// The editing commands: high-pass conversion, repair and its undo, zoom and its undo, cutting to
// a new length and its undo, and the vertical curve. Each works on the analysis profile and keeps
// plot level 0 holding exactly that profile, so the plot and every later index see the edit.
#include <stdexcept>

#include "editing/new_length.h"
#include "editing/repair.h"
#include "editing/selection.h"
#include "editing/vertical_curve.h"
#include "profile/filters.h"
#include "workflow/editing_texts.h"
#include "workflow/session.h"

namespace tarmac {
namespace {

void Show(Prompts& p, EditRefusal reason) {
  const EditMessage m = EditRefusalMessage(reason);
  p.Message(m.text, m.title);
}

}  // namespace

// Refuses clicks on a panel that shows nothing (the selection needs a series under it).
static bool PanelHasSeries(Prompts& prompts, const ProfileModel& m, int level) {
  if (level >= 0 && level < kPanelCount && m.levels[static_cast<std::size_t>(level)].npoints() > 0)
    return true;
  prompts.Message("Plot panel " + std::to_string(level) + " shows nothing to select on.",
                  "Invalid Selection");
  return false;
}

void Session::ReplaceProfile(std::vector<float> z, const std::string& kind,
                             const std::string& drawnTitle) {
  ProfileModel& m = model_;
  m.profile = z;
  changes().profile = true;
  m.undo.repair_saved = false;
  const PlotLevel& l0 = m.levels[0];
  FillLevel(0, std::move(z), l0.step_ft, kind, l0.title, drawnTitle);
}

bool Session::HighPass() {
  ChangeScope scope(*this);
  if (!RequireProfile()) return false;
  ProfileModel& m = model_;
  prompts_.Status("Converting to Highpass");
  std::vector<float> z;
  try {
    z = HighPassProfile(m.profile, m.settings.SampleSpacing);
  } catch (const std::invalid_argument& e) {
    prompts_.Message(e.what(), "High Pass");
    return false;
  }
  ReplaceProfile(std::move(z), "ZHiPass", "");
  prompts_.Status("Finished Highpass");
  return true;
}

bool Session::Repair() {
  ChangeScope scope(*this);
  if (!RequireProfile()) return false;
  ProfileModel& m = model_;
  PlotLevel& l0 = m.levels[0];
  const double dx = l0.step_ft;
  RepairResult r;
  try {
    // Refuses a profile too short for the carriage's reflection before anything changes.
    r = RepairProfile(m.profile, dx);
  } catch (const EditRefused& e) {
    const EditMessage shown = EditRefusalMessage(e);
    prompts_.Message(shown.text, shown.title);
    return false;
  } catch (const std::invalid_argument& e) {
    prompts_.Message(e.what(), "Cannot Repair");
    return false;
  }
  // The whole profile is kept so that the repair can be undone.
  m.undo.repair_saved = true;
  m.undo.repair_profile = m.profile;
  m.undo.repair_kind = l0.kind;
  m.undo.repair_title = l0.title;
  const std::string kind(kRepairLevelKind), title(kRepairLevelTitle);
  FillLevel(1, std::move(r.once), dx, kind, title, title);
  m.profile = r.twice;
  changes().profile = true;
  FillLevel(0, std::move(r.twice), dx, kind, title, title);
  return true;
}

// Draws level 0 over the stretch of its current zoom depth, or whole.
static void RedrawLevel0(Session& s) {
  const ProfileModel& m = s.model();
  const PlotLevel& l0 = m.levels[0];
  if (l0.zoomed > 0) {
    const auto d = static_cast<std::size_t>(l0.zoomed);
    s.ShowLevelPlot(0, l0.title, m.zoom_first[0][d], m.zoom_last[0][d], true);
  } else {
    s.ShowLevelPlot(0, l0.title, 1, l0.npoints(), true);
  }
}

bool Session::UndoRepair() {
  ChangeScope scope(*this);
  ProfileModel& m = model_;
  if (!m.undo.repair_saved || !m.HasProfile()) return false;
  m.profile = m.undo.repair_profile;
  changes().profile = true;
  PlotLevel& l0 = m.levels[0];
  l0.data = m.profile;
  l0.kind = m.undo.repair_kind;
  l0.title = m.undo.repair_title;
  m.undo.repair_saved = false;
  m.undo.repair_profile.clear();
  RedrawLevel0(*this);
  return true;
}

bool Session::Zoom(int level, float x1, float x2) {
  ChangeScope scope(*this);
  if (!RequireProfile()) return false;
  ProfileModel& m = model_;
  if (level < 0 || level >= kPanelCount) {
    prompts_.Message("There is no plot panel " + std::to_string(level) + ".", "Invalid Selection");
    return false;
  }
  PlotLevel& l = m.levels[static_cast<std::size_t>(level)];
  const std::int32_t n = l.npoints();
  if (n < 1 || !(l.step_ft > 0.0)) {
    prompts_.Message("Plot panel " + std::to_string(level) + " shows nothing to zoom.",
                     "Invalid Selection");
    return false;
  }
  prompts_.Status(std::string(kZoomingStatus));
  const double lf = m.units.LengthFactor;
  const Selection s =
      OrderSelection(ClickToSample(x1, lf, l.step_ft, n), ClickToSample(x2, lf, l.step_ft, n));
  if (const auto refused = CheckZoom(l.kind, s, l.zoomed)) {
    Show(prompts_, *refused);
    return false;
  }
  const auto lv = static_cast<std::size_t>(level);
  if (l.zoomed == 0) {
    m.zoom_first[lv][0] = 1;
    m.zoom_last[lv][0] = n;
  }
  // Only the profile panel takes the zoomed profile title; an index panel keeps its own.
  std::string title = l.drawn_title;
  if (level == 0) {
    l.title = ZoomTitle(NameOf(m.data_file), m.units.ElevationSuffix);
    title = l.title;
  }
  ShowLevelPlot(level, title, s.start, s.end, true);
  const auto d = static_cast<std::size_t>(l.zoomed + 1);
  l.zoomed = static_cast<std::int16_t>(d);
  m.zoom_first[lv][d] = s.start;
  m.zoom_last[lv][d] = s.end;
  return true;
}

bool Session::UndoZoom(int level) {
  ChangeScope scope(*this);
  if (!RequireProfile()) return false;
  if (level < 0) level = 0;
  if (level >= kPanelCount) {
    prompts_.Message("There is no plot panel " + std::to_string(level) + ".", "Invalid Selection");
    return false;
  }
  ProfileModel& m = model_;
  PlotLevel& l = m.levels[static_cast<std::size_t>(level)];
  if (l.zoomed == 0) {
    Show(prompts_, EditRefusal::NoZooms);
    return false;
  }
  const auto lv = static_cast<std::size_t>(level);
  const auto d = static_cast<std::size_t>(l.zoomed - 1);
  l.zoomed = static_cast<std::int16_t>(d);
  ShowLevelPlot(level, level == 0 ? l.title : l.drawn_title, m.zoom_first[lv][d], m.zoom_last[lv][d],
                true);
  return true;
}

namespace {

// The profile samples under two clicks. A click is a distance along the runway, so it picks the
// profile sample at that distance whichever panel it was made on (an index panel is decimated).
Selection ProfileSelection(const ProfileModel& m, float x1, float x2) {
  const double lf = m.units.LengthFactor;
  const double dx = m.settings.SampleSpacing;
  const std::int32_t n = m.SampleCount();
  return OrderSelection(ClickToSample(x1, lf, dx, n), ClickToSample(x2, lf, dx, n));
}

}  // namespace

bool Session::NewLength(int level, float x1, float x2) {
  ChangeScope scope(*this);
  if (!RequireProfile()) return false;
  ProfileModel& m = model_;
  if (!PanelHasSeries(prompts_, m, level)) return false;
  prompts_.Status(std::string(kNewLengthStatus));
  const Selection s = ProfileSelection(m, x1, x2);
  if (const auto refused = CheckNewLength(s, m.settings.SampleSpacing, m.undo.CutsInForce())) {
    Show(prompts_, *refused);
    return false;
  }
  std::vector<float> cut;
  try {
    cut = CutProfile(m.profile, s);
  } catch (const std::invalid_argument& e) {
    prompts_.Message(e.what(), "Invalid Selection");
    return false;
  }
  if (m.undo.cuts.empty()) {
    m.undo.uncut_profile = m.profile;
    m.undo.cuts.push_back({1, m.SampleCount()});
  }
  m.undo.cuts.push_back({s.start, s.end});
  ReplaceProfile(std::move(cut), m.levels[0].kind, m.levels[0].title);
  return true;
}

bool Session::UndoNewLength() {
  ChangeScope scope(*this);
  if (!RequireProfile()) return false;
  ProfileModel& m = model_;
  prompts_.Status(std::string(kUndoNewLengthStatus));
  if (m.undo.CutsInForce() == 0) {
    Show(prompts_, EditRefusal::NoCutToUndo);
    return false;
  }
  std::vector<CutRecord> history;
  history.reserve(m.undo.cuts.size());
  for (const auto& c : m.undo.cuts) history.push_back({c[0], c[1]});
  std::vector<float> back;
  if (history.size() == 2) {
    // Stepping back past the first cut gives back the profile exactly as it was before it.
    // (Removing its end chord again would shift it by the rounding left from reading, or
    // bend a profile whose ends an edit had moved off zero.)
    back = m.undo.uncut_profile;
  } else {
    try {
      back = UndoCut(m.undo.uncut_profile, history);
    } catch (const EditRefused& e) {
      Show(prompts_, e.reason);
      return false;
    } catch (const std::invalid_argument& e) {
      prompts_.Message(e.what(), "Not Implemented");
      return false;
    }
  }
  m.undo.cuts.pop_back();
  if (m.undo.cuts.size() <= 1) {
    m.undo.cuts.clear();
    m.undo.uncut_profile.clear();
  }
  ReplaceProfile(std::move(back), m.levels[0].kind, m.levels[0].title);
  return true;
}

bool Session::VerticalCurve(int level, float x1, float x2) {
  ChangeScope scope(*this);
  if (!RequireProfile()) return false;
  ProfileModel& m = model_;
  if (!PanelHasSeries(prompts_, m, level)) return false;
  prompts_.Status(std::string(kVerticalCurveStatus));
  const double dx = m.settings.SampleSpacing;
  const Selection s = ProfileSelection(m, x1, x2);
  if (const auto refused = CheckVerticalCurveSelection(s, dx)) {
    Show(prompts_, *refused);
    return false;
  }
  VerticalCurveResult r;
  try {
    // The left click is the vertex; the right one only has to lie far enough beyond it.
    r = FitVerticalCurve(m.profile, dx, s.start);
  } catch (const EditRefused& e) {
    Show(prompts_, e.reason);
    return false;
  }
  m.profile = r.profile;
  changes().profile = true;
  m.levels[0].data = std::move(r.profile);
  m.undo.repair_saved = false;
  RedrawLevel0(*this);
  return true;
}

}  // namespace tarmac
