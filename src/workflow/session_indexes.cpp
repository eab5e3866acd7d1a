// The index dispatch: profile preparation, the five indexes, their publication into the
// section tables and plot levels, the results-file lines, and the filter test.
#include <cmath>
#include <initializer_list>
#include <optional>
#include <stdexcept>

#include "common/number_format.h"
#include "indexes/bandpass.h"
#include "indexes/exceedance_series.h"
#include "profile/filters.h"
#include "profile/prepare.h"
#include "indexes/profilograph.h"
#include "indexes/sections.h"
#include "spectra/cumulative.h"
#include "workflow/results_file.h"
#include "workflow/index_kind.h"
#include "workflow/index_reports.h"
#include "workflow/session.h"
#include "workflow/session_jobs.h"
#include "workflow/spectra_texts.h"

namespace tarmac {
namespace {

// The step of the filter test's impulse, ft.
constexpr double kFilterTestSpacing = 0.082;

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
  if (parts > t.section_count) {
    SectionTables grown;
    grown.section_count = static_cast<std::int16_t>(parts + 10);
    grown.values.assign(static_cast<std::size_t>(grown.section_count + 1) * kChartRows, 0.0f);
    for (int i = 0; i <= t.section_count; ++i)
      for (int r = 0; r < kChartRows; ++r) grown.at(i, r) = t.at(i, r);
    t.section_count = grown.section_count;
    t.values = std::move(grown.values);
  }
  for (std::int32_t i = 1; i <= parts; ++i) t.at(i, row) = values[static_cast<std::size_t>(i - 1)];
  t.part_count[static_cast<std::size_t>(row)] = static_cast<std::int16_t>(parts);
  t.chart_title[static_cast<std::size_t>(row)] = chartTitle;
  if (lengths) t.section_lengths = *lengths;
}

void Session::PublishStretches(double first, double center, double last) {
  model_.sections.first_stretch = first;
  model_.sections.centre_stretch = center;
  model_.sections.last_stretch = last;
}

void Session::FillLevel(int level, std::vector<float> data, double step_ft,
                        const std::string& kind, const std::string& title,
                        const std::string& drawnTitle) {
  PlotLevel& l = model_.levels.at(static_cast<std::size_t>(level));
  l.zoomed = 0;
  // Stretches beyond a limit belong to the series they were found on.
  model_.exceedances.on_level.at(static_cast<std::size_t>(level)).clear();
  l.data = std::move(data);
  l.step_ft = step_ft;
  l.kind = kind;
  l.title = title;
  ShowLevelPlot(level, drawnTitle, 1, l.npoints(), true);
}

// One index run: the preparation and the index on the snapshot, then its publication.
class Session::IndexJob final : public Session::JobBase {
 public:
  IndexJob(Session& session, int k)
      : JobBase(session, k < kIndexKindCount ? DescriptionOf(IndexKind(k)).computing : "Filter test"),
        k_(k) {}

 private:
  void Run(Progress& progress) override;
  JobRefusal Describe(const std::exception& e) const override;
  void Apply() override;

