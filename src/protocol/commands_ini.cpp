// SPDX-License-Identifier: MIT
// CM_INI_WRITE_INT64, CM_INI_READ_INT64, CM_INI_WRITE_STRING and CM_INI_READ_STRING: keys the
// headset keeps in the settings file. Only keys beginning with "rw." are the headset's to touch.
#include <array>

#include "core/paths.h"
#include "core/settings.h"
#include "core/text.h"
#include "platform/ini_file.h"
#include "protocol/command_table.h"
#include "protocol/status_codes.h"

namespace tvr::protocol {

namespace {

bool isClientKey(std::u16string_view key) { return key.starts_with(u"rw."); }

std::u16string settingsFile() { return core::appFilePath(core::kSettingsFileName); }

std::u16string int64Text(std::int64_t value) { return core::format(u"%I64d", {value}); }

// The headset owns only the keys beginning with "rw."; the server's own settings are not its to touch.
bool refuseKey(HandlerContext& context) {
    return refuse(context, u"the key (argument 1) does not begin with rw.: only those keys belong to the headset");
}

// A write the file refused is a failure the headset sees, not a success.
bool writeFailed(HandlerContext& context, std::u16string_view operation) {
    context.status.post(status::kError, status::kErrorText, operation);
    return false;
}

bool writeInt64(HandlerContext& context, CommandCall& call) {
    if (!isClientKey(call.arg(1))) return refuseKey(context);
    if (!platform::iniWriteString(settingsFile(), call.arg(0), call.arg(1), int64Text(call.int64Arg(2)))) {
        return writeFailed(context, status::kIniWriteInt64Failed);
    }
    return true;
}

bool readInt64(HandlerContext& context, CommandCall& call) {
    if (!isClientKey(call.arg(1))) return refuseKey(context);
    std::int64_t value = call.int64Arg(2);
    std::u16string text = core::readExistingKey(settingsFile(), call.arg(0), call.arg(1)).value_or(u"");
    if (text.empty()) {
        platform::iniWriteString(settingsFile(), call.arg(0), call.arg(1), int64Text(value));
    } else {
        core::scanDecimal(text, &value);  // a value that does not parse leaves the default
    }
    call.addEntry(0, int64Text(value));
    return true;
}

// The text is cut to what the headset's argument could hold, as its buffer size says.
bool writeString(HandlerContext& context, CommandCall& call) {
    if (!isClientKey(call.arg(1))) return refuseKey(context);
    if (!core::writeString(settingsFile(), call.arg(0), call.arg(1), call.arg(2), call.argBytes(2))) {
        return writeFailed(context, status::kIniWriteStringFailed);
    }
    return true;
}

bool readString(HandlerContext& context, CommandCall& call) {
    if (!isClientKey(call.arg(1))) return refuseKey(context);
    std::optional<std::u16string> value = core::readExistingKey(settingsFile(), call.arg(0), call.arg(1));
    if (value) {
        call.addEntry(0, std::move(*value));
    } else {
        platform::iniWriteString(settingsFile(), call.arg(0), call.arg(1), call.arg(2));
        call.addEntry(0, call.arg(2));
    }
    return true;
}

constexpr std::array kRows{
    CommandRow{u"CM_INI_WRITE_INT64", writeInt64, "SECTION KEY VALUE",
               "write a number to the settings file (KEY begins rw.)"},
    CommandRow{u"CM_INI_READ_INT64", readInt64, "SECTION KEY DEFAULT",
               "read a number from the settings file (KEY begins rw.); a missing key gets DEFAULT"},
    CommandRow{u"CM_INI_WRITE_STRING", writeString, "SECTION KEY TEXT",
               "write a text to the settings file (KEY begins rw.)"},
    CommandRow{u"CM_INI_READ_STRING", readString, "SECTION KEY DEFAULT",
               "read a text from the settings file (KEY begins rw.); a missing key gets DEFAULT"},
};

}  // namespace

std::span<const CommandRow> iniCommands() { return kRows; }

}  // namespace tvr::protocol
