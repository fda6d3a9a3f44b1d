// The date taken as the stamp's time source: how a date the file carries
// becomes a stamp time, how its bytes are fetched, and the program stamping
// samples made by the usual photo and video tools.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>

#include "stamp/stamp_text.h"
#include "stamp/time_source.h"
#include "test_support.h"

namespace tavrel {
namespace {

using Clock = media::DateTaken::Clock;

// Sets TZ for one test and puts UTC back after it.
struct ZoneForTest {
    explicit ZoneForTest(const char* zone) {
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ZoneForTest() {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
};

TEST(DateTakenTime, LocalAsWrittenUtcAsFileTimesOutsideTheStampNone) {
    const ZoneForTest zone("Europe/Berlin");
    struct Case {
        const char* name;
        media::DateTaken taken;
        const char* stamp;  // empty: no stamp time
        int weekday;
    } cases[] = {
        {"LocalNotShifted", {Clock::kLocal, {2019, 5, 6, 7, 8, 9}, 0}, "20190506-070808_", 1},
        {"UtcInSummer",
         {Clock::kUtc, {}, test::UtcSeconds(2011, 7, 15, 8, 0, 1)},
         "20110715-100000_",
         5},
        {"UtcInWinter",
         {Clock::kUtc, {}, test::UtcSeconds(2011, 1, 15, 8, 0, 0)},
         "20110115-090000_",
         6},
        {"LeapDay", {Clock::kLocal, {2020, 2, 29, 23, 59, 60}, 0}, "20200229-235958_", 6},
        {"NoLeapDay", {Clock::kLocal, {2019, 2, 29, 12, 0, 0}, 0}, "", 0},
        {"BeforeTheStamp", {Clock::kLocal, {1979, 12, 31, 23, 59, 59}, 0}, "", 0},
        {"AfterTheStamp", {Clock::kLocal, {2108, 1, 1, 0, 0, 0}, 0}, "", 0},
        {"UtcBeforeTheStamp", {Clock::kUtc, {}, test::UtcSeconds(1979, 12, 31, 22, 0, 0)}, "", 0},
        {"HourOutOfRange", {Clock::kLocal, {2019, 5, 6, 24, 0, 0}, 0}, "", 0},
    };
    for (const auto& c : cases) {
        const auto time = StampTimeOfDateTaken(c.taken);
        ASSERT_EQ(time.has_value(), *c.stamp != '\0') << c.name;
        if (!time) continue;
        EXPECT_EQ(StampTextFor(*time, 2, RegionalFormats::Reference()), c.stamp) << c.name;
        EXPECT_EQ(time->weekday, c.weekday) << c.name;
    }
}

// A file's bytes from memory, counting the requests made for them.
class CountedBytes : public OpenFileBytes {
public:
    explicit CountedBytes(std::size_t size) : bytes_(size) {
        for (std::size_t i = 0; i < size; ++i) bytes_[i] = static_cast<std::uint8_t>(i * 7);
    }
    std::size_t ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t size) override {
        ++requests;
        if (offset >= bytes_.size()) return 0;
        const std::size_t n = std::min<std::size_t>(size, bytes_.size() - offset);
        std::memcpy(into, bytes_.data() + offset, n);
        return n;
    }
    std::uint64_t Size() const override { return bytes_.size(); }
    std::vector<std::uint8_t> bytes_;
    int requests = 0;
};

TEST(DateTakenBytes, AFilesStartCostsOneRequestAndEveryReadGetsTheFilesBytes) {
    CountedBytes file(200 * 1024);
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
        EXPECT_EQ(
            std::memcmp(into.data(),
                        file.bytes_.data() + std::min<std::uint64_t>(r.offset, file.bytes_.size()),
                        r.got),
            0)
            << r.offset;
    }
}

// The program on samples that the usual tools make (make_samples.sh, whose
// list of stamps Tavrel.exe is held to under Wine as well): each gets its date
// taken, or its last-write time where it carries none; without the setting,
// every name is as the last-write times give it.
TEST(DateTakenSamples, NamesFromTheDateTakenOrTheLastWriteTime) {
    const test::TempDir dir, home;
    const auto made =
        test::Run({"/bin/sh", TAVREL_SOURCE_DIR "/tests/date_taken/make_samples.sh", dir.path()},
                  {"PATH=/usr/bin:/bin", "HOME=" + home.path()});
    if (made.exit_code == 77) GTEST_SKIP() << made.err;
    ASSERT_EQ(made.exit_code, 0) << made.err;
    constexpr const char* kLastWriteStamp = "20120809-101112_";
    std::vector<std::string> with_date_taken, as_before;
    std::ifstream expected(dir / "expected");
    for (std::string name, stamp; expected >> name >> stamp;) {
        with_date_taken.push_back((stamp == "-" ? kLastWriteStamp : stamp) + name);
        as_before.push_back(kLastWriteStamp + name);
    }
    ASSERT_FALSE(with_date_taken.empty());
    std::sort(with_date_taken.begin(), with_date_taken.end());
    std::sort(as_before.begin(), as_before.end());

    const auto run = [&](const std::string& name, const std::string& settings) {
        const std::string copy = dir / name;
        EXPECT_EQ(test::Run({"/bin/cp", "-a", dir / "samples", copy}, {}).exit_code, 0);
        const std::string binary = test::CopyTavrelTo(home.path());
        std::ofstream(home / "setup.ini", std::ios::binary) << settings;
        const auto result = test::RunTavrel({copy}, "Asia/Tokyo", "C", "", binary);
        EXPECT_EQ(result.exit_code, 0) << result.err;
        return test::Names(copy);
    };
    EXPECT_EQ(run("on", "StampType:2\r\nDateTaken:1\r\n"), with_date_taken);
    EXPECT_EQ(run("absent", "StampType:2\r\n"), as_before);
}

}  // namespace
}  // namespace tavrel
