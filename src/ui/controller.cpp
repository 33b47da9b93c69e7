// SPDX-License-Identifier: MIT
#include "ui/controller.h"

#include <algorithm>
#include <functional>
#include <utility>

#include "core/paths.h"
#include "core/text.h"
#include "core/write_fault.h"
#include "core/write_leftovers.h"
#include "platform/dynamic_library.h"
#include "platform/fs.h"
#include "platform/system_paths.h"
#include "protocol/status_codes.h"
#include "ui/startup_summary.h"

namespace tvr::ui {

Controller::Controller(std::u16string settingsPath, StatusView& view, ControllerOptions options)
    : settings_(std::move(settingsPath)),
      view_(view),
      options_(options),
      clock_(options.clock != nullptr ? *options.clock : core::SystemClock::instance()) {}

Controller::~Controller() { stop(); }

bool Controller::start() {
    if (!loadSettings()) return false;
    startServices();
    return true;
}

bool Controller::loadSettings() {
    if (!settings_.load()) {
        settings_.save();
        return false;
    }
    writer_ = std::make_unique<SettingsWriter>(settings_);
    return true;
}

void Controller::saveSettings() {
    if (writer_) writer_->save(settings_.config(), channelChangesTaken_);
}

void Controller::flushSettings() {
    if (writer_) writer_->flush();
}

void Controller::keepWindowRect(std::u16string_view section, const core::WindowRect& rect) {
    if (writer_) writer_->keepRect(std::u16string(section), rect);
}

void Controller::startServices() {
    const core::Config& config = settings_.config();
    core::removeWriteLeftovers(settings_.path(), config);
    // The helper ships with the program, so it is looked for beside the program, not in the data folder.
    mediaProblem_ = media_.load(platform::helperLibraryFolders(core::programFolder()));
    video_ = std::make_unique<http::VideoServer>();
    control_ = std::make_unique<protocol::ControlServer>(clock_, &commands_, library_, writer_.get());
    startMouse();
    running_ = true;
    controlState_ = {};
    videoState_ = {};
    auto unusable = [](std::u16string_view key, std::uint16_t port) {
        return core::format(u"[Config] %s=%d cannot be used (another program listens on it, or it is not allowed)",
                            {key, port});
    };
    if (auto port = portFor(u"iPortHttp", config.portHttp, &videoState_)) {
        if (video_->start(*port, control_.get(), options_.bindAddress)) {
            videoState_.port = video_->port();
        } else {
            videoState_.problem = unusable(u"iPortHttp", *port);
        }
    }
    // Started second, so that the handshake announces the video port actually listened on.
    if (auto port = portFor(u"iPortServer", config.portServer, &controlState_)) {
        if (control_->startListening(*port, listeningConfig(), options_.bindAddress)) {
            controlState_.port = control_->port();
        } else {
            controlState_.problem = unusable(u"iPortServer", *port);
        }
    }
    findWriteProblems();
}

void Controller::findWriteProblems() {
    writeProblems_.clear();
    // The settings file is replaced through a temporary file beside it, as are the lists and stores.
    const std::u16string& path = settings_.path();
    std::size_t cut = path.find_last_of(platform::backslashIsSeparator() ? u"/\\" : u"/");
    std::u16string folder = cut == std::u16string::npos ? u"." : path.substr(0, cut == 0 ? 1 : cut);
    if (platform::WriteFault fault = platform::probeFolderWrite(folder); fault != platform::WriteFault::kNone) {
        writeProblems_.push_back(core::unwritableText(u"the data folder", folder, fault) +
                                 u"; the settings file, lists and stores there cannot be saved");
    }
    if (control_->isListening() && settings_.config().serverLog == 1) {
        if (platform::WriteFault fault = control_->logFault(); fault != platform::WriteFault::kNone)
            writeProblems_.push_back(core::unwritableText(u"the log", core::ServerLog::pathIn(folder), fault));
    }
}

void Controller::showSaveFailures() {
    if (!writer_) return;
    for (const std::u16string& failure : writer_->takeFailures()) view_.showEvent(platform::nowLocal(), failure);
}

std::optional<std::uint16_t> Controller::portFor(std::u16string_view key, std::int32_t configured,
                                                 ServiceState* state) const {
    if (options_.anyFreePort) return std::uint16_t{0};
    if (const core::SettingProblem* problem = settings_.configProblem(key)) {
        state->problem =
            core::format(u"[Config] %s=%s is not a number; give a port from 1 to 65535", {key, problem->text});
        return std::nullopt;
    }
    if (configured < 1 || configured > 65535) {
        state->problem = core::format(u"[Config] %s=%d is not a port; give one from 1 to 65535", {key, configured});
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(configured);
}

core::Config Controller::listeningConfig() const {
    core::Config config = settings_.config();
    config.portHttp = videoState_.port;
    return config;
}

void Controller::tick() {
    if (!running_) return;
    // The slot is emptied as the headset's error reply expects; the events show every change.
    protocol::StatusSlot slot;
    control_->takeStatus(&slot);
    std::vector<protocol::Refusal> refusals;
    std::vector<protocol::Note> notes;
    std::vector<protocol::StatusSlot> events = control_->takeEvents(&refusals, &notes);
    std::vector<http::StreamEvent> streams = video_->takeEvents();
    std::vector<core::FrontEndCommand> commands = commands_.drain();
    // Each queue keeps its own order; the stamps put every line of all of them into the order
    // things happened, each shown with the time it happened.
    std::vector<std::pair<std::uint64_t, std::function<void()>>> lines;
    for (const auto& event : events) {
        if (event.code != protocol::status::kNone) lines.emplace_back(event.stamp.order, [&] { onStatus(event); });
    }
    for (const auto& refusal : refusals) {
        lines.emplace_back(refusal.stamp.order, [&] {
            view_.showEvent(refusal.stamp.time, u"refused " + refusal.request + u": " + refusal.reason);
        });
    }
    for (const auto& note : notes) {
        lines.emplace_back(note.stamp.order, [&] { view_.showNote(note.stamp.time, note.skip); });
    }
    for (const auto& stream : streams) {
        lines.emplace_back(stream.stamp.order, [&] { view_.showStream(stream.stamp.time, stream); });
    }
    for (const auto& command : commands) lines.emplace_back(command.stamp.order, [&] { onCommand(command); });
    std::stable_sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& line : lines) line.second();
    showSaveFailures();
    followLoginWithMouse();
}

void Controller::onStatus(const protocol::StatusSlot& status) {
    // Several disconnections read in one tick each ask for the waiting status: one line says it.
    bool repeatedWait = status.code == protocol::status::kWaiting && lastShownCode_ == protocol::status::kWaiting;
    if (!repeatedWait) view_.showStatus(status.stamp.time, status.code, status.text1, status.text2);
    lastShownCode_ = status.code;
    onMouseStatus(status);
    if (status.code == protocol::status::kDisconnected) {
        // By now the headset may have logged in again: only the login that ended loses its streams.
        video_->endLogin(control_->endedLogin());
        control_->postWaitingIfIdle();
    }
}

void Controller::onCommand(const core::FrontEndCommand& command) {
    if (command.id == core::kRefreshChannels && command.channel >= 0 && command.channel < core::kChannelCount) {
        auto& channel = settings_.config().channels[static_cast<std::size_t>(command.channel)];
        channel.type = command.type;
        channel.path = command.path;
        ++channelChangesTaken_;
        saveSettings();
        // The headset may name a folder that is not there: the user sees it now, not at the next start.
        ChannelSummary changed = summarizeChannel(settings_.config(), command.channel);
        view_.showEvent(command.stamp.time,
                        core::format(u"channel %d set by the headset: ", {changed.number}) + describeChannel(changed));
    } else if (command.id == core::kForceDisconnect) {
        forceDisconnect();
    } else if (command.id == core::kSaveFailed) {
        wordListFailure_ = command.path;
        view_.showEvent(platform::nowLocal(), command.path);
    }
}

void Controller::applySettings() {
    if (!running_) return;
    control_->applySettings(listeningConfig(), channelChangesTaken_);
    saveSettings();
}

void Controller::forceDisconnect() {
    if (!running_) return;
    // The login the user sees now is the one to drop, even before the control thread has done so.
    video_->endLogin(control_->currentLogin());
    control_->requestForceDisconnect();
}

void Controller::stop() {
    if (!running_) return;
    running_ = false;
    // Nothing is answered from here on, so the save below holds every change answered OK.
    video_->close();
    video_.reset();
    control_.reset();  // stops its thread, then tears down: "Release()" and "SHUTDOWN"
    mouse_.reset();    // stops its thread, then gives the pointer back
    media_.release();
    for (const auto& command : commands_.drain()) onCommand(command);
    saveSettings();
    flushSettings();
    showSaveFailures();
    unsavedAtStop_.clear();
    if (writer_) {
        if (std::u16string unsaved = writer_->unsaved(); !unsaved.empty()) unsavedAtStop_.push_back(unsaved);
    }
    // The teardown saved the word list a last time; still changed, it is not on disk.
    if (library_.wordList().isModified()) unsavedAtStop_.push_back(wordListFailure_);
}

}  // namespace tvr::ui