  const int k_;
  PreparedProfile prepared_;
  IndexSections sections_;  // straightedge, Boeing Bump, band-pass
  StraightedgeResult straightedge_;
  BoeingBumpResult bump_;
  std::optional<CumulativeDistribution> bump_distribution_;  // none when there is no bump
  IriResult iri_;
  ProfilographResult profilograph_;
  BandpassResult bandpass_;
  std::vector<float> impulse_;  // the filter test
  std::optional<ExceedanceList> exceedances_;  // none for the band-pass and the filter test
};

void Session::IndexJob::Run(Progress& progress) {
  const Settings& s = settings_;
  if (k_ == 5) {
    // The filter test: the impulse response of the low-pass filter at the Nyquist frequency.
    impulse_.assign(600, 0.0f);
    impulse_[299] = 1.0f;
    LowPassFilter(1.0 / (2.0 * kFilterTestSpacing), kFilterTestSpacing, impulse_, true);
    return;
  }
  const IndexDescription& index = DescriptionOf(IndexKind(k_));
  if (index.decimation > 0)
    prepared_ = PrepareIndexProfile(profile_, s.SampleSpacing,
                                    DecimationFactor(index.decimation, s.SampleSpacing,
                                                     s.Decimation),
                                    s.SmoothEnds, s.SmoothingDistance);
  switch (index.kind) {
    case IndexKind::Straightedge: {
      const std::span<const float> z(prepared_.data1(), static_cast<std::size_t>(prepared_.n));
      straightedge_ =
          ComputeStraightedge(z, s.StraightedgeLength, prepared_.spacing,
                              StraightedgePositionFromText(s.StraightedgePosition), progress);
      sections_ = ComputeIndexSections(index.level, straightedge_.deviation, prepared_.spacing,
                                       s.AveragingDistance, units_);
      RequireFinite(straightedge_.deviation);
      RequireFinite(straightedge_.line_start);
      RequireFinite(straightedge_.line_end);
      RequireFinite(sections_);
      exceedances_ = JudgeSeries(ExceedanceKind::Straightedge, straightedge_.deviation,
                                 prepared_.spacing, s);
      break;
    }
    case IndexKind::BoeingBump:
      bump_ = ComputeBoeingBumpIndex(prepared_, s.AveragingDistance, units_, progress);
      RequireFinite(bump_.series.index);
      RequireFinite(bump_.series.height);
      RequireFinite(bump_.sections);
      try {
        bump_distribution_ = ComputeCumulativeDistribution(bump_.series.index);
      } catch (const std::invalid_argument&) {
        // A profile without a single bump has no distribution to write.
      }
      exceedances_ =
          JudgeSeries(ExceedanceKind::BoeingBump, bump_.series.index, prepared_.spacing, s);
      break;
    case IndexKind::Iri:
      iri_ = ComputeIRI(prepared_, s.AveragingDistance, units_, progress);
      RequireFinite(iri_.slope);
      RequireFinite(iri_.part_iri);
      RequireFinite({iri_.total, iri_.first_2000, iri_.centre_2000, iri_.last_2000});
      RequireFinite(iri_.section_indexes);
      exceedances_ = JudgeSeries(
          ExceedanceKind::ShortIri,
          ShortIntervalIri(std::span<const float>(iri_.slope).first(
                               static_cast<std::size_t>(iri_.plotted)),
                           prepared_.spacing, kShortIriBase),
          prepared_.spacing, s);
      break;
    case IndexKind::Profilograph:
      profilograph_ = ComputeCAProfilograph(prepared_, s.SectionLengthCAPI, units_, progress);
      RequireFinite(profilograph_.trace);
      RequireFinite({profilograph_.total, profilograph_.first_2000, profilograph_.centre_2000,
                     profilograph_.last_2000});
      RequireFinite(profilograph_.section_indexes);
      exceedances_ = JudgeSeries(ExceedanceKind::Scallop,
                                 ScallopHeightsAboveBand(profilograph_), prepared_.spacing, s);
      break;
    case IndexKind::Bandpass:
      bandpass_ = ComputeBandpassIndex(profile_, s.SampleSpacing);
      sections_ = ComputeIndexSections(index.level, bandpass_.series, s.SampleSpacing, s.AveragingDistance,
                                       units_);
      RequireFinite(bandpass_.series);
      RequireFinite(sections_);
      break;
  }
}

JobRefusal Session::IndexJob::Describe(const std::exception& e) const {
  if (dynamic_cast<const NotFinite*>(&e))
    return {std::string("The ") + DescriptionOf(IndexKind(k_)).message_name +
                " of this profile is not a finite number: the profile holds values too large "
                "for it. Nothing was shown or written.",
            "Cannot Compute Index"};
  return {e.what(), "Cannot Compute Index"};
}

void Session::IndexJob::Apply() {
  Session& session = session_;
  ProfileModel& m = session.model_;
  if (k_ == 5) {
    m.prepared.spacing = kFilterTestSpacing;
    session.FillLevel(4, std::move(impulse_), kFilterTestSpacing, "Other",
                      "Test transfer function with cutoff-freq. = NyQuistFreq",
                      "Test transfer function with cutoff-freq. = NyQuistFreq");
  } else {
    const IndexDescription& index = DescriptionOf(IndexKind(k_));
    switch (index.kind) {
      case IndexKind::Straightedge: {
        session.PublishIndexSections(sections_);
        const std::string title = "Straightedge," + m.units.ElevationLabel + ",Edgelength = " +
                                  FormatNumber(straightedge_.edge_used * m.units.LengthFactor,
                                               "0.0") +
                                  m.units.LengthLabel;
        session.FillLevel(index.level, straightedge_.deviation, prepared_.spacing,
                          index.plot_kind, title, title);
        m.straightedge = std::move(straightedge_);
        m.straightedge_input = std::move(prepared_);
        m.flags.straightedge_done = true;
        break;
      }
      case IndexKind::BoeingBump: {
        session.PublishIndexSections(bump_.sections);
        session.FillLevel(index.level, bump_.series.index, prepared_.spacing,
                          index.plot_kind, "Boeing Bump Index", "Boeing Bump Index");
        m.flags.bump_done = true;
        // One line of the bump distribution file, in batch runs too.
        if (bump_distribution_) {
          const std::string path = FolderOf(m.results_file) + std::string(kBoeingBumpPdfFileName);
          if (!AppendLine(path, BoeingBumpPdfLine(m.data_file, *bump_distribution_)))
            session.prompts_.Status("Could not append to " + path);
        } else {
          session.prompts_.Status("No Boeing Bump distribution: the index is zero everywhere");
        }
        m.bump = std::move(bump_.series);
        m.bump_input = std::move(prepared_);
        break;
      }
      case IndexKind::Iri: {
        IriResult& r = iri_;
        m.settings.AveragingStep = r.averaging_step;
        m.index_text[static_cast<std::size_t>(index.value_box)] = IndexValueText(r.total);
        m.index_value[static_cast<std::size_t>(index.value_box)] = r.total;
        session.PublishSectionRow(index.chart_row, r.section_indexes, &r.section_lengths,
                                  m.graph_title + IriChartTitleSuffix(r));
        session.PublishStretches(r.first_2000, r.centre_2000, r.last_2000);
        session.AppendResults(IriReportLines(r, m.units));
        const std::string title = "IRI (1/4 Car), Rectified Slope," + m.units.RoughnessLabel;
        std::vector<float> shown(r.slope.begin(), r.slope.begin() + r.plotted);
        session.FillLevel(index.level, std::move(shown), prepared_.spacing, index.plot_kind, title,
                          "IRI(1/4 Car), Rectified Slope," + m.units.RoughnessLabel);
        m.iri = std::move(r);
        m.prepared = std::move(prepared_);
        m.flags.iri_done = true;
        break;
      }
      case IndexKind::Profilograph: {
        ProfilographResult& r = profilograph_;
        m.settings.AveragingStep = r.averaging_step;
        m.index_text[static_cast<std::size_t>(index.value_box)] = IndexValueText(r.total);
        m.index_value[static_cast<std::size_t>(index.value_box)] = r.total;
        session.PublishSectionRow(index.chart_row, r.section_indexes, nullptr,
                                  m.graph_title + ProfilographChartTitleSuffix(r));
        session.PublishStretches(r.first_2000, r.centre_2000, r.last_2000);
        session.AppendResults(ProfilographReportLines(r, m.units));
        session.FillLevel(index.level, r.trace, prepared_.spacing, index.plot_kind,
                          "CA Profilograph," + m.units.ElevationLabel,
                          "CA Profilograph," + m.units.RoughnessLabel);
        m.profilograph_sections = std::move(r.section_indexes);
        m.profilograph_section_lengths = std::move(r.section_lengths);
        m.prepared = std::move(prepared_);
        m.flags.profilograph_done = true;
        break;
      }
      case IndexKind::Bandpass: {
        session.PublishIndexSections(sections_);
        const std::string title = "Bandpass Filter" + m.units.ElevationLabel;
        session.FillLevel(index.level, bandpass_.series, m.settings.SampleSpacing, index.plot_kind,
                          title,
                          "BandPass Filter," + m.units.ElevationLabel);
        m.bandpass = std::move(bandpass_.series);
        m.flags.bandpass_done = true;
        break;
      }
    }
    if (exceedances_) {
      const ExceedanceKind kind = exceedances_->kind;
      m.exceedances.on_level.at(static_cast<std::size_t>(InfoOf(kind).level)) = {kind};
      m.exceedances.lists[static_cast<std::size_t>(kind)] = std::move(exceedances_);
    }
    m.chart_row_enabled[static_cast<std::size_t>(index.chart_row - 1)] = true;
    ModelChange::AddTo(session.changes().indexes, k_);
    session.prompts_.Status(index.finished);
  }
  session.AppendResults({"Indexbegin = " + BareNumber(m.sections.first_stretch) + ", indexcenter = " +
                             BareNumber(m.sections.centre_stretch) + ", indexlast = " +
                             BareNumber(m.sections.last_stretch),
                         ""});
}

std::unique_ptr<Job> Session::PrepareIndex(int k) {
  if (k < 0 || k > 5) {
    prompts_.Message("There is no index option " + std::to_string(k) + ".", "Index");
    return nullptr;
  }
  if (!RequireProfile()) return nullptr;
  if (k < kIndexKindCount) prompts_.Status(DescriptionOf(IndexKind(k)).computing);
  return std::make_unique<IndexJob>(*this, k);
}

bool Session::RunIndex(int k) {
  const std::unique_ptr<Job> job = PrepareIndex(k);
  return job && RunJob(*job);
}

// Publishes what the common sectioning computed for the straightedge, bump or band-pass series.
void Session::PublishIndexSections(const IndexSections& s) {
  model_.settings.AveragingStep = s.averaging_step;
  const IndexDescription& index = DescriptionOf(*IndexKindOfLevel(s.level));
  const auto box = static_cast<std::size_t>(index.value_box);
  model_.index_text[box] = IndexValueText(s.shown_value);
  model_.index_value[box] = s.shown_value;
  PublishSectionRow(index.chart_row, s.section_indexes, &s.section_lengths,
                    model_.graph_title + IndexChartTitleSuffix(s));
  PublishStretches(s.first2000_display, s.center2000_display, s.last2000_display);
  AppendResults(IndexReportLines(s, model_.units));
}

}  // namespace tarmac
