// SPDX-License-Identifier: MIT
#pragma once
// Helpers shared by the fuzz targets: slicing the fuzzer's bytes into inputs, and one temporary
// folder per process for the parsers that only read files.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

#include "platform/utf.h"

namespace tvr::fuzz {

/// Takes values from the front of the fuzzer's bytes; reads past the end give zeros and empty text.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::size_t left() const { return size_ - pos_; }

    /// One byte, or 0 when none are left.
    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : std::uint8_t{0}; }
    /// Up to count bytes.
    std::string_view bytes(std::size_t count) {
        std::size_t n = count < left() ? count : left();
        std::string_view out(reinterpret_cast<const char*>(data_ + pos_), n);
        pos_ += n;
        return out;
    }
    /// Everything not taken yet.
    std::string_view rest() { return bytes(left()); }
    /// Up to count UTF-16LE code units.
    std::u16string units(std::size_t count) {
        std::u16string out;
        while (count-- > 0 && left() >= 2) {
            auto low = static_cast<char16_t>(data_[pos_]);
            auto high = static_cast<char16_t>(data_[pos_ + 1] << 8);
            out.push_back(static_cast<char16_t>(low | high));
            pos_ += 2;
        }
        return out;
    }
    /// A short text whose length comes from the next byte (at most maxUnits code units).
    std::u16string shortText(std::size_t maxUnits) { return units(byte() % (maxUnits + 1)); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

/// A folder of this process's own, removed when the process ends normally. Shared memory keeps
/// the many small writes fast where it exists.
class TempFolder {
public:
    TempFolder() {
        std::filesystem::path base = std::filesystem::exists("/dev/shm") ? std::filesystem::path("/dev/shm")
                                                                         : std::filesystem::temp_directory_path();
        std::random_device random;
        path_ = base / ("tvr-fuzz-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    /// The path of a file inside the folder, as the project's functions take it.
    std::u16string file(std::string_view name) const { return platform::fromUtf8((path_ / name).string()); }
    /// Replaces the file's content with bytes.
    void write(std::string_view name, std::string_view bytes) const {
        std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) std::abort();  // the target cannot test anything without its file
    }
    /// Removes the file when present.
    void remove(std::string_view name) const {
        std::error_code ignored;
        std::filesystem::remove(path_ / name, ignored);
    }

private:
    std::filesystem::path path_;
};

/// The process's temporary folder, created on first use.
inline const TempFolder& tempFolder() {
    static TempFolder folder;
    return folder;
}

}  // namespace tvr::fuzz
