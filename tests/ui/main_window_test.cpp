// The main window driven as a person drives it, off screen: keys, clicks on the option buttons,
// clicks on the plots. What it writes must be what the command line writes for the same steps.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTextBrowser>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>

#include "ui/chart_window.h"
#include "ui/ui_fixture.h"

namespace tarmac::testing {
namespace {

QPoint At(const ui::PlotPanel* p, double plot_x) {
  const double y = (p->geometry().top + p->geometry().bottom) / 2;
  return p->ToWidget(plot_x, y).toPoint();
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

using MainWindowTest = MainWindowFixture;

TEST_F(MainWindowTest, ReadAndTheFiveIndexesWriteWhatTheCommandLineWrites) {
  ReadSample();
  EXPECT_EQ(window->windowTitle().toStdString(), "Profile and Roughness Indexes - " + profile);
  EXPECT_FALSE(window->panel(0)->empty());
  EXPECT_TRUE(window->panel(2)->empty());

  const char* finished[5] = {"Finished Straightedge", "Finished Boeing", "Finished IRI",
                             "Finished CA Profilograph", "Finished Bandpass"};
  for (int k = 0; k < 5; ++k) {
    QTest::mouseClick(window->option(k), Qt::LeftButton);
    ASSERT_TRUE(window->WaitForCommand());
    EXPECT_EQ(Status(), finished[k]) << "option " << k;
    EXPECT_FALSE(window->panel(k + 1)->empty()) << "option " << k;
    EXPECT_FALSE(window->value_box(k)->text().trimmed().isEmpty()) << "option " << k;
  }
  EXPECT_TRUE(prompts.messages.empty());

  // The same sequence from the command line, in a folder of its own.
  TempDir cli;
  const std::string cli_profile = CopySample(cli.path());
  const std::string json = cli.file("out.json");
  const std::string command = std::string(TARMAC_BINARY_DIR) + "/src/cli/tarmac analyze '" +
                              cli_profile +
                              "' --index straightedge,bump,iri,profilograph,bandpass --json '" +
                              json + "' > /dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);

  const std::string from = cli.path().string(), to = dir.path().string();
  EXPECT_EQ(Results(), Replace(ReadAll(cli.file("Results.txt")), from, to));
  EXPECT_EQ(ReadAll(dir.file("BoeingBumpPDFs.txt")),
            Replace(ReadAll(cli.file("BoeingBumpPDFs.txt")), from, to));
  const auto j = nlohmann::json::parse(ReadAll(json));
  const char* keys[5] = {"straightedge", "bump", "iri", "profilograph", "bandpass"};
  for (int k = 0; k < 5; ++k)
    EXPECT_EQ(window->value_box(k)->text().toStdString(),
              j["indexes"][keys[k]]["text"].get<std::string>())
        << keys[k];
}

TEST_F(MainWindowTest, KeyboardRunsTheIndexesInTheOrderOfTheOptionsAndRightClickDoesNothing) {
  ReadSample();
  // A right click on an option neither runs its index nor clears its plot.
  const std::string before = Results();
  QTest::mouseClick(window->option(4), Qt::RightButton);
  EXPECT_TRUE(window->value_box(4)->text().isEmpty());
  EXPECT_EQ(Results(), before);
  EXPECT_FALSE(window->model().flags.bandpass_done);

  RunOption(5);
  EXPECT_TRUE(window->model().flags.bandpass_done);
  EXPECT_TRUE(window->option(4)->isChecked());
  RunOption(3);
  EXPECT_TRUE(window->model().flags.iri_done);
  // The filter test draws its impulse response over panel 4 and appends its line too.
  RunOption(6);
  EXPECT_EQ(window->panel(4)->kind(), "Other");
  const auto lines = ReadLines(dir.file("Results.txt"));
  int stretch_lines = 0;
  for (const auto& l : lines) stretch_lines += l.rfind("Indexbegin = ", 0) == 0;
  EXPECT_EQ(stretch_lines, 3);
}

TEST_F(MainWindowTest, TwoClickZoomMarksTheFirstClickAndUndoZoomGoesBack) {
  ReadSample();
  ui::PlotPanel* p0 = window->panel(0);
  const int n = window->model().levels[0].npoints();
  auto* zoom = window->findChild<QPushButton*>("cmdZoom");
  QTest::mouseClick(zoom, Qt::LeftButton);
  EXPECT_EQ(Status(), "Zooming");
  QTest::mouseClick(p0, Qt::LeftButton, {}, At(p0, 40.0));
  ASSERT_TRUE(p0->marker().has_value());
  EXPECT_NEAR(*p0->marker(), 40.0, 0.5);
  // Right to left gives the same stretch as left to right.
  QTest::mouseClick(p0, Qt::LeftButton, {}, At(p0, 20.0));
  EXPECT_FALSE(p0->marker().has_value());
  EXPECT_EQ(window->last_selection_level(), 0);
  const PlotLevel& l0 = window->model().levels[0];
  EXPECT_EQ(l0.zoomed, 1);
  // The stretch between 2000 and 4000 ft, within a pixel of the clicks.
  const double dx = window->model().settings.SampleSpacing;
  const double px_ft = 100.0 * 100.0 / p0->width() * 1.1;  // feet per pixel before the zoom
  EXPECT_NEAR(l0.shown_first * dx, 2000.0, px_ft);
  EXPECT_NEAR(l0.shown_last * dx, 4000.0, px_ft);
  EXPECT_NEAR(p0->geometry().x_start, 20.0, 0.5);
  EXPECT_NEAR(p0->geometry().x_end, 40.0, 0.5);

  QTest::mouseClick(window->findChild<QPushButton*>("cmdUndoZoom"), Qt::LeftButton);
  EXPECT_EQ(l0.zoomed, 0);
  EXPECT_EQ(l0.shown_first, 1);
  EXPECT_EQ(l0.shown_last, n);
  // Nothing left to undo.
  QTest::mouseClick(window->findChild<QPushButton*>("cmdUndoZoom"), Qt::LeftButton);
  ASSERT_FALSE(prompts.messages.empty());
  EXPECT_EQ(prompts.messages.back().title, "Not Zoomed");
}

TEST_F(MainWindowTest, CancelDuringASelectionAndClicksOnTwoPanelsEndWithLevelMinusOne) {
  ReadSample();
  RunOption(1);  // panel 1: the straightedge
  const std::string status = Status();
  ui::PlotPanel* p0 = window->panel(0);
  ui::PlotPanel* p1 = window->panel(1);

  QTest::mouseClick(window->findChild<QPushButton*>("cmdZoom"), Qt::LeftButton);
  QTest::mouseClick(p0, Qt::LeftButton, {}, At(p0, 30.0));
  EXPECT_TRUE(window->selecting());
  QTest::keyClick(window.get(), Qt::Key_Escape);
  EXPECT_FALSE(window->selecting());
  EXPECT_EQ(window->last_selection_level(), -1);
  EXPECT_FALSE(p0->marker().has_value());
  EXPECT_EQ(window->model().levels[0].zoomed, 0);
  EXPECT_EQ(Status(), status);
  // After the cancel a click is a click, not the end of a selection.
  QTest::mouseClick(p0, Qt::LeftButton, {}, At(p0, 50.0));
  EXPECT_EQ(window->model().levels[0].zoomed, 0);

  QTest::mouseClick(window->findChild<QPushButton*>("cmdNewLength"), Qt::LeftButton);
  QTest::mouseClick(p0, Qt::LeftButton, {}, At(p0, 10.0));
  QTest::mouseClick(p1, Qt::LeftButton, {}, At(p1, 60.0));
  EXPECT_EQ(window->last_selection_level(), -1);
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].title, "Invalid Selection");
  EXPECT_EQ(prompts.messages[0].text,
            "Length cannot be changed using two different plots.\r\nPlease start over.");
  EXPECT_EQ(window->model().undo.CutsInForce(), 0);
}

TEST_F(MainWindowTest, ACancelledIndexLeavesProfilePanelsAndResultsAsTheyWere) {
  ReadSample();
  RunOption(1);
  RunOption(2);
  const std::string results = Results();
  const std::string pdfs = ReadAll(dir.file("BoeingBumpPDFs.txt"));
  const std::string box = window->value_box(1)->text().toStdString();
  const auto profile_before = window->model().profile;
  const LevelPlot panel_before = *window->panel(2)->plot();

  // The Boeing Bump Index again, and Escape while it computes.
  QTest::mouseClick(window->option(1), Qt::LeftButton);
  ASSERT_TRUE(window->runner().running()) << "the index runs off the window's thread";
  EXPECT_FALSE(window->option(3)->isEnabled()) << "conflicting commands wait for the run";
  QTest::keyClick(window.get(), Qt::Key_Escape);
  ASSERT_TRUE(window->WaitForCommand());
  EXPECT_EQ(Status(), "Cancelled");
  EXPECT_EQ(window->value_box(1)->text().toStdString(), box);
  EXPECT_EQ(Results(), results);
  EXPECT_EQ(ReadAll(dir.file("BoeingBumpPDFs.txt")), pdfs);
  EXPECT_EQ(window->model().profile, profile_before);
  EXPECT_TRUE(window->model().flags.straightedge_done);
  // The panel still shows the index of the run before.
  ASSERT_FALSE(window->panel(2)->empty());
  EXPECT_EQ(window->panel(2)->plot()->title, panel_before.title);
  EXPECT_EQ(window->panel(2)->plot()->values, panel_before.values);
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_TRUE(window->option(3)->isEnabled()) << "commands come back after the run";
  EXPECT_TRUE(window->progress_bar()->isHidden());
  // And the index runs again to the end.
  QTest::mouseClick(window->option(1), Qt::LeftButton);
  ASSERT_TRUE(window->WaitForCommand());
  EXPECT_EQ(Status(), "Finished Boeing");
}

TEST_F(MainWindowTest, ASimulationRunsWhileTheWindowAnswersAndClosingCancelsIt) {
  ReadSample();
  QTest::mouseClick(window->findChild<QPushButton*>("cmdRunSim"), Qt::LeftButton);
  ASSERT_TRUE(window->runner().running());
  EXPECT_FALSE(window->progress_bar()->isHidden());
  // The window keeps painting and takes no second command meanwhile.
  QTest::keyClick(window.get(), Qt::Key_3, Qt::ControlModifier);
  EXPECT_FALSE(window->model().flags.iri_done);
  ASSERT_TRUE(window->WaitForCommand());
  EXPECT_TRUE(window->model().flags.simulation_done);
  EXPECT_FALSE(window->panel(1)->empty());

  // Closing during the next run stops it; the window goes once the worker has let go.
  const std::string results = Results();
  QTest::mouseClick(window->findChild<QPushButton*>("cmdRunSim"), Qt::LeftButton);
  ASSERT_TRUE(window->runner().running());
  EXPECT_FALSE(window->close());
  EXPECT_TRUE(window->isVisible());
  ASSERT_TRUE(window->WaitForCommand());
  QCoreApplication::processEvents();
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(Status(), "Cancelled");
  EXPECT_EQ(Results(), results);
}

// Everything a report document holds but its creation time (in its properties and its first
// line): the text, the tables and the pictures.
std::string DocumentContents(const std::filesystem::path& docx) {
  const std::string command =
      "python3 -c \"import re, sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); "
      "[sys.stdout.buffer.write(re.sub(rb'Made [^<]* by Tarmac', b'Made - by Tarmac', z.read(n))) "
      "for n in z.namelist() if n != 'docProps/core.xml']\" '" +
      docx.string() + "'";
  std::string contents;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[1 << 16];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) contents.append(buffer, n);
    pclose(pipe);
  }
  return contents;
}

