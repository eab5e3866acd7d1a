#include "workflow/profile_io.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
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


using testing::TempDir;


TEST(ProFile, WithoutMarkerEveryValueIsAnElevationAtTheSpacingInForce) {
  // The marker is the single-precision value nearest -1E20, bytes EC 78 AD E0.
  EXPECT_EQ(ProEndMarker(), static_cast<float>(-1.0e20));
  EXPECT_EQ(FloatBytes({ProEndMarker()}), Bytes("\xEC\x78\xAD\xE0"));
  const std::vector<float> z = {1.5f, -2.25f, 3.0f, 0.125f};
  const ProFileContents c = ParseProFile(FloatBytes(z), 0.25);
  EXPECT_EQ(c.elevations, z);
  EXPECT_EQ(c.spacing, 0.25);
  EXPECT_FALSE(c.spacing_from_file);
  EXPECT_EQ(c.ignored_bytes, 0u);

  // A length that is not a multiple of 4: whole values only, the rest reported.
  std::vector<std::byte> b = FloatBytes(z);
  b.insert(b.end(), 3, std::byte{1});
  const ProFileContents odd = ParseProFile(b, 0.25);
  EXPECT_EQ(odd.elevations, z);
  EXPECT_EQ(odd.ignored_bytes, 3u);
}

TEST(ProFile, MarkerGivesSpacingAndValuesAfterItAreIgnored) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const ProFileContents c =
      ParseProFile(FloatBytes({4.0f, 5.0f, 6.0f, ProEndMarker(), 0.5f, nan, 99.0f}), 0.25);
  EXPECT_EQ(c.elevations, (std::vector<float>{4.0f, 5.0f, 6.0f}));
  EXPECT_EQ(c.spacing, 0.5);
  EXPECT_TRUE(c.spacing_from_file);

  // The spacing is the file's single-precision value widened, not a decimal re-reading of it.
  const float s25mm = static_cast<float>(0.08202099737532809);
  const ProFileContents m = ParseProFile(FloatBytes({1.0f, 2.0f, ProEndMarker(), s25mm}), 1.0);
  EXPECT_EQ(m.spacing, static_cast<double>(s25mm));
}

TEST(ProFile, BadFilesAreRefusedWithAClearMessage) {
  const float marker = ProEndMarker();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  EXPECT_NE(ErrorOf([] { ParseProFile({}, 0.25); }).find("empty"), std::string::npos);
  EXPECT_NE(ErrorOf([] { ParseProFile(Bytes("abc"), 0.25); }).find("too short"), std::string::npos);
  EXPECT_NE(ErrorOf([&] { ParseProFile(FloatBytes({1.0f, 2.0f, marker}), 0.25); }).find("no sample spacing"),
            std::string::npos);
  EXPECT_NE(ErrorOf([&] { ParseProFile(FloatBytes({marker, 0.25f}), 0.25); }).find("no elevations"),
            std::string::npos);
  for (const float bad : {0.0f, -0.25f, nan, inf}) {
    EXPECT_NE(ErrorOf([&] { ParseProFile(FloatBytes({1.0f, marker, bad}), 0.25); }).find("spacing"),
              std::string::npos)
        << bad;
  }
  const std::string at3 = ErrorOf([&] { ParseProFile(FloatBytes({1.0f, 2.0f, nan, 4.0f}), 0.25); });
  EXPECT_NE(at3.find("sample 3"), std::string::npos) << at3;
  EXPECT_NE(ErrorOf([&] { ParseProFile(FloatBytes({1.0f, -inf}), 0.25); }).find("sample 2"),
            std::string::npos);
  // An earlier marker would be read as an elevation of -1E20 inches: refused, naming the sample.
  const std::string two = ErrorOf(
      [&] { ParseProFile(FloatBytes({1.0f, 2.0f, marker, 0.5f, 3.0f, marker, 0.25f}), 0.25); });
  EXPECT_NE(two.find("sample 3"), std::string::npos) << two;
  // A spacing in force that is no spacing at all cannot be used either.
  EXPECT_FALSE(ErrorOf([] { ParseProFile(FloatBytes({1.0f}), 0.0); }).empty());
}

