// The date taken read from photo and movie structures built in memory: every container, the
// order of the sources, and blocks that are broken, cut short or point outside themselves.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "media/date_taken.h"
#include "media_sample_builder.h"

namespace tavrel::media {
namespace {

using test::Box;
using test::Bytes;
using test::Concat;
using test::ExifTags;
using test::MakeTiff;

constexpr const char* kShot = "2019:06:01 14:03:22";
constexpr const char* kScanned = "2020:02:29 23:59:59";
// 2019-06-01 12:03:22 UTC in seconds since 1904 and since 1970.
constexpr std::uint64_t kUtc1904 = 3642235402;
constexpr std::int64_t kUtc1970 = 1559390602;

std::optional<DateTaken> Read(Bytes bytes) {
    test::BufferSource source(std::move(bytes));
    return ReadDateTaken(source);
}

// "YYYY:MM:DD HH:MM:SS" of a local date, "utc N" of a movie header time, "none".
std::string Describe(const std::optional<DateTaken>& date) {
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

void ExpectRows(const std::vector<Row>& rows) {
    for (const auto& row : rows) EXPECT_EQ(Describe(Read(row.file)), row.expected) << row.name;
}

TEST(MediaDateTaken, EveryContainerGivesTheExifDate) {
    const Bytes little = MakeTiff({"2023:01:01 00:00:00", kShot, kScanned});
    const Bytes big = MakeTiff({"", kShot, ""}, false);
    ExpectRows({
        {"jpeg, little-endian", test::MakeJpeg(little), kShot},
        {"jpeg, big-endian", test::MakeJpeg(big), kShot},
        {"tiff, little-endian", little, kShot},
        {"tiff, big-endian", big, kShot},
        {"orf", MakeTiff({"", kShot, ""}, true, std::string("IIRO")), kShot},
        {"orf, big-endian", MakeTiff({"", kShot, ""}, false, std::string("MMOR")), kShot},
        {"rw2", MakeTiff({"", kShot, ""}, true, std::string("IIU\0", 4)), kShot},
        {"png", test::MakePng(big), kShot},
        {"png, exif prefix", test::MakePng(Concat({test::Text(std::string("Exif\0\0", 6)), big})),
         kShot},
        {"webp", test::MakeWebp(little), kShot},
        {"heif", test::MakeHeif(big), kShot},
        {"cr3",
         test::MakeCr3(MakeTiff({"", kShot, ""}, true, "", true), test::MovieHeader(kUtc1904)),
         kShot},
    });
}

TEST(MediaDateTaken, FirstUsableExifTagWins) {
    const auto jpeg = [](ExifTags tags) { return test::MakeJpeg(MakeTiff(tags)); };
    ExpectRows({
        {"original before digitized", jpeg({"", kShot, kScanned}), kShot},
        {"only digitized", jpeg({"", "", kScanned}), kScanned},
        {"zero original", jpeg({"", "0000:00:00 00:00:00", kScanned}), kScanned},
        {"blank original", jpeg({"", "    :  :     :  :  ", kScanned}), kScanned},
        {"month 13", jpeg({"", "2019:13:01 14:03:22", kScanned}), kScanned},
        {"february 30", jpeg({"", "2019:02:30 14:03:22", kScanned}), kScanned},
        {"february 29 off a leap year", jpeg({"", "2019:02:29 14:03:22", ""}), "none"},
        {"hour 24", jpeg({"", "2019:06:01 24:00:00", kScanned}), kScanned},
        {"before the stamp's years", jpeg({"", "1975:06:01 14:03:22", kScanned}), kScanned},
        {"cut short", jpeg({"", "2019:06:01 14:03", ""}), "none"},
        {"only ifd0 date time", jpeg({kShot, "", ""}), "none"},
    });
}

TEST(MediaDateTaken, MovieKeysDateThenHeaderTime) {
    const Bytes ftyp = Box("ftyp", test::Text("qt  "));
    const auto movie = [&](Bytes moov_children) {
        return Concat({ftyp, Box("mdat", Bytes(100, 0)), Box("moov", moov_children)});
    };
    ExpectRows({
        {"keys date before mvhd",
         movie(Concat({test::MovieHeader(kUtc1904), test::KeysMeta("2019-06-01T14:03:22+0200")})),
         kShot},
        {"zero keys date",
         movie(Concat({test::MovieHeader(kUtc1904), test::KeysMeta("0000-00-00T00:00:00+0000")})),
         "utc " + std::to_string(kUtc1970)},
        {"mvhd version 0", movie(test::MovieHeader(kUtc1904)), "utc " + std::to_string(kUtc1970)},
        {"mvhd version 1", movie(test::MovieHeader(kUtc1904, 1)),
         "utc " + std::to_string(kUtc1970)},
        {"mvhd of 1904", movie(test::MovieHeader(0)), "none"},
        {"mvhd of the unix epoch", movie(test::MovieHeader(2082844800)), "none"},
        {"mdat of 64-bit size",
         Concat({ftyp, Box("mdat", Bytes(100, 0), true), Box("moov", test::MovieHeader(kUtc1904))}),
         "utc " + std::to_string(kUtc1970)},
        {"last box to the end",
         Concat({ftyp, Box("moov", test::MovieHeader(kUtc1904)),
                 Box("mdat", Bytes(100, 0), false, true)}),
         "utc " + std::to_string(kUtc1970)},
    });
}

// A movie whose header follows megabytes of media data is read by its box headers alone.
TEST(MediaDateTaken, ReadsNoMoreThanTheHeaders) {
    test::BufferSource movie(
        Concat({Box("ftyp", test::Text("isom")), Box("mdat", Bytes(4 << 20, 0)),
                Box("moov", test::MovieHeader(kUtc1904))}));
    EXPECT_EQ(Describe(ReadDateTaken(movie)), "utc " + std::to_string(kUtc1970));
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
    const Bytes jpeg = test::MakeJpeg(tiff);
    const std::size_t tiff_in_jpeg = 30;  // SOI, APP0 (18 bytes), APP1 header and "Exif\0\0"
    const Bytes heif = test::MakeHeif(tiff);
    ExpectRows({
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
         Concat({Box("ftyp", test::Text("isom")), Bytes{0, 0, 0, 4, 'm', 'o', 'o', 'v'}}), "none"},
        {"empty file", {}, "none"},
        {"plain text", test::Text("not a photo at all"), "none"},
    });
}

}  // namespace
}  // namespace tavrel::media