// Two copies of the sample and a name that is missing, chosen together.
std::vector<std::string> BatchSelection(const std::filesystem::path& folder) {
  const std::string first = CopySample(folder);
  std::filesystem::copy_file(folder / "runway.pro", folder / "taxiway.pro");
  std::filesystem::copy_file(folder / "runway.spd", folder / "taxiway.spd");
  return {first, (folder / "missing.pro").string(), (folder / "taxiway.pro").string()};
}

TEST_F(MainWindowTest, BatchFromTheWindowWritesWhatTheCommandLineBatchWritesAndListsFailures) {
  ReadSample();
  const std::string results_before = Results();
  TempDir batch_dir;
  const auto files = BatchSelection(batch_dir.path());
  QStringList chosen;
  for (const auto& f : files) chosen << QString::fromStdString(f);
  prompts.file_lists.push_back(chosen);
  QTest::mouseClick(window->findChild<QPushButton*>("cmdAuto"), Qt::LeftButton);
  ASSERT_TRUE(window->runner().running());
  ASSERT_TRUE(window->WaitForCommand(300000));

  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].title, "Automatic Processing");
  const std::string& text = prompts.messages[0].text;
  EXPECT_EQ(text.rfind("2 of 3 processed; failed: missing.pro (not found). ET = ", 0), 0u) << text;
  EXPECT_NE(text.find("\r\n2. missing.pro: not found"), std::string::npos) << text;
  EXPECT_TRUE(std::filesystem::exists(batch_dir.path() / "WordFile" / "runway.docx"));
  EXPECT_TRUE(std::filesystem::exists(batch_dir.path() / "WordFile" / "taxiway.docx"));
  EXPECT_FALSE(std::filesystem::exists(batch_dir.path() / "WordFile" / "missing.docx"));
  // The profile in the window is not the batch's business.
  EXPECT_EQ(Results(), results_before);
  EXPECT_EQ(window->windowTitle().toStdString(), "Profile and Roughness Indexes - " + profile);

  TempDir cli;
  const auto cli_files = BatchSelection(cli.path());
  std::string command = std::string(TARMAC_BINARY_DIR) + "/src/cli/tarmac batch";
  for (const auto& f : cli_files) command += " '" + f + "'";
  command += " > /dev/null 2>&1";
  EXPECT_NE(std::system(command.c_str()), 0) << "a missing profile is a failure";
  const std::string from = cli.path().string(), to = batch_dir.path().string();
  EXPECT_EQ(ReadAll(batch_dir.file("Results.txt")),
            Replace(ReadAll(cli.file("Results.txt")), from, to));
  EXPECT_EQ(ReadAll(batch_dir.file("BoeingBumpPDFs.txt")),
            Replace(ReadAll(cli.file("BoeingBumpPDFs.txt")), from, to));
  // The documents too: the workers had the window's settings, the pictures are drawn alike.
  for (const char* name : {"runway.docx", "taxiway.docx"}) {
    const std::string window_document = DocumentContents(batch_dir.path() / "WordFile" / name);
    EXPECT_GT(window_document.size(), 10000u) << name;
    EXPECT_TRUE(window_document ==
                Replace(DocumentContents(cli.path() / "WordFile" / name), from, to))
        << name;
  }
}

