// SPDX-License-Identifier: MIT
#include "platform/sequential_reader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "platform/aligned_reads.h"
#include "platform/fs.h"
#include "platform/utf.h"
#include "support/temp_folder.h"

namespace tvr::platform {
namespace {

TEST(SequentialReader, ReadsAWholeFileInAlignedChunks) {
    test::TempFolder temp;
    const std::string bytes = pattern(3 * kChunk + 12345);
    temp.write("v.mp4", bytes);
    expectWholeFileReads(temp.file("v.mp4"), bytes, ReadMode::Unbuffered);
    expectWholeFileReads(temp.file("v.mp4"), bytes, ReadMode::Buffered);
}

// Unbuffered reads must hand back exactly the bytes a buffered read does, including the short
// last read of a file whose size is not a whole number of sectors.
TEST(SequentialReader, UnbufferedMatchesBufferedAroundEverySectorMultiple) {
    test::TempFolder temp;
    const std::string bytes = pattern(40 * kSectorAlignment + 1);
    for (std::size_t sectors = 0; sectors <= 40; ++sectors) {
        for (std::size_t size :
             {sectors * kSectorAlignment - 1, sectors * kSectorAlignment, sectors * kSectorAlignment + 1}) {
            if (size > bytes.size()) continue;
            SCOPED_TRACE(size);
            const std::string name = "v" + std::to_string(size) + ".mp4";
            temp.write(name, bytes.substr(0, size));
            expectWholeFileReads(temp.file(name), bytes.substr(0, size), ReadMode::Unbuffered);
            expectWholeFileReads(temp.file(name), bytes.substr(0, size), ReadMode::Buffered);
        }
    }
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

// The video server looks for cached bytes, and whether the file is open, on its own thread while
// the slot's reader thread reads; a read the unbuffered file refuses switches the reader to
// buffered reads under it. Run under ThreadSanitizer, this shows any state the two share unguarded.
TEST(SequentialReader, CachedReadsWhileAReadFallsBackToBuffered) {
    test::TempFolder temp;
    const std::string bytes = pattern(3 * kSectorAlignment);
    temp.write("v.mp4", bytes);
    SequentialReader reader;
    ASSERT_TRUE(reader.open(temp.file16("v.mp4")));
    std::atomic<bool> done{false};
    std::int64_t got = 0;
    std::thread readerThread([&] {
        AlignedBuffer buffer = makeBuffer();
        // A misaligned target is refused by unbuffered reads.
        got = reader.read(buffer.get() + 1, kSectorAlignment);
        done = true;
    });
    AlignedBuffer cached = makeBuffer();
    do {
        EXPECT_TRUE(reader.isOpen());
        std::int64_t taken = reader.readCached(0, cached.get(), kSectorAlignment);
        if (taken > 0) {
            EXPECT_TRUE(std::string(cached.get(), static_cast<std::size_t>(taken)) ==
                        bytes.substr(0, static_cast<std::size_t>(taken)));
        }
    } while (!done);
    readerThread.join();
    EXPECT_EQ(got, static_cast<std::int64_t>(kSectorAlignment));
    EXPECT_EQ(reader.mode(), ReadMode::Buffered);
}

TEST(SequentialReader, MissingFileAndFolderDoNotOpen) {
    test::TempFolder temp;
    SequentialReader reader;
    EXPECT_FALSE(reader.open(temp.file16("missing.mp4")));
    EXPECT_FALSE(reader.open(temp.path16()));
    EXPECT_FALSE(reader.isOpen());
    EXPECT_EQ(reader.read(nullptr, 0), -1);
}

}  // namespace
}  // namespace tvr::platform
