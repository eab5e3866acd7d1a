#pragma once
// The two series that limits are judged on but that no index draws: the IRI over a short
// sliding base, which finds the rough spot a whole-section IRI averages away, and the height of
// the profilograph's scallops above the blanking band, which is what a bump-cutting
// specification limits. Both are made from what the IRI and the profilograph already computed.
#include <cstdint>
#include <span>
#include <vector>

#include "indexes/profilograph.h"

namespace tarmac {

// Base of the short-interval IRI, ft (25 ft, the length a person can grind in one pass).
inline constexpr double kShortIriBase = 25.0;

// Samples in the short-interval base at spacing dx: round(base / dx), at least 1.
std::int32_t ShortIriWindow(double base, double dx);

// The rectified slope (in/mile, the IRI's series: samples 1..plotted as [0..plotted-1]) averaged
// over a sliding window of ShortIriWindow samples, the value written at the window's middle
// sample (the lower middle for an even window). Samples whose window would reach past either
// end stay 0: a short-interval IRI there is not known. A window longer than the series gives
// all zeros. Same length as `slope`.
std::vector<float> ShortIntervalIri(std::span<const float> slope, double dx, double base);

// The height of the trace above the upper edge of its section's blanking band (in), per sample
// of the trace, for the samples of scallops the profilograph counts (at least minimum length
// and minimum height, or still open at the section's end); 0 elsewhere. Scallops below the
// band (dips) are not bumps and stay 0. A sample shared by two sections belongs to the later.
std::vector<float> ScallopHeightsAboveBand(const ProfilographResult& result);

}  // namespace tarmac
