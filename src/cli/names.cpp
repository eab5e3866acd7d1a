#include "cli/names.h"

#include <algorithm>
#include <cctype>

namespace tarmac::cli {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool EqualNoCase(std::string_view a, std::string_view b) { return Lower(a) == Lower(b); }

int EditDistance(std::string_view a_in, std::string_view b_in) {
  const std::string a = Lower(a_in), b = Lower(b_in);
  const std::size_t n = a.size(), m = b.size();
  // Three rows suffice for the swap of neighbours ("anlayze").
  std::vector<int> before(m + 1), prev(m + 1), cur(m + 1);
  for (std::size_t j = 0; j <= m; ++j) prev[j] = static_cast<int>(j);
  for (std::size_t i = 1; i <= n; ++i) {
    cur[0] = static_cast<int>(i);
    for (std::size_t j = 1; j <= m; ++j) {
      const int cost = a[i - 1] == b[j - 1] ? 0 : 1;
      cur[j] = std::min({prev[j] + 1, cur[j - 1] + 1, prev[j - 1] + cost});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        cur[j] = std::min(cur[j], before[j - 2] + 1);
    }
    before = prev;
    prev = cur;
  }
  return prev[m];
}

std::string Nearest(std::string_view typed, const std::vector<std::string>& candidates) {
  const int allowed = std::clamp(static_cast<int>(typed.size()) / 3, 1, 3);
  std::string best;
  int best_distance = allowed + 1;
  for (const std::string& c : candidates) {
    // A prefix of a long name is a slip too ("--metr" for --metric).
    int d = EditDistance(typed, c);
    if (typed.size() >= 3 && c.size() > typed.size() && Lower(c).starts_with(Lower(typed)))
      d = std::min(d, 1);
    if (d < best_distance) {
      best_distance = d;
      best = c;
    }
  }
  return best;
}

std::string DidYouMean(std::string_view typed, const std::vector<std::string>& candidates) {
  const std::string n = Nearest(typed, candidates);
  return n.empty() ? std::string() : " (did you mean " + n + "?)";
}

const std::vector<std::string>& AircraftNames() {
  static const std::vector<std::string> names = {"B-727", "B-747", "DC-9", "DC-10"};
  return names;
}

std::optional<std::string> AircraftName(std::string_view typed) {
  auto bare = [](std::string_view s) {
    std::string out;
    for (char c : s)
      if (c != '-' && c != ' ' && c != '_') out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
  };
  const std::string t = bare(typed);
  for (const std::string& name : AircraftNames())
    if (!t.empty() && bare(name) == t) return name;
  return std::nullopt;
}

}  // namespace tarmac::cli
