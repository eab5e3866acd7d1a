#include "workflow/erd.h"

#include <gtest/gtest.h>

#include <bit>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "test_support.h"

namespace tarmac {
namespace {

namespace fs = std::filesystem;
using testing::ErrorOf;
using testing::FloatBytes;


// Two channels, elevations in mm and in m, distance in metres, rows separated by blanks in one
// place and by commas in the others, CRLF line ends.
const char* const kTwoChannelFixture =
    "ERDFILEV2.00\r\n"
    "2,4,-1,1,5,0.025,-1\r\n"
    "TITLE   ,Runway 09/27 left wheel path, survey of May\r\n"
    "SHORTNAM,Left,Right\r\n"
    "UNITSNAM,mm,m\r\n"
    "XLABEL  ,Distance\r\n"
    "XUNITS  ,m\r\n"
    "SITE    ,North apron\r\n"
    "END\r\n"
    "12.7, 0.0254\r\n"
    "-25.4 -0.00127\r\n"
    "0,0\r\n"
    "1.5, 1e-3\r\n";

TEST(Erd, EachChannelOfAMetricFixtureReadsInInchesAndFeet) {
  const ErdChannel left = ReadErd(kTwoChannelFixture, 1);
  EXPECT_EQ(left.name, "Left");
  EXPECT_EQ(left.unit, "mm");
  EXPECT_EQ(left.kind, ErdChannelKind::Elevation);
  EXPECT_EQ(left.title, "Runway 09/27 left wheel path, survey of May");
  EXPECT_EQ(left.channel_names, (std::vector<std::string>{"Left", "Right"}));
  EXPECT_DOUBLE_EQ(left.spacing_ft, 0.025 / 0.3048);
  ASSERT_EQ(left.values.size(), 4u);
  EXPECT_FLOAT_EQ(left.values[0], 0.5f);
  EXPECT_FLOAT_EQ(left.values[1], -1.0f);
  EXPECT_EQ(left.values[2], 0.0f);
  EXPECT_FLOAT_EQ(left.values[3], static_cast<float>(1.5 / 25.4));

  const ErdChannel right = ReadErd(kTwoChannelFixture, 2);
  EXPECT_EQ(right.name, "Right");
  ASSERT_EQ(right.values.size(), 4u);
  EXPECT_FLOAT_EQ(right.values[0], 1.0f);
  EXPECT_FLOAT_EQ(right.values[1], -0.05f);
  EXPECT_FLOAT_EQ(right.values[3], static_cast<float>(1.0 / 25.4));

  const ErdHeader h = ParseErdHeader(kTwoChannelFixture);
  EXPECT_EQ(h.keys.at("SITE"), "North apron");
  EXPECT_EQ(h.format_key, kErdTextFormat);
}

TEST(Erd, WrittenProfileAndSpeedReadBackToTheSameValues) {
  std::mt19937 gen(3);
  std::uniform_real_distribution<float> u(-3.0f, 3.0f);
  std::vector<float> z(2000), v(2000);
  for (std::size_t i = 0; i < z.size(); ++i) {
    z[i] = u(gen) * std::pow(10.0f, u(gen));  // values over six decades need all 9 digits
    v[i] = 30.0f + u(gen);
  }
  z[7] = -0.0f;
  const double spacing = 0.08202099737532809;
  const std::string text = FormatErd("Taxiway A\nline two", z, spacing, v);
  const ErdChannel back = ReadErd(text, 1);
  EXPECT_EQ(back.values, z);
  EXPECT_EQ(back.spacing_ft, spacing);
  EXPECT_EQ(back.title, "Taxiway A line two");
  const ErdChannel speed = ReadErd(text, 2);
  EXPECT_EQ(speed.kind, ErdChannelKind::Speed);
  EXPECT_EQ(speed.unit, "ft/s");
  EXPECT_EQ(speed.values, v);

  // A profile alone makes a one-channel file; a speed of another length is refused.
  EXPECT_EQ(ParseErdHeader(FormatErd("t", z, 0.25)).channels, 1);
  EXPECT_FALSE(ErrorOf([&] { FormatErd("t", z, 0.25, std::span(v).first(10)); }).empty());
  EXPECT_FALSE(ErrorOf([&] { FormatErd("t", {}, 0.25); }).empty());

  const fs::path file = fs::temp_directory_path() / ("tarmac_erd_" + std::to_string(gen()) + ".erd");
  WriteErdFile(file, "file", z, 0.25);
  EXPECT_EQ(ReadErdFile(file, 1).values, z);
  fs::remove(file);
}

TEST(Erd, FeetAndInchChannelsAndSpeedUnitsConvert) {
  const std::string text =
      "ERDFILEV2.00\n3,2,-1,1,5,0.5,-1\nSHORTNAM,a,b,c\nUNITSNAM,ft,IN,m/s\nXUNITS  ,ft\nEND\n"
      "1 2 3.048\n-0.5 0.25 0\n";
  EXPECT_EQ(ReadErd(text, 1).values, (std::vector<float>{12.0f, -6.0f}));
  EXPECT_EQ(ReadErd(text, 2).values, (std::vector<float>{2.0f, 0.25f}));
  const ErdChannel s = ReadErd(text, 3);
  EXPECT_EQ(s.kind, ErdChannelKind::Speed);
  EXPECT_FLOAT_EQ(s.values[0], 10.0f);
  EXPECT_EQ(s.spacing_ft, 0.5);
}

TEST(Erd, BadHeadersAreRefusedClearly) {
  const std::string good_head = "ERDFILEV2.00\n1,2,-1,1,5,0.25,-1\nUNITSNAM,in\nXUNITS  ,ft\n";
  EXPECT_NE(ErrorOf([&] { ReadErd(good_head + "1\n2\n", 1); }).find("END"), std::string::npos);
  EXPECT_NE(ErrorOf([&] { ReadErd(good_head + "END\n1\n", 1); }).find("declares 2"), std::string::npos);
  EXPECT_NE(ErrorOf([&] { ReadErd(good_head + "END\n1\n2\n3\n", 1); }).find("3 rows"), std::string::npos);
  EXPECT_NE(ErrorOf([&] { ReadErd(good_head + "END\n1\nx\n", 1); }).find("Line 7"), std::string::npos);
  EXPECT_NE(ErrorOf([&] { ReadErd(good_head + "END\n1\n1e300\n", 1); }).find("Line 7"), std::string::npos);
  EXPECT_NE(ErrorOf([&] { ReadErd(good_head + "END\n1\n2\n", 2); }).find("Channel 2"), std::string::npos);
  EXPECT_NE(ErrorOf([&] { ReadErd(good_head + "END\n1\n2\n", 0); }).find("Channel 0"), std::string::npos);
  EXPECT_NE(ErrorOf([] { ReadErd("ERDFILEV2.00\n1,2,-1,1,5,0.25,-1\nUNITSNAM,furlong\nXUNITS,ft\nEND\n1\n2\n", 1); })
                .find("furlong"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] { ReadErd("ERDFILEV2.00\n1,2,-1,1,5,0.25,-1\nUNITSNAM,in\nXUNITS,yd\nEND\n1\n2\n", 1); })
                .find("yd"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] { ReadErd("ERDFILEV2.00\n1,2,-1,1,5,0.25,-1\nXUNITS,ft\nEND\n1\n2\n", 1); })
                .find("UNITSNAM"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] { ReadErd("ERDFILEV2.00\n1,2,-1,1,5,0.25,-1\nUNITSNAM,in\nEND\n1\n2\n", 1); })
                .find("XUNITS"),
            std::string::npos);
  EXPECT_NE(ErrorOf([] { ReadErd("PROFILE\n", 1); }).find("not an ERD"), std::string::npos);
  EXPECT_NE(ErrorOf([] { ReadErd("ERDFILEV2.00\n1,2,-1\n", 1); }).find("six numbers"), std::string::npos);
  EXPECT_FALSE(ErrorOf([] { ReadErd("ERDFILEV2.00\n1,2,-1,1,5,0,-1\nEND\n", 1); }).empty());
  EXPECT_FALSE(ErrorOf([] { ReadErd("ERDFILEV2.00\n0,2,-1,1,5,0.25,-1\nEND\n", 1); }).empty());
  EXPECT_NE(ErrorOf([] { ReadErd("ERDFILEV2.00\n1,2,-1,1,3,0.25,-1\nUNITSNAM,in\nXUNITS,ft\nEND\n", 1); })
                .find("format 3"),
            std::string::npos);
}

