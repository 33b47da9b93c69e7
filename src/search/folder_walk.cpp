// SPDX-License-Identifier: MIT
#include "search/folder_walk.h"

namespace tvr::search {

bool AncestorGuard::enter(std::u16string_view folder) {
    Step step;
    step.known = platform::fileIdentity(folder, &step.identity);
    if (step.known) {
        for (const Step& ancestor : path_)
            if (ancestor.known && ancestor.identity == step.identity) return false;
    }
    path_.push_back(step);
    return true;
}

void AncestorGuard::leave() { path_.pop_back(); }

}  // namespace tvr::search
