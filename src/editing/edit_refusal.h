#pragma once
// Why an edit of the profile or a zoom of a plot was refused. The profile and the plots stay as
// they were; the message the person reads is made by the workflow layer.
#include <cstdint>

namespace tarmac {

enum class EditRefusal {
  TwoPlots,          // the two clicks of a selection were made on different plot panels
  TooShort,          // the selected stretch is shorter than the edit or zoom allows
  CannotZoom,        // the straightedge and bump chart panels do not zoom
  NoZooms,           // an undo of a zoom on a panel that is not zoomed
  ZoomTooDeep,       // the panel is already zoomed kMaxZoomDepth times
  NoCutToUndo,       // an undo of a cut when no cut is in force
  TooManyCuts,       // kMaxCuts cuts are already in force
  EqualGrades,       // the grades before and after the vertex are equal: no curve
  CurveTooShort,     // the curve would be shorter than one sample on each side of the vertex
  CurveOutside,      // a grade window or a curve end would reach beyond the profile
  TooShortToRepair,  // the profile is shorter than the repair carriage's reflection needs
};

// Thrown by an edit that cannot be made.
struct EditRefused {
  EditRefusal reason = EditRefusal::TooShort;
  std::int32_t samples_needed = 0;  // TooShortToRepair: the fewest samples a repair needs
};

}  // namespace tarmac
