#include "workflow/synth.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <stdexcept>

#include "common/rounding.h"
#include "workflow/profile_io.h"

namespace tarmac {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;

// Uniform in [0, 1) from the top 53 bits of the generator's raw output.
class Uniform {
 public:
  explicit Uniform(std::uint64_t seed) : engine_(seed) {}
  double next() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }
  double between(double lo, double hi) { return lo + (hi - lo) * next(); }
  double sign() { return next() < 0.5 ? -1.0 : 1.0; }

 private:
  std::mt19937_64 engine_;
};

// Sine from IEEE arithmetic only (no library call whose last bit may differ between machines):
// reduction to [-pi/2, pi/2] and a Taylor polynomial good to about 1e-11.
double Sine(double x) {
  double r = x - std::floor(x / kTwoPi + 0.5) * kTwoPi;  // [-pi, pi]
  if (r > kPi / 2) r = kPi - r;
  else if (r < -kPi / 2) r = -kPi - r;
  const double r2 = r * r;
  return r * (1.0 + r2 * (-1.0 / 6 + r2 * (1.0 / 120 + r2 * (-1.0 / 5040 + r2 * (1.0 / 362880 +
         r2 * (-1.0 / 39916800 + r2 * (1.0 / 6227020800 + r2 * (-1.0 / 1307674368000))))))));
}
double Cosine(double x) { return Sine(x + kPi / 2); }

std::string ShortestDouble(double v) {
  char buf[40];
  for (int digits = 15; digits <= 17; ++digits) {
    std::snprintf(buf, sizeof buf, "%.*g", digits, v);
    if (std::strtod(buf, nullptr) == v) break;
  }
  return buf;
}

void CheckGeometry(double length_ft, double spacing_ft) {
  if (!(spacing_ft > 0.0) || !std::isfinite(spacing_ft) || !(length_ft >= spacing_ft) ||
      !std::isfinite(length_ft)) {
    throw std::invalid_argument("A synthetic profile needs a positive spacing and a length of at "
                                "least one spacing.");
  }
  if (length_ft / spacing_ft > 5.0e7) {
    throw std::invalid_argument("A synthetic profile of more than 50 million samples is refused.");
  }
}

}  // namespace

std::size_t SynthSampleCount(double length_ft, double spacing_ft) {
  CheckGeometry(length_ft, spacing_ft);
  return static_cast<std::size_t>(CLng(length_ft / spacing_ft)) + 1;
}

SynthProfileParts SynthesizeProfileParts(double length_ft, double spacing_ft, std::uint64_t seed) {
  const std::size_t n = SynthSampleCount(length_ft, spacing_ft);
  const double length = static_cast<double>(n - 1) * spacing_ft;
  Uniform random(seed);
  SynthProfileParts parts;
  parts.roughness.assign(n, 0.0);
  parts.features.assign(n, 0.0);
  parts.grade.assign(n, 0.0);

  // Roughness: ten wavelengths a decade from 0.5 ft (or 3 samples) to 1000 ft. Amplitude grows
  // with wavelength, 0.0015 in per ft of wavelength, levels off at 120 ft and falls beyond 400 ft
  // where the grade takes over, so short waves are hundredths of an inch and the swells of
  // 100 to 500 ft about an inch.
  const double ratio = 1.2589254117941673;  // 10^(1/10)
  for (double wavelength = 0.5; wavelength <= 1000.0; wavelength *= ratio) {
    const double fall = wavelength > 400.0 ? 400.0 / wavelength : 1.0;
    const double amplitude =
        0.0015 * std::min(wavelength, 120.0) * fall * random.between(0.5, 1.5);
    const double phase = kTwoPi * random.next();
    if (wavelength < 3.0 * spacing_ft) continue;  // shorter than the samples can carry
    const double k = kTwoPi / wavelength;
    for (std::size_t i = 0; i < n; ++i) {
      parts.roughness[i] += amplitude * Sine(k * static_cast<double>(i) * spacing_ft + phase);
    }
  }

  // Localized bumps and dips: 1-cosine shapes 0.2 to 1.5 in high over 2 to 60 ft.
  parts.feature_count = 3 + static_cast<int>(std::min(9.0, std::floor(length / 2000.0)));
  for (int b = 0; b < parts.feature_count; ++b) {
    const double height = random.sign() * random.between(0.2, 1.5);
    const double span = random.between(2.0, 60.0);
    const double start = random.between(0.05, 0.95) * std::max(0.0, length - span);
    for (std::size_t i = 0; i < n; ++i) {
      const double x = static_cast<double>(i) * spacing_ft - start;
      if (x <= 0.0 || x >= span) continue;
      parts.features[i] += height * 0.5 * (1.0 - Cosine(kTwoPi * x / span));
    }
  }

  // Two grades (per cent, as inches per foot) joined by a parabolic vertical curve, then a
  // linear trend and an offset such as a profiler's start height gives.
  const double g1 = random.sign() * random.between(0.1, 0.5) * 0.12;
  const double g2 = g1 + random.sign() * random.between(0.2, 0.5) * 0.12;
  const double curve = std::min(random.between(300.0, 800.0), 0.4 * length);
  const double centre = random.between(0.3, 0.7) * length;
  parts.curve_start_ft = centre - curve / 2;
  parts.curve_end_ft = centre + curve / 2;
  const double trend = random.between(-0.2, 0.2) * 0.12;
  const double offset = random.between(0.0, 2.0);
  for (std::size_t i = 0; i < n; ++i) {
    const double x = static_cast<double>(i) * spacing_ft;
    double y = g1 * x;
    if (x > parts.curve_end_ft) {
      y += (g2 - g1) * (x - centre);
    } else if (x > parts.curve_start_ft) {
      const double d = x - parts.curve_start_ft;
      y += (g2 - g1) * d * d / (2.0 * curve);
    }
    parts.grade[i] = offset + trend * x + y;
  }
  return parts;
}

