// SPDX-License-Identifier: MIT
// tamvikvr-server: the whole server without a window. Reads TamvikVRServer.ini beside the
// executable, prints every status event, and stops cleanly on SIGINT or SIGTERM.
#include <cstdio>

#include "core/paths.h"
#include "core/settings.h"
#include "platform/stop_signal.h"
#include "platform/system_paths.h"
#include "ui/console/console_view.h"
#include "ui/controller.h"

int main() {
    using namespace tvr;
    platform::installStopSignalHandler();
    core::setExecutableFolder(core::SplitPath(platform::executablePath()).folder);
    std::u16string settingsPath = core::executableFolder();
    core::AppendPath(settingsPath, core::kSettingsFileName);

    ui::ConsoleView view(stdout);
    ui::Controller controller(settingsPath, view);
    if (!controller.start()) {
        std::fprintf(stderr, "The settings file %s can neither be read nor created.\n",
                     core::toUtf8(settingsPath).c_str());
        return 0;
    }
    while (!platform::waitForStopSignal(ui::Controller::kTickMs)) controller.tick();
    controller.tick();
    controller.stop();
    return 0;
}
