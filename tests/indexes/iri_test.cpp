#include "indexes/iri.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "common/number_format.h"

namespace tarmac {
namespace {

using M4 = std::array<std::array<double, 4>, 4>;

M4 Mul(const M4& a, const M4& b) {
  M4 c{};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      for (int k = 0; k < 4; ++k) c[i][j] += a[i][k] * b[k][j];
  return c;
}

// exp(M) in double by scaling and squaring: a 20-term Taylor series of M / 2^s, squared s times.
M4 Expm(M4 m) {
  double norm = 0;
  for (auto& row : m) {
    double s = 0;
    for (double v : row) s += std::fabs(v);
    norm = std::max(norm, s);
  }
  int squarings = 0;
  while (norm > 0.05) {
    norm /= 2;
    ++squarings;
  }
  for (auto& row : m)
    for (double& v : row) v = std::ldexp(v, -squarings);
  M4 sum{}, term{};
  for (int i = 0; i < 4; ++i) sum[i][i] = term[i][i] = 1.0;
  for (int n = 1; n <= 20; ++n) {
    term = Mul(term, m);
    for (auto& row : term)
      for (double& v : row) v /= n;
    for (int i = 0; i < 4; ++i)
      for (int j = 0; j < 4; ++j) sum[i][j] += term[i][j];
  }
  for (int s = 0; s < squarings; ++s) sum = Mul(sum, sum);
  return sum;
}

M4 QuarterCarA() {
  const double k1 = 653.0, k2 = 63.3, c = 6.0, mu = 0.15;
  M4 a{};
  a[0][1] = 1;
  a[1][0] = -k2, a[1][1] = -c, a[1][2] = k2, a[1][3] = c;
  a[2][3] = 1;
  a[3][0] = k2 / mu, a[3][1] = c / mu, a[3][2] = -(k1 + k2) / mu, a[3][3] = -c / mu;
  return a;
}

TEST(Iri, TransitionMatricesAgainstMatrixExponential) {
  for (double dx : {0.25, 0.49, 1.2}) {
    const double DT = dx / static_cast<double>(kIriSpeed);
    Matrix4f A, ST;
    Vector4f B, PR;
    SetQuarterCarMatrices(kIriK1, kIriK2, kIriC, kIriMu, A, B);
    const int terms = ComputeTransitionMatrices(DT, A, B, ST, PR);
    EXPECT_GT(terms, 5);
    M4 adt = QuarterCarA();
    for (auto& row : adt)
      for (double& v : row) v *= DT;
    const M4 ref = Expm(adt);
    for (int i = 0; i < 4; ++i)
      for (int j = 0; j < 4; ++j)
        EXPECT_NEAR(ST[i][j], ref[i][j], 2e-5 * (1 + std::fabs(ref[i][j]))) << dx << " " << i << j;
    // PR and the inverse left in A are checked through the slope against the ODE below.
  }
}

TEST(Iri, InvertMatrixPivotsAndRefusesZeroRow) {
  // Needs a row interchange (zero leading element) and rows of very different scale.
  std::vector<float> m{0, 2, 1, 1e4f, 1e4f, 0, 3, -1, 4};
  const std::vector<float> orig = m;
  InvertMatrix(m, 3);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      double s = 0;
      for (int k = 0; k < 3; ++k) s += static_cast<double>(orig[i * 3 + k]) * m[k * 3 + j];
      EXPECT_NEAR(s, i == j ? 1.0 : 0.0, 1e-5);
    }
  std::vector<float> zeroRow{1, 2, 0, 0};
  EXPECT_THROW(InvertMatrix(zeroRow, 2), std::domain_error);
  // A singular matrix without a zero row: after the interchange the second pivot vanishes and
  // becomes 1e-20 exactly. Worked by hand with q = 1 / 1e-20 the inverse is -7q, 1 + 7q, q, -q;
  // a pivot of 1e-20 held in single precision would shift -7q by three units of the float.
  std::vector<float> singular{1, 7, 1, 7};
  InvertMatrix(singular, 2);
  const double q = 1.0 / 1e-20;
  EXPECT_EQ(singular, (std::vector<float>{static_cast<float>(-(7.0 * q)),
                                          static_cast<float>(1.0 + 7.0 * q),
                                          static_cast<float>(q), static_cast<float>(-q)}));
}

TEST(Iri, BaseOfTheSlopeInput) {
  EXPECT_EQ(IriBase(0.49), 2);
  EXPECT_EQ(IriBase(1.2), 1);
  EXPECT_EQ(IriBase(3.0), 1);  // Int(0.83) = 0, raised to one sample
  EXPECT_EQ(IriBase(0.082021 * 6), 2);
  EXPECT_EQ(IriBase(0.25), 4);
}

std::vector<float> RoughProfile(int n, double dx, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> u(0, 1);
  std::vector<float> z(n);
  double a = 0, b = 0;
  for (int i = 0; i < n; ++i) {
    a += (u(gen) - 0.5) * 0.05;
    b = 0.98 * b + a * 0.02;
    z[i] = static_cast<float>(b + 0.1 * std::sin(i * dx / 3.1) + 0.05 * std::sin(i * dx / 0.9));
  }
  return z;
}

TEST(Iri, SlopeFollowsTheQuarterCarOdeWithHeldInput) {
  // Independent simulation: the same car integrated with RK4 in double, the slope input held
  // constant over each step (which the exact transition assumes), 40 substeps per step.
  const double dx = 0.49;
  const int N = 400;
  const auto z = RoughProfile(N, dx, 7);
  NullProgress np;
  const IriResult r = ComputeIRI(z, dx, 1000.0, MakeUnits(false), np);
  ASSERT_EQ(r.base, 2);
  const M4 A = QuarterCarA();
  const double V = static_cast<double>(static_cast<float>(80.0 * 0.9111));
  const double DT = dx / V;
  const int K = static_cast<int>(std::floor(36.0 / dx + 0.5)) + 1;
  std::array<double, 4> y{};
  y[0] = y[2] = (z[K - 1] - z[0]) * 5280.0 / (K * dx);
  const double F = 5280.0 / (2 * dx);
  auto deriv = [&](const std::array<double, 4>& s, double u) {
    std::array<double, 4> d{};
    for (int i = 0; i < 4; ++i)
      for (int k = 0; k < 4; ++k) d[i] += A[i][k] * s[k];
    d[3] += 653.0 / 0.15 * u;
    return d;
  };
  double worst = 0;
  for (int i = 1; i <= N - 2; ++i) {
    const double u = (z[i + 1] - z[i - 1]) * F;
    const int sub = 40;
    const double h = DT / sub;
    for (int s = 0; s < sub; ++s) {
      auto k1 = deriv(y, u);
      std::array<double, 4> t;
      for (int q = 0; q < 4; ++q) t[q] = y[q] + h / 2 * k1[q];
      auto k2 = deriv(t, u);
      for (int q = 0; q < 4; ++q) t[q] = y[q] + h / 2 * k2[q];
      auto k3 = deriv(t, u);
      for (int q = 0; q < 4; ++q) t[q] = y[q] + h * k3[q];
      auto k4 = deriv(t, u);
      for (int q = 0; q < 4; ++q) y[q] += h / 6 * (k1[q] + 2 * k2[q] + 2 * k3[q] + k4[q]);
    }
    worst = std::max(worst, std::fabs(std::fabs(y[0] - y[2]) - r.IRISlope[i - 1]));
  }
  EXPECT_LT(worst, 0.02);  // in/mile, against slopes of several hundred
  EXPECT_EQ(r.IRISlope[N - 1], 0.0f);
  EXPECT_EQ(r.IRISlope[N - 2], 0.0f);
  EXPECT_NE(r.IRISlope[N - 3], 0.0f);
}

TEST(Iri, LevelProfileIsSmooth) {
  NullProgress np;
  const IriResult r = ComputeIRI(std::vector<float>(3000, -2.0f), 0.49, 1000.0, MakeUnits(false), np);
  for (float v : r.IRISlope) EXPECT_EQ(v, 0.0f);
  EXPECT_EQ(r.total, 0.0);
  EXPECT_EQ(r.total_text, "0.0000");
}

TEST(Iri, PartsAndTheLeftoverRule) {
  NullProgress np;
  const double dx = 1.0, A = 100.0;  // P0 = 100 samples, a tenth of A = 10 samples
  for (int extra : {10, 11}) {
    const int N = 1000 + extra;
    const auto z = RoughProfile(N, dx, 3);
    const IriResult r = ComputeIRI(z, dx, A, MakeUnits(false), np);
    const int P = extra == 10 ? 10 : 11;  // a leftover of exactly A / 10 makes no part
    ASSERT_EQ(r.index_part_count, P) << extra;
    double weighted = 0, length = 0;
    for (int j = 0; j < P; ++j) {
      // Samples s..s+100 (101 of them), capped at N, over the length of the samples between.
      const int s = j * 100 + 1;
      const int e = std::min(s + 100, N);
      double sum = 0;
      for (int i = s; i <= e; ++i) sum += r.IRISlope[i - 1];
      const double expected = sum * dx / ((e - s) * dx);
      EXPECT_DOUBLE_EQ(r.part_iri[j], expected) << j;
      EXPECT_DOUBLE_EQ(r.part_length_ft[j], (e - s) * dx);
      EXPECT_FLOAT_EQ(r.section_indexes[j], static_cast<float>(std::round(expected * 1e4) / 1e4));
      weighted += expected * (e - s) * dx;
      length += (e - s) * dx;
    }
    EXPECT_NEAR(r.total, weighted / length, 1e-12);
    if (P == 11) {
      EXPECT_DOUBLE_EQ(r.part_length_ft[10], 10.0);
    }
  }
}

TEST(Iri, MetricValuesAndTheStretches) {
  NullProgress np;
  const double dx = 0.49;
  const int N = static_cast<int>(2500 / dx);
  const auto z = RoughProfile(N, dx, 11);
  const IriResult us = ComputeIRI(z, dx, 1000.0, MakeUnits(false), np);
  const IriResult si = ComputeIRI(z, dx, 1000.0, MakeUnits(true), np);
  // The 2000-ft values are the mean rectified slope over 4082 samples.
  const int W = static_cast<int>(2000 / dx) + 1;
  double first = 0, last = 0, centre = 0;
  const int c = (N - W) / 2;
  for (int i = 0; i < W; ++i) {
    first += us.IRISlope[i];
    last += us.IRISlope[N - W + i];
    centre += us.IRISlope[c - 1 + i];
  }
  EXPECT_NEAR(us.First2000, first / W, 1e-9);
  EXPECT_NEAR(us.Last2000, last / W, 1e-9);
  EXPECT_NEAR(us.Center2000, centre / W, 1e-9);
  EXPECT_GT(us.First2000, 1.0);
  // Every roughness value follows the unit system the same way, the stretches included.
  const double f = 0.015778787;
  EXPECT_NEAR(si.First2000, us.First2000 * f, 1e-12);
  EXPECT_NEAR(si.Center2000, us.Center2000 * f, 1e-12);
  EXPECT_NEAR(si.Last2000, us.Last2000 * f, 1e-12);
  EXPECT_NEAR(si.total, us.total * f, 1e-9);
  for (std::size_t j = 0; j < us.part_iri.size(); ++j) EXPECT_NEAR(si.part_iri[j], us.part_iri[j] * f, 1e-9);
  EXPECT_FLOAT_EQ(si.section_lengths[0], 304.8f);
  // Shorter than 2000 ft: no stretches.
  const IriResult shortRun = ComputeIRI(std::vector<float>(z.begin(), z.begin() + 4000), dx, 1000.0,
                                        MakeUnits(false), np);
  EXPECT_EQ(shortRun.First2000, 0.0);
  EXPECT_EQ(shortRun.Last2000, 0.0);
}

TEST(Iri, ShortProfilesStillHaveAnIndex) {
  NullProgress np;
  // Shorter than the 36-ft start and than a tenth of the averaging distance.
  const auto z = RoughProfile(40, 0.49, 5);
  const IriResult r = ComputeIRI(z, 0.49, 1000.0, MakeUnits(false), np);
  EXPECT_EQ(r.index_part_count, 1);
  EXPECT_TRUE(std::isfinite(r.total));
  EXPECT_GT(r.total, 0.0);
  const IriResult one = ComputeIRI(std::vector<float>{1.0f}, 0.49, 1000.0, MakeUnits(false), np);
  EXPECT_EQ(one.total, 0.0);
  EXPECT_THROW(ComputeIRI(std::vector<float>{}, 0.49, 1000.0, MakeUnits(false), np),
               std::invalid_argument);
}

TEST(Iri, ReportLines) {
  NullProgress np;
  const double dx = 0.5;
  const auto z = RoughProfile(2401, dx, 2);  // 1200 ft: one full part and a 200-ft part
  for (bool metric : {false, true}) {
    const Units u = MakeUnits(metric);
    const IriResult r = ComputeIRI(z, dx, 1000.0, u, np);
    const auto& L = r.report_lines;
    ASSERT_EQ(L.size(), 8u);
    if (!metric) {
      EXPECT_EQ(L[0], "Profile total length = 1,200.0(ft)");
      EXPECT_EQ(L[1], "Profile step length = 0.50000(ft)");
      EXPECT_EQ(L[4], "    partI   length ft   Index, m/km");
      EXPECT_EQ(L[5].substr(0, 18), "     1     1,000.0");
      EXPECT_EQ(L[6].substr(0, 18), "     2       200.0");
    } else {
      EXPECT_EQ(L[0], "Profile total length = 365.8(m)");
      EXPECT_EQ(L[1], "Profile step length = 0.15240(m)");
      EXPECT_EQ(L[4], "    partI   length m   Index, m/km");
      EXPECT_EQ(L[5].substr(0, 18), "     1       304.8");
    }
    EXPECT_EQ(L[2], "Methods of Measuring Profile Index is IRI 1/4 Car");
    EXPECT_EQ(L[3], "IRI total = " + FormatNumber(r.total, "0.0000"));
    EXPECT_EQ(L[5].size(), 38u);
    EXPECT_EQ(L[5].substr(18), RightAlign(20, FormatNumber(r.part_iri[0], "0.0000")));
    EXPECT_EQ(L[7], "");
    EXPECT_EQ(r.chart_title_suffix, ",  IRI(Total Length) = " + r.total_text);
  }
}

}  // namespace
}  // namespace tarmac
