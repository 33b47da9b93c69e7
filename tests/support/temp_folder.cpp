// SPDX-License-Identifier: MIT
#include "support/temp_folder.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/utf.h"

namespace fs = std::filesystem;

namespace tvr::test {

TempFolder::TempFolder() : TempFolder(fs::temp_directory_path().string()) {}

TempFolder::TempFolder(const std::string& base) {
    std::string pattern = (fs::path(base) / "tvr-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::u16string TempFolder::path16() const { return platform::fromUtf8(path_); }

std::string TempFolder::file(const std::string& relative) const { return path_ + "/" + relative; }

std::u16string TempFolder::file16(const std::string& relative) const { return platform::fromUtf8(file(relative)); }

void TempFolder::write(const std::string& relative, const std::string& bytes) const {
    fs::path target = fs::path(file(relative));
    fs::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TempFolder::read(const std::string& relative) const {
    std::ifstream in(fs::path(file(relative)), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void TempFolder::makeFolder(const std::string& relative) const { fs::create_directories(fs::path(file(relative))); }

void setModificationTime(const std::string& path, long long unixSeconds) {
    auto systemTime = std::chrono::system_clock::time_point(std::chrono::seconds(unixSeconds));
    auto fileTime = std::chrono::file_clock::from_sys(systemTime);
    fs::last_write_time(fs::path(path), fileTime);
}

}  // namespace tvr::test
