#include "indexes/iri.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "common/number_format.h"
#include "indexes/rough_profile.h"

namespace tarmac {
namespace {

using testing::RoughProfile;

TEST(Iri, InvertMatrixPivotsAndRefusesZeroRow) {
  std::vector<float> zeroRow{1, 2, 0, 0};
  EXPECT_THROW(InvertMatrix(zeroRow, 2), std::domain_error);
  // Singular: the second pivot vanishes and becomes 1e-20 exactly, held in double (a float
  // pivot would shift -7q by three units); by hand, with q = 1 / 1e-20:
  std::vector<float> singular{1, 7, 1, 7};
  InvertMatrix(singular, 2);
  const double q = 1.0 / 1e-20;
  EXPECT_EQ(singular, (std::vector<float>{static_cast<float>(-(7.0 * q)), static_cast<float>(1.0 + 7.0 * q),
                                          static_cast<float>(q), static_cast<float>(-q)}));
  EXPECT_EQ(IriBase(0.49), 2);
  EXPECT_EQ(IriBase(3.0), 1);  // Int(0.83) = 0, raised to one sample
  EXPECT_EQ(IriBase(0.25), 4);
}

TEST(Iri, SlopeFollowsTheQuarterCarOdeWithHeldInput) {
  // Independent simulation: the same car integrated with RK4 in double, the slope input held
  // constant over each step (which the exact transition assumes), 40 substeps per step.
  const double dx = 0.49;
  const int N = 400;
  const auto z = RoughProfile(N, dx, 7);
  NullProgress np;
  const IriResult r = ComputeIRI(z, dx, 1000.0, MakeUnits(false), np);
  const double k1 = 653.0, k2 = 63.3, c = 6.0, mu = 0.15;
  const std::array<std::array<double, 4>, 4> A{{{0, 1, 0, 0},
                                                {-k2, -c, k2, c},
                                                {0, 0, 0, 1},
                                                {k2 / mu, c / mu, -(k1 + k2) / mu, -c / mu}}};
  const double DT = dx / static_cast<double>(static_cast<float>(80.0 * 0.9111));
  const int K = static_cast<int>(std::floor(36.0 / dx + 0.5)) + 1;
  std::array<double, 4> y{};
  y[0] = y[2] = (z[K - 1] - z[0]) * 5280.0 / (K * dx);
  auto deriv = [&](const std::array<double, 4>& s, double u) {
    std::array<double, 4> d{};
    for (int i = 0; i < 4; ++i)
      for (int k = 0; k < 4; ++k) d[i] += A[i][k] * s[k];
    d[3] += k1 / mu * u;
    return d;
  };
  double worst = 0;
  for (int i = 1; i <= N - 2; ++i) {
    const double u = (z[i + 1] - z[i - 1]) * 5280.0 / (2 * dx), h = DT / 40;
    for (int s = 0; s < 40; ++s) {
      std::array<double, 4> t, k[4];
      k[0] = deriv(y, u);
      for (int q = 0; q < 4; ++q) t[q] = y[q] + h / 2 * k[0][q];
      k[1] = deriv(t, u);
      for (int q = 0; q < 4; ++q) t[q] = y[q] + h / 2 * k[1][q];
      k[2] = deriv(t, u);
      for (int q = 0; q < 4; ++q) t[q] = y[q] + h * k[2][q];
      k[3] = deriv(t, u);
      for (int q = 0; q < 4; ++q) y[q] += h / 6 * (k[0][q] + 2 * k[1][q] + 2 * k[2][q] + k[3][q]);
    }
    worst = std::max(worst, std::fabs(std::fabs(y[0] - y[2]) - r.slope[i - 1]));
  }
  EXPECT_LT(worst, 0.02);  // in/mile, against slopes of several hundred
  EXPECT_EQ(r.slope[N - 2], 0.0f);
}

TEST(Iri, PartsAndTheLeftoverRule) {
  NullProgress np;
  const double dx = 1.0, A = 100.0;  // parts of 100 samples, a tenth of A = 10 samples
  for (int extra : {10, 11}) {
    const int N = 1000 + extra;
    const IriResult r = ComputeIRI(RoughProfile(N, dx, 3), dx, A, MakeUnits(false), np);
    const int P = extra == 10 ? 10 : 11;  // a leftover of exactly A / 10 makes no part
    ASSERT_EQ(r.index_part_count, P) << extra;
    double weighted = 0, length = 0;
    for (int j = 0; j < P; ++j) {
      // Samples s..s+100 (101 of them), capped at N, over the length of the samples between.
      const int s = j * 100 + 1, e = std::min(s + 100, N);
      double sum = 0;
      for (int i = s; i <= e; ++i) sum += r.slope[i - 1];
      const double expected = sum * dx / ((e - s) * dx);
      EXPECT_DOUBLE_EQ(r.part_iri[j], expected) << j;
      EXPECT_DOUBLE_EQ(r.part_length_ft[j], (e - s) * dx);
      EXPECT_FLOAT_EQ(r.section_indexes[j], static_cast<float>(std::round(expected * 1e4) / 1e4));
      weighted += expected * (e - s) * dx;
      length += (e - s) * dx;
    }
    EXPECT_NEAR(r.total, weighted / length, 1e-12);
  }
  // Shorter than the 36-ft start and than a tenth of A: still one part with an index.
  const IriResult shortRun = ComputeIRI(RoughProfile(40, 0.49, 5), 0.49, 1000.0, MakeUnits(false), np);
  EXPECT_GT(shortRun.total, 0.0);
  EXPECT_THROW(ComputeIRI(std::vector<float>{}, 0.49, 1000.0, MakeUnits(false), np), std::invalid_argument);
}

}  // namespace
}  // namespace tarmac
