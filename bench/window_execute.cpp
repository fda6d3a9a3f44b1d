// The window's rename pass over a big list: the folder is dropped on the shown
// window (not timed), the stamp type chosen, Execute pressed, and the event
// loop run until the pass has ended and the list shows its result. Meanwhile
// the list asks to be drawn every 40 ms, and the gaps between the paints it
// gets are measured: the window answering during the pass. Prints the seconds
// of the pass, the longest gap between two paints in milliseconds, the number
// of paints, and whether the title showed progress. Runs offscreen unless
// told otherwise.
//
//   bench_window_execute DIR STAMP_TYPE

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QListView>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <string>

#include "app/rename_session.h"
#include "app/user_environment.h"
#include "failing_reporter.h"
#include "platform/process.h"
#include "ui/qt/main_window.h"

namespace {

// Records when the list's viewport is painted.
class PaintClock final : public QObject {
public:
    explicit PaintClock(QElapsedTimer& clock) : clock_(clock) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            const qint64 now = clock_.nsecsElapsed();
            if (paints_ > 0) longest_gap_ = std::max(longest_gap_, now - last_);
            last_ = now;
            ++paints_;
        }
        return QObject::eventFilter(watched, event);
    }
    qint64 longest_gap_ = 0;
    qint64 last_ = 0;
    long paints_ = 0;

private:
    QElapsedTimer& clock_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: bench_window_execute DIR STAMP_TYPE\n", stderr);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::string folder = argv[1];
    const int stamp_type = std::stoi(argv[2]);
    QApplication application(argc, argv);
    const std::string executable = tavrel::ExecutablePath();
    tavrel::UserEnvironment environment(executable);
    tavrel::RenameSession session(environment.Services());
    FailingReporter reporter("bench_window_execute");
    tavrel::MainWindow form(tavrel::MainWindowServices{session, executable, reporter});
    form.model().Reset();
    form.show();
    QApplication::processEvents();
    form.model().FilesDropped({folder});
    form.model().WaitForWork();
    form.stamp_type_selector->setCurrentIndex(stamp_type);
    const QString idle_title = form.windowTitle();

    QElapsedTimer clock;
    clock.start();
    PaintClock paints(clock);
    form.file_list->viewport()->installEventFilter(&paints);
    QTimer repaint;
    repaint.setInterval(40);
    QObject::connect(&repaint, &QTimer::timeout, [&] { form.file_list->viewport()->update(); });
    bool progress_shown = false;
    QObject::connect(&form, &QWidget::windowTitleChanged,
                     [&](const QString& title) { progress_shown |= title != idle_title; });
    repaint.start();

    const qint64 start = clock.nsecsElapsed();
    form.model().ExecuteClicked();
    while (form.model().Working()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double seconds = static_cast<double>(clock.nsecsElapsed() - start) / 1e9;
    repaint.stop();

    std::printf("%.3f %.1f %ld %d\n", seconds, static_cast<double>(paints.longest_gap_) / 1e6,
                paints.paints_, progress_shown ? 1 : 0);
    return 0;
}
