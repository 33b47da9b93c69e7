// SPDX-License-Identifier: MIT
#pragma once
// A channel listing as the headset reads it: "#RET_ROOT", then per folder "#RET_DIR" and list
// records of its video files, then "#RET_END" with the total.
#include "library/listing_sink.h"
#include "protocol/reply_sink.h"

namespace tvr::protocol {

class ListingReply final : public library::ListingSink {
public:
    explicit ListingReply(ReplySink& reply) : reply_(reply) {}

    void root(std::u16string_view path) override;
    void folder(int depth, std::u16string_view path) override;
    void beginFiles() override { reply_.beginList(); }
    void addFile(std::uint16_t marker, std::u16string_view folder, std::u16string_view name) override {
        reply_.addListEntry(marker, folder, name);
    }
    void endFiles() override { reply_.endList(); }
    void end(std::int64_t count) override;
    bool abandoned() override { return reply_.abandoned(); }

private:
    ReplySink& reply_;
};

}  // namespace tvr::protocol
