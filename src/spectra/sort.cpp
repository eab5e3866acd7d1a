#include "spectra/sort.h"

#include "common/rounding.h"

namespace tarmac {

namespace {

// The heap numbering counts from 1: key(i) reads the i-th element.
template <typename Get, typename Set, typename Key>
void HeapSort(std::int32_t n, Get get, Set set) {
  if (n < 2) return;  // a single value is sorted; the loop below would read before the first
  std::int32_t l = CLng(n / 2.0 + 1.0);
  std::int32_t ir = n;
  for (;;) {
    Key rra;
    if (l > 1) {
      l = l - 1;
      rra = get(l);
    } else {
      rra = get(ir);
      set(ir, get(1));
      ir = ir - 1;
      if (ir == 1) {
        set(1, rra);
        return;
      }
    }
    std::int32_t i = l;
    std::int32_t j = l + l;
    while (j <= ir) {
      if (j < ir && get(j) < get(j + 1)) j = j + 1;
      if (rra < get(j)) {
        set(i, get(j));
        i = j;
        j = j + j;
      } else {
        j = ir + 1;
      }
    }
    set(i, rra);
  }
}

template <typename T>
void Sort1(std::span<T> ra) {
  auto get = [&](std::int32_t i) { return ra[static_cast<std::size_t>(i - 1)]; };
  auto set = [&](std::int32_t i, T v) { ra[static_cast<std::size_t>(i - 1)] = v; };
  HeapSort<decltype(get), decltype(set), T>(static_cast<std::int32_t>(ra.size()), get, set);
}

}  // namespace

void SortAscending(std::span<double> ra) { Sort1(ra); }
void SortAscending(std::span<float> ra) { Sort1(ra); }

std::vector<std::int32_t> IndexSort(std::span<const float> a) {
  const auto n = static_cast<std::int32_t>(a.size());
  std::vector<std::int32_t> idx(a.size());
  for (std::int32_t i = 0; i < n; ++i) idx[static_cast<std::size_t>(i)] = i;
  if (n < 2) return idx;
  // Same heap as SortAscending, moving positions and comparing the values they point at.
  std::int32_t l = CLng(n / 2.0 + 1.0);
  std::int32_t ir = n;
  auto at = [&](std::int32_t i) -> std::int32_t& { return idx[static_cast<std::size_t>(i - 1)]; };
  auto val = [&](std::int32_t pos) { return a[static_cast<std::size_t>(pos)]; };
  for (;;) {
    std::int32_t rra;
    if (l > 1) {
      l = l - 1;
      rra = at(l);
    } else {
      rra = at(ir);
      at(ir) = at(1);
      ir = ir - 1;
      if (ir == 1) {
        at(1) = rra;
        return idx;
      }
    }
    const float q = val(rra);
    std::int32_t i = l;
    std::int32_t j = l + l;
    while (j <= ir) {
      if (j < ir && val(at(j)) < val(at(j + 1))) j = j + 1;
      if (q < val(at(j))) {
        at(i) = at(j);
        i = j;
        j = j + j;
      } else {
        j = ir + 1;
      }
    }
    at(i) = rra;
  }
}

}  // namespace tarmac
