// SPDX-License-Identifier: MIT
#include "ui/main_window_model.h"

#include <chrono>

#include "core/paths.h"
#include "core/text.h"
#include "library/channels.h"
#include "media/media_helper.h"
#include "platform/fs.h"
#include "protocol/status_gloss.h"
#include "ui/console/console_view.h"
#include "ui/refusal_line.h"
#include "ui/server_address.h"
#include "ui/skip_note_text.h"
#include "ui/startup_summary.h"
#include "ui/window_rect_store.h"
#include "ui/window_texts.h"

namespace tvr::ui {
namespace {

// The PC folder rows that name a folder that is not there. The channel is kept as typed: the user
// may be about to plug in the disk that holds it. A row left empty is not set, which the headset's
// refusal explains when it asks for it.
std::vector<std::u16string> folderProblems(const core::Config& config) {
    std::vector<std::u16string> problems;
    for (int index = 0; index < core::kChannelCount; ++index) {
        const core::ChannelConfig& channel = config.channels[static_cast<std::size_t>(index)];
        if (channel.type != core::kChannelPcFolder || channel.path.empty()) continue;
        library::ChannelRoot root;
        bool isFolder = false;
        bool resolved = library::resolveChannelRoot(config, index, &root);
        if (resolved && root.root.size() > 1 && root.root.back() == u'/') root.root.pop_back();
        std::u16string shown = resolved ? platform::displayPath(root.root) : channel.path;
        if (!resolved || !core::getPathState(root.root, &isFolder)) {
            problems.push_back(core::format(text(TextId::FolderMissing), {index + 1, shown}));
        } else if (!isFolder) {
            problems.push_back(core::format(text(TextId::FolderIsFile), {index + 1, shown}));
        }
    }
    return problems;
}

}  // namespace

MainWindowModel::MainWindowModel(std::u16string settingsPath, MainWindowView& view, std::u16string executableFolder,
                                 ControllerOptions options)
    : view_(view),
      executableFolder_(std::move(executableFolder)),
      controller_(std::move(settingsPath), *this, options) {}

MainWindowModel::~MainWindowModel() { close(std::nullopt); }

void MainWindowModel::start() {
    fillRows();
    view_.showTrayTooltip(trayTooltip());
    controller_.startServices();
    started_ = true;
    for (const core::SettingProblem& problem : controller_.settings().problems()) {
        if (!isServicePortProblem(problem))
            showProblem(core::format(text(TextId::SettingNotNumber), {problem.section, problem.key, problem.text}));
    }
    for (const ServiceState* state : {&controller_.videoState(), &controller_.controlState()}) {
        if (!state->problem.empty()) {
            showProblem(state->problem);
            portProblem_ = true;
        }
    }
    if (controller_.settings().config().useMouse != 0 && !controller_.mouseProblem().empty())
        showProblem(u"mouse relay off: " + controller_.mouseProblem());
    for (const std::u16string& problem : controller_.writeProblems()) showProblem(problem);
    // Without the media helper the program goes on; the user is told once, as the program starts.
    if (!controller_.mediaProblem().empty()) {
        std::u16string problem = core::format(text(TextId::MediaLoadFailed), {media::helperLibraryFileName()});
        showProblem(problem);
        view_.alert(text(TextId::DllErrorTitle), problem);
    }
    view_.showAddress(thisServerAddress());
}

void MainWindowModel::tick() {
    if (closed_) return;
    controller_.tick();
    while (!folderChecks_.empty() &&
           folderChecks_.front().wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
        std::vector<std::u16string> found = folderChecks_.front().get();
        folderChecks_.pop_front();
        foldersChecked(std::move(found));
    }
}

bool MainWindowModel::onControl(int id, int notification) {
    std::optional<WindowCommand> command = commandOfControl(id, notification);
    if (command) run(command->command, command->row);
    // A combo box's other notifications are still the combo box's.
    return command.has_value() || commandOfControl(id, kNotifySelectionChanged).has_value();
}

bool MainWindowModel::onHotKey(int hotKeyId) {
    std::optional<WindowCommand> command = commandOfHotKey(hotKeyId);
    if (command) run(command->command);
    return command.has_value();
}

void MainWindowModel::run(Command command, int row) {
    switch (command) {
        case Command::Settings:
            if (view_.runSettingsDialog()) controller_.applySettings();
            break;
        case Command::Apply:
        case Command::Enter:
            apply();
            break;
        case Command::Refresh:
            fillRows();
            controller_.saveSettings();
            break;
        case Command::MouseOn:
            mouse(true);
            break;
        case Command::MouseOff:
            mouse(false);
            break;
        case Command::Quit:
            apply();
            view_.closeWindow();
            break;
        case Command::Disconnect:
            controller_.forceDisconnect();
            break;
        case Command::ShowWindow:
            view_.showFromTray();
            break;
        case Command::ShowEvents:
            view_.showEventWindow();
            break;
        case Command::RowTypeChanged:
            rowTypeChanged(row);
            break;
        case Command::RowChoosePath:
            choosePath(row);
            break;
        case Command::RowEdit:
            editRow(row);
            break;
    }
}

void MainWindowModel::hotKeyTaken(std::u16string_view keys) {
    // A second copy on busy ports serves nothing: that is what its status bar must say first.
    noteProblem(core::format(text(TextId::HotKeyTaken), {keys}), true);
}

void MainWindowModel::reportEdit(std::u16string_view path, EditorOutcome outcome) {
    switch (outcome) {
        case EditorOutcome::Opened:
            break;
        case EditorOutcome::CreatedAndOpened:
            showEvent(platform::nowLocal(), core::format(text(TextId::ListFileCreated), {path}));
            break;
        case EditorOutcome::NoEditor:
            showProblem(core::format(text(TextId::EditorMissing), {path}));
            break;
        case EditorOutcome::Failed:
            showProblem(core::format(text(TextId::EditorFailed), {path}));
            break;
    }
}

void MainWindowModel::close(const std::optional<core::WindowRect>& rect) {
    if (closed_) return;
    closed_ = true;
    if (rect) controller_.keepWindowRect(kMainWindowSection, *rect);
    controller_.stop();
    folderChecks_.clear();
}

std::u16string MainWindowModel::unsavedText() const {
    std::u16string text;
    for (const std::u16string& unsaved : controller_.unsavedAtStop()) text += (text.empty() ? u"" : u"\n") + unsaved;
    return text;
}

std::u16string MainWindowModel::trayTooltip() const {
    std::u16string tooltip(text(TextId::AppName));
    if (!state_.empty()) tooltip += std::u16string(text(TextId::TooltipSeparator)) + state_;
    return tooltip;
}

void MainWindowModel::showStatus(const platform::LocalTime& time, std::int32_t code, std::u16string_view text1,
                                 std::u16string_view text2) {
    if (echo_ != nullptr) echo_->showStatus(time, code, text1, text2);
    // The headset and the log read the Japanese texts; an English window shows their meaning
    // instead, which for a fault tells the second text's detail too.
    std::u16string gloss =
        textLanguage() == Language::English ? protocol::statusGloss(code, text1, text2) : std::u16string();
    const bool glossed = !gloss.empty();
    std::u16string first = glossed ? gloss : std::u16string(text1);
    std::u16string second = glossed && code >= 256 ? std::u16string() : std::u16string(text2);
    std::u16string shown = second.empty() ? first : first + u" " + second;
    addEvent({time, EventKind::Status, shown});
    setStatus(0, first);
    setStatus(1, second.empty() ? standingProblem_ : second);
    // Codes from 256 on report faults; the state is the connection's.
    if (code < 256) {
        state_ = shown;
        view_.showTrayTooltip(trayTooltip());
    }
}

void MainWindowModel::showProblem(std::u16string_view problem) { noteProblem(problem, false); }

void MainWindowModel::noteProblem(std::u16string_view problem, bool keepsPortProblem) {
    if (echo_ != nullptr) echo_->showProblem(problem);
    problems_.emplace_back(problem);
    addEvent({platform::nowLocal(), EventKind::Problem, std::u16string(problem)});
    if (keepsPortProblem && portProblem_) return;
    standingProblem_ = problem;
    portProblem_ = false;
    setStatus(1, standingProblem_);
}

void MainWindowModel::showEvent(const platform::LocalTime& time, std::u16string_view event) {
    if (echo_ != nullptr) echo_->showEvent(time, event);
    addEvent({time, EventKind::Server, std::u16string(event)});
}

void MainWindowModel::showNote(const platform::LocalTime& time, const library::SkipNote& note) {
    if (echo_ != nullptr) echo_->showNote(time, note);
    addEvent({time, EventKind::Server, skipNoteText(note, textLanguage())});
}

void MainWindowModel::showStream(const platform::LocalTime& time, const http::StreamEvent& event) {
    if (echo_ != nullptr) echo_->showStream(time, event);
    addEvent({time, EventKind::Stream, refusalLine(event).value_or(streamLine(event))});
}

std::vector<http::StreamProgress> MainWindowModel::streamsInProgress() {
    http::VideoServer* video = controller_.videoServer();
    return video == nullptr ? std::vector<http::StreamProgress>() : video->streamsInProgress();
}

void MainWindowModel::addEvent(WindowEvent event) {
    events_.add(std::move(event));
    view_.eventsAdded();
}

void MainWindowModel::setStatus(int part, std::u16string text) {
    status_[part] = std::move(text);
    view_.showStatusPart(part, status_[part]);
}

void MainWindowModel::apply() {
    readRowsIntoChannels(view_.rows(), controller_.settings().config().channels);
    controller_.applySettings();
    checkFolders();
}

void MainWindowModel::checkFolders() {
    // A folder on a sleeping disk or a lost network share can take seconds to answer.
    folderChecks_.push_back(std::async(std::launch::async, folderProblems, controller_.settings().config()));
}

void MainWindowModel::foldersChecked(std::vector<std::u16string> found) {
    // The rows were applied again: the folders an earlier apply missed are mended or found missing
    // again now.
    for (const std::u16string& old : folderProblems_) {
        std::erase(problems_, old);
        if (old == standingProblem_) standingProblem_.clear();
    }
    folderProblems_ = found;
    if (found.empty()) {
        setStatus(1, std::u16string(text(TextId::Applied)));
        return;
    }
    for (const std::u16string& problem : found) showProblem(problem);
}

void MainWindowModel::fillRows() {
    ChannelRows rows = rowsFromChannels(controller_.settings().config().channels);
    view_.showRows(rows);
    for (std::size_t i = 0; i < rows.size(); ++i) view_.enableRow(static_cast<int>(i), rowEnabling(rows[i].typeName));
}

void MainWindowModel::rowTypeChanged(int row) {
    view_.enableRow(row, rowEnabling(view_.rows()[static_cast<std::size_t>(row)].typeName));
}

void MainWindowModel::choosePath(int row) {
    ChannelRowText rowText = view_.rows()[static_cast<std::size_t>(row)];
    std::optional<std::int32_t> type = channelTypeFromName(rowText.typeName);
    if (!type || *type == core::kChannelVrDevice) return;
    if (*type == core::kChannelPcFolder) {
        if (auto folder = view_.chooseFolder(folderChooserStart(rowText.path, executableFolder_)))
            view_.setRowPath(row, *folder);
        return;
    }
    if (auto file = view_.chooseListFile(listFileStart(rowText.path, executableFolder_)))
        view_.setRowPath(row, storedListPath(*file, executableFolder_));
}

void MainWindowModel::editRow(int row) {
    std::u16string target = notepadTarget(view_.rows()[static_cast<std::size_t>(row)].path, executableFolder_);
    reportEdit(target, view_.openInEditor(target));
}

void MainWindowModel::mouse(bool on) {
    if (on) {
        controller_.resumeMouse();
    } else {
        controller_.pauseMouse();
    }
    std::u16string problem = controller_.mouseProblem();
    if (!problem.empty()) {
        showProblem(problem);
    } else if (on && started_ && !closed_ && !controller_.mouseRelay()->isActive()) {
        showProblem(text(TextId::MouseRelayIdle));
    }
}

}  // namespace tvr::ui
