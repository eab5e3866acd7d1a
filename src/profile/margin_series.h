#pragma once
// A profile series with a margin of zero samples beyond both ends, so that a wheel or a chord may
// look past either end of the profile without a test at every step.
#include <cstdint>
#include <vector>

namespace tarmac {

struct MarginSeries {
  // Samples -margin-1 .. n+margin+1, counted from 1 at the profile start; sample i sits at
  // z[i + margin + 1].
  std::vector<float> z;
  std::int32_t n = 0;       // samples 1..n carry the profile, the rest are zero
  std::int32_t margin = 0;  // zero samples on either side
  double spacing = 0.0;     // feet between samples

  // Sample i, -margin-1 <= i <= n+margin+1.
  float at(std::int32_t i) const { return z[static_cast<std::size_t>(i + margin + 1)]; }
  float& at(std::int32_t i) { return z[static_cast<std::size_t>(i + margin + 1)]; }
  std::int32_t first() const { return -margin - 1; }
  std::int32_t last() const { return n + margin + 1; }
  // Samples 1..n only, contiguous: the profile without its margins.
  const float* data1() const { return z.data() + margin + 2; }
};

}  // namespace tarmac
