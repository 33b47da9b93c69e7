// SPDX-License-Identifier: MIT
#include "platform/sequential_reader.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <random>
#include <string>

#include "platform/fs.h"
#include "platform/utf.h"
#include "support/temp_folder.h"

namespace tvr::platform {
namespace {

constexpr std::size_t kChunk = 1 << 20;

struct AlignedDeleter {
    void operator()(void* memory) const { alignedFree(memory); }
};
using AlignedBuffer = std::unique_ptr<char, AlignedDeleter>;

AlignedBuffer makeBuffer() {
    AlignedBuffer buffer(static_cast<char*>(alignedAlloc(kChunk, kSectorAlignment)));
    EXPECT_NE(buffer.get(), nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer.get()) % kSectorAlignment, 0u);
    return buffer;
}

// Bytes that differ at every offset within a page, so a misplaced read shows.
std::string pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + i / 4096) & 0xFF);
    return bytes;
}

std::string readAll(SequentialReader& reader) {
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

void expectWholeFileReads(const std::string& path, const std::string& bytes, ReadMode preferred) {
    SequentialReader reader;
    ASSERT_TRUE(reader.open(platform::fromUtf8(path), preferred));
    EXPECT_EQ(reader.size(), static_cast<std::int64_t>(bytes.size()));
    EXPECT_TRUE(readAll(reader) == bytes);
}

TEST(SequentialReader, ReadsAWholeFileInAlignedChunks) {
    test::TempFolder temp;
    const std::string bytes = pattern(3 * kChunk + 12345);
    temp.write("v.mp4", bytes);
    expectWholeFileReads(temp.file("v.mp4"), bytes, ReadMode::Unbuffered);
    expectWholeFileReads(temp.file("v.mp4"), bytes, ReadMode::Buffered);
}

TEST(SequentialReader, SeeksToSectorMultiples) {
    test::TempFolder temp;
    const std::string bytes = pattern(2 * kChunk + 100);
    temp.write("v.mp4", bytes);
    SequentialReader reader;
    ASSERT_TRUE(reader.open(temp.file16("v.mp4")));
    AlignedBuffer buffer = makeBuffer();
    for (std::size_t k : {std::size_t{0}, std::size_t{1}, std::size_t{300}, std::size_t{511}, std::size_t{3}}) {
        ASSERT_TRUE(reader.seek(static_cast<std::int64_t>(k * kSectorAlignment)));
        std::int64_t got = reader.read(buffer.get(), kSectorAlignment);
        ASSERT_EQ(got, static_cast<std::int64_t>(kSectorAlignment));
        EXPECT_TRUE(std::string(buffer.get(), kSectorAlignment) ==
                    bytes.substr(k * kSectorAlignment, kSectorAlignment));
    }
    ASSERT_TRUE(reader.seek(static_cast<std::int64_t>(2 * kChunk)));
    EXPECT_EQ(reader.read(buffer.get(), kChunk), 100);
    EXPECT_EQ(reader.read(buffer.get(), kChunk), 0);
    if (reader.mode() == ReadMode::Unbuffered) {
        EXPECT_FALSE(reader.seek(100));
    }
    EXPECT_FALSE(reader.seek(-4096));
}

TEST(SequentialReader, BufferedModeSeeksAnywhere) {
    test::TempFolder temp;
    temp.write("v.mp4", "0123456789");
    SequentialReader reader;
    ASSERT_TRUE(reader.open(temp.file16("v.mp4"), ReadMode::Buffered));
    EXPECT_EQ(reader.mode(), ReadMode::Buffered);
    ASSERT_TRUE(reader.seek(7));
    AlignedBuffer buffer = makeBuffer();
    ASSERT_EQ(reader.read(buffer.get(), kChunk), 3);
    EXPECT_EQ(std::string(buffer.get(), 3), "789");
}

TEST(SequentialReader, ReadRefusedAsInvalidFallsBackToBuffered) {
    test::TempFolder temp;
    const std::string bytes = pattern(3 * kSectorAlignment);
    temp.write("v.mp4", bytes);
    SequentialReader reader;
    ASSERT_TRUE(reader.open(temp.file16("v.mp4")));
    AlignedBuffer buffer = makeBuffer();
    // A misaligned target is what O_DIRECT refuses with EINVAL, like a file system without it.
    ASSERT_EQ(reader.read(buffer.get() + 1, kSectorAlignment), static_cast<std::int64_t>(kSectorAlignment));
    EXPECT_EQ(reader.mode(), ReadMode::Buffered);
    EXPECT_TRUE(std::string(buffer.get() + 1, kSectorAlignment) == bytes.substr(0, kSectorAlignment));
    ASSERT_TRUE(reader.seek(10));
    ASSERT_EQ(reader.read(buffer.get() + 3, 5), 5);
    EXPECT_EQ(std::string(buffer.get() + 3, 5), bytes.substr(10, 5));
}

TEST(SequentialReader, MemoryFileSystemReadsCorrectlyInEitherMode) {
    const std::filesystem::path shm("/dev/shm");
    if (!std::filesystem::is_directory(shm)) GTEST_SKIP() << "no /dev/shm here";
    const std::string path = (shm / ("tvr-reader-" + std::to_string(std::random_device{}()))).string();
    const std::string bytes = pattern(kChunk + 777);
    {
        test::TempFolder temp;
        temp.write("v.mp4", bytes);
        std::filesystem::copy_file(temp.file("v.mp4"), path);
    }
    expectWholeFileReads(path, bytes, ReadMode::Unbuffered);
    std::filesystem::remove(path);
}

TEST(SequentialReader, MissingFileAndFolderDoNotOpen) {
    test::TempFolder temp;
    SequentialReader reader;
    EXPECT_FALSE(reader.open(temp.file16("missing.mp4")));
    EXPECT_FALSE(reader.open(temp.path16()));
    EXPECT_FALSE(reader.isOpen());
    EXPECT_EQ(reader.read(nullptr, 0), -1);
}

// A named pipe that looks like a video (or a list file) must be refused at once: opening it for
// reading would wait for a writer that never comes and hold the serving thread forever.
TEST(SpecialFiles, NamedPipeIsRefusedWithoutWaiting) {
    test::TempFolder folder;
    std::string pipe = folder.file("movie.mp4");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::u16string path = platform::fromUtf8(pipe);
    auto attempt = [&](auto open) {
        auto result = std::async(std::launch::async, open);
        if (result.wait_for(std::chrono::seconds(3)) == std::future_status::ready) return result.get();
        int writer = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);  // lets the stuck open return
        result.wait();
        ::close(writer);
        ADD_FAILURE() << "opening the pipe waited for a writer";
        return true;
    };
    EXPECT_FALSE(attempt([&] {
        SequentialReader reader;
        return reader.open(path, ReadMode::Buffered);
    }));
    EXPECT_FALSE(attempt([&] {
        std::string bytes;
        return readFileBytes(path, &bytes);
    }));
}

}  // namespace
}  // namespace tvr::platform
