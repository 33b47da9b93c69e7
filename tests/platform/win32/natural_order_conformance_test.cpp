// SPDX-License-Identifier: MIT
// Our portable natural-order comparator against StrCmpLogicalW (naturalCompare on Windows) on
// generated name pairs. Both must give the same sign, except in the classes of difference listed
// below, each with its reason; a difference outside them fails with the pair.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "core/utf.h"
#include "platform/case_fold.h"
#include "platform/natural_compare.h"

namespace tvr::platform {
namespace {

int sign(int value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

// Pieces that names of videos are made of: numbers with and without leading zeros, words in any
// case, punctuation, accented Latin and Japanese.
class NameGenerator {
public:
    explicit NameGenerator(unsigned seed) : random_(seed) {}

    std::u16string name() {
        std::u16string out;
        int pieces = pick(1, 5);
        for (int i = 0; i < pieces; ++i) out += piece();
        return out;
    }

    // A variant close to `name`, so that near ties are common: one piece changed in case,
    // leading zeros, a digit or punctuation.
    std::u16string variant(std::u16string name) {
        if (name.empty()) return this->name();
        std::size_t at = static_cast<std::size_t>(pick(0, static_cast<int>(name.size()) - 1));
        char16_t& c = name[at];
        switch (pick(0, 4)) {
            case 0:
                if (c >= u'a' && c <= u'z')
                    c = static_cast<char16_t>(c - 0x20);
                else if (c >= u'A' && c <= u'Z')
                    c = static_cast<char16_t>(c + 0x20);
                else
                    name.insert(at, 1, u'A' + static_cast<char16_t>(pick(0, 25)));
                break;
            case 1:
                name.insert(at, u"0");
                break;
            case 2:
                c = static_cast<char16_t>(u'0' + pick(0, 9));
                break;
            case 3:
                c = kPunctuation[static_cast<std::size_t>(pick(0, static_cast<int>(kPunctuation.size()) - 1))];
                break;
            default:
                name += piece();
                break;
        }
        return name;
    }

private:
    static constexpr std::u16string_view kPunctuation = u" -_.()[]~!#&'+,;=@^`{}";
    static constexpr std::u16string_view kLatin = u"\u00C0\u00C9\u00E9\u00F1\u00D1\u00FC\u00DC\u00DF\u0141\u0142";
    static constexpr std::u16string_view kJapanese = u"\u3042\u30A2\u6620\u753B\u7B2C\u8A71\u30D3\u30C7\u30AA";

    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    std::u16string piece() {
        switch (pick(0, 5)) {
            case 0:
            case 1: {
                std::u16string digits(static_cast<std::size_t>(pick(0, 2)), u'0');
                int length = pick(0, 9) == 0 ? pick(10, 25) : pick(1, 3);
                for (int i = 0; i < length; ++i) digits += static_cast<char16_t>(u'0' + pick(0, 9));
                return digits;
            }
            case 2: {
                std::u16string word;
                int length = pick(1, 4);
                for (int i = 0; i < length; ++i) {
                    word += static_cast<char16_t>((pick(0, 1) ? u'a' : u'A') + pick(0, 25));
                }
                return word;
            }
            case 3:
                return std::u16string(1, kPunctuation[static_cast<std::size_t>(pick(0, 22))]);
            case 4:
                return std::u16string(1, kLatin[static_cast<std::size_t>(pick(0, 9))]);
            default:
                return std::u16string(1, kJapanese[static_cast<std::size_t>(pick(0, 8))]);
        }
    }

    std::mt19937 random_;
};

std::u16string folded(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out) c = detail::foldCase(c);
    return out;
}

// The name with every digit run's leading zeros removed.
std::u16string withoutLeadingZeros(std::u16string_view text) {
    std::u16string out;
    bool inNumber = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool digit = text[i] >= u'0' && text[i] <= u'9';
        bool nextDigit = i + 1 < text.size() && text[i + 1] >= u'0' && text[i + 1] <= u'9';
        if (digit && !inNumber && text[i] == u'0' && nextDigit) continue;
        inNumber = digit && (inNumber || text[i] != u'0' || !nextDigit);
        out += text[i];
    }
    return out;
}

// Why our order may differ from StrCmpLogicalW's for this pair; empty when no reason is known.
std::string knownDifference(std::u16string_view a, std::u16string_view b, int ours, int windows) {
    // StrCmpLogicalW calls names that differ only in letter case equal; we either do the same or
    // put them in a fixed order so that sorting is deterministic. Either way only the tie differs.
    if (folded(a) == folded(b) && (windows == 0 || ours == 0)) return "case-only tie";
    // Equal numbers with different leading zeros: we order them by the count of zeros (fewer
    // first) where StrCmpLogicalW may call them equal or decide later in the name.
    if (folded(withoutLeadingZeros(a)) == folded(withoutLeadingZeros(b))) return "leading-zero tie";
    return {};
}

TEST(NaturalOrderConformance, PortableComparatorAgreesWithStrCmpLogicalW) {
    NameGenerator generator(20240611);
    std::vector<std::pair<std::u16string, std::u16string>> pairs;
    for (int i = 0; i < 1200; ++i) {
        std::u16string a = generator.name();
        pairs.emplace_back(a, generator.name());
        pairs.emplace_back(a, generator.variant(a));
    }
    ASSERT_GE(pairs.size(), 2000u);
    std::map<std::string, int> differences;
    int unexplained = 0;
    for (const auto& [a, b] : pairs) {
        int ours = sign(portableNaturalCompare(a, b));
        int windows = sign(naturalCompare(a, b));
        if (ours == windows) continue;
        std::string reason = knownDifference(a, b, ours, windows);
        if (reason.empty()) {
            ++unexplained;
            if (unexplained <= 40) {
                ADD_FAILURE() << "\"" << core::toUtf8(a) << "\" vs \"" << core::toUtf8(b) << "\": ours " << ours
                              << ", StrCmpLogicalW " << windows;
            }
            continue;
        }
        ++differences[reason];
    }
    for (const auto& [reason, count] : differences)
        std::printf("known difference %s: %d pairs\n", reason.c_str(), count);
    EXPECT_EQ(unexplained, 0);
}

}  // namespace
}  // namespace tvr::platform
