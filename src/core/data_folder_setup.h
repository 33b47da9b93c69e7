// SPDX-License-Identifier: MIT
#pragma once
// Makes the data folder a front-end keeps its settings, log, lists and stores in.
#include <string>
#include <string_view>

namespace tvr::core {

/// Makes the data folder when it is missing, every folder made for it open to its owner only (the
/// settings hold the password). When it is another folder than the program's and holds no
/// settings file yet, while the program's folder does (an earlier install kept its settings
/// beside the program), that file is copied in, so the user's settings move along once.
/// False when the folder cannot be made; *copiedFrom (when given) names the file copied, else is
/// left empty.
bool prepareDataFolder(std::u16string_view dataFolder, std::u16string_view programFolder,
                       std::u16string* copiedFrom = nullptr);

}  // namespace tvr::core
