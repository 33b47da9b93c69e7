// SPDX-License-Identifier: MIT
#include "ui/win32/desktop_program.h"

#include <objbase.h>

#include "core/paths.h"
#include "core/settings.h"
#include "platform/system_paths.h"
#include "ui/win32/main_window.h"

namespace tvr::ui::win32 {
namespace {

constexpr int kExitFailed = 0;
constexpr int kExitNormal = 1;

std::u16string executableFolderOf(const std::u16string& executable) {
    std::size_t end = executable.find_last_of(u"\\/");
    return end == std::u16string::npos ? std::u16string() : executable.substr(0, end);
}

}  // namespace

int runDesktopProgram(HINSTANCE instance) {
    // The dialogs may hold rich edit controls; a missing library only leaves them out.
    LoadLibraryW(L"RICHED32.DLL");
    core::setExecutableFolder(executableFolderOf(platform::executablePath()));
    std::u16string settingsPath = core::executableFolder() + u"\\" + core::kSettingsFileName;

    MainWindow window(instance, settingsPath, core::executableFolder());
    if (!window.loadSettings()) return kExitFailed;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (!window.create()) {
        window.saveSettings();
        CoUninitialize();
        return kExitFailed;
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (window.handle() != nullptr && IsDialogMessageW(window.handle(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (window.handle() != nullptr) DestroyWindow(window.handle());
    window.saveSettings();
    CoUninitialize();
    return kExitNormal;
}

}  // namespace tvr::ui::win32
