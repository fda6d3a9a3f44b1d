#include "ui/qt/pasted_paths.h"

#include <QByteArray>
#include <QUrl>

#include "app/pasted_text.h"
#include "ui/qt/dropped_paths.h"

namespace tavrel {
namespace {

// The clipboard formats of file managers that hold URIs only.
constexpr const char* kCopiedFilesFormat = "x-special/gnome-copied-files";
constexpr const char* kKdeUriListFormat = "application/x-kde4-urilist";

std::string_view View(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

QList<QUrl> Urls(const std::vector<std::string>& uris) {
    QList<QUrl> urls;
    for (const std::string& uri : uris)
        urls.push_back(
            QUrl::fromEncoded(QByteArray(uri.data(), static_cast<qsizetype>(uri.size()))));
    return urls;
}

}  // namespace

std::vector<std::string> PastedPaths(const QMimeData& data, const std::string& own_host_name) {
    if (data.hasUrls()) return DroppedPaths(data.urls(), own_host_name);
    if (data.hasFormat(QLatin1String(kCopiedFilesFormat)))
        return DroppedPaths(
            Urls(CopiedFilesUris(View(data.data(QLatin1String(kCopiedFilesFormat))))),
            own_host_name);
    if (data.hasFormat(QLatin1String(kKdeUriListFormat))) {
        const QByteArray list = data.data(QLatin1String(kKdeUriListFormat));
        return DroppedPaths(Urls(SplitPastedText(View(list), IsAbsolutePosixPath).uris),
                            own_host_name);
    }
    if (!data.hasText()) return {};
    // The text as its bytes: a path that is not valid UTF-8 keeps them.
    const QByteArray text = data.data(QStringLiteral("text/plain"));
    PastedLines lines =
        SplitPastedText(View(text.isEmpty() ? data.text().toUtf8() : text), IsAbsolutePosixPath);
    std::vector<std::string> paths = DroppedPaths(Urls(lines.uris), own_host_name);
    for (std::string& path : lines.paths) paths.push_back(std::move(path));
    return paths;
}

}  // namespace tavrel
