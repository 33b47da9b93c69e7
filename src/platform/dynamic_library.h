// SPDX-License-Identifier: MIT
#pragma once
// Libraries loaded at run time, for optional helpers that may be missing on a machine.
#include <string>
#include <string_view>
#include <vector>

namespace tvr::platform {

class DynamicLibrary {
public:
    DynamicLibrary() = default;
    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;
    /// Loads the library by path or by the system's search rules; false when it cannot be loaded.
    bool open(std::u16string_view path);
    bool isOpen() const { return handle_ != nullptr; }
    /// The address of an exported symbol; nullptr when missing or not open.
    void* symbol(const std::string& name) const;
    void close();

private:
    void* handle_ = nullptr;
};

/// The file name the system gives a shared library called name: "name.dll" on Windows,
/// "libname.so" elsewhere.
std::u16string sharedLibraryFileName(std::u16string_view name);

/// The folders the libraries that ship with the program are looked for in, in order: the
/// program's own folder, and on Linux then "../lib/tamvikvr" beside it, where the package (and an
/// install to /usr/local) puts its private libraries.
std::vector<std::u16string> helperLibraryFolders(std::u16string_view programFolder);

}  // namespace tvr::platform
