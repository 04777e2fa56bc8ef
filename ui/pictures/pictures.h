#pragma once

// The window's pictures and the lists' icons, compiled into the program from ui/pictures (drawn by
// tools/make-artwork). Link quibrel_pictures to have them. They are decoded at build time, ready to draw: no
// file is read, no image format probed and no image plugin loaded for them at start-up. The names are those
// of their files in ui/pictures.

#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace quibrel::pictures {

constexpr char windowIcon[] = ":/quibrel.ico"; // 32 x 32, 16 colours: red lettering on black
constexpr char zorvel[] = ":/zorvel.bmp";      // 335 x 461, 24 bits: shown by pctZorvel
constexpr char arrow[] = ":/arrow.bmp";        // 115 x 99, 24 bits: shown by imgArrow

// 16 x 16 with transparency, in place of the icon theme's, whose look-up slows the start-up.
constexpr char driveIcon[] = ":/drive.png";                // each drive of the drive list
constexpr char openFolderIcon[] = ":/folder-open.png";     // the current directory and its ancestors
constexpr char closedFolderIcon[] = ":/folder-closed.png"; // the subdirectories

// The picture `picture` (one of the names above) as an image, a pixmap or an icon; null for another name. The
// image shares the program's own copy of the pixels.
QImage image(const char *picture);
QPixmap pixmap(const char *picture);
QIcon icon(const char *picture);

} // namespace quibrel::pictures
