// SPDX-License-Identifier: MIT
#pragma once
// Identity texts that the headset and the server must agree on.
#include <cstdint>

namespace tvr::protocol {

/// The oldest headset protocol version accepted.
inline constexpr std::int32_t kMinimumClientVersion = 130;
/// The headset's identity text (28 characters).
inline constexpr char16_t kClientCopyright[] = u"Copyright(C) TamvikVR Client";
/// The server's identity text, ending the "#RET_VERSION" reply.
inline constexpr char16_t kServerCopyright[] = u"Copyright(C) TamvikVR Server, All Rights Reserved";
/// Length of the password lockout after a failed attempt.
inline constexpr std::uint32_t kPasswordLockoutMs = 30000;

}  // namespace tvr::protocol
