#pragma once

#include "sound_output.h"

#include <QString>

#include <functional>
#include <memory>

namespace quibrel {

// The sound module, loaded the first time a sound is to be played, never before: a start without a sound file
// maps none of the audio libraries.
class SoundModule {
public:
    // A new output of the module; nothing when the module cannot be loaded or is not ours.
    static std::unique_ptr<SoundOutput> createOutput(std::function<void()> ended);

    // Where the module is looked for: in the build tree for a program of the build tree, else beside the
    // program as installed (lib/.../quibrel/ next to bin/).
    static QString path();
};

} // namespace quibrel
