// tarmac batch and tarmac chart end to end: profiles side by side give the documents and the
// shared lines of a sequential run; the chart rows parse as documented.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "cli/cmd_batch.h"
#include "workflow/synth.h"

namespace tarmac {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

std::string Shell(const std::string& cmd, int* status) {
  FILE* p = popen(cmd.c_str(), "r");
  std::string out;
  char buf[4096];
  while (std::size_t n = fread(buf, 1, sizeof buf, p)) out.append(buf, n);
  *status = pclose(p);
  return out;
}

// Every part of a document but its creation time, entry by entry: the zip itself stamps times.
std::string DocumentContent(const fs::path& docx) {
  int status = 0;
  const std::string cmd =
      "/usr/bin/python3 -c \"import sys,zipfile,hashlib\n"
      "z=zipfile.ZipFile(sys.argv[1])\n"
      "for n in sorted(z.namelist()):\n"
      "  print(n, hashlib.sha256(z.read(n)).hexdigest() if n!='docProps/core.xml' else '-')\" '" +
      docx.string() + "'";
  return Shell(cmd, &status);
}

class BatchCli : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    root_ = fs::temp_directory_path() / ("tarmac-batchcli-" + std::to_string(std::random_device{}()));
    const double spacing = 2.5 / 25.4 / 12 * 10;
    for (const char* sub : {"seq", "par"}) {
      fs::create_directories(root_ / sub);
      for (int i = 0; i < 3; ++i) {
        const auto z = SynthesizeProfile(1800 + 400 * i, spacing, 70 + static_cast<unsigned>(i));
        WriteSynthPro(root_ / sub / ("p" + std::to_string(i) + ".pro"), z, spacing);
      }
    }
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  std::string Files(const char* sub) const {
    std::string s;
    for (int i = 0; i < 3; ++i) s += " '" + (root_ / sub / ("p" + std::to_string(i) + ".pro")).string() + "'";
    return s;
  }
  fs::path root_;
};

TEST_F(BatchCli, TwoJobsGiveTheDocumentsAndLineOrderOfTheSequentialRun) {
  const std::string tarmac = TARMAC_BINARY_DIR "/src/cli/tarmac";
  int st = 0;
  const std::string seq = Shell(tarmac + " batch --taxiway" + Files("seq") + " 2>/dev/null", &st);
  ASSERT_EQ(st, 0) << seq;
  const std::string par = Shell(tarmac + " batch --taxiway --jobs 2" + Files("par") + " 2>/dev/null", &st);
  ASSERT_EQ(st, 0) << par;
  for (int i = 0; i < 3; ++i) {
    const std::string name = "p" + std::to_string(i);
    EXPECT_NE(par.find("report: " + (root_ / "par" / "WordFile" / (name + ".docx")).string()),
              std::string::npos);
    const fs::path a = root_ / "seq" / "WordFile" / (name + ".docx");
    const fs::path b = root_ / "par" / "WordFile" / (name + ".docx");
    ASSERT_TRUE(fs::exists(a) && fs::exists(b));
    const std::string ca = DocumentContent(a), cb = DocumentContent(b);
    EXPECT_NE(ca.find("word/document.xml"), std::string::npos);
    EXPECT_EQ(ca, cb) << name;
    EXPECT_EQ(DocumentContent(root_ / "seq" / "ChartFile" / (name + "Chart.docx")),
              DocumentContent(root_ / "par" / "ChartFile" / (name + "Chart.docx")));
  }
  // The shared files: the same lines in input order, the folder name aside.
  for (const char* shared : {"BoeingBumpPDFs.txt", "Results.txt"}) {
    std::string s = Slurp(root_ / "seq" / shared), p = Slurp(root_ / "par" / shared);
    ASSERT_FALSE(s.empty()) << shared;
    for (std::size_t at; (at = s.find("/seq/")) != std::string::npos;) s.replace(at, 5, "/x/");
    for (std::size_t at; (at = p.find("/par/")) != std::string::npos;) p.replace(at, 5, "/x/");
    EXPECT_EQ(s, p) << shared;
  }
}

TEST_F(BatchCli, ChartCommandWritesTheRowsAsked) {
  const std::string tarmac = TARMAC_BINARY_DIR "/src/cli/tarmac";
  int st = 0;
  const std::string out = Shell(tarmac + " chart '" + (root_ / "seq" / "p0.pro").string() +
                                  "' --rows 1-2,4 --batch 2>/dev/null",
                              &st);
  EXPECT_EQ(st, 0) << out;
  EXPECT_NE(out.find("(3 charts)"), std::string::npos) << out;
  EXPECT_TRUE(fs::exists(root_ / "seq" / "ChartFile" / "p0Chart.docx"));
  EXPECT_NE(Shell(tarmac + " chart '" + (root_ / "seq" / "p0.pro").string() + "' --rows 0-3 2>&1", &st)
                .find("--rows"),
            std::string::npos);
  EXPECT_NE(st, 0);
}

TEST(ChartRows, ListsAndRangesInOrderWithoutRepeats) {
  std::vector<int> rows;
  ASSERT_TRUE(cli::ParseChartRows("1-10", rows));
  EXPECT_EQ(rows.size(), 10u);
  ASSERT_TRUE(cli::ParseChartRows("6,2-3,3", rows));
  EXPECT_EQ(rows, (std::vector<int>{6, 2, 3}));
  for (const char* bad : {"", "0", "11", "3-2", "1-", "a", "1,,2", "2-12"})
    EXPECT_FALSE(cli::ParseChartRows(bad, rows)) << bad;
}

}  // namespace
}  // namespace tarmac
