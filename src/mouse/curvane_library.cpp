// SPDX-License-Identifier: MIT
#include "mouse/curvane_library.h"

#include "core/paths.h"
#include "core/text.h"

namespace tvr::mouse {

namespace {

// Curvane's reasons for a failed create or start (Curvane_GetState with a null handle).
std::u16string reasonText(std::int32_t code) {
    switch (code) {
        case 1:
            return u"there is no display to capture the mouse from (DISPLAY is not set or cannot be reached)";
        case 2:
            return u"this is a Wayland session without X; the mouse can be captured only under X11 or Xwayland";
        case 3:
            return u"the X server lacks the XInput 2 extension the mouse capture needs";
        case 4:
            return u"another program holds the mouse pointer (the pointer grab was refused)";
        case 5:
            return u"the system refused the global mouse hook";
        case 6:
            return u"the mouse capture ran out of system resources";
        case 7:
            return u"another capture of this program holds the mouse already";
        case 8:
            return u"the X display went away (the X server ended); the next login tries again";
        default:
            return core::format(u"the mouse capture failed (reason %d)", {code});
    }
}

template <typename Fn>
Fn symbolOf(const platform::DynamicLibrary& library, const char* name) {
    return reinterpret_cast<Fn>(library.symbol(name));
}

}  // namespace

const char16_t* CurvaneLibrary::fileName() {
#if defined(_WIN32)
    return u"Curvane.dll";
#else
    return u"libCurvane.so";
#endif
}

bool CurvaneLibrary::load(const std::vector<std::u16string>& folders) {
    bool opened = false;
    for (const std::u16string& folder : folders) {
        std::u16string path(folder);
        core::appendPath(path, fileName());
        if ((opened = library_.open(path))) break;
    }
    if (!opened && !library_.open(fileName())) {
        loadProblem_ = core::format(
            u"%s cannot be loaded (it is not beside the program, or a library it needs is "
            u"missing)",
            {std::u16string_view(fileName())});
        return false;
    }
    create_ = symbolOf<CreateFn>(library_, "Curvane_Create");
    start_ = symbolOf<StartFn>(library_, "Curvane_Start");
    stop_ = symbolOf<HandleFn>(library_, "Curvane_Stop");
    get_ = symbolOf<HandleFn>(library_, "Curvane_Get");
    getState_ = symbolOf<GetStateFn>(library_, "Curvane_GetState");
    release_ = symbolOf<HandleFn>(library_, "Curvane_Release");
    if (!create_ || !start_ || !stop_ || !get_ || !getState_ || !release_) {
        library_.close();
        create_ = nullptr;
        loadProblem_ = core::format(u"%s lacks one of the six Curvane calls", {std::u16string_view(fileName())});
        return false;
    }
    loadProblem_.clear();
    return true;
}

CaptureLibrary::Handle CurvaneLibrary::create() {
    if (create_ == nullptr) return nullptr;
    Handle hook = create_();
    failed_ = hook == nullptr;
    return hook;
}

bool CurvaneLibrary::start(Handle hook) {
    bool started = start_(hook) != 0;
    failed_ = !started;
    return started;
}

void CurvaneLibrary::stop(Handle hook) { stop_(hook); }

void CurvaneLibrary::get(Handle hook) { get_(hook); }

std::int32_t CurvaneLibrary::state(Handle hook, std::int32_t index) { return getState_(hook, index); }

void CurvaneLibrary::release(Handle hook) { release_(hook); }

std::u16string CurvaneLibrary::problem() {
    if (create_ == nullptr) return loadProblem_;
    return failed_ ? reasonText(getState_(nullptr, 0)) : std::u16string();
}

}  // namespace tvr::mouse
