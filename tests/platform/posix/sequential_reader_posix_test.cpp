// SPDX-License-Identifier: MIT
// Sequential reads where only POSIX can set the stage: a memory file system that refuses
// O_DIRECT, and a named pipe made with mkfifo.
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

#include "platform/aligned_reads.h"
#include "platform/fs.h"
#include "platform/sequential_reader.h"
#include "platform/utf.h"
#include "support/temp_folder.h"

namespace tvr::platform {
namespace {

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
