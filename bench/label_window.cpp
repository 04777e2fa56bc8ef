// The start-up baseline: a maximized window with one label in the launcher's font, Terminus (TTF) 9 pt, so
// that it loads the font configuration and a font as any window with text must.

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
