#include "pictures.h"

#include "embedded_pictures.h"

#include <QIcon>
#include <QPixmap>

namespace quibrel::pictures {

QImage image(const char *picture)
{
    for (int i = 0; i < embeddedPictureCount; ++i) {
        const EmbeddedPicture &embedded = embeddedPictures[i];
        if (qstrcmp(embedded.name, picture) == 0)
            return QImage(embedded.pixels, embedded.width, embedded.height, embedded.bytesPerLine,
                          embedded.format);
    }
    return QImage();
}

// An opaque picture stays in 24 bits, so that the pixmap shares the program's pixels rather than a converted
// copy; the others are prepared for drawing as any pixmap is.
QPixmap pixmap(const char *picture)
{
    const QImage pixels = image(picture);
    return QPixmap::fromImage(pixels, pixels.format() == QImage::Format_RGB888 ? Qt::NoFormatConversion
                                                                               : Qt::AutoColor);
}

QIcon icon(const char *picture)
{
    return QIcon(pixmap(picture));
}

} // namespace quibrel::pictures
