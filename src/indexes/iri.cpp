#include "indexes/iri.h"

#include <cmath>
#include <stdexcept>

#include "common/number_format.h"
#include "common/rounding.h"
#include "indexes/sections.h"

namespace tarmac {
namespace {

constexpr double kFeetPerMile = 5280.0;
constexpr double kInitialSlopeLength = 36.0;  // ft over which the car starts on the mean slope
constexpr double kZeroPivot = 1e-20;  // a vanishing pivot, in the double precision of the solve
constexpr int kMostSeriesTerms = 1000;  // safety stop should the series never settle (NaN)

// Samples are counted from 1; the series hold sample i at [i - 1].
struct OneBased {
  std::span<const float> v;
  float operator()(std::int32_t i) const { return v[static_cast<std::size_t>(i - 1)]; }
};

float RoundedFor(double v, const char* pattern) {
  return static_cast<float>(ValueOfText(FormatNumber(v, pattern)));
}

// LU decomposition of the row-major n x n matrix a in place with implicit partial pivoting:
// each row is weighed by its largest element so that the pivot choice does not depend on the
// scale of the equations. indx receives the row interchanges.
void LuDecompose(std::vector<double>& a, int n, std::vector<int>& indx) {
  auto at = [&](int r, int c) -> double& { return a[static_cast<std::size_t>(r * n + c)]; };
  std::vector<double> vv(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    double big = 0.0;
    for (int j = 0; j < n; ++j) big = std::max(big, std::fabs(at(i, j)));
    if (big == 0.0) throw std::domain_error("InvertMatrix: a row of the matrix is all zeros");
    vv[static_cast<std::size_t>(i)] = 1.0 / big;
  }
  indx.assign(static_cast<std::size_t>(n), 0);
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < j; ++i) {
      double sum = at(i, j);
      for (int k = 0; k < i; ++k) sum -= at(i, k) * at(k, j);
      at(i, j) = sum;
    }
    double big = 0.0;
    int imax = j;
    for (int i = j; i < n; ++i) {
      double sum = at(i, j);
      for (int k = 0; k < j; ++k) sum -= at(i, k) * at(k, j);
      at(i, j) = sum;
      const double dum = vv[static_cast<std::size_t>(i)] * std::fabs(sum);
      if (dum >= big) {
        big = dum;
        imax = i;
      }
    }
    if (j != imax) {
      for (int k = 0; k < n; ++k) std::swap(at(imax, k), at(j, k));
      vv[static_cast<std::size_t>(imax)] = vv[static_cast<std::size_t>(j)];
    }
    indx[static_cast<std::size_t>(j)] = imax;
    if (at(j, j) == 0.0) at(j, j) = kZeroPivot;
    if (j != n - 1) {
      const double dum = 1.0 / at(j, j);
      for (int i = j + 1; i < n; ++i) at(i, j) *= dum;
    }
  }
}

// Forward and back substitution with the decomposition above; b becomes the solution.
void LuSolve(const std::vector<double>& a, int n, const std::vector<int>& indx,
             std::vector<double>& b) {
  auto at = [&](int r, int c) { return a[static_cast<std::size_t>(r * n + c)]; };
  int ii = -1;
  for (int i = 0; i < n; ++i) {
    const int ip = indx[static_cast<std::size_t>(i)];
    double sum = b[static_cast<std::size_t>(ip)];
    b[static_cast<std::size_t>(ip)] = b[static_cast<std::size_t>(i)];
    if (ii >= 0) {
      for (int j = ii; j < i; ++j) sum -= at(i, j) * b[static_cast<std::size_t>(j)];
    } else if (sum != 0.0) {
      ii = i;
    }
    b[static_cast<std::size_t>(i)] = sum;
  }
  for (int i = n - 1; i >= 0; --i) {
    double sum = b[static_cast<std::size_t>(i)];
    for (int j = i + 1; j < n; ++j) sum -= at(i, j) * b[static_cast<std::size_t>(j)];
    b[static_cast<std::size_t>(i)] = sum / at(i, i);
  }
}

}  // namespace

