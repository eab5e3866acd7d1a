#pragma once
// The texts of the editing commands: their status texts, the title of a zoomed profile, the kind
// and title of the repaired levels, and the message box of a refused edit or zoom. The editing
// core returns a reason; every text the person reads is made here.
#include <cstdint>
#include <string>
#include <string_view>

#include "editing/edit_refusal.h"

namespace tarmac {

inline constexpr std::string_view kZoomingStatus = "Zooming";
inline constexpr std::string_view kNewLengthStatus = "New Length";
inline constexpr std::string_view kUndoNewLengthStatus = "Undo New Length";
inline constexpr std::string_view kVerticalCurveStatus = "Vertical Curve";

// Kind and title the repaired levels take.
inline constexpr std::string_view kRepairLevelKind = "CA Profilograph";
inline constexpr std::string_view kRepairLevelTitle = "CA Profilograph, inches";

// A message box text with its title.
struct EditMessage {
  std::string text;
  std::string title;
};

// The message box of a refused edit or zoom. samples_needed is the fewest samples a repair
// needs (TooShortToRepair only).
EditMessage EditRefusalMessage(EditRefusal reason, std::int32_t samples_needed = 0);
inline EditMessage EditRefusalMessage(const EditRefused& refused) {
  return EditRefusalMessage(refused.reason, refused.samples_needed);
}

// Title of a zoomed profile level: "ZProfile," then the profile file's name without its last
// four characters (the extension), upper-cased, then the comma-prefixed elevation label (",inch").
std::string ZoomTitle(std::string_view file_name, std::string_view comma_elevation_label);

}  // namespace tarmac
