// Built into the test programs under the sanitizers. Memory that a system library keeps for the
// life of the process on purpose (fontconfig's configuration) is no leak of ours: it is left
// out of the leak report of the test program itself and of every program it starts.
#include <cstdlib>

extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}

// Under the thread sanitizer: Qt's libraries are not instrumented, so the locks and allocations of
// its thread pool and event queue look unordered to it; the calls made from inside those
// libraries are left out. Every access our own code makes stays checked.
extern "C" const char* __tsan_default_suppressions() {
  return "called_from_lib:libQt6Core.so.6\n"
         "called_from_lib:libQt6Gui.so.6\n"
         "called_from_lib:libQt6Widgets.so.6\n";
}

namespace {

// The programs a test starts (the tarmac command) read the same list from lsan.supp.
const bool kChildrenSuppress = [] {
  setenv("LSAN_OPTIONS", "suppressions=" TARMAC_SOURCE_DIR "/tests/lsan.supp", 0);
  return true;
}();

}  // namespace
