// Local time on Windows: the UTC time is converted with the time-zone rules in
// force at that very moment (SystemTimeToTzSpecificLocalTime), not with today's
// offset as FileTimeToLocalFileTime would, then through FileTimeToDosDateTime,
// whose range (1980-2107) and two-second resolution the stamp keeps. Where the
// zone has rules by year (dynamic daylight saving time), the rules of the
// file's own year are used.

#include "platform/local_time.h"

#include <windows.h>

namespace tavrel {
namespace {

constexpr std::int64_t kEpochDifference = 11644473600;  // 1601-01-01 to 1970-01-01
constexpr std::int64_t kTicksPerSecond = 10000000;

// The local time of a UTC time, with the zone's rules for that year where the
// system keeps rules by year (GetTimeZoneInformationForYear), else with its
// current rules.
bool ToZoneTime(const SYSTEMTIME& utc, SYSTEMTIME& local) {
    DYNAMIC_TIME_ZONE_INFORMATION zone;
    TIME_ZONE_INFORMATION for_year;
    const bool by_year = ::GetDynamicTimeZoneInformation(&zone) != TIME_ZONE_ID_INVALID &&
                         ::GetTimeZoneInformationForYear(utc.wYear, &zone, &for_year);
    return ::SystemTimeToTzSpecificLocalTime(by_year ? &for_year : nullptr, &utc, &local) != FALSE;
}

}  // namespace

bool ToLocalTime(std::int64_t utc_seconds, std::tm& local) {
    // FILETIME counts unsigned 100 ns ticks from 1601; leave room for the ticks.
    if (utc_seconds < -kEpochDifference ||
        utc_seconds > INT64_MAX / kTicksPerSecond - kEpochDifference)
        return false;
    const auto ticks =
        static_cast<std::uint64_t>((utc_seconds + kEpochDifference) * kTicksPerSecond);
    const FILETIME utc_file_time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utc;
    SYSTEMTIME local_time;
    FILETIME local_file_time;
    WORD dos_date = 0;
    WORD dos_time = 0;
    if (!::FileTimeToSystemTime(&utc_file_time, &utc) || !ToZoneTime(utc, local_time) ||
        !::SystemTimeToFileTime(&local_time, &local_file_time) ||
        !::FileTimeToDosDateTime(&local_file_time, &dos_date, &dos_time))
        return false;
    // The DOS date holds years 1980 to 2107 only; a conversion that quietly
    // wrapped around would give another year, so the year is checked too.
    const int year = 1980 + (dos_date >> 9);
    if (year != local_time.wYear) return false;
    local = std::tm{};
    local.tm_year = year - 1900;
    local.tm_mon = ((dos_date >> 5) & 0x0F) - 1;
    local.tm_mday = dos_date & 0x1F;
    local.tm_hour = dos_time >> 11;
    local.tm_min = (dos_time >> 5) & 0x3F;
    local.tm_sec = (dos_time & 0x1F) * 2;
    local.tm_wday = local_time.wDayOfWeek;
    return true;
}

}  // namespace tavrel
