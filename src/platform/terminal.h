// SPDX-License-Identifier: MIT
#pragma once
// Reading a secret from the terminal: the typed characters are not shown.
#include <string>

namespace tvr::platform {

/// Reads one line from standard input without echoing it when standard input is a terminal
/// (a plain read otherwise), without its line end; false at end of input or on a read error.
bool readHiddenLine(std::string* line);

}  // namespace tvr::platform
