#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstring>
#include <nlohmann/json.hpp>
#include <numbers>
#include <string>
#include <tuple>

#include "cli/analysis_json.h"
#include "cli/cli_common.h"
#include "cli/cmd_batch.h"
#include "common/number_format.h"
#include "editing/new_length.h"
#include "workflow/erd.h"
#include "workflow/profile_io.h"
#include "workflow/session.h"
#include "workflow/synth.h"
#include "workflow/test_support.h"

namespace tarmac {
namespace {

namespace fs = std::filesystem;
using testing::ReadAll;
using testing::RunTarmac;

// Every part of a document but its creation time, entry by entry: the zip itself stamps times.
// The parts of a document by their hashes, without what differs between two runs of the same
// report: the save times, the time stamp of the first block and the run's folder (/seq/, /par/).
std::string DocumentContent(const fs::path& docx) {
  return testing::RunShell("/usr/bin/python3 -c \"import sys,zipfile,hashlib,re\n"
                   "z=zipfile.ZipFile(sys.argv[1])\n"
                   "def part(n):\n"
                   "  b=z.read(n)\n"
                   "  if n=='word/document.xml':\n"
                   "    b=re.sub(rb'Made [^<]* by Tarmac', b'Made - by Tarmac', b)\n"
                   "    b=re.sub(rb'/(seq|par)/', b'/x/', b)\n"
                   "  return b\n"
                   "for n in sorted(z.namelist()):\n"
                   "  print(n, hashlib.sha256(part(n)).hexdigest() if n!='docProps/core.xml' else '-')\" '" +
                   docx.string() + "'")
      .out;
}

class Cli : public ::testing::Test {
 protected:
  void SetUp() override { setenv("QT_QPA_PLATFORM", "offscreen", 0); }
  std::string path(const std::string& name) const { return dir_.file(name); }
  std::string BatchFiles(const char* sub) const {  // three profiles of different lengths
    const double spacing = 2.5 / 25.4 / 12 * 10;
    fs::create_directories(dir_.path() / sub);
    std::string s;
    for (int i = 0; i < 3; ++i) {
      const fs::path pro = dir_.path() / sub / ("p" + std::to_string(i) + ".pro");
      WriteSynthPro(pro, SynthesizeProfile(1800 + 400 * i, spacing, 70u + unsigned(i)), spacing);
      s += " '" + pro.string() + "'";
    }
    return s;
  }
  // Two wheel paths (mm and m) and a speed in m/s over 600 samples 0.05 m apart.
  std::string Apron() const {
    std::ofstream t(path("apron.erd"), std::ios::binary);
    t << "ERDFILEV2.00\n3,600,-1,1,5,0.05,-1\nTITLE   ,apron\nSHORTNAM,Left,Right,Speed\n"
         "UNITSNAM,mm,m,m/s\nXLABEL  ,Distance\nXUNITS  ,m\nEND\n";
    for (int i = 0; i < 600; ++i) {
      t << 3.0 * std::sin(0.03 * i) + 0.01 * i << "," << 0.002 * std::cos(0.05 * i) << ","
        << 12.0 + 0.001 * i << "\n";
    }
    return path("apron.erd");
  }
  // 2500 ft at 0.25 ft with a 1.5-inch, 40-ft swell at 1200 ft.
  std::string Swell() const {
    std::vector<float> z(10000, 0.0f);
    for (std::size_t i = 4800; i <= 4960; ++i)
      z[i] = float(0.75 * (1 - std::cos(2 * std::numbers::pi * (double(i) * 0.25 - 1200) / 40)));
    WriteFileAtomically(path("swell.pro"), EncodeProFile(z, 0.25));
    return path("swell.pro");
  }
  std::string Strip() const {
    WriteSynthPro(path("strip.pro"), SynthesizeProfile(3000.0, 0.25, 11), 0.25);
    return path("strip.pro");
  }
  std::string FirstLine(const std::string& name) const { return testing::ReadLines(path(name)).at(0); }
  int Tarmac(const std::string& args) { return testing::RunTarmac(args, "2>&1").rc; }
  nlohmann::json Json(const std::string& name) { return nlohmann::json::parse(ReadAll(path(name))); }
  testing::TempDir dir_;
  testing::RecordingPrompts prompts_;
};

TEST_F(Cli, TwoJobsGiveTheDocumentsAndLineOrderOfTheSequentialRun) {
  const auto seq = RunTarmac("batch --taxiway" + BatchFiles("seq"));
  ASSERT_EQ(seq.rc, 0) << seq.out;
  const auto par = RunTarmac("batch --taxiway --jobs 2" + BatchFiles("par"));
  ASSERT_EQ(par.rc, 0) << par.out;
  const fs::path s = dir_.path() / "seq", p = dir_.path() / "par";
  for (int i = 0; i < 3; ++i) {
    const std::string name = "p" + std::to_string(i);
    const std::string ca = DocumentContent(s / "WordFile" / (name + ".docx"));
    EXPECT_NE(ca.find("word/document.xml"), std::string::npos) << name;
    EXPECT_EQ(ca, DocumentContent(p / "WordFile" / (name + ".docx"))) << name;
    EXPECT_EQ(DocumentContent(s / "ChartFile" / (name + "Chart.docx")),
              DocumentContent(p / "ChartFile" / (name + "Chart.docx")));
  }
  // The shared files: the same lines in input order, the folder name aside.
  auto same_folder = [](std::string text, const std::string& sub) {
    for (std::size_t at; (at = text.find(sub)) != std::string::npos;) text.replace(at, 5, "/x/");
    return text;
  };
  for (const char* shared : {"BoeingBumpPDFs.txt", "Results.txt"}) {
    ASSERT_FALSE(ReadAll(s / shared).empty()) << shared;
    EXPECT_EQ(same_folder(ReadAll(s / shared), "/seq/"), same_folder(ReadAll(p / shared), "/par/"));
  }
}

TEST_F(Cli, ChartCommandWritesTheRowsAsked) {
  const std::string pro = " '" + Strip() + "'";
  const auto r = RunTarmac("chart" + pro + " --rows 1-2,4 --batch");
  EXPECT_EQ(r.rc, 0) << r.out;
  EXPECT_NE(r.out.find("(3 charts)"), std::string::npos) << r.out;
  EXPECT_NE(RunTarmac("chart" + pro + " --rows 0-3").rc, 0);
  std::vector<int> rows;
  ASSERT_TRUE(cli::ParseChartRows("6,2-3,3", rows));
  EXPECT_EQ(rows, (std::vector<int>{6, 2, 3}));  // in order given, without repeats
  for (const char* bad : {"0", "11", "3-2", "1-", "1,,2"})
    EXPECT_FALSE(cli::ParseChartRows(bad, rows)) << bad;
}

TEST_F(Cli, ExportWritesTheChosenChannelAndRefusesWithExitCodes) {
  const std::string erd = Apron();
  const auto r = RunTarmac("export " + erd + " --channel 2 --set CuttingLength=1 --erd " +
                           path("out.erd") + " --csv " + path("out.csv") + " --metric");
  ASSERT_EQ(r.rc, 0) << r.out;
  // The same read in process: the file holds that analysis profile, in inches and feet.
  Session s(prompts_);
  s.SetMetric(true);
  ASSERT_TRUE(s.SetSetting("CuttingLength", "1"));  // metres in metric mode
  ASSERT_TRUE(s.ReadErdFile(erd, 2));
  const ErdChannel z = ReadErdFile(path("out.erd"), 1);
  EXPECT_EQ(z.values, s.model().profile);
  EXPECT_EQ(z.unit, "in");
  EXPECT_DOUBLE_EQ(z.spacing_ft, 0.05 / 0.3048);
  // 1 m cut at 0.05 m is 20 samples: the first speed kept is sample 21's, in ft/s.
  EXPECT_NEAR(ReadErdFile(path("out.erd"), 2).values.at(0), (12.0 + 0.020) / 0.3048, 1e-4);
  EXPECT_EQ(FirstLine("out.csv"), "Distance (m),Elevation (cm)");

  // Index levels run their index first; level 1 is the speed when the file has one.
  const auto iri = RunTarmac("export " + erd + " --csv " + path("iri.csv") + " --level 3 --metric --batch");
  ASSERT_EQ(iri.rc, 0) << iri.out;
  EXPECT_EQ(FirstLine("iri.csv"), "Distance (m),IRI (1/4 Car) (m/km)");
  ASSERT_EQ(RunTarmac("export " + erd + " --csv " + path("iri.csv") + " --level 1").rc, 0);
  EXPECT_EQ(FirstLine("iri.csv"), "Distance (ft),Speed (ft/s)");
  const std::string csv = " --csv " + path("never.csv");
  std::ofstream(path("bad.erd")) << "ERDFILEV2.00\n1,2,-1,1,5,0.25,-1\nUNITSNAM,in\nXUNITS,ft\n1\n2\n";
  const std::pair<std::string, int> cases[] = {
      {"export " + erd, 2},                       // nothing asked
      {"export " + erd + csv + " --level 6", 2},
      {"export " + erd + csv + " --channel 3", 3},  // a speed
      {"export " + path("bad.erd") + csv, 3},      // no END
      {"analyze " + erd + " --channel 3 --index none", 3},
  };
  for (const auto& [args, rc] : cases) EXPECT_EQ(RunTarmac(args).rc, rc) << args;
  EXPECT_FALSE(fs::exists(path("never.csv")));
  const auto read = RunTarmac("read " + erd + " --channel 2");
  EXPECT_EQ(read.rc, 0);
  EXPECT_NE(read.out.find("speed file: 600 values"), std::string::npos) << read.out;
}

TEST_F(Cli, JsonHoldsEveryResponseWithConsistentTotals) {
  Session s(prompts_);
  ASSERT_TRUE(s.ReadFile(Swell()));
  std::vector<cli::SimulationRequest> reqs;
  ASSERT_TRUE(cli::ParseSimulationList("B-747@60,B-727@100", reqs));
  nlohmann::json j;
  for (const auto& r : reqs) ASSERT_TRUE(cli::RunSimulationRequest(s, r, true, j));
  ASSERT_EQ(j["simulations"].size(), 2u);
  const auto& a = j["simulations"][0];
  // 0.25-ft samples taken three at a time: the step of a 25-mm profile decimated by ten.
  EXPECT_EQ(a["decimation_rule"], "spacing");
  EXPECT_EQ(a["decimation_factor"], 3);
  EXPECT_DOUBLE_EQ(a["step_ft"].get<double>(), 0.75);
  EXPECT_DOUBLE_EQ(a["time_step_s"].get<double>(), 0.75 / (60 * 1.6877921990244562));
  EXPECT_EQ(a["ground_n_inner"].get<int>(), 3);  // 0.0074 s a sample, inner steps <= 0.0025 s
  const auto& lengths = a["part_lengths_ft"];
  ASSERT_EQ(lengths.size(), 3u);  // 1000.5, 1000.5, 499.5
  for (const char* key : {"gcg", "gcp", "nose", "main", "rear_main"}) {
    SCOPED_TRACE(key);
    const auto& r = a["responses"].at(key);
    ASSERT_EQ(r["series"].size(), a["input"].size());
    ASSERT_EQ(r["parts"].size(), lengths.size());
    double sum = 0, len = 0;  // the total is the length-weighted RMS of the parts
    for (std::size_t i = 0; i < lengths.size(); ++i) {
      const double p = r["parts"][i].get<double>(), l = lengths[i].get<double>();
      sum += p * p * l;
      len += l;
    }
    EXPECT_NEAR(r["total_rms"].get<double>(), std::sqrt(sum / len),
                1e-6 * r["total_rms"].get<double>() + 1e-9);
  }
  EXPECT_FALSE(j["simulations"][1]["responses"].contains("rear_main"));  // the B-727
  // Refused before anything runs: an unknown aircraft, a speed outside the speed setting's
  // 10 to 200 knots (both allowed), a speed that is not a decimal number.
  for (const char* bad : {"A-380@100", "B-747@10000", "B-747@9.99", "B-727@200.01", "DC-9@nan",
                          "DC-9@inf", "DC-9@0x40", "DC-9@", "DC-9"})
    EXPECT_FALSE(cli::ParseSimulationList(bad, reqs)) << bad;
  ASSERT_TRUE(cli::ParseSimulationList("DC-9@10,DC-10@200", reqs));
  EXPECT_EQ(reqs.at(1).knots, 200.0);
  EXPECT_EQ(RunTarmac("analyze " + Swell() + " --index none --simulate B-747@10000").rc, 2);
}

TEST_F(Cli, DecimationRuleInTheJsonAndSettingsThatAreNotNumbersRefused) {
  const std::string pro = Strip();  // 0.25 ft
  const auto json = [&](const std::string& options) {
    const auto r =
        RunTarmac("analyze " + pro + " --index straightedge,bump,bandpass --batch --json - " + options);
    EXPECT_EQ(r.rc, 0) << options;
    return nlohmann::json::parse(r.out.substr(r.out.find('{')));
  };
  // 0.25-ft samples: factors 2 and 3 from the spacing, 6 and 10 fixed.
  const auto spacing = json(""), fixed = json("--decimation fixed");
  const auto set = json("--set DecimationRule=fixed");
  for (const auto& [j, rule, se, bump] :
       {std::tuple{spacing, "spacing", 2, 3}, {fixed, "fixed", 6, 10}, {set, "fixed", 6, 10}}) {
    EXPECT_EQ(j["indexes"]["straightedge"]["decimation_rule"], rule);
    EXPECT_EQ(j["indexes"]["straightedge"]["decimation_factor"], se);
    EXPECT_DOUBLE_EQ(j["indexes"]["straightedge"]["step_ft"].get<double>(), 0.25 * se);
    EXPECT_EQ(j["indexes"]["bump"]["decimation_factor"], bump);
    EXPECT_EQ(j["indexes"]["bandpass"]["decimation_factor"], 1);
  }
  for (const char* bad : {"--set NumberOfModes=nan", "--set SampleSpacing=nan",
                          "--set AircraftSpeed=inf", "--set AveragingDistance=0x400",
                          "--set SectionLengthCAPI=nan", "--decimation sometimes",
                          "--set DecimationRule=6"})
    EXPECT_EQ(RunTarmac("analyze " + pro + " --index none --batch " + bad).rc, 2) << bad;
}

TEST_F(Cli, MeasurementReportCarriesThePlotPicturesAndProcessSimLogsMissingFiles) {
  Swell();
  std::ofstream(path("ProDatFiles.txt")) << "swell.Pro\n";
  RenderPlotSink plots;
  Session s(prompts_, &plots);
  ASSERT_TRUE(s.ProcessSimList(path("ProDatFiles.txt")));
  const std::string doc = ReadAll(path("swell.docx"));
  // Profile, then two runs of cg and cockpit acceleration: five pictures (no speed file).
  EXPECT_NE(doc.find("word/media/image5.png"), std::string::npos);
  EXPECT_EQ(doc.find("word/media/image6.png"), std::string::npos);
  EXPECT_TRUE(prompts_.messages.empty());
  EXPECT_EQ(s.LastList().completed, 1);

  // The bar runs once across a list: never back, half-way after the first of two measurements.
  struct Recorded final : Progress {
    std::vector<double> fractions;
    void step(long long done, long long total) override {
      fractions.push_back(static_cast<double>(done) / static_cast<double>(total));
    }
    bool cancelled() const override { return false; }
  } recorded;
  std::ofstream(path("twice.txt")) << "swell.Pro\nswell.Pro\n";
  s.SetProgress(&recorded);
  ASSERT_TRUE(s.ProcessSimList(path("twice.txt")));
  s.SetProgress(nullptr);
  ASSERT_GT(recorded.fractions.size(), 4u);
  EXPECT_TRUE(std::is_sorted(recorded.fractions.begin(), recorded.fractions.end()));
  EXPECT_GE(recorded.fractions.back(), 0.99);
  EXPECT_LE(recorded.fractions.back(), 1.0);
  EXPECT_NE(std::find(recorded.fractions.begin(), recorded.fractions.end(), 0.5),
            recorded.fractions.end());
  EXPECT_EQ(s.LastList().listed, 2);
  EXPECT_EQ(s.LastList().completed, 2);

  EXPECT_EQ(RunTarmac("process-sim " + path("no-list.txt")).rc, 3);
  std::ofstream(path("list.txt")) << "swell.Pro\nabsent.Pro\n";
  const auto r = RunTarmac("process-sim --set AircraftType=DC-9 " + path("list.txt"));
  EXPECT_EQ(r.rc, 0) << r.out;
  const auto log = testing::ReadLines(path("ProDatFiles.log"));
  EXPECT_EQ(log.at(0), path("absent") + " not processed because the .Pro file does not exist.");
  EXPECT_NE(r.out.find("1 of 2 measurements simulated and reported\n"), std::string::npos) << r.out;
  const auto a =
      RunTarmac("analyze " + path("swell.pro") + " --index none --simulate DC-10@80 --batch --json -");
  ASSERT_EQ(a.rc, 0);
  const auto j = nlohmann::json::parse(a.out.substr(a.out.find('{')));
  EXPECT_EQ(j["simulations"][0]["aircraft"], "DC-10");
  EXPECT_FALSE(j["simulations"][0]["responses"]["gcg"].contains("series"));  // kept short
}

TEST_F(Cli, EditNewLengthSavesTheCutSamples) {
  const std::string pro = Strip();
  Session s(prompts_);
  ASSERT_TRUE(s.ReadFile(pro));
  // 100 ft to 600 ft from the start at 0.25 ft: samples 401 to 2401.
  const std::vector<float> expected = CutProfile(s.model().profile, Selection{401, 2401});
  ASSERT_EQ(Tarmac("edit " + pro + " --new-length 100:600 --out " + path("cut.pro")), 0);
  const std::string bytes = testing::ReadAll(path("cut.pro"));
  EXPECT_EQ(bytes, EncodeProFile(expected, 0.25));  // the spacing saved after the samples
  Tarmac("edit " + pro + " --metric --new-length 30.48:182.88 --out " + path("cut_m.pro"));
  EXPECT_EQ(ReadAll(path("cut_m.pro")), bytes);  // the same stretch given in metres
  EXPECT_EQ(Tarmac("edit " + pro + " --new-length 100:150 --out " + path("short.pro")), 4);
  EXPECT_FALSE(fs::exists(path("short.pro")));
}

TEST_F(Cli, PsdPdfAndCdfOfTheProfileInDisplayUnits) {
  const std::string pro = Strip();
  // By default 0.25-ft samples are taken three at a time: 4001 samples, a 2048-sample record.
  ASSERT_EQ(Tarmac("psd " + pro + " --json " + path("spacing.json")), 0);
  EXPECT_EQ(Json("spacing.json")["record_length"], 2048);
  EXPECT_DOUBLE_EQ(Json("spacing.json")["dt_s"].get<double>(), 0.75 / 58.0);
  ASSERT_EQ(Tarmac("psd " + pro + " --exponent 8 --decimation fixed --json " + path("psd.json")), 0);
  const auto psd = Json("psd.json");
  // 3000 ft decimated by the fixed ten to 2.5 ft: 1201 samples, a 1024-sample record from
  // sample 88.
  EXPECT_EQ(psd["record_length"], 1024);
  EXPECT_EQ(psd["record_start"], 88);
  EXPECT_DOUBLE_EQ(psd["dt_s"].get<double>(), 2.5 / 58.0);
  EXPECT_EQ(psd["frequencies_hz"].size(), 512u);
  EXPECT_NEAR(psd["frequencies_hz"].at(511).get<double>(), 511.0 / 1024.0 / (2.5 / 58.0), 1e-9);
  ASSERT_EQ(Tarmac("pdf " + pro + " --decimation fixed --json " + path("pdf.json")), 0);
  const auto pdf = Json("pdf.json");
  EXPECT_EQ(pdf["nrp"], 400);
  EXPECT_EQ(pdf["density"].size(), 801u);
  EXPECT_EQ(Tarmac("psd " + pro + " --series gcg"), 4);  // a response needs a simulation

  ASSERT_EQ(Tarmac("cdf " + pro + " straightedge --json " + path("us.json")), 0);
  ASSERT_EQ(Tarmac("cdf " + pro + " straightedge --metric --json " + path("mm.json")), 0);
  const auto us = Json("us.json"), mm = Json("mm.json");
  EXPECT_NEAR(mm["xmax"].get<double>(), 25.4 * us["xmax"].get<double>(),
              1e-5 * mm["xmax"].get<double>());
  ASSERT_EQ(Tarmac("cdf " + pro + " bump --json " + path("bump.json")), 0);
  EXPECT_EQ(testing::ReadLines(path("BoeingBumpPDFs.txt")).size(), 2u);  // index run and cdf run
}

// The program run through a shell with a file-size limit (in 1024-byte blocks) or a timeout.
testing::RunResult Shell(const std::string& prefix, const std::string& args) {
  return testing::RunShell("export QT_QPA_PLATFORM=offscreen; " + prefix + " " TARMAC_BINARY_DIR "/src/cli/tarmac " +
                           args + " 2>&1");
}

TEST_F(Cli, OutputsThatCannotBeWrittenExitFiveNameTheFileAndKeepOlderOnes) {
  const std::string pro = Strip();
  const std::string iri = "analyze " + pro + " --index iri ";
  fs::create_symlink("/dev/full", path("Results.txt"));
  auto r = RunTarmac(iri, "2>&1");
  EXPECT_EQ(r.rc, 5) << r.out;
  EXPECT_NE(r.out.find("an output could not be written: Cannot append to " + path("Results.txt")),
            std::string::npos) << r.out;
  fs::remove(path("Results.txt"));
  ASSERT_EQ(mkfifo(path("Results.txt").c_str(), 0644), 0);
  EXPECT_EQ(Shell("timeout 60", iri).rc, 5);  // a pipe is no results file, and no hang
  fs::remove(path("Results.txt"));

  fs::create_symlink("/dev/full", path("full.json"));
  EXPECT_EQ(RunTarmac(iri + "--batch --json " + path("full.json")).rc, 5);
  EXPECT_TRUE(fs::is_symlink(path("full.json")));
  EXPECT_EQ(Shell("", iri + "--batch --json - >/dev/full").rc, 5);
  testing::WriteText(path("plots"), "a file, not a folder");
  EXPECT_EQ(RunTarmac(iri + "--batch --plots " + path("plots")).rc, 5);
  EXPECT_EQ(ReadAll(path("plots")), "a file, not a folder");

  // A file-size limit: the JSON and the pictures that do not fit leave the older ones whole.
  ASSERT_EQ(RunTarmac(iri + "--batch --json " + path("out.json") + " --plots " + path("png")).rc, 0);
  const std::string json = ReadAll(path("out.json")), png = ReadAll(path("png/iri.png"));
  r = Shell("ulimit -f 16;", "analyze " + pro + " --index all --series --json " + path("out.json") +
                                 " --plots " + path("png"));
  EXPECT_EQ(r.rc, 5) << r.out;
  EXPECT_EQ(ReadAll(path("out.json")), json);
  EXPECT_EQ(ReadAll(path("png/iri.png")), png);
  const std::string results = ReadAll(path("Results.txt"));
  ASSERT_FALSE(results.empty());
  EXPECT_EQ(results.back(), '\n');  // whole blocks only
}

TEST_F(Cli, AReadOnlyFolderIsAFailedOutputNotASuccess) {
  std::string as;  // the command prefix that runs the program as a user who cannot write there
  if (geteuid() == 0) {
    if (testing::RunShell("command -v setpriv >/dev/null").rc != 0)
      GTEST_SKIP() << "running as root without setpriv: a folder cannot be made read-only";
    as = "setpriv --reuid=65534 --regid=65534 --clear-groups";
  }
  const fs::path ro = dir_.path() / "ro";
  fs::create_directories(ro);
  fs::copy_file(Strip(), ro / "strip.pro");
  fs::permissions(dir_.path(), fs::perms::others_exec, fs::perm_options::add);
  fs::permissions(ro, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                          fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  const auto r = Shell(as, "analyze " + (ro / "strip.pro").string() + " --index iri");
  fs::permissions(ro, fs::perms::owner_all);
  EXPECT_EQ(r.rc, 5) << r.out;
  EXPECT_FALSE(fs::exists(ro / "Results.txt"));
}

TEST_F(Cli, CtrlCLeavesTheResultsAndOutputsAsTheyWere) {
  const std::string pro = Strip();
  testing::WriteText(path("Results.txt"), "older run\n");
  testing::WriteText(path("out.json"), "{\"older\": true}\n");
  cli::CommonOptions common;
  common.json = path("out.json");
  common.plots = path("plots");
  for (const bool interrupt : {true, false}) {
    SCOPED_TRACE(interrupt ? "interrupted" : "not interrupted");
    int rc = -1;
    {
      cli::TerminalSession t;
      ASSERT_EQ(t.Open(common, pro), cli::kOk);
      ASSERT_TRUE(t.session.RunIndex(1));  // appends its report and a distribution line
      if (interrupt) std::raise(SIGINT);  // what the terminal sends on Ctrl-C
      EXPECT_EQ(t.progress.cancelled(), interrupt);
      EXPECT_EQ(t.session.ExportErd(path("o.erd")), !interrupt);
      rc = t.Finish(common, cli::ProfileJson(t.session, false), cli::kOk);
    }
    if (interrupt) {
      EXPECT_EQ(rc, cli::kComputationRefused);
      EXPECT_EQ(ReadAll(path("Results.txt")), "older run\n");
      EXPECT_EQ(ReadAll(path("out.json")), "{\"older\": true}\n");
      for (const char* made : {"o.erd", "plots", "BoeingBumpPDFs.txt"}) EXPECT_FALSE(fs::exists(path(made))) << made;
    } else {
      EXPECT_EQ(rc, cli::kOk);
      EXPECT_GT(testing::ReadLines(path("Results.txt")).size(), 5u);
      EXPECT_EQ(Json("out.json")["profile"]["path"], pro);
      for (const char* made : {"o.erd", "plots/bump.png", "BoeingBumpPDFs.txt"}) EXPECT_TRUE(fs::exists(path(made))) << made;
    }
  }
}

TEST_F(Cli, BatchTakesAFolderAsItsProfilesAndEndsWithTheTruth) {
  const fs::path runs = dir_.path() / "runs";
  fs::create_directories(runs / "x.pro");  // a folder, whatever its name
  for (const char* name : {"z.pro", "A.PRO", "m.pro", "notes.txt"}) testing::WriteText((runs / name).string(), "");
  std::string error;
  EXPECT_EQ(cli::BatchProfiles({runs.string(), path("RW09.dat")}, error),
            (std::vector<std::string>{(runs / "A.PRO").string(), (runs / "m.pro").string(),
                                      (runs / "z.pro").string(), path("RW09.dat")}));
  EXPECT_TRUE(error.empty());
  fs::create_directories(dir_.path() / "empty");
  EXPECT_TRUE(cli::BatchProfiles({(dir_.path() / "empty").string()}, error).empty());
  EXPECT_NE(error.find("holds no .pro"), std::string::npos) << error;

  // One good profile in a folder and a file that is not a profile, sequentially and side by side.
  for (const char* jobs : {"1", "2"}) {
    SCOPED_TRACE(jobs);
    const fs::path folder = dir_.path() / (std::string("jobs") + jobs);
    fs::create_directories(folder / "runs");
    WriteSynthPro(folder / "runs" / "RW01.pro", SynthesizeProfile(2000, 0.25, 5), 0.25);
    testing::WriteText((folder / "RW09.dat").string(), "Distance (Feet)\n");
    const auto r = RunTarmac("batch --taxiway --jobs " + std::string(jobs) + " '" +
                             (folder / "runs").string() + "' '" + (folder / "RW09.dat").string() + "'");
    EXPECT_EQ(r.rc, 3) << r.out;
    const fs::path reports = folder / "runs" / "WordFile";
    EXPECT_EQ(r.out, "report: " + (reports / "RW01.docx").string() + "\nsummary: " +
                         (reports / "Summary.xlsx").string() + "\nsummary: " +
                         (reports / "Summary.csv").string() +
                         "\n1 of 2 processed; failed: RW09.dat (wrong extension)\n");
    EXPECT_TRUE(fs::exists(folder / "runs" / "WordFile" / "RW01.docx"));
    EXPECT_FALSE(fs::exists(folder / "WordFile"));
  }
  EXPECT_EQ(RunTarmac("batch '" + (dir_.path() / "empty").string() + "'").rc, 3);
}

// --plots: one picture per thing computed, named after it and taken when it was drawn, so the
// indexes' pictures survive the simulations drawn later on the same plot levels. --save-indexes:
// the window's Save Indexes line, with the values as the value boxes show them.
TEST_F(Cli, PicturesAreNamedByWhatTheyShowAndSaveIndexesWritesTheLine) {
  const std::string pro = path("RW27.pro");
  ASSERT_EQ(RunTarmac("synth " + pro + " --length 2500 --seed 8 --speed").rc, 0);
  const auto r = RunTarmac("analyze " + pro + " --batch --save-indexes --metric --json " +
                           path("out.json") + " --plots " + path("plots") +
                           " --simulate B-727@20,B-747@100");
  ASSERT_EQ(r.rc, 0) << r.out;
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(path("plots"))) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{
                       "B-727-20kt-cg.png", "B-727-20kt-main.png", "B-727-20kt-nose.png",
                       "B-727-20kt-pilot.png", "B-747-100kt-cg.png", "B-747-100kt-main.png",
                       "B-747-100kt-nose.png", "B-747-100kt-pilot.png", "B-747-100kt-rear-main.png",
                       "bandpass.png", "bump.png", "iri.png", "profile.png", "profilograph.png",
                       "speed.png", "straightedge.png"}));
  // The straightedge's picture is its own, not the B-747's cg drawn later on its plot level.
  EXPECT_NE(ReadAll(path("plots/straightedge.png")), ReadAll(path("plots/B-747-100kt-cg.png")));
  EXPECT_NE(r.out.find("plot: " + path("plots/iri.png")), std::string::npos) << r.out;

