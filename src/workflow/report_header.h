#pragma once
// The first block of every report document: when the numbers were made, on which profile, in
// which units, with which settings and by which version of the program, so that a printed report
// handed over on its own still says where it came from.
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "report/document.h"
#include "workflow/profile_model.h"

namespace tarmac {

// The date and time of now, local time with its zone: "2026-12-07 08:15:02 UTC".
std::string ReportTimeStamp();

// The lines of the first block, in order: the date and time with the program's name and
// version, the profile file, its length and spacing, the unit system, and the settings in force
// (averaging distance, straightedge length and position, decimation rule, the aircraft speeds
// the document reports, airframe damping, modes).
std::vector<std::string> ReportFirstBlock(const ProfileModel& model,
                                          std::span<const double> speeds_knots,
                                          std::string_view made_at);

// Letter paper for a report in US units, A4 for a metric one.
PaperSize PaperFor(const Units& units);

// Types the first block at the insertion point, left-aligned in a smaller size, followed by an
// empty paragraph; the alignment, size and weight are left as they were before.
void InsertReportFirstBlock(Document& doc, const std::vector<std::string>& lines,
                            double font_size, double restore_size);

}  // namespace tarmac
