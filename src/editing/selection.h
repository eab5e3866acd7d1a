#pragma once
// The two-click selection on a plot panel and the limits of zooming: a click's plot x (hundreds
// of display length units) becomes a sample index, and a selection is checked before a zoom.
#include <cstdint>
#include <optional>
#include <string_view>

#include "editing/edit_refusal.h"

namespace tarmac {

// Deepest zoom kept per level, and the fewest sample steps (End - Start) a zoom may show.
inline constexpr int kMaxZoomDepth = 20;
inline constexpr std::int32_t kMinZoomSteps = 10;

// Sample index (counted from 1, clamped to 1..n) under a click at plot x. The plot draws sample
// i at x = i * step_ft * length_factor / 100, so the click's distance in feet is
// click_x / length_factor * 100 and the index is that over step_ft, to the nearest integer with
// halves to even. step_ft is the level's spacing in feet whatever units the plot shows.
// Returns 1 for n < 1 only as a guard; callers refuse empty levels first.
std::int32_t ClickToSample(float click_x, double length_factor, double step_ft, std::int32_t n);

// The two clicks' indexes in order (the right-then-left order gives the same stretch).
struct Selection {
  std::int32_t start = 0;
  std::int32_t end = 0;
};
Selection OrderSelection(std::int32_t first, std::int32_t second);

// Whether a zoom on a level of the given kind over start..end at the current depth is refused:
// the straightedge and bump chart panels cannot zoom, a stretch of fewer than 10 steps is too
// short, and a level already 20 deep cannot zoom further.
std::optional<EditRefusal> CheckZoom(std::string_view level_kind, Selection s, int depth);

}  // namespace tarmac
