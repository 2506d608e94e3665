// A file manager's drag in miniature, for the desktop tests: a small window titled "Drag
// Source" that starts a drag of the paths given on the command line (byte for byte, as local
// file URLs) when a mouse button goes down on it, and ends when the drag does.

#include <QApplication>
#include <QByteArray>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <utility>

namespace {

class DragSource : public QWidget {
  public:
    explicit DragSource(QList<QUrl> dragged) : urls(std::move(dragged)) {
        setWindowTitle(QStringLiteral("Drag Source"));
        setFixedSize(160, 80);
    }

  protected:
    void mousePressEvent(QMouseEvent*) override {
        auto* drag = new QDrag(this);
        auto* mime = new QMimeData;
        mime->setUrls(urls);
        drag->setMimeData(mime);
        const Qt::DropAction done = drag->exec(Qt::CopyAction);
        // The target fetches the dragged data after the drop, from this process: it stays a
        // moment longer.
        QTimer::singleShot(done == Qt::IgnoreAction ? 0 : 2000, this, &QWidget::close);
    }

  private:
    QList<QUrl> urls;
};

// A path's bytes as a file URL: every byte outside the unreserved set is escaped, so bytes that
// are no UTF-8 travel unchanged.
QUrl FileUrl(const char* path) {
    return QUrl::fromEncoded("file://" + QByteArray(path).toPercentEncoding("/"));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QList<QUrl> urls;
    for (int i = 1; i < argc; ++i) {
        urls.append(FileUrl(argv[i]));
    }
    DragSource source(urls);
    source.move(0, 0);
    source.show();
    return application.exec();
}
