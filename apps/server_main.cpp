// SPDX-License-Identifier: MIT
// tamvikvr-server: the whole server without a window. Reads TamvikVRServer.ini beside the
// executable, prints every status event, and stops cleanly on SIGINT or SIGTERM (Ctrl+C or
// closing the console on Windows).
#include <cstdio>

#include "core/paths.h"
#include "core/settings.h"
#include "platform/console.h"
#include "platform/stop_signal.h"
#include "platform/system_paths.h"
#include "platform/utf.h"
#include "ui/console/console_view.h"
#include "ui/controller.h"

int main() {
    using namespace tvr;
    platform::installStopSignalHandler();
    platform::useUtf8Console();
    // The folder is cut at the last separator rather than split by extension: executables have
    // no extension on Linux, and a path without one would count as a folder as a whole.
    std::u16string executable = platform::executablePath();
    core::setExecutableFolder(executable.substr(0, executable.find_last_of(u"/\\")));
    std::u16string settingsPath = core::executableFolder();
    core::appendPath(settingsPath, core::kSettingsFileName);

    ui::ConsoleView view(stdout);
    ui::Controller controller(settingsPath, view);
    if (!controller.start()) {
        std::fprintf(stderr, "The settings file %s can neither be read nor created.\n",
                     platform::toUtf8(settingsPath).c_str());
        return 0;
    }
    while (!platform::waitForStopSignal(ui::Controller::kTickMs)) controller.tick();
    controller.tick();
    controller.stop();
    return 0;
}