TEST(DatFile, HeaderSpacingCountAndRecordsInInches) {
  const std::string text =
      "Profile of RUNWAY 09\r\n"
      "Data Increment: 0.25\r\n"
      "Data Points: 4\r\n"
      "Distance (Feet)   Elevation (Feet)\r\n"
      "0.000, 101.5\r\n"
      "0.250 101.25\r\n"
      "0.5\t,\t100.75\r\n"
      "\r\n"
      "  0.75   -2\r\n"
      "1.0, 7\r\n";  // beyond the declared count: not read
  const DatFileContents c = ParseDatFile(text, 0.0820209974);
  EXPECT_EQ(c.spacing, 0.25);
  EXPECT_TRUE(c.spacing_from_file);
  ASSERT_TRUE(c.declared_count.has_value());
  EXPECT_EQ(*c.declared_count, 4);
  EXPECT_EQ(c.header_lines, 4);
  EXPECT_EQ(c.elevations, (std::vector<float>{static_cast<float>(101.5 * 12), static_cast<float>(101.25 * 12),
                                             static_cast<float>(100.75 * 12), -24.0f}));
}

TEST(DatFile, CountsBeyondTheFileAndMissingCountsReadWhatIsHeld) {
  std::string body;
  for (int i = 0; i < 900; ++i) body += std::to_string(0.25 * i) + ", " + std::to_string(i % 7) + "\n";
  const std::string heading = "Distance (Feet)  Elevation (Feet)\n";
  EXPECT_EQ(ParseDatFile("Data Points: 1000\n" + heading + body, 0.25).elevations.size(), 900u);
  // A count far beyond anything must not size the arrays.
  EXPECT_EQ(ParseDatFile("Data Points: 2000000000\n" + heading + body, 0.25).elevations.size(), 900u);
  EXPECT_EQ(ParseDatFile("Data Points: 1e15\n" + heading + body, 0.25).elevations.size(), 900u);
  EXPECT_EQ(ParseDatFile(heading + body, 0.25).elevations.size(), 900u);
  // The count is rounded halves to even: 2.5 -> 2 records, 3.5 -> 4.
  EXPECT_EQ(ParseDatFile("Data Points: 2.5\n" + heading + body, 0.25).elevations.size(), 2u);
  EXPECT_EQ(ParseDatFile("Data Points: 3.5\n" + heading + body, 0.25).elevations.size(), 4u);
  // A count that is not numeric is ignored, as is a spacing that is not.
  const DatFileContents c = ParseDatFile("Data Increment: n/a\nData Points: many\n" + heading + body, 0.3);
  EXPECT_EQ(c.spacing, 0.3);
  EXPECT_FALSE(c.spacing_from_file);
  EXPECT_FALSE(c.declared_count.has_value());
  EXPECT_EQ(c.elevations.size(), 900u);
  EXPECT_EQ(c.elevations[8], 12.0f);  // 8 % 7 = 1 ft
}

TEST(DatFile, MalformedFilesAreRefusedNamingTheLine) {
  const std::string head = "Title\nData Increment: 0.25\nDistance (Feet)\n";
  EXPECT_NE(ErrorOf([] { ParseDatFile("Title\n0, 1\n1, 2\n", 0.25); }).find("Distance (Feet)"),
            std::string::npos);
  for (const char* bad : {"0.5\n", "0.5, abc\n", "0.5, 1, 2\n", "0.5,,1\n", "0.5, nan\n", "0.5, 1,\n"}) {
    const std::string msg = ErrorOf([&] { ParseDatFile(head + "0, 1\n" + bad, 0.25); });
    EXPECT_NE(msg.find("Line 5"), std::string::npos) << bad << " -> " << msg;
  }
  EXPECT_NE(ErrorOf([] { ParseDatFile("Data Increment: -0.25\nDistance (Feet)\n0, 1\n", 0.25); })
                .find("spacing"),
            std::string::npos);
  EXPECT_NE(ErrorOf([&] { ParseDatFile(head, 0.25); }).find("no elevation"), std::string::npos);
}

TEST(SpdFile, HundredthsOfFootPerSecondWholeValuesOnly) {
  // 1000 -> 10 ft/s; -5 -> -0.05; 32767 and -32768 at the ends of the range.
  EXPECT_EQ(ParseSpdFile(Bytes(std::string_view("\xE8\x03\xFB\xFF\xFF\x7F\x00\x80\x07", 9))),
            (std::vector<float>{10.0f, static_cast<float>(-0.05), static_cast<float>(327.67), -327.68f}));
  EXPECT_TRUE(ParseSpdFile({}).empty());
}