TEST_F(MainWindowTest, ABatchCancelledStopsBetweenProfilesAndSaysSo) {
  TempDir batch_dir;
  QStringList chosen;
  for (const auto& f : BatchSelection(batch_dir.path())) chosen << QString::fromStdString(f);
  prompts.file_lists.push_back(chosen);
  QTest::mouseClick(window->findChild<QPushButton*>("cmdAuto"), Qt::LeftButton);
  ASSERT_TRUE(window->runner().running());
  QTest::keyClick(window.get(), Qt::Key_Escape);
  ASSERT_TRUE(window->WaitForCommand(300000));
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_NE(prompts.messages[0].text.find("; interrupted. ET = "), std::string::npos)
      << prompts.messages[0].text;
  EXPECT_FALSE(std::filesystem::exists(batch_dir.path() / "WordFile" / "taxiway.docx"));
  EXPECT_TRUE(window->option(0)->isEnabled());
}

TEST_F(MainWindowTest, ProcessSimAllSimulatesTheListOnTheWorkerAndLogsWhatIsMissing) {
  ReadSample();
  const std::string results = Results();
  TempDir list_dir;
  CopySample(list_dir.path());
  const std::string list = list_dir.file("measurements.txt");
  {
    std::ofstream f(list);
    f << "runway.pro\nmissing.pro\n";
  }
  prompts.files.push_back(list);
  QTest::mouseClick(window->findChild<QPushButton*>("cmdProcessAll"), Qt::LeftButton);
  ASSERT_TRUE(window->runner().running());
  ASSERT_TRUE(window->WaitForCommand(300000));
  EXPECT_EQ(Status(), "ProcessSim All finished");
  EXPECT_TRUE(std::filesystem::exists(list_dir.path() / "runway.Log"));
  const std::string log = ReadAll(list_dir.file("ProDatFiles.log"));
  const std::string missing = list_dir.file("missing") +
                              " not processed because the .Pro file does not exist.";
  EXPECT_NE(log.find(missing), std::string::npos) << log;
  EXPECT_EQ(log.find("runway not processed"), std::string::npos) << log;
  // The closing message counts what was done and lists what went wrong, as the log does.
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].title, "ProcessSim All");
  const std::string& text = prompts.messages[0].text;
  EXPECT_EQ(text.rfind("1 of 2 measurements simulated and reported. ET = ", 0), 0u) << text;
  EXPECT_NE(text.find("\r\n\r\nWhat went wrong (also in " + list_dir.file("ProDatFiles.log") +
                      "):\r\n" + missing),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("runway"), std::string::npos) << text;
  // The window's profile and results file are not the list's.
  EXPECT_EQ(Results(), results);
  EXPECT_EQ(window->windowTitle().toStdString(), "Profile and Roughness Indexes - " + profile);
}