void SetQuarterCarMatrices(float k1, float k2, float c, float mu, Matrix4f& A, Vector4f& B) {
  for (auto& row : A) row.fill(0.0f);
  B.fill(0.0f);
  A[0][1] = 1.0f;
  A[1][0] = -k2;
  A[1][1] = -c;
  A[1][2] = k2;
  A[1][3] = c;
  A[2][3] = 1.0f;
  A[3][0] = k2 / mu;
  A[3][1] = c / mu;
  A[3][2] = -(k1 + k2) / mu;
  A[3][3] = -c / mu;
  B[3] = k1 / mu;
}

void InvertMatrix(std::span<float> matrix, int n) {
  if (n <= 0 || matrix.size() < static_cast<std::size_t>(n * n))
    throw std::invalid_argument("InvertMatrix: the matrix is smaller than n x n");
  const auto nn = static_cast<std::size_t>(n * n);
  std::vector<double> lu(matrix.begin(), matrix.begin() + static_cast<std::ptrdiff_t>(nn));
  std::vector<int> indx;
  LuDecompose(lu, n, indx);
  std::vector<double> column(static_cast<std::size_t>(n));
  for (int j = 0; j < n; ++j) {
    std::fill(column.begin(), column.end(), 0.0);
    column[static_cast<std::size_t>(j)] = 1.0;
    LuSolve(lu, n, indx, column);
    for (int i = 0; i < n; ++i)
      matrix[static_cast<std::size_t>(i * n + j)] = static_cast<float>(column[static_cast<std::size_t>(i)]);
  }
}

int ComputeTransitionMatrices(double DT, Matrix4f& A, const Vector4f& B, Matrix4f& ST,
                              Vector4f& PR) {
  Matrix4f T{};
  for (int i = 0; i < 4; ++i) {
    ST[i].fill(0.0f);
    ST[i][i] = 1.0f;
    T[i][i] = 1.0f;
  }
  int n = 0;
  bool changed = true;
  while (changed && n < kMostSeriesTerms) {
    ++n;
    Matrix4f next{};
    for (int i = 0; i < 4; ++i) {
      for (int j = 0; j < 4; ++j) {
        double sum = 0.0;
        for (int k = 0; k < 4; ++k) sum += static_cast<double>(T[i][k]) * A[k][j];
        next[i][j] = static_cast<float>(sum * DT / n);
      }
    }
    T = next;
    changed = false;
    for (int i = 0; i < 4; ++i) {
      for (int j = 0; j < 4; ++j) {
        const float sum = ST[i][j] + T[i][j];
        if (sum != ST[i][j]) changed = true;
        ST[i][j] = sum;
      }
    }
  }

  InvertMatrix(std::span<float>(&A[0][0], 16), 4);
  // PR = A^-1 ((ST - I) B)
  Vector4f stb{};
  for (int i = 0; i < 4; ++i) {
    double sum = 0.0;
    for (int k = 0; k < 4; ++k) {
      const float stMinusI = i == k ? ST[i][k] - 1.0f : ST[i][k];
      sum += static_cast<double>(stMinusI) * B[k];
    }
    stb[i] = static_cast<float>(sum);
  }
  for (int i = 0; i < 4; ++i) {
    double sum = 0.0;
    for (int k = 0; k < 4; ++k) sum += static_cast<double>(A[i][k]) * stb[k];
    PR[i] = static_cast<float>(sum);
  }
  return n;
}

std::int32_t IriBase(double dx) { return std::max(Int(1.0 / dx + 0.5), 1); }

