// SPDX-License-Identifier: MIT
#pragma once
// The sunken horizontal line between groups of controls, as the Windows dialogs draw it.
#include <QFrame>

namespace tvr::ui::qt {

/// A new separator line; the layout it is added to takes ownership.
inline QFrame* separator() {
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

}  // namespace tvr::ui::qt
