#include "workflow/erd.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
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
                                 [] { return std::vector<std::byte>(4); }); }).find("at most 256"),
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
  const ErdChannel z = ReadErd(head, 1, [&] { return bin; });
  ASSERT_EQ(z.values.size(), 3u);
  EXPECT_FLOAT_EQ(z.values[1], -2.0f);
  EXPECT_EQ(ReadErd(head, 2, [&] { return bin; }).values, (std::vector<float>{30.0f, 31.0f, 32.0f}));
  EXPECT_NE(ErrorOf([&] { ReadErd(head, 1); }).find("binary"), std::string::npos);
  // A float that fits in metres but not in inches is refused, not read as infinity.
  const std::string in_m = "ERDFILEV2.00\n1,1,-1,1,4,0.1,-1\nSHORTNAM,z\nUNITSNAM,m\nXUNITS,m\nEND\n";
  EXPECT_NE(ErrorOf([&] { ReadErd(in_m, 1, [] { return FloatBytes({3.0e38f}); }); }).find("too large"),
            std::string::npos);
}

TEST(SeriesCsv, DistanceFromTheStartAndScaledValues) {
  EXPECT_EQ(FormatSeriesCsv("Distance (m)", "Elevation, left (mm)", 0.3048, std::vector<float>{1.0f, -2.5f, 0.125f}, 25.4),
            "Distance (m),\"Elevation, left (mm)\"\n0,25.4\n0.3048,-63.5\n0.6096,3.175\n");
}

}  // namespace
}  // namespace tarmac
