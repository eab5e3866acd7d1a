// The index dispatch: profile preparation, the five indexes, their publication into the
// section tables and plot levels, the results-file lines, and the filter test.
#include <cmath>
#include <initializer_list>
#include <stdexcept>

#include "common/number_format.h"
#include "indexes/bandpass.h"
#include "profile/filters.h"
#include "profile/prepare.h"
#include "indexes/profilograph.h"
#include "indexes/sections.h"
#include "spectra/cumulative.h"
#include "workflow/results_file.h"
#include "workflow/index_reports.h"
#include "workflow/session.h"
#include "workflow/spectra_texts.h"

namespace tarmac {
namespace {

struct IndexOption {
  const char* computing;  // status text while computing
  const char* finished;   // status text after
  int factor;             // design decimation factor of the preparation (0: none)
  int chart_option;       // option of the index chart made available
  const char* name;       // the index in messages
};

constexpr IndexOption kOptions[5] = {
    {"Computing Straightedge", "Finished Straightedge", kFineDecimation, 0, "straightedge deviation"},
    {"Computing Boeing", "Finished Boeing", kCoarseDecimation, 1, "Boeing Bump Index"},
    {"Computing IRI", "Finished IRI", kFineDecimation, 2, "IRI"},
    {"Computing CA Profilograph", "Finished CA Profilograph", kFineDecimation, 4,
     "California profilograph index"},
    {"Computing Bandpass", "Finished Bandpass", 0, 3, "band-pass index"},
};

// An index whose series or statistics hold a value that is not a finite number is no result:
// it is refused before anything of it is shown or written.
class NotFinite : public std::domain_error {
 public:
  NotFinite() : std::domain_error("not finite") {}
};

void RequireFinite(std::span<const float> values) {
  for (const float v : values)
    if (!std::isfinite(v)) throw NotFinite{};
}

void RequireFinite(std::span<const double> values) {
  for (const double v : values)
    if (!std::isfinite(v)) throw NotFinite{};
}

void RequireFinite(std::initializer_list<double> values) {
  RequireFinite(std::span<const double>(values.begin(), values.size()));
}

void RequireFinite(const IndexSections& s) {
  RequireFinite({s.total_mean, s.total_rms, s.minimum, s.maximum, s.first2000, s.center2000,
                 s.last2000, s.shown_value, s.first2000_display, s.center2000_display,
                 s.last2000_display});
  for (const IndexPart& p : s.parts) RequireFinite({p.mean, p.rms, p.mean_display, p.rms_display});
  RequireFinite(s.section_indexes);
}

}  // namespace

void Session::PublishSectionRow(int row, const std::vector<float>& values,
                                const std::vector<float>* lengths, const std::string& chartTitle) {
  SectionTables& t = model_.sections;
  const auto parts = static_cast<std::int32_t>(values.size());
  // The table was sized for the profile when it was read; a later change of the section
  // lengths can ask for more parts than it holds, so it grows instead of overflowing.
  if (parts > t.NumSections) {
    SectionTables grown;
    grown.NumSections = static_cast<std::int16_t>(parts + 10);
    grown.values.assign(static_cast<std::size_t>(grown.NumSections + 1) * kChartRows, 0.0f);
    for (int i = 0; i <= t.NumSections; ++i)
      for (int r = 0; r < kChartRows; ++r) grown.at(i, r) = t.at(i, r);
    t.NumSections = grown.NumSections;
    t.values = std::move(grown.values);
  }
  for (std::int32_t i = 1; i <= parts; ++i) t.at(i, row) = values[static_cast<std::size_t>(i - 1)];
  t.IndexPartCount[static_cast<std::size_t>(row)] = static_cast<std::int16_t>(parts);
  t.IndexChartTitle[static_cast<std::size_t>(row)] = chartTitle;
  if (lengths) t.SectionLength = *lengths;
}

void Session::PublishStretches(double first, double center, double last) {
  model_.sections.First2000 = first;
  model_.sections.Center2000 = center;
  model_.sections.Last2000 = last;
}

void Session::FillLevel(int level, std::vector<float> data, double step_ft,
                        const std::string& kind, const std::string& title,
                        const std::string& drawnTitle) {
  PlotLevel& l = model_.levels.at(static_cast<std::size_t>(level));
  l.zoomed = 0;
  l.data = std::move(data);
  l.step_ft = step_ft;
  l.kind = kind;
  l.title = title;
  ShowLevelPlot(level, drawnTitle, 1, l.npoints(), true);
}

bool Session::RunIndex(int k) {
  if (k < 0 || k > 5) {
    prompts_.Message("There is no index option " + std::to_string(k) + ".", "Index");
    return false;
  }
  if (!RequireProfile()) return false;
  ProfileModel& m = model_;
  if (k == 5) {
    // The filter test: the impulse response of the low-pass filter at the Nyquist frequency.
    std::vector<float> impulse(600, 0.0f);
    impulse[299] = 1.0f;
    const double dx = 0.082;
    LowPassFilter(1.0 / (2.0 * dx), dx, impulse, true);
    m.prepared.spacing = dx;
    FillLevel(4, std::move(impulse), dx, "Other",
              "Test transfer function with cutoff-freq. = NyQuistFreq",
              "Test transfer function with cutoff-freq. = NyQuistFreq");
  } else {
    const IndexOption& opt = kOptions[k];
    if (plots_) plots_->PanelCleared(k + 1);
    prompts_.Status(opt.computing);
    const std::string oldText = m.TextI[static_cast<std::size_t>(k)];
    m.TextI[static_cast<std::size_t>(k)] = " ";
    try {
      PreparedProfile prepared;
      if (opt.factor > 0)
        prepared = PrepareIndexProfile(
            m.ProfileZ, m.settings.SampleSpacing,
            DecimationFactor(opt.factor, m.settings.SampleSpacing, m.settings.Decimation),
            m.settings.SmoothEnds, m.settings.SmoothingDistance);
      switch (k) {
        case 0: RunStraightedge(std::move(prepared)); break;
        case 1: RunBoeingBump(std::move(prepared)); break;
        case 2: RunIri(std::move(prepared)); break;
        case 3: RunProfilograph(std::move(prepared)); break;
        case 4: RunBandpass(); break;
      }
    } catch (const Cancelled&) {
      m.TextI[static_cast<std::size_t>(k)] = oldText;
      prompts_.Status("Cancelled");
      return false;
    } catch (const NotFinite&) {
      m.TextI[static_cast<std::size_t>(k)] = oldText;
      prompts_.Message(std::string("The ") + opt.name +
                           " of this profile is not a finite number: the profile holds values "
                           "too large for it. Nothing was shown or written.",
                       "Cannot Compute Index");
      return false;
    } catch (const std::exception& e) {
      m.TextI[static_cast<std::size_t>(k)] = oldText;
      prompts_.Message(e.what(), "Cannot Compute Index");
      return false;
    }
    m.chart_row_enabled[static_cast<std::size_t>(opt.chart_option)] = true;
    prompts_.Status(opt.finished);
  }
  AppendResults({"Indexbegin = " + BareNumber(m.sections.First2000) + ", indexcenter = " +
                     BareNumber(m.sections.Center2000) + ", indexlast = " +
                     BareNumber(m.sections.Last2000),
                 ""});
  return true;
}

// Publishes what the common sectioning computed for the straightedge, bump or band-pass series.
void Session::PublishIndexSections(const IndexSections& s) {
  model_.settings.AveragingStep = s.averaging_step;
  const auto box = static_cast<std::size_t>(IndexValueBox(s.level));
  model_.TextI[box] = IndexValueText(s.shown_value);
  model_.IndexValue[box] = s.shown_value;
  PublishSectionRow(s.chart_row, s.section_indexes, &s.section_lengths,
                    model_.GraphTitle + IndexChartTitleSuffix(s));
  PublishStretches(s.first2000_display, s.center2000_display, s.last2000_display);
  AppendResults(IndexReportLines(s, model_.units));
}

void Session::RunStraightedge(PreparedProfile prepared) {
  ProfileModel& m = model_;
  const std::span<const float> z(prepared.data1(), static_cast<std::size_t>(prepared.n));
  StraightedgeResult r =
      ComputeStraightedge(z, m.settings.StraightedgeLength, prepared.spacing,
                          StraightedgePositionFromText(m.settings.StraightedgePosition), progress());
  const IndexSections sec = ComputeIndexSections(1, r.deviation, prepared.spacing,
                                                 m.settings.AveragingDistance, m.units);
  RequireFinite(r.deviation);
  RequireFinite(r.line_start);
  RequireFinite(r.line_end);
  RequireFinite(sec);
  PublishIndexSections(sec);
  const std::string title = "Straightedge," + m.units.ElevationLabel + ",Edgelength = " +
                            FormatNumber(r.edge_used * m.units.LengthFactor, "0.0") +
                            m.units.LengthLabel;
  FillLevel(1, r.deviation, prepared.spacing, "Straightedge", title, title);
  m.straightedge = std::move(r);
  m.straightedge_input = std::move(prepared);
  m.flags.StraightedgeDone = true;
}

void Session::RunBoeingBump(PreparedProfile prepared) {
  ProfileModel& m = model_;
  BoeingBumpResult r =
      ComputeBoeingBumpIndex(prepared, m.settings.AveragingDistance, m.units, progress());
  RequireFinite(r.series.index);
  RequireFinite(r.series.height);
  RequireFinite(r.sections);
  PublishIndexSections(r.sections);
  FillLevel(2, r.series.index, prepared.spacing, "Boeing Bump Index", "Boeing Bump Index",
            "Boeing Bump Index");
  m.flags.BoeingDone = true;
  // One line of the bump distribution file, in batch runs too.
  try {
    const CumulativeDistribution d = ComputeCumulativeDistribution(r.series.index);
    const std::string path = FolderOf(m.ResultsFile) + std::string(kBoeingBumpPdfFileName);
    if (!AppendLine(path, BoeingBumpPdfLine(m.DataFileName, d)))
      prompts_.Status("Could not append to " + path);
  } catch (const std::invalid_argument&) {
    // A profile without a single bump has no distribution to write.
    prompts_.Status("No Boeing Bump distribution: the index is zero everywhere");
  }
  m.bump = std::move(r.series);
  m.bump_input = std::move(prepared);
}

void Session::RunIri(PreparedProfile prepared) {
  ProfileModel& m = model_;
  IriResult r = ComputeIRI(prepared, m.settings.AveragingDistance, m.units, progress());
  RequireFinite(r.slope);
  RequireFinite(r.part_iri);
  RequireFinite({r.total, r.first_2000, r.centre_2000, r.last_2000});
  RequireFinite(r.section_indexes);
  m.settings.AveragingStep = r.averaging_step;
  m.TextI[2] = IndexValueText(r.total);
  m.IndexValue[2] = r.total;
  PublishSectionRow(3, r.section_indexes, &r.section_lengths, m.GraphTitle + IriChartTitleSuffix(r));
  PublishStretches(r.first_2000, r.centre_2000, r.last_2000);
  AppendResults(IriReportLines(r, m.units));
  const std::string title = "IRI (1/4 Car), Rectified Slope," + m.units.RoughnessLabel;
  std::vector<float> shown(r.slope.begin(), r.slope.begin() + r.plotted);
  FillLevel(3, std::move(shown), prepared.spacing, "IRI (1/4 Car)", title,
            "IRI(1/4 Car), Rectified Slope," + m.units.RoughnessLabel);
  m.iri = std::move(r);
  m.prepared = std::move(prepared);
  m.flags.IRIDone = true;
}

void Session::RunProfilograph(PreparedProfile prepared) {
  ProfileModel& m = model_;
  ProfilographResult r =
      ComputeCAProfilograph(prepared, m.settings.SectionLengthCAPI, m.units, progress());
  RequireFinite(r.trace);
  RequireFinite({r.total, r.first_2000, r.centre_2000, r.last_2000});
  RequireFinite(r.section_indexes);
  m.settings.AveragingStep = r.averaging_step;
  m.TextI[3] = IndexValueText(r.total);
  m.IndexValue[3] = r.total;
  PublishSectionRow(5, r.section_indexes, nullptr, m.GraphTitle + ProfilographChartTitleSuffix(r));
  PublishStretches(r.first_2000, r.centre_2000, r.last_2000);
  AppendResults(ProfilographReportLines(r, m.units));
  FillLevel(4, r.trace, prepared.spacing, "CA Profilograph",
            "CA Profilograph," + m.units.ElevationLabel,
            "CA Profilograph," + m.units.RoughnessLabel);
  m.CAPISections = std::move(r.section_indexes);
  m.CAPISectionLengths = std::move(r.section_lengths);
  m.prepared = std::move(prepared);
  m.flags.CAPIDone = true;
}

void Session::RunBandpass() {
  ProfileModel& m = model_;
  BandpassResult r = ComputeBandpassIndex(m.ProfileZ, m.settings.SampleSpacing);
  const IndexSections sec = ComputeIndexSections(5, r.series, m.settings.SampleSpacing,
                                                 m.settings.AveragingDistance, m.units);
  RequireFinite(r.series);
  RequireFinite(sec);
  PublishIndexSections(sec);
  const std::string title = "Bandpass Filter" + m.units.ElevationLabel;
  FillLevel(5, r.series, m.settings.SampleSpacing, "Bandpass Filter", title,
            "BandPass Filter," + m.units.ElevationLabel);
  m.bandpass = std::move(r.series);
  m.flags.BandpassDone = true;
}

}  // namespace tarmac
