// tarmac batch and tarmac chart end to end: profiles side by side give the documents and the
// shared lines of a sequential run; the chart rows parse as documented.
#include <gtest/gtest.h>

#include <string>

#include "cli/cmd_batch.h"
#include "workflow/synth.h"
#include "workflow/test_support.h"

namespace tarmac {
namespace {

namespace fs = std::filesystem;
using testing::ReadAll;
using testing::RunShell;
using testing::RunTarmac;

// Every part of a document but its creation time, entry by entry: the zip itself stamps times.
std::string DocumentContent(const fs::path& docx) {
  return RunShell("/usr/bin/python3 -c \"import sys,zipfile,hashlib\n"
                   "z=zipfile.ZipFile(sys.argv[1])\n"
                   "for n in sorted(z.namelist()):\n"
                   "  print(n, hashlib.sha256(z.read(n)).hexdigest() if n!='docProps/core.xml' else '-')\" '" +
                   docx.string() + "'")
      .out;
}

class BatchCli : public ::testing::Test {
 protected:
  void SetUp() override {
    const double spacing = 2.5 / 25.4 / 12 * 10;
    for (const char* sub : {"seq", "par"}) {
      fs::create_directories(dir_.path() / sub);
      for (int i = 0; i < 3; ++i)
        WriteSynthPro(dir_.path() / sub / ("p" + std::to_string(i) + ".pro"),
                      SynthesizeProfile(1800 + 400 * i, spacing, 70 + static_cast<unsigned>(i)), spacing);
    }
  }
  std::string Files(const char* sub) const {
    std::string s;
    for (int i = 0; i < 3; ++i) s += " '" + (dir_.path() / sub / ("p" + std::to_string(i) + ".pro")).string() + "'";
    return s;
  }
  testing::TempDir dir_;
};

TEST_F(BatchCli, TwoJobsGiveTheDocumentsAndLineOrderOfTheSequentialRun) {
  const auto seq = RunTarmac("batch --taxiway" + Files("seq"));
  ASSERT_EQ(seq.rc, 0) << seq.out;
  const auto par = RunTarmac("batch --taxiway --jobs 2" + Files("par"));
  ASSERT_EQ(par.rc, 0) << par.out;
  const fs::path s = dir_.path() / "seq", p = dir_.path() / "par";
  for (int i = 0; i < 3; ++i) {
    const std::string name = "p" + std::to_string(i);
    EXPECT_NE(par.out.find("report: " + (p / "WordFile" / (name + ".docx")).string()), std::string::npos);
    const std::string ca = DocumentContent(s / "WordFile" / (name + ".docx"));
    EXPECT_NE(ca.find("word/document.xml"), std::string::npos) << name;
    EXPECT_EQ(ca, DocumentContent(p / "WordFile" / (name + ".docx"))) << name;
    EXPECT_EQ(DocumentContent(s / "ChartFile" / (name + "Chart.docx")),
              DocumentContent(p / "ChartFile" / (name + "Chart.docx")));
  }
  // The shared files: the same lines in input order, the folder name aside.
  for (const char* shared : {"BoeingBumpPDFs.txt", "Results.txt"}) {
    std::string a = ReadAll(s / shared), b = ReadAll(p / shared);
    ASSERT_FALSE(a.empty()) << shared;
    for (std::size_t at; (at = a.find("/seq/")) != std::string::npos;) a.replace(at, 5, "/x/");
    for (std::size_t at; (at = b.find("/par/")) != std::string::npos;) b.replace(at, 5, "/x/");
    EXPECT_EQ(a, b) << shared;
  }
}

TEST_F(BatchCli, ChartCommandWritesTheRowsAsked) {
  const std::string pro = " '" + (dir_.path() / "seq" / "p0.pro").string() + "'";
  const auto r = RunTarmac("chart" + pro + " --rows 1-2,4 --batch");
  EXPECT_EQ(r.rc, 0) << r.out;
  EXPECT_NE(r.out.find("(3 charts)"), std::string::npos) << r.out;
  EXPECT_TRUE(fs::exists(dir_.path() / "seq" / "ChartFile" / "p0Chart.docx"));
  const auto refused = RunTarmac("chart" + pro + " --rows 0-3", "2>&1");
  EXPECT_NE(refused.rc, 0);
  EXPECT_NE(refused.out.find("--rows"), std::string::npos) << refused.out;

  std::vector<int> rows;
  ASSERT_TRUE(cli::ParseChartRows("1-10", rows));
  EXPECT_EQ(rows.size(), 10u);
  ASSERT_TRUE(cli::ParseChartRows("6,2-3,3", rows));
  EXPECT_EQ(rows, (std::vector<int>{6, 2, 3}));  // in order given, without repeats
  for (const char* bad : {"", "0", "11", "3-2", "1-", "a", "1,,2", "2-12"})
    EXPECT_FALSE(cli::ParseChartRows(bad, rows)) << bad;
}

}  // namespace
}  // namespace tarmac
