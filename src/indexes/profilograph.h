#pragma once
// California profilograph index: a 25-ft California-type profilograph is run over the profile
// to get the profilogram it would record; in each section a blanking band 0.2 in wide is laid
// along the trace, and every excursion beyond it (a scallop) at least 2 ft long and more than
// 0.03 in high adds its height. The index is the sum of the heights per mile of section.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/progress.h"
#include "common/units.h"
#include "profile/prepared_profile.h"

namespace tarmac {

inline constexpr double kProfilographBandHalfWidth = 0.1;   // in
inline constexpr double kProfilographMinScallop = 0.03;     // in, a scallop must exceed it
inline constexpr double kProfilographMinScallopLength = 2.0;  // ft
inline constexpr double kProfilographTraceCutoff = 0.5;     // cycles/ft (2-ft wavelength)
inline constexpr double kProfilographCentringStep = 0.01;   // in
inline constexpr int kProfilographMostCentrings = 50;       // then one last count
inline constexpr double kProfilographStretchSection = 2000.0;  // ft, the 2000-ft passes

// The instrument at spacing dx: sample offsets of the support wheels (1, 3, 3, 1 on each side
// at 16.25, 13.75, 11.25, 8.75 ft) and the recording wheel's shape (radius 1.3 ft).
struct ProfilographGeometry {
  std::int32_t o1 = 0, o2 = 0, o3 = 0, o4 = 0;  // round(position / dx)
  std::int32_t m = 0;                           // Int(1.3 / dx / 2): wheel half-width, samples
  std::vector<double> wheel;                    // [j] for j = 1..m (entry 0 unused), inches
};
ProfilographGeometry MakeProfilographGeometry(double dx);

// The unfiltered trace: recording-wheel height minus the weighted support height, per sample
// (profile and trace hold sample i at [i - 1], inches). Beyond its ends the profile is continued
// by odd reflection about the end samples.
std::vector<float> ProfilographRawTrace(std::span<const float> z, double dx);

// Fewest samples a scallop may span (two feet of profile): round(2 / dx).
std::int32_t ScallopMinSamples(double dx);

// Least-squares line of section `section` (from 1) over samples first..last of a stretch
// (sample i at [i - 1]). The abscissa counts samples from 0 in the first section and from 1 in
// the others; slope in inches per foot. The band centre at sample i is
// slope (i - first + 1) dx + intercept + offset.
struct SectionLine {
  double slope = 0.0;
  double intercept = 0.0;
};
SectionLine FitSectionLine(std::span<const float> trace, double dx, std::int32_t first,
                           std::int32_t last, std::int32_t section);

// Running state of one scan for scallops on one side of the band.
struct ScallopScan {
  std::int32_t length = 0;  // samples of the scallop in progress (still open at the end if > 0)
  double peak = 0.0;        // its largest excursion beyond the band edge, in
  std::int32_t count = 0;   // valid scallops closed
  double sum = 0.0;         // their heights, when accumulating
};

// Scans samples first..last for scallops above (upper) or below the band. A scallop counts when
// it closes with at least minSamples samples and a peak above 0.03 in; one still open at `last`
// is left open in `scan`.
void CountScallops(std::span<const float> trace, double dx, std::int32_t first, std::int32_t last,
                   const SectionLine& line, double offset, bool upper, std::int32_t minSamples,
                   bool accumulate, ScallopScan& scan);

// Centring of the band in one section: the offset moves by 0.01 in towards the side with more
// scallops (by 0.01 / r^2 after the r-th successive reversal) until the sides differ by at most
// one scallop, the difference has stayed the same more than ten times, or 51 counts were made.
struct BandCentring {
  double offset = 0.0;
  std::int32_t iterations = 0;
  // Length of a scallop open at the section end: > 0 above the band, < 0 below, 0 none.
  std::int32_t open_scallop = 0;
};
BandCentring CentreBand(std::span<const float> trace, double dx, std::int32_t first,
                        std::int32_t last, const SectionLine& line, std::int32_t minSamples,
                        std::int32_t& reversals, Progress& progress);

// One section of a stretch as evaluated.
struct ProfilographSection {
  std::int32_t first = 0, last = 0;  // samples of the stretch
  SectionLine band;                  // intercept includes the centring offset
  std::int32_t iterations = 0;       // counts made by the centring
  double height_sum = 0.0;           // in, both sides
  double length_ft = 0.0;            // (last - first) dx
  double pi = 0.0;                   // in/mile
  double length_display = 0.0;       // x LengthFactor
  double pi_display = 0.0;           // x RoughnessFactor
};
struct ProfilographStretch {
  std::int32_t samples_per_section = 0;  // q = round(S / dx)
  double averaging_step = 0.0;           // S / 10, ft
  std::vector<ProfilographSection> sections;
  double index = 0.0;                    // length-weighted PI, display units
};
// Sections of S ft over a stretch of the (filtered) trace and its index.
ProfilographStretch EvaluateProfilographStretch(std::span<const float> stretch, double dx,
                                                double sectionLength, const Units& units,
                                                Progress& progress);

struct ProfilographResult {
  std::vector<float> trace;   // the filtered profilogram, inches, plot level 4
  double spacing = 0.0;       // dx, ft
  ProfilographStretch whole;  // pass 1
  double total = 0.0;                  // whole-profile PI, display units
  std::int16_t index_part_count = 0;   // P, parts in the section tables (chart row 5)
  std::vector<float> section_indexes;        // section indexes, display units, four decimals
  std::vector<float> section_lengths;  // display units, one decimal
  double first_2000 = 0.0, centre_2000 = 0.0, last_2000 = 0.0;  // display units, 0 when short
  double averaging_step = 0.0;  // S / 10 of the last pass: the shortest section kept
};

// The index of profile z (inches, sample i at [i - 1]) at spacing dx ft with sections of
// sectionLength ft (`SectionLengthCAPI`). Throws std::invalid_argument for an empty profile or a
// non-positive spacing or section length; tarmac::Cancelled when cancelled.
ProfilographResult ComputeCAProfilograph(std::span<const float> z, double dx,
                                         double sectionLength, const Units& units,
                                         Progress& progress);
ProfilographResult ComputeCAProfilograph(const PreparedProfile& profile, double sectionLength,
                                         const Units& units, Progress& progress);

}  // namespace tarmac
