#pragma once
// The prepared profile on which the indexes and the simulation work (`SimProfileZ`): the
// analysis profile low-pass filtered, decimated and optionally smoothed at its ends, held with a
// margin of zeros on both sides so that wheels and chords may look past either end.
#include <cstdint>
#include <vector>

namespace tarmac {

struct PreparedProfile {
  // Samples -margin-1 .. n+margin+1 in the program's numbering; sample i sits at z[i + margin + 1].
  std::vector<float> z;
  std::int32_t n = 0;       // `SimNPoints`: samples 1..n carry the profile, the rest are zero
  std::int32_t margin = 0;  // M = round(250 / spacing)
  double spacing = 0.0;     // `SimSpacing`, feet
  std::int32_t factor = 1;  // decimation factor: spacing = sample spacing x factor
  double cutoff_used = 0.0; // the low-pass cut-off actually applied (cycles/ft), after any
                            // lowering to the Nyquist frequency; 0 when nothing was filtered
                            // (factor 1)

  // Elevation (inches) of sample i, -margin-1 <= i <= n+margin+1.
  float at(std::int32_t i) const { return z[static_cast<std::size_t>(i + margin + 1)]; }
  float& at(std::int32_t i) { return z[static_cast<std::size_t>(i + margin + 1)]; }
  std::int32_t first() const { return -margin - 1; }
  std::int32_t last() const { return n + margin + 1; }
  // Samples 1..n only, contiguous: the profile without its margins.
  const float* data1() const { return z.data() + margin + 2; }
};

}  // namespace tarmac
