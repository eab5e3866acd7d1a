#pragma once
// Names a person types on the command line: compared without regard to case (and, for an
// aircraft, with or without its hyphen), and the nearest valid name offered for a slip.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarmac::cli {

std::string Lower(std::string_view s);
bool EqualNoCase(std::string_view a, std::string_view b);

// The number of single-character insertions, deletions, substitutions and swaps of neighbours
// that turn one word into the other, without regard to case.
int EditDistance(std::string_view a, std::string_view b);

// The candidate nearest to `typed` when it is near enough to be a slip (a third of its length,
// at least one edit and at most three); empty otherwise.
std::string Nearest(std::string_view typed, const std::vector<std::string>& candidates);
// " (did you mean X?)" for the nearest candidate, or nothing.
std::string DidYouMean(std::string_view typed, const std::vector<std::string>& candidates);

// "b747", "B-747", "dc10" -> "B-747", "DC-10"; nothing for anything that is not an aircraft.
std::optional<std::string> AircraftName(std::string_view typed);
// The aircraft the simulation knows, as written in the results.
const std::vector<std::string>& AircraftNames();

}  // namespace tarmac::cli
