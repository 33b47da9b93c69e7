// SPDX-License-Identifier: MIT
// The settings file with any content, in memory: reading fills in what is missing, and reading
// the bytes it leaves behind gives the same settings again and adds nothing more.
#include <cstdlib>
#include <string>

#include "core/settings.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    tvr::core::Config first;
    tvr::core::readSettingsText(bytes, &first);
    const std::string filled = bytes;
    tvr::core::Config second;
    check(!tvr::core::readSettingsText(bytes, &second));
    check(bytes == filled);
    check(second == first);
    return 0;
}
