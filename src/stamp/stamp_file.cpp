#include "stamp/stamp_file.h"

#include "base/utf8.h"
#include "stamp/collision_tag.h"
#include "stamp/date_conversion_error.h"
#include "stamp/file_name.h"
#include "stamp/stamp_text.h"

namespace tavrel {

std::optional<StampTextReading> ReadStampText(const std::string& path, int stamp_type,
                                              const StampContext& context) {
    const auto reading = ReadStampTime(path, context.time_source, context.file_system);
    if (!reading) return std::nullopt;
    StampTextReading result{std::nullopt, reading->file, reading->folder};
    if (reading->time) result.stamp = StampTextFor(*reading->time, stamp_type, context.formats);
    return result;
}

std::string StampFile(const std::string& path, int stamp_type, const StampContext& context) {
    if (context.time_source == TimeSource::kLastWrite)
        return GiveStampedName(
            path, MakeStampText(path, stamp_type, context.file_system, context.formats), context);
    const auto reading = ReadStampText(path, stamp_type, context);
    if (!reading || !reading->stamp) throw DateConversionError();
    return GiveStampedName(path, *reading->stamp, context);
}

std::string GiveStampedName(const std::string& path, const std::string& stamp,
                            const StampContext& context) {
    SplitPath split = SplitPath::Of(path);
    // Only a base name of 9 or more characters is analysed, counted in UTF-16
    // code units: a shorter one is stamped even when it begins with the stamp
    // and "_" (possible with short stamps and names beyond ASCII).
    if (split.base_name.size() >= 9 && Utf16Length(split.base_name) >= 9) {
        if (IsAlreadyStamped(split.base_name, stamp)) return path;
        split.base_name.erase(0, RecognisedStampLength(split.base_name));
    }

    std::string collision_tag;
    std::string candidate = split.Compose(stamp, collision_tag);
    // The file already bears the name it is to have: renaming it onto itself
    // could only be refused, so it is not asked for.
    if (candidate == path) return path;

    // No limit on attempts: every attempt draws six fresh symbols from a clock
    // that moves on every nanosecond, and the tag is replaced, never lengthened.
    for (;;) {
        switch (context.file_system.RenameUnlessTaken(path, candidate)) {
        case RenameOutcome::kRenamed:
            return candidate;
        case RenameOutcome::kRefused:
            return path;
        case RenameOutcome::kTaken:
            collision_tag = NewCollisionTag(context.clock);
            candidate = split.Compose(stamp, collision_tag);
            break;
        }
    }
}

}  // namespace tavrel
