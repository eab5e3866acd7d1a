#pragma once
// Boeing Bump Index: every point of the profile rated by the worst single bump it belongs to.
// A chord is laid between two profile points up to 197 ft apart; when the profile between them
// lies entirely on one side of it, each inner point's deviation from the chord is divided by the
// allowable bump height for its distance from the nearer chord end. A point's index is the
// largest such ratio over all chords containing it (1 = a bump exactly at the allowable height).
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/progress.h"
#include "common/units.h"
#include "profile/prepared_profile.h"
#include "indexes/sections.h"

namespace tarmac {

// Longest chord, feet (half of 394 ft).
inline constexpr double kBumpLongestChord = 394.0 / 2.0;
// Shortest chord, samples.
inline constexpr std::int32_t kBumpShortestChordSamples = 5;
// Distance from the nearer chord end above which the allowable height grows linearly, metres.
inline constexpr double kBumpBreakpointMetres = 18.0;

// Allowable bump height in centimetres for a bump whose nearer support is `e` metres away:
// a cubic up to and including 18.0 m, a straight line beyond.
double AllowableBumpHeight(double e);

// The four series of one run, each holding samples 1..N as elements [0..N-1].
struct BoeingBumpSeries {
  std::vector<float> index;         // dimensionless; 0 where no one-sided chord covers
  std::vector<float> height;    // inches, deviation from that chord, + above it
  std::vector<float> distance;  // ft from the chord start (first half, the middle
                                          // included) or, negative, from the chord end
  std::vector<float> chord_length;    // ft, length of the chord that gave the index
};

// Largest number of samples of a chord at spacing dx: Int(197 / dx) + 1.
std::int32_t BumpChordSamples(double dx);

// The four series of profile z (inches, samples 1..N as [0..N-1]) at spacing dx ft.
// Throws std::invalid_argument for a non-positive spacing; tarmac::Cancelled when cancelled.
BoeingBumpSeries ComputeBoeingBumpSeries(std::span<const float> z, double dx,
                                         Progress& progress);
// The same on the prepared profile (samples 1..n, its spacing).
BoeingBumpSeries ComputeBoeingBumpSeries(const PreparedProfile& profile, Progress& progress);

// A whole run: the series and their sectioned statistics (level 2).
struct BoeingBumpResult {
  BoeingBumpSeries series;
  IndexSections sections;
};

// The index of the prepared profile (decimation factor 10) with parts of averagingDistance ft.
// Throws std::invalid_argument for an empty profile, a non-positive spacing or averaging
// distance; tarmac::Cancelled when cancelled.
BoeingBumpResult ComputeBoeingBumpIndex(const PreparedProfile& profile, double averagingDistance,
                                        const Units& units, Progress& progress);

}  // namespace tarmac
