// A small window that starts a drag of the files named on its command line when
// it is pressed, as a file manager does. The window's end-to-end tests use it to
// drop real files onto Tavrel through the X server.
//
// It prints "drag ended: copied" (or "ignored") when its drag ends, and "data
// asked for: TYPE" each time the drop target fetches the dragged data. Under
// X11 the drag ends as soon as the drop is sent, and the target fetches the
// data from this program only afterwards: a test must keep it running until
// it has seen the drop's effect on the target.
//
// Usage: tavrel_drag_source [--quit-when-asked] PATH_OR_URL...
// An argument with "://" (sftp://...) is offered as the URL it is. With
// --quit-when-asked it quits when the target asks for the drop's data (after
// the drag ended), without answering, as a source that crashes during a drop.

#include <QApplication>
#include <QDrag>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

class LoggedMimeData final : public QMimeData {
public:
    explicit LoggedMimeData(bool quit_when_asked) : quit_when_asked_(quit_when_asked) {}

protected:
    QVariant retrieveData(const QString& mime_type, QMetaType type) const override {
        std::printf("data asked for: %s\n", mime_type.toUtf8().constData());
        std::fflush(stdout);
        if (quit_when_asked_ && drag_ended) std::_Exit(0);
        return QMimeData::retrieveData(mime_type, type);
    }

public:
    bool drag_ended = false;

private:
    bool quit_when_asked_;
};

class DragSource final : public QLabel {
public:
    DragSource(QList<QUrl> urls, bool quit_when_asked)
        : urls_(std::move(urls)), quit_when_asked_(quit_when_asked) {
        setText(QStringLiteral("Drag me"));
        setAlignment(Qt::AlignCenter);
        setWindowTitle(QStringLiteral("Tavrel drag source"));
        resize(200, 120);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        auto* drag = new QDrag(this);
        auto* mime = new LoggedMimeData(quit_when_asked_);
        mime->setUrls(urls_);
        drag->setMimeData(mime);
        const Qt::DropAction action = drag->exec(Qt::CopyAction);
        mime->drag_ended = true;
        std::printf("drag ended: %s\n", action == Qt::CopyAction ? "copied" : "ignored");
        std::fflush(stdout);
    }

private:
    QList<QUrl> urls_;
    bool quit_when_asked_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    int first = 1;
    const bool quit_when_asked = argc > 1 && std::strcmp(argv[1], "--quit-when-asked") == 0;
    if (quit_when_asked) ++first;
    QList<QUrl> urls;
    // Paths go into the URLs byte for byte, percent-encoded, as file managers
    // send names that are not valid UTF-8.
    for (int i = first; i < argc; ++i)
        urls.push_back(QUrl::fromEncoded(
            std::strstr(argv[i], "://") ? QByteArray(argv[i])
                                        : "file://" + QByteArray(argv[i]).toPercentEncoding("/")));
    DragSource source(urls, quit_when_asked);
    source.show();
    return QApplication::exec();
}
