// SPDX-License-Identifier: MIT
// argv of a Windows program is in the ANSI code page, which cannot hold every file name; the
// wide command line can. Standard output starts in text mode, which would turn every LF byte of
// a fetched video into CR LF.
#include "platform/console.h"

// shellapi.h needs the types of windows.h, so the order is kept as written.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "platform/utf.h"

namespace tvr::platform {

std::vector<std::string> utf8Arguments(int argc, char** argv) {
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr) {
        return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
    }
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) {
        std::wstring_view text(wide[i]);
        arguments.push_back(platform::toUtf8(std::u16string(text.begin(), text.end())));
    }
    ::LocalFree(wide);
    return arguments;
}

void setBinaryStandardOutput() {
    std::fflush(stdout);
    ::_setmode(::_fileno(stdout), _O_BINARY);
}

void useUtf8Console() { ::SetConsoleOutputCP(CP_UTF8); }

}  // namespace tvr::platform
