#pragma once
// New Length: cutting the profile to a selected stretch and removing its end chord, nested up to
// ten cuts deep, and the stretch of the uncut profile that each undo steps back to.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "editing/edit_refusal.h"
#include "editing/selection.h"

namespace tarmac {

inline constexpr int kMaxCuts = 10;

// Fewest sample steps a cut may keep: 100 ft of profile, CLng(100 / spacing).
std::int32_t NewLengthMinimumSteps(double sample_spacing_ft);

// Whether a cut over s is refused: shorter than 100 ft (or than two samples), or ten cuts
// already in force.
std::optional<EditRefusal> CheckNewLength(Selection s, double sample_spacing_ft, int cuts_in_force);

// Removes the straight line through the first and last values in place: both ends become 0.
// A series of fewer than two values is left as it is.
void RemoveChord(std::span<float> z);

// The profile cut to samples start..end (counted from 1, 1 <= start < end <= size) with its
// chord removed. Throws std::invalid_argument for a stretch outside the profile.
std::vector<float> CutProfile(std::span<const float> profile, Selection s);

// One cut as recorded: first and last index relative to the profile as it was before the cut.
// Entry 0 of a history is {1, length of the uncut profile}.
using CutRecord = Selection;

// The stretch of the uncut profile that cut k of the history selected (k = 0: all of it).
// Throws std::invalid_argument when k is beyond the history.
Selection StretchInUncut(std::span<const CutRecord> history, std::size_t k);

// Undo of the last cut in force: the history holds entries 0..level. Returns the profile as
// cut k = level - 1 left it (k = 0: the uncut profile), chord removed. Throws EditRefused
// (NoCutToUndo) when the history holds no cut.
std::vector<float> UndoCut(std::span<const float> uncut, std::span<const CutRecord> history);

}  // namespace tarmac
