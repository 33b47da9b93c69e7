// SPDX-License-Identifier: MIT
#pragma once
// One desktop program per data folder, as tray programs are: the first start holds a named mutex
// for the folder and marks its main window; a later start for the same folder finds that window,
// asks it to come forward (out of the tray too) and ends. A copy with its files elsewhere is
// another program.
#include <windows.h>

#include <cstdint>
#include <string_view>

namespace tvr::ui::win32 {

class SingleInstance {
public:
    /// For the data folder (compared without regard to case).
    explicit SingleInstance(std::u16string_view dataFolder);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    /// Takes the folder for this program; false when a running program has it.
    bool claim();
    /// Asks the program that has the folder to bring its window forward, trying for up to
    /// timeoutMs while it is still starting; true when its window was found and asked.
    bool askToShow(int timeoutMs) const;
    /// Marks the main window as the one a later start asks.
    void mark(HWND window) const;
    /// Takes the mark off, as the window is destroyed.
    static void unmark(HWND window);

    /// The message a later start posts to the marked window.
    static UINT showMessage();

private:
    std::uintptr_t key_;
    HANDLE mutex_ = nullptr;
};

}  // namespace tvr::ui::win32
