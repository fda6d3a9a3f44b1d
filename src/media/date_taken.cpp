#include "media/date_taken.h"

namespace tavrel::media {

std::optional<DateTaken> ReadDateTaken(ByteSource&) {
    return std::nullopt;
}

}  // namespace tavrel::media
