#include "workflow/profile_io.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "test_support.h"
#include "workflow/profile_model.h"
#include "workflow/settings.h"

namespace tarmac {
namespace {

namespace fs = std::filesystem;
using testing::ErrorOf;
using testing::FloatBytes;

std::vector<std::byte> Bytes(std::string_view s) {
  std::vector<std::byte> b(s.size());
  std::memcpy(b.data(), s.data(), s.size());
  return b;
}

constexpr float kNan = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

TEST(ProFile, MarkerGivesTheSpacingOtherwiseTheSpacingInForce) {
  // The marker is the single-precision value nearest -1E20, bytes EC 78 AD E0.
  EXPECT_EQ(FloatBytes({ProEndMarker()}), Bytes("\xEC\x78\xAD\xE0"));
  const std::vector<float> z = {1.5f, -2.25f, 3.0f, 0.125f};
  std::vector<std::byte> b = FloatBytes(z);
  b.insert(b.end(), 3, std::byte{1});  // whole values only, the rest reported
  const ProFileContents c = ParseProFile(b, 0.25);
  EXPECT_EQ(c.elevations, z);
  EXPECT_EQ(c.spacing, 0.25);
  EXPECT_EQ(c.ignored_bytes, 3u);

  const ProFileContents m = ParseProFile(FloatBytes({4.0f, 5.0f, 6.0f, ProEndMarker(), 0.5f, kNan, 99.0f}), 0.25);
  EXPECT_EQ(m.elevations, (std::vector<float>{4.0f, 5.0f, 6.0f}));  // values after the spacing ignored
  EXPECT_EQ(m.spacing, 0.5);
  // The spacing is the file's single-precision value widened, not a decimal re-reading of it.
  const float mm25 = static_cast<float>(0.08202099737532809);
  EXPECT_EQ(ParseProFile(FloatBytes({1.0f, ProEndMarker(), mm25}), 1.0).spacing, static_cast<double>(mm25));
}

TEST(ProFile, BadFilesAreRefusedWithAClearMessage) {
  const float marker = ProEndMarker();
  const std::vector<std::pair<std::vector<std::byte>, std::string>> cases = {
      {{}, "empty"},
      {Bytes("abc"), "too short"},
      {FloatBytes({1.0f, 2.0f, marker}), "no sample spacing"},
      {FloatBytes({marker, 0.25f}), "no elevations"},
      {FloatBytes({1.0f, marker, -0.25f}), "spacing"},
      {FloatBytes({1.0f, marker, kNan}), "spacing"},
      {FloatBytes({1.0f, 2.0f, kNan, 4.0f}), "sample 3"},
      // Spacings outside the sample-spacing setting's range, and implausible elevations.
      {FloatBytes({1.0f, 2.0f, marker, 1.0e6f}), "(1000000 ft) is not a plausible spacing"},
      {FloatBytes({1.0f, 2.0f, marker, 1.0e-30f}), "is not a plausible spacing"},
      {FloatBytes({1.0f, -100001.0f, 3.0f}), "-100001 in at sample 2"},
      // An earlier marker would be read as an elevation of -1E20 inches.
      {FloatBytes({1.0f, 2.0f, marker, 0.5f, 3.0f, marker, 0.25f}), "sample 3"},
  };
  for (const auto& [bytes, needle] : cases)
    EXPECT_NE(ErrorOf([&] { ParseProFile(bytes, 0.25); }).find(needle), std::string::npos) << needle;
}

TEST(DatFile, HeaderSpacingCountAndRecordsInInches) {
  const std::string text =
      "Profile of RUNWAY 09\r\nData Increment: 0.25\r\nData Points: 4\r\nDistance (Feet)   Elevation (Feet)\r\n"
      "0.000, 101.5\r\n0.250 101.25\r\n0.5\t,\t100.75\r\n\r\n  0.75   -2\r\n"
      "1.0, 7\r\n";  // beyond the declared count: not read
  const DatFileContents c = ParseDatFile(text);
  EXPECT_EQ(c.spacing, 0.25);
  EXPECT_EQ(c.elevations, (std::vector<float>{static_cast<float>(101.5 * 12), static_cast<float>(101.25 * 12),
                                             static_cast<float>(100.75 * 12), -24.0f}));
}

TEST(DatFile, CountsBeyondTheFileAndMissingCountsReadWhatIsHeld) {
  std::string body = "Distance (Feet)  Elevation (Feet)\n";
  for (int i = 0; i < 900; ++i) body += std::to_string(0.25 * i) + ", " + std::to_string(i % 7) + "\n";
  // A count far beyond anything must not size the arrays; halves round to even.
  for (const auto& [count, n] : std::vector<std::pair<std::string, std::size_t>>{
           {"1000", 900}, {"2000000000", 900}, {"1e15", 900}, {"2.5", 2}, {"3.5", 4}})
    EXPECT_EQ(ParseDatFile("Data Points: " + count + "\n" + body).elevations.size(), n) << count;
  const DatFileContents c = ParseDatFile("Data Increment: n/a\nData Points: many\n" + body);
  EXPECT_DOUBLE_EQ(c.spacing, 0.25);  // a spacing that is not numeric: the distances give it
  EXPECT_EQ(c.elevations[8], 12.0f);  // 8 % 7 = 1 ft
}

// The records of a .dat at `spacing`, the distances written with `decimals` decimals.
std::string DatRecords(int n, double spacing, int decimals, int skip = -1) {
  std::string body = "Distance (Feet)  Elevation (Feet)\n";
  char buf[64];
  for (int i = 0, k = 0; k < n; ++i) {
    if (i == skip) continue;  // a sample missing from the file
    std::snprintf(buf, sizeof buf, "%.*f, %.4f\n", decimals, i * spacing, 100.0 + 0.01 * (i % 5));
    body += buf;
    ++k;
  }
  return body;
}

TEST(DatFile, WithoutAnIncrementTheDistancesGiveTheSpacing) {
  // 25 mm written to three decimals of a foot: the steps alternate between 0.082 and 0.083 ft,
  // more than 1 % apart, yet the file is evenly spaced; the spacing is the mean, first to last.
  const double mm25 = 0.08202099737532809;
  const DatFileContents c = ParseDatFile("Title\n" + DatRecords(4000, mm25, 3));
  char last[32];
  std::snprintf(last, sizeof last, "%.3f", 3999 * mm25);
  EXPECT_DOUBLE_EQ(c.spacing, std::stod(last) / 3999);
  EXPECT_NEAR(c.spacing, mm25, 1e-6);
  EXPECT_FALSE(c.increment);
  // A missing sample is a step of two spacings: refused naming the line after the gap (the
  // heading is line 2, the record of sample i (from 0) after the gap is line i + 2).
  EXPECT_NE(ErrorOf([&] { ParseDatFile("Title\n" + DatRecords(4000, mm25, 3, 1000)); })
                .find("Line 1003 of the text profile: the distance 82.103 ft lies 0.164 ft after"),
            std::string::npos);
  // Whole-foot distances at one foot are exact: a gap is not excused as rounding.
  EXPECT_DOUBLE_EQ(ParseDatFile(DatRecords(50, 1.0, 0)).spacing, 1.0);
  EXPECT_NE(ErrorOf([&] { ParseDatFile(DatRecords(50, 1.0, 0, 20)); }).find("Line 22"), std::string::npos);
  // Distances that run downwards are evenly spaced too.
  EXPECT_DOUBLE_EQ(ParseDatFile("Distance (Feet)\n10, 1\n9.5, 1\n9, 1\n").spacing, 0.5);
}

TEST(DatFile, IncrementAndDistancesMustAgreeWithinOnePercent) {
  // Both agree within 1 %: the header's figure is taken as it is written.
  const DatFileContents c = ParseDatFile("Data Increment: 0.25\n" + DatRecords(100, 0.2512, 4));
  EXPECT_EQ(c.spacing, 0.25);
  EXPECT_EQ(c.increment, 0.25);
  const std::string both = ErrorOf([] { ParseDatFile("Data Increment: 0.25\n" + DatRecords(100, 0.5, 2)); });
  EXPECT_NE(both.find("(0.25 ft)"), std::string::npos) << both;
  EXPECT_NE(both.find("(0.5 ft)"), std::string::npos) << both;
  EXPECT_NE(ErrorOf([] { ParseDatFile("Data Increment: 0.25\n" + DatRecords(100, 0.2530, 4)); }).find("1 %"),
            std::string::npos);
}

TEST(DatFile, ImplausibleValuesAreRefusedAfterTheConversionToInches) {
  // 8000 ft is 96 000 in, a plausible datum; 9000 ft is 108 000 in, and 1e38 ft is beyond any
  // single-precision value once in inches.
  const std::string head = "Data Increment: 0.25\nDistance (Feet)\n0, 1\n";
  EXPECT_EQ(ParseDatFile(head + "0.25, 8000\n").elevations.back(), 96000.0f);
  EXPECT_NE(ErrorOf([&] { ParseDatFile(head + "0.25, 9000\n"); }).find("108000 in at sample 2"), std::string::npos);
  EXPECT_NE(ErrorOf([&] { ParseDatFile(head + "0.25, 1e38\n"); }).find("sample 2"), std::string::npos);
  for (const char* inc : {"1e30", "0.0005", "2.5"})
    EXPECT_NE(ErrorOf([&] { ParseDatFile("Data Increment: " + std::string(inc) + "\n" + DatRecords(3, 0.25, 2)); })
                  .find("not a plausible spacing"),
              std::string::npos)
        << inc;
  // Without an increment the distance column's spacing is held to the same range.
  EXPECT_NE(ErrorOf([] { ParseDatFile(DatRecords(3, 5.0, 1)); }).find("(5 ft) is not a plausible"), std::string::npos);
  EXPECT_NE(ErrorOf([] { ParseDatFile("Distance (Feet)\n0, 1\n"); }).find("single record"), std::string::npos);
}

TEST(DatFile, WrittenProfileReadsBackExactly) {
  std::mt19937 gen(5);
  std::uniform_real_distribution<float> u(-3000.0f, 3000.0f);
  std::vector<float> z(5000);
  for (float& v : z) v = u(gen);
  for (const double spacing : {0.08202099737532809, 0.25, 0.1 / 0.3048}) {
    const DatFileContents c = ParseDatFile(FormatDatProfile("RUNWAY 09\nsecond line", z, spacing));
    EXPECT_EQ(c.elevations, z);
    EXPECT_EQ(c.spacing, spacing);
    EXPECT_EQ(c.declared_count, 5000);
  }
}

TEST(DistanceColumn, RoundingOfTheWrittenDigits) {
  EXPECT_DOUBLE_EQ(WrittenResolution("0.082"), 0.001);
  EXPECT_DOUBLE_EQ(WrittenResolution(" 12 "), 1.0);
  EXPECT_DOUBLE_EQ(WrittenResolution("-2.50"), 0.01);
  EXPECT_DOUBLE_EQ(WrittenResolution("1.5e-3"), 1e-4);
  EXPECT_DOUBLE_EQ(WrittenResolution("25E+2"), 100.0);
  DistanceColumn same;
  for (int i = 0; i < 3; ++i) same.Add(4.0, "4", i + 1);
  EXPECT_NE(ErrorOf([&] { same.Spacing("the file", "m"); }).find("do not move"), std::string::npos);
}

TEST(DatFile, MalformedFilesAreRefusedNamingTheLine) {
  EXPECT_NE(ErrorOf([] { ParseDatFile("Title\n0, 1\n1, 2\n"); }).find("Distance (Feet)"), std::string::npos);
  for (const char* bad : {"0.5\n", "0.5, abc\n", "0.5, 1, 2\n", "0.5,,1\n", "0.5, nan\n"})
    EXPECT_NE(ErrorOf([&] { ParseDatFile("Title\nData Increment: 0.25\nDistance (Feet)\n0, 1\n" + std::string(bad)); })
                  .find("Line 5"),
              std::string::npos)
        << bad;
}

TEST(SpdFile, HundredthsOfFootPerSecondWholeValuesOnly) {
  // 1000 -> 10 ft/s; -5 -> -0.05; 32767 and -32768 at the ends of the range; the odd byte dropped.
  EXPECT_EQ(ParseSpdFile(Bytes(std::string_view("\xE8\x03\xFB\xFF\xFF\x7F\x00\x80\x07", 9))),
            (std::vector<float>{10.0f, static_cast<float>(-0.05), static_cast<float>(327.67), -327.68f}));
}

TEST(AnalysisProfile, EndCutRoundsHalvesToEvenAndTakesTheSameFromBothEnds) {
  EXPECT_EQ(EndCutSamples(10.0, 0.25), 40);
  EXPECT_EQ(EndCutSamples(0.125, 0.25), 0);  // 0.5 rounds to even 0
  EXPECT_EQ(EndCutSamples(0.375, 0.25), 2);  // 1.5 rounds to even 2
  EXPECT_FALSE(ErrorOf([] { EndCutSamples(1.0e9, 0.001); }).empty());

  std::vector<float> z(200);
  for (std::size_t i = 0; i < z.size(); ++i) z[i] = static_cast<float>(std::sin(0.1 * i) + 0.01 * i);
  const std::vector<float> cut = PrepareAnalysisProfile(z, 40);
  ASSERT_EQ(cut.size(), 120u);
  // Sample k of the cut profile is sample k + 40 of the file, less the line through the new ends.
  for (std::size_t k = 0; k < cut.size(); ++k)
    EXPECT_NEAR(cut[k], (z[k + 40] - z[40]) - (z[159] - z[40]) / 119.0 * static_cast<double>(k), 2e-6) << k;

  // Too few samples left are refused: 82 - 2 x 40 = 2 is enough, 81 is not.
  EXPECT_EQ(PrepareAnalysisProfile(std::span(z).first(82), 40).size(), 2u);
  EXPECT_NE(ErrorOf([&] { PrepareAnalysisProfile(std::span(z).first(81), 40); }).find("fewer than 2"), std::string::npos);
}

TEST(AnalysisProfile, OnlyTheStartAndTheSlopeAreRoundedToSinglePrecision) {
  // Elevations far from the datum, where rounding each difference or product to single
  // precision would move the last digits. The reference works in extended precision: only z1,
  // the slope and the stored elevation are single.
  std::mt19937 gen(11);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  int differs_from_all_single = 0;
  for (int trial = 0; trial < 10; ++trial) {
    const std::size_t n = 1000 + static_cast<std::size_t>(gen() % 20000);
    std::vector<float> z(n);
    for (std::size_t i = 0; i < n; ++i) z[i] = static_cast<float>(1234.567 + 0.013 * static_cast<double>(i) + 3.0 * u(gen));
    const std::vector<float> p = PrepareAnalysisProfile(z, 0);
    ASSERT_EQ(p.size(), n);
    const long double z1 = z.front();
    const auto s = static_cast<float>((static_cast<long double>(z.back()) - z1) / static_cast<long double>(n - 1));
    for (std::size_t i = 0; i < n; ++i) {
      const long double exact = (static_cast<long double>(z[i]) - z1) - static_cast<long double>(s) * static_cast<long double>(i);
      ASSERT_EQ(p[i], static_cast<float>(exact)) << n << " " << i;
      if ((z[i] - z.front()) - s * static_cast<float>(i) != p[i]) ++differs_from_all_single;
    }
  }
  EXPECT_GT(differs_from_all_single, 100);  // the data are such that single intermediates would show
}

TEST(ProFile, LongestProfileFitsTheSectionTables) {
  // The section table is sized with 16-bit counts; a profile longer than the tables hold at the
  // shortest section lengths the settings allow must be refused, not abort when published.
  const auto at_max = static_cast<std::size_t>(MaxProfileLengthFt() / 2.0);
  Settings shortest;
  shortest.SampleSpacing = 2.0;
  shortest.AveragingDistance = FindSetting("AveragingDistance")->min;
  shortest.SectionLengthCAPI = static_cast<float>(FindSetting("SectionLengthCAPI")->min);
  SectionTables t;
  EXPECT_NO_THROW(t.Size(static_cast<std::int32_t>(at_max), shortest));
  EXPECT_THROW(t.Size(static_cast<std::int32_t>(at_max + 100), shortest), std::range_error);
  std::vector<float> z(at_max + 100, 0.0f);
  z.push_back(ProEndMarker());
  z.push_back(2.0f);
  EXPECT_NE(ErrorOf([&] { ParseProFile(FloatBytes(z), 0.25); }).find("at most"), std::string::npos);
  z.erase(z.begin(), z.begin() + 100);
  EXPECT_EQ(ParseProFile(FloatBytes(z), 0.25).elevations.size(), at_max);
}

TEST(ProFileWriting, SavedBytesAndOverwriting) {
  testing::TempDir dir;
  const fs::path file = dir.path() / "saved.pro";
  const std::vector<float> z = {0.0f, 1.0e-7f, -3.5f, 1234.5678f, ProEndMarker() / 2, 0.0f};
  WriteProFile(file, z);
  EXPECT_EQ(ReadFileBytes(file), FloatBytes(z));  // no marker: 4 bytes per sample and nothing else
  // Overwriting replaces the contents entirely (a shorter profile leaves no tail behind).
  WriteProFile(file, std::span(z).first(2));
  EXPECT_EQ(ReadFileBytes(file), FloatBytes({0.0f, 1.0e-7f}));
  // With a spacing the marker and the spacing follow, and the file reads back at it.
  WriteProFile(file, std::span(z).first(3), 0.08202099737532809);
  EXPECT_EQ(ReadFileBytes(file), FloatBytes({0.0f, 1.0e-7f, -3.5f, ProEndMarker(), static_cast<float>(0.08202099737532809)}));
  const ProFileContents back = ParseProFile(ReadFileBytes(file), 1.0);
  EXPECT_EQ(back.elevations, (std::vector<float>{0.0f, 1.0e-7f, -3.5f}));
  EXPECT_EQ(back.spacing, static_cast<double>(static_cast<float>(0.08202099737532809)));
}

TEST(FileReading, OnlyRegularFilesAndNoMoreThanAllowed) {
  testing::TempDir dir;
  const fs::path fifo = dir.path() / "pipe.pro";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const fs::path zero = dir.path() / "zero.pro";
  fs::create_symlink("/dev/zero", zero);
  // Neither may block nor grow without end: both are refused before a byte is read.
  EXPECT_NE(ErrorOf([&] { ReadFileBytes(fifo); }).find("not a regular file"), std::string::npos);
  EXPECT_NE(ErrorOf([&] { ReadFileBytes(zero); }).find("not a regular file"), std::string::npos);
  EXPECT_NE(ErrorOf([&] { ReadFileBytes(dir.path()); }).find("is a folder"), std::string::npos);
  EXPECT_NE(ErrorOf([&] { ReadFileBytes(dir.path() / "none.pro"); }).find("does not exist"), std::string::npos);
  const fs::path ten = dir.path() / "ten.bin";
  testing::WriteText(ten.string(), "0123456789");
  EXPECT_EQ(ReadFileBytes(ten, 10).size(), 10u);
  const std::string big = ErrorOf([&] { ReadFileBytes(ten, 8, "the 8 bytes its header promises"); });
  EXPECT_EQ(big, "The file " + ten.string() + " holds 10 bytes, more than the 8 bytes its header promises.");
  // A link to a regular file is followed.
  fs::create_symlink(ten, dir.path() / "link.bin");
  EXPECT_EQ(ReadFileText(dir.path() / "link.bin"), "0123456789");
}

}  // namespace
}  // namespace tarmac