TEST_F(MainWindowTest, MetricChangesTheLabelsOnly) {
  ReadSample();
  RunOption(1);
  const ProfileModel& m = window->model();
  const auto profile_before = m.profile;
  const auto deviation_before = m.levels[1].data;
  const std::string box = window->value_box(0)->text().toStdString();
  const std::string results = Results();
  const LevelPlot before0 = *window->panel(0)->plot();
  const LevelPlot before1 = *window->panel(1)->plot();
  EXPECT_EQ(before0.axis_label, "Hundreds of Feet");

  ClickMetric();
  ASSERT_TRUE(m.units.Metric);
  const LevelPlot after0 = *window->panel(0)->plot();
  const LevelPlot after1 = *window->panel(1)->plot();
  EXPECT_EQ(after0.axis_label, "Hundreds of Meters");
  EXPECT_EQ(after0.values, before0.values);
  EXPECT_DOUBLE_EQ(after0.value_factor, 2.54);
  EXPECT_DOUBLE_EQ(after0.length_factor, 0.3048);
  EXPECT_NE(after0.title.find(",cm"), std::string::npos) << after0.title;
  EXPECT_EQ(after1.values, before1.values);
  EXPECT_DOUBLE_EQ(after1.value_factor, 25.4);
  EXPECT_NE(after1.title, before1.title);
  EXPECT_EQ(m.profile, profile_before);
  EXPECT_EQ(m.levels[1].data, deviation_before);
  EXPECT_EQ(window->value_box(0)->text().toStdString(), box);
  EXPECT_EQ(Results(), results);

  // And back: the very labels of before.
  ClickMetric();
  EXPECT_EQ(window->panel(0)->plot()->title, before0.title);
  EXPECT_EQ(window->panel(1)->plot()->title, before1.title);
}

