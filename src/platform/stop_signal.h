// SPDX-License-Identifier: MIT
#pragma once

namespace tvr::platform {

/// Routes SIGINT and SIGTERM (Ctrl+C and console close on Windows) to a stop flag.
void installStopSignalHandler();
/// Waits up to timeoutMs for a stop signal; true once one has arrived.
bool waitForStopSignal(int timeoutMs);

}  // namespace tvr::platform
