#pragma once
// The "Getting Started" page of the Help menu: a walk through the sample profile, the five
// indexes with what each means and its unit, a simulation and a report.
#include <QString>

namespace tarmac::ui {

QString GettingStartedHtml();

}  // namespace tarmac::ui
