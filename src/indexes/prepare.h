#pragma once
// Preparation of the analysis profile for an index or a simulation: anti-alias low-pass at the
// Nyquist frequency of the decimated spacing, decimation, margins of zeros, optional end smoothing.
#include <span>

#include "indexes/prepared_profile.h"

namespace tarmac {

// Margin on each side of the prepared profile, feet.
inline constexpr double kPreparedMarginLength = 250.0;

// profileZ holds the analysis profile's samples 1..N as [0..N-1] (inches) at sampleSpacing ft.
// Keeps samples 1, 1 + factor, 1 + 2 factor, ... of the low-passed profile at spacing
// sampleSpacing x factor, with M = round(250 / spacing) zero samples beyond each end. With
// smoothEnds the first and last round(smoothingDistance / spacing) samples are faded in and out
// with a raised cosine (at most the whole prepared profile).
// Throws std::invalid_argument for an empty profile, a factor below 1, or a non-positive spacing.
PreparedProfile PrepareIndexProfile(std::span<const float> profileZ, double sampleSpacing,
                                    int factor, bool smoothEnds, double smoothingDistance);

}  // namespace tarmac
