#include "ui/qt/dropped_paths.h"

#include <QByteArray>

namespace tavrel {

std::vector<std::string> DroppedPaths(const QList<QUrl>& urls) {
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(urls.size()));
    for (const QUrl& url : urls) {
        if (url.scheme() != QLatin1String("file")) continue;
        const QString host = url.host();
        if (!host.isEmpty() && host != QLatin1String("localhost")) continue;
        const QByteArray bytes =
            QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
        if (bytes.isEmpty()) continue;
        paths.emplace_back(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    return paths;
}

}  // namespace tavrel
