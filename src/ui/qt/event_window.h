// SPDX-License-Identifier: MIT
#pragma once
// The event window: the model's events, one line each, the newest last, for the user who wants
// to know what the server did and why a headset was refused.
#include <QWidget>
#include <cstdint>

#include "ui/event_list.h"

class QPlainTextEdit;

namespace tvr::ui::qt {

class EventWindow final : public QWidget {
public:
    explicit EventWindow(const EventList& events, QWidget* owner);
    /// Lists the events added since the last call; does nothing while the window is hidden.
    void update();
    /// Shows the window with every kept event and brings it to the front; a hidden window opens
    /// beside the main window.
    void open(const QWidget& main);
    /// The listed text, one event a line.
    QString text() const;

private:
    const EventList& events_;
    QPlainTextEdit* list_ = nullptr;
    std::uint64_t listed_ = 0;  // how many of the events ever added are listed
};

}  // namespace tvr::ui::qt
