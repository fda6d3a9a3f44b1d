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
#include <map>

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
        {"UtcInSummer", {Clock::kUtc, {}, test::UtcSeconds(2011, 7, 15, 8, 0, 1)},
         "20110715-100000_", 5},
        {"UtcInWinter", {Clock::kUtc, {}, test::UtcSeconds(2011, 1, 15, 8, 0, 0)},
         "20110115-090000_", 6},
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
        {0, 2, 2, 1},          {2, 4096, 4096, 1},  {60000, 5536, 5536, 1},
        {65530, 12, 12, 2},    {100000, 70000, 70000, 3},
        {204790, 100, 10, 4},  {204795, 50, 5, 4},  {300000, 4, 0, 5},
    };
    for (const auto& r : reads) {
        std::vector<std::uint8_t> into(r.size);
        EXPECT_EQ(buffered.ReadAt(r.offset, into.data(), r.size), r.got) << r.offset;
        EXPECT_EQ(file.requests, r.requests) << r.offset;
        EXPECT_EQ(std::memcmp(into.data(), file.bytes_.data() + std::min<std::uint64_t>(r.offset, file.bytes_.size()), r.got), 0)
            << r.offset;
    }
}

// The program on samples that the usual tools make: each gets its date taken,
// or its last-write time where it carries none; without the setting, every
// name is as the last-write times give it.
class DateTakenSamples : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"/usr/bin/exiftool", "/usr/bin/ffmpeg", "/usr/bin/heif-enc"})
            if (::access(tool, X_OK) != 0) GTEST_SKIP() << tool << " is missing";
    }

    // Runs a tool quietly; false when it failed.
    bool Tool(const std::vector<std::string>& argv) {
        return test::Run(argv, {"PATH=/usr/bin:/bin", "HOME=" + folder_.path()}).exit_code == 0;
    }
    // A tiny JPEG, PNG, WebP or TIFF from ffmpeg's test source.
    bool Picture(const std::string& path, const std::vector<std::string>& extra = {}) {
        std::vector<std::string> argv{"/usr/bin/ffmpeg", "-loglevel", "error", "-y", "-f",
                                      "lavfi", "-i", "color=c=red:s=16x16", "-frames:v", "1"};
        argv.insert(argv.end(), extra.begin(), extra.end());
        argv.push_back(path);
        return Tool(argv);
    }
    bool Exif(const std::string& path, const std::vector<std::string>& tags) {
        std::vector<std::string> argv{"/usr/bin/exiftool", "-q", "-overwrite_original"};
        argv.insert(argv.end(), tags.begin(), tags.end());
        argv.push_back(path);
        return Tool(argv);
    }
    bool Movie(const std::string& path, const std::vector<std::string>& metadata) {
        std::vector<std::string> argv{"/usr/bin/ffmpeg", "-loglevel", "error", "-y", "-f",
                                      "lavfi", "-i", "color=c=blue:s=16x16:d=0.1", "-c:v",
                                      "mpeg4"};
        argv.insert(argv.end(), metadata.begin(), metadata.end());
        argv.push_back(path);
        return Tool(argv);
    }

    test::TempDir folder_;
};

