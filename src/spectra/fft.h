#pragma once
// The transform behind the power spectrum: an in-place radix-2 complex FFT over interleaved
// (real, imaginary) pairs, the data window weights and the periodogram of records held in the
// FFT buffer. The buffers are 0-based: element [2k] is the real part and [2k+1] the imaginary
// part of complex value k (the numbering of the formulas counts both from 1).
#include <cstdint>
#include <span>

namespace tarmac {

// In-place complex FFT of nn complex values held in data (2*nn doubles, interleaved).
// Computes X(k) = sum x(m) e^(isign*2*pi*i*k*m/nn); nn must be a power of two (>= 1).
// isign is +1 or -1. Throws std::invalid_argument for a size that is not a power of two.
void FourierTransform(std::span<double> data, std::int32_t nn, int isign);

// Window weight of sample j (1..2*m) for window type iwin. Type 2, the only one used, is the
// rectangular window (weight 1); any other type is treated the same way.
double WindowWeight(std::int32_t j, int iwin, std::int32_t m);

// Periodogram of k records of 2*m samples already placed in w1 (one record: the real parts at
// even positions, imaginary parts zero). On return p[0..m-1] holds the mean-square power of
// bins 1..m, the zero-frequency bin counted twice, NOT yet taken to a logarithm; the
// normalising denominator is returned. w1 holds the transform afterwards.
// (The logarithm with the decade offset is applied by the PSD run, see psd.h.)
double Periodogram(std::span<double> p, std::int32_t m, std::int32_t k, std::span<double> w1, int iwin);

}  // namespace tarmac
