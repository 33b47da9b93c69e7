// SPDX-License-Identifier: MIT
// Natural order for names, as Explorer shows them: our own comparator, used where the OS has
// none and checked against StrCmpLogicalW in the Windows test run.
//
// The names are compared as sequences of tokens: a run of ASCII digits is one token valued by
// its number, every other code unit is one token of its own, folded to lower case (ASCII and
// Latin letters). Number tokens rank by value, of any length (leading zeros skipped, then the
// longer run of significant digits is larger, then digit by digit); all of them rank between the
// code units just below '0' and just above '9', so digits sort before letters and punctuation
// ranks by code unit. The shorter token sequence sorts first when one is a prefix of the other.
//
// Names equal in that sense are still told apart by their leading zeros: at the first number
// whose zeros differ, fewer zeros sort first ("a1" < "a01"). Names that differ only in letter
// case compare equal, as StrCmpLogicalW treats them, so a listing's second key orders them.
// Each step compares a key derived from one name alone, so the whole is a strict weak ordering.
#include <algorithm>

#include "platform/case_fold.h"
#include "platform/natural_compare.h"

namespace tvr::platform {

namespace {

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

std::size_t digitRunEnd(std::u16string_view text, std::size_t start) {
    while (start < text.size() && isDigit(text[start])) ++start;
    return start;
}

std::size_t skipZeros(std::u16string_view text, std::size_t start, std::size_t end) {
    while (start < end && text[start] == u'0') ++start;
    return start;
}

int sign(long long value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

// Compares two digit runs by value; 0 when equal.
int compareNumbers(std::u16string_view a, std::size_t aStart, std::size_t aEnd, std::u16string_view b,
                   std::size_t bStart, std::size_t bEnd) {
    std::size_t aLength = aEnd - aStart;
    std::size_t bLength = bEnd - bStart;
    if (aLength != bLength) return aLength < bLength ? -1 : 1;
    for (std::size_t k = 0; k < aLength; ++k) {
        if (a[aStart + k] != b[bStart + k]) return a[aStart + k] < b[bStart + k] ? -1 : 1;
    }
    return 0;
}

}  // namespace

int portableNaturalCompare(std::u16string_view a, std::u16string_view b) {
    // Names in one folder often share a long start ("Episode 12 ..."): the identical code units
    // compare equal token by token and leave no zero tie, so the walk starts where they part,
    // moved back to the start of a digit run that the parting point cuts.
    std::size_t start = 0;
    const std::size_t common = std::min(a.size(), b.size());
    while (start < common && a[start] == b[start]) ++start;
    while (start > 0 && isDigit(a[start - 1])) --start;
    std::size_t i = start;
    std::size_t j = start;
    int zeroTie = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            std::size_t aEnd = digitRunEnd(a, i);
            std::size_t bEnd = digitRunEnd(b, j);
            std::size_t aSignificant = skipZeros(a, i, aEnd);
            std::size_t bSignificant = skipZeros(b, j, bEnd);
            int byValue = compareNumbers(a, aSignificant, aEnd, b, bSignificant, bEnd);
            if (byValue != 0) return byValue;
            if (zeroTie == 0) {
                zeroTie = sign(static_cast<long long>(aSignificant - i) - static_cast<long long>(bSignificant - j));
            }
            i = aEnd;
            j = bEnd;
            continue;
        }
        char16_t ca = detail::foldCase(a[i]);
        char16_t cb = detail::foldCase(b[j]);
        if (ca != cb) return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return zeroTie;
}

}  // namespace tvr::platform
