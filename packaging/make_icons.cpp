// make_icons: the desktop's icon files, made from the program's own window icon.
//   make_icons ICON_FILE OUTPUT_DIRECTORY NAME
// writes, under OUTPUT_DIRECTORY, the layout of the hicolor icon theme:
//   32x32/apps/NAME.png    the window icon as it is, pixel for pixel
//   256x256/apps/NAME.png  the same pixels, each drawn as an 8 x 8 square (no smoothing)
//   scalable/apps/NAME.svg the same pixels as squares of a vector drawing
// The lettering is pixel art: smoothing it while scaling would blur it, so every size keeps hard edges.
// The output depends on the input alone, so the files are the same on every build.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMap>

#include <cstdio>

namespace quibrel {
namespace {

constexpr int iconSide = 32;
constexpr int largeSide = 256;

QString colourName(QRgb colour)
{
    return QStringLiteral("#%1").arg(colour & 0xffffff, 6, 16, QLatin1Char('0'));
}

// One path per colour, each a list of one-pixel-high runs; the first pixel's colour is the background.
QByteArray vectorDrawing(const QImage &image)
{
    const QRgb background = image.pixel(0, 0);
    QMap<QRgb, QString> runsByColour;
    for (int y = 0; y < image.height(); ++y) {
        int x = 0;
        while (x < image.width()) {
            const QRgb colour = image.pixel(x, y);
            int end = x + 1;
            while (end < image.width() && image.pixel(end, y) == colour)
                ++end;
            if (colour != background)
                runsByColour[colour] += QStringLiteral("M%1 %2h%3v1h-%3z").arg(x).arg(y).arg(end - x);
            x = end;
        }
    }

    QString svg = QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%2\" "
                                 "viewBox=\"0 0 %1 %2\" shape-rendering=\"crispEdges\">\n")
                      .arg(image.width())
                      .arg(image.height());
    svg += QStringLiteral("<rect width=\"%1\" height=\"%2\" fill=\"%3\"/>\n")
               .arg(image.width())
               .arg(image.height())
               .arg(colourName(background));
    for (auto it = runsByColour.cbegin(); it != runsByColour.cend(); ++it)
        svg += QStringLiteral("<path fill=\"%1\" d=\"%2\"/>\n").arg(colourName(it.key()), it.value());
    svg += QStringLiteral("</svg>\n");
    return svg.toUtf8();
}

QString prepare(const QDir &output, const QString &subdirectory, const QString &fileName)
{
    output.mkpath(subdirectory);
    return output.filePath(subdirectory + QLatin1Char('/') + fileName);
}

bool savePicture(const QImage &image, const QString &path)
{
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

bool saveText(const QByteArray &text, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) {
        std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace
} // namespace quibrel

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv); // the icon file is read through Qt's image format plug-in
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: make_icons ICON_FILE OUTPUT_DIRECTORY NAME\n");
        return 2;
    }
    const QImage icon = QImage(args.at(1)).convertToFormat(QImage::Format_RGB32);
    if (icon.size() != QSize(quibrel::iconSide, quibrel::iconSide)) {
        std::fprintf(stderr, "make_icons: %s is not a 32 x 32 icon\n", qPrintable(args.at(1)));
        return 1;
    }
    const QDir output(args.at(2));
    const QString name = args.at(3);
    const QImage large = icon.scaled(quibrel::largeSide, quibrel::largeSide, Qt::IgnoreAspectRatio,
                                     Qt::FastTransformation); // nearest neighbour
    const bool ok =
        quibrel::savePicture(icon, quibrel::prepare(output, QStringLiteral("32x32/apps"), name + ".png")) &&
        quibrel::savePicture(large,
                             quibrel::prepare(output, QStringLiteral("256x256/apps"), name + ".png")) &&
        quibrel::saveText(quibrel::vectorDrawing(icon),
                          quibrel::prepare(output, QStringLiteral("scalable/apps"), name + ".svg"));
    return ok ? 0 : 1;
}
