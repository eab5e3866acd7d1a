#pragma once
// The last line of defence of a command: whatever is thrown out of it (an exception no step
// expected, a failed allocation) becomes a message to the person instead of ending the program.
// The CLI's main and the windows' command handlers share it.
#include <exception>
#include <functional>
#include <string>

#include "workflow/prompts.h"

namespace tarmac {

// The title of the message that reports something unexpected.
inline constexpr const char* kUnexpectedTitle = "Unexpected Error";

// What was thrown, in words: the text of a std::exception, or a note that it was something else.
std::string DescribeException(std::exception_ptr thrown);

// Runs `command` and returns its result; when it throws, shows what was thrown through `prompts`
// (title kUnexpectedTitle) and returns false.
bool RunGuarded(Prompts& prompts, const std::function<bool()>& command);

}  // namespace tarmac
