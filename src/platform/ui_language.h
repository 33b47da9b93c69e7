// SPDX-License-Identifier: MIT
#pragma once
// The language the user's desktop speaks.
#include <string>

namespace tvr::platform {

/// The user's interface language as the system names it: Linux the first of LC_ALL, LC_MESSAGES
/// and LANG that is set ("ja_JP.UTF-8"), Windows the locale name of GetUserDefaultUILanguage
/// ("ja-JP"); empty when none is known.
std::string userInterfaceLanguage();

}  // namespace tvr::platform
