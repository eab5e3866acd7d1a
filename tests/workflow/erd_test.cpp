#include "workflow/erd.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "test_support.h"

namespace tarmac {
namespace {

using testing::ErrorOf;
using testing::FloatBytes;

TEST(Erd, MetricAndImperialChannelsReadInInchesAndFeet) {
  // Elevations in mm and in m, distance in metres, blanks and commas between values, CRLF.
  const char* const two =
      "ERDFILEV2.00\r\n2,4,-1,1,5,0.025,-1\r\n"
      "TITLE   ,Runway 09/27 left wheel path, survey of May\r\n"
      "SHORTNAM,Left,Right\r\nUNITSNAM,mm,m\r\nXLABEL  ,Distance\r\nXUNITS  ,m\r\nSITE    ,North apron\r\nEND\r\n"
      "12.7, 0.0254\r\n-25.4 -0.00127\r\n0,0\r\n1.5, 1e-3\r\n";
  const ErdChannel left = ReadErd(two, 1);
  EXPECT_EQ(left.title, "Runway 09/27 left wheel path, survey of May");
  EXPECT_DOUBLE_EQ(left.spacing_ft, 0.025 / 0.3048);
  ASSERT_EQ(left.values.size(), 4u);
  EXPECT_FLOAT_EQ(left.values[1], -1.0f);
  EXPECT_FLOAT_EQ(left.values[3], static_cast<float>(1.5 / 25.4));
  const ErdChannel right = ReadErd(two, 2);
  ASSERT_EQ(right.values.size(), 4u);
  EXPECT_FLOAT_EQ(right.values[1], -0.05f);
  EXPECT_FLOAT_EQ(right.values[3], static_cast<float>(1.0 / 25.4));

  const std::string ft = "ERDFILEV2.00\n3,2,-1,1,5,0.5,-1\nSHORTNAM,a,b,c\nUNITSNAM,ft,IN,m/s\nXUNITS  ,ft\nEND\n"
                         "1 2 3.048\n-0.5 0.25 0\n";
  EXPECT_EQ(ReadErd(ft, 1).values, (std::vector<float>{12.0f, -6.0f}));
  EXPECT_EQ(ReadErd(ft, 2).values, (std::vector<float>{2.0f, 0.25f}));
  const ErdChannel speed = ReadErd(ft, 3);
  EXPECT_FLOAT_EQ(speed.values[0], 10.0f);
  EXPECT_EQ(speed.spacing_ft, 0.5);
}

TEST(Erd, PublicDatabaseHeaderWithFixedFieldsReads) {
  // A long-term pavement performance header: blank-padded counts with a trailing comma, keyword
  // values in fixed eight-character fields without commas, unused keywords, a blank line.
  std::string text =
      "ERDFILEV2.00\n"
      "      3,      4,     -1,      1,      5,       0.0250,     -1,\n"
      "TITLE   LTPP SPS Section 06B410SF: Run 1\n"
      "UNITSNAMmm      mm      mm\n"
      "XUNITS  m\n"
      "DATE    11/Apr/1997\n"
      "\n"
      "END\n";
  text += "   2.54   25.40 -12.70\n   0.00  -5.08   1.27\n  12.70   0.00   0.00\n   5.08  50.80 -25.40\n";
  const ErdHeader h = ParseErdHeader(text);
  EXPECT_EQ(h.channels, 3);
  EXPECT_EQ(h.samples, 4);
  EXPECT_EQ(h.units, (std::vector<std::string>{"mm", "mm", "mm"}));
  EXPECT_EQ(h.title, "LTPP SPS Section 06B410SF: Run 1");
  EXPECT_EQ(h.keys.at("DATE"), "11/Apr/1997");
  // Each wheel path is a channel: the centre one in inches, 25 mm apart.
  const ErdChannel centre = ReadErd(text, 2);
  EXPECT_EQ(centre.values, (std::vector<float>{static_cast<float>(25.40 / 25.4), static_cast<float>(-5.08 / 25.4),
                                               0.0f, static_cast<float>(50.80 / 25.4)}));
  EXPECT_DOUBLE_EQ(centre.spacing_ft, 0.025 / 0.3048);
  EXPECT_EQ(centre.channel_names, (std::vector<std::string>{"Channel 1", "Channel 2", "Channel 3"}));

  // Fixed fields keep blanks inside a name; the second line may be blank-separated.
  const std::string named =
      "ERDFILEV2.00\n2 2 -1 1 5 0.25 -1\nSHORTNAMLeft WP Speed\nUNITSNAMin      ft/s\nXUNITS  ft\nEND\n1 30\n2 31\n";
  const std::vector<ErdChannelInfo> list = ErdChannels(ParseErdHeader(named));
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].name, "Left WP");
  EXPECT_EQ(list[1].name, "Speed");
  EXPECT_EQ(list[1].kind, ErdChannelKind::Speed);
  EXPECT_TRUE(list[1].known_unit);
  EXPECT_EQ(ReadErd(named, 1).values, (std::vector<float>{1.0f, 2.0f}));
}

