#pragma once
// kio-fuse, asked over the session's D-Bus: the FUSE layer that gives KDE's
// network locations the paths KDE's own programs open them under.

#include <chrono>

#include "ui/qt/remote_path_mapper.h"

namespace tavrel {

class KioFuseMapper final : public RemotePathMapper {
public:
    // How long the questions sent together for one drop or paste may keep the
    // window waiting.
    static constexpr std::chrono::milliseconds kDefaultAnswerWithin{8000};

    explicit KioFuseMapper(std::chrono::milliseconds answer_within = kDefaultAnswerWithin);

    QString Name() const override;
    // SMB and SFTP: the locations whose layer the rename passes know.
    bool Serves(const QString& scheme) const override;
    // The service is on the session bus or the bus can start it. Only a
    // session that names its bus is asked: asked for a bus it does not have,
    // the bus library may start one of its own that would outlive the window.
    bool Reachable() override;
    // The questions go out together and are answered within the time given;
    // the pointer shows the wait.
    std::vector<MappedPath> MapAll(const std::vector<QUrl>& urls) override;

private:
    std::chrono::milliseconds answer_within_;
};

}  // namespace tavrel
