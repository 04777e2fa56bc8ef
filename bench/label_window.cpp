// The start-up baseline: the least a Qt Widgets program with text does to show a maximized window. One
// label in the launcher's own font, "Terminus (TTF)" 9 pt, so that it loads the font configuration and that
// font as any window with text must.

#include <QApplication>
#include <QLabel>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    auto label = new QLabel(QStringLiteral("Quibrel! v0.2"), &window);
    label->setFont(QFont(QStringLiteral("Terminus (TTF)"), 9));
    window.showMaximized();
    return app.exec();
}
