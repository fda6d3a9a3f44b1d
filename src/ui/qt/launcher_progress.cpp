#include "ui/qt/launcher_progress.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

namespace tavrel {

void ShowLauncherProgress(const std::optional<WorkProgress>& progress) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    QDBusMessage update = QDBusMessage::createSignal(
        QStringLiteral("/com/tavrel/launcher"), QStringLiteral("com.canonical.Unity.LauncherEntry"),
        QStringLiteral("Update"));
    QVariantMap properties;
    // A count not known yet shows no bar.
    const bool known = progress && progress->total > 0;
    properties.insert(QStringLiteral("progress-visible"), known);
    if (known)
        properties.insert(QStringLiteral("progress"), static_cast<double>(progress->done) /
                                                          static_cast<double>(progress->total));
    update << QStringLiteral("application://tavrel.desktop") << properties;
    bus.send(update);
}

}  // namespace tavrel
