// SPDX-License-Identifier: MIT
#pragma once
// A temporary folder removed with everything in it when the test ends, and file helpers on it.
#include <string>

namespace tvr::test {

class TempFolder {
public:
    TempFolder();
    /// A temporary folder inside `base` (for example on another file system).
    explicit TempFolder(const std::string& base);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    /// The folder path (UTF-8, no trailing separator).
    const std::string& path() const { return path_; }
    /// The folder path as UTF-16.
    std::u16string path16() const;
    /// path() + "/" + relative.
    std::string file(const std::string& relative) const;
    /// file() as UTF-16.
    std::u16string file16(const std::string& relative) const;
    /// Writes bytes to a file below the folder, creating parent folders.
    void write(const std::string& relative, const std::string& bytes) const;
    /// Reads a file below the folder; empty when missing.
    std::string read(const std::string& relative) const;
    /// Creates a folder below this one (parents too).
    void makeFolder(const std::string& relative) const;

private:
    std::string path_;
};

/// Sets a file's modification time to seconds since the Unix epoch.
void setModificationTime(const std::string& path, long long unixSeconds);

}  // namespace tvr::test
