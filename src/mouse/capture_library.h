// SPDX-License-Identifier: MIT
#pragma once
// The six calls through which the relay drives a global mouse capture. The real one is the
// Curvane library loaded at run time; tests put a scripted one in its place.
#include <cstdint>
#include <string>

namespace tvr::mouse {

/// Indexes of state(): the deltas since the previous snapshot, then the three buttons.
enum CaptureState : std::int32_t {
    kDeltaX = 0,
    kDeltaY = 1,
    kDeltaWheel = 2,
    kButton1 = 3,
    kButton2 = 4,
    kButton3 = 5,
    kGivenBack = 6,    // 1 once the user's key combination gave the pointer back
    kDisplayLost = 7,  // 1 once the display went away: the handle captures no more
};

class CaptureLibrary {
public:
    using Handle = void*;
    virtual ~CaptureLibrary() = default;
    /// A new handle, or null when nothing can be captured here (problem() says why).
    virtual Handle create() = 0;
    /// Begins capturing the PC mouse; false when it cannot (problem() says why).
    virtual bool start(Handle hook) = 0;
    /// Ends capturing; the PC pointer works again.
    virtual void stop(Handle hook) = 0;
    /// Takes a snapshot of what was captured since the previous one.
    virtual void get(Handle hook) = 0;
    /// One value of the latest snapshot.
    virtual std::int32_t state(Handle hook, std::int32_t index) = 0;
    /// Frees the handle.
    virtual void release(Handle hook) = 0;
    /// Why the last create or start failed, for the user; empty when nothing failed.
    virtual std::u16string problem() = 0;
};

}  // namespace tvr::mouse
