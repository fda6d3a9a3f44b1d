#include "stamp/stamp_text.h"

#include <algorithm>
#include <ctime>

#include "base/split_fields.h"
#include "base/utf8.h"
#include "platform/local_time.h"
#include "platform/name_rules.h"
#include "stamp/date_conversion_error.h"

namespace tavrel {
namespace {

std::string JoinFields(const std::vector<std::string>& fields, std::string_view joint) {
    std::string work;
    std::size_t length = fields.empty() ? 0 : joint.size() * (fields.size() - 1);
    for (const auto& field : fields) length += field.size();
    work.reserve(length);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) work += joint;
        work += fields[i];
    }
    return work;
}

std::size_t FieldsRead(int stamp_type) {
    return stamp_type >= 2 ? 4 : stamp_type == 1 ? 3 : 0;
}

}  // namespace

std::optional<StampTime> ToStampTime(std::int64_t utc_seconds) {
    std::tm local{};
    if (!ToLocalTime(utc_seconds, local)) return std::nullopt;
    const long year = static_cast<long>(local.tm_year) + 1900;
    if (year < 1980 || year > 2107) return std::nullopt;
    StampTime time;
    time.year = static_cast<int>(year);
    time.month = local.tm_mon + 1;
    time.day = local.tm_mday;
    time.hour = local.tm_hour;
    time.minute = local.tm_min;
    // A leap second (60) cannot be stored either; it rounds down like odd seconds.
    time.second = std::min(local.tm_sec, 59) & ~1;
    time.weekday = local.tm_wday;
    return time;
}

std::vector<std::string> StampFields(std::string_view date_time_text) {
    const std::string pass1 = JoinFields(SplitFields(date_time_text, ','), "/-/");
    const std::string pass2 = JoinFields(SplitFields(pass1, ':'), "/");
    return SplitFields(pass2, '/');
}

std::string AssembleStampText(const std::vector<std::string>& fields, int stamp_type) {
    std::string stamp;
    if (stamp_type < 1) return stamp;
    auto field = [&](std::size_t i) -> const std::string& {
        static const std::string kEmpty;
        return i < fields.size() ? fields[i] : kEmpty;
    };
    stamp += field(0);
    stamp += field(1);
    stamp += field(2);
    if (stamp_type >= 2) {
        stamp += field(3);
        for (std::size_t i = 4; i < fields.size(); ++i) {
            if (Utf16Length(fields[i]) == 1) stamp += '0';
            stamp += fields[i];
        }
    }
    stamp += '_';
    return stamp;
}

std::string StampTextByPasses(const StampTime& time, int stamp_type,
                              const RegionalFormats& formats) {
    if (stamp_type < 1) return {};
    auto fields = StampFields(RenderDateTime(time, formats));
    if (fields.size() < FieldsRead(stamp_type))
        fields = StampFields(RenderDateTime(time, formats, /*always_with_time=*/true));
    std::string stamp = AssembleStampText(fields, stamp_type);
    std::replace_if(
        stamp.begin(), stamp.end(),
        [](char c) { return kForbiddenNameCharacters.find(c) != std::string_view::npos; }, '-');
    return stamp;
}

bool RendersPlainDigits(const RegionalFormats& formats) {
    if (formats.short_date_pattern != "yyyy/MM/dd" || formats.date_separator != "/" ||
        formats.time_separator != ":")
        return false;
    const std::string time_pattern = LongTimePattern(formats);
    return time_pattern == "h:mm:ss" || time_pattern == "hh:mm:ss";
}

std::string StampTextFor(const StampTime& time, int stamp_type, const RegionalFormats& formats) {
    if (stamp_type < 1 || !RendersPlainDigits(formats))
        return StampTextByPasses(time, stamp_type, formats);
    // "yyyy/MM/dd h:mm:ss" goes through the passes as the fields year, month,
    // day, "-", hour, minute, second, the one-digit hour led by "0": the stamp
    // is the digits themselves. Written directly, since this runs once a file.
    char text[17];
    auto two = [&](char* at, int value) {
        at[0] = static_cast<char>('0' + value / 10 % 10);
        at[1] = static_cast<char>('0' + value % 10);
    };
    two(text, time.year / 100);
    two(text + 2, time.year % 100);
    two(text + 4, time.month);
    two(text + 6, time.day);
    if (stamp_type == 1) {
        text[8] = '_';
        return std::string(text, 9);
    }
    text[8] = '-';
    two(text + 9, time.hour);
    two(text + 11, time.minute);
    two(text + 13, time.second);
    text[15] = '_';
    return std::string(text, 16);
}

std::string MakeStampText(const std::string& path, int stamp_type, FileSystem& file_system,
                          const RegionalFormats& formats) {
    const auto last_write = file_system.ReadLastWriteTime(path);
    if (!last_write) throw DateConversionError();
    const auto time = ToStampTime(*last_write);
    if (!time) throw DateConversionError();
    return StampTextFor(*time, stamp_type, formats);
}

std::optional<std::string> StampTextForLastWrite(std::int64_t last_write, int stamp_type,
                                                 const RegionalFormats& formats) {
    const auto time = ToStampTime(last_write);
    if (!time) return std::nullopt;
    return StampTextFor(*time, stamp_type, formats);
}

}  // namespace tavrel
