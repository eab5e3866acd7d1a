// The commands that read and write profile files and the index summary.
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>

#include "common/text.h"
#include "common/number_format.h"
#include "workflow/erd.h"
#include "workflow/profile_io.h"
#include "workflow/profile_read.h"
#include "workflow/results_file.h"
#include "workflow/session.h"

namespace tarmac {
namespace {

// The last four characters of a name: its extension as the program compares it.
std::string LastFour(const std::string& name) {
  return name.size() >= 4 ? name.substr(name.size() - 4) : name;
}

}  // namespace

bool Session::ReadFile(const std::string& path) {
  const ProfileFormat format = FormatOfName(NameOf(path));
  if (format == ProfileFormat::Unknown) {
    // Refused: the panels keep showing the profile in hand.
    prompts_.Message("The file is not a valid type,\n.pro or .spd", "Wrong Extension");
    return false;
  }
  return ReadProfileAs(path, format, erd_channel_);
}

bool Session::ReadProfileAs(const std::string& path, ProfileFormat format, int erdChannel) {
  ChangeScope scope(*this);
  ProfileModel& m = model_;
  {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
      prompts_.Message("Trying to read from a nonexistant file, " + path, "File Error Error");
      return false;
    }
  }

  // Everything is read and checked before the model changes, so a refused file leaves the
  // profile in hand as it was.
  ProfileReadOptions options;
  options.spacing_in_force = m.settings.SampleSpacing;
  options.cutting_length_ft = m.settings.CuttingLength;
  options.erd_channel = erdChannel;
  options.delimited = delimited_;
  ProfileRead read;
  try {
    read = ReadProfilePath(path, format, options);
  } catch (const ProfileFileError& e) {
    prompts_.Message(e.what(), "File Error");
    return false;
  } catch (const std::exception& e) {
    prompts_.Message(std::string("The file could not be read: ") + e.what(), "File Error");
    return false;
  }

  // Accepted: the panels of the profile before are cleared, and the profile is an interactive
  // one until a batch says otherwise.
  m.batch_mode = false;
  for (int level = 0; level < kPanelCount; ++level)
    if (plots_) plots_->PanelCleared(level);
  erd_channel_names_ = read.channel_names;
  PublishReadProfile(path, ProfileNameOf(NameOf(path)), read.spacing_ft, read.count_before_cut,
                     std::move(read.profile), std::move(read.speed));
  if (!read.speed_note.empty()) prompts_.Message(read.speed_note, "Speed File");
  if (read.channel_names.size() > 1) {
    std::string list;
    for (std::size_t k = 0; k < read.channel_names.size(); ++k)
      list += (k ? ", " : "") + std::to_string(k + 1) + " " + read.channel_names[k];
    prompts_.Status("Read channel " + std::to_string(read.channel) + " of " +
                    std::to_string(read.channel_names.size()) + " (" + list + ")");
  }
  return true;
}

void Session::PublishReadProfile(const std::string& path, const std::string& profileName,
                                 double spacing, std::int32_t countBeforeCut,
                                 std::vector<float> profile, std::vector<float> speed) {
  if (AppendLines(FolderOf(path) + "Results.txt",
                  {"Data File Name = " + path + " File Name = " + NameOf(path)}))
    changes().results_file = true;
  changes().profile = true;
  const bool withSpeed = !speed.empty();
  PublishProfile(model_, path, profileName, spacing, countBeforeCut, std::move(profile),
                 std::move(speed));
  const ProfileModel& m = model_;
  ShowLevelPlot(0, m.levels[0].title, 1, m.levels[0].npoints(), true);
  if (withSpeed) ShowLevelPlot(1, m.levels[1].title, 1, m.levels[1].npoints(), true);
}

void Session::ClearResults() {
  ChangeScope scope(*this);
  for (int k = 0; k <= 4; ++k) ModelChange::AddTo(changes().indexes, k);
  changes().simulation = true;
  model_.sections.Clear();
  model_.ClearResultArrays();
}

bool Session::CanSaveProfileAs(const std::string& path) {
  const std::string ext = Lower(LastFour(NameOf(path)));
  return ext == ".pro" || ext == ".dat" || ext == ".erd" || ext == ".csv";
}

bool Session::SaveProfile(const std::string& path) {
  if (!RequireProfile()) return false;
  const std::string ext = Lower(LastFour(NameOf(path)));
  if (!CanSaveProfileAs(path)) {
    prompts_.Message("A profile is saved as .pro, .dat, .erd or .csv; " + NameOf(path) +
                         " names none of them.",
                     "File Error");
    return false;
  }
  const ProfileModel& m = model_;
  const double spacing = m.settings.SampleSpacing;
  try {
    // Every format carries the spacing, so the saved profile reads back at its own.
    if (ext == ".pro") {
      WriteProFile(path, m.profile, spacing);
    } else if (ext == ".dat") {
      WriteFileAtomically(path, FormatDatProfile(m.profile_name, m.profile, spacing));
    } else if (ext == ".erd") {
      WriteErdFile(path, m.profile_name, m.profile, spacing);
    } else {
      const auto [distance, elevation] = LevelCsvHeadings(0);
      WriteSeriesCsv(path, distance, elevation, spacing * m.units.LengthFactor, m.profile,
                     LevelValueFactor(0));
    }
  } catch (const std::exception& e) {
    prompts_.Message(e.what(), "File Error");
    return false;
  }
  ChangeScope scope(*this);
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
  std::string line = model_.data_file;
  for (int k = 0; k <= 4; ++k) {
    line += ' ';
    line += FormatNumber(ValueOfText(model_.index_text[static_cast<std::size_t>(k)]), "0.0000");
  }
  if (!AppendLine(FolderOf(model_.results_file) + "Indexes.txt", line)) {
    prompts_.Message("Could not append to " + FolderOf(model_.results_file) + "Indexes.txt",
                     "File Error");
    return false;
  }
  return true;
}

}  // namespace tarmac
