// SPDX-License-Identifier: MIT
#pragma once
// Curvane: the global mouse capture library the mouse relay loads at run time (Curvane.dll on
// Windows, libCurvane.so on Linux with X11). While a handle captures, the PC pointer neither
// moves nor clicks, and every movement, wheel turn and button change is collected for the next
// snapshot. All calls on one handle must come from one thread at a time.
#include <cstdint>

#if defined(_WIN32)
#define CURVANE_API extern "C" __declspec(dllexport)
#else
#define CURVANE_API extern "C" __attribute__((visibility("default")))
#endif

/// Indexes of Curvane_GetState.
enum CurvaneState : std::int32_t {
    kCurvaneDeltaX = 0,       // horizontal movement since the previous snapshot, device counts
    kCurvaneDeltaY = 1,       // vertical movement, down positive
    kCurvaneDeltaWheel = 2,   // wheel movement, 120 a notch, away from the user positive
    kCurvaneButton1 = 3,      // left button: 1 while held down
    kCurvaneButton2 = 4,      // right button
    kCurvaneButton3 = 5,      // middle button
    kCurvaneGivenBack = 6,    // 1 once Ctrl+Shift+Alt+D ended the capture, until the next start
    kCurvaneDisplayLost = 7,  // 1 once the display went away; the handle captures no more
};

/// Why the last Curvane_Create or Curvane_Start failed: Curvane_GetState(nullptr, 0).
enum CurvaneFailure : std::int32_t {
    kCurvaneNoFailure = 0,
    kCurvaneNoDisplay = 1,     // no display to capture from (DISPLAY not set or not reachable)
    kCurvaneWaylandOnly = 2,   // a Wayland session without an X server
    kCurvaneNoXInput2 = 3,     // the X server lacks the XInput 2 extension
    kCurvaneGrabRefused = 4,   // another program holds the pointer
    kCurvaneHookRefused = 5,   // the system refused the mouse hook
    kCurvaneNoResources = 6,   // memory, a thread or a window could not be made
    kCurvaneAlreadyTaken = 7,  // another handle of this process captures already
    kCurvaneDisplayGone = 8,   // the display the handle captured from went away (the X server ended)
};

/// A new handle, or null (see Curvane_GetState(nullptr, 0) for why).
CURVANE_API void* Curvane_Create();
/// Begins capturing; 1 on success, 0 when the capture cannot begin.
CURVANE_API std::int32_t Curvane_Start(void* handle);
/// Ends capturing; the PC pointer works normally again.
CURVANE_API void Curvane_Stop(void* handle);
/// Takes the snapshot of what was captured since the previous one.
CURVANE_API void Curvane_Get(void* handle);
/// One value of the latest snapshot (CurvaneState); with a null handle, the last CurvaneFailure.
CURVANE_API std::int32_t Curvane_GetState(void* handle, std::int32_t index);
/// Frees the handle, stopping the capture first.
CURVANE_API void Curvane_Release(void* handle);
