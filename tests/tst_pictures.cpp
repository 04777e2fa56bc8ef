#include "ui/pictures/pictures.h"

#include <QFile>
#include <QImage>
#include <QSet>
#include <QTest>
#include <QtEndian>

using namespace quibrel;

namespace {

constexpr QRgb black = 0xff000000;
constexpr QRgb red = 0xffff0000;
constexpr QRgb grey = 0xffc0c0c0;

// Where the bitmap header of each picture starts: after the 14-byte file header of a bitmap file, after the
// 6-byte directory and its one 16-byte entry in the icon file.
constexpr int bitmapHeaderAt = 14;
constexpr int iconHeaderAt = 22;
constexpr int iconPaletteAt = iconHeaderAt + 40;
constexpr int iconPixelsAt = iconPaletteAt + 16 * 4;
constexpr int iconMaskAt = iconPixelsAt + 512;

// The picture's file as committed in ui/pictures (its name without the leading ":/").
QString sourceFile(const char *picture)
{
    return QStringLiteral(QUIBREL_PICTURES_DIR "/") + QString::fromLatin1(picture).mid(2);
}

QByteArray fileBytes(const char *picture)
{
    QFile file(sourceFile(picture));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint16 u16(const QByteArray &bytes, int at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

quint32 u32(const QByteArray &bytes, int at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

qint32 s32(const QByteArray &bytes, int at)
{
    return qFromLittleEndian<qint32>(bytes.constData() + at);
}

// The picture as the program has it, ready to draw.
QImage embeddedImage(const char *path)
{
    return pictures::image(path).convertToFormat(QImage::Format_ARGB32);
}

// The first and last red column of a row of the arrow and how many red pixels the row holds.
struct Run {
    int first = -1;
    int last = -1;
    int count = 0;
    int width() const { return count == 0 ? 0 : last - first + 1; }
};

Run redRun(const QImage &image, int y)
{
    Run run;
    for (int x = 0; x < image.width(); ++x) {
        if (image.pixel(x, y) != red)
            continue;
        if (run.first < 0)
            run.first = x;
        run.last = x;
        ++run.count;
    }
    return run;
}

int countPixels(const QImage &image, const QRect &area, bool (*test)(QRgb))
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            n += test(image.pixel(x, y)) ? 1 : 0;
    }
    return n;
}

bool isBlack(QRgb c)
{
    return (c & 0xffffff) == 0;
}

bool isStrongRed(QRgb c)
{
    return qRed(c) > 170 && qGreen(c) < 70 && qBlue(c) < 70;
}

bool isGlowingYellow(QRgb c)
{
    return qRed(c) > 220 && qGreen(c) > 190 && qBlue(c) < 140;
}

} // namespace

class TestPictures : public QObject {
    Q_OBJECT
private slots:
    void fileSizesAndDepths_data();
    void fileSizesAndDepths();
    void bitmapFileHeaders_data();
    void bitmapFileHeaders();
    void iconDirectory();
    void iconPalette();
    void iconIsRedLetteringOnOpaqueBlack();
    void arrowHasExactlyTwoColours();
    void arrowPointsDownAtItsTip();
    void arrowShape();
    void zorvelBlackOutsideTheIllustration_data();
    void zorvelBlackOutsideTheIllustration();
    void zorvelShowsRedTitleAndYellowEyes();
    void listIcons_data();
    void listIcons();
    void readyToDrawAsTheFiles_data();
    void readyToDrawAsTheFiles();
    void windowIconAsTheFile();
};

void TestPictures::fileSizesAndDepths_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("bytes");
    QTest::addColumn<int>("headerAt");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("storedHeight");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("bitsPerPixel");

