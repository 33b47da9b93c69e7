// SPDX-License-Identifier: MIT
#pragma once
// Golden transcripts of the control protocol: readable text lines that stand for exact bytes.
//   ## name                  a case
//   @ directive words        a step of the replay (login, advance N, wait-search, touch FILE)
//   > STRG "text"            a text record of the request
//   > MSGE "name" "a0" "a1" "a2" "a3"   a command record
//   > PACK                   the request's next packet begins
//   < PACK                   a reply packet begins
//   < STRG "text"            a text record
//   < RTMS index value "text"            a result record
//   < RTFL count             a list record, followed by its entries:
//   <  - value "folder" "name"           (= in place of the folder: the remembered one)
//   < RAW hex                a packet that no line above describes exactly
//   < [linux] ... / < [windows] ...      a reply line of that system only (a drive row)
// Texts are UTF-8 between double quotes with \" \\ \r \n \t and \uXXXX escapes.
#include <cstdint>
#include <string>
#include <vector>

namespace tvr::test::golden {

/// One case of a golden file: its lines in order, request and reply apart.
struct Case {
    std::string name;
    std::vector<std::string> steps;  // "@ ..." and "> ..." lines in order
    std::vector<std::string> reply;  // "< ..." lines
};

/// A golden file: the lines before the first case, then the cases.
struct File {
    std::vector<std::string> head;
    std::vector<Case> cases;
};

/// Splits a golden file's text into its cases.
File parseFile(const std::string& text);
/// Writes a golden file back (for a deliberate update).
std::string formatFile(const File& file);

/// A text as a quoted, escaped UTF-8 word.
std::string quote(std::u16string_view text);
/// The request bytes of "> " lines (packets in order); false with a reason on a bad line.
bool encodeRequest(const std::vector<std::string>& lines, std::string* bytes, std::string* error);
/// The reply bytes of "< " lines; false with a reason on a bad line.
bool encodeReply(const std::vector<std::string>& lines, std::string* bytes, std::string* error);
/// The "< " lines for reply bytes made of whole packets.
std::vector<std::string> renderReply(const std::string& bytes);
/// The reply lines that hold on this system ("linux" or "windows"), their system tags removed.
std::vector<std::string> linesFor(const std::vector<std::string>& lines, std::string_view system);
/// True when some reply line holds on one system only.
bool hasSystemLines(const std::vector<std::string>& lines);
/// How many verdicts ("#RET_OK()" or "#RET_ERR(...)" text records) the reply lines hold.
std::size_t verdictCount(const std::vector<std::string>& lines);

}  // namespace tvr::test::golden
