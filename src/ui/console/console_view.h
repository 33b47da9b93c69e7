// SPDX-License-Identifier: MIT
#pragma once
// The headless front-end: every status event and problem becomes one line on a stream.
#include <cstdio>

#include "ui/status_view.h"

namespace tvr::ui {

class ConsoleView final : public StatusView {
public:
    explicit ConsoleView(std::FILE* out) : out_(out) {}
    /// "YYYY-MM-DD hh:mm:ss code=0x0002 接続中 127.0.0.1"
    void showStatus(const platform::LocalTime& time, std::int32_t code, std::u16string_view text1,
                    std::u16string_view text2) override;
    void showProblem(std::u16string_view text) override;

private:
    std::FILE* out_;
};

}  // namespace tvr::ui
