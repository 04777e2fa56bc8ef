#include "fonts/font_configuration.h"
#include "ui/quibrel.h"
#include "ui/stored_layout.h"

#include <QApplication>

namespace {

// The layout's text font, as the application's font while the window is built. A line edit lays out its empty
// text in the application's font as it is made, before the layout gives it its own: with the system font that
// meant finding and loading a font that nothing on the window shows.
QFont buildingFont()
{
    const quibrel::FontLayout layout = quibrel::fontLayout(quibrel::ControlFont::Fixedsys9);
    QFont font(QString::fromLatin1(layout.face));
    font.setPointSizeF(layout.points);
    return font;
}

} // namespace

int main(int argc, char *argv[])
{
    quibrel::FontConfigurationReader fontConfiguration;
    QApplication app(argc, argv);
    fontConfiguration.wait();
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quibrel.Quibrel"));
    const QFont systemFont = QApplication::font();
    QApplication::setFont(buildingFont());
    // The window owns the sound device: it must go before the application object does.
    quibrel::Quibrel window;
    // Message boxes, menus and tips keep the system's font.
    QApplication::setFont(systemFont);
    window.Form_Load();
    window.showMaximized();
    return app.exec();
}
