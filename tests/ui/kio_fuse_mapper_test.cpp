#include "ui/qt/kio_fuse_mapper.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QMimeData>
#include <cstdlib>

#include "ui/qt/drop_decoder.h"

namespace tavrel {
namespace {

// kio_fuse_drop.sh runs these inside a D-Bus session of its own that can start
// kio-fuse, and names a file of its SMB share and of its SFTP server; they
// are skipped elsewhere.
QString Named(const char* variable) {
    return QString::fromUtf8(std::getenv(variable) ? std::getenv(variable) : "");
}

bool IsFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

TEST(KioFuseMapper, TheRealServiceGivesPathsOfTheServersFiles) {
    const QString smb_file = Named("TAVREL_KIO_SMB_FILE");
    const QString sftp_file = Named("TAVREL_KIO_SFTP_FILE");
    if (smb_file.isEmpty()) GTEST_SKIP() << "no kio-fuse session (see kio_fuse_drop.sh)";
    // Bounded only against a hung service: the test does not time it.
    KioFuseMapper mapper(std::chrono::minutes(2));
    ASSERT_TRUE(mapper.Reachable());
    std::vector<QUrl> urls{QUrl(smb_file), QUrl(smb_file + QStringLiteral(".missing"))};
    if (!sftp_file.isEmpty()) urls.push_back(QUrl(sftp_file));
    const std::vector<MappedPath> answers = mapper.MapAll(urls);
    ASSERT_EQ(answers.size(), urls.size());
    ASSERT_TRUE(answers[0].path) << answers[0].failure.toStdString();
    EXPECT_TRUE(IsFile(*answers[0].path)) << *answers[0].path;
    EXPECT_FALSE(answers[1].path);
    EXPECT_TRUE(answers[1].failure.startsWith("kio-fuse: ")) << answers[1].failure.toStdString();
    if (!sftp_file.isEmpty()) {
        ASSERT_TRUE(answers[2].path) << answers[2].failure.toStdString();
        EXPECT_TRUE(IsFile(*answers[2].path)) << *answers[2].path;
    }
}

TEST(KioFuseMapper, APasswordInTheLocationStaysOutOfTheRealServicesPath) {
    QUrl with_password(Named("TAVREL_KIO_SMB_FILE"));
    if (with_password.isEmpty()) GTEST_SKIP() << "no kio-fuse session (see kio_fuse_drop.sh)";
    // The guest share lets any name in; kio-fuse would put the password into
    // the path it gives for this URL.
    with_password.setUserName(QStringLiteral("mika"));
    with_password.setPassword(QStringLiteral("s3cret"));
    KioFuseMapper mapper(std::chrono::minutes(2));
    const DroppedItems items = DropDecoder("", &mapper).Decode(QList<QUrl>{with_password});
    ASSERT_EQ(items.paths.size(), 1u) << RefusalText(items.refused).toStdString();
    EXPECT_EQ(items.paths[0].find("s3cret"), std::string::npos) << items.paths[0];
    EXPECT_TRUE(IsFile(items.paths[0])) << items.paths[0];
}

}  // namespace
}  // namespace tavrel
