#include "ui/qt/pasted_paths.h"

#include <QByteArray>
#include <QUrl>

#include "app/pasted_text.h"

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

DroppedItems PastedItems(const QMimeData& data, const DropDecoder& decoder) {
    if (data.hasUrls()) return decoder.Decode(data.urls());
    if (data.hasFormat(QLatin1String(kCopiedFilesFormat)))
        return decoder.Decode(
            Urls(CopiedFilesUris(View(data.data(QLatin1String(kCopiedFilesFormat))))));
    if (data.hasFormat(QLatin1String(kKdeUriListFormat))) {
        const QByteArray list = data.data(QLatin1String(kKdeUriListFormat));
        return decoder.Decode(Urls(SplitPastedText(View(list), IsAbsolutePosixPath).uris));
    }
    if (!data.hasText()) return {};
    // The text as its bytes: a path that is not valid UTF-8 keeps them.
    const QByteArray text = data.data(QStringLiteral("text/plain"));
    PastedLines lines =
        SplitPastedText(View(text.isEmpty() ? data.text().toUtf8() : text), IsAbsolutePosixPath);
    DroppedItems items = decoder.Decode(Urls(lines.uris));
    for (std::string& path : lines.paths) items.paths.push_back(std::move(path));
    return items;
}

}  // namespace tavrel
