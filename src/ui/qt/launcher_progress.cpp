#include "ui/qt/launcher_progress.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>
#include <QtGlobal>

namespace tavrel {

void ShowLauncherProgress(const std::optional<WorkProgress>& progress) {
    // Only a session that names its bus: asked for a bus it does not have,
    // the bus library may start one of its own, which would outlive the window.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) return;
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
