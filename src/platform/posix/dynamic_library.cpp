// SPDX-License-Identifier: MIT
#include "platform/dynamic_library.h"

#include <dlfcn.h>

#include "platform/utf.h"

namespace tvr::platform {

DynamicLibrary::~DynamicLibrary() { close(); }

bool DynamicLibrary::open(std::u16string_view path) {
    close();
    if (path.empty()) return false;
    handle_ = ::dlopen(platform::toUtf8(path).c_str(), RTLD_NOW | RTLD_LOCAL);
    return handle_ != nullptr;
}

void* DynamicLibrary::symbol(const std::string& name) const {
    return handle_ == nullptr ? nullptr : ::dlsym(handle_, name.c_str());
}

void DynamicLibrary::close() {
    if (handle_ == nullptr) return;
    ::dlclose(handle_);
    handle_ = nullptr;
}

std::u16string sharedLibraryFileName(std::u16string_view name) { return u"lib" + std::u16string(name) + u".so"; }

std::vector<std::u16string> helperLibraryFolders(std::u16string_view programFolder) {
    std::size_t parentEnd = programFolder.rfind(u'/');
    if (programFolder.empty() || parentEnd == std::u16string_view::npos) return {std::u16string(programFolder)};
    return {std::u16string(programFolder), std::u16string(programFolder.substr(0, parentEnd)) + u"/lib/tamvikvr"};
}

}  // namespace tvr::platform
