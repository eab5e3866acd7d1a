#include "indexes/profilograph.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "common/number_format.h"
#include "common/rounding.h"
#include "profile/filters.h"
#include "indexes/sections.h"

namespace tarmac {
namespace {

constexpr double kFrameHalfLength = 25.0 / 2.0;
constexpr double kBogieSpacing = 2.5;
constexpr double kWheelRadius = 1.3;
constexpr double kFeetPerMile = 5280.0;

// Samples are counted from 1; a series holds sample i at [i - 1].
inline std::size_t Slot(std::int32_t sample) { return static_cast<std::size_t>(sample - 1); }

float RoundedFor(double v, const char* pattern) {
  return static_cast<float>(ValueOfText(FormatNumber(v, pattern)));
}

// The profile continued beyond both ends by odd reflection, samples 1 - reach .. N + reach.
// Where the reach exceeds the profile, the reflection is reflected again, so short profiles are
// continued just as long ones.
class ReflectedProfile {
 public:
  ReflectedProfile(std::span<const float> z, std::int32_t reach)
      : reach_(reach), v_(z.size() + 2 * static_cast<std::size_t>(reach)) {
    const auto N = static_cast<std::int32_t>(z.size());
    for (std::int32_t i = 1; i <= N; ++i) ref(i) = z[Slot(i)];
    const double first = z.front(), last = z.back();
    for (std::int32_t d = 1; d <= reach; ++d) {
      // Sample 1 + d (or N - d) is either inside or at a smaller distance beyond the other end.
      ref(1 - d) = N == 1 ? z.front() : static_cast<float>(2.0 * first - ref(1 + d));
      ref(N + d) = N == 1 ? z.back() : static_cast<float>(2.0 * last - ref(N - d));
    }
  }
  float operator()(std::int32_t i) const { return v_[static_cast<std::size_t>(i - 1 + reach_)]; }

