// SPDX-License-Identifier: MIT
#include "platform/terminal.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

namespace tvr::platform {

bool readHiddenLine(const char* prompt, std::string* line) {
    termios saved{};
    bool terminal = ::isatty(STDIN_FILENO) == 1 && ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        ::tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    // The prompt shows once the echo is off, so nothing typed after it is shown.
    std::fputs(prompt, stdout);
    std::fflush(stdout);
    bool read = static_cast<bool>(std::getline(std::cin, *line));
    if (terminal) ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    if (read && !line->empty() && line->back() == '\r') line->pop_back();
    return read;
}

}  // namespace tvr::platform
