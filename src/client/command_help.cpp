// SPDX-License-Identifier: MIT
#include "client/command_help.h"

#include <array>

namespace tvr::client {

namespace {

constexpr std::array kCommands{
    CommandHelp{"CM_PLAY", "PATH MODE", "check that a video exists (MODE 1 skips the check) and log it"},
    CommandHelp{"CM_IS_FIND_PATH", "PATH", "value 0 missing, 1 a folder, 2 a file"},
    CommandHelp{"CM_MAKE_DIR", "FOLDER", "make a folder and the folders above it"},
    CommandHelp{"CM_MOVE_FILE", "NEW_PATH CURRENT_PATH",
                "move a video with its markers and VR format (same drive and extension, never over a file)"},
    CommandHelp{"CM_SET_CHANNEL_TYPE", "CH TYPE PATH",
                "set channel CH (0 to 7) to TYPE 0 PC folder PATH, or 1 VR device; saved at once"},
    CommandHelp{"CM_GET_CHANNEL_TYPE", "CH", "channel CH's type (value) and path (text)"},
    CommandHelp{"CM_SET_FAVORITE", "ON PATH", "write a log line only"},
    CommandHelp{"CM_GET_MARKER_LIST", "PATH [PATH [PATH [PATH]]]", "marker state (0 or 1) of each video"},
    CommandHelp{"CM_SAVE_MARKER", "PATH TEXT", "save a video's markers: <en.N>1,<a.N>start,<b.N>end, N 0 to 7"},
    CommandHelp{"CM_LOAD_MARKER", "PATH", "a video's markers: value 1 and the marker text, or 0"},
    CommandHelp{"CM_SAVE_VR_FORMAT", "PATH TEXT", "save a video's VR format: <layout>\"L\",<screen>\"S\""},
    CommandHelp{"CM_LOAD_VR_FORMAT", "PATH", "a video's VR format: value 1 and the text, or 0"},
    CommandHelp{"CM_LIVE_TIME", "A B", "A 1 or B 0 suspends the no-traffic time-out; otherwise it applies again"},
    CommandHelp{"CM_INI_WRITE_INT64", "SECTION KEY VALUE", "write a number to the settings file (KEY begins rw.)"},
    CommandHelp{"CM_INI_READ_INT64", "SECTION KEY DEFAULT",
                "read a number from the settings file (KEY begins rw.); a missing key gets DEFAULT"},
    CommandHelp{"CM_INI_WRITE_STRING", "SECTION KEY TEXT", "write a text to the settings file (KEY begins rw.)"},
    CommandHelp{"CM_INI_READ_STRING", "SECTION KEY DEFAULT",
                "read a text from the settings file (KEY begins rw.); a missing key gets DEFAULT"},
    CommandHelp{"CM_FIND_FILE", "REQUEST", "start looking for a file (poll with CM_SEARCH_ISFINISHED)"},
    CommandHelp{"CM_SEARCH_FILE", "REQUEST", "start a search of file names"},
    CommandHelp{"CM_GETDIR", "REQUEST", "start listing the folders of a folder, or the drives of (Computer)"},
    CommandHelp{"CM_SEARCH_ISFINISHED", "", "value 1 when the search has ended"},
    CommandHelp{"CM_SEARCH_REQUESTCANCEL", "", "ask the running search to stop"},
    CommandHelp{"CM_SEARCH_GETNUM", "", "number of rows found so far"},
    CommandHelp{"CM_SEARCH_GETPATH", "FIRST COUNT", "rows FIRST on (at most 32) with their marker state"},
    CommandHelp{"CM_SEARCH_GETDIR", "FIRST COUNT", "folder rows FIRST on (at most 32)"},
    CommandHelp{"CM_SEARCH_GETPROGRESS", "", "whether the search ended (value) and its progress text"},
    CommandHelp{"CM_CLIENT_LOG", "TAG TEXT", "write a line to the server's log"},
    CommandHelp{"CM_WORDLIST_GETNUM", "", "number of words in the word list"},
    CommandHelp{"CM_WORDLIST_GETITEMN", "FIRST COUNT", "words FIRST on (at most 32) as <id>\"I\",<word>\"W\""},
    CommandHelp{"CM_WORDLIST_ADD", "ID WORD", "add a word; refused when the pair is there already"},
    CommandHelp{"CM_WORDLIST_DEL", "ID WORD", "remove a word"},
    CommandHelp{"CM_WORDLIST_SAVE", "", "write the word list to its file"},
    CommandHelp{"CM_WORDLIST_LOAD", "", "read the word list from its file again"},
    CommandHelp{"CM_WORDLIST_ISUPDATE", "", "value 1 when the file changed since the last load or save"},
    CommandHelp{"CM_COPYTIMESTAMP", "DESTINATION SOURCE", "give DESTINATION the file times of SOURCE"},
};

}  // namespace

std::span<const CommandHelp> commandHelp() { return kCommands; }

std::string commandHelpText() {
    std::string text =
        "Extended commands: tamvikvr-client command NAME [ARG0 [ARG1 [ARG2 [ARG3]]]]\n"
        "Each answers with lines \"index<TAB>value<TAB>text\", then #RET_OK() or #RET_ERR(...).\n\n";
    for (const CommandHelp& command : kCommands) {
        std::string head = "  " + std::string(command.name);
        if (!command.arguments.empty()) head += " " + std::string(command.arguments);
        text += head + "\n      " + std::string(command.meaning) + "\n";
    }
    return text;
}

}  // namespace tvr::client
