#include "fonts/font_configuration.h"
#include "ui/quibrel.h"
#include "ui/stored_layout.h"

#include <QApplication>

namespace {

// The window's text font is the application's font: a line edit lays out its empty text in the application's
// font as it is made, before the layout gives it its own, and with the system font that meant finding and
// loading a font that nothing on the window shows. Message boxes, menus and tips keep the system's font.
void useLayoutTextFont()
{
    const QFont systemFont = QApplication::font();
    const quibrel::FontLayout layout = quibrel::fontLayout(quibrel::ControlFont::Fixedsys9);
    QFont textFont(QString::fromLatin1(layout.face));
    textFont.setPointSizeF(layout.points);
    QApplication::setFont(textFont); // forgets the fonts given to classes of widgets
    for (const char *className : {"QMessageBox", "QMenu", "QTipLabel"})
        QApplication::setFont(systemFont, className);
}

} // namespace

int main(int argc, char *argv[])
{
    quibrel::FontConfigurationReader fontConfiguration;
    QApplication app(argc, argv);
    fontConfiguration.wait();
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quibrel.Quibrel"));
    useLayoutTextFont();
    // The window owns the sound device: it must go before the application object does.
    quibrel::Quibrel window;
    window.Form_Load();
    window.showMaximized();
    return app.exec();
}
