#pragma once

#include <QString>

namespace quibrel {

// Where a DOS emulator finds a game: a folder to mount and the game's DOS name in it.
struct DosGame {
    QString folder;
    QString name;
};

// Where DOS finds the game at `path`. Where DOS shows it under its own name, its own folder: what the
// emulator writes beside the game lands beside it. Elsewhere (a long name, blanks, other letters, a folder
// DOSBox cannot mount) DOS gives it a short name that depends on the folder's read order, so a stand-in
// folder of its own under the launcher's data folder (quibrel/dos-games), kept for that path, holds a link to
// it under a DOS name, and what the emulator writes for it stays there for the next start. An empty folder,
// with the reason in `error`, where the stand-in cannot be made.
DosGame dosGame(const QString &path, QString *error);

} // namespace quibrel
