// SPDX-License-Identifier: MIT
#include "ui/win32/desktop_program.h"

#include <objbase.h>

#include <optional>
#include <string>
#include <vector>

#include "core/paths.h"
#include "core/settings.h"
#include "platform/console.h"
#include "platform/ui_language.h"
#include "ui/console/server_command_line.h"
#include "ui/win32/main_window.h"
#include "ui/win32/resource_language.h"
#include "ui/win32/single_instance.h"
#include "ui/win32/win_text.h"

namespace tvr::ui::win32 {
namespace {

constexpr int kExitFailed = 0;
constexpr int kExitNormal = 1;
// How long a second start looks for the running program's window (it may be starting too).
constexpr int kAskRunningMs = 10000;
constexpr int kExitUnsaved = 3;

}  // namespace

int runDesktopProgram(HINSTANCE instance) {
    // The dialogs may hold rich edit controls; a missing library only leaves them out.
    LoadLibraryW(L"RICHED32.DLL");
    // The one option: --language ja|en; anything else on the line is left alone, as before.
    std::vector<std::string> arguments = platform::utf8Arguments(0, nullptr);
    std::optional<Language> language;
    std::string error;
    if (!takeLanguageOption(arguments, &language, &error)) language.reset();
    useLanguage(chooseLanguage(language, platform::userInterfaceLanguage()));
    // The zip's copy keeps its files beside itself, the installed one in %APPDATA%\TamvikVR.
    std::u16string wanted;
    const std::u16string dataFolder = dataFolderFor(ServerCommandLine{}, &wanted);
    if (dataFolder.empty()) return kExitFailed;
    core::setDataFolder(dataFolder);
    std::u16string settingsPath = dataFolder + u"\\" + core::kSettingsFileName;

    // One program per data folder: a second start brings the running program's window forward.
    SingleInstance single(dataFolder);
    if (!single.claim()) return single.askToShow(kAskRunningMs) ? kExitNormal : kExitFailed;

    MainWindow window(instance, settingsPath, dataFolder);
    if (!window.loadSettings()) return kExitFailed;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (!window.create()) {
        window.saveSettings();
        CoUninitialize();
        return kExitFailed;
    }
    single.mark(window.handle());
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (window.translateShortcut(&message)) continue;
        if (window.handle() != nullptr && IsDialogMessageW(window.handle(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (window.handle() != nullptr) DestroyWindow(window.handle());
    window.saveSettings();
    // A change that did not reach the disk is told before the program goes.
    const std::u16string unsaved = window.unsavedText();
    if (!unsaved.empty()) MessageBoxW(nullptr, wide(unsaved).c_str(), L"TamvikVR Server", MB_OK | MB_ICONWARNING);
    CoUninitialize();
    return unsaved.empty() ? kExitNormal : kExitUnsaved;
}

}  // namespace tvr::ui::win32
