// SPDX-License-Identifier: MIT
// The mouse relay's side of the controller while no relay is built into the program.
#include "ui/controller.h"

namespace tvr::ui {

void Controller::resumeMouse() {}

void Controller::pauseMouse() {}

std::u16string Controller::mouseProblem() const { return u"the mouse relay is not built yet"; }

}  // namespace tvr::ui
