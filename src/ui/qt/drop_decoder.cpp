#include "ui/qt/drop_decoder.h"

#include <QByteArray>
#include <QMimeData>
#include <map>
#include <optional>

#include "ui/qt/dropped_paths.h"
#include "ui/qt/remote_path_mapper.h"

namespace tavrel {
namespace {

constexpr int kRefusalsNamed = 10;

// A network location on its way to a path.
struct Remote {
    std::size_t slot = 0;      // where its path goes among the URIs
    QUrl asked;                // the URL, its password removed
    QString password;          // the password it carried, if any
    QString shown;             // as the user sees it, without the password
    QByteArray name;           // its name in its folder (bytes), empty when it is
                               // asked for itself
    QUrl folder;               // the folder asked for in its place
    bool asked_again = false;  // for itself, once its folder was refused
    std::optional<std::string> path;
    QString failure;
};

// The folder of a location and its name in it, so that a drop of many files
// of one folder asks once. A share's or a server's top level, and a URL with a
// query or fragment, are asked for themselves.
void SplitFolder(Remote& remote) {
    const QUrl trimmed = remote.asked.adjusted(QUrl::StripTrailingSlash);
    if (trimmed.hasQuery() || trimmed.hasFragment()) return;
    const QString path = trimmed.path(QUrl::FullyEncoded);
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0) return;
    const QByteArray name = QByteArray::fromPercentEncoding(path.mid(slash + 1).toLatin1());
    if (name.isEmpty() || name == "." || name == "..") return;
    QUrl folder = trimmed;
    folder.setPath(path.left(slash), QUrl::TolerantMode);
    remote.folder = folder;
    remote.name = name;
}

// A path that shows the password is refused, whatever gave it.
bool ShowsPassword(const std::string& path, const QString& password) {
    if (password.isEmpty()) return false;
    const std::string raw = ":" + password.toStdString() + "@";
    const std::string encoded = ":" + QUrl::toPercentEncoding(password).toStdString() + "@";
    return path.find(raw) != std::string::npos || path.find(encoded) != std::string::npos;
}

// Asks the mapper for the URLs, each once, and hands each its answer.
std::map<QString, MappedPath> AskOnce(RemotePathMapper& mapper, const std::vector<QUrl>& urls) {
    std::map<QString, MappedPath> answers;
    std::vector<QUrl> questions;
    for (const QUrl& url : urls)
        if (answers.emplace(url.toString(QUrl::FullyEncoded), MappedPath{}).second)
            questions.push_back(url);
    if (questions.empty()) return answers;
    std::vector<MappedPath> got = mapper.MapAll(questions);
    got.resize(questions.size(), MappedPath{std::nullopt, QStringLiteral("no answer"), true});
    for (std::size_t i = 0; i < questions.size(); ++i)
        answers[questions[i].toString(QUrl::FullyEncoded)] = std::move(got[i]);
    return answers;
}

std::vector<std::string> Joined(std::vector<std::optional<std::string>> places) {
    std::vector<std::string> paths;
    for (auto& place : places)
        if (place) paths.push_back(std::move(*place));
    return paths;
}

}  // namespace

DropDecoder::DropDecoder(std::string own_host_name, RemotePathMapper* mapper)
    : own_host_name_(std::move(own_host_name)), mapper_(mapper) {}

bool DropDecoder::MayBringPaths(const QMimeData& data) const {
    if (!data.hasUrls()) return false;
    const QList<QUrl> urls = data.urls();
    bool mappable = false;
    for (const QUrl& url : urls) {
        if (LocalPathOfUrl(url, own_host_name_)) return true;
        mappable = mappable || (mapper_ && mapper_->Serves(url.scheme()));
    }
    return mappable && mapper_->Reachable();
}

DroppedItems DropDecoder::Decode(const QMimeData& data) const {
    return data.hasUrls() ? Decode(data.urls()) : DroppedItems{};
}

