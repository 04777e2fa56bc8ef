// The start-up baseline: the least a Qt Widgets program does to show a maximized window.
//   bench_bare_window          an empty window
//   bench_bare_window --label  the same window showing one line of text, so that it loads the font
//                              configuration and one font as any window with text must

#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    if (app.arguments().contains(QStringLiteral("--label")))
        new QLabel(QStringLiteral("Quibrel! v0.2"), &window);
    window.showMaximized();
    return app.exec();
}
