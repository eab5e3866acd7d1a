#pragma once
// Our own sample data: realistic runway and taxiway profiles and survey speeds made from a seed.
// Every number comes from std::mt19937_64 through our own arithmetic (uniform variates from the
// raw 64-bit output, a polynomial sine), so a seed gives the same file on every machine.
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarmac {

// The profile's parts, elevations in inches at samples 0, spacing, 2 x spacing, ...
struct SynthProfileParts {
  std::vector<double> roughness;  // sinusoids over log-spaced wavelengths, amplitude ~ wavelength
  std::vector<double> features;   // localized bumps and dips, 1-cosine shapes
  std::vector<double> grade;      // two grades joined by a parabolic vertical curve, plus a trend
  double curve_start_ft = 0.0;    // where the vertical curve begins and ends
  double curve_end_ft = 0.0;
  int feature_count = 0;
};

// Number of samples of a profile of the given length: length / spacing rounded, plus one.
std::size_t SynthSampleCount(double length_ft, double spacing_ft);

SynthProfileParts SynthesizeProfileParts(double length_ft, double spacing_ft, std::uint64_t seed);
// The sum of the parts in single precision (inches).
std::vector<float> SynthesizeProfile(double length_ft, double spacing_ft, std::uint64_t seed);

// A survey speed between 20 and 45 ft/s that changes slowly along the profile, in hundredths of
// ft/s as a speed file holds it.
std::vector<std::int16_t> SynthesizeSpeed(std::size_t count, double spacing_ft, std::uint64_t seed);

// A binary profile with the end marker and the spacing after the elevations.
void WriteSynthPro(const std::filesystem::path& path, std::span<const float> elevations_in,
                   double spacing_ft);
// A speed file: little-endian 16-bit values.
std::string EncodeSpdFile(std::span<const std::int16_t> hundredths_fps);
void WriteSpdFile(const std::filesystem::path& path, std::span<const std::int16_t> hundredths_fps);
// A text profile: a title line, "Data Increment:", "Data Points:", the "Distance (Feet)" heading,
// then "distance, elevation" records in feet, the elevations raised by a datum.
std::string FormatDatFile(std::string_view title, std::span<const float> elevations_in,
                          double spacing_ft, double datum_ft = 100.0);
void WriteDatFile(const std::filesystem::path& path, std::string_view title,
                  std::span<const float> elevations_in, double spacing_ft, double datum_ft = 100.0);

}  // namespace tarmac
