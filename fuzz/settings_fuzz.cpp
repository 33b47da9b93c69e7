// SPDX-License-Identifier: MIT
// The settings file with any content: loading fills in what is missing, and loading the file it
// leaves behind gives the same settings again.
#include <cstdlib>
#include <string>

#include "core/settings.h"
#include "fuzz_support.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const tvr::fuzz::TempFolder& folder = tvr::fuzz::tempFolder();
    folder.write("TamvikVRServer.ini", std::string_view(reinterpret_cast<const char*>(data), size));
    std::u16string path = folder.file("TamvikVRServer.ini");

    tvr::core::SettingsStore first(path);
    if (!first.load()) return 0;
    check(first.config() == first.snapshot());
    tvr::core::SettingsStore second(path);
    check(second.load());
    check(second.config() == first.config());
    return 0;
}
