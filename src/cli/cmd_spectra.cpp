// tarmac psd, pdf and cdf: the spectra window's power spectrum and probability density of the
// profile or of an aircraft response, and the cumulative distributions of the straightedge
// deviations and of the Boeing Bump Index.
#include <fstream>
#include <iostream>
#include <map>

#include "cli/analysis_json.h"
#include "cli/cli_common.h"
#include "workflow/atomic_file.h"
#include "workflow/spectra_texts.h"
#include "common/number_format.h"
#include "render/prob_dist_plot.h"
#include "render/loglog_plot.h"
#include "render/spectrum_plot.h"
#include "workflow/wavenumber_spectrum.h"

namespace tarmac::cli {
namespace {

// Pictures are drawn at the size they print, the text width of the page of the unit system.
paint::PrintSize PictureSize(bool metric, double height_in) {
  paint::PrintSize size;
  size.width_in = paint::TextWidthInches(metric);
  size.height_in = height_in;
  return size;
}
constexpr double kSpectrumHeightIn = 4.0, kDistributionHeightIn = 3.4;

const std::map<std::string, Session::SpectrumSeries>& SeriesNames() {
  static const std::map<std::string, Session::SpectrumSeries> names = {
      {"profile", Session::SpectrumSeries::Profile},
      {"gcg", Session::SpectrumSeries::Gcg},
      {"gcp", Session::SpectrumSeries::Gcp},
      {"nose", Session::SpectrumSeries::NoseForce},
      {"main", Session::SpectrumSeries::MainForce},
      {"rear_main", Session::SpectrumSeries::RearMainForce}};
  return names;
}

struct SpectrumOptions {
  std::string profile;
  std::string series = "profile";
  std::string simulate;
  std::string exponent = "10";
  std::string json;
  std::string png;
  bool metric = false;
  bool smooth_ends = false;
  bool wavenumber = false;  // the profile spectrum against wavenumber, on log-log axes
  std::vector<std::string> sets;
  CommonOptions input;  // how the profile file is read (--channel, --column, units)
};

// Pictures replace older ones only once they are whole (the one atomic writer).
bool WritePng(const std::vector<unsigned char>& png, const std::string& path) {
  if (png.empty()) {
    NoteOutputFailure(path, "Cannot write " + path + ": the picture could not be drawn.");
    return false;
  }
  try {
    WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(png.data()), png.size()));
  } catch (const std::exception&) {
    return false;  // noted by the writer; the command's outcome names the file
  }
  std::cerr << "plot: " << path << "\n";
  return true;
}

// The result with the "tarmac" block that says which program wrote it and how it was asked.
nlohmann::json Stamped(nlohmann::json j) {
  j["tarmac"] = TarmacJson();
  return j;
}

nlohmann::json Doubles(const std::vector<double>& v) {
  nlohmann::json a = nlohmann::json::array();
  for (double x : v) a.push_back(x);
  return a;
}

// Reads the profile (and runs the simulation asked for) into s; returns kOk or the exit code.
int OpenSession(Session& s, const std::string& profile, bool metric, bool smoothEnds,
                const std::vector<std::string>& sets, const std::string& simulate,
                const CommonOptions& input) {
  CommonOptions common = input;
  common.metric = metric;
  common.smooth_ends = smoothEnds;
  common.sets = sets;
  if (int rc = ApplyCommonOptions(s, common); rc != kOk) return rc;
  std::vector<SimulationRequest> sims;
  if (!ParseSimulationList(simulate, sims)) return kUsage;
  if (sims.size() > 1) {
    std::cerr << "--simulate takes one AIRCRAFT@KNOTS\n";
    return kUsage;
  }
  if (int rc = ReadProfile(s, profile); rc != kOk) return rc;
  s.SetBatchMode(true);  // the spectra append nothing to Results.txt
  for (const auto& req : sims) {
    if (!s.SetSetting("AircraftType", req.aircraft)) return kUsage;  // a name checked above
    if (!s.RunSimulation(req.knots * kKnotsToFps)) return kComputationRefused;
  }
  return kOk;
}

