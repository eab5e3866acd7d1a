#pragma once
// Where the tick marks of a plot axis go and how their values are written. Plain arithmetic
// without Qt, shared by every plot, so the profile, the index series, the responses, the charts
// and the spectra all read the same way: a handful of round values, never a bare minimum and
// maximum.
#include <string>
#include <vector>

namespace tarmac {

struct AxisTicks {
  double step = 1.0;           // distance between ticks: 1, 2, 2.5 or 5 times a power of ten
  std::vector<double> values;  // the multiples of step within the range, ascending
  int decimals = 0;            // decimals that write every value exactly
};

// Five to ten round ticks within [lo, hi] (lo and hi may come in either order). A range of no
// width (a constant series) is widened around its value first, so a flat line still gets a scale.
// Non-finite limits give no ticks.
AxisTicks ChooseTicks(double lo, double hi);

// A tick value written with the decimals of its axis; a value that is zero to within rounding is
// written "0", never "-0.00".
std::string TickLabel(double value, int decimals);

// The powers of ten within [lo, hi] (both > 0) for a logarithmic axis, as exponents. A range
// within one decade gets the decades on either side of it, so a log axis always has two labels.
std::vector<int> DecadeTicks(double lo, double hi);

// A decade's label: a plain number from 0.001 to 1000, "10⁻⁵"-style (UTF-8 superscripts) beyond.
std::string DecadeLabel(int exponent);

}  // namespace tarmac
