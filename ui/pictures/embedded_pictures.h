#pragma once

#include <QImage>

namespace quibrel::pictures {

// A picture decoded at build time (embed_pictures): its pixels as the image reader gave them, 24 bits for an
// opaque picture.
struct EmbeddedPicture {
    const char *name; // as in pictures.h
    const uchar *pixels;
    int width;
    int height;
    int bytesPerLine;
    QImage::Format format;
};

extern const EmbeddedPicture embeddedPictures[];
extern const int embeddedPictureCount;

} // namespace quibrel::pictures
