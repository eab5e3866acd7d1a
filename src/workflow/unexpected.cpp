#include "workflow/unexpected.h"

#include <new>

namespace tarmac {

std::string DescribeException(std::exception_ptr thrown) {
  if (!thrown) return "the command ended without a reason.";
  try {
    std::rethrow_exception(thrown);
  } catch (const std::bad_alloc&) {
    return "not enough memory for this command.";
  } catch (const std::exception& e) {
    const std::string what = e.what();
    return what.empty() ? std::string("an internal error without a description.") : what;
  } catch (...) {
    return "an internal error of an unknown kind.";
  }
}

bool RunGuarded(Prompts& prompts, const std::function<bool()>& command) {
  try {
    return command();
  } catch (...) {
    prompts.Message("The command stopped: " + DescribeException(std::current_exception()),
                    kUnexpectedTitle);
  }
  return false;
}

}  // namespace tarmac
