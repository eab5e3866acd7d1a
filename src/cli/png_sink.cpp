// Writing the drawn plot levels as PNG files.
#include <filesystem>
#include <fstream>

#include "cli/cli_common.h"
#include "render/level_plot.h"

namespace tarmac::cli {

std::vector<std::string> PngPlotSink::WritePngs(const std::string& dir,
                                                const ProfileModel& model) const {
  std::vector<std::string> written;
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  for (const auto& [level, l] : drawn_) {
    LevelPlot p;
    p.values = l.data;
    p.level = level;
    p.first = l.shown_first;
    p.last = l.shown_last;
    p.step_ft = l.step_ft;
    p.length_factor = model.units.LengthFactor;
    p.value_factor = l.shown_factor;
    p.title = l.title;
    p.axis_label = model.units.AxisLabel;
    p.redraw = true;
    const auto png = LevelPlotPng(p, 1600, 500);
    const std::string path = (std::filesystem::path(dir) / ("level" + std::to_string(level) + ".png")).string();
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    if (f) written.push_back(path);
  }
  return written;
}

}  // namespace tarmac::cli
