#pragma once
// The stamp text: the prefix a file's new name begins with, built by rendering its
// last-write time and cutting and re-joining the rendered text.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/regional_formats.h"
#include "stamp/date_time_render.h"

namespace tavrel {

// Converts a last-write time (seconds since the epoch, UTC) to the stamp time:
// local time with the offset in force at that moment, seconds rounded down to
// even. Empty outside 1980-01-01 00:00:00 .. 2107-12-31 23:59:59 local time.
std::optional<StampTime> ToStampTime(std::int64_t utc_seconds);

// The three passes: "," boundaries become "-" fields, then ":" and "/" become
// plain field boundaries.
std::vector<std::string> StampFields(std::string_view date_time_text);

// Joins fields into a stamp: nothing for types below 1; fields 0-2 and "_" for
// type 1; for type 2 and above also field 3 and every later field, one-character
// fields led by "0". Missing fields count as empty.
std::string AssembleStampText(const std::vector<std::string>& fields, int stamp_type);

// The stamp text for a time. When the rendered text has fewer fields than the
// stamp type reads (three for type 1, four for type 2) - as at exactly midnight,
// where the date is rendered alone - the time is rendered as at any other moment
// and the passes run again, so a midnight stamp has the same shape as every
// other ("20110914-000000_"). No character a file name cannot hold (see
// kForbiddenNameCharacters: "/" on Linux, \ / : * ? " < > | on Windows) can
// remain in the result: each is replaced by "-", so a stamp never moves a file
// into another directory or makes its rename fail.
std::string StampTextFor(const StampTime& time, int stamp_type, const RegionalFormats& formats);

// StampTextFor by rendering and the passes, whatever the formats. StampTextFor
// writes the digits directly where the formats render the date and time as
// "yyyy/MM/dd h:mm:ss" (or "hh:mm:ss"), the reference settings among them: the
// passes would give just those digits.
std::string StampTextByPasses(const StampTime& time, int stamp_type,
                              const RegionalFormats& formats);
bool RendersPlainDigits(const RegionalFormats& formats);

// Reads the file's last-write time and returns its stamp text; raises
// DateConversionError when the file cannot be opened for reading (missing, a
// directory, unreadable) or its time lies outside the stamp's range. The file is
// read for every stamp type, 0 and -1 included.
std::string MakeStampText(const std::string& path, int stamp_type, FileSystem& file_system,
                          const RegionalFormats& formats);

// The stamp text for a last-write time read already; empty where MakeStampText
// would raise DateConversionError (the time lies outside the stamp's range).
std::optional<std::string> StampTextForLastWrite(std::int64_t last_write, int stamp_type,
                                                 const RegionalFormats& formats);

}  // namespace tavrel