std::vector<float> SynthesizeProfile(double length_ft, double spacing_ft, std::uint64_t seed) {
  const SynthProfileParts parts = SynthesizeProfileParts(length_ft, spacing_ft, seed);
  std::vector<float> z(parts.grade.size());
  for (std::size_t i = 0; i < z.size(); ++i) {
    z[i] = static_cast<float>(parts.grade[i] + parts.roughness[i] + parts.features[i]);
  }
  return z;
}

std::vector<std::int16_t> SynthesizeSpeed(std::size_t count, double spacing_ft,
                                          std::uint64_t seed) {
  if (!(spacing_ft > 0.0) || !std::isfinite(spacing_ft)) {
    throw std::invalid_argument("A synthetic speed needs a positive spacing.");
  }
  // Its own stream, so that a speed never shifts the profile made from the same seed.
  Uniform random(seed ^ 0x5bd1e9955bd1e995ull);
  const double base = random.between(27.0, 36.0);
  double amplitude[3], wavelength[3], phase[3];
  for (int k = 0; k < 3; ++k) {
    amplitude[k] = random.between(0.5, 2.5);
    wavelength[k] = random.between(400.0, 3000.0);
    phase[k] = kTwoPi * random.next();
  }
  std::vector<std::int16_t> speed(count);
  double jitter = 0.0;  // a slowly wandering error of the speed sensor
  for (std::size_t i = 0; i < count; ++i) {
    const double x = static_cast<double>(i) * spacing_ft;
    double v = base;
    for (int k = 0; k < 3; ++k) v += amplitude[k] * Sine(kTwoPi * x / wavelength[k] + phase[k]);
    jitter = 0.98 * jitter + 0.02 * random.between(-0.5, 0.5);
    v = std::clamp(v + jitter, 20.0, 45.0);
    speed[i] = CInt(v * 100.0);
  }
  return speed;
}

void WriteSynthPro(const std::filesystem::path& path, std::span<const float> elevations_in,
                   double spacing_ft) {
  WriteFileAtomically(path, EncodeProFile(elevations_in, spacing_ft));
}

std::string EncodeSpdFile(std::span<const std::int16_t> hundredths_fps) {
  std::string out;
  out.reserve(2 * hundredths_fps.size());
  for (const std::int16_t v : hundredths_fps) {
    const auto u = static_cast<std::uint16_t>(v);
    out += static_cast<char>(u & 0xFFu);
    out += static_cast<char>((u >> 8) & 0xFFu);
  }
  return out;
}

void WriteSpdFile(const std::filesystem::path& path, std::span<const std::int16_t> hundredths_fps) {
  WriteFileAtomically(path, EncodeSpdFile(hundredths_fps));
}

std::string FormatDatFile(std::string_view title, std::span<const float> elevations_in,
                          double spacing_ft, double datum_ft) {
  std::string out(title);
  out += "\nData Increment: " + ShortestDouble(spacing_ft);
  out += "\nData Points: " + std::to_string(elevations_in.size());
  out += "\nDistance (Feet)   Elevation (Feet)\n";
  out.reserve(out.size() + 24 * elevations_in.size());
  char buf[64];
  for (std::size_t i = 0; i < elevations_in.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%.3f, %.5f\n", static_cast<double>(i) * spacing_ft,
                  datum_ft + static_cast<double>(elevations_in[i]) / 12.0);
    out += buf;
  }
  return out;
}

void WriteDatFile(const std::filesystem::path& path, std::string_view title,
                  std::span<const float> elevations_in, double spacing_ft, double datum_ft) {
  WriteFileAtomically(path, FormatDatFile(title, elevations_in, spacing_ft, datum_ft));
}

}  // namespace tarmac
