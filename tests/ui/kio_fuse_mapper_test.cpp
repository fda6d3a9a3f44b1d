#include "ui/qt/kio_fuse_mapper.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace tavrel {
namespace {

// kio_fuse_drop.sh runs this with a D-Bus session that can start kio-fuse and
// names a file of its SMB guest share (the drop of that share's files through
// this client is the script's): a missing file is refused, not taken for a
// service that gave no answer in time (which would keep its folder's files
// from being asked one by one).
TEST(KioFuseMapper, TheRealServiceRefusesAMissingFile) {
    const char* named = std::getenv("TAVREL_KIO_SMB_FILE");
    if (named == nullptr) GTEST_SKIP() << "no kio-fuse session (see kio_fuse_drop.sh)";
    // Bounded only against a hung service: the test does not time it.
    KioFuseMapper mapper(std::chrono::minutes(2));
    const std::vector<MappedPath> answers =
        mapper.MapAll({QUrl(QString::fromUtf8(named) + ".missing")});
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_FALSE(answers[0].path);
    EXPECT_FALSE(answers[0].no_answer) << answers[0].failure.toStdString();
}

}  // namespace
}  // namespace tavrel