TEST(Erd, ChannelCountMustMatchTheUnitsBeforeAnythingIsSized) {
  // The fuzzer's finding: half a billion channels declared in a 42-byte binary-format header.
  const std::string huge = "ERDFILEV2.\n511100003,1,-1,0,4,1,4\nEND\n";
  const auto start = std::chrono::steady_clock::now();
  EXPECT_NE(ErrorOf([&] { ReadErd(huge, 1, [] { return std::vector<std::byte>(4); }); }).find("at most 256"),
            std::string::npos);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));

  // Within the cap, the count is believed only when UNITSNAM gives as many units.
  const std::string three_declared =
      "ERDFILEV2.00\n3,2,-1,1,5,0.25,-1\nUNITSNAM,in,mm\nXUNITS,ft\nEND\n1 2\n3 4\n";
  EXPECT_NE(ErrorOf([&] { ReadErd(three_declared, 1); }).find("declares 3 channels but its UNITSNAM line gives 2 units"),
            std::string::npos);
  const std::string one_declared =
      "ERDFILEV2.00\n1,2,-1,1,5,0.25,-1\nUNITSNAM,in,mm\nXUNITS,ft\nEND\n1\n3\n";
  EXPECT_NE(ErrorOf([&] { ReadErd(one_declared, 1); }).find("gives 2 units"), std::string::npos);
  const std::string names_short =
      "ERDFILEV2.00\n2,2,-1,1,5,0.25,-1\nSHORTNAM,L\nUNITSNAM,in,mm\nXUNITS,ft\nEND\n1 2\n3 4\n";
  EXPECT_NE(ErrorOf([&] { ReadErd(names_short, 1); }).find("SHORTNAM"), std::string::npos);
  // Trailing commas name nothing: "in,mm,," is two units.
  const std::string trailing =
      "ERDFILEV2.00\n2,2,-1,1,5,0.25,-1\nSHORTNAM,L,R,\nUNITSNAM,in,mm,,\nXUNITS,ft\nEND\n1 25.4\n3 50.8\n";
  EXPECT_EQ(ReadErd(trailing, 2).values, (std::vector<float>{1.0f, 2.0f}));

  // The cap itself: 256 channels read, 257 refused.
  const auto many = [](int n) {
    std::string t = "ERDFILEV2.00\n" + std::to_string(n) + ",1,-1,1,5,1,-1\nUNITSNAM";
    for (int k = 0; k < n; ++k) t += ",in";
    t += "\nXUNITS,ft\nEND\n";
    for (int k = 0; k < n; ++k) t += (k ? " " : "") + std::to_string(k);
    return t + "\n";
  };
  EXPECT_EQ(ReadErd(many(256), 256).values, (std::vector<float>{255.0f}));
  EXPECT_NE(ErrorOf([&] { ReadErd(many(257), 1); }).find("257"), std::string::npos);

  // Every seed and former finding of the fuzzer is refused or read quickly, never anything else.
  for (const char* folder : {"/fuzz/corpus", "/fuzz/findings"}) {
    const fs::path dir = fs::path(TARMAC_SOURCE_DIR) / fs::path(folder).relative_path();
    if (!fs::exists(dir)) continue;
    for (const auto& entry : fs::directory_iterator(dir)) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("erd_", 0) != 0) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(in)), {});
      ASSERT_GE(bytes.size(), 2u) << name;
      const std::string body = bytes.substr(2);
      const auto nul = body.find('\0');
      const std::string header = body.substr(0, nul);
      std::vector<std::byte> bin;
      if (nul != std::string::npos)
        for (std::size_t k = nul + 1; k < body.size(); ++k) bin.push_back(static_cast<std::byte>(body[k]));
      const auto t0 = std::chrono::steady_clock::now();
      try {
        const ErdChannel c = ReadErd(header, 1, [&] { return bin; });
        EXPECT_FALSE(c.values.empty()) << name;
      } catch (const ProfileFileError&) {
      }
      EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(2)) << name;
    }
  }
}


