// SPDX-License-Identifier: MIT
// The CM_WORDLIST_ commands: the headset's word list, kept in one file on the PC.
#include <algorithm>
#include <array>

#include "protocol/command_table.h"
#include "protocol/status_codes.h"

namespace tvr::protocol {

namespace {

bool getNum(HandlerContext& context, CommandCall& call) {
    call.addEntry(static_cast<std::int32_t>(context.library.wordList().size()), u"");
    return true;
}

// Up to count entries from first as "<id>\"%s\",<word>\"%s\""; none for a negative first or count.
bool getItems(HandlerContext& context, CommandCall& call) {
    const stores::WordList& words = context.library.wordList();
    const std::int64_t first = call.int64Arg(0);
    const std::int64_t count = std::min<std::int64_t>(call.int64Arg(1), CommandCall::kMaxEntries);
    if (first < 0) return true;
    const auto total = static_cast<std::int64_t>(words.size());
    for (std::int64_t i = first; i < total && i - first < count; ++i) {
        const stores::Word& entry = words.at(static_cast<std::size_t>(i));
        call.addEntry(0, u"<id>\"" + entry.id + u"\",<word>\"" + entry.word + u"\"");
    }
    return true;
}

bool add(HandlerContext& context, CommandCall& call) {
    if (context.library.wordList().addWord(call.arg(0), call.arg(1))) return true;
    return refuse(context, u"the word list holds this id and word already, or cannot hold them");
}

bool remove(HandlerContext& context, CommandCall& call) {
    context.library.wordList().deleteWord(call.arg(0), call.arg(1));
    return true;
}

// A save that could not write is a failure the headset sees; the list stays marked changed, so
// the save at the disconnect tries again.
bool save(HandlerContext& context, CommandCall&) {
    if (context.library.wordList().saveWordList()) return true;
    context.status.post(status::kError, status::kErrorText, status::kSaveWordListFailed);
    return false;
}

bool load(HandlerContext& context, CommandCall&) {
    context.library.wordList().loadWordList();
    return true;
}

bool isUpdate(HandlerContext& context, CommandCall& call) {
    call.addEntry(context.library.wordList().isWordListUpdated() ? 1 : 0, u"");
    return true;
}

constexpr std::array kRows{
    CommandRow{u"CM_WORDLIST_GETNUM", getNum, "", "number of words in the word list"},
    CommandRow{u"CM_WORDLIST_GETITEMN", getItems, "FIRST COUNT",
               "words FIRST on (at most 32) as <id>\"I\",<word>\"W\""},
    CommandRow{u"CM_WORDLIST_ADD", add, "ID WORD", "add a word; refused when the pair is there already"},
    CommandRow{u"CM_WORDLIST_DEL", remove, "ID WORD", "remove a word"},
    CommandRow{u"CM_WORDLIST_SAVE", save, "", "write the word list to its file"},
    CommandRow{u"CM_WORDLIST_LOAD", load, "", "read the word list from its file again"},
    CommandRow{u"CM_WORDLIST_ISUPDATE", isUpdate, "", "value 1 when the file changed since the last load or save"},
};

}  // namespace

std::span<const CommandRow> wordListCommands() { return kRows; }

}  // namespace tvr::protocol
