#include "common/text.h"

#include <gtest/gtest.h>

namespace tarmac {
namespace {

// The three trims differ in what they remove, and the callers rely on the difference: a file name
// of the batch keeps a tab, a line of a measurement list loses its carriage return.
TEST(Text, EachTrimRemovesOnlyItsCharacters) {
  const std::string padded = " \t runway.pro\r\n ";
  EXPECT_EQ(TrimBlanks(padded), "\t runway.pro\r\n");
  EXPECT_EQ(TrimBlanksAndTabs(" \t 1.5e3\t "), "1.5e3");
  EXPECT_EQ(TrimBlanksAndTabs("1.5\r"), "1.5\r");
  EXPECT_EQ(TrimWhitespace(padded), "runway.pro");
  // Inner blanks stay; a text of nothing but trimmed characters becomes empty.
  EXPECT_EQ(TrimWhitespace("  B-727 \r"), "B-727");
  EXPECT_EQ(TrimBlanks("   "), "");
  EXPECT_EQ(TrimWhitespace("\r\n\t "), "");
  EXPECT_EQ(TrimBlanksAndTabs(""), "");
  EXPECT_EQ(TrimWhitespace("x"), "x");
  // Only ASCII letters change case; other bytes pass untouched.
  EXPECT_EQ(Lower("Runway.PRO"), "runway.pro");
  EXPECT_EQ(Lower("\xC4-9_"), "\xC4-9_");
}

}  // namespace
}  // namespace tarmac
