// SPDX-License-Identifier: MIT
#include "platform/timer_resolution.h"

namespace tvr::platform {

FineTimerResolution::FineTimerResolution() = default;

FineTimerResolution::~FineTimerResolution() { (void)raised_; }

}  // namespace tvr::platform
