// SPDX-License-Identifier: MIT
#pragma once
// The rule file "VRFormat.txt": the rules between "#start" and "#end" that the headset receives
// at every handshake.
#include <string>
#include <string_view>
#include <vector>

namespace tvr::stores {

/// One rule: the name part it matches and the projection it gives.
struct VrRule {
    bool sp = false;  // written "tag_sp=" rather than "tag="
    std::u16string key;
    std::u16string layout;
    std::u16string screen;

    bool operator==(const VrRule&) const = default;
};

/// The well-formed rules of the file, in file order; false when it cannot be opened.
bool readVrFormatRules(std::u16string_view ruleFile, std::vector<VrRule>* rules);

}  // namespace tvr::stores