TEST_F(MainWindowTest, RightClickOnAnIndexPlotShowsTheDetailAndTheReadOuts) {
  ReadSample();
  RunOption(1);
  RunOption(2);
  ui::PlotPanel* p1 = window->panel(1);
  ui::PlotPanel* p2 = window->panel(2);

  QTest::mouseClick(p1, Qt::RightButton, {}, At(p1, 50.0));
  EXPECT_TRUE(p1->showing_detail());
  EXPECT_EQ(p1->kind(), "Straightedge Plot");
  EXPECT_EQ(p1->plot()->title.rfind("Straightedge, Deviation = ", 0), 0u) << p1->plot()->title;
  EXPECT_EQ(window->status_panel(6)->text().toStdString(), "Current = Straightedge");
  EXPECT_EQ(window->status_panel(2)->text().left(4).toStdString(), "X = ");
  // The detail cannot be zoomed; Undo Zoom brings the series back.
  QTest::mouseClick(window->findChild<QPushButton*>("cmdZoom"), Qt::LeftButton);
  QTest::mouseClick(p1, Qt::LeftButton, {}, At(p1, 49.0));
  QTest::mouseClick(p1, Qt::LeftButton, {}, At(p1, 51.0));
  ASSERT_FALSE(prompts.messages.empty());
  EXPECT_EQ(prompts.messages.back().text, "Cannot zoom this plot.");
  QTest::mouseClick(window->findChild<QPushButton*>("cmdUndoZoom"), Qt::LeftButton);
  EXPECT_FALSE(p1->showing_detail());
  EXPECT_EQ(p1->kind(), "Straightedge");

  QTest::mouseClick(p2, Qt::RightButton, {}, At(p2, 50.0));
  EXPECT_TRUE(p2->showing_detail());
  EXPECT_EQ(p2->plot()->title.rfind("Boeing Bump Index, Index = ", 0), 0u) << p2->plot()->title;
  // A right click on the profile shows no detail.
  QTest::mouseClick(window->panel(0), Qt::RightButton, {}, At(window->panel(0), 50.0));
  EXPECT_FALSE(window->panel(0)->showing_detail());
}

