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

QPixmap pixmap(const char *picture)
{
    return QPixmap::fromImage(image(picture));
}

QIcon icon(const char *picture)
{
    return QIcon(pixmap(picture));
}

} // namespace quibrel::pictures
