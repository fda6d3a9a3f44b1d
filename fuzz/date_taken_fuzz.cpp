// The date-taken reader on any bytes taken as a file. Properties: it reads only inside the file,
// the same bytes give the same answer, and a date it gives is one a stamp can show (a local date
// with fields that exist, or a movie time that is neither 1904 nor the Unix epoch).

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz_check.h"
#include "media/date_taken.h"

namespace {

// The input as a file; every read must lie inside it.
class InputSource : public tavrel::media::ByteSource {
public:
    InputSource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::size_t ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t size) override {
        TAVREL_FUZZ_CHECK(offset <= size_ && size <= size_ - offset);
        if (size != 0) std::memcpy(into, data_ + offset, size);
        return size;
    }
    std::uint64_t Size() const override { return size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

bool SameDate(const std::optional<tavrel::media::DateTaken>& a,
              const std::optional<tavrel::media::DateTaken>& b) {
    if (!a || !b) return !a && !b;
    if (a->clock != b->clock) return false;
    if (a->clock == tavrel::media::DateTaken::Clock::kUtc) return a->utc_seconds == b->utc_seconds;
    const auto& x = a->local;
    const auto& y = b->local;
    return x.year == y.year && x.month == y.month && x.day == y.day && x.hour == y.hour &&
           x.minute == y.minute && x.second == y.second;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InputSource source(data, size);
    const auto date = tavrel::media::ReadDateTaken(source);
    InputSource again(data, size);
    TAVREL_FUZZ_CHECK(SameDate(date, tavrel::media::ReadDateTaken(again)));
    if (!date) return 0;
    if (date->clock == tavrel::media::DateTaken::Clock::kUtc) {
        TAVREL_FUZZ_CHECK(date->utc_seconds != 0 && date->utc_seconds != -2082844800);
        return 0;
    }
    const auto& t = date->local;
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    TAVREL_FUZZ_CHECK(t.year >= 1980 && t.year <= 2107 && t.month >= 1 && t.month <= 12);
    TAVREL_FUZZ_CHECK(t.day >= 1 && t.day <= kDays[t.month - 1]);
    TAVREL_FUZZ_CHECK(t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 &&
                      t.second >= 0 && t.second <= 59);
    return 0;
}
