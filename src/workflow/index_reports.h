#pragma once
// The texts made of the index results: the value shown in the main window's value box, the tail
// of the index chart's title and the report appended to the results file. The numerical core
// returns numbers; every text the person reads is made here.
#include <string>
#include <vector>

#include "common/units.h"
#include "indexes/iri.h"
#include "indexes/profilograph.h"
#include "indexes/sections.h"

namespace tarmac {

// The value box of the main window (0..4) that shows the index of plot level 1, 2 or 5.
// Throws std::invalid_argument for another level.
int IndexValueBox(int level);

// An index value as the value boxes show it: "0.0000".
std::string IndexValueText(double value);

// What follows the graph title in the index chart's title, e.g.
// ",  StraightEdge Mean(Total Length) = 0.1139".
std::string IndexChartTitleSuffix(const IndexSections& s);
std::string IriChartTitleSuffix(const IriResult& r);
std::string ProfilographChartTitleSuffix(const ProfilographResult& r);

// The reports appended to the results file, one entry per line without its line break (the last
// entry is the empty line that closes the report).
std::vector<std::string> IndexReportLines(const IndexSections& s, const Units& units);
std::vector<std::string> IriReportLines(const IriResult& r, const Units& units);
std::vector<std::string> ProfilographReportLines(const ProfilographResult& r, const Units& units);

}  // namespace tarmac
