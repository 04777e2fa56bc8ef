#include "face_aliases.h"

#include <QFontDatabase>
#include <qpa/qplatformfontdatabase.h>

namespace quibrel {

bool aliasFace(const QString &face, const QString &family)
{
    const QStringList installed = QFontDatabase::families();
    if (installed.contains(face, Qt::CaseInsensitive) || !installed.contains(family, Qt::CaseInsensitive))
        return false;
    // The font database's own way to give a family another name, as it does for a font's translated names.
    QPlatformFontDatabase::registerAliasToFontFamily(family, face);
    return true;
}

} // namespace quibrel
