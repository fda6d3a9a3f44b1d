#include "stamp/time_source.h"

#include <algorithm>
#include <cstring>

#include "media/date_text.h"
#include "stamp/stamp_text.h"

namespace tavrel {
namespace {

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar.
std::int64_t DaysSinceEpoch(int year, int month, int day) {
    const int y = month <= 2 ? year - 1 : year;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int year_of_era = y - era * 400;
    const int day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return static_cast<std::int64_t>(era) * 146097 + day_of_era - 719468;
}

std::optional<StampTime> StampTimeOfCivil(const media::CivilTime& civil) {
    // The stamp's range and real dates, as for file times; a leap second
    // counts as the second before it.
    if (civil.second > 60) return std::nullopt;
    media::CivilTime date = civil;
    date.second = std::min(civil.second, 59);
    if (!media::IsUsableDate(date)) return std::nullopt;
    StampTime time;
    time.year = civil.year;
    time.month = civil.month;
    time.day = civil.day;
    time.hour = civil.hour;
    time.minute = civil.minute;
    // Even seconds, as for file times.
    time.second = date.second & ~1;
    // 1970-01-01 was a Thursday (4); the days counted are never negative here.
    time.weekday = static_cast<int>((DaysSinceEpoch(civil.year, civil.month, civil.day) + 4) % 7);
    return time;
}

}  // namespace

std::optional<StampTime> StampTimeOfDateTaken(const media::DateTaken& taken) {
    if (taken.clock == media::DateTaken::Clock::kUtc) return ToStampTime(taken.utc_seconds);
    return StampTimeOfCivil(taken.local);
}

std::optional<StampTimeReading> ReadStampTime(const std::string& path, TimeSource source,
                                              FileSystem& file_system) {
    std::optional<StampTime> taken;
    std::optional<TimeReading> reading;
    if (source == TimeSource::kDateTakenFirst) {
        reading = file_system.ReadTimeAndBytes(path, [&taken](OpenFileBytes& file) {
            BufferedFileBytes bytes(file);
            if (const auto date = media::ReadDateTaken(bytes)) taken = StampTimeOfDateTaken(*date);
        });
    } else {
        reading = file_system.ReadTimeAndIdentity(path);
    }
    if (!reading) return std::nullopt;
    StampTimeReading result{taken ? taken : ToStampTime(reading->last_write), reading->file,
                            reading->folder};
    return result;
}

std::size_t BufferedFileBytes::ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t size) {
    // A block that reaches the file's end serves every read that starts in it.
    const auto in_block = [&] {
        if (!filled_ || offset < block_offset_ || offset - block_offset_ > block_.size())
            return false;
        return size <= block_.size() - (offset - block_offset_) ||
               block_offset_ + block_.size() >= file_.Size();
    };
    if (!in_block()) {
        // A read larger than a block goes straight to the file.
        if (size > kBlockSize) return file_.ReadAt(offset, into, size);
        // No more than the file holds: a small photo costs no block's worth
        // of memory to clear.
        const std::uint64_t left = offset < file_.Size() ? file_.Size() - offset : 0;
        const std::size_t wanted = static_cast<std::size_t>(
            std::min<std::uint64_t>(kBlockSize, std::max<std::uint64_t>(left, size)));
        block_.resize(wanted);
        const std::size_t got =
            file_.ReadAt(offset, reinterpret_cast<std::uint8_t*>(block_.data()), wanted);
        block_.resize(got);
        block_offset_ = offset;
        filled_ = true;
    }
    const std::size_t start = static_cast<std::size_t>(offset - block_offset_);
    const std::size_t copied = std::min(size, block_.size() - start);
    if (copied > 0) std::memcpy(into, block_.data() + start, copied);
    return copied;
}

}  // namespace tavrel
