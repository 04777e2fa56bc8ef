#include "play.h"

#include "command_line.h"
#include "emulator_process.h"
#include "files/file_system.h"

namespace quibrel {

PlayOutcome play(const LaunchSettings &settings, const PlayFrontEnd &frontEnd, QChar separator)
{
    if (settings.lblGameSelected.isEmpty()) {
        frontEnd.showError(errorTitle, noGameMessage);
        return PlayOutcome::Refused;
    }
    frontEnd.closeSoundDevice();

    QString reason;
    const QString workingDirectory = currentWorkingDirectory(&reason);
    if (workingDirectory.isEmpty()) {
        frontEnd.showError(errorTitle, QStringLiteral("The emulator cannot be started: the current directory "
                                                      "cannot be read (%1).")
                                           .arg(reason));
        return PlayOutcome::Failed;
    }
    EmulatorCommand command = emulatorCommand(settings, workingDirectory, separator);
    // The emulator comes from a system whose file names ignore case: ZEMU.EXE there is Zemu.exe.
    const QString emulatorOnDisk = entryIgnoringCase(workingDirectory, emulatorFileName);
    if (!emulatorOnDisk.isEmpty())
        command.program = workingDirectory + separator + emulatorOnDisk;
    if (!startDetached(command, &reason)) {
        frontEnd.showError(
            errorTitle,
            QStringLiteral("The emulator %1 cannot be started: %2.").arg(command.program, reason));
        return PlayOutcome::Failed;
    }
    return PlayOutcome::Started;
}

} // namespace quibrel
