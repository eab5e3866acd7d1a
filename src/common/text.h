#pragma once
// Small text helpers shared by the readers and the commands. Each trim names what it removes:
// the callers differ on purpose (a file name keeps its tabs, a line of a list file loses its
// line break too).
#include <string>
#include <string_view>

namespace tarmac {

// Without the blanks (' ') at either end.
std::string_view TrimBlanks(std::string_view s);
// Without the blanks and tabs at either end.
std::string_view TrimBlanksAndTabs(std::string_view s);
// Without the blanks, tabs, carriage returns and line feeds at either end.
std::string_view TrimWhitespace(std::string_view s);

// Lower case, ASCII letters only.
std::string Lower(std::string_view s);

}  // namespace tarmac
