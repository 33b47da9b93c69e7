// SPDX-License-Identifier: MIT
#pragma once
// Trees whose folders look written an hour ago: a walk's read-ahead reads only folders that have
// been quiet for a while, and a test's folders are all new.
#include <string>

namespace tvr::test {

/// Sets the write time of root and of every folder below it to this many seconds ago.
void ageFolders(const std::string& root, int seconds);
/// Ages the folders by an hour: the read-ahead reads them.
inline void quietFolders(const std::string& root) { ageFolders(root, 3600); }

/// Makes folders "<root>/Show <s>" (s from 0) with videos "Episode <i>.mp4" and quiets them.
void makeQuietShows(const std::string& root, int shows, int videosPerShow);

}  // namespace tvr::test
