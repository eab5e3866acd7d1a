#pragma once
// The jobs a Session prepares (see workflow/job.h): the common base that keeps the snapshot and
// turns a failure into what Publish shows, and the spectrum and density jobs whose results the
// spectra window takes after publication.
#include <optional>
#include <string>
#include <vector>

#include "spectra/pdf.h"
#include "spectra/psd.h"
#include "workflow/job.h"
#include "workflow/session.h"

namespace tarmac {

// Why a computation has no result, as the person is told: a message with its title.
struct JobRefusal {
  std::string text, title;
};

class Session::JobBase : public Job {
 public:
  void Compute(Progress& progress) final;
  bool Publish() final;
  std::string Title() const override { return title_; }
  // Why there is no result ("Cancelled." after a cancellation); empty once published.
  const std::string& Failure() const { return failure_; }

 protected:
  // Takes the snapshot of the profile, the settings and the units the computation reads.
  JobBase(Session& session, std::string title);
  // The computation. Throws JobRefusal, Cancelled or any std::exception.
  virtual void Run(Progress& progress) = 0;
  // What a std::exception other than JobRefusal means to the person.
  virtual JobRefusal Describe(const std::exception& e) const = 0;
  // Puts the result into the model; runs inside the session's change scope.
  virtual void Apply() = 0;

  Session& session_;
  const std::vector<float> profile_;  // the analysis profile, inches
  const Settings settings_;
  const Units units_;

 private:
  enum class State { Prepared, Computed, Cancelled, Refused, Done };
  State state_ = State::Prepared;
  std::string title_;
  JobRefusal refusal_;
  std::string failure_;
};

// The PSD button.
class Session::PsdJob final : public Session::JobBase {
 public:
  // The spectrum, once published.
  const std::optional<PsdResult>& Result() const { return result_; }

 private:
  friend class Session;
  PsdJob(Session& session, SpectrumSeries series, int exponent, std::vector<float> values,
         double divisor, double dt);
  void Run(Progress& progress) override;
  JobRefusal Describe(const std::exception& e) const override;
  void Apply() override;

  SpectrumSeries series_;
  int exponent_;
  std::vector<float> values_;  // a response series; empty for the profile, prepared in Run
  double divisor_, dt_;
  PreparedProfile prepared_;
  PsdResult computed_;
  std::optional<PsdResult> result_;
};

// The PDF button.
class Session::PdfJob final : public Session::JobBase {
 public:
  // The density, once published.
  const std::optional<PdfResult>& Result() const { return result_; }

 private:
  friend class Session;
  PdfJob(Session& session, SpectrumSeries series, std::vector<float> values, double divisor,
         double spacing_ft);
  void Run(Progress& progress) override;
  JobRefusal Describe(const std::exception& e) const override;
  void Apply() override;

  SpectrumSeries series_;
  std::vector<float> values_;
  double divisor_, spacing_ft_;
  PreparedProfile prepared_;
  PdfResult computed_;
  std::optional<PdfResult> result_;
};

}  // namespace tarmac
