// SPDX-License-Identifier: MIT
#include "core/write_fault.h"

namespace tvr::core {

std::u16string writeFaultText(platform::WriteFault fault) {
    switch (fault) {
        case platform::WriteFault::kNone:
            return u"no fault known";
        case platform::WriteFault::kPermission:
            return u"permission denied";
        case platform::WriteFault::kReadOnlyFileSystem:
            return u"read-only file system";
        case platform::WriteFault::kNoSpace:
            return u"no space left on the device";
        case platform::WriteFault::kIsFolder:
            return u"a folder has its name";
        case platform::WriteFault::kNoFolder:
            return u"its folder is not there";
        case platform::WriteFault::kOther:
            break;
    }
    return u"the system refused the write";
}

std::u16string unwritableText(std::u16string_view what, std::u16string_view path, platform::WriteFault fault) {
    return std::u16string(what) + u" " + platform::displayPath(path) + u" cannot be written: " + writeFaultText(fault);
}

}  // namespace tvr::core
