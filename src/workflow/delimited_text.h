#pragma once
// Profiles as delimited text (.csv, .txt), as spreadsheets, scripts and other profilers write
// them: a distance column and one or more elevation columns, separated by commas, semicolons,
// tabs or blanks, with an optional heading line whose names may carry units:
//   Distance (m),Elevation (mm)
//   0,1.25
//   0.025,1.31
// Units come from the options, else from the heading ("Distance (m)", "elevation_mm",
// "Elevation [in]"), else they are the program's own: feet and inches. The spacing comes from
// the distance column, which must be evenly spaced (DistanceColumn).
#include <string>
#include <string_view>
#include <vector>

#include "workflow/profile_io.h"  // ProfileFileError

namespace tarmac {

struct DelimitedTextOptions {
  int column = 2;              // the elevation column, counted from 1 (column 1 is the distance)
  std::string distance_unit;   // "ft" or "m"; empty: as the heading names it, else feet
  std::string elevation_unit;  // "in", "ft", "mm" or "m"; empty: as the heading names it, else inches
};

struct DelimitedTextContents {
  std::vector<float> elevations;  // inches
  double spacing_ft = 0.0;
  std::string distance_unit;      // the units taken, as named ("m", "mm", ...)
  std::string elevation_unit;
  std::string distance_name;      // the heading's names of the two columns (empty without one)
  std::string elevation_name;
  char separator = ',';           // ',', ';', '\t' or ' ' (blanks)
  int columns = 0;                // columns of the first record
};

// Feet per distance unit and inches per elevation unit; 0 for a name that is not such a unit.
double DistanceUnitFeet(std::string_view unit);
double ElevationUnitInches(std::string_view unit);

// The unit a column heading names: the text of its last (...) or [...], or its last word after
// a blank, '_' or '-' ("elevation_mm" -> "mm"); empty when it names none. A bracketed text that
// is no known unit is returned as it is, so that the caller can refuse it by name.
std::string HeadingUnit(std::string_view heading);

// Reads a delimited-text profile. Refuses: a column that is not there, a record whose distance
// or elevation is not a number (naming the line), units it does not know or that are named for
// one column but not the other, distances that are not evenly spaced (naming the first line
// that breaks them), implausible elevations and spacings, and fewer than two records.
DelimitedTextContents ParseDelimitedText(std::string_view text, const DelimitedTextOptions& options);

}  // namespace tarmac