TEST(AnalysisProfile, EndCutRemovesTheSameLengthFromBothEnds) {
  EXPECT_EQ(EndCutSamples(0.0, 0.25), 0);
  EXPECT_EQ(EndCutSamples(10.0, 0.25), 40);
  EXPECT_EQ(EndCutSamples(0.125, 0.25), 0);  // 0.5 rounds to even 0
  EXPECT_EQ(EndCutSamples(0.375, 0.25), 2);  // 1.5 rounds to even 2
  EXPECT_FALSE(ErrorOf([] { EndCutSamples(1.0e9, 0.001); }).empty());
  EXPECT_FALSE(ErrorOf([] { EndCutSamples(-1.0, 0.25); }).empty());
  EXPECT_FALSE(ErrorOf([] { EndCutSamples(1.0, 0.0); }).empty());

  std::vector<float> z(200);
  for (std::size_t i = 0; i < z.size(); ++i) z[i] = static_cast<float>(std::sin(0.1 * i) + 0.01 * i);
  const std::vector<float> uncut = PrepareAnalysisProfile(z, 0);
  EXPECT_EQ(uncut.size(), 200u);
  const std::vector<float> cut = PrepareAnalysisProfile(z, EndCutSamples(10.0, 0.25));
  ASSERT_EQ(cut.size(), 120u);
  // Sample k of the cut profile is sample k + 40 of the file, less the line through the new ends.
  const double z1 = z[40], zn = z[159];
  for (std::size_t k = 0; k < cut.size(); ++k) {
    const double expected = (z[k + 40] - z1) - (zn - z1) / 119.0 * static_cast<double>(k);
    EXPECT_NEAR(cut[k], expected, 2e-6) << k;
  }
  EXPECT_EQ(cut.front(), 0.0f);
  EXPECT_NEAR(cut.back(), 0.0f, 1e-6f);
}

TEST(AnalysisProfile, EndsAtZeroAndALineVanishesForLongProfiles) {
  // Property over many random profiles: both ends are 0 to single precision, and a profile that
  // is a straight line plus noise keeps only the noise's own deviation from its end-to-end line.
  std::mt19937 gen(7);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  for (int trial = 0; trial < 20; ++trial) {
    const std::size_t n = 2 + static_cast<std::size_t>(gen() % 150000);
    const float a = 100.0f * u(gen), b = 0.1f * u(gen);
    std::vector<float> z(n), noise(n);
    for (std::size_t i = 0; i < n; ++i) {
      noise[i] = 0.05f * u(gen);
      z[i] = a + b * static_cast<float>(i) + noise[i];
    }
    const std::vector<float> p = PrepareAnalysisProfile(z, 0);
    ASSERT_EQ(p.size(), n);
    EXPECT_EQ(p.front(), 0.0f);
    EXPECT_NEAR(p.back(), 0.0f, 4.0f * std::numeric_limits<float>::epsilon() * std::fabs(z.back() - a) + 1e-6f);
    const double slope = (static_cast<double>(noise.back()) - noise.front()) / static_cast<double>(n - 1);
    for (std::size_t i = 0; i < n; i += n / 50 + 1) {
      const double expected = noise[i] - noise.front() - slope * static_cast<double>(i);
      EXPECT_NEAR(p[i], expected, 1e-3 + 2e-7 * std::fabs(b) * static_cast<double>(i)) << n << " " << i;
    }
  }
}

TEST(AnalysisProfile, OnlyTheStartAndTheSlopeAreRoundedToSinglePrecision) {
  // Elevations of a survey in inches far from the datum, where rounding each difference or each
  // product to single precision would move the last digits. The reference works in extended
  // precision: only z1, the slope and the stored elevation are single.
  std::mt19937 gen(11);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  int differs_from_all_single = 0;
  for (int trial = 0; trial < 10; ++trial) {
    const std::size_t n = 1000 + static_cast<std::size_t>(gen() % 20000);
    std::vector<float> z(n);
    for (std::size_t i = 0; i < n; ++i) {
      z[i] = static_cast<float>(1234.567 + 0.013 * static_cast<double>(i) + 3.0 * u(gen));
    }
    const std::vector<float> p = PrepareAnalysisProfile(z, 0);
    ASSERT_EQ(p.size(), n);
    const long double z1 = z.front();
    const auto s = static_cast<float>((static_cast<long double>(z.back()) - z1) /
                                      static_cast<long double>(n - 1));
    for (std::size_t i = 0; i < n; ++i) {
      const long double exact = (static_cast<long double>(z[i]) - z1) -
                                static_cast<long double>(s) * static_cast<long double>(i);
      ASSERT_EQ(p[i], static_cast<float>(exact)) << n << " " << i;
      const float all_single = (z[i] - z.front()) - s * static_cast<float>(i);
      if (all_single != p[i]) ++differs_from_all_single;
    }
  }
  // The data are such that single-precision intermediates would show.
  EXPECT_GT(differs_from_all_single, 100);
}

