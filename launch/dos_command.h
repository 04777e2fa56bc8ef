#pragma once

#include <QStringList>

namespace quibrel {

// Whether DOS shows the file `name` under that name, upper-cased: letters, digits, "_" and "-" only, a base
// of one to eight characters and an extension of up to three.
bool isDosName(const QString &name);

// A DOS name made from `name`: its letters, digits, "_" and "-", upper-cased, cut to eight and three.
QString dosNameFor(const QString &name);

// Whether DOSBox can mount `folder`: not where its name holds a double quote.
bool dosBoxCanMount(const QString &folder);

// DOSBox's arguments that run the DOS program `program` (a DOS name) in `workingFolder`, mounted as C:, with
// the game `game` (a DOS name) of `gameFolder`, mounted as D:, and the options; each argument a command of
// DOSBox's, so that no shell is needed. Empty, with the reason in words the user can act on in `refusal`,
// where DOS could not be given the game and the options whole.
QStringList dosboxArguments(const QString &workingFolder, const QString &program, const QString &gameFolder,
                            const QString &game, const QString &options, QString *refusal);

} // namespace quibrel
