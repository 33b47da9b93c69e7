// SPDX-License-Identifier: MIT
#pragma once
// One desktop program per data folder, as tray programs are: the first start holds a lock for
// the folder and listens on a local socket; a later start for the same folder asks it to bring
// its window forward and ends. A start with another data folder is another program.
#include <QLocalServer>
#include <QLockFile>
#include <QString>
#include <functional>
#include <memory>
#include <string_view>

namespace tvr::ui::qt {

class SingleInstance final {
public:
    /// For the data folder (an existing folder), in the user's runtime folder.
    explicit SingleInstance(std::u16string_view dataFolder);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    /// Takes the folder for this program (a lock a killed program left is taken over, and where
    /// no lock can be made the program runs alone); false when a running program has it.
    bool claim();
    /// Asks the program that has the folder to bring its window forward, trying for up to
    /// timeoutMs while it is still starting; true when it answered.
    bool askToShow(int timeoutMs);
    /// After claim: calls onShow whenever a later start asks for the window; false when the
    /// socket cannot be made (the program then runs alone, unreachable).
    bool listen(std::function<void()> onShow);

private:
    QString socketPath_;
    QLockFile lock_;
    std::unique_ptr<QLocalServer> server_;
    std::function<void()> onShow_;
};

}  // namespace tvr::ui::qt
