#pragma once
// Turns what the clipboard holds into file paths, as a drop's URLs are.

#include <QMimeData>
#include <string>
#include <vector>

namespace tavrel {

// The local file paths on the clipboard: files copied in a file manager (a URI
// list, a copied-files list, a KDE URI list, first found first taken) or
// absolute paths and file URIs as text, one a line. Every URI goes through the
// drop's decoding (DroppedPaths), so a paste adds what a drop of the same
// files adds.
std::vector<std::string> PastedPaths(const QMimeData& data, const std::string& own_host_name);

}  // namespace tavrel
