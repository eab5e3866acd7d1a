// Built into the test programs under the sanitizers. Memory that a system library keeps for the
// life of the process on purpose (fontconfig's configuration) is no leak of ours: it is left
// out of the leak report of the test program itself and of every program it starts.
#include <cstdlib>

extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}

namespace {

// The programs a test starts (the tarmac command) read the same list from lsan.supp.
const bool kChildrenSuppress = [] {
  setenv("LSAN_OPTIONS", "suppressions=" TARMAC_SOURCE_DIR "/tests/lsan.supp", 0);
  return true;
}();

}  // namespace
