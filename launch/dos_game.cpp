#include "dos_game.h"

#include "dos_command.h"
#include "files/file_system.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <unistd.h>

namespace quibrel {

namespace {

// Whether DOS would show the file `name` of `folder` as itself: a DOS name that no other entry there has in
// another case.
bool dosShowsAsItself(const QString &folder, const QString &name)
{
    if (!isDosName(name) || !dosBoxCanMount(folder))
        return false;
    const QStringList alike = QDir(folder).entryList({name}, QDir::AllEntries | QDir::Hidden | QDir::System);
    return alike.size() == 1;
}

// Where the launcher keeps stand-ins for games that DOS cannot name.
QString standInsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/quibrel/dos-games");
}

} // namespace

DosGame dosGame(const QString &path, QString *error)
{
    const QFileInfo game(path);
    if (dosShowsAsItself(game.absolutePath(), game.fileName()))
        return {game.absolutePath(), game.fileName().toUpper()};

    const QByteArray target = encodeFileName(game.absoluteFilePath());
    const QString folder =
        standInsFolder() + QLatin1Char('/') +
        QString::fromLatin1(QCryptographicHash::hash(target, QCryptographicHash::Sha1).toHex().left(16));
    const QString name = dosNameFor(game.fileName());
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("the folder %1 cannot be made for DOS to find the game in").arg(folder);
        return {};
    }
    // The link is made afresh each time, so that it follows the game; the rest of the folder stays.
    const QByteArray link = encodeFileName(folder + QLatin1Char('/') + name);
    if ((::unlink(link.constData()) != 0 && errno != ENOENT) ||
        ::symlink(target.constData(), link.constData()) != 0) {
        *error = QStringLiteral("the link %1 to the game cannot be made: %2")
                     .arg(decodeFileName(link), errorText(errno));
        return {};
    }
    return {folder, name};
}

} // namespace quibrel