DroppedItems DropDecoder::Decode(const QList<QUrl>& urls) const {
    DroppedItems items;
    std::vector<std::optional<std::string>> places(static_cast<std::size_t>(urls.size()));
    std::vector<Remote> remotes;
    std::optional<bool> reachable;
    for (std::size_t i = 0; i < places.size(); ++i) {
        const QUrl& url = urls[static_cast<qsizetype>(i)];
        if (!url.isValid() || url.isEmpty()) continue;
        if (url.scheme() == QLatin1String("file")) {
            places[i] = LocalPathOfUrl(url, own_host_name_);
            if (!places[i] && !url.host().isEmpty())
                items.refused.push_back({url.toDisplayString(QUrl::RemovePassword),
                                         QStringLiteral("a file on another machine")});
            continue;
        }
        const QString shown = url.toDisplayString(QUrl::RemovePassword);
        if (!mapper_ || !mapper_->Serves(url.scheme())) {
            items.refused.push_back(
                {shown, QStringLiteral("no local path for this kind of location")});
            continue;
        }
        if (!reachable) reachable = mapper_->Reachable();
        if (!*reachable) {
            items.refused.push_back(
                {shown, mapper_->Name() + QStringLiteral(" is not running and cannot be started")});
            continue;
        }
        Remote remote;
        remote.slot = i;
        remote.asked = url.adjusted(QUrl::RemovePassword);
        remote.password = url.password();
        remote.shown = shown;
        SplitFolder(remote);
        remotes.push_back(std::move(remote));
    }
    if (remotes.empty()) {
        items.paths = Joined(std::move(places));
        return items;
    }

    // First the folders (or the locations themselves); then, where a folder
    // was refused outright, its locations one by one: a folder may be closed
    // to listing while its files are not.
    std::vector<QUrl> first_round;
    for (const Remote& remote : remotes)
        first_round.push_back(remote.name.isEmpty() ? remote.asked : remote.folder);
    const auto first = AskOnce(*mapper_, first_round);
    std::vector<QUrl> second_round;
    for (Remote& remote : remotes) {
        const QUrl& asked = remote.name.isEmpty() ? remote.asked : remote.folder;
        const MappedPath& answer = first.at(asked.toString(QUrl::FullyEncoded));
        if (answer.path) {
            remote.path = remote.name.isEmpty() ? *answer.path
                                                : *answer.path + "/" + remote.name.toStdString();
        } else if (!remote.name.isEmpty() && !answer.no_answer) {
            remote.asked_again = true;
            second_round.push_back(remote.asked);
        } else {
            remote.failure = answer.failure;
        }
    }
    const auto second = AskOnce(*mapper_, second_round);
    for (Remote& remote : remotes) {
        if (!remote.asked_again) continue;
        const MappedPath& answer = second.at(remote.asked.toString(QUrl::FullyEncoded));
        remote.path = answer.path;
        remote.failure = answer.failure;
    }

    for (Remote& remote : remotes) {
        if (remote.path && ShowsPassword(*remote.path, remote.password)) {
            remote.path.reset();
            remote.failure =
                mapper_->Name() + QStringLiteral(" gave a path that shows the password");
        }
        if (remote.path) {
            places[remote.slot] = std::move(remote.path);
            continue;
        }
        QString reason = remote.failure.isEmpty()
                             ? mapper_->Name() + QStringLiteral(" gave no path")
                             : remote.failure;
        if (!remote.password.isEmpty())
            reason += QStringLiteral(
                "; the password in the location is not used: the desktop must know the login "
                "(open the location in the file manager once)");
        items.refused.push_back({remote.shown, reason});
    }
    items.paths = Joined(std::move(places));
    return items;
}

QString RefusalText(const std::vector<RefusedUri>& refused) {
    QString text = QStringLiteral(
        "These locations were not added: Tavrel renames files through "
        "local paths, and none was found for them.\n");
    const int count = static_cast<int>(refused.size());
    for (int i = 0; i < count && i < kRefusalsNamed; ++i)
        text += QStringLiteral("\n%1: %2").arg(refused[i].location, refused[i].reason);
    if (count > kRefusalsNamed)
        text += QStringLiteral("\n(and %1 more)").arg(count - kRefusalsNamed);
    text += QStringLiteral(
        "\n\nFiles on SMB and SFTP shares get local paths from kio-fuse (KDE, with kio-extras) "
        "or from GVfs's FUSE mount (gvfs-fuse).");
    return text;
}

}  // namespace tavrel
