#include "spectra/fft.h"

#include <cmath>
#include <stdexcept>
#include <utility>

namespace tarmac {

namespace {
// The formulas number the interleaved buffer from 1; this is the one place that shifts.
struct Buffer1 {
  std::span<double> d;
  double& operator()(std::int32_t i) const { return d[static_cast<std::size_t>(i - 1)]; }
};
}  // namespace

void FourierTransform(std::span<double> data, std::int32_t nn, int isign) {
  if (nn < 1 || (nn & (nn - 1)) != 0) {
    throw std::invalid_argument("The transform length must be a power of two.");
  }
  if (data.size() < static_cast<std::size_t>(2) * static_cast<std::size_t>(nn)) {
    throw std::invalid_argument("The transform buffer is shorter than twice its length.");
  }
  const Buffer1 a{data};
  const std::int32_t n = 2 * nn;

  // Bit reversal of the complex positions.
  std::int32_t j = 1;
  for (std::int32_t i = 1; i <= n; i += 2) {
    if (j > i) {
      std::swap(a(j), a(i));
      std::swap(a(j + 1), a(i + 1));
    }
    std::int32_t m = n / 2;
    while (m >= 2 && j > m) {
      j -= m;
      m /= 2;
    }
    j += m;
  }

  // Danielson-Lanczos passes with the trigonometric recurrence for the twiddle factors.
  std::int32_t mmax = 2;
  while (n > mmax) {
    const std::int32_t istep = 2 * mmax;
    const double theta = 6.28318530717959 / (static_cast<double>(isign) * mmax);
    const double s = std::sin(0.5 * theta);
    const double wpr = -2.0 * s * s;
    const double wpi = std::sin(theta);
    double wr = 1.0;
    double wi = 0.0;
    for (std::int32_t m = 1; m <= mmax; m += 2) {
      for (std::int32_t i = m; i <= n; i += istep) {
        const std::int32_t jj = i + mmax;
        const double tempr = wr * a(jj) - wi * a(jj + 1);
        const double tempi = wr * a(jj + 1) + wi * a(jj);
        a(jj) = a(i) - tempr;
        a(jj + 1) = a(i + 1) - tempi;
        a(i) = a(i) + tempr;
        a(i + 1) = a(i + 1) + tempi;
      }
      const double wtemp = wr;
      wr = wr * wpr - wi * wpi + wr;
      wi = wi * wpr + wtemp * wpi + wi;
    }
    mmax = istep;
  }
}

double WindowWeight(std::int32_t /*j*/, int /*iwin*/, std::int32_t /*m*/) {
  // Only the rectangular window is ever asked for: no taper on the record.
  return 1.0;
}

double Periodogram(std::span<double> p, std::int32_t m, std::int32_t k, std::span<double> w1, int iwin) {
  const std::int32_t mm = m + m;
  const std::int32_t m4 = mm + mm;
  const std::int32_t m44 = m4 + 4;
  const std::int32_t m43 = m4 + 3;
  if (m < 1 || p.size() < static_cast<std::size_t>(m) || w1.size() < static_cast<std::size_t>(m4)) {
    throw std::invalid_argument("The spectrum buffers are too short for the record length.");
  }
  const Buffer1 w{w1};
  const Buffer1 pp{p};

  double sumw = 0.0;
  for (std::int32_t j = 1; j <= mm; ++j) {
    const double f = WindowWeight(j, iwin, m);
    sumw += f * f;
  }
  for (std::int32_t j = 1; j <= m; ++j) pp(j) = 0.0;
  double den = 0.0;
  for (std::int32_t rec = 1; rec <= k; ++rec) {
    for (std::int32_t j = 1; j <= mm; ++j) {
      const double f = WindowWeight(j, iwin, m);
      w(2 * j) *= f;
      w(2 * j - 1) *= f;
    }
    FourierTransform(w1, mm, +1);
    // The zero-frequency value enters twice, as the program has always done.
    pp(1) = pp(1) + 2.0 * (w(1) * w(1) + w(2) * w(2));
    for (std::int32_t j = 2; j <= m; ++j) {
      const std::int32_t j2 = 2 * j;
      // Positive- and negative-frequency value of bin j-1.
      pp(j) = pp(j) + w(j2) * w(j2) + w(j2 - 1) * w(j2 - 1) + w(m44 - j2) * w(m44 - j2) +
              w(m43 - j2) * w(m43 - j2);
    }
    den += sumw;
  }
  den *= m4;
  return den;
}

}  // namespace tarmac
