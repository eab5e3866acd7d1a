#pragma once
// Cumulative distribution of the straightedge deviations or of the Boeing Bump Index series in
// NB equal bins from 0 to the largest value, its line in the bump-distribution file, the plot
// mapping of the distribution picture and the read-out under the mouse.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarmac {

inline constexpr std::int32_t kDistributionBins = 100;

inline constexpr std::string_view kStraightedgeNotDoneMessage =
    "Straightedge has not been processed\r\nfor the current profile.";
inline constexpr std::string_view kStraightedgeNotDoneTitle = "Straightedge Not Done Yet";
inline constexpr std::string_view kBoeingNotDoneMessage =
    "Boeing Bump has not been processed\r\nfor the current profile.";
inline constexpr std::string_view kBoeingNotDoneTitle = "Boeing Bump Not Done Yet";
inline constexpr std::string_view kBoeingBumpPdfFileName = "BoeingBumpPDFs.txt";

struct CumulativeDistribution {
  double xmax = 0.0;       // the largest value; bin j ends at j * xmax / nb
  std::vector<float> cdf;  // [j-1]: fraction of the values <= j * xmax / nb, j = 1..nb
};

// The distribution of a (straightedge: already in display units) series. Values at or below a
// bin edge are counted for it, negative values included. Throws std::invalid_argument for an
// empty series, or when the largest value is not above zero (no bins from 0 to it exist).
CumulativeDistribution ComputeCumulativeDistribution(std::span<const float> a,
                                                     std::int32_t nb = kDistributionBins);

// One line of the bump-distribution file: the profile's file name, then per bin a blank, the
// bin edge as "0.0000", a blank and the fraction as "0.00000". No line end.
std::string BoeingBumpPdfLine(std::string_view data_file_name, const CumulativeDistribution& d);

// Pixel mapping of the distribution picture (scale left, top, width, height).
struct CdfPlotMapping {
  double x_origin = 0.0, y_origin = 0.0;  // pixel of (0, 0)
  double x_scale = 0.0, y_scale = 0.0;    // pixels per unit of value / per unit of fraction
  double x_end = 0.0, y_top = 0.0;        // far ends of the axes
};
CdfPlotMapping MapCdfPlot(double left, double top, double width, double height, double xmax);

// Mouse read-out at pixel (x, y): value and cumulative percentage, with the two status texts
// "x= <value> <unit>" and "P(x<=<value>)= <percent> %". unit is the axis unit text of the
// distribution shown ("in", "mm", or empty for the Boeing Bump Index).
struct CdfReadout {
  double value = 0.0;
  double percent = 0.0;
  std::string value_text;
  std::string position_status;
  std::string probability_status;
};
CdfReadout ReadCdfPlot(const CdfPlotMapping& m, double x, double y, std::string_view unit);

}  // namespace tarmac
