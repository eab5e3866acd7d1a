#include "workflow/profile_io.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "test_support.h"

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
  const DatFileContents c = ParseDatFile(text, 0.0820209974);
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
    EXPECT_EQ(ParseDatFile("Data Points: " + count + "\n" + body, 0.25).elevations.size(), n) << count;
  const DatFileContents c = ParseDatFile("Data Increment: n/a\nData Points: many\n" + body, 0.3);
  EXPECT_EQ(c.spacing, 0.3);  // a spacing that is not numeric is ignored
  EXPECT_EQ(c.elevations[8], 12.0f);  // 8 % 7 = 1 ft
}

TEST(DatFile, MalformedFilesAreRefusedNamingTheLine) {
  EXPECT_NE(ErrorOf([] { ParseDatFile("Title\n0, 1\n1, 2\n", 0.25); }).find("Distance (Feet)"), std::string::npos);
  for (const char* bad : {"0.5\n", "0.5, abc\n", "0.5, 1, 2\n", "0.5,,1\n", "0.5, nan\n"})
    EXPECT_NE(ErrorOf([&] { ParseDatFile("Title\nData Increment: 0.25\nDistance (Feet)\n0, 1\n" + std::string(bad), 0.25); })
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

TEST(ProFileWriting, SavedBytesAndOverwriting) {
  testing::TempDir dir;
  const fs::path file = dir.path() / "saved.pro";
  const std::vector<float> z = {0.0f, 1.0e-7f, -3.5f, 1234.5678f, ProEndMarker() / 2, 0.0f};
  WriteProFile(file, z);
  EXPECT_EQ(ReadFileBytes(file), FloatBytes(z));  // no marker: 4 bytes per sample and nothing else
  // Overwriting replaces the contents entirely (a shorter profile leaves no tail behind).
  WriteProFile(file, std::span(z).first(2));
  EXPECT_EQ(ReadFileBytes(file), FloatBytes({0.0f, 1.0e-7f}));
  // With a spacing the encoder appends the marker and the spacing.
  EXPECT_EQ(Bytes(EncodeProFile(std::span(z).first(1), 0.25)), FloatBytes({0.0f, ProEndMarker(), 0.25f}));
}

}  // namespace
}  // namespace tarmac
