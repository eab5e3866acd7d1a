#pragma once
// International Roughness Index: the accumulated suspension motion of the standard quarter car
// driven over the profile at 80 km/h, per distance travelled. The car is simulated sample by
// sample with the exact discrete-time transition of its linear model, driven by the profile
// slope; the rectified slope |sprung - unsprung| is averaged over parts of the averaging distance.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/progress.h"
#include "common/units.h"
#include "profile/prepared_profile.h"

namespace tarmac {

using Matrix4f = std::array<std::array<float, 4>, 4>;  // [row][column], row 0 = the model's 1
using Vector4f = std::array<float, 4>;

// The golden car, normalised by the sprung mass.
inline constexpr float kIriK1 = 653.0f;  // tyre spring rate
inline constexpr float kIriK2 = 63.3f;   // suspension spring rate
inline constexpr float kIriC = 6.0f;     // suspension damping rate
inline constexpr float kIriMu = 0.15f;   // unsprung / sprung mass
// Simulated speed, ft/s: 80 km/h as 80 x 0.9111, held in single precision.
inline const float kIriSpeed = static_cast<float>(80.0 * 0.9111);

// A and B of the quarter car (all other entries zero). State: sprung displacement and velocity,
// unsprung displacement and velocity.
void SetQuarterCarMatrices(float k1, float k2, float c, float mu, Matrix4f& A, Vector4f& B);

// ST = exp(A DT) by its Taylor series, summed until a term no longer changes the
// single-precision sum, and PR = A^-1 (ST - I) B. A is replaced by its inverse.
// Returns the number of series terms added.
int ComputeTransitionMatrices(double DT, Matrix4f& A, const Vector4f& B, Matrix4f& ST,
                              Vector4f& PR);

// Inverts the n x n row-major matrix in place, in double precision, by LU decomposition with
// implicit partial pivoting (a zero pivot becomes 1e-20). Throws std::domain_error when a row is
// all zeros.
void InvertMatrix(std::span<float> matrix, int n);

// Base of the slope input in samples: Int(1 / dx + 0.5), at least 1 (about one foot).
std::int32_t IriBase(double dx);

struct IriResult {
  std::vector<float> slope;  // in/mile, samples 1..N as [0..N-1]; the last b stay zero
  std::int32_t base = 0;        // b
  std::int32_t plotted = 0;     // N - b: the samples of plot level 3
  double spacing = 0.0;         // dx, ft

  std::int32_t samples_per_part = 0;  // P0 = round(A / dx)
  double averaging_step = 0.0;        // A / 10, ft
  std::vector<double> part_length_ft;  // (e - s) dx
  std::vector<double> part_iri;        // display units (x RoughnessFactor)

  double total = 0.0;              // whole-profile IRI, display units
  std::int16_t index_part_count = 0;     // P, parts in the section tables (chart row 3)
  std::vector<float> section_indexes;    // part IRI, display units, four decimals
  std::vector<float> section_lengths;    // part lengths, display units, one decimal
  // Mean rectified slope of the first, centre and last 2000 ft, display units; zero when the
  // profile is shorter.
  double first_2000 = 0.0, centre_2000 = 0.0, last_2000 = 0.0;
};

// IRI of profile z (inches, samples 1..N as [0..N-1]) at spacing dx ft, parts of
// averagingDistance ft. Throws std::invalid_argument for an empty profile or a non-positive
// spacing or averaging distance; tarmac::Cancelled when cancelled.
IriResult ComputeIRI(std::span<const float> z, double dx, double averagingDistance,
                     const Units& units, Progress& progress);
IriResult ComputeIRI(const PreparedProfile& profile, double averagingDistance, const Units& units,
                     Progress& progress);

}  // namespace tarmac
