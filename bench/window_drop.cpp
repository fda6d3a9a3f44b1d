// The window taking a drop of a big folder: the folder is dropped on the shown
// window, the list is scrolled to its end and drawn. Prints the seconds from the
// drop to the drawn end of the list, the process's peak resident memory in MB
// and the number of entries listed. Runs offscreen unless told otherwise.
//
//   bench_window_drop DIR

#include <sys/resource.h>

#include <QApplication>
#include <QListView>
#include <chrono>
#include <cstdio>
#include <string>

#include "app/rename_session.h"
#include "app/user_environment.h"
#include "failing_reporter.h"
#include "platform/process.h"
#include "ui/qt/main_window.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: bench_window_drop DIR\n", stderr);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::string folder = argv[1];
    QApplication application(argc, argv);
    const std::string executable = tavrel::ExecutablePath();
    tavrel::UserEnvironment environment(executable);
    tavrel::RenameSession session(environment.Services());
    FailingReporter reporter("bench_window_drop");
    tavrel::MainWindow form(tavrel::MainWindowServices{session, executable, reporter});
    form.model().Reset();
    form.show();
    QApplication::processEvents();

    const auto start = std::chrono::steady_clock::now();
    form.model().FilesDropped({folder});
    form.model().WaitForWork();
    QListView& list = *form.file_list;
    list.scrollToBottom();
    QApplication::processEvents();
    list.viewport()->repaint();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;

    // The last entry must be the one drawn at the bottom of the list.
    const int rows = list.model()->rowCount();
    const QModelIndex bottom = list.indexAt(QPoint(1, list.viewport()->height() - 2));
    const QModelIndex shown = bottom.isValid() ? bottom : list.indexAt(QPoint(1, 1));
    if (rows == 0 || !shown.isValid() ||
        list.visualRect(list.model()->index(rows - 1, 0))
            .intersected(list.viewport()->rect())
            .isEmpty()) {
        std::fprintf(stderr, "bench_window_drop: the end of the list is not shown\n");
        return 1;
    }
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("%.3f %.1f %d\n", took.count(), usage.ru_maxrss / 1024.0, rows);
    return 0;
}
