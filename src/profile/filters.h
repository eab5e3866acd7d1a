#pragma once
// Zero-phase Butterworth filters of profile series. Every filter works in place on a
// single-precision series, extends it at both ends by odd reflection about the end samples so the
// start-up transients fall outside the data, and keeps its recursion state in double precision.
// Frequencies are spatial (cycles per foot), spacings in feet, elevations in inches.
#include <array>
#include <span>
#include <vector>

namespace tarmac {

// The value of pi the order-4 low-pass design has always used; the cut-off prewarping depends on
// it in the last digits, so it is kept rather than replaced by the exact constant.
inline constexpr double kLowPassPi = 3.14159265359;

// Coefficients of the order-4 Butterworth low-pass as two second-order sections sharing one gain.
// Each section is gain x (1, 2, 1) over (1, d1[k], d2[k]).
struct ButterworthDesign {
  double gain = 1.0;
  std::array<double, 2> d1{};
  std::array<double, 2> d2{};
};

// Bilinear design with frequency prewarping for the cut-off `cutoff` (cycles/ft) at `spacing` ft.
ButterworthDesign DesignButterworth(double spacing, double cutoff);

// The order-4 low-pass run one sample at a time (two cascaded second-order sections).
// After reset() the next sample first loads every delay element with its own value, so a
// constant input passes through unchanged from the first sample on.
class ButterworthLowPass {
 public:
  explicit ButterworthLowPass(const ButterworthDesign& design) : d_(design) {}
  void reset() { started_ = false; }
  // Runs one sample through both sections and returns the output.
  double process(double x);

 private:
  ButterworthDesign d_;
  bool started_ = false;
  double x1_ = 0, x2_ = 0;            // previous two inputs
  double w_ = 0, w1_ = 0, w2_ = 0;    // first-section output, current and two back
  double r_ = 0, r1_ = 0, r2_ = 0;    // second-section output, current and two back
};

// Order-4 Butterworth low-pass of `series` in place. With bothWays the series is filtered forward
// and then backward, which gives zero phase and the squared magnitude response; otherwise one
// forward pass. A cut-off above the Nyquist frequency 1 / (2 spacing) is lowered to it; the
// padding of ten cut-off wavelengths (at least 100 samples, half the series when that is not
// shorter than it) is chosen from the cut-off as asked, before that lowering.
// Returns the cut-off actually applied. Throws std::invalid_argument for a non-positive cut-off
// or spacing.
double LowPassFilter(double cutoff, double spacing, std::span<float> series, bool bothWays);

// Cut-off wavelength of the profile high-pass, feet.
inline constexpr double kHighPassWavelength = 300.0;

// Third-order Butterworth high-pass at a 300-ft wavelength, forward and backward, in place.
// The first and last 2 % of the series are first tapered towards zero with a raised-cosine
// window; the taper stays in the result. Throws std::invalid_argument for a non-positive spacing.
void HighPassFilter(std::span<float> series, double spacing);

// The profile converted to its high-pass form (300-ft cut-off wavelength, ends tapered over 2 %),
// as the "High Pass" command replaces the analysis profile with it.
std::vector<float> HighPassProfile(std::span<const float> profileZ, double dx);

// Third-order Butterworth low-pass (a second-order section followed by a first-order section),
// in place, the profilograph's smoothing of its trace. Padding of four cut-off wavelengths by odd
// reflection at both ends (at most count - 1 samples); with bothWays a forward and a backward
// pass (zero phase), otherwise one forward pass. No taper.
// At a cut-off at or above the Nyquist frequency 1 / (2 spacing) the recursion would divide by
// zero or run unstable; the series then passes through unchanged and the function returns false.
// Returns true when the series was filtered. Throws std::invalid_argument for a non-positive
// cut-off or spacing.
bool ThirdOrderLowPass(double cutoff, double spacing, std::span<float> series, bool bothWays);

}  // namespace tarmac