TEST(AnalysisProfile, TooFewSamplesLeftAreRefused) {
  const std::vector<float> z(82, 1.0f);
  EXPECT_EQ(PrepareAnalysisProfile(z, 40).size(), 2u);
  EXPECT_NE(ErrorOf([&] { PrepareAnalysisProfile(std::span(z).first(81), 40); }).find("fewer than 2"),
            std::string::npos);
  EXPECT_FALSE(ErrorOf([&] { PrepareAnalysisProfile(std::span(z).first(1), 0); }).empty());
  EXPECT_FALSE(ErrorOf([&] { PrepareAnalysisProfile(z, 50); }).empty());
  EXPECT_FALSE(ErrorOf([&] { PrepareAnalysisProfile(z, -1); }).empty());
}

TEST(ProFileWriting, SavedProfileReadsBackAtTheSpacingInForce) {
  TempDir dir;
  const fs::path file = dir.path() / "saved.pro";
  const std::vector<float> z = {0.0f, 1.0e-7f, -3.5f, 1234.5678f, ProEndMarker() / 2, 0.0f};
  WriteProFile(file, z);
  EXPECT_EQ(fs::file_size(file), 4 * z.size());
  const std::vector<std::byte> bytes = ReadFileBytes(file);
  EXPECT_EQ(bytes, FloatBytes(z));
  const ProFileContents back = ParseProFile(bytes, 0.3);
  EXPECT_EQ(back.elevations, z);
  EXPECT_EQ(back.spacing, 0.3);

  // Overwriting replaces the contents entirely (a shorter profile leaves no tail behind).
  WriteProFile(file, std::span(z).first(2));
  EXPECT_EQ(ReadFileBytes(file), FloatBytes({0.0f, 1.0e-7f}));

  // With a spacing the encoder appends the marker and the spacing.
  EXPECT_EQ(Bytes(EncodeProFile(std::span(z).first(1), 0.25)), FloatBytes({0.0f, ProEndMarker(), 0.25f}));
}

TEST(ProFileWriting, FailuresThrowAndLeaveWhatWasThere) {
  TempDir dir;
  const fs::path file = dir.path() / "keep.pro";
  WriteProFile(file, std::vector<float>{1.0f, 2.0f});

  // A folder in the way of the target: refused, the folder and its contents stay.
  const fs::path folder = dir.path() / "folder.pro";
  fs::create_directories(folder / "inside");
  EXPECT_NE(ErrorOf([&] { WriteProFile(folder, std::vector<float>{3.0f}); }).find("folder.pro"),
            std::string::npos);
  EXPECT_TRUE(fs::is_directory(folder / "inside"));

  // A folder that does not exist: refused with the path in the message.
  const fs::path missing = dir.path() / "no" / "such" / "x.pro";
  EXPECT_NE(ErrorOf([&] { WriteProFile(missing, std::vector<float>{3.0f}); }).find("x.pro"),
            std::string::npos);

  // No temporary files are left beside the targets, and the first file is untouched.
  int entries = 0;
  for (const auto& e : fs::directory_iterator(dir.path())) {
    ++entries;
    EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
  }
  EXPECT_EQ(entries, 2);
  EXPECT_EQ(ReadFileBytes(file), FloatBytes({1.0f, 2.0f}));
}

TEST(ReadingFiles, MissingFilesAndFoldersGetClearMessages) {
  TempDir dir;
  const std::string missing = ErrorOf([&] { ReadFileBytes(dir.path() / "nothing.pro"); });
  EXPECT_NE(missing.find("nothing.pro"), std::string::npos);
  EXPECT_NE(missing.find("does not exist"), std::string::npos);
  EXPECT_NE(ErrorOf([&] { ReadFileBytes(dir.path()); }).find("folder"), std::string::npos);
  std::ofstream(dir.path() / "t.dat", std::ios::binary) << "a\r\nb";
  EXPECT_EQ(ReadFileText(dir.path() / "t.dat"), "a\r\nb");
  std::ofstream(dir.path() / "empty.pro", std::ios::binary).close();
  EXPECT_TRUE(ReadFileBytes(dir.path() / "empty.pro").empty());
}

}  // namespace
}  // namespace tarmac
