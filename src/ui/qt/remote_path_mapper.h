#pragma once
// The desktop's service that gives network locations (smb://, sftp://) a path
// in the local file system, behind an interface so that the drop decoding can
// be tested without it.

#include <QString>
#include <QUrl>
#include <optional>
#include <string>
#include <vector>

namespace tavrel {

// What the mapper answered for one location.
struct MappedPath {
    // The local path (bytes), when the mapper gave one.
    std::optional<std::string> path;
    // Otherwise why not, as a phrase for the user ("no answer within 8 s").
    QString failure;
    // Whether the failure is that no answer came in time.
    bool no_answer = false;
};

class RemotePathMapper {
public:
    virtual ~RemotePathMapper() = default;
    // The mapper's name as the user knows it, for messages.
    virtual QString Name() const = 0;
    // Whether it gives paths for locations of this URL scheme.
    virtual bool Serves(const QString& scheme) const = 0;
    // Whether it can be asked now: running, or started on demand.
    virtual bool Reachable() = 0;
    // The local paths of the locations, asked all at once; one answer each,
    // in order. The URLs carry no password.
    virtual std::vector<MappedPath> MapAll(const std::vector<QUrl>& urls) = 0;
};

}  // namespace tavrel
