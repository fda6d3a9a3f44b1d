#include "ui/qt/kio_fuse_mapper.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "ui/qt/drop_decoder.h"

namespace tavrel {
namespace {

// kio_fuse_drop.sh runs this with a D-Bus session that can start kio-fuse and
// names a file of its SMB guest share (the drop of that share's files is the
// script's): a missing file is refused, and a password stays out of the path.
TEST(KioFuseMapper, TheRealServiceRefusesAMissingFileAndNeverGetsThePassword) {
    const char* named = std::getenv("TAVREL_KIO_SMB_FILE");
    if (named == nullptr) GTEST_SKIP() << "no kio-fuse session (see kio_fuse_drop.sh)";
    QUrl file(QString::fromUtf8(named));
    // Bounded only against a hung service: the test does not time it.
    KioFuseMapper mapper(std::chrono::minutes(2));
    const std::vector<MappedPath> answers = mapper.MapAll({QUrl(file.toString() + ".missing")});
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_FALSE(answers[0].path);

    file.setUserName(QStringLiteral("mika"));
    file.setPassword(QStringLiteral("s3cret"));
    const DroppedItems items = DropDecoder("", &mapper).Decode(QList<QUrl>{file});
    ASSERT_EQ(items.paths.size(), 1u) << RefusalText(items.refused).toStdString();
    EXPECT_EQ(items.paths[0].find("s3cret"), std::string::npos) << items.paths[0];
    EXPECT_TRUE(std::filesystem::is_regular_file(items.paths[0])) << items.paths[0];
}

}  // namespace
}  // namespace tavrel
