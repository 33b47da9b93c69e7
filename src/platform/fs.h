// SPDX-License-Identifier: MIT
#pragma once
// File system access. Paths are UTF-16 text; they become native paths only inside this layer.
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace tvr::platform {

/// A Windows FILETIME value: 100 ns units since 1601-01-01 UTC; 0 means unknown.
using FileTime = std::int64_t;

/// One directory entry as the enumeration reports it.
struct DirEntry {
    std::u16string name;
    bool isFolder = false;
    FileTime writeTime = 0;
};

enum class PathKind { Missing, File, Folder };

/// What the path names (symbolic links are followed).
PathKind pathKind(std::u16string_view path);
/// Calls onEntry for every entry of the folder except "." and ".."; false when the folder cannot be read.
/// onEntry returns false to stop early. A name the OS gives in no valid encoding (bytes that are
/// not UTF-8 on POSIX, an unpaired surrogate on Windows) is left out and counted in *undecodable:
/// its text would name another file, or none.
bool enumerateFolder(std::u16string_view folder, const std::function<bool(const DirEntry&)>& onEntry,
                     std::size_t* undecodable = nullptr);
/// As enumerateFolder, but each entry carries only its name and folder flag (write time 0): the
/// flag comes from the directory entry where the file system records it, so a large folder needs
/// no file test per entry. Links are followed; dangling ones are skipped.
bool enumerateFolderNames(std::u16string_view folder, const std::function<bool(const DirEntry&)>& onEntry,
                          std::size_t* undecodable = nullptr);
/// What tells whether a folder's entries changed since an earlier look: the folder's identity
/// and its change and write times.
struct FolderStamp {
    std::uint64_t device = 0;  // as in FileIdentity
    std::uint64_t node = 0;
    FileTime changed = 0;
    FileTime written = 0;
    /// The folder was last written long enough before the look (more than the coarsest time
    /// stamps, 2 s) that an entry added, removed or renamed after it must move its write time.
    bool quiet = false;
    /// Equal stamps, the first of a quiet folder, mean the same entries.
    bool sameAs(const FolderStamp& other) const {
        return device == other.device && node == other.node && changed == other.changed && written == other.written;
    }
};
/// The folder's stamp now (links followed); false when it is no folder or cannot be examined.
bool folderStamp(std::u16string_view folder, FolderStamp* stamp);
/// Creates one folder (the parent must exist).
bool makeFolder(std::u16string_view path);
/// Lets only the folder's owner read, write and enter it (0700). Windows: nothing to do, as a
/// folder in the user's profile inherits the profile's owner-only access.
bool restrictToOwner(std::u16string_view folder);
/// Removes an empty folder.
bool removeFolder(std::u16string_view path);
/// Asked between the blocks of a long copy: true stops it.
using StopQuery = std::function<bool()>;
/// Renames a file or folder, refusing atomically when the target exists; a file moves to another
/// file system by a copy that keeps its times and asks `stop` between blocks. A stopped or failed
/// copy is removed; on failure the source is left as it was.
bool moveNoOverwrite(std::u16string_view from, std::u16string_view to, const StopQuery& stop = {});
/// Deletes a file.
bool removeFile(std::u16string_view path);
/// Last-write time of a file that can be opened for reading; false when it cannot be opened.
bool fileWriteTime(std::u16string_view path, FileTime* time);

/// Creation, last-access and last-write times of a file.
struct FileTimes {
    FileTime creation = 0;
    FileTime access = 0;
    FileTime write = 0;
};
/// Reads the three times; false when the file cannot be opened.
bool getFileTimes(std::u16string_view path, FileTimes* times);
/// Sets the access and write times (and creation where the OS keeps it).
bool setFileTimes(std::u16string_view path, const FileTimes& times);
/// What makes a file or folder the same one under different paths (device and inode on POSIX).
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t node = 0;
    bool operator==(const FileIdentity&) const = default;
};
/// The identity of what the path names (links followed); false when it cannot be examined.
bool fileIdentity(std::u16string_view path, FileIdentity* identity);
/// The devices (FileIdentity::device) of the kernel's pseudo file systems: /proc, /sys, /dev and
/// the like. They hold no videos, and their links (every process's cwd and root) lead back into
/// the whole tree. Read from the mount table at the call; empty where there are none (Windows).
std::vector<std::uint64_t> pseudoFileSystemDevices();
/// The absolute path with links, "." and ".." resolved as far as it exists: one spelling per file.
std::u16string canonicalPath(std::u16string_view path);
/// Size of a file in bytes; -1 when it cannot be had.
std::int64_t fileSize(std::u16string_view path);

