// SPDX-License-Identifier: MIT
#include "core/log.h"

#include "core/paths.h"
#include "core/text.h"
#include "platform/utf.h"

namespace tvr::core {

namespace {
constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

std::string lineBytes(std::u16string_view message) {
    std::u16string line = logTimestamp(platform::nowLocal());
    line += message;
    line += u'\n';
    return platform::toUtf8(line);
}

}  // namespace

std::u16string logTimestamp(const platform::LocalTime& time) {
    return format(u"%04d-%02d-%02d, %02d:%02d:%02d, ",
                  {std::int64_t{time.year}, std::int64_t{time.month}, std::int64_t{time.day}, std::int64_t{time.hour},
                   std::int64_t{time.minute}, std::int64_t{time.second}});
}

std::u16string startMessage() {
    std::u16string protocol = format(u"%d", {std::int64_t{kProtocolVersion}});
    return format(u"%-16s, %s Ver%s : Protocol Ver%s",
                  {std::u16string_view(u"START"), std::u16string_view(kServerName), std::u16string_view(kAppVersion),
                   std::u16string_view(protocol)});
}

std::u16string eventMessage(std::int32_t code, std::u16string_view text1, std::u16string_view text2) {
    return format(u"%-16s, code=0x%04X, msg1=\"%s\", msg2=\"%s\"",
                  {std::u16string_view(u"EVENT"), std::int64_t{code}, text1, text2});
}

std::u16string taggedMessage(std::u16string_view tag, std::u16string_view rest) {
    return format(u"%-16s, %s", {tag, rest});
}

std::u16string ServerLog::pathIn(std::u16string_view folder) {
    std::u16string path(folder);
    appendPath(path, std::u16string(kServerName) + u"[Log].txt");
    return path;
}

bool ServerLog::open(std::u16string_view path) {
    std::lock_guard lock(mutex_);
    // An open log stays as it is: no second START line.
    if (file_.isOpen()) return true;
    path_.assign(path);
    bool created = false;
    if (!startFile(&created)) return false;
    writeLine(lineBytes(startMessage()));
    return true;
}

bool ServerLog::startFile(bool* created) {
    if (!file_.open(path_, created)) {
        fault_ = platform::lastWriteFault();
        return false;
    }
    size_ = platform::fileSize(path_);
    if (size_ < 0) size_ = 0;
    // A new (or empty) file starts with the byte-order mark; an existing one is appended to.
    if (*created || size_ == 0) {
        file_.write(kUtf8Bom);
        size_ += static_cast<std::int64_t>(sizeof kUtf8Bom - 1);
    }
    return true;
}

void ServerLog::writeLine(const std::string& bytes) {
    const auto length = static_cast<std::int64_t>(bytes.size());
    const auto bomSize = static_cast<std::int64_t>(sizeof kUtf8Bom - 1);
    if (size_ + length > capBytes_ && size_ > bomSize) {
        file_.close();
        std::u16string older = path_ + u".1";
        platform::removeFile(older);
        bool created = false;
        // When the move fails the file is started again from nothing rather than left growing.
        if (!platform::moveNoOverwrite(path_, older)) platform::removeFile(path_);
        if (!startFile(&created)) return;
    }
    if (file_.write(bytes)) {
        size_ += length;
    } else {
        fault_ = platform::lastWriteFault();
    }
}

platform::WriteFault ServerLog::fault() const {
    std::lock_guard lock(mutex_);
    return fault_;
}

bool ServerLog::isOpen() const {
    std::lock_guard lock(mutex_);
    return file_.isOpen();
}

void ServerLog::write(std::u16string_view message) {
    // One write call per line under the lock, so lines from two threads never interleave and
    // their timestamps stay in order.
    std::lock_guard lock(mutex_);
    if (file_.isOpen()) writeLine(lineBytes(message));
}

void ServerLog::flush() {
    std::lock_guard lock(mutex_);
    if (file_.isOpen()) file_.flush();
}

void ServerLog::close() {
    std::lock_guard lock(mutex_);
    file_.close();
}

}  // namespace tvr::core
