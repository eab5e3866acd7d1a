#include "workflow/spectra_texts.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <stdexcept>

#include "common/number_format.h"
#include "common/rounding.h"

namespace tarmac {
namespace {

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

int ParseSpectrumExponent(std::string_view text) {
  std::string_view t = TrimBlanks(text);
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);
  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
  if (t.empty() || ec != std::errc{} || ptr != t.data() + t.size() || !std::isfinite(value) ||
      std::fabs(value) > 99.5) {
    throw std::invalid_argument(std::string(kExponentMessage));
  }
  const int n = CInt(value);
  if (n < -99 || n > 99) throw std::invalid_argument(std::string(kExponentMessage));
  return n;
}

std::string PsdAxisTitle(int exponent, std::string_view series_caption) {
  return "  Log10(Power spectrum density)+" + std::to_string(exponent) + " " +
         std::string(series_caption);
}

std::string MarkerLabel(int count, double frequency) {
  return "F" + std::to_string(count) + "= " + FormatNumber(frequency, "###.000").substr(0, 6) +
         " Hz";
}

std::string PdfStatisticLine(std::string_view name, double value) {
  return std::string(name) + FormatNumber(value, "###.000").substr(0, 6);
}

std::array<std::string, 6> PdfStatisticsLines(const PdfResult& r) {
  return {PdfStatisticLine("AMEAN=", r.amean), PdfStatisticLine("ASDEV=", r.asdev),
          PdfStatisticLine("Cskew=", r.cskew), PdfStatisticLine("Ckurt=", r.ckurt),
          PdfStatisticLine("Area=", r.area),   PdfStatisticLine("AreaN=", r.arean)};
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

}  // namespace tarmac
