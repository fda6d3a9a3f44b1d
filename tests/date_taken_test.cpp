// The date taken as the stamp's time source: how a date the file carries
// becomes a stamp time, how its bytes are fetched, and the program stamping
// samples made by the usual photo and video tools.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <tuple>

#include "media_sample_builder.h"
#include "stamp/stamp_text.h"
#include "stamp/time_source.h"
#include "test_support.h"

namespace tavrel {
namespace {

// A local date taken becomes the stamp time as written, with even seconds and
// its weekday; a year the stamp cannot show gives none. (A movie's UTC time
// goes the way of a file time; the samples below show it in Tokyo time.)
TEST(DateTakenTime, LocalAsWrittenOutsideTheStampNone) {
    struct Case {
        media::CivilTime local;
        const char* stamp;  // empty: no stamp time
        int weekday;
    } cases[] = {
        {{2019, 5, 6, 7, 8, 9}, "20190506-070808_", 1},
        {{2020, 2, 29, 23, 59, 60}, "20200229-235958_", 6},
        {{1979, 12, 31, 23, 59, 59}, "", 0},
        {{2108, 1, 1, 0, 0, 0}, "", 0},
    };
    for (const auto& c : cases) {
        const auto time = StampTimeOfDateTaken({media::DateTaken::Clock::kLocal, c.local, 0});
        ASSERT_EQ(time.has_value(), *c.stamp != '\0') << c.local.year << "-" << c.local.month;
        if (!time) continue;
        EXPECT_EQ(StampTextFor(*time, 2, RegionalFormats::Reference()), c.stamp);
        EXPECT_EQ(time->weekday, c.weekday) << c.stamp;
    }
}

TEST(DateTakenBytes, AFilesStartCostsOneRequestAndEveryReadGetsTheFilesBytes) {
    std::vector<std::uint8_t> bytes(200 * 1024);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
    media::test::BufferSource<OpenFileBytes> file(bytes);
    BufferedFileBytes buffered(file);
    struct Read {
        std::uint64_t offset;
        std::size_t size;
        std::size_t got;
        int requests;  // counted so far
    } reads[] = {
        {0, 2, 2, 1},       {2, 4096, 4096, 1},        {60000, 5536, 5536, 1},
        {65530, 12, 12, 2}, {100000, 70000, 70000, 3}, {204790, 100, 10, 4},
        {204795, 50, 5, 4}, {300000, 4, 0, 5},
    };
    for (const auto& r : reads) {
        std::vector<std::uint8_t> into(r.size);
        EXPECT_EQ(buffered.ReadAt(r.offset, into.data(), r.size), r.got) << r.offset;
        EXPECT_EQ(file.requests, r.requests) << r.offset;
        const auto* from = bytes.data() + std::min<std::size_t>(r.offset, bytes.size());
        EXPECT_TRUE(std::equal(into.begin(), into.begin() + r.got, from)) << r.offset;
    }
}

// The program on the samples of make_samples.sh: each is named by its date
// taken, or by its last-write time where it carries none or the setting is off.
TEST(DateTakenSamples, NamesFromTheDateTakenOrTheLastWriteTime) {
    const test::TempDir dir, home;
    const auto made =
        test::Run({"/bin/sh", TAVREL_SOURCE_DIR "/tests/date_taken/make_samples.sh", dir.path()},
                  {"HOME=" + home.path()});
    if (made.exit_code == 77) GTEST_SKIP() << made.err;
    ASSERT_EQ(made.exit_code, 0) << made.err;
    for (const auto& [name, settings, on] :
         {std::tuple{"on", "StampType:2\r\nDateTaken:1\r\n", true},
          std::tuple{"absent", "StampType:2\r\n", false}}) {
        std::vector<std::string> names;
        std::ifstream expected(dir / "expected");
        for (std::string file, stamp; expected >> file >> stamp;)
            names.push_back((on && stamp != "-" ? stamp : "20120809-101112_") + file);
        std::sort(names.begin(), names.end());
        const std::string copy = dir / name;
        ASSERT_EQ(test::Run({"/bin/cp", "-a", dir / "samples", copy}, {}).exit_code, 0);
        std::ofstream(home / "setup.ini", std::ios::binary) << settings;
        const auto result =
            test::RunTavrel({copy}, "Asia/Tokyo", "C", "", test::CopyTavrelTo(home.path()));
        EXPECT_EQ(result.exit_code, 0) << result.err;
        EXPECT_EQ(test::Names(copy), names) << name;
    }
}

}  // namespace
}  // namespace tavrel
