#pragma once
// Renaming one file: stamp text, name analysis, collision search, and the rename
// that never replaces anything.

#include <optional>
#include <string>

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/regional_formats.h"
#include "stamp/time_source.h"

namespace tavrel {

// What StampFile needs from the outside world.
struct StampContext {
    FileSystem& file_system;
    const RegionalFormats& formats;
    Clock& clock;
    // Where each file's time comes from.
    TimeSource time_source = TimeSource::kLastWrite;
};

// A file's stamp text read from the context's time source, with the
// identities the reading gave. The stamp is empty where the time lies outside
// what a stamp can show.
struct StampTextReading {
    std::optional<std::string> stamp;
    std::optional<FileIdentity> file;
    std::optional<FileIdentity> folder;
};

// Reads the file's time from the context's time source and makes its stamp
// text. Empty when the file cannot be opened for reading.
std::optional<StampTextReading> ReadStampText(const std::string& path, int stamp_type,
                                              const StampContext& context);

// Gives the file at path its stamped name and returns the path it bears
// afterwards: the new path after a successful rename, the given path when the
// name already carries the wanted stamp, when no rename was wanted, or when the
// file system refused the rename. Raises DateConversionError (from the stamp
// text) before anything has changed when the file's time cannot be read.
std::string StampFile(const std::string& path, int stamp_type, const StampContext& context);

// StampFile's second half: the rename, for a file whose stamp text is known
// (MakeStampText). Returns the path the file bears afterwards.
std::string GiveStampedName(const std::string& path, const std::string& stamp,
                            const StampContext& context);

}  // namespace tavrel
