#include "ui/qt/dropped_paths.h"

#include <QByteArray>

namespace tavrel {

std::vector<std::string> DroppedPaths(const QList<QUrl>& urls, const std::string& own_host_name) {
    const QString own_host = QString::fromUtf8(own_host_name);
    auto is_local = [&](const QString& host) {
        return host.isEmpty() ||
               host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 ||
               (!own_host.isEmpty() && host.compare(own_host, Qt::CaseInsensitive) == 0);
    };
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(urls.size()));
    for (const QUrl& url : urls) {
        if (url.scheme() != QLatin1String("file") || !is_local(url.host())) continue;
        const QByteArray bytes =
            QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        if (bytes.isEmpty()) continue;
        paths.emplace_back(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    return paths;
}

}  // namespace tavrel
