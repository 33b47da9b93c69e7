// SPDX-License-Identifier: MIT
#include "protocol/listing_reply.h"

#include "core/text.h"

namespace tvr::protocol {

void ListingReply::root(std::u16string_view path) {
    reply_.appendText(core::format(u"#RET_ROOT(<path>\"%s\")", {path}));
}

void ListingReply::folder(int depth, std::u16string_view path) {
    reply_.appendText(core::format(u"#RET_DIR(<indent>%d,<path>\"%s\")", {std::int64_t{depth}, path}));
}

void ListingReply::end(std::int64_t count) { reply_.appendText(core::format(u"#RET_END(<no>%d)", {count})); }

}  // namespace tvr::protocol