TEST_F(DateTakenSamples, NamesFromTheDateTakenOrTheLastWriteTime) {
    const test::TempDir home;
    const std::string samples = folder_ / "samples";
    test::MakeDirectory(samples);
    const auto at = [&](const std::string& name) { return samples + "/" + name; };
    const std::string original = "-DateTimeOriginal=2019:05:06 07:08:09";
    // Each sample and the stamp its date taken gives (empty: none, so the
    // last-write time's).
    std::map<std::string, std::string> expected;
    const auto made = [&](const std::string& name, bool ok, const std::string& stamp) {
        ASSERT_TRUE(ok) << "could not make " << name;
        expected[name] = stamp;
    };
    made("original.jpg", Picture(at("original.jpg")) && Exif(at("original.jpg"), {original}),
         "20190506-070808_");
    made("digitized_only.jpg",
         Picture(at("digitized_only.jpg")) &&
             Exif(at("digitized_only.jpg"), {"-DateTimeDigitized=2018:01:02 03:04:05"}),
         "20180102-030404_");
    made("edit_date_only.jpg",
         Picture(at("edit_date_only.jpg")) &&
             Exif(at("edit_date_only.jpg"), {"-IFD0:ModifyDate=2017:01:01 00:00:00"}),
         "");
    made("zero_original.jpg",
         Picture(at("zero_original.jpg")) &&
             Exif(at("zero_original.jpg"), {"-DateTimeOriginal=0000:00:00 00:00:00",
                                            "-DateTimeDigitized=2016:06:07 08:09:10"}),
         "20160607-080910_");
    made("before_1980.jpg",
         Picture(at("before_1980.jpg")) &&
             Exif(at("before_1980.jpg"), {"-DateTimeOriginal=1975:01:01 00:00:00"}),
         "");
    made("motorola.tif",
         Picture(at("motorola.tif")) &&
             Exif(at("motorola.tif"), {"-ExifByteOrder=Big-endian", original}),
         "20190506-070808_");
    made("picture.webp", Picture(at("picture.webp")) && Exif(at("picture.webp"), {original}),
         "20190506-070808_");
    made("picture.heic",
         Picture(at("picture.png")) &&
             Tool({"/usr/bin/heif-enc", "-q", "50", "-o", at("picture.heic"), at("picture.png")}) &&
             Exif(at("picture.heic"), {original}) && ::unlink(at("picture.png").c_str()) == 0,
         "20190506-070808_");
    made("picture.png", Picture(at("picture.png")) && Exif(at("picture.png"), {original}),
         "20190506-070808_");
    // The movie header's time is UTC: 09:10:11 UTC is 18:10:10 in Tokyo.
    made("header.mp4", Movie(at("header.mp4"), {"-metadata", "creation_time=2015-02-03T09:10:11Z"}),
         "20150203-181010_");
    made("keys.mov",
         Movie(at("keys.mov"),
               {"-movflags", "use_metadata_tags", "-metadata",
                "com.apple.quicktime.creationdate=2014-03-04T05:06:07+0100", "-metadata",
                "creation_time=2015-02-03T09:10:11Z"}),
         "20140304-050606_");
    made("no_date.mp4", Movie(at("no_date.mp4"), {}), "");
    test::MakeFile(at("notes.txt"), 0, "no date in here");
    expected["notes.txt"] = "";
    // 2012-08-09 10:11:12 in Tokyo.
    const std::int64_t written = test::UtcSeconds(2012, 8, 9, 1, 11, 12);
    for (const auto& [name, stamp] : expected) test::SetMtime(at(name), written);

    const auto run = [&](const std::string& settings) {
        const std::string copy = folder_ / ("copy" + std::to_string(settings.size()));
        Tool({"/bin/cp", "-a", samples, copy});
        const std::string binary = test::CopyTavrelTo(home.path());
        std::ofstream(home / "setup.ini", std::ios::binary) << settings;
        const auto result = test::RunTavrel({copy}, "Asia/Tokyo", "C", "", binary);
        EXPECT_EQ(result.exit_code, 0) << result.err;
        return test::Names(copy);
    };
    std::vector<std::string> with_date_taken, as_before;
    for (const auto& [name, stamp] : expected) {
        with_date_taken.push_back((stamp.empty() ? "20120809-101112_" : stamp) + name);
        as_before.push_back("20120809-101112_" + name);
    }
    std::sort(with_date_taken.begin(), with_date_taken.end());
    EXPECT_EQ(run("StampType:2\r\nDateTaken:1\r\n"), with_date_taken);
    EXPECT_EQ(run("StampType:2\r\n"), as_before);
}

}  // namespace
}  // namespace tavrel
