// SPDX-License-Identifier: MIT
#include "platform/dynamic_library.h"

#include "platform/win32/win_util.h"

namespace tvr::platform {

DynamicLibrary::~DynamicLibrary() { close(); }

bool DynamicLibrary::open(std::u16string_view path) {
    close();
    if (path.empty()) return false;
    // The folder of a library loaded by full path is searched for the libraries it needs.
    handle_ = ::LoadLibraryExW(win32::widePath(path).c_str(), nullptr,
                               LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    return handle_ != nullptr;
}

void* DynamicLibrary::symbol(const std::string& name) const {
    if (handle_ == nullptr) return nullptr;
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle_), name.c_str()));
}

void DynamicLibrary::close() {
    if (handle_ == nullptr) return;
    ::FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = nullptr;
}

}  // namespace tvr::platform
