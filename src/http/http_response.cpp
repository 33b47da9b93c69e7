// SPDX-License-Identifier: MIT
#include "http/http_response.h"

#include <array>
#include <cstdio>

#include "platform/utf.h"

namespace tvr::http {

namespace {

// 100 ns units between 1601-01-01 and 1970-01-01.
constexpr std::int64_t kUnixEpochAsFileTime = 116444736000000000;
constexpr std::int64_t kFileTimeUnitsPerSecond = 10000000;

struct CivilDate {
    std::int64_t year;
    int month;  // 1..12
    int day;    // 1..31
};

// Days since 1970-01-01 to a proleptic Gregorian date (H. Hinnant's civil_from_days).
CivilDate civilFromDays(std::int64_t days) {
    days += 719468;
    std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    std::int64_t dayOfEra = days - era * 146097;
    std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    int day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    int month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    return {year, month, day};
}

std::string lastExtension(std::u16string_view path) {
    std::size_t dot = path.find_last_of(u'.');
    std::size_t slash = path.find_last_of(u"/\\");
    if (dot == std::u16string_view::npos || (slash != std::u16string_view::npos && slash > dot)) return {};
    std::string extension = platform::toUtf8(path.substr(dot + 1));
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return extension;
}

std::string commonHeaders(const FileFacts& file, std::u16string_view path) {
    std::string out = "Content-Type: ";
    out += contentTypeFor(path);
    out += "\r\n";
    std::string date = httpDate(file.writeTime);
    if (!date.empty()) out += "Last-Modified: " + date + "\r\n";
    out += "ETag: " + entityTag(file) + "\r\n";
    return out;
}

}  // namespace

std::string_view contentTypeFor(std::u16string_view path) {
    struct Type {
        std::string_view extension;
        std::string_view mediaType;
    };
    static constexpr std::array<Type, 7> kTypes{{{"mp4", "video/mp4"},
                                                 {"m4v", "video/mp4"},
                                                 {"mkv", "video/x-matroska"},
                                                 {"webm", "video/webm"},
                                                 {"mov", "video/quicktime"},
                                                 {"avi", "video/x-msvideo"},
                                                 {"flv", "video/x-flv"}}};
    std::string extension = lastExtension(path);
    for (const Type& type : kTypes) {
        if (type.extension == extension) return type.mediaType;
    }
    return "application/octet-stream";
}

std::string httpDate(platform::FileTime time) {
    if (time < kUnixEpochAsFileTime) return {};
    std::int64_t seconds = (time - kUnixEpochAsFileTime) / kFileTimeUnitsPerSecond;
    std::int64_t days = seconds / 86400;
    std::int64_t secondOfDay = seconds % 86400;
    CivilDate date = civilFromDays(days);
    if (date.year > 9999) return {};
    static constexpr std::array<const char*, 7> kWeekdays{"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
    static constexpr std::array<const char*, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char text[40];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kWeekdays[days % 7], date.day,
                  kMonths[date.month - 1], static_cast<int>(date.year), static_cast<int>(secondOfDay / 3600),
                  static_cast<int>(secondOfDay / 60 % 60), static_cast<int>(secondOfDay % 60));
    return text;
}

std::string entityTag(const FileFacts& file) {
    char text[48];
    std::snprintf(text, sizeof text, "\"%llx-%llx\"", static_cast<unsigned long long>(file.size),
                  static_cast<unsigned long long>(file.writeTime));
    return text;
}

std::string successHeader(const FileFacts& file, std::int64_t start, std::u16string_view path) {
    char text[256];
    if (start == 0) {
        std::snprintf(text, sizeof text, "HTTP/1.1 200 OK\r\nContent-Length: %lld\r\nAccept-Ranges: bytes\r\n",
                      static_cast<long long>(file.size));
    } else {
        std::snprintf(text, sizeof text,
                      "HTTP/1.1 206 Partial Content\r\nAccept-Ranges: bytes\r\n"
                      "Content-Range: bytes %lld-%lld/%lld\r\nContent-Length: %lld\r\n",
                      static_cast<long long>(start), static_cast<long long>(file.size - 1),
                      static_cast<long long>(file.size), static_cast<long long>(file.size - start));
    }
    return text + commonHeaders(file, path) + "\r\n";
}

std::string notFoundHeader() { return "HTTP/1.1 404 File Not Find\r\nContent-Length: 0\r\n\r\n"; }

std::string rangeNotSatisfiableHeader(std::int64_t size) {
    char text[128];
    std::snprintf(text, sizeof text,
                  "HTTP/1.1 416 Range Not Satisfiable\r\nContent-Range: bytes */%lld\r\nContent-Length: 0\r\n\r\n",
                  static_cast<long long>(size));
    return text;
}

}  // namespace tvr::http
