// SPDX-License-Identifier: MIT
#pragma once
// The server log "TamvikVR Server[Log].txt": UTF-8, appended, one line per event with a local
// timestamp. Safe for two writers: each line is written whole under the log's own lock. At its
// size cap the file moves to one ".1" file (replacing an older one) and a new file begins.
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "core/version.h"
#include "platform/fs.h"
#include "platform/time.h"

namespace tvr::core {

/// The size at which the log file moves to its ".1" file.
inline constexpr std::int64_t kLogCapBytes = 8 * 1024 * 1024;

/// "%04d-%02d-%02d, %02d:%02d:%02d, " for the time.
std::u16string logTimestamp(const platform::LocalTime& time);
/// "%-16s, %s Ver%s : Protocol Ver%s" with START.
std::u16string startMessage();
/// "%-16s, code=0x%04X, msg1=\"%s\", msg2=\"%s\"" with EVENT.
std::u16string eventMessage(std::int32_t code, std::u16string_view text1, std::u16string_view text2);
/// The tag left-aligned in 16 characters followed by ", " and the rest.
std::u16string taggedMessage(std::u16string_view tag, std::u16string_view rest);

class ServerLog {
public:
    /// A log whose file never grows past capBytes (unless one line alone is longer).
    explicit ServerLog(std::int64_t capBytes = kLogCapBytes) : capBytes_(capBytes) {}
    /// The log path: "<folder>/TamvikVR Server[Log].txt".
    static std::u16string pathIn(std::u16string_view folder);
    /// Opens (appending) and writes the START line; false when the file cannot be opened.
    bool open(std::u16string_view path);
    bool isOpen() const;
    /// Why the last open or line write that failed did so; kNone while none has failed.
    platform::WriteFault fault() const;
    /// Writes the timestamp, the message and a line feed, first moving a file that the line would
    /// take past the cap to "<path>.1"; nothing when closed.
    void write(std::u16string_view message);
    /// Pushes written lines to disk.
    void flush();
    void close();

private:
    void writeLine(const std::string& bytes);
    bool startFile(bool* created);

    mutable std::mutex mutex_;
    platform::AppendFile file_;
    std::u16string path_;
    std::int64_t capBytes_;
    std::int64_t size_ = 0;
    platform::WriteFault fault_ = platform::WriteFault::kNone;
};

}  // namespace tvr::core
