// SPDX-License-Identifier: MIT
// On POSIX the arguments already arrive as the bytes the user typed, and streams are binary.
#include "platform/console.h"

namespace tvr::platform {

std::vector<std::string> utf8Arguments(int argc, char** argv) {
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

void setBinaryStandardOutput() {}

void useUtf8Console() {}

}  // namespace tvr::platform
