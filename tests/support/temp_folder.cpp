// SPDX-License-Identifier: MIT
#include "support/temp_folder.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "platform/utf.h"

namespace fs = std::filesystem;

namespace tvr::test {

namespace {

// Paths here are UTF-8; a plain std::string would be read in the ANSI code page on Windows.
fs::path pathOf(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

}  // namespace

TempFolder::TempFolder()
    : TempFolder([] {
          std::u8string base = fs::temp_directory_path().generic_u8string();
          return std::string(base.begin(), base.end());
      }()) {}

TempFolder::TempFolder(const std::string& base) {
    // create_directory reports whether it made the folder, so a name another test took is retried.
    std::mt19937_64 random{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path candidate = pathOf(base) / ("tvr-test-" + std::to_string(random() % 100000000000ULL));
        if (fs::create_directory(candidate)) {
            std::u8string name = candidate.generic_u8string();
            path_.assign(name.begin(), name.end());
            return;
        }
    }
    throw std::runtime_error("no temporary folder could be made");
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(pathOf(path_), ignored);
}

std::u16string TempFolder::path16() const { return platform::fromUtf8(path_); }

std::string TempFolder::file(const std::string& relative) const { return path_ + "/" + relative; }

std::u16string TempFolder::file16(const std::string& relative) const { return platform::fromUtf8(file(relative)); }

void TempFolder::write(const std::string& relative, const std::string& bytes) const {
    fs::path target = pathOf(file(relative));
    fs::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TempFolder::read(const std::string& relative) const {
    std::ifstream in(pathOf(file(relative)), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void TempFolder::makeFolder(const std::string& relative) const { fs::create_directories(pathOf(file(relative))); }

void setModificationTime(const std::string& path, long long unixSeconds) {
    auto systemTime = std::chrono::system_clock::time_point(std::chrono::seconds(unixSeconds));
    auto fileTime = std::chrono::file_clock::from_sys(systemTime);
    fs::last_write_time(pathOf(path), fileTime);
}

}  // namespace tvr::test
