#pragma once

#include "launch_settings.h"

#include <QDir>
#include <functional>

namespace quibrel {

inline const QString noGameMessage = QStringLiteral("You must chose a game first!");
inline const QString errorTitle = QStringLiteral("Error");

// What PLAY needs from the window around it.
struct PlayFrontEnd {
    std::function<void(const QString &title, const QString &text)> showError;
    std::function<void()> closeSoundDevice;
};

enum class PlayOutcome { Refused, Started, Failed };

// PLAY: refuse without a game; otherwise close the sound device, compose and start the emulator
// from the current working directory. A failure is told through showError and ends nothing.
PlayOutcome play(const LaunchSettings &settings, const PlayFrontEnd &frontEnd,
                 QChar separator = QDir::separator());

} // namespace quibrel