    // The icon's stored height counts the colour image and the mask.
    QTest::newRow("window icon") << QString::fromLatin1(pictures::windowIcon) << 766 << iconHeaderAt << 32
                                 << 64 << 32 << 4;
    QTest::newRow("picture-box bitmap")
        << QString::fromLatin1(pictures::zorvel) << 464742 << bitmapHeaderAt << 335 << 461 << 461 << 24;
    QTest::newRow("arrow bitmap") << QString::fromLatin1(pictures::arrow) << 34506 << bitmapHeaderAt << 115
                                  << 99 << 99 << 24;
}

void TestPictures::fileSizesAndDepths()
{
    QFETCH(QString, path);
    QFETCH(int, bytes);
    QFETCH(int, headerAt);
    QFETCH(int, width);
    QFETCH(int, storedHeight);
    QFETCH(int, height);
    QFETCH(int, bitsPerPixel);

    const QByteArray file = fileBytes(path.toLatin1().constData());
    QCOMPARE(file.size(), bytes);
    QCOMPARE(u32(file, headerAt), 40u); // header size
    QCOMPARE(s32(file, headerAt + 4), width);
    QCOMPARE(s32(file, headerAt + 8), storedHeight);
    QCOMPARE(u16(file, headerAt + 12), quint16(1)); // planes
    QCOMPARE(int(u16(file, headerAt + 14)), bitsPerPixel);
    QCOMPARE(u32(file, headerAt + 16), 0u); // no compression

    // And the picture decodes to what the window shows.
    const QImage image(sourceFile(path.toLatin1().constData()));
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), QSize(width, height));
}

void TestPictures::bitmapFileHeaders_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("rowBytes");
    QTest::addColumn<int>("rows");

    QTest::newRow("picture-box bitmap: 335 pixels and 3 padding bytes a row")
        << QString::fromLatin1(pictures::zorvel) << 1008 << 461;
    QTest::newRow("arrow bitmap: 115 pixels and 3 padding bytes a row")
        << QString::fromLatin1(pictures::arrow) << 348 << 99;
}

void TestPictures::bitmapFileHeaders()
{
    QFETCH(QString, path);
    QFETCH(int, rowBytes);
    QFETCH(int, rows);

    const QByteArray file = fileBytes(path.toLatin1().constData());
    QCOMPARE(file.left(2), QByteArray("BM"));
    QCOMPARE(int(u32(file, 2)), file.size());
    QCOMPARE(u32(file, 10), 54u); // pixels right after the two headers: no palette
    QCOMPARE(int(u32(file, 34)), rowBytes * rows);
    QCOMPARE(54 + rowBytes * rows, file.size());
    QCOMPARE(s32(file, 38), 3790); // pixels per metre
    QCOMPARE(s32(file, 42), 3800);
}

void TestPictures::iconDirectory()
{
    const QByteArray file = fileBytes(pictures::windowIcon);
    QCOMPARE(u16(file, 0), quint16(0)); // reserved
    QCOMPARE(u16(file, 2), quint16(1)); // an icon, not a cursor
    QCOMPARE(u16(file, 4), quint16(1)); // one image
    QCOMPARE(quint8(file.at(6)), quint8(32));
    QCOMPARE(quint8(file.at(7)), quint8(32));
    QCOMPARE(quint8(file.at(8)), quint8(16)); // colours
    QCOMPARE(u32(file, 14), 744u);            // image bytes
    QCOMPARE(u32(file, 18), 22u);             // image offset
    QCOMPARE(u32(file, iconHeaderAt + 20), 512u);
}

void TestPictures::iconPalette()
{
    const QByteArray file = fileBytes(pictures::windowIcon);
    const QRgb standard[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                               0x008080, 0xc0c0c0, 0x808080, 0xff0000, 0x00ff00, 0xffff00,
                               0x0000ff, 0xff00ff, 0x00ffff, 0xffffff};
    for (int i = 0; i < 16; ++i) {
        const int at = iconPaletteAt + 4 * i; // blue, green, red, zero
        const QRgb entry = qRgb(quint8(file.at(at + 2)), quint8(file.at(at + 1)), quint8(file.at(at)));
        QCOMPARE(entry & 0xffffff, standard[i]);
        QCOMPARE(file.at(at + 3), '\0');
    }
}

