#include "ui/qt/window_mode.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>

#include "app/last_resort.h"
#include "app/user_environment.h"
#include "app/window_texts.h"
#include "platform/posix/process_environment.h"
#include "platform/posix/retry.h"
#include "platform/process.h"
#include "ui/qt/display_start.h"
#include "ui/qt/error_reporter.h"
#include "ui/qt/kio_fuse_mapper.h"
#include "ui/qt/main_window.h"

namespace tavrel {
namespace {

bool IsSet(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}

}  // namespace

int RunWindowMode(int& argc, char** argv) {
    // Without a display Qt would abort; say what to do instead.
    if (!IsSet("QT_QPA_PLATFORM") && !DisplayAvailable()) {
        std::fputs(
            "tavrel: no display to open the window on; name files or directories to rename them "
            "from the command line\n",
            stderr);
        return 2;
    }
    // A display named that no platform can reach ends here with exit code 1.
    std::optional<DisplayStartGuard> starting(std::in_place);
    QApplication application(argc, argv);
    starting.reset();
    const std::string executable = ExecutablePath();
    MessageBoxReporter reporter;
    return RunWithLastResort(
        executable,
        [&] {
            UserEnvironment environment(executable);
            RenameSession session(environment.Services());
            KioFuseMapper kio_fuse;
            MainWindowServices services{session, executable, reporter, HostName()};
            services.path_mapper = &kio_fuse;
            MainWindow window(std::move(services));
            window.model().Reset();
            window.show();
            QApplication::exec();
            return 0;
        },
        [&](const std::string& text) {
            reporter.ShowError(nullptr, QString::fromUtf8(window_text::kLastResortTitle),
                               QString::fromUtf8(text));
        });
}

void ShowLastResortBoxIfDisplay(const std::string& text) {
    if (!DisplayAvailable()) return;
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) return;
    if (child == 0) {
        // Qt's own complaints (a display it cannot reach) stay out of the
        // caller's error output, which already holds the text.
        const int null_fd = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null_fd >= 0) ::dup2(null_fd, STDERR_FILENO);
        int argc = 1;
        char name[] = "tavrel";
        char* argv[] = {name, nullptr};
        std::optional<DisplayStartGuard> starting(std::in_place);
        QApplication application(argc, argv);
        starting.reset();
        MessageBoxReporter().ShowError(nullptr, QString::fromUtf8(window_text::kLastResortTitle),
                                       QString::fromUtf8(text));
        std::_Exit(0);
    }
    int status = 0;
    RetryOnInterrupt([&] { return ::waitpid(child, &status, 0); });
}

}  // namespace tavrel
