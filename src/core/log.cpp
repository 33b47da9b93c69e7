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
    bool created = false;
    if (!file_.open(path, &created)) return false;
    // A new (or empty) file starts with the byte-order mark; an existing one is appended to.
    if (created || platform::fileSize(path) == 0) file_.write(kUtf8Bom);
    file_.write(lineBytes(startMessage()));
    return true;
}

bool ServerLog::isOpen() const {
    std::lock_guard lock(mutex_);
    return file_.isOpen();
}

void ServerLog::write(std::u16string_view message) {
    // One write call per line under the lock, so lines from two threads never interleave and
    // their timestamps stay in order.
    std::lock_guard lock(mutex_);
    if (file_.isOpen()) file_.write(lineBytes(message));
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
