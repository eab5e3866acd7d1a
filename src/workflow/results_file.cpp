#include "workflow/results_file.h"

#include <cstdio>

namespace tarmac {

bool AppendLines(const std::string& path, const std::vector<std::string>& lines) {
  if (path.empty()) return false;
  std::FILE* f = std::fopen(path.c_str(), "ab");
  if (!f) return false;
  bool ok = true;
  for (const auto& line : lines) {
    ok = ok && std::fwrite(line.data(), 1, line.size(), f) == line.size();
    ok = ok && std::fputc('\n', f) != EOF;
  }
  ok = (std::fclose(f) == 0) && ok;
  return ok;
}

bool AppendLine(const std::string& path, const std::string& line) {
  return AppendLines(path, {line});
}

}  // namespace tarmac
