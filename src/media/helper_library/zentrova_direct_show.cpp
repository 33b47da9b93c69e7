// SPDX-License-Identifier: MIT
// Our own media helper library, shipped beside the program under the name the program loads.
// The program creates one instance at start and closes and releases it at exit; the other
// entry points exist so that the library offers the whole set. It decodes no media: opening a
// file or a device fails, there is no video size, and nothing plays.
#include <new>

#if defined(_WIN32)
#define ZENTRO_EXPORT extern "C" __declspec(dllexport)
#else
#define ZENTRO_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

// An instance holds nothing yet: with no media open there is no state to keep.
struct Instance {};

// An empty text in a caller's buffer, for the name queries that have no names to give.
int noName(char* name, int size) {
    if (name != nullptr && size > 0) name[0] = '\0';
    return 0;
}

}  // namespace

ZENTRO_EXPORT void* Zentro_CreateNoUnity() { return new (std::nothrow) Instance; }

// Release and both closes accept null, and an instance may be closed any number of times.
ZENTRO_EXPORT void Zentro_Release(void* instance) { delete static_cast<Instance*>(instance); }

ZENTRO_EXPORT void Zentro_Close(void*) {}

ZENTRO_EXPORT int Zentro_OpenA(void*, const char*) { return 0; }

ZENTRO_EXPORT int Zentro_OpenInfoA(void*, const char*) { return 0; }

ZENTRO_EXPORT int Zentro_OpenDevice(void*, int) { return 0; }

ZENTRO_EXPORT void Zentro_CloseDevice(void*) {}

ZENTRO_EXPORT int Zentro_GetVideoW(void*) { return 0; }

ZENTRO_EXPORT int Zentro_GetVideoH(void*) { return 0; }

ZENTRO_EXPORT long long Zentro_GetValue(void*, int) { return 0; }

ZENTRO_EXPORT int Zentro_Play(void*) { return 0; }

ZENTRO_EXPORT int Zentro_Stop(void*) { return 0; }

ZENTRO_EXPORT int Zentro_Pause(void*) { return 0; }

ZENTRO_EXPORT int Zentro_GetAudioDeviceNameA(void*, int, char* name, int size) { return noName(name, size); }

ZENTRO_EXPORT int Zentro_GetFilterListNameA(void*, int, char* name, int size) { return noName(name, size); }
