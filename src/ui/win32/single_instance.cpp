// SPDX-License-Identifier: MIT
#include "ui/win32/single_instance.h"

#include <string>

#include "ui/win32/win_text.h"

namespace tvr::ui::win32 {
namespace {

constexpr wchar_t kMarkName[] = L"TamvikVRServer.DataFolder";
constexpr DWORD kRetryMs = 100;

// FNV-1a of the folder in capitals: one key for every spelling of the same folder's case.
std::uintptr_t keyOf(std::u16string_view dataFolder) {
    std::wstring folder = wide(dataFolder);
    while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
    if (!folder.empty()) CharUpperBuffW(folder.data(), static_cast<DWORD>(folder.size()));
    std::uint64_t hash = 14695981039346656037ull;
    for (wchar_t c : folder) {
        hash ^= static_cast<std::uint16_t>(c);
        hash *= 1099511628211ull;
    }
    // Never 0, which GetPropW returns for a window without the mark.
    return static_cast<std::uintptr_t>(hash) | 1u;
}

struct Search {
    std::uintptr_t key;
    HWND found;
};

BOOL CALLBACK findMarked(HWND window, LPARAM search) {
    auto* wanted = reinterpret_cast<Search*>(search);
    if (reinterpret_cast<std::uintptr_t>(GetPropW(window, kMarkName)) != wanted->key) return TRUE;
    wanted->found = window;
    return FALSE;
}

}  // namespace

SingleInstance::SingleInstance(std::u16string_view dataFolder) : key_(keyOf(dataFolder)) {}

SingleInstance::~SingleInstance() {
    if (mutex_ != nullptr) CloseHandle(mutex_);
}

UINT SingleInstance::showMessage() {
    static const UINT message = RegisterWindowMessageW(L"TamvikVRServer.ShowWindow");
    return message;
}

bool SingleInstance::claim() {
    // Per session (Local\): another user logged on at the same time runs a program of their own.
    std::wstring name = L"Local\\TamvikVRServer-" + std::to_wstring(key_);
    mutex_ = CreateMutexW(nullptr, FALSE, name.c_str());
    // A mutex that cannot be made leaves the program to run alone, as before.
    return mutex_ == nullptr || GetLastError() != ERROR_ALREADY_EXISTS;
}

bool SingleInstance::askToShow(int timeoutMs) const {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    do {
        Search search{key_, nullptr};
        EnumWindows(findMarked, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) {
            // We were started by the user, so we may hand the foreground on to the running program.
            DWORD process = 0;
            GetWindowThreadProcessId(search.found, &process);
            AllowSetForegroundWindow(process);
            return PostMessageW(search.found, showMessage(), 0, 0) != FALSE;
        }
        Sleep(kRetryMs);
    } while (GetTickCount64() < deadline);
    return false;
}

void SingleInstance::mark(HWND window) const { SetPropW(window, kMarkName, reinterpret_cast<HANDLE>(key_)); }

void SingleInstance::unmark(HWND window) { RemovePropW(window, kMarkName); }

}  // namespace tvr::ui::win32
