// The baseline a figure is compared with: the least a Qt Widgets program does to put a
// maximized window on the screen.
#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget w;
    w.setWindowTitle(QStringLiteral("bare"));
    w.showMaximized();
    return app.exec();
}
