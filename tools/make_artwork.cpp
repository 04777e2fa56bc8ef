// Draws the program's pictures and writes them as files, the first three with an exact byte layout:
//   quibrel.ico  the window icon, 32 x 32, 16 colours, red lettering on black;
//   zorvel.bmp   the picture-box illustration, 335 x 461, 24 bits;
//   arrow.bmp    the attention arrow, 115 x 99, 24 bits, red on light grey;
//   drive.png, folder-open.png, folder-closed.png
//                the drive and directory lists' icons, 16 x 16 with transparency. They are ours rather than
//                the icon theme's: reading the theme's index cost the start-up a fifth of its work.
// tools/make-artwork runs it; the files it writes are committed in ui/pictures and compiled into the program.
// Everything is drawn from code with a fixed random seed, so a rerun gives the same files. Random numbers are
// drawn one statement at a time (or in braced lists, which C++ evaluates in order) for the same reason.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QStringList>

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <vector>

namespace quibrel {
namespace {

// ---------------------------------------------------------------------------------------------------------
// File layout

constexpr int bitmapHeadersSize = 14 + 40;
constexpr qint32 pixelsPerMetreX = 3790;
constexpr qint32 pixelsPerMetreY = 3800;

int rowBytes24(int width)
{
    return (width * 3 + 3) / 4 * 4;
}

void writeInfoHeader(QDataStream &out, qint32 width, qint32 height, quint16 bitsPerPixel, quint32 imageBytes,
                     qint32 xPerMetre, qint32 yPerMetre)
{
    out << quint32(40) << width << height << quint16(1) << bitsPerPixel << quint32(0) // no compression
        << imageBytes << xPerMetre << yPerMetre << quint32(0)
        << quint32(0); // all colours used, all important
}

// An uncompressed 24-bit bitmap file: rows bottom to top, blue-green-red, each row padded to 4 bytes.
QByteArray bitmapFile(const QImage &image)
{
    const int stride = rowBytes24(image.width());
    const quint32 imageBytes = quint32(stride * image.height());
    QByteArray file;
    QDataStream out(&file, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("BM", 2);
    out << quint32(bitmapHeadersSize + imageBytes) << quint16(0) << quint16(0) << quint32(bitmapHeadersSize);
    writeInfoHeader(out, image.width(), image.height(), 24, imageBytes, pixelsPerMetreX, pixelsPerMetreY);
    for (int y = image.height() - 1; y >= 0; --y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            out << quint8(qBlue(p)) << quint8(qGreen(p)) << quint8(qRed(p));
        }
        for (int pad = image.width() * 3; pad < stride; ++pad)
            out << quint8(0);
    }
    return file;
}

// The window system's standard 16 colours, in the order icon palettes use.
const QRgb standardPalette[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xc0c0c0,
    0x808080, 0xff0000, 0x00ff00, 0xffff00, 0x0000ff, 0xff00ff, 0x00ffff, 0xffffff,
};
constexpr quint8 black = 0;
constexpr quint8 brightRed = 9;
constexpr int iconSide = 32;

using IconPixels = std::vector<std::vector<quint8>>; // [row from the top][column] -> palette index

// An icon file of one 32 x 32 image with 4-bit colour and an all-zero mask (every pixel opaque).
QByteArray iconFile(const IconPixels &pixels)
{
    constexpr int colourBytes = iconSide * iconSide / 2;
    constexpr int maskBytes = iconSide * iconSide / 8;
    constexpr int imageBytes = 40 + 16 * 4 + colourBytes + maskBytes;
    QByteArray file;
    QDataStream out(&file, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0) << quint16(1) << quint16(1);                         // reserved, type icon, one image
    out << quint8(iconSide) << quint8(iconSide) << quint8(16) << quint8(0) // 16 colours
        << quint16(1) << quint16(4) << quint32(imageBytes) << quint32(6 + 16);
    // The height counts colour image and mask together.
    writeInfoHeader(out, iconSide, 2 * iconSide, 4, colourBytes, 0, 0);
    for (QRgb c : standardPalette)
        out << quint8(qBlue(c)) << quint8(qGreen(c)) << quint8(qRed(c)) << quint8(0);
    for (int y = iconSide - 1; y >= 0; --y) {
        for (int x = 0; x < iconSide; x += 2)
            out << quint8(pixels[y][x] << 4 | pixels[y][x + 1]);
    }
    for (int i = 0; i < maskBytes; ++i)
        out << quint8(0);
    return file;
}

// ---------------------------------------------------------------------------------------------------------
// Window icon: "QUIB" over "REL" in a bold 5 x 7 pixel font, red on black

const char *glyph(char c)
{
    switch (c) {
    case 'Q':
        return ".###.#...##...##...##.#.##..#..##.#";
    case 'U':
        return "#...##...##...##...##...##...#.###.";
    case 'I':
        return "#####..#....#....#....#....#..#####";
    case 'B':
        return "####.#...##...#####.#...##...#####.";
    case 'R':
        return "####.#...##...#####.#.#..#..#.#...#";
    case 'E':
        return "######....#....####.#....#....#####";
    case 'L':
        return "#....#....#....#....#....#....#####";
    }
    return "";
}

constexpr int glyphWidth = 5;
constexpr int glyphHeight = 7;
constexpr int boldGlyphWidth = glyphWidth + 1; // bold doubles every stroke one pixel to the right
constexpr int letterGap = 1;

void drawWord(IconPixels &pixels, const QByteArray &word, int top)
{
    const int width = word.size() * boldGlyphWidth + (word.size() - 1) * letterGap;
    int left = (iconSide - width) / 2;
    for (char c : word) {
        const char *bits = glyph(c);
        for (int y = 0; y < glyphHeight; ++y) {
            for (int x = 0; x < glyphWidth; ++x) {
                if (bits[y * glyphWidth + x] != '#')
                    continue;
                pixels[top + y][left + x] = brightRed;
                pixels[top + y][left + x + 1] = brightRed;
            }
        }
        left += boldGlyphWidth + letterGap;
    }
}

QByteArray makeIcon()
{
    IconPixels pixels(iconSide, std::vector<quint8>(iconSide, black));
    constexpr int lineGap = 4;
    constexpr int top = (iconSide - 2 * glyphHeight - lineGap) / 2;
    drawWord(pixels, "QUIB", top);
    drawWord(pixels, "REL", top + glyphHeight + lineGap);
    return iconFile(pixels);
}

// ---------------------------------------------------------------------------------------------------------
// Attention arrow: a thick red arrow pointing down on light grey, drawn pixel by pixel (two colours only)

constexpr QRgb arrowGround = 0xffc0c0c0;
constexpr QRgb arrowRed = 0xffff0000;
constexpr int pointColumn = 53;
constexpr int pointRow = 79;
constexpr int shaftTop = 9;
constexpr int headHalfWidth = 29; // the head is 2 * 29 + 1 = 59 pixels across its top

QByteArray makeArrow()
{
    QImage image(115, 99, QImage::Format_RGB32);
    image.fill(arrowGround);
    const int headTop = pointRow - headHalfWidth;
    // The shaft narrows from 48 to 28 pixels on its way down to the head.
    for (int y = shaftTop; y < headTop; ++y) {
        const double t = double(y - shaftTop) / (headTop - 1 - shaftTop);
        const int width = int(std::lround(48 - 20 * t));
        const int left = pointColumn - (width - 1) / 2;
        for (int x = left; x < left + width; ++x)
            image.setPixel(x, y, arrowRed);
    }
    // The head: straight 45-degree sides meeting in a single pixel.
    for (int y = headTop; y <= pointRow; ++y) {
        const int half = pointRow - y;
        for (int x = pointColumn - half; x <= pointColumn + half; ++x)
            image.setPixel(x, y, arrowRed);
    }
    return bitmapFile(image);
}

// ---------------------------------------------------------------------------------------------------------
// Picture-box illustration: a grinning skull-faced figure with long dark hair and glowing yellow eyes under
// the program's name in red blackletter. Painted into the upper-left 318 x 236 area starting at row 29; the
// rest of the bitmap stays black.

const QRect sceneRect(0, 29, 318, 236);
const QString blackletterFamily = QStringLiteral("Blankenburg_UNZ1A");
constexpr double midX = 159; // the figure's axis
constexpr double eyeY = 160;
constexpr double eyeDx = 20;
constexpr double figureDrop = 8; // the figure is drawn this much lower than its coordinates say

class Illustration {
public:
    Illustration();
    QImage image() const { return m_image; }

private:
    void paintBackground();
    void paintBackHair();
    void paintCloak();
    void paintSkull();
    void paintEyes();
    void paintGrin();
    void paintFrontHair();
    void paintTitle();
    void paintVignette();
    void addGrain();

