// The date taken read from photo and movie structures built in memory: what the tools of
// tests/date_taken/make_samples.sh cannot make, and blocks broken, cut short or pointing outside.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "media/date_taken.h"
#include "media_sample_builder.h"

namespace tavrel::media {
namespace {

using namespace test;

constexpr const char* kShot = "2019:06:01 14:03:22";
constexpr const char* kScanned = "2020:02:29 23:59:59";
// 2019-06-01 12:03:22 UTC in seconds since 1904, and as the reader tells it.
constexpr std::uint64_t kUtc1904 = 3642235402;
const std::string kUtc = "utc 1559390602";

// "YYYY:MM:DD HH:MM:SS" of a local date, "utc N" of a movie header time, "none".
std::string DateOf(Bytes file) {
    BufferSource<> source(std::move(file));
    const auto date = ReadDateTaken(source);
    if (!date) return "none";
    if (date->clock == DateTaken::Clock::kUtc) return "utc " + std::to_string(date->utc_seconds);
    char text[32];
    const CivilTime& t = date->local;
    std::snprintf(text, sizeof text, "%04d:%02d:%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

struct Row {
    const char* name;
    Bytes file;
    std::string expected;
};

// The containers and dates the sample tools cannot make; an impossible
// DateTimeOriginal gives way to DateTimeDigitized.
TEST(MediaDateTaken, EveryContainerGivesItsDate) {
    const auto jpeg = [](const char* original, const char* digitized) {
        return MakeJpeg(MakeTiff({"", original, digitized}));
    };
    const Bytes ftyp = Box("ftyp", Text("qt  "));
    const auto movie = [&](Bytes moov, Bytes mdat = Box("mdat", Bytes(100, 0))) {
        return Concat({ftyp, mdat, Box("moov", moov)});
    };
    const Row rows[] = {
        {"orf", MakeTiff({"", kShot, ""}, true, "IIRO"), kShot},
        {"orf, big-endian", MakeTiff({"", kShot, ""}, false, "MMOR"), kShot},
        {"rw2", MakeTiff({"", kShot, ""}, true, std::string("IIU\0", 4)), kShot},
        {"png, exif prefix", MakePng(Concat({kExifPrefix, MakeTiff({"", kShot, ""}, false)})),
         kShot},
        {"cr3, exif before the movie header",
         MakeCr3(MakeTiff({"", kShot, ""}, true, "", true), MovieHeader(kUtc1904)), kShot},
        {"zero keys date",
         movie(Concat({MovieHeader(kUtc1904), KeysMeta("0000-00-00T00:00:00+0000")})), kUtc},
        {"mvhd version 1", movie(MovieHeader(kUtc1904, 1)), kUtc},
        {"mdat of 64-bit size", movie(MovieHeader(kUtc1904), Box("mdat", Bytes(100, 0), true)),
         kUtc},
        {"last box to the end",
         Concat(
             {ftyp, Box("moov", MovieHeader(kUtc1904)), Box("mdat", Bytes(100, 0), false, true)}),
         kUtc},
        {"blank original", jpeg("    :  :     :  :  ", kScanned), kScanned},
        {"month 13", jpeg("2019:13:01 14:03:22", kScanned), kScanned},
        {"hour 24", jpeg("2019:06:01 24:00:00", kScanned), kScanned},
        {"february 29 off a leap year", jpeg("2019:02:29 14:03:22", ""), "none"},
        {"cut short", jpeg("2019:06:01 14:03", ""), "none"},
    };
    for (const auto& row : rows) EXPECT_EQ(DateOf(row.file), row.expected) << row.name;
}

// A movie whose header follows megabytes of media data is read by its box headers alone.
TEST(MediaDateTaken, ReadsNoMoreThanTheHeaders) {
    BufferSource<> movie(Concat({Box("ftyp", Text("isom")), Box("mdat", Bytes(4 << 20, 0)),
                                 Box("moov", MovieHeader(kUtc1904))}));
    ASSERT_TRUE(ReadDateTaken(movie));
    EXPECT_LT(movie.bytes_read, 70'000u);
}

// Offsets and sizes that point outside their block, and blocks cut short: no date, no read
// outside the buffer (the sanitizer build checks that).
TEST(MediaDateTaken, BrokenBlocksGiveNoDate) {
    const Bytes tiff = MakeTiff({"", kShot, ""});
    const auto patched = [](Bytes bytes, std::size_t at, std::initializer_list<std::uint8_t> with) {
        std::copy(with.begin(), with.end(), bytes.begin() + at);
        return bytes;
    };
    const Bytes jpeg = MakeJpeg(tiff);
    const std::size_t tiff_in_jpeg = 30;  // SOI, APP0 (18 bytes), APP1 header and "Exif\0\0"
    const Bytes heif = MakeHeif(tiff);
    ASSERT_EQ(DateOf(heif), kShot);
    const Row rows[] = {
        {"exif pointer outside the block", patched(tiff, 18, {0xF0, 0xFF, 0, 0}), "none"},
        {"date text outside the block", patched(tiff, 36, {0xF0, 0xFF, 0, 0}), "none"},
        {"ifd count past the block", patched(tiff, 26, {0xFF, 0x03}), "none"},
        {"ifd0 outside the block", patched(tiff, 4, {0xFF, 0xFF, 0xFF, 0xFF}), "none"},
        {"app1 longer than the file", patched(jpeg, tiff_in_jpeg - 8, {0xFF, 0xFF}), "none"},
        {"app1 length below its own size", patched(jpeg, tiff_in_jpeg - 8, {0, 1}), "none"},
        {"jpeg cut inside the exif block", Bytes(jpeg.begin(), jpeg.begin() + tiff_in_jpeg + 40),
         "none"},
        {"heif cut before its exif item", Bytes(heif.begin(), heif.end() - tiff.size()), "none"},
        {"box smaller than its header",
         Concat({Box("ftyp", Text("isom")), Bytes{0, 0, 0, 4, 'm', 'o', 'o', 'v'}}), "none"},
        {"empty file", {}, "none"},
    };
    for (const auto& row : rows) EXPECT_EQ(DateOf(row.file), row.expected) << row.name;
}

}  // namespace
}  // namespace tavrel::media
