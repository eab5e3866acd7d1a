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
#include "workflow/spectra_texts.h"

namespace tarmac {
namespace {

// One series of the spectra window as the PSD and PDF runs read it.
struct SpectrumInput {
  std::vector<float> values;
  double divisor = 1.0;  // 12.0 turns the prepared profile's inches into feet
  double dt = 0.0;       // seconds between samples
  double spacing_ft = 0.0;  // the spacing that sets the density's neighbour count
  PreparedProfile prepared;  // the profile series only
};

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

// Loads the chosen series, or says why it cannot be had (text, title).
struct SpectrumLoad {
  std::optional<SpectrumInput> input;
  std::string text, title;
};

bool AllFinite(std::span<const double> values) {
  return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// A series too large for the arithmetic gives a spectrum or density that is not a number; it is
// refused rather than shown.
const char* const kNotFiniteMessage =
    "The series holds values too large for this computation: its result is not a finite "
    "number. Nothing was shown.";

SpectrumLoad LoadSpectrumSeries(const ProfileModel& m, Session::SpectrumSeries series) {
  SpectrumLoad r;
  if (series == Session::SpectrumSeries::Profile) {
    // Every run prepares the current profile afresh, so edits since the last index count.
    SpectrumInput in;
    in.prepared = PrepareIndexProfile(
        m.ProfileZ, m.settings.SampleSpacing,
        DecimationFactor(kCoarseDecimation, m.settings.SampleSpacing, m.settings.Decimation),
        m.settings.SmoothEnds, m.settings.SmoothingDistance);
    in.values.assign(in.prepared.data1(), in.prepared.data1() + in.prepared.n);
    in.divisor = 12.0;
    in.dt = in.prepared.spacing / kProfileSpectrumSpeedFps;
    in.spacing_ft = in.prepared.spacing;
    r.input = std::move(in);
    return r;
  }
  const int level = static_cast<int>(series);
  const std::string caption = Session::SpectrumSeriesCaption(series);
  const SimulationResult& sim = m.simulation;
  if (series == Session::SpectrumSeries::RearMainForce && m.flags.SimulationDone &&
      !sim.has_rear_main) {
    r.text = "The " + caption + " series exists for the B-747 only.";
    r.title = "No Such Series";
    return r;
  }
  const PlotLevel& l = m.levels[static_cast<std::size_t>(level)];
  // A response level carries the simulated aircraft as its kind; an index run after the
  // simulation draws over that level and the response is gone.
  const bool isResponse = m.flags.SimulationDone && !l.data.empty() && l.step_ft > 0.0 &&
                          l.kind == sim.AircraftType;
  if (!isResponse) {
    r.text = "The " + caption + " series is not available:\r\nrun a simulation first.";
    r.title = "No Simulation";
    return r;
  }
  // The responses are sampled once per prepared-profile step at the simulated ground speed.
  const double speedFps = sim.AircraftSpeedFps;
  if (!(speedFps > 0.0)) {
    r.text = "The simulated speed is not above zero: the response has no time scale.";
    r.title = "No Simulation";
    return r;
  }
  SpectrumInput in;
  in.values = l.data;
  in.divisor = 1.0;
  in.dt = l.step_ft / speedFps;
  in.spacing_ft = l.step_ft;
  r.input = std::move(in);
  return r;
}

}  // namespace

std::optional<PsdResult> Session::RunPsd(SpectrumSeries series, const std::string& exponentText) {
  if (!RequireProfile()) return std::nullopt;
  int exponent = 0;
  try {
    exponent = ParseSpectrumExponent(exponentText);
  } catch (const std::invalid_argument& e) {
    prompts_.Message(e.what(), "Incorrect Data Entry");
    return std::nullopt;
  }
  prompts_.Status(std::string(kPsdRunningStatus));
  try {
    SpectrumLoad load = LoadSpectrumSeries(model_, series);
    if (!load.input) {
      prompts_.Message(load.text, load.title);
      return std::nullopt;
    }
    PsdResult r = ComputePsd(load.input->values, load.input->divisor, load.input->dt, exponent);
    if (!AllFinite(r.smoothed) || !AllFinite(r.frequency) ||
        !AllFinite(std::initializer_list<double>{r.ymax, r.ymin, r.xmax, r.xmin})) {
      prompts_.Message(kNotFiniteMessage, "PSD");
      return std::nullopt;
    }
    if (series == SpectrumSeries::Profile) model_.prepared = std::move(load.input->prepared);
    prompts_.Status(std::string(kPsdCompletedStatus));
    return r;
  } catch (const std::invalid_argument& e) {
    prompts_.Message(e.what(), "PSD");
    return std::nullopt;
  }
}

std::optional<PdfResult> Session::RunPdf(SpectrumSeries series) {
  if (!RequireProfile()) return std::nullopt;
  prompts_.Status(std::string(kPdfRunningStatus));
  try {
    SpectrumLoad load = LoadSpectrumSeries(model_, series);
    if (!load.input) {
      prompts_.Message(load.text, load.title);
      return std::nullopt;
    }
    PdfResult r = ProbabilityDensity(load.input->values, load.input->divisor, load.input->spacing_ft, progress());
    if (!AllFinite(r.h) || !AllFinite(r.pdf) || !AllFinite(r.normal) ||
        !AllFinite(std::initializer_list<double>{r.amean, r.asdev, r.cskew, r.ckurt, r.area,
                                                 r.arean, r.ymax, r.ymin, r.xmax, r.xmin})) {
      prompts_.Message(kNotFiniteMessage, "PDF");
      return std::nullopt;
    }
    if (series == SpectrumSeries::Profile) model_.prepared = std::move(load.input->prepared);
    prompts_.Status(std::string(kPdfCompletedStatus));
    return r;
  } catch (const Cancelled&) {
    prompts_.Status("Cancelled");
    return std::nullopt;
  } catch (const std::invalid_argument& e) {
    prompts_.Message(e.what(), "PDF");
    return std::nullopt;
  }
}

std::optional<CdfRequest> Session::RunDistribution(DistributionSeries series) {
  if (!RequireProfile()) return std::nullopt;
  ProfileModel& m = model_;
  CdfRequest req;
  std::vector<float> values;
  if (series == DistributionSeries::Straightedge) {
    if (!m.flags.StraightedgeDone) {
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
    if (!m.flags.BoeingDone) {
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
    const std::string path = FolderOf(m.ResultsFile) + std::string(kBoeingBumpPdfFileName);
    if (!AppendLine(path, BoeingBumpPdfLine(m.DataFileName, d)))
      prompts_.Message("Could not append to " + path, "File Error");
  }
  req.cdf = std::move(d.cdf);
  req.x_max = d.xmax;
  return req;
}

}  // namespace tarmac
