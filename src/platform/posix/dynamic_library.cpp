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

}  // namespace tvr::platform
