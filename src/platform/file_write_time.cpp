// SPDX-License-Identifier: MIT
// A file's write time from its three times: the same on every platform, so it lives outside the
// backends.
#include "platform/fs.h"

namespace tvr::platform {

bool fileWriteTime(std::u16string_view path, FileTime* time) {
    FileTimes times;
    if (!getFileTimes(path, &times)) return false;
    if (time != nullptr) *time = times.write;
    return true;
}

}  // namespace tvr::platform