void TestPictures::iconIsRedLetteringOnOpaqueBlack()
{
    const QByteArray file = fileBytes(pictures::windowIcon);
    QSet<int> used;
    for (int at = iconPixelsAt; at < iconMaskAt; ++at) {
        used.insert(quint8(file.at(at)) >> 4);
        used.insert(quint8(file.at(at)) & 0xf);
    }
    QCOMPARE(used, QSet<int>({0, 9})); // black and bright red only
    QCOMPARE(file.mid(iconMaskAt), QByteArray(128, '\0'));

    // As the window system gets it: every pixel opaque, black or red, with lettering on both halves.
    const QImage image = embeddedImage(pictures::windowIcon);
    int redTop = 0;
    int redBottom = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            QVERIFY2(c == black || c == red, qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
            (y < 16 ? redTop : redBottom) += c == red ? 1 : 0;
        }
    }
    QVERIFY(redTop > 40);
    QVERIFY(redBottom > 40);
    QCOMPARE(image.pixel(0, 0), black);
}

void TestPictures::arrowHasExactlyTwoColours()
{
    const QImage image = embeddedImage(pictures::arrow);
    int redPixels = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            QVERIFY2(c == grey || c == red, qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
            redPixels += c == red ? 1 : 0;
        }
    }
    QVERIFY2(redPixels > 2300 && redPixels < 2650, qPrintable(QString::number(redPixels)));
    QCOMPARE(image.pixel(0, 0), grey);
    QCOMPARE(image.pixel(114, 98), grey);
}

void TestPictures::arrowPointsDownAtItsTip()
{
    const QImage image = embeddedImage(pictures::arrow);
    const Run point = redRun(image, 79);
    QCOMPARE(point.count, 1);
    QCOMPARE(point.first, 53);
    for (int y = 80; y < image.height(); ++y)
        QCOMPARE(redRun(image, y).count, 0);
    for (int y = 0; y < 9; ++y)
        QCOMPARE(redRun(image, y).count, 0);
}

void TestPictures::arrowShape()
{
    const QImage image = embeddedImage(pictures::arrow);
    int widest = 9;
    for (int y = 9; y <= 79; ++y) {
        const Run run = redRun(image, y);
        QVERIFY2(run.count > 0 && run.count == run.width(), qPrintable(QStringLiteral("row %1").arg(y)));
        QVERIFY2(qAbs(run.first + run.last - 2 * 53) <= 1, qPrintable(QStringLiteral("row %1").arg(y)));
        if (run.width() > redRun(image, widest).width())
            widest = y;
    }
    // A shaft about 48 wide at its top, narrowing to about 28 over a head about 58 wide.
    const int shaftTop = redRun(image, 9).width();
    QVERIFY2(shaftTop >= 44 && shaftTop <= 52, qPrintable(QString::number(shaftTop)));
    int neck = shaftTop;
    for (int y = 9; y < widest; ++y)
        neck = qMin(neck, redRun(image, y).width());
    QVERIFY2(neck >= 24 && neck <= 32, qPrintable(QString::number(neck)));
    const int head = redRun(image, widest).width();
    QVERIFY2(head >= 54 && head <= 62, qPrintable(QString::number(head)));
    // The head narrows steadily down to its point.
    for (int y = widest + 1; y <= 79; ++y)
        QVERIFY2(redRun(image, y).width() < redRun(image, y - 1).width(), qPrintable(QString::number(y)));
}

void TestPictures::zorvelBlackOutsideTheIllustration_data()
{
    QTest::addColumn<QRect>("area");

    QTest::newRow("the strip above the illustration") << QRect(0, 0, 335, 29);
    QTest::newRow("the whole lower part from row 265") << QRect(0, 265, 335, 196);
    QTest::newRow("the columns right of column 317") << QRect(318, 0, 17, 461);
}