TEST(Erd, BinaryDataComeFromTheFileBesideTheHeader) {
  const std::string head =
      "ERDFILEV2.00\n2,3,-1,1,4,0.25,-1\nSHORTNAM,z,v\nUNITSNAM,mm,ft/s\nXUNITS,ft\nEND\n";
  // Rows interleaved: (z, v) per sample.
  const std::vector<std::byte> bin = FloatBytes({25.4f, 30.0f, -50.8f, 31.0f, 0.0f, 32.0f});
  const auto fetch = [&] { return bin; };
  const ErdChannel z = ReadErd(head, 1, fetch);
  ASSERT_EQ(z.values.size(), 3u);
  EXPECT_FLOAT_EQ(z.values[0], 1.0f);
  EXPECT_FLOAT_EQ(z.values[1], -2.0f);
  EXPECT_EQ(ReadErd(head, 2, fetch).values, (std::vector<float>{30.0f, 31.0f, 32.0f}));

  EXPECT_NE(ErrorOf([&] { ReadErd(head, 1); }).find("binary"), std::string::npos);
  // A float that fits in metres but not in inches is refused, not read as infinity (fuzzing).
  const std::string in_m =
      "ERDFILEV2.00\n1,1,-1,1,4,0.1,-1\nSHORTNAM,z\nUNITSNAM,m\nXUNITS,m\nEND\n";
  const std::vector<std::byte> huge = FloatBytes({3.0e38f});
  EXPECT_NE(ErrorOf([&] { ReadErd(in_m, 1, [&] { return huge; }); }).find("too large"),
            std::string::npos);
  const std::vector<std::byte> short_bin(bin.begin(), bin.end() - 4);
  EXPECT_NE(ErrorOf([&] { ReadErd(head, 1, [&] { return short_bin; }); }).find("20 bytes"),
            std::string::npos);

  const fs::path dir = fs::temp_directory_path() / ("tarmac_erdbin_" + std::to_string(std::random_device{}()));
  fs::create_directories(dir);
  {
    std::ofstream(dir / "run.erd", std::ios::binary) << head;
  }
  EXPECT_NE(ErrorOf([&] { ReadErdFile(dir / "run.erd", 1); }).find("run.bin"), std::string::npos);
  {
    std::ofstream out(dir / "run.bin", std::ios::binary);
    out.write(reinterpret_cast<const char*>(bin.data()), static_cast<std::streamsize>(bin.size()));
  }
  EXPECT_EQ(ReadErdFile(dir / "run.erd", 2).values, (std::vector<float>{30.0f, 31.0f, 32.0f}));
  fs::remove_all(dir);
}

TEST(SeriesCsv, DistanceFromTheStartAndScaledValues) {
  const std::vector<float> v = {1.0f, -2.5f, 0.125f};
  const std::string csv = FormatSeriesCsv("Distance (m)", "Elevation, left (mm)", 0.3048, v, 25.4);
  EXPECT_EQ(csv,
            "Distance (m),\"Elevation, left (mm)\"\n"
            "0,25.4\n"
            "0.3048,-63.5\n"
            "0.6096,3.175\n");
  const fs::path file = fs::temp_directory_path() / ("tarmac_csv_" + std::to_string(std::random_device{}()) + ".csv");
  WriteSeriesCsv(file, "x", "y", 1.0, v, 1.0);
  std::ifstream in(file);
  std::string first;
  std::getline(in, first);
  EXPECT_EQ(first, "x,y");
  in.close();
  fs::remove(file);
}

}  // namespace
}  // namespace tarmac
