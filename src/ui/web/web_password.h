// SPDX-License-Identifier: MIT
#pragma once
// The web password that lets a browser on the home network in. Only its salted slow hash is kept
// (libsodium's Argon2id string), in a private file of its own in the data folder; a build without
// libsodium cannot hash or check one, and then the page stays on the loopback address.
#include <string>
#include <string_view>

namespace tvr::ui::web {

/// The file in the data folder that keeps the password's hash (readable by its owner only).
inline constexpr char16_t kPasswordFileName[] = u"TamvikVRServer[WebPassword].txt";
/// Shortest and longest password accepted, in UTF-8 bytes.
inline constexpr std::size_t kMinPasswordBytes = 8;
inline constexpr std::size_t kMaxPasswordBytes = 256;

/// True when this build can hash and check a web password (it was built with libsodium).
bool webPasswordAvailable();
/// The Argon2id hash string of a password; empty when it cannot be made (no libsodium, no memory).
std::string hashWebPassword(std::string_view password);
/// True when the password is the one the hash string was made from.
bool webPasswordMatches(const std::string& hash, std::string_view password);
/// Hashes the password and replaces the hash file in dataFolder (owner-only); on failure false
/// with *problem set (a password too short or too long, no libsodium, a file not written).
bool storeWebPassword(const std::u16string& dataFolder, std::string_view password, std::u16string* problem);
/// The stored hash string; empty when no password was set.
std::string loadWebPasswordHash(const std::u16string& dataFolder);

}  // namespace tvr::ui::web
