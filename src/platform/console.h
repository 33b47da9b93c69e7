// SPDX-License-Identifier: MIT
#pragma once
// What a console program needs from the OS beyond the C++ library: its arguments as UTF-8 and
// standard streams that carry bytes as they are.
#include <string>
#include <vector>

namespace tvr::platform {

/// The program's arguments after its name, as UTF-8 (Windows: from the wide command line, so
/// text outside the ANSI code page survives).
std::vector<std::string> utf8Arguments(int argc, char** argv);
/// Makes standard output binary: no CR LF translation (a no-op on POSIX).
void setBinaryStandardOutput();
/// Makes the console show the UTF-8 text written to it (a no-op on POSIX).
void useUtf8Console();

}  // namespace tvr::platform