void TestPictures::zorvelBlackOutsideTheIllustration()
{
    QFETCH(QRect, area);
    const QImage image = embeddedImage(pictures::zorvel);
    QCOMPARE(countPixels(image, area, isBlack), area.width() * area.height());
}

void TestPictures::zorvelShowsRedTitleAndYellowEyes()
{
    const QImage image = embeddedImage(pictures::zorvel);
    const QRect illustration(0, 29, 318, 236);
    const QRect titleBand(0, 29, 318, 80);
    QVERIFY(countPixels(image, titleBand, isStrongRed) > 1000);
    QVERIFY(countPixels(image, illustration, isGlowingYellow) > 20);
    // Painted everywhere, yet dark: hardly a pixel is pure black, and the average is dim.
    QVERIFY(countPixels(image, illustration, isBlack) < illustration.width() * illustration.height() / 50);
    qint64 brightness = 0;
    for (int y = illustration.top(); y <= illustration.bottom(); ++y) {
        for (int x = illustration.left(); x <= illustration.right(); ++x)
            brightness += qGray(image.pixel(x, y));
    }
    QVERIFY(brightness / (illustration.width() * illustration.height()) < 80);
}

void TestPictures::listIcons_data()
{
    QTest::addColumn<QString>("path");

    QTest::newRow("drive") << QString::fromLatin1(pictures::driveIcon);
    QTest::newRow("open folder") << QString::fromLatin1(pictures::openFolderIcon);
    QTest::newRow("closed folder") << QString::fromLatin1(pictures::closedFolderIcon);
}

// Small icons for a list row: 16 x 16, drawn on a transparent ground with a black outline.
void TestPictures::listIcons()
{
    QFETCH(QString, path);
    const QImage image = embeddedImage(path.toLatin1().constData());
    QCOMPARE(image.size(), QSize(16, 16));
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(image.pixel(15, 15)), 0);
    QVERIFY(countPixels(image, image.rect(), [](QRgb c) { return c == black; }) > 20);
}

void TestPictures::readyToDrawAsTheFiles_data()
{
    QTest::addColumn<QString>("picture");
    QTest::newRow("window icon") << QString::fromLatin1(pictures::windowIcon);
    QTest::newRow("picture-box bitmap") << QString::fromLatin1(pictures::zorvel);
    QTest::newRow("arrow bitmap") << QString::fromLatin1(pictures::arrow);
    QTest::newRow("drive icon") << QString::fromLatin1(pictures::driveIcon);
    QTest::newRow("open folder icon") << QString::fromLatin1(pictures::openFolderIcon);
    QTest::newRow("closed folder icon") << QString::fromLatin1(pictures::closedFolderIcon);
}

// Decoded at build time, the pictures are the very pixels that reading their files gives (an opaque one in 24
// bits), and make pixmaps of the same pixels: the window draws what it drew when it read the files.
void TestPictures::readyToDrawAsTheFiles()
{
    QFETCH(QString, picture);
    const QByteArray name = picture.toLatin1();
    const QImage fromFile(sourceFile(name.constData()));
    QVERIFY(!fromFile.isNull());

    const QImage ready = pictures::image(name.constData());
    QCOMPARE(ready.format(), fromFile.hasAlphaChannel() ? fromFile.format() : QImage::Format_RGB888);
    QCOMPARE(ready.convertToFormat(fromFile.format()), fromFile);
    const auto drawn = [](const QPixmap &pixmap) {
        return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    };
    QCOMPARE(drawn(pictures::pixmap(name.constData())), drawn(QPixmap::fromImage(fromFile)));
}

void TestPictures::windowIconAsTheFile()
{
    const QIcon fromFile(sourceFile(pictures::windowIcon));
    const QIcon ready = pictures::icon(pictures::windowIcon);
    QCOMPARE(ready.availableSizes(), fromFile.availableSizes());
    QCOMPARE(ready.pixmap(32).toImage(), fromFile.pixmap(32).toImage());
}

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
