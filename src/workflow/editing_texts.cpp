#include "workflow/editing_texts.h"

#include <cctype>

namespace tarmac {

EditMessage EditRefusalMessage(EditRefusal reason, std::int32_t samples_needed) {
  constexpr const char* kInvalidSelection = "Invalid Selection";
  constexpr const char* kCannotZoom = "Cannot Zoom";
  constexpr const char* kVerticalCurve = "Vertical Curve";
  switch (reason) {
    case EditRefusal::TwoPlots:
      return {"Length cannot be changed using two different plots.\r\nPlease start over.",
              kInvalidSelection};
    case EditRefusal::TooShort:
      return {"Selected length is too short.\r\nPlease start over.", kInvalidSelection};
    case EditRefusal::CannotZoom:
      return {"Cannot zoom this plot.", kCannotZoom};
    case EditRefusal::NoZooms:
      return {"No zooms to undo.", "Not Zoomed"};
    case EditRefusal::ZoomTooDeep:
      return {"The plot is already zoomed 20 times.\r\nUndo a zoom before zooming further.",
              kCannotZoom};
    case EditRefusal::NoCutToUndo:
      return {"Undo New Len has not been implemented.\r\n because NewLenLevel = 0 .",
              "Not Implemented"};
    case EditRefusal::TooManyCuts:
      return {"The profile has already been cut 10 times.\r\nUndo a cut before cutting again.",
              kInvalidSelection};
    case EditRefusal::EqualGrades:
      return {"The grades before and after the vertex are equal:\r\n"
              "there is no vertical curve to fit.",
              kVerticalCurve};
    case EditRefusal::CurveTooShort:
      return {"The change of grade is too small:\r\n"
              "the vertical curve would be shorter than two samples.",
              kVerticalCurve};
    case EditRefusal::CurveOutside:
      return {"The vertex is too close to an end of the profile:\r\n"
              "the grades or the curve would reach beyond it.",
              kVerticalCurve};
    case EditRefusal::TooShortToRepair:
      break;
  }
  return {"The profile is too short to repair: it needs at least " +
              std::to_string(samples_needed) + " samples (about 46 ft).",
          "Cannot Repair"};
}

std::string ZoomTitle(std::string_view file_name, std::string_view comma_elevation_label) {
  std::string name(file_name.substr(0, file_name.size() >= 4 ? file_name.size() - 4 : 0));
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return "ZProfile," + name + std::string(comma_elevation_label);
}

}  // namespace tarmac
