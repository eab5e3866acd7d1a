#include "workflow/editing_texts.h"

#include <gtest/gtest.h>

#include <set>

namespace tarmac {
namespace {

TEST(EditingTexts, EveryRefusalHasItsOwnTextUnderTheTitleOfItsCommand) {
  const EditRefusal all[] = {EditRefusal::TwoPlots,    EditRefusal::TooShort,
                             EditRefusal::CannotZoom,  EditRefusal::NoZooms,
                             EditRefusal::ZoomTooDeep, EditRefusal::NoCutToUndo,
                             EditRefusal::TooManyCuts, EditRefusal::EqualGrades,
                             EditRefusal::CurveTooShort, EditRefusal::CurveOutside,
                             EditRefusal::TooShortToRepair};
  std::set<std::string> texts;
  for (EditRefusal r : all) texts.insert(EditRefusalMessage(r).text);
  EXPECT_EQ(texts.size(), std::size(all));

  const EditMessage short_stretch = EditRefusalMessage(EditRefusal::TooShort);
  EXPECT_EQ(short_stretch.text, "Selected length is too short.\r\nPlease start over.");
  EXPECT_EQ(short_stretch.title, "Invalid Selection");
  EXPECT_EQ(EditRefusalMessage(EditRefusal::CannotZoom).title, "Cannot Zoom");
  EXPECT_EQ(EditRefusalMessage(EditRefusal::ZoomTooDeep).title, "Cannot Zoom");
  EXPECT_EQ(EditRefusalMessage(EditRefusal::NoZooms).title, "Not Zoomed");
  EXPECT_EQ(EditRefusalMessage(EditRefusal::NoCutToUndo).title, "Not Implemented");
  EXPECT_EQ(EditRefusalMessage(EditRefusal::TooManyCuts).title, "Invalid Selection");
  for (EditRefusal r : {EditRefusal::EqualGrades, EditRefusal::CurveTooShort, EditRefusal::CurveOutside})
    EXPECT_EQ(EditRefusalMessage(r).title, "Vertical Curve");

  const EditMessage repair = EditRefusalMessage(EditRefused{EditRefusal::TooShortToRepair, 185});
  EXPECT_EQ(repair.text, "The profile is too short to repair: it needs at least 185 samples (about 46 ft).");
  EXPECT_EQ(repair.title, "Cannot Repair");
}

TEST(EditingTexts, ZoomTitleDropsTheExtensionAndUpperCasesTheName) {
  EXPECT_EQ(ZoomTitle("rwy09l.pro", ",cm"), "ZProfile,RWY09L,cm");
  EXPECT_EQ(ZoomTitle("Taxi.B.dat", ",inch"), "ZProfile,TAXI.B,inch");  // only the last four go
  EXPECT_EQ(ZoomTitle("a.b", ",mm"), "ZProfile,,mm");                   // shorter than an extension
}

}  // namespace
}  // namespace tarmac