    void painterFor(QPainter &p);
    void figurePainterFor(QPainter &p);
    QPainterPath lock(double side, double snug);
    QColor hairColour(int darkest, int range);
    double random(double from, double to) { return from + m_random.generateDouble() * (to - from); }

    QImage m_image;
    QPainterPath m_skull;
    QRandomGenerator m_random{20240917};
};

Illustration::Illustration()
    : m_image(335, 461, QImage::Format_RGB32)
{
    m_image.fill(Qt::black);
    paintBackground();
    paintBackHair();
    paintCloak();
    paintSkull();
    paintEyes();
    paintGrin();
    paintFrontHair();
    paintTitle();
    paintVignette();
    addGrain();
}

void Illustration::painterFor(QPainter &p)
{
    p.begin(&m_image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setClipRect(sceneRect);
}

void Illustration::figurePainterFor(QPainter &p)
{
    painterFor(p);
    p.translate(0, figureDrop);
}

// Dark hair with now and then a cold sheen or a red glint from the glow behind.
QColor Illustration::hairColour(int darkest, int range)
{
    const int shade = darkest + int(m_random.bounded(range));
    const int kind = int(m_random.bounded(16));
    if (kind == 0)
        return QColor(shade + 24, shade + 24, shade + 32, 140);
    if (kind == 1)
        return QColor(shade + 46, shade + 6, shade + 4, 130);
    return QColor(shade + 5, shade, shade + 4, 110 + int(m_random.bounded(130)));
}

void Illustration::paintBackground()
{
    QPainter p;
    painterFor(p);
    QLinearGradient sky(0, sceneRect.top(), 0, sceneRect.bottom());
    sky.setColorAt(0.0, QColor(0x26, 0x07, 0x10));
    sky.setColorAt(0.5, QColor(0x16, 0x05, 0x12));
    sky.setColorAt(1.0, QColor(0x07, 0x02, 0x06));
    p.fillRect(sceneRect, sky);
    p.setPen(Qt::NoPen);
    // Drifting smoke: soft translucent blots.
    for (int i = 0; i < 90; ++i) {
        const QPointF c{random(0, 318), random(sceneRect.top(), sceneRect.bottom())};
        const double r = random(10, 50);
        QRadialGradient blot(c, r);
        const int shade = 30 + int(m_random.bounded(40));
        blot.setColorAt(0.0, QColor(shade + 24, shade / 3, shade / 2 + 6, 30));
        blot.setColorAt(1.0, QColor(0, 0, 0, 0));
        p.setBrush(blot);
        p.drawEllipse(c, r, r * 0.55);
    }
    // A blood moon behind the head, half lost in the smoke.
    const QPointF moon(midX, 150);
    QRadialGradient halo(moon, 125);
    halo.setColorAt(0.0, QColor(0x90, 0x30, 0x18, 150));
    halo.setColorAt(0.45, QColor(0x60, 0x14, 0x14, 90));
    halo.setColorAt(1.0, QColor(0x20, 0x04, 0x0c, 0));
    p.setBrush(halo);
    p.drawEllipse(moon, 125, 125);
    QRadialGradient disc(moon + QPointF(-20, -25), 95);
    disc.setColorAt(0.0, QColor(0xb0, 0x4a, 0x22));
    disc.setColorAt(0.6, QColor(0x80, 0x26, 0x16));
    disc.setColorAt(1.0, QColor(0x48, 0x10, 0x10));
    p.setBrush(disc);
    p.setOpacity(0.85);
    p.drawEllipse(moon, 84, 84);
    // Craters, faint.
    for (int i = 0; i < 14; ++i) {
        const double angle = random(0, 6.283);
        const double distance = random(0, 62);
        const QPointF c = moon + QPointF(std::cos(angle) * distance, std::sin(angle) * distance);
        const double r = random(3, 12);
        QRadialGradient crater(c, r);
        crater.setColorAt(0.0, QColor(0x40, 0x0c, 0x0a, 90));
        crater.setColorAt(1.0, QColor(0x40, 0x0c, 0x0a, 0));
        p.setBrush(crater);
        p.drawEllipse(c, r, r);
    }
    p.setOpacity(1.0);
    // Embers rising in the dark.
    for (int i = 0; i < 40; ++i) {
        const QPointF c{random(0, 318), random(120, sceneRect.bottom())};
        const double r = random(1.5, 4);
        QRadialGradient ember(c, r);
        ember.setColorAt(0.0, QColor(0xff, 0xc0, 0x60, 200));
        ember.setColorAt(0.3, QColor(0xf0, 0x50, 0x10, 140));
        ember.setColorAt(1.0, QColor(0x80, 0x10, 0x00, 0));
        p.setBrush(ember);
        p.drawEllipse(c, r, r);
    }
    // Smoke drifting across the moon.
    for (int i = 0; i < 18; ++i) {
        const QPointF c{random(60, 260), random(90, 240)};
        const double r = random(20, 50);
        QRadialGradient blot(c, r);
        blot.setColorAt(0.0, QColor(0x18, 0x06, 0x0c, 70));
        blot.setColorAt(1.0, QColor(0x18, 0x06, 0x0c, 0));
        p.setBrush(blot);
        p.drawEllipse(c, r * 1.6, r * 0.4);
    }
}

void Illustration::paintBackHair()
{
    QPainter p;
    figurePainterFor(p);
    // The mass of hair behind the head, falling past the shoulders.
    QPainterPath mass;
    mass.moveTo(midX, 96);
    mass.cubicTo(100, 96, 92, 160, 80, 205);
    mass.cubicTo(72, 235, 58, 255, 48, 268);
    mass.lineTo(270, 268);
    mass.cubicTo(260, 255, 246, 235, 238, 205);
    mass.cubicTo(226, 160, 218, 96, midX, 96);
    QLinearGradient dark(0, 96, 0, 266);
    dark.setColorAt(0.0, QColor(0x1a, 0x12, 0x16));
    dark.setColorAt(1.0, QColor(0x07, 0x04, 0x06));
    p.fillPath(mass, dark);
    for (int i = 0; i < 320; ++i) {
        const double side = i % 2 == 0 ? -1 : 1;
        const double spread = m_random.generateDouble();
        const QPointF root(midX + side * (6 + 40 * spread), 100 + 26 * spread);
        const QPointF tip{midX + side * random(78, 135), random(215, 272)};
        const QPointF fromRoot{root.x() + side * random(20, 40), root.y() + 30};
        const QPointF intoTip{tip.x() - side * random(0, 25), tip.y() - random(40, 80)};
        QPainterPath strand(root);
        strand.cubicTo(fromRoot, intoTip, tip);
        const QColor colour = hairColour(10, 30);
        p.setPen(QPen(colour, random(0.5, 2.0), Qt::SolidLine, Qt::RoundCap));
        p.drawPath(strand);
    }
}

void Illustration::paintCloak()
{
    QPainter p;
    figurePainterFor(p);
    // A bony neck, mostly hidden by the collar.
    QLinearGradient neckShade(midX - 13, 0, midX + 13, 0);
    neckShade.setColorAt(0.0, QColor(0x30, 0x26, 0x20));
    neckShade.setColorAt(0.45, QColor(0x7a, 0x6a, 0x54));
    neckShade.setColorAt(1.0, QColor(0x20, 0x18, 0x14));
    p.fillRect(QRectF(midX - 12, 215, 24, 30), neckShade);
    p.setPen(QPen(QColor(0x20, 0x16, 0x10, 90), 1.0));
    for (double y = 224; y < 245; y += 7)
        p.drawLine(QPointF(midX - 8, y), QPointF(midX + 9, y + 1));
    // Shoulders in a black cloak with a faint red rim light.
    QPainterPath cloak;
    cloak.moveTo(30, 268);
    cloak.cubicTo(52, 240, 96, 230, 132, 228);
    cloak.lineTo(midX, 252);
    cloak.lineTo(186, 228);
    cloak.cubicTo(222, 230, 266, 240, 288, 268);
    cloak.closeSubpath();
    QLinearGradient cloth(0, 226, 0, 268);
    cloth.setColorAt(0.0, QColor(0x26, 0x10, 0x18));
    cloth.setColorAt(1.0, QColor(0x06, 0x02, 0x04));
    p.fillPath(cloak, cloth);
    p.setPen(QPen(QColor(0xa0, 0x20, 0x18, 140), 1.3));
    p.drawPath(cloak);
    // A high collar standing up behind the jaw, lined in deep red.
    for (double side : {-1.0, 1.0}) {
        QPainterPath collar;
        collar.moveTo(midX + side * 20, 252);
        collar.cubicTo(midX + side * 30, 236, midX + side * 40, 222, midX + side * 62, 196);
        collar.cubicTo(midX + side * 60, 214, midX + side * 56, 232, midX + side * 50, 246);
        collar.closeSubpath();
        QLinearGradient lining(0, 196, 0, 252);
        lining.setColorAt(0.0, QColor(0x80, 0x14, 0x14));
        lining.setColorAt(1.0, QColor(0x20, 0x04, 0x08));
        p.fillPath(collar, lining);
        p.setPen(QPen(QColor(0x10, 0x02, 0x04), 1.0));
        p.drawPath(collar);
    }
}

void Illustration::paintSkull()
{
    QPainter p;
    figurePainterFor(p);
    // Cranium, cheekbones and a narrow jaw in one outline.
    m_skull.moveTo(midX, 100);
    m_skull.cubicTo(midX + 44, 100, midX + 48, 140, midX + 42, 166);
    m_skull.cubicTo(midX + 45, 176, midX + 40, 186, midX + 34, 194);
    m_skull.cubicTo(midX + 31, 212, midX + 20, 226, midX, 228);
    m_skull.cubicTo(midX - 20, 226, midX - 31, 212, midX - 34, 194);
    m_skull.cubicTo(midX - 40, 186, midX - 45, 176, midX - 42, 166);
    m_skull.cubicTo(midX - 48, 140, midX - 44, 100, midX, 100);
    QRadialGradient bone(QPointF(midX - 12, 128), 100);
    bone.setColorAt(0.0, QColor(0xee, 0xe2, 0xc2));
    bone.setColorAt(0.3, QColor(0xc4, 0xb2, 0x8c));
    bone.setColorAt(0.65, QColor(0x78, 0x64, 0x4c));
    bone.setColorAt(1.0, QColor(0x2c, 0x20, 0x18));
    p.fillPath(m_skull, bone);
    p.setClipPath(m_skull, Qt::IntersectClip);
    p.setPen(Qt::NoPen);
    // Shadow on the far side, hollow temples and sunken cheeks.
    QLinearGradient farSide(midX, 0, midX + 46, 0);
    farSide.setColorAt(0.0, QColor(0x10, 0x08, 0x06, 0));
    farSide.setColorAt(1.0, QColor(0x10, 0x08, 0x06, 150));
    p.fillRect(QRectF(midX, 95, 50, 140), farSide);
    for (double side : {-1.0, 1.0}) {
        for (const QPointF &spot : {QPointF(side * 40, 150), QPointF(side * 30, 192)}) {
            QRadialGradient hollow(QPointF(midX, 0) + spot, 16);
            hollow.setColorAt(0.0, QColor(0x1c, 0x10, 0x0c, 150));
            hollow.setColorAt(1.0, QColor(0x1c, 0x10, 0x0c, 0));
            p.setBrush(hollow);
            p.drawEllipse(QPointF(midX, 0) + spot, 16, 16);
        }
        // A highlight along the cheekbone.
        QRadialGradient cheek(QPointF(midX + side * 30, 178), 10);
        cheek.setColorAt(0.0, QColor(0xf8, 0xec, 0xcc, side < 0 ? 120 : 50));
        cheek.setColorAt(1.0, QColor(0xf8, 0xec, 0xcc, 0));
        p.setBrush(cheek);
        p.drawEllipse(QPointF(midX + side * 30, 178), 14, 6);
    }
    // A red rim where the moon lights the far edge.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xc0, 0x30, 0x20, 110), 3));
    p.setClipRect(QRectF(midX + 10, 95, 60, 140), Qt::IntersectClip);
    p.drawPath(m_skull);
    p.setClipping(false);
    p.setClipRect(sceneRect.translated(0, -figureDrop));
    // Brow ridge and sockets, slanted down towards the nose into a scowl.
    QPainterPath sockets;
    for (double side : {-1.0, 1.0}) {
        const double cx = midX + side * eyeDx;
        QPainterPath socket;
        socket.moveTo(cx - side * 15, eyeY - 8);
        socket.cubicTo(cx - side * 8, eyeY - 10, cx + side * 12, eyeY - 18, cx + side * 17, eyeY - 10);
        socket.cubicTo(cx + side * 19, eyeY + 2, cx + side * 10, eyeY + 12, cx, eyeY + 12);
        socket.cubicTo(cx - side * 11, eyeY + 12, cx - side * 16, eyeY + 2, cx - side * 15, eyeY - 8);
        sockets.addPath(socket);
        // The brow catches the light above each socket.
        QPainterPath brow;
        brow.moveTo(cx - side * 16, eyeY - 11);
        brow.cubicTo(cx - side * 8, eyeY - 13, cx + side * 12, eyeY - 22, cx + side * 19, eyeY - 13);
        p.setPen(QPen(QColor(0xf4, 0xea, 0xcc, side < 0 ? 150 : 70), 2.0, Qt::SolidLine, Qt::RoundCap));
        p.drawPath(brow);
    }
    QRadialGradient socketShade(QPointF(midX, eyeY), 40);
    socketShade.setColorAt(0.0, QColor(0x04, 0x02, 0x02));
    socketShade.setColorAt(1.0, QColor(0x22, 0x12, 0x0c));
    p.fillPath(sockets, socketShade);
    // Nose cavity.
    QPainterPath nose;
    nose.moveTo(midX, 174);
    nose.cubicTo(midX - 3, 180, midX - 9, 187, midX - 6, 191);
    nose.cubicTo(midX - 4, 193, midX - 2, 191, midX, 189);
    nose.cubicTo(midX + 2, 191, midX + 4, 193, midX + 6, 191);
    nose.cubicTo(midX + 9, 187, midX + 3, 180, midX, 174);
    p.fillPath(nose, QColor(0x0a, 0x05, 0x04));
    // Cracks.
    p.setPen(QPen(QColor(0x2a, 0x1e, 0x14, 210), 0.9));
    p.setBrush(Qt::NoBrush);
    QPainterPath crack;
    crack.moveTo(midX + 16, 122);
    crack.lineTo(midX + 12, 130);
    crack.lineTo(midX + 15, 135);
    crack.lineTo(midX + 10, 143);
    crack.moveTo(midX + 12, 130);
    crack.lineTo(midX + 5, 133);
    crack.moveTo(midX - 30, 196);
    crack.lineTo(midX - 25, 203);
    crack.lineTo(midX - 27, 210);
    p.drawPath(crack);
}

void Illustration::paintEyes()
{
    QPainter p;
    figurePainterFor(p);
    p.setPen(Qt::NoPen);
    // A wide soft glow that spills over the brow and cheeks, then a hot core.
    p.setCompositionMode(QPainter::CompositionMode_Plus);
    for (double side : {-1.0, 1.0}) {
        const QPointF eye(midX + side * eyeDx, eyeY);
        QRadialGradient glow(eye, 26);
        glow.setColorAt(0.0, QColor(0xc8, 0x98, 0x10, 210));
        glow.setColorAt(0.35, QColor(0x70, 0x44, 0x04, 120));
        glow.setColorAt(1.0, QColor(0, 0, 0, 0));
        p.setBrush(glow);
        p.drawEllipse(eye, 26, 26);
    }
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (double side : {-1.0, 1.0}) {
        const QPointF eye(midX + side * eyeDx, eyeY + 1);
        QRadialGradient core(eye, 8);
        core.setColorAt(0.0, QColor(0xff, 0xff, 0xe8));
        core.setColorAt(0.3, QColor(0xff, 0xf4, 0x50));
        core.setColorAt(0.7, QColor(0xf4, 0xb8, 0x10, 230));
        core.setColorAt(1.0, QColor(0xa0, 0x60, 0x00, 0));
        p.setBrush(core);
        p.drawEllipse(eye, 8, 6);
        // A slit of a pupil.
        p.setBrush(QColor(0x60, 0x20, 0x00, 170));
        p.drawEllipse(eye, 0.9, 3.2);
    }
}

void Illustration::paintGrin()
{
    QPainter p;
    figurePainterFor(p);
    // A wide grin, its corners pulled up high into the cheeks.
    QPainterPath mouth;
    mouth.moveTo(midX - 32, 192);
    mouth.cubicTo(midX - 16, 202, midX + 16, 202, midX + 32, 192);
    mouth.cubicTo(midX + 26, 212, midX + 14, 218, midX, 218);
    mouth.cubicTo(midX - 14, 218, midX - 26, 212, midX - 32, 192);
    p.fillPath(mouth, QColor(0x08, 0x03, 0x03));
    p.setClipPath(mouth, Qt::IntersectClip);
    // Upper and lower teeth, each a rounded block shaded like the bone; a few are darker or missing.
    for (int row = 0; row < 2; ++row) {
        for (int i = -7; i <= 7; ++i) {
            if ((row == 0 && i == 4) || (row == 1 && i == -3))
                continue;
            const double x = midX + i * 4.3;
            const double edge = 200 + i * i * 0.16; // the line where the teeth meet follows the grin
            const double height = 9.0 - std::abs(i) * 0.25 + random(-0.8, 0.8);
            const QRectF tooth = row == 0 ? QRectF(x - 1.9, edge - height, 3.8, height)
                                          : QRectF(x - 1.9, edge + 1.0, 3.8, height);
            const bool stained = m_random.bounded(5) == 0;
            QLinearGradient shade(0, tooth.top(), 0, tooth.bottom());
            const QColor lit = stained ? QColor(0xb0, 0x9c, 0x70) : QColor(0xec, 0xe0, 0xbc);
            const QColor dim = stained ? QColor(0x5a, 0x4a, 0x30) : QColor(0x90, 0x7e, 0x60);
            shade.setColorAt(row == 0 ? 0.0 : 1.0, dim);
            shade.setColorAt(row == 0 ? 1.0 : 0.0, lit);
            p.setPen(QPen(QColor(0x18, 0x0e, 0x08), 0.7));
            p.setBrush(shade);
            p.drawRoundedRect(tooth, 1.3, 1.3);
        }
    }
    p.setClipping(false);
    p.setClipRect(sceneRect.translated(0, -figureDrop));
    // Creases of the grin running up into the cheeks.
    p.setPen(QPen(QColor(0x30, 0x22, 0x16, 210), 1.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath creases;
    creases.moveTo(midX - 32, 192);
    creases.quadTo(midX - 37, 186, midX - 35, 178);
    creases.moveTo(midX + 32, 192);
    creases.quadTo(midX + 37, 186, midX + 35, 178);
    p.drawPath(creases);
}

// A lock of hair from the centre parting: over the crown (closer to the hairline as snug goes to 1), past the
// temple and down over the shoulder.
QPainterPath Illustration::lock(double side, double snug)
{
    const double loose = 1 - snug;
    const QPointF root(midX + side * random(0.5, 2.5), 99);
    const double templeOut = 40 + 9 * loose + random(0, 3);
    const QPointF temple{midX + side * templeOut, 150 + random(0, 20)};
    const QPointF tip{midX + side * random(templeOut + 2, 110), random(205, 272)};
    const QPointF fromTemple{temple.x() + side * random(0, 6), temple.y() + 30};
    const QPointF intoTip{tip.x() - side * random(0, 20), tip.y() - random(40, 70)};
    QPainterPath path(root);
    path.cubicTo(QPointF(midX + side * (4 + 24 * loose), 126 * snug + 99 * loose),
                 QPointF(midX + side * (34 + 12 * loose), 119 * snug + 110 * loose), temple);
    path.cubicTo(fromTemple, intoTip, tip);
    return path;
}

void Illustration::paintFrontHair()
{
    QPainter p;
    figurePainterFor(p);
    // A centre parting with a slight widow's peak; the hair covers the crown, frames the face and runs
    // down over the shoulders. Thick dark locks first so that no bone shows between the strands.
    for (int i = 0; i < 160; ++i) {
        const double side = i % 2 == 0 ? -1 : 1;
        p.setPen(QPen(QColor(0x0c, 0x08, 0x0a), random(3, 5), Qt::SolidLine, Qt::RoundCap));
        const double snug = std::sqrt(m_random.generateDouble());
        p.drawPath(lock(side, snug));
    }
    for (int i = 0; i < 420; ++i) {
        const double side = i % 2 == 0 ? -1 : 1;
        const QColor colour = hairColour(8, 28);
        p.setPen(QPen(colour, random(0.5, 1.8), Qt::SolidLine, Qt::RoundCap));
        const double snug = m_random.generateDouble();
        p.drawPath(lock(side, snug));
    }
}

void Illustration::paintTitle()
{
    QPainter p;
    painterFor(p);
    QFont font(blackletterFamily);
    font.setPixelSize(64);
    QPainterPath text;
    text.addText(0, 0, font, QStringLiteral("Quibrel"));
    const QRectF bounds = text.boundingRect();
    const double scale = 218 / bounds.width();
    QTransform place;
    place.translate(midX - bounds.center().x() * scale, 35 - bounds.top() * scale);
    place.scale(scale, scale);
    text = place.map(text);
    // A glow, a drop shadow, then the letters with a lit top edge.
    for (int width = 11; width >= 3; width -= 2) {
        p.setPen(QPen(QColor(0xc0, 0x0a, 0x04, 20), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(text);
    }
    p.fillPath(text.translated(2.5, 2.5), QColor(0, 0, 0, 210));
    const QRectF box = text.boundingRect();
    QLinearGradient red(0, box.top(), 0, box.bottom());
    red.setColorAt(0.0, QColor(0xff, 0x50, 0x30));
    red.setColorAt(0.35, QColor(0xf0, 0x14, 0x0a));
    red.setColorAt(0.8, QColor(0xa0, 0x02, 0x02));
    red.setColorAt(1.0, QColor(0x60, 0x00, 0x00));
    p.setPen(QPen(QColor(0x28, 0x00, 0x00), 0.9));
    p.setBrush(red);
    p.drawPath(text);
    p.setClipPath(text, Qt::IntersectClip);
    p.setPen(QPen(QColor(0xff, 0xb0, 0x90, 120), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(text.translated(0.8, 0.8));
}

void Illustration::paintVignette()
{
    QPainter p;
    painterFor(p);
    QRadialGradient vignette(QPointF(midX, 160), 210);
    vignette.setColorAt(0.5, QColor(0, 0, 0, 0));
    vignette.setColorAt(1.0, QColor(0, 0, 0, 200));
    p.fillRect(sceneRect, vignette);
}

// A little noise so that flat areas look painted rather than smooth.
void Illustration::addGrain()
{
    for (int y = sceneRect.top(); y <= sceneRect.bottom(); ++y) {
        for (int x = sceneRect.left(); x <= sceneRect.right(); ++x) {
            const QRgb c = m_image.pixel(x, y);
            const int n = int(m_random.bounded(7)) - 3;
            m_image.setPixel(x, y,
                             qRgb(qBound(0, qRed(c) + n, 255), qBound(0, qGreen(c) + n, 255),
                                  qBound(0, qBlue(c) + n, 255)));
        }
    }
}

QByteArray makeZorvel()
{
    return bitmapFile(Illustration().image());
}

// ---------------------------------------------------------------------------------------------------------
// List icons, 16 x 16 with a transparent ground: a hard drive for the drive list, an open and a closed folder
// for the directory list. Drawn pixel by pixel from character maps, black outlined and lit from the top left.

QRgb iconColour(char c)
{
    switch (c) {
    case 'k':
        return 0xff000000; // outline
    case 'w':
        return 0xffffffff; // lit face of the drive
    case 'g':
        return 0xffc0c0c0; // drive front
    case 'G':
        return 0xff808080; // drive side in shadow
    case 'b':
        return 0xff404040; // drive slot
    case 'e':
        return 0xff00e000; // drive lamp
    case 'l':
        return 0xffffffc0; // folder edge in the light
    case 'y':
        return 0xffffe060; // folder
    case 'o':
        return 0xffd8a828; // folder in shadow
    }
    return 0x00000000; // '.': transparent
}

QByteArray listIconFile(std::initializer_list<const char *> rows)
{
    QImage image(16, 16, QImage::Format_ARGB32);
    int y = 0;
    for (const char *row : rows) {
        for (int x = 0; x < 16; ++x)
            image.setPixel(x, y, iconColour(row[x]));
        ++y;
    }
    Q_ASSERT(y == 16);
    QByteArray file;
    QBuffer buffer(&file);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return file;
}

QByteArray makeDrive()
{
    return listIconFile({
        "................",
        "................",
        "................",
        "................",
        "................",
        "...kkkkkkkkkkkkk",
        "..kwwwwwwwwwwwkk",
        ".kwwwwwwwwwwwkGk",
        "kkkkkkkkkkkkkGGk",
        "kwwwwwwwwwwwkGGk",
        "kwgggggggggekGGk",
        "kwgbbbbgggggkGk.",
        "kGGGGGGGGGGGkk..",
        "kkkkkkkkkkkkk...",
        "................",
        "................",
    });
}

QByteArray makeOpenFolder()
{
    return listIconFile({
        "................",
        "................",
        "..kkkkk.........",
        ".klllllk........",
        "klyyyyyykkkkkk..",
        "klooooooooooook.",
        "klooookkkkkkkkkk",
        "klooookllllllllk",
        "klooklyyyyyyyok.",
        "klooklyyyyyyyok.",
        "kloklyyyyyyyok..",
        "kloklyyyyyyyok..",
        "klklyyyyyyyok...",
        "klklyyyyyyyok...",
        "kkkkkkkkkkkkk...",
        "................",
    });
}

QByteArray makeClosedFolder()
{
    return listIconFile({
        "................",
        "................",
        "..kkkkk.........",
        ".klllllk........",
        "klyyyyyykkkkkkk.",
        "kllllllllllllllk",
        "klyyyyyyyyyyyyok",
        "klyyyyyyyyyyyyok",
        "klyyyyyyyyyyyyok",
        "klyyyyyyyyyyyyok",
        "klyyyyyyyyyyyyok",
        "klyyyyyyyyyyyyok",
        "klyyyyyyyyyyyyok",
        "kooooooooooooook",
        "kkkkkkkkkkkkkkkk",
        "................",
    });
}

// ---------------------------------------------------------------------------------------------------------

bool writeFile(const QDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "make_artwork: cannot write %s\n", qPrintable(file.fileName()));
        return false;
    }
    std::printf("%s: %lld bytes\n", qPrintable(file.fileName()), static_cast<long long>(bytes.size()));
    return true;
}

} // namespace
} // namespace quibrel

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv); // fonts need a GUI application; the offscreen platform is enough
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: make_artwork OUTPUT_DIRECTORY\n");
        return 2;
    }
    // Without the blackletter face the title would silently fall back to another font.
    if (QFontInfo(QFont(quibrel::blackletterFamily)).family() != quibrel::blackletterFamily) {
        std::fprintf(stderr, "make_artwork: the font \"%s\" is missing (Debian package fonts-blankenburg)\n",
                     qPrintable(quibrel::blackletterFamily));
        return 1;
    }
    const QDir dir(args.at(1));
    const bool ok = quibrel::writeFile(dir, QStringLiteral("quibrel.ico"), quibrel::makeIcon()) &&
                    quibrel::writeFile(dir, QStringLiteral("zorvel.bmp"), quibrel::makeZorvel()) &&
                    quibrel::writeFile(dir, QStringLiteral("arrow.bmp"), quibrel::makeArrow()) &&
                    quibrel::writeFile(dir, QStringLiteral("drive.png"), quibrel::makeDrive()) &&
                    quibrel::writeFile(dir, QStringLiteral("folder-open.png"), quibrel::makeOpenFolder()) &&
                    quibrel::writeFile(dir, QStringLiteral("folder-closed.png"), quibrel::makeClosedFolder());
    return ok ? 0 : 1;
}
