#include "workflow/index_kind.h"

#include <stdexcept>

#include "profile/prepare.h"

namespace tarmac {
namespace {

// The batch table reads straightedge, bump, IRI, band-pass, profilograph: the chart's row
// order, not the options'.
const std::array<IndexDescription, kIndexKindCount> kIndexes = {{
    {IndexKind::Straightedge, "Straightedge", 1, 1, 0, 0, kFineDecimation,
     "Computing Straightedge", "Finished Straightedge", "straightedge deviation", "Straightedge",
     "Method of Computing Profile Index is StraightEdge", ",  StraightEdge Mean(Total Length) = ",
     "Straightedge  ", &Units::ElevationHeading},
    {IndexKind::BoeingBump, "Boeing Bump", 2, 2, 1, 1, kCoarseDecimation, "Computing Boeing",
     "Finished Boeing", "Boeing Bump Index", "Boeing Bump Index",
     "Method of Computing Profile Index is BoeingIndex", ",  Boeing Mean(Total Length) = ",
     "Boeing", nullptr},
    {IndexKind::Iri, "IRI (1/4 car)", 3, 3, 2, 2, kFineDecimation, "Computing IRI",
     "Finished IRI", "IRI", "IRI (1/4 Car)", "Methods of Measuring Profile Index is IRI 1/4 Car",
     ",  IRI(Total Length) = ", "IRI           ", &Units::RoughnessHeading},
    {IndexKind::Profilograph, "CA Profilograph", 4, 5, 3, 4, kFineDecimation,
     "Computing CA Profilograph", "Finished CA Profilograph", "California profilograph index",
     "CA Profilograph", "Methods of Measuring Profile Index is CA Profilograph",
     ",  CA PI(Total Length) = ", "CA PI         ", &Units::RoughnessHeading},
    {IndexKind::Bandpass, "Bandpass Filter", 5, 4, 4, 3, 0, "Computing Bandpass",
     "Finished Bandpass", "band-pass index", "Bandpass Filter",
     "Method of Computing Profile Index is Bandpass Filter", ", Bandpass RMS(Total Length) = ",
     "BandPass      ", &Units::ElevationHeading},
}};

}  // namespace

const IndexDescription& DescriptionOf(IndexKind kind) {
  return kIndexes.at(static_cast<std::size_t>(kind));
}

const std::array<IndexDescription, kIndexKindCount>& IndexKinds() { return kIndexes; }

std::optional<IndexKind> IndexKindOfOption(int option) {
  if (option < 0 || option >= kIndexKindCount) return std::nullopt;
  return static_cast<IndexKind>(option);
}

std::optional<IndexKind> IndexKindOfLevel(int level) {
  for (const IndexDescription& d : kIndexes)
    if (d.level == level) return d.kind;
  return std::nullopt;
}

IndexKind IndexKindOfColumn(int column) {
  for (const IndexDescription& d : kIndexes)
    if (d.table_column == column) return d.kind;
  throw std::invalid_argument("The index table has no index column " + std::to_string(column) +
                              ".");
}

}  // namespace tarmac
