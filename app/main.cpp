#include "ui/quibrel.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quibrel.Quibrel"));
    // The window owns the sound device: it must go before the application object does.
    quibrel::Quibrel window;
    window.Form_Load();
    window.showMaximized();
    return app.exec();
}
