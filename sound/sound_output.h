#pragma once

#include <QString>

#include <functional>

namespace quibrel {

// What plays the multimedia control's sound: one wave file on the default audio output. It lives in the sound
// module (quibrel-sound.so, see SoundModule), so that the program maps the audio and sound-file libraries
// only when there is a sound to play.
class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    // Decodes the wave file at `path` and readies the default output for it; false when either fails.
    virtual bool open(const QString &path) = 0;
    // Starts the sound from its beginning; false when the output refuses it.
    virtual bool play() = 0;
};

// The module's one entry point: a new output that calls `ended` once the sound it plays has been heard to its
// end, or the sound server has dropped it. The output stops and lets go of the audio output when destroyed.
using CreateSoundOutput = SoundOutput *(*)(std::function<void()> ended);
inline constexpr char createSoundOutputName[] = "quibrel_create_sound_output";

} // namespace quibrel
