#pragma once
// A path mapper for smb:// and sftp:// that answers from a table (any other
// URL is refused) and records what it was asked.

#include <QStringList>
#include <map>

#include "ui/qt/remote_path_mapper.h"

namespace tavrel::test {

class FakePathMapper final : public RemotePathMapper {
public:
    QString Name() const override { return QStringLiteral("kio-fuse"); }
    bool Serves(const QString& scheme) const override {
        return scheme == "smb" || scheme == "sftp";
    }
    bool Reachable() override { return reachable; }
    std::vector<MappedPath> MapAll(const std::vector<QUrl>& urls) override {
        std::vector<MappedPath> answers;
        for (const QUrl& url : urls) {
            asked << url.toString();
            const auto found = table.find(url.toString());
            answers.push_back(found != table.end() ? found->second
                                                   : MappedPath{std::nullopt, "No such file"});
        }
        return answers;
    }

    bool reachable = true;
    std::map<QString, MappedPath> table;
    QStringList asked;
};

inline MappedPath PathAnswer(const std::string& path) {
    return MappedPath{path, {}};
}

}  // namespace tavrel::test
