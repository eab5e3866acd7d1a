#pragma once
// The text result files beside the profile are only ever appended to: each write opens, appends
// and closes, so other programs can read them between steps and they survive an abnormal end.
#include <string>
#include <vector>

namespace tarmac {

// Appends each line followed by a line break.
// Returns false when the file cannot be opened or written.
bool AppendLines(const std::string& path, const std::vector<std::string>& lines);
bool AppendLine(const std::string& path, const std::string& line);

}  // namespace tarmac
