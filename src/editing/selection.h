#pragma once
// The two-click selection on a plot panel and the limits of zooming: a click's plot x (hundreds
// of display length units) becomes a sample index, and a selection is checked before a zoom.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarmac {

// A message box text with its title.
struct EditMessage {
  std::string_view text;
  std::string_view title;
};

inline constexpr EditMessage kTwoPlotsMessage{
    "Length cannot be changed using two different plots.\r\nPlease start over.",
    "Invalid Selection"};
inline constexpr EditMessage kTooShortMessage{"Selected length is too short.\r\nPlease start over.",
                                              "Invalid Selection"};
inline constexpr EditMessage kCannotZoomMessage{"Cannot zoom this plot.", "Cannot Zoom"};
inline constexpr EditMessage kNoZoomsMessage{"No zooms to undo.", "Not Zoomed"};
inline constexpr EditMessage kZoomTooDeepMessage{
    "The plot is already zoomed 20 times.\r\nUndo a zoom before zooming further.", "Cannot Zoom"};

inline constexpr std::string_view kZoomingStatus = "Zooming";
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
std::optional<EditMessage> CheckZoom(std::string_view level_kind, Selection s, int depth);

// Title of a zoomed level: "ZProfile," then the profile file's name without its last four
// characters (the extension), upper-cased, then the comma-prefixed elevation label (",inch").
std::string ZoomTitle(std::string_view file_name, std::string_view comma_elevation_label);

}  // namespace tarmac