TEST(Erd, ImplausibleValuesAndIntervalsAreRefusedAfterConversion) {
  const auto erd = [](const std::string& interval, const std::string& unit, const std::string& rows) {
    return "ERDFILEV2.00\n1,2,-1,1,5," + interval + ",-1\nUNITSNAM," + unit + "\nXUNITS,m\nEND\n" + rows;
  };
  EXPECT_EQ(ReadErd(erd("0.025", "m", "2.5\n-2.5\n"), 1).values.size(), 2u);  // 98.4 in
  EXPECT_NE(ErrorOf([&] { ReadErd(erd("0.025", "m", "0\n2541\n"), 1); }).find("100039.37 in at sample 2"),
            std::string::npos);
  EXPECT_NE(ErrorOf([&] { ReadErd(erd("0.025", "mm", "1e300\n0\n"), 1); }).find("sample 1"), std::string::npos);
  for (const char* interval : {"1e300", "1e-30", "0.7"})  // 0.7 m is beyond the 2-ft range
    EXPECT_NE(ErrorOf([&] { ReadErd(erd(interval, "mm", "0\n1\n"), 1); }).find("not a plausible spacing"),
              std::string::npos)
        << interval;
  // Values that are no numbers are never written either.
  EXPECT_NE(ErrorOf([] { FormatErd("t", std::vector<float>{1.0f, std::nanf(""), 2.0f}, 0.25); }).find("sample 2"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] { FormatSeriesCsv("d", "v", 1.0, std::vector<float>{1.0f, -INFINITY}, 25.4); }).find("sample 2"),
            std::string::npos);
}

TEST(Erd, HeaderMemoryStaysASmallMultipleOfTheLongestLine) {
  // A 16 MB UNITSNAM line of "in," entries, a 16 MB second line of numbers and a 16 MB SHORTNAM
  // line in fixed fields, each parsed in a child whose address space may grow by only four times
  // the line: a parser that kept one string per entry (about 30 bytes each) runs out of it.
  const std::size_t line = 16u << 20;
  std::string units = "ERDFILEV2.00\n2,2,-1,1,5,0.25,-1\nUNITSNAM";
  while (units.size() < line) units += ",in";
  units += "\nXUNITS,ft\nEND\n1 1\n2 2\n";
  std::string counts = "ERDFILEV2.00\n2";
  while (counts.size() < line) counts += ",1";
  counts += "\nUNITSNAM,in,in\nXUNITS,ft\nEND\n";
  std::string names = "ERDFILEV2.00\n2,2,-1,1,5,0.25,-1\nSHORTNAM" + std::string(line, 'x') +
                      "\nUNITSNAM,in,in\nXUNITS,ft\nEND\n";
  for (const std::string* text : {&units, &counts, &names}) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      std::ifstream statm("/proc/self/statm");
      std::size_t pages = 0;
      statm >> pages;
      const rlim_t budget = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + 4 * line;
      const rlimit limit{budget, budget};
      setrlimit(RLIMIT_AS, &limit);
      try {
        ParseErdHeader(*text);
      } catch (const ProfileFileError&) {
        _exit(0);  // refused: fine, so long as it fitted
      } catch (...) {
        _exit(1);  // out of memory
      }
      _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << text->substr(13, 30);
  }
}

