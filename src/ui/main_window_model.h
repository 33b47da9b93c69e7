// SPDX-License-Identifier: MIT
#pragma once
// One main window's life, the same for every front-end: start (rows filled, services started,
// every start-up problem kept), the commands, apply with its folder check, close, the status bar
// texts, the tray tooltip and the event list a user reads instead of a console. The Win32 and
// Qt windows only map their widgets to it.
#include <deque>
#include <future>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/controller.h"
#include "ui/event_list.h"
#include "ui/main_window_view.h"
#include "ui/status_view.h"
#include "ui/window_commands.h"

namespace tvr::ui {

class MainWindowModel final : public StatusView {
public:
    MainWindowModel(std::u16string settingsPath, MainWindowView& view, std::u16string executableFolder,
                    ControllerOptions options = {});
    ~MainWindowModel() override;
    MainWindowModel(const MainWindowModel&) = delete;
    MainWindowModel& operator=(const MainWindowModel&) = delete;

    /// Loads the settings; false when the settings file can neither be read nor created.
    bool loadSettings() { return controller_.loadSettings(); }
    /// Fills the rows, starts the services and shows the address and every problem met.
    void start();
    /// One 100 ms timer tick: the services' events, and the folder checks that have finished.
    void tick();
    /// Runs a command; row is the row of the row commands.
    void run(Command command, int row = -1);
    /// Runs the command of a control id with its notification; false when the id is none.
    bool onControl(int id, int notification = kNotifyClicked);
    /// Runs the command of a global hot key; false when the id is none.
    bool onHotKey(int hotKeyId);
    /// A global hot key the window could not have ("Ctrl+Shift+Alt+S"); a port problem stays in
    /// the status bar before it.
    void hotKeyTaken(std::u16string_view keys);
    /// Tells what became of "編集" on the file (the settings dialog's too): a file made, or why
    /// nothing opened, with its whole path.
    void reportEdit(std::u16string_view path, EditorOutcome outcome);
    /// The window closed (close box, "終了" after its apply, a stop signal): keeps its rectangle
    /// (none when minimised or maximised) and stops the services. The rows are not read.
    void close(const std::optional<core::WindowRect>& rect);

    /// Also tells every event to the console's view, so that both read the same stream.
    void setEcho(StatusView* echo) { echo_ = echo; }
    /// Every problem met so far and not mended since, the start-up problems first.
    const std::vector<std::u16string>& problems() const { return problems_; }
    /// A status bar part's whole text (0 or 1).
    const std::u16string& statusText(int part) const { return status_[part == 0 ? 0 : 1]; }
    /// "TamvikVR Server - 接続中 192.168.1.5": the name and the connection's state.
    std::u16string trayTooltip() const;
    const EventList& events() const { return events_; }
    /// Each video body going out now (none while the video server is not running).
    std::vector<http::StreamProgress> streamsInProgress();
    Controller& controller() { return controller_; }
    bool closed() const { return closed_; }
    /// What closing could not save, a line each with why, for a box before the program ends;
    /// empty when everything reached the disk.
    std::u16string unsavedText() const;

    void showStatus(const platform::LocalTime& time, std::int32_t code, std::u16string_view text1,
                    std::u16string_view text2) override;
    void showProblem(std::u16string_view text) override;
    void showEvent(const platform::LocalTime& time, std::u16string_view text) override;
    void showNote(const platform::LocalTime& time, const library::SkipNote& note) override;
    void showStream(const platform::LocalTime& time, const http::StreamEvent& event) override;

private:
    void apply();
    void fillRows();
    void rowTypeChanged(int row);
    void choosePath(int row);
    void editRow(int row);
    void mouse(bool on);
    void checkFolders();
    void foldersChecked(std::vector<std::u16string> found);
    void noteProblem(std::u16string_view text, bool keepsPortProblem);
    void addEvent(WindowEvent event);
    void setStatus(int part, std::u16string text);

    MainWindowView& view_;
    std::u16string executableFolder_;
    Controller controller_;
    EventList events_;
    std::vector<std::u16string> problems_;
    std::vector<std::u16string> folderProblems_;  // those the latest folder check found
    std::u16string standingProblem_;              // the one the status bar shows between events
    bool portProblem_ = false;                    // the standing problem is a port that cannot be used
    std::u16string status_[2];
    std::u16string state_;  // the latest connection state, for the tooltip
    std::deque<std::future<std::vector<std::u16string>>> folderChecks_;
    StatusView* echo_ = nullptr;
    bool started_ = false;
    bool closed_ = false;
};

}  // namespace tvr::ui
