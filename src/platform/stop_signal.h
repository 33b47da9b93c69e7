// SPDX-License-Identifier: MIT
#pragma once

namespace tvr::platform {

/// Routes SIGINT, SIGTERM and SIGHUP (Ctrl+C and console close on Windows) to a stop flag and
/// ignores SIGPIPE, so that a console without reader never ends the process.
void installStopSignalHandler();
/// Waits up to timeoutMs for a stop signal; true once one has arrived.
bool waitForStopSignal(int timeoutMs);

}  // namespace tvr::platform
