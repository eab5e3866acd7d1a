// The spectra window (power spectrum and probability density of the profile or of an aircraft
// response) and the parameter window's cumulative distributions of the straightedge deviations
// and of the Boeing Bump Index.
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "profile/prepare.h"
#include "spectra/cumulative.h"
#include "workflow/results_file.h"
#include "workflow/session.h"
#include "workflow/session_jobs.h"
#include "workflow/spectra_texts.h"

namespace tarmac {
namespace {

// A series too large for the arithmetic gives a spectrum or density that is not a number; it is
// refused rather than shown.
const char* const kNotFiniteMessage =
    "The series holds values too large for this computation: its result is not a finite "
    "number. Nothing was shown.";

bool AllFinite(std::span<const double> values) {
  return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// A response series of the spectra window as the PSD and PDF runs read it.
struct ResponseSeries {
  std::vector<float> values;
  double dt = 0.0;          // seconds between samples
  double spacing_ft = 0.0;  // the spacing that sets the density's neighbour count
};

// The profile as the spectra read it: prepared afresh on every run, so that edits since the last
// index count, in inches at the design factor of ten.
PreparedProfile PrepareSpectrumProfile(std::span<const float> profile, const Settings& s) {
  return PrepareIndexProfile(profile, s.SampleSpacing,
                             DecimationFactor(kCoarseDecimation, s.SampleSpacing, s.Decimation),
                             s.SmoothEnds, s.SmoothingDistance);
}

}  // namespace

std::string Session::SpectrumSeriesCaption(SpectrumSeries series) {
  switch (series) {
    case SpectrumSeries::Profile: return "Profile";
    case SpectrumSeries::Gcg: return "Gcg";
    case SpectrumSeries::Gcp: return "Gcp";
    case SpectrumSeries::NoseForce: return "NoseForce";
    case SpectrumSeries::MainForce: return "MainForce";
    case SpectrumSeries::RearMainForce: return "Rear MainForce";
  }
  return "";
}

namespace {

// A response level of the last simulation, or why it cannot be had (shown, then nothing).
std::optional<ResponseSeries> LoadResponseSeries(const ProfileModel& m,
                                                 Session::SpectrumSeries series, Prompts& prompts) {
  const int level = static_cast<int>(series);
  const std::string caption = Session::SpectrumSeriesCaption(series);
  const SimulationResult& sim = m.simulation;
  if (series == Session::SpectrumSeries::RearMainForce && m.flags.simulation_done &&
      !sim.has_rear_main) {
    prompts.Message("The " + caption + " series exists for the B-747 only.", "No Such Series");
    return std::nullopt;
  }
  const PlotLevel& l = m.levels[static_cast<std::size_t>(level)];
  // A response level carries the simulated aircraft as its kind; an index run after the
  // simulation draws over that level and the response is gone.
  const bool isResponse = m.flags.simulation_done && !l.data.empty() && l.step_ft > 0.0 &&
                          l.kind == sim.aircraft_type;
  if (!isResponse) {
    prompts.Message("The " + caption + " series is not available:\r\nrun a simulation first.",
                    "No Simulation");
    return std::nullopt;
  }
  // The responses are sampled once per prepared-profile step at the simulated ground speed.
  const double speedFps = sim.speed_fps;
  if (!(speedFps > 0.0)) {
    prompts.Message("The simulated speed is not above zero: the response has no time scale.",
                    "No Simulation");
    return std::nullopt;
  }
  return ResponseSeries{l.data, l.step_ft / speedFps, l.step_ft};
}

}  // namespace

Session::PsdJob::PsdJob(Session& session, SpectrumSeries series, int exponent,
                        std::vector<float> values, double divisor, double dt)
    : JobBase(session, std::string(kPsdRunningStatus)),
      series_(series),
      exponent_(exponent),
      values_(std::move(values)),
      divisor_(divisor),
      dt_(dt) {}

void Session::PsdJob::Run(Progress&) {
  if (series_ == SpectrumSeries::Profile) {
    prepared_ = PrepareSpectrumProfile(profile_, settings_);
    values_.assign(prepared_.data1(), prepared_.data1() + prepared_.n);
    // The profile is taken as driven over at an assumed speed; its inches become feet.
    divisor_ = 12.0;
    dt_ = prepared_.spacing / kProfileSpectrumSpeedFps;
  }
  computed_ = ComputePsd(values_, divisor_, dt_, exponent_);
  const PsdResult& r = computed_;
  if (!AllFinite(r.smoothed) || !AllFinite(r.frequency) ||
      !AllFinite(std::initializer_list<double>{r.ymax, r.ymin, r.xmax, r.xmin}))
    throw JobRefusal{kNotFiniteMessage, "PSD"};
}

JobRefusal Session::PsdJob::Describe(const std::exception& e) const { return {e.what(), "PSD"}; }

void Session::PsdJob::Apply() {
  if (series_ == SpectrumSeries::Profile) session_.model_.prepared = std::move(prepared_);
  result_ = std::move(computed_);
  session_.prompts_.Status(std::string(kPsdCompletedStatus));
}

Session::PdfJob::PdfJob(Session& session, SpectrumSeries series, std::vector<float> values,
                        double divisor, double spacing_ft)
    : JobBase(session, std::string(kPdfRunningStatus)),
      series_(series),
      values_(std::move(values)),
      divisor_(divisor),
      spacing_ft_(spacing_ft) {}

void Session::PdfJob::Run(Progress& progress) {
  if (series_ == SpectrumSeries::Profile) {
    prepared_ = PrepareSpectrumProfile(profile_, settings_);
    values_.assign(prepared_.data1(), prepared_.data1() + prepared_.n);
    divisor_ = 12.0;
    spacing_ft_ = prepared_.spacing;
  }
  computed_ = ProbabilityDensity(values_, divisor_, spacing_ft_, progress);
  const PdfResult& r = computed_;
  if (!AllFinite(r.h) || !AllFinite(r.pdf) || !AllFinite(r.normal) ||
      !AllFinite(std::initializer_list<double>{r.amean, r.asdev, r.cskew, r.ckurt, r.area,
                                               r.arean, r.ymax, r.ymin, r.xmax, r.xmin}))
    throw JobRefusal{kNotFiniteMessage, "PDF"};
}

JobRefusal Session::PdfJob::Describe(const std::exception& e) const { return {e.what(), "PDF"}; }

void Session::PdfJob::Apply() {
  if (series_ == SpectrumSeries::Profile) session_.model_.prepared = std::move(prepared_);
  result_ = std::move(computed_);
  session_.prompts_.Status(std::string(kPdfCompletedStatus));
}

std::unique_ptr<Session::PsdJob> Session::PreparePsd(SpectrumSeries series,
                                                     const std::string& exponentText) {
  if (!RequireProfile()) return nullptr;
  int exponent = 0;
  try {
    exponent = ParseSpectrumExponent(exponentText);
  } catch (const std::invalid_argument& e) {
    prompts_.Message(e.what(), "Incorrect Data Entry");
    return nullptr;
  }
  prompts_.Status(std::string(kPsdRunningStatus));
  if (series == SpectrumSeries::Profile)
    return std::unique_ptr<PsdJob>(new PsdJob(*this, series, exponent, {}, 12.0, 0.0));
  std::optional<ResponseSeries> in = LoadResponseSeries(model_, series, prompts_);
  if (!in) return nullptr;
  return std::unique_ptr<PsdJob>(
      new PsdJob(*this, series, exponent, std::move(in->values), 1.0, in->dt));
}

std::unique_ptr<Session::PdfJob> Session::PreparePdf(SpectrumSeries series) {
  if (!RequireProfile()) return nullptr;
  prompts_.Status(std::string(kPdfRunningStatus));
  if (series == SpectrumSeries::Profile)
    return std::unique_ptr<PdfJob>(new PdfJob(*this, series, {}, 12.0, 0.0));
  std::optional<ResponseSeries> in = LoadResponseSeries(model_, series, prompts_);
  if (!in) return nullptr;
  return std::unique_ptr<PdfJob>(
      new PdfJob(*this, series, std::move(in->values), 1.0, in->spacing_ft));
}

std::optional<PsdResult> Session::RunPsd(SpectrumSeries series, const std::string& exponentText) {
  const std::unique_ptr<PsdJob> job = PreparePsd(series, exponentText);
  if (!job || !RunJob(*job)) return std::nullopt;
  return job->Result();
}

std::optional<PdfResult> Session::RunPdf(SpectrumSeries series) {
  const std::unique_ptr<PdfJob> job = PreparePdf(series);
  if (!job || !RunJob(*job)) return std::nullopt;
  return job->Result();
}

std::optional<CdfRequest> Session::RunDistribution(DistributionSeries series) {
  if (!RequireProfile()) return std::nullopt;
  ProfileModel& m = model_;
  CdfRequest req;
  std::vector<float> values;
  if (series == DistributionSeries::Straightedge) {
    if (!m.flags.straightedge_done) {
      prompts_.Message(std::string(kStraightedgeNotDoneMessage),
                       std::string(kStraightedgeNotDoneTitle));
      return std::nullopt;
    }
    // The deviations are held in inches; the distribution is taken over the values the
    // engineer sees, millimetres in metric mode, and its axis says so.
    const float factor = static_cast<float>(m.units.MmFactor);
    values.reserve(m.straightedge.deviation.size());
    for (float d : m.straightedge.deviation) values.push_back(d * factor);
    req.title = "Straightedge";
    req.unit_label = m.units.ElevationLabel;
  } else {
    if (!m.flags.bump_done) {
      prompts_.Message(std::string(kBoeingNotDoneMessage), std::string(kBoeingNotDoneTitle));
      return std::nullopt;
    }
    values = m.bump.index;
    req.title = "Boeing Bump Index";
    req.unit_label = "Index Value";
  }
  CumulativeDistribution d;
  try {
    d = ComputeCumulativeDistribution(values);
  } catch (const std::invalid_argument& e) {
    prompts_.Message(e.what(), "Probability Distribution");
    return std::nullopt;
  }
  if (series == DistributionSeries::BoeingBump) {
    const std::string path = FolderOf(m.results_file) + std::string(kBoeingBumpPdfFileName);
    if (!AppendLine(path, BoeingBumpPdfLine(m.data_file, d)))
      prompts_.Message("Could not append to " + path, "File Error");
  }
  req.cdf = std::move(d.cdf);
  req.x_max = d.xmax;
  return req;
}

}  // namespace tarmac
