#include "spectra/cumulative.h"

#include <stdexcept>

#include "common/number_format.h"
#include "spectra/sort.h"

namespace tarmac {

CumulativeDistribution ComputeCumulativeDistribution(std::span<const float> a, std::int32_t nb) {
  if (a.empty()) throw std::invalid_argument("There are no values to distribute.");
  if (nb < 1) throw std::invalid_argument("The distribution needs at least one bin.");
  const auto n = static_cast<std::int32_t>(a.size());
  const std::vector<std::int32_t> idx = IndexSort(a);
  std::vector<float> s(a.size());
  for (std::size_t i = 0; i < s.size(); ++i) s[i] = a[static_cast<std::size_t>(idx[i])];

  CumulativeDistribution d;
  d.xmax = s.back();
  if (!(d.xmax > 0.0)) {
    throw std::invalid_argument(
        "Every value is zero or below: the distribution from 0 to the largest value is empty.");
  }
  const double dx = d.xmax / nb;
  d.cdf.assign(static_cast<std::size_t>(nb), 0.0f);
  std::int32_t last = 0;  // values counted so far
  for (std::int32_t j = 1; j <= nb - 1; ++j) {
    const auto xj = static_cast<float>(dx * j);
    // The first value above the edge; when none is, every value lies at or below the edge
    // and the bin counts them all (never none, which would make the curve fall back to 0).
    std::int32_t count = n;
    for (std::int32_t i = last + 1; i <= n; ++i) {
      if (s[static_cast<std::size_t>(i - 1)] > xj) {
        count = i - 1;
        break;
      }
    }
    d.cdf[static_cast<std::size_t>(j - 1)] = static_cast<float>(count);
    last = count;
  }
  d.cdf[static_cast<std::size_t>(nb - 1)] = static_cast<float>(n);
  for (float& c : d.cdf) c = static_cast<float>(static_cast<double>(c) / n);
  return d;
}

std::string BoeingBumpPdfLine(std::string_view data_file_name, const CumulativeDistribution& d) {
  std::string line(data_file_name);
  const auto nb = static_cast<std::int32_t>(d.cdf.size());
  for (std::int32_t i = 1; i <= nb; ++i) {
    line += ' ';
    line += FormatNumber(i * d.xmax / nb, "0.0000");
    line += ' ';
    line += FormatNumber(d.cdf[static_cast<std::size_t>(i - 1)], "0.00000");
  }
  return line;
}

CdfPlotMapping MapCdfPlot(double left, double top, double width, double height, double xmax) {
  CdfPlotMapping m;
  m.x_origin = left + 0.14 * width;
  m.y_origin = top + 0.89 * height;
  m.x_end = left + 0.9 * width;
  m.y_top = top + 0.1 * height;
  m.y_scale = (m.y_top - m.y_origin) / 1.0;  // the largest fraction is 1
  m.x_scale = (m.x_end - m.x_origin) / xmax;
  return m;
}

CdfReadout ReadCdfPlot(const CdfPlotMapping& m, double x, double y, std::string_view unit) {
  CdfReadout r;
  r.value = (x - m.x_origin) / m.x_scale;
  r.percent = (y - m.y_origin) / m.y_scale * 100.0;
  r.value_text = FormatNumber(r.value, "0.000");
  const std::string unit_text = unit.empty() ? std::string() : " " + std::string(unit);
  r.position_status = "x= " + r.value_text + unit_text;
  r.probability_status = "P(x<=" + r.value_text + ")= " + FormatNumber(r.percent, "###.000") + " %";
  return r;
}

}  // namespace tarmac
