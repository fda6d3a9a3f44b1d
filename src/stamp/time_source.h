#pragma once
// Where a file's stamp time comes from: its last-write time, or the date a
// photo or video was taken as its own bytes say, with the last-write time
// where they say none.

#include <optional>
#include <string>

#include "media/date_taken.h"
#include "platform/file_system.h"
#include "stamp/date_time_render.h"

namespace tavrel {

enum class TimeSource {
    kLastWrite,       // the file's last-write time
    kDateTakenFirst,  // the date taken, else the last-write time
};

// A file's stamp time as read, with the identities the reading gave. The time
// is empty when it lies outside what a stamp can show.
struct StampTimeReading {
    std::optional<StampTime> time;
    std::optional<FileIdentity> file;
    std::optional<FileIdentity> folder;
};

// Reads the file's stamp time from the source, with one open of the file.
// Empty when the file cannot be opened for reading (missing, a directory,
// unreadable), whatever the source. With kDateTakenFirst a date taken that a
// stamp cannot show counts as none: the last-write time is taken instead.
std::optional<StampTimeReading> ReadStampTime(const std::string& path, TimeSource source,
                                              FileSystem& file_system);

// The stamp time of a date taken: a local time as written is taken as it
// stands, a moment in UTC converted to local time as file times are. Empty
// when the fields are no date or the stamp cannot show it.
std::optional<StampTime> StampTimeOfDateTaken(const media::DateTaken& taken);

// The media reader's view of an open file's bytes. The first read fetches a
// block of the file's start (a photo's metadata lies there), and later reads
// inside the block cost no further request to the file system.
class BufferedFileBytes : public media::ByteSource {
public:
    explicit BufferedFileBytes(OpenFileBytes& file) : file_(file) {}
    std::size_t ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t size) override;
    std::uint64_t Size() const override { return file_.Size(); }

    // The bytes one request fetches.
    static constexpr std::size_t kBlockSize = 64 * 1024;

private:
    OpenFileBytes& file_;
    std::string block_;
    std::uint64_t block_offset_ = 0;
    bool filled_ = false;
};

}  // namespace tavrel
