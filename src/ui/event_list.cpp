// SPDX-License-Identifier: MIT
#include "ui/event_list.h"

#include "core/text.h"

namespace tvr::ui {

void EventList::add(WindowEvent event) {
    if (events_.size() >= kCapacity) events_.pop_front();
    events_.push_back(std::move(event));
    ++added_;
}

std::u16string eventLine(const WindowEvent& event) {
    const platform::LocalTime& time = event.time;
    return core::format(u"%04d-%02d-%02d %02d:%02d:%02d  %s",
                        {time.year, time.month, time.day, time.hour, time.minute, time.second, event.text});
}

}  // namespace tvr::ui
