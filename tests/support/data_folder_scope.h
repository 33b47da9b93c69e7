// SPDX-License-Identifier: MIT
#pragma once
// Points the process's data folder at a test's folder and puts the previous one back at the end,
// so that one test's folder never leaks into the next.
#include <string>
#include <string_view>

#include "core/paths.h"

namespace tvr::test {

class DataFolderScope {
public:
    DataFolderScope() : previous_(core::dataFolder()) {}
    explicit DataFolderScope(std::u16string_view folder) : DataFolderScope() { set(folder); }
    ~DataFolderScope() { core::setDataFolder(previous_); }
    DataFolderScope(const DataFolderScope&) = delete;
    DataFolderScope& operator=(const DataFolderScope&) = delete;

    /// Makes folder the data folder until the scope ends.
    void set(std::u16string_view folder) const { core::setDataFolder(std::u16string(folder)); }

private:
    std::u16string previous_;
};

}  // namespace tvr::test
