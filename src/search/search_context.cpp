// SPDX-License-Identifier: MIT
#include "search/search_context.h"

namespace tvr::search {

SearchSettings makeSearchSettings(const core::Config& config) {
    SearchSettings settings{config, {}};
    settings.extensions.build(config.extensions);
    return settings;
}

}  // namespace tvr::search
