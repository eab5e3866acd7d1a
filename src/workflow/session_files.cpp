// The commands that read and write profile files and the index summary.
#include <algorithm>
#include <cctype>
#include <filesystem>

#include "common/number_format.h"
#include "workflow/profile_io.h"
#include "workflow/results_file.h"
#include "workflow/session.h"

namespace tarmac {
namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// The last four characters of a name: its extension as the program compares it.
std::string LastFour(const std::string& name) {
  return name.size() >= 4 ? name.substr(name.size() - 4) : name;
}
std::string WithoutLastFour(const std::string& name) {
  return name.size() >= 4 ? name.substr(0, name.size() - 4) : std::string();
}

// A speed file beside the profile: the same name with ".spd" in either case.
std::optional<std::string> SpeedFileFor(const std::string& path) {
  const std::string base = WithoutLastFour(path);
  for (const char* ext : {".spd", ".SPD", ".Spd"}) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(base + ext, ec)) return base + ext;
  }
  return std::nullopt;
}

}  // namespace

bool Session::ReadFile(const std::string& path) {
  ProfileModel& m = model_;
  m.BatchMode = false;
  for (int level = 0; level < kPanelCount; ++level)
    if (plots_) plots_->PanelCleared(level);

  const std::string name = NameOf(path);
  const std::string ext = Upper(LastFour(name));
  if (ext == ".ERD") return ReadErdFile(path, erd_channel_);
  if (ext != ".DAT" && ext != ".PRO") {
    prompts_.Message("The file is not a valid type,\n.pro or .spd", "Wrong Extension");
    return false;
  }
  {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
      prompts_.Message("Trying to read from a nonexistant file, " + path, "File Error Error");
      return false;
    }
  }

  // Everything is read and checked before the model changes, so a refused file leaves the
  // profile in hand as it was.
  std::vector<float> raw;
  double spacing = m.settings.SampleSpacing;
  std::vector<float> profile;
  std::int32_t countBeforeCut = 0;
  std::vector<float> speed;
  std::string speedNote;
  try {
    if (ext == ".PRO") {
      ProFileContents pro = ParseProFile(ReadFileBytes(path), spacing);
      raw = std::move(pro.elevations);
      spacing = pro.spacing;
    } else {
      DatFileContents dat = ParseDatFile(ReadFileText(path), spacing);
      raw = std::move(dat.elevations);
      spacing = dat.spacing;
    }
    countBeforeCut = static_cast<std::int32_t>(raw.size());
    profile = PrepareAnalysisProfile(raw, EndCutSamples(m.settings.CuttingLength, spacing));
    if (ext == ".PRO") {
      if (auto spd = SpeedFileFor(path)) {
        speed = ParseSpdFile(ReadFileBytes(*spd));
        if (speed.size() != raw.size())
          speedNote = "The speed file " + NameOf(*spd) + " holds " + std::to_string(speed.size()) +
                      " values but the profile " + std::to_string(raw.size()) +
                      " samples; the speeds are shown as they are.";
      }
    }
  } catch (const ProfileFileError& e) {
    prompts_.Message(e.what(), "File Error");
    return false;
  } catch (const std::exception& e) {
    prompts_.Message(std::string("The file could not be read: ") + e.what(), "File Error");
    return false;
  }

  PublishReadProfile(path, ProfileNameOf(name), spacing, countBeforeCut,
                     std::move(profile), std::move(speed));
  if (!speedNote.empty()) prompts_.Message(speedNote, "Speed File");
  return true;
}

void Session::PublishReadProfile(const std::string& path, const std::string& profileName,
                                 double spacing, std::int32_t countBeforeCut,
                                 std::vector<float> profile, std::vector<float> speed) {
  ProfileModel& m = model_;
  // The read command's own steps.
  m.DataFileName = path;
  m.ResultsFile = FolderOf(path) + "Results.txt";
  AppendLines(m.ResultsFile, {"Data File Name = " + m.DataFileName + " File Name = " + NameOf(path)});
  for (auto& t : m.TextI) t.clear();
  ClearResults();
  // Undo copies belong to the profile they were taken from.
  DiscardUndoCopies();

  // The profile itself.
  m.settings.SampleSpacing = spacing;
  m.settings.DisplaySpacing = spacing * m.units.LengthFactor;
  m.ProfileName = profileName;
  PlotLevel& l0 = m.levels[0];
  l0.kind = "ZProfile";
  l0.title = "ZProfile," + m.ProfileName + m.units.ElevationSuffix;
  l0.step_ft = spacing;
  l0.zoomed = 0;
  m.GraphTitle = "ZProfile  " + m.ProfileName;
  // The section table is sized on the samples read, before the end cut.
  m.sections.Size(countBeforeCut, m.settings);
  m.ProfileZ = profile;
  l0.data = std::move(profile);

  m.flags = ResultFlags{};
  m.Caption = "Profile and Roughness Indexes - " + m.DataFileName;
  m.ChartCount = 0;
  ShowLevelPlot(0, l0.title, 1, l0.npoints(), true);

  if (!speed.empty()) {
    PlotLevel& l1 = m.levels[1];
    l1.data = std::move(speed);
    l1.step_ft = spacing;
    l1.kind = "Speed";
    l1.title = "Speed  " + m.ProfileName + m.units.SpeedSuffix;
    l1.zoomed = 0;
    ShowLevelPlot(1, l1.title, 1, l1.npoints(), true);
  }
}

void Session::ClearResults() {
  model_.sections.Clear();
  model_.ClearResultArrays();
}

bool Session::SaveProfile(const std::string& path) {
  if (!RequireProfile()) return false;
  try {
    WriteProFile(path, model_.ProfileZ);
  } catch (const std::exception& e) {
    prompts_.Message(e.what(), "File Error");
    return false;
  }
  PlotLevel& l0 = model_.levels[0];
  l0.kind = ProfileNameOf(NameOf(path));
  const bool zoomed = l0.zoomed != 0;
  ShowLevelPlot(0, "ZProfile", zoomed ? l0.shown_first : 1, zoomed ? l0.shown_last : l0.npoints(),
                true);
  DiscardUndoCopies();
  return true;
}

bool Session::SaveIndexes() {
  if (!RequireProfile()) return false;
  std::string line = model_.DataFileName;
  for (int k = 0; k <= 4; ++k) {
    line += ' ';
    line += FormatNumber(ValueOfText(model_.TextI[static_cast<std::size_t>(k)]), "0.0000");
  }
  if (!AppendLine(FolderOf(model_.ResultsFile) + "Indexes.txt", line)) {
    prompts_.Message("Could not append to " + FolderOf(model_.ResultsFile) + "Indexes.txt",
                     "File Error");
    return false;
  }
  return true;
}

}  // namespace tarmac
