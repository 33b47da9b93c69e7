// SPDX-License-Identifier: MIT
#include "platform/terminal.h"

#include <windows.h>

#include <cstdio>
#include <iostream>

namespace tvr::platform {

bool readHiddenLine(const char* prompt, std::string* line) {
    HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    DWORD saved = 0;
    bool console = input != INVALID_HANDLE_VALUE && ::GetConsoleMode(input, &saved) != 0;
    if (console) ::SetConsoleMode(input, saved & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
    // The prompt shows once the echo is off, so nothing typed after it is shown.
    std::fputs(prompt, stdout);
    std::fflush(stdout);
    bool read = static_cast<bool>(std::getline(std::cin, *line));
    if (console) {
        ::SetConsoleMode(input, saved);
        std::fputs("\n", stdout);
    }
    if (read && !line->empty() && line->back() == '\r') line->pop_back();
    return read;
}

}  // namespace tvr::platform
