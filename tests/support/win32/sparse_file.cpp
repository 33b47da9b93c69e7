// SPDX-License-Identifier: MIT
// The file is marked sparse before it is sized, so NTFS allocates nothing for it.
#include "support/sparse_file.h"

#include <windows.h>
#include <winioctl.h>

#include "platform/utf.h"

namespace tvr::test {

bool makeSparseFile(const std::string& path, std::uint64_t bytes) {
    const std::u16string wide = platform::fromUtf8(path);
    HANDLE file = ::CreateFileW(reinterpret_cast<LPCWSTR>(wide.c_str()), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD returned = 0;
    // A file system without sparse files refuses the mark; the size is then set all the same.
    ::DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER size{};
    size.QuadPart = static_cast<LONGLONG>(bytes);
    const bool sized = ::SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && ::SetEndOfFile(file);
    return ::CloseHandle(file) && sized;
}

}  // namespace tvr::test
