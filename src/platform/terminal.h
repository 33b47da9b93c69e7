// SPDX-License-Identifier: MIT
#pragma once
// Reading a secret from the terminal: the typed characters are not shown.
#include <string>

namespace tvr::platform {

/// Shows the prompt, then reads one line from standard input without echoing it when standard
/// input is a terminal (a plain read otherwise), without its line end; false at end of input or
/// on a read error.
bool readHiddenLine(const char* prompt, std::string* line);

}  // namespace tvr::platform
