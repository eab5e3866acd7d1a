#pragma once
// Profile repair: an eight-wheel moving carriage. Each elevation becomes the mean of the
// elevations at four fixed distances ahead of and behind it (the centre does not count), after a
// low-pass pre-filter at a 0.5-ft wavelength and an odd reflection of the profile about its end
// values. The repair command runs the pass twice.
#include <cstdint>
#include <span>
#include <vector>

namespace tarmac {

// Carriage geometry, feet: length, and the two wheel spacings that set the offsets.
inline constexpr double kRepairCarriageLength = 30.0;
inline constexpr double kRepairSpacingA = 10.0;
inline constexpr double kRepairSpacingB = 6.0;
// Pre-filter cut-off, cycles per foot (a 0.5-ft wavelength).
inline constexpr double kRepairCutoff = 1.0 / 0.5;

// Wheel offsets in samples: 23, 17, 13 and 7 ft at spacing dx.
struct RepairOffsets {
  std::int32_t n1 = 0, n2 = 0, n3 = 0, n4 = 0;
};
RepairOffsets ComputeRepairOffsets(double dx);

// Samples a profile needs for the reflection: 2 * n1 + 1 (about 46 ft).
std::int32_t RepairMinimumSamples(double dx);

// The carriage average alone (no pre-filter), in place. Throws EditRefused (TooShortToRepair),
// leaving z untouched, when z is shorter than RepairMinimumSamples(dx), and
// std::invalid_argument when dx is not positive.
void RepairAverage(std::span<float> z, double dx);

// One repair pass in place: the low-pass pre-filter both ways, then the carriage average.
// The length is checked before anything is changed.
void RepairPass(std::span<float> z, double dx);

// The repair command's two passes over a copy of the profile: `once` is shown in panel 1,
// `twice` replaces the profile and level 0.
struct RepairResult {
  std::vector<float> once;
  std::vector<float> twice;
};
RepairResult RepairProfile(std::span<const float> profile, double dx);

}  // namespace tarmac
