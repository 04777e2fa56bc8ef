// The start-up baseline: the least a Qt Widgets program does to show a maximized window.
//   bench_bare_window          an empty window
//   bench_bare_window --label  the same window showing one line of text in the launcher's own font,
//                              "Terminus (TTF)" 9 pt, so that it loads the font configuration and that
//                              font as any window with text must

#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    if (app.arguments().contains(QStringLiteral("--label"))) {
        auto label = new QLabel(QStringLiteral("Quibrel! v0.2"), &window);
        label->setFont(QFont(QStringLiteral("Terminus (TTF)"), 9));
    }
    window.showMaximized();
    return app.exec();
}
