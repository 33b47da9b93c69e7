// SPDX-License-Identifier: MIT
#include "platform/dynamic_library.h"

#include <algorithm>

#include "platform/win32/win_util.h"

namespace tvr::platform {

DynamicLibrary::~DynamicLibrary() { close(); }

bool DynamicLibrary::open(std::u16string_view path) {
    close();
    if (path.empty()) return false;
    // The folder of a library loaded by path is searched for the libraries it needs; a bare name
    // is looked for in the safe default folders only (Windows refuses the first flag for it).
    const bool hasFolder = path.find_first_of(u"/\\") != std::u16string_view::npos;
    DWORD flags = LOAD_LIBRARY_SEARCH_DEFAULT_DIRS | (hasFolder ? LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR : 0);
    // The loader takes only the backslash as a separator in a path it is given.
    std::wstring native = win32::widePath(path);
    std::replace(native.begin(), native.end(), L'/', L'\\');
    handle_ = ::LoadLibraryExW(native.c_str(), nullptr, flags);
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

std::u16string sharedLibraryFileName(std::u16string_view name) { return std::u16string(name) + u".dll"; }

std::vector<std::u16string> helperLibraryFolders(std::u16string_view programFolder) {
    return {std::u16string(programFolder)};
}

}  // namespace tvr::platform
