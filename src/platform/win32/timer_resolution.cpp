// SPDX-License-Identifier: MIT
#include "platform/timer_resolution.h"

#include <windows.h>
// timeapi.h needs the types of windows.h.
#include <timeapi.h>

namespace tvr::platform {

FineTimerResolution::FineTimerResolution() : raised_(::timeBeginPeriod(1) == TIMERR_NOERROR) {}

FineTimerResolution::~FineTimerResolution() {
    if (raised_) ::timeEndPeriod(1);
}

}  // namespace tvr::platform
