// SPDX-License-Identifier: MIT
#include "ui/qt/desktop_program.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "core/paths.h"
#include "core/settings.h"
#include "core/version.h"
#include "platform/console.h"
#include "platform/fs.h"
#include "platform/stop_signal.h"
#include "platform/system_paths.h"
#include "platform/ui_language.h"
#include "platform/utf.h"
#include "ui/console/console_view.h"
#include "ui/console/server_command_line.h"
#include "ui/qt/global_hotkeys.h"
#include "ui/qt/main_window.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/single_instance.h"
#include "ui/qt/translation.h"

namespace tvr::ui::qt {
namespace {

constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitUnsaved = 3;
constexpr int kStopCheckMs = 200;
// How long a second start waits for the running program to answer (it may be starting too).
constexpr int kAskRunningMs = 10000;

std::string usage() {
    return "Usage: tamvikvr-server-gui [--data-dir DIR] [--language ja|en] [Qt options such as -platform NAME]\n"
           "Runs the TamvikVR server with its desktop window: the eight channels, the server address,\n"
           "the settings dialog, a tray icon and the hot keys Ctrl+Shift+Alt+S (force disconnect),\n"
           "M (mouse on) and D (mouse off). Ends with 終了 in the window or the tray menu, by closing\n"
           "the window, or on SIGINT or SIGTERM.\n"
           "\n"
           "  --data-dir DIR  keep TamvikVRServer.ini, the log, the list files and the stores in DIR\n"
           "                  (created when missing) instead of the default data folder\n"
           "  --language ja|en  the windows' language; without it Japanese on a Japanese system\n"
           "                  (LC_ALL, LC_MESSAGES, LANG), English on any other\n"
           "  --version       print the version and exit\n"
           "  --help, -h      print this text and exit\n"
           "\n"
           "The default data folder is the executable's own; installed in /usr/bin or /usr/local/bin\n"
           "the program uses $XDG_CONFIG_HOME/tamvikvr (default ~/.config/tamvikvr) instead, created\n"
           "on the first start (0700). When that folder, or the DIR of --data-dir, holds no\n"
           "TamvikVRServer.ini yet and one lies beside the program, that file is copied in once and\n"
           "left where it was.\n"
           "Machines without a display run tamvikvr-server instead. The settings are described in\n"
           "/usr/share/doc/tamvikvr-server/configuration.md.\n"
           "\n"
           "Exit status:\n"
           "  0  closed with everything saved\n"
           "  1  the data folder or the settings file can neither be read nor created\n"
           "  2  a wrong command line\n"
           "  3  closed, but a change could not be saved: a message box and the last line name what\n"
           "     and why (permission, read-only file system, no space, ...)\n";
}

// Parses the arguments after the program name, --language among them.
bool parseCommandLine(std::vector<std::string> arguments, ServerCommandLine* line, std::optional<Language>* language,
                      std::string* error) {
    *line = {};
    return takeLanguageOption(arguments, language, error) && parseServerCommandLine(arguments, line, error);
}

// Answers --help and --version; false when the line asks for a run.
bool answered(const ServerCommandLine& line) {
    if (line.action == ServerCommandLine::Action::Help) {
        std::fputs(usage().c_str(), stdout);
        return true;
    }
    if (line.action == ServerCommandLine::Action::Version) {
        std::printf("TamvikVR Server %s (protocol %d)\n", platform::toUtf8(core::kAppVersion).c_str(),
                    core::kProtocolVersion);
        return true;
    }
    return false;
}

void failure(const std::u16string& text) {
    std::fprintf(stderr, "tamvikvr-server-gui: %s\n", platform::toUtf8(text).c_str());
    QMessageBox::critical(nullptr, QStringLiteral("TamvikVR Server"), toQString(text));
}

}  // namespace

int runDesktopProgram(int argc, char** argv) {
    ServerCommandLine line;
    std::string error;
    // --help and --version answer before Qt looks for a display, so they work without one.
    std::optional<Language> language;
    if (parseCommandLine(platform::utf8Arguments(argc, argv), &line, &language, &error) && answered(line)) return 0;

    QApplication app(argc, argv);
    // A log-out or kill ends the program as closing the window does: services stopped, saved.
    platform::installStopSignalHandler();
    // The window may hide in the tray; the program ends when the window closes, not before.
    QApplication::setQuitOnLastWindowClosed(false);
    std::vector<std::string> arguments;
    for (const QString& argument : QApplication::arguments().mid(1)) arguments.push_back(argument.toStdString());
    if (!parseCommandLine(arguments, &line, &language, &error)) {
        std::fprintf(stderr, "tamvikvr-server-gui: %s\n%s", error.c_str(), usage().c_str());
        return kExitUsage;
    }
    if (answered(line)) return 0;
    if (!useLanguage(chooseLanguage(language, platform::userInterfaceLanguage())))
        std::fputs("tamvikvr-server-gui: the English texts cannot be loaded\n", stderr);

    std::u16string wanted;
    std::u16string dataFolder = dataFolderFor(line, &wanted);
    if (dataFolder.empty()) {
        failure(u"the data folder " + wanted + u" cannot be created");
        return kExitFailed;
    }
    core::setDataFolder(dataFolder);
    std::u16string settingsPath = core::dataFolder();
    core::appendPath(settingsPath, core::kSettingsFileName);

    // One program per data folder: a second start brings the running program's window forward.
    SingleInstance instance(core::dataFolder());
    if (!instance.claim()) {
        if (instance.askToShow(kAskRunningMs)) {
            std::printf("tamvikvr-server-gui: TamvikVR Server already runs for %s; its window was brought forward\n",
                        platform::toUtf8(core::dataFolder()).c_str());
            return 0;
        }
        failure(u"TamvikVR Server already runs for " + core::dataFolder() + u" but does not answer");
        return kExitFailed;
    }

    // The terminal that started the program reads the same events as the event window.
    ConsoleView console(stdout);
    MainWindow window(settingsPath, core::dataFolder());
    if (!window.loadSettings()) {
        failure(u"the settings file " + settingsPath + u" can neither be read nor created");
        return kExitFailed;
    }
    window.model().setEcho(&console);
    window.setOnClosed([] { QApplication::quit(); });
    window.start();
    window.show();
    if (!instance.listen([&window] { window.model().run(Command::ShowWindow); }))
        std::fputs("tamvikvr-server-gui: a second start cannot reach this program's window\n", stderr);

    GlobalHotKeys hotKeys([&window](int id) { window.onHotKey(id); });
    if (std::u16string problem = hotKeys.grab(); !problem.empty()) window.showHotKeyProblem(problem);

    QTimer stopCheck;
    QObject::connect(&stopCheck, &QTimer::timeout, &window, [&window] {
        if (platform::waitForStopSignal(0)) window.close();
    });
    stopCheck.start(kStopCheckMs);
    QApplication::exec();
    // A change that did not reach the disk is told before the program goes.
    const std::u16string unsaved = window.model().unsavedText();
    if (unsaved.empty()) return 0;
    console.showStopped(window.model().controller().unsavedAtStop());
    QMessageBox::warning(nullptr, QStringLiteral("TamvikVR Server"), toQString(unsaved));
    return kExitUnsaved;
}

}  // namespace tvr::ui::qt
