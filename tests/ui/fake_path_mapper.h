#pragma once
// A path mapper that answers from a table and records what it was asked.

#include <map>

#include "ui/qt/remote_path_mapper.h"

namespace tavrel::test {

class FakePathMapper final : public RemotePathMapper {
public:
    QString Name() const override { return QStringLiteral("kio-fuse"); }
    bool Serves(const QString& scheme) const override {
        return scheme == QLatin1String("smb") || scheme == QLatin1String("sftp");
    }
    bool Reachable() override { return reachable; }
    // A URL of the table gets its answer; any other is refused.
    std::vector<MappedPath> MapAll(const std::vector<QUrl>& urls) override {
        std::vector<MappedPath> answers;
        for (const QUrl& url : urls) {
            asked.push_back(url.toString());
            const auto found = table.find(url.toString());
            answers.push_back(
                found != table.end()
                    ? found->second
                    : MappedPath{std::nullopt, "kio-fuse: No such file or directory"});
        }
        return answers;
    }

    bool reachable = true;
    std::map<QString, MappedPath> table;
    std::vector<QString> asked;
};

// An answer that is a path.
inline MappedPath PathAnswer(const std::string& path) {
    return MappedPath{path, {}};
}

}  // namespace tavrel::test
