#pragma once
// Shared by the batch and chart tests: sample profiles on disk, a plot sink that hands out a tiny
// picture for every plot, and the independent document reader (python-docx).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "workflow/prompts.h"
#include "workflow/synth.h"

namespace tarmac::testing {

// A 1 x 1 PNG: the documents only need some picture to paste.
inline std::vector<unsigned char> TinyPng() {
  return {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48,
          0x44, 0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00,
          0x00, 0x1F, 0x15, 0xC4, 0x89, 0x00, 0x00, 0x00, 0x0A, 0x49, 0x44, 0x41, 0x54, 0x78,
          0x9C, 0x63, 0x00, 0x01, 0x00, 0x00, 0x05, 0x00, 0x01, 0x0D, 0x0A, 0x2D, 0xB4, 0x00,
          0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};
}

// Records what was asked to be drawn and answers every picture with the tiny PNG.
class PictureSink final : public PlotSink {
 public:
  void LevelDrawn(const ProfileModel&, int) override {}
  std::vector<unsigned char> LevelPicture(const ProfileModel&, int level) override {
    levels.push_back(level);
    return TinyPng();
  }
  std::vector<unsigned char> ChartPicture(const ChartRequest& c, const ProfileModel&) override {
    charts.push_back(c);
    return TinyPng();
  }
  std::vector<unsigned char> CdfPicture(const CdfRequest& c) override {
    cdfs.push_back(c);
    return TinyPng();
  }
  std::vector<int> levels;
  std::vector<ChartRequest> charts;
  std::vector<CdfRequest> cdfs;
};

// A synthetic runway profile of `length_ft` (and its speed file when asked).
inline void WriteSampleProfile(const std::string& pro, double length_ft, std::uint64_t seed,
                               bool with_speed) {
  const double spacing = 2.5 / 25.4 / 12 * 10;
  const auto z = SynthesizeProfile(length_ft, spacing, seed);
  WriteSynthPro(pro, z, spacing);
  if (with_speed)
    WriteSpdFile(pro.substr(0, pro.size() - 4) + ".spd", SynthesizeSpeed(z.size(), spacing, seed));
}

// What the independent reader found in a document.
struct DocFacts {
  std::vector<std::string> paragraphs;
  std::vector<std::pair<int, int>> tables;  // rows, columns
  // (table, row, column) -> {vMerge, text}
  std::map<std::tuple<int, int, int>, std::pair<std::string, std::string>> cells;
  int pictures = 0;
  std::string footer_fields;
};

inline std::string PythonWithDocx() {
  for (const char* python : {"/usr/bin/python3", "python3"}) {
    const std::string cmd = std::string(python) + " -c \"import docx\" >/dev/null 2>&1";
    if (std::system(cmd.c_str()) == 0) return python;
  }
  return {};
}

inline std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> f;
  std::string cur;
  for (char c : line) {
    if (c == '\t') {
      f.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  f.push_back(cur);
  return f;
}

inline DocFacts ReadDoc(const std::string& python, const std::string& path) {
  DocFacts d;
  const std::string cmd = python + " '" TARMAC_SOURCE_DIR "/tests/report/read_docx.py' '" + path + "'";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return d;
  std::string out;
  char buf[4096];
  while (std::size_t n = fread(buf, 1, sizeof buf, p)) out.append(buf, n);
  pclose(p);
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    const auto f = SplitTabs(line);
    if (f[0] == "PARA" && f.size() >= 7) d.paragraphs.push_back(f[6]);
    if (f[0] == "TABLE") d.tables.emplace_back(std::stoi(f[2]), std::stoi(f[3]));
    if (f[0] == "CELL" && f.size() >= 8)
      d.cells[{std::stoi(f[1]), std::stoi(f[2]), std::stoi(f[3])}] = {f[5], f[7]};
    if (f[0] == "PICTURE") ++d.pictures;
    if (f[0] == "SECTION" && f.size() >= 4) d.footer_fields += f[3];
  }
  return d;
}

inline int CountParagraphsStartingWith(const DocFacts& d, const std::string& prefix) {
  int n = 0;
  for (const auto& p : d.paragraphs)
    if (p.rfind(prefix, 0) == 0) ++n;
  return n;
}

}  // namespace tarmac::testing
