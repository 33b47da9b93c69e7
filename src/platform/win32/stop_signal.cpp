// SPDX-License-Identifier: MIT
// Ctrl+C, Ctrl+Break and closing the console (and log-off or shut-down) reach a console program
// through its control handler, on a thread of their own; SIGINT and SIGTERM raised inside the
// process go through the C runtime's signals. Both set a flag and an event the main thread waits on.
#include "platform/stop_signal.h"

#include <windows.h>

#include <atomic>
#include <csignal>
#include <mutex>

namespace tvr::platform {

namespace {

std::atomic<bool> stopRequested{false};
HANDLE stopEvent = nullptr;
std::once_flag installed;

void requestStop() {
    stopRequested.store(true);
    if (stopEvent != nullptr) ::SetEvent(stopEvent);
}

BOOL WINAPI onConsoleControl(DWORD type) {
    requestStop();
    if (type == CTRL_CLOSE_EVENT || type == CTRL_LOGOFF_EVENT || type == CTRL_SHUTDOWN_EVENT) {
        // Returning ends the process at once; holding this thread gives the main thread the time
        // Windows allows (about 5 s) to stop the services, and its exit ends the process.
        ::Sleep(INFINITE);
    }
    return TRUE;
}

void onSignal(int signal) {
    requestStop();
    // The C runtime resets a handler to the default once it has run.
    std::signal(signal, onSignal);
}

void install() {
    stopEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ::SetConsoleCtrlHandler(onConsoleControl, TRUE);
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
}

}  // namespace

void installStopSignalHandler() { std::call_once(installed, install); }

bool waitForStopSignal(int timeoutMs) {
    if (stopRequested.load()) return true;
    DWORD wait = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
    if (stopEvent != nullptr) {
        ::WaitForSingleObject(stopEvent, wait);
    } else {
        ::Sleep(wait);
    }
    return stopRequested.load();
}

}  // namespace tvr::platform
