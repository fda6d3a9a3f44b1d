#include "ui/qt/display_start.h"

#include <QLibraryInfo>
#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace tavrel {
namespace {

struct HeldMessage {
    QtMsgType type;
    std::string category;
    QString text;
};

// The guard's state: Qt calls its message handler as a plain function.
QtMessageHandler previous_handler = nullptr;
std::vector<HeldMessage> held_messages;

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool WaylandPluginInstalled() {
    const std::filesystem::path platforms =
        QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString() + "/platforms";
    std::error_code error;
    return std::filesystem::exists(platforms / "libqwayland-generic.so", error) ||
           std::filesystem::exists(platforms / "libqwayland-egl.so", error);
}

void HandleStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        // While the application is made, a fatal message is Qt's "no Qt
        // platform plugin could be initialized", and abort() would follow it.
        DisplayStartFailure failure{Variable("DISPLAY"),
                                    Variable("WAYLAND_DISPLAY"),
                                    Variable("QT_QPA_PLATFORM"),
                                    WaylandPluginInstalled(),
                                    {}};
        for (const auto& message : held_messages)
            failure.qt_reasons.push_back(message.text.toStdString());
        std::fputs(DescribeDisplayStartFailure(failure).c_str(), stderr);
        std::fflush(stderr);
        std::_Exit(1);
    }
    held_messages.push_back({type, context.category ? context.category : "default", text});
}

}  // namespace

std::string DescribeDisplayStartFailure(const DisplayStartFailure& failure) {
    std::string text = "tavrel: cannot open the window: no display could be used\n";
    if (failure.x_display.empty())
        text += "  X11: DISPLAY is not set\n";
    else
        text += "  X11: the display DISPLAY=" + failure.x_display + " could not be opened\n";
    if (!failure.wayland_plugin_installed)
        text += "  Wayland: Qt's Wayland plugin is not installed (Debian's package qt6-wayland)\n";
    else if (failure.wayland_display.empty())
        text += "  Wayland: WAYLAND_DISPLAY is not set\n";
    else
        text += "  Wayland: the display WAYLAND_DISPLAY=" + failure.wayland_display +
                " could not be opened\n";
    if (!failure.requested_platform.empty())
        text += "  QT_QPA_PLATFORM=" + failure.requested_platform +
                " allows only the platforms it names\n";
    for (const auto& reason : failure.qt_reasons) text += "  Qt: " + reason + "\n";
    text +=
        "The command line works without a display: name the files or folders to rename, as in "
        "\"tavrel ~/Pictures\".\n";
    return text;
}

DisplayStartGuard::DisplayStartGuard() {
    held_messages.clear();
    previous_handler = qInstallMessageHandler(HandleStartMessage);
}

DisplayStartGuard::~DisplayStartGuard() {
    qInstallMessageHandler(previous_handler);
    // A platform started: what Qt said on the way goes out as it would have.
    for (const auto& message : held_messages) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.c_str());
        qt_message_output(message.type, context, message.text);
    }
    held_messages.clear();
}

}  // namespace tavrel
