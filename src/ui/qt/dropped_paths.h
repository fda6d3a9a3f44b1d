#pragma once
// Turns the URLs of a drop into file paths.

#include <QList>
#include <QUrl>
#include <string>
#include <vector>

namespace tavrel {

// The local file paths among the URLs, as bytes: each URL's fully encoded path
// is percent-decoded by hand, because Qt's own conversions to local paths lose
// or skip names that are not valid UTF-8. URLs of other schemes or of another
// host are left out.
std::vector<std::string> DroppedPaths(const QList<QUrl>& urls);

}  // namespace tavrel
