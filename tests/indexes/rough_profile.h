#pragma once
// A rough profile for the index tests: a smoothed random walk with two waves on it, so that every
// index has something to measure and no two samples repeat.
#include <cmath>
#include <cstddef>
#include <random>
#include <vector>

namespace tarmac::testing {

inline std::vector<float> RoughProfile(int n, double dx, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> u(0, 1);
  std::vector<float> z(static_cast<std::size_t>(n));
  double a = 0, b = 0;
  for (int i = 0; i < n; ++i) {
    a += (u(gen) - 0.5) * 0.05;
    b = 0.98 * b + a * 0.02;
    z[static_cast<std::size_t>(i)] =
        static_cast<float>(b + 0.1 * std::sin(i * dx / 3.1) + 0.05 * std::sin(i * dx / 0.9));
  }
  return z;
}

}  // namespace tarmac::testing
