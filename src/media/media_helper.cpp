// SPDX-License-Identifier: MIT
#include "media/media_helper.h"

#include "core/paths.h"
#include "core/text.h"

namespace tvr::media {

namespace {

enum EntryPoint : std::size_t { kCreate = 0, kRelease = 1, kClose = 4 };

using CreateFunction = void* (*)();
using InstanceFunction = void (*)(void*);

template <typename Function>
Function entryPoint(void* address) {
    return reinterpret_cast<Function>(address);
}

}  // namespace

std::u16string helperLibraryFileName() { return platform::sharedLibraryFileName(u"ZentrovaDirectShow"); }

std::array<std::u16string, 3> helperLibraryPlaces() {
    const std::u16string name = helperLibraryFileName();
    return {name, u"Assets/" + name, u"TamvikVR_Data/Plugins/" + name};
}

MediaHelper::~MediaHelper() { release(); }

std::u16string MediaHelper::load(const std::vector<std::u16string>& folders) {
    release();
    for (const std::u16string& folder : folders) {
        for (const std::u16string& place : helperLibraryPlaces()) {
            std::u16string path(folder);
            core::appendPath(path, place);
            if (library_.open(path)) {
                libraryPath_ = std::move(path);
                break;
            }
        }
        if (library_.isOpen()) break;
    }
    for (std::size_t i = 0; i < kEntryPointNames.size(); ++i) entryPoints_[i] = library_.symbol(kEntryPointNames[i]);
    if (entryPoints_[kCreate] != nullptr) instance_ = entryPoint<CreateFunction>(entryPoints_[kCreate])();
    if (instance_ != nullptr) return {};
    release();
    return core::format(u"%s の読み込みに失敗しました。", {helperLibraryFileName()});
}

void MediaHelper::release() {
    if (instance_ != nullptr) {
        // The library asks for a close before every release.
        if (entryPoints_[kClose] != nullptr) entryPoint<InstanceFunction>(entryPoints_[kClose])(instance_);
        if (entryPoints_[kRelease] != nullptr) entryPoint<InstanceFunction>(entryPoints_[kRelease])(instance_);
        instance_ = nullptr;
    }
    entryPoints_.fill(nullptr);
    library_.close();
    libraryPath_.clear();
}

bool MediaHelper::hasEntryPoint(std::size_t index) const {
    return index < entryPoints_.size() && entryPoints_[index] != nullptr;
}

}  // namespace tvr::media
