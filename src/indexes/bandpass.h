#pragma once
// The band-pass index: the profile content between wavelengths of 1 and 8 ft, whose RMS by
// sections is the index.
#include <span>
#include <vector>

namespace tarmac {

// Wavelength limits of the band, feet.
inline constexpr double kBandpassLongWavelength = 8.0;
inline constexpr double kBandpassShortWavelength = 1.0;

struct BandpassResult {
  std::vector<float> series;   // sample i at [i-1], inches: low-pass at 1 ft minus low-pass at 8 ft
  double long_cutoff = 0.0;    // cut-offs applied, cycles/ft (lowered to the Nyquist frequency
  double short_cutoff = 0.0;   // when the spacing is coarser than half a wavelength)
};

// The band-pass filtered full-resolution profile (profileZ: sample i at [i-1], inches) at
// spacing dx ft. Throws std::invalid_argument for a non-positive spacing.
BandpassResult ComputeBandpassIndex(std::span<const float> profileZ, double dx);

}  // namespace tarmac
