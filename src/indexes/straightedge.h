#pragma once
// The rolling straightedge: at every position the largest gap between the profile and a rigid
// edge laid on its high points. The edge rests on the upper convex hull of the samples under it;
// the hull is built once and then updated as the window slides one sample at a time.
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace tarmac {

class Progress;

// Which samples count when the largest gap under the edge is sought.
enum class StraightedgePosition {
  FullLength,  // "Full Length": every sample under the edge
  Between,     // "Between": only the samples between the two points the edge rests on
};

// The setting's text: "Between" selects Between, "Full Length" and any other text FullLength.
StraightedgePosition StraightedgePositionFromText(std::string_view text);

// Upper convex hull of a window, as strictly increasing sample numbers (1..N) of the profile.
// `index[1..count]` are used, as in the program's numbering; index[0] is unused.
struct UpperHull {
  std::vector<std::int32_t> index;    // hull points
  std::vector<std::int32_t> scratch;  // rebuilt stretch while the window moves
  std::int32_t count = 0;
  explicit UpperHull(std::int32_t m)
      : index(static_cast<std::size_t>(m) + 2), scratch(static_cast<std::size_t>(m) + 2) {}
};

// Results, one entry per window; the window starting at sample s is entry [s - 1]. Windows
// start at 1..N-m; the entries of the last m samples are never evaluated and stay zero.
struct StraightedgeResult {
  std::int32_t window = 0;        // m = round(edgeLength / dx) + 1 samples under the edge
  double edge_used = 0.0;         // length of the edge actually laid, (m - 1) dx, feet
  double spacing = 0.0;           // dx, feet
  std::vector<float> deviation;         // largest gap, inches
  std::vector<std::int32_t> gap_offset;  // samples from window start to that gap
  std::vector<float> line_start;         // edge height at the window's first sample
  std::vector<float> line_end;           // edge height at the window's last sample
};

// Window size in samples for an edge of edgeLength ft at spacing dx ft (halves to even).
std::int32_t StraightedgeWindow(double edgeLength, double dx);

// Hull of samples windowStart..windowStart+m-1 of profile (sample i at profile[i-1]).
void BuildUpperHull(std::span<const float> profile, UpperHull& hull, std::int32_t windowStart,
                    std::int32_t m);
// Turns the hull of the window starting at windowStart-1 into that of the window at windowStart.
void ShiftUpperHull(std::span<const float> profile, UpperHull& hull, std::int32_t windowStart,
                    std::int32_t m);
// Lays the edge on the hull points straddling the middle of the window and writes entry
// windowStart of the four series of `result`.
void EvaluateStraightedgeWindow(std::span<const float> profile, const UpperHull& hull,
                                std::int32_t windowStart, std::int32_t m,
                                StraightedgePosition position, StraightedgeResult& result);

// The whole index over profile (inches, sample i at profile[i-1]) at spacing dx ft.
// Throws std::invalid_argument when the profile has no more samples than the window (the first
// window would reach beyond it), or for a non-positive spacing or edge length.
StraightedgeResult ComputeStraightedge(std::span<const float> profile, double edgeLength,
                                       double dx, StraightedgePosition position,
                                       Progress& progress);
StraightedgeResult ComputeStraightedge(std::span<const float> profile, double edgeLength,
                                       double dx, StraightedgePosition position);

}  // namespace tarmac
