// tarmac: roughness analysis of airport pavement profiles from the command line.
#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/cli_common.h"

int main(int argc, char** argv) {
  using namespace tarmac::cli;
  CLI::App app{
      "tarmac - roughness analysis of airport pavement profiles.\n"
      "Reads a measured longitudinal profile of a runway or taxiway, computes the rolling "
      "straightedge, Boeing Bump Index, IRI, California profilograph index and band-pass RMS, "
      "simulates transport aircraft rolling over it, and writes the results beside the profile.\n"
      "Exit codes: 0 ok, 2 usage, 3 input file refused, 4 computation refused."};
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
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return kUsage;
  }
  return rc;
}
