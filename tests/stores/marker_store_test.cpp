// SPDX-License-Identifier: MIT
#include "stores/marker_store.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/paths.h"
#include "platform/utf.h"
#include "support/data_folder_scope.h"
#include "support/temp_folder.h"

namespace tvr::stores {
namespace {

// Marker files are UTF-16LE with a byte-order mark; the tests keep to ASCII content.
std::string utf16File(const std::string& text) {
    std::string bytes = "\xFF\xFE";
    for (char c : text) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

std::vector<std::string> nonEmptyLines(const std::string& utf16Bytes) {
    EXPECT_GE(utf16Bytes.size(), 2u);
    EXPECT_EQ(utf16Bytes.substr(0, 2), "\xFF\xFE");
    std::string text;
    for (std::size_t i = 2; i + 1 < utf16Bytes.size(); i += 2) {
        EXPECT_EQ(utf16Bytes[i + 1], '\0');
        text += utf16Bytes[i];
    }
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            if (!line.empty()) lines.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

std::vector<std::u16string> names(const MarkerStore& store) {
    std::vector<std::u16string> out;
    for (const auto& entry : store.index()) out.push_back(entry.name);
    return out;
}

class MarkerStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        dataFolder_.set(tmp.path16());
        tmp.makeFolder("trim");
    }

    void scan() { store.scanMarkerFolder(tmp.file16("trim")); }

    test::TempFolder tmp;
    MarkerStore store;

private:
    test::DataFolderScope dataFolder_;
};

TEST_F(MarkerStoreTest, ScanIndexesMarkerFilesInCodeUnitOrder) {
    tmp.write("trim/a.trm", utf16File(""));
    tmp.write("trim/B.trm", utf16File(""));
    tmp.write("trim/notes.txt", "x");
    tmp.makeFolder("trim/folder.trm");
    scan();
    EXPECT_EQ(names(store), (std::vector<std::u16string>{u"B", u"a"}));
    EXPECT_EQ(store.getMarkerState(u"D:\\v\\a.mp4"), 2);
    EXPECT_EQ(store.getMarkerState(u"E:/other/a.mkv"), 2);
    EXPECT_EQ(store.getMarkerState(u"D:\\v\\B.mp4"), 2);
    EXPECT_EQ(store.getMarkerState(u"D:\\v\\b.mp4"), 0);
    EXPECT_EQ(store.getMarkerState(u"D:\\v\\folder.mp4"), 0);
    EXPECT_EQ(store.findMarkerEntry(u"D:\\v\\c.mp4"), nullptr);
}

TEST_F(MarkerStoreTest, FolderThatCannotBeReadGivesAnEmptyIndex) {
    store.scanMarkerFolder(tmp.file16("missing"));
    EXPECT_TRUE(store.index().empty());
    EXPECT_EQ(store.getMarkerState(u"D:/v/a.mp4"), 0);
}

TEST_F(MarkerStoreTest, AnyNonZeroFlagMarksTheFileButOnlyOneEnablesASlot) {
    tmp.write("trim/m.trm", utf16File("[ITRM.0]\r\nyEnable=0\r\n[ITRM.3]\r\nyEnable=2\r\nrtA=5\r\n"));
    scan();
    EXPECT_EQ(store.resolveMarkerState(u"D:/v/m.mp4"), 1);
    EXPECT_EQ(store.getMarkerState(u"D:/v/m.mp4"), 1);

    MarkerRecord marker;
    marker.path = u"D:/v/m.mp4";
    EXPECT_EQ(store.loadMarkerFile(marker), 0);
    EXPECT_EQ(marker.slots[3].enabled, 2);
    EXPECT_EQ(marker.slots[3].pointA, 5);
    EXPECT_EQ(store.getMarkerState(u"D:/v/m.mp4"), 0);
}

TEST_F(MarkerStoreTest, CheckOfAVanishedFileReadsAsNoMarkers) {
    tmp.write("trim/gone.trm", utf16File("[ITRM.0]\r\nyEnable=1\r\n"));
    scan();
    std::remove(tmp.file("trim/gone.trm").c_str());
    EXPECT_EQ(store.resolveMarkerState(u"C:/gone.mp4"), 0);
    EXPECT_EQ(store.getMarkerState(u"C:/gone.mp4"), 0);
}

TEST_F(MarkerStoreTest, SaveWritesMainThenEverySlotInOrder) {
    scan();
    MarkerRecord marker;
    marker.path = u"D:\\v\\clip.mp4";
    marker.slots[0] = {1, 1000, 2000};
    marker.slots[7] = {0, -5, 9'000'000'000'000};
    ASSERT_EQ(store.saveMarkerFile(marker), 1);

    std::vector<std::string> expected = {"[MAIN]", "pcPath=D:\\v\\clip.mp4"};
    for (int slot = 0; slot < 8; ++slot) {
        expected.push_back("[ITRM." + std::to_string(slot) + "]");
        const MarkerSlot& s = marker.slots[static_cast<std::size_t>(slot)];
        expected.push_back("yEnable=" + std::to_string(s.enabled));
        expected.push_back("rtA=" + std::to_string(s.pointA));
        expected.push_back("rtB=" + std::to_string(s.pointB));
    }
    EXPECT_EQ(nonEmptyLines(tmp.read("trim/clip.trm")), expected);
    EXPECT_EQ(store.getMarkerState(u"E:/x/clip.avi"), 1);

    MarkerRecord loaded;
    loaded.path = u"E:/x/clip.avi";
    ASSERT_EQ(store.loadMarkerFile(loaded), 1);
    EXPECT_EQ(loaded.slots[0].enabled, 1);
    EXPECT_EQ(loaded.slots[0].pointA, 1000);
    EXPECT_EQ(loaded.slots[0].pointB, 2000);
    EXPECT_EQ(loaded.slots[7].pointA, -5);
    EXPECT_EQ(loaded.slots[7].pointB, 9'000'000'000'000);
}

TEST_F(MarkerStoreTest, MarkerFileOfATrmPathHasNoMainSection) {
    scan();
    MarkerRecord marker;
    marker.path = u"D:/v/odd.trm";
    marker.slots[1].enabled = 1;
    ASSERT_EQ(store.saveMarkerFile(marker), 1);
    const std::vector<std::string> lines = nonEmptyLines(tmp.read("trim/odd.trm"));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "[ITRM.0]");
    EXPECT_EQ(lines.size(), 32u);
}

TEST_F(MarkerStoreTest, DisabledSaveWithoutEntryStaysOutOfTheIndex) {
    scan();
    MarkerRecord marker;
    marker.path = u"D:/v/plain.mp4";
    marker.slots[4] = {0, 10, 20};
    ASSERT_EQ(store.saveMarkerFile(marker), 1);
    EXPECT_FALSE(tmp.read("trim/plain.trm").empty());
    EXPECT_TRUE(store.index().empty());
    EXPECT_EQ(store.getMarkerState(u"D:/v/plain.mp4"), 0);

    // Disabling the slots of an indexed video clears its state.
    marker.slots[4].enabled = 1;
    ASSERT_EQ(store.saveMarkerFile(marker), 1);
    EXPECT_EQ(store.getMarkerState(u"D:/v/plain.mp4"), 1);
    marker.slots[4].enabled = 0;
    ASSERT_EQ(store.saveMarkerFile(marker), 1);
    EXPECT_EQ(store.getMarkerState(u"D:/v/plain.mp4"), 0);
    EXPECT_EQ(store.index().size(), 1u);
}

TEST_F(MarkerStoreTest, SavedEntriesKeepTheIndexSorted) {
    tmp.write("trim/m.trm", utf16File(""));
    scan();
    for (const char16_t* path : {u"C:/z.mp4", u"C:/A.mp4", u"C:/n.mp4"}) {
        MarkerRecord marker;
        marker.path = path;
        marker.slots[0].enabled = 1;
        ASSERT_EQ(store.saveMarkerFile(marker), 1);
    }
    EXPECT_EQ(names(store), (std::vector<std::u16string>{u"A", u"m", u"n", u"z"}));
    EXPECT_EQ(store.getMarkerState(u"C:/m.mp4"), 2);
    EXPECT_EQ(store.getMarkerState(u"C:/n.mp4"), 1);
}

TEST_F(MarkerStoreTest, SaveFailsWhenTheMarkerFileCannotBeCreated) {
    tmp.makeFolder("trim/blocked.trm");
    scan();
    MarkerRecord marker;
    marker.path = u"D:/v/blocked.mp4";
    marker.slots[0].enabled = 1;
    EXPECT_EQ(store.saveMarkerFile(marker), 0);
    EXPECT_EQ(store.getMarkerState(u"D:/v/blocked.mp4"), 0);
}

TEST_F(MarkerStoreTest, SaveReportsAWriteThatWasRefused) {
    scan();
    MarkerRecord marker;
    marker.path = u"D:/v\r\n[ITRM.0]\r\nyEnable=1/evil.mp4";  // a line break cannot be stored
    marker.slots[0].enabled = 1;
    EXPECT_EQ(store.saveMarkerFile(marker), 0);
    EXPECT_EQ(store.getMarkerState(u"D:/v/evil.mp4"), 0);
    EXPECT_FALSE(std::filesystem::exists(tmp.file("trim/evil.trm")));
}

TEST_F(MarkerStoreTest, LoadOfAMissingFileLeavesTheIndexAlone) {
    tmp.write("trim/keep.trm", utf16File(""));
    scan();
    MarkerRecord marker;
    marker.path = u"D:/v/none.mp4";
    EXPECT_EQ(store.loadMarkerFile(marker), 0);
    EXPECT_EQ(store.index().size(), 1u);
    EXPECT_EQ(store.getMarkerState(u"D:/v/keep.mp4"), 2);
}

TEST_F(MarkerStoreTest, UnreadableValuesLoadAsZero) {
    tmp.write("trim/bad.trm", utf16File("[ITRM.0]\r\nyEnable=yes\r\nrtA=\r\nrtB=12abc\r\n[ITRM.1]\r\nyEnable= 1\r\n"));
    scan();
    MarkerRecord marker;
    marker.path = u"bad.mp4";
    EXPECT_EQ(store.loadMarkerFile(marker), 1);
    EXPECT_EQ(marker.slots[0].enabled, 0);
    EXPECT_EQ(marker.slots[0].pointA, 0);
    EXPECT_EQ(marker.slots[0].pointB, 12);
    EXPECT_EQ(marker.slots[1].enabled, 1);
}

TEST_F(MarkerStoreTest, MoveRenamesFileAndEntry) {
    tmp.write("trim/old.trm", utf16File("[ITRM.0]\r\nyEnable=1\r\n"));
    tmp.write("trim/b.trm", utf16File(""));
    scan();
    ASSERT_EQ(store.resolveMarkerState(u"D:/v/old.mp4"), 1);
    EXPECT_EQ(store.moveMarkerFile(u"E:/w/a_new.mp4", u"D:/v/old.mp4"), 1);
    EXPECT_TRUE(tmp.read("trim/old.trm").empty());
    EXPECT_FALSE(tmp.read("trim/a_new.trm").empty());
    EXPECT_EQ(names(store), (std::vector<std::u16string>{u"a_new", u"b"}));
    EXPECT_EQ(store.getMarkerState(u"E:/w/a_new.mp4"), 1);
    EXPECT_EQ(store.getMarkerState(u"D:/v/old.mp4"), 0);
}

TEST_F(MarkerStoreTest, MoveOntoAnExistingMarkerFileFails) {
    tmp.write("trim/one.trm", utf16File("[ITRM.0]\r\nyEnable=1\r\n"));
    tmp.write("trim/two.trm", utf16File("[ITRM.0]\r\nyEnable=0\r\n"));
    scan();
    const auto before = names(store);
    EXPECT_EQ(store.moveMarkerFile(u"D:/two.mp4", u"D:/one.mp4"), 0);
    EXPECT_EQ(nonEmptyLines(tmp.read("trim/one.trm")), (std::vector<std::string>{"[ITRM.0]", "yEnable=1"}));
    EXPECT_EQ(nonEmptyLines(tmp.read("trim/two.trm")), (std::vector<std::string>{"[ITRM.0]", "yEnable=0"}));
    EXPECT_EQ(names(store), before);
}

TEST_F(MarkerStoreTest, MoveWithoutMarkerFileOrRenameDoesNothing) {
    tmp.write("trim/same.trm", utf16File("[ITRM.0]\r\nyEnable=1\r\n"));
    scan();
    EXPECT_EQ(store.moveMarkerFile(u"D:/new.mp4", u"D:/nothing.mp4"), 1);
    EXPECT_EQ(names(store), (std::vector<std::u16string>{u"same"}));
    // Moving a video to another folder under its own name keeps its marker file.
    EXPECT_EQ(store.moveMarkerFile(u"E:/elsewhere/same.mkv", u"D:/v/same.mp4"), 1);
    EXPECT_FALSE(tmp.read("trim/same.trm").empty());
    EXPECT_EQ(names(store), (std::vector<std::u16string>{u"same"}));
}

TEST_F(MarkerStoreTest, RescanOnlyWhenTheFolderChanges) {
    tmp.write("trim/a.trm", utf16File("[ITRM.0]\r\nyEnable=1\r\n"));
    tmp.write("other/x.trm", utf16File(""));
    scan();
    ASSERT_EQ(store.resolveMarkerState(u"a.mp4"), 1);
    scan();
    EXPECT_EQ(store.getMarkerState(u"a.mp4"), 1);

    store.scanMarkerFolder(tmp.file16("other"));
    EXPECT_EQ(store.folder(), tmp.file16("other"));
    EXPECT_EQ(names(store), (std::vector<std::u16string>{u"x"}));
    scan();
    EXPECT_EQ(store.getMarkerState(u"a.mp4"), 2);
}

}  // namespace
}  // namespace tvr::stores