int RunSpectrum(const SpectrumOptions& o, bool psd) {
  const auto series = SeriesNames().at(o.series);
  if (o.wavenumber && series != Session::SpectrumSeries::Profile) {
    // A response is a function of time; only the profile has wavelengths of its own.
    std::cerr << "--wavenumber is for the profile series only\n";
    return kUsage;
  }
  TerminalPrompts prompts;
  TerminalProgress progress;
  Session s(prompts);
  s.SetProgress(&progress);
  if (int rc = OpenSession(s, o.profile, o.metric, o.smooth_ends, o.sets, o.simulate, o.input); rc != kOk)
    return rc;
  const std::string caption = Session::SpectrumSeriesCaption(series);
  nlohmann::json j;
  if (psd) {
    const auto r = s.RunPsd(series, o.exponent);
    progress.finish();
    if (!r) return kComputationRefused;
    std::vector<double> shown(r->smoothed.begin(), r->smoothed.end());
    j = {{"series", o.series},
         {"record_length", r->np},
         {"record_start", r->nstart},
         {"dt_s", r->dt},
         {"exponent", r->exponent},
         {"frequencies_hz", Doubles(r->frequency)},
         {"values", Doubles(shown)}};
    SummaryStream(o.json) << caption << ": record of " << r->np << " samples from sample " << r->nstart
              << ", dt = " << FormatNumber(r->dt, "0.0000000") << " s, Nyquist "
              << FormatNumber(0.5 / r->dt, "0.000") << " Hz\n";
    if (o.wavenumber) {
      const WavenumberSpectrum w = ProfileWavenumberSpectrum(*r, s.model().units);
      j["wavenumber"] = {{"unit", w.wavenumber_unit},
                         {"density_unit", w.density_unit},
                         {"wavenumbers", Doubles(w.wavenumber)},
                         {"density", Doubles(w.density)}};
      if (!w.wavenumber.empty()) {
        SummaryStream(o.json) << "Wavenumber " << FormatNumber(w.wavenumber.front(), "0.000000") << " to "
                              << FormatNumber(w.wavenumber.back(), "0.000") << " " << w.wavenumber_unit
                              << ", density in " << w.density_unit << "\n";
      }
      if (!o.png.empty()) {
        const LogLogPlot plot{w.wavenumber, w.density, w.title, w.wavenumber_title, w.density_title};
        if (!WritePng(LogLogPlotPrintPng(plot, PictureSize(o.metric, kSpectrumHeightIn)), o.png))
          return OutcomeOfOutputs(kOutputFailed);
      }
    } else if (!o.png.empty()) {
      SpectrumPlot plot;
      plot.mode = SpectrumMode::Psd;
      plot.curves.push_back({r->frequency, shown});
      plot.y_max = r->ymax;
      plot.y_min = r->ymin;
      plot.x_max = r->xmax;
      plot.x_min = r->xmin;
      plot.series_caption = caption;
      plot.nexp = r->exponent;
      plot.dt = r->dt;
      if (!WritePng(SpectrumPlotPrintPng(plot, PictureSize(o.metric, kSpectrumHeightIn)), o.png))
        return OutcomeOfOutputs(kOutputFailed);
    }
  } else {
    const auto r = s.RunPdf(series);
    progress.finish();
    if (!r) return kComputationRefused;
    j = {{"series", o.series}, {"nrp", r->nrp},   {"amean", r->amean}, {"asdev", r->asdev},
         {"cskew", r->cskew},  {"ckurt", r->ckurt}, {"area", r->area},   {"arean", r->arean},
         {"sigma", Doubles(r->h)}, {"density", Doubles(r->pdf)}, {"normal", Doubles(r->normal)}};
    SummaryStream(o.json) << caption << ": " << r->n << " values, " << r->h.size() << " density points\n";
    for (const auto& line : PdfStatisticsLines(*r)) SummaryStream(o.json) << "  " << line << "\n";
    if (!o.png.empty()) {
      SpectrumPlot plot;
      plot.mode = SpectrumMode::Pdf;
      plot.curves.push_back({r->h, r->normal});  // the normal density, with the axes
      plot.curves.push_back({r->h, r->pdf});     // the estimate over it
      plot.y_max = r->ymax;
      plot.y_min = r->ymin;
      plot.x_max = r->xmax;
      plot.x_min = r->xmin;
      plot.series_caption = caption;
      plot.statistics = DensityStatistics{r->amean, r->asdev, r->cskew, r->ckurt, r->area, r->arean};
      if (!WritePng(SpectrumPlotPrintPng(plot, PictureSize(o.metric, kSpectrumHeightIn)), o.png))
        return OutcomeOfOutputs(kOutputFailed);
    }
  }
  if (!o.json.empty()) WriteJson(Stamped(j), o.json);
  return OutcomeOfOutputs(kOk);
}

struct CdfOptions {
  std::string profile;
  std::string series;
  std::string json;
  std::string png;
  bool metric = false;
  bool smooth_ends = false;
  std::vector<std::string> sets;
  CommonOptions input;  // how the profile file is read (--channel, --column, units)
};

int RunCdf(const CdfOptions& o) {
  TerminalPrompts prompts;
  TerminalProgress progress;
  Session s(prompts);
  s.SetProgress(&progress);
  if (int rc = OpenSession(s, o.profile, o.metric, o.smooth_ends, o.sets, "", o.input); rc != kOk) return rc;
  s.SetBatchMode(false);  // the index run reports to Results.txt as the program does
  const bool straightedge = o.series == "straightedge";
  const bool ran = s.RunIndex(straightedge ? 0 : 1);
  progress.finish();
  if (!ran) return kComputationRefused;
  const auto d = s.RunDistribution(straightedge ? Session::DistributionSeries::Straightedge
                                                : Session::DistributionSeries::BoeingBump);
  if (!d) return kComputationRefused;
  nlohmann::json cdf = nlohmann::json::array();
  for (float c : d->cdf) cdf.push_back(FloatForJson(c));
  const nlohmann::json j = {{"series", o.series}, {"xmax", d->x_max}, {"cdf", cdf}};
  SummaryStream(o.json) << d->title << ": largest value " << FormatNumber(d->x_max, "0.0000") << " "
            << d->unit_label << "; median bin ";
  std::size_t median = 0;
  while (median + 1 < d->cdf.size() && d->cdf[median] < 0.5f) ++median;
  SummaryStream(o.json) << FormatNumber((median + 1) * d->x_max / static_cast<double>(d->cdf.size()), "0.0000")
            << "\n";
  if (!o.png.empty()) {
    const ProbDistPlot plot{d->cdf, d->x_max, d->title, d->unit_label};
    if (!WritePng(ProbDistPlotPrintPng(plot, PictureSize(o.metric, kDistributionHeightIn)), o.png))
      return OutcomeOfOutputs(kOutputFailed);
  }
  if (!o.json.empty()) WriteJson(Stamped(j), o.json);
  return OutcomeOfOutputs(kOk);
}

