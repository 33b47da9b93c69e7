// SPDX-License-Identifier: MIT
#pragma once
// Why a file could not be written, in the words the console, the window and the last line use.
#include <string>
#include <string_view>

#include "platform/fs.h"

namespace tvr::core {

/// "permission denied", "read-only file system", "no space left on the device", ...
std::u16string writeFaultText(platform::WriteFault fault);
/// "<what> <path> cannot be written: <reason>", the path as the system writes it.
std::u16string unwritableText(std::u16string_view what, std::u16string_view path, platform::WriteFault fault);

}  // namespace tvr::core
