#include "common/text.h"

#include <cctype>

namespace tarmac {
namespace {

std::string_view TrimOf(std::string_view s, std::string_view chars) {
  const auto b = s.find_first_not_of(chars);
  if (b == std::string_view::npos) return {};
  return s.substr(b, s.find_last_not_of(chars) - b + 1);
}

}  // namespace

std::string_view TrimBlanks(std::string_view s) { return TrimOf(s, " "); }
std::string_view TrimBlanksAndTabs(std::string_view s) { return TrimOf(s, " \t"); }
std::string_view TrimWhitespace(std::string_view s) { return TrimOf(s, " \t\r\n"); }

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace tarmac
