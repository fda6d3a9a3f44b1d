#include "ui/qt/kio_fuse_mapper.h"

#include <QCursor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QStringList>
#include <QtGlobal>
#include <algorithm>
#include <cstdint>

namespace tavrel {
namespace {

const QString kService = QStringLiteral("org.kde.KIOFuse");
const QString kObject = QStringLiteral("/org/kde/KIOFuse");
const QString kInterface = QStringLiteral("org.kde.KIOFuse.VFS");

std::optional<QDBusConnection> SessionBus() {
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) return std::nullopt;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return std::nullopt;
    return bus;
}

QDBusMessage BusDaemonCall(const QString& method) {
    return QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                          QStringLiteral("/org/freedesktop/DBus"),
                                          QStringLiteral("org.freedesktop.DBus"), method);
}

// kio-fuse's refusals read "KIOFuse failed to mount URL: REASON": the reason
// alone, as the message goes beside the location already. The URL is the
// one asked for, which carries no password.
QString ReasonOf(const QString& message) {
    const qsizetype url = message.indexOf(QStringLiteral("://"));
    const qsizetype at = url < 0 ? -1 : message.indexOf(QStringLiteral(": "), url + 3);
    return at < 0 ? message : message.mid(at + 2);
}

// Shows the wait on the pointer while it lasts.
class WaitCursor {
public:
    WaitCursor() {
        if (qGuiApp) QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~WaitCursor() {
        if (qGuiApp) QGuiApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

KioFuseMapper::KioFuseMapper(std::chrono::milliseconds answer_within)
    : answer_within_(answer_within) {}

QString KioFuseMapper::Name() const {
    return QStringLiteral("kio-fuse");
}

bool KioFuseMapper::Serves(const QString& scheme) const {
    return scheme == QLatin1String("smb") || scheme == QLatin1String("sftp");
}

bool KioFuseMapper::Reachable() {
    std::optional<QDBusConnection> bus = SessionBus();
    if (!bus) return false;
    // The bus itself answers at once; a hung one must not hold the hover long.
    const int within = static_cast<int>(std::min<std::int64_t>(answer_within_.count(), 2000));
    const QDBusMessage running =
        bus->call(BusDaemonCall(QStringLiteral("NameHasOwner")) << kService, QDBus::Block, within);
    if (running.type() == QDBusMessage::ReplyMessage && running.arguments().value(0).toBool())
        return true;
    const QDBusMessage startable =
        bus->call(BusDaemonCall(QStringLiteral("ListActivatableNames")), QDBus::Block, within);
    return startable.type() == QDBusMessage::ReplyMessage &&
           startable.arguments().value(0).toStringList().contains(kService);
}

std::vector<MappedPath> KioFuseMapper::MapAll(const std::vector<QUrl>& urls) {
    std::vector<MappedPath> answers(urls.size());
    std::optional<QDBusConnection> bus = SessionBus();
    if (!bus) {
        for (MappedPath& answer : answers)
            answer.failure = QStringLiteral("no D-Bus session to ask kio-fuse on");
        return answers;
    }
    const WaitCursor wait;
    const int within = static_cast<int>(answer_within_.count());
    // Sent together, answered together: the wait is that of the slowest. The
    // bus starts kio-fuse for the first question when it is not running yet.
    std::vector<QDBusPendingCall> calls;
    calls.reserve(urls.size());
    for (const QUrl& url : urls) {
        QDBusMessage question = QDBusMessage::createMethodCall(kService, kObject, kInterface,
                                                               QStringLiteral("mountUrl"));
        question << url.toString(QUrl::FullyEncoded);
        calls.push_back(bus->asyncCall(question, within));
    }
    for (std::size_t i = 0; i < calls.size(); ++i) {
        QDBusPendingReply<QString> reply = calls[i];
        reply.waitForFinished();
        if (reply.isError()) {
            const QDBusError error = reply.error();
            if (error.type() == QDBusError::NoReply || error.type() == QDBusError::Timeout ||
                error.type() == QDBusError::TimedOut) {
                answers[i].no_answer = true;
                answers[i].failure = QStringLiteral("no answer from kio-fuse within %1 s")
                                         .arg((within + 999) / 1000);
            } else if (error.type() == QDBusError::ServiceUnknown)
                answers[i].failure = QStringLiteral("kio-fuse is not installed");
            else
                answers[i].failure = QStringLiteral("kio-fuse: ") + ReasonOf(error.message());
            continue;
        }
        const QByteArray path = reply.value().toUtf8();
        if (path.isEmpty()) {
            answers[i].failure = QStringLiteral("kio-fuse gave no path");
            continue;
        }
        answers[i].path = std::string(path.constData(), static_cast<std::size_t>(path.size()));
    }
    return answers;
}

}  // namespace tavrel
