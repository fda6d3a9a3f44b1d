#pragma once
// Turns the URLs of a drop into file paths.

#include <QList>
#include <QUrl>
#include <optional>
#include <string>
#include <vector>

namespace tavrel {

// The local file path of a URL, as bytes: the URL's fully encoded path is
// percent-decoded by hand, because Qt's own conversions to local paths lose or
// skip names that are not valid UTF-8. A file URL is local when it names no
// host, "localhost", or this machine's own host name (letter case ignored, as
// in host names); URLs of other schemes or of another host have none.
std::optional<std::string> LocalPathOfUrl(const QUrl& url, const std::string& own_host_name);

// The local file paths among the URLs (see LocalPathOfUrl), in order.
std::vector<std::string> DroppedPaths(const QList<QUrl>& urls, const std::string& own_host_name);

}  // namespace tavrel
