// SPDX-License-Identifier: MIT
#pragma once
// Everything the main window does to the rest of the system, shared by every front-end: loads
// the settings, creates and starts the services in order, polls the status slot, reacts to its
// codes and to commands posted by the services, and stops and saves everything in order.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/clock.h"
#include "core/command_queue.h"
#include "core/settings.h"
#include "http/video_server.h"
#include "library/library_state.h"
#include "media/media_helper.h"
#include "mouse/capture_library.h"
#include "mouse/curvane_library.h"
#include "mouse/mouse_relay.h"
#include "protocol/control_server.h"
#include "ui/settings_writer.h"
#include "ui/status_view.h"

namespace tvr::ui {

/// Choices tests make; a normal start uses the defaults.
struct ControllerOptions {
    core::Clock* clock = nullptr;                   // the system clock when null
    bool anyFreePort = false;                       // listen on free ports instead of the configured ones
    std::uint32_t bindAddress = 0;                  // all local addresses
    mouse::CaptureLibrary* mouseLibrary = nullptr;  // the Curvane library beside the program when null
};

/// Where a service listens, or why it does not.
struct ServiceState {
    std::uint16_t port = 0;  // the port listened on; 0 while not listening
    std::u16string problem;  // why it is not listening; empty while it listens
};

class Controller {
public:
    /// The settings file is settingsPath; the view receives status lines.
    Controller(std::u16string settingsPath, StatusView& view, ControllerOptions options = {});
    ~Controller();
    Controller(const Controller&) = delete;
    Controller& operator=(const Controller&) = delete;

    /// Loads the settings, then the media helper beside the program, then starts the services;
    /// false when the settings file is unusable.
    bool start();
    /// Loads the settings alone; false (after a save attempt) when the settings file is unusable.
    bool loadSettings();
    /// Starts the services with the loaded settings (a window does this once it exists).
    void startServices();
    /// One 100 ms timer tick: reads the status slot and drains the service commands.
    void tick();
    /// Stops answering the headset first, then the other services, releases the media helper and
    /// saves the changed settings, the headset's last changes included; waits for the write.
    void stop();
    /// Applies edited settings to the running services and saves them.
    void applySettings();
    /// Drops the connected headset.
    void forceDisconnect();
    /// Saves the changed settings on the writer's thread, so the caller never waits for the disk.
    void saveSettings();
    /// Waits until every save and rectangle asked for is written.
    void flushSettings();
    /// Keeps a window's rectangle in its section of the settings file, on the writer's thread.
    void keepWindowRect(std::u16string_view section, const core::WindowRect& rect);
    /// "マウス ON" and Ctrl+Shift+Alt+M: resumes capture while the relay runs.
    void resumeMouse();
    /// "マウス OFF" and Ctrl+Shift+Alt+D: pauses capture, so the PC pointer works again.
    void pauseMouse();
    /// Why the mouse relay cannot capture here; empty when it can. A front-end shows the one
    /// found at start when [Config] iUseMouse is on; the controller shows every later one.
    std::u16string mouseProblem() const;

    core::SettingsStore& settings() { return settings_; }
    protocol::ControlServer* controlServer() { return control_.get(); }
    http::VideoServer* videoServer() { return video_.get(); }
    mouse::MouseRelay* mouseRelay() { return mouse_.get(); }
    const ServiceState& controlState() const { return controlState_; }
    const ServiceState& videoState() const { return videoState_; }
    /// Why the media helper did not load, for the front-end to show once; empty when it loaded.
    const std::u16string& mediaProblem() const { return mediaProblem_; }
    /// What startServices found it cannot write (the data folder with the settings file, the
    /// log when it is on), each with why; empty when everything can be written.
    const std::vector<std::u16string>& writeProblems() const { return writeProblems_; }
    /// What stop() could not save, each with why; empty when everything reached the disk.
    const std::vector<std::u16string>& unsavedAtStop() const { return unsavedAtStop_; }

    /// How often the front-end should call tick().
    static constexpr int kTickMs = 100;

private:
    void onStatus(const protocol::StatusSlot& status);
    void onCommand(const core::FrontEndCommand& command);
    std::optional<std::uint16_t> portFor(std::u16string_view key, std::int32_t configured, ServiceState* state) const;
    core::Config listeningConfig() const;
    void startMouse();
    void onMouseStatus(const protocol::StatusSlot& status);
    void startMouseRelay(std::u16string_view address);
    void followLoginWithMouse();
    void setMouseProblem(std::u16string problem, bool show);
    void findWriteProblems();
    void showSaveFailures();

    core::SettingsStore settings_;
    StatusView& view_;
    ControllerOptions options_;
    core::Clock& clock_;
    core::CommandQueue commands_;
    library::LibraryState library_;
    media::MediaHelper media_;
    std::u16string mediaProblem_;
    std::vector<std::u16string> writeProblems_;
    std::vector<std::u16string> unsavedAtStop_;
    std::u16string wordListFailure_;          // why the word list's newest failed save failed
    std::unique_ptr<SettingsWriter> writer_;  // from a successful load on; outlives the control server
    std::uint64_t channelChangesTaken_ = 0;   // the headset's channel changes applied to settings_
    std::unique_ptr<http::VideoServer> video_;
    std::unique_ptr<protocol::ControlServer> control_;
    mouse::CurvaneLibrary curvane_;
    mouse::CaptureLibrary* mouseLibrary_ = nullptr;
    std::unique_ptr<mouse::MouseRelay> mouse_;
    std::u16string mouseProblem_;
    bool mouseProblemShown_ = false;  // each problem is shown once, not at every connection
    std::uint64_t mouseLogin_ = 0;    // the login the relay last followed (0: none)
    bool mouseRelaying_ = false;      // the relay started for that login and has not stopped
    ServiceState controlState_;
    ServiceState videoState_;
    bool running_ = false;
    std::int32_t lastShownCode_ = 0;
};

}  // namespace tvr::ui
