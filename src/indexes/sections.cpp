#include "indexes/sections.h"

#include <cmath>
#include <stdexcept>

#include "common/number_format.h"
#include "common/rounding.h"

namespace tarmac {
namespace {

// What differs between the indexes summarised here.
struct LevelInfo {
  int chart_row;
  bool shows_rms;        // the band-pass index is shown by its RMS, the others by their mean
  bool elevation_unit;   // converted to millimetres in metric mode
};

LevelInfo InfoOf(int level) {
  switch (level) {
    case kStraightedgeLevel:
      return {1, false, true};
    case kBoeingBumpLevel:
      return {2, false, false};
    case kBandpassLevel:
      return {4, true, true};
    default:
      throw std::invalid_argument("Index level " + std::to_string(level) +
                                  " has no sectioned report (levels 1, 2 and 5 have).");
  }
}

// The series in the program's numbering: sample i (1..n).
float Sample(std::span<const float> series, std::int32_t i) {
  return series[static_cast<std::size_t>(i - 1)];
}

// Standard deviation from a mean of squares and a mean; rounding can leave the difference a
// hair below zero for a constant stretch, which is a deviation of zero, not an error.
double Deviation(double meanOfSquares, double mean) {
  const double v = meanOfSquares - mean * mean;
  return v > 0.0 ? std::sqrt(v) : 0.0;
}

// Mean, or standard deviation about the mean, of samples first..first+w-1.
double StretchValue(std::span<const float> series, std::int32_t first, std::int32_t w,
                    bool deviation) {
  double sum = 0.0;
  double sumSq = 0.0;
  for (std::int32_t i = first; i < first + w; ++i) {
    const double v = Sample(series, i);
    sum += v;
    sumSq += v * v;
  }
  const double mean = sum / w;
  return deviation ? Deviation(sumSq / w, mean) : mean;
}

float ReadBack(double v, const char* pattern) {
  return static_cast<float>(ValueOfText(FormatNumber(v, pattern)));
}

}  // namespace

Stretch2000 Stretch2000Bounds(std::int32_t n, double dx) {
  Stretch2000 s;
  s.samples = Int(kStretchLength / dx) + 1;
  s.fits = s.samples <= n;
  if (!s.fits) return s;
  s.first_start = 1;
  s.centre_start = Int((n - s.samples) / 2.0);
  // With fewer than two spare samples the rule above gives sample 0, which does not exist.
  if (s.centre_start < 1) s.centre_start = 1;
  s.last_start = n - s.samples + 1;
  return s;
}

IndexSections ComputeIndexSections(int level, std::span<const float> series, double dx,
                                   double averagingDistance, const Units& units) {
  const LevelInfo info = InfoOf(level);
  if (!(dx > 0.0) || !std::isfinite(dx))
    throw std::invalid_argument("The sample spacing must be a positive number.");
  if (!(averagingDistance > 0.0) || !std::isfinite(averagingDistance))
    throw std::invalid_argument("The averaging distance must be a positive number.");
  if (series.empty()) throw std::invalid_argument("The index series is empty.");

  IndexSections r;
  r.level = level;
  r.chart_row = info.chart_row;
  r.count = static_cast<std::int32_t>(series.size());
  r.spacing = dx;
  const double a = averagingDistance;
  r.averaging_step = a / 10.0;
  r.samples_per_part = CLng(a / dx);
  // An averaging distance under half a sample would make nA zero; a part then holds one sample.
  const std::int32_t perPart = r.samples_per_part > 0 ? r.samples_per_part : 1;
  r.part_capacity = CLng(static_cast<double>(r.count) / perPart + 4.0);

  // One pass: parts close on the sample that makes their length exceed A.
  struct Accumulator {
    double length = 0.0;
    double sum = 0.0;
    double sumSq = 0.0;
  };
  std::vector<Accumulator> acc(1);
  float maxV = 0.0f;
  float minV = 0.0f;
  for (std::int32_t i = 1; i <= r.count; ++i) {
    const float v = Sample(series, i);
    if (v > maxV) maxV = v;
    if (v < minV) minV = v;
    Accumulator& part = acc.back();
    part.sum += v;
    part.sumSq += static_cast<double>(v) * v;
    part.length += dx;
    if (part.length > a) acc.emplace_back();
  }
  // A last stretch shorter than a tenth of A is too short to stand as a part (an empty part
  // opened by the very last sample included). The only part is kept all the same: a profile
  // shorter than A / 10 still has an index.
  if (acc.back().length < r.averaging_step && acc.size() > 1) acc.pop_back();

  const double lengthFactor = units.LengthFactor;
  const double valueFactor = info.elevation_unit ? units.MmFactor : 1.0;

  double weightedMean = 0.0;
  double weightedVar = 0.0;
  double totalLength = 0.0;
  r.parts.reserve(acc.size());
  for (const Accumulator& p : acc) {
    IndexPart part;
    part.length_ft = p.length;
    part.samples = CLng(p.length / dx);
    part.mean = static_cast<float>(p.sum / part.samples);
    const double mean = part.mean;
    part.rms = Deviation(p.sumSq / part.samples, mean);
    r.parts.push_back(part);
  }
  for (const IndexPart& p : r.parts) {
    weightedMean += static_cast<double>(p.mean) * p.length_ft;
    totalLength += p.length_ft;
  }
  for (const IndexPart& p : r.parts) weightedVar += p.rms * p.rms * p.length_ft;
  r.total_mean = weightedMean / totalLength;
  r.total_rms = std::sqrt(weightedVar / totalLength);
  r.minimum = minV;
  r.maximum = maxV;

  r.stretches = Stretch2000Bounds(r.count, dx);
  if (r.stretches.fits) {
    const bool dev = info.shows_rms;
    const std::int32_t w = r.stretches.samples;
    r.first2000 = StretchValue(series, r.stretches.first_start, w, dev);
    r.last2000 = StretchValue(series, r.stretches.last_start, w, dev);
    r.center2000 = StretchValue(series, r.stretches.centre_start, w, dev);
  }

  // Display units.
  r.display_spacing = dx * lengthFactor;
  r.first2000_display = r.first2000 * valueFactor;
  r.center2000_display = r.center2000 * valueFactor;
  r.last2000_display = r.last2000 * valueFactor;
  r.total_mean_display = r.total_mean * valueFactor;
  r.total_rms_display = r.total_rms * valueFactor;
  r.minimum_display = r.minimum * valueFactor;
  r.maximum_display = r.maximum * valueFactor;
  for (IndexPart& p : r.parts) {
    p.mean_display = static_cast<float>(static_cast<double>(p.mean) * valueFactor);
    p.rms_display = p.rms * valueFactor;
    p.length_display = p.length_ft * lengthFactor;
  }

  // Published values.
  r.shown_value = info.shows_rms ? r.total_rms_display : r.total_mean_display;
  r.index_part_count = RoundHalfEven16(static_cast<double>(r.parts.size()));
  r.section_lengths.reserve(r.parts.size());
  r.section_indexes.reserve(r.parts.size());
  for (const IndexPart& p : r.parts) {
    r.section_lengths.push_back(ReadBack(p.length_display, "0.0"));
    r.section_indexes.push_back(
        ReadBack(info.shows_rms ? p.rms_display : static_cast<double>(p.mean_display), "0.0000"));
  }
  return r;
}

}  // namespace tarmac
