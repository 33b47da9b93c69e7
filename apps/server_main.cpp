// SPDX-License-Identifier: MIT
// tamvikvr-server: the whole server without a window. Reads TamvikVRServer.ini beside the
// executable (in ~/.config/tamvikvr when installed in a system program folder, or in
// --data-dir), prints a start-up summary and every status event, and stops cleanly on SIGINT or
// SIGTERM (Ctrl+C or closing the console on Windows).
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "core/log.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/version.h"
#include "platform/console.h"
#include "platform/fs.h"
#include "platform/socket.h"
#include "platform/stop_signal.h"
#include "platform/system_paths.h"
#include "platform/terminal.h"
#include "platform/utf.h"
#include "protocol/status_gloss.h"
#include "ui/console/console_view.h"
#include "ui/console/server_command_line.h"
#include "ui/main_window_model.h"
#include "ui/startup_summary.h"
#include "ui/web/web_page.h"
#include "ui/web/web_password.h"
#include "ui/web/web_view.h"
#include "ui/window_texts.h"

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitUnsaved = 3;

// --set-web-password: the password twice from the terminal, never shown; only its hash is kept.
int setWebPassword(const std::u16string& dataFolder) {
    using namespace tvr;
    if (!ui::web::webPasswordAvailable()) {
        std::fputs("tamvikvr-server: this build cannot keep a web password (built without libsodium)\n", stderr);
        return 1;
    }
    std::string password;
    std::string again;
    bool read = platform::readHiddenLine("Web password: ", &password);
    read = read && platform::readHiddenLine("Again: ", &again);
    if (!read || password != again) {
        std::fputs("tamvikvr-server: the two passwords differ; nothing was changed\n", stderr);
        return 1;
    }
    std::u16string problem;
    if (!ui::web::storeWebPassword(dataFolder, password, &problem)) {
        std::fprintf(stderr, "tamvikvr-server: %s; nothing was changed\n", platform::toUtf8(problem).c_str());
        return 1;
    }
    std::u16string file = dataFolder;
    core::appendPath(file, ui::web::kPasswordFileName);
    std::printf("The web password's hash is kept in %s.\n", platform::toUtf8(file).c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tvr;
    ui::ServerCommandLine line;
    std::string error;
    std::vector<std::string> arguments = platform::utf8Arguments(argc, argv);
    if (!ui::parseServerCommandLine(arguments, &line, &error)) {
        std::fprintf(stderr, "tamvikvr-server: %s\n%s", error.c_str(), ui::serverUsage().c_str());
        return kExitUsage;
    }
    if (line.action == ui::ServerCommandLine::Action::Help) {
        std::fputs(ui::serverUsage().c_str(), stdout);
        return 0;
    }
    if (line.action == ui::ServerCommandLine::Action::Version) {
        std::printf("TamvikVR Server %s (protocol %d)\n", platform::toUtf8(core::kAppVersion).c_str(),
                    core::kProtocolVersion);
        return 0;
    }
    std::u16string wanted;
    std::u16string copiedFrom;
    std::u16string dataFolder = ui::dataFolderFor(line, &wanted, &copiedFrom);
    if (dataFolder.empty()) {
        std::fprintf(stderr, "tamvikvr-server: the data folder %s cannot be created\n",
                     platform::toUtf8(wanted).c_str());
        return 1;
    }
    if (line.action == ui::ServerCommandLine::Action::SetWebPassword) return setWebPassword(dataFolder);
    platform::installStopSignalHandler();
    platform::useUtf8Console();
    core::setDataFolder(dataFolder);
    std::u16string settingsPath = core::dataFolder();
    core::appendPath(settingsPath, core::kSettingsFileName);

    bool glosses = !protocol::japaneseLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
    ui::ConsoleView view(stdout, glosses);
    ui::setTextLanguage(glosses ? ui::Language::English : ui::Language::Japanese);
    // The console and the web page are two views of one window model; the page reaches it from
    // its own thread, under this mutex.
    ui::web::WebView webView;
    ui::MainWindowModel model(settingsPath, webView, core::dataFolder());
    ui::Controller& controller = model.controller();
    webView.setController(&controller);
    if (!model.loadSettings()) {
        std::fprintf(stderr, "The settings file %s can neither be read nor created.\n",
                     platform::toUtf8(settingsPath).c_str());
        return 0;
    }
    model.start();
    model.setEcho(&view);
    if (!controller.mediaProblem().empty()) {
        // The desktop program shows this in a message box; here it is one line, and the server goes on.
        std::u16string gloss =
            glosses ? u" (the media helper library could not be loaded; the server runs without it)" : u"";
        view.showProblem(controller.mediaProblem() + gloss);
    }
    ui::StartupSummary summary =
        ui::summarizeStartup(controller.settings(), controller.controlState(), controller.videoState(),
                             core::dataFolder(), platform::lanIpv4Addresses());
    if (summary.mouseOn) summary.mouseProblem = controller.mouseProblem();
    if (!copiedFrom.empty()) summary.settingsCopiedFrom = platform::displayPath(copiedFrom);
    for (const std::u16string& problem : controller.writeProblems()) summary.warnings.push_back(problem);
    view.showSummary(summary);
    std::mutex modelMutex;
    ui::web::WebPage page(modelMutex, model, webView);
    const core::Config& config = controller.settings().config();
    if (ui::web::webPageWanted(config, true)) {
        std::u16string problem;
        bool portValid = config.portWeb >= 1 && config.portWeb <= 65535;
        if (!portValid) problem = u"web page off: [Config] iPortWeb is not a port from 1 to 65535";
        if (portValid && page.start(static_cast<std::uint16_t>(config.portWeb), core::dataFolder(), &problem,
                                    config.useWebLan == 1)) {
            std::printf("  web page: %s\n", page.signInAddress().c_str());
            if (page.onHomeNetwork()) {
                for (std::uint32_t address : platform::lanIpv4Addresses())
                    std::printf("  web page on the home network (web password): http://%s:%d/\n",
                                platform::formatIpv4(address).c_str(), page.port());
            }
        }
        if (!problem.empty()) view.showProblem(problem);
        std::fflush(stdout);
    }
    while (!platform::waitForStopSignal(ui::Controller::kTickMs)) {
        std::lock_guard<std::mutex> lock(modelMutex);
        model.tick();
    }
    std::lock_guard<std::mutex> lock(modelMutex);
    model.tick();
    model.close(std::nullopt);
    view.showStopped(controller.unsavedAtStop());
    return controller.unsavedAtStop().empty() ? 0 : kExitUnsaved;
}
