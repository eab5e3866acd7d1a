#pragma once
// Shared by the batch and chart tests: sample profiles on disk, a plot sink that answers every
// picture with a 1 x 1 PNG, and the independent document reader (python-docx).
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <tuple>

#include "test_support.h"
#include "workflow/prompts.h"
#include "workflow/synth.h"

namespace tarmac::testing {

inline std::vector<unsigned char> TinyPng() {
  return {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00,
          0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0x1F, 0x15, 0xC4, 0x89, 0x00,
          0x00, 0x00, 0x0A, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9C, 0x63, 0x00, 0x01, 0x00, 0x00, 0x05, 0x00, 0x01,
          0x0D, 0x0A, 0x2D, 0xB4, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
}

class PictureSink final : public PlotSink {
 public:
  void LevelDrawn(const ProfileModel&, int) override {}
  std::vector<unsigned char> LevelPicture(const ProfileModel&, int) override { return TinyPng(); }
  std::vector<unsigned char> ChartPicture(const ChartRequest& c, const ProfileModel&) override {
    charts.push_back(c);
    return TinyPng();
  }
  std::vector<unsigned char> CdfPicture(const CdfRequest& c) override {
    cdfs.push_back(c);
    return TinyPng();
  }
  std::vector<ChartRequest> charts;
  std::vector<CdfRequest> cdfs;
};

// A synthetic runway profile of `length_ft` at 25 mm (and its speed file when asked).
inline void WriteSampleProfile(const std::string& pro, double length_ft, std::uint64_t seed, bool with_speed) {
  const double spacing = 2.5 / 25.4 / 12 * 10;
  const auto z = SynthesizeProfile(length_ft, spacing, seed);
  WriteSynthPro(pro, z, spacing);
  if (with_speed) WriteSpdFile(pro.substr(0, pro.size() - 4) + ".spd", SynthesizeSpeed(z.size(), spacing, seed));
}

struct DocFacts {
  std::vector<std::string> paragraphs;
  std::vector<std::pair<int, int>> tables;  // rows, columns
  std::map<std::tuple<int, int, int>, std::pair<std::string, std::string>> cells;  // (t, r, c) -> {vMerge, text}
  int pictures = 0;
  std::string Text(int t, int r, int c) const { return cells.at({t, r, c}).second; }
  double Number(int t, int r, int c) const { return std::stod(Text(t, r, c)); }
  int CountStartingWith(const std::string& prefix) const {
    int n = 0;
    for (const auto& p : paragraphs) n += p.rfind(prefix, 0) == 0;
    return n;
  }
};

inline std::string PythonWithDocx() {
  for (const char* python : {"/usr/bin/python3", "python3"})
    if (RunShell(std::string(python) + " -c 'import docx' >/dev/null 2>&1").rc == 0) return python;
  return {};
}

inline DocFacts ReadDoc(const std::string& python, const std::string& path) {
  DocFacts d;
  std::istringstream in(
      RunShell(python + " '" TARMAC_SOURCE_DIR "/tests/report/read_docx.py' '" + path + "'").out);
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> f;
    std::istringstream fields(line);
    for (std::string x; std::getline(fields, x, '\t');) f.push_back(x);
    if (!line.empty() && line.back() == '\t') f.emplace_back();
    if (f.empty()) continue;
    if (f[0] == "PARA" && f.size() >= 7) d.paragraphs.push_back(f[6]);
    if (f[0] == "TABLE") d.tables.emplace_back(std::stoi(f[2]), std::stoi(f[3]));
    if (f[0] == "CELL" && f.size() >= 8) d.cells[{std::stoi(f[1]), std::stoi(f[2]), std::stoi(f[3])}] = {f[5], f[7]};
    if (f[0] == "PICTURE") ++d.pictures;
  }
  return d;
}

}  // namespace tarmac::testing
