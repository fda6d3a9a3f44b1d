#pragma once
// What a drop (or a paste) of URIs brings: local paths, and for network
// locations the paths the desktop's mapper gives them. What cannot be had as a
// path is refused and named, its password removed.

#include <QList>
#include <QString>
#include <QUrl>
#include <string>
#include <vector>

class QMimeData;

namespace tavrel {

class RemotePathMapper;

// A location that gave no path, as shown to the user.
struct RefusedUri {
    // The location with its password removed.
    QString location;
    // Why it gave no path.
    QString reason;
};

struct DroppedItems {
    // The paths, as bytes, in the order of the URIs.
    std::vector<std::string> paths;
    std::vector<RefusedUri> refused;
};

class DropDecoder {
public:
    // File URLs naming this host are local files; the mapper may be null.
    DropDecoder(std::string own_host_name, RemotePathMapper* mapper);

    // Whether a drag offering these data may bring paths, read as it hovers:
    // a local file, or a location the mapper serves while it can be asked.
    // The mapper is not asked for paths yet.
    bool MayBringPaths(const QMimeData& data) const;

    // The paths of the URIs (the data's URI list). Local file URLs are
    // decoded as they are; a network location's URL is given to the mapper
    // without its password, one question per folder the locations lie in. A
    // file URL of another host, a location of a kind the mapper does not
    // serve, and one it gives no path (or a path holding the password) are
    // refused. URIs that are no URL are left out.
    DroppedItems Decode(const QMimeData& data) const;
    DroppedItems Decode(const QList<QUrl>& urls) const;

private:
    std::string own_host_name_;
    RemotePathMapper* mapper_;
};

// The message that names refused locations (the first ten, then how many
// more) and says what gives network locations a path.
QString RefusalText(const std::vector<RefusedUri>& refused);

}  // namespace tavrel
