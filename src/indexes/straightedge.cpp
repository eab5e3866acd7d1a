#include "indexes/straightedge.h"

#include <cmath>
#include <stdexcept>
#include <string>

#include "common/progress.h"
#include "common/rounding.h"

namespace tarmac {
namespace {

// Elevation of sample i (1..N).
inline double Z(std::span<const float> profile, std::int32_t i) {
  return profile[static_cast<std::size_t>(i - 1)];
}
// Entry i (1..count) of a hull list.
inline std::int32_t& At(std::vector<std::int32_t>& list, std::int32_t i) {
  return list[static_cast<std::size_t>(i)];
}
inline std::int32_t At(const std::vector<std::int32_t>& list, std::int32_t i) {
  return list[static_cast<std::size_t>(i)];
}
// Result entry of the window starting at sample s.
inline std::size_t Entry(std::int32_t s) { return static_cast<std::size_t>(s - 1); }

// Twice the signed area of the triangle c, b, a with the sample number as abscissa. For
// c < b < a a value >= 0 puts b on or below the chord c-a.
inline double Turn(std::span<const float> profile, std::int32_t a, std::int32_t b,
                   std::int32_t c) {
  return Z(profile, b) * (c - a) + Z(profile, c) * (a - b) + Z(profile, a) * (b - c);
}

// Drops points from the end of the hull until its last three points turn downwards.
void PopFromEnd(std::span<const float> profile, UpperHull& h) {
  auto& l = h.index;
  while (h.count >= 3) {
    const std::int32_t a = At(l, h.count);
    const std::int32_t b = At(l, h.count - 1);
    const std::int32_t c = At(l, h.count - 2);
    if (Turn(profile, a, b, c) < 0.0) break;
    h.count -= 1;
    At(l, h.count) = a;
  }
}

}  // namespace

StraightedgePosition StraightedgePositionFromText(std::string_view text) {
  return text == "Between" ? StraightedgePosition::Between : StraightedgePosition::FullLength;
}

std::int32_t StraightedgeWindow(double edgeLength, double dx) {
  return static_cast<std::int32_t>(RoundHalfEven16(edgeLength / dx)) + 1;
}

void BuildUpperHull(std::span<const float> profile, UpperHull& hull, std::int32_t windowStart,
                    std::int32_t m) {
  auto& l = hull.index;
  const std::int32_t s = windowStart;
  At(l, 1) = s;
  At(l, 2) = s + 1;
  hull.count = 2;
  for (std::int32_t k = 3; k <= m; ++k) {
    hull.count += 1;
    At(l, hull.count) = s + k - 1;
    PopFromEnd(profile, hull);
  }
}

void ShiftUpperHull(std::span<const float> profile, UpperHull& hull, std::int32_t windowStart,
                    std::int32_t m) {
  (void)m;  // the new last sample follows the old one; the window length is implicit
  auto& l = hull.index;
  auto& t = hull.scratch;
  const std::int32_t s = windowStart;
  if (At(l, 2) == s) {
    // The old start was the only hull point before s: it simply drops out.
    for (std::int32_t j = 1; j < hull.count; ++j) At(l, j) = At(l, j + 1);
    hull.count -= 1;
  } else {
    At(l, 1) = s;
    const std::int32_t second = At(l, 2);
    const std::int32_t g = second - s - 1;
    if (g > 0) {
      // Rebuild the hull between s and the old second point, scanning leftwards from it.
      At(t, 1) = second;
      At(t, 2) = second - 1;
      std::int32_t k = 2;
      for (std::int32_t j = 1; j <= g; ++j) {
        At(t, k + 1) = second - 1 - j;
        k += 1;
        while (k >= 3) {
          const std::int32_t a = At(t, k);
          const std::int32_t b = At(t, k - 1);
          const std::int32_t c = At(t, k - 2);
          if (Turn(profile, a, b, c) > 0.0) break;
          k -= 1;
          At(t, k) = a;
        }
      }
      // Splice t(k-1)..t(2) in between s and the old second point.
      const std::int32_t d = k - 2;
      for (std::int32_t j = hull.count; j >= 2; --j) At(l, j + d) = At(l, j);
      hull.count += d;
      for (std::int32_t j = 1; j <= d; ++j) At(l, k - j) = At(t, j + 1);
    }
  }
  hull.count += 1;
  At(l, hull.count) = At(l, hull.count - 1) + 1;
  PopFromEnd(profile, hull);
}

void EvaluateStraightedgeWindow(std::span<const float> profile, const UpperHull& hull,
                                std::int32_t windowStart, std::int32_t m,
                                StraightedgePosition position, StraightedgeResult& result) {
  const auto& l = hull.index;
  const std::int32_t s = windowStart;
  const double half = (m - 1) / 2.0;
  // The edge rests on the two hull points that straddle the middle of the window.
  std::int32_t a = 0;
  std::int32_t b = 0;
  for (std::int32_t j = 1; j <= hull.count - 1; ++j) {
    a = At(l, j);
    b = At(l, j + 1);
    if (a - s <= half && half <= b - s) break;
  }
  const double za = Z(profile, a);
  const double slope = (Z(profile, b) - za) / (b - a);
  const bool between = position == StraightedgePosition::Between;
  const std::int32_t first = between ? a : s;
  const std::int32_t last = between ? b : s + m - 1;
  double largest = -100000.0;
  std::int32_t where = first;
  for (std::int32_t k = first; k <= last; ++k) {
    const double gap = za + slope * (k - a) - Z(profile, k);
    if (gap > largest) {
      largest = gap;
      where = k;
    }
  }
  const std::size_t e = Entry(s);
  result.deviation[e] = static_cast<float>(largest);
  result.gap_offset[e] = where - s;
  result.line_start[e] = static_cast<float>(za + slope * (s - a));
  result.line_end[e] = static_cast<float>(za + slope * (s + m - 1 - a));
}

StraightedgeResult ComputeStraightedge(std::span<const float> profile, double edgeLength,
                                       double dx, StraightedgePosition position,
                                       Progress& progress) {
  if (!(dx > 0.0) || !std::isfinite(dx))
    throw std::invalid_argument("The sample spacing must be a positive number.");
  if (!(edgeLength > 0.0) || !std::isfinite(edgeLength))
    throw std::invalid_argument("The straightedge length must be a positive number.");
  const auto n = static_cast<std::int32_t>(profile.size());
  const std::int32_t m = StraightedgeWindow(edgeLength, dx);
  if (m < 2) {
    throw std::invalid_argument("The straightedge must be at least one sample spacing long (" +
                                std::to_string(dx) + " ft).");
  }
  if (n <= m) {
    throw std::invalid_argument("The profile is too short for the straightedge: it has " +
                                std::to_string(n) + " samples, and the edge needs more than " +
                                std::to_string(m) + ".");
  }
  StraightedgeResult r;
  r.window = m;
  r.edge_used = (m - 1) * dx;
  r.spacing = dx;
  const auto size = static_cast<std::size_t>(n);
  r.deviation.assign(size, 0.0f);
  r.gap_offset.assign(size, 0);
  r.line_start.assign(size, 0.0f);
  r.line_end.assign(size, 0.0f);

  UpperHull hull(m);
  BuildUpperHull(profile, hull, 1, m);
  EvaluateStraightedgeWindow(profile, hull, 1, m, position, r);
  const std::int32_t lastStart = n - m;
  const std::int32_t every = lastStart / 100 + 1;
  for (std::int32_t s = 2; s <= lastStart; ++s) {
    ShiftUpperHull(profile, hull, s, m);
    EvaluateStraightedgeWindow(profile, hull, s, m, position, r);
    if (s % every == 0) {
      progress.step(s, lastStart);
      if (progress.cancelled()) throw Cancelled{};
    }
  }
  progress.step(lastStart, lastStart);
  return r;
}

StraightedgeResult ComputeStraightedge(std::span<const float> profile, double edgeLength,
                                       double dx, StraightedgePosition position) {
  NullProgress none;
  return ComputeStraightedge(profile, edgeLength, dx, position, none);
}

}  // namespace tarmac
