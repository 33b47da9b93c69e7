// SPDX-License-Identifier: MIT
#include "ui/web/web_view.h"

namespace tvr::ui::web {

void WebView::enableRow(int row, const RowEnabling& enabling) {
    if (row >= 0 && row < core::kChannelCount) enabling_[static_cast<std::size_t>(row)] = enabling;
}

void WebView::setRowPath(int row, std::u16string_view path) {
    if (row >= 0 && row < core::kChannelCount) rows_[static_cast<std::size_t>(row)].path = path;
}

void WebView::showStatusPart(int part, std::u16string_view text) {
    // The page reads both parts from the model itself; only the wake-up matters here.
    (void)part;
    (void)text;
    if (eventsAdded_) eventsAdded_();
}

void WebView::alert(std::u16string_view title, std::u16string_view text) {
    // The model lists the same text as a problem, which the page shows.
    (void)title;
    (void)text;
}

bool WebView::runSettingsDialog() {
    // The page's form is the dialog: read back with the dialog's rules, saved as its OK saves.
    refusal_.clear();
    if (!form_ || controller_ == nullptr) return false;
    std::optional<std::u16string> refusal = readSettingsForm(*form_, &controller_->settings().config(), formLanguage_);
    form_.reset();
    if (refusal) {
        refusal_ = *refusal;
        return false;
    }
    controller_->saveSettings();
    return true;
}

std::optional<std::u16string> WebView::chooseListFile(const ListFileStart& start) {
    // The page browses the folders itself and sends the path with the rows.
    (void)start;
    return std::nullopt;
}

std::optional<std::u16string> WebView::chooseFolder(std::u16string_view start) {
    (void)start;
    return std::nullopt;
}

EditorOutcome WebView::openInEditor(std::u16string_view path) {
    // No editor runs for a browser on another screen.
    (void)path;
    return EditorOutcome::Failed;
}

void WebView::eventsAdded() {
    if (eventsAdded_) eventsAdded_();
}

}  // namespace tvr::ui::web