TEST_F(MainWindowTest, ShowBarsOffersTheRowsRunDrawsNoBarsForARowNotComputedAndSaves) {
  ReadSample();
  QTest::mouseClick(window->findChild<QPushButton*>("BarChartPlot"), Qt::LeftButton);
  ui::ChartWindow* chart = window->chart_window();
  ASSERT_NE(chart, nullptr);
  EXPECT_TRUE(chart->isVisible());
  auto* rows = chart->findChild<QComboBox*>();
  auto* save = chart->findChild<QPushButton*>("SaveToWordFile");
  EXPECT_EQ(rows->count(), 0);
  EXPECT_FALSE(save->isEnabled()) << "nothing shown, nothing to save";
  // The chart window is the active one now: the indexes are run by clicking their options.
  const auto run = [&](int option) {
    QTest::mouseClick(window->option(option), Qt::LeftButton);
    ASSERT_TRUE(window->WaitForCommand());
  };
  // The columns the view draws, counted by the drawing itself.
  const auto bars = [&] {
    chart->view()->grab();
    return chart->view()->drawn().bars;
  };

  // Indexes run while the window is open join its options. Chart rows: the Boeing Bump Index
  // is row 2, the band-pass index row 4.
  run(1);
  run(4);
  ASSERT_EQ(rows->count(), 2);
  EXPECT_EQ(rows->itemData(0).toInt(), 2);
  EXPECT_EQ(rows->itemData(1).toInt(), 4);
  EXPECT_EQ(window->model().shown_chart_row, 2);
  EXPECT_TRUE(save->isEnabled());
  const int sections = window->model().sections.part_count[2];
  EXPECT_GT(sections, 1);
  EXPECT_EQ(bars(), sections);
  // The IRI (row 3) has not run: its chart has no bars.
  ASSERT_TRUE(chart->ShowRow(3));
  EXPECT_EQ(bars(), 0);

  run(0);
  ASSERT_EQ(rows->count(), 3);
  EXPECT_EQ(rows->itemData(0).toInt(), 1);
  ASSERT_TRUE(chart->ShowRow(4));
  EXPECT_EQ(bars(), window->model().sections.part_count[4]);
  QTest::mouseClick(save, Qt::LeftButton);
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "ChartFile" / "runwayChart.docx"));
  EXPECT_TRUE(prompts.messages.empty());

  // The profile read again has no index yet: the rows of the one before show no bars.
  ASSERT_TRUE(window->ReadProfile(profile));
  EXPECT_EQ(rows->count(), 0);
  EXPECT_FALSE(save->isEnabled());
  ASSERT_TRUE(chart->ShowRow(4));
  EXPECT_EQ(bars(), 0);
  QTest::mouseClick(chart->findChild<QPushButton*>("Back"), Qt::LeftButton);
  EXPECT_FALSE(chart->isVisible());
}

