// A drag source for the end-to-end run: a small window that, when pressed, drags
// the file named on its command line as a file manager would (a text/uri-list drag
// over XDND), so the run can drop a real file on the program.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace {
class DragSource : public QWidget
{
public:
    explicit DragSource(QString path) : m_path(std::move(path)) { setWindowTitle(QStringLiteral("Drag source")); }

protected:
    void mousePressEvent(QMouseEvent *) override
    {
        auto *data = new QMimeData;
        data->setUrls({QUrl::fromLocalFile(m_path)});
        auto *drag = new QDrag(this);
        drag->setMimeData(data);
        const Qt::DropAction done = drag->exec(Qt::CopyAction);
        std::printf("%s\n", done == Qt::CopyAction ? "dropped" : "not dropped");
        std::fflush(stdout);
        QApplication::quit();
    }

private:
    QString m_path;
};
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: e2e_dragsource <file>\n");
        return 2;
    }
    DragSource source(QString::fromLocal8Bit(argv[1]));
    source.setGeometry(0, 0, 120, 80);
    source.show();
    return app.exec();
}