 private:
  float& ref(std::int32_t i) { return v_[static_cast<std::size_t>(i - 1 + reach_)]; }
  std::int32_t reach_;
  std::vector<float> v_;
};

}  // namespace

ProfilographGeometry MakeProfilographGeometry(double dx) {
  ProfilographGeometry g;
  g.o1 = CLng((kFrameHalfLength + 1.5 * kBogieSpacing) / dx);
  g.o2 = CLng((kFrameHalfLength + 0.5 * kBogieSpacing) / dx);
  g.o3 = CLng((kFrameHalfLength - 0.5 * kBogieSpacing) / dx);
  g.o4 = CLng((kFrameHalfLength - 1.5 * kBogieSpacing) / dx);
  g.m = Int(kWheelRadius / dx / 2);
  g.wheel.assign(static_cast<std::size_t>(g.m) + 1, 0.0);
  for (std::int32_t j = 1; j <= g.m; ++j) {
    const double x = j * dx;
    g.wheel[static_cast<std::size_t>(j)] = (kWheelRadius - std::sqrt(kWheelRadius * kWheelRadius - x * x)) * 12;
  }
  return g;
}

std::vector<float> ProfilographRawTrace(std::span<const float> z, double dx) {
  const auto N = static_cast<std::int32_t>(z.size());
  std::vector<float> trace(z.size(), 0.0f);
  if (N == 0) return trace;
  const ProfilographGeometry g = MakeProfilographGeometry(dx);
  const ReflectedProfile Z(z, g.o1 + g.m);
  for (std::int32_t i = 1; i <= N; ++i) {
    const double reference = (Z(i - g.o1) + 3.0 * Z(i - g.o2) + 3.0 * Z(i - g.o3) + Z(i - g.o4) +
                              Z(i + g.o4) + 3.0 * Z(i + g.o3) + 3.0 * Z(i + g.o2) + Z(i + g.o1)) /
                             16.0;
    double wheel = Z(i);
    for (std::int32_t j = 1; j <= g.m; ++j) {
      const double w = g.wheel[static_cast<std::size_t>(j)];
      const double ahead = Z(i + j) - w;
      if (ahead > wheel) wheel = ahead;
      const double behind = Z(i - j) - w;
      if (behind > wheel) wheel = behind;
    }
    trace[Slot(i)] = static_cast<float>(wheel - reference);
  }
  return trace;
}

std::int32_t ScallopMinSamples(double dx) { return CLng(kProfilographMinScallopLength / dx); }

SectionLine FitSectionLine(std::span<const float> trace, double dx, std::int32_t first,
                           std::int32_t last, std::int32_t section) {
  const double n = last - first + 1;
  const double x0 = section == 1 ? 0.0 : 1.0;  // abscissa of the first sample
  double Sy = 0.0, Sxy = 0.0;
  for (std::int32_t i = first; i <= last; ++i) {
    const double y = trace[Slot(i)];
    Sy += y;
    Sxy += y * (x0 + (i - first));
  }
  SectionLine line;
  if (n < 2) {  // a single sample has a level through itself
    line.intercept = Sy;
    return line;
  }
  if (section == 1) {
    line.slope = 6 * (2 * Sxy - (n - 1) * Sy) / (n * (n - 1) * (n + 1) * dx);
    line.intercept = 2 * ((2 * n - 1) * Sy - 3 * Sxy) / (n * (n + 1));
  } else {
    line.slope = 6 * (2 * Sxy - (n + 1) * Sy) / (n * (n - 1) * (n + 1) * dx);
    line.intercept = 2 * ((2 * n + 1) * Sy - 3 * Sxy) / (n * (n - 1));
  }
  return line;
}

void CountScallops(std::span<const float> trace, double dx, std::int32_t first, std::int32_t last,
                   const SectionLine& line, double offset, bool upper, std::int32_t minSamples,
                   bool accumulate, ScallopScan& scan) {
  for (std::int32_t i = first; i <= last; ++i) {
    const double centre = line.slope * (i - first + 1) * dx + line.intercept + offset;
    const double x = trace[Slot(i)];
    const double d = upper ? x - centre - kProfilographBandHalfWidth
                           : centre - x - kProfilographBandHalfWidth;
    if (d > 0.0) {
      ++scan.length;
      if (d > scan.peak) scan.peak = d;
    } else {
      if (scan.length >= minSamples && scan.peak > kProfilographMinScallop) {
        ++scan.count;
        if (accumulate) scan.sum += scan.peak;
      }
      scan.length = 0;
      scan.peak = 0.0;
    }
  }
}

BandCentring CentreBand(std::span<const float> trace, double dx, std::int32_t first,
                        std::int32_t last, const SectionLine& line, std::int32_t minSamples,
                        std::int32_t& reversals, Progress& progress) {
  BandCentring c;
  std::int32_t previous = 0, stable = 0;
  for (;;) {
    ScallopScan above, below;
    CountScallops(trace, dx, first, last, line, c.offset, true, minSamples, false, above);
    CountScallops(trace, dx, first, last, line, c.offset, false, minSamples, false, below);
    ++c.iterations;
    // A scallop left open is remembered from the last count that had one.
    if (above.length > 0) c.open_scallop = above.length;
    if (below.length > 0) c.open_scallop = -below.length;
    const std::int32_t difference = above.count - below.count;
    if (std::abs(difference) <= 1 || stable > 10 || c.iterations > kProfilographMostCentrings) break;
    if (std::abs(difference) == std::abs(previous)) {
      ++stable;
    } else {
      stable = 0;
    }
    const double sign = difference > 0 ? 1.0 : -1.0;
    if ((difference > 0 && previous < 0) || (difference < 0 && previous > 0)) {
      // Overshot: come back in ever smaller steps.
      ++reversals;
      c.offset = c.offset + sign * kProfilographCentringStep / (static_cast<double>(reversals) * reversals);
    } else {
      c.offset = c.offset + sign * kProfilographCentringStep;
      reversals = 0;
    }
    previous = difference;
    if (progress.cancelled()) throw Cancelled{};
  }
  return c;
}

ProfilographStretch EvaluateProfilographStretch(std::span<const float> X, double dx,
                                                double sectionLength, const Units& units,
                                                Progress& progress) {
  ProfilographStretch st;
  const auto M = static_cast<std::int32_t>(X.size());
  if (M == 0) return st;
  const std::int32_t q = std::max<std::int32_t>(CInt(sectionLength / dx), 1);
  st.samples_per_section = q;
  st.averaging_step = sectionLength / 10.0;
  std::int32_t P = M / q;
  std::int32_t extraInLast = 0;
  if ((M - P * q) * dx > st.averaging_step) {
    P = P + 1;
  } else {
    extraInLast = M - P * q;
  }
  // A stretch shorter than a tenth of a section is still one (short) section.
  if (P == 0) P = 1;

  const std::int32_t minSamples = ScallopMinSamples(dx);
  std::int32_t reversals = 0;
  std::int32_t carried = 0;  // scallop open at the end of the previous section
  double weighted = 0.0, totalLength = 0.0;
  for (std::int32_t j = 1; j <= P; ++j) {
    ProfilographSection sec;
    sec.first = (j - 1) * q + 1;
    sec.last = std::min(sec.first + q + (j == P ? extraInLast : 0), M);
    const SectionLine fit = FitSectionLine(X, dx, sec.first, sec.last, j);
    const BandCentring centring =
        CentreBand(X, dx, sec.first, sec.last, fit, minSamples, reversals, progress);
    sec.band = SectionLine{fit.slope, fit.intercept + centring.offset};
    sec.iterations = centring.iterations;

    for (const bool upper : {true, false}) {
      ScallopScan scan;
      if (j > 1 && (upper ? carried > 0 : carried < 0)) {
        // The scallop began in the previous section: take it back to where it began, with the
        // band continued straight back over the section boundary.
        for (std::int32_t k = 1; sec.first - k >= 1; ++k) {
          const double centre = sec.band.slope * (1 - k) * dx + sec.band.intercept;
          const double x = X[Slot(sec.first - k)];
          const double d = upper ? x - centre - kProfilographBandHalfWidth
                                 : centre - x - kProfilographBandHalfWidth;
          if (!(d > 0.0)) break;
          ++scan.length;
          if (d > scan.peak) scan.peak = d;
        }
      }
      CountScallops(X, dx, sec.first, sec.last, sec.band, 0.0, upper, minSamples, true, scan);
      sec.height_sum += scan.sum;
    }
    carried = centring.open_scallop;

    sec.length_ft = (sec.last - sec.first) * dx;
    sec.pi = sec.length_ft > 0.0 ? sec.height_sum / (sec.length_ft / kFeetPerMile) : 0.0;
    sec.length_display = sec.length_ft * units.LengthFactor;
    sec.pi_display = sec.pi * units.RoughnessFactor;
    weighted += sec.pi_display * sec.length_display;
    totalLength += sec.length_display;
    st.sections.push_back(sec);
    progress.step(j, P);
  }
  st.index = totalLength > 0.0 ? weighted / totalLength : 0.0;
  return st;
}

ProfilographResult ComputeCAProfilograph(std::span<const float> z, double dx,
                                         double sectionLength, const Units& units,
                                         Progress& progress) {
  if (z.empty()) throw std::invalid_argument("CA profilograph: the profile is empty");
  if (!(dx > 0.0) || !std::isfinite(dx))
    throw std::invalid_argument("CA profilograph: spacing must be positive");
  if (!(sectionLength > 0.0))
    throw std::invalid_argument("CA profilograph: the section length must be positive");
  const auto N = static_cast<std::int32_t>(z.size());

  ProfilographResult r;
  r.spacing = dx;
  r.trace = ProfilographRawTrace(z, dx);
  // At or above the Nyquist frequency the trace is kept as recorded.
  ThirdOrderLowPass(kProfilographTraceCutoff, dx, r.trace, true);
  const std::span<const float> trace(r.trace);

  r.whole = EvaluateProfilographStretch(trace, dx, sectionLength, units, progress);
  r.averaging_step = r.whole.averaging_step;
  r.total = r.whole.index;
  r.index_part_count = static_cast<std::int16_t>(r.whole.sections.size());
  for (const ProfilographSection& s : r.whole.sections) {
    r.section_indexes.push_back(RoundedFor(s.pi_display, "0.0000"));
    r.section_lengths.push_back(RoundedFor(s.length_display, "0.0"));
  }

  const Stretch2000 st = Stretch2000Bounds(N, dx);
  if (st.fits) {
    auto pass = [&](std::int32_t from) {
      return EvaluateProfilographStretch(trace.subspan(Slot(from), static_cast<std::size_t>(st.samples)),
                                         dx, kProfilographStretchSection, units, progress)
          .index;
    };
    r.first_2000 = pass(st.first_start);
    r.centre_2000 = pass(st.centre_start);
    r.last_2000 = pass(st.last_start);
    r.averaging_step = kProfilographStretchSection / 10.0;
  }

  return r;
}

ProfilographResult ComputeCAProfilograph(const PreparedProfile& profile, double sectionLength,
                                         const Units& units, Progress& progress) {
  return ComputeCAProfilograph(
      std::span<const float>(profile.data1(), static_cast<std::size_t>(profile.n)), profile.spacing,
      sectionLength, units, progress);
}

}  // namespace tarmac
