#include "ui/qt/kio_fuse_mapper.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "ui/qt/drop_decoder.h"

namespace tavrel {
namespace {

bool IsFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// kio_fuse_drop.sh runs this with a D-Bus session that can start kio-fuse and
// names a file of its SMB guest share (the drop of that share's files is the
// script's): a missing file is refused, and a password stays out of the path.
TEST(KioFuseMapper, TheRealServiceRefusesAMissingFileAndNeverGetsThePassword) {
    const char* named = std::getenv("TAVREL_KIO_SMB_FILE");
    if (named == nullptr) GTEST_SKIP() << "no kio-fuse session (see kio_fuse_drop.sh)";
    const QUrl file(QString::fromUtf8(named));
    // Bounded only against a hung service: the test does not time it.
    KioFuseMapper mapper(std::chrono::minutes(2));
    const std::vector<MappedPath> answers =
        mapper.MapAll({file, QUrl(file.toString() + QStringLiteral(".missing"))});
    ASSERT_EQ(answers.size(), 2u);
    ASSERT_TRUE(answers[0].path) << answers[0].failure.toStdString();
    EXPECT_TRUE(IsFile(*answers[0].path)) << *answers[0].path;
    EXPECT_FALSE(answers[1].path);

    QUrl with_password = file;
    with_password.setUserName(QStringLiteral("mika"));
    with_password.setPassword(QStringLiteral("s3cret"));
    const DroppedItems items = DropDecoder("", &mapper).Decode(QList<QUrl>{with_password});
    ASSERT_EQ(items.paths.size(), 1u) << RefusalText(items.refused).toStdString();
    EXPECT_EQ(items.paths[0].find("s3cret"), std::string::npos) << items.paths[0];
    EXPECT_TRUE(IsFile(items.paths[0])) << items.paths[0];
}

}  // namespace
}  // namespace tavrel
