// SPDX-License-Identifier: MIT
#pragma once
// Waits of a few milliseconds: Windows wakes sleepers on a 15.6 ms tick by default, which would
// turn a 17 ms pace into 31 ms. While an object of this class lives the tick is 1 ms there; on
// other systems timed waits are already that fine and the class does nothing.

namespace tvr::platform {

class FineTimerResolution {
public:
    FineTimerResolution();
    ~FineTimerResolution();
    FineTimerResolution(const FineTimerResolution&) = delete;
    FineTimerResolution& operator=(const FineTimerResolution&) = delete;

private:
    bool raised_ = false;
};

}  // namespace tvr::platform
