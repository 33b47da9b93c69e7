// SPDX-License-Identifier: MIT
#pragma once
// The program's name and versions: shown at start, written to the log, told to the headset.

#include <cstdint>

namespace tvr::core {

inline constexpr char16_t kServerName[] = u"TamvikVR Server";
/// The application version in the "#RET_VERSION" reply and the log's START line.
inline constexpr char16_t kAppVersion[] = u"1.32a";
/// The control protocol version the server speaks and the oldest it accepts.
inline constexpr std::int32_t kProtocolVersion = 130;

}  // namespace tvr::core