TEST_F(MainWindowTest, ALeftClickCopiesAPanelOutsideASelectionAndCtrlCTheLastClicked) {
  ReadSample();
  RunOption(1);
  QClipboard* clipboard = QApplication::clipboard();
  const auto picture = [](const QImage& i) { return i.convertToFormat(QImage::Format_RGB32); };
  ui::PlotPanel* p0 = window->panel(0);
  ui::PlotPanel* p1 = window->panel(1);

  clipboard->clear();
  QTest::mouseClick(p1, Qt::LeftButton, {}, At(p1, 30.0));
  ASSERT_FALSE(clipboard->image().isNull());
  EXPECT_EQ(clipboard->image().size(), p1->size());
  EXPECT_EQ(picture(clipboard->image()), picture(p1->grab().toImage()));
  EXPECT_EQ(Status(), "Plot copied to the clipboard");
  // The click is still a read-out.
  EXPECT_EQ(window->status_panel(6)->text().toStdString(), "Current = Straightedge");

  // An empty panel and a right click copy nothing.
  clipboard->clear();
  QTest::mouseClick(window->panel(3), Qt::LeftButton);
  QTest::mouseClick(p0, Qt::RightButton, {}, At(p0, 30.0));
  EXPECT_TRUE(clipboard->image().isNull());
  // Nor do the clicks of a selection.
  QTest::mouseClick(window->findChild<QPushButton*>("cmdZoom"), Qt::LeftButton);
  QTest::mouseClick(p0, Qt::LeftButton, {}, At(p0, 20.0));
  QTest::mouseClick(p0, Qt::LeftButton, {}, At(p0, 40.0));
  EXPECT_EQ(window->model().levels[0].zoomed, 1);
  EXPECT_TRUE(clipboard->image().isNull());

  // Ctrl+C copies the panel clicked last: the zoomed profile.
  QTest::keyClick(window.get(), Qt::Key_C, Qt::ControlModifier);
  ASSERT_FALSE(clipboard->image().isNull());
  EXPECT_EQ(picture(clipboard->image()), picture(p0->grab().toImage()));
  EXPECT_NE(picture(clipboard->image()), picture(p1->grab().toImage()));
}

TEST_F(MainWindowTest, F1OpensAGettingStartedPageThatNamesEveryIndexOption) {
  QTest::keyClick(window.get(), Qt::Key_F1);
  auto* page = window->findChild<QDialog*>("GettingStarted");
  ASSERT_NE(page, nullptr);
  EXPECT_TRUE(page->isVisible());
  const QString text = page->findChild<QTextBrowser*>()->toPlainText();
  // The page speaks of the options by the captions the person sees.
  for (int k = 0; k < 5; ++k)
    EXPECT_TRUE(text.contains(window->option(k)->text())) << window->option(k)->text().toStdString();
  for (const char* button : {"cmdReadFile", "cmdRunSim", "cmdAuto", "cmdInputOutput", "PSD"})
    EXPECT_TRUE(text.contains(window->findChild<QPushButton*>(button)->text().remove('&')))
        << button;
  EXPECT_TRUE(text.contains("runway.pro"));
  EXPECT_TRUE(text.contains("Inches per mile"));
}

TEST(MainWindowSettings, SizeAndLastFolderAreRememberedBetweenRuns) {
  App();
  TempDir dir, profiles;
  const std::string profile = CopySample(profiles.path());
  const QString ini = QString::fromStdString(dir.file("tarmac.ini"));
  {
    QSettings settings(ini, QSettings::IniFormat);
    ScriptedPrompts prompts;
    ui::MainWindow window(prompts, &settings);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    prompts.files.push_back(profile);
    QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
    ASSERT_TRUE(window.model().HasProfile());
    window.resize(1010, 707);
    window.close();
  }
  QSettings settings(ini, QSettings::IniFormat);
  ScriptedPrompts prompts;
  ui::MainWindow window(prompts, &settings);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_EQ(window.size(), QSize(1010, 707));
  QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);  // the dialog is cancelled
  ASSERT_EQ(prompts.dialog_folders.size(), 1u);
  EXPECT_EQ(std::filesystem::path(prompts.dialog_folders[0]), profiles.path());
  EXPECT_FALSE(window.model().HasProfile());
}

}  // namespace
}  // namespace tarmac::testing
