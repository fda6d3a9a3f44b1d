// Prints the date taken that the media reader finds in each file named on the command line,
// one line per file: "local YYYY:MM:DD HH:MM:SS", "utc YYYY:MM:DD HH:MM:SS" or "none".

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <fstream>

#include "media/date_taken.h"

namespace {

// A file read through an ifstream.
class FileSource : public tavrel::media::ByteSource {
public:
    explicit FileSource(const char* path) : file_(path, std::ios::binary) {
        file_.seekg(0, std::ios::end);
        size_ = file_ ? static_cast<std::uint64_t>(file_.tellg()) : 0;
    }
    std::size_t ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t size) override {
        file_.clear();
        file_.seekg(static_cast<std::streamoff>(offset));
        file_.read(reinterpret_cast<char*>(into), static_cast<std::streamsize>(size));
        return static_cast<std::size_t>(file_.gcount());
    }
    std::uint64_t Size() const override { return size_; }

private:
    std::ifstream file_;
    std::uint64_t size_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    using tavrel::media::DateTaken;
    for (int i = 1; i < argc; ++i) {
        FileSource source(argv[i]);
        const auto date = tavrel::media::ReadDateTaken(source);
        if (!date) {
            std::printf("none\n");
            continue;
        }
        tavrel::media::CivilTime t = date->local;
        if (date->clock == DateTaken::Clock::kUtc) {
            const std::time_t seconds = static_cast<std::time_t>(date->utc_seconds);
            std::tm utc{};
            gmtime_r(&seconds, &utc);
            t = {utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday,
                 utc.tm_hour,        utc.tm_min,     utc.tm_sec};
        }
        std::printf("%s %04d:%02d:%02d %02d:%02d:%02d\n",
                    date->clock == DateTaken::Clock::kUtc ? "utc" : "local", t.year, t.month, t.day,
                    t.hour, t.minute, t.second);
    }
    return 0;
}
