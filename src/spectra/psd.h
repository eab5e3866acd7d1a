#pragma once
// Power spectral density of one series: a single-record periodogram of the largest power-of-two
// stretch centred in the series, no taper, a base-10 logarithm raised by a chosen number of
// decades, and a ten-bin running average before plotting. Also the plot frame's mapping and the
// frequency read-out of a marker click on the spectrum plot.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarmac {

struct PreparedProfile;

// The marker click left of (or on) the vertical axis.
inline constexpr std::string_view kMarkerLeftOfAxisMessage =
    " The MouseDown Position must be at the right of the vertical axis";
inline constexpr std::string_view kPsdRunningStatus = "PSD running";
inline constexpr std::string_view kPsdCompletedStatus = "PSD completed";
// Travel speed the profile spectrum assumes to turn distance into time, ft/s.
inline constexpr double kProfileSpectrumSpeedFps = 58.0;
// Window type every spectrum run asks for (rectangular).
inline constexpr int kSpectrumWindowType = 2;

// Decades below the strongest bin at which bins of zero power are drawn.
inline constexpr double kZeroPowerDecades = 15.0;

struct PsdResult {
  std::int32_t np = 0;      // record length, the largest power of two not above N
  std::int32_t nstart = 0;  // first sample of the record, counted from 1 (1 <= nstart)
  std::int32_t m = 0;       // number of frequency bins, np / 2
  double dt = 0.0;          // sampling interval, s
  int exponent = 0;         // n of 10^n added to the power before the logarithm (NEXP)
  // The transform of the record as FourierTransform leaves it: 2*np doubles, (real, imaginary) pairs.
  std::vector<double> transform;
  // Mean-square power sums of bins 1..m before normalising (bin 1 counted twice); [j-1] = bin j.
  std::vector<double> power;
  double den = 0.0;         // normalising denominator, 2*np^2 for the rectangular window
  // log10(10^n * power / den) per bin. A bin of zero power has no logarithm: it is drawn
  // kZeroPowerDecades below the strongest bin, or at the weakest bin with power if that is
  // lower, and is counted in zero_power_bins.
  std::vector<double> log_power;
  std::int32_t zero_power_bins = 0;
  // The plotted values: the forward running sum of ten bins divided by 10 (also the last nine).
  std::vector<double> smoothed;
  std::vector<double> frequency;  // Hz, (j-1)/(2m)/dt; frequency[0] = 0
  // Plot limits: ymax starts at 0 and ymin at 100000 before the bins are scanned.
  double ymax = 0.0, ymin = 0.0, xmax = 0.0, xmin = 0.0;
};

// Reads the exponent box: blanks around a number are ignored, a number with a fraction is
// rounded to the nearest whole number (halves to even). Empty or non-numeric text, or a value
// beyond +-99, is refused with std::invalid_argument carrying kExponentMessage.
inline constexpr std::string_view kExponentMessage =
    "The exponent n of 10^n must be a whole number between -99 and 99.";
int ParseSpectrumExponent(std::string_view text);

// The spectrum run over series values v(i) = series[i-1] / divisor (divisor 12.0 turns the
// prepared profile's inches into feet; 1.0 keeps a response level as stored), sampled every dt
// seconds. Throws std::invalid_argument for fewer than two points, a dt that is not positive,
// or a series with no power at all (every value zero).
PsdResult ComputePsd(std::span<const float> series, double divisor, double dt, int exponent);

// The profile spectrum: the prepared profile (decimated by 10) in feet at an assumed 58.0 ft/s.
PsdResult ComputeProfilePsd(const PreparedProfile& profile, int exponent);

// The plot frame of the spectrum and density plots in a picture of scale width w and height h.
struct PlotFrame {
  double xscale = 0.0, yscale = 0.0;  // pixels per unit
  float frame_width = 0.0f;           // 0.9 w
  float frame_height = 0.0f;          // 0.75 h
  float x_origin = 0.0f;              // pixel of the value 0: 0.05 w - xscale * xmin
  double left = 0.0, bottom = 0.0, w = 0.0, h = 0.0, xmin = 0.0, ymin = 0.0;
  double px(double x) const { return left + xscale * (x - xmin); }
  double py(double y) const { return bottom - yscale * (y - ymin); }
};
PlotFrame MapPlotFrame(double w, double h, double xmin, double xmax, double ymin, double ymax);

// Frequency (Hz) under a click at pixel x on the spectrum plot; none when the click is not to
// the right of the x origin (then show kMarkerLeftOfAxisMessage and place no marker).
std::optional<double> MarkerFrequency(float x, float x_origin, float frame_width, double nyquist);
// "F<count>= <first six characters of the frequency as ###.000> Hz".
std::string MarkerLabel(int count, double frequency);

// Vertical axis title of the spectrum plot: "  Log10(Power spectrum density)+" n " " caption.
std::string PsdAxisTitle(int exponent, std::string_view series_caption);

}  // namespace tarmac