  // Indexes.txt beside the profile: the path, then the five boxes (straightedge, bump, IRI,
  // profilograph, band-pass) to four decimals, in the display units of the run.
  const auto j = Json("out.json");
  std::string want = pro;
  for (const char* k : {"straightedge", "bump", "iri", "profilograph", "bandpass"})
    want += " " + FormatNumber(std::stod(j["indexes"][k]["text"].get<std::string>()), "0.0000");
  EXPECT_EQ(testing::ReadLines(path("Indexes.txt")), std::vector<std::string>{want});
  EXPECT_NE(r.out.find("indexes: " + path("Indexes.txt")), std::string::npos) << r.out;
  // A second save appends; without the option nothing is written.
  ASSERT_EQ(RunTarmac("analyze " + pro + " --batch --index iri --save-indexes").rc, 0);
  ASSERT_EQ(RunTarmac("analyze " + pro + " --batch --index iri").rc, 0);
  const auto lines = testing::ReadLines(path("Indexes.txt"));
  ASSERT_EQ(lines.size(), 2u);
  // Only the IRI ran: the other boxes are empty and read as zero.
  EXPECT_EQ(lines[1].rfind(pro + " 0.0000 0.0000 ", 0), 0u) << lines[1];
  EXPECT_EQ(lines[1].substr(lines[1].size() - 14), " 0.0000 0.0000");
}

}  // namespace
}  // namespace tarmac
