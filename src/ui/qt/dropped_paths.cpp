#include "ui/qt/dropped_paths.h"

#include <QByteArray>

namespace tavrel {

std::optional<std::string> LocalPathOfUrl(const QUrl& url, const std::string& own_host_name) {
    if (url.scheme() != QLatin1String("file")) return std::nullopt;
    const QString host = url.host();
    const QString own_host = QString::fromUtf8(own_host_name);
    const bool local = host.isEmpty() ||
                       host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 ||
                       (!own_host.isEmpty() && host.compare(own_host, Qt::CaseInsensitive) == 0);
    if (!local) return std::nullopt;
    const QByteArray bytes =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    if (bytes.isEmpty()) return std::nullopt;
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::vector<std::string> DroppedPaths(const QList<QUrl>& urls, const std::string& own_host_name) {
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(urls.size()));
    for (const QUrl& url : urls)
        if (std::optional<std::string> path = LocalPathOfUrl(url, own_host_name))
            paths.push_back(std::move(*path));
    return paths;
}

}  // namespace tavrel
