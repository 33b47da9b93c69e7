// SPDX-License-Identifier: MIT
#pragma once
// Path helpers on UTF-16 paths. "\" and "/" both separate folders where a rule says so; the
// system joins with "/". Relative storage settings resolve against the data folder.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fs.h"

namespace tvr::core {

/// The parts splitPath returns; any may be left unused by the caller.
struct SplitResult {
    std::u16string folder;       // drive + directory; see splitPath
    std::u16string nameWithExt;  // file name and extension
    std::u16string name;         // file name alone
    std::u16string ext;          // extension with its dot, empty when none
};

/// Splits like _wsplitpath: a path without an extension counts as a folder path as a whole;
/// a lone root separator stays in the folder ("/a.mp4" gives "/").
SplitResult splitPath(std::u16string_view path);
/// Appends "/" unless base is empty or ends in a separator, then tail.
void appendPath(std::u16string& base, std::u16string_view tail);
/// False when missing; otherwise true, with isFolder telling a folder from anything else.
bool getPathState(std::u16string_view path, bool* isFolder = nullptr);
/// The path as the system opens it (platform::openedPath: on Windows "a.mp4." is "a.mp4" and a
/// short name the long one), or as written where the system cannot form that; the name a video's
/// stores and extension are judged by.
std::u16string openedName(std::u16string_view path);
/// A bare file name (no drive, no separator) is placed in the data folder; other paths stay as they are.
std::u16string appFilePath(std::u16string_view path);
/// True when the folder exists afterwards (parents are created); an empty path is the current folder.
/// `created`, when given, receives the folders this call made, outermost first.
bool makeFolderTree(std::u16string_view path, std::vector<std::u16string>* created = nullptr);
/// An existing or absolute folder as given, else the data folder joined with it; created.
void resolveStoreFolder(std::u16string* folder, std::u16string_view setting);
/// The setting when it is a file or absolute, else the data folder joined with it; true when that is a file.
bool resolveDataFile(std::u16string* file, std::u16string_view setting);
/// The drive ("C:") or "//server/share" root; false with an empty root when there is none.
bool getPathRoot(std::u16string_view path, std::u16string* root);
/// True when both roots are equal character for character.
bool isSameRoot(std::u16string_view a, std::u16string_view b);
/// True when both extensions are equal character for character, dot included.
bool isSameExtension(std::u16string_view a, std::u16string_view b);
/// Last-write time; 0 when the file cannot be opened.
void getFileWriteTime(platform::FileTime* time, std::u16string_view path);
/// The n-th (from 1) blank-separated field, double quotes grouping and dropped; returns the
/// offset in line just after the field, or -1 when there is no such field.
std::ptrdiff_t getLineField(std::u16string* field, std::u16string_view line, int n);

/// The folder that holds the settings, the log, the list files and the stores: the program's
/// folder until a front-end sets another; without a trailing separator. A copy, for any thread.
std::u16string dataFolder();
/// Sets the data folder (start-up, and tests that work in a temporary folder).
void setDataFolder(std::u16string folder);
/// The folder of the running program, where the helper libraries ship; without a trailing separator.
std::u16string programFolder();
/// The folder part of a program's path: everything before the last separator ("\" or "/"); a
/// program has no extension on Linux, so a folder is not told by the lack of one.
std::u16string_view programFolderOf(std::u16string_view programPath);

}  // namespace tvr::core
