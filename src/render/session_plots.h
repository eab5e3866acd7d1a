#pragma once
// A PlotSink that draws with the render layer: the pictures of plot levels, index charts and
// cumulative distributions that the reports paste, and PNG files of the levels drawn.
#include <map>
#include <string>
#include <vector>

#include "render/index_chart.h"
#include "render/level_plot.h"
#include "workflow/profile_model.h"
#include "workflow/prompts.h"

namespace tarmac {

// A level as the model last drew it (its shown range, factor and title), described for the
// drawing code: the window's panels and the report pictures draw the same description.
LevelPlot DescribeDrawnLevel(const PlotLevel& l, int level, const Units& units);
// The index chart a chart request asks for, in the given units.
IndexChart DescribeChart(const ChartRequest& c, const Units& units);

class RenderPlotSink : public PlotSink {
 public:
  // Picture sizes in pixels: plot levels and charts as they are pasted into reports.
  int level_width = 1600, level_height = 500;
  int chart_width = 1400, chart_height = 800;

  void LevelDrawn(const ProfileModel& model, int level) override;
  void PanelCleared(int level) override;
  std::vector<unsigned char> LevelPicture(const ProfileModel& model, int level) override;
  std::vector<unsigned char> ChartPicture(const ChartRequest& chart,
                                          const ProfileModel& model) override;
  std::vector<unsigned char> CdfPicture(const CdfRequest& cdf) override;

  // Writes "level<k>.png" for every level drawn and not cleared since, each replaced atomically;
  // returns the paths written. A picture or folder that cannot be written is noted among the
  // output failures (workflow/atomic_file.h) and leaves any older picture as it was.
  std::vector<std::string> WritePngs(const std::string& dir, const ProfileModel& model) const;

 private:
  static std::vector<unsigned char> Draw(const PlotLevel& l, int level, const Units& units,
                                         int width, int height);
  std::map<int, PlotLevel> drawn_;
};

}  // namespace tarmac
