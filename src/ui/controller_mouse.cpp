// SPDX-License-Identifier: MIT
// The controller's side of the mouse relay, which this build does not have.
#include "ui/controller.h"

namespace tvr::ui {

std::u16string Controller::mouseProblem() const { return u"this build has no mouse relay"; }

}  // namespace tvr::ui
