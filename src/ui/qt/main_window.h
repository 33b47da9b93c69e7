// SPDX-License-Identifier: MIT
#pragma once
// The main window: the channel rows, the address, the mouse and disconnect buttons, a two-part
// status bar, the tray icon and the event window. Its model owns the controller, and so the
// services; the window only maps its widgets to the model.
#include <QMainWindow>
#include <QTimer>
#include <array>
#include <functional>
#include <string>

#include "ui/main_window_model.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSystemTrayIcon;

namespace tvr::ui::qt {

class EventWindow;

class MainWindow final : public QMainWindow, public MainWindowView {
public:
    MainWindow(std::u16string settingsPath, std::u16string executableFolder, ControllerOptions options = {});
    ~MainWindow() override;

    /// Loads the settings; false when the settings file can neither be read nor created.
    bool loadSettings() { return model_.loadSettings(); }
    /// Fills the rows, starts the services and the 100 ms tick, and places the window.
    void start();
    /// What runs once the window has closed and stopped the services (the program quits).
    void setOnClosed(std::function<void()> onClosed) { onClosed_ = std::move(onClosed); }
    /// A global hot key (260 S, 261 M, 262 D) was pressed.
    void onHotKey(int hotKeyId) { model_.onHotKey(hotKeyId); }
    /// Tells the user why there are no global hot keys.
    void showHotKeyProblem(std::u16string_view text) { model_.showProblem(text); }

    MainWindowModel& model() { return model_; }
    Controller& controller() { return model_.controller(); }
    /// The tray icon's menu: "ウインドウを表示(&W)", "イベントを表示(&E)" and "終了(&Q)".
    QMenu* trayMenu() const { return trayMenu_; }
    /// A status bar part's label (0 or 1): the text that fits, the whole text as its tooltip.
    QLabel* statusPart(int part) const { return statusParts_[static_cast<std::size_t>(part)]; }
    /// The event window, once opened.
    EventWindow* eventWindow() const { return events_; }

    ChannelRows rows() override;
    void showRows(const ChannelRows& rows) override;
    void enableRow(int row, const RowEnabling& enabling) override;
    void setRowPath(int row, std::u16string_view path) override;
    void showAddress(std::u16string_view address) override;
    void showStatusPart(int part, std::u16string_view text) override;
    void showTrayTooltip(std::u16string_view text) override;
    void alert(std::u16string_view title, std::u16string_view text) override;
    bool runSettingsDialog() override;
    std::optional<std::u16string> chooseListFile(const ListFileStart& start) override;
    std::optional<std::u16string> chooseFolder(std::u16string_view start) override;
    EditorOutcome openInEditor(std::u16string_view path) override;
    void showFromTray() override;
    void showEventWindow() override;
    void eventsAdded() override;
    void closeWindow() override;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Row {
        QComboBox* type;
        QLineEdit* path;
        QPushButton* folder;
        QPushButton* edit;
    };
    void build();
    QPushButton* commandButton(const QString& text, int id);
    void minimiseToTray();
    void fitStatus(int part);

    std::u16string executableFolder_;
    MainWindowModel model_;
    std::array<Row, core::kChannelCount> rows_{};
    QLineEdit* address_ = nullptr;
    std::array<QLabel*, 2> statusParts_{};
    QSystemTrayIcon* tray_ = nullptr;
    QMenu* trayMenu_ = nullptr;
    EventWindow* events_ = nullptr;
    QTimer tick_;
    core::WindowRect rect_;
    std::function<void()> onClosed_;
};

}  // namespace tvr::ui::qt