void AddUnitOptions(CLI::App* sub, bool& metric, bool& smoothEnds, std::string& decimation,
                    std::vector<std::string>& sets) {
  sub->add_flag("--metric", metric, "Show values in metric units (m, mm)");
  sub->add_flag("--smooth-ends", smoothEnds,
                "Fade the prepared profile in and out over the smoothing distance");
  AddDecimationOption(sub, decimation);
  sub->add_option("--set", sets,
                  "Change a setting, NAME=VALUE in display units (repeatable), e.g. "
                  "SampleSpacing=0.25");
}

void RegisterSpectrumCommand(CLI::App& app, int& rc, bool psd) {
  auto o = std::make_shared<SpectrumOptions>();
  CLI::App* sub = app.add_subcommand(
      psd ? "psd" : "pdf",
      psd ? "Power spectral density of the profile (low-passed and decimated to a step of about "
            "0.25 m, see --decimation; in feet, taken at an assumed 58.0 ft/s) or of an aircraft "
            "response: a periodogram of the largest power-of-two record centred in the series, "
            "log10 of the power raised by 10^N, averaged over ten bins."
          : "Probability density of the profile (decimated to a step of about 0.25 m, see "
            "--decimation; in feet) or of an aircraft response, from the spacing of sorted "
            "values 1000 ft of profile apart, with the normal density of the same mean and "
            "deviation and the moments of the series.");
  sub->add_option("PROFILE", o->profile, kProfileFormatsHelp)->required();
  AddInputOptions(sub, o->input);
  std::vector<std::string> names;
  for (const auto& [name, value] : SeriesNames()) names.push_back(name);
  sub->add_option("--series", o->series,
                  "Series: profile (default), gcg, gcp, nose, main or rear_main (B-747); the "
                  "responses need --simulate")
      ->check(CLI::IsMember(names, CLI::ignore_case));
  sub->add_option("--simulate", o->simulate,
                  "Simulate AIRCRAFT@KNOTS first (B-727, B-747, DC-9, DC-10), e.g. B-747@120");
  if (psd) {
    sub->add_option("--exponent", o->exponent, "N of 10^N added to the power (default 10)");
    sub->add_flag("--wavenumber", o->wavenumber,
                  "Also give the profile spectrum against wavenumber (cycles/ft, or cycles/m "
                  "with --metric) as a one-sided density in ft^2/(cycle/ft) or m^2/(cycle/m), "
                  "the raw periodogram of the same record; --png then draws it on log-log axes");
  }
  sub->add_option("--json", o->json, "Write the result as JSON to FILE, or to stdout with -");
  sub->add_option("--png", o->png, "Draw the plot into FILE (PNG)");
  AddUnitOptions(sub, o->metric, o->smooth_ends, o->input.decimation, o->sets);
  sub->callback([o, &rc, psd] { rc = RunSpectrum(*o, psd); });
}

}  // namespace

void RegisterSpectra(CLI::App& app, int& rc) {
  RegisterSpectrumCommand(app, rc, true);
  RegisterSpectrumCommand(app, rc, false);
  auto o = std::make_shared<CdfOptions>();
  CLI::App* sub = app.add_subcommand(
      "cdf",
      "Cumulative distribution of the straightedge deviations (in inches, or mm with --metric) "
      "or of the Boeing Bump Index in 100 bins from 0 to the largest value. The index is run "
      "first (its report goes to Results.txt); the bump distribution also appends its line to "
      "BoeingBumpPDFs.txt.");
  sub->add_option("PROFILE", o->profile, kProfileFormatsHelp)->required();
  AddInputOptions(sub, o->input);
  sub->add_option("SERIES", o->series, "straightedge or bump")
      ->required()
      ->check(CLI::IsMember({"straightedge", "bump"}, CLI::ignore_case));
  sub->add_option("--json", o->json, "Write the result as JSON to FILE, or to stdout with -");
  sub->add_option("--png", o->png, "Draw the distribution into FILE (PNG)");
  AddUnitOptions(sub, o->metric, o->smooth_ends, o->input.decimation, o->sets);
  sub->callback([o, &rc] { rc = RunCdf(*o); });
}

}  // namespace tarmac::cli
