// SPDX-License-Identifier: MIT
#include "ui/console/console_view.h"

#include "core/text.h"

namespace tvr::ui {

void ConsoleView::showStatus(const platform::LocalTime& time, std::int32_t code, std::u16string_view text1,
                             std::u16string_view text2) {
    std::u16string line =
        core::format(u"%04d-%02d-%02d %02d:%02d:%02d code=0x%04X %s %s\n",
                     {time.year, time.month, time.day, time.hour, time.minute, time.second, code, text1, text2});
    std::fputs(platform::toUtf8(line).c_str(), out_);
    std::fflush(out_);
}

void ConsoleView::showProblem(std::u16string_view text) {
    std::fputs(platform::toUtf8(text).c_str(), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
}

}  // namespace tvr::ui
