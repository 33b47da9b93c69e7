// SPDX-License-Identifier: MIT
#include "platform/ui_language.h"

#include <cstdlib>

namespace tvr::platform {

std::string userInterfaceLanguage() {
    // The first variable that is set and not empty decides, as in POSIX.
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return value;
    }
    return {};
}

}  // namespace tvr::platform
