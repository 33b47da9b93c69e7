// SPDX-License-Identifier: MIT
#pragma once
// Helpers for the sequential reader tests: aligned buffers, recognisable file content, whole-file reads.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/sequential_reader.h"
#include "platform/utf.h"

namespace tvr::platform {

inline constexpr std::size_t kChunk = 1 << 20;

struct AlignedDeleter {
    void operator()(void* memory) const { alignedFree(memory); }
};
using AlignedBuffer = std::unique_ptr<char, AlignedDeleter>;

inline AlignedBuffer makeBuffer() {
    AlignedBuffer buffer(static_cast<char*>(alignedAlloc(kChunk, kSectorAlignment)));
    EXPECT_NE(buffer.get(), nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer.get()) % kSectorAlignment, 0u);
    return buffer;
}

// Bytes that differ at every offset within a page, so a misplaced read shows.
inline std::string pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 4096) & 0xFF);
    return bytes;
}

inline std::string readAll(SequentialReader& reader) {
    AlignedBuffer buffer = makeBuffer();
    std::string out;
    for (;;) {
        std::int64_t got = reader.read(buffer.get(), kChunk);
        EXPECT_GE(got, 0);
        if (got <= 0) break;
        out.append(buffer.get(), static_cast<std::size_t>(got));
    }
    return out;
}

inline void expectWholeFileReads(const std::string& path, const std::string& bytes, ReadMode preferred) {
    SequentialReader reader;
    ASSERT_TRUE(reader.open(platform::fromUtf8(path), preferred));
    EXPECT_EQ(reader.size(), static_cast<std::int64_t>(bytes.size()));
    EXPECT_TRUE(readAll(reader) == bytes);
}

}  // namespace tvr::platform
