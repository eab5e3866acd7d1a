// tarmac: roughness analysis of airport pavement profiles from the command line.
#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>

#include "cli/cli_common.h"
#include "common/version.h"

namespace {

// An exception that escapes where no handler can take it (a worker thread, a destructor) ends
// the program with a message and the code of a stopped command, not with an abort.
[[noreturn]] void OnTerminate() {
  const int rc = tarmac::cli::ReportUnexpected(std::current_exception());
  std::fflush(stderr);
  std::_Exit(rc);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tarmac::cli;
  std::set_terminate(OnTerminate);
  // Past a file-size limit (ulimit -f) a write fails and the command says so; the signal would
  // end the program with the file half written.
  std::signal(SIGXFSZ, SIG_IGN);
  CLI::App app{
      "tarmac - roughness analysis of airport pavement profiles.\n"
      "Reads a measured longitudinal profile of a runway or taxiway, computes the rolling "
      "straightedge, Boeing Bump Index, IRI, California profilograph index and band-pass RMS, "
      "simulates transport aircraft rolling over it, and writes the results beside the profile.\n"
      "Exit codes: 0 ok; 2 usage (an unknown command, option or name, a value out of range); 3 an "
      "input file refused (missing, of no profile format, not a profile); 4 a computation "
      "refused (also: interrupted with Ctrl-C, which writes nothing new); 5 an output could not "
      "be written (the file is named)."};
  app.set_version_flag("--version", std::string("tarmac ") + tarmac::kVersion,
                       "Show the version and exit");
  app.require_subcommand(1);
  int rc = kOk;
  RegisterRead(app, rc);
  RegisterAnalyze(app, rc);
  RegisterProcessSim(app, rc);
  RegisterExport(app, rc);
  RegisterSynth(app, rc);
  RegisterDemo(app, rc);
  RegisterBatch(app, rc);
  RegisterSpectra(app, rc);
  RegisterEdit(app, rc);
  RegisterSettings(app, rc);
  SetCommandLine(argc, argv);
  if (CheckCommandLine(app, argc, argv) != kOk) return kUsage;
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return kUsage;
  } catch (...) {
    // Nothing a command throws ends the program without a word.
    rc = ReportUnexpected(std::current_exception());
  }
  return OutcomeOfOutputs(rc);
}
