#pragma once
// The prepared profile on which the indexes, the simulation and the spectra work: the analysis
// profile low-pass filtered, decimated and optionally smoothed at its ends, in inches, with a
// margin of zeros on both sides (M = round(250 ft / spacing)) so that wheels and chords may look
// past either end.
#include <cstdint>

#include "profile/margin_series.h"

namespace tarmac {

struct PreparedProfile : MarginSeries {
  std::int32_t factor = 1;  // decimation factor: spacing = sample spacing x factor
  double cutoff_used = 0.0; // the low-pass cut-off actually applied (cycles/ft), after any
                            // lowering to the Nyquist frequency; 0 when nothing was filtered
                            // (factor 1)
};

}  // namespace tarmac