TEST(Erd, BadHeadersAreRefusedNamingTheFault) {
  const std::string h = "ERDFILEV2.00\n1,2,-1,1,5,0.25,-1\n", units = h + "UNITSNAM,in\nXUNITS  ,ft\n";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {units + "1\n2\n", "END"},
      {units + "END\n1\n", "declares 2"},
      {units + "END\n1\n2\n3\n", "3 rows"},
      {units + "END\n1\nx\n", "Line 7"},
      {h + "UNITSNAM,furlong\nXUNITS,ft\nEND\n1\n2\n", "furlong"},
      {h + "XUNITS,ft\nEND\n1\n2\n", "UNITSNAM"},
      {"PROFILE\n", "not an ERD"},
      {"ERDFILEV2.00\n1,2,-1,1,3,0.25,-1\nUNITSNAM,in\nXUNITS,ft\nEND\n", "format 3"},
      {"ERDFILEV2.00\n3,2,-1,1,5,0.25,-1\nUNITSNAM,in,mm\nXUNITS,ft\nEND\n1 2\n3 4\n",
       "declares 3 channels but its UNITSNAM line gives 2 units"},
      {"ERDFILEV2.00\n2,2,-1,1,5,0.25,-1\nSHORTNAM,L\nUNITSNAM,in,mm\nXUNITS,ft\nEND\n1 2\n3 4\n", "SHORTNAM"},
  };
  for (const auto& [text, needle] : cases)
    EXPECT_NE(ErrorOf([&] { ReadErd(text, 1); }).find(needle), std::string::npos) << needle;
  EXPECT_NE(ErrorOf([&] { ReadErd(units + "END\n1\n2\n", 2); }).find("Channel 2"), std::string::npos);
  // Trailing commas name nothing: "in,mm,," is two units.
  EXPECT_EQ(ReadErd("ERDFILEV2.00\n2,2,-1,1,5,0.25,-1\nSHORTNAM,L,R,\nUNITSNAM,in,mm,,\nXUNITS,ft\nEND\n"
                    "1 25.4\n3 50.8\n", 2).values,
            (std::vector<float>{1.0f, 2.0f}));
}

TEST(Erd, ChannelCountIsCappedBeforeAnythingIsSized) {
  // The fuzzer's finding: half a billion channels declared in a 42-byte binary-format header.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_NE(ErrorOf([] { ReadErd("ERDFILEV2.\n511100003,1,-1,0,4,1,4\nEND\n", 1,
                                 [](std::uint64_t) { return std::vector<std::byte>(4); }); }).find("at most 256"),
            std::string::npos);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  const auto many = [](int n) {
    std::string t = "ERDFILEV2.00\n" + std::to_string(n) + ",1,-1,1,5,1,-1\nUNITSNAM";
    for (int k = 0; k < n; ++k) t += ",in";
    t += "\nXUNITS,ft\nEND\n";
    for (int k = 0; k < n; ++k) t += (k ? " " : "") + std::to_string(k);
    return t + "\n";
  };
  EXPECT_EQ(ReadErd(many(256), 256).values, (std::vector<float>{255.0f}));
  EXPECT_NE(ErrorOf([&] { ReadErd(many(257), 1); }).find("257"), std::string::npos);
}

TEST(Erd, BinaryDataComeInterleavedFromTheFetchedBytes) {
  const std::string head = "ERDFILEV2.00\n2,3,-1,1,4,0.25,-1\nSHORTNAM,z,v\nUNITSNAM,mm,ft/s\nXUNITS,ft\nEND\n";
  const std::vector<std::byte> bin = FloatBytes({25.4f, 30.0f, -50.8f, 31.0f, 0.0f, 32.0f});
  const ErdChannel z = ReadErd(head, 1, [&](std::uint64_t) { return bin; });
  ASSERT_EQ(z.values.size(), 3u);
  EXPECT_FLOAT_EQ(z.values[1], -2.0f);
  EXPECT_EQ(ReadErd(head, 2, [&](std::uint64_t) { return bin; }).values, (std::vector<float>{30.0f, 31.0f, 32.0f}));
  EXPECT_NE(ErrorOf([&] { ReadErd(head, 1); }).find("binary"), std::string::npos);
  // A float that fits in metres but not in inches is refused, not read as infinity.
  const std::string in_m = "ERDFILEV2.00\n1,1,-1,1,4,0.1,-1\nSHORTNAM,z\nUNITSNAM,m\nXUNITS,m\nEND\n";
  EXPECT_NE(ErrorOf([&] { ReadErd(in_m, 1, [](std::uint64_t) { return FloatBytes({3.0e38f}); }); }).find("at sample 1"),
            std::string::npos);
}

TEST(SeriesCsv, DistanceFromTheStartAndScaledValues) {
  EXPECT_EQ(FormatSeriesCsv("Distance (m)", "Elevation, left (mm)", 0.3048, std::vector<float>{1.0f, -2.5f, 0.125f}, 25.4),
            "Distance (m),\"Elevation, left (mm)\"\n0,25.4\n0.3048,-63.5\n0.6096,3.175\n");
}

}  // namespace
}  // namespace tarmac
