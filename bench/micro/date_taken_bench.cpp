// The date taken of a photo read from memory: a 4 KiB JPEG with its EXIF in front, as a camera
// writes it, and a movie whose header follows its media data. One item is one file read: the
// head read, the walk of segments or boxes, and the TIFF structure.

#include <benchmark/benchmark.h>

#include "media/date_taken.h"
#include "media_sample_builder.h"

namespace {

using namespace tavrel::media::test;

// A file in memory, read in place.
class ViewSource : public tavrel::media::ByteSource {
public:
    explicit ViewSource(const Bytes& bytes) : bytes_(bytes) {}
    std::size_t ReadAt(std::uint64_t offset, std::uint8_t* into, std::size_t size) override {
        if (offset >= bytes_.size()) return 0;
        const std::size_t count = std::min<std::uint64_t>(size, bytes_.size() - offset);
        std::memcpy(into, bytes_.data() + offset, count);
        return count;
    }
    std::uint64_t Size() const override { return bytes_.size(); }

private:
    const Bytes& bytes_;
};

void BM_ReadDateTaken(benchmark::State& state, const Bytes& file) {
    for (auto _ : state) {
        ViewSource source(file);
        auto date = tavrel::media::ReadDateTaken(source);
        benchmark::DoNotOptimize(date);
    }
    state.SetItemsProcessed(state.iterations());
}

const Bytes kJpeg4KiB =
    MakeJpeg(MakeTiff({"2023:03:03 03:03:03", "2019:06:01 14:03:22", "2019:06:01 14:03:22"}), 4096);
const Bytes kMovieAfterData =
    Concat({Box("ftyp", Text("isom")), Box("mdat", Bytes(64 * 1024, 0)),
            Box("moov", Concat({MovieHeader(3642235402), KeysMeta("2019-06-01T14:03:22+0200")}))});

BENCHMARK_CAPTURE(BM_ReadDateTaken, jpeg_4KiB, kJpeg4KiB);
BENCHMARK_CAPTURE(BM_ReadDateTaken, movie_moov_after_64KiB_mdat, kMovieAfterData);

}  // namespace
