// SPDX-License-Identifier: MIT
#include "ui/qt/event_window.h"

#include <QBoxLayout>
#include <QPlainTextEdit>
#include <QShortcut>
#include <algorithm>

#include "ui/qt/qt_text.h"
#include "ui/qt/window_placement.h"
#include "ui/window_texts.h"

namespace tvr::ui::qt {

EventWindow::EventWindow(const EventList& events, QWidget* owner) : QWidget(owner, Qt::Window), events_(events) {
    setWindowTitle(toQString(ui::text(TextId::EventWindowTitle)));
    setObjectName(QStringLiteral("events"));
    auto* layout = new QVBoxLayout(this);
    list_ = new QPlainTextEdit;
    list_->setObjectName(QStringLiteral("eventList"));
    list_->setReadOnly(true);
    list_->setLineWrapMode(QPlainTextEdit::NoWrap);
    list_->setMaximumBlockCount(static_cast<int>(EventList::kCapacity));
    layout->addWidget(list_);
    resize(720, 360);
    // A window to glance at: Escape puts it away, as Ctrl+E in the main window brings it back.
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
}

void EventWindow::update() {
    if (!isVisible()) return;
    const auto& kept = events_.events();
    const std::uint64_t first = events_.added() - kept.size();  // the number of the oldest kept event
    for (std::uint64_t number = std::max(listed_, first); number < events_.added(); ++number)
        list_->appendPlainText(toQString(eventLine(kept[static_cast<std::size_t>(number - first)])));
    listed_ = events_.added();
}

void EventWindow::open(const QWidget& main) {
    if (!isVisible()) placeBeside(*this, main);
    show();
    update();
    raise();
    activateWindow();
}

QString EventWindow::text() const { return list_->toPlainText(); }

}  // namespace tvr::ui::qt
