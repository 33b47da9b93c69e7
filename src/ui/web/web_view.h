// SPDX-License-Identifier: MIT
#pragma once
// The web page as the main window model sees it: the rows, address and status texts the model
// shows are kept for the page to read; the rows and the settings form the page sends are what
// the model reads back. Every call comes from the model, under the lock the page's server takes
// to reach it.
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "ui/controller.h"
#include "ui/main_window_view.h"
#include "ui/settings_form.h"

namespace tvr::ui::web {

class WebView final : public MainWindowView {
public:
    /// controller: the model's, whose settings the settings form edits.
    void setController(Controller* controller) { controller_ = controller; }
    /// Called (under the model's lock) whenever events were added.
    void onEventsAdded(std::function<void()> callback) { eventsAdded_ = std::move(callback); }

    /// The rows the page sent; the next apply reads them.
    void setRows(const ChannelRows& rows) { rows_ = rows; }
    /// The settings form the page sent; the next settings command reads it and refuses it in
    /// the page's language.
    void setSettingsForm(const SettingsFormValues& values, Language language) {
        form_ = values;
        formLanguage_ = language;
    }
    /// Why the last settings form was refused; empty when it was taken.
    const std::u16string& settingsRefusal() const { return refusal_; }
    const std::u16string& address() const { return address_; }
    const std::u16string& tooltip() const { return tooltip_; }
    const std::array<RowEnabling, core::kChannelCount>& enabling() const { return enabling_; }

    ChannelRows rows() override { return rows_; }
    void showRows(const ChannelRows& rows) override { rows_ = rows; }
    void enableRow(int row, const RowEnabling& enabling) override;
    void setRowPath(int row, std::u16string_view path) override;
    void showAddress(std::u16string_view address) override { address_ = address; }
    void showStatusPart(int part, std::u16string_view text) override;
    void showTrayTooltip(std::u16string_view text) override { tooltip_ = text; }
    void alert(std::u16string_view title, std::u16string_view text) override;
    bool runSettingsDialog() override;
    std::optional<std::u16string> chooseListFile(const ListFileStart& start) override;
    std::optional<std::u16string> chooseFolder(std::u16string_view start) override;
    EditorOutcome openInEditor(std::u16string_view path) override;
    void showFromTray() override {}
    void showEventWindow() override {}
    void eventsAdded() override;
    void closeWindow() override {}

private:
    Controller* controller_ = nullptr;
    std::function<void()> eventsAdded_;
    ChannelRows rows_;
    std::array<RowEnabling, core::kChannelCount> enabling_{};
    std::optional<SettingsFormValues> form_;
    Language formLanguage_ = Language::English;
    std::u16string refusal_;
    std::u16string address_;
    std::u16string tooltip_;
};

}  // namespace tvr::ui::web
