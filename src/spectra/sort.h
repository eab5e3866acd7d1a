#pragma once
// Heapsorts of the distribution tools, kept exactly as the program sorts so that equal values
// end up in the same order.
#include <cstdint>
#include <span>
#include <vector>

namespace tarmac {

// Sorts ra ascending in place by heapsort. Series of fewer than two values are left as they are.
void SortAscending(std::span<double> ra);
void SortAscending(std::span<float> ra);

// Index heapsort: positions idx such that a[idx[0]] <= a[idx[1]] <= ... The positions are
// 0-based element positions into a (not sample numbers counted from 1).
std::vector<std::int32_t> IndexSort(std::span<const float> a);

}  // namespace tarmac
