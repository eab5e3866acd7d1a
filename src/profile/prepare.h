#pragma once
// Preparation of the analysis profile for an index or a simulation: anti-alias low-pass at the
// Nyquist frequency of the decimated spacing, decimation, margins of zeros, optional end smoothing.
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "profile/prepared_profile.h"

namespace tarmac {

// Margin on each side of the prepared profile, feet.
inline constexpr double kPreparedMarginLength = 250.0;

// The sample spacing the decimation factors were designed for: 25 mm, feet.
inline constexpr double kDesignSampleSpacing = 0.0820209974;
// Design factors: the straightedge, the IRI and the profilograph work on every 6th sample of a
// 25-mm profile (about 0.15 m); the Boeing Bump Index, the simulation and the spectra on every
// 10th (0.25 m).
inline constexpr int kFineDecimation = 6;
inline constexpr int kCoarseDecimation = 10;

// How the decimation factor of a preparation is chosen.
enum class DecimationRule {
  // From the sample spacing, so that every profile is worked at the step the design factor
  // gives a 25-mm profile: k = max(1, round(design x 25 mm / spacing)).
  Spacing,
  // The design factor whatever the spacing (a 0.25-m profile is then worked at 1.5 m).
  Fixed,
};

// "spacing" or "fixed".
std::string_view DecimationRuleName(DecimationRule rule);
// The rule named (case-insensitive), or nothing.
std::optional<DecimationRule> DecimationRuleFromName(std::string_view name);

// The factor for a computation designed with `designFactor` on a profile sampled at
// `sampleSpacing` ft. Throws std::invalid_argument for a spacing that is not a positive number
// or so small that the factor would not fit an integer.
std::int32_t DecimationFactor(int designFactor, double sampleSpacing, DecimationRule rule);

// profileZ holds the analysis profile's samples 1..N as [0..N-1] (inches) at sampleSpacing ft.
// Keeps samples 1, 1 + factor, 1 + 2 factor, ... of the low-passed profile at spacing
// sampleSpacing x factor, with M = round(250 / spacing) zero samples beyond each end; factor 1
// keeps every sample as it is, unfiltered. With smoothEnds the samples within
// T = round(smoothingDistance / spacing) of either end are faded in and out with a raised
// cosine; on a profile shorter than T only the samples that exist are faded, never the margins.
// Throws std::invalid_argument for an empty profile, a factor below 1, or a non-positive spacing.
PreparedProfile PrepareIndexProfile(std::span<const float> profileZ, double sampleSpacing,
                                    int factor, bool smoothEnds, double smoothingDistance);

}  // namespace tarmac
