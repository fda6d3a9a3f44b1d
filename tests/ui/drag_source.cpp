// A small window that starts a drag of the files named on its command line when
// it is pressed, as a file manager does. The window's end-to-end test uses it to
// drop real files onto Tavrel through the X server.

#include <QApplication>
#include <QDrag>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <cstdio>

namespace {

class DragSource final : public QLabel {
public:
    explicit DragSource(QList<QUrl> urls) : urls_(std::move(urls)) {
        setText(QStringLiteral("Drag me"));
        setAlignment(Qt::AlignCenter);
        setWindowTitle(QStringLiteral("Tavrel drag source"));
        resize(200, 120);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        auto* drag = new QDrag(this);
        auto* mime = new QMimeData;
        mime->setUrls(urls_);
        drag->setMimeData(mime);
        const Qt::DropAction action = drag->exec(Qt::CopyAction);
        std::printf("drag ended: %s\n", action == Qt::CopyAction ? "copied" : "ignored");
        std::fflush(stdout);
    }

private:
    QList<QUrl> urls_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QList<QUrl> urls;
    // Paths go into the URLs byte for byte, percent-encoded, as file managers
    // send names that are not valid UTF-8.
    for (int i = 1; i < argc; ++i)
        urls.push_back(QUrl::fromEncoded("file://" + QByteArray(argv[i]).toPercentEncoding("/")));
    DragSource source(urls);
    source.show();
    return QApplication::exec();
}