/// How a whole-file read ended.
enum class ReadStatus { kRead, kCannotRead, kTooLarge };
/// Reads a whole file of at most maxBytes into bytes; a larger file is not read (kTooLarge), so
/// no file can make the reader reserve more memory than the caller allows.
ReadStatus readFileBytesUpTo(std::u16string_view path, std::uint64_t maxBytes, std::string* bytes);
/// Reads a whole file into bytes; false when it cannot be opened or read.
inline bool readFileBytes(std::u16string_view path, std::string* bytes) {
    return readFileBytesUpTo(path, std::numeric_limits<std::uint64_t>::max(), bytes) == ReadStatus::kRead;
}
/// Replaces the file's content through a temporary file and an atomic rename.
bool writeFileAtomic(std::u16string_view path, std::string_view bytes);
/// Why a write failed, in the terms a user can act on.
enum class WriteFault { kNone, kPermission, kReadOnlyFileSystem, kNoSpace, kIsFolder, kNoFolder, kOther };
/// Why this thread's last failed writeFileAtomic, AppendFile::open or AppendFile::write failed.
WriteFault lastWriteFault();
/// Whether a new file can be made, written and flushed in the folder now (a one-byte temporary
/// file, removed again); kNone when it can.
WriteFault probeFolderWrite(std::u16string_view folder);
/// Called with the folder writeFileAtomic flushes after each rename (Windows: the write-through rename); for tests.
using FolderFlushHook = void (*)(std::u16string_view folder);
/// Installs the hook for every writer of the process (nullptr: none).
void setFolderFlushHook(FolderFlushHook hook);
/// Deletes the temporary files that writeFileAtomic leaves in the folder when the process dies
/// mid-write (no other files); returns how many it deleted.
int removeAtomicWriteLeftovers(std::u16string_view folder);

/// A file opened for appending (the log).
class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;
    /// Opens or creates the file for appending; `created` tells whether it was new.
    bool open(std::u16string_view path, bool* created);
    bool isOpen() const { return handle_ != -1; }
    /// Appends the bytes.
    bool write(std::string_view bytes);
    /// Pushes written data to disk.
    void flush();
    void close();

private:
    std::intptr_t handle_ = -1;
};

/// A download's output, written as curl and wget write theirs: nothing the path names is removed
/// or cut before the whole body is there. A link is followed to its target; a device or named
/// pipe is written through; a file (or none) gets a temporary file beside it that replaces it on
/// commit, with the old file's mode or, for a new one, the mode the umask gives.
class OutputFile {
public:
    enum class Opened { Ok, Folder, Failed };
    OutputFile() = default;
    /// Abandons an output that was not committed.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    /// Opens the output for the path; Folder when it names a folder, Failed when it cannot be written.
    Opened open(std::u16string_view path);
    /// Writes the bytes in order.
    bool write(std::string_view bytes);
    /// Puts the whole body in place: the temporary file replaces the path's file; false when that fails.
    bool commit();
    /// Removes the temporary file, leaving what the path names as it was.
    void abandon();

private:
    std::intptr_t handle_ = -1;
    std::u16string temp_;    // empty when written through
    std::u16string target_;  // the file the temporary one replaces, links followed
};

/// The existing folder's full path with links resolved; empty when it cannot be had.
std::u16string canonicalFolder(std::u16string_view path);

/// The path an open of this text reaches: on Windows absolute, with "." and ".." resolved, the
/// trailing dots and spaces of every name dropped, as each Win32 open does ("secret.txt." opens
/// "secret.txt"), and the short names of existing files and folders given long ("SECRET~1.MP4"
/// opens "secret.mp4x"), empty when Windows cannot form it; elsewhere the text itself, whose
/// names are the files' real names.
std::u16string openedPath(std::u16string_view path);
/// The native path separator rule: true when '\' separates folders too (Windows).
bool backslashIsSeparator();
/// The path as this system's users write it: '\' between folders on Windows, unchanged elsewhere.
std::u16string displayPath(std::u16string_view path);

}  // namespace tvr::platform
