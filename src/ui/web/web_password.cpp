// SPDX-License-Identifier: MIT
#include "ui/web/web_password.h"

#if TVR_HAVE_SODIUM
#include <sodium.h>
#endif

#include "core/paths.h"
#include "platform/fs.h"
#include "platform/utf.h"

namespace tvr::ui::web {
namespace {

std::u16string passwordFile(const std::u16string& dataFolder) {
    std::u16string path = dataFolder;
    core::appendPath(path, kPasswordFileName);
    return path;
}

}  // namespace

#if TVR_HAVE_SODIUM

bool webPasswordAvailable() { return sodium_init() >= 0; }

std::string hashWebPassword(std::string_view password) {
    if (!webPasswordAvailable()) return {};
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        return {};
    return hash;
}

bool webPasswordMatches(const std::string& hash, std::string_view password) {
    if (hash.empty() || hash.size() >= crypto_pwhash_STRBYTES || !webPasswordAvailable()) return false;
    return crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

#else

bool webPasswordAvailable() { return false; }
std::string hashWebPassword(std::string_view) { return {}; }
bool webPasswordMatches(const std::string&, std::string_view) { return false; }

#endif

bool storeWebPassword(const std::u16string& dataFolder, std::string_view password, std::u16string* problem) {
    if (!webPasswordAvailable()) {
        *problem = u"this build cannot keep a web password (it was built without libsodium)";
        return false;
    }
    if (password.size() < kMinPasswordBytes || password.size() > kMaxPasswordBytes) {
        *problem = u"the web password must be 8 to 256 bytes long";
        return false;
    }
    std::string hash = hashWebPassword(password);
    if (hash.empty()) {
        *problem = u"the web password could not be hashed (out of memory)";
        return false;
    }
    // A new file each time, so an old one's looser permissions are not kept.
    std::u16string path = passwordFile(dataFolder);
    platform::removeFile(path);
    if (!platform::writeFileAtomic(path, hash + "\n")) {
        *problem = u"the file " + platform::displayPath(path) + u" cannot be written";
        return false;
    }
    return true;
}

std::string loadWebPasswordHash(const std::u16string& dataFolder) {
    std::string bytes;
    if (platform::readFileBytesUpTo(passwordFile(dataFolder), 1024, &bytes) != platform::ReadStatus::kRead) return {};
    while (!bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r')) bytes.pop_back();
    return bytes;
}

}  // namespace tvr::ui::web