IriResult ComputeIRI(std::span<const float> zs, double dx, double averagingDistance,
                     const Units& units, Progress& progress) {
  if (zs.empty()) throw std::invalid_argument("IRI: the profile is empty");
  if (!(dx > 0.0) || !std::isfinite(dx)) throw std::invalid_argument("IRI: spacing must be positive");
  if (!(averagingDistance > 0.0))
    throw std::invalid_argument("IRI: the averaging distance must be positive");
  const OneBased Z{zs};
  const auto N = static_cast<std::int32_t>(zs.size());

  IriResult r;
  r.spacing = dx;
  r.slope.assign(zs.size(), 0.0f);
  const double DT = dx / static_cast<double>(kIriSpeed);
  const std::int32_t b = IriBase(dx);
  r.base = b;
  r.plotted = std::max(N - b, 0);
  const double F = kFeetPerMile / (b * dx);

  Matrix4f A, ST;
  Vector4f B, PR;
  SetQuarterCarMatrices(kIriK1, kIriK2, kIriC, kIriMu, A, B);
  ComputeTransitionMatrices(DT, A, B, ST, PR);

  // The car starts on the mean slope of the first 36 ft, both masses moving with it.
  std::int32_t K = Int(kInitialSlopeLength / dx + 0.5) + 1;
  if (K > N) K = N;
  Vector4f Y{};
  Y[0] = static_cast<float>((Z(K) - Z(1)) * kFeetPerMile / (K * dx));
  Y[2] = Y[0];

  const std::int32_t steps = N - b;
  const std::int32_t every = steps / 100 + 1;
  for (std::int32_t i = 1; i <= steps; ++i) {
    if (i % every == 0) {
      progress.step(i, steps);
      if (progress.cancelled()) throw Cancelled{};
    }
    const double u = (Z(i + b) - Z(i)) * F;
    Vector4f next;
    for (int j = 0; j < 4; ++j) {
      double v = PR[j] * u;
      for (int k = 0; k < 4; ++k) v += static_cast<double>(ST[j][k]) * Y[k];
      next[j] = static_cast<float>(v);
    }
    Y = next;
    r.slope[static_cast<std::size_t>(i - 1)] = std::fabs(Y[0] - Y[2]);
  }

  // Parts of P0 samples; each sums P0 + 1 samples (its last is also the next part's first).
  const std::int32_t P0 = std::max<std::int32_t>(CInt(averagingDistance / dx), 1);
  r.samples_per_part = P0;
  r.averaging_step = averagingDistance / 10.0;
  std::int32_t P = N / P0;
  if ((N - P * P0) * dx > r.averaging_step) P = P + 1;
  // A profile shorter than a tenth of the averaging distance still has an index: one part.
  if (P == 0) P = 1;
  const OneBased slope{r.slope};
  double weighted = 0.0, totalLength = 0.0;
  for (std::int32_t j = 1; j <= P; ++j) {
    const std::int32_t s = (j - 1) * P0 + 1;
    const std::int32_t e = std::min(s + P0, N);
    double sum = 0.0;
    for (std::int32_t i = s; i <= e; ++i) sum += slope(i);
    const double L = (e - s) * dx;
    // A part of a single sample has no length and no roughness.
    const double iri = L > 0.0 ? sum * dx / L * units.RoughnessFactor : 0.0;
    r.part_length_ft.push_back(L);
    r.part_iri.push_back(iri);
    weighted += iri * L;
    totalLength += L;
  }
  r.total = totalLength > 0.0 ? weighted / totalLength : 0.0;
  r.index_part_count = static_cast<std::int16_t>(P);
  for (std::int32_t j = 0; j < P; ++j) {
    const auto jj = static_cast<std::size_t>(j);
    r.section_indexes.push_back(RoundedFor(r.part_iri[jj], "0.0000"));
    r.section_lengths.push_back(RoundedFor(r.part_length_ft[jj] * units.LengthFactor, "0.0"));
  }

  // The 2000-ft means are roughness like the parts and follow the same unit.
  const Stretch2000 st = Stretch2000Bounds(N, dx);
  if (st.fits) {
    auto mean = [&](std::int32_t from) {
      double sum = 0.0;
      for (std::int32_t i = from; i < from + st.samples; ++i) sum += slope(i);
      return sum / st.samples * units.RoughnessFactor;
    };
    r.first_2000 = mean(st.first_start);
    r.centre_2000 = mean(st.centre_start);
    r.last_2000 = mean(st.last_start);
  }

  progress.step(steps, steps);
  return r;
}

IriResult ComputeIRI(const PreparedProfile& profile, double averagingDistance, const Units& units,
                     Progress& progress) {
  return ComputeIRI(std::span<const float>(profile.data1(), static_cast<std::size_t>(profile.n)),
                    profile.spacing, averagingDistance, units, progress);
}

}  // namespace tarmac
