// SPDX-License-Identifier: MIT
// The small INI helpers of the settings file: window rectangles and the client's string keys.
#include "core/settings.h"
#include "core/text.h"
#include "platform/fs.h"
#include "platform/ini_file.h"

namespace tvr::core {

namespace {

struct RectKey {
    const char16_t* key;
    std::int32_t WindowRect::*field;
};

constexpr RectKey kRectKeys[] = {
    {u"mrcWnd.rcLeft", &WindowRect::left},
    {u"mrcWnd.rcTop", &WindowRect::top},
    {u"mrcWnd.rcRight", &WindowRect::right},
    {u"mrcWnd.rcBottom", &WindowRect::bottom},
};

// The characters a buffer of capacityBytes holds besides its terminator.
std::size_t charactersFor(std::size_t capacityBytes) { return capacityBytes / 2 - 1; }

}  // namespace

bool writeWindowRect(std::u16string_view file, std::u16string_view section, const WindowRect& rect) {
    return platform::iniEdit(file, [&](platform::IniDocument& document) {
        for (const RectKey& entry : kRectKeys) {
            if (!document.writeAligned(section, entry.key, format(u"%8d", {std::int64_t{rect.*entry.field}}))) {
                return false;
            }
        }
        return true;
    });
}

bool readWindowRect(std::u16string_view file, std::u16string_view section, WindowRect* rect) {
    WindowRect read;
    for (const RectKey& entry : kRectKeys) {
        std::u16string text = platform::iniReadString(file, section, entry.key, u"");
        std::int64_t value = 0;
        // A value that is not a number is as unusable as a missing one.
        if (text.empty() || !scanDecimal(text, &value)) return false;
        read.*entry.field = scanInt32(text);
    }
    *rect = read;
    return true;
}

std::optional<std::u16string> readExistingKey(std::u16string_view file, std::u16string_view section,
                                              std::u16string_view key) {
    std::string bytes;
    if (!platform::readFileBytes(file, &bytes)) return std::nullopt;
    return platform::IniDocument(std::move(bytes)).find(section, key);
}

bool readString(std::u16string_view file, std::u16string_view section, std::u16string_view key, std::u16string* value,
                std::size_t capacityBytes) {
    // A buffer without room for its terminator cannot take any value.
    if (capacityBytes < 2) return false;
    std::optional<std::u16string> existing = readExistingKey(file, section, key);
    if (!existing) return false;
    std::u16string text = std::move(*existing);
    std::size_t limit = charactersFor(capacityBytes);
    if (text.size() > limit) text.resize(limit);
    *value = std::move(text);
    return true;
}

bool writeString(std::u16string_view file, std::u16string_view section, std::u16string_view key,
                 std::u16string_view text, std::size_t capacityBytes) {
    if (capacityBytes < 2) return false;
    return platform::iniWriteString(file, section, key, text.substr(0, charactersFor(capacityBytes)));
}

}  // namespace tvr::core
