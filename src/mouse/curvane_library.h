// SPDX-License-Identifier: MIT
#pragma once
// The Curvane capture library, loaded at run time from the program's folders (or the system's
// search path), so the server starts where the library or the display libraries it needs are
// missing; the relay then stays off and problem() says why.
#include <cstdint>
#include <string>
#include <vector>

#include "mouse/capture_library.h"
#include "platform/dynamic_library.h"

namespace tvr::mouse {

class CurvaneLibrary final : public CaptureLibrary {
public:
    /// The library's file name on this system: "Curvane.dll" or "libCurvane.so".
    static const char16_t* fileName();

    /// Loads the library from the first of folders that holds it, else by the system's search
    /// rules; false when it cannot.
    bool load(const std::vector<std::u16string>& folders);

    Handle create() override;
    bool start(Handle hook) override;
    void stop(Handle hook) override;
    void get(Handle hook) override;
    std::int32_t state(Handle hook, std::int32_t index) override;
    void release(Handle hook) override;
    std::u16string problem() override;

private:
    using CreateFn = void* (*)();
    using StartFn = std::int32_t (*)(void*);
    using HandleFn = void (*)(void*);
    using GetStateFn = std::int32_t (*)(void*, std::int32_t);

    std::u16string failureText();

    platform::DynamicLibrary library_;
    CreateFn create_ = nullptr;
    StartFn start_ = nullptr;
    HandleFn stop_ = nullptr;
    HandleFn get_ = nullptr;
    GetStateFn getState_ = nullptr;
    HandleFn release_ = nullptr;
    std::u16string loadProblem_ = u"the mouse capture library is not loaded";
    bool failed_ = false;
};

}  // namespace tvr::mouse
