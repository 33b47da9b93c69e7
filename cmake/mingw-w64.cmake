# SPDX-License-Identifier: MIT
# Cross build for 64-bit Windows with MinGW-w64 (the posix thread model, for std::thread), every
# executable linked statically so it runs on its own; tests run under Wine through CTest.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TVR_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TVR_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TVR_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TVR_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TVR_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Under the kernel's random address layout Wine now and then fails to start a program ("failed to
# map the shared user data"; about one start in 2,500 in the kill test), so the test programs run
# with that randomisation off (setarch -R).
find_program(TVR_WINE wine)
find_program(TVR_SETARCH setarch)
if(TVR_WINE AND TVR_SETARCH)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TVR_SETARCH} ${CMAKE_HOST_SYSTEM_PROCESSOR} -R ${TVR_WINE})
elseif(TVR_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TVR_WINE})
endif()
