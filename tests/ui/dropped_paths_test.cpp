#include "ui/qt/dropped_paths.h"

#include <gtest/gtest.h>

namespace tavrel {
namespace {

using Paths = std::vector<std::string>;

TEST(DroppedPaths, FileUrlsOfThisMachineAreLocalPaths) {
    struct Case {
        const char* name;
        const char* url;
        const char* own_host;
        Paths paths;
    } cases[] = {
        {"no host", "file:///home/mika/a.jpg", "tavrel-pc", {"/home/mika/a.jpg"}},
        {"localhost", "file://localhost/home/mika/a.jpg", "tavrel-pc", {"/home/mika/a.jpg"}},
        {"this machine", "file://tavrel-pc/home/mika/a.jpg", "tavrel-pc", {"/home/mika/a.jpg"}},
        {"this machine in other letter case",
         "file://Tavrel-PC/home/mika/a.jpg",
         "tavrel-PC",
         {"/home/mika/a.jpg"}},
        {"this machine, a name that is no UTF-8",
         "file://tavrel-pc/p/a%FF%20b.jpg",
         "tavrel-pc",
         {"/p/a\xff b.jpg"}},
        {"another machine", "file://other-pc/home/mika/a.jpg", "tavrel-pc", {}},
        {"a host when this machine's name is unknown", "file://tavrel-pc/a.jpg", "", {}},
        {"another scheme naming this machine", "sftp://tavrel-pc/home/mika/a.jpg", "tavrel-pc", {}},
    };
    for (const auto& c : cases) {
        const QUrl url = QUrl::fromEncoded(QByteArray(c.url));
        EXPECT_EQ(DroppedPaths({url}, c.own_host), c.paths) << c.name;
    }
}

}  // namespace
}  // namespace tavrel
