#pragma once

#include "launch_settings.h"

#include <QStringList>

namespace quibrel {

inline const QString emulatorFileName = QStringLiteral("Zemu.exe");

// The emulator's command line as one text: `separator` stands for the two directory separators.
QString composeCommandLine(const LaunchSettings &settings, const QString &workingDirectory, QChar separator);

// What is handed to the operating system: the emulator's path and its argument vector, the game's path
// first. A DOS emulator splits its command tail itself: it gets the game and `options`, the option part of
// the command line as composed, instead.
struct EmulatorCommand {
    QString program;
    QStringList arguments;
    QString options;
    bool operator==(const EmulatorCommand &other) const
    {
        return program == other.program && arguments == other.arguments && options == other.options;
    }
};

// The arguments that the command line gives when a C runtime splits it, except that the emulator's path and
// the game's path stay one argument each, blanks and all.
EmulatorCommand emulatorCommand(const LaunchSettings &settings, const QString &workingDirectory,
                                QChar separator);

} // namespace quibrel
