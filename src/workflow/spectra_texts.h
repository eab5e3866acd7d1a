#pragma once
// The texts of the spectra window and of the cumulative distributions: status texts, messages,
// the spectrum's axis title and marker read-out, the density's statistics block, the reading of
// the exponent box and the line of the bump-distribution file. The spectra core returns numbers;
// every text the person reads is made here.
#include <array>
#include <string>
#include <string_view>

#include "spectra/cumulative.h"
#include "spectra/pdf.h"

namespace tarmac {

inline constexpr std::string_view kPsdRunningStatus = "PSD running";
inline constexpr std::string_view kPsdCompletedStatus = "PSD completed";
inline constexpr std::string_view kPdfRunningStatus = "PDF running";
inline constexpr std::string_view kPdfCompletedStatus = "PDF completed";

// A marker click left of (or on) the spectrum's vertical axis places no marker.
inline constexpr std::string_view kMarkerLeftOfAxisMessage =
    " The MouseDown Position must be at the right of the vertical axis";

// A distribution asked for before its index has been computed for the current profile.
inline constexpr std::string_view kStraightedgeNotDoneMessage =
    "Straightedge has not been processed\r\nfor the current profile.";
inline constexpr std::string_view kStraightedgeNotDoneTitle = "Straightedge Not Done Yet";
inline constexpr std::string_view kBoeingNotDoneMessage =
    "Boeing Bump has not been processed\r\nfor the current profile.";
inline constexpr std::string_view kBoeingNotDoneTitle = "Boeing Bump Not Done Yet";

// The file beside the results file that gathers one bump distribution per profile.
inline constexpr std::string_view kBoeingBumpPdfFileName = "BoeingBumpPDFs.txt";

// Reads the exponent box: blanks around a number are ignored, a number with a fraction is
// rounded to the nearest whole number (halves to even). Empty or non-numeric text, or a value
// beyond +-99, is refused with std::invalid_argument carrying kExponentMessage.
inline constexpr std::string_view kExponentMessage =
    "The exponent n of 10^n must be a whole number between -99 and 99.";
int ParseSpectrumExponent(std::string_view text);

// Vertical axis title of the spectrum plot: "  Log10(Power spectrum density)+" n " " caption.
std::string PsdAxisTitle(int exponent, std::string_view series_caption);

// A frequency marker's read-out: "F<count>= <first six characters of the frequency written as
// ###.000> Hz".
std::string MarkerLabel(int count, double frequency);

// One line of the density's statistics block: the name, then the first six characters of the
// value written as "###.000".
std::string PdfStatisticLine(std::string_view name, double value);
// The block: "AMEAN=", "ASDEV=", "Cskew=", "Ckurt=", "Area=", "AreaN=".
std::array<std::string, 6> PdfStatisticsLines(const PdfResult& r);

// One line of the bump-distribution file: the profile's file name, then per bin a blank, the
// bin edge as "0.0000", a blank and the fraction as "0.00000". No line end.
std::string BoeingBumpPdfLine(std::string_view data_file_name, const CumulativeDistribution& d);

}  // namespace tarmac
